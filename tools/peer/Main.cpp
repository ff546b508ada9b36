// kivpeer: plays the part of the viewer that starts ferrin. It offers a
// folder of generated files as a share to be saved into the fetch folder,
// serves it through our own engine, checks what ferrin saved byte for byte
// and prints what it took.
//
//   kivpeer [--ferrin PATH] [--large-mib N] [--small N] [--small-bytes N]
//           [--timeout S] [--keep]         the demonstration (default)
//   kivpeer --bench [--ferrin PATH]        one 1 GiB file, then 10,000
//                                          small files, each beside a raw
//                                          loopback copy of the same bytes
#include "RawCopy.h"
#include "SourceTree.h"
#include "ViewerEnd.h"

#include "testing/FileTree.h"

#include "plat/win/AppInit.h"
#include "plat/win/CommandLineArgs.h"
#include "plat/win/Unicode.h"

#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace peer;
using testing_support::removeTree;

namespace {

struct Options {
  std::wstring ferrin;
  TreeShape shape;
  int timeout = 600;
  bool keep = false;
  bool bench = false;
};

std::wstring besideUs(const wchar_t* relative) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  return path.substr(0, path.find_last_of(L"\\/") + 1) + relative;
}

std::string utf8(const std::wstring& w) {
  plat::String s = plat::String::adopt(plat::W2MB(w.c_str()));
  return s.c_str();
}

// A fresh folder under the temporary folder with "source" and "fetch".
std::string makeWorkDir(const char* label) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  std::wstring dir = std::wstring(base) + L"kivpeer-" + std::to_wstring(GetCurrentProcessId()) +
                     L"-" + plat::WString(label).c_str();
  removeTree(dir);
  CreateDirectoryW(dir.c_str(), nullptr);
  CreateDirectoryW((dir + L"\\source").c_str(), nullptr);
  CreateDirectoryW((dir + L"\\fetch").c_str(), nullptr);
  return utf8(dir);
}

// One transfer through ferrin; prints its line and returns whether it was
// right, with its MB/s.
bool transfer(const Options& options, const char* label, const TreeShape& shape, double* mbps,
              double* filesPerSecond, uint64_t* bytes) {
  std::string work = makeWorkDir(label);
  printf("%s: generating the files...\n", label);
  fflush(stdout);
  SourceTree tree(work + "\\source", shape);
  ViewerEnd viewer(options.ferrin, work + "\\ferrin.log", options.timeout);
  RunResult result = viewer.run(tree, work + "\\source", work + "\\fetch");
  *bytes = tree.totalBytes();
  *mbps = result.seconds > 0 ? *bytes / result.seconds / 1e6 : 0;
  *filesPerSecond = result.seconds > 0 ? tree.files().size() / result.seconds : 0;
  if (result.ok) {
    printf("%s: %zu files, %llu bytes in %.2f s: %.1f MB/s, %.0f files/s; every byte checked, "
           "ferrin ended with 0\n",
           label, tree.files().size(), (unsigned long long)*bytes, result.seconds, *mbps,
           *filesPerSecond);
  } else {
    printf("%s: FAILED: %s (ferrin's log: %s)\n", label, result.problem.c_str(),
           (work + "\\ferrin.log").c_str());
  }
  fflush(stdout);
  if (result.ok && !options.keep)
    removeTree(plat::WString(work.c_str()).c_str());
  return result.ok;
}

bool parse(const plat::CommandLineArgs& args, Options* o) {
  o->ferrin = besideUs(L"..\\..\\ferrin\\ferrin.exe");
  o->shape.largeBytes = 64ULL << 20;
  o->shape.smallFiles = 300;
  o->shape.smallBytes = 3000;
  o->shape.awkwardNames = true;
  for (int i = 1; i < args.count(); i++) {
    const char* a = args[i];
    const char* value = i + 1 < args.count() ? args[i + 1] : nullptr;
    if (strcmp(a, "--bench") == 0) {
      o->bench = true;
    } else if (strcmp(a, "--keep") == 0) {
      o->keep = true;
    } else if (value && strcmp(a, "--ferrin") == 0) {
      o->ferrin = plat::WString(value).c_str();
      i++;
    } else if (value && strcmp(a, "--large-mib") == 0) {
      o->shape.largeBytes = strtoull(value, nullptr, 10) << 20;
      i++;
    } else if (value && strcmp(a, "--small") == 0) {
      o->shape.smallFiles = atoi(value);
      i++;
    } else if (value && strcmp(a, "--small-bytes") == 0) {
      o->shape.smallBytes = atoi(value);
      i++;
    } else if (value && strcmp(a, "--timeout") == 0) {
      o->timeout = atoi(value);
      i++;
    } else {
      fprintf(stderr, "kivpeer: unknown option %s\n", a);
      return false;
    }
  }
  return true;
}

int demo(const Options& options) {
  double mbps, filesPerSecond;
  uint64_t bytes;
  return transfer(options, "demo", options.shape, &mbps, &filesPerSecond, &bytes) ? 0 : 1;
}

int bench(const Options& options) {
  bool ok = true;
  double mbps, filesPerSecond;
  uint64_t bytes;
  const int sendSize = 16384; // the size of ferrin's socket output buffer

  TreeShape large;
  large.largeBytes = 1ULL << 30;
  if (transfer(options, "one 1 GiB file", large, &mbps, &filesPerSecond, &bytes)) {
    double raw = rawLoopbackCopy(bytes, sendSize);
    printf("  raw loopback copy of the same bytes in %d-byte sends: %.1f MB/s; ferrin/raw = %.2f\n",
           sendSize, raw, mbps / raw);
  } else {
    ok = false;
  }

  TreeShape small;
  small.smallFiles = 10000;
  small.smallBytes = 1024;
  if (transfer(options, "10,000 small files", small, &mbps, &filesPerSecond, &bytes)) {
    double raw = rawLoopbackCopy(bytes, sendSize);
    printf("  raw loopback copy of the same bytes in %d-byte sends: %.1f MB/s; ferrin/raw = %.3f\n",
           sendSize, raw, mbps / raw);
  } else {
    ok = false;
  }
  return ok ? 0 : 1;
}

} // namespace

int main() {
  try {
    plat::appInit("kivpeer", nullptr);
    plat::CommandLineArgs args;
    Options options;
    if (!parse(args, &options))
      return 2;
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 0), &wsa);
    return options.bench ? bench(options) : demo(options);
  } catch (const plat::Exception& e) {
    fprintf(stderr, "kivpeer: %s\n", e.str());
    return 1;
  }
}

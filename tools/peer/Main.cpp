// kivpeer: plays the part of the viewer that starts ferrin. It offers a
// folder of generated files as a share to be saved into the fetch folder,
// serves it through our own engine, checks what ferrin saved byte for byte
// and prints what it took.
//
//   kivpeer [--ferrin PATH] [--large-mib N] [--small N] [--small-bytes N]
//           [--timeout S] [--keep] [--counts] [--yardsticks]
//                                          the demonstration (default),
//                                          with the bench's yardsticks
//                                          over the same files
//   kivpeer --bench [--ferrin PATH] [--rounds N]
//                                          one 1 GiB file beside raw
//                                          loopback copies of its bytes,
//                                          one 64 MiB file, then 10,000
//                                          small files beside a plain loop
//                                          that writes the same files
#include "CallCounts.h"
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
#include <functional>
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
  bool counts = false;
  bool yardsticks = false;
  int rounds = 1;
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

struct Transfer {
  bool ok = false;
  uint64_t bytes = 0;
  size_t files = 0;
  double mbps = 0;
  double filesPerSecond = 0;
  RunResult run;
};

// A yardstick run over the same files, in the transfer's work folder.
typedef std::function<void(const Transfer&, const SourceTree&, const std::string& work)>
    Alongside;

// One transfer through ferrin; prints its line. alongside, when given, runs
// before the work folder is removed.
Transfer transfer(const Options& options, const char* label, const TreeShape& shape,
                  const Alongside& alongside = nullptr) {
  Transfer t;
  std::string work = makeWorkDir(label);
  printf("%s: generating the files...\n", label);
  fflush(stdout);
  SourceTree tree(work + "\\source", shape);
  ViewerEnd viewer(options.ferrin, work + "\\ferrin.log", options.timeout);
  t.run = viewer.run(tree, work + "\\source", work + "\\fetch");
  t.ok = t.run.ok;
  t.bytes = tree.totalBytes();
  t.files = tree.files().size();
  t.mbps = t.run.seconds > 0 ? t.bytes / t.run.seconds / 1e6 : 0;
  t.filesPerSecond = t.run.seconds > 0 ? t.files / t.run.seconds : 0;
  if (t.ok) {
    printf("%s: %zu files, %llu bytes in %.2f s: %.1f MB/s, %.0f files/s; every byte checked, "
           "ferrin ended with 0; its peak working set %.1f MiB\n",
           label, t.files, (unsigned long long)t.bytes, t.run.seconds, t.mbps, t.filesPerSecond,
           t.run.peakWorkingSet / 1048576.0);
  } else {
    printf("%s: FAILED: %s (ferrin's log: %s)\n", label, t.run.problem.c_str(),
           (work + "\\ferrin.log").c_str());
  }
  fflush(stdout);
  if (t.ok && alongside)
    alongside(t, tree, work);
  if (t.ok && !options.keep)
    removeTree(plat::WString(work.c_str()).c_str());
  return t;
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
    } else if (strcmp(a, "--counts") == 0) {
      o->counts = true;
    } else if (strcmp(a, "--yardsticks") == 0) {
      o->yardsticks = true;
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
    } else if (value && strcmp(a, "--rounds") == 0) {
      o->rounds = atoi(value) > 0 ? atoi(value) : 1;
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

// Raw copies of the 1 GiB file's bytes, after the transfer.
void rawCopies(const Transfer& t, const SourceTree&, const std::string& work) {
  // ferrin reads its socket into an input buffer of the default size; the
  // raw copy reads the same way and writes each piece as ferrin does.
  const int receiveSize = 16800;
  const int sizes[] = {largestLoopbackSend(), 16384};
  for (int sendSize : sizes) {
    double raw = rawLoopbackCopy(t.bytes, sendSize, receiveSize, work + "\\raw.bin");
    printf("  raw loopback copy of the same bytes, sends of %d bytes, receives of at most %d "
           "written to a file: %.1f MB/s; ferrin/raw = %.2f\n",
           sendSize, receiveSize, raw, t.mbps / raw);
  }
  fflush(stdout);
}

// The plain loop over the small files, after the transfer.
void plainLoop(const Transfer& t, const SourceTree& tree, const std::string& work) {
  std::string root = work + "\\plain";
  CreateDirectoryW(plat::WString(root.c_str()).c_str(), nullptr);
  double plain = plainFileLoop(tree, root);
  printf("  plain create-write-stamp-close loop over the same files: %.0f files/s; "
         "ferrin/plain = %.2f\n",
         plain, t.filesPerSecond / plain);
  fflush(stdout);
}

int demo(const Options& options) {
  Transfer t = transfer(options, "demo", options.shape, [&](const Transfer& t, const SourceTree& tree,
                                                            const std::string& work) {
    if (!options.yardsticks)
      return;
    if (options.shape.smallFiles)
      plainLoop(t, tree, work);
    else
      rawCopies(t, tree, work);
  });
  if (t.ok && options.counts) {
    printCounts("demo", t.run.sender, t.run.receiver, t.bytes / 1048576.0, "MiB");
    printCounts("demo", t.run.sender, t.run.receiver, (double)t.files, "file");
  }
  return t.ok ? 0 : 1;
}

int bench(const Options& options) {
  bool ok = true;
  for (int round = 1; round <= options.rounds; round++) {
    if (options.rounds > 1)
      printf("round %d of %d\n", round, options.rounds);

    TreeShape large;
    large.largeBytes = 1ULL << 30;
    Transfer big = transfer(options, "one 1 GiB file", large, rawCopies);
    if (big.ok)
      printCounts("1 GiB", big.run.sender, big.run.receiver, big.bytes / 1048576.0, "MiB");

    TreeShape medium;
    medium.largeBytes = 64ULL << 20;
    Transfer mid = transfer(options, "one 64 MiB file", medium);

    TreeShape small;
    small.smallFiles = 10000;
    small.smallBytes = 1024;
    Transfer many = transfer(options, "10,000 small files", small, plainLoop);
    if (many.ok)
      printCounts("10,000 files", many.run.sender, many.run.receiver, (double)many.files, "file");
    ok = ok && big.ok && mid.ok && many.ok;
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

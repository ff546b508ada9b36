// kivpeer: plays the part of the viewer that starts ferrin, serves it
// through our own engine and checks what comes out of it byte for byte.
//
//   kivpeer [--ferrin PATH] [--large-mib N] [--small N] [--small-bytes N]
//           [--timeout S] [--keep]
//       the demonstration (default): a folder of generated files saved into
//       the fetch folder, files sent back with "Send files...", then a
//       share pasted off the clipboard
//   kivpeer --paste        the paste road: shares for the clipboard (flags 2
//                          and 0) pasted by kivpaste, the clipboard emptied
//                          when the share is withdrawn, nothing offered back
//   kivpeer --paste-many   10,000 small files pasted
//   kivpeer --send         files and folders chosen with "Send files..." in
//                          ferrin's dialog (the chooser driven as a user
//                          would), saved and checked; Close hides the
//                          dialog and the next download shows it again
//   kivpeer --copy         files copied by kivcopy (as a shell item list, then
//                          as a dropped-file list, then virtual files as
//                          descriptors and streams) offered by ferrin as a
//                          clipboard share, saved and checked
//   kivpeer --bench        1 GiB and 10,000 files into the fetch folder, each
//                          beside a raw loopback copy; pastes of a file over
//                          4 GiB and of 10,000 files, each beside the same
//                          paste from the plain virtual-file source
#include "CopyRoad.h"
#include "FetchRoad.h"
#include "PasteRoad.h"
#include "RawCopy.h"
#include "SendRoad.h"
#include "SourceTree.h"

#include "testing/ChildProcess.h"
#include "testing/FileTree.h"
#include "testing/TempDir.h"

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
using testing_support::VirtualShape;
using testing_support::removeTree;
using testing_support::utf8;
using testing_support::wide;

namespace {

struct Options {
  std::wstring ferrin;
  TreeShape shape;
  int timeout = 600;
  bool keep = false;
  std::string mode = "demo";
};

// A fresh folder under the temporary folder with "source" and "fetch".
std::string makeWorkDir(const char* label) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  std::wstring dir = std::wstring(base) + L"kivpeer-" + std::to_wstring(GetCurrentProcessId()) +
                     L"-" + wide(label);
  removeTree(dir);
  CreateDirectoryW(dir.c_str(), nullptr);
  CreateDirectoryW((dir + L"\\source").c_str(), nullptr);
  CreateDirectoryW((dir + L"\\fetch").c_str(), nullptr);
  return utf8(dir);
}

Helpers helpersIn(const std::string& work, const Options& options) {
  Helpers helpers;
  helpers.copy = testing_support::programFolder() + L"..\\clip\\kivcopy.exe";
  helpers.paste = testing_support::programFolder() + L"..\\clip\\kivpaste.exe";
  helpers.work = work;
  helpers.timeout = options.timeout;
  return helpers;
}

void printFailure(const char* label, const std::string& problem, const std::string& work) {
  printf("%s: FAILED: %s (ferrin's log: %s)\n", label, problem.c_str(),
         (work + "\\ferrin.log").c_str());
  fflush(stdout);
}

// One share saved into the fetch folder; its MB/s and files/s.
bool fetch(const Options& options, const char* label, const TreeShape& shape, double* mbps,
           uint64_t* bytes) {
  std::string work = makeWorkDir(label);
  printf("%s: generating the files...\n", label);
  fflush(stdout);
  SourceTree tree(work + "\\source", shape);
  PeerSession session(options.ferrin, work + "\\ferrin.log", false,
                      L"\"FetchDir=" + wide(work + "\\fetch") + L"\"");
  FetchResult result;
  if (session.start(&result.problem))
    result = fetchShare(session, tree, work + "\\source", work + "\\fetch", options.timeout);
  std::string ended;
  bool ok = result.ok && session.finish(&ended);
  *bytes = tree.totalBytes();
  *mbps = result.seconds > 0 ? *bytes / result.seconds / 1e6 : 0;
  if (!ok) {
    printFailure(label, result.ok ? ended : result.problem, work);
    return false;
  }
  printf("%s: %zu files, %llu bytes in %.2f s: %.1f MB/s, %.0f files/s; every byte checked, "
         "ferrin ended with 0\n",
         label, tree.files().size(), (unsigned long long)*bytes, result.seconds, *mbps,
         tree.files().size() / result.seconds);
  fflush(stdout);
  if (!options.keep)
    removeTree(wide(work));
  return true;
}

void printPaste(const char* label, const PasteResult& r) {
  printf("%s: %d files, %llu bytes in %.2f s: %.1f MB/s, %.0f files/s; every byte checked\n",
         label, r.files, (unsigned long long)r.bytes, r.seconds,
         r.seconds > 0 ? r.bytes / r.seconds / 1e6 : 0.0, r.seconds > 0 ? r.files / r.seconds : 0.0);
  fflush(stdout);
}

// Shares offered for the clipboard and pasted out of ferrin; then the
// clipboard emptied by a withdrawal. The checks of --paste.
bool pasteRoad(const Options& options, const char* label,
               const std::vector<std::pair<VirtualShape, uint32_t>>& shares,
               PasteResult* last = nullptr) {
  std::string work = makeWorkDir(label);
  Helpers helpers = helpersIn(work, options);
  PeerSession session(options.ferrin, work + "\\ferrin.log", true, L"");
  std::string problem;
  bool ok = session.start(&problem);
  for (const auto& share : shares) {
    if (!ok)
      break;
    PasteResult result = pasteShare(session, share.first, share.second, helpers);
    ok = result.ok;
    problem = result.problem;
    if (!ok)
      break;
    std::string what = std::string(label) + " (flags " + std::to_string(share.second) + ")";
    printPaste(what.c_str(), result);
    // A file larger than the ring is only sent as the paste reads it.
    if (share.first.largeBytes > (1 << 20) && result.renewals == 0) {
      ok = false;
      problem = "no byte limit was renewed during the paste";
    }
    if (last)
      *last = result;
  }
  if (ok) {
    // Withdrawn by the other end: the files leave the clipboard.
    ft::UploadManager& uploads = session.uploads();
    uploads.withdrawShare(session.connection(), uploads.currentShareId());
    ok = session.serveUntil([] { return !clipboardHasFiles(); }, 30, "the clipboard to empty",
                            &problem);
  }
  // Ferrin watches the clipboard too, but its own contents never go back.
  if (ok && session.extension().advertisements != 0) {
    ok = false;
    problem = "ferrin offered the pasted share back";
  }
  ok = ok && session.finish(&problem);
  if (!ok) {
    printFailure(label, problem, work);
    return false;
  }
  printf("%s: the withdrawal emptied the clipboard; nothing was offered back; ferrin ended with 0\n",
         label);
  fflush(stdout);
  if (!options.keep)
    removeTree(wide(work));
  return true;
}

VirtualShape shape(uint64_t largeBytes, int smallFiles, int smallBytes, bool extras) {
  VirtualShape s;
  s.largeBytes = largeBytes;
  s.smallFiles = smallFiles;
  s.smallBytes = smallBytes;
  s.extras = extras;
  return s;
}

// The same bytes from kivcopy's virtual files: the rate no paste can beat.
bool pasteBaseline(const Options& options, const char* label, const VirtualShape& s,
                   PasteResult* result) {
  std::string work = makeWorkDir(label);
  *result = pasteVirtualSource(s, helpersIn(work, options));
  if (!result->ok) {
    printFailure(label, result->problem, work);
    return false;
  }
  printPaste(label, *result);
  removeTree(wide(work));
  return true;
}

bool benchPaste(const Options& options, const char* label, const VirtualShape& s) {
  PasteResult baseline, ferrin;
  std::string baseLabel = std::string(label) + " from the virtual-file source";
  if (!pasteBaseline(options, baseLabel.c_str(), s, &baseline))
    return false;
  std::string ferrinLabel = std::string(label) + " from ferrin";
  if (!pasteRoad(options, ferrinLabel.c_str(), {{s, 2}}, &ferrin))
    return false;
  double ratio = baseline.seconds / ferrin.seconds;
  printf("  %s: ferrin/virtual-file source = %.2f (%s)\n", label, ratio,
         ratio >= 0.8 ? "at least 0.8" : "BELOW 0.8");
  fflush(stdout);
  return ratio >= 0.8;
}

bool parse(const plat::CommandLineArgs& args, Options* o) {
  o->ferrin = testing_support::programFolder() + L"..\\..\\ferrin\\ferrin.exe";
  o->shape.largeBytes = 64ULL << 20;
  o->shape.smallFiles = 300;
  o->shape.smallBytes = 3000;
  o->shape.awkwardNames = true;
  for (int i = 1; i < args.count(); i++) {
    const char* a = args[i];
    const char* value = i + 1 < args.count() ? args[i + 1] : nullptr;
    if (strcmp(a, "--bench") == 0 || strcmp(a, "--paste") == 0 ||
        strcmp(a, "--paste-many") == 0 || strcmp(a, "--copy") == 0 ||
        strcmp(a, "--send") == 0) {
      o->mode = a + 2;
    } else if (strcmp(a, "--keep") == 0) {
      o->keep = true;
    } else if (value && strcmp(a, "--ferrin") == 0) {
      o->ferrin = wide(value);
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

// Files and folders chosen in ferrin's dialog come to the peer.
bool sendRoad(const Options& options) {
  std::string work = makeWorkDir("send");
  std::string ferrinFetch = work + "\\ferrin-fetch";
  CreateDirectoryW(wide(ferrinFetch).c_str(), nullptr);
  TreeShape shape;
  shape.largeBytes = 3 << 20;
  shape.smallFiles = 250;
  shape.smallBytes = 3000;
  shape.topFiles = 2;
  SourceTree tree(work + "\\source", shape);
  PeerSession session(options.ferrin, work + "\\ferrin.log", false,
                      L"\"FetchDir=" + wide(ferrinFetch) + L"\"");
  SendResult result;
  if (session.start(&result.problem))
    result = sendFiles(session, tree, work + "\\source", work + "\\fetch", options.timeout);
  std::string ended;
  bool ok = result.ok && session.finish(&ended);
  if (!ok) {
    printFailure("send", result.ok ? ended : result.problem, work);
    return false;
  }
  printf("send: %zu files in %d shares chosen with \"Send files...\" (flags 1), saved, every "
         "byte checked; Close hid the dialog and a download showed it again; ferrin ended with "
         "0\n",
         tree.files().size(), result.shares);
  fflush(stdout);
  if (!options.keep)
    removeTree(wide(work));
  return true;
}

int demo(const Options& options) {
  double mbps;
  uint64_t bytes;
  bool ok = fetch(options, "demo", options.shape, &mbps, &bytes);
  ok = sendRoad(options) && ok;
  ok = pasteRoad(options, "paste", {{shape(options.shape.largeBytes, 100, 3000, true), 2}}) && ok;
  return ok ? 0 : 1;
}

int paste(const Options& options) {
  bool ok = pasteRoad(options, "paste",
                      {{shape(3 << 20, 120, 2000, true), 2}, {shape(0, 30, 100, true), 0}});
  return ok ? 0 : 1;
}

int copy(const Options& options) {
  std::string work = makeWorkDir("copy");
  Helpers helpers = helpersIn(work, options);
  PeerSession session(options.ferrin, work + "\\ferrin.log", true, L"");
  std::string problem;
  bool ok = session.start(&problem);
  uint32_t lastShare = 0;
  int round = 0;
  for (const char* formats : {"idlist,hdrop", "hdrop"}) {
    if (!ok)
      break;
    std::string root = work + "\\copy" + std::to_string(round);
    std::string fetchDir = work + "\\fetch" + std::to_string(round++);
    CreateDirectoryW(wide(root).c_str(), nullptr);
    CreateDirectoryW(wide(fetchDir).c_str(), nullptr);
    TreeShape shape;
    shape.largeBytes = 3 << 20;
    shape.smallFiles = 250;
    shape.smallBytes = 3000;
    SourceTree tree(root, shape);
    CopyResult result = copyFiles(session, tree, root, fetchDir, formats, helpers, &lastShare);
    ok = result.ok;
    problem = result.problem;
    if (ok)
      printf("copy (%s): %zu files offered as a clipboard share with '/' names, saved, every "
             "byte checked\n",
             formats, tree.files().size());
  }
  if (ok) {
    // Virtual files: descriptors, and streams that ferrin reads off the
    // copying program's data object.
    std::string fetchDir = work + "\\fetch" + std::to_string(round);
    CreateDirectoryW(wide(fetchDir).c_str(), nullptr);
    VirtualShape files = shape(300000, 40, 2000, true);
    CopyResult result = copyVirtualFiles(session, files, fetchDir, helpers, &lastShare);
    ok = result.ok;
    problem = result.problem;
    if (ok)
      printf("copy (descriptors): %d virtual files offered as a clipboard share, saved, every "
             "byte checked\n",
             testing_support::fileCount(testing_support::virtualTree(files)));
  }
  ok = ok && session.finish(&problem);
  if (!ok) {
    printFailure("copy", problem, work);
    return 1;
  }
  fflush(stdout);
  if (!options.keep)
    removeTree(wide(work));
  return 0;
}

int pasteMany(const Options& options) {
  return pasteRoad(options, "10,000 files pasted", {{shape(0, 10000, 1024, false), 2}}) ? 0 : 1;
}

int bench(const Options& options) {
  bool ok = true;
  double mbps;
  uint64_t bytes;
  const int sendSize = 16384; // the size of ferrin's socket output buffer

  TreeShape large;
  large.largeBytes = 1ULL << 30;
  if (fetch(options, "one 1 GiB file", large, &mbps, &bytes)) {
    double raw = rawLoopbackCopy(bytes, sendSize);
    printf("  raw loopback copy of the same bytes in %d-byte sends: %.1f MB/s; ferrin/raw = %.2f\n",
           sendSize, raw, mbps / raw);
  } else {
    ok = false;
  }

  TreeShape small;
  small.smallFiles = 10000;
  small.smallBytes = 1024;
  if (fetch(options, "10,000 small files", small, &mbps, &bytes)) {
    double raw = rawLoopbackCopy(bytes, sendSize);
    printf("  raw loopback copy of the same bytes in %d-byte sends: %.1f MB/s; ferrin/raw = %.3f\n",
           sendSize, raw, mbps / raw);
  } else {
    ok = false;
  }

  ok = benchPaste(options, "paste of one file of 4.5 GiB", shape(9ULL << 29, 0, 0, false)) && ok;
  ok = benchPaste(options, "paste of 10,000 files of 1 KiB", shape(0, 10000, 1024, false)) && ok;
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
    if (options.mode == "bench")
      return bench(options);
    if (options.mode == "paste")
      return paste(options);
    if (options.mode == "paste-many")
      return pasteMany(options);
    if (options.mode == "copy")
      return copy(options);
    if (options.mode == "send")
      return sendRoad(options) ? 0 : 1;
    return demo(options);
  } catch (const plat::Exception& e) {
    fprintf(stderr, "kivpeer: %s\n", e.str());
    return 1;
  } catch (const std::exception& e) {
    fprintf(stderr, "kivpeer: %s\n", e.what());
    return 1;
  }
}

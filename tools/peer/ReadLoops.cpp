#include "ReadLoops.h"

#include "ferrin/upload/win/FileProxyWin32File.h"
#include "plat/Exception.h"
#include "plat/win/EventManager.h"
#include "rdr/Exception.h"
#include "testing/FtEngine.h"
#include "testing/TempDir.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace peer {

namespace {

typedef std::chrono::steady_clock Clock;

double filesPerSecond(size_t files, Clock::time_point started) {
  return files / std::chrono::duration<double>(Clock::now() - started).count();
}

// As the upload does: what the stream holds now, and when it would block,
// the thread's events until it has more.
void drain(rdr::InStream& in) {
  try {
    for (;;) {
      while (in.check(false, 1)) {
        in.skip(in.avail());
        in.checkpoint();
      }
      MSG msg;
      if (plat::EventManager::instance()->awaitEvent(&msg, 100))
        DispatchMessageW(&msg);
    }
  } catch (rdr::EndOfStream&) {
  }
}

double uploadReads(const std::vector<std::unique_ptr<ft::FileProxy>>& files) {
  // A read that goes pending wakes the upload of a connection: none here.
  testing_support::Engine engine;
  Clock::time_point started = Clock::now();
  for (const auto& file : files) {
    std::unique_ptr<rdr::InStream> in(file->open(0, engine.connection(), &engine.extension));
    drain(*in);
  }
  return filesPerSecond(files.size(), started);
}

double plainReads(const std::vector<std::wstring>& paths) {
  std::vector<char> buffer(65536);
  Clock::time_point started = Clock::now();
  for (const std::wstring& path : paths) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
      throw plat::SystemException("plain reads: CreateFileW", (int)GetLastError());
    DWORD n;
    while (ReadFile(h, buffer.data(), (DWORD)buffer.size(), &n, nullptr) && n > 0) {
    }
    CloseHandle(h);
  }
  return filesPerSecond(paths.size(), started);
}

} // namespace

ReadRates readLoops(const SourceTree& tree, const std::string& root, int rounds) {
  std::vector<std::unique_ptr<ft::FileProxy>> files;
  std::vector<std::wstring> paths;
  for (const SourceFile& f : tree.files()) {
    paths.push_back(testing_support::wide(root + "\\" + f.relativePath));
    files.emplace_back(new ft::FileProxyWin32File(paths.back().c_str(), L"f"));
  }
  ReadRates best;
  for (int round = 0; round < rounds; round++) {
    best.upload = std::max(best.upload, uploadReads(files));
    best.plain = std::max(best.plain, plainReads(paths));
  }
  return best;
}

} // namespace peer

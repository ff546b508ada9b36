// A folder of real files advertised from disk by one engine and saved into
// another folder by the other, over a loopback TCP connection: what two
// ferrins do.
#include "ferrin/upload/win/FileProxyWin32File.h"
#include "ft/Parameters.h"
#include "ft/ShareProxy.h"
#include "ft/win/ShareDownloader.h"
#include "os/win/DirIterator.h"
#include "StreamDrain.h"
#include "testing/FtLoopback.h"
#include "testing/FileTree.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

struct Setting {
  Setting(plat::IntParameter& param, int value) : param(param) {
    param.setValue(value, plat::PriorityUser);
  }
  ~Setting() { param.removeValue(plat::PriorityUser); }
  plat::IntParameter& param;
};

struct Outcome : ft::ShareDownloader::SDCallback {
  std::string end;
  std::vector<std::string> failures;
  void downloadStarted(const ft::ShareDownloader::DownloadId&,
                       const std::set<std::string>&) override {}
  void setRootDir(const ft::ShareDownloader::DownloadId&, const char*) override {}
  void fileStarting(const ft::ShareDownloader::DownloadId&, const char*) override {}
  void setIconPath(const ft::ShareDownloader::DownloadId&, const char*) override {}
  void downloadFailed(const ft::ShareDownloader::DownloadId&, const char* message,
                      bool) override {
    failures.push_back(message);
    end = "failed";
  }
  void showError(const char* message) override { failures.push_back(message); }
  void progress(const ft::ShareDownloader::DownloadId&, uint64_t, uint64_t, uint32_t,
                uint32_t) override {}
  void downloadComplete(const ft::ShareDownloader::DownloadId&) override { end = "complete"; }
};

// A file of size bytes that takes room only where the marks are.
void writeSparse(const std::string& path, uint64_t size,
                 const std::map<uint64_t, std::string>& marks) {
  HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  for (const auto& mark : marks) {
    LARGE_INTEGER at;
    at.QuadPart = (LONGLONG)mark.first;
    SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
    DWORD n;
    WriteFile(h, mark.second.data(), (DWORD)mark.second.size(), &n, nullptr);
  }
  LARGE_INTEGER end;
  end.QuadPart = (LONGLONG)size;
  SetFilePointerEx(h, end, nullptr, FILE_BEGIN);
  SetEndOfFile(h);
  CloseHandle(h);
}

// Every file and folder below root, parents first, as a share: names are
// the relative paths, except where rename gives the name to advertise.
void addTree(const std::string& root, const std::string& relative,
             const std::map<std::string, std::string>& rename,
             std::vector<ft::FileProxy*>* files) {
  os::DirIterator it((relative.empty() ? root : root + "\\" + relative).c_str(), "*");
  while (it.next()) {
    std::string name = relative.empty() ? it.name() : relative + "\\" + it.name();
    auto renamed = rename.find(name);
    std::string advertised = renamed == rename.end() ? name : renamed->second;
    files->push_back(new ft::FileProxyWin32File(wide(it.fullPath()).c_str(),
                                                wide(advertised).c_str()));
    if (it.isDirectory())
      addTree(root, name, rename, files);
  }
}

} // namespace

TEST(EndToEnd, AFolderOfRealFilesArrivesByteForByte) {
  TempDir from, to;
  const uint64_t bigSize = (2ULL << 30) + 12345;
  writeSparse(from.file("big.bin"), bigSize,
              {{0, "start"}, {(1ULL << 31) - 3, "across 2 GiB"}, {bigSize - 4, "end!"}});
  CreateDirectoryW(wide(from.file("docs")).c_str(), nullptr);
  CreateDirectoryW(wide(from.file("docs\\sub")).c_str(), nullptr);
  CreateDirectoryW(wide(from.file("nothing")).c_str(), nullptr);
  writeFile(from.file("docs\\a.txt"), "some text\r\n");
  writeFile(from.file("docs\\sub\\b.bin"), pattern(1234567, 9));
  writeFile(from.file("docs\\sub\\empty"), "");
  writeFile(from.file("empty.txt"), "");
  writeFile(from.file("device"), pattern(1000, 1));
  writeFile(from.file("climber"), pattern(2000, 2));
  writeFile(from.file("odd"), pattern(3000, 3));
  // Names that must not reach the disk as sent.
  std::map<std::string, std::string> rename = {
      {"device", "Nul.txt"}, {"climber", "C:/up.txt"}, {"odd", "what?: \"no\". "}};
  // Where each file must end up.
  std::map<std::string, std::string> expected = {
      {"big.bin", "big.bin"},
      {"docs\\a.txt", "docs\\a.txt"},
      {"docs\\sub\\b.bin", "docs\\sub\\b.bin"},
      {"docs\\sub\\empty", "docs\\sub\\empty"},
      {"empty.txt", "empty.txt"},
      {"device", "Nul-.txt"},
      {"climber", "C-\\up.txt"},
      {"odd", "what-- -no---"}};
  std::vector<ft::FileProxy*> files;
  addTree(from.path(), "", rename, &files);

  // Larger messages and windows, renewed less often, than by default: the
  // loopback under Wine moves messages slowly, not bytes.
  Setting bias(ft::fileTransferBias, 95);
  Setting window(ft::fileTransferBufferSize, 4 << 20);
  Setting renewal(ft::fileTransferLWM, 1 << 20);
  LoopbackEngines engines;
  ASSERT_TRUE(engines.connect());
  uint32_t id = engines.a.share(files, 1);
  ft::ShareProxy* share = nullptr;
  ASSERT_TRUE(pumpUntil(
      [&] {
        if (share)
          share->release();
        share = engines.b.extension.getCurrentShare();
        return share && share->shareId() == id;
      },
      30000));
  Outcome outcome;
  ft::ShareDownloader downloader;
  downloader.setCallback(&outcome);
  downloader.download(share, to.path().c_str());
  ASSERT_TRUE(pumpUntil([&] { return !outcome.end.empty(); }, 800000));
  EXPECT_EQ("complete", outcome.end);
  EXPECT_TRUE(outcome.failures.empty()) << outcome.failures[0];
  share->release();

  for (const auto& file : expected)
    EXPECT_TRUE(sameFileContents(from.file(file.first), to.file(file.second))) << file.second;
  EXPECT_TRUE(GetFileAttributesW(wide(to.file("nothing")).c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

#include "os/win/FileVersionInfo.h"
#include "os/win/ModuleFileName.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <string>

using os::FileVersionInfo;
using testing_support::TempDir;
using testing_support::wide;

namespace {

std::string failureOf(const char* path) {
  try {
    FileVersionInfo info(path);
  } catch (const plat::Exception& e) {
    return e.str();
  }
  return "no failure";
}

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

TEST(FileVersionInfo, ReadsTheProgramsOwnVersionStrings) {
  FileVersionInfo own;
  EXPECT_STREQ("1.2.3.4-test", own.getString("ProductVersion", 0x040904b0));
  EXPECT_STREQ("os library tests", own.getString("FileDescription", 0x040904b0));
  try {
    own.getString("ProductVersion", 0x040704b0);
    ADD_FAILURE() << "no such language";
  } catch (const plat::Exception& e) {
    EXPECT_STREQ("VerQueryValue failed", e.str());
  }
  EXPECT_THROW(own.getString("NoSuchKey", 0x040904b0), plat::Exception);
}

TEST(FileVersionInfo, NamedFileAndFailures) {
  plat::String self = plat::String::adopt(os::getModuleFileName(nullptr));
  EXPECT_STREQ("1.2.3.4-test", FileVersionInfo(self.c_str()).getString("ProductVersion",
                                                                        0x040904b0));
  TempDir dir;
  EXPECT_EQ(0u, failureOf(dir.file("missing.exe").c_str()).find("Failed to open file: "));
  testing_support::writeFile(dir.file("plain.txt"), "no resources here");
  EXPECT_EQ(0u, failureOf(dir.file("plain.txt").c_str()).find("GetVersionInfoSize failed: "));
}

TEST(ModuleFileName, TheProgramsPath) {
  plat::String self = plat::String::adopt(os::getModuleFileName(nullptr));
  ASSERT_FALSE(self.isNull());
  EXPECT_TRUE(endsWith(self.c_str(), "\\os_tests.exe")) << self.c_str();
}

TEST(ModuleFileName, PathLongerThanTheFirstBufferIsWhole) {
  TempDir dir;
  std::string path = dir.path();
  std::wstring longPrefix = L"\\\\?\\";
  for (int i = 0; i < 4; i++) {
    path += "\\" + std::string(80, (char)('a' + i));
    ASSERT_TRUE(CreateDirectoryW((longPrefix + wide(path)).c_str(), nullptr));
  }
  path += "\\copy.exe";
  ASSERT_GT(path.size(), 330u);
  plat::String self = plat::String::adopt(os::getModuleFileName(nullptr));
  ASSERT_TRUE(CopyFileW(wide(self.c_str()).c_str(), (longPrefix + wide(path)).c_str(), FALSE));

  HMODULE module = LoadLibraryExW((longPrefix + wide(path)).c_str(), nullptr,
                                  DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_TRUE(module != nullptr) << GetLastError();
  plat::String name = plat::String::adopt(os::getModuleFileName(module));
  FreeLibrary(module);
  ASSERT_FALSE(name.isNull());
  EXPECT_TRUE(endsWith(name.c_str(), path.substr(dir.path().size()))) << name.c_str();
  EXPECT_GT(strlen(name.c_str()), 330u);
  // Removing the tree needs the long form too.
  std::string sub = path.substr(0, path.rfind('\\'));
  DeleteFileW((longPrefix + wide(path)).c_str());
  for (int i = 0; i < 4; i++) {
    RemoveDirectoryW((longPrefix + wide(sub)).c_str());
    sub = sub.substr(0, sub.rfind('\\'));
  }
}

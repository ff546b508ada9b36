#include "ft/Win32SanitizePathCallback.h"
#include "plat/String.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string sanitize(const char* name) {
  ft::Win32SanitizePathCallback sanitizer;
  return plat::String::adopt(sanitizer.sanitize(name)).c_str();
}

} // namespace

TEST(Win32Sanitize, ReplacesCharactersWindowsRefuses) {
  EXPECT_EQ("a-b", sanitize("a:b"));
  EXPECT_EQ("a-b-c-d-e-f-g-h", sanitize("a\"b*c<d>e?f\\g|h"));
  EXPECT_EQ("tab-bell-", sanitize("tab\tbell\a"));
  EXPECT_EQ("dir/sub/file.txt", sanitize("dir/sub/file.txt"));
  EXPECT_EQ("caf\xC3\xA9.txt", sanitize("caf\xC3\xA9.txt"));
}

TEST(Win32Sanitize, DeviceNamesInAnyCaseGetAHyphen) {
  EXPECT_EQ("CON-.txt", sanitize("CON.txt"));
  EXPECT_EQ("AUX-.txt", sanitize("AUX.txt"));
  EXPECT_EQ("aux-.txt", sanitize("aux.txt"));
  EXPECT_EQ("nul-.txt", sanitize("nul.txt"));
  EXPECT_EQ("Com1-", sanitize("Com1"));
  EXPECT_EQ("dir/lpt9-.tar.gz", sanitize("dir/lpt9.tar.gz"));
  EXPECT_EQ("prn-/x", sanitize("prn/x"));
  EXPECT_EQ("conout$-", sanitize("conout$"));
  EXPECT_EQ("COM\xC2\xB9-.log", sanitize("COM\xC2\xB9.log"));
  // Windows ignores trailing spaces and dots of a device name.
  EXPECT_EQ("nul -.txt", sanitize("nul .txt"));
  EXPECT_EQ("nul-", sanitize("nul."));
  EXPECT_EQ("con--", sanitize("con. "));
  // Not devices.
  EXPECT_EQ("console.txt", sanitize("console.txt"));
  EXPECT_EQ("com10", sanitize("com10"));
  EXPECT_EQ("lpt", sanitize("lpt"));
  EXPECT_EQ("my.con", sanitize("my.con"));
}

TEST(Win32Sanitize, NothingCanClimbOutOrNameADrive) {
  EXPECT_EQ("--", sanitize(".."));
  EXPECT_EQ("-", sanitize("."));
  EXPECT_EQ("--/--/etc/passwd", sanitize("../../etc/passwd"));
  EXPECT_EQ("..-..-x", sanitize("..\\..\\x"));
  EXPECT_EQ("C--Windows-win.ini", sanitize("C:\\Windows\\win.ini"));
  EXPECT_EQ("C-/x", sanitize("C:/x"));
  EXPECT_EQ("etc/passwd", sanitize("/etc/passwd"));
  EXPECT_EQ("server/share", sanitize("//server/share"));
  EXPECT_EQ("a/b", sanitize("a//b/"));
  EXPECT_EQ("---", sanitize("..."));
  EXPECT_EQ("a/---/b", sanitize("a/. ./b"));
  EXPECT_EQ("file-stream", sanitize("file:stream"));
  EXPECT_EQ("-", sanitize(""));
  EXPECT_EQ("-", sanitize("///"));
  EXPECT_EQ("-", sanitize(nullptr));
}

TEST(Win32Sanitize, KeepsLeadingDotsAndInnerDots) {
  EXPECT_EQ(".profile", sanitize(".profile"));
  EXPECT_EQ("a/.hidden.txt", sanitize("a/.hidden.txt"));
  EXPECT_EQ("notes-", sanitize("notes."));
  EXPECT_EQ("My Folder-/x", sanitize("My Folder /x"));
}

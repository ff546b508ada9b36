#include "plat/Path.h"

#include <gtest/gtest.h>

using namespace plat;

TEST(ParentDirectory, DrivePaths) {
  ParentDirectory a("C:\\a\\b\\");
  EXPECT_STREQ("C:\\a\\", a.path());
  EXPECT_FALSE(a.isRoot());
  ParentDirectory b("C:\\a");
  EXPECT_STREQ("C:\\", b.path());
  EXPECT_TRUE(b.isRoot());
  ParentDirectory c("C:/a/b");
  EXPECT_STREQ("C:/a/", c.path());
}

TEST(ParentDirectory, Refusals) {
  try {
    ParentDirectory p("C:\\");
    FAIL();
  } catch (const ParentDirectory::PathIsRoot& e) {
    EXPECT_STREQ("PathIsRoot: C:\\", e.str());
  }
  try {
    ParentDirectory p("abc");
    FAIL();
  } catch (const ParentDirectory::NotAPath& e) {
    EXPECT_STREQ("NotAPath: abc", e.str());
  }
  EXPECT_THROW(ParentDirectory(nullptr), AssertionFail);
  EXPECT_THROW(ParentDirectory("\\\\server"), ParentDirectory::NotAPath);
  EXPECT_THROW(ParentDirectory("\\\\server\\"), ParentDirectory::NotAPath);
  EXPECT_THROW(ParentDirectory("\\\\server\\share"), ParentDirectory::PathIsRoot);
  EXPECT_THROW(ParentDirectory("\\\\server\\share\\"), ParentDirectory::PathIsRoot);
}

TEST(ParentDirectory, ServerShares) {
  ParentDirectory p("\\\\server\\share\\dir");
  EXPECT_STREQ("\\\\server\\share\\", p.path());
  EXPECT_TRUE(p.isRoot());
  ParentDirectory q("\\\\server\\share\\dir\\sub\\");
  EXPECT_STREQ("\\\\server\\share\\dir\\", q.path());
  EXPECT_FALSE(q.isRoot());
}

TEST(DirectoryOf, Forms) {
  EXPECT_STREQ("C:\\a", directoryOf("C:\\a\\b.txt").c_str());
  EXPECT_STREQ("C:\\", directoryOf("C:\\b.txt").c_str());
  EXPECT_STREQ("C:\\", directoryOf("C:\\").c_str());
  EXPECT_STREQ(".", directoryOf("b.txt").c_str());
  EXPECT_STREQ("\\\\srv\\share", directoryOf("\\\\srv\\share\\x.log").c_str());
  EXPECT_STREQ("\\\\srv\\share\\d", directoryOf("\\\\srv\\share\\d\\x.log").c_str());
  EXPECT_STREQ("a/b", directoryOf("a/b/c").c_str());
}

TEST(MayReachNetwork, Forms) {
  for (const char* remote : {"\\\\server\\share\\pw", "//server/share/pw", "\\/server/pw",
                             "\\\\?\\UNC\\server\\share\\pw", "\\\\.\\UNC\\server\\pw",
                             "\\??\\UNC\\server\\share\\pw", "\\\\server@SSL\\DavWWWRoot\\pw"})
    EXPECT_TRUE(mayReachNetwork(remote)) << remote;
  for (const char* local : {"C:\\pw", "C:/dir/pw", "pw", "dir\\pw", "\\dir\\pw", "/dir/pw", ""})
    EXPECT_FALSE(mayReachNetwork(local)) << local;
}

TEST(NamesDevice, Forms) {
  for (const char* device : {"CON", "nul", "COM1", "lpt1", "CONIN$", "conout$", "AUX.txt", "NUL:",
                             "C:\\dir\\COM1", "C:/dir/lpt9.log", "dir\\con", "C:NUL",
                             "C:\\CON .txt", "\\\\?\\C:\\dir\\aux"})
    EXPECT_TRUE(namesDevice(device)) << device;
  for (const char* file : {"", "C:\\pw", "CONSOLE", "COM10", "C:\\CON\\pw", "nul-.txt",
                           "dir\\LPT", "C:\\dir\\", "xCON"})
    EXPECT_FALSE(namesDevice(file)) << file;
}

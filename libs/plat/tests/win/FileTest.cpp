#include "plat/win/DynamicFn.h"
#include "plat/win/File.h"
#include "plat/win/StdioFile.h"
#include "plat/LogWriter.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>

using namespace plat;
using testing_support::TempDir;
using testing_support::readFile;
using testing_support::writeFile;

TEST(File, ExistsAndDirectory) {
  TempDir dir;
  EXPECT_TRUE(fileExists(dir.path().c_str()));
  EXPECT_TRUE(isDirectory(dir.path().c_str()));
  EXPECT_FALSE(fileExists(dir.file("missing").c_str()));
  EXPECT_FALSE(fileExists(dir.file("missing\\deeper\\x").c_str()));
  writeFile(dir.file("f"), "x");
  EXPECT_TRUE(fileExists(dir.file("f").c_str()));
  EXPECT_FALSE(isDirectory(dir.file("f").c_str()));
}

TEST(File, OpenReportsThePath) {
  TempDir dir;
  std::string missing = dir.file("nope\\x.txt");
  EXPECT_EQ(nullptr, fileTryOpen(missing.c_str(), "r"));
  try {
    fileOpen(missing.c_str(), "r");
    FAIL();
  } catch (const SystemException& e) {
    EXPECT_EQ(0u, std::string(e.str()).find("fileOpen(" + missing + "): "));
  }
}

TEST(File, RenameReplacesTheTargetInOneStep) {
  TempDir dir;
  writeFile(dir.file("a"), "new");
  writeFile(dir.file("b"), "old");
  EXPECT_TRUE(fileRename(dir.file("a").c_str(), dir.file("b").c_str()));
  EXPECT_EQ("new", readFile(dir.file("b")));
  EXPECT_FALSE(fileExists(dir.file("a").c_str()));
  // A failed move leaves the target alone.
  EXPECT_FALSE(fileRename(dir.file("missing").c_str(), dir.file("b").c_str()));
  EXPECT_EQ("new", readFile(dir.file("b")));
  EXPECT_TRUE(fileDelete(dir.file("b").c_str()));
  EXPECT_FALSE(fileDelete(dir.file("b").c_str()));
}

TEST(File, MkDirAndMkDirs) {
  TempDir dir;
  std::string deep = dir.file("x\\y\\z");
  EXPECT_THROW(mkDir(deep.c_str()), SystemException);
  EXPECT_TRUE(mkDirs(deep.c_str()));
  EXPECT_TRUE(isDirectory(dir.file("x\\y").c_str()));
  EXPECT_TRUE(isDirectory(deep.c_str()));
  EXPECT_FALSE(mkDir(deep.c_str()));
  EXPECT_FALSE(mkDirs(deep.c_str()));
  EXPECT_THROW(mkDir(deep.c_str(), true, true), Exception);
  writeFile(dir.file("file"), "");
  EXPECT_THROW(mkDir(dir.file("file").c_str()), SystemException);
}

TEST(StdioFile, DashHoldsTheStandardStreamsUnowned) {
  {
    StdioFile f;
    f.open("-", StdioFile::Write, false);
    EXPECT_EQ(stdout, f.get());
    f.close();
  }
  EXPECT_NE(EOF, fputs("", stdout)); // still open
  StdioFile in;
  in.open("-", StdioFile::Read, false);
  EXPECT_EQ(stdin, in.get());
  EXPECT_THROW(in.open("-", StdioFile::ReadWrite, false), Exception);
}

TEST(StdioFile, ModesAndFallback) {
  TempDir dir;
  std::string name = dir.file("f.bin");
  StdioFile f;
  EXPECT_THROW(f.open(name.c_str(), StdioFile::ReadWrite, true), SystemException);
  f.open(name.c_str(), StdioFile::ReadWriteOrCreate, true); // falls back to w+
  fputs("a\nb", f.get());
  f.close();
  EXPECT_EQ("a\nb", readFile(name));
  f.open(name.c_str(), StdioFile::Append, true);
  fputs("c", f.get());
  f.close();
  EXPECT_EQ("a\nbc", readFile(name));
}

TEST(FileDescriptor, OpenWriteClose) {
  TempDir dir;
  std::string name = dir.file("fd.bin");
  FileDescriptor fd;
  fd.open(name.c_str(), _O_CREAT | _O_WRONLY | _O_TRUNC);
  EXPECT_EQ(4, fd.write("a\nbc", 4));
  fd.close();
  EXPECT_EQ(-1, fd.get());
  EXPECT_EQ("a\nbc", readFile(name)); // binary: no CR added
  EXPECT_THROW(fd.open(dir.file("no\\such").c_str(), _O_RDONLY), SystemException);
}

namespace {
struct Capture : Logger {
  Capture() : Logger("dynfn-capture") { registerLogger(); }
  std::vector<std::string> lines;
  void write(int level, const char*, const char* text) override {
    lines.push_back(std::to_string(level) + ":" + text);
  }
};
} // namespace

TEST(DynamicFn, BindsTheFirstFunctionFound) {
  DynamicFn fn("nosuchmodule_kiv,kernel32", "NoSuchFunction,GetTickCount");
  ASSERT_TRUE(fn.isValid());
  typedef DWORD(WINAPI * Tick)();
  DynamicFnT<Tick> tick("kernel32", "GetTickCount");
  EXPECT_GT(tick.get()(), 0u);
}

Capture capture;

TEST(DynamicFn, MissingFunctionLogsAtLevel120) {
  capture.lines.clear();
  LogWriter::applyLogParams("DynamicFn:dynfn-capture:120");
  DynamicFn fn("user32", "NoSuchFunctionAtAll");
  DynamicFn none("nosuchmodule_kiv", "X");
  LogWriter::applyLogParams("");
  EXPECT_FALSE(fn.isValid());
  EXPECT_FALSE(none.isValid());
  EXPECT_EQ((std::vector<std::string>{"120:  [DynFnFind(NoSuchFunctionAtAll) failed]",
                                      "120: [DynFnOpen(nosuchmodule_kiv) failed]"}),
            capture.lines);
}

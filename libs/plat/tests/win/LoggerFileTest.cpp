#include "plat/Configuration.h"
#include "plat/win/AppInit.h"
#include "plat/win/File.h"
#include "plat/win/LoggerFile.h"
#include "plat/win/Unicode.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <sstream>

using namespace plat;
using testing_support::TempDir;
using testing_support::readFile;
using testing_support::writeFile;

namespace {

LogWriter shortWriter("Four");
LogWriter longWriter("ShareDownloader");

std::vector<std::string> linesOf(const std::string& path) {
  std::string data = readFile(path);
  std::vector<std::string> lines;
  std::string line;
  for (char c : data) {
    if (c == '\r')
      continue;
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty())
    lines.push_back(line);
  return lines;
}

const std::regex timeLine("[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} "
                          "[0-9]{4}");

} // namespace

struct LogFile : testing::Test {
  TempDir dir;
  Configuration group{"LogFileTest"};
  StringParameter fileParam{"TestLogFile", "file", "", 0, &group};

  void TearDown() override { LogWriter::applyLogParams(""); }
};

TEST_F(LogFile, LayoutOfBannerTimeNameColumnAndWrapping) {
  std::string name = dir.file("sub\\dir\\t.log");
  fileParam.setParam(name.c_str(), 50);
  static Logger_file* logger = new Logger_file("testfile1", &fileParam);
  logger->registerLogger();
  Logger_file::setBanner("Banner line for the log");
  LogWriter::applyLogParams("Four:testfile1:100,ShareDownloader:testfile1:100");

  // Within one second: one time line. The writes start as a second turns,
  // so that they follow a time line of their own; should they still cross
  // into the next second, they are made again as the one after it turns.
  std::string longText;
  for (int i = 0; i < 20; i++)
    longText += "word" + std::to_string(i) + " ";
  for (;;) {
    time_t before = time(nullptr);
    while (time(nullptr) == before)
      Sleep(1);
    time_t start = time(nullptr);
    shortWriter.info("hello");
    longWriter.info("%s", longText.c_str());
    if (time(nullptr) == start)
      break;
  }
  delete logger; // closes the file (the logger stays listed until then)
  logger = nullptr;
  LogWriter::applyLogParams("");

  std::vector<std::string> lines = linesOf(name);
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ("Banner line for the log", lines[0]);
  // The banner, then a blank line and the time in ctime's fixed form.
  size_t t = lines.size();
  for (size_t i = 1; i < lines.size(); i++)
    if (std::regex_match(lines[i], timeLine))
      t = i;
  ASSERT_LT(t, lines.size());
  EXPECT_EQ("", lines[t - 1]);
  EXPECT_EQ(" Four:        hello", lines[t + 1]);
  EXPECT_EQ(14u, std::string(" Four:        ").size());
  EXPECT_EQ(0u, lines[t + 2].find(" ShareDownlo: word0 word1 "));
  EXPECT_EQ(0u, lines[t + 3].find("              word"));
  for (size_t i = t + 2; i < lines.size(); i++)
    EXPECT_LE(lines[i].size(), 78u) << lines[i];
  std::string joined;
  for (size_t i = t + 2; i < lines.size(); i++)
    joined += (i > t + 2 ? " " : "") + lines[i].substr(14);
  EXPECT_EQ(longText, joined);
}

TEST_F(LogFile, ReopeningMovesTheOldFileToBak) {
  std::string name = dir.file("r.log");
  writeFile(name, "previous run\n");
  writeFile(name + ".bak", "older run\n");
  fileParam.setParam(name.c_str(), 50);
  Logger_file* logger = new Logger_file("testfile2", &fileParam);
  static Logger_file* keep = logger;
  logger->registerLogger();
  Logger_file::setBanner("B");
  LogWriter::applyLogParams("Four:testfile2:0");
  shortWriter.error("first");
  EXPECT_EQ("previous run\n", readFile(name + ".bak"));

  // The same name after expansion: the file is neither closed nor reopened.
  fileParam.setParam(name.c_str(), 40);
  shortWriter.error("second");
  EXPECT_EQ("previous run\n", readFile(name + ".bak"));

  // A new name: the next message starts a new file with the banner.
  std::string other = dir.file("other.log");
  fileParam.setParam(other.c_str(), 30);
  shortWriter.error("third");
  LogWriter::applyLogParams("");
  delete keep;
  keep = nullptr;

  std::vector<std::string> first = linesOf(name);
  EXPECT_EQ("B", first[0]);
  EXPECT_EQ(" Four:        second", first.back());
  std::vector<std::string> second = linesOf(other);
  EXPECT_EQ("B", second[0]);
  EXPECT_EQ(" Four:        third", second.back());
}

TEST_F(LogFile, UnopenableFileDropsMessagesUntilItCanOpen) {
  std::string blocker = dir.file("blocker");
  writeFile(blocker, "");
  std::string name = blocker + "\\x.log"; // a file stands where the directory should be
  fileParam.setParam(name.c_str(), 50);
  static Logger_file* logger = new Logger_file("testfile3", &fileParam);
  logger->registerLogger();
  LogWriter::applyLogParams("Four:testfile3:0");
  shortWriter.error("dropped");
  std::string good = dir.file("good.log");
  fileParam.setParam(good.c_str(), 40);
  shortWriter.error("kept");
  LogWriter::applyLogParams("");
  delete logger;
  logger = nullptr;
  std::vector<std::string> lines = linesOf(good);
  EXPECT_EQ(" Four:        kept", lines.back());
}

TEST_F(LogFile, ALogThatCannotBeMovedAsideIsNotOverwritten) {
  std::string name = dir.file("held.log");
  writeFile(name, "another process's log\n");
  // Held as the runtime holds an open log: shared for writing, not moving.
  HANDLE held = CreateFileW(WString(name.c_str()).c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  fileParam.setParam(name.c_str(), 50);
  std::unique_ptr<Logger_file> logger(new Logger_file("testfile4", &fileParam));
  logger->registerLogger();
  LogWriter::applyLogParams("Four:testfile4:0");
  shortWriter.error("dropped");
  EXPECT_EQ("another process's log\n", readFile(name));
  CloseHandle(held);
  shortWriter.error("kept");
  LogWriter::applyLogParams("");
  logger.reset();
  EXPECT_EQ("another process's log\n", readFile(name + ".bak"));
  EXPECT_EQ(" Four:        kept", linesOf(name).back());
}

TEST_F(LogFile, ANameThatCannotBeExpandedOpensNoFile) {
  std::string unexpanded = dir.file("${KIV_UNSET_VARIABLE}");
  fileParam.setParam((unexpanded + "\\x.log").c_str(), 50);
  testing::internal::CaptureStderr();
  std::unique_ptr<Logger_file> logger(new Logger_file("testfile5", &fileParam));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, err.find("unknown environment variable: KIV_UNSET_VARIABLE"));
  logger->registerLogger();
  LogWriter::applyLogParams("Four:testfile5:0");
  shortWriter.error("dropped");
  LogWriter::applyLogParams("");
  EXPECT_FALSE(fileExists(unexpanded.c_str()));
}

TEST(AppInit, SetsUpLoggersLogFileAndTheLogDefault) {
  testing::internal::CaptureStderr();
  AppInfo& info = appInit("ferrin", "*:EventLog:0");
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ("No logger found: 'EventLog'\n", err);
  EXPECT_EQ(&info, &appInfo());
  EXPECT_STREQ("${SystemDrive}\\temp\\ferrin.log", info.defaultLogFile.c_str());
  EXPECT_STREQ("Ostrel\xc2\xae Foundation Tests", info.about.productName.c_str());
  EXPECT_STREQ("Ostrel Foundation Tests", info.about.shortProductName.c_str());
  ConfigParameter* logFile = Configuration::global()->get("LogFile");
  ASSERT_NE(nullptr, logFile);
  EXPECT_STREQ("${SystemDrive}\\temp\\ferrin.log", logFile->getValueStr().c_str());
  EXPECT_EQ(nullptr, LogWriter::find("Threading")->logger());
  for (const char* name : {"file", "stderr", "stdout", "debug"})
    EXPECT_NE(nullptr, Logger::find(name)) << name;

  // The older family's default attaches every writer to the file.
  Configuration::global()->set("Log", "*:file:0", 100);
  EXPECT_EQ(Logger::find("file"), LogWriter::find("Threading")->logger());
  Configuration::global()->set("Log", "", 100);
}

#include "plat/ConfigParameter.h"
#include "plat/Configuration.h"
#include "plat/LogWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace plat;

namespace {

struct CaptureLogger : Logger {
  explicit CaptureLogger(const char* name) : Logger(name) { registerLogger(); }
  std::vector<std::string> lines;
  void write(int level, const char* writerName, const char* text) override {
    lines.push_back(std::string(writerName) + "|" + std::to_string(level) + "|" + text);
  }
};

LogWriter alpha("TestAlpha");
LogWriter beta("TestBeta");
CaptureLogger capture("capture");
CaptureLogger other("Other");

std::string applyCapturingStderr(const char* value) {
  testing::internal::CaptureStderr();
  LogWriter::applyLogParams(value);
  return testing::internal::GetCapturedStderr();
}

struct LogParams : testing::Test {
  void TearDown() override {
    LogWriter::applyLogParams("");
    capture.lines.clear();
  }
};

} // namespace

TEST_F(LogParams, WritersAreListedNewestFirst) {
  // Writers defined in the library itself are linked in and listed too.
  EXPECT_NE(nullptr, LogWriter::find("ConfigParameter"));
  EXPECT_NE(nullptr, LogWriter::find("assertion"));
  bool sawBeta = false;
  for (LogWriter* w = LogWriter::first(); w; w = w->next()) {
    if (w == &beta)
      sawBeta = true;
    if (w == &alpha) {
      EXPECT_TRUE(sawBeta);
    }
  }
}

TEST_F(LogParams, LevelsFilterMessages) {
  EXPECT_EQ("", applyCapturingStderr("TestAlpha:capture:30"));
  alpha.debug("hidden %d", 1);
  alpha.info("shown %d", 2);
  alpha.error("err");
  beta.error("beta has no logger");
  EXPECT_EQ((std::vector<std::string>{"TestAlpha|30|shown 2", "TestAlpha|0|err"}), capture.lines);
}

TEST_F(LogParams, StarThenSpecificElement) {
  applyCapturingStderr("*:capture:0,testbeta:CAPTURE:100");
  alpha.info("no");
  alpha.error("yes");
  beta.debug("detail");
  EXPECT_EQ((std::vector<std::string>{"TestAlpha|0|yes", "TestBeta|100|detail"}), capture.lines);
  EXPECT_EQ(&capture, alpha.logger());
}

TEST_F(LogParams, ElementWithoutLevelFailsAndLeavesWritersDetached) {
  applyCapturingStderr("*:capture:0");
  std::string err = applyCapturingStderr("*:capture");
  EXPECT_EQ("failed to parse log param element:*:capture\n", err);
  EXPECT_EQ(nullptr, alpha.logger());
}

TEST_F(LogParams, UnknownWriterStopsTheRest) {
  std::string err = applyCapturingStderr("Nobody:capture:0,TestAlpha:capture:0");
  EXPECT_EQ("No logwriter found: 'Nobody'\n", err);
  EXPECT_EQ(nullptr, alpha.logger());
}

TEST_F(LogParams, UnknownLoggerDetachesAndContinues) {
  std::string err = applyCapturingStderr("*:EventLog:0,TestBeta:other:10");
  EXPECT_EQ("No logger found: 'EventLog'\n", err);
  EXPECT_EQ(nullptr, alpha.logger());
  EXPECT_EQ(&other, beta.logger());
  EXPECT_EQ(10, beta.level());
}

TEST_F(LogParams, EmptyLoggerDetachesAndBadLevelReadsZero) {
  applyCapturingStderr("TestAlpha:capture:abc");
  EXPECT_EQ(&capture, alpha.logger());
  EXPECT_EQ(0, alpha.level());
  applyCapturingStderr("TestAlpha:capture:5,TestAlpha::5");
  EXPECT_EQ(nullptr, alpha.logger());
}

TEST_F(LogParams, TheLogParameterAppliesOnEveryChange) {
  Configuration* g = Configuration::global();
  testing::internal::CaptureStderr();
  ASSERT_TRUE(g->set("Log", "TestAlpha:capture:100", 50));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(&capture, alpha.logger());
  // A default written below the value in force: the value in force is
  // applied again.
  ASSERT_TRUE(g->set("Log", "*:capture:0", 100));
  EXPECT_EQ(100, alpha.level());
  g->get("Log")->removeValue(50);
  ASSERT_TRUE(g->set("Log", "", 100));
  EXPECT_EQ(nullptr, alpha.logger());
}

TEST_F(LogParams, LongMessagesAreCut) {
  applyCapturingStderr("TestAlpha:capture:0");
  std::string big(5000, 'z');
  alpha.error("%s", big.c_str());
  ASSERT_EQ(1u, capture.lines.size());
  EXPECT_EQ(std::string("TestAlpha|0|") + std::string(4095, 'z'), capture.lines[0]);
}

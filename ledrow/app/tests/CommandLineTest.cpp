#include "ledrow/app/CommandLine.h"
#include "ledrow/app/Parameters.h"
#include "plat/Configuration.h"

#include <gtest/gtest.h>

#include <vector>

using namespace addrbook;

namespace {

struct Args {
  std::vector<std::string> words;
  std::vector<char*> argv;
  Args(std::initializer_list<const char*> list) : words{"ledrow"} {
    words.insert(words.end(), list.begin(), list.end());
    for (std::string& w : words)
      argv.push_back(&w[0]);
  }
  CommandLine read() { return readCommandLine((int)argv.size(), argv.data(), config()); }
  static plat::Configuration* config() { return plat::Configuration::global(); }
};

struct CommandLineTest : testing::Test {
  void TearDown() override {
    for (int priority : {0, 50}) {
      viewerPath.removeValue(priority);
      statusBar.removeValue(priority);
    }
  }
};

} // namespace

TEST_F(CommandLineTest, SettingsTakeBothFormsAndNeverBeatPolicy) {
  EXPECT_EQ(CommandLine::Run, Args({"ViewerPath=C:\\one.exe", "-StatusBar"}).read().outcome);
  EXPECT_STREQ("C:\\one.exe", viewerPath.getValueStr().c_str());
  EXPECT_EQ(50, viewerPath.getPriority());

  CommandLine line = Args({"-console", "-ViewerPath", "C:\\two.exe"}).read();
  EXPECT_EQ(CommandLine::Run, line.outcome);
  EXPECT_TRUE(line.console);
  EXPECT_STREQ("C:\\two.exe", viewerPath.getValueStr().c_str());

  viewerPath.setParam("C:\\policy.exe", plat::PriorityPolicy);
  Args({"ViewerPath=C:\\three.exe"}).read();
  EXPECT_STREQ("C:\\policy.exe", viewerPath.getValueStr().c_str());
}

TEST_F(CommandLineTest, HelpAndUnknownOptionsStopTheParse) {
  CommandLine help = Args({"-H", "ALL", "ViewerPath=x"}).read();
  EXPECT_EQ(CommandLine::Help, help.outcome);
  EXPECT_TRUE(help.showAll);
  EXPECT_FALSE(Args({"/?"}).read().showAll);
  EXPECT_STREQ("", viewerPath.getValueStr().c_str());

  // A lone dashed word at the end, a pair whose name is no setting, and a
  // bare word are all refused with the argument named.
  for (auto args : {Args({"-Unknown"}), Args({"-Unknown", "x"}), Args({"Alpha=1", "word"})}) {
    CommandLine line = args.read();
    EXPECT_EQ(CommandLine::Unrecognised, line.outcome);
    EXPECT_EQ(args.words.back() == "x" ? "-Unknown" : args.words.back(), line.argument);
  }
}

TEST_F(CommandLineTest, UsageListsAdvancedSettingsOnlyWhenAsked) {
  std::string all = usageText("Banner", true, Args::config());
  std::string basic = usageText("Banner", false, Args::config());
  EXPECT_EQ(0u, all.find("Banner\n\nusage: ledrow <options>\n"));
  for (const char* advanced : {"AdvancedOptions", "contractedList", "EncryptPassword",
                               "ToolbarIconSize", "MasterPassword"}) {
    EXPECT_NE(std::string::npos, all.find(advanced)) << advanced;
    EXPECT_EQ(std::string::npos, basic.find(advanced)) << advanced;
  }
  EXPECT_NE(std::string::npos, basic.find("AddressBook"));
  EXPECT_NE(std::string::npos, basic.find("\nLog names:\n  "));
  EXPECT_NE(std::string::npos, basic.find("\n\nLog destinations:\n"));
}

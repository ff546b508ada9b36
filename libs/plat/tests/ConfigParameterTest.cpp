#include "plat/ConfigParameter.h"
#include "plat/Configuration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace plat;

namespace {

struct Recorder : ParameterChangedCallback {
  std::vector<int> priorities;
  void parameterChanged(ConfigParameter*, int priority) override {
    priorities.push_back(priority);
  }
};

struct Params : testing::Test {
  Configuration group{"Test"};
  BoolParameter flag{"FtCompress", "compress", true, 0, &group};
  IntParameter count{"ftConcurrency", "concurrency", 8, 0, &group, 1, 2147483647};
  IntParameter any{"Bias", "bias", 25, 0, &group};
  StringParameter dir{"FetchDir", "dir", "", 0, &group};
};

} // namespace

TEST_F(Params, IntTextForms) {
  EXPECT_TRUE(count.setParam("0x10", 50));
  EXPECT_EQ(16, count.getValue());
  EXPECT_TRUE(count.setParam("010", 50));
  EXPECT_EQ(8, count.getValue());
  EXPECT_TRUE(count.setParam("12abc", 50));
  EXPECT_EQ(12, count.getValue());
  EXPECT_TRUE(any.setParam("08", 50)); // octal stops at the 8
  EXPECT_EQ(0, any.getValue());
  EXPECT_TRUE(any.setParam("-5", 50));
  EXPECT_EQ(-5, any.getValue());
}

TEST_F(Params, IntRefusals) {
  EXPECT_TRUE(count.setParam("5", 50));
  EXPECT_FALSE(count.setParam("0", 50)); // below the minimum
  EXPECT_FALSE(count.setParam("", 50));
  EXPECT_FALSE(count.setParam("abc", 50));
  EXPECT_FALSE(any.setParam("99999999999", 50)); // does not fit an int
  EXPECT_FALSE(any.setParam("-2147483649", 50));
  EXPECT_TRUE(any.setParam("-2147483648", 50));
  EXPECT_EQ(5, count.getValue());
  EXPECT_EQ(50, count.getPriority());
}

TEST_F(Params, BoolText) {
  EXPECT_TRUE(flag.setParam("No", 50));
  EXPECT_FALSE(flag.getValue());
  EXPECT_TRUE(flag.setParam("Yes", 50));
  EXPECT_TRUE(flag.getValue());
  EXPECT_TRUE(flag.setParam("OFF", 50));
  EXPECT_FALSE(flag.getValue());
  EXPECT_TRUE(flag.setParam("", 50));
  EXPECT_TRUE(flag.getValue());
  EXPECT_TRUE(flag.setParam("false", 50));
  EXPECT_FALSE(flag.setParam("maybe", 50));
  EXPECT_FALSE(flag.getValue());
  EXPECT_STREQ("0", flag.getValueStr().c_str());
}

TEST_F(Params, PrioritiesAndRemoval) {
  EXPECT_EQ(100, count.getPriority());
  count.setValue(4, 50);
  EXPECT_EQ(4, count.getValue());
  count.setValue(6, 100); // changes the default, not the value in force
  EXPECT_EQ(4, count.getValue());
  count.removeValue(100); // never removed
  EXPECT_EQ(50, count.getPriority());
  count.removeValue(50);
  EXPECT_EQ(6, count.getValue());
  EXPECT_EQ(100, count.getPriority());
  count.removeValue(100);
  EXPECT_EQ(6, count.getValue());

  std::map<int, String> values;
  count.setValue(3, 0);
  count.getValues(&values);
  ASSERT_EQ(2u, values.size());
  EXPECT_STREQ("3", values[0].c_str());
  EXPECT_STREQ("6", values[100].c_str());
}

// Past the few values a parameter keeps in place, set in any order and
// removed from the middle: the value in force and every priority's stay
// right, for texts too.
TEST_F(Params, ManyPriorities) {
  StringParameter text("Many", "", "default", 0, &group);
  const int order[] = {70, 10, 90, 30, 50, 60};
  for (int p : order)
    text.setParam(std::to_string(p).c_str(), p);
  EXPECT_STREQ("10", text.getValueStr().c_str());
  text.removeValue(10);
  text.removeValue(50);
  EXPECT_STREQ("30", text.getValueStr().c_str());
  std::map<int, String> values;
  text.getValues(&values);
  std::string seen;
  for (const auto& v : values)
    seen += std::to_string(v.first) + "=" + v.second.c_str() + " ";
  EXPECT_EQ("30=30 60=60 70=70 90=90 100=default ", seen);
  for (int p : order)
    text.removeValue(p);
  EXPECT_EQ(100, text.getPriority());
  text.setParam("again", 20);
  EXPECT_STREQ("again", text.getValueStr().c_str());
}

TEST_F(Params, CallbackRunsForEveryStoredValue) {
  Recorder rec;
  count.setCallback(&rec);
  count.setValue(4, 50);
  count.setValue(7, 100); // not in force, still told
  count.setParam("0", 50); // refused: not told
  count.setParam("nonsense", 50);
  EXPECT_EQ((std::vector<int>{50, 100}), rec.priorities);
  count.setCallback(nullptr);
}

TEST_F(Params, StringValuesAreCheckedAndNormalised) {
  EXPECT_TRUE(dir.setParam("C:\\Downloads", 50));
  EXPECT_STREQ("C:\\Downloads", dir.getValueStr().c_str());
  EXPECT_TRUE(dir.setParam("a\xc0\xaf" "b", 50));
  EXPECT_STREQ("a/b", dir.getValueStr().c_str());
  try {
    dir.setParam("bad\xff", 40);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ("Invalid UTF-8 encoding for FetchDir", e.str());
  }
  EXPECT_EQ(50, dir.getPriority());
}

TEST_F(Params, GroupSetIsCaseInsensitiveAndFollowsAliases) {
  EXPECT_TRUE(group.set("FTCONCURRENCY", "3", 50));
  EXPECT_EQ(3, count.getValue());
  EXPECT_FALSE(group.set("NoSuchThing", "3", 50));
  EXPECT_FALSE(group.set("ftConcurrencyX", "3", 50));
  group.addAlias("Concurrency", "ftConcurrency");
  EXPECT_TRUE(group.set("concurrency", "9", 50));
  EXPECT_EQ(9, count.getValue());
  EXPECT_EQ(&count, group.get("CONCURRENCY"));
  EXPECT_TRUE(group.set("ftConcurrencyXYZ", 13, "11", 50));
  EXPECT_EQ(11, count.getValue());
  EXPECT_TRUE(group.set("FtCompress", nullptr, 50)); // null means "1" for a Bool
  EXPECT_FALSE(group.set("FetchDir", nullptr, 50));
}

TEST_F(Params, ChildGroupsFallBackToTheirParent) {
  Configuration child("Child", &group);
  IntParameter own("Own", "own", 1, 0, &child);
  EXPECT_TRUE(child.set("ftConcurrency", "2", 50));
  EXPECT_EQ(2, count.getValue());
  EXPECT_EQ(&own, child.get("own"));
  EXPECT_EQ(nullptr, group.get("Own"));
}

TEST_F(Params, SetFromArg) {
  EXPECT_TRUE(group.setFromArg("-FtCompress=0", 50));
  EXPECT_FALSE(flag.getValue());
  EXPECT_TRUE(group.setFromArg("-FtCompress", 50));
  EXPECT_TRUE(flag.getValue());
  EXPECT_TRUE(group.setFromArg("--FtCompress=0", 50));
  EXPECT_FALSE(flag.getValue());
  EXPECT_TRUE(group.setFromArg("FetchDir=C:\\x=y", 50));
  EXPECT_STREQ("C:\\x=y", dir.getValueStr().c_str());
  EXPECT_FALSE(group.setFromArg("-FetchDir", 50)); // a String needs a value
  EXPECT_FALSE(group.setFromArg("FtCompress", 50)); // neither dash nor "="
  EXPECT_FALSE(group.setFromArg("-Unknown", 50));
}

TEST_F(Params, CloneCopiesEveryPriority) {
  count.setValue(5, 50);
  Configuration other("Other");
  ConfigParameter* copy = count.cloneInto(&other);
  ASSERT_TRUE(copy->isInt());
  IntParameter* c = static_cast<IntParameter*>(copy);
  EXPECT_EQ(5, c->getValue());
  EXPECT_FALSE(c->setValue(0, 50)); // the range came along
  c->removeValue(50);
  EXPECT_EQ(8, c->getValue());
  EXPECT_EQ(5, count.getValue());
  EXPECT_EQ(copy, other.get("ftConcurrency"));
  delete copy;
  EXPECT_EQ(nullptr, other.get("ftConcurrency"));
}

TEST(ParamsDeathTest, NullStringValuesAreBrokenInvariants) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  Configuration group("Death");
  EXPECT_DEATH(StringParameter("S", "s", nullptr, 0, &group),
               "failed at ConfigParameter:224: Default value <null> for S not allowed");
  StringParameter s("S2", "s", "", 0, &group);
  EXPECT_DEATH(s.setParam(nullptr, 50),
               "failed at ConfigParameter:234: setParam\\(<null>\\) for S2 not allowed");
}

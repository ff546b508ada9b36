#include "plat/BinaryParameter.h"
#include "plat/Configuration.h"
#include "plat/DString.h"
#include "plat/EnumParameter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace plat;

namespace {

const char* const keys[] = {"", "F1", "F8", nullptr};

struct Group {
  Configuration config;
  BoolParameter shared;
  IntParameter interval;
  StringParameter level;
  EnumParameter key;
  BinaryParameter hash;
  explicit Group(const char* name)
      : config(name), shared("Shared", "share", true, 0, &config),
        interval("PointerEventInterval", "interval", 0, 1, &config),
        level("ColourLevel", "level", "pal8", 0, &config),
        key("MenuKey", "key", "F8", keys, 0, &config),
        hash("IdHash", "hash", nullptr, 0, 1, &config) {}
};

std::string listing(const Configuration& c, bool showAll, int lineWidth, int nameWidth) {
  DString out;
  c.listParams(&out, showAll, lineWidth, nameWidth);
  return out.c_str();
}

} // namespace

TEST(Configuration, EqualsComparesValueTextsInAnyCase) {
  Group a("A"), b("B");
  EXPECT_TRUE(a.config.equals(b.config));
  b.level.setParam("PAL8", 50);
  EXPECT_TRUE(a.config.equals(b.config)); // case does not count
  b.key.setParam("F1", 50);
  EXPECT_FALSE(a.config.equals(b.config));
  EXPECT_FALSE(b.config.equals(a.config));
  b.key.removeValue(50);
  b.hash.setParam("00", 50);
  EXPECT_FALSE(a.config.equals(b.config));
}

TEST(Configuration, EqualsLooksOnlyAtItsOwnParameters) {
  Group a("A");
  Configuration small("Small");
  BoolParameter shared("shared", "share", true, 0, &small);
  EXPECT_TRUE(small.equals(a.config));  // a's other parameters are not looked at
  EXPECT_FALSE(a.config.equals(small)); // small lacks most of a's
}

TEST(Configuration, CopyFromTakesValuesInForceAtTheirPriority) {
  Group a("A"), b("B");
  b.shared.setParam("0", 50);
  b.interval.setValue(40, 0);
  b.interval.setValue(20, 50);
  b.hash.setParam("c0ffee", 50);
  a.config.copyFrom(b.config);
  EXPECT_FALSE(a.shared.getValue());
  EXPECT_EQ(50, a.shared.getPriority());
  EXPECT_EQ(40, a.interval.getValue());
  EXPECT_EQ(0, a.interval.getPriority());
  std::map<int, String> values;
  a.interval.getValues(&values);
  EXPECT_EQ(2u, values.size()); // only the value in force came over
  EXPECT_STREQ("c0ffee", a.hash.getValueStr().c_str());
  EXPECT_TRUE(a.config.equals(b.config));
}

TEST(Configuration, CopyAllFromReplacesEveryPriority) {
  Group a("A"), b("B");
  a.level.setParam("rgb111", 0);
  a.level.setParam("rgb222", 40);
  b.level.setParam("full", 50);
  b.level.setParam("pal4", 100);
  a.config.copyAllFrom(b.config);
  std::map<int, String> values;
  a.level.getValues(&values);
  ASSERT_EQ(2u, values.size());
  EXPECT_STREQ("full", values[50].c_str());
  EXPECT_STREQ("pal4", values[100].c_str());
}

TEST(Configuration, GroupsInAnotherOrderMatchByName) {
  Group a("A");
  Configuration other("Other"); // registered the other way round
  StringParameter level("colourlevel", "level", "pal8", 0, &other);
  BoolParameter shared("Shared", "share", true, 0, &other);
  level.setParam("full", 50);
  shared.setParam("0", 50);
  EXPECT_FALSE(other.equals(a.config));
  a.config.copyAllFrom(other);
  EXPECT_STREQ("full", a.level.getValueStr().c_str());
  EXPECT_FALSE(a.shared.getValue());
  EXPECT_TRUE(other.equals(a.config));
  shared.setParam("1", 0);
  a.config.copyFrom(other);
  EXPECT_TRUE(a.shared.getValue());
}

TEST(Configuration, OwningGroupDeletesItsParameters) {
  // Under the sanitizers a clone that is not deleted shows as a leak.
  Group a("A");
  Configuration* copies = new Configuration("Copies", nullptr, true);
  for (ConfigParameter* p = a.config.head(); p; p = p->next())
    p->cloneInto(copies);
  EXPECT_TRUE(copies->equals(a.config));
  delete copies;
}

// Past the first table size, with parameters coming and going: a name
// finds its parameter in any case, the latest of equal names first, and
// nothing that has gone.
TEST(Configuration, LookupsFollowAddsAndRemovals) {
  Configuration config("Many");
  std::vector<std::string> names;
  for (int i = 0; i < 150; i++)
    names.push_back("Option" + std::to_string(i));
  std::vector<std::unique_ptr<IntParameter>> params;
  for (int i = 0; i < 150; i++)
    params.emplace_back(new IntParameter(names[i].c_str(), "", i, 0, &config));
  for (int i = 0; i < 150; i += 3)
    params[i].reset();
  for (int i = 0; i < 150; i++) {
    std::string upper = "OPTION" + std::to_string(i);
    EXPECT_EQ(config.get(upper.c_str()), i % 3 ? params[i].get() : nullptr) << upper;
  }
  IntParameter later("option7", "", 0, 0, &config);
  EXPECT_EQ(config.get("Option7"), &later);
  EXPECT_TRUE(config.set("Option7", "5", PriorityUser));
  EXPECT_EQ(later.getValue(), 5);
  EXPECT_EQ(params[7]->getValue(), 7);
}

TEST(Configuration, ListParamsWrapsAndHides) {
  Configuration parent("Outer");
  Configuration child("Inner", &parent);
  BoolParameter shared("Shared", "Allow existing connections to continue.", true, 0, &child);
  IntParameter adv("Interval", "Delay between events", 5, 1, &child);
  StringParameter hidden("_hidden", "Never listed", "x", 0, &child);
  StringParameter longName("AVeryLongParameterName", "Short", "v", 0, &parent);

  EXPECT_EQ("Inner Parameters:\n"
            "  Shared     - Allow existing\n"
            "               connections to continue.\n"
            "               (default=1)\n"
            "Outer Parameters:\n"
            "  AVeryLongParameterName - Short\n"
            "               (default=v)\n",
            listing(child, false, 40, 10));
  EXPECT_EQ("Inner Parameters:\n"
            "  Interval - Delay between events (default=5)\n"
            "  Shared - Allow existing connections to continue. (default=1)\n"
            "Outer Parameters:\n"
            "  AVeryLongParameterName - Short (default=v)\n",
            listing(child, true, 80, 4));
}

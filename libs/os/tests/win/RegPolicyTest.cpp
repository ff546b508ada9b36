#include "os/win/RegKey.h"
#include "os/win/RegPolicy.h"
#include "testing/RecordingLogger.h"
#include "plat/ConfigParameter.h"
#include "plat/Configuration.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The policy and preference keys of a made-up product under
// HKCU\Software, removed with their trees afterwards.
struct Policy : testing::Test {
  Policy()
      : maker("KivTest-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(GetTickCount())),
        root(HKEY_CURRENT_USER), parent("Parent"), group("Group", &parent),
        number("Number", "", 1, 0, &group), text("Text", "", "default", 0, &group),
        flag("Flag", "", false, 0, &group), inherited("Inherited", "", "p", 0, &parent) {
    group.addAlias("Nickname", "Text");
  }
  ~Policy() override {
    for (std::string path : {"Software\\Policies\\" + maker, "Software\\" + maker}) {
      std::wstring wide(path.begin(), path.end());
      RegDeleteTreeW(HKEY_CURRENT_USER, wide.c_str());
      HKEY gone;
      EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, wide.c_str(), 0, KEY_READ, &gone));
    }
  }
  void makeKey(os::RegKey* key, const char* under) {
    key->createKey(root, (std::string(under) + maker + "\\Prod").c_str());
  }
  void load() { os::loadRegPolicy(&group, HKEY_CURRENT_USER, "Prod", maker.c_str()); }

  std::string maker;
  os::RegKey root;
  plat::Configuration parent;
  plat::Configuration group;
  plat::IntParameter number;
  plat::StringParameter text;
  plat::BoolParameter flag;
  plat::StringParameter inherited;
};

} // namespace

TEST_F(Policy, PolicyValuesBeatUserValues) {
  os::RegKey policy, prefs;
  makeKey(&policy, "Software\\Policies\\");
  makeKey(&prefs, "Software\\");
  policy.setInt("Number", 7);
  prefs.setInt("Number", 3);
  prefs.setString("Nickname", "user text");
  prefs.setBool("flag", true);
  prefs.setString("Inherited", "from prefs");
  prefs.setString("Unknown", "ignored");
  load();

  EXPECT_EQ(7, number.getValue());
  EXPECT_EQ(plat::PriorityPolicy, number.getPriority());
  std::map<int, plat::String> values;
  number.getValues(&values);
  EXPECT_STREQ("3", values[plat::PriorityUser].c_str());
  EXPECT_STREQ("user text", text.getValueStr().c_str());
  EXPECT_EQ(plat::PriorityUser, text.getPriority());
  EXPECT_TRUE(flag.getValue());
  EXPECT_STREQ("from prefs", inherited.getValueStr().c_str());
}

TEST_F(Policy, MissingPolicyKeyIsLoggedAndPrefsStillLoad) {
  RecordingLogger log;
  log.attach("RegPolicy:record:100");
  os::RegKey prefs;
  makeKey(&prefs, "Software\\");
  prefs.setString("Text", "mine");
  load();
  EXPECT_TRUE(log.hasPrefix("RegPolicy: loadRegPolicy(policy): RegOpenKeyEx: "));
  EXPECT_FALSE(log.hasPrefix("RegPolicy: loadRegPolicy(prefs)"));
  EXPECT_STREQ("mine", text.getValueStr().c_str());
  EXPECT_EQ(plat::PriorityUser, text.getPriority());

  // Neither key: both logged, defaults stay, nothing thrown.
  std::string wide = "Software\\" + maker;
  RegDeleteTreeW(HKEY_CURRENT_USER, std::wstring(wide.begin(), wide.end()).c_str());
  text.removeValue(plat::PriorityUser);
  load();
  EXPECT_TRUE(log.hasPrefix("RegPolicy: loadRegPolicy(prefs): RegOpenKeyEx: "));
  EXPECT_STREQ("default", text.getValueStr().c_str());
}

TEST_F(Policy, RemovedValuesRemoveTheirPriority) {
  text.setParam("policy", plat::PriorityPolicy);
  text.setParam("user", plat::PriorityUser);
  os::RegPolicy::RMCallback callback(&group, plat::PriorityPolicy);
  callback.valueRemoved("Nickname");
  EXPECT_STREQ("user", text.getValueStr().c_str());
  callback.valueRemoved("NoSuchParameter");
  callback.valueChanged("Number", "not a number"); // refused, no harm
  EXPECT_EQ(1, number.getValue());
}

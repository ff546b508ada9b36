#include "plat/ConfigParameter.h"
#include "plat/Configuration.h"
#include "ui/ConfigCompare.h"
#include "ui/ConfigSync.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>

using namespace ui;

namespace {

struct FakeCheckbox : CheckboxWidget {
  int state = Unchecked;
  bool triState = false;
  bool locked = false;
  State getState() override { return (State)state; }
  void setState(int s) override { state = s == Checked || s == Unchecked ? s : Indeterminate; }
  void setTriState(bool on) override { triState = on; }
  void setLocked(bool on) override { locked = on; }
};

struct FakeText : TextWidget {
  std::string text;
  bool locked = false;
  // What the control tells its page when its text is set (EN_CHANGE).
  std::function<void()> onSet;
  const char* getText() override { return text.c_str(); }
  void setText(const char* t) override {
    text = t;
    if (onSet)
      onSet();
  }
  void setLocked(bool on) override { locked = on; }
};

// Maps "none" shown in the widget to "" stored, for one parameter only.
struct NoneIsEmpty : ConfigSync::ParamSubstituteCallback {
  void substitute(const char* name, const char** value, bool toParameter) override {
    if (strcmp(name, "MenuKey") != 0)
      return;
    if (toParameter && strcmp(*value, "none") == 0)
      *value = "";
    else if (!toParameter && !**value)
      *value = "none";
  }
};

std::string value(plat::ConfigParameter& p) { return p.getValueStr().c_str(); }

struct Options {
  plat::Configuration group{"Options"};
  plat::BoolParameter keys{"SendKeyEvents", "", true, 0, &group};
  plat::BoolParameter pointer{"SendPointerEvents", "", true, 0, &group};
  plat::IntParameter interval{"PointerEventInterval", "", 0, 0, &group, 0, 1000};
  plat::StringParameter proxy{"ProxyServer", "", "", 0, &group};
  plat::StringParameter monitor{"Monitor", "", "", 0, &group};
  plat::StringParameter menuKey{"MenuKey", "", "F8", 0, &group};
};

} // namespace

TEST(ConfigSync, ACheckboxOverDisagreeingParametersOffersTheThirdStateAndRestoresEachValue) {
  Options o;
  o.keys.setParam("1", 50);
  o.pointer.setParam("0", 50);
  FakeCheckbox box;
  ConfigSync sync(&o.group, 50);
  sync.bindCheckbox(&box, &o.keys, "1", "0");
  sync.bindCheckbox(&box, &o.pointer, "1", "0");

  sync.sync(false);
  EXPECT_EQ(CheckboxWidget::Indeterminate, box.state);
  EXPECT_TRUE(box.triState);
  box.state = CheckboxWidget::Checked;
  sync.sync(true);
  EXPECT_EQ("1", value(o.keys));
  EXPECT_EQ("1", value(o.pointer));
  box.state = CheckboxWidget::Indeterminate; // clicked on round to the third state
  sync.sync(true);
  EXPECT_EQ("1", value(o.keys));
  EXPECT_EQ("0", value(o.pointer));

  // Agreeing values show a plain two-state box; inverted values work too.
  FakeCheckbox viewOnly;
  ConfigSync inverted(&o.group, 50);
  o.pointer.setParam("1", 50);
  inverted.bindCheckbox(&viewOnly, &o.keys, "0", "1");
  inverted.bindCheckbox(&viewOnly, &o.pointer, "0", "1");
  inverted.sync(false);
  EXPECT_EQ(CheckboxWidget::Unchecked, viewOnly.state);
  EXPECT_FALSE(viewOnly.triState);

  // A value that is neither checked nor unchecked.
  plat::StringParameter scaling("Scaling", "", "Fit", 0, &o.group);
  FakeCheckbox fit;
  ConfigSync one(&o.group, 50);
  one.bindCheckbox(&fit, &scaling, "AspectFit", "None");
  one.sync(false);
  EXPECT_EQ(CheckboxWidget::Indeterminate, fit.state);
}

TEST(ConfigSync, WidgetsLockWhereAStrongerPriorityHoldsTheValue) {
  Options o;
  FakeCheckbox box;
  FakeText text;
  ConfigSync sync(&o.group, 50);
  sync.bindCheckbox(&box, &o.keys, "1", "0");
  sync.bindText(&text, &o.proxy);
  sync.bindText(&text, &o.monitor);
  struct Row {
    int priority;
    bool locked;
  } rows[] = {{100, false}, {50, false}, {0, true}};
  for (const Row& row : rows) {
    o.keys.setParam("0", row.priority);
    o.monitor.setParam("screen 2", row.priority);
    sync.sync(false);
    EXPECT_EQ(row.locked, box.locked) << row.priority;
    EXPECT_EQ(row.locked, text.locked) << row.priority;
  }
  // The lock only disables the control; a write still goes through at 50.
  box.state = CheckboxWidget::Checked;
  sync.sync(true);
  std::map<int, plat::String> values;
  o.keys.getValues(&values);
  EXPECT_STREQ("1", values[50].c_str());
  EXPECT_EQ("0", value(o.keys));
}

TEST(ConfigSync, TextOverDisagreeingParametersIsWrittenOnlyOnceTheUserChangesIt) {
  Options o;
  o.proxy.setParam("proxy.example.org:3128", 50);
  o.monitor.setParam("\\\\.\\DISPLAY2", 50);
  FakeText text;
  FakeCheckbox other;
  ConfigSync sync(&o.group, 50);
  sync.bindText(&text, &o.proxy);
  sync.bindText(&text, &o.monitor);
  sync.bindCheckbox(&other, &o.keys, "1", "0");
  sync.sync(false);
  EXPECT_EQ("", text.text);

  // A click elsewhere on the page syncs every widget.
  sync.sync(true);
  EXPECT_EQ("proxy.example.org:3128", value(o.proxy));
  EXPECT_EQ("\\\\.\\DISPLAY2", value(o.monitor));

  text.text = "gateway";
  sync.sync(true);
  EXPECT_EQ("gateway", value(o.proxy));
  EXPECT_EQ("gateway", value(o.monitor));
  text.text = ""; // now meant: both emptied
  sync.sync(true);
  EXPECT_EQ("", value(o.monitor));
}

TEST(ConfigSync, TextSetWhileFillingDoesNotSyncBackHalfway) {
  Options o;
  o.proxy.setParam("proxy.example.org", 50);
  o.monitor.setParam("left", 50);
  FakeText first, second;
  ConfigSync sync(&o.group, 50);
  sync.bindText(&first, &o.proxy);
  sync.bindText(&second, &o.monitor);
  // The page answers every text change with sync(true), as an edit box's
  // EN_CHANGE makes it do; the second box is still empty at that moment.
  first.onSet = [&] { sync.sync(true); };
  sync.sync(false);
  EXPECT_EQ("left", value(o.monitor));
  EXPECT_EQ("left", second.text);
  EXPECT_FALSE(sync.isSyncing());
}

TEST(ConfigSync, SubstitutionAppliesPerParameter) {
  Options o;
  NoneIsEmpty callback;
  FakeText text;
  ConfigSync sync(&o.group, 50);
  sync.setSubstituteCallback(&callback);
  sync.bindText(&text, &o.menuKey);
  sync.bindText(&text, &o.proxy);
  text.text = "none";
  sync.sync(true);
  EXPECT_EQ("", value(o.menuKey));
  EXPECT_EQ("none", value(o.proxy));
  sync.sync(false);
  EXPECT_EQ("none", text.text); // MenuKey's "" shows as "none", as ProxyServer's text is
}

TEST(ConfigSync, RefusedValuesLeaveTheParameterAndAreRemembered) {
  Options o;
  o.interval.setParam("20", 50);
  FakeText text;
  FakeText name;
  ConfigSync sync(&o.group, 50);
  sync.bindText(&text, &o.interval);
  sync.bindText(&name, &o.proxy);
  text.text = "abc";
  sync.sync(true);
  EXPECT_EQ("20", value(o.interval));
  ASSERT_TRUE(sync.refused().pending);
  EXPECT_STREQ("PointerEventInterval", sync.refused().paramName.c_str());
  EXPECT_STREQ("abc", sync.refused().text.c_str());
  text.text = "5000"; // out of range
  sync.sync(true);
  EXPECT_EQ("20", value(o.interval));

  name.text = "\xff\xfe"; // not UTF-8: refused, not thrown
  text.text = "250";
  EXPECT_NO_THROW(sync.sync(true));
  EXPECT_EQ("250", value(o.interval));
  EXPECT_STREQ("ProxyServer", sync.refused().paramName.c_str());
  name.text = "ok";
  sync.sync(true);
  EXPECT_FALSE(sync.refused().pending);
}

TEST(ConfigSync, ClearedBindingsAreMadeAgainOnce) {
  Options o;
  FakeText text;
  ConfigSync sync(&o.group, 50);
  NoneIsEmpty callback;
  sync.setSubstituteCallback(&callback);
  sync.bindText(&text, &o.menuKey);
  sync.clear();
  sync.bindText(&text, &o.menuKey);
  o.menuKey.setParam("", 50);
  sync.sync(false);
  EXPECT_EQ("none", text.text);
}

TEST(ConfigCompare, ChangesAgainstTheSavedCopy) {
  Options working, saved;
  struct Writer : ChangedParamWriter {
    std::map<std::string, std::string> written;
    void write(const char* name, const char* v) override { written[name] = v; }
  } writer;
  EXPECT_FALSE(compareConfig(nullptr, &saved.group, nullptr));
  EXPECT_TRUE(compareConfig(&working.group, nullptr, nullptr));
  EXPECT_FALSE(compareConfig(&working.group, &saved.group, nullptr));

  working.proxy.setParam("proxy.example.org", 50);
  plat::StringParameter extra("Extra", "", "", 0, &working.group); // not in the saved copy
  EXPECT_TRUE(compareConfig(&working.group, &saved.group, &writer));
  std::map<std::string, std::string> expected = {{"ProxyServer", "proxy.example.org"},
                                                 {"Extra", ""}};
  EXPECT_EQ(expected, writer.written);
  // Exact: a value differing only in case is a change.
  saved.proxy.setParam("PROXY.example.org", 50);
  plat::Configuration onlyProxy("p");
  plat::StringParameter proxy("ProxyServer", "", "proxy.example.org", 0, &onlyProxy);
  EXPECT_TRUE(compareConfig(&onlyProxy, &saved.group, nullptr));
}

#include "os/win/RegKey.h"
#include "os/win/RegMonitor.h"
#include "testing/RecordingLogger.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using os::RegKey;
using os::RegMonitor;

namespace {

// A scratch key under HKCU\Software, removed with its tree afterwards.
struct Registry : testing::Test {
  Registry() : root(HKEY_CURRENT_USER) {
    wchar_t name[80];
    swprintf(name, 80, L"Software\\KivTest-%lu-%lu", GetCurrentProcessId(), GetTickCount());
    path = name;
    std::string utf8(path.begin(), path.end());
    key.createKey(root, utf8.c_str());
  }
  ~Registry() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    HKEY gone;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &gone));
  }

  void setRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key.handle(), name, 0, type, (const BYTE*)data, size));
  }
  std::string get(const char* name) {
    return plat::String::adopt(key.getValue(name)).c_str();
  }

  std::wstring path;
  RegKey root;
  RegKey key;
};

struct Recorder : RegMonitor::Callback {
  std::vector<std::string> calls;
  void begin() override { calls.push_back("begin"); }
  void valueChanged(const char* name, const char* value) override {
    calls.push_back(std::string(name) + "=" + value);
  }
  void valueRemoved(const char* name) override { calls.push_back(std::string("-") + name); }
  void end() override { calls.push_back("end"); }
};

typedef std::vector<std::string> Calls;

} // namespace

TEST_F(Registry, StringsRoundTripInUtf8) {
  key.setString("plain", "value");
  key.setString("empty", "");
  key.setString("\xc3\xa9t\xc3\xa9", "\xe2\x82\xac 5");
  EXPECT_EQ("value", get("plain"));
  EXPECT_EQ("", get("empty"));
  EXPECT_EQ("\xe2\x82\xac 5", get("\xc3\xa9t\xc3\xa9"));

  DWORD type = 0, size = 0;
  RegQueryValueExW(key.handle(), L"plain", nullptr, &type, nullptr, &size);
  EXPECT_EQ((DWORD)REG_SZ, type);
  EXPECT_EQ(6 * sizeof(wchar_t), size); // the NUL is stored
}

TEST_F(Registry, StringStoredWithoutItsNul) {
  setRaw(L"bare", REG_SZ, L"abc", 3 * sizeof(wchar_t));
  EXPECT_EQ("abc", get("bare"));
  setRaw(L"odd", REG_SZ, L"abc", 5); // half a unit at the end is dropped
  EXPECT_EQ("ab", get("odd"));
}

TEST_F(Registry, NumbersAndBinary) {
  DWORD all = 0xFFFFFFFF, some = 1234;
  setRaw(L"all", REG_DWORD, &all, 4);
  setRaw(L"some", REG_DWORD, &some, 4);
  setRaw(L"short", REG_DWORD, &some, 2);
  const BYTE bytes[] = {0x01, 0xFF};
  setRaw(L"bin", REG_BINARY, bytes, 2);
  setRaw(L"nobin", REG_BINARY, bytes, 0);
  EXPECT_EQ("-1", get("all"));
  EXPECT_EQ("1234", get("some"));
  EXPECT_EQ("1234", get("short"));
  EXPECT_EQ("01ff", get("bin"));
  EXPECT_EQ("", get("nobin"));
}

TEST_F(Registry, ExpandableStringsAreExpanded) {
  SetEnvironmentVariableW(L"KIVTEST_DIR", L"C:\\kiv");
  const wchar_t text[] = L"%KIVTEST_DIR%\\logs";
  setRaw(L"where", REG_EXPAND_SZ, text, sizeof(text));
  EXPECT_EQ("C:\\kiv\\logs", get("where"));
}

TEST_F(Registry, FailuresNameTheOperation) {
  const BYTE multi[] = {'a', 0, 0, 0, 0, 0};
  setRaw(L"multi", REG_MULTI_SZ, multi, sizeof(multi));
  try {
    get("multi");
    ADD_FAILURE();
  } catch (const plat::SystemException&) {
    ADD_FAILURE() << "not a system failure";
  } catch (const plat::Exception& e) {
    EXPECT_STREQ("unsupported registry type", e.str());
  }
  try {
    get("missing");
    ADD_FAILURE();
  } catch (const plat::SystemException& e) {
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, e.err);
    EXPECT_STREQ("get registry value length: ",
                 std::string(e.str()).substr(0, 27).c_str());
  }
}

TEST_F(Registry, EnumerationAndSecondHandle) {
  key.setString("a", "1");
  key.setString("b", "2");
  RegKey other(key);
  EXPECT_STREQ("a", other.enumValue(0));
  EXPECT_STREQ("b", other.enumValue(1));
  EXPECT_EQ(nullptr, other.enumValue(2));
  EXPECT_EQ(key.access(), other.access());

  RegKey child;
  EXPECT_TRUE(child.createKey(key, "sub\\deeper"));
  child.setString("c", "3");
  RegKey reopened;
  reopened.createKey(key, "sub\\deeper");
  EXPECT_STREQ("3", plat::String::adopt(reopened.getValue("c")).c_str());
}

TEST_F(Registry, ChildrenTakeTheirParentsView) {
  EXPECT_EQ((DWORD)(KEY_ALL_ACCESS | KEY_WOW64_64KEY), RegKey(KEY_WOW64_64KEY).access());
  RegKey viewedRoot(HKEY_CURRENT_USER, KEY_WOW64_32KEY);
  EXPECT_EQ((DWORD)(KEY_ALL_ACCESS | KEY_WOW64_32KEY), viewedRoot.access());
  RegKey child;
  std::string utf8(path.begin(), path.end());
  child.createKey(viewedRoot, (utf8 + "\\viewed").c_str());
  EXPECT_EQ((DWORD)(KEY_ALL_ACCESS | KEY_WOW64_32KEY), child.access());
  child.setString("v", "1");
  RegKey again;
  again.createKey(key, "viewed"); // the user's software key is shared by both views
  EXPECT_STREQ("1", plat::String::adopt(again.getValue("v")).c_str());
}

TEST_F(Registry, ReportAllThenDiff) {
  key.setString("a", "1");
  key.setString("b", "2");
  Recorder first;
  RegMonitor::reportAll(key, &first);
  EXPECT_EQ((Calls{"begin", "a=1", "b=2", "end"}), first.calls);

  os::RegSnapshot snapshot;
  Recorder reading;
  RegMonitor::diff(key, &reading, &snapshot);
  EXPECT_EQ((Calls{"begin", "a=1", "b=2", "end"}), reading.calls);

  RegDeleteValueW(key.handle(), L"b");
  key.setString("c", "3");
  key.setString("a", "1");
  Recorder later;
  RegMonitor::diff(key, &later, &snapshot);
  EXPECT_EQ((Calls{"begin", "c=3", "-b", "end"}), later.calls);

  key.setString("a", "changed");
  Recorder last;
  RegMonitor::diff(key, &last, &snapshot);
  EXPECT_EQ((Calls{"begin", "a=changed", "end"}), last.calls);
  EXPECT_EQ(2u, snapshot.size());
}

TEST_F(Registry, OddValuesAreLoggedAndSkipped) {
  RecordingLogger log;
  log.attach("RegMonitor:record:100");
  key.setString("a", "1");
  const BYTE multi[] = {'a', 0, 0, 0, 0, 0};
  setRaw(L"m", REG_MULTI_SZ, multi, sizeof(multi));
  key.setString("z", "26");
  Recorder all;
  RegMonitor::reportAll(key, &all);
  EXPECT_EQ((Calls{"begin", "a=1", "z=26", "end"}), all.calls);
  EXPECT_TRUE(log.has("RegMonitor: value m skipped: unsupported registry type"));
}

TEST_F(Registry, KeyThatGoesAwayStillEnds) {
  RecordingLogger log;
  log.attach("RegMonitor:record:100");
  RegKey doomed;
  doomed.createKey(key, "doomed");
  doomed.setString("x", "1");
  RegDeleteTreeW(key.handle(), L"doomed");
  Recorder recorder;
  os::RegSnapshot snapshot;
  snapshot["x"] = "1";
  RegMonitor::diff(doomed, &recorder, &snapshot);
  EXPECT_EQ("begin", recorder.calls.front());
  EXPECT_EQ("end", recorder.calls.back());
  EXPECT_EQ((Calls{"begin", "-x", "end"}), recorder.calls);
  // A deleted key is worth a line in the log; a closed handle would not be.
  EXPECT_TRUE(log.hasPrefix("RegMonitor: RegQueryInfoKey: "));
  size_t logged = log.lines.size();
  RegKey unopened;
  Recorder nothing;
  RegMonitor::reportAll(unopened, &nothing);
  EXPECT_EQ((Calls{"begin", "end"}), nothing.calls);
  EXPECT_EQ(logged, log.lines.size());
}

TEST_F(Registry, ReflectionQueryIsLoggedOrReportsTheStub) {
  RecordingLogger log;
  log.attach("Registry:record:100");
  char expected[64];
  try {
    bool reflected = key.isReflected();
    snprintf(expected, sizeof(expected), "Registry: isReflected %x: %s",
             (unsigned)(uintptr_t)key.handle(), reflected ? "yes" : "no");
    EXPECT_TRUE(log.has(expected));
  } catch (const plat::SystemException& e) {
    // Wine's RegQueryReflectionKey is a stub that answers "not implemented".
    EXPECT_EQ(ERROR_CALL_NOT_IMPLEMENTED, e.err);
    EXPECT_EQ(0, strncmp(e.str(), "isReflected: ", 13));
  }
}

TEST_F(Registry, OpenExistingKeysReadOnlyOrNot) {
  RecordingLogger log;
  log.attach("Registry:record:100");
  RegKey child;
  child.createKey(key, "existing");
  child.setString("v", "1");

  RegKey reader;
  reader.openKey(key, "existing", true);
  EXPECT_EQ((DWORD)KEY_READ, reader.access());
  EXPECT_STREQ("1", plat::String::adopt(reader.getValue("v")).c_str());
  EXPECT_THROW(reader.setString("w", "2"), plat::SystemException);
  char line[128];
  snprintf(line, sizeof(line), "Registry: openKey(%x,existing,ro) (sam=%x) = 0",
           (unsigned)(uintptr_t)key.handle(), (unsigned)KEY_READ);
  EXPECT_TRUE(log.has(line));

  RegKey writer;
  writer.openKey(key, "existing", false);
  writer.setString("w", "2");
  EXPECT_STREQ("2", plat::String::adopt(child.getValue("w")).c_str());

  // Below a root, with the key's own view.
  std::string utf8(path.begin(), path.end());
  RegKey viewed(KEY_WOW64_64KEY);
  viewed.openKey(HKEY_CURRENT_USER, (utf8 + "\\existing").c_str(), true);
  EXPECT_EQ((DWORD)(KEY_READ | KEY_WOW64_64KEY), viewed.access());
  RegKey both(RegKey::BothViews);
  both.openKey(HKEY_CURRENT_USER, (utf8 + "\\existing").c_str(), true);
  EXPECT_EQ((DWORD)KEY_READ, both.access());

  try {
    reader.openKey(key, "missing", true);
    ADD_FAILURE();
  } catch (const plat::SystemException& e) {
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, e.err);
    EXPECT_EQ(0, strncmp(e.str(), "RegOpenKeyEx: ", 14));
  }
  EXPECT_EQ(nullptr, reader.handle());
}

TEST_F(Registry, NumbersFlagsAndRemovals) {
  key.setInt("n", -5);
  key.setBool("yes", true);
  key.setBool("no", false);
  EXPECT_EQ("-5", get("n"));
  EXPECT_EQ("1", get("yes"));
  EXPECT_EQ("0", get("no"));
  DWORD type = 0;
  RegQueryValueExW(key.handle(), L"yes", nullptr, &type, nullptr, nullptr);
  EXPECT_EQ((DWORD)REG_DWORD, type);

  EXPECT_TRUE(key.isValue("n"));
  key.deleteValue("n");
  EXPECT_FALSE(key.isValue("n"));
  const BYTE multi[] = {'a', 0, 0, 0, 0, 0};
  setRaw(L"m", REG_MULTI_SZ, multi, sizeof(multi));
  EXPECT_FALSE(key.isValue("m")); // there, but not as text
  try {
    key.deleteValue("n");
    ADD_FAILURE();
  } catch (const plat::SystemException& e) {
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, e.err);
    EXPECT_EQ(0, strncmp(e.str(), "RegDeleteValue: ", 16));
  }
  RegKey reader;
  reader.openKey(key, "", true);
  try {
    reader.setInt("x", 1);
    ADD_FAILURE();
  } catch (const plat::SystemException& e) {
    EXPECT_EQ(0, strncmp(e.str(), "setInt: ", 8));
  }
}

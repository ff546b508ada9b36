#include "ledrow/data/FileOps.h"
#include "ledrow/data/ProtectedString.h"
#include "ledrow/data/tests/ScratchDir.h"
#include "ledrow/passwords/tests/FakePrompts.h"
#include "ledrow/passwords/SaveEntry.h"
#include "ledrow/passwords/Parameters.h"
#include "ledrow/passwords/PasswordStore.h"
#include "plat/CurrentTime.h"
#include "plat/TimerManager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

using namespace addrbook;

namespace {

int64_t fakeNow;
int64_t fakeClock() { return fakeNow; }
const int64_t Second = 10000000;

struct Listener : PasswdStoreBase::PWSCallback {
  std::vector<bool> calls;
  void passwordChanged(bool forgotten) override { calls.push_back(forgotten); }
};

struct Store : testing::Test {
  plat::ClockFunction savedClock;
  plat::TimerManager timers;
  FakePrompts prompts;
  FakeSettings settings;
  Listener listener;
  PasswordStore store{&prompts, &settings};

  Store() {
    fakeNow = 130000000000000000LL;
    savedClock = plat::setClock(fakeClock);
    store.setCallback(&listener);
  }
  ~Store() override {
    plat::setClock(savedClock);
    passwordExpiry.removeValue(plat::PriorityUser);
    rememberPassword.removeValue(plat::PriorityUser);
    masterPassword.removeValue(plat::PriorityUser);
  }

  std::string get() {
    ZeroingBuffer password = store.getPassword(nullptr);
    return password.c_str() ? password.c_str() : "(null)";
  }
  // In steps the timer manager takes for a running clock.
  void advanceSeconds(int seconds) {
    for (; seconds > 0; seconds -= 10) {
      fakeNow += (seconds < 10 ? seconds : 10) * Second;
      timers.processTimers();
    }
  }
  void setVerifier(const char* password) {
    masterPassword.setParam(encryptString(password, password).c_str(), plat::PriorityUser);
  }
};

} // namespace

TEST_F(Store, FirstUseChoosesTheMasterPassword) {
  prompts.answers = {"first choice"};
  EXPECT_EQ("first choice", get());
  EXPECT_EQ(std::vector<std::string>{"choose"}, prompts.calls);
  plat::String verifier = masterPassword.getValueStr();
  EXPECT_EQ(plat::PriorityUser, masterPassword.getPriority());
  EXPECT_STREQ("first choice", decryptString(verifier.c_str(), "first choice").c_str());
  EXPECT_EQ(std::vector<std::string>{std::string("MasterPassword=") + verifier.c_str()},
            settings.written);
  EXPECT_EQ(std::vector<bool>{false}, listener.calls);
  EXPECT_TRUE(store.isStarted());
  EXPECT_EQ(PasswdStoreBase::ExpiryCheckMs, store.intervalMs());

  // Held now: no more dialogs.
  EXPECT_EQ("first choice", get());
  EXPECT_EQ(1u, prompts.calls.size());
}

TEST_F(Store, LaterUseAsksAgainstTheVerifier) {
  setVerifier("pw");
  plat::String verifier = masterPassword.getValueStr();
  prompts.answers = {"pw"};
  EXPECT_TRUE(store.askPassword(nullptr));
  EXPECT_EQ(std::vector<std::string>{std::string("enter ") + verifier.c_str()}, prompts.calls);
  EXPECT_TRUE(settings.written.empty());
  EXPECT_TRUE(store.hasPassword());
  // Non-ASCII passwords come back as they went in.
  store.forget();
  prompts.answers = {"p\xc3\xa4ss"};
  EXPECT_EQ("p\xc3\xa4ss", get());
}

TEST_F(Store, CancelledPromptsChangeNothing) {
  EXPECT_EQ("(null)", get()); // the choice cancelled
  EXPECT_STREQ("", masterPassword.getValueStr().c_str());
  EXPECT_TRUE(settings.written.empty());
  setVerifier("pw");
  EXPECT_EQ("(null)", get()); // the prompt cancelled
  EXPECT_TRUE(listener.calls.empty());
  EXPECT_FALSE(store.hasPassword());
  EXPECT_FALSE(store.isStarted());
}

TEST_F(Store, ExpiryZeroKeepsThePasswordForTheCurrentSecond) {
  passwordExpiry.setParam("0", plat::PriorityUser);
  setVerifier("pw");
  prompts.answers = {"pw"};
  ASSERT_TRUE(store.askPassword(nullptr));
  fakeNow += 9 * Second / 10; // whole seconds since it was stored: 0
  EXPECT_TRUE(store.hasPassword());
  fakeNow += Second / 10;
  EXPECT_FALSE(store.hasPassword());
  EXPECT_EQ((std::vector<bool>{false, true}), listener.calls);
  EXPECT_FALSE(store.isStarted());
}

TEST_F(Store, TheTimerForgetsAnExpiredPassword) {
  passwordExpiry.setParam("150", plat::PriorityUser);
  setVerifier("pw");
  prompts.answers = {"pw"};
  ASSERT_TRUE(store.askPassword(nullptr));
  advanceSeconds(60);
  advanceSeconds(60);
  EXPECT_EQ(std::vector<bool>{false}, listener.calls); // 120 s: still held
  advanceSeconds(60);
  EXPECT_EQ((std::vector<bool>{false, true}), listener.calls); // 180 s: gone
  EXPECT_FALSE(store.isStarted());
  EXPECT_EQ(-1, timers.timeUntilNext());
  // The next use asks again.
  prompts.answers = {"pw"};
  EXPECT_EQ("pw", get());
  EXPECT_EQ(2u, prompts.calls.size());
}

TEST_F(Store, DefaultExpiryIsAnHour) {
  setVerifier("pw");
  prompts.answers = {"pw"};
  ASSERT_TRUE(store.askPassword(nullptr));
  advanceSeconds(3600);
  fakeNow += 9 * Second / 10; // 3600 whole seconds
  EXPECT_TRUE(store.hasPassword());
  fakeNow += Second / 10;
  EXPECT_FALSE(store.hasPassword());
}

TEST_F(Store, RememberPasswordOff) {
  setVerifier("pw");
  prompts.answers = {"pw"};
  ASSERT_TRUE(store.askPassword(nullptr));
  rememberPassword.setParam("0", plat::PriorityUser);
  advanceSeconds(60); // the next tick forgets
  EXPECT_EQ((std::vector<bool>{false, true}), listener.calls);
  EXPECT_FALSE(store.hasPassword());

  // Never remembered: handed out once, no timer, no news for the listener
  // until it is dropped at the next look.
  listener.calls.clear();
  prompts.answers = {"pw", "pw"};
  EXPECT_EQ("pw", get());
  EXPECT_FALSE(store.isStarted());
  EXPECT_TRUE(listener.calls.empty());
  EXPECT_EQ("pw", get());
  EXPECT_EQ(3u, prompts.calls.size());
  EXPECT_EQ(std::vector<bool>{true}, listener.calls);
}

TEST_F(Store, ForgetAndDestructionStopTheTimer) {
  setVerifier("pw");
  prompts.answers = {"pw"};
  ASSERT_TRUE(store.askPassword(nullptr));
  store.forget();
  EXPECT_FALSE(store.isStarted());
  EXPECT_FALSE(store.hasPassword());
  EXPECT_EQ((std::vector<bool>{false, true}), listener.calls);
  {
    PasswordStore other(&prompts, &settings);
    prompts.answers = {"pw"};
    ASSERT_TRUE(other.askPassword(nullptr));
    EXPECT_NE(-1, timers.timeUntilNext());
  }
  EXPECT_EQ(-1, timers.timeUntilNext());
}

// A locked entry changed since it was read is saved only after the store
// has the master password; without it the file stays as it was.
TEST_F(Store, SaveEntrySignsChangesAnew) {
  setVerifier("master");
  ScratchDir dir;
  const std::string path = dir.file("entry.kiv");
  {
    EncryptedConfig entry;
    entry.setHost("server");
    entry.encrypt("master");
    entry.saveToFile(path.c_str(), true, false, nullptr);
  }
  auto text = [&] {
    FILE* f = openFile(path.c_str(), "rb");
    std::string data;
    for (int c; (c = fgetc(f)) != EOF;)
      data += (char)c;
    fclose(f);
    return data;
  };
  const std::string before = text();

  EncryptedConfig entry;
  entry.loadFromFile(path.c_str());
  entry.shared.setParam("0", plat::PriorityUser);
  EXPECT_FALSE(saveEntry(entry, store, nullptr)); // the prompt cancelled
  EXPECT_EQ(before, text());
  prompts.answers = {"master"};
  EXPECT_TRUE(saveEntry(entry, store, nullptr));
  EncryptedConfig saved;
  saved.loadFromFile(path.c_str());
  ASSERT_TRUE(saved.decrypt("master"));
  EXPECT_FALSE(saved.shared);

  // An entry altered outside the address book cannot be signed anew, and
  // the refusal says so rather than blaming the password.
  std::string altered = text();
  altered.replace(altered.find("Host=server"), 11, "Host=serve\nr=");
  FILE* f = openFile(path.c_str(), "wb");
  fwrite(altered.data(), 1, altered.size(), f);
  fclose(f);
  EncryptedConfig tampered;
  tampered.loadFromFile(path.c_str());
  tampered.shared.setParam("1", plat::PriorityUser);
  try {
    saveEntry(tampered, store, nullptr);
    FAIL();
  } catch (const plat::Exception& e) {
    EXPECT_STREQ(UnverifiedEntryText, e.str());
  }
  EXPECT_EQ(altered, text());
  const std::string prompt = std::string("enter ") + masterPassword.getValueStr().c_str();
  EXPECT_EQ(std::vector<std::string>(2, prompt), prompts.calls);
}

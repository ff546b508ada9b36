// Password dialogs and a settings key for tests: the prompts answer from a
// list and record what they were asked, the settings record what was
// written.
#pragma once

#include "ledrow/passwords/PasswordStore.h"
#include "plat/Exception.h"

#include <deque>
#include <string>
#include <vector>

namespace addrbook {

struct FakePrompts : PasswordStore::Prompts {
  // Answers in order; "" stands for a cancelled dialog.
  std::deque<std::string> answers;
  std::vector<std::string> calls;

  ZeroingBuffer answer() {
    std::string a = answers.empty() ? "" : answers.front();
    if (!answers.empty())
      answers.pop_front();
    return a.empty() ? ZeroingBuffer() : ZeroingBuffer::copyOf(a.data(), (int)a.size());
  }
  ZeroingBuffer chooseMasterPassword(void* parent) override {
    calls.push_back("choose");
    return answer();
  }
  ZeroingBuffer enterMasterPassword(void* parent, const char* verifier) override {
    calls.push_back(std::string("enter ") + verifier);
    return answer();
  }
};

struct FakeSettings : PasswordStore::SettingsWriter {
  std::vector<std::string> written;
  bool fails = false; // as a settings key that cannot be written
  void writeString(const char* name, const char* value) override {
    if (fails)
      throw plat::SystemException("RegSetValueEx", 5);
    written.push_back(std::string(name) + "=" + value);
  }
};

} // namespace addrbook

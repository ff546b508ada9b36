#include "os/win/SpecialFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Sets or clears an environment variable for the length of a test.
class Variable {
public:
  Variable(const wchar_t* name, const wchar_t* value) : name(name) {
    wchar_t old[1024];
    DWORD length = GetEnvironmentVariableW(name, old, 1024);
    had = length > 0 && length < 1024;
    if (had)
      previous = old;
    SetEnvironmentVariableW(name, value);
  }
  ~Variable() { SetEnvironmentVariableW(name, had ? previous.c_str() : nullptr); }

private:
  const wchar_t* name;
  bool had;
  std::wstring previous;
};

BOOL WINAPI failingLookup(HWND, LPWSTR, int, BOOL) { return FALSE; }

void expectNoFolder(os::GetSpecialFolderPathFn function) {
  try {
    os::getSpecialFolderPath(function);
    ADD_FAILURE() << "a folder without a way to find one";
  } catch (const plat::Exception& e) {
    EXPECT_STREQ("Cannot obtain default download directory.", e.str());
  }
}

} // namespace

TEST(SpecialFolder, DesktopOfTheSystem) {
  plat::String desktop = os::getSpecialFolderPath();
  ASSERT_GT(desktop.length(), 8);
  EXPECT_STRCASEEQ("\\Desktop", desktop.c_str() + desktop.length() - 8);
}

TEST(SpecialFolder, WithoutTheShellFunctionTheProfilesDesktop) {
  {
    Variable profile(L"USERPROFILE", L"C:\\users\\t\u00e9ster");
    EXPECT_STREQ("C:\\users\\t\xc3\xa9ster\\Desktop", os::getSpecialFolderPath(nullptr).c_str());
  }
  Variable none(L"USERPROFILE", nullptr);
  expectNoFolder(nullptr);
}

TEST(SpecialFolder, FailingLookupIsAnError) {
  expectNoFolder(failingLookup);
}

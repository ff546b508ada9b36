#include "ui/Logo.h"

#include <gtest/gtest.h>

#include <cwchar>

TEST(Logo, FollowsTheScreenResolution) {
  struct Case {
    int dpi;
    const wchar_t* name;
  } cases[] = {{72, L"LOGO_58x55"},  {96, L"LOGO_58x55"},  {97, L"LOGO_74x70"},
               {120, L"LOGO_74x70"}, {121, L"LOGO_96x90"}, {144, L"LOGO_96x90"}};
  for (const Case& c : cases)
    EXPECT_EQ(0, wcscmp(c.name, ui::logoResourceName(c.dpi))) << c.dpi;
}

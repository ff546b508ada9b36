// Option sets in tests take their user name from here, not from the
// machine.
#pragma once

#include "ledrow/data/UserNameSource.h"

#include <gtest/gtest.h>

struct OptionsTest : testing::Test {
  static plat::String testUser() { return plat::String("tester"); }
  void SetUp() override { addrbook::setUserNameSource(&testUser); }
  void TearDown() override { addrbook::setUserNameSource(nullptr); }
};

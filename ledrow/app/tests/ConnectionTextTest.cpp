#include "ledrow/app/ConnectionText.h"
#include "ledrow/data/EncryptedConfig.h"

#include <gtest/gtest.h>

#include <string>

using namespace addrbook;

namespace {

// The error a block gives, or "" when it reads.
std::string read(const std::string& block) {
  EncryptedConfig config;
  try {
    readConnectionText(block.data(), block.size(), &config);
    return "";
  } catch (const plat::Exception& e) {
    return e.str();
  }
}

} // namespace

TEST(ConnectionText, ReadsTheTextUpToItsTerminator) {
  std::string text = "[Connection]\nHost=files.example\nPort=5901\n[Options]\nShared=0\n";
  EncryptedConfig config;
  std::string block = text + '\0' + "[Connection]\nHost=other.example\n";
  readConnectionText(block.data(), block.size(), &config);
  EXPECT_STREQ("files.example:1", config.getHost());
  EXPECT_FALSE(config.shared);
}

TEST(ConnectionText, RefusesWhatIsNoConnectionFile) {
  const std::string notOne = "Not a connection file";
  EXPECT_EQ(notOne, read(std::string("hello there") + '\0'));
  EXPECT_EQ(notOne, read(std::string("[Options]\nShared=0\n") + '\0'));
  EXPECT_EQ(notOne, read(std::string("[Connection]\nHost=\n") + '\0'));
  EXPECT_EQ(notOne, read(""));
  EXPECT_EQ(notOne, read("[Connection]\nHost=files.example\n")); // no terminator
  EXPECT_EQ(notOne, read(std::string(1 << 20, 'A') + '\0'));
  EXPECT_EQ("bad Name/Value pair", read(std::string("[Connection]\nHost\n") + '\0'));
  EXPECT_EQ("", read(std::string("[Connection]\nHost=a\n") + '\0'));
}

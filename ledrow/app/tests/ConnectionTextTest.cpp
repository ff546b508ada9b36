#include "ledrow/app/ConnectionText.h"
#include "ledrow/data/EncryptedConfig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace addrbook;

namespace {

// The error a block gives, or "" when it reads. The block sits in a heap
// buffer of exactly its size, so that a read past its end is caught.
std::string read(const std::string& block, EncryptedConfig* config = nullptr) {
  EncryptedConfig own;
  std::vector<char> exact(block.begin(), block.end());
  try {
    readConnectionText(exact.empty() ? nullptr : exact.data(), exact.size(),
                       config ? config : &own);
    return "";
  } catch (const plat::Exception& e) {
    return e.str();
  }
}

} // namespace

TEST(ConnectionText, TheTextEndsAtItsTerminatorOrWithTheBlock) {
  std::string text = "[Connection]\nHost=files.example\nPort=5901\n[Options]\nShared=0\n";
  EncryptedConfig terminated;
  EXPECT_EQ("", read(text + '\0' + "[Connection]\nHost=other.example\n", &terminated));
  EXPECT_STREQ("files.example:1", terminated.getHost());
  EXPECT_FALSE(terminated.shared);

  // Counted without its terminator, as some senders do.
  EncryptedConfig counted;
  EXPECT_EQ("", read(text, &counted));
  EXPECT_STREQ("files.example:1", counted.getHost());
  EXPECT_FALSE(counted.shared);
  EncryptedConfig lastLineOpen;
  EXPECT_EQ("", read("[Connection]\nHost=files.example", &lastLineOpen));
  EXPECT_STREQ("files.example", lastLineOpen.getHost());
}

TEST(ConnectionText, RefusalsNameTheReadersReason) {
  for (const char* end : {"", "\n"}) {
    SCOPED_TRACE(*end ? "terminated" : "counted");
    auto block = [end](const std::string& text) { return *end ? text + '\0' : text; };
    EXPECT_EQ("bad Section", read(block("[Connection\nHost=a\n")));
    EXPECT_EQ("bad Name/Value pair", read(block("[Connection]\nHost\n")));
    EXPECT_EQ("Invalid UTF-8 encoding for Host", read(block("[Connection]\nHost=\xC3(\n")));
    EXPECT_EQ("Line too long", read(block("[Connection]\nHost=" + std::string(5000, 'a'))));
    EXPECT_EQ("Connection text too long",
              read(block("[Connection]\nHost=a\n" + std::string(MaxConnectionText, '\n'))));
  }
  const std::string notOne = "Not a connection file";
  EXPECT_EQ(notOne, read(""));
  EXPECT_EQ(notOne, read(std::string(1, '\0') + "[Connection]\nHost=a\n"));
  EXPECT_EQ(notOne, read("hello there"));
  EXPECT_EQ(notOne, read("[Options]\nShared=0\n"));
  EXPECT_EQ(notOne, read(std::string("[Connection]\nHost=\n") + '\0'));
  EncryptedConfig none;
  EXPECT_THROW(readConnectionText(nullptr, 10, &none), plat::Exception);
}

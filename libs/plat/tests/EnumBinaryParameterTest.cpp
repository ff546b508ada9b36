#include "plat/BinaryParameter.h"
#include "plat/Configuration.h"
#include "plat/EnumParameter.h"
#include "plat/LogWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace plat;

namespace {

const char* const encodings[] = {"JPEG", "Zlib", "ZRLE", nullptr};

struct Recorder : ParameterChangedCallback {
  std::vector<int> priorities;
  void parameterChanged(ConfigParameter*, int priority) override {
    priorities.push_back(priority);
  }
};

// Collects what the "ConfigParameter" writer logs while it lives.
struct CapturedLog : Logger {
  std::string text;
  LogWriter* writer;
  Logger* savedLogger;
  int savedLevel;
  CapturedLog() : Logger("capture"), writer(LogWriter::find("ConfigParameter")) {
    savedLogger = writer->logger();
    savedLevel = writer->level();
    writer->setLog(this, 100);
  }
  ~CapturedLog() override { writer->setLog(savedLogger, savedLevel); }
  void write(int, const char*, const char* line) override { text += std::string(line) + "\n"; }
};

struct Kinds : testing::Test {
  Configuration group{"Test"};
  EnumParameter encoding{"PreferredEncoding", "encoding", "zrle", encodings, 1, &group};
  BinaryParameter hash{"IdHash", "hash", "\x01\xab", 2, 1, &group};
};

} // namespace

TEST_F(Kinds, EnumDefaultIsFoundInAnyCase) {
  EXPECT_EQ(2, encoding.getValue());
  EXPECT_STREQ("ZRLE", encoding.getValueStr().c_str());
  EXPECT_EQ(100, encoding.getPriority());
  EXPECT_TRUE(encoding.isEnum());
  EXPECT_EQ(3, encoding.nameCount());

  EnumParameter unknownDefault("X", "x", "Hextile", encodings, 0, &group);
  EXPECT_EQ(0, unknownDefault.getValue());
}

TEST_F(Kinds, EnumTakesOnlyListedNames) {
  EXPECT_TRUE(encoding.setParam("jpeg", 50));
  EXPECT_STREQ("JPEG", encoding.getValueStr().c_str());
  EXPECT_FALSE(encoding.setParam("Hextile", 40));
  EXPECT_FALSE(encoding.setParam("1", 40)); // an index is not a name
  EXPECT_FALSE(encoding.setValue(3, 40));   // past the list
  EXPECT_EQ(50, encoding.getPriority());

  std::map<int, String> values;
  encoding.getValues(&values);
  ASSERT_EQ(2u, values.size());
  EXPECT_STREQ("JPEG", values[50].c_str());
  EXPECT_STREQ("ZRLE", values[100].c_str());
}

TEST_F(Kinds, BinaryTextIsHexadecimal) {
  EXPECT_STREQ("01ab", hash.getValueStr().c_str());
  EXPECT_TRUE(hash.setParam("00FFa0", 50));
  EXPECT_EQ((Bytes{0x00, 0xff, 0xa0}), hash.getValue());
  EXPECT_STREQ("00ffa0", hash.getValueStr().c_str());
  EXPECT_TRUE(hash.setParam("", 40)); // empty is a value
  EXPECT_TRUE(hash.getValue().empty());
  hash.removeValue(40);
  hash.removeValue(50);
  hash.removeValue(100); // the default stays
  EXPECT_STREQ("01ab", hash.getValueStr().c_str());
  EXPECT_EQ(100, hash.getPriority());
}

TEST_F(Kinds, BinaryRefusalStillTellsTheCallback) {
  Recorder rec;
  hash.setCallback(&rec);
  EXPECT_FALSE(hash.setParam("abc", 50)); // odd length
  EXPECT_FALSE(hash.setParam("zz", 50));
  EXPECT_TRUE(hash.setValue("\x05", 1, 60));
  hash.setCallback(nullptr);
  EXPECT_EQ((std::vector<int>{50, 50, 60}), rec.priorities);
  EXPECT_STREQ("05", hash.getValueStr().c_str());
}

TEST_F(Kinds, BinaryValuesStayOutOfTheLog) {
  CapturedLog log;
  hash.setParam("5ec12e7b", 50);
  hash.setParam("5ec12e7", 50);
  hash.setValue("\x5e\xc1", 2, 50);
  EXPECT_EQ(std::string::npos, log.text.find("5ec1")) << log.text;
  EXPECT_NE(std::string::npos, log.text.find("set IdHash(Binary)")) << log.text;
  EXPECT_NE(std::string::npos, log.text.find("priority 50")) << log.text;
}

TEST_F(Kinds, ClonesKeepKindListAndEveryPriority) {
  encoding.setParam("Zlib", 50);
  hash.setParam("beef", 0);
  Configuration copies("Copies", nullptr, true);
  ConfigParameter* e = encoding.cloneInto(&copies);
  ConfigParameter* b = hash.cloneInto(&copies);
  ASSERT_TRUE(e->isEnum());
  ASSERT_TRUE(b->isBinary());
  EXPECT_EQ(1, e->getFlags());
  std::map<int, String> values;
  e->getValues(&values);
  EXPECT_STREQ("Zlib", values[50].c_str());
  EXPECT_STREQ("ZRLE", values[100].c_str());
  EXPECT_STREQ("beef", b->getValueStr().c_str());
  b->removeValue(0);
  EXPECT_STREQ("01ab", b->getValueStr().c_str());
  EXPECT_EQ(e, copies.get("preferredencoding"));
  // copies deletes both when it goes
}

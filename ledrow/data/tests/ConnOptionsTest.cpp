#include "OptionsFixture.h"
#include "ledrow/data/ConnOptions.h"
#include "ledrow/data/EncodingNames.h"
#include "ledrow/data/PasswordObfuscation.h"

#include <string>
#include <vector>

using namespace addrbook;

namespace {

enum Kind { Bool, Int, String, Enum, Binary };

struct OptionRow {
  const char* name;
  Kind kind;
  const char* defaultText;
  bool advanced;
};

const OptionRow optionTable[] = {
    {"UseLocalCursor", Bool, "1", true},
    {"FullScreen", Bool, "0", false},
    {"RelativePtr", Bool, "0", false},
    {"FullColour", Bool, "0", false},
    {"ColourLevel", String, "pal8", false},
    {"AutoSelect", Bool, "1", false},
    {"Shared", Bool, "1", false},
    {"SendPointerEvents", Bool, "1", false},
    {"SendKeyEvents", Bool, "1", false},
    {"ClientCutText", Bool, "1", false},
    {"ServerCutText", Bool, "1", false},
    {"ShareFiles", Bool, "1", false},
    {"EnableChat", Bool, "1", false},
    {"ProxyServer", String, "", false},
    {"ProxyType", Enum, "", false},
    {"PointerEventInterval", Int, "0", true},
    {"Protocol3.3", Bool, "0", true},
    {"AcceptBell", Bool, "1", true},
    {"Scaling", String, "None", false},
    {"MenuKey", Enum, "F8", false},
    {"EnableToolbar", Bool, "1", false},
    {"UserName", String, "tester", false},
    {"Encryption", Enum, "Server", false},
    {"SelectDesktop", String, "", true},
    {"PreferredEncoding", Enum, "ZRLE", true},
    {"AutoReconnect", Bool, "1", false},
    {"SingleSignOn", Bool, "1", true},
    {"EnableRemotePrinting", Bool, "1", false},
    {"ChangeServerDefaultPrinter", Bool, "1", false},
    {"ScalePrintOutput", Bool, "1", false},
    {"PasswordFile", String, "", true},
    {"VerifyId", Int, "2", true},
    {"IdHash", Binary, "", true},
    {"FullScreenChangeResolution", Bool, "0", true},
    {"UseAllMonitors", Bool, "0", true},
    {"Emulate3", Bool, "0", false},
    {"DisableWinKeys", Bool, "1", false},
    {"SuppressIME", Bool, "1", true},
    {"Monitor", String, "", true},
};

Kind kindOf(const plat::ConfigParameter* p) {
  if (p->isBool())
    return Bool;
  if (p->isEnum())
    return Enum;
  if (p->isInt())
    return Int;
  if (p->isBinary())
    return Binary;
  return String;
}

std::string value(const CConnOptions& o, const char* name) {
  return o.get(name)->getValueStr().c_str();
}

} // namespace

TEST_F(OptionsTest, EveryOptionWithKindDefaultAndFlag) {
  CConnOptions o;
  std::vector<std::string> registered;
  for (plat::ConfigParameter* p = o.head(); p; p = p->next())
    registered.insert(registered.begin(), p->getName());
  ASSERT_EQ(39u, registered.size());
  int i = 0;
  for (const OptionRow& row : optionTable) {
    EXPECT_EQ(row.name, registered[i++]) << "registration order";
    plat::ConfigParameter* p = o.get(row.name);
    ASSERT_NE(nullptr, p) << row.name;
    EXPECT_STREQ(row.name, p->getName());
    EXPECT_EQ(row.kind, kindOf(p)) << row.name;
    EXPECT_EQ(row.defaultText, value(o, row.name)) << row.name;
    EXPECT_EQ(100, p->getPriority()) << row.name;
    EXPECT_EQ(row.advanced, p->getFlags() != 0) << row.name;
    EXPECT_NE(std::string(), p->getDescription()) << row.name;
  }
  EXPECT_STREQ("CConnOptions", o.getName());
  EXPECT_EQ(nullptr, o.getParent());
}

TEST_F(OptionsTest, EnumListsAndRanges) {
  CConnOptions o;
  EXPECT_EQ(8, o.menuKey.getValue());
  EXPECT_EQ(13, o.menuKey.nameCount());
  EXPECT_EQ(2, o.preferredEncoding.getValue());
  EXPECT_EQ(5, o.encryption.nameCount());
  EXPECT_EQ(3, o.proxyType.nameCount());
  EXPECT_TRUE(o.menuKey.setParam("f8", 50));
  EXPECT_STREQ("F8", o.menuKey.getValueStr().c_str());
  EXPECT_FALSE(o.menuKey.setParam("F13", 40));
  EXPECT_EQ(50, o.menuKey.getPriority());
  EXPECT_TRUE(o.encryption.setParam("alwaysmaximum", 50));
  EXPECT_STREQ("AlwaysMaximum", o.encryption.getValueStr().c_str());
  EXPECT_TRUE(o.proxyType.setParam("SOCKS", 50));
  EXPECT_STREQ("socks", o.proxyType.getValueStr().c_str());
}

TEST_F(OptionsTest, NoUserNameSourceLeavesUserNameEmpty) {
  setUserNameSource(nullptr);
  CConnOptions o;
  EXPECT_STREQ("", o.userName.getValueStr().c_str());
}

TEST_F(OptionsTest, Aliases) {
  CConnOptions o;
  EXPECT_TRUE(o.set("FullColor", "1", 50));
  EXPECT_TRUE(o.fullColour.getValue());
  EXPECT_TRUE(o.set("fullcolour", "0", 50));
  EXPECT_FALSE(o.fullColour.getValue());
  EXPECT_EQ(&o.colourLevel, o.get("LowColourLevel"));
  EXPECT_EQ(&o.colourLevel, o.get("lowcolorlevel"));
  EXPECT_EQ(&o.clientCutText, o.get("SendClipboard"));
  EXPECT_EQ(&o.serverCutText, o.get("ACCEPTCLIPBOARD"));
  EXPECT_EQ(&o.passwordFile, o.get("passwd"));
  EXPECT_EQ(nullptr, o.get("Password"));
}

TEST_F(OptionsTest, ColourDigits) {
  CConnOptions o;
  const char* names[] = {"rgb111", "rgb222", "pal8", "full"};
  for (int digit = 0; digit < 4; digit++) {
    std::string text(1, (char)('0' + digit));
    EXPECT_TRUE(o.colourLevel.setParam(text.c_str(), 50));
    EXPECT_STREQ(names[digit], o.colourLevel.getValueStr().c_str());
    EXPECT_EQ(50, o.colourLevel.getPriority());
  }
  o.colourLevel.setParam("4", 50); // not a level digit
  EXPECT_STREQ("4", o.colourLevel.getValueStr().c_str());
  o.colourLevel.setParam("22", 50);
  EXPECT_STREQ("22", o.colourLevel.getValueStr().c_str());
}

TEST_F(OptionsTest, EveryQualityPresetReadsBack) {
  const char* levels[] = {"rgb111", "rgb222", "pal8", "full", "full", "full"};
  const char* encodings[] = {"ZRLE", "ZRLE", "ZRLE", "JRLE", "ZRLE", "TRLE"};
  for (int position = 0; position < CConnOptions::QualityPresets; position++) {
    CConnOptions o;
    o.fullColour.setParam("1", 50);
    o.setQualityPreset(position, 50);
    EXPECT_STREQ(levels[position], o.colourLevel.getValueStr().c_str());
    EXPECT_STREQ(encodings[position], o.preferredEncoding.getValueStr().c_str());
    EXPECT_FALSE(o.fullColour.getValue());
    EXPECT_EQ(50, o.colourLevel.getPriority());
    EXPECT_EQ(50, o.preferredEncoding.getPriority());
    EXPECT_EQ(50, o.fullColour.getPriority());
    EXPECT_EQ(position, o.getQualityPreset());
  }
}

TEST_F(OptionsTest, QualityPresetOfHandMadeOptions) {
  CConnOptions o;
  EXPECT_EQ(2, o.getQualityPreset()); // pal8 by default
  o.colourLevel.setParam("RGB222", 50);
  EXPECT_EQ(1, o.getQualityPreset());
  o.fullColour.setParam("1", 50);
  o.preferredEncoding.setParam("Hextile", 50);
  EXPECT_EQ(5, o.getQualityPreset());
  o.preferredEncoding.setParam("JRLE", 50);
  EXPECT_EQ(3, o.getQualityPreset());
  o.fullColour.setParam("0", 50);
  o.colourLevel.setParam("FULL", 50);
  EXPECT_EQ(3, o.getQualityPreset());
  // Full colour is the level of three presets: the encoding tells them
  // apart, so that the slider shows the one chosen.
  o.preferredEncoding.setParam("ZRLE", 50);
  EXPECT_EQ(4, o.getQualityPreset());
  o.preferredEncoding.setParam("TRLE", 50);
  EXPECT_EQ(5, o.getQualityPreset());
  o.colourLevel.setParam("Pal8", 50);
  EXPECT_EQ(2, o.getQualityPreset());
  o.colourLevel.setParam("bgr233", 50); // no preset's level
  o.preferredEncoding.setParam("ZRLE", 50);
  EXPECT_EQ(4, o.getQualityPreset());
}

TEST(EncodingNames, LookupIgnoresAsciiCaseOnly) {
  EXPECT_EQ(0, encodingNumber("Raw"));
  EXPECT_EQ(16, encodingNumber("zrle"));
  EXPECT_EQ(22, encodingNumber("JRLE"));
  EXPECT_EQ(-311, encodingNumber("cursorwithalpha"));
  EXPECT_EQ(17, encodingNumber("[3RD-PARTY HITACHIZYWRLE]"));
  EXPECT_EQ(-1, encodingNumber("ZRLE "));
  EXPECT_EQ(-1, encodingNumber("ZRL"));
  EXPECT_EQ(-1, encodingNumber(""));
  EXPECT_EQ(-1, encodingNumber(nullptr));
  EXPECT_EQ(-1, encodingNumber("Tight"));
}

TEST_F(OptionsTest, PasswordIsHeldObfuscated) {
  CConnOptions o;
  EXPECT_TRUE(o.getPassword().empty());
  o.setPassword("secret");
  EXPECT_EQ(8, o.getPassword().length());
  EXPECT_STREQ("secret", deobfuscatePassword(o.getPassword(), Latin1CodePage()).c_str());
  o.setPassword("");
  EXPECT_EQ(8, o.getPassword().length()); // an empty password is still one
  o.setPassword(nullptr);
  EXPECT_TRUE(o.getPassword().empty());
}

TEST_F(OptionsTest, CopyAssignmentKeepsEverything) {
  CConnOptions a, b;
  a.fullScreen.setParam("1", 50);
  a.scaling.setParam("Fit", 0);
  a.scaling.setParam("AspectFit", 50);
  a.idHash.setParam("0102", 50);
  a.setHost("srv:1");
  a.setFilePath("entry.kiv");
  a.setIdentity({9, 8, 7});
  // A password whose length is no multiple of 8, as a password file gives.
  const uint8_t odd[] = {1, 2, 3, 4, 5};
  a.setPasswordBytes(odd, 5);
  b.setPassword("other");
  b = a;
  EXPECT_TRUE(b.getPassword().equals(odd, 5));
  EXPECT_TRUE(b.fullScreen.getValue());
  std::map<int, plat::String> values;
  b.scaling.getValues(&values);
  EXPECT_EQ(3u, values.size());
  EXPECT_STREQ("Fit", b.scaling.getValueStr().c_str());
  EXPECT_STREQ("0102", b.idHash.getValueStr().c_str());
  EXPECT_STREQ("srv:1", b.getHost());
  EXPECT_STREQ("entry.kiv", b.getFilePath());
  EXPECT_EQ((plat::Bytes{9, 8, 7}), b.getIdentity());
  EXPECT_TRUE(b.equals(a));

  CConnOptions empty;
  b = empty;
  EXPECT_TRUE(b.getPassword().empty());
  EXPECT_EQ(nullptr, b.getHost());
}

#include "OptionsFixture.h"
#include "ProtectionHelpers.h"
#include "RandomOptions.h"
#include "ledrow/data/EncryptedConfig.h"
#include "ledrow/data/PasswordObfuscation.h"
#include "ledrow/data/ProtectedString.h"
#include "rdr/MemInStream.h"
#include "rdr/MemOutStream.h"

#include <string>

using namespace addrbook;

namespace {

#define KNOWN_SIGNATURE                                                                          \
  "afb0f7d73f6122f6509026cf8039c74b10690a152c268b1883d2478d2514b8bd255b5157e52b73e90ef6d8fade" \
  "a561da0d91c0634c4606983358e7db1af913ff3c185609ae983b4ec85cb5d20e1c7b0317cbefba6c0e94a4124e" \
  "4a0b60c8ddfcd1a87585043c552bac9def81x0123456789abcdef"

// Signed under "master"; the password is "secret". Every pair, as the
// address book writes it.
const std::string signedFile = "[Connection]\n"
                               "Host=server.example:1\n"
                               "UserName=tester\n"
                               "Encryption=Server\n"
                               "SelectDesktop=\n"
                               "ProxyServer=\n"
                               "ProxyType=\n"
                               "SingleSignOn=1\n"
                               "[Options]\n"
                               "UseLocalCursor=1\n"
                               "FullScreen=1\n"
                               "RelativePtr=0\n"
                               "FullColour=0\n"
                               "ColourLevel=pal8\n"
                               "PreferredEncoding=ZRLE\n"
                               "AutoSelect=1\n"
                               "Shared=1\n"
                               "SendPointerEvents=1\n"
                               "SendKeyEvents=1\n"
                               "ClientCutText=1\n"
                               "ServerCutText=1\n"
                               "ShareFiles=1\n"
                               "EnableChat=1\n"
                               "EnableRemotePrinting=1\n"
                               "ChangeServerDefaultPrinter=1\n"
                               "PointerEventInterval=0\n"
                               "Scaling=Fit\n"
                               "MenuKey=F8\n"
                               "EnableToolbar=1\n"
                               "AutoReconnect=1\n"
                               "Protocol3.3=0\n"
                               "AcceptBell=1\n"
                               "ScalePrintOutput=1\n"
                               "PasswordFile=\n"
                               "VerifyId=2\n"
                               "IdHash=\n"
                               "FullScreenChangeResolution=0\n"
                               "UseAllMonitors=0\n"
                               "Emulate3=0\n"
                               "DisableWinKeys=1\n"
                               "SuppressIME=1\n"
                               "Monitor=\n"
                               "[Signature]\n"
                               "DotKivFileSignature=" KNOWN_SIGNATURE "\n";
const char knownHash[] = "bc350cc7e4c7736b8987e734f16ad455f6c7500e";
const char knownPairs[] =
    "Hostserver.example:1UserNametesterEncryptionServerSelectDesktopProxyServerProxyType"
    "SingleSignOn1UseLocalCursor1FullScreen1RelativePtr0FullColour0ColourLevelpal8"
    "PreferredEncodingZRLEAutoSelect1Shared1SendPointerEvents1SendKeyEvents1ClientCutText1"
    "ServerCutText1ShareFiles1EnableChat1EnableRemotePrinting1ChangeServerDefaultPrinter1"
    "PointerEventInterval0ScalingFitMenuKeyF8EnableToolbar1AutoReconnect1Protocol3.30"
    "AcceptBell1ScalePrintOutput1PasswordFileVerifyId2IdHashFullScreenChangeResolution0"
    "UseAllMonitors0Emulate30DisableWinKeys1SuppressIME1Monitor";

// A file of five pairs with a signature over exactly those: the hash and
// the signature agree, but the file is not what the entry writes.
const std::string shortSignedFile =
    "[Connection]\n"
    "Host=server.example:1\n"
    "UserName=tester\n"
    "Encryption=Server\n"
    "[Options]\n"
    "FullScreen=1\n"
    "Scaling=Fit\n"
    "[Signature]\n"
    "DotKivFileSignature="
    "5e4cf03825c3e04664abd756ffc9ee4210690a152c268b1883d2478d2514b8b927590555b77875b459f08bffd4"
    "a66083009fc1304810059a300bb0861bad44a1321d500badcc3a4ec85cb5d20e1c7b0317cbefba6c0e94a4124e"
    "4a0b60c8ddfcd1a87585043c552bac9def81x0123456789abcdef\n";
const char secretObfuscated[] = "2a8df6944c72b46f";

// The old form: the obfuscated password's hex under "master".
const std::string oldFormFile =
    "[Connection]\n"
    "Host=old.example\n"
    "[Options]\n"
    "Shared=0\n"
    "EncryptedPassword=225023cb102b86c75aa2f2647ae26f323d45748bc85c067ff72bce61d7bd215fx"
    "fedcba9876543210\n";

std::string written(CConnOptions& c, bool includePassword = true) {
  rdr::MemOutStream out;
  c.write(out, includePassword, false, nullptr);
  return std::string((const char*)out.data(), out.length());
}

void load(CConnOptions& c, const std::string& text) {
  rdr::MemInStream in(text.data(), (int)text.size());
  c.read(in);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(std::string::npos, at) << from;
  return text.replace(at, from.size(), to);
}

std::string passwordOf(const CConnOptions& c) {
  return deobfuscatePassword(c.getPassword(), Latin1CodePage()).c_str();
}

std::string sha1Hex(const std::string& bytes) {
  crypto::Sha sha(160);
  sha.update(bytes.data(), bytes.size());
  std::vector<uint8_t> digest;
  sha.final(digest);
  return hexOf(digest);
}

// A file as the address book signs it, with every pair that an edit below
// disturbs.
std::string programSignedFile() {
  EncryptedConfig entry;
  entry.setHost("server.example");
  entry.setIdentity({0xab, 0xcd});
  entry.encryption.setParam("AlwaysOn", plat::PriorityUser);
  entry.setPassword("secret");
  entry.encrypt("master");
  return written(entry);
}

void throwingSalt(uint8_t*, int) { throw plat::Exception("no random source"); }

// The entry's file signed over its pairs as they stand, without the checks
// that encrypt makes: as another writer signs.
std::string signedAsItStands(EncryptedConfig& entry, const char* master) {
  const ZeroingBytes& password = entry.getPassword();
  std::string text = std::string("Signature,Hash=") + entry.computeHash().c_str() +
                     "\nConnection,Password=" +
                     hexOf({password.data(), password.data() + password.length()});
  return written(entry, false) + "[Signature]\nDotKivFileSignature=" +
         encryptString(text.c_str(), master).c_str() + "\n";
}

} // namespace

TEST_F(OptionsTest, SignedFileKnownAnswer) {
  EncryptedConfig entry;
  load(entry, signedFile);
  EXPECT_EQ(EncryptedConfig::HashValid, entry.getHashState());
  // Names and values of every pair but the signature, nothing else.
  EXPECT_EQ(knownHash, sha1Hex(knownPairs));
  EXPECT_STREQ(knownHash, entry.getReadHash());
  EXPECT_TRUE(entry.hasSignature());
  EXPECT_STREQ(KNOWN_SIGNATURE, entry.getSignature());
  EXPECT_TRUE(entry.getPassword().empty());

  EXPECT_FALSE(entry.decrypt("Master"));
  EXPECT_TRUE(entry.hasSignature());
  EXPECT_TRUE(entry.getPassword().empty());

  EXPECT_TRUE(entry.decrypt("master"));
  EXPECT_FALSE(entry.isProtected());
  EXPECT_EQ("secret", passwordOf(entry));
  EXPECT_EQ(secretObfuscated, hexOf({entry.getPassword().data(),
                                     entry.getPassword().data() + entry.getPassword().length()}));
  EXPECT_TRUE(entry.fullScreen);
  EXPECT_STREQ("server.example:1", entry.getHost());
  // Unlocked, it saves as a plain entry.
  std::string plain = written(entry);
  EXPECT_NE(std::string::npos, plain.find(std::string("\nPassword=") + secretObfuscated + "\n"));
  EXPECT_EQ(std::string::npos, plain.find("Signature"));
}

TEST_F(OptionsTest, ChangingASignedFileBreaksTheSignature) {
  const std::pair<const char*, const char*> edits[] = {
      {"FullScreen=1", "FullScreen=0"},
      {"FullScreen=1\nRelativePtr=0", "RelativePtr=0\nFullScreen=1"},
      {"Scaling=Fit\n", "Scaling=Fit\nShared=0\n"},
      {"Encryption=Server\n", "Encryption=Server\nPassword=00112233\n"},
      {"Host=server.example:1", "Host=elsewhere.example:1"},
      {"Host=server.example:1\n", "Host=server.example\nPort=5901\n"},
      {"UserName=tester\n", ""},
      {"FullScreen=1\n", "FullScreen=1\nFullScreen=1\n"},
  };
  for (const auto& edit : edits) {
    EncryptedConfig entry;
    load(entry, replaced(signedFile, edit.first, edit.second));
    EXPECT_FALSE(entry.decrypt("master")) << edit.second;
    EXPECT_TRUE(entry.hasSignature());
  }
  // The signature's digits in capitals are the same signature.
  std::string upper = KNOWN_SIGNATURE;
  for (char& c : upper)
    if (c >= 'a' && c <= 'f')
      c = (char)(c - 'a' + 'A');
  EncryptedConfig entry;
  load(entry, replaced(signedFile, KNOWN_SIGNATURE, upper));
  EXPECT_TRUE(entry.decrypt("master"));
  EXPECT_EQ("secret", passwordOf(entry));
}

// A file that fails to parse part-way must not open: the pairs read so far
// are applied but the hash does not describe them.
TEST_F(OptionsTest, FailedParseFailsTheCheck) {
  std::string broken = signedFile + "[Options]\nnot a pair\n";
  EncryptedConfig entry;
  EXPECT_THROW(load(entry, broken), plat::Exception);
  EXPECT_EQ(EncryptedConfig::HashInvalid, entry.getHashState());
  EXPECT_TRUE(entry.hasSignature());
  EXPECT_FALSE(entry.decrypt("master"));
  EXPECT_TRUE(entry.hasSignature());

  // The signature first, then changed pairs, then a line that stops the
  // parse before the hash is taken.
  std::string sig = "[Signature]\nDotKivFileSignature=" KNOWN_SIGNATURE "\n";
  std::string attack = sig + replaced(replaced(signedFile, sig, ""), "FullScreen=1", "FullScreen=0") +
                       std::string(5000, 'x') + "\n";
  EncryptedConfig tampered;
  EXPECT_THROW(load(tampered, attack), plat::Exception);
  EXPECT_FALSE(tampered.decrypt("master"));

  // A good read afterwards makes the entry whole again.
  load(tampered, signedFile);
  EXPECT_TRUE(tampered.decrypt("master"));
}

TEST_F(OptionsTest, SignSaveReloadDecryptRoundTrips) {
  std::mt19937 rng(20240601);
  for (int i = 0; i < 150; i++) {
    EncryptedConfig original;
    randomise(original, rng);
    EncryptedConfig entry;
    entry = original;
    entry.encrypt("master");
    ASSERT_TRUE(entry.hasSignature());
    EXPECT_TRUE(entry.getPassword().empty());
    EXPECT_EQ(EncryptedConfig::HashValid, entry.getHashState());

    std::string file = written(entry);
    EXPECT_EQ(std::string::npos, file.find("\nPassword="));
    EXPECT_NE(std::string::npos,
              file.find(std::string("\n[Signature]\nDotKivFileSignature=") + entry.getSignature() +
                        "\n"));

    EncryptedConfig reloaded;
    load(reloaded, file);
    EXPECT_STREQ(entry.getReadHash(), reloaded.getReadHash());
    EXPECT_FALSE(reloaded.decrypt("wrong"));
    ASSERT_TRUE(reloaded.decrypt("master")) << file;
    EXPECT_TRUE(reloaded.equals(original));
    EXPECT_TRUE(original.equals(reloaded));
    EXPECT_TRUE(reloaded.getPassword().equals(original.getPassword().data(),
                                              original.getPassword().length()));
    EXPECT_STREQ(original.getHost(), reloaded.getHost());
    EXPECT_EQ(original.getIdentity(), reloaded.getIdentity());
    EXPECT_EQ(original.getExtraOptions(), reloaded.getExtraOptions());
  }
}

TEST_F(OptionsTest, OldForm) {
  EncryptedConfig entry;
  load(entry, oldFormFile);
  EXPECT_TRUE(entry.hasEncryptedPassword());
  EXPECT_FALSE(entry.hasSignature());
  EXPECT_TRUE(entry.getExtraOptions().empty());
  // Written back as the last pair of "Options".
  std::string file = written(entry);
  EXPECT_NE(std::string::npos, file.find("Monitor=\nEncryptedPassword=225023cb"));
  EXPECT_EQ('\n', file.back());

  EXPECT_FALSE(entry.decrypt("wrong"));
  EXPECT_TRUE(entry.hasEncryptedPassword());
  EXPECT_TRUE(entry.decrypt("master"));
  EXPECT_FALSE(entry.isProtected());
  EXPECT_EQ("secret", passwordOf(entry));
  // Unlocked and saved, it is a plain entry.
  file = written(entry);
  EXPECT_NE(std::string::npos, file.find(std::string("\nPassword=") + secretObfuscated + "\n"));
  EXPECT_EQ(std::string::npos, file.find("EncryptedPassword"));

  // The old form wins over a signature when both are held.
  EncryptedConfig both;
  load(both, oldFormFile + "[Signature]\nDotKivFileSignature=" KNOWN_SIGNATURE "\n");
  file = written(both);
  EXPECT_NE(std::string::npos, file.find("EncryptedPassword="));
  EXPECT_EQ(std::string::npos, file.find("DotKivFileSignature"));
}

TEST_F(OptionsTest, BlobsOutOfFormAreOrdinaryPairs) {
  EncryptedConfig entry;
  load(entry, "[Options]\nEncryptedPassword=not hex\n[Connection]\nEncryptedPassword=00\n"
              "[Signature]\nDotKivFileSignature=zz\n");
  EXPECT_FALSE(entry.isProtected());
  ASSERT_EQ(1u, entry.getExtraOptions().size());
  EXPECT_EQ("not hex", entry.getExtraOptions().at("EncryptedPassword"));
  // Hashed like any pair, whatever their section.
  EXPECT_EQ(sha1Hex("EncryptedPasswordnot hexEncryptedPassword00DotKivFileSignaturezz"),
            entry.getReadHash());
}

TEST_F(OptionsTest, EncryptWithoutPassword) {
  EncryptedConfig entry;
  entry.setHost("nopass");
  entry.encrypt("m");
  ZeroingBuffer plain = decryptString(entry.getSignature(), "m");
  ASSERT_TRUE(plain.c_str());
  EXPECT_EQ(std::string("Signature,Hash=") + entry.getReadHash() +
                "\nConnection,Password=\nOptions,Monitor=",
            plain.c_str());
  EXPECT_STREQ(entry.computeHash().c_str(), entry.getReadHash());

  // Protecting again changes nothing.
  std::string signature = entry.getSignature();
  entry.encrypt("other");
  EXPECT_EQ(signature, entry.getSignature());

  EXPECT_TRUE(entry.decrypt("m"));
  EXPECT_TRUE(entry.getPassword().empty());
}

// Pairs fed one by one, as the XML import feeds them, Host also setting
// the host.
void feedPairs(EncryptedConfig& entry, const std::string& file) {
  std::string section;
  size_t at = 0;
  while (at < file.size()) {
    size_t end = file.find('\n', at);
    std::string line = file.substr(at, end - at);
    at = end + 1;
    if (line[0] == '[') {
      section = line.substr(1, line.find(']') - 1);
      continue;
    }
    size_t eq = line.find('=');
    std::string name = line.substr(0, eq), value = line.substr(eq + 1);
    if (name == "Host")
      entry.setHost(value.c_str());
    entry.setFromFile(name.c_str(), value.c_str(), section.c_str());
  }
}

TEST_F(OptionsTest, EntryBuiltPairByPairIsCheckedAsAFileIs) {
  // Without a hash of its pairs there is nothing to hold the signature
  // against: it does not open.
  EncryptedConfig unhashed;
  feedPairs(unhashed, replaced(signedFile, "Host=server.example:1", "Host=imported"));
  EXPECT_EQ(EncryptedConfig::NoHash, unhashed.getHashState());
  EXPECT_EQ(EncryptedConfig::Unlock::NotVerified, unhashed.unlock("master"));
  EXPECT_TRUE(unhashed.hasSignature());

  EncryptedConfig entry;
  entry.startPairs();
  feedPairs(entry, signedFile);
  entry.finishPairs();
  EXPECT_STREQ(knownHash, entry.getReadHash());
  EXPECT_EQ(EncryptedConfig::Unlock::WrongPassword, entry.unlock("wrong"));
  EXPECT_EQ(EncryptedConfig::Unlock::Opened, entry.unlock("master"));
  EXPECT_EQ("secret", passwordOf(entry));

  EncryptedConfig changed;
  changed.startPairs();
  feedPairs(changed, replaced(signedFile, "Host=server.example:1", "Host=imported"));
  changed.finishPairs();
  EXPECT_EQ(EncryptedConfig::Unlock::NotVerified, changed.unlock("master"));
  EXPECT_TRUE(changed.getPassword().empty());
}

TEST_F(OptionsTest, CopiesCarryTheProtection) {
  EncryptedConfig entry;
  load(entry, signedFile);
  EncryptedConfig copy;
  copy = entry;
  EXPECT_STREQ(entry.getSignature(), copy.getSignature());
  EXPECT_STREQ(entry.getReadHash(), copy.getReadHash());
  EXPECT_EQ(entry.getHashState(), copy.getHashState());
  EXPECT_TRUE(copy.decrypt("master"));
  EXPECT_TRUE(entry.hasSignature());

  copy.clearPassword();
  EXPECT_TRUE(copy.getPassword().empty());
  EXPECT_FALSE(copy.isProtected());
  entry.clearPassword();
  EXPECT_FALSE(entry.isProtected());
}

// Edits that keep every byte of the names and values, so that the hash of
// the pairs as read still matches the signature, while the entry means
// something else.
TEST_F(OptionsTest, EditsThatKeepTheHashAreRefused) {
  const std::string file = programSignedFile();
  const std::pair<const char*, const char*> edits[] = {
      {"Host=server.example\nUserName=tester\n", "Host=server.exampl\neUserName=tester\n"},
      {"Host=server.example\nUserName=tester\n", "Host=server.exampleUserNametester\n"},
      {"UserName=tester\nIdentity=abcd\n", "UserName=testerIdentityabcd\n"},
      {"Encryption=AlwaysOn\n", "Encryptio=nAlwaysOn\n"},
      {"[Connection]\n", "[Connexion]\n"},
      {"FullScreen=0\n", "FullScree=n0\n"},
      {"ColourLevel=pal8\n", "ColourLevel=pa\nl8=\n"},
      {"PointerEventInterval=0\nScaling=None\n", "PointerEventInterval=0ScalingNone\n"},
      {"SingleSignOn=1\n[Options]\nUseLocalCursor=1\n",
       "SingleSignOn=1\nUseLocalCursor=1\n[Options]\n"},
  };
  EncryptedConfig original;
  load(original, file);
  for (const auto& edit : edits) {
    EncryptedConfig entry;
    load(entry, replaced(file, edit.first, edit.second));
    EXPECT_STREQ(original.getReadHash(), entry.getReadHash()) << edit.second;
    EXPECT_FALSE(entry.decrypt("master")) << edit.second;
    EXPECT_TRUE(entry.hasSignature());
  }
  // A signature over a file in another layout agrees with its hash, and is
  // refused all the same.
  EncryptedConfig other;
  load(other, shortSignedFile);
  EXPECT_FALSE(other.decrypt("master"));

  ASSERT_TRUE(original.decrypt("master"));
  EXPECT_EQ("secret", passwordOf(original));
  EXPECT_EQ(2, original.encryption.getValue());
}

// Saved and read back any number of times, an entry the program signed
// still opens: an empty user name (which the writer leaves out) and an
// ordinary pair named like the signature's included.
TEST_F(OptionsTest, SignedEntriesOpenAfterEverySave) {
  std::mt19937 rng(20240719);
  for (int i = 0; i < 60; i++) {
    EncryptedConfig original;
    randomise(original, rng);
    if (i % 3 == 0)
      original.userName.setParam("", plat::PriorityUser);
    if (i % 3 == 1)
      original.setFromFile("DotKivFileSignature", "00ff", "Options");
    EncryptedConfig entry;
    entry = original;
    entry.encrypt("master");
    std::string file = written(entry);
    for (int save = 0; save < 3; save++) {
      EncryptedConfig reread;
      load(reread, file);
      ASSERT_FALSE(reread.needsSigning()) << file;
      file = written(reread);
      EncryptedConfig opened;
      opened = reread;
      ASSERT_TRUE(opened.decrypt("master")) << file;
      EXPECT_TRUE(opened.equals(original));
      EXPECT_STREQ(original.getHost(), opened.getHost());
      EXPECT_EQ(original.getIdentity(), opened.getIdentity());
      EXPECT_EQ(original.getExtraOptions(), opened.getExtraOptions());
      EXPECT_TRUE(opened.getPassword().equals(original.getPassword().data(),
                                              original.getPassword().length()));
    }
  }
}

TEST_F(OptionsTest, FailedProtectionChangesNothing) {
  EncryptedConfig entry;
  entry.setHost("h");
  entry.setPassword("secret");
  const std::string before = written(entry);
  setSaltSource(throwingSalt);
  EXPECT_THROW(entry.encrypt("master"), plat::Exception);
  setSaltSource(nullptr);
  EXPECT_FALSE(entry.isProtected());
  EXPECT_EQ(EncryptedConfig::NoHash, entry.getHashState());
  EXPECT_EQ("secret", passwordOf(entry));
  EXPECT_EQ(before, written(entry));

  // An entry whose host would read back as host and user name could never
  // be opened once signed: it stays as it is.
  EncryptedConfig hiding;
  hiding.setHost("aUserNameb");
  hiding.userName.setParam("", plat::PriorityUser);
  hiding.setPassword("secret");
  EXPECT_EQ("the value of Host holds the name of the setting UserName, and a signature could not "
            "tell the two apart",
            hiding.signingRefusal());
  EXPECT_THROW(hiding.encrypt("master"), plat::Exception);
  EXPECT_FALSE(hiding.isProtected());
  EXPECT_EQ("secret", passwordOf(hiding));
}

// A value that holds the name of the pair after it lets the boundary
// between the two move without changing the hash: the server (or the proxy)
// the stored password goes to would be another.
TEST_F(OptionsTest, ValueHoldingTheNextNameIsRefused) {
  struct Shift {
    const char* host;
    const char* userName;
    const char* selectDesktop;
    const char* signedPairs;
    const char* shiftedPairs;
    std::string refusal;
  };
  const Shift shifts[] = {
      {"hostUserNamex", "tester", "", "Host=hostUserNamex\nUserName=tester\n",
       "Host=host\nUserName=xUserNametester\n",
       "the value of Host holds the name of the setting UserName, and a signature could not "
       "tell the two apart"},
      {"host", "tester", "deskProxyServerproxy.example:3128",
       "SelectDesktop=deskProxyServerproxy.example:3128\nProxyServer=\n",
       "SelectDesktop=desk\nProxyServer=proxy.example:3128ProxyServer\n",
       "the value of SelectDesktop holds the name of the setting ProxyServer, and a signature "
       "could not tell the two apart"},
  };
  for (const Shift& shift : shifts) {
    EncryptedConfig entry;
    entry.setHost(shift.host);
    entry.userName.setParam(shift.userName, plat::PriorityUser);
    entry.selectDesktop.setParam(shift.selectDesktop, plat::PriorityUser);
    entry.setPassword("secret");
    const std::string file = signedAsItStands(entry, "master");
    // The address book itself does not sign it, and names the setting.
    EXPECT_EQ(shift.refusal, entry.signingRefusal());
    EXPECT_THROW(entry.encrypt("master"), plat::Exception);
    EXPECT_FALSE(entry.isProtected());

    EncryptedConfig original;
    load(original, file);
    EXPECT_EQ(EncryptedConfig::Unlock::NotVerified, original.unlock("master")) << file;
    EncryptedConfig shifted;
    load(shifted, replaced(file, shift.signedPairs, shift.shiftedPairs));
    EXPECT_STREQ(original.getReadHash(), shifted.getReadHash());
    EXPECT_EQ(EncryptedConfig::Unlock::NotVerified, shifted.unlock("master"));
    EXPECT_TRUE(shifted.getPassword().empty());
  }
  // The same pairs with values that hold no name open.
  EncryptedConfig plain;
  plain.setHost("host");
  plain.selectDesktop.setParam("desk", plat::PriorityUser);
  plain.setPassword("secret");
  EncryptedConfig reread;
  load(reread, signedAsItStands(plain, "master"));
  EXPECT_EQ(EncryptedConfig::Unlock::Opened, reread.unlock("master"));
  EXPECT_EQ("secret", passwordOf(reread));
}

// The master-password verifier is the password protected under itself. As
// an entry's protected password it would open to the master password (read
// as the hex of a password when it is an even run of hex digits) and hand
// it to the viewer.
TEST_F(OptionsTest, VerifierIsNoEntrysPassword) {
  const char master[] = "deadbeef";
  for (int salted = 0; salted < 2; salted++) {
    std::string verifier = salted ? encryptString(master, master).c_str()
                                  : protectWithSalt(master, master, {}, false);
    EncryptedConfig oldForm;
    load(oldForm, "[Connection]\nHost=h\n[Options]\nEncryptedPassword=" + verifier + "\n");
    ASSERT_TRUE(oldForm.hasEncryptedPassword());
    EXPECT_EQ(EncryptedConfig::Unlock::NotVerified, oldForm.unlock(master));
    EXPECT_TRUE(oldForm.getPassword().empty());
    EXPECT_TRUE(oldForm.hasEncryptedPassword());

    EncryptedConfig signature;
    load(signature, "[Connection]\nHost=h\n[Signature]\nDotKivFileSignature=" + verifier + "\n");
    EXPECT_EQ(EncryptedConfig::Unlock::NotVerified, signature.unlock(master));
  }
  // An entry's own password under the same master password opens.
  EncryptedConfig genuine;
  load(genuine, "[Connection]\nHost=h\n[Options]\nEncryptedPassword=" +
                    std::string(encryptString(secretObfuscated, master).c_str()) + "\n");
  EXPECT_EQ(EncryptedConfig::Unlock::Opened, genuine.unlock(master));
  EXPECT_EQ("secret", passwordOf(genuine));
}

// Monitor's value and the options kept after it (names this program does
// not know) hash as one run of text: a pair can be folded into the value
// before it, or carved out of a value, and the hash stays the same. An
// entry signed now holds that run pair by pair in its signature, and
// opens only when the file holds exactly those pairs.
TEST_F(OptionsTest, FoldsAndCarvesAfterMonitorAreRefused) {
  struct Edit {
    const char* monitor;
    std::vector<std::pair<const char*, const char*>> kept;
    const char* signedPairs;
    const char* editedPairs;
  };
  const Edit edits[] = {
      {"", {{"ViewerSecurityOption", "1"}}, "Monitor=\nViewerSecurityOption=1\n",
       "Monitor=ViewerSecurityOption1\n"},
      {"ViewerSecurityOption1", {}, "Monitor=ViewerSecurityOption1\n",
       "Monitor=\nViewerSecurityOption=1\n"},
      {"2", {{"Alpha", "1"}, {"Beta", "2"}}, "Alpha=1\nBeta=2\n", "Alpha=1Beta2\n"},
      {"2", {{"Alpha", "1Beta2"}}, "Alpha=1Beta2\n", "Alpha=1\nBeta=2\n"},
  };
  for (const Edit& edit : edits) {
    EncryptedConfig entry;
    entry.setHost("server.example");
    entry.monitor.setParam(edit.monitor, plat::PriorityUser);
    for (const auto& pair : edit.kept)
      entry.setFromFile(pair.first, pair.second, "Options");
    entry.setPassword("secret");
    EncryptedConfig before;
    before = entry;
    const std::string oldWay = signedAsItStands(before, "master");
    entry.encrypt("master");
    const std::string file = written(entry);

    EncryptedConfig original;
    load(original, file);
    EncryptedConfig edited;
    load(edited, replaced(file, edit.signedPairs, edit.editedPairs));
    EXPECT_STREQ(original.getReadHash(), edited.getReadHash());
    EXPECT_EQ(EncryptedConfig::Unlock::NotVerified, edited.unlock("master")) << edit.editedPairs;
    EXPECT_TRUE(edited.getPassword().empty());
    ASSERT_EQ(EncryptedConfig::Unlock::Opened, original.unlock("master"));
    EXPECT_EQ("secret", passwordOf(original));
    EXPECT_STREQ(edit.monitor, original.monitor.getValueStr().c_str());
    EXPECT_EQ(edit.kept.size(), original.getExtraOptions().size());

    // Signed the old way, with the hash alone, the entry opens as it did,
    // edited too; signed again by the program, the edit no longer opens.
    EncryptedConfig old;
    load(old, oldWay);
    EXPECT_EQ(EncryptedConfig::Unlock::Opened, old.unlock("master"));
    EncryptedConfig oldEdited;
    load(oldEdited, replaced(oldWay, edit.signedPairs, edit.editedPairs));
    EXPECT_EQ(EncryptedConfig::Unlock::Opened, oldEdited.unlock("master"));
    old.encrypt("master");
    EncryptedConfig resigned;
    load(resigned, replaced(written(old), edit.signedPairs, edit.editedPairs));
    EXPECT_EQ(EncryptedConfig::Unlock::NotVerified, resigned.unlock("master"));
  }
}

// The signature doubles its text as hex on one line of the file: an entry
// whose options from Monitor on would not fit there is not signed, and
// hears why; one that fits opens after saves.
TEST_F(OptionsTest, ATailTooLongToSignIsRefused) {
  for (size_t length : {1800u, 2100u}) {
    EncryptedConfig entry;
    entry.setHost("server.example");
    entry.setPassword("secret");
    entry.setFromFile("Kept", std::string(length, 'k').c_str(), "Options");
    std::string why = entry.signingRefusal();
    bool fits = why.empty();
    EXPECT_EQ(length == 1800u, fits) << why;
    if (!fits) {
      EXPECT_EQ(0u, why.find("the settings after Monitor are too long to sign")) << why;
      try {
        entry.encrypt("master");
        ADD_FAILURE() << "signed";
      } catch (const plat::Exception& e) {
        EXPECT_EQ("Cannot protect this entry: " + why, e.str());
      }
      EXPECT_FALSE(entry.isProtected());
      EXPECT_EQ("secret", passwordOf(entry));
      continue;
    }
    entry.encrypt("master");
    std::string file = written(entry);
    for (int save = 0; save < 2; save++) {
      EncryptedConfig reread;
      load(reread, file);
      file = written(reread);
    }
    EncryptedConfig opened;
    load(opened, file);
    ASSERT_EQ(EncryptedConfig::Unlock::Opened, opened.unlock("master"));
    EXPECT_EQ(length, opened.getExtraOptions().at("Kept").size());
  }
}

// A refusal names what makes the signature too long: the password, the
// options from Monitor on (as what they hold), or the two together.
TEST_F(OptionsTest, ARefusalNamesWhatIsTooLong) {
  struct Case {
    size_t password;
    size_t monitor;
    size_t kept;
    const char* what; // empty: it signs
  };
  const Case cases[] = {
      {960, 0, 0, ""}, // the signature's line full to its last character
      {969, 0, 0, "the password is too long to sign"},
      {6, 0, 2100, "the settings after Monitor are too long to sign"},
      {6, 2100, 0, "Monitor is too long to sign"},
      {6, 1, 2100, "Monitor and the settings after it are too long to sign"},
      {600, 0, 1000, "the password, with the settings after Monitor, is too long to sign"},
      {969, 0, 2100, "the password is too long to sign, and so are the settings after Monitor"},
  };
  for (const Case& c : cases) {
    EncryptedConfig entry;
    entry.setHost("server.example");
    entry.setPassword(std::string(c.password, 'p').c_str());
    entry.monitor.setParam(std::string(c.monitor, 'm').c_str(), plat::PriorityUser);
    if (c.kept)
      entry.setFromFile("Kept", std::string(c.kept, 'k').c_str(), "Options");
    std::string why = entry.signingRefusal();
    if (!*c.what) {
      EXPECT_EQ("", why);
      continue;
    }
    EXPECT_EQ(0u, why.find(std::string(c.what) + ": the signature would take ")) << why;
  }
}

// A file that holds both forms opens through the older one, which wins.
// The signature beside it was never checked and covers no password in the
// open: the opened entry is plain, and protecting it signs it as any other.
TEST_F(OptionsTest, AnEntryOpenedThroughItsEncryptedPasswordIsProtectedAnew) {
  EncryptedConfig both;
  load(both, oldFormFile + "[Signature]\nDotKivFileSignature=" KNOWN_SIGNATURE "\n");
  ASSERT_EQ(EncryptedConfig::Unlock::Opened, both.unlock("master"));
  EXPECT_FALSE(both.isProtected());
  EXPECT_EQ("secret", passwordOf(both));
  both.encrypt("new");
  const std::string file = written(both);
  EXPECT_EQ(std::string::npos, file.find("\nPassword=")) << file;
  EncryptedConfig reread;
  load(reread, file);
  ASSERT_EQ(EncryptedConfig::Unlock::Opened, reread.unlock("new"));
  EXPECT_EQ("secret", passwordOf(reread));
}

// What the program changes in a locked entry (Monitor, an option kept from
// the file) is a change to what the entry holds now, not to what was
// signed: the signature is checked against the entry as it was read, and
// the change stands, in the opened entry and in what is signed anew.
TEST_F(OptionsTest, ChangesWhileLockedAreCheckedAsReadAndSignedAsTheyStand) {
  EncryptedConfig made;
  made.setHost("server.example");
  made.setPassword("secret");
  made.monitor.setParam("1", plat::PriorityUser);
  made.setFromFile("Kept", "before", "Options");
  made.encrypt("master");
  const std::string file = written(made);

  const std::pair<const char*, const char*> changes[] = {
      {"2", "before"}, {"", "before"}, {"1", "after"}};
  for (const auto& change : changes) {
    EncryptedConfig locked;
    load(locked, file);
    locked.monitor.setParam(change.first, plat::PriorityUser);
    locked.setFromFile("Kept", change.second, "Options");
    ASSERT_TRUE(locked.needsSigning());

    EncryptedConfig opened;
    opened = locked;
    ASSERT_EQ(EncryptedConfig::Unlock::Opened, opened.unlock("master"))
        << change.first << " " << change.second;
    EXPECT_STREQ(change.first, opened.monitor.getValueStr().c_str());
    EXPECT_EQ(change.second, opened.getExtraOptions().at("Kept"));
    EXPECT_EQ("secret", passwordOf(opened));

    ASSERT_EQ(EncryptedConfig::Unlock::Opened, locked.resign("master"));
    EncryptedConfig reread;
    load(reread, written(locked));
    ASSERT_EQ(EncryptedConfig::Unlock::Opened, reread.unlock("master"));
    EXPECT_STREQ(change.first, reread.monitor.getValueStr().c_str());
    EXPECT_EQ(change.second, reread.getExtraOptions().at("Kept"));
    EXPECT_EQ("secret", passwordOf(reread));
  }
}

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
  "5e4cf03825c3e04664abd756ffc9ee4210690a152c268b1883d2478d2514b8b927590555b77875b459f08bffd4" \
  "a66083009fc1304810059a300bb0861bad44a1321d500badcc3a4ec85cb5d20e1c7b0317cbefba6c0e94a4124e" \
  "4a0b60c8ddfcd1a87585043c552bac9def81x0123456789abcdef"

// Signed under "master"; the password is "secret".
const std::string signedFile = "[Connection]\n"
                               "Host=server.example:1\n"
                               "UserName=tester\n"
                               "Encryption=Server\n"
                               "[Options]\n"
                               "FullScreen=1\n"
                               "Scaling=Fit\n"
                               "[Signature]\n"
                               "DotKivFileSignature=" KNOWN_SIGNATURE "\n";
const char knownHash[] = "fa1a21018ced295ca46663e7d2e695ab88f173dd";
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

} // namespace

TEST_F(OptionsTest, SignedFileKnownAnswer) {
  EncryptedConfig entry;
  load(entry, signedFile);
  EXPECT_EQ(EncryptedConfig::HashValid, entry.getHashState());
  // Names and values of every pair but the signature, nothing else.
  EXPECT_EQ(knownHash, sha1Hex("Hostserver.example:1UserNametesterEncryptionServer"
                               "FullScreen1ScalingFit"));
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
      {"FullScreen=1\nScaling=Fit", "Scaling=Fit\nFullScreen=1"},
      {"Scaling=Fit\n", "Scaling=Fit\nShared=0\n"},
      {"Encryption=Server\n", "Encryption=Server\nPassword=00112233\n"},
      {"Host=server.example:1", "Host=elsewhere.example:1"},
      {"Host=server.example:1\n", "Host=server.example\nPort=5901\n"},
      {"UserName=tester\n", ""},
      {"[Options]\nFullScreen=1\n", "[Options]\nFullScreen=1\nFullScreen=1\n"},
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
  EXPECT_EQ(std::string("Signature,Hash=") + entry.getReadHash() + "\nConnection,Password=",
            plain.c_str());
  EXPECT_STREQ(entry.computeHash().c_str(), entry.getReadHash());

  // Protecting again changes nothing.
  std::string signature = entry.getSignature();
  entry.encrypt("other");
  EXPECT_EQ(signature, entry.getSignature());

  EXPECT_TRUE(entry.decrypt("m"));
  EXPECT_TRUE(entry.getPassword().empty());
}

TEST_F(OptionsTest, ImportedEntryHasNoHashToCompare) {
  // Built pair by pair (as the XML import does), the entry holds no read
  // hash, so the signature's hash line is not compared.
  EncryptedConfig entry;
  entry.setFromFile("Host", "imported", "Connection");
  entry.setFromFile("DotKivFileSignature", KNOWN_SIGNATURE, "Signature");
  EXPECT_EQ(EncryptedConfig::NoHash, entry.getHashState());
  EXPECT_TRUE(entry.decrypt("master"));
  EXPECT_EQ("secret", passwordOf(entry));
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

#include "OptionsFixture.h"
#include "ScratchDir.h"
#include "ledrow/data/ConnOptions.h"
#include "ledrow/data/EncryptedConfig.h"
#include "ledrow/data/PasswordObfuscation.h"
#include "ledrow/data/FileOps.h"
#include "ledrow/data/SafeSaveFile.h"
#include "rdr/MemInStream.h"
#include "rdr/MemOutStream.h"
#include "testing/RecordingLogger.h"

#include <cstdio>
#include <cstring>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <string>

using namespace addrbook;

namespace {

void put(const std::string& path, const std::string& data) {
  FILE* f = openFile(path.c_str(), "wb");
  fwrite(data.data(), 1, data.size(), f);
  fclose(f);
}

std::string get(const std::string& path) {
  FILE* f = tryOpenFile(path.c_str(), "rb");
  if (!f)
    return "(missing)";
  std::string data;
  char buf[512];
  size_t n;
  while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
    data.append(buf, n);
  fclose(f);
  return data;
}

bool exists(const std::string& path) { return get(path) != "(missing)"; }

void makeDir(const std::string& path) {
#ifdef _WIN32
  ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
#else
  ASSERT_EQ(0, mkdir(path.c_str(), 0700));
#endif
}

} // namespace

TEST_F(OptionsTest, SaveAndLoad) {
  ScratchDir dir;
  std::string path = dir.file("entry.kiv");
  CConnOptions a;
  a.setHost("srv:3");
  a.setPassword("pw");
  a.scaling.setParam("Fit", 50);
  a.saveToFile(path.c_str(), true, false, nullptr);
  EXPECT_STREQ(path.c_str(), a.getFilePath());
  EXPECT_FALSE(exists(path + ".tmp"));

  CConnOptions b;
  b.loadFromFile(path.c_str());
  EXPECT_STREQ(path.c_str(), b.getFilePath());
  EXPECT_STREQ("srv:3", b.getHost());
  EXPECT_TRUE(b.equals(a));
  EXPECT_TRUE(b.getPassword().equals(a.getPassword().data(), a.getPassword().length()));

  // Saving over an existing file replaces it.
  b.fullScreen.setParam("1", 50);
  b.save();
  CConnOptions c;
  c.loadFromFile(path.c_str());
  EXPECT_TRUE(c.fullScreen.getValue());
  c.fullScreen.setParam("0", 50);
  c.reload();
  EXPECT_TRUE(c.fullScreen.getValue());
}

TEST_F(OptionsTest, FailedSaveLeavesNothingBehind) {
  ScratchDir dir;
  std::string path = dir.missingDir() + "/entry.kiv";
  CConnOptions o;
  try {
    o.saveToFile(path.c_str(), true, false, nullptr);
    FAIL();
  } catch (const plat::Exception& e) {
    EXPECT_STREQ("Failed to write configuration file", e.str());
  }
  EXPECT_FALSE(exists(path + ".tmp"));
  EXPECT_EQ(nullptr, o.getFilePath());
}

TEST_F(OptionsTest, FailedSaveKeepsTheOldFile) {
  ScratchDir dir;
  std::string path = dir.file("entry.kiv");
  put(path, "[Options]\nFullScreen=1\n");
  // Something in the way of the temporary file.
  makeDir(path + ".tmp");
  CConnOptions o;
  EXPECT_THROW(o.saveToFile(path.c_str(), true, false, nullptr), plat::Exception);
  EXPECT_EQ("[Options]\nFullScreen=1\n", get(path));
}

TEST_F(OptionsTest, FailedCommitLeavesNoTemporaryFile) {
  ScratchDir dir;
  // A directory where the file should go: the move over it fails.
  std::string path = dir.file("entry.kiv");
  makeDir(path);
  put(path + "/inside", "x"); // not even POSIX replaces a full directory
  CConnOptions o;
  EXPECT_THROW(o.saveToFile(path.c_str(), true, false, nullptr), plat::Exception);
  EXPECT_FALSE(exists(path + ".tmp"));
  EXPECT_EQ("x", get(path + "/inside"));
}

TEST(SafeSaveFile, UncommittedWriteLeavesTargetUntouched) {
  ScratchDir dir;
  std::string path = dir.file("target");
  put(path, "old");
  {
    SafeSaveFile file;
    file.open(path.c_str(), true);
    file.write("new", 3);
    EXPECT_TRUE(exists(path + ".tmp"));
  }
  EXPECT_EQ("old", get(path));
  EXPECT_FALSE(exists(path + ".tmp"));
  {
    SafeSaveFile file;
    file.open(path.c_str(), true);
    file.write("new", 3);
    file.commit();
  }
  EXPECT_EQ("new", get(path));
  EXPECT_FALSE(exists(path + ".tmp"));
}

TEST_F(OptionsTest, LoadErrors) {
  ScratchDir dir;
  CConnOptions o;
  try {
    o.loadFromFile(dir.file("none.kiv").c_str());
    FAIL();
  } catch (const plat::SystemException& e) {
    EXPECT_EQ(0, std::string(e.str()).find("fileOpen(" + dir.file("none.kiv") + ")"));
  }
  EXPECT_EQ(nullptr, o.getFilePath());
  std::string bad = dir.file("bad.kiv");
  put(bad, "[Options]\nbroken\n");
  EXPECT_THROW(o.loadFromFile(bad.c_str()), plat::Exception);
}

TEST_F(OptionsTest, PasswordFile) {
  ScratchDir dir;
  std::string big = dir.file("big.pw");
  std::string data;
  for (int i = 0; i < 300; i++)
    data += (char)i;
  put(big, data);

  CConnOptions o;
  o.setPassword("before");
  ZeroingBytes before = o.getPassword();
  o.passwordFile.setParam(dir.file("missing.pw").c_str(), 50);
  EXPECT_TRUE(o.getPassword().equals(before.data(), before.length()));

  o.passwordFile.setParam(big.c_str(), 50);
  ASSERT_EQ(256, o.getPassword().length());
  EXPECT_TRUE(o.getPassword().equals(data.data(), 256));

  std::string small = dir.file("small.pw");
  put(small, "12345");
  CConnOptions p;
  p.set("passwd", small.c_str(), 50); // through the alias
  EXPECT_TRUE(p.getPassword().equals("12345", 5));

  // A copy keeps those bytes even when its file has changed since.
  put(small, "67890");
  CConnOptions q;
  q = p;
  EXPECT_TRUE(q.getPassword().equals("12345", 5));
}

// A protected entry changed while locked would keep a signature that no
// longer covers it, and the password inside would be lost: it is saved only
// signed anew, and the file stays as it was until then.
TEST_F(OptionsTest, ChangedLockedEntryIsSavedOnlySignedAnew) {
  ScratchDir dir;
  const std::string path = dir.file("locked.kiv");
  {
    EncryptedConfig entry;
    entry.setHost("server");
    entry.setPassword("secret");
    entry.encrypt("master");
    entry.saveToFile(path.c_str(), true, false, nullptr);
  }
  auto passwordIn = [&](const char* master) {
    EncryptedConfig entry;
    entry.loadFromFile(path.c_str());
    if (!entry.decrypt(master))
      return std::string("(locked)");
    return std::string(deobfuscatePassword(entry.getPassword(), Latin1CodePage()).c_str());
  };
  const std::string before = get(path);

  EncryptedConfig entry;
  entry.loadFromFile(path.c_str());
  entry.save(); // unchanged: no master password needed
  EXPECT_EQ(before, get(path));
  entry.fullScreen.setParam("1", 50);
  EXPECT_TRUE(entry.needsSigning());
  EXPECT_THROW(entry.save(), EncryptedConfig::MasterPasswordNeeded);
  EXPECT_EQ(before, get(path));
  EXPECT_EQ(EncryptedConfig::Unlock::WrongPassword, entry.resign("wrong"));
  EXPECT_TRUE(entry.needsSigning());
  ASSERT_EQ(EncryptedConfig::Unlock::Opened, entry.resign("master"));
  entry.save();
  EXPECT_EQ("secret", passwordIn("master"));

  // A password given while locked is the one signed.
  EncryptedConfig again;
  again.loadFromFile(path.c_str());
  EXPECT_TRUE(again.fullScreen);
  again.setPassword("changed");
  EXPECT_THROW(again.save(), EncryptedConfig::MasterPasswordNeeded);
  {
    // Nor does the writer under every save put it beside the signature,
    // in the open, when called on its own.
    SafeSaveFile file;
    EXPECT_THROW(again.writeBeside(file, path.c_str(), true, false, nullptr),
                 EncryptedConfig::MasterPasswordNeeded);
  }
  EXPECT_FALSE(exists(path + ".tmp"));
  EXPECT_EQ("secret", passwordIn("master"));
  ASSERT_EQ(EncryptedConfig::Unlock::Opened, again.resign("master"));
  again.save();
  EXPECT_EQ("changed", passwordIn("master"));
}

// A connection file holds a few KiB. A larger one is refused before any of
// it is applied (nothing beyond the limit is read: a length of 2 GiB or
// more no longer reaches the reader).
TEST_F(OptionsTest, OversizedFilesAreRefused) {
  ScratchDir dir;
  const std::string path = dir.file("big.kiv");
  std::string text = "[Options]\nFullScreen=1\n";
  const std::string comment = ";" + std::string(1000, 'x') + "\n";
  while (text.size() <= (size_t)CConnOptions::MaxFileLength)
    text += comment;
  put(path, text);
  CConnOptions o;
  try {
    o.loadFromFile(path.c_str());
    ADD_FAILURE() << "read a file of " << text.size() << " bytes";
  } catch (const plat::Exception& e) {
    EXPECT_EQ(0, strncmp("Connection file too large", e.str(), 25)) << e.str();
  }
  EXPECT_FALSE(o.fullScreen);
  EXPECT_EQ(nullptr, o.getFilePath());

  put(path, text.substr(0, CConnOptions::MaxFileLength));
  o.loadFromFile(path.c_str());
  EXPECT_TRUE(o.fullScreen);
}

// The writer of every entry file makes none that the reader would refuse.
// An unprotected entry can reach that size: the options another program
// left in a file kept, and every option written out, defaults included.
// (A signed one cannot: its lines are few, and what follows Monitor must
// fit the signature's one line.)
TEST_F(OptionsTest, TheWriterMakesNoFileTooLargeToRead) {
  ScratchDir dir;
  const std::string path = dir.file("kept.kiv");
  const size_t limit = CConnOptions::MaxFileLength;
  auto keptName = [](size_t n) { return "Kept" + std::to_string(1000 + n); };
  // Lines of "Kept1000=", letters and a line feed; the last one takes the
  // rest, and is no shorter than its name.
  std::string text = "[Options]\n";
  const size_t line = 4001, room = limit - text.size();
  size_t full = room / line - (room % line < 11 ? 1 : 0);
  for (size_t n = 0; n < full; n++)
    text += keptName(n) + "=" + std::string(line - 10, 'k') + "\n";
  text += keptName(full) + "=" + std::string(limit - text.size() - 10, 'k') + "\n";
  ASSERT_EQ(limit, text.size());
  put(path, text);
  CConnOptions entry;
  entry.loadFromFile(path.c_str());
  auto writtenLength = [&] {
    rdr::MemOutStream out;
    entry.write(out, true, false, nullptr);
    return (size_t)out.length();
  };
  auto refused = [&] {
    SafeSaveFile file;
    try {
      entry.writeBeside(file, path.c_str(), true, false, nullptr);
    } catch (const plat::Exception& e) {
      EXPECT_STREQ("Connection file too large", e.str());
      return true;
    }
    return false;
  };
  ASSERT_LT(limit, writtenLength());
  EXPECT_TRUE(refused());
  EXPECT_THROW(entry.save(), plat::Exception);
  EXPECT_EQ(text, get(path));
  EXPECT_FALSE(exists(path + ".tmp"));

  // A kept value cut so that the text is the limit and a byte more, then
  // exactly the limit.
  std::string value = entry.getExtraOptions().at(keptName(0));
  value.resize(value.size() - (writtenLength() - limit) + 1);
  entry.setFromFile(keptName(0).c_str(), value.c_str(), "Options");
  ASSERT_EQ(limit + 1, writtenLength());
  EXPECT_TRUE(refused());
  value.pop_back();
  entry.setFromFile(keptName(0).c_str(), value.c_str(), "Options");
  ASSERT_EQ(limit, writtenLength());
  EXPECT_FALSE(refused());
  entry.save();
  EXPECT_EQ(limit, get(path).size());
  CConnOptions reread;
  reread.loadFromFile(path.c_str());
  EXPECT_EQ(entry.getExtraOptions(), reread.getExtraOptions());
}

// Opening a path to a share makes Windows sign in to that machine as the
// user, and opening a device may block. A PasswordFile that came with a text (a file, the viewer's message,
// an import) or with another entry is kept but not opened; the user's own
// choice of it is.
TEST_F(OptionsTest, PasswordFileOnAnotherMachineOrADeviceOnlyByTheUsersChoice) {
  ScratchDir dir;
  const std::string local = dir.file("net.pw");
  put(local, "12345678");
  // The same file, by a path of the form that reaches other machines.
#ifdef _WIN32
  const std::string remote = "\\\\?\\" + local;
#else
  const std::string remote = "/" + local;
#endif
  auto readText = [](CConnOptions& o, const std::string& text) {
    rdr::MemInStream in(text.data(), (int)text.size());
    o.read(in);
  };
  RecordingLogger log;
  log.attach("ConnOptions:record:0");
  for (const char* name : {"PasswordFile", "passwd"}) {
    EncryptedConfig fromText;
    readText(fromText, std::string("[Options]\n") + name + "=" + remote + "\n");
    EXPECT_TRUE(fromText.getPassword().empty()) << name;
    EXPECT_EQ(remote, fromText.passwordFile.getValueStr().c_str());
  }
  EXPECT_TRUE(log.hasPrefix("ConnOptions: PasswordFile " + remote + ": not opened"));

  CConnOptions chosen;
  chosen.passwordFile.setParam(remote.c_str(), plat::PriorityUser);
  EXPECT_TRUE(chosen.getPassword().equals("12345678", 8));
  // A copy takes the bytes, not the file.
  log.lines.clear();
  CConnOptions copy;
  copy = chosen;
  EXPECT_TRUE(copy.getPassword().equals("12345678", 8));
  EXPECT_TRUE(log.hasPrefix("ConnOptions: PasswordFile " + remote + ": not opened"));
  put(local, "changed!");

  // A device would be read on the window thread: a serial port or the
  // console may never answer. Under Windows NUL opens and reads as empty,
  // which would also wipe the password the text gave.
  for (const char* device : {"NUL", "nul.txt", "C:\\dir\\COM1", "CONIN$", "lpt1:"}) {
    log.lines.clear();
    CConnOptions fromText;
    readText(fromText, std::string("[Connection]\nPassword=3132\n[Options]\nPasswordFile=") +
                           device + "\n");
    EXPECT_TRUE(fromText.getPassword().equals("12", 2)) << device;
    EXPECT_TRUE(log.hasPrefix(std::string("ConnOptions: PasswordFile ") + device +
                              ": not opened, a device"))
        << device;
  }

  // A path on this machine is opened as ever.
  CConnOptions onThisMachine;
  readText(onThisMachine, "[Options]\nPasswordFile=" + local + "\n");
  EXPECT_TRUE(onThisMachine.getPassword().equals("changed!", 8));
}

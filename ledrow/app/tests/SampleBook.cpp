#include "SampleBook.h"
#include "ledrow/data/EncryptedConfig.h"
#include "ledrow/data/FileOps.h"
#include "ledrow/data/ProtectedString.h"
#include "rdr/MemOutStream.h"

namespace addrbook {
namespace sample {

void writeEntry(const std::string& path, const char* host, const char* user,
                const char* password, const char* master) {
  EncryptedConfig entry;
  entry.setHost(host);
  if (user)
    entry.userName.setParam(user, 50);
  if (password)
    entry.setPassword(password);
  if (master)
    entry.encrypt(master);
  // What a save writes, without its wait for the disk: books of thousands
  // of entries are written in seconds.
  rdr::MemOutStream text(1024);
  entry.write(text, true, false, nullptr);
  FILE* file = openFile(path.c_str(), "wb");
  fwrite(text.data(), 1, text.length(), file);
  fclose(file);
}

std::string verifier(const char* master) { return encryptString(master, master).c_str(); }

int writeSampleBook(const std::string& root, const char* master) {
  const char sep[2] = {PathSeparator, 0};
  std::string office = root + sep + "Office";
  std::string servers = office + sep + "Servers";
  std::string home = root + sep + "Home";
  for (const std::string& folder : {root, office, servers, home})
    makeDirectory(folder.c_str());
  struct {
    std::string folder;
    const char* name;
    const char* host;
    const char* user;
    bool protect;
  } entries[] = {
      {root, "Build farm", "build.example.org::5901", "ci", true},
      {root, "Alpha desk", "alpha.example.org", "alice", false},
      {office, "Reception", "reception.office.example", "desk", false},
      {office, "Accounts", "accounts.office.example::5902", "finance", true},
      {servers, "Mail server", "mail.office.example", "admin", true},
      {servers, "Backup", "backup.office.example", "admin", false},
      {home, "Living room", "192.168.1.20", "family", false},
  };
  for (const auto& e : entries)
    writeEntry(e.folder + sep + e.name + ".kiv", e.host, e.user, "s3cret",
               e.protect ? master : nullptr);
  return (int)(sizeof(entries) / sizeof(entries[0]));
}

void writeLargeBook(const std::string& root, int folders, int perFolder) {
  const char sep[2] = {PathSeparator, 0};
  makeDirectory(root.c_str());
  for (int f = 0; f < folders; f++) {
    std::string folder = root + sep + "Site " + std::to_string(f);
    makeDirectory(folder.c_str());
    for (int e = 0; e < perFolder; e++) {
      std::string host = "host" + std::to_string(e) + ".site" + std::to_string(f) + ".example";
      writeEntry(folder + sep + "Machine " + std::to_string(e) + ".kiv", host.c_str(), "user");
    }
  }
}

} // namespace sample
} // namespace addrbook

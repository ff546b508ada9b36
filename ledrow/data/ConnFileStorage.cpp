// Connection files on disk.
#include "ledrow/data/ConnOptions.h"
#include "ledrow/data/FileOps.h"
#include "ledrow/data/SafeSaveFile.h"
#include "plat/Assert.h"
#include "plat/String.h"
#include "rdr/MemInStream.h"
#include "rdr/MemOutStream.h"

#include <cstring>
#include <vector>

namespace addrbook {

namespace {

// An open file, or standard input borrowed for "-".
class InputFile {
public:
  explicit InputFile(const char* path)
      : file_(strcmp(path, "-") == 0 ? stdin : openFile(path, "rb")), owned_(file_ != stdin) {}
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile() {
    if (owned_)
      fclose(file_);
  }
  FILE* get() const { return file_; }

private:
  FILE* file_;
  bool owned_;
};

} // namespace

// Read no further than the limit and one byte: a file of any size (standard
// input too) is refused having cost no more than that.
void CConnOptions::loadFromFile(const char* path) {
  std::vector<uint8_t> data;
  {
    InputFile file(path);
    uint8_t chunk[1024];
    size_t n;
    while (data.size() <= MaxFileLength && (n = fread(chunk, 1, sizeof(chunk), file.get())) > 0)
      data.insert(data.end(), chunk, chunk + n);
    if (ferror(file.get()))
      throw plat::SystemExceptionFmt("fread(%s)", lastFileError(), path);
  }
  if (data.size() > MaxFileLength)
    throw plat::ExceptionFmt("Connection file too large (over %d bytes): %s", (int)MaxFileLength,
                             path);
  rdr::MemInStream in(data.data(), (int)data.size());
  read(in);
  filePath_ = path;
}

void CConnOptions::writeBeside(SafeSaveFile& file, const char* path, bool includePassword,
                               bool optionsOnly, Formatter* formatter) {
  file.open(path, true);
  rdr::MemOutStream text(1024);
  write(text, includePassword, optionsOnly, formatter);
  if (text.length() > MaxFileLength)
    throw plat::Exception("Connection file too large");
  file.write(text.data(), text.length());
  file.finish();
}

void CConnOptions::saveToFile(const char* path, bool includePassword, bool optionsOnly,
                              Formatter* formatter) {
  try {
    SafeSaveFile file;
    writeBeside(file, path, includePassword, optionsOnly, formatter);
    file.commit();
  } catch (const plat::Exception&) {
    throw plat::Exception("Failed to write configuration file");
  }
  filePath_ = path;
}

void CConnOptions::save() {
  PLAT_ASSERT(!filePath_.isNull());
  saveToFile(filePath_.c_str(), true, false, nullptr);
}

void CConnOptions::reload() {
  PLAT_ASSERT(!filePath_.isNull());
  loadFromFile(filePath_.c_str());
}

} // namespace addrbook

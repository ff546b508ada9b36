#include "ledrow/data/SafeSaveFile.h"
#include "ledrow/data/FileOps.h"
#include "plat/DString.h"

namespace addrbook {

SafeSaveFile::~SafeSaveFile() {
  if (tempName_.isNull())
    return;
  close();
  deleteFile(tempName_.c_str());
}

void SafeSaveFile::open(const char* target, bool binary) {
  plat::DString name;
  name.appendf("%s.tmp", target);
  file_ = openFile(name.c_str(), binary ? "wb" : "w");
  tempName_ = name.c_str();
  target_ = target;
}

void SafeSaveFile::write(const void* data, int length) {
  if (length > 0 && fwrite(data, 1, length, file_) != (size_t)length)
    throw plat::SystemExceptionFmt("fwrite(%s)", lastFileError(), tempName_.c_str());
}

bool SafeSaveFile::close() {
  if (!file_)
    return true;
  bool ok = fflush(file_) == 0 && syncFile(file_);
  ok = fclose(file_) == 0 && ok;
  file_ = nullptr;
  return ok;
}

void SafeSaveFile::finish() {
  if (!close())
    throw plat::SystemExceptionFmt("fclose(%s)", lastFileError(), tempName_.c_str());
}

void SafeSaveFile::commit() {
  finish();
  if (!replaceFile(tempName_.c_str(), target_.c_str()))
    throw plat::SystemExceptionFmt("fileRename(%s,%s)", lastFileError(), tempName_.c_str(),
                                   target_.c_str());
  tempName_ = plat::String();
}

} // namespace addrbook

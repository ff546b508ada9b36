// Turns a share's relative name, as the other end sent it, into one that
// is safe to create below the download folder.
#pragma once

namespace ft {

class SanitizePathCallback {
public:
  virtual ~SanitizePathCallback() {}
  // relativePath is '/'-separated UTF-8. Returns a new buffer (the caller
  // frees it with plat::strFree), '/'-separated too.
  virtual char* sanitize(const char* relativePath) = 0;
};

} // namespace ft

#include "ft/Win32SanitizePathCallback.h"

#include "plat/String.h"

#include <cstring>
#include <string>

namespace ft {

namespace {

bool forbidden(unsigned char c) {
  return c < 32 || strchr("\"*:<>?\\|", c) != nullptr;
}

// One component, without '/', made safe in place.
void sanitizeComponent(std::string& part) {
  for (char& c : part) {
    if (forbidden((unsigned char)c))
      c = '-';
  }
  for (size_t i = part.size(); i > 0 && (part[i - 1] == '.' || part[i - 1] == ' '); i--)
    part[i - 1] = '-';
  size_t dot = part.find('.');
  size_t baseLength = dot == std::string::npos ? part.size() : dot;
  if (Win32SanitizePathCallback::isDeviceName(part.data(), (int)baseLength))
    part.insert(baseLength, "-");
}

} // namespace

bool Win32SanitizePathCallback::isDeviceName(const char* name, int length) {
  while (length > 0 && name[length - 1] == ' ')
    length--;
  static const char* const devices[] = {
      "CON",  "PRN",  "AUX",  "NUL",  "CONIN$", "CONOUT$", "COM1", "COM2", "COM3",
      "COM4", "COM5", "COM6", "COM7", "COM8",   "COM9",    "LPT1", "LPT2", "LPT3",
      "LPT4", "LPT5", "LPT6", "LPT7", "LPT8",   "LPT9",
      // Windows counts the superscript digits as digits here.
      "COM\xC2\xB9", "COM\xC2\xB2", "COM\xC2\xB3", "LPT\xC2\xB9", "LPT\xC2\xB2", "LPT\xC2\xB3"};
  for (const char* device : devices) {
    if ((int)strlen(device) == length && plat::strCaseCmp(name, device, length) == 0)
      return true;
  }
  return false;
}

char* Win32SanitizePathCallback::sanitize(const char* relativePath) {
  std::string out;
  const char* piece = relativePath ? relativePath : "";
  for (;;) {
    const char* slash = strchr(piece, '/');
    std::string part(piece, slash ? (size_t)(slash - piece) : strlen(piece));
    if (!part.empty()) {
      sanitizeComponent(part);
      if (!out.empty())
        out += '/';
      out += part;
    }
    if (!slash)
      break;
    piece = slash + 1;
  }
  if (out.empty())
    out = "-";
  return plat::strDup(out.c_str());
}

} // namespace ft

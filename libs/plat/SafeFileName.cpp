#include "plat/SafeFileName.h"
#include "plat/String.h"

#include <cstring>

namespace plat {

namespace {

bool isForbidden(unsigned char c) { return c < 32 || strchr("\"*/:<>?\\|", c) != nullptr; }

} // namespace

bool isDeviceName(const char* name, size_t length) {
  while (length > 0 && name[length - 1] == ' ')
    length--;
  // Every name of a path comes here: most are no device by their length.
  if (length < 3 || length > 7)
    return false;
  static const char* const devices[] = {
      "CON",  "PRN",  "AUX",  "NUL",  "CONIN$", "CONOUT$", "COM1", "COM2", "COM3",
      "COM4", "COM5", "COM6", "COM7", "COM8",   "COM9",    "LPT1", "LPT2", "LPT3",
      "LPT4", "LPT5", "LPT6", "LPT7", "LPT8",   "LPT9",
      // Windows counts the superscript digits as digits here.
      "COM\xC2\xB9", "COM\xC2\xB2", "COM\xC2\xB3", "LPT\xC2\xB9", "LPT\xC2\xB2", "LPT\xC2\xB3"};
  for (const char* device : devices) {
    if (strlen(device) == length && strCaseCmp(name, device, (int)length) == 0)
      return true;
  }
  return false;
}

std::string safeFileName(const std::string& name) {
  std::string safe = name;
  for (char& c : safe) {
    if (isForbidden((unsigned char)c))
      c = '-';
  }
  for (size_t i = safe.size(); i > 0 && (safe[i - 1] == '.' || safe[i - 1] == ' '); i--)
    safe[i - 1] = '-';
  size_t dot = safe.find('.');
  size_t baseLength = dot == std::string::npos ? safe.size() : dot;
  if (isDeviceName(safe.data(), baseLength))
    safe.insert(baseLength, "-");
  if (safe.empty())
    safe = "-";
  return safe;
}

} // namespace plat

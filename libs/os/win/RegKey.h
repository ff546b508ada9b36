// One open registry key with UTF-8 names and values. The access mask keeps
// the registry-view bits given at construction; both view bits together ask
// for the native view with registry reflection switched on, so they are
// taken out of every open and create and reflection is enabled afterwards.
#pragma once

#include "plat/String.h"

#include <windows.h>

namespace os {

class RegKey {
public:
  enum { BothViews = KEY_WOW64_64KEY | KEY_WOW64_32KEY };

  // A value as stored: its type and its bytes.
  struct RawValue {
    RawValue() : type(REG_NONE), size(0), data(nullptr) {}
    RawValue(const RawValue&) = delete;
    RawValue& operator=(const RawValue&) = delete;
    RawValue(RawValue&& o) noexcept : type(o.type), size(o.size), data(o.data) {
      o.data = nullptr;
    }
    ~RawValue() { delete[] data; }
    DWORD type;
    DWORD size;
    BYTE* data; // size bytes, followed by at least four zero bytes
  };

  explicit RegKey(DWORD viewFlags = 0);
  // A new handle to root itself.
  RegKey(HKEY root, DWORD viewFlags = 0);
  // A new handle to other's key, with other's access.
  explicit RegKey(const RegKey& other);
  RegKey& operator=(const RegKey&) = delete;
  ~RegKey();

  // Creates or opens parent\name, closing any key held before. True.
  bool createKey(const RegKey& parent, const char* name);
  // Opens an existing parent\name for reading only or for everything,
  // closing any key held before; keeps the parent's view bits (both of them
  // together are dropped). Throws plat::SystemException "RegOpenKeyEx".
  void openKey(const RegKey& parent, const char* name, bool readOnly);
  // The same below a root such as HKEY_LOCAL_MACHINE, which a user may not
  // open for writing, with this key's own view bits.
  void openKey(HKEY parent, const char* name, bool readOnly);

  void setString(const char* name, const char* value);
  // REG_DWORD; throws plat::SystemException "setInt".
  void setInt(const char* name, int value);
  // REG_DWORD 1 or 0; throws plat::SystemException "setInt".
  void setBool(const char* name, bool value);
  // Throws plat::SystemException "RegDeleteValue".
  void deleteValue(const char* name);
  // True when the value exists and reads as text.
  bool isValue(const char* name) const;
  // The value as text (new buffer for the caller): REG_SZ, REG_EXPAND_SZ
  // (expanded), REG_BINARY (lowercase hex) and REG_DWORD (signed decimal).
  char* getValue(const char* name) const;
  // The value's type and bytes, uninterpreted.
  RawValue readValue(const char* name) const;
  // The text getValue gives for a value already read; throws
  // "unsupported registry type" and the expansion failures.
  static char* decodeValue(const RawValue& value);

  // The name of the value at index, kept by the key until the next call;
  // null past the last one.
  const char* enumValue(int index);

  bool isReflected() const;
  void setReflected(bool on);

  HKEY handle() const { return key_; }
  DWORD access() const { return access_; }

private:
  // The mask passed to the system, and whether reflection must be switched
  // on once the key is open.
  static REGSAM samFor(DWORD access, bool* reflect);
  void close();
  void open(HKEY parent, DWORD parentAccess, const char* name, bool readOnly);

  HKEY key_;
  bool owned_;
  plat::String valueName_;
  DWORD access_;
};

} // namespace os

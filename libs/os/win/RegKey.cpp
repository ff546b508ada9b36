#include "os/win/RegKey.h"
#include "plat/LogWriter.h"
#include "plat/win/DynamicFn.h"
#include "plat/win/Unicode.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace os {

static plat::LogWriter vlog("Registry");

// Handles in the log are 32-bit numbers, as the predefined roots are.
static unsigned h32(HKEY key) { return (unsigned)(uintptr_t)key; }

typedef LONG(WINAPI* QueryReflectionFn)(HKEY, BOOL*);
typedef LONG(WINAPI* ChangeReflectionFn)(HKEY);

static const plat::DynamicFnT<QueryReflectionFn>& queryReflection() {
  static plat::DynamicFnT<QueryReflectionFn> fn("advapi32", "RegQueryReflectionKey");
  return fn;
}
static const plat::DynamicFnT<ChangeReflectionFn>& enableReflection() {
  static plat::DynamicFnT<ChangeReflectionFn> fn("advapi32", "RegEnableReflectionKey");
  return fn;
}
static const plat::DynamicFnT<ChangeReflectionFn>& disableReflection() {
  static plat::DynamicFnT<ChangeReflectionFn> fn("advapi32", "RegDisableReflectionKey");
  return fn;
}

REGSAM RegKey::samFor(DWORD access, bool* reflect) {
  *reflect = (access & BothViews) == BothViews;
  return *reflect ? access & ~(DWORD)BothViews : access;
}

RegKey::RegKey(DWORD viewFlags) : key_(nullptr), owned_(false), access_(viewFlags | KEY_ALL_ACCESS) {}

RegKey::RegKey(HKEY root, DWORD viewFlags)
    : key_(nullptr), owned_(false), access_(viewFlags | KEY_ALL_ACCESS) {
  bool reflect;
  LONG result = RegOpenKeyExW(root, nullptr, 0, samFor(access_, &reflect), &key_);
  if (result != ERROR_SUCCESS)
    throw plat::SystemException("RegOpenKeyEx", (int)result);
  owned_ = true;
  vlog.write(100, "RegKey(HKEY %x) -> %x (sam=%x)", h32(root), h32(key_), (unsigned)access_);
  if (reflect)
    setReflected(true);
}

RegKey::RegKey(const RegKey& other) : key_(nullptr), owned_(false), access_(other.access_) {
  bool reflect;
  LONG result = RegOpenKeyExW(other.key_, nullptr, 0, samFor(access_, &reflect), &key_);
  if (result != ERROR_SUCCESS)
    throw plat::SystemException("RegOpenKeyEx", (int)result);
  owned_ = true;
  vlog.write(100, "RegKey(RegKey %x) -> %x (sam=%x)", h32(other.key_), h32(key_),
             (unsigned)access_);
  if (reflect)
    setReflected(true);
}

RegKey::~RegKey() { close(); }

void RegKey::close() {
  if (key_ && owned_)
    RegCloseKey(key_);
  key_ = nullptr;
  owned_ = false;
}

bool RegKey::createKey(const RegKey& parent, const char* name) {
  close();
  access_ = parent.access_ | KEY_ALL_ACCESS;
  bool reflect;
  plat::WString wname(name);
  LONG result = RegCreateKeyExW(parent.key_, wname.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                samFor(access_, &reflect), nullptr, &key_, nullptr);
  if (result != ERROR_SUCCESS) {
    key_ = nullptr;
    throw plat::SystemException("RegCreateKeyEx", (int)result);
  }
  owned_ = true;
  vlog.write(100, "createKey(%x,%s) (sam=%x) = %x", h32(parent.key_), name, (unsigned)access_,
             h32(key_));
  if (reflect)
    setReflected(true);
  return true;
}

void RegKey::openKey(const RegKey& parent, const char* name, bool readOnly) {
  open(parent.key_, parent.access_, name, readOnly);
}

void RegKey::openKey(HKEY parent, const char* name, bool readOnly) {
  open(parent, access_, name, readOnly);
}

void RegKey::open(HKEY parent, DWORD parentAccess, const char* name, bool readOnly) {
  close();
  DWORD views = parentAccess & BothViews;
  if (views == BothViews)
    views = 0;
  access_ = (readOnly ? KEY_READ : KEY_ALL_ACCESS) | views;
  plat::WString wname(name);
  LONG result = RegOpenKeyExW(parent, wname.c_str(), 0, access_, &key_);
  vlog.write(100, "openKey(%x,%s,%s) (sam=%x) = %x", h32(parent), name, readOnly ? "ro" : "rw",
             (unsigned)access_, (unsigned)result);
  if (result != ERROR_SUCCESS) {
    key_ = nullptr;
    throw plat::SystemException("RegOpenKeyEx", (int)result);
  }
  owned_ = true;
}

void RegKey::setInt(const char* name, int value) {
  plat::WString wname(name);
  DWORD data = (DWORD)value;
  LONG result = RegSetValueExW(key_, wname.c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&data), sizeof(data));
  if (result != ERROR_SUCCESS)
    throw plat::SystemException("setInt", (int)result);
}

void RegKey::setBool(const char* name, bool value) { setInt(name, value ? 1 : 0); }

void RegKey::deleteValue(const char* name) {
  plat::WString wname(name);
  LONG result = RegDeleteValueW(key_, wname.c_str());
  if (result != ERROR_SUCCESS)
    throw plat::SystemException("RegDeleteValue", (int)result);
}

bool RegKey::isValue(const char* name) const {
  try {
    plat::String::adopt(getValue(name));
    return true;
  } catch (const plat::Exception&) {
    return false;
  }
}

void RegKey::setString(const char* name, const char* value) {
  plat::WString wname(name), wvalue(value);
  DWORD bytes = (DWORD)((wcslen(wvalue.c_str()) + 1) * sizeof(wchar_t));
  LONG result = RegSetValueExW(key_, wname.c_str(), 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(wvalue.c_str()), bytes);
  if (result != ERROR_SUCCESS)
    throw plat::SystemException("setString", (int)result);
}

RegKey::RawValue RegKey::readValue(const char* name) const {
  plat::WString wname(name);
  RawValue value;
  LONG result = RegQueryValueExW(key_, wname.c_str(), nullptr, &value.type, nullptr, &value.size);
  if (result != ERROR_SUCCESS)
    throw plat::SystemException("get registry value length", (int)result);
  // The zeros behind the data terminate a string stored without its NUL
  // and pad a DWORD stored short.
  value.data = new BYTE[value.size + 4]();
  DWORD size = value.size;
  result = RegQueryValueExW(key_, wname.c_str(), nullptr, &value.type, value.data, &size);
  if (result != ERROR_SUCCESS)
    throw plat::SystemException("get registry value", (int)result);
  value.size = size;
  return value;
}

// The UTF-16 text of a string value, terminated after the stored size
// whether or not the data held a NUL.
static std::unique_ptr<wchar_t[]> textOf(const BYTE* data, DWORD size) {
  DWORD units = size / sizeof(wchar_t);
  std::unique_ptr<wchar_t[]> text(new wchar_t[units + 1]);
  memcpy(text.get(), data, units * sizeof(wchar_t));
  text[units] = 0;
  return text;
}

char* RegKey::decodeValue(const RawValue& value) {
  switch (value.type) {
  case REG_SZ:
    return plat::W2MB(textOf(value.data, value.size).get());
  case REG_EXPAND_SZ: {
    std::unique_ptr<wchar_t[]> source = textOf(value.data, value.size);
    DWORD estimate = ExpandEnvironmentStringsW(source.get(), nullptr, 0);
    if (estimate == 0)
      throw plat::SystemException("ExpandEnvironmentStrings", (int)GetLastError());
    std::unique_ptr<wchar_t[]> expanded(new wchar_t[estimate]);
    DWORD needed = ExpandEnvironmentStringsW(source.get(), expanded.get(), estimate);
    if (needed == 0)
      throw plat::SystemException("ExpandEnvironmentStrings", (int)GetLastError());
    if (needed > estimate)
      throw plat::Exception("unable to expand environment strings");
    return plat::W2MB(expanded.get());
  }
  case REG_BINARY:
    return plat::binToHex(plat::Blob{(int)value.size, value.data});
  case REG_DWORD: {
    int32_t number;
    memcpy(&number, value.data, sizeof(number));
    char text[16];
    snprintf(text, sizeof(text), "%d", (int)number);
    return plat::strDup(text);
  }
  default:
    throw plat::Exception("unsupported registry type");
  }
}

char* RegKey::getValue(const char* name) const { return decodeValue(readValue(name)); }

const char* RegKey::enumValue(int index) {
  DWORD longest = 0;
  LONG result = RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, &longest, nullptr, nullptr, nullptr);
  if (result != ERROR_SUCCESS)
    throw plat::SystemException("RegQueryInfoKey", (int)result);
  std::unique_ptr<wchar_t[]> name(new wchar_t[longest + 1]);
  DWORD length = longest + 1;
  result = RegEnumValueW(key_, (DWORD)index, name.get(), &length, nullptr, nullptr, nullptr,
                         nullptr);
  if (result == ERROR_NO_MORE_ITEMS)
    return nullptr;
  if (result != ERROR_SUCCESS)
    throw plat::SystemException("RegEnumValue", (int)result);
  valueName_.replaceBuf(plat::W2MB(name.get(), CP_UTF8, (int)length));
  return valueName_.c_str();
}

bool RegKey::isReflected() const {
  bool reflected = true;
  if (queryReflection().isValid()) {
    BOOL disabled = FALSE;
    LONG result = queryReflection().get()(key_, &disabled);
    if (result != ERROR_SUCCESS)
      throw plat::SystemException("isReflected", (int)result);
    reflected = !disabled;
  }
  vlog.write(100, "isReflected %x: %s", h32(key_), reflected ? "yes" : "no");
  return reflected;
}

void RegKey::setReflected(bool on) {
  LONG result = ERROR_SUCCESS;
  if (on) {
    if (!isReflected() && enableReflection().isValid()) {
      vlog.write(100, "enabling reflection on %x", h32(key_));
      result = enableReflection().get()(key_);
    }
  } else if (disableReflection().isValid()) {
    vlog.write(100, "disabling reflection on %x", h32(key_));
    result = disableReflection().get()(key_);
  }
  if (result != ERROR_SUCCESS)
    throw plat::SystemException("setReflected", (int)result);
}

} // namespace os

#include "viewerconfig/win/PrinterInfo.h"
#include "os/win/OSVersionInfo.h"
#include "plat/LogWriter.h"
#include "plat/String.h"
#include "plat/win/DynamicFn.h"
#include "plat/win/Unicode.h"
#include "viewerconfig/PrinterNotes.h"

#include <string>
#include <vector>

namespace viewerconfig {

static plat::LogWriter vlog("Printer");

namespace {

typedef BOOL(WINAPI* GetDefaultPrinterFn)(LPWSTR, LPDWORD);

// winspool.drv is no .dll: named by its path in the system directory, so
// that no copy beside the program is loaded.
std::string spoolerPath() {
  wchar_t dir[MAX_PATH];
  UINT n = GetSystemDirectoryW(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH)
    return "winspool.drv";
  plat::String path = plat::String::adopt(plat::W2MB(dir));
  return std::string(path.c_str()) + "\\winspool.drv";
}

const plat::DynamicFnT<GetDefaultPrinterFn>& getDefaultPrinterFn() {
  static const plat::DynamicFnT<GetDefaultPrinterFn> fn(spoolerPath().c_str(),
                                                        "GetDefaultPrinterW");
  return fn;
}

std::string utf8(const std::wstring& text) {
  return plat::String::adopt(plat::W2MB(text.c_str())).c_str();
}

// Version 5 and later ask the spooler: the length first, then the name.
// A second call that fails (the default changed meanwhile) gives no name.
std::wstring spoolerDefault() {
  const plat::DynamicFnT<GetDefaultPrinterFn>& fn = getDefaultPrinterFn();
  if (!fn.isValid())
    return std::wstring();
  vlog.info("GetDefaultPrinter is available");
  DWORD length = 0;
  if (fn.get()(nullptr, &length) || GetLastError() != ERROR_INSUFFICIENT_BUFFER || length == 0)
    return std::wstring();
  std::vector<wchar_t> buffer(length + 1, 0);
  DWORD size = length;
  if (!fn.get()(buffer.data(), &size))
    return std::wstring();
  return buffer.data();
}

std::wstring profileDefault() {
  std::vector<wchar_t> buffer(1024, 0);
  DWORD n = GetProfileStringW(L"windows", L"device", L",,,", buffer.data(), 1024);
  std::wstring device(buffer.data(), n);
  size_t comma = device.find(L',');
  if (n == 0 || comma == std::wstring::npos) {
    plat::SystemException e("GetProfileString failed", (int)GetLastError());
    vlog.info("%s", e.str());
    return std::wstring();
  }
  vlog.info("GetProfileString succeeded (%s)", utf8(device).c_str());
  return device.substr(0, comma);
}

} // namespace

void PrinterInfo::getDefaultPrinter() {
  std::wstring found;
  const os::OSVersionInfo& version = os::osVersion();
  if (version.isNT()) {
    vlog.info("NT Platform");
    if (version.record().dwMajorVersion >= 5) {
      vlog.info("2000, XP, Vista, ...");
      found = spoolerDefault();
    } else {
      vlog.info("NT 4.0");
      found = profileDefault();
    }
  }
  if (found.empty())
    throw plat::SystemException("The default printer could not be determined", (int)GetLastError());
  vlog.info("Default printer is %s", utf8(found).c_str());
  open(found.c_str(), nullptr);
}

void PrinterInfo::open(const wchar_t* name, PRINTER_DEFAULTSW* defaults) {
  close();
  name_ = name;
  std::vector<wchar_t> writable(name_.begin(), name_.end());
  writable.push_back(0);
  HANDLE printer = nullptr;
  if (!OpenPrinterW(writable.data(), &printer, defaults))
    throw plat::SystemExceptionFmt("Unable to open Printer %s", (int)GetLastError(),
                                   utf8(name_).c_str());
  printer_ = printer;
  plat::WString display(printerDisplayName(utf8(name_)).c_str());
  displayName_ = display.c_str();
}

void PrinterInfo::close() {
  if (printer_)
    ClosePrinter(printer_);
  printer_ = nullptr;
  name_.clear();
  displayName_.clear();
}

} // namespace viewerconfig

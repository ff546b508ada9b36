// The local default printer, found and opened; closed again with the
// object. The display name is the one the user knows it by ("Laser on
// srv" for the share \\srv\Laser).
#pragma once

#include <windows.h>
#include <winspool.h>

#include <string>

namespace viewerconfig {

class PrinterInfo {
public:
  PrinterInfo() : printer_(nullptr) {}
  PrinterInfo(const PrinterInfo&) = delete;
  PrinterInfo& operator=(const PrinterInfo&) = delete;
  ~PrinterInfo() { close(); }

  // Finds the default printer and opens it. Throws plat::SystemException
  // "The default printer could not be determined" or, from open, "Unable to
  // open Printer <name>".
  void getDefaultPrinter();
  // Closes a printer open before; defaults may be null.
  void open(const wchar_t* name, PRINTER_DEFAULTSW* defaults);

  const std::wstring& name() const { return name_; }
  const std::wstring& displayName() const { return displayName_; }
  HANDLE handle() const { return printer_; }

private:
  void close();

  std::wstring name_;
  std::wstring displayName_;
  HANDLE printer_;
};

} // namespace viewerconfig

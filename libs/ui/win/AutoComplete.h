// The system's autocompletion on an edit box, suggesting from a fixed list
// of UTF-8 strings (the address book's entry names as they are typed).
#pragma once

#include "os/win/ComInitialiser.h"

#include <windows.h>

#include <shldisp.h>

#include <string>
#include <vector>

namespace ui {

class AutoComplete {
public:
  // The strings are copied. Throws plat::SystemException
  // "CoCreateInstance(IAutoComplete)" or "IAutoComplete::Init" (with the
  // HRESULT), or "CoInitialize".
  AutoComplete(HWND edit, const std::vector<std::string>& strings);
  AutoComplete(const AutoComplete&) = delete;
  AutoComplete& operator=(const AutoComplete&) = delete;
  ~AutoComplete();

private:
  os::ComInitialiser com_;
  IAutoComplete* autoComplete_;
};

} // namespace ui

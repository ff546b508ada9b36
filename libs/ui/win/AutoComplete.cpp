#include "ui/win/AutoComplete.h"
#include "com/win/EnumString.h"
#include "plat/Exception.h"

#include <shlguid.h>

namespace ui {

AutoComplete::AutoComplete(HWND edit, const std::vector<std::string>& strings)
    : autoComplete_(nullptr) {
  HRESULT result = CoCreateInstance(CLSID_AutoComplete, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IAutoComplete, (void**)&autoComplete_);
  if (FAILED(result) || !autoComplete_)
    throw plat::SystemException("CoCreateInstance(IAutoComplete)", (int)result);
  IEnumString* suggestions = new com::ComObject<com::EnumString>(strings);
  // The autocompletion object keeps its own reference.
  result = autoComplete_->Init(edit, suggestions, nullptr, nullptr);
  suggestions->Release();
  if (FAILED(result)) {
    autoComplete_->Release();
    autoComplete_ = nullptr;
    throw plat::SystemException("IAutoComplete::Init", (int)result);
  }
}

AutoComplete::~AutoComplete() {
  if (autoComplete_)
    autoComplete_->Release();
}

} // namespace ui

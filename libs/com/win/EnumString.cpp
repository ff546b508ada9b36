#include "com/win/EnumString.h"
#include "plat/win/Unicode.h"

#include <cwchar>
#include <new>

namespace com {

const TaskMemory& coTaskMemory() {
  static const TaskMemory memory = {CoTaskMemAlloc, CoTaskMemFree};
  return memory;
}

EnumString::EnumString(const std::vector<std::string>& strings, const TaskMemory& memory,
                       size_t position)
    : strings_(strings), memory_(memory), position_(position) {}

void EnumString::getInterfaces(InterfaceList* list) {
  IUnknown* self = static_cast<IEnumString*>(this);
  list->push_back({IID_IUnknown, self});
  list->push_back({IID_IEnumString, self});
}

HRESULT EnumString::Next(ULONG count, LPOLESTR* out, ULONG* fetched) {
  if (fetched)
    *fetched = 0;
  if (!out && count)
    return E_POINTER;
  plat::Lock l(positionLock_);
  ULONG delivered = 0;
  while (delivered < count && position_ + delivered < strings_.size()) {
    plat::WString text(strings_[position_ + delivered].c_str());
    size_t length = wcslen(text.c_str());
    wchar_t* copy = (wchar_t*)memory_.allocate((length + 1) * sizeof(wchar_t));
    if (!copy) {
      // What was handed out so far goes back: the caller gets nothing.
      for (ULONG i = 0; i < delivered; i++) {
        memory_.release(out[i]);
        out[i] = nullptr;
      }
      return E_OUTOFMEMORY;
    }
    wmemcpy(copy, text.c_str(), length + 1);
    out[delivered++] = copy;
  }
  position_ += delivered;
  if (fetched)
    *fetched = delivered;
  return delivered == count ? S_OK : S_FALSE;
}

HRESULT EnumString::Skip(ULONG count) {
  plat::Lock l(positionLock_);
  size_t left = strings_.size() - position_;
  position_ += count < left ? count : left;
  return count <= left ? S_OK : S_FALSE;
}

HRESULT EnumString::Reset() {
  plat::Lock l(positionLock_);
  position_ = 0;
  return S_OK;
}

HRESULT EnumString::Clone(IEnumString** out) {
  if (!out)
    return E_POINTER;
  size_t at;
  {
    plat::Lock l(positionLock_);
    at = position_;
  }
  *out = nullptr;
  try {
    *out = new ComObject<EnumString>(strings_, memory_, at);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY; // the copy of the strings included
  }
  return S_OK;
}

} // namespace com

#include "ferrin/win/EnumFORMATETC.h"

#include "ferrin/win/FormatTable.h"

namespace ft {

void EnumFORMATETC::getInterfaces(com::InterfaceList* list) {
  list->push_back({IID_IUnknown, static_cast<IEnumFORMATETC*>(this)});
  list->push_back({IID_IEnumFORMATETC, static_cast<IEnumFORMATETC*>(this)});
}

HRESULT EnumFORMATETC::Next(ULONG n, FORMATETC* out, ULONG* fetched) {
  if (!out && n > 0)
    return E_POINTER;
  const FORMATETC* table = formatTable();
  ULONG copied = 0;
  while (copied < n && position_ < FormatCount)
    out[copied++] = table[position_++];
  if (fetched)
    *fetched = copied;
  return copied == n ? S_OK : S_FALSE;
}

HRESULT EnumFORMATETC::Skip(ULONG n) {
  ULONG left = FormatCount - position_;
  ULONG skipped = n < left ? n : left;
  position_ += skipped;
  return skipped == n ? S_OK : S_FALSE;
}

HRESULT EnumFORMATETC::Reset() {
  position_ = 0;
  return S_OK;
}

HRESULT EnumFORMATETC::Clone(IEnumFORMATETC** clone) {
  if (!clone)
    return E_POINTER;
  *clone = new com::ComObject<EnumFORMATETC>;
  return S_OK;
}

} // namespace ft

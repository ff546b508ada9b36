#include "EndlessFormats.h"

namespace clip {

void EndlessFormats::getInterfaces(com::InterfaceList* list) {
  list->push_back({IID_IUnknown, static_cast<IEnumFORMATETC*>(this)});
  list->push_back({IID_IEnumFORMATETC, static_cast<IEnumFORMATETC*>(this)});
}

HRESULT EndlessFormats::Next(ULONG n, FORMATETC* out, ULONG* fetched) {
  if (!out || (n > 1 && !fetched))
    return E_POINTER;
  ULONG given = 0;
  for (; given < n; given++) {
    if (limit_ && handedOut_->load() >= limit_)
      break;
    out[given] = format_;
    ++*handedOut_;
  }
  if (fetched)
    *fetched = given;
  return given == n ? S_OK : S_FALSE;
}

HRESULT EndlessFormats::Clone(IEnumFORMATETC** out) {
  if (!out)
    return E_POINTER;
  *out = new com::ComObject<EndlessFormats>(format_, limit_, handedOut_);
  return S_OK;
}

} // namespace clip

#include "ClipDataObject.h"

#include <shlobj.h>

#include <cstring>

namespace clip {

void ClipDataObject::add(CLIPFORMAT format, DWORD tymed, LONG lindex, Render render) {
  formats_.push_back({format, nullptr, DVASPECT_CONTENT, lindex, tymed});
  renders_.push_back(std::move(render));
}

void ClipDataObject::addBlock(CLIPFORMAT format, std::vector<uint8_t> block) {
  add(format, TYMED_HGLOBAL, -1, [block](const FORMATETC&, STGMEDIUM* medium) {
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = globalCopy(block.data(), block.size());
    return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
  });
}

void ClipDataObject::getInterfaces(com::InterfaceList* list) {
  list->push_back({IID_IUnknown, static_cast<IDataObject*>(this)});
  list->push_back({IID_IDataObject, static_cast<IDataObject*>(this)});
}

const ClipDataObject::Render* ClipDataObject::find(const FORMATETC& format) const {
  for (size_t i = 0; i < formats_.size(); i++)
    if (formats_[i].cfFormat == format.cfFormat && (formats_[i].tymed & format.tymed))
      return &renders_[i];
  return nullptr;
}

HRESULT ClipDataObject::QueryGetData(FORMATETC* format) {
  return format && find(*format) ? S_OK : DV_E_FORMATETC;
}

HRESULT ClipDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium)
    return E_POINTER;
  const Render* render = find(*format);
  if (!render)
    return DV_E_FORMATETC;
  medium->pUnkForRelease = nullptr;
  return (*render)(*format, medium);
}

HRESULT ClipDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
  if (direction != DATADIR_GET)
    return E_NOTIMPL;
  if (enumerate_) {
    *out = enumerate_();
    return S_OK;
  }
  return SHCreateStdEnumFmtEtc((UINT)formats_.size(), formats_.data(), out);
}

HGLOBAL globalCopy(const void* data, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
  if (!memory)
    return nullptr;
  memcpy(GlobalLock(memory), data, size);
  GlobalUnlock(memory);
  return memory;
}

} // namespace clip

// The data object of the clipboard helpers: a list of formats, each
// rendered on request by a function of the helper, the way a program that
// copies offers its data.
#pragma once

#include "com/win/ComObject.h"

#include <objidl.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace clip {

class ClipDataObject : public com::ComObjectImpl, public IDataObject {
public:
  // Fills the medium for the format (lindex as asked); an HRESULT failure
  // otherwise.
  typedef std::function<HRESULT(const FORMATETC& asked, STGMEDIUM* medium)> Render;

  // Makes the enumerator of the formats, instead of one over those added.
  typedef std::function<IEnumFORMATETC*()> Enumerate;

  // Offered in the order added.
  void add(CLIPFORMAT format, DWORD tymed, LONG lindex, Render render);
  // The bytes in global memory.
  void addBlock(CLIPFORMAT format, std::vector<uint8_t> block);
  void setEnumerate(Enumerate enumerate) { enumerate_ = std::move(enumerate); }

  void getInterfaces(com::InterfaceList* list) override;

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out)
      out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

private:
  const Render* find(const FORMATETC& format) const;

  std::vector<FORMATETC> formats_;
  std::vector<Render> renders_;
  Enumerate enumerate_;
};

// A moveable block holding the bytes.
HGLOBAL globalCopy(const void* data, size_t size);

} // namespace clip

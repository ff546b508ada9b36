#include "com/win/MtaMarshal.h"

#include "com/win/MtaThread.h"

#include <functional>

namespace com {

namespace {

// Runs step with the standard marshaller of the object, inside the
// multithreaded apartment.
HRESULT withStandardMarshal(REFIID iid, void* object, DWORD context, void* reserved, DWORD flags,
                            const std::function<HRESULT(IMarshal*)>& step) {
  return MtaThread::call([&] {
    IMarshal* standard = nullptr;
    HRESULT hr = CoGetStandardMarshal(iid, static_cast<IUnknown*>(object), context, reserved, flags,
                                      &standard);
    if (FAILED(hr))
      return hr;
    hr = step(standard);
    standard->Release();
    return hr;
  });
}

} // namespace

void MtaMarshal::addMarshal(InterfaceList* list) {
  if (MtaThread::exists())
    list->push_back({IID_IMarshal, static_cast<IMarshal*>(this)});
}

HRESULT MtaMarshal::GetUnmarshalClass(REFIID iid, void* object, DWORD context, void* reserved,
                                      DWORD flags, CLSID* clsid) {
  return withStandardMarshal(iid, object, context, reserved, flags, [&](IMarshal* standard) {
    return standard->GetUnmarshalClass(iid, object, context, reserved, flags, clsid);
  });
}

HRESULT MtaMarshal::GetMarshalSizeMax(REFIID iid, void* object, DWORD context, void* reserved,
                                      DWORD flags, DWORD* size) {
  return withStandardMarshal(iid, object, context, reserved, flags, [&](IMarshal* standard) {
    return standard->GetMarshalSizeMax(iid, object, context, reserved, flags, size);
  });
}

HRESULT MtaMarshal::MarshalInterface(IStream* stream, REFIID iid, void* object, DWORD context,
                                     void* reserved, DWORD flags) {
  return withStandardMarshal(iid, object, context, reserved, flags, [&](IMarshal* standard) {
    return standard->MarshalInterface(stream, iid, object, context, reserved, flags);
  });
}

HRESULT MtaMarshal::UnmarshalInterface(IStream*, REFIID, void** out) {
  if (out)
    *out = nullptr;
  return E_NOTIMPL;
}

HRESULT MtaMarshal::ReleaseMarshalData(IStream*) {
  return E_NOTIMPL;
}

HRESULT MtaMarshal::DisconnectObject(DWORD reserved) {
  IUnknown* self = static_cast<IMarshal*>(this);
  return withStandardMarshal(
      IID_IUnknown, self, MSHCTX_INPROC, nullptr, MSHLFLAGS_NORMAL,
      [&](IMarshal* standard) { return standard->DisconnectObject(reserved); });
}

} // namespace com

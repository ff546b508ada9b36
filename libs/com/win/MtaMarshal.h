// A base for COM objects that other processes must reach in the process's
// multithreaded apartment (com::MtaThread) whatever thread marshals them:
// the OLE clipboard marshals its data object on the thread that set it,
// whose message loop would otherwise serve every call from the pasting
// program. The object is marshalled by COM's standard marshaller run
// inside that apartment, so it unmarshals anywhere as a standard proxy.
//
//   class Data : public com::ComObjectImpl, public IDataObject, public com::MtaMarshal {
//     void getInterfaces(com::InterfaceList* list) override {
//       ...; addMarshal(list);
//     }
//   };
//
// Without an MtaThread the object lists no IMarshal and COM marshals it
// the standard way in the marshalling thread's apartment.
#pragma once

#include "com/win/ComObject.h"

#include <objidl.h>

namespace com {

class MtaMarshal : public IMarshal {
public:
  // Lists IMarshal when an MtaThread runs.
  void addMarshal(InterfaceList* list);

  HRESULT STDMETHODCALLTYPE GetUnmarshalClass(REFIID iid, void* object, DWORD context,
                                              void* reserved, DWORD flags, CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE GetMarshalSizeMax(REFIID iid, void* object, DWORD context,
                                              void* reserved, DWORD flags, DWORD* size) override;
  HRESULT STDMETHODCALLTYPE MarshalInterface(IStream* stream, REFIID iid, void* object,
                                             DWORD context, void* reserved, DWORD flags) override;
  // Never called by COM: the marshal data names the standard unmarshaller,
  // which unmarshals and releases it.
  HRESULT STDMETHODCALLTYPE UnmarshalInterface(IStream* stream, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE ReleaseMarshalData(IStream* stream) override;
  HRESULT STDMETHODCALLTYPE DisconnectObject(DWORD reserved) override;
};

} // namespace com

#include "os/win/OleInitialiser.h"
#include "plat/LogWriter.h"
#include "plat/win/DynamicFn.h"

#include <ole2.h>

namespace os {

static plat::LogWriter vlog("OleInitialiser");

OleInitialiser::OleInitialiser() {
  HRESULT result = OleInitialize(nullptr);
  if (result == S_FALSE)
    vlog.write(100, "OLE already initialised");
  else if (FAILED(result))
    throw plat::SystemException("OleInitialize", (int)result);
}

OleInitialiser::~OleInitialiser() { OleUninitialize(); }

void initComSecurity() {
  typedef HRESULT(WINAPI * InitSecurityFn)(PSECURITY_DESCRIPTOR, LONG, SOLE_AUTHENTICATION_SERVICE*,
                                           void*, DWORD, DWORD, void*, DWORD, void*);
  plat::DynamicFnT<InitSecurityFn> initSecurity("ole32", "CoInitializeSecurity");
  if (!initSecurity.isValid()) {
    vlog.write(30, "Unable to set COM security");
    return;
  }
  HRESULT result = initSecurity.get()(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                      RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr);
  if (result == RPC_E_TOO_LATE)
    vlog.write(100, "Duplicate CoInitializeSecurity");
  else if (FAILED(result))
    throw plat::SystemException("CoInitializeSecurity", (int)result);
}

} // namespace os

// The enumerator of a clipboard share's formats (the table of
// FormatTable.h): Next, Skip, Reset and Clone over its four rows.
#pragma once

#include "com/win/ComObject.h"

#include <objidl.h>

namespace ft {

class EnumFORMATETC : public com::ComObjectImpl, public IEnumFORMATETC {
public:
  EnumFORMATETC() : position_(0) {}

  void getInterfaces(com::InterfaceList* list) override;

  HRESULT STDMETHODCALLTYPE Next(ULONG n, FORMATETC* out, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG n) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  // A new enumerator at the start (the position is not copied).
  HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** clone) override;

private:
  ULONG position_;
};

} // namespace ft

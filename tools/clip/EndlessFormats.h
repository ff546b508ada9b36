// A format enumerator that never ends, as a broken or hostile program's
// may: every Next answers S_OK with the same format. A limit (0: none)
// ends it after so many formats, so that a test of a reader that would walk
// it for ever fails instead of hanging; the count of formats handed out is
// shared with whoever made it.
#pragma once

#include "com/win/ComObject.h"

#include <objidl.h>

#include <atomic>
#include <cstdint>
#include <memory>

namespace clip {

class EndlessFormats : public com::ComObjectImpl, public IEnumFORMATETC {
public:
  EndlessFormats(const FORMATETC& format, uint64_t limit,
                 std::shared_ptr<std::atomic<uint64_t>> handedOut)
      : format_(format), limit_(limit), handedOut_(std::move(handedOut)) {}

  void getInterfaces(com::InterfaceList* list) override;

  HRESULT STDMETHODCALLTYPE Next(ULONG n, FORMATETC* out, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Reset() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** out) override;

private:
  FORMATETC format_;
  uint64_t limit_;
  std::shared_ptr<std::atomic<uint64_t>> handedOut_;
};

} // namespace clip

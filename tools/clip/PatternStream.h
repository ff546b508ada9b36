// A read-only stream over generated contents (testing/Pattern.h): the
// contents of one virtual file of the helpers' virtual-file source.
#pragma once

#include "com/win/ComObject.h"

#include <objidl.h>

#include <cstdint>

namespace clip {

class PatternStream : public com::ComObjectImpl, public IStream {
public:
  PatternStream(uint32_t seed, uint64_t size) : seed_(seed), size_(size), position_(0) {}

  void getInterfaces(com::InterfaceList* list) override;

  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG n, ULONG* read) override;
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                 ULARGE_INTEGER* position) override;
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                   ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

private:
  uint32_t seed_;
  uint64_t size_;
  uint64_t position_;
};

} // namespace clip

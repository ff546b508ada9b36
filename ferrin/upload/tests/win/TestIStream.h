// An IStream over a string for the tests, which can refuse to seek, read
// slowly in small pieces, or fail after some bytes.
#pragma once

#include "com/win/ComObject.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

class TestIStream : public com::ComObjectImpl, public IStream {
public:
  explicit TestIStream(std::string data) : data_(std::move(data)) {}
  ~TestIStream() override {
    if (marshaler_)
      marshaler_->Release();
  }

  bool canSeek = true;
  int delayMs = 0;
  ULONG piece = 0xFFFFFFFF;
  size_t failAt = std::string::npos; // Read fails once this many bytes are read
  // Called, when set, where Read fails: it may throw instead.
  std::function<void()> onFailure;
  // Other apartments get the object itself, not a proxy: what Read throws
  // then reaches the caller as it is.
  bool freeThreaded = false;

  void getInterfaces(com::InterfaceList* list) override {
    IUnknown* self = static_cast<IStream*>(this);
    list->push_back({IID_IUnknown, self});
    list->push_back({IID_ISequentialStream, self});
    list->push_back({IID_IStream, self});
    if (freeThreaded && marshal())
      list->push_back({IID_IMarshal, marshal_});
  }

  HRESULT STDMETHODCALLTYPE Read(void* out, ULONG count, ULONG* read) override {
    if (delayMs)
      Sleep(delayMs);
    if (at_ >= failAt) {
      if (onFailure)
        onFailure();
      return E_FAIL;
    }
    size_t n = std::min<size_t>({count, piece, data_.size() - at_});
    memcpy(out, data_.data() + at_, n);
    at_ += n;
    if (read)
      *read = (ULONG)n;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                 ULARGE_INTEGER* position) override {
    if (!canSeek || origin != STREAM_SEEK_CUR)
      return STG_E_INVALIDFUNCTION;
    at_ = std::min<size_t>(data_.size(), at_ + (size_t)move.QuadPart);
    if (position)
      position->QuadPart = at_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
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
  HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

private:
  // The free-threaded marshaler, made on first need (the object is whole
  // by then), aggregated: its IMarshal counts on this object.
  bool marshal() {
    if (!marshaler_ &&
        SUCCEEDED(CoCreateFreeThreadedMarshaler(static_cast<IStream*>(this), &marshaler_))) {
      if (SUCCEEDED(marshaler_->QueryInterface(IID_IMarshal, (void**)&marshal_)))
        ComObjectImpl::Release(); // the reference that query took, on this object
    }
    return marshal_ != nullptr;
  }

  std::string data_;
  size_t at_ = 0;
  IUnknown* marshaler_ = nullptr;
  IMarshal* marshal_ = nullptr;
};

typedef com::ComObject<TestIStream> TestStream;

// Count 1, the caller's.
inline TestStream* newTestIStream(const std::string& data) {
  return new TestStream(data);
}

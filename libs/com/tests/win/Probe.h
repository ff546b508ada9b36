// A COM object for the tests: an IEnumString (an interface that COM can
// marshal between apartments) whose Next answers the id of the thread it
// runs on, and which records where and how often it is destroyed.
#pragma once

#include "com/win/ComObject.h"

#include <atomic>
#include <cwchar>

struct ProbeRecord {
  std::atomic<int> destroyed{0};
  std::atomic<DWORD> destroyThread{0};
  HANDLE gone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ~ProbeRecord() { CloseHandle(gone); }
};

// {6A1D6E1C-36B4-4C39-9A2E-5B0F7E0C2A11}: an interface nobody registered
// a proxy for.
static const IID IID_IUnmarshallable = {
    0x6a1d6e1c, 0x36b4, 0x4c39, {0x9a, 0x2e, 0x5b, 0x0f, 0x7e, 0x0c, 0x2a, 0x11}};

class Probe : public com::ComObjectImpl, public IEnumString {
public:
  explicit Probe(ProbeRecord* record) : record_(record) {}
  ~Probe() override {
    record_->destroyThread = GetCurrentThreadId();
    record_->destroyed++;
    SetEvent(record_->gone);
  }

  void getInterfaces(com::InterfaceList* list) override {
    IUnknown* self = static_cast<IEnumString*>(this);
    list->push_back({IID_IUnknown, self});
    list->push_back({IID_IEnumString, self});
    list->push_back({IID_IUnmarshallable, self});
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, LPOLESTR* out, ULONG* fetched) override {
    if (count < 1)
      return S_FALSE;
    out[0] = (LPOLESTR)CoTaskMemAlloc(16 * sizeof(wchar_t));
    swprintf(out[0], 16, L"%lu", GetCurrentThreadId());
    if (fetched)
      *fetched = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Reset() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Clone(IEnumString**) override { return E_NOTIMPL; }

private:
  ProbeRecord* record_;
};

// Reads a stream the way another program's paste does: in another
// apartment (the multithreaded one), through a proxy.
#pragma once

#include "testing/ReturnsWithin.h"

#include <gtest/gtest.h>

#include <objidl.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace ferrin_test {

// Reads a stream in another apartment (the multithreaded one) through a
// proxy, chunk by chunk, until the end of the file, a failure, or stopAfter
// bytes; then releases it. A reader that does not end is waited for with a
// limit (testing_support::CallInThread) and then left to its thread.
class RemoteReader {
  struct State {
    std::atomic<bool> done{false};
    std::string data;
    HRESULT last = E_PENDING;
    int reads = 0;
  };
  std::shared_ptr<State> state;

public:
  // Takes over the caller's reference to the proxy, which must be for this
  // thread's apartment.
  RemoteReader(IUnknown* proxy, ULONG chunk, size_t stopAfter = SIZE_MAX)
      : state(std::make_shared<State>()), done(state->done), data(state->data),
        last(state->last), reads(state->reads) {
    IStream* marshalled = nullptr;
    HRESULT hr = CoMarshalInterThreadInterfaceInStream(IID_IStream, proxy, &marshalled);
    proxy->Release();
    if (FAILED(hr)) {
      ADD_FAILURE() << "CoMarshalInterThreadInterfaceInStream " << std::hex << hr;
      done = true;
      return;
    }
    std::shared_ptr<State> shared = state;
    thread.reset(new testing_support::CallInThread(
        [shared, marshalled, chunk, stopAfter] { run(shared.get(), marshalled, chunk, stopAfter); }));
  }

  // Read once done is set.
  std::atomic<bool>& done;
  std::string& data;
  HRESULT& last;
  int& reads;

private:
  static void run(State* state, IStream* marshalled, ULONG chunk, size_t stopAfter) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IStream* stream = nullptr;
    state->last = CoGetInterfaceAndReleaseStream(marshalled, IID_IStream, (void**)&stream);
    if (SUCCEEDED(state->last)) {
      std::string buffer(chunk, '\0');
      do {
        ULONG n = 0;
        state->last = stream->Read(&buffer[0], chunk, &n);
        state->reads++;
        state->data.append(buffer.data(), n);
      } while (state->last == S_OK && state->data.size() < stopAfter);
      stream->Release();
    }
    CoUninitialize();
    state->done = true;
  }

  // Last, so destroyed first: waits for the reader.
  std::unique_ptr<testing_support::CallInThread> thread;
};

} // namespace ferrin_test

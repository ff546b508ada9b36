// Reads a stream the way another program's paste does: in another
// apartment (the multithreaded one), through a proxy.
#pragma once

#include <gtest/gtest.h>

#include <objidl.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace ferrin_test {

// Reads a stream in another apartment (the multithreaded one) through a
// proxy, chunk by chunk, until the end of the file, a failure, or stopAfter
// bytes; then releases it.
class RemoteReader {
public:
  // Takes over the caller's reference to the proxy.
  RemoteReader(IUnknown* proxy, ULONG chunk, size_t stopAfter = SIZE_MAX) {
    IStream* marshalled = nullptr;
    HRESULT hr = CoMarshalInterThreadInterfaceInStream(IID_IStream, proxy, &marshalled);
    proxy->Release();
    if (FAILED(hr)) {
      ADD_FAILURE() << "CoMarshalInterThreadInterfaceInStream " << std::hex << hr;
      done = true;
      return;
    }
    thread = std::thread([=] { run(marshalled, chunk, stopAfter); });
  }
  ~RemoteReader() {
    if (thread.joinable())
      thread.join();
  }

  std::atomic<bool> done{false};
  std::string data;
  HRESULT last = E_PENDING;
  int reads = 0;

private:
  void run(IStream* marshalled, ULONG chunk, size_t stopAfter) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IStream* stream = nullptr;
    last = CoGetInterfaceAndReleaseStream(marshalled, IID_IStream, (void**)&stream);
    if (SUCCEEDED(last)) {
      std::string buffer(chunk, '\0');
      do {
        ULONG n = 0;
        last = stream->Read(&buffer[0], chunk, &n);
        reads++;
        data.append(buffer.data(), n);
      } while (last == S_OK && data.size() < stopAfter);
      stream->Release();
    }
    CoUninitialize();
    done = true;
  }

  std::thread thread;
};

} // namespace ferrin_test

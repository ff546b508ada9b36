#include "ferrin/upload/win/ThreadedOleInStream.h"

#include "ferrin/upload/win/OleInStream.h"
#include "plat/LogWriter.h"

#include <ole2.h>

#include <memory>

namespace ft {

ThreadedOleInStream::ThreadedOleInStream(IStream* stream, Handler* handler)
    : ThreadedInStream(nullptr, handler), marshalled(nullptr),
      stopped(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (!stopped)
    throw plat::SystemException("CreateEvent", (int)GetLastError());
  HRESULT hr = CoMarshalInterThreadInterfaceInStream(IID_IStream, stream, &marshalled);
  if (FAILED(hr))
    throw plat::SystemException("CoMarshalInterThreadInterfaceInStream", (int)hr);
}

ThreadedOleInStream::~ThreadedOleInStream() {
  requestStop();
  if (getState() == Running) {
    HANDLE wait = stopped;
    DWORD index;
    if (FAILED(CoWaitForMultipleHandles(0, INFINITE, 1, &wait, &index)))
      WaitForSingleObject(wait, INFINITE); // no COM here: nothing to serve
  }
  stopThread();
  if (marshalled) { // the thread never took it
    CoReleaseMarshalData(marshalled);
    marshalled->Release();
  }
}

void ThreadedOleInStream::run() {
  HRESULT hr = OleInitialize(nullptr);
  if (FAILED(hr))
    threadedInStreamLog.error("OleInitialize failed: %lx", (unsigned long)hr);
  IStream* stream = nullptr;
  IStream* taken = marshalled;
  marshalled = nullptr;
  // Whatever fails here fails the stream; OLE is left and the consumer
  // told that COM is done with on every way out.
  try {
    HRESULT got = CoGetInterfaceAndReleaseStream(taken, IID_IStream, (void**)&stream);
    if (FAILED(got))
      throw plat::SystemException("CoGetInterfaceAndReleaseStream", (int)got);
    std::unique_ptr<OleInStream> reader;
    try {
      reader.reset(new OleInStream(stream));
    } catch (...) {
      stream->Release();
      throw;
    }
    stream->Release();
    source = reader.get();
    readAhead();
    source = nullptr;
  } catch (...) {
    failWithCaught();
  }
  if (SUCCEEDED(hr))
    OleUninitialize();
  SetEvent(stopped);
}

} // namespace ft

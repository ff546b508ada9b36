#include "ferrin/upload/win/ThreadedOleInStream.h"

#include "ferrin/upload/win/OleInStream.h"
#include "plat/LogWriter.h"

#include <ole2.h>

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
  HRESULT got = CoGetInterfaceAndReleaseStream(taken, IID_IStream, (void**)&stream);
  if (FAILED(got)) {
    plat::SystemException e("CoGetInterfaceAndReleaseStream", (int)got);
    threadedInStreamLog.error("%s", e.str());
    fail(e.str());
  } else {
    source = new OleInStream(stream);
    stream->Release();
    readAhead();
    delete source;
    source = nullptr;
  }
  if (SUCCEEDED(hr))
    OleUninitialize();
  SetEvent(stopped);
}

} // namespace ft

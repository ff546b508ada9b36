// A threaded read-ahead over a COM IStream: the stream is marshalled to the
// reading thread, which joins OLE, reads it there through an OleInStream
// and releases it there before leaving OLE.
//
// When the stream's object lives in the consumer's apartment, every call
// the reading thread makes (Read, the final Release) runs on the consumer's
// thread. So the consumer waits for the reading thread with a wait that
// still serves COM calls: a plain join would wait for a thread that waits
// for it.
#pragma once

#include "ferrin/upload/win/ThreadedInStream.h"

#include <objidl.h>

namespace ft {

class ThreadedOleInStream : public ThreadedInStream {
public:
  // Does not take over the caller's reference. Throws
  // plat::SystemException "CoMarshalInterThreadInterfaceInStream".
  ThreadedOleInStream(IStream* stream, Handler* handler);
  ~ThreadedOleInStream() override;

protected:
  void run() override;

private:
  IStream* marshalled; // until the reading thread takes it
  // Set when the reading thread is done with COM.
  plat::Handle stopped;
};

} // namespace ft

// Reads a local file with overlapped I/O on the main thread, which never
// waits for the disk: a read that cannot complete at once is left pending,
// the consumer hears "would block", and the read's event (served by the
// thread's event manager as "Overlapped") fills the window and lets the
// upload go on. At most one read is pending; file positions are 64-bit.
// The next read starts as soon as three quarters of the buffer are free,
// so that its bytes are there, or on their way, when the consumer runs dry.
#pragma once

#include "plat/String.h"
#include "plat/win/EventManager.h"
#include "rdr/InStream.h"

#include <windows.h>

namespace ft {

class OverlappedInStream : public rdr::InStream, public plat::EventHandler {
public:
  // What the stream's owner does for it: resume the upload, and in the end
  // close the file.
  class Completion {
  public:
    virtual ~Completion() {}
    // Data, the end or a failure is there. Called on the stream's thread.
    virtual void wake() = 0;
    // Closes the file handle and deletes the completion.
    virtual void release() = 0;
  };

  enum { BufferSize = 262144 };

  // file was opened for overlapped reading; the completion owns it and is
  // taken over, also when construction fails. Reading starts at offset.
  OverlappedInStream(HANDLE file, Completion* completion, uint64_t offset);
  // Cancels a pending read and waits until the system has let go of the
  // buffer before freeing it.
  ~OverlappedInStream() override;

  int pos() override;
  // Also starts the next read once three quarters of the buffer are free.
  void checkpoint() override;
  void processEvent(HANDLE event) override;

protected:
  // Data in the window: true. Otherwise issues a read (throws
  // plat::SystemException "ReadFile" when it fails at once) and answers
  // whether it completed; at the end rdr::EndOfStream; after a read that
  // failed later, that failure.
  bool overrun(int itemSize) override;

private:
  void issueRead();
  // Registers the event with the thread's event manager while a read is
  // pending, so that a read that completes at once costs no reset of it.
  void watch();
  void unwatch();
  // Moves the bytes from the checkpoint on to the front (no read pending).
  void compact();
  void advance(DWORD bytes);

  HANDLE file;
  Completion* completion;
  OVERLAPPED overlapped; // Offset/OffsetHigh: the file position of the next read
  bool pending;
  bool watched;
  bool atEnd;
  plat::String failure;
  uint8_t* buffer;
  int64_t offset;  // stream position of buffer[0]
  DWORD requested; // bytes the last read asked for
};

} // namespace ft

// Writes messages of any length through the ordinary OutStream operations
// and cuts them into frames behind the writer's back. The window lies inside
// the underlying stream's buffer, headerSize bytes after its ptr, where the
// frame's header goes once the frame is complete: payload is never copied.
// The header format is the subclass's.
#pragma once

#include "rdr/OutStream.h"

namespace rdr {

class FramedOutStream : public OutStream {
public:
  ~FramedOutStream() override;

  void startMsg();
  // Ends the message with its last frame; with flush, pushes it out.
  void endMsg(bool flush = true);

  int length() override;
  // Ends the current frame, flushes the underlying stream and goes on with
  // the message in a new frame.
  void flush() override;
  int avail() override;
  int overrun(int itemSize, int nItems) override;
  // Between messages only: the underlying stream's.
  void flushWhole() override;
  void flushHeld() override;

protected:
  FramedOutStream(OutStream* underlying, int maxPayload, int headerSize);
  // Writes exactly headerSize bytes at ptr.
  virtual void writeFrameHdr(int length, bool lastFrame, bool firstFrame) = 0;

private:
  // Opens a frame, with at least reserve bytes of room in the underlying
  // stream.
  void startFrame(int reserve);
  void endFrame(bool lastFrame);

  int maxPayload;
  int headerSize;
  bool inFrame;
  bool firstFrame;
  OutStream* underlying;
};

} // namespace rdr

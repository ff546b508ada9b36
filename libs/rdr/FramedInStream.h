// Presents the payload of one framed message as an ordinary InStream. The
// window is a view of the underlying stream's window, cut at the end of the
// current frame; frame headers are read behind the reader's back. The reader
// can tell where a message ends, skip what it did not read, and restart a
// message that arrived only in part: a checkpoint covers the framing state
// as well as the underlying stream's place.
#pragma once

#include "rdr/InStream.h"

namespace rdr {

class FramedInStream : public InStream {
public:
  int pos() override;
  void checkpoint() override;
  void rewind() override;

  // Reads the first frame header; nothing when a message is already open.
  void startMsg();
  // True when the last frame is consumed. Waits (BlockException) for the
  // next header when the current frame is done and it has not arrived.
  bool atEndOfMsg();
  // Discards the rest of the message.
  void skipMsg();
  // Closes the message; FrameException when payload is left.
  void endMsg();
  bool inMsg() const { return inMsg_; }

protected:
  // The underlying stream is not owned.
  explicit FramedInStream(InStream* underlying);
  bool overrun(int itemSize) override;
  virtual void readFrameHdr(int* frameSize, bool* lastFrame, bool firstFrame) = 0;

  InStream* underlying;

private:
  // Where the window was cut: the underlying ptr at that time.
  const uint8_t* base;
  // Hands what the reader consumed back to the underlying stream and cuts
  // the window anew.
  void sync();
  // Makes the window a view of the underlying window within the frame.
  void window();
  // Moves on past exhausted frames that are not the last.
  bool nextFrame(bool wait);

  bool inMsg_;
  bool lastFrame;
  bool savedLastFrame;
  int frameSize;
  int savedFrameSize;
  int64_t consumed;
  int64_t savedConsumed;
};

} // namespace rdr

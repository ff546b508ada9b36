#include "rdr/FramedInStream.h"

#include "plat/Assert.h"
#include "rdr/Exception.h"

namespace rdr {

FramedInStream::FramedInStream(InStream* underlying_)
    : underlying(underlying_), base(nullptr), inMsg_(false), lastFrame(false), savedLastFrame(false),
      frameSize(0), savedFrameSize(0), consumed(0), savedConsumed(0) {
  window();
}

void FramedInStream::sync() {
  if (!underlying)
    return;
  // Relative to where the window was cut, not to the underlying ptr: the
  // owner of the connection may have refilled the underlying stream in the
  // meantime, and a refill may move its buffer.
  ptrdiff_t moved = ptr - base;
  frameSize -= (int)moved;
  PLAT_ASSERT(frameSize >= 0);
  consumed += moved;
  underlying->setptr(underlying->getptr() + moved);
  window();
}

void FramedInStream::window() {
  if (!underlying) {
    ptr = end = base = nullptr;
    return;
  }
  ptr = base = underlying->getptr();
  end = underlying->getend();
  if (end - ptr > frameSize)
    end = ptr + frameSize;
  PLAT_ASSERT(end >= ptr);
}

int FramedInStream::pos() {
  return wrapPos(consumed + (ptr - base));
}

void FramedInStream::startMsg() {
  if (inMsg_)
    return;
  PLAT_ASSERT(underlying);
  readFrameHdr(&frameSize, &lastFrame, true);
  window();
  inMsg_ = true;
  checkpoint();
}

bool FramedInStream::nextFrame(bool wait) {
  sync();
  while (!lastFrame && frameSize == 0) {
    if (underlying->avail() > 0 || underlying->check(wait, 1))
      readFrameHdr(&frameSize, &lastFrame, false);
    else
      return false;
  }
  window();
  return true;
}

bool FramedInStream::overrun(int itemSize) {
  PLAT_ASSERT(inMsg_);
  sync();
  if (frameSize < itemSize) {
    // The item runs into the next frame or past the end of the message.
    if (ptr != end)
      return true; // the caller copies piecewise
    if (!nextFrame(false))
      return false;
    if (frameSize == 0)
      throw EndOfMsg();
    if (underlying->avail() > 0 || underlying->check(false, 1)) {
      window();
      return true;
    }
    return false;
  }
  if (underlying->avail() < itemSize && !underlying->check(false, itemSize))
    return false;
  window();
  return true;
}

void FramedInStream::checkpoint() {
  if (!inMsg_)
    return;
  sync();
  underlying->checkpoint();
  checkpointAt = ptr;
  checkpointPos = pos();
  savedLastFrame = lastFrame;
  savedFrameSize = frameSize;
  savedConsumed = consumed;
}

void FramedInStream::rewind() {
  if (!inMsg_)
    return;
  underlying->rewind();
  lastFrame = savedLastFrame;
  frameSize = savedFrameSize;
  consumed = savedConsumed;
  window();
}

bool FramedInStream::atEndOfMsg() {
  PLAT_ASSERT(inMsg_);
  try {
    nextFrame(true);
  } catch (BlockException&) {
    rewind();
    throw;
  }
  return frameSize == 0;
}

void FramedInStream::skipMsg() {
  while (!atEndOfMsg()) {
    if (ptr == end)
      check(true, 1);
    int n = frameSize < end - ptr ? frameSize : (int)(end - ptr);
    ptr += n;
    checkpoint();
  }
}

void FramedInStream::endMsg() {
  if (!atEndOfMsg())
    throw FrameException("FramedInStream::endMsg: data left in msg");
  checkpoint();
  inMsg_ = false;
}

} // namespace rdr

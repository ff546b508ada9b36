#include "rdr/FramedOutStream.h"

#include "rdr/Exception.h"

#include <cstdio>

namespace rdr {

FramedOutStream::FramedOutStream(OutStream* underlying_, int maxPayload_, int headerSize_)
    : maxPayload(maxPayload_), headerSize(headerSize_), inFrame(false), firstFrame(true),
      underlying(underlying_) {
  ptr = end = underlying->getptr();
}

FramedOutStream::~FramedOutStream() {
  if (inFrame)
    fprintf(stderr, "~FramedOutStream: unfinished frame?\n");
}

void FramedOutStream::startFrame(int reserve) {
  if (inFrame)
    throw FrameException("FramedOutStream::startFrame: unfinished frame");
  if (underlying->getend() - underlying->getptr() < reserve)
    underlying->overrun(reserve, 1);
  ptr = underlying->getptr() + headerSize;
  end = underlying->getend();
  if (end - ptr > maxPayload)
    end = ptr + maxPayload;
  inFrame = true;
}

void FramedOutStream::endFrame(bool lastFrame) {
  if (!inFrame)
    throw FrameException("FramedOutStream::endFrame: not in frame");
  uint8_t* payloadEnd = ptr;
  int length = (int)(payloadEnd - underlying->getptr() - headerSize);
  ptr = underlying->getptr();
  writeFrameHdr(length, lastFrame, firstFrame);
  if (ptr != underlying->getptr() + headerSize)
    throw FrameException("FramedOutStream::endFrame: writeFrameHdr error");
  underlying->setptr(payloadEnd);
  firstFrame = false;
  inFrame = false;
  ptr = end = underlying->getptr();
}

void FramedOutStream::startMsg() {
  firstFrame = true;
  startFrame(headerSize + 1);
}

void FramedOutStream::endMsg(bool flush) {
  if (!inFrame)
    throw FrameException("FramedOutStream::endMsg: not in frame");
  endFrame(true);
  if (flush)
    underlying->flush();
  ptr = end = underlying->getptr();
}

int FramedOutStream::length() {
  // Outside a frame the underlying stream may have moved its buffer.
  if (!inFrame)
    return underlying->length();
  return underlying->length() + (int)(ptr - underlying->getptr());
}

void FramedOutStream::flush() {
  endFrame(false);
  underlying->flush();
  startFrame(headerSize + 1);
}

void FramedOutStream::flushWhole() {
  if (inFrame)
    throw FrameException("FramedOutStream::flushWhole: unfinished frame");
  underlying->flushWhole();
  ptr = end = underlying->getptr();
}

void FramedOutStream::flushHeld() {
  if (inFrame)
    throw FrameException("FramedOutStream::flushHeld: unfinished frame");
  underlying->flushHeld();
  ptr = end = underlying->getptr();
}

int FramedOutStream::avail() {
  int room = underlying->avail() - headerSize;
  return room > 0 ? room : 0;
}

int FramedOutStream::overrun(int itemSize, int nItems) {
  endFrame(false);
  startFrame(itemSize + headerSize);
  int64_t fit = (end - ptr) / itemSize;
  return fit < nItems ? (int)fit : nItems;
}

} // namespace rdr

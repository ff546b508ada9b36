// A buffered input stream whose bytes arrive only when the test releases
// them: until then readData answers "would block", as a socket with nothing
// to read does. maxChunk limits what one readData call delivers, so that
// refills happen at chosen places.
#pragma once

#include "rdr/BufferedInStream.h"

#include <cstring>
#include <vector>

namespace testing_support {

class ScriptedInStream : public rdr::BufferedInStream {
public:
  explicit ScriptedInStream(int bufferSize = 0) : rdr::BufferedInStream(bufferSize) {}

  // Queues bytes; with release, makes them readable at once.
  void append(const void* data, size_t length, bool release = true) {
    const uint8_t* bytes = (const uint8_t*)data;
    queued.insert(queued.end(), bytes, bytes + length);
    if (release)
      released = queued.size();
  }
  void release(size_t n) {
    released = released + n < queued.size() ? released + n : queued.size();
  }
  void releaseAll() { released = queued.size(); }
  size_t unreleased() const { return queued.size() - released; }
  size_t undelivered() const { return released - delivered; }
  void setMaxChunk(int n) { maxChunk = n; }
  int readCalls() const { return calls; }

protected:
  int readData(uint8_t* buffer, int length) override {
    calls++;
    size_t n = released - delivered;
    if (n > (size_t)length)
      n = length;
    if (maxChunk > 0 && n > (size_t)maxChunk)
      n = maxChunk;
    if (n)
      memcpy(buffer, queued.data() + delivered, n);
    delivered += n;
    return (int)n;
  }

private:
  std::vector<uint8_t> queued;
  size_t released = 0;
  size_t delivered = 0;
  int maxChunk = 0;
  int calls = 0;
};

} // namespace testing_support

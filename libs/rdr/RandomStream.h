// An input stream of bytes from the operating system's random generator;
// the salts of protected strings are read from one. Its buffer holds eight
// bytes: a reader that wants more takes a checkpoint between reads.
#pragma once

#include "rdr/BufferedInStream.h"
#include "rdr/RandomSource.h"

namespace rdr {

class RandomStream : public BufferedInStream {
public:
  // Throws plat::SystemException when the system has no random generator.
  RandomStream();

protected:
  int readData(uint8_t* buffer, int length) override;

private:
  RandomSource source_;
};

} // namespace rdr

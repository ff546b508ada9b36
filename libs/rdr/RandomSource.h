// The operating system's cryptographic random generator, the seam behind
// RandomStream: CryptoAPI on Windows, /dev/urandom in the native build.
// There is no weaker fall-back: salts from a guessable generator would
// protect nothing, so a missing source is an error.
#pragma once

#include <cstdint>

namespace rdr {

class RandomSource {
public:
  // Throws plat::SystemException when the system's generator cannot be had.
  RandomSource();
  RandomSource(const RandomSource&) = delete;
  RandomSource& operator=(const RandomSource&) = delete;
  ~RandomSource();

  // Fills length bytes; throws plat::SystemException on failure.
  void fill(uint8_t* buffer, int length);

private:
  uintptr_t handle_; // the CryptoAPI provider, or a file descriptor
};

} // namespace rdr

// What a file or folder is on its volume, whatever path reached it: the
// volume's serial number and the file's id there.
//
// An id tells less than it seems. Hard links of one file share it. Where
// the system gives only the older 64-bit index, different files may share
// one too (ReFS, Dev Drive volumes among them, keeps its unique ids in 128
// bits), and a server may answer 0 or all ones for "no id". Such an id is
// unknown, and unknown is never the same as anything: a caller that needs
// to know whether two names lead to one folder gets "no" rather than lose
// a folder.
#pragma once

#include <cstdint>
#include <tuple>

namespace ft {

struct FileIdentity {
  uint64_t volume = 0;
  uint64_t low = 0;
  uint64_t high = 0;

  // From a 128-bit id (its two halves) or a 64-bit index.
  static FileIdentity fromId(uint64_t volume, uint64_t low, uint64_t high) {
    FileIdentity identity;
    identity.volume = volume;
    identity.low = low;
    identity.high = high;
    return identity;
  }
  static FileIdentity fromIndex(uint64_t volume, uint64_t index) {
    return fromId(volume, index, 0);
  }

  // Not 0, not all ones (in 128 bits, or the 64 of an index).
  bool known() const {
    return (low || high) && !(low == ~0ULL && (high == 0 || high == ~0ULL));
  }
  // Both known, and the same file.
  bool sameAs(const FileIdentity& other) const {
    return known() && other.known() && !(*this < other) && !(other < *this);
  }
  // An order for sets of known identities.
  bool operator<(const FileIdentity& other) const {
    return std::tie(volume, high, low) < std::tie(other.volume, other.high, other.low);
  }
};

// The identity of the file or folder at the path (a link itself, not what
// it leads to): the 128-bit id where the system and the volume give one,
// the 64-bit index otherwise; unknown when it cannot be looked at.
FileIdentity fileIdentity(const wchar_t* path);

} // namespace ft

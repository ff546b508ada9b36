// One file transfer on the wire: the offering side's share id and a number
// chosen by the requesting side, echoed in every message about the transfer.
#pragma once

#include <cstdint>

namespace rdr {
class InStream;
class OutStream;
} // namespace rdr

namespace ft {

struct FileId {
  FileId() : shareId(0), fileNumber(0) {}
  FileId(uint32_t share, uint32_t number) : shareId(share), fileNumber(number) {}

  void read(rdr::InStream& in);
  void write(rdr::OutStream& out) const;

  bool operator<(const FileId& other) const {
    return shareId != other.shareId ? shareId < other.shareId : fileNumber < other.fileNumber;
  }
  bool operator==(const FileId& other) const {
    return shareId == other.shareId && fileNumber == other.fileNumber;
  }

  uint32_t shareId;
  uint32_t fileNumber;
};

} // namespace ft

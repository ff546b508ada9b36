#include "ft/FileId.h"

#include "rdr/InStream.h"
#include "rdr/OutStream.h"

namespace ft {

void FileId::read(rdr::InStream& in) {
  shareId = in.readU32();
  fileNumber = in.readU32();
}

void FileId::write(rdr::OutStream& out) const {
  out.writeU32(shareId);
  out.writeU32(fileNumber);
}

} // namespace ft

// The U32 that opens every file-transfer message.
#pragma once

namespace ft {

enum PduType {
  ShareCtrl = 1,
  ReqShare = 2,
  ShareData = 3,
  ReqFile = 4,
  UpdateByteLimit = 5,
  FileData = 6,
  FileError = 7,
  AbortFile = 8,
  ReleaseShare = 9,
  CompressedFileData = 10,
};

// The cap on every string a peer sends; longer is a protocol error, so
// writers never send longer either.
enum { MaxStringLength = 1024 };

} // namespace ft

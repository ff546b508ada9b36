// The clipboard formats that carry files between ferrin and other programs,
// each registered on first use and kept for the process. A registration
// that fails is logged and gives 0; the next use tries again.
#pragma once

#include <objidl.h>
#include <windows.h>

#include <cstdint>

namespace ft {

// "Shell IDList Array": a folder and items in it, as copied by the shell.
CLIPFORMAT shellIdListFormat();
// "FileContents": the data of one virtual file, by index.
CLIPFORMAT fileContentsFormat();
// "FileGroupDescriptor" (ANSI names) and "FileGroupDescriptorW".
CLIPFORMAT fileGroupDescriptorFormat();
CLIPFORMAT fileGroupDescriptorWFormat();
// "KIVFileTransfer": which ferrin process put the clipboard's contents,
// and for which remote share (0 while the share is still being listed).
CLIPFORMAT privateFormat();

struct PrivateRecord {
  uint32_t processId;
  uint32_t shareId;
};

// A moveable block holding {this process, shareId}; throws
// plat::SystemException "GlobalAlloc" or "GlobalLock".
HGLOBAL newPrivateRecord(uint32_t shareId);
// Whether the data object carries the private format, and its record then.
// Throws plat::SystemException "GlobalLock" when the block cannot be read.
bool readPrivateRecord(IDataObject* data, PrivateRecord* record);

} // namespace ft

#pragma once

#include "plat/ConfigParameter.h"

namespace ft {

extern plat::BoolParameter prioritiseFileTransfer;
extern plat::StringParameter fetchDir;
extern plat::IntParameter ftConcurrency;
extern plat::IntParameter fileTransferBias;
extern plat::BoolParameter ftCompress;
extern plat::IntParameter fileTransferLWM;
extern plat::IntParameter fileTransferBufferSize;

// The values in force, held to what works: files of one share downloaded at
// once (1 to 64), and the bytes a download sink buffers (4 KiB to 64 MiB;
// nothing at all would stall every download, too much exhausts memory).
int downloadConcurrency();
int fileTransferBufferBytes();

} // namespace ft

#include "ft/Parameters.h"

namespace ft {

using plat::ConfigParameter;

plat::BoolParameter prioritiseFileTransfer("PrioritiseFileTransfer",
                                           "Prioritise file transfer over other network traffic",
                                           false, ConfigParameter::Advanced);
plat::StringParameter fetchDir("FetchDir", "Directory to which to save fetched files.", "", 0);
plat::IntParameter ftConcurrency("ftConcurrency",
                                 "The number of concurrent downloads within a single share.", 8, 0,
                                 nullptr, 1, 2147483647);
plat::IntParameter fileTransferBias(
    "FileTransferBias", "The approximate percentage of bandwidth to use for file transfers (0-95)",
    25, ConfigParameter::Advanced);
plat::BoolParameter ftCompress("FtCompress", "Compress file transfer for uncompressed file types.",
                               true, 0);
plat::IntParameter fileTransferLWM("FileTransferLWM",
                                   "Number of outstanding bytes before renewing a download, or -1 "
                                   "to disable renewal suppression.",
                                   -1, ConfigParameter::Advanced);
plat::IntParameter fileTransferBufferSize("FileTransferBufferSize",
                                          "The size of the internal file transfer buffer", 262144,
                                          ConfigParameter::Advanced);

namespace {

int clamp(int value, int low, int high) {
  return value < low ? low : value > high ? high : value;
}

} // namespace

int downloadConcurrency() {
  return clamp(ftConcurrency, 1, 64);
}

int fileTransferBufferBytes() {
  return clamp(fileTransferBufferSize, 4096, 64 << 20);
}

} // namespace ft

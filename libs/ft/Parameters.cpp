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

} // namespace ft

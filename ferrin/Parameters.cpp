#include "ferrin/Parameters.h"

namespace ferrin {

using plat::ConfigParameter;

plat::BoolParameter multiThreadedIStreams("MultiThreadedIStreams",
                                          "Read from IStreams in a separate thread (recommended)",
                                          true, ConfigParameter::Advanced);
plat::IntParameter fileTransferYieldThreshold(
    "FileTransferYieldThreshold",
    "The percentage buffer space that must be used before explicitly yielding to the OLE thread.",
    85, ConfigParameter::Advanced, nullptr, 0, 100);

} // namespace ferrin

#pragma once

#include "plat/ConfigParameter.h"

namespace ferrin {

extern plat::BoolParameter multiThreadedIStreams;
extern plat::IntParameter fileTransferYieldThreshold;
extern plat::IntParameter fileTransferBufferSize;

} // namespace ferrin

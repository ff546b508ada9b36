#pragma once

#include "plat/ConfigParameter.h"

namespace ferrin {

extern plat::BoolParameter multiThreadedIStreams;
extern plat::IntParameter fileTransferYieldThreshold;

} // namespace ferrin

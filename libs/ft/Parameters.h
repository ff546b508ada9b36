#pragma once

#include "plat/ConfigParameter.h"

namespace ft {

extern plat::BoolParameter prioritiseFileTransfer;
extern plat::StringParameter fetchDir;
extern plat::IntParameter ftConcurrency;
extern plat::IntParameter fileTransferBias;
extern plat::BoolParameter ftCompress;
extern plat::IntParameter fileTransferLWM;

} // namespace ft

// Winsock start-up, once per process, before the first socket call.
#pragma once

namespace io {

// Starts Winsock 2.0 the first time it is called; later calls return at
// once. Throws plat::SystemException "unable to initialise Winsock2".
void initWinsock();

} // namespace io

#include "io/win/WinsockInit.h"

#include "plat/Exception.h"
#include "plat/Mutex.h"

#include <winsock2.h>

namespace io {

namespace {

plat::Mutex& startupLock() {
  static plat::Mutex lock;
  return lock;
}

bool started = false;

} // namespace

void initWinsock() {
  plat::Lock hold(startupLock());
  if (started)
    return;
  WSADATA data;
  int err = WSAStartup(MAKEWORD(2, 0), &data);
  if (err != 0)
    throw plat::SystemException("unable to initialise Winsock2", err);
  started = true;
}

} // namespace io

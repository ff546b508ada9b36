// The address book's settings for the master password.
#pragma once

#include "plat/ConfigParameter.h"

namespace addrbook {

// Seconds a typed master password is kept.
extern plat::IntParameter passwordExpiry;
// The verifier: encryptString(password, password), empty until a master
// password has been chosen.
extern plat::StringParameter masterPassword;
// Off: the master password is asked for at every use.
extern plat::BoolParameter rememberPassword;

} // namespace addrbook

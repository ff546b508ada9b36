#include "ledrow/passwords/Parameters.h"

namespace addrbook {

plat::IntParameter passwordExpiry(
    "PasswordExpiry",
    "Length of time, in seconds, for which the master password will be cached.", 3600, 0);
plat::StringParameter masterPassword("MasterPassword", "The master password (encrypted).", "",
                                     plat::ConfigParameter::Advanced);
plat::BoolParameter rememberPassword("RememberPassword",
                                     "A flag which governs expiry of the master password", true, 0);

} // namespace addrbook

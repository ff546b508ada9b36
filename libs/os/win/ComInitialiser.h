// COM for the calling thread for the life of the object.
#pragma once

namespace os {

class ComInitialiser {
public:
  // A thread that already has COM is accepted. Throws
  // plat::SystemException "CoInitialize".
  ComInitialiser();
  ComInitialiser(const ComInitialiser&) = delete;
  ComInitialiser& operator=(const ComInitialiser&) = delete;
  ~ComInitialiser();
};

} // namespace os

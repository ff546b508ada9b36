// OLE for the calling thread (a single-threaded apartment) for the life of
// the object, and the process's COM security.
#pragma once

namespace os {

class OleInitialiser {
public:
  // A thread that already has OLE is accepted (and logged).
  OleInitialiser();
  OleInitialiser(const OleInitialiser&) = delete;
  OleInitialiser& operator=(const OleInitialiser&) = delete;
  ~OleInitialiser();
};

// Process-wide COM security: identify-level impersonation, default
// authentication. A second call, or a system without the function, is
// logged and accepted.
void initComSecurity();

} // namespace os

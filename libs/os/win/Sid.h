// An owned copy of a security identifier.
#pragma once

#include <windows.h>

#include <memory>

namespace os {

class Sid {
public:
  Sid() {}
  // A null sid stays none; an invalid one throws "bad SID".
  explicit Sid(PSID sid);
  Sid(const Sid& other);
  Sid& operator=(const Sid& other);
  Sid(Sid&&) = default;
  Sid& operator=(Sid&&) = default;

  // The local system account.
  static Sid SYSTEM();
  // The user of a token; none where the system does not implement it.
  static Sid tokenUser(HANDLE token);

  PSID get() const { return data_.get(); }
  bool isNone() const { return !data_; }
  bool operator==(const Sid& other) const;

private:
  void copyFrom(PSID sid);

  std::unique_ptr<BYTE[]> data_;
};

} // namespace os

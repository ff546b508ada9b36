// Device contexts that release themselves.
#pragma once

#include <windows.h>

namespace os {

class DeviceContext {
public:
  DeviceContext(const DeviceContext&) = delete;
  DeviceContext& operator=(const DeviceContext&) = delete;
  virtual ~DeviceContext() {}
  HDC handle() const { return dc_; }
  operator HDC() const { return dc_; }

protected:
  DeviceContext() : dc_(nullptr) {}
  HDC dc_;
};

// The client-area device context of a window, for as long as the object
// lives.
class WindowDC : public DeviceContext {
public:
  // Throws plat::SystemException "GetDC failed".
  explicit WindowDC(HWND window);
  ~WindowDC() override;

private:
  HWND window_;
};

} // namespace os

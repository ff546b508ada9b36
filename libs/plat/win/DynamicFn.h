// A system function bound at run time by module and name, so that the
// programs start on Windows versions that lack it. Callers test isValid()
// and fall back.
#pragma once

#include <windows.h>

namespace plat {

class DynamicFn {
public:
  // modules and functions are comma-separated lists; the first function
  // found in the first module that has one is kept. Unless asGiven is set,
  // a module name without a backslash is loaded as "<name>.dll" from the
  // system directory.
  DynamicFn(const char* modules, const char* functions, bool asGiven = false);
  DynamicFn(const DynamicFn&) = delete;
  DynamicFn& operator=(const DynamicFn&) = delete;
  ~DynamicFn();

  bool isValid() const { return fn_ != nullptr; }
  FARPROC address() const { return fn_; }

private:
  FARPROC fn_;
  HMODULE module_;
};

// A DynamicFn with the function's type.
template <typename F> class DynamicFnT : public DynamicFn {
public:
  DynamicFnT(const char* modules, const char* functions, bool asGiven = false)
      : DynamicFn(modules, functions, asGiven) {}
  F get() const { return reinterpret_cast<F>(reinterpret_cast<void*>(address())); }
};

} // namespace plat

#include "plat/win/DynamicFn.h"
#include "plat/LogWriter.h"
#include "plat/String.h"
#include "plat/win/Unicode.h"

#include <cstring>
#include <string>

namespace plat {

static LogWriter vlog("DynamicFn");

static HMODULE loadModule(const char* name, bool asGiven) {
  if (asGiven || strchr(name, '\\')) {
    WString wname(name);
    return LoadLibraryW(wname.c_str());
  }
  // Only the system's own copy: never a DLL planted beside the program.
  wchar_t sysDir[MAX_PATH];
  UINT n = GetSystemDirectoryW(sysDir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH)
    return nullptr;
  WString wname(name);
  std::wstring path(sysDir, n);
  path += L"\\";
  path += wname.c_str();
  path += L".dll";
  return LoadLibraryW(path.c_str());
}

DynamicFn::DynamicFn(const char* modules, const char* functions, bool asGiven)
    : fn_(nullptr), module_(nullptr) {
  TokenCursor moduleCursor(modules);
  while (const char* moduleName = moduleCursor.next(',')) {
    HMODULE module = loadModule(moduleName, asGiven);
    if (!module) {
      vlog.write(120, " [DynFnOpen(%s) failed]", moduleName);
      continue;
    }
    TokenCursor fnCursor(functions);
    while (const char* fnName = fnCursor.next(',')) {
      FARPROC fn = GetProcAddress(module, fnName);
      if (fn) {
        vlog.debug("found '%s' in '%s'", fnName, moduleName);
        fn_ = fn;
        module_ = module;
        return;
      }
      vlog.write(120, "  [DynFnFind(%s) failed]", fnName);
    }
    FreeLibrary(module);
  }
}

DynamicFn::~DynamicFn() {
  if (module_)
    FreeLibrary(module_);
}

} // namespace plat

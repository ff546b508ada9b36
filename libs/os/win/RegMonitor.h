// Reports the values of a registry key to a callback: every value, or only
// what changed since an earlier reading kept by the caller.
#pragma once

#include "os/win/RegKey.h"

#include <map>
#include <string>

namespace os {

// Value name -> value text, names compared byte by byte.
typedef std::map<std::string, plat::String> RegSnapshot;

class RegMonitor {
public:
  class Callback {
  public:
    virtual ~Callback() {}
    virtual void begin() = 0;
    virtual void valueChanged(const char* name, const char* value) = 0;
    virtual void valueRemoved(const char* name) = 0;
    virtual void end() = 0;
  };

  // Reports begin, the new and changed values in the key's order, the
  // removed ones in the snapshot's order, then end; the snapshot is replaced
  // by the new reading. Without a snapshot every value is reported. Read
  // failures are logged, never thrown, so that end() always comes; a value
  // that cannot be turned into text is logged and left out.
  static void diff(RegKey& key, Callback* callback, RegSnapshot* snapshot);
  static void reportAll(RegKey& key, Callback* callback) { diff(key, callback, nullptr); }
};

} // namespace os

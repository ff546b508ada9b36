#include "os/win/RegMonitor.h"
#include "plat/LogWriter.h"

#include <cstring>

namespace os {

static plat::LogWriter vlog("RegMonitor");

void RegMonitor::diff(RegKey& key, Callback* callback, RegSnapshot* snapshot) {
  callback->begin();
  RegSnapshot reading;
  try {
    for (int index = 0;; index++) {
      const char* name = key.enumValue(index);
      if (!name)
        break;
      RegKey::RawValue raw = key.readValue(name);
      plat::String value;
      try {
        value = plat::String::adopt(RegKey::decodeValue(raw));
      } catch (const plat::Exception& e) {
        // One odd value (an unknown type, a text that does not expand) must
        // not hide the others.
        vlog.error("value %s skipped: %s", name, e.str());
        continue;
      }
      auto old = snapshot ? snapshot->find(name) : RegSnapshot::iterator();
      bool changed = !snapshot || old == snapshot->end() || old->second.isNull() ||
                     strcmp(old->second.c_str(), value.c_str()) != 0;
      if (changed)
        callback->valueChanged(name, value.c_str());
      reading[name] = std::move(value);
    }
  } catch (const plat::SystemException& e) {
    // Invalid handle: the key has gone, which is no news to report.
    if (e.err != ERROR_INVALID_HANDLE)
      vlog.error("%s", e.str());
  }
  if (snapshot) {
    for (const auto& old : *snapshot) {
      if (reading.find(old.first) == reading.end())
        callback->valueRemoved(old.first.c_str());
    }
    snapshot->swap(reading);
  }
  callback->end();
}

} // namespace os

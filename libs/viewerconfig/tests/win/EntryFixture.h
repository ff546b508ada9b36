// An address-book entry's options as the viewer-options pages find them,
// for the pages' tests and pictures: every option at priority 50, as read
// from a connection file, and what a person would have typed.
#pragma once

#include "ledrow/data/ConnOptions.h"
#include "rdr/MemOutStream.h"

#include <map>
#include <string>

namespace entry_fixture {

inline void loadEntry(addrbook::CConnOptions* o) {
  for (plat::ConfigParameter* p = o->head(); p; p = p->next())
    p->setParam(p->getValueStr().c_str(), 50);
  o->setHost("desk.example.org");
  o->userName.setParam("avery", 50);
  o->proxyServer.setParam("proxy.example.org:3128", 50);
  o->proxyType.setParam("socks", 50);
  o->scaling.setParam("800x", 50);
  o->autoSelect.setParam("0", 50);
  o->setQualityPreset(4, 50);
  o->menuKey.setParam("", 50);
}

// Every option's value at every priority.
inline std::string dump(addrbook::CConnOptions& o) {
  std::string all;
  for (plat::ConfigParameter* p = o.head(); p; p = p->next()) {
    std::map<int, plat::String> values;
    p->getValues(&values);
    for (auto& v : values)
      all +=
          std::string(p->getName()) + ":" + std::to_string(v.first) + "=" + v.second.c_str() + "\n";
  }
  return all;
}

// The connection file the options make.
inline std::string fileText(addrbook::CConnOptions& o) {
  rdr::MemOutStream out;
  o.write(out, true, false, nullptr);
  return std::string((const char*)out.data(), out.length());
}

} // namespace entry_fixture

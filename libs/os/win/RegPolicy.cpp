#include "os/win/RegPolicy.h"
#include "plat/ConfigParameter.h"
#include "plat/Configuration.h"
#include "plat/DString.h"
#include "plat/LogWriter.h"

namespace os {

static plat::LogWriter vlog("RegPolicy");

void RegPolicy::RMCallback::valueChanged(const char* name, const char* value) {
  try {
    if (!group_->set(name, value, priority_))
      vlog.write(100, "%s: not applied", name);
  } catch (const plat::Exception& e) {
    // One value the parameter cannot take must not hide the others.
    vlog.error("%s: %s", name, e.str());
  }
}

void RegPolicy::RMCallback::valueRemoved(const char* name) {
  if (plat::ConfigParameter* param = group_->get(name))
    param->removeValue(priority_);
}

static void loadKey(plat::Configuration* group, HKEY root, const char* path, int priority,
                    const char* which) {
  try {
    RegKey key;
    key.openKey(root, path, true);
    RegPolicy::RMCallback callback(group, priority);
    RegMonitor::reportAll(key, &callback);
  } catch (const plat::Exception& e) {
    vlog.error("loadRegPolicy(%s): %s", which, e.str());
  }
}

void loadRegPolicy(plat::Configuration* group, HKEY root, const char* product,
                   const char* maker) {
  plat::DString policy, prefs;
  policy.appendf("Software\\Policies\\%s\\%s", maker, product);
  prefs.appendf("Software\\%s\\%s", maker, product);
  loadKey(group, root, policy.c_str(), plat::PriorityPolicy, "policy");
  loadKey(group, root, prefs.c_str(), plat::PriorityUser, "prefs");
}

} // namespace os

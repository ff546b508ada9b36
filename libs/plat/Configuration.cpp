#include "plat/Configuration.h"
#include "plat/ConfigParameter.h"

#include <cstring>

namespace plat {

Configuration::Configuration(const char* name, Configuration* parent)
    : name_(name), head_(nullptr), parent_(parent) {}

Configuration::~Configuration() {
  for (ConfigParameter* p = head_; p; p = p->next_)
    p->group_ = nullptr;
}

Configuration* Configuration::global() {
  // Never destroyed: static parameters of every area stay registered in it
  // until the process ends.
  static Configuration* g = new Configuration("Global");
  return g;
}

void Configuration::add(ConfigParameter* param) {
  param->next_ = head_;
  head_ = param;
}

void Configuration::remove(ConfigParameter* param) {
  for (ConfigParameter** p = &head_; *p; p = &(*p)->next_) {
    if (*p == param) {
      *p = param->next_;
      return;
    }
  }
}

void Configuration::addAlias(const char* alias, const char* target) { aliases_[alias] = target; }

const char* Configuration::resolveAlias(const char* name) const {
  auto it = aliases_.find(name);
  return it == aliases_.end() ? name : it->second.c_str();
}

ConfigParameter* Configuration::findHere(const char* name) const {
  int len = strLen(name);
  for (ConfigParameter* p = head_; p; p = p->next_)
    if (strLen(p->getName()) == len && strCaseCmp(p->getName(), name) == 0)
      return p;
  return nullptr;
}

bool Configuration::set(const char* name, const char* value, int priority) {
  const char* resolved = resolveAlias(name);
  if (ConfigParameter* p = findHere(resolved)) {
    if (!value) {
      if (!p->isBool())
        return false;
      value = "1";
    }
    return p->setParam(value, priority);
  }
  return parent_ ? parent_->set(resolved, value, priority) : false;
}

bool Configuration::set(const char* name, int nameLen, const char* value, int priority) {
  String n = String::adopt(strDup(name, nameLen));
  return set(n.c_str(), value, priority);
}

ConfigParameter* Configuration::get(const char* name) const {
  const char* resolved = resolveAlias(name);
  if (ConfigParameter* p = findHere(resolved))
    return p;
  return parent_ ? parent_->get(resolved) : nullptr;
}

bool Configuration::setFromArg(const char* arg, int priority) {
  bool dashed = arg[0] == '-';
  if (dashed)
    arg += (arg[1] == '-') ? 2 : 1;
  const char* eq = strchr(arg, '=');
  if (eq)
    return set(arg, (int)(eq - arg), eq + 1, priority);
  if (!dashed)
    return false;
  ConfigParameter* p = get(arg);
  if (!p || !p->isBool())
    return false;
  return set(arg, nullptr, priority);
}

} // namespace plat

#include "plat/ConfigParameter.h"
#include "plat/Assert.h"
#include "plat/Configuration.h"
#include "plat/LogWriter.h"
#include "plat/Mutex.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace plat {

static LogWriter vlog("ConfigParameter");

LogWriter& ConfigParameter::log() { return vlog; }

Mutex& ConfigParameter::valuesLock() {
  // Never destroyed: static parameters are read until the process ends.
  static Mutex* lock = new Mutex;
  return *lock;
}

ConfigParameter::ConfigParameter(const char* name, const char* description, unsigned char flags,
                                 Configuration* group)
    : next_(nullptr), nextSameHash_(nullptr), name_(name), description_(description), flags_(flags), callback_(nullptr),
      group_(group ? group : Configuration::global()) {
  group_->add(this);
}

ConfigParameter::~ConfigParameter() {
  if (group_)
    group_->remove(this);
}

void ConfigParameter::copyAllFrom(const ConfigParameter& other) {
  std::map<int, String> mine, theirs;
  getValues(&mine);
  for (const auto& v : mine)
    removeValue(v.first);
  other.getValues(&theirs);
  for (const auto& v : theirs)
    setParam(v.second.c_str(), v.first);
}

void ConfigParameter::notifyChanged(int priority) {
  if (callback_)
    callback_->parameterChanged(this, priority);
}

template <typename T> void TypedParameter<T>::removeValue(int priority) {
  if (priority == PriorityDefault)
    return;
  Lock l(valuesLock());
  values_.erase(priority);
}

template <typename T> int TypedParameter<T>::getPriority() const {
  Lock l(valuesLock());
  return values_.begin()->first;
}

template <typename T> void TypedParameter<T>::storeValue(T value, int priority) {
  Lock l(valuesLock());
  values_[priority] = std::move(value);
}

template <typename T> T TypedParameter<T>::valueInForce() const {
  Lock l(valuesLock());
  return values_.begin()->second;
}

template <typename T> PriorityValues<T> TypedParameter<T>::valuesCopy() const {
  Lock l(valuesLock());
  return values_;
}

template class TypedParameter<bool>;
template class TypedParameter<int>;
template class TypedParameter<String>;
template class TypedParameter<std::vector<uint8_t>>;

// --- Bool ---

BoolParameter::BoolParameter(const char* name, const char* description, bool defaultValue,
                             unsigned char flags, Configuration* group)
    : TypedParameter<bool>(name, description, flags, group) {
  setValue(defaultValue, PriorityDefault);
}

bool BoolParameter::parse(const char* text, bool* value) {
  static const char* const yes[] = {"", "1", "on", "true", "yes"};
  static const char* const no[] = {"0", "off", "false", "no"};
  for (const char* t : yes)
    if (strCaseCmp(text, t) == 0) {
      *value = true;
      return true;
    }
  for (const char* t : no)
    if (strCaseCmp(text, t) == 0) {
      *value = false;
      return true;
    }
  return false;
}

bool BoolParameter::setParam(const char* text, int priority) {
  bool value;
  if (!text || !parse(text, &value)) {
    vlog.error("Bool parameter %s: invalid value '%s'", getName(), text ? text : "(null)");
    return false;
  }
  return setValue(value, priority);
}

bool BoolParameter::setValue(bool value, int priority) {
  storeValue(value, priority);
  vlog.debug("set %s(Bool) to %d, priority %i", getName(), value ? 1 : 0, priority);
  notifyChanged(priority);
  return true;
}

String BoolParameter::getValueStr() const { return String(getValueText()); }

void BoolParameter::getValues(std::map<int, String>* out) const {
  for (const auto& v : valuesCopy())
    (*out)[v.first] = v.second ? "1" : "0";
}

ConfigParameter* BoolParameter::cloneInto(Configuration* group) const {
  auto values = valuesCopy();
  BoolParameter* copy =
      new BoolParameter(getName(), getDescription(), values[PriorityDefault], getFlags(), group);
  Lock l(valuesLock());
  copy->values_ = values;
  return copy;
}

// --- Int ---

IntParameter::IntParameter(const char* name, const char* description, int defaultValue,
                           unsigned char flags, Configuration* group, int minimum, int maximum)
    : TypedParameter<int>(name, description, flags, group), minimum_(minimum), maximum_(maximum) {
  storeValue(defaultValue, PriorityDefault);
}

bool IntParameter::parse(const char* text, int* value) {
  if (!text)
    return false;
  char* end;
  errno = 0;
  long long n = strtoll(text, &end, 0);
  if (end == text)
    return false;
  if (errno == ERANGE || n < INT_MIN || n > INT_MAX)
    return false;
  *value = (int)n;
  return true;
}

bool IntParameter::setParam(const char* text, int priority) {
  int value;
  if (!parse(text, &value))
    return false;
  return setValue(value, priority);
}

bool IntParameter::setValue(int value, int priority) {
  if (value < minimum_ || value > maximum_)
    return false;
  storeValue(value, priority);
  vlog.debug("set %s(Int) to %d, priority %i", getName(), value, priority);
  notifyChanged(priority);
  return true;
}

static String intText(int value) {
  char buf[16];
  snprintf(buf, sizeof(buf), "%d", value);
  return String(buf);
}

String IntParameter::getValueStr() const { return intText(getValue()); }

void IntParameter::getValues(std::map<int, String>* out) const {
  for (const auto& v : valuesCopy())
    (*out)[v.first] = intText(v.second);
}

ConfigParameter* IntParameter::cloneInto(Configuration* group) const {
  auto values = valuesCopy();
  IntParameter* copy = new IntParameter(getName(), getDescription(), values[PriorityDefault],
                                        getFlags(), group, minimum_, maximum_);
  Lock l(valuesLock());
  copy->values_ = values;
  return copy;
}

// --- String ---

StringParameter::StringParameter(const char* name, const char* description,
                                 const char* defaultValue, unsigned char flags,
                                 Configuration* group)
    : TypedParameter<String>(name, description, flags, group) {
  if (!defaultValue)
    assertionFailedf("v", "ConfigParameter", 224, "Default value <null> for %s not allowed", name);
  setParam(defaultValue, PriorityDefault);
}

bool StringParameter::setParam(const char* text, int priority) {
  if (!text)
    assertionFailedf("v", "ConfigParameter", 234, "setParam(<null>) for %s not allowed",
                     getName());
  String copy(text);
  if (!checkUtf8(copy.buf()))
    throw ExceptionFmt("Invalid UTF-8 encoding for %s", getName());
  vlog.debug("set %s(String) to %s, priority %i", getName(), copy.c_str(), priority);
  storeValue(std::move(copy), priority);
  notifyChanged(priority);
  return true;
}

String StringParameter::getValueStr() const { return valueInForce(); }

void StringParameter::getValues(std::map<int, String>* out) const {
  for (const auto& v : valuesCopy())
    (*out)[v.first] = v.second;
}

ConfigParameter* StringParameter::cloneInto(Configuration* group) const {
  auto values = valuesCopy();
  StringParameter* copy = new StringParameter(getName(), getDescription(),
                                              values[PriorityDefault].c_str(), getFlags(), group);
  Lock l(valuesLock());
  copy->values_ = values;
  return copy;
}

} // namespace plat

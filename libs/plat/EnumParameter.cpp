#include "plat/EnumParameter.h"
#include "plat/Mutex.h"

namespace plat {

static int countNames(const char* const* names) {
  int n = 0;
  while (names[n])
    n++;
  return n;
}

EnumParameter::EnumParameter(const char* name, const char* description,
                             const char* defaultName, const char* const* names,
                             unsigned char flags, Configuration* group)
    : IntParameter(name, description, 0, flags, group, 0, countNames(names) - 1),
      names_(names) {
  int index = indexOf(defaultName);
  if (index >= 0)
    setValue(index, PriorityDefault);
}

int EnumParameter::indexOf(const char* text) const {
  if (!text)
    return -1;
  for (int i = 0; names_[i]; i++)
    if (strCaseCmp(names_[i], text) == 0)
      return i;
  return -1;
}

bool EnumParameter::setParam(const char* text, int priority) {
  int index = indexOf(text);
  if (index < 0)
    return false;
  return setValue(index, priority);
}

String EnumParameter::getValueStr() const { return String(names_[getValue()]); }

void EnumParameter::getValues(std::map<int, String>* out) const {
  for (const auto& v : valuesCopy())
    (*out)[v.first] = names_[v.second];
}

ConfigParameter* EnumParameter::cloneInto(Configuration* group) const {
  auto values = valuesCopy();
  EnumParameter* copy = new EnumParameter(getName(), getDescription(),
                                          names_[values[PriorityDefault]], names_, getFlags(),
                                          group);
  Lock l(valuesLock());
  copy->values_ = values;
  return copy;
}

} // namespace plat

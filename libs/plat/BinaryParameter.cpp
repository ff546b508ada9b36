#include "plat/BinaryParameter.h"
#include "plat/LogWriter.h"
#include "plat/Mutex.h"

namespace plat {

BinaryParameter::BinaryParameter(const char* name, const char* description, const void* data,
                                 int length, unsigned char flags, Configuration* group)
    : TypedParameter<Bytes>(name, description, flags, group) {
  setValue(data, length, PriorityDefault);
}

bool BinaryParameter::setValue(const void* data, int length, int priority) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  storeValue(Bytes(bytes, bytes + length), priority);
  log().debug("set %s(Binary), priority %i", getName(), priority);
  notifyChanged(priority);
  return true;
}

bool BinaryParameter::setParam(const char* text, int priority) {
  int len = strLen(text);
  Bytes bytes(len / 2);
  bool decoded = hexToBin(text, len, bytes.data());
  if (decoded)
    storeValue(bytes, priority);
  // The value itself stays out of the log: an obfuscated password is as
  // good as the password to anyone who reads it there.
  log().debug("set %s(Binary) to <%d hex digits>, priority %i", getName(), len, priority);
  notifyChanged(priority);
  return decoded;
}

static String hexText(const Bytes& bytes) {
  return String::adopt(binToHex({(int)bytes.size(), bytes.data()}));
}

String BinaryParameter::getValueStr() const { return hexText(getValue()); }

void BinaryParameter::getValues(std::map<int, String>* out) const {
  for (const auto& v : valuesCopy())
    (*out)[v.first] = hexText(v.second);
}

ConfigParameter* BinaryParameter::cloneInto(Configuration* group) const {
  auto values = valuesCopy();
  const Bytes& def = values[PriorityDefault];
  BinaryParameter* copy = new BinaryParameter(getName(), getDescription(), def.data(),
                                              (int)def.size(), getFlags(), group);
  Lock l(valuesLock());
  copy->values_ = values;
  return copy;
}

} // namespace plat

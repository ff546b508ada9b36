// A setting that holds a byte string, shown and entered as hexadecimal (an
// expected server identity, say). Its values may be secrets, so its log
// lines never carry them.
#pragma once

#include "plat/ConfigParameter.h"

#include <cstdint>
#include <vector>

namespace plat {

typedef std::vector<uint8_t> Bytes;

class BinaryParameter : public TypedParameter<Bytes> {
public:
  BinaryParameter(const char* name, const char* description, const void* data, int length,
                  unsigned char flags = 0, Configuration* group = nullptr);

  // Hexadecimal of even length, either case. The line is logged and the
  // callback told even when the text is refused.
  bool setParam(const char* text, int priority) override;
  bool setValue(const void* data, int length, int priority);
  Bytes getValue() const { return valueInForce(); }
  // Lowercase hexadecimal.
  String getValueStr() const override;
  void getValues(std::map<int, String>* out) const override;
  bool isBinary() const override { return true; }
  ConfigParameter* cloneInto(Configuration* group) const override;
};

} // namespace plat

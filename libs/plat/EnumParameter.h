// A setting whose value is one name of a fixed list. It is an Int parameter
// holding the index, so the generic code sees an index range; text goes in
// and out as the list's names.
#pragma once

#include "plat/ConfigParameter.h"

namespace plat {

class EnumParameter : public IntParameter {
public:
  // names: a null-terminated array that outlives the parameter (not
  // copied). The default is the entry equal to defaultName in any case, or
  // the first entry when none is.
  EnumParameter(const char* name, const char* description, const char* defaultName,
                const char* const* names, unsigned char flags = 0,
                Configuration* group = nullptr);

  // Only the list's names, in any case; anything else changes nothing.
  bool setParam(const char* text, int priority) override;
  String getValueStr() const override;
  void getValues(std::map<int, String>* out) const override;
  bool isEnum() const override { return true; }
  ConfigParameter* cloneInto(Configuration* group) const override;

  const char* const* getNames() const { return names_; }
  int nameCount() const { return getMaximum() + 1; }
  // The index of the entry equal to text in any case, or -1.
  int indexOf(const char* text) const;

private:
  const char* const* names_;
};

} // namespace plat

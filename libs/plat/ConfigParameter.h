// Named, typed settings. A parameter holds one value per priority; the value
// in force is the one with the lowest priority number. Defaults sit at 100
// and can never be removed, so a parameter always has a value.
#pragma once

#include "plat/PriorityValues.h"
#include "plat/String.h"

#include <map>

namespace plat {

class Configuration;
class ConfigParameter;
class LogWriter;
class Mutex;

enum Priority { PriorityPolicy = 0, PriorityUser = 50, PriorityDefault = 100 };

class ParameterChangedCallback {
public:
  virtual ~ParameterChangedCallback() {}
  // Told after every successful change, on the changing thread, with no
  // lock held.
  virtual void parameterChanged(ConfigParameter* param, int priority) = 0;
};

class ConfigParameter {
public:
  enum Flags { Advanced = 1 };

  ConfigParameter(const ConfigParameter&) = delete;
  ConfigParameter& operator=(const ConfigParameter&) = delete;
  virtual ~ConfigParameter();

  virtual bool setParam(const char* text, int priority) = 0;
  virtual void removeValue(int priority) = 0;
  virtual String getValueStr() const = 0;
  virtual int getPriority() const = 0;
  virtual void getValues(std::map<int, String>* out) const = 0;
  virtual bool isBool() const { return false; }
  virtual bool isInt() const { return false; }
  virtual bool isString() const { return false; }
  virtual bool isEnum() const { return false; }
  virtual bool isBinary() const { return false; }
  // A parameter of the same kind, name, description, flags (and range) in
  // group (null: "Global"), with every priority's value and no callback.
  virtual ConfigParameter* cloneInto(Configuration* group) const = 0;

  // Drops every value this parameter holds except the default, then takes
  // each of other's values at its priority, the default included.
  void copyAllFrom(const ConfigParameter& other);

  const char* getName() const { return name_; }
  const char* getDescription() const { return description_; }
  unsigned char getFlags() const { return flags_; }
  Configuration* getGroup() const { return group_; }
  ConfigParameter* next() const { return next_; }
  void setCallback(ParameterChangedCallback* cb) { callback_ = cb; }
  ParameterChangedCallback* getCallback() const { return callback_; }

  // The one process-wide lock over every parameter's values.
  static Mutex& valuesLock();

protected:
  ConfigParameter(const char* name, const char* description, unsigned char flags,
                  Configuration* group);
  void notifyChanged(int priority);
  // "ConfigParameter": every kind logs its changes there.
  static LogWriter& log();

private:
  friend class Configuration;
  ConfigParameter* next_;
  ConfigParameter* nextSameHash_;
  const char* name_;
  const char* description_;
  unsigned char flags_;
  ParameterChangedCallback* callback_;
  Configuration* group_;
};

// The value map shared by the typed kinds.
template <typename T> class TypedParameter : public ConfigParameter {
public:
  void removeValue(int priority) override;
  int getPriority() const override;

protected:
  TypedParameter(const char* name, const char* description, unsigned char flags,
                 Configuration* group)
      : ConfigParameter(name, description, flags, group) {}
  // Stores without logging or telling the callback.
  void storeValue(T value, int priority);
  T valueInForce() const;
  PriorityValues<T> valuesCopy() const;

  PriorityValues<T> values_;
};

class BoolParameter : public TypedParameter<bool> {
public:
  BoolParameter(const char* name, const char* description, bool defaultValue,
                unsigned char flags = 0, Configuration* group = nullptr);
  bool setParam(const char* text, int priority) override;
  bool setValue(bool value, int priority);
  bool getValue() const { return valueInForce(); }
  operator bool() const { return getValue(); }
  String getValueStr() const override;
  // The same text, with no String made for it.
  const char* getValueText() const { return getValue() ? "1" : "0"; }
  void getValues(std::map<int, String>* out) const override;
  bool isBool() const override { return true; }
  ConfigParameter* cloneInto(Configuration* group) const override;

  // Bool text: "", "1", "on", "true", "yes" and "0", "off", "false", "no",
  // in any case. False when the text is none of these.
  static bool parse(const char* text, bool* value);
};

class IntParameter : public TypedParameter<int> {
public:
  IntParameter(const char* name, const char* description, int defaultValue,
               unsigned char flags = 0, Configuration* group = nullptr,
               int minimum = -2147483647 - 1, int maximum = 2147483647);
  bool setParam(const char* text, int priority) override;
  bool setValue(int value, int priority);
  int getValue() const { return valueInForce(); }
  operator int() const { return getValue(); }
  String getValueStr() const override;
  void getValues(std::map<int, String>* out) const override;
  bool isInt() const override { return true; }
  ConfigParameter* cloneInto(Configuration* group) const override;
  int getMinimum() const { return minimum_; }
  int getMaximum() const { return maximum_; }

  // Int text: decimal, 0x hexadecimal or leading-0 octal with an optional
  // sign, read up to the first character that does not belong to the number.
  // False without digits or when the number does not fit an int.
  static bool parse(const char* text, int* value);

private:
  int minimum_;
  int maximum_;
};

class StringParameter : public TypedParameter<String> {
public:
  StringParameter(const char* name, const char* description, const char* defaultValue,
                  unsigned char flags = 0, Configuration* group = nullptr);
  // Throws "Invalid UTF-8 encoding for %s" for text that is not UTF-8.
  bool setParam(const char* text, int priority) override;
  String getValueStr() const override;
  void getValues(std::map<int, String>* out) const override;
  bool isString() const override { return true; }
  ConfigParameter* cloneInto(Configuration* group) const override;
};

} // namespace plat

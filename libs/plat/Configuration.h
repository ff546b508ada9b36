// A named group of parameters with a parent group and case-insensitive
// aliases. Lookups that fail in a group continue in its parent. The group
// does not own its parameters: most are static objects of the areas that
// use them.
#pragma once

#include "plat/String.h"

#include <map>
#include <string>

namespace plat {

class ConfigParameter;

class Configuration {
public:
  explicit Configuration(const char* name, Configuration* parent = nullptr);
  Configuration(const Configuration&) = delete;
  Configuration& operator=(const Configuration&) = delete;
  ~Configuration();

  // The program-wide group "Global", made on first use.
  static Configuration* global();

  bool set(const char* name, const char* value, int priority);
  bool set(const char* name, int nameLen, const char* value, int priority);
  ConfigParameter* get(const char* name) const;
  // "-name", "--name=value", "name=value": a setting. Anything with neither
  // a leading dash nor "=" is not one (false).
  bool setFromArg(const char* arg, int priority);

  void addAlias(const char* alias, const char* target);

  const char* getName() const { return name_.c_str(); }
  Configuration* getParent() const { return parent_; }
  // The list runs from the last registered parameter to the first.
  ConfigParameter* head() const { return head_; }

  void add(ConfigParameter* param);
  void remove(ConfigParameter* param);

private:
  struct CaseLess {
    bool operator()(const std::string& a, const std::string& b) const {
      return strCaseCmp(a.c_str(), b.c_str()) < 0;
    }
  };
  const char* resolveAlias(const char* name) const;
  ConfigParameter* findHere(const char* name) const;

  String name_;
  ConfigParameter* head_;
  Configuration* parent_;
  std::map<std::string, std::string, CaseLess> aliases_;
};

} // namespace plat

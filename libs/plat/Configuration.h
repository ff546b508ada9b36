// A named group of parameters with a parent group and case-insensitive
// aliases. Lookups that fail in a group continue in its parent. Most groups
// do not own their parameters (static objects of the areas that use them,
// members of an option set); a group made to hold clones does.
#pragma once

#include "plat/String.h"

#include <map>
#include <string>
#include <vector>

namespace plat {

class ConfigParameter;
class DString;

class Configuration {
public:
  explicit Configuration(const char* name, Configuration* parent = nullptr,
                         bool ownsParams = false);
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

  // Sets or replaces an alias.
  void addAlias(const char* alias, const char* target);

  // True when each parameter of this group has a same-named one in other
  // whose value text is the same in any case. Parameters only other has are
  // not looked at, so this is not symmetric.
  bool equals(const Configuration& other) const;
  // The value in force of each of other's parameters, at its priority, into
  // the same-named parameter here.
  void copyFrom(const Configuration& other);
  // Every priority's value of each same-named parameter.
  void copyAllFrom(const Configuration& other);

  // The usage listing of this group and its parents: names in a column of
  // nameWidth, descriptions word-wrapped at lineWidth, the value in force
  // as the default. Advanced parameters only with showAll; names starting
  // with "_" never.
  void listParams(bool showAll, int lineWidth, int nameWidth) const;
  void listParams(DString* out, bool showAll, int lineWidth, int nameWidth) const;

  const char* getName() const { return name_.c_str(); }
  Configuration* getParent() const { return parent_; }
  // The list runs from the last registered parameter to the first.
  ConfigParameter* head() const { return head_; }

  void add(ConfigParameter* param);
  void remove(ConfigParameter* param);

private:
  // Looks names up as they come, without a string made of each.
  struct CaseLess {
    using is_transparent = void;
    static const char* text(const std::string& s) { return s.c_str(); }
    static const char* text(const char* s) { return s; }
    template <typename A, typename B> bool operator()(const A& a, const B& b) const {
      return strCaseCmp(text(a), text(b)) < 0;
    }
  };
  const char* resolveAlias(const char* name) const;
  // Every name of a file or a command line is looked up: a hash of the
  // name picks the few parameters to compare, not a walk over the list.
  ConfigParameter* findHere(const char* name) const;
  // Groups of one kind hold their parameters in one order: the walks over
  // two groups try the parameter after the last match before the whole list.
  ConfigParameter* findHere(const char* name, ConfigParameter* hint) const;

  size_t bucketOf(const char* name) const;
  void rehash(size_t buckets);

  String name_;
  ConfigParameter* head_;
  // Chains of parameters by the hash of their name in any case; among
  // equal names the one registered last comes first, as in the list.
  std::vector<ConfigParameter*> buckets_;
  size_t count_;
  Configuration* parent_;
  bool ownsParams_;
  std::map<std::string, std::string, CaseLess> aliases_;
};

} // namespace plat

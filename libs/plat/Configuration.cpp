#include "plat/Configuration.h"
#include "plat/ConfigParameter.h"
#include "plat/DString.h"

#include <cstdio>
#include <cstring>

namespace plat {

Configuration::Configuration(const char* name, Configuration* parent, bool ownsParams)
    : name_(name), head_(nullptr), count_(0), parent_(parent), ownsParams_(ownsParams) {}

Configuration::~Configuration() {
  if (ownsParams_) {
    // Each parameter unlinks itself as it goes.
    while (head_)
      delete head_;
  }
  for (ConfigParameter* p = head_; p; p = p->next_)
    p->group_ = nullptr;
}

Configuration* Configuration::global() {
  // Never destroyed: static parameters of every area stay registered in it
  // until the process ends.
  static Configuration* g = new Configuration("Global");
  return g;
}

// FNV-1a over the name in lower case.
size_t Configuration::bucketOf(const char* name) const {
  size_t h = 2166136261u;
  for (; *name; name++) {
    unsigned char c = (unsigned char)*name;
    if (c >= 'A' && c <= 'Z')
      c += 'a' - 'A';
    h = (h ^ c) * 16777619u;
  }
  return h & (buckets_.size() - 1);
}

// Rebuilt from the list, oldest first, so that each chain keeps the
// latest of equal names at its head.
void Configuration::rehash(size_t buckets) {
  buckets_.assign(buckets, nullptr);
  std::vector<ConfigParameter*> oldestFirst;
  for (ConfigParameter* p = head_; p; p = p->next_)
    oldestFirst.push_back(p);
  for (auto it = oldestFirst.rbegin(); it != oldestFirst.rend(); ++it) {
    ConfigParameter** chain = &buckets_[bucketOf((*it)->getName())];
    (*it)->nextSameHash_ = *chain;
    *chain = *it;
  }
}

void Configuration::add(ConfigParameter* param) {
  param->next_ = head_;
  head_ = param;
  count_++;
  if (count_ > buckets_.size()) {
    rehash(buckets_.empty() ? 64 : buckets_.size() * 2);
    return;
  }
  ConfigParameter** chain = &buckets_[bucketOf(param->getName())];
  param->nextSameHash_ = *chain;
  *chain = param;
}

void Configuration::remove(ConfigParameter* param) {
  for (ConfigParameter** p = &head_; *p; p = &(*p)->next_) {
    if (*p == param) {
      *p = param->next_;
      count_--;
      break;
    }
  }
  if (buckets_.empty())
    return;
  for (ConfigParameter** p = &buckets_[bucketOf(param->getName())]; *p;
       p = &(*p)->nextSameHash_) {
    if (*p == param) {
      *p = param->nextSameHash_;
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
  if (buckets_.empty())
    return nullptr;
  for (ConfigParameter* p = buckets_[bucketOf(name)]; p; p = p->nextSameHash_)
    if (strCaseCmp(p->getName(), name) == 0)
      return p;
  return nullptr;
}

ConfigParameter* Configuration::findHere(const char* name, ConfigParameter* hint) const {
  if (hint && strCaseCmp(hint->getName(), name) == 0)
    return hint;
  return findHere(name);
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

bool Configuration::equals(const Configuration& other) const {
  ConfigParameter* hint = other.head_;
  for (ConfigParameter* p = head_; p; p = p->next_) {
    ConfigParameter* q = other.findHere(p->getName(), hint);
    if (!q)
      return false;
    if (strCaseCmp(p->getValueStr().c_str(), q->getValueStr().c_str()) != 0)
      return false;
    hint = q->next_;
  }
  return true;
}

void Configuration::copyFrom(const Configuration& other) {
  ConfigParameter* hint = head_;
  for (ConfigParameter* q = other.head_; q; q = q->next_) {
    if (ConfigParameter* p = findHere(q->getName(), hint)) {
      p->setParam(q->getValueStr().c_str(), q->getPriority());
      hint = p->next_;
    }
  }
}

void Configuration::copyAllFrom(const Configuration& other) {
  ConfigParameter* hint = head_;
  for (ConfigParameter* q = other.head_; q; q = q->next_) {
    if (ConfigParameter* p = findHere(q->getName(), hint)) {
      p->copyAllFrom(*q);
      hint = p->next_;
    }
  }
}

static void breakLine(DString* out, int indent, int* column) {
  out->appendf("\n%*s", indent, "");
  *column = indent;
}

void Configuration::listParams(DString* out, bool showAll, int lineWidth, int nameWidth) const {
  const int indent = nameWidth + 4;
  for (const Configuration* group = this; group; group = group->parent_) {
    out->appendf("%s Parameters:\n", group->getName());
    for (ConfigParameter* p = group->head_; p; p = p->next_) {
      const char* name = p->getName();
      if (name[0] == '_' || (!showAll && p->getFlags() != 0))
        continue;
      out->appendf("  %-*s -", nameWidth, name);
      int nameLen = strLen(name);
      int column = (nameLen > nameWidth ? nameLen : nameWidth) + 4;
      int wordLen = 0;
      const char* word = p->getDescription();
      while (word) {
        const char* space = strchr(word, ' ');
        wordLen = space ? (int)(space - word) : strLen(word);
        if (column + wordLen + 1 > lineWidth)
          breakLine(out, indent, &column);
        out->appendf(" %.*s", wordLen, word);
        column += wordLen + 1;
        word = space ? space + 1 : nullptr;
      }
      String value = p->getValueStr();
      if (value.isNull()) {
        out->append("\n");
        continue;
      }
      if (lineWidth < column + wordLen + value.length() + 12)
        breakLine(out, indent, &column);
      out->appendf(" (default=%s)\n", value.c_str());
    }
  }
}

void Configuration::listParams(bool showAll, int lineWidth, int nameWidth) const {
  DString text(1024);
  listParams(&text, showAll, lineWidth, nameWidth);
  fputs(text.c_str(), stdout);
}

} // namespace plat

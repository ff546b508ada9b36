#include "ui/ConfigSync.h"
#include "plat/ConfigParameter.h"

#include <cstring>

namespace ui {

namespace {

bool same(const char* a, const char* b) { return strcmp(a ? a : "", b ? b : "") == 0; }

// Clears the flag however the sync ends.
struct SyncingFlag {
  explicit SyncingFlag(bool* flag) : flag_(flag) { *flag_ = true; }
  ~SyncingFlag() { *flag_ = false; }
  bool* flag_;
};

} // namespace

ConfigSync::ConfigSync(plat::Configuration* configuration, int priority)
    : substitute_(nullptr), priority_(priority), configuration_(configuration), syncing_(false) {}

void ConfigSync::bindCheckbox(CheckboxWidget* widget, plat::ConfigParameter* param,
                              const char* checkedValue, const char* uncheckedValue) {
  CheckboxEntry* entry = nullptr;
  for (CheckboxEntry& e : checkboxes_)
    if (e.widget == widget)
      entry = &e;
  if (!entry) {
    checkboxes_.push_back({widget, {}});
    entry = &checkboxes_.back();
  }
  entry->bindings.push_back({param, checkedValue, uncheckedValue, param->getValueStr()});
}

void ConfigSync::bindText(TextWidget* widget, plat::ConfigParameter* param) {
  for (TextEntry& e : texts_) {
    if (e.widget == widget) {
      e.params.push_back(param);
      return;
    }
  }
  TextEntry entry;
  entry.widget = widget;
  entry.params.push_back(param);
  texts_.push_back(entry);
}

void ConfigSync::clear() {
  checkboxes_.clear();
  texts_.clear();
  refusal_ = Refusal();
}

void ConfigSync::sync(bool toParameters) {
  if (syncing_)
    return;
  SyncingFlag flag(&syncing_);
  for (CheckboxEntry& entry : checkboxes_) {
    if (toParameters)
      checkboxToParameters(entry);
    else
      checkboxFromParameters(entry);
  }
  for (TextEntry& entry : texts_) {
    if (toParameters)
      textToParameters(entry);
    else
      textFromParameters(entry);
  }
}

plat::String ConfigSync::substituted(plat::ConfigParameter* param, const char* value,
                                     bool toParameter) {
  const char* shown = value;
  if (substitute_)
    substitute_->substitute(param->getName(), &shown, toParameter);
  return plat::String(shown ? shown : "");
}

void ConfigSync::write(plat::ConfigParameter* param, const char* value) {
  bool accepted;
  try {
    accepted = param->setParam(value, priority_);
  } catch (const plat::Exception&) {
    accepted = false; // text the parameter cannot hold at all (not UTF-8)
  }
  if (accepted) {
    if (refusal_.pending && same(refusal_.paramName.c_str(), param->getName()))
      refusal_ = Refusal();
    return;
  }
  refusal_.pending = true;
  refusal_.paramName = param->getName();
  refusal_.text = value;
}

bool ConfigSync::lockedBy(plat::ConfigParameter* param) const {
  return param->getPriority() < priority_;
}

void ConfigSync::checkboxToParameters(CheckboxEntry& entry) {
  CheckboxWidget::State state = entry.widget->getState();
  for (CheckboxBinding& b : entry.bindings) {
    const char* value = state == CheckboxWidget::Checked     ? b.checkedValue.c_str()
                        : state == CheckboxWidget::Unchecked ? b.uncheckedValue.c_str()
                                                             : b.remembered.c_str();
    plat::String v = substituted(b.param, value, true);
    write(b.param, v.c_str());
  }
}

void ConfigSync::checkboxFromParameters(CheckboxEntry& entry) {
  int combined = CheckboxWidget::Indeterminate;
  bool first = true;
  bool locked = false;
  for (CheckboxBinding& b : entry.bindings) {
    plat::String inForce = b.param->getValueStr();
    locked = locked || lockedBy(b.param);
    b.remembered = substituted(b.param, inForce.c_str(), false);
    int state = CheckboxWidget::Indeterminate;
    if (same(b.remembered.c_str(), b.checkedValue.c_str()))
      state = CheckboxWidget::Checked;
    else if (same(b.remembered.c_str(), b.uncheckedValue.c_str()))
      state = CheckboxWidget::Unchecked;
    if (first)
      combined = state;
    else if (combined != state)
      combined = CheckboxWidget::Indeterminate;
    first = false;
  }
  entry.widget->setTriState(combined == CheckboxWidget::Indeterminate);
  entry.widget->setState(combined);
  entry.widget->setLocked(locked);
}

void ConfigSync::textToParameters(TextEntry& entry) {
  plat::String text(entry.widget->getText());
  // Still the "" shown for values that disagree: writing it would make
  // them all empty.
  if (entry.mixed && text.length() == 0)
    return;
  entry.mixed = false;
  for (plat::ConfigParameter* param : entry.params) {
    plat::String v = substituted(param, text.c_str(), true);
    write(param, v.c_str());
  }
}

void ConfigSync::textFromParameters(TextEntry& entry) {
  plat::String shown;
  bool locked = false;
  bool mixed = false;
  for (plat::ConfigParameter* param : entry.params) {
    plat::String inForce = param->getValueStr();
    plat::String v = substituted(param, inForce.c_str(), false);
    locked = locked || lockedBy(param);
    if (shown.isNull())
      shown = v;
    else if (!same(shown.c_str(), v.c_str()))
      mixed = true;
  }
  entry.mixed = mixed;
  entry.widget->setText(mixed ? "" : shown.c_str());
  entry.widget->setLocked(locked);
}

} // namespace ui

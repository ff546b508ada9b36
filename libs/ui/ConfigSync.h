// The bindings between a dialog page's widgets and the parameters of a
// plat::Configuration: values copied in either direction, and each widget
// locked while one of its parameters is governed by a stronger priority (a
// policy) than the page's. Needs no window: the widgets are interfaces.
//
//   sync(false)  parameters -> widgets   (each time the page is shown)
//   sync(true)   widgets -> parameters   (on every click, selection, edit)
//
// A check box bound to several parameters shows checked or unchecked only
// while all of them agree, and the third state while they do not; clicking
// through the third state writes back each parameter's own earlier value.
// A text widget bound to parameters that disagree shows "" and writes
// nothing until the user changes that text.
//
// Values a parameter refuses leave it as it was; the sync remembers the
// last refusal (refused()) so that the page can say so.
#pragma once

#include "plat/String.h"
#include "ui/Widget.h"

#include <vector>

namespace plat {
class ConfigParameter;
class Configuration;
} // namespace plat

namespace ui {

class ConfigSync {
public:
  // Lets a page show a parameter's value differently from how it is
  // stored ("none" for an empty menu key, say). *value is the caller's; the
  // callback may point it at a string of its own that lives at least until
  // it is called again.
  class ParamSubstituteCallback {
  public:
    virtual ~ParamSubstituteCallback() {}
    virtual void substitute(const char* paramName, const char** value, bool toParameter) = 0;
  };

  // A text that a parameter refused.
  struct Refusal {
    bool pending = false;
    plat::String paramName;
    plat::String text;
  };

  // configuration may be null (nothing will be bound then); priority is the
  // one written at and locked against.
  ConfigSync(plat::Configuration* configuration, int priority);
  ConfigSync(const ConfigSync&) = delete;
  ConfigSync& operator=(const ConfigSync&) = delete;

  void setSubstituteCallback(ParamSubstituteCallback* callback) { substitute_ = callback; }

  // Bindings keep their order; a widget may carry several of its kind. The
  // widgets and parameters must outlive the bindings.
  void bindCheckbox(CheckboxWidget* widget, plat::ConfigParameter* param, const char* checkedValue,
                    const char* uncheckedValue);
  void bindText(TextWidget* widget, plat::ConfigParameter* param);
  // Drops every binding: the page's controls are gone.
  void clear();

  // A call made while a sync runs (a control telling of the text the sync
  // itself just set) does nothing.
  void sync(bool toParameters);
  bool isSyncing() const { return syncing_; }

  const Refusal& refused() const { return refusal_; }
  void clearRefusal() { refusal_ = Refusal(); }

  plat::Configuration* configuration() const { return configuration_; }
  int priority() const { return priority_; }

private:
  struct CheckboxBinding {
    plat::ConfigParameter* param;
    plat::String checkedValue;
    plat::String uncheckedValue;
    plat::String remembered;
  };
  struct CheckboxEntry {
    CheckboxWidget* widget;
    std::vector<CheckboxBinding> bindings;
  };
  struct TextEntry {
    TextWidget* widget;
    std::vector<plat::ConfigParameter*> params;
    // Showing "" because the parameters disagree.
    bool mixed = false;
  };

  // The value after the substitute callback, as a string of our own.
  plat::String substituted(plat::ConfigParameter* param, const char* value, bool toParameter);
  void write(plat::ConfigParameter* param, const char* value);
  bool lockedBy(plat::ConfigParameter* param) const;
  void checkboxToParameters(CheckboxEntry& entry);
  void checkboxFromParameters(CheckboxEntry& entry);
  void textToParameters(TextEntry& entry);
  void textFromParameters(TextEntry& entry);

  ParamSubstituteCallback* substitute_;
  std::vector<CheckboxEntry> checkboxes_;
  std::vector<TextEntry> texts_;
  int priority_;
  plat::Configuration* configuration_;
  bool syncing_;
  Refusal refusal_;
};

} // namespace ui

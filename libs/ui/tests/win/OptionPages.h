// Option pages on an address-book entry's options, as the programs build
// them on ui::ConfigDialog, for the toolkit's tests and pictures: a server
// page, a basic page, and the inputs and printing pages of the advanced
// set (OptionPages.rc).
#pragma once

#define IDC_USERNAME 2001
#define IDC_ENCRYPTION 2002
#define IDC_PROXY 2003
#define IDC_FULLSCREEN 2101
#define IDC_TOOLBAR 2102
#define IDC_VIEWONLY 2103
#define IDC_MENUKEY 2104
#define IDC_SENDKEYS 2201
#define IDC_SENDPOINTER 2202
#define IDC_SENDCLIPBOARD 2203
#define IDC_ACCEPTCLIPBOARD 2204
#define IDC_SHAREFILES 2205
#define IDC_CHAT 2206
#define IDC_INTERVAL 2207
#define IDC_PRINTING 2301
#define IDC_DEFAULTPRINTER 2302
#define IDC_SCALEPRINT 2303

#ifndef RC_INVOKED

#include "ledrow/data/ConnOptions.h"
#include "ui/win/Checkbox.h"
#include "ui/win/ComboBox.h"
#include "ui/win/ConfigDialog.h"
#include "ui/win/EditBox.h"

#include <commctrl.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace option_pages {

typedef addrbook::CConnOptions Options;

// One page: check boxes and text controls bound as the table says.
class Page : public ui::ConfigDialog {
public:
  struct Check {
    int id;
    std::vector<plat::ConfigParameter*> params;
    const char* checked;
    const char* unchecked;
    const char* tip;
  };
  struct Text {
    int id;
    plat::ConfigParameter* param;
    bool list; // a drop-down list of the parameter's names
  };

  Page(Options* options, const wchar_t* resource, std::vector<Check> checks,
       std::vector<Text> texts)
      : ui::ConfigDialog(options, resource), checks_(checks), texts_(texts) {}

  bool onInitDialog() override {
    checkboxes_.clear();
    edits_.clear();
    lists_.clear();
    for (const Check& c : checks_) {
      checkboxes_.emplace_back(new ui::Checkbox);
      checkboxes_.back()->wrap(getDlgItem(c.id));
      for (plat::ConfigParameter* p : c.params)
        sync().bindCheckbox(checkboxes_.back().get(), p, c.checked, c.unchecked);
      if (c.tip)
        setToolTip(c.id, c.tip, 300);
    }
    for (const Text& t : texts_) {
      if (t.list) {
        lists_.emplace_back(new ui::ComboBox);
        ui::ComboBox* list = lists_.back().get();
        list->wrap(getDlgItem(t.id));
        fillList(list, t.param);
        sync().bindText(list, t.param);
      } else {
        edits_.emplace_back(new ui::EditBox);
        edits_.back()->wrap(getDlgItem(t.id));
        sync().bindText(edits_.back().get(), t.param);
      }
    }
    return false;
  }

  virtual void fillList(ui::ComboBox* list, plat::ConfigParameter* param) {
    for (const char* const* n = static_cast<plat::EnumParameter*>(param)->getNames(); *n; n++)
      list->addString(*n);
  }

  ui::Checkbox* checkbox(int i) { return checkboxes_[i].get(); }

private:
  std::vector<Check> checks_;
  std::vector<Text> texts_;
  std::vector<std::unique_ptr<ui::Checkbox>> checkboxes_;
  std::vector<std::unique_ptr<ui::EditBox>> edits_;
  std::vector<std::unique_ptr<ui::ComboBox>> lists_;
};

// The menu-key list shows the empty key as "none".
class BasicPage : public Page, public ui::ConfigSync::ParamSubstituteCallback {
public:
  explicit BasicPage(Options* o)
      : Page(o, L"BASIC_PAGE",
             {{IDC_FULLSCREEN, {&o->fullScreen}, "1", "0",
               "Display the remote desktop in full screen mode."},
              {IDC_TOOLBAR, {&o->enableToolbar}, "1", "0",
               "Add an auto-hiding tool-bar to the Kiv Viewer window."},
              {IDC_VIEWONLY,
               {&o->sendKeyEvents, &o->sendPointerEvents, &o->clientCutText, &o->serverCutText,
                &o->shareFiles, &o->enableChat},
               "0", "1", "Disable file transfer and keyboard, mouse and clipboard interaction."}},
             {{IDC_MENUKEY, &o->menuKey, true}}) {
    sync().setSubstituteCallback(this);
  }
  void fillList(ui::ComboBox* list, plat::ConfigParameter* param) override {
    list->addString("none");
    for (int i = 1; i <= 12; i++)
      list->addString(("F" + std::to_string(i)).c_str());
  }
  void substitute(const char* name, const char** value, bool toParameter) override {
    if (strcmp(name, "MenuKey") != 0)
      return;
    if (toParameter && strcmp(*value, "none") == 0)
      *value = "";
    else if (!toParameter && !**value)
      *value = "none";
  }
};

inline Page* serverPage(Options* o) {
  return new Page(o, L"SERVER_PAGE", {},
                  {{IDC_USERNAME, &o->userName, false},
                   {IDC_ENCRYPTION, &o->encryption, true},
                   {IDC_PROXY, &o->proxyServer, false}});
}

inline Page* inputsPage(Options* o) {
  return new Page(o, L"INPUTS_PAGE",
                  {{IDC_SENDKEYS, {&o->sendKeyEvents}, "1", "0", nullptr},
                   {IDC_SENDPOINTER, {&o->sendPointerEvents}, "1", "0", nullptr},
                   {IDC_SENDCLIPBOARD, {&o->clientCutText}, "1", "0", nullptr},
                   {IDC_ACCEPTCLIPBOARD, {&o->serverCutText}, "1", "0", nullptr},
                   {IDC_SHAREFILES, {&o->shareFiles}, "1", "0", nullptr},
                   {IDC_CHAT, {&o->enableChat}, "1", "0", nullptr}},
                  {{IDC_INTERVAL, &o->pointerEventInterval, false}});
}

inline Page* printingPage(Options* o) {
  return new Page(o, L"PRINTING_PAGE",
                  {{IDC_PRINTING, {&o->enableRemotePrinting}, "1", "0", nullptr},
                   {IDC_DEFAULTPRINTER, {&o->changeServerDefaultPrinter}, "1", "0", nullptr},
                   {IDC_SCALEPRINT, {&o->scalePrintOutput}, "1", "0", nullptr}},
                  {});
}

// A point in the expert list's cell (column 0 name, 1 value) of a row,
// scrolled into view, as a mouse message carries it.
inline LPARAM cellPoint(HWND list, const char* name, int column) {
  std::wstring wname(name, name + strlen(name));
  LVFINDINFOW find = {LVFI_STRING, wname.c_str()};
  int row = (int)SendMessageW(list, LVM_FINDITEMW, (WPARAM)-1, (LPARAM)&find);
  SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
  RECT r = {};
  r.top = column;
  r.left = LVIR_BOUNDS;
  SendMessageW(list, LVM_GETSUBITEMRECT, row, (LPARAM)&r);
  if (column == 0)
    r.right = (LONG)SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0);
  return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// Every option at priority 50, as read from a connection file, with the
// view-only inputs disagreeing.
inline void loadEntry(Options* o) {
  for (plat::ConfigParameter* p = o->head(); p; p = p->next())
    p->setParam(p->getValueStr().c_str(), 50);
  o->userName.setParam("avery", 50);
  o->proxyServer.setParam("proxy.example.org:3128", 50);
  o->encryption.setParam("PreferOn", 50);
  o->sendKeyEvents.setParam("0", 50);
  o->pointerEventInterval.setParam("20", 50);
  o->menuKey.setParam("", 50);
}

} // namespace option_pages

#endif

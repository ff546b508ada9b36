// A dialog that shows mark-up in its owner-drawn statics through one
// ui::Hyperlinks, as the programs' dialogs do, and records link clicks.
#pragma once

#include "plat/MarkUp.h"
#include "ui/win/Dialog.h"
#include "ui/win/Hyperlinks.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

struct MarkupHost : ui::Dialog, plat::MarkUp::LinkCallback {
  explicit MarkupHost(const wchar_t* dialogTemplate) : ui::Dialog(dialogTemplate) {}

  void linkClicked(int linkId) override {
    if (clickThrows)
      clickThrows();
    clicks.push_back(linkId);
  }

  INT_PTR handleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_DRAWITEM) {
      const DRAWITEMSTRUCT* item = (const DRAWITEMSTRUCT*)lParam;
      auto text = texts.find((int)item->CtlID);
      if (text != texts.end()) {
        FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
        SetBkColor(item->hDC, GetSysColor(COLOR_BTNFACE));
        if (!links.isCompiled(item->hwndItem)) {
          RECT area = item->rcItem;
          links.initTabs(text->second.c_str(), item->hDC, &area, item->hwndItem, this);
        }
        links.draw(item->hwndItem, item->hDC);
        return 1;
      }
    }
    if (links.handleDialogMessage(hwnd, msg, wParam, lParam))
      return 1;
    return ui::Dialog::handleMessage(hwnd, msg, wParam, lParam);
  }

  // Shows the dialog and lays its texts out, as the first paint does.
  void open() {
    show(nullptr);
    paint();
  }
  void paint() {
    RedrawWindow(getHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }

  ui::Hyperlinks links;
  std::map<int, std::string> texts;
  std::vector<int> clicks;
  // When set, a click runs it (it throws) instead of being recorded.
  std::function<void()> clickThrows;
};

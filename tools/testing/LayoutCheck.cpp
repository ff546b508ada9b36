#include "testing/LayoutCheck.h"
#include "testing/TempDir.h"
#include "testing/TextInk.h"
#include "testing/WindowInput.h"

#include <commctrl.h>

#include <cstdio>

namespace testing_support {

namespace {

std::wstring className(HWND window) {
  wchar_t cls[64];
  GetClassNameW(window, cls, 64);
  return cls;
}

std::string describe(HWND window) {
  char text[200];
  std::string shown = utf8(windowText(window));
  if (shown.size() > 40)
    shown = shown.substr(0, 37) + "...";
  snprintf(text, sizeof(text), "%s %d \"%s\"", utf8(className(window)).c_str(),
           GetDlgCtrlID(window), shown.c_str());
  return text;
}

RECT rectIn(HWND window, HWND parent) {
  RECT r;
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, parent, (POINT*)&r, 2);
  return r;
}

bool isGroupBox(HWND window, const std::wstring& cls) {
  return lstrcmpiW(cls.c_str(), L"Button") == 0 &&
         (GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// Controls whose rectangle may lie over others by design.
bool overlapsByDesign(HWND window, const std::wstring& cls) {
  // Group boxes, tab controls and child dialogs hold other controls.
  if (isGroupBox(window, cls) || cls == L"#32770" || lstrcmpiW(cls.c_str(), WC_TABCONTROLW) == 0)
    return true;
  if (lstrcmpiW(cls.c_str(), L"ScrollBar") == 0)
    return (GetWindowLongW(window, GWL_STYLE) & SBS_SIZEGRIP) != 0; // only its corner shows
  // Icons, frames and overlays have no text.
  return lstrcmpiW(cls.c_str(), L"Static") == 0 && windowText(window).empty();
}

// An edit box or a list shown over a cell of a list view sibling, wholly
// inside it, edits that cell in place.
bool editsInPlace(HWND editor, const std::wstring& editorCls, HWND list,
                  const std::wstring& listCls, HWND parent) {
  if (lstrcmpiW(listCls.c_str(), L"SysListView32") != 0 ||
      (lstrcmpiW(editorCls.c_str(), L"Edit") != 0 &&
       lstrcmpiW(editorCls.c_str(), L"ComboBox") != 0))
    return false;
  RECT e = rectIn(editor, parent), l = rectIn(list, parent), both;
  IntersectRect(&both, &e, &l);
  return EqualRect(&both, &e) != 0;
}

// The room a text needs in the window's font; a word wrapped static only
// needs its height to fit.
void checkText(HWND window, const std::wstring& cls, std::vector<std::string>& faults) {
  std::wstring text = windowText(window);
  if (text.empty())
    return;
  LONG style = GetWindowLongW(window, GWL_STYLE);
  bool isStatic = lstrcmpiW(cls.c_str(), L"Static") == 0;
  bool isButton = lstrcmpiW(cls.c_str(), L"Button") == 0;
  if (!isStatic && !isButton)
    return;
  LONG type = isStatic ? (style & SS_TYPEMASK) : (style & BS_TYPEMASK);
  if (isStatic && type > SS_RIGHT && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP)
    return; // pictures, frames, owner drawn
  if (isButton && (type == BS_OWNERDRAW || (style & BS_MULTILINE)))
    return;

  RECT client;
  GetClientRect(window, &client);
  HFONT font = (HFONT)SendMessageW(window, WM_GETFONT, 0, 0);
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  UINT prefix = (isStatic && (style & SS_NOPREFIX)) ? DT_NOPREFIX : 0;
  RECT need = {0, 0, client.right, 0};
  bool wraps = isStatic && type <= SS_RIGHT;
  DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | prefix | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(window, dc);

  int room = client.right;
  if (isButton) {
    bool check = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                 type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
    // The box and its gap, or the push button's edges and focus frame.
    room -= check ? GetSystemMetrics(SM_CXMENUCHECK) + GetSystemMetrics(SM_CXEDGE) * 2
                  : GetSystemMetrics(SM_CXEDGE) * 4;
  }
  char line[300];
  if (need.right > room) {
    snprintf(line, sizeof(line), "%s: text needs %ld px, has %d", describe(window).c_str(),
             need.right, room);
    faults.push_back(line);
  }
  if (need.bottom > client.bottom + 1 && !(isButton && type == BS_GROUPBOX)) {
    snprintf(line, sizeof(line), "%s: text needs %ld px height, has %ld", describe(window).c_str(),
             need.bottom, client.bottom);
    faults.push_back(line);
  }
  if (drawsInNormalWeight(font, text))
    faults.push_back(describe(window) + ": bold text drawn in the normal weight");
}

struct Children {
  HWND parent;
  std::vector<HWND> list;
};

BOOL CALLBACK collect(HWND window, LPARAM param) {
  Children* children = (Children*)param;
  if (GetParent(window) == children->parent && IsWindowVisible(window))
    children->list.push_back(window);
  return TRUE;
}

void checkLevel(HWND parent, std::vector<std::string>& faults) {
  Children children = {parent, {}};
  EnumChildWindows(parent, collect, (LPARAM)&children);
  RECT client;
  GetClientRect(parent, &client);
  for (size_t i = 0; i < children.list.size(); i++) {
    HWND a = children.list[i];
    std::wstring clsA = className(a);
    checkText(a, clsA, faults);
    RECT ra = rectIn(a, parent);
    RECT inside;
    IntersectRect(&inside, &ra, &client);
    if (!EqualRect(&inside, &ra) && !overlapsByDesign(a, clsA))
      faults.push_back(describe(a) + ": reaches outside its parent");
    for (size_t j = i + 1; j < children.list.size(); j++) {
      HWND b = children.list[j];
      std::wstring clsB = className(b);
      if (overlapsByDesign(a, clsA) || overlapsByDesign(b, clsB) ||
          editsInPlace(a, clsA, b, clsB, parent) || editsInPlace(b, clsB, a, clsA, parent))
        continue;
      RECT rb = rectIn(b, parent), both;
      if (IntersectRect(&both, &ra, &rb))
        faults.push_back(describe(a) + " overlaps " + describe(b));
    }
    checkLevel(a, faults);
  }
}

} // namespace

std::vector<std::string> layoutFaults(HWND window) {
  std::vector<std::string> faults;
  checkLevel(window, faults);
  return faults;
}

} // namespace testing_support

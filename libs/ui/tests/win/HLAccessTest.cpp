#include "LinkDialogs.h"
#include "MarkupHost.h"
#include "ui/Parameters.h"

#include <gtest/gtest.h>

#include <oleacc.h>

#include <memory>
#include <new>
#include <stdexcept>

namespace {

VARIANT child(LONG id, VARTYPE type = VT_I4) {
  VARIANT v;
  VariantInit(&v);
  v.vt = type;
  v.lVal = id;
  return v;
}

// A VARIANT answer: the VT_I4 value, -1 for VT_EMPTY, -2 for a failure.
LONG answer(HRESULT hr, const VARIANT& v) {
  return FAILED(hr) ? -2 : v.vt == VT_EMPTY ? -1 : v.vt == VT_I4 ? v.lVal : -999;
}

typedef HRESULT (STDMETHODCALLTYPE IAccessible::*ChildProperty)(VARIANT, VARIANT*);
LONG property(IAccessible* acc, ChildProperty get, LONG id) {
  VARIANT v;
  VariantInit(&v);
  return answer((acc->*get)(child(id), &v), v);
}

LONG navigate(IAccessible* acc, LONG direction, LONG from) {
  VARIANT v;
  VariantInit(&v);
  return answer(acc->accNavigate(direction, child(from), &v), v);
}

LONG hitAt(IAccessible* acc, LONG x, LONG y) {
  VARIANT v;
  VariantInit(&v);
  return answer(acc->accHitTest(x, y, &v), v);
}

std::wstring nameOf(IAccessible* acc, LONG id) {
  BSTR name = nullptr;
  if (FAILED(acc->get_accName(child(id), &name)) || !name)
    return L"(none)";
  std::wstring text(name, SysStringLen(name));
  SysFreeString(name);
  return text;
}

// What a screen reader gets for the control, or null.
IAccessible* accessibleOf(HWND control) {
  IAccessible* acc = nullptr;
  if (FAILED(AccessibleObjectFromWindow(control, (DWORD)OBJID_CLIENT, __uuidof(IAccessible),
                                        (void**)&acc)))
    return nullptr;
  return acc;
}

struct Accessible {
  Accessible() {
    CoInitialize(nullptr);
    ui::supportAccessibilityApis.setValue(true, 50);
  }
  ~Accessible() {
    ui::supportAccessibilityApis.setValue(false, 50);
    CoUninitialize();
  }
};

} // namespace

TEST(HLAccess, ChildrenRolesNamesStatesAndActions) {
  MarkupHost host(L"LINKS_DIALOG");
  host.texts[IDC_LINKS] = "Hello ^1{world^} again";
  host.texts[IDC_NOTES] = "";
  host.open();
  HWND links = host.getDlgItem(IDC_LINKS);
  // Served only with the setting on.
  EXPECT_EQ(0, SendMessageW(links, WM_GETOBJECT, 0, (LPARAM)OBJID_CLIENT));
  Accessible on;
  IAccessible* acc = accessibleOf(links);
  ASSERT_NE(nullptr, acc);
  LONG count = 0;
  EXPECT_EQ(S_OK, acc->get_accChildCount(&count));
  EXPECT_EQ(3, count);
  EXPECT_EQ(L"Hello world again", nameOf(acc, 0));
  EXPECT_EQ(L"world", nameOf(acc, 2));
  const ChildProperty role = &IAccessible::get_accRole, state = &IAccessible::get_accState;
  EXPECT_EQ(ROLE_SYSTEM_STATICTEXT, property(acc, role, 0));
  EXPECT_EQ(ROLE_SYSTEM_STATICTEXT, property(acc, role, 1));
  EXPECT_EQ(ROLE_SYSTEM_LINK, property(acc, role, 2));
  EXPECT_EQ(-2, property(acc, role, 4)); // one past the last
  VARIANT v;
  EXPECT_EQ(E_INVALIDARG, acc->get_accRole(child(1, VT_I2), &v));
  EXPECT_EQ(0x40, property(acc, state, 1));
  EXPECT_EQ(0x100040, property(acc, state, 2));

  BSTR action = nullptr;
  EXPECT_EQ(S_OK, acc->get_accDefaultAction(child(2), &action));
  EXPECT_STREQ(L"Press", action);
  SysFreeString(action);
  EXPECT_EQ(S_OK, acc->get_accDefaultAction(child(3), &action));
  EXPECT_EQ(nullptr, action);
  EXPECT_EQ(S_OK, acc->accDoDefaultAction(child(2)));
  EXPECT_EQ(E_FAIL, acc->accDoDefaultAction(child(1)));
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, acc->accDoDefaultAction(child(0)));
  EXPECT_EQ(std::vector<int>{1}, host.clicks);
  // Whatever the program's link callback throws stays on this side.
  host.clickThrows = [] { throw std::runtime_error("refused"); };
  EXPECT_EQ(E_FAIL, acc->accDoDefaultAction(child(2)));
  host.clickThrows = [] { throw std::bad_alloc(); };
  EXPECT_EQ(E_FAIL, acc->accDoDefaultAction(child(2)));
  host.clickThrows = nullptr;
  EXPECT_EQ(S_OK, acc->accDoDefaultAction(child(2)));
  EXPECT_EQ((std::vector<int>{1, 1}), host.clicks);

  // The keyboard focus on the link shows in its state and in the focus.
  SetFocus(host.getDlgItem(IDC_BEFORE));
  MSG tab = {host.getDlgItem(IDC_BEFORE), WM_KEYDOWN, VK_TAB, 0};
  ui::Dialog::isDialogMessage(&tab);
  ASSERT_EQ(links, GetFocus());
  EXPECT_EQ(0x100044, property(acc, state, 2));
  EXPECT_EQ(2, answer(acc->get_accFocus(&v), v));

  // The control without segments still has a first child.
  IAccessible* empty = accessibleOf(host.getDlgItem(IDC_NOTES));
  ASSERT_NE(nullptr, empty);
  EXPECT_EQ(1, navigate(empty, NAVDIR_FIRSTCHILD, 0));
  empty->Release();
  acc->Release();
}

TEST(HLAccess, LocationHitTestAndNavigation) {
  Accessible on;
  MarkupHost host(L"LINKS_DIALOG");
  host.texts[IDC_LINKS] = "Hello there and welcome, ^1{world^} again\n^2{the second line^}";
  host.open();
  HWND links = host.getDlgItem(IDC_LINKS);
  IAccessible* acc = accessibleOf(links);
  ASSERT_NE(nullptr, acc);
  // Segments: the greeting, world, again, the empty end of line 1, the
  // second line (shorter than the greeting, longer than half of it).
  LONG count = 0;
  acc->get_accChildCount(&count);
  ASSERT_EQ(5, count);
  LONG x, y, w, h;
  EXPECT_EQ(S_OK, acc->accLocation(&x, &y, &w, &h, child(2)));
  EXPECT_EQ(E_INVALIDARG, acc->accLocation(&x, nullptr, &w, &h, child(2)));
  EXPECT_EQ(2, hitAt(acc, x + w / 2, y + h / 2));
  RECT window;
  GetWindowRect(links, &window);
  EXPECT_EQ(S_OK, acc->accLocation(&x, &y, &w, &h, child(0)));
  EXPECT_EQ(window.left, x);
  EXPECT_EQ(window.right - window.left, w);
  // The right edge pixel is inside the control and outside every segment.
  EXPECT_EQ(0, hitAt(acc, window.right, window.top + 2));
  EXPECT_EQ(-1, hitAt(acc, window.right + 1, window.top + 2));

  EXPECT_EQ(2, navigate(acc, NAVDIR_RIGHT, 1));
  EXPECT_EQ(1, navigate(acc, NAVDIR_LEFT, 2));
  EXPECT_EQ(5, navigate(acc, NAVDIR_DOWN, 1));
  EXPECT_EQ(1, navigate(acc, NAVDIR_UP, 5));
  EXPECT_EQ(-1, navigate(acc, NAVDIR_UP, 1));
  EXPECT_EQ(-2, navigate(acc, NAVDIR_UP, 0));
  EXPECT_EQ(-1, navigate(acc, NAVDIR_NEXT, 5));
  EXPECT_EQ(5, navigate(acc, NAVDIR_LASTCHILD, 0));
  EXPECT_EQ(-2, navigate(acc, 9, 1));
  acc->Release();
}

TEST(HLAccess, AClientThatOutlivesTheDialogGetsErrors) {
  Accessible on;
  IAccessible* kept[2] = {};
  for (int i = 0; i < 2; i++) {
    auto host = std::make_unique<MarkupHost>(L"LINKS_DIALOG");
    host->texts[IDC_LINKS] = "Hello ^1{world^} again";
    host->open();
    kept[i] = accessibleOf(host->getDlgItem(IDC_LINKS));
    ASSERT_NE(nullptr, kept[i]);
    // Gone with its window first, or with the whole dialog object.
    if (i == 0)
      host->end(false);
  }
  for (IAccessible* acc : kept) {
    LONG count = -1;
    EXPECT_EQ(E_FAIL, acc->get_accChildCount(&count));
    EXPECT_EQ(E_FAIL, acc->accDoDefaultAction(child(2)));
    EXPECT_EQ(L"(none)", nameOf(acc, 0));
    acc->Release();
  }
}

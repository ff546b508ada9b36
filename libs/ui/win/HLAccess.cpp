#include "ui/win/HLAccess.h"
#include "plat/Exception.h"
#include "plat/LogWriter.h"
#include "plat/win/Unicode.h"
#include "ui/win/Hyperlinks.h"

namespace ui {

static plat::LogWriter vlog("HLAccess");

namespace {

enum { TraceLevel = 101 };

void setI4(VARIANT* v, LONG value) {
  VariantInit(v);
  v->vt = VT_I4;
  v->lVal = value;
}

void setEmpty(VARIANT* v) { VariantInit(v); }

const Hyperlinks::Segment& segmentOf(const Hyperlinks::Entry* e, int child) {
  return e->segments[child - 1];
}

} // namespace

void HLAccess::getInterfaces(com::InterfaceList* list) {
  IAccessible* self = this;
  list->push_back({IID_IUnknown, self});
  list->push_back({IID_IDispatch, self});
  list->push_back({__uuidof(IAccessible), self});
}

const Hyperlinks::Entry* HLAccess::attached() const {
  return owner_ ? owner_->entry(control_) : nullptr;
}

HRESULT HLAccess::checkChild(const VARIANT& child, int* id) const {
  const Hyperlinks::Entry* e = attached();
  if (child.vt != VT_I4 || child.lVal < 0 || child.lVal > (LONG)e->segments.size())
    return E_INVALIDARG;
  *id = child.lVal;
  return S_OK;
}

int HLAccess::childAt(POINT point) const {
  int index;
  owner_->hitTest(control_, point, &index);
  return index + 1;
}

HRESULT HLAccess::GetTypeInfoCount(UINT* count) {
  vlog.write(TraceLevel, "GetTypeInfoCount");
  if (!count)
    return E_INVALIDARG;
  *count = 0;
  return S_OK;
}

HRESULT HLAccess::GetTypeInfo(UINT, LCID, ITypeInfo**) {
  vlog.write(TraceLevel, "GetTypeInfo");
  return E_NOTIMPL;
}

HRESULT HLAccess::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  vlog.write(TraceLevel, "GetIDsOfNames");
  return E_NOTIMPL;
}

HRESULT HLAccess::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  vlog.write(TraceLevel, "Invoke");
  return E_NOTIMPL;
}

HRESULT HLAccess::get_accParent(IDispatch** parent) {
  vlog.write(TraceLevel, "get_accParent");
  const Hyperlinks::Entry* e = attached();
  if (!e)
    return E_FAIL;
  if (!parent)
    return E_INVALIDARG;
  return AccessibleObjectFromWindow(GetParent(control_), (DWORD)OBJID_CLIENT, IID_IDispatch,
                                    (void**)parent);
}

HRESULT HLAccess::get_accChildCount(LONG* count) {
  vlog.write(TraceLevel, "get_accChildCount");
  const Hyperlinks::Entry* e = attached();
  if (!e)
    return E_FAIL;
  if (!count)
    return E_INVALIDARG;
  *count = (LONG)e->segments.size();
  return S_OK;
}

HRESULT HLAccess::get_accChild(VARIANT, IDispatch** out) {
  vlog.write(TraceLevel, "get_accChild");
  if (out)
    *out = nullptr;
  return S_FALSE; // the segments are simple elements
}

HRESULT HLAccess::get_accName(VARIANT child, BSTR* name) {
  vlog.write(TraceLevel, "get_accName");
  const Hyperlinks::Entry* e = attached();
  if (!e)
    return E_FAIL;
  int id;
  if (FAILED(checkChild(child, &id)) || !name)
    return E_INVALIDARG;
  try {
    if (id == CHILDID_SELF) {
      plat::MarkUp::Stripper plain(e->markup.c_str());
      plat::WString text(plain.plainText());
      *name = SysAllocString(text.c_str());
    } else {
      const std::wstring& text = segmentOf(e, id).text;
      *name = SysAllocStringLen(text.data(), (UINT)text.size());
    }
  } catch (...) {
    vlog.error("get_accName: %s", plat::caughtText());
    return E_FAIL;
  }
  return *name ? S_OK : E_OUTOFMEMORY;
}

HRESULT HLAccess::get_accValue(VARIANT, BSTR*) {
  vlog.write(TraceLevel, "get_accValue");
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT HLAccess::get_accDescription(VARIANT, BSTR*) {
  vlog.write(TraceLevel, "get_accDescription");
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT HLAccess::get_accRole(VARIANT child, VARIANT* role) {
  vlog.write(TraceLevel, "get_accRole");
  const Hyperlinks::Entry* e = attached();
  if (!e)
    return E_FAIL;
  int id;
  if (FAILED(checkChild(child, &id)) || !role)
    return E_INVALIDARG;
  bool link = id != CHILDID_SELF && segmentOf(e, id).linkId;
  setI4(role, link ? ROLE_SYSTEM_LINK : ROLE_SYSTEM_STATICTEXT);
  return S_OK;
}

HRESULT HLAccess::get_accState(VARIANT child, VARIANT* state) {
  vlog.write(TraceLevel, "get_accState");
  const Hyperlinks::Entry* e = attached();
  if (!e)
    return E_FAIL;
  int id;
  if (FAILED(checkChild(child, &id)) || !state)
    return E_INVALIDARG;
  LONG bits = STATE_SYSTEM_READONLY;
  if (id != CHILDID_SELF) {
    const Hyperlinks::Segment& s = segmentOf(e, id);
    // A link is focusable: the keyboard moves the focus rectangle onto it.
    if (s.linkId)
      bits |= STATE_SYSTEM_FOCUSABLE;
    if (s.focused && GetFocus() == control_)
      bits |= STATE_SYSTEM_FOCUSED;
  }
  setI4(state, bits);
  return S_OK;
}

HRESULT HLAccess::get_accHelp(VARIANT, BSTR*) {
  vlog.write(TraceLevel, "get_accHelp");
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT HLAccess::get_accHelpTopic(BSTR*, VARIANT, LONG*) {
  vlog.write(TraceLevel, "get_accHelpTopic");
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT HLAccess::get_accKeyboardShortcut(VARIANT, BSTR*) {
  vlog.write(TraceLevel, "get_accKeyboardShortcut");
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT HLAccess::get_accFocus(VARIANT* child) {
  vlog.write(TraceLevel, "get_accFocus");
  const Hyperlinks::Entry* e = attached();
  if (!e)
    return E_FAIL;
  if (!child)
    return E_INVALIDARG;
  if (GetFocus() != control_) {
    setEmpty(child);
    return S_OK;
  }
  LONG id = CHILDID_SELF;
  for (size_t i = 0; i < e->segments.size(); i++)
    if (e->segments[i].focused)
      id = (LONG)i + 1;
  setI4(child, id);
  return S_OK;
}

HRESULT HLAccess::get_accSelection(VARIANT*) {
  vlog.write(TraceLevel, "get_accSelection");
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT HLAccess::get_accDefaultAction(VARIANT child, BSTR* action) {
  vlog.write(TraceLevel, "get_accDefaultAction");
  const Hyperlinks::Entry* e = attached();
  if (!e)
    return E_FAIL;
  int id;
  if (FAILED(checkChild(child, &id)) || !action)
    return E_INVALIDARG;
  bool link = id != CHILDID_SELF && segmentOf(e, id).linkId;
  *action = link ? SysAllocString(L"Press") : nullptr;
  return S_OK;
}

HRESULT HLAccess::accSelect(LONG, VARIANT) {
  vlog.write(TraceLevel, "accSelect");
  return S_OK;
}

HRESULT HLAccess::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) {
  vlog.write(TraceLevel, "accLocation");
  const Hyperlinks::Entry* e = attached();
  if (!e)
    return E_FAIL;
  int id;
  if (FAILED(checkChild(child, &id)) || !left || !top || !width || !height)
    return E_INVALIDARG;
  vlog.write(TraceLevel, "  child id = %i", id);
  RECT r;
  if (id == CHILDID_SELF) {
    GetWindowRect(control_, &r);
  } else {
    r = segmentOf(e, id).rect;
    MapWindowPoints(control_, nullptr, (POINT*)&r, 2);
  }
  *left = r.left;
  *top = r.top;
  *width = r.right - r.left;
  *height = r.bottom - r.top;
  return S_OK;
}

HRESULT HLAccess::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  vlog.write(TraceLevel, "accNavigate");
  const Hyperlinks::Entry* e = attached();
  if (!e)
    return E_FAIL;
  int id;
  if (FAILED(checkChild(start, &id)) || !end)
    return E_INVALIDARG;
  int count = (int)e->segments.size();
  int to = 0;
  switch (direction) {
  case NAVDIR_UP:
  case NAVDIR_DOWN:
  case NAVDIR_LEFT:
  case NAVDIR_RIGHT: {
    if (id == CHILDID_SELF)
      return E_INVALIDARG;
    // One pixel outside the segment, on its centre line.
    const RECT& r = segmentOf(e, id).rect;
    POINT probe = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    if (direction == NAVDIR_UP)
      probe.y = r.top - 1;
    else if (direction == NAVDIR_DOWN)
      probe.y = r.bottom + 1;
    else if (direction == NAVDIR_LEFT)
      probe.x = r.left - 1;
    else
      probe.x = r.right + 1;
    to = childAt(probe);
    break;
  }
  case NAVDIR_NEXT:
    to = id + 1 <= count ? id + 1 : 0;
    break;
  case NAVDIR_PREVIOUS:
    to = id - 1 > 0 ? id - 1 : 0;
    break;
  case NAVDIR_FIRSTCHILD:
    setI4(end, 1);
    return S_OK;
  case NAVDIR_LASTCHILD:
    setI4(end, count);
    return S_OK;
  default:
    return E_INVALIDARG;
  }
  if (!to) {
    setEmpty(end);
    return S_FALSE;
  }
  setI4(end, to);
  return S_OK;
}

HRESULT HLAccess::accHitTest(LONG x, LONG y, VARIANT* child) {
  vlog.write(TraceLevel, "accHitTest(%i, %i)", (int)x, (int)y);
  const Hyperlinks::Entry* e = attached();
  if (!e)
    return E_FAIL;
  if (!child)
    return E_INVALIDARG;
  RECT r;
  GetWindowRect(control_, &r);
  // The window rectangle's edges count as inside.
  if (x < r.left || x > r.right || y < r.top || y > r.bottom) {
    vlog.write(TraceLevel, "  outside (%i,%i),(%i,%i)", (int)r.left, (int)r.top, (int)r.right,
               (int)r.bottom);
    setEmpty(child);
    return S_OK;
  }
  POINT p = {x, y};
  ScreenToClient(control_, &p);
  vlog.write(TraceLevel, "  client: (%i, %i)", (int)p.x, (int)p.y);
  int index;
  const Hyperlinks::Segment* s = owner_->hitTest(control_, p, &index);
  vlog.write(TraceLevel, "  result = %p, index = %i", (const void*)s, index);
  setI4(child, index + 1);
  return S_OK;
}

HRESULT HLAccess::accDoDefaultAction(VARIANT child) {
  vlog.write(TraceLevel, "accDoDefaultAction");
  const Hyperlinks::Entry* e = attached();
  if (!e)
    return E_FAIL;
  int id;
  if (FAILED(checkChild(child, &id)))
    return E_INVALIDARG;
  if (id == CHILDID_SELF)
    return DISP_E_MEMBERNOTFOUND;
  int linkId = segmentOf(e, id).linkId;
  if (!e->linkCallback || !linkId)
    return E_FAIL;
  try {
    e->linkCallback->linkClicked(linkId);
  } catch (...) {
    vlog.error("accDoDefaultAction: %s", plat::caughtText());
    return E_FAIL;
  }
  return S_OK;
}

HRESULT HLAccess::put_accName(VARIANT, BSTR) {
  vlog.write(TraceLevel, "put_accName");
  return E_NOTIMPL;
}

HRESULT HLAccess::put_accValue(VARIANT, BSTR) {
  vlog.write(TraceLevel, "put_accValue");
  return DISP_E_MEMBERNOTFOUND;
}

} // namespace ui

// What screen readers see of a control that shows mark-up through
// ui::Hyperlinks: an IAccessible whose children are the laid-out segments
// (child i is segment i - 1), links as links and the rest as static text.
// The Hyperlinks holds one reference and detaches the object when it
// forgets the control; a detached object answers E_FAIL, so a client that
// keeps it after the dialog is gone gets an error. Runs on the dialog's
// thread; every method is traced on "HLAccess" at level 101.
#pragma once

#include "com/win/ComObject.h"
#include "ui/win/Hyperlinks.h"

#include <oleacc.h>

namespace ui {

class HLAccess : public com::ComObjectImpl, public IAccessible {
public:
  HLAccess(Hyperlinks* owner, HWND control) : owner_(owner), control_(control) {}

  void detach() { owner_ = nullptr; }

  void getInterfaces(com::InterfaceList* list) override;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override;

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

private:
  // Null once detached: every method then answers E_FAIL.
  const Hyperlinks::Entry* attached() const;
  // S_OK with the child id (0: the control) when child names the control
  // or one of its segments.
  HRESULT checkChild(const VARIANT& child, int* id) const;
  // The index + 1 of the segment at point (client coordinates), or 0.
  int childAt(POINT point) const;

  Hyperlinks* owner_; // null once detached
  HWND control_;
};

} // namespace ui

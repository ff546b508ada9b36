#include "ui/win/ConfigDialog.h"
#include "os/win/RegKey.h"
#include "plat/ConfigParameter.h"
#include "plat/Configuration.h"
#include "ui/ConfigCompare.h"
#include "ui/win/RefusedValue.h"

namespace ui {

namespace {

struct RegKeyWriter : ChangedParamWriter {
  explicit RegKeyWriter(os::RegKey* key_) : key(key_) {}
  void write(const char* name, const char* value) override { key->setString(name, value); }
  os::RegKey* key;
};

} // namespace

ConfigDialog::ConfigDialog(plat::Configuration* working, ResourceId dialogTemplate,
                           plat::Configuration* saved, HINSTANCE instance, ResourceId bigIcon)
    : Dialog(dialogTemplate, instance, bigIcon), sync_(working, plat::PriorityUser),
      working_(working), saved_(saved), priority_(plat::PriorityUser) {}

bool ConfigDialog::onCommand(int id, int code) {
  // Setting a control's text while the page is filled tells of it too:
  // syncing back then would write what the other controls show before they
  // are filled.
  if (sync_.isSyncing())
    return false;
  if (code == BN_CLICKED || code == CBN_SELCHANGE || code == EN_CHANGE) {
    sync_.sync(true);
    notifyChanged();
  }
  return false;
}

void ConfigDialog::notifyChanged() {
  if (changedCallback_)
    changedCallback_->changed(this, isChanged());
}

void ConfigDialog::onShow() { sync_.sync(false); }

bool ConfigDialog::validate() {
  ConfigSync::Refusal refusal = sync_.refused();
  if (!refusal.pending)
    return true;
  // The page shows the values in force again, then says what was refused.
  sync_.clearRefusal();
  sync_.sync(false);
  if (plat::ConfigParameter* param = working_->get(refusal.paramName.c_str()))
    showRefusedValue(GetAncestor(getHandle(), GA_ROOT), *param, refusal.text.c_str());
  return false;
}

bool ConfigDialog::apply() {
  if (saved_)
    saved_->copyFrom(*working_);
  return true;
}

bool ConfigDialog::saveChanges(os::RegKey* key) { return compare(key); }

bool ConfigDialog::compare(os::RegKey* key) {
  if (!key)
    return compareConfig(working_, saved_, nullptr);
  RegKeyWriter writer(key);
  return compareConfig(working_, saved_, &writer);
}

INT_PTR ConfigDialog::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = Dialog::handleMessage(hwnd, message, wParam, lParam);
  // The bound controls were this window's.
  if (message == WM_DESTROY)
    sync_.clear();
  return result;
}

} // namespace ui

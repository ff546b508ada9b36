#include "ledrow/app/win/OptionsDlg.h"
#include "ledrow/app/MasterPasswordChange.h"
#include "ledrow/app/Parameters.h"
#include "ledrow/app/win/MainDialog.h"
#include "ledrow/app/win/Resources.h"
#include "ledrow/app/win/SettingsKey.h"
#include "ledrow/app/win/StartWithWindows.h"
#include "ledrow/book/TreeLeaf.h"
#include "ledrow/passwords/Parameters.h"
#include "os/win/CentreWindow.h"
#include "plat/DString.h"
#include "plat/win/Unicode.h"
#include "ui/win/MsgBox.h"

#include <algorithm>

namespace addrbook {

namespace {

const int TipWidth = 300;

// The password behaviours, in EncryptPassword's order.
const int behaviourButtons[] = {IDC_NEVER_SAVE, IDC_ALWAYS_SAVE, IDC_ALWAYS_ENCRYPT,
                                IDC_ASK_EACH_TIME};
const char* const unitNames[ExpiryUnitCount] = {"seconds", "minutes", "hours", "days"};

void warnNotSaved(HWND owner, const plat::Exception& e) {
  plat::DString text;
  text.appendf("Warning: unable to save settings: %s", e.str());
  ui::MsgBox(owner, text.c_str(), MB_OK | MB_ICONWARNING);
}

} // namespace

OptionsDlg::OptionsDlg(MainDialog* book) : Dialog(IDD_OPTIONS), book_(book) {}

bool OptionsDlg::onInitDialog() {
  HWND dialog = getHandle();
  CheckRadioButton(dialog, IDC_ALWAYS_ASK, IDC_REMEMBER_FOR,
                   rememberPassword ? IDC_REMEMBER_FOR : IDC_ALWAYS_ASK);
  for (const char* name : unitNames) {
    plat::WString wide(name);
    SendDlgItemMessageW(dialog, IDC_EXPIRY_UNIT, CB_ADDSTRING, 0, (LPARAM)wide.c_str());
  }
  SendDlgItemMessageW(dialog, IDC_EXPIRY_SPIN, UDM_SETRANGE32, 0, MaxExpiryCount);
  showExpiry(decomposeExpiry(passwordExpiry));
  enableExpiry();
  int behaviour = encryptPassword;
  if (behaviour < 0 || behaviour > 3)
    behaviour = 3;
  CheckRadioButton(dialog, IDC_NEVER_SAVE, IDC_ASK_EACH_TIME, behaviourButtons[behaviour]);
  showChangeText();
  CheckDlgButton(dialog, IDC_SHOW_TRAY_ICON, minimiseToTray ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_START_MINIMISED, startMinimised ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_START_WITH_WINDOWS,
                 startsWithWindows() ? BST_CHECKED : BST_UNCHECKED);

  setToolTip(IDC_NEVER_SAVE,
             "New entries created from Kiv Viewer's Save Connection feature will not include a "
             "password. You will be asked for the Kiv Server password each time you launch these "
             "entries.",
             TipWidth);
  setToolTip(IDC_ALWAYS_SAVE,
             "New entries created from Kiv Viewer's Save Connection feature will include a "
             "password, and their use will not be protected by your Master Password.",
             TipWidth);
  setToolTip(IDC_ALWAYS_ENCRYPT,
             "New entries created from Kiv Viewer's Save Connection feature will include a "
             "password, and their use will be protected by your Master Password.",
             TipWidth);
  setToolTip(IDC_ASK_EACH_TIME,
             "New entries created from Kiv Viewer's Save Connection feature will always ask you "
             "what to do with the password.",
             TipWidth);
  setToolTip(IDC_REMEMBER_FOR, "Only ask for the Master Password occasionally.", TipWidth);
  setToolTip(IDC_SHOW_TRAY_ICON,
             "Display an icon in the system tray. If this option is selected, then minimising or "
             "closing Kiv Address Book will send it to the system tray.",
             TipWidth);
  setToolTip(IDC_START_MINIMISED,
             "Do not display the main window when Kiv Address Book starts up. The application "
             "can still be accessed from the system tray.",
             TipWidth);
  setToolTip(IDC_START_WITH_WINDOWS,
             "Start Kiv Address Book automatically when you log in. This is most useful in "
             "conjunction with the \"Minimise to tray\" and \"Start minimised\" options.",
             TipWidth);
  os::centreWindow(dialog, GetParent(dialog));
  return false;
}

void OptionsDlg::enableExpiry() {
  bool remember = IsDlgButtonChecked(getHandle(), IDC_REMEMBER_FOR) == BST_CHECKED;
  for (int id : {IDC_EXPIRY_COUNT, IDC_EXPIRY_SPIN, IDC_EXPIRY_UNIT})
    EnableWindow(getDlgItem(id), remember);
}

ExpiryCount OptionsDlg::shownExpiry() {
  BOOL read = FALSE;
  int count = (int)GetDlgItemInt(getHandle(), IDC_EXPIRY_COUNT, &read, FALSE);
  int unit = (int)SendDlgItemMessageW(getHandle(), IDC_EXPIRY_UNIT, CB_GETCURSEL, 0, 0);
  return ExpiryCount{std::min(read ? count : 0, (int)MaxExpiryCount),
                     unit >= 0 && unit < ExpiryUnitCount ? (ExpiryUnit)unit : Seconds};
}

void OptionsDlg::showExpiry(ExpiryCount expiry) {
  SetDlgItemInt(getHandle(), IDC_EXPIRY_COUNT, (UINT)expiry.count, TRUE);
  SendDlgItemMessageW(getHandle(), IDC_EXPIRY_UNIT, CB_SETCURSEL, expiry.unit, 0);
}

void OptionsDlg::showChangeText() {
  SetDlgItemTextW(getHandle(), IDC_CHANGE_MASTER,
                  masterPassword.getValueStr().length() ? L"C&hange..." : L"Configure...");
}

bool OptionsDlg::onCommand(int id, int code) {
  if (code != BN_CLICKED)
    return false;
  switch (id) {
  case IDC_ALWAYS_ASK:
  case IDC_REMEMBER_FOR:
    enableExpiry();
    return true;
  case IDC_CHANGE_MASTER:
    changeMasterPassword();
    return true;
  default:
    return false;
  }
}

bool OptionsDlg::onNotify(NMHDR* header, LRESULT* result) {
  if (header->idFrom != IDC_EXPIRY_SPIN || header->code != UDN_DELTAPOS)
    return false;
  // Every step is the dialog's: a refused one may still carry the unit.
  ExpiryCount expiry = shownExpiry();
  stepExpiry(&expiry, ((NMUPDOWN*)header)->iDelta > 0 ? 1 : -1);
  showExpiry(expiry);
  *result = TRUE;
  return true;
}

void OptionsDlg::changeMasterPassword() {
  std::vector<TreeLeaf*> entries;
  for (const auto& root : book_->roots())
    root->collectEncryptedLeaves(&entries);
  try {
    addrbook::changeMasterPassword(book_->passwordStore(), book_->passwordPrompts(),
                                   book_->passwordPrompts(), entries, getHandle());
  } catch (const EntriesInTheWay& e) {
    ui::MsgBox(getHandle(), inTheWayText(e).c_str(), MB_OK | MB_ICONERROR);
  } catch (const plat::Exception& e) {
    plat::DString text;
    text.appendf("Unable to change the master password: %s", e.str());
    ui::MsgBox(getHandle(), text.c_str(), MB_OK | MB_ICONERROR);
  }
  showChangeText();
}

bool OptionsDlg::apply() {
  HWND dialog = getHandle();
  bool remember = IsDlgButtonChecked(dialog, IDC_REMEMBER_FOR) == BST_CHECKED;
  passwordExpiry.setValue(expirySeconds(shownExpiry()), plat::PriorityUser);
  rememberPassword.setValue(remember, plat::PriorityUser);
  for (int i = 0; i < 4; i++)
    if (IsDlgButtonChecked(dialog, behaviourButtons[i]) == BST_CHECKED)
      encryptPassword.setValue(i, plat::PriorityUser);
  minimiseToTray.setValue(IsDlgButtonChecked(dialog, IDC_SHOW_TRAY_ICON) == BST_CHECKED,
                          plat::PriorityUser);
  startMinimised.setValue(IsDlgButtonChecked(dialog, IDC_START_MINIMISED) == BST_CHECKED,
                          plat::PriorityUser);
  try {
    os::RegKey& key = settingsKey();
    key.setInt(passwordExpiry.getName(), passwordExpiry);
    key.setBool(minimiseToTray.getName(), minimiseToTray);
    key.setBool(startMinimised.getName(), startMinimised);
    key.setBool(rememberPassword.getName(), rememberPassword);
    key.setInt(encryptPassword.getName(), encryptPassword);
    setStartWithWindows(IsDlgButtonChecked(dialog, IDC_START_WITH_WINDOWS) == BST_CHECKED);
  } catch (const plat::Exception& e) {
    warnNotSaved(dialog, e);
  }
  // The new expiry applies to a password held already.
  book_->passwordStore().checkExpiry();
  return true;
}

} // namespace addrbook

#include "ledrow/app/win/PasswordBehaviourDlg.h"
#include "ledrow/app/Parameters.h"
#include "ledrow/app/win/Resources.h"
#include "ledrow/app/win/SettingsKey.h"
#include "os/win/CentreWindow.h"
#include "plat/DString.h"
#include "ui/win/MsgBox.h"
#include "ui/win/Tooltip.h"

namespace addrbook {

// The tips show after the mouse rests this long. They wrap at the width of
// the program's other tips: on one line each, the longest would be wider
// than many screens.
static const int TipDelayMs = 300;
static const int TipWidth = 300;

PasswordBehaviourDlg::PasswordBehaviourDlg() : Dialog(IDD_PASSWORD_BEHAVIOUR), choice_(Ask) {}

bool PasswordBehaviourDlg::onInitDialog() {
  plat::DString question;
  question.appendf("What do you want to do with the Kiv Server password for %s?", name_.c_str());
  ui::Window text;
  text.wrap(getDlgItem(IDC_BEHAVIOUR_QUESTION));
  text.setText(question.c_str());
  CheckRadioButton(getHandle(), IDC_DONT_SAVE, IDC_ENCRYPT, IDC_ENCRYPT);
  setToolTip(IDC_DONT_SAVE,
             "Do not include a password in the Kiv Address Book entry. You will be asked for the "
             "Kiv Server password each time you launch this entry.",
             TipWidth);
  setToolTip(IDC_SAVE,
             "Include a password in the Kiv Address Book entry, and do not protect its use with "
             "your Master Password.",
             TipWidth);
  setToolTip(IDC_ENCRYPT,
             "Include a password in the Kiv Address Book entry, and protect it's use with your "
             "Master Password.",
             TipWidth);
  setToolTip(IDC_DONT_ASK,
             "Don't ask this question again, the selection you have chosen will be used for all "
             "future entries. The option can be reset via the Options dialog in Kiv Address Book",
             TipWidth);
  tooltip()->setInitialDelay(TipDelayMs);
  os::centreWindow(getHandle(), GetParent(getHandle()));
  return false;
}

bool PasswordBehaviourDlg::apply() {
  if (IsDlgButtonChecked(getHandle(), IDC_DONT_SAVE) == BST_CHECKED)
    choice_ = DontSave;
  else if (IsDlgButtonChecked(getHandle(), IDC_SAVE) == BST_CHECKED)
    choice_ = Save;
  else
    choice_ = Encrypt;
  if (IsDlgButtonChecked(getHandle(), IDC_DONT_ASK) == BST_CHECKED) {
    encryptPassword.setValue(choice_, plat::PriorityUser);
    try {
      settingsKey().setInt(encryptPassword.getName(), choice_);
    } catch (const plat::Exception& e) {
      plat::DString text;
      text.appendf("Warning: unable to save settings: %s", e.str());
      ui::MsgBox(getHandle(), text.c_str(), MB_OK | MB_ICONWARNING);
    }
  }
  return true;
}

} // namespace addrbook

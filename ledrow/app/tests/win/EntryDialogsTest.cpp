// An entry's properties and the options dialog, driven by messages.
#include "win/BookScene.h"
#include "ledrow/app/win/MainWindow.h"
#include "ledrow/app/win/OptionsDlg.h"
#include "ledrow/app/win/PasswordBehaviourDlg.h"
#include "ledrow/app/win/Resources.h"
#include "ledrow/app/win/StartWithWindows.h"
#include "ledrow/data/PasswordObfuscation.h"
#include "testing/ModalHelper.h"
#include "testing/WindowInput.h"

#include <gtest/gtest.h>

#include <climits>

using namespace addrbook;
using namespace addrbook_test;
using testing_support::clickButton;
using testing_support::findDescendant;
using testing_support::ModalHelper;
using testing_support::wide;
using testing_support::windowText;

namespace {

void setText(HWND root, int id, const std::string& text) {
  SetWindowTextW(findDescendant(root, id), wide(text).c_str());
}

void setCheck(HWND root, int id, bool on) {
  SendMessageW(findDescendant(root, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool isChecked(HWND root, int id) {
  return SendMessageW(findDescendant(root, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The master-password prompt, answered with password.
void enterPassword(ModalHelper& helper, const char* password) {
  helper.expect(L"Enter Master Password", [password](HWND prompt) {
    SetDlgItemTextW(prompt, IDC_PASSWORD, wide(password).c_str());
    clickButton(prompt, IDOK);
  });
}

std::unique_ptr<EncryptedConfig> saved(const std::string& path) {
  auto entry = std::make_unique<EncryptedConfig>();
  entry->loadFromFile(path.c_str());
  return entry;
}

// The entry as saved, opened with the master password; null when it does
// not open.
std::unique_ptr<EncryptedConfig> openedAsSaved(const std::string& path) {
  std::unique_ptr<EncryptedConfig> entry = saved(path);
  return entry->decrypt(Master) ? std::move(entry) : nullptr;
}

std::string passwordOf(EncryptedConfig& entry) {
  return deobfuscatePassword(entry.getPassword()).c_str();
}

struct Book {
  BookScene scene;
  MainWindow window{nullptr};
  MainDialog& dialog = window.dialog();
  ModalHelper helper;
  explicit Book(const char* selected) {
    scene.set(advancedOptions, "0");
    dialog.loadTree();
    dialog.refreshTree(scene.path(selected).c_str());
  }
};

} // namespace

TEST(EntryProperties, TheServerPageAndProtection) {
  Book book("Alpha desk.kiv");
  std::wstring said;
  book.helper.expect(L"Properties", [](HWND sheet) {
    setText(sheet, IDC_HOST, "moved.example::5903");
    SendMessageW(findDescendant(sheet, IDC_USE_USER_NAME), BM_CLICK, 0, 0);
    setText(sheet, IDC_ENTRY_CONFIRM, "other");
    clickButton(sheet, IDOK);
  });
  book.helper.expect(L"", [&](HWND box) {
    said = testing_support::staticTexts(box);
    clickButton(box, IDOK);
  });
  book.helper.expect(L"Properties", [](HWND sheet) {
    EXPECT_FALSE(IsWindowEnabled(findDescendant(sheet, IDC_USER_NAME)));
    setText(sheet, IDC_ENTRY_CONFIRM, "s3cret");
    setCheck(sheet, IDC_PROTECT_PASSWORD, true);
    clickButton(sheet, IDOK);
  });
  enterPassword(book.helper, Master);
  book.dialog.showProperties();
  EXPECT_EQ(L"Passwords do not match.", said);

  std::unique_ptr<EncryptedConfig> kept = saved(book.scene.path("Alpha desk.kiv"));
  EncryptedConfig& entry = *kept;
  EXPECT_STREQ("moved.example::5903", entry.getHost());
  EXPECT_STREQ("", entry.userName.getValueStr().c_str());
  ASSERT_TRUE(entry.hasSignature());
  EncryptedConfig wrong;
  wrong = entry;
  EXPECT_FALSE(wrong.decrypt("not it"));
  ASSERT_TRUE(entry.decrypt(Master));
  EXPECT_EQ("s3cret", passwordOf(entry));
  EXPECT_TRUE(book.helper.problems().empty());
}

// Protection asked for an entry that could not be opened again once
// signed: the refusal names the entry and the setting in the way, and the
// sheet stays open with what was typed, for the user to mend.
TEST(EntryProperties, AnEntryThatCannotBeSignedKeepsItsEdits) {
  Book book("Alpha desk.kiv");
  std::wstring said, hostKept;
  bool userNameKept = true;
  book.helper.expect(L"Properties", [](HWND sheet) {
    setText(sheet, IDC_HOST, "deskUserNamex");
    SendMessageW(findDescendant(sheet, IDC_USE_USER_NAME), BM_CLICK, 0, 0);
    setCheck(sheet, IDC_PROTECT_PASSWORD, true);
    clickButton(sheet, IDOK);
  });
  book.helper.expect(L"", [&](HWND box) {
    said = testing_support::staticTexts(box);
    clickButton(box, IDOK);
  });
  book.helper.expect(L"Properties", [&](HWND sheet) {
    hostKept = windowText(findDescendant(sheet, IDC_HOST));
    userNameKept = isChecked(sheet, IDC_USE_USER_NAME);
    setText(sheet, IDC_HOST, "desk.example");
    clickButton(sheet, IDOK);
  });
  enterPassword(book.helper, Master);
  book.dialog.showProperties();
  EXPECT_EQ(L"The password of \"Alpha desk\" cannot be protected: the value of Host holds the "
            L"name of the setting UserName, and a signature could not tell the two apart. Change "
            L"that setting, or leave the password unprotected.",
            said);
  EXPECT_EQ(L"deskUserNamex", hostKept);
  EXPECT_FALSE(userNameKept);

  std::unique_ptr<EncryptedConfig> entry = openedAsSaved(book.scene.path("Alpha desk.kiv"));
  ASSERT_TRUE(entry);
  EXPECT_STREQ("desk.example", entry->getHost());
  EXPECT_STREQ("", entry->userName.getValueStr().c_str());
  EXPECT_EQ("s3cret", passwordOf(*entry));
  EXPECT_TRUE(book.helper.problems().empty());
}

// A protected entry opens with the master password only, and stays
// protected whatever new entries get.
TEST(EntryProperties, ProtectedEntriesStayProtected) {
  Book book("Office\\Servers\\Mail server.kiv");
  book.scene.set(encryptPassword, "0");
  std::wstring refusal;
  bool protectShown = false;
  book.helper.expect(L"Enter Master Password", [&](HWND prompt) {
    SetDlgItemTextW(prompt, IDC_PASSWORD, L"wrong");
    clickButton(prompt, IDOK);
    Sleep(200);
    refusal = windowText(GetDlgItem(prompt, IDC_PASSWORD_PROMPT));
    SetDlgItemTextW(prompt, IDC_PASSWORD, wide(Master).c_str());
    clickButton(prompt, IDOK);
  });
  book.helper.expect(L"Properties", [&](HWND sheet) {
    protectShown = isChecked(sheet, IDC_PROTECT_PASSWORD);
    setText(sheet, IDC_HOST, "mail2.office.example");
    clickButton(sheet, IDOK);
  });
  book.dialog.showProperties();
  EXPECT_EQ(L"Incorrect password.", refusal);
  EXPECT_TRUE(protectShown);
  std::unique_ptr<EncryptedConfig> entry =
      openedAsSaved(book.scene.path("Office\\Servers\\Mail server.kiv"));
  ASSERT_TRUE(entry);
  EXPECT_STREQ("mail2.office.example", entry->getHost());
  EXPECT_EQ("s3cret", passwordOf(*entry));

  // A cancelled prompt opens no sheet (one would be dismissed and reported).
  book.dialog.passwordStore().forget();
  book.helper.expect(L"Enter Master Password", ModalHelper::dismiss);
  book.dialog.showProperties();
  EXPECT_TRUE(book.helper.problems().empty());
}

namespace {

// The count and unit the dialog shows, after one spin step (0: none).
std::string spin(HWND dialog, int delta) {
  if (delta) {
    NMUPDOWN step = {};
    step.hdr.hwndFrom = GetDlgItem(dialog, IDC_EXPIRY_SPIN);
    step.hdr.idFrom = IDC_EXPIRY_SPIN;
    step.hdr.code = UDN_DELTAPOS;
    step.iDelta = delta;
    SendMessageW(dialog, WM_NOTIFY, IDC_EXPIRY_SPIN, (LPARAM)&step);
  }
  int unit = (int)SendDlgItemMessageW(dialog, IDC_EXPIRY_UNIT, CB_GETCURSEL, 0, 0);
  return testing_support::utf8(windowText(GetDlgItem(dialog, IDC_EXPIRY_COUNT))) + " " +
         std::to_string(unit);
}

} // namespace

TEST(Options, ExpiryUnitsAndStartingWithWindows) {
  Book book("Alpha desk.kiv");
  book.scene.set(passwordExpiry, "7200");
  book.scene.set(rememberPassword, "1");
  book.scene.set(encryptPassword, "3");
  setStartWithWindows(false);
  std::vector<std::string> shown;
  book.helper.expect(L"Options", [&](HWND dialog) {
    for (int delta : {0, -1, -1, 1, 1})
      shown.push_back(spin(dialog, delta));
    SetDlgItemTextW(dialog, IDC_EXPIRY_COUNT, L"32767");
    SendDlgItemMessageW(dialog, IDC_EXPIRY_UNIT, CB_SETCURSEL, Days, 0);
    setCheck(dialog, IDC_ASK_EACH_TIME, false);
    setCheck(dialog, IDC_NEVER_SAVE, true);
    setCheck(dialog, IDC_START_WITH_WINDOWS, true);
    clickButton(dialog, IDOK);
  });
  OptionsDlg options(&book.dialog);
  EXPECT_TRUE(options.runModal(book.window.getHandle()));
  EXPECT_EQ((std::vector<std::string>{"2 2", "1 2", "59 1", "1 2", "2 2"}), shown);
  EXPECT_EQ(INT_MAX, (int)passwordExpiry);
  EXPECT_EQ(0, (int)encryptPassword);
  EXPECT_STREQ("2147483647",
               plat::String::adopt(settingsKey().getValue(passwordExpiry.getName())).c_str());
  EXPECT_TRUE(startsWithWindows());

  // Unchecked, the value goes; when it is gone already, that is no error.
  for (int i = 0; i < 2; i++) {
    book.helper.expect(L"Options", [](HWND dialog) {
      setCheck(dialog, IDC_START_WITH_WINDOWS, false);
      clickButton(dialog, IDOK);
    });
    OptionsDlg again(&book.dialog);
    EXPECT_TRUE(again.runModal(book.window.getHandle()));
    EXPECT_FALSE(startsWithWindows());
  }
  EXPECT_TRUE(book.helper.problems().empty());
  for (plat::ConfigParameter* p : std::vector<plat::ConfigParameter*>{
           &passwordExpiry, &minimiseToTray, &startMinimised, &rememberPassword, &encryptPassword})
    settingsKey().deleteValue(p->getName());
}

// An entry whose file cannot be written keeps what it held, and the user
// hears why.
TEST(EntryProperties, AnEntryThatCannotBeSavedIsKept) {
  Book book("Alpha desk.kiv");
  std::string path = book.scene.path("Alpha desk.kiv");
  // Where the new text would be written first.
  std::wstring blocker = wide(path + ".tmp");
  CreateDirectoryW(blocker.c_str(), nullptr);
  std::wstring said;
  book.helper.expect(L"Properties", [](HWND sheet) {
    setText(sheet, IDC_HOST, "elsewhere.example");
    clickButton(sheet, IDOK);
  });
  book.helper.expect(L"", [&](HWND box) {
    said = testing_support::staticTexts(box);
    clickButton(box, IDOK);
  });
  book.dialog.showProperties();
  RemoveDirectoryW(blocker.c_str());
  EXPECT_EQ(0u, said.find(L"Failed to write configuration file")) << said;
  EXPECT_STREQ("alpha.example.org", saved(path)->getHost());
  EXPECT_TRUE(book.helper.problems().empty());
}

// The question's tips show after the mouse has rested 300 ms, each on one
// line.
TEST(PasswordBehaviour, TipsComeAfterTheirDelay) {
  Book book("Alpha desk.kiv");
  LRESULT delay = 0, width = 0, tools = 0;
  book.helper.expect(L"Password Behaviour", [&](HWND dialog) {
    struct Search {
      HWND owner;
      HWND tip;
    } search = {dialog, nullptr};
    EnumThreadWindows(
        GetWindowThreadProcessId(dialog, nullptr),
        [](HWND w, LPARAM p) {
          Search* s = (Search*)p;
          wchar_t cls[64] = {};
          GetClassNameW(w, cls, 64);
          if (wcscmp(cls, TOOLTIPS_CLASSW) == 0 && GetWindow(w, GW_OWNER) == s->owner)
            s->tip = w;
          return TRUE;
        },
        (LPARAM)&search);
    delay = SendMessageW(search.tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0);
    width = SendMessageW(search.tip, TTM_GETMAXTIPWIDTH, 0, 0);
    tools = SendMessageW(search.tip, TTM_GETTOOLCOUNT, 0, 0);
    clickButton(dialog, IDCANCEL);
  });
  PasswordBehaviourDlg question;
  question.setEntryName("files.example");
  EXPECT_FALSE(question.runModal(book.window.getHandle()));
  EXPECT_EQ(300, delay);
  EXPECT_EQ(300, width);
  EXPECT_EQ(4, tools);
  EXPECT_TRUE(book.helper.problems().empty());
}

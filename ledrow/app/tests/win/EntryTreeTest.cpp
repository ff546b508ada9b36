// The tree dialog's operations on a book on disk, driven by messages: both
// views, new folders and renames, dragging, deleting, refreshing, export
// and import.
#include "win/BookScene.h"
#include "ledrow/app/win/MainWindow.h"
#include "ledrow/book/BookEdits.h"
#include "ledrow/data/PasswordObfuscation.h"
#include "testing/ModalHelper.h"
#include "testing/WindowInput.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace addrbook;
using namespace addrbook_test;
using testing_support::ModalHelper;
using testing_support::utf8;
using testing_support::wide;

namespace {

typedef std::vector<std::string> Texts;

std::string textOf(HWND tree, HTREEITEM item) {
  wchar_t text[260] = {};
  TVITEMW data = {};
  data.mask = TVIF_TEXT;
  data.hItem = item;
  data.pszText = text;
  data.cchTextMax = 260;
  TreeView_GetItem(tree, &data);
  return utf8(text);
}

LPARAM dataOf(HWND tree, HTREEITEM item) {
  TVITEMW data = {};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  TreeView_GetItem(tree, &data);
  return data.lParam;
}

Texts childTexts(HWND tree, HTREEITEM parent) {
  Texts texts;
  for (HTREEITEM i = TreeView_GetChild(tree, parent); i; i = TreeView_GetNextSibling(tree, i))
    texts.push_back(textOf(tree, i));
  return texts;
}

// The first item of that text, depth first.
HTREEITEM findItem(HWND tree, const char* text, HTREEITEM parent = TVI_ROOT) {
  for (HTREEITEM i = TreeView_GetChild(tree, parent); i; i = TreeView_GetNextSibling(tree, i)) {
    if (textOf(tree, i) == text)
      return i;
    if (HTREEITEM inside = findItem(tree, text, i))
      return inside;
  }
  return nullptr;
}

POINT middleOf(HWND tree, HTREEITEM item) {
  RECT r = {};
  TreeView_GetItemRect(tree, item, &r, TRUE);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct TreeDialog {
  BookScene& scene;
  MainWindow window{nullptr};
  MainDialog& dialog = window.dialog();
  HWND tree = dialog.treeView();
  ModalHelper helper;
  std::wstring said; // the last message box's text

  TreeDialog(BookScene& s, bool alphabetic) : scene(s) {
    scene.set(alpha, alphabetic ? "1" : "0");
    // Tall enough that no selection scrolls the tree.
    SetWindowPos(window.getHandle(), nullptr, 0, 0, 500, 900, SWP_NOZORDER);
    window.showAndRaise();
    dialog.loadTree();
    dialog.refreshTree(nullptr);
  }
  HTREEITEM select(const char* text) {
    HTREEITEM item = findItem(tree, text);
    TreeView_SelectItem(tree, item);
    return item;
  }
  std::string selectedText() { return textOf(tree, TreeView_GetSelection(tree)); }
  // The next master-password prompt is answered rightly.
  void enterMaster() {
    helper.expect(L"Enter Master Password", [](HWND prompt) {
      SetDlgItemTextW(prompt, 1011, wide(Master).c_str());
      testing_support::clickButton(prompt, IDOK);
    });
  }
  // The next message box is answered with button.
  void answer(int button) {
    said.clear(); // a box that never comes must not pass for the last one
    helper.expect(L"", [this, button](HWND box) {
      said = testing_support::staticTexts(box);
      testing_support::clickButton(box, button);
    });
  }
  // Edits the label of item to text (null: the edit is cancelled).
  void rename(HTREEITEM item, const wchar_t* text) {
    HWND edit = TreeView_EditLabel(tree, item);
    ASSERT_TRUE(edit);
    if (text)
      SetWindowTextW(edit, text);
    TreeView_EndEditLabelNow(tree, text == nullptr);
    pump(200);
  }
  // Drags the item of that text and lets go over the item of text onto.
  void drag(const char* text, const char* onto) {
    HTREEITEM from = select(text);
    drag(from, middleOf(tree, findItem(tree, onto)));
  }
  // Drags from one item and lets go at point.
  void drag(HTREEITEM from, POINT to) {
    beginDrag(from);
    drop(to);
  }
  void beginDrag(HTREEITEM from) {
    NMTREEVIEWW report = {};
    report.hdr.hwndFrom = tree;
    report.hdr.idFrom = GetDlgCtrlID(tree);
    report.hdr.code = TVN_BEGINDRAGW;
    report.itemNew.hItem = from;
    report.itemNew.lParam = dataOf(tree, from);
    report.ptDrag = middleOf(tree, from);
    SendMessageW(dialog.getHandle(), WM_NOTIFY, report.hdr.idFrom, (LPARAM)&report);
  }
  void drop(POINT to) {
    SendMessageW(tree, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    SendMessageW(tree, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
    pump(200);
  }
};

} // namespace

TEST(EntryTree, BothViewsOfTheBookOnDisk) {
  BookScene scene;
  sample::writeEntry(scene.path("Shouting.KIV"), "loud.example");
  sample::writeEntry(scene.path("notes.txt"), "notes.example");
  sample::writeEntry(scene.path("Home\\apple.kiv"), "apple.example");
  TreeDialog t(scene, false);
  // One top folder: its contents are the top level, folders first.
  EXPECT_EQ((Texts{"Home", "Office", "Alpha desk", "Build farm"}), childTexts(t.tree, TVI_ROOT));
  EXPECT_EQ((Texts{"Servers", "Accounts", "Reception"}),
            childTexts(t.tree, findItem(t.tree, "Office")));

  t.dialog.setAlphabetic(true);
  EXPECT_EQ((Texts{"A", "B", "L", "M", "R"}), childTexts(t.tree, TVI_ROOT));
  HTREEITEM a = TreeView_GetRoot(t.tree);
  EXPECT_EQ((Texts{"Accounts", "Alpha desk", "apple"}), childTexts(t.tree, a));
  EXPECT_EQ(3, dataOf(t.tree, a));
  EXPECT_EQ(2, dataOf(t.tree, TreeView_GetNextSibling(t.tree, a)));
}

TEST(EntryTree, NewFoldersAndRenames) {
  BookScene scene;
  TreeDialog t(scene, true);
  t.dialog.refreshTree(scene.path("Office\\Accounts.kiv").c_str());
  // In the entry's folder, in the hierarchical view, its name being edited
  // once the book is loaded again.
  t.dialog.newFolder();
  EXPECT_FALSE(alpha);
  pump(200);
  EXPECT_TRUE(exists(scene.path("Office\\New Folder")));
  EXPECT_EQ("New Folder", t.selectedText());
  HWND edit = TreeView_GetEditControl(t.tree);
  ASSERT_TRUE(edit);
  SetWindowTextW(edit, L"Projects");
  TreeView_EndEditLabelNow(t.tree, FALSE);
  pump(200);
  EXPECT_TRUE(exists(scene.path("Office\\Projects")));
  EXPECT_EQ("Projects", t.selectedText());
  t.dialog.newFolder();
  pump(200);
  TreeView_EndEditLabelNow(t.tree, TRUE);
  EXPECT_TRUE(exists(scene.path("Office\\Projects\\New Folder")));

  // A new entry from the menu: the properties sheet first, then its name.
  t.helper.expect(L"Properties", [](HWND sheet) {
    SetWindowTextW(testing_support::findDescendant(sheet, 1004), L"fresh.example:1");
    testing_support::clickButton(sheet, IDOK);
  });
  t.dialog.newEntry();
  pump(200);
  EXPECT_TRUE(exists(scene.path("fresh.example-1.kiv")));
  EXPECT_EQ("fresh.example-1", t.selectedText());
  EXPECT_TRUE(TreeView_GetEditControl(t.tree));
  TreeView_EndEditLabelNow(t.tree, TRUE);

  // Names that would leave the folder, or none at all, are refused.
  for (const wchar_t* name : {L"..\\Escaped", L""}) {
    t.answer(IDOK);
    t.rename(t.select("Alpha desk"), name);
    EXPECT_EQ(wide(InvalidNameText), t.said);
  }
  t.rename(t.select("Alpha desk"), nullptr); // cancelled: nothing asked
  t.rename(t.select("Alpha desk"), L"Alpha desk");
  EXPECT_TRUE(exists(scene.path("Alpha desk.kiv")));
  t.rename(t.select("Alpha desk"), L"Beta desk");
  EXPECT_TRUE(exists(scene.path("Beta desk.kiv")));
  EXPECT_EQ("Beta desk", t.selectedText());
  EXPECT_TRUE(t.helper.problems().empty());
}

TEST(EntryTree, TopFoldersStayPut) {
  BookScene scene;
  std::string second = scene.temp.file("Second");
  CreateDirectoryW(wide(second).c_str(), nullptr);
  scene.set(addressBook, (scene.root + "," + second).c_str());
  TreeDialog t(scene, false);
  HTREEITEM top = t.select("Book");
  EXPECT_EQ(nullptr, TreeView_EditLabel(t.tree, top));
  t.answer(IDOK);
  t.dialog.deleteItem(top, true);
  EXPECT_EQ(wide(TopFolderText), t.said);
  // No drag begins: nothing moves and nothing is asked (a box would be
  // dismissed and reported by the helper).
  t.drag("Book", "Second");
  EXPECT_TRUE(exists(scene.path("Office\\Accounts.kiv")));
  EXPECT_FALSE(exists(second + "\\Book"));
  EXPECT_TRUE(t.helper.problems().empty());
}

TEST(EntryTree, DraggingMovesIntoTheFolderUnderTheMouse) {
  BookScene scene;
  TreeDialog t(scene, false);
  // Onto an entry: into its folder.
  t.drag("Alpha desk", "Living room");
  EXPECT_TRUE(exists(scene.path("Home\\Alpha desk.kiv")));
  EXPECT_EQ("Alpha desk", t.selectedText());
  // Not into itself or below it.
  t.answer(IDOK);
  t.drag("Office", "Mail server");
  EXPECT_EQ(wide(IntoItselfText), t.said);
  EXPECT_TRUE(exists(scene.path("Office\\Servers\\Mail server.kiv")));
  // Let go outside the tree: nothing moves.
  HTREEITEM backup = t.select("Backup");
  t.drag(backup, POINT{-5, -5});
  EXPECT_TRUE(exists(scene.path("Office\\Servers\\Backup.kiv")));
  // Onto empty space: into the first top folder.
  RECT client;
  GetClientRect(t.tree, &client);
  t.drag(backup, POINT{client.right - 4, client.bottom - 4});
  EXPECT_TRUE(exists(scene.path("Backup.kiv")));
  EXPECT_TRUE(t.helper.problems().empty());
}

// A connection the viewer saves while an entry is dragged waits for the
// drop: its reload would select the new entry, and the drop would move that.
TEST(EntryTree, ADragKeepsItsEntryWhileAConnectionArrives) {
  BookScene scene;
  TreeDialog t(scene, false);
  POINT livingRoom = middleOf(t.tree, findItem(t.tree, "Living room"));
  t.beginDrag(t.select("Alpha desk"));
  std::string text = "[Connection]\nHost=files.example:1\n";
  COPYDATASTRUCT data = {0, (DWORD)text.size() + 1, &text[0]};
  EXPECT_EQ(1, SendMessageW(t.window.getHandle(), WM_COPYDATA, 0, (LPARAM)&data));
  pump(300);
  EXPECT_FALSE(exists(scene.path("files.example-1.kiv"))) << "added during the drag";
  t.drop(livingRoom);
  EXPECT_TRUE(exists(scene.path("Home\\Alpha desk.kiv")));
  EXPECT_TRUE(exists(scene.path("files.example-1.kiv")));
  EXPECT_FALSE(exists(scene.path("Home\\files.example-1.kiv")));
  EXPECT_TRUE(t.helper.problems().empty());
}

TEST(EntryTree, DeletingAsksFirstAndRefreshShowsOutsideChanges) {
  BookScene scene;
  TreeDialog t(scene, false);
  t.answer(IDNO);
  t.dialog.deleteItem(t.select("Home"), true);
  EXPECT_EQ(L"Are you sure you want to delete Home and all of its contents? This operation "
            L"cannot be undone.",
            t.said);
  EXPECT_TRUE(exists(scene.path("Home\\Living room.kiv")));
  t.answer(IDYES);
  SendMessageW(t.tree, WM_KEYDOWN, VK_DELETE, 0);
  pump(200);
  EXPECT_FALSE(exists(scene.path("Home")));
  EXPECT_EQ(nullptr, findItem(t.tree, "Home"));
  t.answer(IDYES);
  t.dialog.deleteItem(t.select("Build farm"), true);
  EXPECT_EQ(L"Are you sure you want to delete Build farm? This operation cannot be undone.", t.said);
  EXPECT_FALSE(exists(scene.path("Build farm.kiv")));

  // A folder gone from the disk meanwhile: the failure is reported.
  CreateDirectoryW(wide(scene.path("Gone")).c_str(), nullptr);
  t.dialog.loadTree();
  t.dialog.refreshTree(nullptr);
  RemoveDirectoryW(wide(scene.path("Gone")).c_str());
  t.answer(IDOK);
  t.dialog.deleteItem(t.select("Gone"), false);
  EXPECT_EQ(0u, t.said.find(L"Cannot delete directory: ")) << t.said;

  sample::writeEntry(scene.path("Office\\Outside.kiv"), "outside.example");
  SendMessageW(t.tree, WM_KEYDOWN, VK_F5, 0);
  pump(200);
  EXPECT_NE(nullptr, findItem(t.tree, "Outside"));
  EXPECT_TRUE(t.helper.problems().empty());
}

TEST(EntryTree, ExportAndImportWithAndWithoutAPassword) {
  BookScene scene;
  TreeDialog t(scene, false);
  std::string xml = scene.temp.file("book.xml");
  t.enterMaster();
  t.dialog.exportTo(xml.c_str(), true);
  EXPECT_NE(std::string::npos, readFile(xml).find("<ledrow password=\""));

  std::string other = scene.temp.file("Other");
  CreateDirectoryW(wide(other).c_str(), nullptr);
  scene.set(addressBook, other.c_str());
  t.dialog.loadTree();
  std::wstring refusal;
  t.helper.expect(L"Enter Import Password", [&](HWND prompt) {
    SetDlgItemTextW(prompt, 1011, L"wrong");
    testing_support::clickButton(prompt, IDOK);
    Sleep(200);
    refusal = testing_support::windowText(GetDlgItem(prompt, 1010));
    SetDlgItemTextW(prompt, 1011, wide(Master).c_str());
    testing_support::clickButton(prompt, IDOK);
  });
  t.dialog.importFrom(xml.c_str(), true);
  pump(200);
  EXPECT_EQ(L"Incorrect password.", refusal);
  EXPECT_EQ(7u, t.dialog.roots().front()->allLeaves().size());
  TreeLeaf* mail = findEntry(t.dialog, "Mail server");
  ASSERT_TRUE(mail);
  EncryptedConfig opened;
  opened = mail->config();
  ASSERT_TRUE(opened.decrypt(Master));
  EXPECT_STREQ("s3cret", deobfuscatePassword(opened.getPassword()).c_str());

  // A book without protected entries travels without a password.
  t.dialog.deleteItem(t.select("Office"), false);
  t.dialog.deleteItem(t.select("Build farm"), false);
  pump(200);
  t.dialog.exportTo(xml.c_str(), true);
  EXPECT_NE(std::string::npos, readFile(xml).find("<ledrow>"));
  std::string third = scene.temp.file("Third");
  CreateDirectoryW(wide(third).c_str(), nullptr);
  scene.set(addressBook, third.c_str());
  t.dialog.loadTree();
  t.dialog.importFrom(xml.c_str(), true);
  pump(200);
  EXPECT_EQ(2u, t.dialog.roots().front()->allLeaves().size());
  EXPECT_TRUE(t.helper.problems().empty());
}

// Entries signed before the master password was chosen take it on once it
// is given; until then they stay as they are.
TEST(EntryTree, OlderEntriesTakeTheMasterPasswordOnceGiven) {
  BookScene scene;
  sample::writeEntry(scene.path("Early.kiv"), "early.example", "user", "pw", "");
  TreeDialog t(scene, false);
  auto opens = [&](const char* password) {
    EncryptedConfig entry;
    entry.loadFromFile(scene.path("Early.kiv").c_str());
    return entry.decrypt(password);
  };
  std::wstring asked;
  t.helper.expect(L"Enter Master Password", [&](HWND prompt) {
    asked = testing_support::windowText(GetDlgItem(prompt, 1010));
    ModalHelper::dismiss(prompt);
  });
  t.dialog.upgradeEntries();
  EXPECT_EQ(L"Please enter your Master Password to upgrade your existing address book entries to "
            L"the new format.",
            asked);
  EXPECT_TRUE(opens(""));

  t.enterMaster();
  t.answer(IDOK);
  t.dialog.upgradeEntries();
  pump(200);
  EXPECT_EQ(L"Upgrade complete.", t.said);
  EXPECT_TRUE(opens(Master));
  EXPECT_STREQ("Please enter the Master Password to continue.",
               t.dialog.passwordPrompts().prompt().prompt());
  EXPECT_TRUE(t.helper.problems().empty());
}

// The master password the upgrade asks for, once stored, asks for an
// upgrade in turn: that one must not run inside the first one's box.
TEST(EntryTree, AnUpgradeThatFailsSaysSoOnce) {
  BookScene scene;
  sample::writeEntry(scene.path("Early.kiv"), "early.example", "user", "pw", "");
  // Its new form cannot be written beside it.
  CreateDirectoryW(wide(scene.path("Early.kiv.tmp")).c_str(), nullptr);
  TreeDialog t(scene, false);
  t.enterMaster();
  t.answer(IDOK);
  t.dialog.upgradeEntries();
  pump(500);
  EXPECT_EQ(0u, t.said.find(L"Unable to upgrade 1 of the entries")) << utf8(t.said);
  EXPECT_TRUE(t.helper.problems().empty()) << "a second box";
}

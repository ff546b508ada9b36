// The working area of the main window: the address book as a tree, in an
// alphabetic view (entries under their first letter) or a hierarchical one
// (the folders), with a toolbar and a pane of the selected entry's
// details. It loads the book from its folders, starts the viewer on
// entries, adds the connections the viewer sends, and carries every
// operation on entries and folders: new, rename, drag to another folder,
// delete, properties, export and import, and the upgrade of entries in an
// older form (MainDialogEdits.cpp, MainDialogXml.cpp). Every change to the
// disk is followed by a reload; top folders are never changed.
//
// A reload frees every node of the tree. Code that keeps nodes across a
// modal loop (a prompt, a message box, a menu) holds the dialog's
// IdleWork, which puts reloads and new entries off until it is let go.
#pragma once

#include "ledrow/app/IdleWork.h"
#include "ledrow/app/win/PasswordPrompts.h"
#include "ledrow/app/win/ViewerLauncher.h"
#include "ledrow/book/TreeBranch.h"
#include "ledrow/book/XmlImporter.h"
#include "ledrow/passwords/PasswordStore.h"
#include "plat/LogWriter.h"
#include "ui/win/ChildDialog.h"
#include "ui/win/Font.h"
#include "ui/win/ImageList.h"
#include "ui/win/SubclassWindow.h"
#include "ui/win/ToolbarWin.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace addrbook {

class TreeLeaf;

class MainDialog : public ui::SubclassWindow::SubclassProcCallback,
                   public ui::ChildDialog,
                   public XmlImporter::Callback,
                   public ui::Menu::ActionCallback,
                   public ui::ToolbarWin::ImageFactory,
                   public IdleWork::Owner,
                   public PasswdStoreBase::PWSCallback {
public:
  // The window the dialog sits in.
  class Frame {
  public:
    virtual ~Frame() {}
    virtual void setEntryCount(int count) = 0;
    // After every load: the notification-area menu lists the book (made
    // anew when next shown).
    virtual void buildTrayMenu() = 0;
    // On every change of selection: Properties for an entry, Delete and
    // Rename for an entry or a folder that may be changed.
    virtual void updateEditMenu(bool entrySelected, bool folderEditable) = 0;
  };

  // Tree images; Header has no picture.
  enum Image { FolderImage = 0, EntryImage = 1, ProtectedImage = 2, HeaderImage = 3 };
  // The toolbar's items, by image name.
  enum Tool { NewEntryTool, NewFolderTool, PropertiesTool, DeleteTool, ConnectTool, ToolCount };

  MainDialog(HWND parent, Frame* frame, PasswdStoreBase::PWSCallback* passwordListener);
  // Writes the alphabetic view's settings to the settings key.
  ~MainDialog() override;

  // Builds the book anew from its folders (see bookFolders).
  void loadTree();
  // Fills the tree view in the view Alpha names; selects the node at path
  // (none when null or not found).
  void refreshTree(const char* path);
  void setAlphabetic(bool alphabetic);
  void layoutControls(int width, int height);
  void applyToolbar();
  void applyDetails();

  // Starts the viewer on entry; failures are shown over the dialog.
  void launchEntry(TreeLeaf* entry);
  // See ViewerLauncher::startViewer.
  void startViewer(const char* arguments, HANDLE* stdinPipe);
  // Saves connection as a new entry in the first top folder, after its
  // password has been dealt with as EncryptPassword says. Throws
  // plat::Exception.
  void addEntry(EncryptedConfig& connection);
  // "Could not create new address book entry: <reason>", logged, and shown
  // in a box unless one is open already: a sender that loops over bad
  // connections must not stack one modal loop on another.
  void reportNewEntryFailure(const char* reason);

  // The viewer's defaults for a new connection, edited in the properties
  // sheet and saved as a new entry whose name is then edited.
  void newEntry();
  // A new folder in the folder of the selection (the hierarchical view is
  // shown first), whose name is then edited.
  void newFolder();
  // Edits the selected item's label (not a group header's or a top
  // folder's); the edit's end renames it.
  void editLabel();
  // text null: the edit was cancelled.
  void renameItem(HTREEITEM item, const char* text);
  // With ask, the user is asked first.
  void deleteItem(HTREEITEM item, bool ask);
  // node dropped on target (null: the first top folder).
  void moveNode(TreeNode* node, TreeBranch* target);
  void showProperties();
  // The whole book or the selection, into a file the user chooses.
  void exportXml(bool wholeBook);
  void exportTo(const char* path, bool wholeBook);
  // Into the first top folder, or the folder of the selection.
  void importXml(bool atTop);
  void importFrom(const char* path, bool atTop);
  // Protects entries of an older form anew with the master password (asked
  // for once); "Upgrade complete." when any was.
  void upgradeEntries();
  // A group header of the alphabetic view was expanded or collapsed.
  void noteExpansion(HTREEITEM header, bool expanded);

  const std::vector<std::unique_ptr<TreeBranch>>& roots() const { return roots_; }
  IdleWork& idleWork() { return idleWork_; }
  PasswordStore& passwordStore() { return passwords_; }
  PasswordPrompts& passwordPrompts() { return prompts_; }
  ViewerLauncher& launcher() { return launcher_; }
  HWND treeView() const { return tree_; }
  HIMAGELIST treeImageList() const { return treeImages_.handle(); }
  ui::ToolbarWin& toolbarWin() { return toolbar_; }
  // The entry of the selected item, or null.
  TreeLeaf* selectedEntry();

  bool handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                     LRESULT* result) override;
  void action(ui::Menu::Item* item) override;
  int imageIndex(const char* itemName) override;

  void postRun() override;
  void reload() override;
  void addConnection(std::unique_ptr<EncryptedConfig> connection) override;

  ZeroingBuffer getMasterPassword() override;
  ZeroingBuffer getImportPassword(const char* verifier) override;
  // Forwards to the window; a password that became available may upgrade
  // entries.
  void passwordChanged(bool forgotten) override;
  // The tree view's own messages: dragging, scrolling, Alt+Enter.
  LRESULT subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  bool onNotify(NMHDR* header, LRESULT* result);
  LRESULT customDraw(NMTVCUSTOMDRAW* draw);
  void drawHeader(NMTVCUSTOMDRAW* draw);
  void selectionChanged(HTREEITEM item);
  void showDetails(TreeLeaf* entry);
  void fillHierarchical(const TreeBranch& branch, HTREEITEM parent, const char* path,
                        HTREEITEM* found);
  void fillAlphabetic(const char* path, HTREEITEM* found);
  HTREEITEM insertItem(HTREEITEM parent, HTREEITEM after, const char* text, int image,
                       LPARAM data, bool expanded);
  // The node an item stands for; null for a group header.
  TreeNode* nodeOf(HTREEITEM item);
  void selectItem(HTREEITEM item);
  void deleteAllItems();
  void toggleHeader(HTREEITEM header);
  void openContextMenu(LPARAM position);
  void editLabelOf(HTREEITEM item);
  // Saves connection under a new name in the first top folder.
  void saveNewEntry(EncryptedConfig& connection);
  // The folder the selection stands for: a folder, an entry's folder, or
  // the first top folder; null when the book has none.
  TreeBranch* selectedFolder();
  // Dragging (hierarchical view): from the tree view's report to the
  // release of the left button, with the mouse captured.
  void beginDrag(NMTREEVIEWW* report);
  void dragOver(int x, int y);
  void drop(int x, int y);
  void endDrag();
  // Where a drag at (x, y) would drop: the target folder and its item.
  void dropTarget(int x, int y, TreeBranch** target, HTREEITEM* item);
  void reportError(const char* text);

  Frame* frame_;
  HWND tree_;
  HWND tabs_;
  HWND detailsBox_;
  std::vector<std::unique_ptr<TreeBranch>> roots_;
  ui::ImageList treeImages_;
  ui::ImageList toolImages_;
  ui::ImageList disabledImages_;
  ui::ToolbarWin toolbar_;
  ui::Menu::Item* tools_[ToolCount];
  ui::Font boldFont_;
  HPEN greyPen_;
  HPEN blackPen_;
  HBITMAP collapsedMark_;
  HBITMAP expandedMark_;
  std::string reselectPath_;
  bool rebuilding_;
  // Set while the tree is filled and while the dialog itself collapses
  // groups: expansion reports then are not the user's.
  bool quietExpansion_;
  // The next reload starts editing the reselected item's label.
  bool editAfterReload_;
  // While a box says that a new entry could not be created.
  bool newEntryBoxOpen_;
  // From the start of a label edit to its first end: the tree view may
  // report the end again (when its edit loses the focus to a message box,
  // or is destroyed), and only the first is the user's.
  bool labelEditing_;
  ui::SubclassWindow treeHook_;
  HIMAGELIST dragImage_;
  bool dragging_;
  // While an upgrade runs: the master password it stores asks for another.
  bool upgrading_;
  PasswdStoreBase::PWSCallback* passwordListener_;
  // The details pane: its height, the values' left edge, the row pitch.
  int detailsHeight_;
  int valueLeft_;
  int rowPitch_;
  PasswordPrompts prompts_;
  PasswordStore passwords_;
  ViewerLauncher launcher_;
  IdleWork idleWork_;
  // A drag drops the selected node: no reload may replace it meanwhile.
  std::unique_ptr<IdleWork::Hold> dragHold_;
};

// "MainDialog": the tree dialog's log.
extern plat::LogWriter mainDialogLog;

} // namespace addrbook

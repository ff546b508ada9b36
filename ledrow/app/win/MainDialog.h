// The working area of the main window: the address book as a tree, in an
// alphabetic view (entries under their first letter) or a hierarchical one
// (the folders), with a toolbar and a pane of the selected entry's
// details. It loads the book from its folders, starts the viewer on
// entries and adds the connections the viewer sends.
//
// A reload frees every node of the tree. Code that keeps nodes across a
// modal loop (a prompt, a message box, a menu) holds the dialog's
// IdleWork, which puts reloads and new entries off until it is let go.
#pragma once

#include "ledrow/app/IdleWork.h"
#include "ledrow/app/win/PasswordPrompts.h"
#include "ledrow/app/win/ViewerLauncher.h"
#include "ledrow/book/TreeBranch.h"
#include "ledrow/passwords/PasswordStore.h"
#include "plat/LogWriter.h"
#include "ui/win/ChildDialog.h"
#include "ui/win/Font.h"
#include "ui/win/ImageList.h"
#include "ui/win/ToolbarWin.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace addrbook {

class TreeLeaf;

class MainDialog : public ui::ChildDialog,
                   public ui::Menu::ActionCallback,
                   public ui::ToolbarWin::ImageFactory,
                   public IdleWork::Owner {
public:
  // The window the dialog sits in.
  class Frame {
  public:
    virtual ~Frame() {}
    virtual void setEntryCount(int count) = 0;
    // After every load: the notification-area menu lists the book (made
    // anew when next shown).
    virtual void buildTrayMenu() = 0;
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
  // The details pane: its height, the values' left edge, the row pitch.
  int detailsHeight_;
  int valueLeft_;
  int rowPitch_;
  PasswordPrompts prompts_;
  PasswordStore passwords_;
  ViewerLauncher launcher_;
  IdleWork idleWork_;
};

// "MainDialog": the tree dialog's log.
extern plat::LogWriter mainDialogLog;

} // namespace addrbook

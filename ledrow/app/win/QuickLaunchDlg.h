// The popup a left click on the notification-area icon opens beside the
// taskbar: pick or type an entry's name and it starts at once; any other
// text goes to the viewer as its arguments (a server, say).
#pragma once

#include "ledrow/app/PopupPlacement.h"
#include "plat/String.h"
#include "ui/win/ComboBoxEx.h"
#include "ui/win/Dialog.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ui {
class AutoComplete;
}

namespace addrbook {

class MainDialog;
class TreeBranch;
class TreeLeaf;
class TreeNode;

class QuickLaunchDlg : public ui::Dialog {
public:
  explicit QuickLaunchDlg(MainDialog* book);
  ~QuickLaunchDlg() override;

  // Opens the popup at point (screen coordinates), modal over owner, and
  // launches what was chosen once it has closed.
  void show(HWND owner, POINT point);

  bool onInitDialog() override;
  void onShow() override;
  bool onCommand(int id, int code) override;
  bool apply() override;
  bool onCancel() override;
  INT_PTR handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

  // The entry a typed name stands for (any case), or null.
  TreeLeaf* entryNamed(const char* name) const;
  HWND edit() const;

private:
  struct CaseLess {
    bool operator()(const std::string& a, const std::string& b) const {
      return plat::strCaseCmp(a.c_str(), b.c_str()) < 0;
    }
  };
  void fill();
  void addNodes(const TreeBranch& branch, int depth, std::vector<std::string>* names);
  void close(bool launch);

  MainDialog* book_;
  POINT anchor_;
  ui::ComboBoxEx combo_;
  std::vector<TreeNode*> items_; // by list index
  std::map<std::string, TreeLeaf*, CaseLess> names_;
  std::unique_ptr<ui::AutoComplete> completion_;
  bool closing_;
  TreeLeaf* chosen_;
  std::string typed_;
  bool launchTyped_;
};

} // namespace addrbook

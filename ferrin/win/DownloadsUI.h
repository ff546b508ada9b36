// The downloads window: the list inside the file-transfer dialog in which
// every download is a row with an icon, a bold title, a progress bar while
// it runs, a status line and a strip of action buttons. It implements the
// downloads model's view (DownloadsDialog::UI) on the window thread; the
// model, on the main thread, reaches it only through proxy(), whose calls
// arrive as messages. With no rows it shows a help text.
//
// Whatever may take long or open a modal loop (a message box, opening a
// file, bringing the dialog up, a fading pop-up) runs from a message the
// window posts to itself, not while the model's messages are delivered:
// the model's thread never waits for the window thread.
#pragma once

#include "ferrin/win/DownloadsDialog.h"
#include "ui/win/CustomWindow.h"
#include "ui/win/Font.h"
#include "ui/win/Hyperlinks.h"
#include "ui/win/Tooltip.h"

#include <deque>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ft {

class DownloadsUIProxy;

class DownloadsUI : public ui::CustomWindow,
                    public DownloadsDialog::UI,
                    private ui::CustomWindow::WndProcCallback {
public:
  class Item;
  class IconThread;

  // The windows of one row in sight: they go from row to row as rows come
  // into sight and leave it, so that scrolling makes and destroys none.
  struct RowControls {
    enum { Icon, Title, Progress, Status, Buttons, Count };
    HWND windows[Count] = {};
    // Where each window was last put, and whether it shows.
    RECT at[Count] = {};
    bool shown[Count] = {};
  };

  // The file-transfer dialog: its Clear button and its pop-ups.
  class Host {
  public:
    virtual ~Host() {}
    virtual void ensureShown() = 0;
    virtual void enableClear(bool enable) = 0;
    virtual void notifyFinished() = 0;
    virtual void notifyFailed() = 0;
  };

  // A child of parent. requests: where Clear and the rows' actions go.
  // serving: the window serves the server side (chooses the help text).
  DownloadsUI(Host* host, HWND parent, DownloadsDialog::Requests* requests, bool serving,
              HINSTANCE instance = nullptr);
  ~DownloadsUI() override;

  // The view as the model's thread calls it.
  DownloadsDialog::UI* proxy();
  // The Clear button.
  void clear();

  // DownloadsDialog::UI, on the window thread.
  void ensureWindow() override;
  DownloadsDialog::Download* createItem(int rowId) override;
  void addItem(DownloadsDialog::Download* row) override;
  void removeItem(DownloadsDialog::Download* row) override;
  void openFile(const char* path) override;
  void enableClear(bool enable) override;
  void notifyFinished() override;
  void notifyFailed() override;
  void showMessage(const char* text) override;

  // A row made by createItem, or null.
  Item* item(int rowId) const;
  // Shown rows, newest first.
  const std::list<Item*>& rows() const { return rows_; }
  Item* selected() const;
  int scrollPosition() const { return scroll_; }
  int contentHeight() const { return content_; }
  const char* emptyText() const;
  // Where the help text was laid out (while there are no rows).
  const ui::Hyperlinks& helpText() const { return hyperlinks_; }

  // For the rows.
  int scale(int pixels) const { return pixels * dpi_ / 96; }
  HFONT normalFont() const { return normalFont_.handle(); }
  HFONT boldFont() const { return boldFont_.handle(); }
  HICON actionIcon(int action, bool active) const;
  HICON genericIcon() const { return genericIcon_; }
  HICON failIcon() const { return failIcon_; }
  HBRUSH selectionBrush() const { return selectionBrush_; }
  ui::Tooltip& tooltip() { return *tooltip_; }
  IconThread& icons() { return *icons_; }
  // A row's height changed: everything below it moves.
  void relayout();
  // A row coming into sight takes a set of windows; one leaving it gives
  // its set back (hidden at the end of the layout).
  RowControls takeControls(int rowId);
  void giveBack(const RowControls& controls);

private:
  enum Deferred { DeferShow, DeferFinished, DeferFailed, DeferMessage, DeferOpen };
  struct Task {
    Deferred what;
    std::string text;
  };

  LRESULT handle(ui::CustomWindow*, HWND hwnd, UINT message, WPARAM wParam,
                 LPARAM lParam) override;
  void defer(Deferred what, const char* text = "");
  void runDeferred();
  void layout();
  void updateScrollBar();
  void scrollTo(int position);
  void paint();
  int rowTop(const Item* row) const;
  Item* rowAt(int y) const;
  void select(Item* row);
  void clickAt(POINT client, bool doubleClick);
  void contextMenu(POINT screen, bool fromKeyboard);
  void keyDown(UINT key);
  void hover(HWND button);
  Item* byButton(HWND button) const;
  void iconReady(int rowId, HICON icon);
  void open(const char* path);
  void hideSpareControls();
  void destroyControls(const RowControls& controls);

  Host* host_;
  DownloadsDialog::Requests* requests_;
  bool serving_;
  int dpi_;
  std::list<Item*> rows_; // newest first; owned, like every made row
  std::map<int, Item*> made_;
  HPEN selectionPen_;
  HBRUSH selectionBrush_;
  HICON iconsNormal_[4];
  HICON iconsActive_[4];
  HICON genericIcon_;
  HICON failIcon_;
  int clientWidth_;
  int clientHeight_;
  int content_;
  int scroll_;
  bool layingOut_;
  bool again_;
  int hoveredRow_; // 0: none
  SCROLLINFO shownBar_ = {};
  ui::Font normalFont_;
  ui::Font boldFont_;
  std::unique_ptr<ui::Tooltip> tooltip_;
  ui::Hyperlinks hyperlinks_;
  std::unique_ptr<IconThread> icons_;
  std::unique_ptr<DownloadsUIProxy> proxy_;
  std::deque<Task> deferred_;
  std::vector<RowControls> spare_;
  size_t hiddenSpare_; // spare_ from this index on is hidden already
};

} // namespace ft

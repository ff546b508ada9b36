// One row of the downloads window: the file's icon (with a failure badge
// over it), the bold title, the progress bar while the download runs, the
// status line and the owner-drawn strip of action buttons. The controls
// exist only while the row is in sight; what the model sets is kept in the
// row and shown whenever it comes into sight. Window thread only.
#pragma once

#include "ferrin/win/DownloadsUI.h"
#include "ui/win/Overlay.h"
#include "ui/win/Window.h"

#include <array>
#include <string>

namespace ft {

class DownloadsUI::Item : public DownloadsDialog::Download {
public:
  Item(DownloadsUI* window, int rowId);
  ~Item() override;

  // 48 pixels at 96 DPI, 60 with the progress bar.
  int height() const;
  // The row in sight at top in a window of that width: its controls are
  // made when needed and placed.
  void place(int top, int width);
  // Out of sight: the controls go.
  void leaveSight();
  bool inSight() const { return titleControl.getHandle() != nullptr; }
  // The window scrolled the controls by dy.
  void shift(int dy);

  // One of the row's windows while it is in sight.
  bool owns(HWND control) const;
  void setSelected(bool selected);
  // The number of actions that have a button (Pause to Cancel), from the
  // left.
  int buttonCount() const;
  // The button under x (in the strip's pixels), or -1.
  int buttonAt(int x) const;
  int hovered() const { return hovered_; }
  // Returns whether it changed.
  bool setHovered(int index);
  // The action of the hovered button, or NoAction.
  int hoveredAction() const;
  void drawButtons(const DRAWITEMSTRUCT* item);
  // An icon from the icon thread, owned from now on unless it is the
  // generic one.
  void iconArrived(HICON icon);

  // DownloadsDialog::Download
  void setIcon(const char* path) override;
  void setGenericIcon() override;
  void setText(const char* title) override;
  void setProgress(int position) override;
  void showProgress() override;
  void hideProgress() override;
  void setStatus(const char* text, bool error) override;
  void setActions(const DownloadsDialog::ActionSet& actions) override;

  // The bar's position (0 to 100) for a model's position (0 to 65535).
  static int progressStep(int position) { return position * 100 / 65535; }

  int rowId() const { return rowId_; }
  const DownloadsDialog::ActionSet& actions() const { return actions_; }
  bool progressShown() const { return progressShown_; }
  bool selected() const { return selected_; }
  bool failed() const { return error_; }
  const std::string& title() const { return title_; }
  const std::string& status() const { return status_; }
  int progress() const { return position_; }
  HICON icon() const { return icon_; }

  // The windows of the row while it is in sight (wrapped: the window's
  // sets own them).
  ui::Window iconControl;
  ui::Window titleControl;
  ui::Window progressControl;
  ui::Window statusControl;
  ui::Window button;

private:
  typedef DownloadsUI::RowControls Controls;
  void adopt(const Controls& controls);
  std::array<const ui::Window*, 5> windows() const;
  void showFailure();
  void move(int which, int x, int y, int w, int h, bool shown);
  int buttonWidth() const;
  bool buttonShown() const { return buttonCount() > 0; }

  DownloadsUI* window_;
  int rowId_;
  ui::Overlay failure_;
  DownloadsDialog::ActionSet actions_;
  int hovered_;
  bool progressShown_;
  bool selected_;
  bool generic_;
  bool error_;
  HICON icon_;
  std::string title_;
  std::string status_;
  int position_;
  Controls controls_;
};

} // namespace ft

// One row of the downloads window: the file's icon (with a failure badge
// over it), the bold title, the progress bar while the download runs, the
// status line and the owner-drawn strip of action buttons. What the model
// sets is kept, so a row may be told things before its controls exist.
// Window thread only.
#pragma once

#include "ferrin/win/DownloadsUI.h"
#include "ui/win/Overlay.h"
#include "ui/win/Window.h"

#include <string>

namespace ft {

class DownloadsUI::Item : public DownloadsDialog::Download {
public:
  Item(DownloadsUI* window, int rowId);
  ~Item() override;

  // Makes the controls in the window.
  void create();
  bool created() const { return button.getHandle() != nullptr; }
  // 48 pixels at 96 DPI, 60 with the progress bar.
  int height() const;
  // Places the controls for a row at top in a window of that width.
  void place(int top, int width);
  // Out of sight, far above the window.
  void park();
  bool placed() const { return placed_; }

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

  int rowId() const { return rowId_; }
  const DownloadsDialog::ActionSet& actions() const { return actions_; }
  bool progressShown() const { return progressShown_; }
  bool selected() const { return selected_; }
  bool failed() const { return error_; }
  const std::string& title() const { return title_; }
  const std::string& status() const { return status_; }
  int progress() const { return position_; }
  HICON icon() const { return icon_; }

  ui::Window iconControl;
  ui::Window titleControl;
  ui::Window progressControl;
  ui::Window statusControl;
  ui::Window button;

private:
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
  bool placed_;
  HICON icon_;
  std::string title_;
  std::string status_;
  int position_;
};

} // namespace ft

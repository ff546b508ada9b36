// The printing page: share the local default printer with the server
// during a connection (and make it the server's default), or share none;
// notes in mark-up say what the printer will be called on the server.
#pragma once

#include "ui/win/Checkbox.h"
#include "ui/win/ConfigDialog.h"
#include "ui/win/Hyperlinks.h"

#include <string>

namespace addrbook {
class CConnOptions;
}

namespace viewerconfig {

class PrintingPage : public ui::ConfigDialog {
public:
  explicit PrintingPage(addrbook::CConnOptions* options);

  bool onInitDialog() override;
  bool onCommand(int id, int code) override;
  void onShow() override;
  INT_PTR handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

  // The notes as mark-up.
  const std::string& notes() const { return notes_; }

private:
  void updateNotes();
  void drawNotes(const DRAWITEMSTRUCT* item);

  addrbook::CConnOptions* options_;
  ui::Checkbox share_;
  ui::Checkbox noShare_;
  ui::Checkbox serverDefault_;
  ui::Window notesControl_;
  ui::Hyperlinks renderer_;
  std::string notes_;
};

} // namespace viewerconfig

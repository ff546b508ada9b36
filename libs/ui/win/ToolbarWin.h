// A ui::Menu shown as the buttons of a flat toolbar: an item's text is its
// button's tooltip, its name chooses its image (through an ImageFactory),
// and a click calls the item's action callback. Items with neither text
// nor name are separators.
//
//   ui::ToolbarWin toolbar(images, factory, owner);   // before the parent
//   toolbar.attach(parentWindow);                      // once it exists
//   toolbar.addItem("0", "New Entry");
//
// The toolbar lives in a container window of its own, which it sizes; the
// owner places the container. Runs on the thread of the parent window.
//
// A toolbar that shows no text is expected to offer its buttons' texts as
// their tooltips; where it passes the tooltip's question on instead (as
// Wine's does), the container answers it.
#pragma once

#include "ui/Menu.h"
#include "ui/win/CustomWindow.h"

#include <commctrl.h>

#include <map>
#include <string>

namespace ui {

class ToolbarWin : public Menu, public Menu::ItemManager, public CustomWindow::WndProcCallback {
public:
  class ImageFactory {
  public:
    virtual ~ImageFactory() {}
    // The index of the item's image in the toolbar's image list.
    virtual int imageIndex(const char* itemName) = 0;
  };

  class Item : public Menu::Item {
  public:
    // Inserts the button before before's, or at the end. Throws
    // plat::Exception "TB_INSERTBUTTON error".
    Item(ToolbarWin* toolbar, const char* text, const char* name, ActionCallback* callback,
         int flag, int commandId, Menu::Item* before);
    // Takes the button away; never throws.
    ~Item() override;

    // Each throws plat::Exception naming the toolbar message that failed.
    void setText(const char* text) override;
    void setImage(const char* name) override;
    void setEnabled(bool enabled) override;
    void setChecked(bool checked) override;
    bool isChecked() override;

    int commandId() const { return commandId_; }
    // The toolbar draws this button itself (otherwise only its image is).
    bool drawsByDefault() const { return defaultDraw_ != 0; }
    int image() const { return image_; }
    // The tooltip.
    const wchar_t* text() const { return text_.c_str(); }

  private:
    BYTE state();

    ToolbarWin* toolbar_;
    int commandId_;
    int defaultDraw_;
    int image_;
    std::wstring text_;
  };

  // images and factory are not owned; defaultCallback serves items added
  // without a callback of their own.
  ToolbarWin(HIMAGELIST images, ImageFactory* factory, ActionCallback* defaultCallback);
  ~ToolbarWin() override;

  // Throws plat::SystemException "CreateWindow" or plat::Exception
  // "TB_SETMAXTEXTROWS error".
  void attach(HWND parent);
  void show() override;
  void hide() override;
  SIZE getSize();
  void setSize(SIZE size);

  Menu::Item* createItem(const char* name, const char* text, Menu::Item* before,
                         ActionCallback* callback, int flag) override;
  // Throws plat::Exception "TB_COMMANDTOINDEX error" or "TB_DELETEBUTTON
  // error"; a toolbar already destroyed has nothing to delete.
  void deleteItem(Menu::Item* item) override;
  void layout() override;

  LRESULT handle(CustomWindow* window, HWND hwnd, UINT message, WPARAM wParam,
                 LPARAM lParam) override;

  HWND toolbarWindow() const { return toolbar_; }
  HWND container() const { return container_.getHandle(); }
  Item* itemOf(int commandId) const;

private:
  LRESULT customDraw(NMTBCUSTOMDRAW* draw);
  // The tooltip's question, when the toolbar passes it on.
  bool tipText(NMHDR* header);

  HWND toolbar_;
  HWND parent_;
  CustomWindow temp_;
  CustomWindow container_;
  HIMAGELIST images_;
  ImageFactory* factory_;
  int nextId_;
  std::map<int, Item*> commands_;
};

} // namespace ui

// An ordered list of named command items bound to action callbacks. The
// items are made by an item manager, which shows them (ui::ToolbarWin shows
// them as toolbar buttons); the owner of the menu implements the action
// callback.
#pragma once

#include "plat/String.h"

#include <vector>

namespace ui {

class Menu {
public:
  class Item;

  class ActionCallback {
  public:
    virtual ~ActionCallback() {}
    virtual void action(Item* item) = 0;
  };

  class Item {
  public:
    // name null (and no text): a separator.
    Item(const char* name, ActionCallback* callback) : name_(name), callback_(callback) {}
    Item(const Item&) = delete;
    Item& operator=(const Item&) = delete;
    virtual ~Item() {}

    virtual void setText(const char* text) {}
    virtual void setImage(const char* name) {}
    virtual void setEnabled(bool enabled) {}
    virtual void setChecked(bool checked) {}
    virtual bool isChecked() { return false; }

    const char* name() const { return name_.c_str(); }
    ActionCallback* callback() const { return callback_; }

  protected:
    plat::String name_;
    ActionCallback* callback_;
  };

  class ItemManager {
  public:
    virtual ~ItemManager() {}
    // before null: at the end. flag is the manager's own (ui::ToolbarWin:
    // the toolbar draws the button itself).
    virtual Item* createItem(const char* name, const char* text, Item* before,
                             ActionCallback* callback, int flag) = 0;
    // The item leaves the manager's display; it is not deleted.
    virtual void deleteItem(Item* item) = 0;
    virtual void layout() = 0;
  };

  // Neither is owned; defaultCallback serves items added without one.
  Menu(ItemManager* manager, ActionCallback* defaultCallback)
      : manager_(manager), defaultCallback_(defaultCallback) {}
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;
  virtual ~Menu() { deleteAll(); }

  virtual void show() {}
  virtual void hide() {}

  // Made by the manager and placed before before (at the end when null).
  Item* addItem(const char* name, const char* text, ActionCallback* callback = nullptr,
                Item* before = nullptr, int flag = 0);
  void deleteAll();

  const std::vector<Item*>& items() const { return items_; }

protected:
  ItemManager* manager_;
  ActionCallback* defaultCallback_;
  std::vector<Item*> items_; // owned
};

} // namespace ui

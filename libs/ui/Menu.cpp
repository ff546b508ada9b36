#include "ui/Menu.h"

#include <algorithm>

namespace ui {

Menu::Item* Menu::addItem(const char* name, const char* text, ActionCallback* callback,
                          Item* before, int flag) {
  Item* item =
      manager_->createItem(name, text, before, callback ? callback : defaultCallback_, flag);
  auto at = std::find(items_.begin(), items_.end(), before);
  items_.insert(before ? at : items_.end(), item);
  manager_->layout();
  return item;
}

void Menu::deleteAll() {
  std::vector<Item*> items;
  items.swap(items_);
  for (Item* item : items)
    delete item;
}

} // namespace ui

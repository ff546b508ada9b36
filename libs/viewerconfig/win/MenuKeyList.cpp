#include "viewerconfig/win/MenuKeyList.h"
#include "ui/win/ComboBox.h"

#include <string>

namespace viewerconfig {

void fillMenuKeys(ui::ComboBox* list) {
  list->addString("none");
  for (int i = 1; i <= 12; i++)
    list->addString(("F" + std::to_string(i)).c_str());
}

} // namespace viewerconfig

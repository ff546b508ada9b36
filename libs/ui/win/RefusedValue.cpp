#include "ui/win/RefusedValue.h"
#include "plat/ConfigParameter.h"
#include "plat/DString.h"
#include "ui/win/MsgBox.h"

namespace ui {

void showRefusedValue(HWND owner, const plat::ConfigParameter& param, const char* text) {
  plat::String kept = param.getValueStr();
  plat::DString message;
  message.appendf("\"%s\" is not a valid value for %s, which keeps its value \"%s\".", text,
                  param.getName(), kept.c_str() ? kept.c_str() : "");
  MsgBox(owner, message.c_str(), MB_OK | MB_ICONERROR);
}

} // namespace ui

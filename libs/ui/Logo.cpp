#include "ui/Logo.h"

namespace ui {

const wchar_t* logoResourceName(int dpi) {
  if (dpi <= 96)
    return L"LOGO_58x55";
  if (dpi <= 120)
    return L"LOGO_74x70";
  return L"LOGO_96x90";
}

} // namespace ui

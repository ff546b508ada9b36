#pragma once

#include "plat/ConfigParameter.h"

namespace ui {

extern plat::BoolParameter supportAccessibilityApis;

} // namespace ui

#include "ui/Parameters.h"

namespace ui {

plat::BoolParameter supportAccessibilityApis("SupportAccessibilityApis",
                                             "Support Microsoft ActiveAccessibility (MSAA)", false,
                                             0);

} // namespace ui

#include "viewerconfig/win/ViewerPages.h"
#include "ledrow/data/ConnOptions.h"

namespace viewerconfig {

ViewerPages::ViewerPages(addrbook::CConnOptions* options)
    : basic(options), display(options), inputs(options), connection(options), printing(options),
      expert(options, nullptr) {}

std::vector<ui::SheetPage> ViewerPages::basicSet(const ui::SheetPage& server) {
  return {server,
          {&basic, "Basic Options",
           "Configure the most common Kiv Viewer options. Click the Advanced button for more "
           "options."}};
}

std::vector<ui::SheetPage> ViewerPages::advancedSet(const ui::SheetPage& server) {
  return {server,
          {&display, "Display Options",
           "Configure scaling or full screen mode, or change the visual quality of the Kiv "
           "Server desktop."},
          {&inputs, "Input Options",
           "Enable or disable file transfer, or mouse or keyboard interaction with Kiv Server."},
          {&connection, "Connection Options",
           "Enable or disable connection sharing or HTTP proxy support."},
          {&printing, "Printing Options",
           "Enable or disable printing and control how the printer is shared with Kiv Server."},
          {&expert, "Advanced Options",
           "This page provides advanced configuration options. It is recommended for "
           "experienced users only."}};
}

} // namespace viewerconfig

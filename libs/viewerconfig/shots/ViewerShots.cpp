// Pictures of the viewer-options pages for ./dev shots, each in an entry's
// properties sheet as the address book shows it: the basic page, every
// page of the advanced set, the basic page over inputs that disagree, the
// inputs page with a policy-locked input, and the display page with the
// quality left to the viewer.
#include "../tests/win/EntryFixture.h"
#include "testing/Shots.h"
#include "ui/win/PropertiesDialog.h"
#include "viewerconfig/win/ViewerPages.h"

#include <memory>

namespace {

struct Entry {
  Entry()
      : flags("Shots"), advanced("AdvancedOptions", "", false, 0, &flags), server(&o, L"HOST_PAGE"),
        pages(&o) {
    entry_fixture::loadEntry(&o);
  }
  // The sheet with the page of the set at index selected.
  void save(testing_support::Shot& shot, bool advancedSet, int index) {
    advanced.setValue(advancedSet, 50);
    ui::SheetPage host = {&server, "Kiv Server Options",
                          "Configure the Kiv Server address and authentication details."};
    ui::PropertiesDialog sheet("Properties", pages.basicSet(host), pages.advancedSet(host),
                               &pages.expert, &advanced, true);
    sheet.show(nullptr, false, false);
    SetWindowPos(sheet.getHandle(), nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageW(sheet.getHandle(), PSM_SETCURSEL, index, 0);
    shot.save(sheet.getHandle());
  }

  addrbook::CConnOptions o;
  plat::Configuration flags;
  plat::BoolParameter advanced;
  ui::ConfigDialog server;
  viewerconfig::ViewerPages pages;
};

} // namespace

KIV_SHOT(viewer_basic) {
  Entry entry;
  entry.o.scaling.setParam("AspectFit", 50);
  entry.o.menuKey.setParam("F8", 50);
  entry.save(shot, false, 1);
}

// View-only over inputs that disagree, scaling that is neither fit nor none.
KIV_SHOT(viewer_basic_mixed) {
  Entry entry;
  entry.o.sendKeyEvents.setParam("0", 50);
  entry.o.scaling.setParam("Fit", 50);
  entry.save(shot, false, 1);
}

KIV_SHOT(viewer_display) {
  Entry entry;
  entry.o.scaling.setParam("1024x768", 50);
  entry.save(shot, true, 1);
}

KIV_SHOT(viewer_display_auto) {
  Entry entry;
  entry.o.autoSelect.setParam("1", 50);
  entry.o.scaling.setParam("None", 50);
  entry.save(shot, true, 1);
}

// The clipboard options disagree: its box is indeterminate, the preset
// "Custom".
KIV_SHOT(viewer_inputs) {
  Entry entry;
  entry.o.serverCutText.setParam("0", 50);
  entry.o.pointerEventInterval.setParam("200", 50);
  entry.save(shot, true, 2);
}

// Keyboard input forced off by policy: its box is locked and "Enabled" is
// not offered.
KIV_SHOT(viewer_inputs_policy) {
  Entry entry;
  entry.o.sendKeyEvents.setParam("0", 0);
  entry.save(shot, true, 2);
}

KIV_SHOT(viewer_connection) {
  Entry entry;
  entry.save(shot, true, 3);
}

KIV_SHOT(viewer_printing) {
  Entry entry;
  entry.save(shot, true, 4);
}

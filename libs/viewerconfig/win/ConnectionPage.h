// The connection page: a shared connection, single sign-on, and the proxy
// (none, the system's settings, or an endpoint of the user's with its
// protocol). The proxy options are written by the page itself, not
// through bindings: three radio buttons stand for one ProxyServer value.
#pragma once

#include "ui/win/Checkbox.h"
#include "ui/win/ComboBox.h"
#include "ui/win/ConfigDialog.h"
#include "ui/win/EditBox.h"

namespace addrbook {
class CConnOptions;
}

namespace viewerconfig {

class ConnectionPage : public ui::ConfigDialog {
public:
  // Posted to the page: focus the proxy address and select its text.
  enum { FocusAddress = WM_USER + 100 };

  explicit ConnectionPage(addrbook::CConnOptions* options);

  bool onInitDialog() override;
  bool onCommand(int id, int code) override;
  bool validate() override;
  bool apply() override;
  void onShow() override;
  INT_PTR handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

  // The message a proxy that is no endpoint gets.
  static const char* const invalidProxyText;

private:
  void enableProxyFields();
  void proxyChosen(int id);
  void showProxyType(const char* type);
  bool manualChecked();

  addrbook::CConnOptions* options_;
  ui::Checkbox shared_;
  ui::Checkbox singleSignOn_;
  ui::Checkbox noProxy_;
  ui::Checkbox systemProxy_;
  ui::Checkbox manualProxy_;
  ui::Window addressLabel_;
  ui::EditBox address_;
  ui::Window typeLabel_;
  ui::ComboBox type_;
  int typeIndexes_[2];
  // Set while the page puts texts into its own controls: what they tell
  // of it (the address box's EN_CHANGE) is not the user's.
  bool refreshing_;
};

} // namespace viewerconfig

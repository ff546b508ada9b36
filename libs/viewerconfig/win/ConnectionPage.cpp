#include "viewerconfig/win/ConnectionPage.h"
#include "ledrow/data/ConnOptions.h"
#include "ui/win/MsgBox.h"
#include "viewerconfig/ProxySetting.h"
#include "viewerconfig/win/ControlIds.h"

namespace viewerconfig {

namespace {

struct RefreshingFlag {
  explicit RefreshingFlag(bool* flag) : flag_(flag), was_(*flag) { *flag_ = true; }
  ~RefreshingFlag() { *flag_ = was_; }
  bool* flag_;
  bool was_;
};

ui::CheckboxWidget::State checkedIf(bool on) {
  return on ? ui::CheckboxWidget::Checked : ui::CheckboxWidget::Unchecked;
}

} // namespace

const char* const ConnectionPage::invalidProxyText =
    "The proxy address and port number are not valid.  You must enter either hostname:port, "
    "IPv4-address:port or [IPv6-address]:port.";

ConnectionPage::ConnectionPage(addrbook::CConnOptions* options)
    : ui::ConfigDialog(options, L"CONNECTION_DIALOG"), options_(options), typeIndexes_{-1, -1},
      refreshing_(false) {}

bool ConnectionPage::onInitDialog() {
  shared_.wrap(getDlgItem(IDC_SHARED));
  singleSignOn_.wrap(getDlgItem(IDC_SINGLE_SIGN_ON));
  noProxy_.wrap(getDlgItem(IDC_NO_PROXY));
  systemProxy_.wrap(getDlgItem(IDC_SYSTEM_PROXY));
  manualProxy_.wrap(getDlgItem(IDC_MANUAL_PROXY));
  addressLabel_.wrap(getDlgItem(IDC_PROXY_ADDRESS_LABEL));
  address_.wrap(getDlgItem(IDC_PROXY_ADDRESS));
  typeLabel_.wrap(getDlgItem(IDC_PROXY_TYPE_LABEL));
  type_.wrap(getDlgItem(IDC_PROXY_TYPE));
  shared_.setText("S&hared connection (do not disconnect other Kiv Viewers)");
  singleSignOn_.setText("Use &single sign-on if Kiv Server supports it");
  sync().bindCheckbox(&shared_, &options_->shared, "1", "0");
  sync().bindCheckbox(&singleSignOn_, &options_->singleSignOn, "1", "0");
  typeIndexes_[0] = type_.addString("HTTP CONNECT");
  typeIndexes_[1] = type_.addString("SOCKS 5");
  setToolTip(IDC_SHARED,
             "Do not disconnect other Kiv Viewers unless Kiv Server has been configured not to "
             "allow shared connections.",
             300);
  setToolTip(IDC_SINGLE_SIGN_ON,
             "If Kiv Server supports it, try to connect using your local username and password. "
             "If this fails, then prompt for a username and password as normal.",
             300);
  setToolTip(IDC_NO_PROXY,
             "Connect directly to Kiv Server without using a proxy.  You should use this option "
             "unless forced to do otherwise.",
             300);
  setToolTip(IDC_SYSTEM_PROXY,
             "Decide how to connect to Kiv Server using the same logic as Microsoft Internet "
             "Explorer.  Try this if you are unable to connect directly.",
             300);
  setToolTip(IDC_MANUAL_PROXY, "Manually specify a proxy to be used when connecting to Kiv Server.",
             300);
  setToolTip(IDC_PROXY_ADDRESS,
             "Hostname:port, IPv4-address:port or [IPv6-address]:port for the proxy server.  If "
             "you are unsure what to put here, ask your network administrator.",
             300);
  setToolTip(IDC_PROXY_TYPE,
             "Protocol used when communicating with the proxy server.  If you are unsure what to "
             "select here, ask your network administrator.",
             300);
  return false;
}

bool ConnectionPage::manualChecked() {
  return manualProxy_.getState() == ui::CheckboxWidget::Checked;
}

void ConnectionPage::enableProxyFields() {
  bool manual = manualChecked();
  addressLabel_.enable(manual);
  address_.setEnabled(manual);
  typeLabel_.enable(manual);
  type_.setEnabled(manual);
}

void ConnectionPage::showProxyType(const char* type) {
  int index = proxyTypeIndex(type);
  SendMessageW(type_.getHandle(), CB_SETCURSEL, index < 0 ? (WPARAM)-1 : typeIndexes_[index], 0);
}

void ConnectionPage::onShow() {
  ui::ConfigDialog::onShow();
  RefreshingFlag flag(&refreshing_);
  plat::String server = options_->proxyServer.getValueStr();
  ProxyChoice choice = proxyChoice(server.c_str());
  // All three: a radio left checked from an earlier showing would make
  // two choices at once.
  noProxy_.setState(checkedIf(choice == NoProxy));
  systemProxy_.setState(checkedIf(choice == SystemProxy));
  manualProxy_.setState(checkedIf(choice == ManualProxy));
  address_.setText(choice == ManualProxy ? server.c_str() : "");
  enableProxyFields();
  showProxyType(options_->proxyType.getValueStr().c_str());
}

void ConnectionPage::proxyChosen(int id) {
  enableProxyFields();
  RefreshingFlag flag(&refreshing_);
  if (id == IDC_NO_PROXY || id == IDC_SYSTEM_PROXY) {
    options_->proxyServer.setParam(id == IDC_NO_PROXY ? "" : systemProxyValue, priority_);
    options_->proxyType.setParam("", priority_);
    address_.setText("");
    showProxyType("");
  } else {
    if (proxyChoice(options_->proxyServer.getValueStr().c_str()) != ManualProxy) {
      options_->proxyServer.setParam(proxyPlaceholder, priority_);
      address_.setText(proxyPlaceholder);
    }
    if (options_->proxyType.getValueStr().length() == 0) {
      options_->proxyType.setParam(proxyTypeNames[0], priority_);
      showProxyType(proxyTypeNames[0]);
    }
    PostMessageW(getHandle(), FocusAddress, 0, (LPARAM)&address_);
  }
  notifyChanged();
}

bool ConnectionPage::onCommand(int id, int code) {
  if (refreshing_)
    return false;
  if (code == BN_CLICKED &&
      (id == IDC_NO_PROXY || id == IDC_SYSTEM_PROXY || id == IDC_MANUAL_PROXY)) {
    proxyChosen(id);
  } else if (id == IDC_PROXY_TYPE && code == CBN_SELCHANGE && manualChecked()) {
    int chosen = type_.getCurSel();
    for (int i = 0; i < 2; i++)
      if (chosen == typeIndexes_[i])
        options_->proxyType.setParam(proxyTypeNames[i], priority_);
    notifyChanged();
  } else if (id == IDC_PROXY_ADDRESS && code == EN_CHANGE && manualChecked()) {
    options_->proxyServer.setParam(address_.getText(), priority_);
    notifyChanged();
  }
  return ui::ConfigDialog::onCommand(id, code);
}

INT_PTR ConnectionPage::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // Only the page's own request: another program's lParam is no object.
  if (message == FocusAddress && hwnd == getHandle()) {
    if (lParam == (LPARAM)&address_) {
      address_.setFocus();
      SendMessageW(address_.getHandle(), EM_SETSEL, 0, -1);
    }
    return 0;
  }
  return ui::ConfigDialog::handleMessage(hwnd, message, wParam, lParam);
}

bool ConnectionPage::validate() {
  if (!ui::ConfigDialog::validate())
    return false;
  if (!manualChecked() || isValidProxyEndpoint(address_.getText()))
    return true;
  ui::MsgBox(getHandle(), invalidProxyText, MB_ICONERROR);
  PostMessageW(getHandle(), FocusAddress, 0, (LPARAM)&address_);
  return false;
}

// No proxy has no protocol. An empty one is left as it is: OK alone
// changes nothing.
bool ConnectionPage::apply() {
  if (options_->proxyServer.getValueStr().length() == 0 &&
      options_->proxyType.getValueStr().length() != 0)
    options_->proxyType.setParam("", priority_);
  return ui::ConfigDialog::apply();
}

} // namespace viewerconfig

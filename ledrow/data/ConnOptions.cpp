#include "ledrow/data/ConnOptions.h"
#include "ledrow/data/EncodingNames.h"
#include "ledrow/data/FileOps.h"
#include "ledrow/data/PasswordObfuscation.h"
#include "ledrow/data/UserNameSource.h"
#include "plat/Assert.h"
#include "plat/LogWriter.h"
#include "plat/RaisedFlag.h"
#include "plat/Path.h"

namespace addrbook {

using plat::ConfigParameter;

static plat::LogWriter vlog("ConnOptions");

namespace {

const unsigned char Adv = ConfigParameter::Advanced;

const char* const proxyTypes[] = {"", "httpconnect", "socks", nullptr};
const char* const menuKeys[] = {"",   "F1", "F2", "F3",  "F4",  "F5",  "F6",
                                "F7", "F8", "F9", "F10", "F11", "F12", nullptr};
const char* const encryptionLevels[] = {"Server",  "AlwaysMaximum", "AlwaysOn",
                                        "PreferOn", "PreferOff",     nullptr};
const char* const encodings[] = {"JPEG", "Zlib", "ZRLE", "TRLE", "Hextile", "Raw", "JRLE", nullptr};

// The colour levels in order of quality; a ColourLevel of one digit names
// one of them.
const char* const colourLevels[] = {"rgb111", "rgb222", "pal8", "full"};

const struct {
  const char* colourLevel;
  const char* encoding;
} qualityPresets[CConnOptions::QualityPresets] = {
    {"rgb111", "ZRLE"}, {"rgb222", "ZRLE"}, {"pal8", "ZRLE"},
    {"full", "JRLE"},   {"full", "ZRLE"},   {"full", "TRLE"},
};

// What a password file may contribute.
const int MaxPasswordFileBytes = 256;

} // namespace

CConnOptions::CConnOptions()
    : plat::Configuration("CConnOptions"),
      useLocalCursor("UseLocalCursor", "Render the mouse cursor locally", true, Adv, this),
      fullScreen("FullScreen", "Use the whole display to show the remote desktop.", false, 0,
                 this),
      relativePtr("RelativePtr", "Send relative pointer events", false, 0, this),
      fullColour("FullColour",
                 "Use full colour (default is to use ColourLevel unless auto select decides the "
                 "link is fast enough).",
                 false, 0, this),
      colourLevel("ColourLevel",
                  "The colour level to use, specified as a pixel format (e.g. rgb111 for 8 "
                  "colours, rgb222 for 64 colours, pal8 for 256 colours) or 'full' to use full "
                  "colour.  This parameter is ignored if FullColour is set.",
                  "pal8", 0, this),
      autoSelect("AutoSelect", "Auto select pixel format and encoding", true, 0, this),
      shared("Shared", "Allow existing connections to Kiv Server to continue.", true, 0, this),
      sendPointerEvents("SendPointerEvents", "Send pointer (mouse) events to Kiv Server.", true,
                        0, this),
      sendKeyEvents("SendKeyEvents", "Send key presses (and releases) to Kiv Server.", true, 0,
                    this),
      clientCutText("ClientCutText", "Send clipboard changes to Kiv Server.", true, 0, this),
      serverCutText("ServerCutText", "Accept clipboard changes from Kiv Server.", true, 0, this),
      shareFiles("ShareFiles", "Enable file sharing with Kiv Server.", true, 0, this),
      enableChat("EnableChat", "Enable chat with Kiv Server.", true, 0, this),
      proxyServer("ProxyServer",
                  "Connect via the given proxy server.  On Windows, specify "
                  "ProxyServer=_msiesettings_ to use Microsoft Internet Explorer's proxy "
                  "settings; on UNIX platforms, use ProxyServer=_env_ to use the standard proxy "
                  "environment variables.",
                  "", 0, this),
      proxyType("ProxyType", "Type of proxy server indicated by ProxyServer (httpconnect or socks)",
                "", proxyTypes, 0, this),
      pointerEventInterval("PointerEventInterval",
                           "The interval to delay between sending one pointer event and the next.",
                           0, Adv, this),
      protocol33("Protocol3.3", "Only use protocol version 3.3", false, Adv, this),
      acceptBell("AcceptBell", "Produce a system beep when requested to by Kiv Server.", true, Adv,
                 this),
      scaling("Scaling",
              "Scale the desktop in the specified manner (None, Fit (fit window), AspectFit (fit "
              "window but maintain Aspect Ratio), <Width>x<Height>, <Percent>%, "
              "<Percent_Width>%x<Percent_Height>%, <Width>x, x<Height>)",
              "None", 0, this),
      menuKey("MenuKey", "The key which brings up the popup menu", "F8", menuKeys, 0, this),
      enableToolbar("EnableToolbar", "Show a tool-bar for common operations", true, 0, this),
      userName("UserName", "The user name for connecting to Kiv Server", "", 0, this),
      encryption("Encryption",
                 "The encryption level to use when connecting to Kiv Server. Valid values are: "
                 "Server, PreferOff, PreferOn, AlwaysOn.",
                 "Server", encryptionLevels, 0, this),
      selectDesktop("SelectDesktop",
                    "Name or number of desktop to select within a multi-desktop Kiv Server", "",
                    Adv, this),
      preferredEncoding("PreferredEncoding",
                        "Preferred graphical encoding to use - overridden by AutoSelect if set. "
                        "(JPEG, Zlib, ZRLE, TRLE, Hextile or Raw)",
                        "ZRLE", encodings, Adv, this),
      autoReconnect("AutoReconnect",
                    "Offer to reconnect to Kiv Server if the connection is dropped because an "
                    "error occurs.",
                    true, 0, this),
      singleSignOn("SingleSignOn",
                   "Attempt to authenticate to Kiv Server using the current user credentials if "
                   "the Kiv Server supports it",
                   true, Adv, this),
      enableRemotePrinting("EnableRemotePrinting", "Enable sharing of printers over Kiv", true, 0,
                           this),
      changeServerDefaultPrinter("ChangeServerDefaultPrinter",
                                 "Change Kiv Server's default printer to match Kiv Viewer's", true,
                                 0, this),
      scalePrintOutput("ScalePrintOutput", "Scale printed output to fit printer's page boundaries",
                       true, 0, this),
      passwordFile("PasswordFile",
                   "The file containing the Kiv Server password in obfuscated format.", "", Adv,
                   this),
      verifyId("VerifyId",
               "When to warn regarding new or changed Kiv Server identities. (2=always, 1=only if "
               "changed, 0=never)",
               2, Adv, this),
      idHash("IdHash", "Expected identity of the Kiv Server, as a 64-bit hash", nullptr, 0, Adv,
             this),
      fullScreenChangeResolution("FullScreenChangeResolution",
                                 "Adjust the display resolution to match that of Kiv Server when "
                                 "in full-screen mode",
                                 false, Adv, this),
      useAllMonitors("UseAllMonitors", "Use all available monitors when entering full-screen mode",
                     false, Adv, this),
      emulate3("Emulate3",
               "Emulate middle mouse button when left and right buttons are used simultaneously.",
               false, 0, this),
      disableWinKeys("DisableWinKeys", "Pass special Windows keys directly to Kiv Server.", true, 0,
                     this),
      suppressIME("SuppressIME",
                  "Suppress local Input Method Editors (IMEs), so that text can be entered using "
                  "Kiv Server IMEs",
                  true, Adv, this),
      monitor("Monitor", "The monitor to open the Kiv Viewer window on, if available.", "", Adv,
              this),
      takingText_(false) {
  addAlias("FullColor", "FullColour");
  addAlias("LowColourLevel", "ColourLevel");
  addAlias("LowColorLevel", "ColourLevel");
  addAlias("SendClipboard", "ClientCutText");
  addAlias("AcceptClipboard", "ServerCutText");
  addAlias("passwd", "PasswordFile");
  parameterChanged(&passwordFile, plat::PriorityDefault);
  passwordFile.setCallback(this);
  colourLevel.setCallback(this);
  try {
    plat::String name = currentUserName();
    userName.setParam(name.c_str(), plat::PriorityDefault);
  } catch (const plat::Exception&) {
    // No user name: the option stays empty.
  }
}

CConnOptions::~CConnOptions() {}

CConnOptions& CConnOptions::operator=(const CConnOptions& other) {
  if (this == &other)
    return *this;
  // Options first: taking PasswordFile reads that file into the password,
  // which the source's bytes then replace.
  {
    plat::RaisedFlag copying(takingText_);
    copyAllFrom(other);
  }
  password_ = other.password_;
  filePath_ = other.filePath_;
  host_ = other.host_;
  identity_ = other.identity_;
  extraOptions_ = other.extraOptions_;
  return *this;
}

void CConnOptions::parameterChanged(ConfigParameter* param, int priority) {
  if (param == &colourLevel) {
    plat::String level = colourLevel.getValueStr();
    const char* text = level.c_str();
    if (text[0] >= '0' && text[0] <= '3' && text[1] == 0)
      colourLevel.setParam(colourLevels[text[0] - '0'], priority);
  } else if (param == &passwordFile) {
    readPasswordFile();
  }
}

void CConnOptions::readPasswordFile() {
  plat::String path = passwordFile.getValueStr();
  if (path.length() == 0)
    return;
  // A name that came with a text (a file, the viewer's message, an import)
  // is somebody else's choice: it may sign the user in to another machine,
  // or read a device that never answers on this thread.
  if (takingText_) {
    const char* refused = plat::mayReachNetwork(path.c_str()) ? "a path to another machine"
                          : plat::namesDevice(path.c_str())   ? "a device"
                                                              : nullptr;
    if (refused) {
      vlog.error("PasswordFile %s: not opened, %s that came with a connection text", path.c_str(),
                 refused);
      return;
    }
  }
  FILE* file = tryOpenFile(path.c_str(), "rb");
  if (!file)
    return;
  // The file holds the password already obfuscated.
  ZeroingBytes bytes;
  size_t n = fread(bytes.allocate(MaxPasswordFileBytes), 1, MaxPasswordFileBytes, file);
  fclose(file);
  bytes.truncate((int)n);
  password_ = std::move(bytes);
}

void CConnOptions::setPassword(const char* plain) {
  if (!plain)
    password_.clear();
  else
    obfuscatePassword(&password_, plain);
}

void CConnOptions::setQualityPreset(int position, int priority) {
  PLAT_ASSERT(position >= 0 && position < QualityPresets);
  colourLevel.setParam(qualityPresets[position].colourLevel, priority);
  preferredEncoding.setParam(qualityPresets[position].encoding, priority);
  fullColour.setValue(false, priority);
}

int CConnOptions::getQualityPreset() const {
  if (!fullColour.getValue()) {
    plat::String level = colourLevel.getValueStr();
    // Full colour is the level of three presets; the encoding tells them
    // apart.
    for (int i = 0; i < 3; i++)
      if (plat::strCaseCmp(level.c_str(), colourLevels[i]) == 0)
        return i;
  }
  switch (encodingNumber(preferredEncoding.getValueStr().c_str())) {
  case 16: // ZRLE
    return 4;
  case 22: // JRLE
    return 3;
  default:
    return 5;
  }
}

} // namespace addrbook

// Writing connection files: the walk over the sections and pairs of an
// option set, in the fixed order that readers (and the entry hash) expect.
#include "ledrow/data/ConnOptions.h"
#include "ledrow/data/Formatters.h"
#include "plat/String.h"
#include "plat/WipedString.h"
#include "rdr/OutStream.h"

#include <cstring>

namespace addrbook {

namespace {

// Most options are Bool ones, and every save and every hash walks them
// all: their text comes without a String each.
void emit(CConnOptions::Formatter* f, const plat::ConfigParameter& p, rdr::OutStream& out) {
  if (p.isBool()) {
    f->param(p.getName(), static_cast<const plat::BoolParameter&>(p).getValueText(), out);
    return;
  }
  plat::String value = p.getValueStr();
  f->param(p.getName(), value.c_str(), out);
}

void emitHex(CConnOptions::Formatter* f, const char* name, const uint8_t* data, int length,
             rdr::OutStream& out) {
  plat::String hex = plat::String::adopt(plat::binToHex({length, data}));
  f->param(name, hex.c_str(), out);
}

} // namespace

void CConnOptions::write(rdr::OutStream& out, bool includePassword, bool optionsOnly,
                         Formatter* formatter) {
  if (!formatter)
    formatter = &DefaultFormatter::instance;
  formatter->begin(out, includePassword, optionsOnly);
  if (!optionsOnly)
    writeSection("Connection", out, includePassword, formatter);
  writeSection("Options", out, includePassword, formatter);
  formatter->end(out);
  out.flush();
}

void CConnOptions::writeSection(const char* section, rdr::OutStream& out, bool includePassword,
                                Formatter* formatter) {
  Formatter* f = formatter ? formatter : &DefaultFormatter::instance;
  f->beginSection(section, out, includePassword);
  if (strcmp(section, "Connection") == 0) {
    if (host_.length() > 0)
      f->param("Host", host_.c_str(), out);
    if (userName.getValueStr().length() > 0)
      emit(f, userName, out);
    if (includePassword && !password_.empty()) {
      // The hex text is the password to anyone who has it: wipe it too.
      plat::String text =
          plat::String::adopt(plat::binToHex({password_.length(), password_.data()}));
      f->param("Password", text.c_str(), out);
      plat::secureZero(text.buf(), text.length());
    }
    if (!identity_.empty())
      emitHex(f, "Identity", identity_.data(), (int)identity_.size(), out);
    emit(f, encryption, out);
    emit(f, selectDesktop, out);
    emit(f, proxyServer, out);
    emit(f, proxyType, out);
    emit(f, singleSignOn, out);
  } else if (strcmp(section, "Options") == 0) {
    const plat::ConfigParameter* options[] = {
        &useLocalCursor, &fullScreen, &relativePtr, &fullColour, &colourLevel,
        &preferredEncoding, &autoSelect, &shared, &sendPointerEvents, &sendKeyEvents,
        &clientCutText, &serverCutText, &shareFiles, &enableChat, &enableRemotePrinting,
        &changeServerDefaultPrinter, &pointerEventInterval, &scaling, &menuKey, &enableToolbar,
        &autoReconnect, &protocol33, &acceptBell, &scalePrintOutput, &passwordFile, &verifyId,
        &idHash, &fullScreenChangeResolution, &useAllMonitors, &emulate3, &disableWinKeys,
        &suppressIME, &monitor};
    for (const plat::ConfigParameter* p : options)
      emit(f, *p, out);
    for (const auto& extra : extraOptions_)
      f->param(extra.first.c_str(), extra.second.c_str(), out);
  }
  f->endSection(section, out);
  out.flush();
}

} // namespace addrbook

// The program's about text: shown by the About dialog, written as the banner
// of every log output, and the source of the display name used in captions.
#pragma once

#include "plat/DString.h"
#include "plat/String.h"

namespace plat {

struct AboutText {
  // The product's two legal notice lines.
  static const char* const copyrightLine;
  static const char* const trademarkLine;
  // "Built on " and the compiler's date and time of the build.
  static const char* const builtOn;
  // The maker's web site: scheme and host, no path.
  static const char* const webSite;

  // productName is the version block's "ProgramName"; version its
  // four-part version number ("1.2.0.0").
  AboutText(const char* productName, const char* version);

  DString fullText;
  // fullText with "(R)" and "(C)" for the signs, wrapped at 79 columns.
  DString bannerText;
  // productName without the registered sign.
  DString shortProductName;
  String productName;
  String platformText;
};

} // namespace plat

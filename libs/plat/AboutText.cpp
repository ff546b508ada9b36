#include "plat/AboutText.h"

namespace plat {

const char* const AboutText::copyrightLine = "Copyright \xc2\xa9 Torvane Ltd. All rights reserved.";
const char* const AboutText::trademarkLine =
    "Ostrel\xc2\xae is a registered trade mark of Torvane Ltd.";
const char* const AboutText::builtOn = "Built on " __DATE__ " " __TIME__;
const char* const AboutText::webSite = "https://www.torvane.example";

static const char registeredSign[] = "\xc2\xae";
static const char copyrightSign[] = "\xc2\xa9";

AboutText::AboutText(const char* productName_, const char* version)
    : productName(productName_), platformText("64-bit (x64) unicode") {
  DString edition;
  edition.appendf("Edition %s", version);
  fullText.appendf("%s %s %s\n%s\n%s\n%s\nSee %s/ostrel for information about Torvane.\n%s",
                   productName.c_str(), edition.c_str(), platformText.c_str(), builtOn,
                   copyrightLine, trademarkLine, webSite,
                   "For third party acknowledgements see:\n");
  fullText.appendf("%s/ostrel/%.3s/acknowledgements", webSite, version);

  DString registeredDone;
  registeredDone.appendReplacing(fullText.c_str(), registeredSign, "(R)");
  bannerText.appendReplacing(registeredDone.c_str(), copyrightSign, "(C)");
  wordWrap(bannerText.data(), 79);

  shortProductName.appendReplacing(productName.c_str(), registeredSign, "");
}

} // namespace plat

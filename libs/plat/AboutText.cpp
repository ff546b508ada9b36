#include "plat/AboutText.h"

namespace plat {

static const char registeredSign[] = "\xc2\xae";
static const char copyrightSign[] = "\xc2\xa9";

AboutText::AboutText(const char* productName_, const char* version)
    : productName(productName_), platformText("64-bit (x64) unicode") {
  DString edition;
  edition.appendf("Edition %s", version);
  fullText.appendf("%s %s %s\n%s\n%s\n%s\n%s\n%s", productName.c_str(), edition.c_str(),
                   platformText.c_str(), "Built on " __DATE__ " " __TIME__,
                   "Copyright \xc2\xa9 Torvane Ltd. All rights reserved.",
                   "Ostrel\xc2\xae is a registered trade mark of Torvane Ltd.",
                   "See https://www.torvane.example/ostrel for information about Torvane.",
                   "For third party acknowledgements see:\n");
  fullText.appendf("https://www.torvane.example/ostrel/%.3s/acknowledgements", version);

  DString registeredDone;
  registeredDone.appendReplacing(fullText.c_str(), registeredSign, "(R)");
  bannerText.appendReplacing(registeredDone.c_str(), copyrightSign, "(C)");
  wordWrap(bannerText.data(), 79);

  shortProductName.appendReplacing(productName.c_str(), registeredSign, "");
}

} // namespace plat

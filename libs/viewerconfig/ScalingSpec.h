// The Scaling option's value in structured form, with the conversions the
// display page makes between its texts, pixels and percentages. Sizes of 0
// are unknown; a size counts as known only when both its sides are above 0.
//
//   "None"  "Fit"  "AspectFit"
//   "800x600"  "50%x60%"    no aspect ratio kept: both sides given
//   "50%"  "800x"  "x600"   aspect ratio kept: one side drives the other
#pragma once

#include <string>

namespace viewerconfig {

struct ScalingSpec {
  enum Mode { None = 0, Fit = 1, Custom = 2 };

  // The value's text; parse takes any case for the keywords.
  std::string toString() const;
  // Text that gives no usable size falls back to "None".
  void parse(const char* text);
  // The sides derived from the window (in mode Fit) and the aspect ratio.
  void updateFromWindow();
  // Converts the sides between pixels and percent of the server's size.
  void setPercent(bool on);

  bool serverKnown() const { return serverWidth > 0 && serverHeight > 0; }
  bool windowKnown() const { return windowWidth > 0 && windowHeight > 0; }

  int mode = None;
  bool aspect = true;
  bool percent = true;
  // The width is the side given (else the height).
  bool widthDriven = true;
  int width = 100;
  int height = 100;
  int serverWidth = 0;
  int serverHeight = 0;
  // The pages never set these.
  int windowWidth = 0;
  int windowHeight = 0;
};

} // namespace viewerconfig

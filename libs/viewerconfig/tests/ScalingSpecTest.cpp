#include "viewerconfig/ScalingSpec.h"

#include <gtest/gtest.h>

using viewerconfig::ScalingSpec;

namespace {

ScalingSpec parsed(const char* text, int serverWidth = 0, int serverHeight = 0) {
  ScalingSpec spec;
  spec.serverWidth = serverWidth;
  spec.serverHeight = serverHeight;
  spec.parse(text);
  return spec;
}

} // namespace

TEST(ScalingSpec, EveryFormRoundTripsAndUnusableTextFallsBackToNone) {
  struct Case {
    const char* text;
    const char* formatted;
    int mode;
    bool aspect, percent, widthDriven;
  } cases[] = {
      {"None", "None", ScalingSpec::None, true, true, true},
      {"fit", "Fit", ScalingSpec::Fit, false, true, true},
      {"ASPECTFIT", "AspectFit", ScalingSpec::Fit, true, true, true},
      {"800x600", "800x600", ScalingSpec::Custom, false, false, true},
      {"50%x60%", "50%x60%", ScalingSpec::Custom, false, true, true},
      {"50%", "50%", ScalingSpec::Custom, true, true, true},
      {"800x", "800x", ScalingSpec::Custom, true, false, true},
      {"x600", "x600", ScalingSpec::Custom, true, false, false},
      {"75", "75%", ScalingSpec::Custom, true, true, true},
      {"0x0", "None", ScalingSpec::None, true, true, true},
      {"-5x10", "None", ScalingSpec::None, true, true, true},
      {"junk", "None", ScalingSpec::None, true, true, true},
      {"", "None", ScalingSpec::None, true, true, true},
  };
  for (const Case& c : cases) {
    ScalingSpec spec = parsed(c.text);
    EXPECT_EQ(c.formatted, spec.toString()) << c.text;
    EXPECT_EQ(c.mode, spec.mode) << c.text;
    EXPECT_EQ(c.aspect, spec.aspect) << c.text;
    EXPECT_EQ(c.percent, spec.percent) << c.text;
    EXPECT_EQ(c.widthDriven, spec.widthDriven) << c.text;
    EXPECT_EQ(c.formatted, parsed(spec.toString().c_str()).toString()) << c.text;
  }
  EXPECT_EQ(600, parsed("x600").height);
}

TEST(ScalingSpec, PercentAndPixelsConvertOnlyWithAWholeServerSize) {
  ScalingSpec spec = parsed("512x384", 1024, 768);
  spec.setPercent(true);
  EXPECT_EQ("50%x50%", spec.toString());
  spec.setPercent(false);
  EXPECT_EQ("512x384", spec.toString());

  // With the aspect ratio kept, the other side follows the server's.
  spec = parsed("800x", 1024, 768);
  EXPECT_EQ(600, spec.height);
  spec = parsed("x384", 1024, 768);
  EXPECT_EQ(512, spec.width);

  // No size, or only one side of it: the numbers stay, nothing divides
  // by zero.
  for (int width : {0, 1024}) {
    spec = parsed("512x384", width, 0);
    spec.setPercent(true);
    EXPECT_EQ("512%x384%", spec.toString());
    spec = parsed("800x", width, 0);
    EXPECT_EQ(0, spec.height);
  }

  // Switching units without scaling takes the server's size.
  spec = parsed("None", 1024, 768);
  spec.setPercent(false);
  EXPECT_EQ(1024, spec.width);
  EXPECT_EQ(768, spec.height);
}

TEST(ScalingSpec, FitTakesTheWindowAndItsNarrowerSideDrives) {
  ScalingSpec spec;
  spec.serverWidth = 1600;
  spec.serverHeight = 1200;
  spec.windowWidth = 800;
  spec.windowHeight = 700;
  spec.parse("AspectFit");
  EXPECT_FALSE(spec.percent);
  EXPECT_TRUE(spec.widthDriven); // 800 is less than 1600 x 700 / 1200
  EXPECT_EQ(800, spec.width);
  EXPECT_EQ(600, spec.height);

  // Huge typed sizes stay inside int.
  spec = parsed("2000000000x", 1, 2000000000);
  EXPECT_GT(spec.height, 0);
}

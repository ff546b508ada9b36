#include "viewerconfig/ScalingSpec.h"
#include "plat/String.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace viewerconfig {

namespace {

// (a * b + c / 2) / c to the nearest integer, kept inside int: the boxes
// take any number a user types.
int scaled(long long a, long long b, long long c) {
  long long r = (a * b + c / 2) / c;
  return r > INT_MAX ? INT_MAX : r < INT_MIN ? INT_MIN : (int)r;
}

int toInt(long value) {
  return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : (int)value;
}

bool endsWithPercent(const char* from, const char* to) {
  return to > from && to[-1] == '%';
}

} // namespace

std::string ScalingSpec::toString() const {
  if (mode == None)
    return "None";
  if (mode == Fit)
    return aspect ? "AspectFit" : "Fit";
  const char* unit = percent ? "%" : "";
  std::string text;
  if (!aspect || widthDriven)
    text += std::to_string(width) + unit;
  if (!aspect || !percent)
    text += "x";
  if (!aspect || !widthDriven)
    text += std::to_string(height) + unit;
  return text;
}

void ScalingSpec::parse(const char* text) {
  widthDriven = percent = aspect = true;
  width = height = 100;
  if (plat::strCaseCmp(text, "None") == 0) {
    mode = None;
  } else if (plat::strCaseCmp(text, "Fit") == 0) {
    mode = Fit;
    aspect = false;
  } else if (plat::strCaseCmp(text, "AspectFit") == 0) {
    mode = Fit;
  } else {
    mode = Custom;
    const char* x = strchr(text, 'x');
    width = toInt(strtol(text, nullptr, 10));
    if (x) {
      height = toInt(strtol(x + 1, nullptr, 10));
      aspect = !(width && height);
      if (width)
        percent = endsWithPercent(text, x);
      else if (height) {
        widthDriven = false;
        percent = endsWithPercent(x + 1, x + 1 + strlen(x + 1));
      }
    }
  }
  updateFromWindow();
  int driving = widthDriven ? width : height;
  if (width < 0 || height < 0 || driving == 0)
    parse("None");
}

void ScalingSpec::updateFromWindow() {
  if (mode == Fit && windowKnown()) {
    percent = false;
    width = windowWidth;
    height = windowHeight;
    if (aspect && serverKnown())
      widthDriven = windowWidth < scaled(serverWidth, windowHeight, serverHeight);
  }
  if (!aspect)
    return;
  if (percent) {
    if (widthDriven)
      height = width;
    else
      width = height;
  } else if (serverKnown()) {
    if (widthDriven)
      height = scaled(serverHeight, width, serverWidth);
    else
      width = scaled(serverWidth, height, serverHeight);
  }
}

void ScalingSpec::setPercent(bool on) {
  if (serverKnown()) {
    if (on && !percent) {
      width = scaled(width, 100, serverWidth);
      height = scaled(height, 100, serverHeight);
    } else if (!on && mode != None && percent) {
      width = scaled(serverWidth, width, 100);
      height = scaled(serverHeight, height, 100);
    } else if (!on && mode == None) {
      width = serverWidth;
      height = serverHeight;
    }
  }
  percent = on;
  updateFromWindow();
}

} // namespace viewerconfig

// How a text looks once drawn, for the faults that measuring cannot see:
// a platform may report one font's metrics and draw another's glyphs.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

// True when font is bold (weight 600 or more) but text drawn in it covers
// no more pixels than in the same font at the normal weight.
bool drawsInNormalWeight(HFONT font, const std::wstring& text);

} // namespace testing_support

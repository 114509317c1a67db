// Colours as hue, saturation and lightness, in fractions (0 .. 1) or in the integer range of HSLRange, for
// deriving lighter and darker shades of a colour.
#pragma once

#include "framework/graphics.h"

namespace controls {

// The integer range: hue 0 .. HSLRange - 1, saturation and lightness 0 .. HSLRange.
constexpr int HSLRange = 240;

TColor HSLtoRGB(double H, double S, double L);
TColor HSLRangeToRGB(int H, int S, int L);
// A system colour is resolved first.
void RGBtoHSL(TColor color, double& H, double& S, double& L);
// Each value the nearest integer of its range, a tie going to the even one.
void RGBtoHSLRange(TColor color, int& H, int& S, int& L);

}  // namespace controls

// Colour arithmetic shared by every theme. A system colour is resolved to its current value before any
// arithmetic; the results are plain 0x00BBGGRR colours.
#pragma once

#include <cstdint>

#include "framework/graphics.h"

namespace toolbars {

// Per byte of the low three (a * weight + b * (255 - weight)) shr 8, weight 0..255: the blend of BlendColors on
// plain values, in either byte order (colours or DIB pixels); the top byte comes out 0.
std::uint32_t BlendBytes(std::uint32_t a, std::uint32_t b, std::uint32_t weight);
// Per channel (c1 * weight + c2 * (255 - weight)) shr 8, weight 0..255: 255 gives almost c1, not c1 itself.
TColor BlendColors(TColor c1, TColor c2, int weight);
// BlendColors, then the nearest colour the screen can show.
TColor BlendColorsNearest(TColor c1, TColor c2, int weight);
// Adds amount to red, green and blue, each clamped to 0..255.
TColor ShiftColorBrightness(TColor color, int amount);
// (77 R + 151 G + 28 B) shr 8.
int ColorLuminance(TColor color);
// c1's share is weight percent below 100 and weight per mille from 100 on, rounded to the nearest.
TColor MixColorsPercent(TColor c1, TColor c2, int weight);
// Moves color away from base (lighter or darker, whichever has room) until their distance in a space weighted
// like the eye reaches minDistance, raised for dark bases. color is stored back resolved even when it stays.
void EnsureContrast(TColor& color, TColor base, int minDistance);
// EnsureContrast on a copy of color.
TColor Contrasted(TColor color, TColor base, int minDistance);

}  // namespace toolbars

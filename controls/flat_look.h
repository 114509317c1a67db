// The flat look that the address box, the search boxes and their edit boxes share: a one-pixel frame that lights
// up in the highlight colour while the mouse is over the control or it has the focus.
#pragma once

#include "framework/graphics.h"

namespace controls {

// Each channel less amount, green two less than that, clamped to 0 .. 255.
TColor DarkenColor(TColor color, int amount);
// Each channel moved percent (at most 100) of the way to white, rounded half to even, then the nearest colour
// that dc's device can show.
TColor LightenColor(HDC dc, TColor color, int percent);

// The colours of one paint, for dc's device.
struct TFlatColors {
  TColor HotLight;
  TColor FocusLight;
  TColor Pressed;
};
TFlatColors FlatColors(HDC dc);

// The outer frame's colour: highlight under the mouse, lightened highlight while focused, else the control's colour.
TColor FlatFrameColor(HDC dc, bool mouseIn, bool focused, TColor color);

// Paints the flat frames into canvas over the control's rectangle r: outer in the parent's darkened colour, the
// inner rings in color, and the lit frame in frameColor; r ends as the frame left it, for the drop button.
void PaintFlatFrames(TCanvas* canvas, RECT& r, TColor outerColor, TColor color, TColor frameColor, bool lit);

}  // namespace controls

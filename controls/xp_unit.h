// What the XP-look button, check box and radio button share: their skins (strips of equal state pictures in the
// program's bitmap resources), the stretching of a button picture to any size, and the unit that registers the
// hand cursor and the three classes.
#pragma once

#include "framework/bitmap.h"
#include "framework/control.h"
#include "framework/startup.h"

namespace controls {

// The screen cursor number of the skins' hand cursor (resource "XPHANDCUR"); the controls do not select it.
constexpr TCursor crXPHand = 246;

enum class TXPSkin { Button, CheckBox, RadioBox };

// A push-button frame is 18 x 21 pixels; check box and radio button frames are 13 x 13.
constexpr SIZE kXPButtonFrame{18, 21};
constexpr int kXPBoxFrame = 13;

// The skin's strip, loaded from the resources when first asked for and kept until the unit ends.
TBitmap* XPSkin(TXPSkin skin);
// Frame number frame (1-based) of the skin: the rectangle it covers in the strip.
RECT XPSkinFrame(TXPSkin skin, int frame);

// Draws button frame number frame into dest: the columns and rows either side of the frame's middle keep their
// size at the ends and the middle column and row stretch over the rest, so corners and edges stay sharp.
void DrawStretchedButtonFrame(TCanvas* canvas, const RECT& dest, int frame);

// Registers the hand cursor as screen cursor crXPHand and the three classes for stored forms.
const TUnit& XPUnit();

}  // namespace controls

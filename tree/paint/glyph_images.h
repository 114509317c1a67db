// The glyph lists every tree shares: check boxes, radio buttons and push buttons in six looks, and the utility
// glyphs (drop marks, sort arrows, hot-track underline pieces). They are filled from the library's bitmap strips
// at the unit's start and refilled when the system colours change.
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

namespace tree {

enum class TCheckImageKind { ckLightCheck, ckDarkCheck, ckLightTick, ckDarkTick, ckFlat, ckXP, ckCustom };

// Indexes into the utility glyphs.
enum TUtilityImage { uiDropMarkLeft = 0, uiDropMarkRight = 1, uiPushButtonFrame = 4 };

// The shared lists, 16 x 16; null before the unit started.
HIMAGELIST LightCheckImages();
HIMAGELIST DarkCheckImages();
HIMAGELIST LightTickImages();
HIMAGELIST DarkTickImages();
HIMAGELIST FlatImages();
HIMAGELIST XPImages();
HIMAGELIST UtilityImages();
// The shared list a check image kind selects; null for ckCustom (the tree's own list).
HIMAGELIST CheckImages(TCheckImageKind kind);

// Draws as ImageList_Draw(list, index, dc, x, y, ILD_TRANSPARENT) does, with two blits from a ready copy when list is
// one of the shared lists.
void DrawGlyph(HIMAGELIST list, int index, HDC dc, int x, int y);

// Creates (or refills) the seven lists from the module's bitmap resources; a missing resource leaves its list
// empty rather than failing the start.
void LoadGlyphImages();
void FreeGlyphImages();

}  // namespace tree

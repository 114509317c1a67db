// Layered windows: a constant alpha for the whole window, or per-pixel alpha from a 32-bit bitmap.
#pragma once

#include <windows.h>

// Makes the window layered (when it is not yet) and gives it a constant alpha, 0 clear to 255 opaque.
bool SetLayeredAlpha(HWND window, BYTE alpha);
// Makes the window layered and shows the premultiplied 32-bit bitmap as its content at screenPos, with the
// bitmap's size, scaled by constantAlpha. The window then has the bitmap's size.
bool UpdateLayeredFromBitmap(HWND window, HBITMAP bitmap, POINT screenPos, BYTE constantAlpha = 255);

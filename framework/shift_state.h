// The state of the modifier keys and mouse buttons that mouse and key events carry, and the mouse buttons.
#pragma once

#include <windows.h>

#include "framework/set.h"

enum class TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem, 8>;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// From the key flags of a mouse message (MK_SHIFT, MK_CONTROL, MK_LBUTTON, ...); Alt is read from the keyboard
// (held as the message came and still held).
TShiftState KeysToShiftState(WORD keys);
// From the key state of an OLE drag (the mouse flags plus MK_ALT).
TShiftState DragKeysToShiftState(DWORD keyState);
// From the key data of a key message: Shift and Ctrl from the keyboard, Alt from the context bit.
TShiftState KeyDataToShiftState(LPARAM keyData);
// Shift, Alt, Ctrl and the mouse buttons as the keyboard state says now.
TShiftState CurrentShiftState();

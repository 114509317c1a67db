// Routines on the application object's windows: showing and hiding the program, finding and raising an earlier
// instance, the shell's stock icons, the pixel under the cursor and the modifier keys.
#pragma once

#include <windows.h>

#include "framework/graphics.h"
#include "framework/shift_state.h"

class TIcon;

namespace shell {

void ShowApplicationWindow();
void HideApplicationWindow();
// The application window and the main form, whose handlers run: whether the main form outlived them.
TRaised ShowApplication();
TRaised HideApplication();
// Another top-level window with the application window's class and title; null when there is none.
HWND FindPrevInstanceWindow();
// Restores or brings that window to the front; false when there is none.
bool ActivatePrevInstance();
// Icon index of the system's shell32.dll into either icon (null: not wanted).
void GetShellIcon(int index, TIcon* largeIcon, TIcon* smallIcon);
TColor GetCursorPixel();
// Shift, Ctrl and Alt as the keyboard says now.
TShiftState GetShiftState();

}  // namespace shell

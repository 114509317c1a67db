// The shell and system components' section of the gallery: the set's colour names as a palette, the colour under
// the mouse read by the colour picker, and the notification-area icon with its menu.
#pragma once

class TWinControl;

int BuildShellSection(TWinControl* host);

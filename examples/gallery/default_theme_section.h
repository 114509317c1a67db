// The gallery section of the toolbar framework's default theme: every part it paints, in its typical states,
// drawn by the theme itself.
#pragma once

class TWinControl;

int BuildDefaultThemeSection(TWinControl* host);

// The gallery section of the current toolbar theme: every part a theme paints, in its typical states, drawn by
// the theme itself.
#pragma once

class TWinControl;

int BuildThemePartsSection(TWinControl* host);

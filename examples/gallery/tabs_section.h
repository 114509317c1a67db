// The tabbed page controls' section of the gallery: many tabs in rows, a scrolling row, and tabs on the sides.
#pragma once

class TWinControl;

int BuildTabsSection(TWinControl* host);

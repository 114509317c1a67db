// The window controls' section of the gallery: the address box beside a search box, and a row of page buttons.
#pragma once

class TWinControl;

int BuildControlsSection(TWinControl* host);

// The gallery section of the docks: bars in rows on all four edges of a frame, a shared background picture on
// the bottom dock, and a bar floating in its own frame.
#pragma once

class TWinControl;

int BuildDocksSection(TWinControl* host);

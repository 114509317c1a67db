// The gallery section of the framework's wrappers of the platform's controls: an edit box, a combo box, a group
// of speed buttons of which one is down at a time, and two panels a splitter divides.
#pragma once

class TWinControl;

int BuildStandardControlsSection(TWinControl* host);

// The gallery section of the tree control's header: columns with captions, a sort glyph and the four styles.
#pragma once

class TWinControl;

int BuildTreeHeaderSection(TWinControl* host);

// The tree control's section of the gallery: a tree of 100,000 nodes with check boxes, images, tree lines and
// buttons, painted and navigated by the tree itself.
#pragma once

class TWinControl;

int BuildTreeSection(TWinControl* host);

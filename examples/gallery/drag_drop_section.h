// The gallery section of the shell set's drag and drop: a file and a web address to drag out of the form, and a
// place that takes files and addresses dropped from anywhere and lists them.
#pragma once

class TWinControl;

int BuildDragDropSection(TWinControl* host);

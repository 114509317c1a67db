// The framework's own section of the gallery: windowless and windowed controls, alignment and an image list.
#pragma once

class TWinControl;

int BuildFrameworkSection(TWinControl* host);

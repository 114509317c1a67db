// The toolbar framework's section of the gallery: one item tree shown as a horizontal toolbar, a vertical bar
// and a menu column, in the classic look, by the test host that stands in for the framework's own windows.
#pragma once

class TWinControl;

int BuildToolbarsSection(TWinControl* host);

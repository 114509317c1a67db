// The toolbar framework's section of the gallery: one item tree shown as a horizontal toolbar, a vertical bar
// and a menu column in the classic look, and below them docked toolbars (a menu bar, a bar hosting an edit box, a
// bar cut short by its chevron) and a tool window.
#pragma once

class TWinControl;

int BuildToolbarsSection(TWinControl* host);

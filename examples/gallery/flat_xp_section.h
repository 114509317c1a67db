// The gallery section of the splitter with its maximise button, the flat-look panel, gauge and progress bars,
// and the XP-look buttons, check boxes and radio buttons.
#pragma once

class TWinControl;

int BuildFlatXPSection(TWinControl* host);

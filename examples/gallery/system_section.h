// The gallery section of the system routines: what they know of this machine, and the processes running on it.
#pragma once

class TWinControl;

int BuildSystemSection(TWinControl* host);

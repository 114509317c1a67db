// The Windows version as the component set tells it: like the system routines' version, but each release is
// recognised only with the build number it shipped with. The flags share names with the system routines' ones and
// mean something narrower, so they live in a namespace of their own; IsWinNT is the one both agree on.
#pragma once

#include "shell/windows_version.h"

namespace shell::sys {

// 0 none recognised, 1 Windows 95, 2 95 OSR2, 3 98, 4 98 SE, 5 NT 3, 6 NT 4, 7 2000, 8 ME, 9 XP.
int GetWinVersion(const TOsVersion& version);
int GetWinVersion();

// At most one of the release flags is set.
extern bool IsWin95, IsWin95OSR2, IsWin98, IsWin98SE, IsWinNT3, IsWinNT4, IsWin2000, IsWinME, IsWinXP;
// Set from the release before its build is checked, so a later build of a known release still counts.
extern bool IsWin98orHigher, IsWin2000orHigher, IsWinXPorHigher;

// Reads the version (through the system routines' version query) and sets the flags; run at the set's start.
void InitWinVersionFlags();

}  // namespace shell::sys

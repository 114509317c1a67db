// The theme every themed painter uses, one per process: the nexus's current theme (styled_nexus.h), unless a
// painter has put a theme of its own in front of it for a while.
#pragma once

#include "toolbars/theme/theme.h"

namespace toolbars {

// Null while neither the nexus nor a painter holds a theme; the themed items then measure with the framework's
// sizes and paint nothing.
TStyledTheme* CurrentTheme();
// Puts theme in front of the nexus's (null takes it away again) and answers the one it replaces; the caller keeps
// the theme alive while it is in front.
TStyledTheme* SetCurrentThemeInstance(TStyledTheme* theme);
// Whether painters may still reach theme: it is in front, or the nexus's current theme. The registry never frees
// such a theme.
bool IsThemeInUse(const TStyledTheme* theme);

}  // namespace toolbars

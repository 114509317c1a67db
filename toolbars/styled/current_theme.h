// The theme every themed item paints with, one per process. The themed windows' nexus chooses it; until one is
// chosen the painters use the registry's first theme while somebody holds it.
#pragma once

#include "toolbars/theme/theme.h"

namespace toolbars {

// Null while no theme is chosen or held; the themed items then measure with the framework's sizes and paint
// nothing.
TStyledTheme* CurrentTheme();
// Makes theme the one every painter uses; the caller keeps its acquisition and sets null before releasing it.
void SetCurrentThemeInstance(TStyledTheme* theme);

}  // namespace toolbars

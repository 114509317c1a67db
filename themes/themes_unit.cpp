#include "themes/themes_unit.h"

#include "framework/startup.h"
#include "themes/styled_adaptive_theme.h"
#include "themes/styled_crystal_theme.h"
#include "themes/styled_emboss_theme.h"
#include "themes/styled_gloss_theme.h"
#include "themes/styled_pastel_theme.h"
#include "themes/styled_relief_theme.h"
#include "themes/styled_ridge_theme.h"

namespace themes {

namespace {

void StartThemes() {}
void StopThemes() {}

}  // namespace

const TUnit& ThemesUnit() {
  static const TUnit unit{L"themes",
                          &StartThemes,
                          &StopThemes,
                          {&PastelThemeUnit(), &AdaptiveThemeUnit(), &EmbossThemeUnit(), &GlossThemeUnit(),
                           &ReliefThemeUnit(), &CrystalThemeUnit(), &RidgeThemeUnit()}};
  return unit;
}

}  // namespace themes

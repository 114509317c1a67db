#include "toolbars/styled/current_theme.h"

#include "toolbars/theme/theme_registry.h"

namespace toolbars {

namespace {

TStyledTheme* chosenTheme = nullptr;

}  // namespace

TStyledTheme* CurrentTheme() {
  if (chosenTheme) return chosenTheme;
  const auto& registry = ThemeRegistry();
  return registry.empty() ? nullptr : registry.front().Instance.get();
}

void SetCurrentThemeInstance(TStyledTheme* theme) { chosenTheme = theme; }

}  // namespace toolbars

#include "toolbars/styled/current_theme.h"

#include "toolbars/styled/styled_nexus.h"

namespace toolbars {

namespace {

TStyledTheme* themeInFront = nullptr;

TStyledTheme* NexusTheme() {
  const TStyledNexus* nexus = ExistingStyledNexus();
  return nexus ? nexus->Theme() : nullptr;
}

}  // namespace

TStyledTheme* CurrentTheme() { return themeInFront ? themeInFront : NexusTheme(); }

TStyledTheme* SetCurrentThemeInstance(TStyledTheme* theme) {
  TStyledTheme* previous = themeInFront;
  themeInFront = theme;
  return previous;
}

bool IsThemeInUse(const TStyledTheme* theme) { return theme && (theme == themeInFront || theme == NexusTheme()); }

}  // namespace toolbars

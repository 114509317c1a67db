// The process-wide registry of themes by name. A theme's one instance is made on its first acquisition and freed
// by the release that brings its count back to 0; nothing is ever unregistered.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/exceptions.h"
#include "toolbars/theme/theme.h"

namespace toolbars {

class EStyledThemeError : public Exception {
  BC_CLASS(EStyledThemeError, Exception)
  using Exception::Exception;
};

// Names longer than this are cut to it.
constexpr size_t kMaxThemeNameLength = 255;

struct TThemeRegistryEntry {
  String Name;
  TStyledThemeClass ThemeClass;
  std::unique_ptr<TStyledTheme> Instance;
  int32_t RefCount = 0;
};

// Raises "Cannot register theme" for an empty name or class, "Theme %s is already registered" for a name
// already there (compared without case).
void RegisterTheme(const String& name, TStyledThemeClass themeClass);
// The entry's index, -1 when no name matches without case.
int FindTheme(const String& name);
bool IsThemeRegistered(const String& name);
// The named theme's instance (the first registered theme for an unknown name), made on first use and told
// whether the application is active; counts one more use. Null while nothing is registered.
TStyledTheme* AcquireTheme(const String& name);
// Counts one use less of the entry holding theme; the last use frees the instance and sets theme to null.
// Raises "Cannot release theme <name>" when the entry has no use left or its last use would free a theme still
// in use (current_theme.h), "Cannot release theme" when no entry holds theme.
void ReleaseTheme(TStyledTheme*& theme);
const std::vector<TThemeRegistryEntry>& ThemeRegistry();
// Empties the registry at shut-down. A theme still acquired stays with whoever holds it.
void ClearThemeRegistry();

}  // namespace toolbars

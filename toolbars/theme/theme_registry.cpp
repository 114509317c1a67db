#include "toolbars/theme/theme_registry.h"

#include <algorithm>

#include "framework/application.h"
#include "framework/sys_utils.h"
#include "toolbars/styled/current_theme.h"

namespace toolbars {

namespace {

std::vector<TThemeRegistryEntry>& Entries() {
  static std::vector<TThemeRegistryEntry> entries;
  return entries;
}

}  // namespace

void RegisterTheme(const String& name, TStyledThemeClass themeClass) {
  if (name.empty() || !themeClass) throw EStyledThemeError(L"Cannot register theme");
  const String stored = name.substr(0, kMaxThemeNameLength);
  if (IsThemeRegistered(stored)) throw EStyledThemeError(Format(L"Theme %s is already registered", {stored}));
  TThemeRegistryEntry entry;
  entry.Name = stored;
  entry.ThemeClass = themeClass;
  Entries().push_back(std::move(entry));
}

int FindTheme(const String& name) {
  const auto& entries = Entries();
  for (size_t i = 0; i < entries.size(); ++i)
    if (SameText(entries[i].Name, name)) return static_cast<int>(i);
  return -1;
}

bool IsThemeRegistered(const String& name) { return FindTheme(name) >= 0; }

TStyledTheme* AcquireTheme(const String& name) {
  auto& entries = Entries();
  if (entries.empty()) return nullptr;
  const int index = std::max(FindTheme(name), 0);
  TThemeRegistryEntry& entry = entries[static_cast<size_t>(index)];
  if (!entry.Instance) {
    entry.Instance = entry.ThemeClass.Create(entry.Name);
    entry.Instance->AfterConstruction();
    TMessage message{CM_STYLEDSYSCOMMAND, Application && Application->Active() ? tcAppActivated : tcAppDeactivated, 0,
                     0};
    entry.Instance->Dispatch(message);
  }
  ++entry.RefCount;
  return entry.Instance.get();
}

void ReleaseTheme(TStyledTheme*& theme) {
  auto& entries = Entries();
  // A null theme finds the first entry without an instance, as a released variable would.
  auto found = std::find_if(entries.begin(), entries.end(),
                            [theme](const TThemeRegistryEntry& entry) { return entry.Instance.get() == theme; });
  if (found == entries.end()) throw EStyledThemeError(L"Cannot release theme");
  // The last use of a theme painters still reach is never given up: they would paint with freed memory.
  if (found->RefCount < 1 || (found->RefCount == 1 && IsThemeInUse(theme)))
    throw EStyledThemeError(L"Cannot release theme " + found->Name);
  if (--found->RefCount == 0) {
    found->Instance.reset();
    theme = nullptr;
  }
}

const std::vector<TThemeRegistryEntry>& ThemeRegistry() { return Entries(); }

void ClearThemeRegistry() {
  for (TThemeRegistryEntry& entry : Entries()) {
    // Deliberately left to its holder: the registry frees only what its last release frees.
    if (entry.RefCount > 0) static_cast<void>(entry.Instance.release());
  }
  Entries().clear();
}

}  // namespace toolbars

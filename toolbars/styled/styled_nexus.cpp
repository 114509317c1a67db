#include "toolbars/styled/styled_nexus.h"

#include <memory>

#include "framework/startup.h"
#include "framework/sys_utils.h"
#include "toolbars/styled/current_theme.h"
#include "toolbars/theme/default_theme.h"
#include "toolbars/theme/theme_manager.h"
#include "toolbars/theme/theme_registry.h"

namespace toolbars {

namespace {

std::unique_ptr<TStyledNexus> nexus;
std::vector<TStyledColorName> colorNames;

void StartStyledWindows() {
  nexus = std::make_unique<TStyledNexus>(L"Default");
  colorNames.push_back(TStyledColorName{HotLightColor, L"clHotLight"});
}

void StopStyledWindows() {
  nexus.reset();
  colorNames.clear();
}

}  // namespace

TStyledNexus::TStyledNexus(const String& themeName) {
  theme_ = AcquireTheme(themeName);
  AddThemeNotification(this);
}

TStyledNexus::~TStyledNexus() {
  RemoveThemeNotification(this);
  TStyledTheme* released = theme_;
  theme_ = nullptr;
  if (released) ReleaseTheme(released);
}

bool TStyledNexus::SwitchTheme(const String& name) {
  if (!IsThemeRegistered(name)) return false;
  TStyledTheme* previous = theme_;
  // The same name asks for a fresh instance, so the previous one goes first; another theme is acquired before the
  // previous one is given up, so a failure on either side leaves the previous theme current and nothing held.
  const bool renew = previous && SameText(previous->Name(), name);
  TStyledTheme* next = renew ? nullptr : AcquireTheme(name);
  // Not current any more before it goes, so the registry lets the last use of it go.
  theme_ = next;
  if (previous) {
    try {
      TStyledTheme* released = previous;
      ReleaseTheme(released);
    } catch (...) {
      theme_ = previous;
      if (next) ReleaseTheme(next);
      throw;
    }
  }
  if (renew) theme_ = AcquireTheme(name);
  NotifySwitch();
  return true;
}

void TStyledNexus::NotifySwitch() {
  for (WPARAM code : {tcBeforeChange, tcRebuildColors, tcAfterChange})
    notifies_.Broadcast(CM_STYLEDNEXUSNOTIFY, code, kThemeSwitched);
}

void TStyledNexus::Dispatch(TMessage& message) {
  if (message.Msg == CM_STYLEDSYSCOMMAND) {
    message.Result = notifies_.Broadcast(CM_STYLEDNEXUSNOTIFY, message.WParam, kSystemChangeForwarded);
    return;
  }
  TObject::Dispatch(message);
}

TStyledNexus* StyledNexus() {
  if (!nexus) InitializeUnit(StyledWindowsUnit());
  return nexus.get();
}

TStyledNexus* ExistingStyledNexus() { return nexus.get(); }

void AddStyledSysNotification(TObject* subscriber) { StyledNexus()->AddNotification(subscriber); }

void RemoveStyledSysNotification(TObject* subscriber) {
  if (nexus) nexus->RemoveNotification(subscriber);
}

String GetCurrentTheme() {
  const TStyledTheme* theme = StyledNexus()->Theme();
  return theme ? theme->Name() : String();
}

void SetCurrentTheme(const String& name) { StyledNexus()->SwitchTheme(name); }

const std::vector<TStyledColorName>& StyledColorNames() { return colorNames; }

const TUnit& StyledWindowsUnit() {
  static const TUnit unit{L"toolbars.StyledWindows", &StartStyledWindows, &StopStyledWindows, {&DefaultThemeUnit()}};
  return unit;
}

}  // namespace toolbars

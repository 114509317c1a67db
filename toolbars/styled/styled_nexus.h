// The theme nexus, one per process: it owns the current theme every themed painter uses, switches it by name, and
// tells every themed window (toolbars, tool windows, docks, switchers) of a switch and of every system change the
// theme manager reports, with CM_STYLEDNEXUSNOTIFY.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/graphics.h"
#include "toolbars/theme/subscriber_list.h"
#include "toolbars/theme/theme.h"

struct TUnit;

namespace toolbars {

// WParam is a code of the theme manager's notification (tcBeforeChange ... tcAppDeactivated); LParam tells a
// switch of the theme itself from a system change passed on.
constexpr UINT CM_STYLEDNEXUSNOTIFY = 1338;
constexpr LPARAM kSystemChangeForwarded = 0;
constexpr LPARAM kThemeSwitched = 1;

class TStyledNexus : public TObject {
  BC_CLASS(TStyledNexus, TObject)
  // Acquires the named theme as the current one and listens to the theme manager.
  explicit TStyledNexus(const String& themeName);
  // Stops listening and releases the current theme.
  ~TStyledNexus() override;
  TStyledNexus(const TStyledNexus&) = delete;
  TStyledNexus& operator=(const TStyledNexus&) = delete;

  const std::vector<TObject*>& Notifies() const { return notifies_.Items(); }
  TStyledTheme* Theme() const { return theme_; }
  void AddNotification(TObject* subscriber) { notifies_.Add(subscriber); }
  void RemoveNotification(TObject* subscriber) { notifies_.Remove(subscriber); }
  // For a registered name: releases the current theme, acquires the named one (a new instance when it is the same
  // name) and tells every subscriber tcBeforeChange, tcRebuildColors, tcAfterChange. Answers false, and changes
  // and sends nothing, for a name that is not registered.
  bool SwitchTheme(const String& name);
  // The theme manager's notifications go on to every subscriber.
  void Dispatch(TMessage& message) override;

 private:
  void NotifySwitch();

  TSubscriberList notifies_;
  TStyledTheme* theme_ = nullptr;
};

// The nexus, made by the unit's start-up on first use.
TStyledNexus* StyledNexus();
// The nexus while it exists, without starting it.
TStyledNexus* ExistingStyledNexus();
void AddStyledSysNotification(TObject* subscriber);
void RemoveStyledSysNotification(TObject* subscriber);
// The name of the current theme.
String GetCurrentTheme();
// See TStyledNexus::SwitchTheme.
void SetCurrentTheme(const String& name);

// The names of colours the themes add to the framework's own.
struct TStyledColorName {
  TColor Color;
  String Name;
};
const std::vector<TStyledColorName>& StyledColorNames();

// Registers "Default" (through the default theme's unit), makes the nexus with it as the current theme and names
// the hot-light colour; shut-down frees the nexus and empties the colour names.
const TUnit& StyledWindowsUnit();

}  // namespace toolbars

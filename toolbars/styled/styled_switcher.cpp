#include "toolbars/styled/styled_switcher.h"

#include "framework/properties.h"
#include "toolbars/styled/styled_nexus.h"
#include "toolbars/theme/theme_manager.h"

namespace toolbars {

namespace {

int switcherCount = 0;

// The theme manager's flat-menu values by style, in the order of TFlatMenuStyle.
constexpr int kFlatMenuSettings[] = {fmAutomatic, fmEnabled, fmDisabled};

}  // namespace

int StyledSwitcherCount() { return switcherCount; }

TStyledSwitcher::TStyledSwitcher(TComponent* owner) : TComponent(owner) {
  ++switcherCount;
  AddStyledSysNotification(this);
}

TStyledSwitcher::~TStyledSwitcher() {
  RemoveStyledSysNotification(this);
  --switcherCount;
  if (switcherCount == 0 && IsDesigning()) {
    try {
      SetCurrentTheme(L"Default");
    } catch (...) {
      // Nothing may leave a destructor; the theme stays as it was.
    }
  }
}

String TStyledSwitcher::Theme() const { return IsLoading() ? loadedTheme_ : GetCurrentTheme(); }

void TStyledSwitcher::SetTheme(const String& value) {
  if (IsLoading()) {
    loadedTheme_ = value;
    return;
  }
  SetCurrentTheme(value);
}

TRaised TStyledSwitcher::Loaded() {
  if (TComponent::Loaded().Gone()) return TRaised(false);
  if (loadedTheme_.empty()) return TRaised(true);
  const TLifeWatch life = LifeWatch();
  SetCurrentTheme(loadedTheme_);
  if (!life.Ended()) loadedTheme_.clear();
  return TRaised(!life.Ended());
}

bool TStyledSwitcher::EnableXPStyles() const { return GetThemeManagerSetting(tmsVisualStyles) == vsOn; }

void TStyledSwitcher::SetEnableXPStyles(bool value) { SetThemeManagerSetting(tmsVisualStyles, value ? vsOn : vsOff); }

TFlatMenuStyle TStyledSwitcher::FlatMenuStyle() const {
  switch (GetThemeManagerSetting(tmsFlatMenus)) {
    case fmEnabled:
      return TFlatMenuStyle::fmsEnable;
    case fmDisabled:
      return TFlatMenuStyle::fmsDisable;
    default:
      return TFlatMenuStyle::fmsAuto;
  }
}

void TStyledSwitcher::SetFlatMenuStyle(TFlatMenuStyle value) {
  SetThemeManagerSetting(tmsFlatMenus, kFlatMenuSettings[static_cast<int>(value)]);
}

void TStyledSwitcher::Dispatch(TMessage& message) {
  if (message.Msg == CM_STYLEDNEXUSNOTIFY) {
    // The handler may free the switcher: nothing of it is touched afterwards. While the switcher and its owner are
    // being freed (the platform still sends activation changes then) the handler's parts may be gone already.
    if (!IsDestroying() && RaiseEvent(OnThemeChange, this).Gone()) return;
    return;
  }
  TComponent::Dispatch(message);
}

const TPublishedTable& TStyledSwitcher::PublishedTable() const {
  using P = TPublished<TStyledSwitcher>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Text(L"Theme", &TStyledSwitcher::Theme, &TStyledSwitcher::SetTheme),
          P::Boolean(L"EnableXPStyles", &TStyledSwitcher::EnableXPStyles, &TStyledSwitcher::SetEnableXPStyles)
              .Default(true),
          P::Enumeration(L"FlatMenuStyle", &TStyledSwitcher::FlatMenuStyle, &TStyledSwitcher::SetFlatMenuStyle,
                         {L"fmsAuto", L"fmsEnable", L"fmsDisable"})
              .Default(TFlatMenuStyle::fmsAuto),
          P::Event(L"OnThemeChange", &TStyledSwitcher::OnThemeChange),
      });
  return table;
}

}  // namespace toolbars

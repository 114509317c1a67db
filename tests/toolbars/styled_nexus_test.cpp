// The theme nexus and the switcher: switching the process's theme by name, the notifications every themed window
// hears, system changes passed on, and a current theme nobody can free from under the painters.
#include <gtest/gtest.h>

#include "framework/startup.h"
#include "styled_windows_fixture.h"
#include "support/hostile_input.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/popups/popup_window.h"
#include "toolbars/styled/current_theme.h"
#include "toolbars/styled/styled_switcher.h"
#include "toolbars/theme/theme_manager.h"

using namespace toolbars;
using TNote = TNexusListener::TNote;

namespace {

const std::vector<TNote> kSwitchNotes{
    {tcBeforeChange, kThemeSwitched}, {tcRebuildColors, kThemeSwitched}, {tcAfterChange, kThemeSwitched}};

class StyledNexus : public testing::Test {
 protected:
  void SetUp() override {
    TSignalTheme::Register();
    SetCurrentTheme(L"Default");
  }
  void TearDown() override { SetCurrentTheme(L"Default"); }
};

}  // namespace

TEST_F(StyledNexus, TheToolbarSetStartsWithDefaultCurrentAndItsColourName) {
  EXPECT_TRUE(UnitInitialized(StyledWindowsUnit()));
  EXPECT_EQ(GetCurrentTheme(), L"Default");
  ASSERT_NE(CurrentTheme(), nullptr);
  EXPECT_TRUE(CurrentTheme()->Is<TStyledDefaultTheme>());
  ASSERT_EQ(StyledColorNames().size(), 1u);
  EXPECT_EQ(StyledColorNames()[0].Name, L"clHotLight");
  EXPECT_EQ(StyledColorNames()[0].Color, HotLightColor);
}

TEST_F(StyledNexus, ASwitchTellsEverySubscriberBeforeRebuildAfterAndTheSwitcherThreeTimes) {
  TNexusListener listener;
  TStyledSwitcher switcher(nullptr);
  int changes = 0;
  switcher.OnThemeChange = TNotifyEvent([&](TObject* sender) {
    EXPECT_EQ(sender, &switcher);
    // Every listener hears the same theme: the switch is done before the first notification.
    EXPECT_EQ(GetCurrentTheme(), L"Signal");
    ++changes;
  });
  switcher.SetTheme(L"signal");
  EXPECT_EQ(listener.Notes, kSwitchNotes);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(switcher.Theme(), L"Signal");
  EXPECT_TRUE(CurrentTheme()->Is<TSignalTheme>());
}

TEST_F(StyledNexus, AnUnregisteredNameChangesAndSendsNothing) {
  TStyledTheme* before = CurrentTheme();
  TNexusListener listener;
  TStyledSwitcher switcher(nullptr);
  for (const wchar_t* name : {L"", L"Nonexistent", L"Default ", L"Signal2"}) {
    switcher.SetTheme(name);
    EXPECT_EQ(CurrentTheme(), before) << testing::PrintToString(std::wstring(name));
  }
  EXPECT_TRUE(listener.Notes.empty());
  EXPECT_EQ(GetCurrentTheme(), L"Default");
}

TEST_F(StyledNexus, SettingTheCurrentNameMakesANewInstanceAndRepaints) {
  SetCurrentTheme(L"Signal");
  const int made = TSignalTheme::Made();
  TNexusListener listener;
  SetCurrentTheme(L"Signal");
  EXPECT_EQ(TSignalTheme::Made(), made + 1);
  EXPECT_EQ(listener.Notes, kSwitchNotes);
  // The registry holds the one instance, counted once: the nexus's.
  const TThemeRegistryEntry& entry = ThemeRegistry()[static_cast<size_t>(FindTheme(L"Signal"))];
  EXPECT_EQ(entry.RefCount, 1);
  EXPECT_EQ(entry.Instance.get(), CurrentTheme());
}

TEST_F(StyledNexus, SystemChangesReachTheSubscribersAsForwarded) {
  TNexusListener listener;
  ThemeManager()->NotifyChange();
  const std::vector<TNote> forwarded{{tcBeforeChange, kSystemChangeForwarded},
                                     {tcRebuildColors, kSystemChangeForwarded},
                                     {tcAfterChange, kSystemChangeForwarded}};
  EXPECT_EQ(listener.Notes, forwarded);
  listener.Notes.clear();
  ThemeManager()->Broadcast(CM_STYLEDSYSCOMMAND, tcAppDeactivated, 0);
  EXPECT_EQ(listener.Notes, (std::vector<TNote>{{tcAppDeactivated, kSystemChangeForwarded}}));
}

TEST_F(StyledNexus, ASwitcherFreedInItsOwnHandlerLeavesTheOthersTold) {
  TNexusListener before;
  auto* doomed = new TStyledSwitcher(nullptr);
  TNexusListener after;
  doomed->OnThemeChange = TNotifyEvent([&](TObject* sender) { delete static_cast<TStyledSwitcher*>(sender); });
  SetCurrentTheme(L"Signal");
  EXPECT_EQ(before.Notes, kSwitchNotes);
  EXPECT_EQ(after.Notes, kSwitchNotes);
}

TEST_F(StyledNexus, TheCurrentThemeCannotBeReleasedFromUnderThePainters) {
  SetCurrentTheme(L"Signal");
  {
    TGuardedAllocations guard;
    TStyledTheme* current = CurrentTheme();
    TStyledTheme* stray = current;
    // The one use is the nexus's: a release by anybody else would free the theme the painters use.
    EXPECT_THROW(ReleaseTheme(stray), EStyledThemeError);
    EXPECT_EQ(stray, current);
    EXPECT_EQ(CurrentTheme(), current);
    EXPECT_EQ(CurrentTheme()->ViewBackColor(vtToolbar), static_cast<TColor>(TSignalTheme::kView));
    // A holder's own use can come and go as before.
    TStyledTheme* held = AcquireTheme(L"Signal");
    EXPECT_EQ(held, current);
    ReleaseTheme(held);
    EXPECT_EQ(held, current);
    EXPECT_EQ(CurrentTheme()->Name(), L"Signal");
    SetCurrentTheme(L"Default");
  }
  EXPECT_EQ(ThemeRegistry()[static_cast<size_t>(FindTheme(L"Signal"))].Instance, nullptr);
}

TEST_F(StyledNexus, ASwitchThatCannotGiveUpThePreviousThemeLeavesItCurrent) {
  // A painter holding the current theme in front makes its release fail, whether the switch asks for another theme
  // or for a fresh instance of the same one.
  for (const wchar_t* next : {L"Default", L"Signal"}) {
    SetCurrentTheme(L"Signal");
    TStyledTheme* previous = CurrentTheme();
    const int defaultUses = ThemeRegistry()[static_cast<size_t>(FindTheme(L"Default"))].RefCount;
    SetCurrentThemeInstance(previous);
    TNexusListener listener;
    EXPECT_THROW(SetCurrentTheme(next), EStyledThemeError);
    SetCurrentThemeInstance(nullptr);
    EXPECT_EQ(GetCurrentTheme(), L"Signal");
    EXPECT_EQ(CurrentTheme(), previous);
    EXPECT_EQ(ThemeRegistry()[static_cast<size_t>(FindTheme(L"Signal"))].RefCount, 1);
    EXPECT_EQ(ThemeRegistry()[static_cast<size_t>(FindTheme(L"Default"))].RefCount, defaultUses);
    EXPECT_TRUE(listener.Notes.empty());
  }
  SetCurrentTheme(L"Default");
  EXPECT_EQ(ThemeRegistry()[static_cast<size_t>(FindTheme(L"Signal"))].Instance, nullptr);
}

TEST_F(StyledNexus, TheSwitcherMapsTheManagerSettings) {
  TStyledSwitcher switcher(nullptr);
  const int savedStyles = GetThemeManagerSetting(tmsVisualStyles);
  const int savedMenus = GetThemeManagerSetting(tmsFlatMenus);
  switcher.SetEnableXPStyles(false);
  EXPECT_EQ(GetThemeManagerSetting(tmsVisualStyles), vsOff);
  EXPECT_FALSE(switcher.EnableXPStyles());
  switcher.SetEnableXPStyles(true);
  EXPECT_EQ(GetThemeManagerSetting(tmsVisualStyles), vsOn);
  EXPECT_TRUE(switcher.EnableXPStyles());
  const struct {
    TFlatMenuStyle Style;
    int Setting;
  } menus[] = {{TFlatMenuStyle::fmsEnable, 2}, {TFlatMenuStyle::fmsDisable, 1}, {TFlatMenuStyle::fmsAuto, 0}};
  for (const auto& c : menus) {
    switcher.SetFlatMenuStyle(c.Style);
    EXPECT_EQ(GetThemeManagerSetting(tmsFlatMenus), c.Setting);
    EXPECT_EQ(switcher.FlatMenuStyle(), c.Style);
  }
  SetThemeManagerSetting(tmsVisualStyles, savedStyles);
  SetThemeManagerSetting(tmsFlatMenus, savedMenus);
}

TEST_F(StyledNexus, TheLastSwitcherOfADesignSessionGoesBackToDefault) {
  SetCurrentTheme(L"Signal");
  { TStyledSwitcher running(nullptr); }
  EXPECT_EQ(GetCurrentTheme(), L"Signal");
  auto* designing = new TStyledSwitcher(nullptr);
  designing->SetDesigning(true);
  auto* second = new TStyledSwitcher(nullptr);
  delete second;
  EXPECT_EQ(GetCurrentTheme(), L"Signal");
  delete designing;
  EXPECT_EQ(GetCurrentTheme(), L"Default");
  EXPECT_EQ(StyledSwitcherCount(), 0);
}

TEST_F(StyledNexus, SwitchingAThousandTimesLeavesHandlesWhereTheyWere) {
  SetCurrentTheme(L"Signal");
  SetCurrentTheme(L"Default");
  const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  for (int i = 0; i < 1000; ++i) SetCurrentTheme(i % 2 ? L"Default" : L"Signal");
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi);
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), user);
  EXPECT_EQ(ThemeRegistry()[static_cast<size_t>(FindTheme(L"Default"))].RefCount, 1);
}

#include "toolbars/theme/theme_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/application.h"
#include "recording_theme.h"
#include "support/test_environment.h"
#include "toolbars/theme/theme_manager.h"

using namespace toolbars;

namespace {

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

std::string Narrow(const String& text) { return std::string(text.begin(), text.end()); }

// Registers the recording theme under a name once per process: nothing unregisters.
void EnsureRegistered(const String& name) {
  if (!IsThemeRegistered(name)) RegisterTheme(name, TStyledThemeClass::Of<TRecordingTheme>());
}

std::string RaisedMessage(void (*action)()) {
  try {
    action();
  } catch (const EStyledThemeError& e) {
    return Narrow(e.Message());
  }
  return "nothing raised";
}

// A subscriber that records the codes it hears and may leave the list when it hears one.
class TListener : public TObject {
 public:
  TListener(std::vector<std::string>& log, const char* name, WPARAM leaveOn = 0)
      : log_(log), name_(name), leaveOn_(leaveOn) {
    AddThemeNotification(this);
  }
  ~TListener() override { RemoveThemeNotification(this); }
  void Dispatch(TMessage& message) override {
    if (message.Msg != CM_STYLEDSYSCOMMAND) return;
    log_.push_back(name_ + " " + std::to_string(message.WParam));
    if (message.WParam == leaveOn_) RemoveThemeNotification(this);
  }

 private:
  std::vector<std::string>& log_;
  std::string name_;
  WPARAM leaveOn_;
};

class ThemeManagerTest : public TEnvironmentTest {
 protected:
  ~ThemeManagerTest() override {
    SetThemeManagerSetting(tmsFlatMenus, fmAutomatic);
    SetThemeManagerSetting(tmsVisualStyles, vsOn);
  }
  std::vector<std::string> Log;
};

}  // namespace

TEST(ThemeRegistry, RegistrationErrorsCarryTheirTexts) {
  EnsureRegistered(L"Registered");
  struct TCase {
    void (*Action)();
    const char* Message;
  };
  const TCase cases[] = {
      {[] { RegisterTheme(L"", TStyledThemeClass::Of<TRecordingTheme>()); }, "Cannot register theme"},
      {[] { RegisterTheme(L"NoClass", TStyledThemeClass()); }, "Cannot register theme"},
      {[] { RegisterTheme(L"registered", TStyledThemeClass::Of<TRecordingTheme>()); },
       "Theme registered is already registered"},
      {[] { RegisterTheme(L"REGISTERED", TStyledThemeClass::Of<TRecordingTheme>()); },
       "Theme REGISTERED is already registered"},
      {[] {
         TRecordingTheme stray(L"Stray");
         TStyledTheme* theme = &stray;
         ReleaseTheme(theme);
       },
       "Cannot release theme"},
  };
  for (const TCase& c : cases) EXPECT_EQ(RaisedMessage(c.Action), c.Message);
  EXPECT_FALSE(IsThemeRegistered(L"NoClass"));
}

TEST(ThemeRegistry, NamesAreFoundWithoutCaseAndKeptInOrder) {
  EnsureRegistered(L"OrderFirst");
  EnsureRegistered(L"OrderSecond");
  const int first = FindTheme(L"orderfirst");
  EXPECT_GE(first, 0);
  EXPECT_EQ(FindTheme(L"ORDERSECOND"), first + 1);
  EXPECT_EQ(FindTheme(L"Order"), -1);
  EXPECT_FALSE(IsThemeRegistered(L"OrderThird"));
  EXPECT_EQ(ThemeRegistry()[static_cast<size_t>(first)].Name, L"OrderFirst");
  EXPECT_EQ(ThemeRegistry()[static_cast<size_t>(first)].RefCount, 0);

  // A long name is kept cut to the longest a theme may have (registered once per process, under its cut form).
  const String cutName(kMaxThemeNameLength, L'x');
  if (!IsThemeRegistered(cutName)) RegisterTheme(String(300, L'x'), TStyledThemeClass::Of<TRecordingTheme>());
  EXPECT_TRUE(IsThemeRegistered(cutName));
}

TEST(ThemeRegistry, AcquireCountsUsesAndTheLastReleaseFreesTheInstance) {
  EnsureRegistered(L"Counted");
  TRecordingTheme::Reset();
  const std::string activation = Application && Application->Active() ? "4" : "5";

  TStyledTheme* first = AcquireTheme(L"counted");
  TStyledTheme* second = AcquireTheme(L"COUNTED");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first->Name(), L"Counted");
  EXPECT_EQ(ThemeRegistry()[static_cast<size_t>(FindTheme(L"Counted"))].RefCount, 2);
  ReleaseTheme(first);
  EXPECT_EQ(first, second) << "a release that leaves uses keeps the variable";
  ReleaseTheme(second);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(TRecordingTheme::Log(),
            (std::vector<std::string>{"Counted: Create", "Counted: Message " + activation, "Counted: Destroy"}));

  // The released variable names no instance: the first entry without one answers, with no use left.
  String unused;
  for (const TThemeRegistryEntry& entry : ThemeRegistry())
    if (!entry.Instance) {
      unused = entry.Name;
      break;
    }
  try {
    ReleaseTheme(second);
    ADD_FAILURE() << "a third release must raise";
  } catch (const EStyledThemeError& e) {
    EXPECT_EQ(e.Message(), L"Cannot release theme " + unused);
  }
}

TEST(ThemeRegistry, UnknownNamesAcquireTheFirstTheme) {
  ASSERT_FALSE(ThemeRegistry().empty());
  TStyledTheme* theme = AcquireTheme(L"No such theme");
  ASSERT_NE(theme, nullptr);
  EXPECT_EQ(theme->Name(), ThemeRegistry()[0].Name);
  ReleaseTheme(theme);
}

TEST_F(ThemeManagerTest, SettingsChangeBroadcastsBeforeRebuildAfterOnlyWhenTheValueChanges) {
  TListener listener(Log, "L");
  struct TCase {
    int Key, Value;
    std::vector<std::string> Expected;
    int Stored;
  };
  const TCase cases[] = {
      {tmsVisualStyles, vsOff, {"L 1", "L 2", "L 3"}, vsOff},
      {tmsVisualStyles, 7, {}, vsOff},
      {tmsVisualStyles, vsOn, {"L 1", "L 2", "L 3"}, vsOn},
      {tmsFlatMenus, fmDisabled, {"L 1", "L 2", "L 3"}, fmDisabled},
      {tmsFlatMenus, fmDisabled, {}, fmDisabled},
      {tmsFlatMenus, fmAutomatic, {"L 1", "L 2", "L 3"}, fmAutomatic},
      {3, 1, {}, -1},
  };
  for (const TCase& c : cases) {
    Log.clear();
    SetThemeManagerSetting(c.Key, c.Value);
    EXPECT_EQ(Log, c.Expected) << c.Key << " := " << c.Value;
    EXPECT_EQ(GetThemeManagerSetting(c.Key), c.Stored) << c.Key;
  }
}

TEST_F(ThemeManagerTest, SystemBroadcastsReachSubscribersInOrder) {
  TListener first(Log, "A");
  TListener second(Log, "B", tcRebuildColors);
  TListener third(Log, "C");
  HWND wnd = ThemeManager()->WindowHandle();
  struct TCase {
    UINT Msg;
    WPARAM WParam;
    std::vector<std::string> Expected;
  };
  const TCase cases[] = {
      // B leaves while it hears code 2; C still hears it.
      {WM_SYSCOLORCHANGE, 0, {"A 1", "B 1", "C 1", "A 2", "B 2", "C 2", "A 3", "C 3"}},
      {WM_DISPLAYCHANGE, 32, {"A 1", "C 1", "A 2", "C 2", "A 3", "C 3"}},
      {WM_THEMECHANGED, 0, {"A 1", "C 1", "A 2", "C 2", "A 3", "C 3"}},
      {WM_ACTIVATEAPP, TRUE, {"A 4", "C 4"}},
      {WM_ACTIVATEAPP, FALSE, {"A 5", "C 5"}},
      {WM_SETTINGCHANGE, 0, {}},
  };
  for (const TCase& c : cases) {
    Log.clear();
    SendMessageW(wnd, c.Msg, c.WParam, 0);
    EXPECT_EQ(Log, c.Expected) << std::hex << c.Msg;
  }
}

TEST_F(ThemeManagerTest, VisualStylesOffClosesTheStylesButLeavesTheBindingToOthers) {
  Environment.SetVisualStyles(true);
  if (!VisualStylesInUse()) GTEST_SKIP() << "the test machine paints without visual styles";
  EXPECT_TRUE(UseThemes);
  // A style may lack some classes; these the framework paints with are everywhere.
  for (TThemeStyle style : {TThemeStyle::tsButton, TThemeStyle::tsRebar, TThemeStyle::tsToolbar, TThemeStyle::tsWindow})
    EXPECT_NE(ThemeStyleHandle(style), nullptr) << static_cast<int>(style);

  TVisualStylesBinding binding;
  TThemeData othersData(ThemeManager()->WindowHandle(), L"BUTTON");
  ASSERT_TRUE(othersData.IsOpen());
  TListener listener(Log, "L");
  SetThemeManagerSetting(tmsVisualStyles, vsOff);
  EXPECT_EQ(Log, (std::vector<std::string>{"L 1", "L 2", "L 3"}));
  EXPECT_FALSE(UseThemes);
  for (size_t i = 0; i < kThemeStyleCount; ++i) EXPECT_EQ(ThemeStyleHandle(static_cast<TThemeStyle>(i)), nullptr) << i;
  EXPECT_EQ(ToolbarFillColor, clBtnFace);
  // The setting is this manager's own: the library and everybody else's data stay as they were.
  EXPECT_TRUE(binding.Loaded());
  EXPECT_NE(binding.Api().OpenThemeData, nullptr);
  EXPECT_NE(binding.Api().DrawThemeBackground, nullptr);
  EXPECT_TRUE(othersData.IsOpen());
  EXPECT_TRUE(VisualStylesInUse());
  SetThemeManagerSetting(tmsVisualStyles, vsOn);
  EXPECT_TRUE(UseThemes);
}

TEST_F(ThemeManagerTest, ClassicPaintingForcesEveryStyleShut) {
  Environment.SetVisualStyles(false);
  EXPECT_FALSE(UseThemes);
  EXPECT_EQ(ThemeStyle(TThemeStyle::tsToolbar), nullptr);
  EXPECT_EQ(ToolbarFillColor, clBtnFace);
  EXPECT_EQ(ToolbarTextColor, clBtnText);
}

TEST_F(ThemeManagerTest, FlatMenuSettingChoosesTheMenuColours) {
  Environment.SetVisualStyles(false);
  struct TCase {
    bool SystemFlat;
    int Setting;
    bool Flat;
    TColor Back, Text;
  };
  const TCase cases[] = {
      {true, fmAutomatic, true, clMenu, clMenuText},   {true, fmEnabled, true, clMenu, clMenuText},
      {true, fmDisabled, false, clBtnFace, clBtnText}, {false, fmAutomatic, false, clMenu, clMenuText},
      {false, fmDisabled, false, clMenu, clMenuText},  {false, fmEnabled, true, clWindow, clWindowText},
  };
  for (const TCase& c : cases) {
    Environment.SetFlatMenus(c.SystemFlat);
    SetThemeManagerSetting(tmsFlatMenus, c.Setting);
    ThemeManager()->UpdateVariables();
    EXPECT_EQ(FlatMenus, c.Flat) << c.SystemFlat << " " << c.Setting;
    EXPECT_EQ(MenuBackColor, c.Back) << c.SystemFlat << " " << c.Setting;
    EXPECT_EQ(MenuTextColor, c.Text) << c.SystemFlat << " " << c.Setting;
  }
}

TEST_F(ThemeManagerTest, ColourChangesUpdateTheWhiteFaceFlag) {
  Environment.SetSysColor(COLOR_BTNFACE, RGB(255, 255, 255));
  SendMessageW(ThemeManager()->WindowHandle(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_TRUE(WhiteFace);
  EXPECT_TRUE(LowColorOrWhiteFace);
  Environment.SetSysColor(COLOR_BTNFACE, RGB(240, 240, 240));
  SendMessageW(ThemeManager()->WindowHandle(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_FALSE(WhiteFace);
  EXPECT_EQ(LowColorOrWhiteFace, LowColor);
  EXPECT_EQ(HotLightColor, clHotLight);
}

TEST(ThemeGeometry, DragHandlesAndCloseButtons) {
  struct TCase {
    bool AllowDrag;
    int Style, CloseState;
    int Size;
  };
  const TCase sizes[] = {{false, dhDouble, cbsShown, 0},
                         {true, dhDouble, 0, 9},
                         {true, dhNone, 0, 0},
                         {true, dhSingle, 0, 6},
                         {true, dhDouble, cbsShown, 14},
                         {true, dhNone, cbsShown, 14},
                         {true, dhSingle, cbsShown | cbsHot, 14}};
  for (const TCase& c : sizes) {
    TStyledToolbarPaintInfo info{};
    info.AllowDrag = c.AllowDrag;
    info.DragHandleStyle = c.Style;
    info.CloseButtonState = c.CloseState;
    EXPECT_EQ(GetDragHandleSize(info), c.Size) << c.AllowDrag << " " << c.Style << " " << c.CloseState;
  }

  TStyledToolbarPaintInfo toolbar{};
  toolbar.AllowDrag = true;
  toolbar.CloseButtonState = cbsShown;
  toolbar.BorderSize = POINT{2, 3};
  toolbar.ClientWidth = 100;
  RECT rect = GetToolbarCloseButtonRect(toolbar);
  EXPECT_TRUE(SameRect(rect, RECT{2, 3, 15, 16}));
  toolbar.IsVertical = true;
  GetToolbarCloseButtonRect(toolbar, rect);
  EXPECT_TRUE(SameRect(rect, RECT{89, 3, 102, 16}));

  TStyledWindowPaintInfo window{};
  window.ClientWidth = 120;
  window.FloatingBorderSize = POINT{3, 4};
  const LONG h = GetSystemMetrics(SM_CYSMCAPTION) - 1;
  GetFloatingCaptionRect(window, false, false, rect);
  EXPECT_TRUE(SameRect(rect, RECT{0, 0, 120, h}));
  GetFloatingCaptionRect(window, true, true, rect);
  EXPECT_TRUE(SameRect(rect, RECT{3, 4, 123 - h, 4 + h}));
  GetFloatingCloseButtonRect(window, true, rect);
  EXPECT_TRUE(SameRect(rect, RECT{123 - h, 4, 123, 4 + h}));
}

#include "support/test_environment.h"

#include <string>
#include <utility>
#include <vector>

namespace {

DWORD MenuShowDelay() {
  DWORD delay = 0;
  SystemParametersInfoW(SPI_GETMENUSHOWDELAY, 0, &delay, 0);
  return delay;
}

bool SystemFlag(UINT action) {
  BOOL value = FALSE;
  SystemParametersInfoW(action, 0, &value, 0);
  return value != FALSE;
}

std::wstring ThemeActiveValue() {
  wchar_t text[8] = {};
  DWORD size = sizeof text - sizeof(wchar_t);
  RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager", L"ThemeActive",
               RRF_RT_REG_SZ, nullptr, text, &size);
  return text;
}

}  // namespace

TEST(TestEnvironment, PinsAndRestoresSystemColours) {
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  COLORREF pinned = face == RGB(192, 192, 192) ? RGB(190, 190, 190) : RGB(192, 192, 192);
  {
    TTestEnvironment environment;
    environment.SetSysColor(COLOR_BTNFACE, pinned);
    environment.SetSysColor(COLOR_BTNFACE, RGB(1, 2, 3));
    EXPECT_EQ(RGB(1, 2, 3), GetSysColor(COLOR_BTNFACE));
  }
  EXPECT_EQ(face, GetSysColor(COLOR_BTNFACE));
}

TEST(TestEnvironment, PinsAndRestoresMenuAndKeyboardSettings) {
  DWORD delay = MenuShowDelay();
  bool cues = SystemFlag(SPI_GETKEYBOARDCUES);
  bool flat = SystemFlag(SPI_GETFLATMENU);
  {
    TTestEnvironment environment;
    environment.SetMenuShowDelay(delay + 17);
    environment.SetKeyboardCues(!cues);
    environment.SetFlatMenus(!flat);
    EXPECT_EQ(delay + 17, MenuShowDelay());
    EXPECT_EQ(!cues, SystemFlag(SPI_GETKEYBOARDCUES));
    EXPECT_EQ(!flat, SystemFlag(SPI_GETFLATMENU));
  }
  EXPECT_EQ(delay, MenuShowDelay());
  EXPECT_EQ(cues, SystemFlag(SPI_GETKEYBOARDCUES));
  EXPECT_EQ(flat, SystemFlag(SPI_GETFLATMENU));
}

TEST(TestEnvironment, VisualStylesSwitchTheHooksAndTheThemeManagerValue) {
  bool firstLibrary = true;
  bool secondLibrary = false;
  std::vector<bool> calls;
  TTestEnvironment::AddVisualStylesHook([&](bool on) {
    calls.push_back(on);
    return std::exchange(firstLibrary, on);
  });
  TTestEnvironment::AddVisualStylesHook([&](bool on) { return std::exchange(secondLibrary, on); });
  std::wstring before = ThemeActiveValue();
  {
    TTestEnvironment environment;
    environment.SetVisualStyles(false);
    environment.SetVisualStyles(true);
    environment.SetVisualStyles(false);
    EXPECT_FALSE(firstLibrary);
    EXPECT_FALSE(secondLibrary);
    EXPECT_EQ(L"0", ThemeActiveValue());
  }
  TTestEnvironment::ClearVisualStylesHooks();
  EXPECT_TRUE(firstLibrary);
  EXPECT_FALSE(secondLibrary);
  EXPECT_EQ(before, ThemeActiveValue());
  EXPECT_EQ((std::vector<bool>{false, true, false, true}), calls);
}

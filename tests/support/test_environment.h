// Pins the parts of the desktop environment that painting and menu tests depend on, and restores every value it
// changed when it goes: system colours, visual styles, keyboard cues, flat menus, the menu show delay.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <vector>

class TTestEnvironment {
 public:
  // Switches one library's own visual-styles setting and answers its previous value. Each library that has such
  // a setting adds its hook from its tests' unit start-up.
  using TVisualStylesHook = std::function<bool(bool on)>;
  static void AddVisualStylesHook(TVisualStylesHook hook);
  static void ClearVisualStylesHooks();

  TTestEnvironment() = default;
  TTestEnvironment(const TTestEnvironment&) = delete;
  TTestEnvironment& operator=(const TTestEnvironment&) = delete;
  ~TTestEnvironment() { Restore(); }

  // SetSysColors for one element; the first change of each element remembers its value.
  void SetSysColor(int element, COLORREF color);
  // Visual styles on or off: the framework's classic switch, every hook, and the ThemeManager's ThemeActive value
  // (which the platform reads only when a process starts). The platform's own switch is not touched: under Wine it
  // cannot be turned back on within a process.
  void SetVisualStyles(bool on);
  void SetKeyboardCues(bool on);
  void SetFlatMenus(bool on);
  void SetMenuShowDelay(DWORD milliseconds);
  // Puts back everything changed so far.
  void Restore();

  // What the platform now says about visual styles (uxtheme's IsThemeActive).
  static bool VisualStylesActive();

 private:
  static std::optional<bool> ReadThemeActiveValue();
  static void WriteThemeActiveValue(bool on);
  static bool SystemFlag(UINT getAction);
  static void SetSystemFlag(UINT setAction, bool on);

  std::map<int, COLORREF> savedColors_;
  bool visualStylesChanged_ = false;
  std::optional<bool> savedThemeActiveValue_;
  bool savedClassicPainting_ = false;
  std::vector<bool> savedHookSettings_;  // one per hook, in the order of the hooks
  std::optional<bool> savedKeyboardCues_;
  std::optional<bool> savedFlatMenus_;
  std::optional<DWORD> savedMenuShowDelay_;
};

// A test whose environment is restored after each case: use `Environment` in the test body.
class TEnvironmentTest : public testing::Test {
 protected:
  TTestEnvironment Environment;
};

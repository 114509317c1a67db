// The themes under pinned system colours with visual styles off unless a test says otherwise; everything is
// restored afterwards. A theme is acquired by name, as the framework does, and released at the end.
#pragma once

#include <gtest/gtest.h>

#include <map>

#include "support/test_environment.h"
#include "support/window_capture.h"
#include "themes/table_theme.h"
#include "toolbars/theme/theme_manager.h"
#include "toolbars/theme/theme_registry.h"

constexpr COLORREF kFace = RGB(200, 200, 200);
constexpr COLORREF kShadow = RGB(100, 100, 100);
constexpr COLORREF kLight = RGB(250, 250, 250);
constexpr COLORREF kText = RGB(10, 10, 10);
constexpr COLORREF kSelection = RGB(0, 0, 160);
constexpr COLORREF kSelectionText = RGB(255, 255, 0);
constexpr COLORREF kGray = RGB(130, 130, 130);
constexpr COLORREF kWindow = RGB(255, 255, 255);
constexpr COLORREF kWindowText = RGB(0, 0, 0);
constexpr COLORREF kMenuText = RGB(20, 20, 20);
constexpr COLORREF kFrame = RGB(5, 5, 5);
// The surface under each painter: no system colour has it.
constexpr COLORREF kPaper = RGB(1, 2, 3);

// A canvas over a capture bitmap filled with kPaper.
class TThemeSurface {
 public:
  TThemeSurface(int width, int height) : capture_(width, height) {
    capture_.Fill(kPaper);
    canvas_.SetHandle(capture_.DC());
  }
  ~TThemeSurface() { canvas_.SetHandle(nullptr); }
  TThemeSurface(const TThemeSurface&) = delete;
  TThemeSurface& operator=(const TThemeSurface&) = delete;

  TCanvas* Canvas() { return &canvas_; }
  const TWindowCapture& Capture() const { return capture_; }
  COLORREF Pixel(int x, int y) const { return capture_.Pixel(x, y); }

 private:
  TWindowCapture capture_;
  TCanvas canvas_;
};

inline COLORREF Rgb(TColor color) { return static_cast<COLORREF>(ColorToRGB(color)); }

class ThemeTest : public TEnvironmentTest {
 protected:
  void SetUp() override {
    const struct {
      int Element;
      COLORREF Color;
    } colors[] = {{COLOR_BTNFACE, kFace},           {COLOR_BTNSHADOW, kShadow},   {COLOR_BTNHIGHLIGHT, kLight},
                  {COLOR_BTNTEXT, kText},           {COLOR_HIGHLIGHT, kSelection}, {COLOR_HIGHLIGHTTEXT, kSelectionText},
                  {COLOR_GRAYTEXT, kGray},          {COLOR_WINDOW, kWindow},       {COLOR_WINDOWTEXT, kWindowText},
                  {COLOR_MENUTEXT, kMenuText},      {COLOR_WINDOWFRAME, kFrame}};
    for (const auto& c : colors) Environment.SetSysColor(c.Element, c.Color);
    Environment.SetVisualStyles(false);
    Refresh();
  }
  void TearDown() override {
    for (auto& [name, theme] : acquired_) toolbars::ReleaseTheme(theme);
    acquired_.clear();
    Environment.Restore();
    toolbars::ThemeManager()->UpdateVariables();
  }
  void Refresh() {
    toolbars::ThemeManager()->UpdateVariables();
    toolbars::ThemeManager()->NotifyChange();
  }
  // The named theme, acquired once per test.
  template <class T = themes::TStyledTableTheme>
  T* Theme(const wchar_t* name) {
    toolbars::TStyledTheme*& theme = acquired_[name];
    if (!theme) theme = toolbars::AcquireTheme(name);
    return static_cast<T*>(theme);
  }

  static toolbars::TStyledItemPaintInfo Item(int viewType, int options = 0, uint8_t hover = toolbars::hkNone) {
    toolbars::TStyledItemPaintInfo info{};
    info.ViewType = viewType;
    info.ItemOptions = options;
    info.Enabled = true;
    info.HoverKind = hover;
    return info;
  }

 private:
  std::map<std::wstring, toolbars::TStyledTheme*> acquired_;
};

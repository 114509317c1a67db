// Times the toolbar themes against the framework's own Default theme. Target per theme: painting a docked toolbar
// of 50 items and a pop-up menu of 30 items, every part through the theme's painters as the framework calls them,
// at most the given multiple of the Default theme painting the same scene into the same bitmap.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "bench/bench_timing.h"
#include "bench/offscreen.h"
#include "framework/image_list.h"
#include "framework/startup.h"
#include "themes/themes_unit.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/theme/default_theme.h"
#include "toolbars/theme/theme_registry.h"

using namespace toolbars;

namespace {

constexpr int kRuns = 15;
constexpr int kRounds = 20;
constexpr int kToolbarItems = 50;
constexpr int kPopupItems = 30;
constexpr int kItemWidth = 24;
constexpr int kToolbarHeight = 26;
constexpr int kPopupWidth = 220;
constexpr int kPopupItemHeight = 20;
constexpr int kWidth = kToolbarItems * kItemWidth + 20;
constexpr int kHeight = kToolbarHeight + 4 + kPopupItems * kPopupItemHeight + 8;

TBenchTargets targets;

TStyledItemPaintInfo Item(int viewType, int options, int index) {
  TStyledItemPaintInfo info{};
  info.ViewType = viewType;
  info.ItemOptions = options;
  info.Enabled = index % 11 != 5;
  info.Checked = index % 7 == 3;
  info.HoverKind = index == 12 ? hkHot : hkNone;
  info.Pushed = index == 20;
  info.HasImage = true;
  info.ImageWidth = 16;
  info.ImageHeight = 16;
  info.ImageColumnWidth = 22;
  return info;
}

// A docked toolbar and an open pop-up menu, painted as the framework paints them.
void PaintScene(TStyledTheme* theme, TCanvas* canvas, TCustomImageList* images) {
  const RECT bar{0, 0, kWidth, kToolbarHeight};
  TStyledToolbarPaintInfo toolbar{};
  toolbar.ViewType = vtToolbar;
  toolbar.AllowDrag = true;
  toolbar.DragHandleStyle = dhDouble;
  toolbar.BorderSize = {2, 2};
  canvas->Brush()->SetColor(theme->ViewBackColor(vtToolbar));
  theme->PaintToolbarFrame(canvas, bar, toolbar);
  const RECT client{2, 2, kWidth - 2, kToolbarHeight - 2};
  theme->PaintViewBackground(canvas, client, client, client, theme->ViewBackColor(vtToolbar), false, vtToolbar);
  for (int i = 0; i < kToolbarItems; ++i) {
    const RECT rect{12 + i * kItemWidth, 2, 12 + (i + 1) * kItemWidth, kToolbarHeight - 2};
    TStyledItemPaintInfo info = Item(vtToolbar, ioToolbarStyle, i);
    if (i % 10 == 9) {
      theme->PaintSeparator(canvas, rect, info, false, false);
      continue;
    }
    theme->PaintButtonFace(canvas, rect, info);
    const POINT offset = theme->ItemImageOffset(canvas, info, images);
    const RECT image{rect.left + 4 + offset.x, rect.top + 3 + offset.y, rect.left + 20 + offset.x,
                     rect.top + 19 + offset.y};
    theme->PaintItemImage(canvas, image, info, images, i % 4);
  }

  const RECT popup{0, kToolbarHeight + 4, kPopupWidth, kHeight};
  TStyledPopupPaintInfo popupInfo{};
  popupInfo.ViewType = vtPopupMenu;
  theme->PaintPopupFrame(canvas, popup, popupInfo);
  for (int i = 0; i < kPopupItems; ++i) {
    const int top = popup.top + 4 + i * kPopupItemHeight;
    const RECT rect{popup.left + 2, top, popup.right - 2, top + kPopupItemHeight};
    TStyledItemPaintInfo info = Item(vtPopupMenu, i % 6 == 1 ? ioHasSubmenu : 0, i);
    if (i % 8 == 7) {
      theme->PaintSeparator(canvas, rect, info, true, false);
      continue;
    }
    theme->PaintMenuItem(canvas, rect, info);
    if (info.Checked)
      theme->PaintCheckGlyph(canvas, {rect.left, rect.top, rect.left + 22, rect.bottom}, info);
    else
      theme->PaintItemImage(canvas, {rect.left + 3, rect.top + 2, rect.left + 19, rect.top + 18}, info, images, i % 4);
    theme->PaintItemCaption(canvas, {rect.left + 28, rect.top, rect.right - 16, rect.bottom}, info,
                            L"&Menu item number " + std::to_wstring(i), DT_SINGLELINE | DT_VCENTER, false);
  }
}

// Four 16 x 16 images of two colours each.
void FillImages(TImageList& images) {
  images.SetWidth(16);
  images.SetHeight(16);
  for (int i = 0; i < 4; ++i) {
    TBitmap picture;
    picture.SetPixelFormat(TPixelFormat::pf24bit);
    picture.SetSize(16, 16);
    picture.Canvas()->Brush()->SetColor(static_cast<TColor>(RGB(60 * i, 120, 200 - 40 * i)));
    picture.Canvas()->FillRect({0, 0, 16, 16});
    picture.Canvas()->Brush()->SetColor(static_cast<TColor>(RGB(250, 250, 250)));
    picture.Canvas()->FillRect({4, 4, 12, 12});
    images.AddMasked(&picture, clNone);
  }
}

double PaintTime(const String& name, TCustomImageList* images) {
  TStyledTheme* theme = AcquireTheme(name);
  TOffscreen target(kWidth, kHeight);
  TCanvas canvas;
  canvas.SetHandle(target.DC());
  canvas.SetFont(BarMenuFont());
  const double seconds = BestTime(kRuns, [&] {
    for (int round = 0; round < kRounds; ++round) PaintScene(theme, &canvas, images);
  });
  canvas.SetHandle(nullptr);
  ReleaseTheme(theme);
  return seconds / kRounds;
}

}  // namespace

int main() {
  InitializeUnit(FrameworkUnit());
  InitializeUnit(ToolbarsUnit());
  InitializeUnit(DefaultThemeUnit());
  InitializeUnit(themes::ThemesUnit());

  TImageList images;
  FillImages(images);
  const double reference = PaintTime(L"Default", &images);
  std::printf("%d-item toolbar and %d-item pop-up in Default: %.3f ms\n", kToolbarItems, kPopupItems, reference * 1000);
  const struct {
    const char* Target;
    const wchar_t* Theme;
    double Limit;
  } themeTargets[] = {{"gloss-paint-vs-default", L"Gloss", 3.0},
                      {"crystal-paint-vs-default", L"Crystal", 3.0},
                      {"ridge-paint-vs-default", L"Ridge", 3.0}};
  for (const auto& target : themeTargets) {
    const double seconds = PaintTime(target.Theme, &images);
    std::printf("the same in %ls: %.3f ms\n", target.Theme, seconds * 1000);
    targets.AtMost(target.Target, seconds / reference, target.Limit);
  }
  FinalizeUnits();
  return targets.ExitCode();
}

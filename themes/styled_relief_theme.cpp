#include "themes/styled_relief_theme.h"

#include "framework/startup.h"
#include "themes/table_theme.h"
#include "themes/theme_drawing.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/default_theme.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/theme_manager.h"

namespace themes {

using namespace toolbars;

namespace {

constexpr int kTileSize = 8;
// The caption's gap in a docked bar and in a floating one: its text width and these pixels.
constexpr int kDockedCaptionGap = 12;
constexpr int kFloatingCaptionGap = 16;

int reliefUnitCounter = 0;

void StartReliefTheme() {
  RegisterThemeOnce(reliefUnitCounter, L"Relief", TStyledThemeClass::Of<TStyledReliefTheme>());
}

void StopReliefTheme() { ++reliefUnitCounter; }

std::unique_ptr<TBitmap> MakeTile() {
  auto tile = std::make_unique<TBitmap>();
  tile->SetPixelFormat(TPixelFormat::pf24bit);
  tile->SetSize(kTileSize, kTileSize);
  return tile;
}

}  // namespace

TStockGlyphs& ReliefStockGlyphs() {
  static TStockGlyphs glyphs(&MakeTile);
  return glyphs;
}

const TUnit& ReliefThemeUnit() {
  static const TUnit unit{L"themes.relief", &StartReliefTheme, &StopReliefTheme, {&DefaultThemeUnit()}};
  return unit;
}

TStyledReliefTheme::TStyledReliefTheme(const String& name) : TStyledClassicLook(name, ReliefStockGlyphs()) {}

void TStyledReliefTheme::MakeReliefTile(TColor color) {
  TBitmap* tile = Scratch();
  if (!tile) return;
  TCanvas* canvas = tile->Canvas();
  FillRectEx(canvas, {0, 0, kTileSize, kTileSize}, color);
  const TGripDotStyle bump{color, clBtnShadow, clBtnHighlight, {128, 48, 96, 8}};
  for (const POINT at : {POINT{0, 0}, POINT{4, 0}, POINT{0, 4}, POINT{4, 4}}) DrawGripDot(canvas, at.x, at.y, bump);
}

void TStyledReliefTheme::FillRelief(TCanvas* canvas, const RECT& rect, TColor color, int inset, bool plain) {
  MakeReliefTile(color);
  FillRectEx(canvas, rect, color);
  RECT area = rect;
  InflateRect(&area, -inset, -inset);
  if (area.right <= area.left || area.bottom <= area.top || !Scratch()) return;
  POINT origin{area.left, area.top};
  if (!plain) {
    // Whole bumps, centred.
    const int width = (area.right - area.left - 2) / 4 * 4 + 2;
    const int height = (area.bottom - area.top - 2) / 4 * 4 + 2;
    origin = {(area.left + area.right - width - 1) / 2, (area.top + area.bottom - height - 1) / 2};
  }
  HDC dc = canvas->Handle();
  LPtoDP(dc, &origin, 1);
  HBRUSH brush = CreatePatternBrush(Scratch()->Handle());
  POINT oldOrigin{};
  SetBrushOrgEx(dc, origin.x, origin.y, &oldOrigin);
  ::FillRect(dc, &area, brush);
  SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
  DeleteObject(brush);
}

TColor TStyledReliefTheme::MenuCaptionColor(const TStyledItemPaintInfo& itemInfo) const {
  return IsViewType(itemInfo.ViewType, vtPopupFamily) ? clMenuText : CaptionTextColor;
}

void TStyledReliefTheme::PaintSeparator(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                        bool horizontal, bool lineOnly) {
  (void)itemInfo;
  (void)lineOnly;
  // The middle of the separator itself, wherever the view placed it.
  if (horizontal) {
    const int y = (rect.top + rect.bottom) / 2;
    DrawLineEx(canvas, rect.left + 1, y, rect.right - 1, y, FrameColor());
  } else {
    const int x = (rect.left + rect.right) / 2;
    DrawLineEx(canvas, x, rect.top + 1, x, rect.bottom - 1, FrameColor());
  }
}

void TStyledReliefTheme::PaintScrollButton(TCanvas* canvas, const RECT& rect, int buttonType, bool flat) {
  TStyledClassicLook::PaintScrollButton(canvas, rect, buttonType, flat);
  // The corners the cut frame leaves out.
  for (const POINT at : {POINT{rect.left, rect.top}, POINT{rect.right - 1, rect.top}, POINT{rect.right - 1, rect.bottom - 1},
                         POINT{rect.left, rect.bottom - 1}})
    canvas->SetPixels(at.x, at.y, clBtnFace);
}

void TStyledReliefTheme::PaintStatusBarPart(TCanvas* canvas, const RECT& rect, int part) {
  switch (part) {
    case spBackground: {
      FillRectEx(canvas, rect, clBtnFace);
      DrawLineEx(canvas, rect.left, rect.top, rect.right, rect.top, clBtnShadow);
      const int top[] = {128, 64, 32, 12};
      for (int i = 0; i < 4; ++i)
        DrawLineEx(canvas, rect.left, rect.top + 1 + i, rect.right, rect.top + 1 + i,
                   BlendColorsNearest(clBtnShadow, clBtnFace, top[i]));
      const int bottom[] = {8, 16, 24};
      for (int i = 0; i < 3; ++i)
        DrawLineEx(canvas, rect.left, rect.bottom - 3 + i, rect.right, rect.bottom - 3 + i,
                   BlendColorsNearest(clBtnShadow, clBtnFace, bottom[i]));
      break;
    }
    case spPane:
    case spLastPane: {
      const int x = part == spPane ? rect.right - 3 : rect.right;
      DrawLineEx(canvas, x, rect.top + 4, x, rect.bottom - 3, FrameColor());
      break;
    }
    case spSizeGrip:
      DrawSizeGripDots(canvas, rect);
      break;
    default:
      break;
  }
}

void TStyledReliefTheme::PaintGrip(TCanvas* canvas, const RECT& area, const TStyledToolbarPaintInfo& toolbarInfo) {
  const TColor background = canvas->Brush()->Color();
  const int size = GetDragHandleSize(toolbarInfo);
  const bool closeShown = (toolbarInfo.CloseButtonState & cbsShown) != 0;
  RECT grip{};
  if (!toolbarInfo.IsVertical) {
    grip = {area.left - 1, area.top, area.left + size + 1, area.bottom};
    if (closeShown) {
      grip.top += size - 2;
      grip.left += 1;
      grip.right -= 4;
    }
  } else {
    grip = {area.left, area.top - 1, area.right, area.top + size + 1};
    if (closeShown) {
      grip.right += 2 - size;
      grip.top += 1;
      grip.bottom -= 4;
    }
  }
  InflateRect(&grip, -1, -1);
  FillRelief(canvas, grip, background, 1, true);
}

RECT TStyledReliefTheme::ToolbarCloseButtonRect(const TStyledToolbarPaintInfo& toolbarInfo) const {
  RECT rect = GetToolbarCloseButtonRect(toolbarInfo);
  if (toolbarInfo.IsVertical)
    OffsetRect(&rect, 0, -1);
  else
    OffsetRect(&rect, -1, 0);
  return rect;
}

void TStyledReliefTheme::FillReliefAroundCaption(TCanvas* canvas, const RECT& bar, const String& caption, int gap,
                                                 int inset) {
  const bool across = bar.right - bar.left >= bar.bottom - bar.top;
  const int length = across ? bar.right - bar.left : bar.bottom - bar.top;
  const int textGap = caption.empty() ? 0 : canvas->TextWidth(caption) + gap;
  if (length <= textGap) return;
  if (textGap == 0) {
    FillRelief(canvas, bar, clBtnFace, inset);
    return;
  }
  const int start = (length - textGap) / 2;
  RECT before = bar;
  RECT after = bar;
  RECT middle = bar;
  if (across) {
    before.right = bar.left + start;
    after.left = before.right + textGap;
    middle = {before.right, bar.top, after.left, bar.bottom};
  } else {
    before.bottom = bar.top + start;
    after.top = before.bottom + textGap;
    middle = {bar.left, before.bottom, bar.right, after.top};
  }
  FillRelief(canvas, before, clBtnFace, inset);
  FillRelief(canvas, after, clBtnFace, inset);
  FillRectEx(canvas, middle, clBtnFace);
}

void TStyledReliefTheme::FillDockedCaptionBar(TCanvas* canvas, const RECT& bar, const String& caption) {
  FillReliefAroundCaption(canvas, bar, caption, kDockedCaptionGap, 1);
}

void TStyledReliefTheme::FillFloatingCaption(TCanvas* canvas, const RECT& strip, const String& caption, bool active) {
  FillRectEx(canvas, strip, clBtnFace);
  if (active) FillReliefAroundCaption(canvas, strip, caption, kFloatingCaptionGap, 2);
}

RECT TStyledReliefTheme::FloatingCaptionTextRect(const RECT& strip) const {
  return {strip.left + 2, strip.top, strip.right - 4, strip.bottom};
}

}  // namespace themes

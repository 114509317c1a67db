// The Gloss theme's painters of frames: docked captions, floating windows, pop-ups, toolbars and status bars.
#include "themes/glass_gradients.h"
#include "themes/styled_gloss_theme.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/stock_objects.h"
#include "toolbars/theme/theme_manager.h"

namespace themes {

using namespace toolbars;

namespace {

// The caption bar of a docked window starts this light and runs to white.
constexpr TColor kCaptionGradient = 0x00F0F0F0;
constexpr UINT kDockedCaptionFormat = DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_HIDEPREFIX;
constexpr UINT kFloatingCaptionFormat = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;

}  // namespace

void TStyledGlossTheme::PaintCloseBox(TCanvas* canvas, RECT rect, TColor frame, TColor fill, TColor glyph) {
  FrameRectEx(canvas, rect, frame, true);
  FillRectEx(canvas, rect, fill);
  DrawCloseGlyph(canvas, rect, glyph);
}

void TStyledGlossTheme::PaintCaptionCloseButton(TCanvas* canvas, const RECT& rect, int state) {
  if (state == tsHot) {
    PaintCloseBox(canvas, rect, 0x00808080, clWhite, clBlack);
  } else if (state == tsPushed) {
    PaintCloseBox(canvas, rect, 0x00808080, 0x00C0C0C0, clWhite);
  } else {
    const TItemColors& row = ToolbarItems()[static_cast<size_t>(state)];
    PaintCloseBox(canvas, rect, row.Frame, row.Fill, clBlack);
  }
}

void TStyledGlossTheme::PaintDockBackground(TCanvas* canvas, const RECT& clientRect, const RECT& paintRect,
                                            int position) {
  (void)canvas;
  (void)clientRect;
  (void)paintRect;
  (void)position;
}

void TStyledGlossTheme::PaintDockedCaption(TCanvas* canvas, const RECT& rect,
                                           const TStyledDockedCaptionInfo& captionInfo) {
  if (IsRectEmpty(&rect)) return;
  const TColor k = canvas->Brush()->Color();
  const bool horizontal = captionInfo.HorizontalCaption;
  PaintDockedCaptionEdge(canvas, rect, k, clBtnFace, horizontal);
  if (!captionInfo.ShowCaption) return;
  RECT area = rect;
  InflateRect(&area, -captionInfo.BorderSize.x, -captionInfo.BorderSize.y);
  if (IsRectEmpty(&area)) return;
  const int h = GetSystemMetrics(SM_CYSMCAPTION);
  RECT bar = area;
  if (horizontal) {
    bar.bottom = bar.top + h - 1;
    DrawLineEx(canvas, bar.left, bar.bottom, bar.right, bar.bottom, k);
    Glass(canvas, bar, kCaptionGradient, clWhite, true);
    DrawLineEx(canvas, bar.left, bar.bottom - 1, bar.right, bar.bottom - 1, colors_.ToolbarEdgeColor);
  } else {
    bar.right = bar.left + h - 1;
    DrawLineEx(canvas, bar.right, bar.top, bar.right, bar.bottom, k);
    Glass(canvas, bar, kCaptionGradient, clWhite, false);
    DrawLineEx(canvas, bar.right - 1, bar.top, bar.right - 1, bar.bottom, colors_.ToolbarEdgeColor);
  }
  RECT text = bar;
  if (captionInfo.CloseButtonState & cbsShown) {
    RECT button = bar;
    // The caption's text stops before the button rather than running under its cross.
    if (horizontal) {
      button.left = button.right - (h - 1);
      text.right = button.left;
    } else {
      button.top = button.bottom - (h - 1);
      text.bottom = button.top;
    }
    PaintCaptionCloseButton(canvas, button, CloseButtonRow(captionInfo.CloseButtonState));
  }
  if (horizontal)
    InflateRect(&text, -4, 0);
  else
    InflateRect(&text, 0, -4);
  canvas->SetFont(SmCaptionFont());
  DrawCaption(canvas, text, captionInfo.Caption ? captionInfo.Caption : L"", kDockedCaptionFormat, !horizontal,
              clBlack);
}

void TStyledGlossTheme::PaintFloatingFrame(TCanvas* canvas, const RECT& rect,
                                           const TStyledWindowPaintInfo& windowInfo) {
  if (IsRectEmpty(&rect)) return;
  const TColor k = canvas->Brush()->Color();
  const bool dockFamily = (windowInfo.ViewType & vtDock) != 0;
  const POINT border = windowInfo.FloatingBorderSize;
  RECT client = rect;
  InflateRect(&client, -border.x, -border.y);
  if (windowInfo.RedrawPart & rpBorder)
    PaintFloatingBorder(canvas, rect, client, colors_.FloatFrameColors[dockFamily ? 1 : 0][windowInfo.Active ? 0 : 1],
                        k, dockFamily);
  if (!windowInfo.ShowCaption) return;
  const int h = GetSystemMetrics(SM_CYSMCAPTION);
  RECT strip{0, 0, windowInfo.ClientWidth, h - 1};
  OffsetRect(&strip, border.x, border.y);
  if (IsRectEmpty(&strip)) return;
  const bool closeShown = (windowInfo.CloseButtonState & cbsShown) != 0;
  if (windowInfo.RedrawPart & rpCaption) {
    RECT caption = strip;
    DrawLineEx(canvas, caption.left, caption.bottom, caption.right, caption.bottom, k);
    if (closeShown && (windowInfo.RedrawPart & rpCloseButton)) caption.right -= h - 1;
    Stripes(canvas, caption, colors_.ToolbarColor);
    DrawLineEx(canvas, caption.left, caption.bottom - 1, caption.right, caption.bottom - 1, colors_.ToolbarEdgeColor);
    const RECT text{caption.left + 2, caption.top, caption.right - 2, caption.bottom - 1};
    canvas->SetFont(SmCaptionFont());
    DrawCaption(canvas, text, windowInfo.Caption ? windowInfo.Caption : L"", kFloatingCaptionFormat, false, clBlack);
  }
  if (closeShown) {
    const RECT button{strip.right - (strip.bottom - strip.top), strip.top, strip.right, strip.bottom};
    DrawLineEx(canvas, button.left - 1, button.bottom, button.right, button.bottom, k);
    Stripes(canvas, button, colors_.ToolbarColor);
    DrawLineEx(canvas, button.left, button.bottom - 1, button.right, button.bottom - 1, colors_.ToolbarEdgeColor);
    PaintCaptionCloseButton(canvas, button,
                            windowInfo.Active ? CloseButtonRow(windowInfo.CloseButtonState) : tsDisabled);
  }
}

void TStyledGlossTheme::PaintPopupFrame(TCanvas* canvas, const RECT& rect, const TStyledPopupPaintInfo& popupInfo) {
  if (IsRectEmpty(&rect)) return;
  RECT inner = rect;
  FrameRectEx(canvas, inner, colors_.PopupFrameColor, true);
  FillRectEx(canvas, inner, colors_.PopupColor);
  RECT parent = popupInfo.ParentRect;
  if (IsRectEmpty(&parent)) return;
  canvas->Pen()->SetColor(colors_.ToolbarColor);
  const bool above = parent.bottom == inner.top;
  if (above || parent.top == inner.bottom) {
    if (inner.left >= parent.left) parent.left = inner.left - 1;
    if (inner.right <= parent.right) parent.right = inner.right + 1;
    const int y = above ? parent.bottom - 1 : parent.top;
    canvas->MoveTo(parent.left + 1, y);
    canvas->LineTo(parent.right - 1, y);
  }
  const bool leftOf = parent.right == inner.left;
  if (leftOf || parent.left == inner.right) {
    if (inner.top >= parent.top) parent.top = inner.top - 1;
    if (inner.bottom <= parent.bottom) parent.bottom = inner.bottom + 1;
    const int x = leftOf ? parent.right - 1 : parent.left;
    canvas->MoveTo(x, parent.top + 1);
    canvas->LineTo(x, parent.bottom - 1);
  }
}

void TStyledGlossTheme::PaintToolbarFrame(TCanvas* canvas, const RECT& rect,
                                          const TStyledToolbarPaintInfo& toolbarInfo) {
  if (IsRectEmpty(&rect)) return;
  Stripes(canvas, {rect.left, rect.top - 1, rect.right, rect.bottom}, colors_.ToolbarColor);
  const int viewType = toolbarInfo.ViewType;
  if (IsViewType(viewType, vtToolbar) || IsViewType(viewType, vtMenuBar) || IsViewType(viewType, vtToolWindow)) {
    const bool menuBar = IsViewType(viewType, vtMenuBar);
    DrawLineEx(canvas, menuBar ? rect.left : rect.left + 1, rect.bottom - 1, rect.right, rect.bottom - 1,
               menuBar ? TColor{0x00808080} : colors_.ToolbarEdgeColor);
    DrawLineEx(canvas, rect.right - 1, menuBar ? rect.top : rect.top + 1, rect.right - 1, rect.bottom - 1,
               colors_.ToolbarEdgeColor);
  }
  if (!toolbarInfo.AllowDrag) return;
  RECT area = rect;
  InflateRect(&area, -2, -2);
  const RECT handle = DragHandleRect(area, toolbarInfo);
  if (toolbarInfo.DragHandleStyle != dhNone)
    DrawGripBumps(canvas, handle, toolbarInfo, {GlossGripShadeColor, GlossGripDarkColor, clWhite, {64, 32, 48, 16}});
  if (toolbarInfo.CloseButtonState & cbsShown)
    PaintCloseButton(canvas, HandleCloseButtonRect(handle, toolbarInfo.IsVertical), toolbarInfo.CloseButtonState);
}

void TStyledGlossTheme::PaintStatusBarPart(TCanvas* canvas, const RECT& rect, int part) {
  if (IsRectEmpty(&rect)) return;
  switch (part) {
    case spBackground:
      Stripes(canvas, rect, colors_.ToolbarColor);
      break;
    case spPane:
    case spLastPane: {
      const int x = part == spPane ? rect.right - 3 : rect.right;
      const RECT visible = VisiblePart(canvas, {x, rect.top, x + 1, rect.bottom - 1});
      for (int y : DotsAlong(rect.top, visible.top, visible.bottom)) canvas->SetPixels(x, y, colors_.StatusDotColor);
      break;
    }
    case spSizeGrip:
      DrawSizeGripLines(canvas, rect, BlendColorsNearest(clBtnFace, clBtnShadow, 64),
                        BlendColorsNearest(clBtnFace, clBtnHighlight, 64));
      break;
    default:
      break;
  }
}

}  // namespace themes

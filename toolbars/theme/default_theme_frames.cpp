// The default theme's painters of views and windows: backgrounds, dock backgrounds, docked captions, floating
// frames, pop-up frames and scroll buttons, toolbar frames with drag handles and close buttons, and status bars.
#include <vssym32.h>

#include <algorithm>
#include <array>

#include "toolbars/common/bar_common.h"
#include "toolbars/theme/default_theme.h"
#include "toolbars/theme/default_theme_drawing.h"
#include "toolbars/theme/draw_utils.h"

namespace toolbars {

using namespace default_theme;

namespace {

// Classic drag-handle bars: their width, and where the first starts across the band.
constexpr int kGripBar = 3;
constexpr int kGripInset = 2;
constexpr int kGripInsetDoubleWithClose = 3;
constexpr int kGripInsetSingleWithClose = 5;
// The band a visual-style gripper is drawn on.
constexpr int kStyledGripBand = 6;
// Diagonal line groups of a classic size grip, each drawn when the grip is at least this big.
constexpr std::array<int, 3> kSizeGripThresholds{9, 12, 15};

// Restores the DC's clipping on the way out.
class TSavedDC {
 public:
  explicit TSavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~TSavedDC() { RestoreDC(dc_, saved_); }
  TSavedDC(const TSavedDC&) = delete;
  TSavedDC& operator=(const TSavedDC&) = delete;

 private:
  HDC dc_;
  int saved_;
};

void DrawSmallCaptionText(TCanvas* canvas, RECT rect, const wchar_t* caption, TColor color, UINT format, bool rotated) {
  if (!caption || !*caption) return;
  HDC dc = canvas->Handle();
  HGDIOBJ oldFont = SelectObject(dc, CaptionFont()->Handle());
  const COLORREF oldColor = SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(color)));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  if (rotated)
    DrawRotatedText(dc, caption, rect, format);
  else
    DrawTextW(dc, caption, -1, &rect, format);
  SetBkMode(dc, oldMode);
  SetTextColor(dc, oldColor);
  SelectObject(dc, oldFont);
}

// A close button with a cross: the toolbar style's button part, or a classic edge that sinks when pushed.
void DrawCloseButton(TCanvas* canvas, const RECT& rect, int closeState, bool toolbarCross) {
  const bool pushed = (closeState & cbsPushed) != 0;
  const bool hot = (closeState & cbsHot) != 0;
  int shift = 0;
  if (const TThemeData* toolbar = Styled(TThemeStyle::tsToolbar)) {
    toolbar->DrawBackground(canvas->Handle(), TP_BUTTON, PushHotState(pushed, hot), rect);
  } else if (pushed) {
    Edge(canvas, rect, BDR_SUNKENOUTER, BF_RECT);
    shift = 1;
  } else if (hot) {
    Edge(canvas, rect, BDR_RAISEDINNER, BF_RECT);
  }
  if (toolbarCross)
    DrawToolbarCross(canvas->Handle(), rect, shift);
  else
    DrawCaptionCross(canvas->Handle(), rect, shift);
}

}  // namespace

void TStyledDefaultTheme::PaintViewBackground(TCanvas* canvas, const RECT& viewRect, const RECT& paintRect,
                                              const RECT& clipRect, TColor color, bool transparent, int viewType) {
  (void)viewRect;
  (void)viewType;
  if (transparent) return;
  RECT area{};
  if (IntersectRect(&area, &paintRect, &clipRect)) FillRectEx(canvas, area, color);
}

void TStyledDefaultTheme::PaintDockBackground(TCanvas* canvas, const RECT& clientRect, const RECT& paintRect,
                                              int position) {
  (void)position;
  if (const TThemeData* rebar = Styled(TThemeStyle::tsRebar))
    rebar->DrawBackground(canvas->Handle(), 0, 0, clientRect, &paintRect);
}

void TStyledDefaultTheme::PaintDockedCaption(TCanvas* canvas, const RECT& rect,
                                             const TStyledDockedCaptionInfo& captionInfo) {
  RECT inner = rect;
  FrameRectEx(canvas, inner, faceColor_, true);
  if (!captionInfo.ShowCaption) return;
  const int thickness = GetSystemMetrics(SM_CYSMCAPTION);
  const bool horizontal = captionInfo.HorizontalCaption;
  RECT strip = inner;
  if (horizontal)
    strip.bottom = std::min(strip.bottom, strip.top + thickness);
  else
    strip.right = std::min(strip.right, strip.left + thickness);
  FillRectEx(canvas, strip, faceColor_);
  EdgeAdjust(canvas, strip, BDR_RAISEDINNER, BF_RECT);
  RECT text = strip;
  if (captionInfo.CloseButtonState & cbsShown) {
    const int side = horizontal ? strip.bottom - strip.top : strip.right - strip.left;
    RECT button = horizontal ? RECT{strip.right - side, strip.top, strip.right, strip.bottom}
                             : RECT{strip.left, strip.bottom - side, strip.right, strip.bottom};
    DrawCloseButton(canvas, button, captionInfo.CloseButtonState, false);
    (horizontal ? text.right : text.bottom) -= side;
  }
  InflateRect(&text, -2, 0);
  DrawSmallCaptionText(canvas, text, captionInfo.Caption, clBtnText,
                       DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX, !horizontal);
}

void TStyledDefaultTheme::PaintFloatingFrame(TCanvas* canvas, const RECT& rect,
                                             const TStyledWindowPaintInfo& windowInfo) {
  HDC dc = canvas->Handle();
  const POINT border = windowInfo.FloatingBorderSize;
  const int captionHeight = windowInfo.ShowCaption ? GetSystemMetrics(SM_CYSMCAPTION) : 0;
  const RECT client{border.x, border.y + captionHeight, border.x + windowInfo.ClientWidth,
                    border.y + captionHeight + windowInfo.ClientHeight};
  const bool closeShown = windowInfo.ShowCaption && (windowInfo.CloseButtonState & cbsShown);
  const bool pushed = (windowInfo.CloseButtonState & cbsPushed) != 0;
  const bool hot = (windowInfo.CloseButtonState & cbsHot) != 0;
  RECT caption{};
  GetFloatingCaptionRect(windowInfo, true, false, caption);
  RECT close{};
  GetFloatingCloseButtonRect(windowInfo, true, close);
  const TThemeData* window = Styled(TThemeStyle::tsWindow);
  const int frameState = windowInfo.Active ? 1 : 2;

  if (windowInfo.RedrawPart & rpBorder) {
    TSavedDC saved(dc);
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    if (window) {
      if (windowInfo.ShowCaption) ExcludeClipRect(dc, caption.left, caption.top, caption.right, caption.bottom);
      window->DrawBackground(dc, WP_SMALLFRAMELEFT, frameState, RECT{rect.left, rect.top, client.left, rect.bottom});
      window->DrawBackground(dc, WP_SMALLFRAMERIGHT, frameState, RECT{client.right, rect.top, rect.right, rect.bottom});
      window->DrawBackground(dc, WP_SMALLFRAMEBOTTOM, frameState,
                             RECT{rect.left, client.bottom, rect.right, rect.bottom});
      window->DrawBackground(dc, WP_SMALLCAPTION, frameState, RECT{rect.left, rect.top, rect.right, client.top});
    } else {
      Edge(canvas, rect, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
  }
  if ((windowInfo.RedrawPart & rpCaption) && windowInfo.ShowCaption) {
    TSavedDC saved(dc);
    if (closeShown) ExcludeClipRect(dc, close.left, close.top, close.right, close.bottom);
    if (window) {
      window->DrawBackground(dc, WP_SMALLCAPTION, frameState, caption);
      RECT text = caption;
      if (closeShown) text.right = close.left;
      InflateRect(&text, -2, 0);
      DrawSmallCaptionText(canvas, text, windowInfo.Caption, windowInfo.Active ? clCaptionText : clInactiveCaptionText,
                           DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_HIDEPREFIX, false);
    } else {
      BOOL gradient = FALSE;
      SystemParametersInfoW(SPI_GETGRADIENTCAPTIONS, 0, &gradient, 0);
      UINT flags = DC_SMALLCAP | DC_TEXT | (windowInfo.Active ? DC_ACTIVE : 0) | (gradient ? DC_GRADIENT : 0);
      DrawCaption(windowInfo.ParentHandle, dc, &caption, flags);
      DrawLineEx(canvas, caption.left, caption.bottom, caption.right, caption.bottom, clBtnFace);
    }
  }
  if ((windowInfo.RedrawPart & rpCloseButton) && closeShown) {
    RECT button = close;
    InflateRect(&button, -2, -2);
    if (window) {
      // The caption left the button's whole square out: its ring around the smaller button is caption too.
      window->DrawBackground(dc, WP_SMALLCAPTION, frameState, caption, &close);
      window->DrawBackground(dc, WP_SMALLCLOSEBUTTON, PushHotState(pushed, hot), button);
    } else {
      BOOL gradient = FALSE;
      SystemParametersInfoW(SPI_GETGRADIENTCAPTIONS, 0, &gradient, 0);
      const TColor behind = windowInfo.Active ? (gradient ? clGradientActiveCaption : clActiveCaption)
                                              : (gradient ? clGradientInactiveCaption : clInactiveCaption);
      FillRectEx(canvas, close, behind);
      DrawFrameControl(dc, &button, DFC_CAPTION, DFCS_CAPTIONCLOSE | (pushed ? DFCS_PUSHED : 0));
    }
  }
}

void TStyledDefaultTheme::PaintScrollButton(TCanvas* canvas, const RECT& rect, int buttonType, bool flat) {
  if (buttonType < sbUp || buttonType > sbRight) return;
  if (const TThemeData* toolbar = Styled(TThemeStyle::tsToolbar)) {
    toolbar->DrawBackground(canvas->Handle(), TP_BUTTON, flat ? TS_PRESSED : TS_HOT, rect);
    constexpr std::array<TArrowDirection, 4> kDirections{TArrowDirection::adUp, TArrowDirection::adDown,
                                                         TArrowDirection::adLeft, TArrowDirection::adRight};
    const int size = std::min(rect.right - rect.left, rect.bottom - rect.top) * 3 / 4;
    DrawArrow(canvas, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2, size,
              kDirections[static_cast<size_t>(buttonType - 1)], clBtnText);
    return;
  }
  constexpr std::array<UINT, 4> kKinds{DFCS_SCROLLUP, DFCS_SCROLLDOWN, DFCS_SCROLLLEFT, DFCS_SCROLLRIGHT};
  RECT button = rect;
  DrawFrameControl(canvas->Handle(), &button, DFC_SCROLL,
                   kKinds[static_cast<size_t>(buttonType - 1)] | (flat ? DFCS_FLAT : 0));
}

void TStyledDefaultTheme::PaintPopupFrame(TCanvas* canvas, const RECT& rect, const TStyledPopupPaintInfo& popupInfo) {
  RECT frame = rect;
  const bool toolBox = IsViewType(popupInfo.ViewType, vtToolBoxPopup);
  if (IsViewType(popupInfo.ViewType, vtListPopup)) {
    FrameRectEx(canvas, frame, clWindowFrame, true);
    FrameRectEx(canvas, frame, clWindow, true);
    FrameRectEx(canvas, frame, clWindow, false);
  } else if (FlatMenus && !toolBox) {
    FrameRectEx(canvas, frame, clBtnShadow, true);
    FrameRectEx(canvas, frame, MenuBackColor, true);
    FrameRectEx(canvas, frame, MenuBackColor, false);
  } else {
    EdgeAdjust(canvas, frame, EDGE_RAISED, BF_RECT);
    FrameRectEx(canvas, frame, toolBox ? faceColor_ : MenuBackColor, false);
  }
}

void TStyledDefaultTheme::PaintToolbarFrame(TCanvas* canvas, const RECT& rect,
                                            const TStyledToolbarPaintInfo& toolbarInfo) {
  HDC dc = canvas->Handle();
  canvas->FillRect(rect);
  const TThemeData* toolbarStyle = Styled(TThemeStyle::tsToolbar);
  if (toolbarInfo.BorderStyle == 1 &&
      !(toolbarStyle && toolbarStyle->DrawEdge(dc, 0, 0, rect, BDR_RAISEDINNER, BF_RECT)))
    Edge(canvas, rect, BDR_RAISEDINNER, BF_RECT);
  if (!toolbarInfo.AllowDrag) return;
  const int size = GetDragHandleSize(toolbarInfo);
  const bool vertical = toolbarInfo.IsVertical;
  const bool closeShown = (toolbarInfo.CloseButtonState & cbsShown) != 0;
  const POINT border = toolbarInfo.BorderSize;
  // The handle band, across: from its near edge; along: from its start to its end.
  const RECT band =
      vertical ? RECT{rect.left + border.x, rect.top + border.y, rect.right - border.x, rect.top + border.y + size}
               : RECT{rect.left + border.x, rect.top + border.y, rect.left + border.x + size, rect.bottom - border.y};
  const RECT closeRect = GetToolbarCloseButtonRect(toolbarInfo);
  int alongStart = vertical ? band.left : band.top;
  const int alongEnd = vertical ? band.right : band.bottom;
  if (closeShown) alongStart = (vertical ? closeRect.right : closeRect.bottom);
  const int acrossStart = vertical ? band.top : band.left;
  const auto across = [&](int from, int to, int alongFrom, int alongTo) {
    return vertical ? RECT{alongFrom, from, alongTo, to} : RECT{from, alongFrom, to, alongTo};
  };
  if (toolbarInfo.DragHandleStyle != dhNone) {
    if (const TThemeData* rebar = Styled(TThemeStyle::tsRebar)) {
      const int offset = (size - kStyledGripBand) / 2;
      rebar->DrawBackground(
          dc, vertical ? RP_GRIPPERVERT : RP_GRIPPER, 0,
          across(acrossStart + offset, acrossStart + offset + kStyledGripBand, alongStart + 2, alongEnd - 2));
    } else {
      const bool doubleBar = toolbarInfo.DragHandleStyle == dhDouble;
      int inset = kGripInset;
      if (closeShown) inset = doubleBar ? kGripInsetDoubleWithClose : kGripInsetSingleWithClose;
      for (int bar = 0; bar < (doubleBar ? 2 : 1); ++bar) {
        const int from = acrossStart + inset + bar * kGripBar;
        Edge(canvas, across(from, from + kGripBar, alongStart + 2, alongEnd - 2), BDR_RAISEDINNER, BF_RECT);
      }
    }
  }
  if (closeShown) {
    RECT button = closeRect;
    const int inset = toolbarStyle ? 1 : 2;
    InflateRect(&button, -inset, -inset);
    DrawCloseButton(canvas, button, toolbarInfo.CloseButtonState, true);
  }
}

void TStyledDefaultTheme::PaintStatusBarPart(TCanvas* canvas, const RECT& rect, int part) {
  HDC dc = canvas->Handle();
  const TThemeData* status = Styled(TThemeStyle::tsStatus);
  switch (part) {
    case spBackground:
      if (!(status && status->DrawBackground(dc, 0, 0, rect))) FillRectEx(canvas, rect, clBtnFace);
      return;
    case spPane:
    case spLastPane: {
      if (status && status->DrawBackground(dc, part == spPane ? SP_PANE : SP_GRIPPERPANE, 0, rect)) return;
      RECT pane = rect;
      if (part == spPane) pane.right -= 2;
      DrawFrame3D(canvas, pane, clBtnShadow, clBtnHighlight);
      return;
    }
    case spSizeGrip: {
      if (status && status->DrawBackground(dc, SP_GRIPPER, 0, rect)) return;
      const int size = std::min(rect.right - rect.left, rect.bottom - rect.top);
      constexpr std::array<TColor, 4> kLines{clBtnFace, clBtnHighlight, clBtnShadow, clBtnShadow};
      for (size_t group = 0; group < kSizeGripThresholds.size(); ++group) {
        if (size < kSizeGripThresholds[group]) break;
        for (size_t line = 0; line < kLines.size(); ++line) {
          const int d = static_cast<int>(group * kLines.size() + line) + 1;
          DrawLineEx(canvas, rect.right - d, rect.bottom - 1, rect.right, rect.bottom - 1 - d, kLines[line]);
        }
      }
      return;
    }
    default:
      return;
  }
}

}  // namespace toolbars

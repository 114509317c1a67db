#include "toolbars/styled/styled_bar_frame.h"

#include "toolbars/common/bar_common.h"
#include "toolbars/docks/floating_window_parent.h"
#include "toolbars/styled/current_theme.h"
#include "toolbars/styled/dc_canvas.h"
#include "toolbars/styled/styled_floating_window_parent.h"
#include "toolbars/styled/view_queries.h"
#include "toolbars/theme/draw_utils.h"

namespace toolbars {

namespace {

// BooleanMetric 6: the docked frame's background takes the window's own colour, not its parent's.
constexpr int kFrameTakesOwnColor = 6;

constexpr UINT kFrameChanged = SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;

}  // namespace

int DockableViewType(const TBarCustomDockableWindow& window, int family) {
  int viewType = family;
  if (window.Floating()) {
    viewType |= vtFloating;
    if (window.Resizable()) viewType |= vtResizable;
  }
  return viewType;
}

TColor ParentEffectiveColor(const TBarCustomDockableWindow& window) { return GetEffectiveColor(window.Parent()); }

bool ShowsDockPicture(const TBarCustomDockableWindow& window) {
  const TBarDock* dock = window.Docked() ? window.CurrentDock() : nullptr;
  return dock && dock->Background() && dock->Background()->UsingBackground() && dock->BackgroundOnToolbars();
}

void FillToolbarPaintInfo(TBarCustomDockableWindow& window, int viewType, TCloseButtonStates closeStates,
                          TStyledToolbarPaintInfo& info) {
  info = TStyledToolbarPaintInfo{};
  const TBarDock* dock = window.CurrentDock();
  info.WindowHandle = window.HandleAllocated() ? window.Handle() : nullptr;
  info.ViewType = viewType;
  info.IsVertical = dock && dock->IsVertical();
  info.AllowDrag = dock && dock->AllowDrag();
  info.DragHandleStyle = static_cast<int32_t>(window.DragHandleStyle());
  info.ClientWidth = window.ClientWidth();
  info.ClientHeight = window.ClientHeight();
  info.BorderStyle = window.BorderStyle() == TBorderStyle::bsSingle ? 1 : 0;
  if (info.AllowDrag && window.CloseButtonWhenDocked()) {
    info.CloseButtonState = cbsShown;
    if (closeStates == TCloseButtonStates::csIndependent) {
      if (window.CloseButtonDown()) info.CloseButtonState |= cbsPushed;
      if (window.CloseButtonHover()) info.CloseButtonState |= cbsHot;
    } else if (window.CloseButtonDown()) {
      info.CloseButtonState |= cbsPushed;
    } else if (window.CloseButtonHover()) {
      info.CloseButtonState |= cbsHot;
    }
  }
}

void PaintStyledDockedFrame(TStyledTheme* theme, TBarCustomDockableWindow& window, bool drawToDC, HDC dc, HRGN clip,
                            int viewType, TColor effectiveColor, TCloseButtonStates closeStates) {
  HWND wnd = window.Handle();
  TStyledToolbarPaintInfo info{};
  FillToolbarPaintInfo(window, viewType, closeStates, info);
  theme->ViewBorderSize(viewType, info.BorderSize);
  if (!drawToDC) {
    dc = GetWindowDC(wnd);
    SelectNCUpdateRgn(wnd, dc, clip);
  }
  const int saved = SaveDC(dc);
  RECT rect{};
  GetWindowRect(wnd, &rect);
  RECT client{};
  GetClientRect(wnd, &client);
  MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  OffsetRect(&client, -rect.left, -rect.top);
  OffsetRect(&rect, -rect.left, -rect.top);
  // The frame never paints over the client area, whose content is already there.
  if (!drawToDC) ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  {
    TDCCanvas canvas(dc);
    const TColor background = theme->BooleanMetric(kFrameTakesOwnColor) ? effectiveColor : ParentEffectiveColor(window);
    FillRectEx(canvas.Get(), rect, background);
    // Frame painters fill and draw their bands with the brush they are given.
    canvas.Get()->Brush()->SetColor(background);
    theme->PaintToolbarFrame(canvas.Get(), rect, info);
  }
  RestoreDC(dc, saved);
  if (!drawToDC) ReleaseDC(wnd, dc);
}

bool PaintStyledNonClient(TBarCustomDockableWindow& window, bool drawToDC, HDC dc, HRGN clip, int viewType,
                          TColor effectiveColor, TCloseButtonStates closeStates) {
  TStyledTheme* theme = CurrentTheme();
  if (!theme || !window.Docked() || !window.HandleAllocated()) return false;
  PaintStyledDockedFrame(theme, window, drawToDC, dc, clip, viewType, effectiveColor, closeStates);
  return true;
}

bool StyledFloatingBorderSize(int viewType, SIZE& size) {
  TStyledTheme* theme = CurrentTheme();
  if (!theme) return false;
  POINT border{};
  theme->ViewBorderSize(viewType | vtFloating, border);
  size = SIZE{border.x, border.y};
  return true;
}

int ApplySnapDistance(TBarCustomDockableWindow& window, int distance) {
  const int stored = distance < 0 ? 0 : distance;
  if (auto* floatParent = ObjectAs<TStyledFloatingWindowParent>(window.FloatParent()))
    floatParent->SetSnapDistance(stored);
  return stored;
}

void PaintStyledClientBackground(TStyledTheme* theme, TBarCustomDockableWindow& window, HDC dc, int viewType,
                                 TColor effectiveColor) {
  const RECT client = window.ClientRect();
  RECT viewRect = client;
  if (TBarDock* dock = window.CurrentDock(); dock && window.Docked() && dock->HandleAllocated()) {
    // The dock's whole client area in the window's coordinates, so backgrounds of neighbours line up.
    viewRect = dock->ClientRect();
    MapWindowPoints(dock->Handle(), window.Handle(), reinterpret_cast<POINT*>(&viewRect), 2);
  }
  TDCCanvas canvas(dc);
  theme->PaintViewBackground(canvas.Get(), viewRect, client, client, effectiveColor, false, viewType);
}

TRaised ResetStyledFrame(TBarCustomDockableWindow& window) {
  if (!window.HandleAllocated()) return TRaised(true);
  const TLifeWatch life = window.LifeWatch();
  TBarFloatingWindowParent* floatParent = window.Floating() ? window.FloatParent() : nullptr;
  if (floatParent && floatParent->HandleAllocated()) {
    // The new frame is measured first; the window inside then keeps its size.
    const int width = window.Width();
    const int height = window.Height();
    SetWindowPos(floatParent->Handle(), nullptr, 0, 0, 0, 0, kFrameChanged);
    if (AnswerFor(life, floatParent->SetClientWidth(width)).Gone() ||
        AnswerFor(life, floatParent->SetClientHeight(height)).Gone())
      return TRaised(false);
  } else if (!window.Docked()) {
    // A docked frame keeps the dock's sizes: only its paint changes.
    SetWindowPos(window.Handle(), nullptr, 0, 0, 0, 0, kFrameChanged);
  }
  if (window.Arrange().Gone()) return TRaised(false);
  window.Invalidate();
  RedrawWindow(window.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  return TRaised(true);
}

}  // namespace toolbars

#include "toolbars/styled/styled_floating_window_parent.h"

#include <cstdlib>

#include "framework/messages.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/docks/dockable_window.h"
#include "toolbars/styled/current_theme.h"
#include "toolbars/styled/dc_canvas.h"
#include "toolbars/styled/view_queries.h"

namespace toolbars {

void TStyledFloatingWindowParent::DrawNCArea(bool drawToDC, HDC dc, HRGN clip, int what) {
  TStyledTheme* theme = CurrentTheme();
  TBarCustomDockableWindow* window = DockableWindow();
  if (!theme || !window || !HandleAllocated()) {
    TBarFloatingWindowParent::DrawNCArea(drawToDC, dc, clip, what);
    return;
  }
  HWND wnd = WindowHandle();
  const String caption = Caption();
  TStyledWindowPaintInfo info{};
  info.ParentHandle = wnd;
  info.WindowHandle = window->HandleAllocated() ? window->Handle() : nullptr;
  info.ViewType = GetViewTypeOf(window);
  info.ClientWidth = ClientWidth();
  info.ClientHeight = ClientHeight();
  info.ShowCaption = window->ShowCaption();
  const SIZE border = window->FloatingBorderSize();
  info.FloatingBorderSize = POINT{border.cx, border.cy};
  if (window->CloseButton() && window->ShowCaption()) {
    info.CloseButtonState = cbsShown;
    if (CloseButtonDown())
      info.CloseButtonState |= cbsPushed;
    else if (closeButtonHover_)
      info.CloseButtonState |= cbsHot;
  }
  info.RedrawPart = what;
  info.Caption = caption.c_str();
  info.Active = !window->InactiveCaption();

  if (!drawToDC) {
    dc = GetWindowDC(wnd);
    SelectNCUpdateRgn(wnd, dc, clip);
  }
  const int saved = SaveDC(dc);
  RECT rect{};
  GetWindowRect(wnd, &rect);
  OffsetRect(&rect, -rect.left, -rect.top);
  {
    TDCCanvas canvas(dc);
    canvas.Get()->Brush()->SetColor(GetEffectiveColor(window));
    theme->PaintFloatingFrame(canvas.Get(), rect, info);
  }
  RestoreDC(dc, saved);
  if (!drawToDC) ReleaseDC(wnd, dc);
}

void TStyledFloatingWindowParent::SetCloseButtonHover(bool value) {
  if (closeButtonHover_ == value) return;
  closeButtonHover_ = value;
  RedrawNCArea(kFloatingFrameCloseButton);
}

void TStyledFloatingWindowParent::WMNCMouseMove(TMessage& message) {
  TBarFloatingWindowParent::Dispatch(message);
  TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE | TME_NONCLIENT, WindowHandle(), 0};
  TrackMouseEvent(&track);
  SetCloseButtonHover(message.WParam == static_cast<WPARAM>(HT_BAR_CLOSE));
}

void TStyledFloatingWindowParent::WMWindowPosChanging(TMessage& message) {
  TBarFloatingWindowParent::Dispatch(message);
  auto* pos = reinterpret_cast<WINDOWPOS*>(message.LParam);
  if (snapDistance_ <= 0 || (pos->flags & SWP_NOMOVE)) return;
  const bool sameSize = (pos->flags & SWP_NOSIZE) || (pos->cx == Width() && pos->cy == Height());
  if (!sameSize) return;
  const int width = Width();
  const int height = Height();
  const RECT target{pos->x, pos->y, pos->x + width, pos->y + height};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(MonitorFromRect(&target, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  if (std::abs(target.right - work.right) < snapDistance_) pos->x = work.right - width;
  if (std::abs(target.bottom - work.bottom) < snapDistance_) pos->y = work.bottom - height;
  if (std::abs(pos->x - work.left) < snapDistance_) pos->x = work.left;
  if (std::abs(pos->y - work.top) < snapDistance_) pos->y = work.top;
}

void TStyledFloatingWindowParent::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_NCMOUSEMOVE:
      WMNCMouseMove(message);
      return;
    case WM_NCMOUSELEAVE:
      if (GetCapture() != WindowHandle()) SetCloseButtonHover(false);
      break;
    case CM_MOUSELEAVE:
      SetCloseButtonHover(false);
      break;
    case WM_ERASEBKGND:
      message.Result = 1;
      return;
    case WM_WINDOWPOSCHANGING:
      WMWindowPosChanging(message);
      return;
    default:
      break;
  }
  TBarFloatingWindowParent::Dispatch(message);
}

}  // namespace toolbars

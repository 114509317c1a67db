#include "toolbars/docks/floating_window_parent.h"

#include "framework/application.h"
#include "framework/messages.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/docks/capture_loop.h"
#include "toolbars/docks/dockable_window.h"

namespace toolbars {

namespace {

int SmallCaptionSide() { return GetSystemMetrics(SM_CYSMCAPTION) - 1; }

// Activation goes to another visible, enabled top-level window of the thread: the first that is not topmost,
// else the first topmost one.
struct TActivationSearch {
  HWND Self;
  HWND NotTopmost = nullptr;
  HWND Topmost = nullptr;
};

BOOL CALLBACK FindWindowToActivate(HWND wnd, LPARAM data) {
  auto* search = reinterpret_cast<TActivationSearch*>(data);
  if (wnd == search->Self || (Application && wnd == Application->Handle())) return TRUE;
  if (!IsWindowVisible(wnd) || !IsWindowEnabled(wnd)) return TRUE;
  bool topmost = (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  HWND& slot = topmost ? search->Topmost : search->NotTopmost;
  if (!slot) slot = wnd;
  return TRUE;
}

}  // namespace

void ActivateOtherThreadWindow(HWND self) {
  TActivationSearch search{self};
  EnumThreadWindows(GetCurrentThreadId(), &FindWindowToActivate, reinterpret_cast<LPARAM>(&search));
  if (HWND target = search.NotTopmost ? search.NotTopmost : search.Topmost) SetActiveWindow(target);
}

TBarFloatingWindowParent::TBarFloatingWindowParent(TComponent* owner) : TCustomForm(owner) {
  SetBorderStyle(TFormBorderStyle::bsNone);
}

void TBarFloatingWindowParent::CreateParams(TCreateParams& params) {
  TCustomForm::CreateParams(params);
  bool resizable = dockableWindow_ && dockableWindow_->Resizable();
  if (IsDesigning()) {
    params.Style |= WS_BORDER;
  } else {
    params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
    params.Style = WS_POPUP | WS_BORDER;
  }
  if (resizable) params.Style |= WS_THICKFRAME;
  params.ExStyle = WS_EX_TOOLWINDOW;
  if (IsWindowsXP()) params.WindowClass.style |= CS_DROPSHADOW;
}

TRaised TBarFloatingWindowParent::AlignControls(TControl*, RECT&) { return TRaised(true); }

TCustomForm* TBarFloatingWindowParent::OwningForm() const {
  if (parentForm_ && parentForm_->FormStyle() == TFormStyle::fsMDIChild && Application && Application->MainForm())
    return Application->MainForm();
  return parentForm_;
}

void TBarFloatingWindowParent::SetCloseButtonDown(bool value) {
  if (closeButtonDown_ == value) return;
  closeButtonDown_ = value;
  RedrawNCArea(kFloatingFrameCloseButton);
}

RECT TBarFloatingWindowParent::CaptionRect(bool adjustForBorder, bool minusCloseButton) const {
  int side = SmallCaptionSide();
  RECT rect{0, 0, ClientWidth(), side};
  if (minusCloseButton) rect.right -= side;
  if (adjustForBorder && dockableWindow_) {
    SIZE border = dockableWindow_->FloatingBorderSize();
    OffsetRect(&rect, border.cx, border.cy);
  }
  return rect;
}

RECT TBarFloatingWindowParent::CloseButtonRect(bool adjustForBorder) const {
  RECT rect = CaptionRect(adjustForBorder, false);
  rect.left = rect.right - SmallCaptionSide();
  return rect;
}

void TBarFloatingWindowParent::RedrawNCArea(int what) {
  if (!HandleAllocated() || !IsWindowVisible(WindowHandle())) return;
  DrawNCArea(false, nullptr, nullptr, what);
}

void TBarFloatingWindowParent::PrintNCArea(HWND, HDC dc, void* data) {
  static_cast<TBarFloatingWindowParent*>(data)->DrawNCArea(true, dc, nullptr, kFloatingFrameAll);
}

void TBarFloatingWindowParent::DrawNCArea(bool drawToDC, HDC dc, HRGN clip, int what) {
  if (!dockableWindow_ || !HandleAllocated()) return;
  HWND wnd = WindowHandle();
  if (!drawToDC) {
    dc = GetWindowDC(wnd);
    SelectNCUpdateRgn(wnd, dc, clip);
  }
  int saved = SaveDC(dc);
  RECT window{};
  GetWindowRect(wnd, &window);
  OffsetRect(&window, -window.left, -window.top);
  IntersectClipRect(dc, window.left, window.top, window.right, window.bottom);
  SIZE border = dockableWindow_->FloatingBorderSize();
  if (what & kFloatingFrameBorder) {
    RECT edge = window;
    DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
    int ringSaved = SaveDC(dc);
    RECT inner = window;
    InflateRect(&inner, -border.cx, -border.cy);
    ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    RECT ring = window;
    InflateRect(&ring, -2, -2);
    FillRect(dc, &ring, GetSysColorBrush(COLOR_BTNFACE));
    RestoreDC(dc, ringSaved);
  }
  bool closeButton = dockableWindow_->CloseButton();
  if (dockableWindow_->ShowCaption()) {
    RECT caption = CaptionRect(true, false);
    RECT close = CloseButtonRect(true);
    bool active = !dockableWindow_->InactiveCaption();
    BOOL gradient = FALSE;
    SystemParametersInfoW(SPI_GETGRADIENTCAPTIONS, 0, &gradient, 0);
    if (what & kFloatingFrameCaption) {
      int captionSaved = SaveDC(dc);
      if ((what & kFloatingFrameCloseButton) && closeButton)
        ExcludeClipRect(dc, close.left, close.top, close.right, close.bottom);
      RECT text = CaptionRect(true, closeButton);
      UINT flags = DC_SMALLCAP | DC_TEXT | (active ? DC_ACTIVE : 0) | (gradient ? DC_GRADIENT : 0);
      DrawCaption(wnd, dc, &text, flags);
      RestoreDC(dc, captionSaved);
      RECT line{caption.left, caption.bottom, caption.right, caption.bottom + 1};
      FillRect(dc, &line, GetSysColorBrush(COLOR_BTNFACE));
    }
    if (closeButton) {
      RECT button{close.left, close.top + 2, close.right - 2, close.bottom - 2};
      if (what & kFloatingFrameCaption) {
        int colour = gradient ? (active ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION)
                              : (active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
        int aroundSaved = SaveDC(dc);
        ExcludeClipRect(dc, button.left, button.top, button.right, button.bottom);
        FillRect(dc, &close, GetSysColorBrush(colour));
        RestoreDC(dc, aroundSaved);
      }
      if (what & kFloatingFrameCloseButton)
        DrawFrameControl(dc, &button, DFC_CAPTION, DFCS_CAPTIONCLOSE | (closeButtonDown_ ? DFCS_PUSHED : 0));
    }
  }
  RestoreDC(dc, saved);
  if (!drawToDC) ReleaseDC(wnd, dc);
}

void TBarFloatingWindowParent::WMNCHitTest(TMessage& message) {
  TCustomForm::Dispatch(message);
  if (message.Result == HTCLIENT || !dockableWindow_) return;
  RECT window{};
  GetWindowRect(WindowHandle(), &window);
  POINT cursor = MessagePoint(message.LParam);
  POINT p{cursor.x - window.left, cursor.y - window.top};
  int w = window.right - window.left;
  int h = window.bottom - window.top;
  SIZE border = dockableWindow_->FloatingBorderSize();
  if (dockableWindow_->ShowCaption()) {
    RECT caption = CaptionRect(true, false);
    if (PtInRect(&caption, p)) {
      RECT close = CloseButtonRect(true);
      message.Result = !dockableWindow_->CloseButton() || !PtInRect(&close, p) ? HT_BAR_CAPTION : HT_BAR_CLOSE;
      return;
    }
  }
  LRESULT code = HTNOWHERE;
  if (dockableWindow_->Resizable()) {
    int bx = border.cx;
    int by = border.cy;
    if (dockableWindow_->FloatingWindowOptions().Contains(TBarFloatingWindowOption::fwoDiagonalSizing)) {
      int k = SmallCaptionSide() + bx;
      if (p.x >= 0 && p.x < bx)
        code = p.y < k ? HTTOPLEFT : p.y >= h - k ? HTBOTTOMLEFT : HTLEFT;
      else if (p.x >= w - bx - 1 && p.x < w)
        code = p.y < k ? HTTOPRIGHT : p.y >= h - k ? HTBOTTOMRIGHT : HTRIGHT;
      else if (p.y >= 0 && p.y < by)
        code = p.x < k ? HTTOPLEFT : p.x >= w - k ? HTTOPRIGHT : HTTOP;
      else if (p.y >= h - by - 1 && p.y < h)
        code = p.x < k ? HTBOTTOMLEFT : p.x >= w - k ? HTBOTTOMRIGHT : HTBOTTOM;
    } else if (p.y >= 0 && p.y < by) {
      code = HTTOP;
    } else if (p.y >= h - by - 1 && p.y < h) {
      code = HTBOTTOM;
    } else if (p.x >= 0 && p.x < bx) {
      code = HTLEFT;
    } else if (p.x >= w - bx - 1 && p.x < w) {
      code = HTRIGHT;
    }
  }
  message.Result = code;
}

void TBarFloatingWindowParent::WMActivate(TMessage& message) {
  if (IsDesigning()) {
    TCustomForm::Dispatch(message);
    return;
  }
  bool activating = LOWORD(message.WParam) != WA_INACTIVE;
  TCustomForm* owning = OwningForm();
  HWND owningWnd = owning && owning->HandleAllocated() ? owning->Handle() : nullptr;
  if (owningWnd) SendMessageW(owningWnd, WM_NCACTIVATE, activating, 0);
  if (!activating) return;
  if (!IsWindowVisible(WindowHandle()))
    ActivateOtherThreadWindow(WindowHandle());
  else if (owningWnd && owningWnd != reinterpret_cast<HWND>(message.LParam))
    SetActiveWindow(owningWnd);
}

void TBarFloatingWindowParent::WMMouseActivate(TMessage& message) {
  if (IsDesigning()) {
    TCustomForm::Dispatch(message);
    return;
  }
  message.Result = MA_NOACTIVATE;
  SetWindowPos(WindowHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (!dockableWindow_ || dockableWindow_->FloatingMode() != TBarFloatingMode::fmOnTopOfParentForm ||
      !dockableWindow_->ActivateParent())
    return;
  TCustomForm* owning = OwningForm();
  if (!owning || !owning->HandleAllocated() || GetActiveWindow() == owning->Handle()) return;
  SetActiveWindow(owning->Handle());
  if (parentForm_ && parentForm_ != owning && parentForm_->HandleAllocated()) BringWindowToTop(parentForm_->Handle());
}

void TBarFloatingWindowParent::WMNCLButtonDown(TMessage& message) {
  LRESULT code = static_cast<LRESULT>(message.WParam);
  if (!dockableWindow_) {
    TCustomForm::Dispatch(message);
  } else if (code >= HTLEFT && code <= HTBOTTOMRIGHT && dockableWindow_->Resizable()) {
    if (dockableWindow_->BeginSizing(static_cast<int>(code)).Gone()) return;
  } else if (code == HT_BAR_CLOSE) {
    // The loop runs timers and other code that may free the window while the button is held.
    TBarCustomDockableWindow* window = dockableWindow_;
    const TLifeWatch life = window->LifeWatch();
    bool released = RunButtonPressLoop(
        WindowHandle(),
        [this](POINT cursor) {
          RECT window{};
          GetWindowRect(WindowHandle(), &window);
          RECT close = CloseButtonRect(true);
          POINT p{cursor.x - window.left, cursor.y - window.top};
          return PtInRect(&close, p) != FALSE;
        },
        [this](bool pushed) { SetCloseButtonDown(pushed); });
    if (released && !life.Ended() && window->Close().Gone()) return;
  } else if (code == HT_BAR_CAPTION) {
    POINT client = dockableWindow_->ScreenToClient(MessagePoint(message.LParam));
    if (dockableWindow_->BeginMoving(client.x, client.y).Gone()) return;
  } else {
    TCustomForm::Dispatch(message);
  }
}

void TBarFloatingWindowParent::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
      info->ptMinTrackSize = POINT{1, 1};
      info->ptMaxTrackSize = POINT{32767, 32767};
      return;
    }
    case WM_NCCALCSIZE: {
      if (!dockableWindow_) break;
      auto* rect = reinterpret_cast<RECT*>(message.LParam);
      POINT topLeft{}, bottomRight{};
      dockableWindow_->GetFloatingNCArea(topLeft, bottomRight);
      rect->left += topLeft.x;
      rect->top += topLeft.y;
      rect->right -= bottomRight.x;
      rect->bottom -= bottomRight.y;
      message.Result = 0;
      return;
    }
    case CM_SHOWINGCHANGED: {
      UINT flags = SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER;
      flags |= Showing() && shouldBeVisible_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
      SetWindowPos(WindowHandle(), nullptr, 0, 0, 0, 0, flags);
      return;
    }
    case CM_DIALOGKEY:
      if (message.WParam == VK_ESCAPE &&
          (GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) && parentForm_) {
        message.Result = 1;
        if (parentForm_->CanFocus() && parentForm_->SetFocus().Gone()) return;
        return;
      }
      break;
    case CM_TEXTCHANGED:
      TCustomForm::Dispatch(message);
      RedrawNCArea(kFloatingFrameCaption);
      return;
    case WM_CLOSE:
      if (TCustomForm* owning = OwningForm(); owning && owning->HandleAllocated())
        SendMessageW(owning->Handle(), WM_CLOSE, 0, 0);
      return;
    case WM_SYSCOMMAND:
      // Alt and a letter typed in a control of the floating window are the owning form's keyboard menu command, as
      // while the window is docked: its menu bars answer them.
      if ((message.WParam & 0xFFF0) == SC_KEYMENU) {
        if (TCustomForm* owning = OwningForm()) {
          message.Result = owning->Perform(WM_SYSCOMMAND, message.WParam, message.LParam);
          return;
        }
      }
      break;
    case WM_ACTIVATE:
      WMActivate(message);
      return;
    case WM_MOUSEACTIVATE:
      WMMouseActivate(message);
      return;
    case WM_MOVE:
      TCustomForm::Dispatch(message);
      if (dockableWindow_ && dockableWindow_->RaiseEvent(dockableWindow_->OnMove, dockableWindow_).Gone()) return;
      return;
    case WM_NCPAINT:
      DrawNCArea(false, nullptr, reinterpret_cast<HRGN>(message.WParam), kFloatingFrameAll);
      return;
    case WM_PRINT:
      HandleWMPrint(WindowHandle(), message, &PrintNCArea, this);
      return;
    case WM_PRINTCLIENT:
      HandleWMPrintClient(this, message);
      return;
    case WM_NCHITTEST:
      WMNCHitTest(message);
      return;
    case WM_NCLBUTTONDOWN:
      WMNCLButtonDown(message);
      return;
    case WM_NCLBUTTONDBLCLK:
      if (message.WParam == HT_BAR_CAPTION && dockableWindow_) {
        if (dockableWindow_->DoubleClick().Gone()) return;
        return;
      }
      break;
    case WM_NCRBUTTONUP:
      if (dockableWindow_ && dockableWindow_->HandleAllocated()) {
        POINT cursor{};
        GetCursorPos(&cursor);
        SendMessageW(dockableWindow_->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(dockableWindow_->Handle()),
                     PointToLParam(cursor));
        return;
      }
      break;
  }
  TCustomForm::Dispatch(message);
}

}  // namespace toolbars

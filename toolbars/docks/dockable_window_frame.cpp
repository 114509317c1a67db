// The docked frame of a dockable window: its size, painting, hit testing and the mouse on it.
#include <algorithm>

#include "framework/menus.h"
#include "framework/messages.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/docks/capture_loop.h"
#include "toolbars/docks/dockable_window.h"
#include "toolbars/docks/floating_window_parent.h"

namespace toolbars {

namespace {

constexpr DWORD kNCLeaveFlags = TME_LEAVE | TME_NONCLIENT;

// The 8 x 8 cross of the docked close button, one byte a row, high bit leftmost.
constexpr BYTE kCloseGlyph[8] = {0x00, 0xCC, 0x78, 0x30, 0x78, 0xCC, 0x00, 0x00};

void DrawCloseGlyph(HDC dc, int left, int top, COLORREF color) {
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      if (kCloseGlyph[y] & (0x80 >> x)) SetPixel(dc, left + x, top + y, color);
}

// How far the first grip column sits from the handle's start, by close button and handle style.
int GripOffset(bool closeButton, TBarDragHandleStyle style) {
  switch (style) {
    case TBarDragHandleStyle::dhDouble:
      return closeButton ? 3 : 2;
    case TBarDragHandleStyle::dhNone:
      return 0;
    case TBarDragHandleStyle::dhSingle:
      return closeButton ? 5 : 1;
  }
  return 0;
}

RECT Turned(bool vertical, int across0, int along0, int across1, int along1) {
  return vertical ? RECT{along0, across0, along1, across1} : RECT{across0, along0, across1, along1};
}

}  // namespace

bool TBarCustomDockableWindow::UsingDockBackground() const {
  // A dock being freed is no dock any more (its own parts are gone first): its windows, freed with it, paint plain.
  return docked_ && !currentDock_->IsDestroying() && currentDock_->UsingBackground() &&
         currentDock_->BackgroundOnToolbars();
}

void TBarCustomDockableWindow::PaintNonClient(bool drawToDC, HDC dc, HRGN clip) {
  if (!docked_ || !HandleAllocated()) return;
  HWND wnd = WindowHandle();
  if (!drawToDC) {
    dc = GetWindowDC(wnd);
    SelectNCUpdateRgn(wnd, dc, clip);
  }
  int saved = SaveDC(dc);
  PaintDockedFrame(dc);
  RestoreDC(dc, saved);
  if (!drawToDC) ReleaseDC(wnd, dc);
}

void TBarCustomDockableWindow::PaintDockedFrame(HDC dc) {
  HWND wnd = WindowHandle();
  bool vertical = currentDock_->IsVertical();
  RECT rect{};
  GetWindowRect(wnd, &rect);
  RECT screen = rect;
  OffsetRect(&rect, -rect.left, -rect.top);
  HBRUSH face = CreateSolidBrush(ColorToRGB(Color()));
  if (borderStyle_ == TBorderStyle::bsSingle)
    DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
  else
    FrameRect(dc, &rect, face);
  InflateRect(&rect, -1, -1);
  bool background = UsingDockBackground();
  if (!background) FrameRect(dc, &rect, face);
  if (background) {
    POINT topLeft{}, bottomRight{};
    GetDockedNCArea(vertical, topLeft, bottomRight);
    if (!currentDock_->AllowDrag()) {
      topLeft = POINT{2, 2};
    }
    int clientSaved = SaveDC(dc);
    RECT full{};
    GetWindowRect(wnd, &full);
    OffsetRect(&full, -full.left, -full.top);
    ExcludeClipRect(dc, topLeft.x, topLeft.y, full.right - bottomRight.x, full.bottom - bottomRight.y);
    POINT parentOrigin = currentDock_->Parent() ? currentDock_->Parent()->ClientOrigin() : currentDock_->ClientOrigin();
    POINT offset{screen.left - parentOrigin.x, screen.top - parentOrigin.y};
    currentDock_->DrawBackground(dc, SharedBackgroundRect(offset, full));
    RestoreDC(dc, clientSaved);
  }
  int handle = DragHandleSize();
  int length = (vertical ? ClientWidth() : ClientHeight()) + 2;
  int s = dragHandleStyle_ == TBarDragHandleStyle::dhSingle ? 1 : 0;
  if (currentDock_->AllowDrag() && dragHandleStyle_ != TBarDragHandleStyle::dhNone) {
    int start = 2;
    int stop = length;
    if (closeButtonWhenDocked_) {
      if (vertical)
        stop -= handle - 2;
      else
        start = 2 + handle - 2;
    }
    int columns = dragHandleStyle_ == TBarDragHandleStyle::dhDouble ? 2 : 1;
    int across = GripOffset(closeButtonWhenDocked_, dragHandleStyle_) + 2;
    for (int c = 0; c < columns; ++c, across += 3) {
      int runStart = start + s;
      int runEnd = stop - s;
      int runLength = runEnd - runStart;
      for (int along = runStart + 3 + (runLength % 4) / 2; along < runEnd - 4; along += 4) {
        RECT square = Turned(vertical, across, along, across + 3, along + 3);
        DrawEdge(dc, &square, BDR_SUNKENOUTER, BF_RECT | BF_MIDDLE);
      }
      POINT dot = vertical ? POINT{length - 1 - s, across} : POINT{across, length - 1 - s};
      SetPixel(dc, dot.x, dot.y, GetSysColor(COLOR_BTNHIGHLIGHT));
      RECT column = Turned(vertical, across, runStart, across + 3, runEnd);
      ExcludeClipRect(dc, column.left, column.top, column.right, column.bottom);
    }
  }
  if (!background && currentDock_->AllowDrag()) {
    RECT area = Turned(vertical, 2, 2, handle + 2, length);
    FillRect(dc, &area, face);
  }
  DeleteObject(face);
  if (closeButtonWhenDocked_ && currentDock_->AllowDrag()) {
    RECT button{};
    CloseButtonRect(vertical, button);
    if (closeButtonDown_)
      DrawEdge(dc, &button, BDR_SUNKENOUTER, BF_RECT);
    else if (closeButtonHover_)
      DrawEdge(dc, &button, BDR_RAISEDINNER, BF_RECT);
    RECT glyph = button;
    InflateRect(&glyph, -2, -2);
    if (closeButtonDown_) OffsetRect(&glyph, 1, 1);
    DrawCloseGlyph(dc, glyph.left, glyph.top, GetSysColor(COLOR_BTNTEXT));
  }
}

void TBarCustomDockableWindow::WMNCCalcSize(TMessage& message) {
  if (!docked_) {
    TCustomControl::Dispatch(message);
    return;
  }
  auto* rect = reinterpret_cast<RECT*>(message.LParam);
  InflateRect(rect, -2, -2);
  if (currentDock_->AllowDrag()) {
    if (currentDock_->IsVertical())
      rect->top += DragHandleSize();
    else
      rect->left += DragHandleSize();
  }
  message.Result = 0;
}

void TBarCustomDockableWindow::WMNCHitTest(TMessage& message) {
  TCustomControl::Dispatch(message);
  if (!docked_ || message.Result == HTCLIENT) return;
  RECT window{};
  GetWindowRect(WindowHandle(), &window);
  POINT cursor = MessagePoint(message.LParam);
  POINT p{cursor.x - window.left, cursor.y - window.top};
  message.Result = HT_BAR_HANDLE;
  if (closeButtonWhenDocked_ && currentDock_->AllowDrag()) {
    RECT button{};
    CloseButtonRect(currentDock_->IsVertical(), button);
    if (PtInRect(&button, p)) message.Result = HT_BAR_CLOSE;
  }
}

void TBarCustomDockableWindow::WMSetCursor(TMessage& message) {
  if (docked_ && LOWORD(message.LParam) == HT_BAR_HANDLE && currentDock_->AllowDrag() &&
      dragHandleStyle_ != TBarDragHandleStyle::dhNone) {
    RECT window{};
    GetWindowRect(WindowHandle(), &window);
    POINT cursor{};
    GetCursorPos(&cursor);
    int distance = currentDock_->IsVertical() ? cursor.y - window.top : cursor.x - window.left;
    if (distance < DragHandleSize() + 2) {
      ::SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
      message.Result = 1;
      return;
    }
  }
  TCustomControl::Dispatch(message);
}

void TBarCustomDockableWindow::SetDockedCloseButtonDown(bool value) {
  if (closeButtonDown_ == value) return;
  closeButtonDown_ = value;
  PaintNonClient(false, nullptr, nullptr);
}

void TBarCustomDockableWindow::SetDockedCloseButtonHover(bool value) {
  if (closeButtonHover_ == value) return;
  closeButtonHover_ = value;
  PaintNonClient(false, nullptr, nullptr);
}

void TBarCustomDockableWindow::WMNCLButtonDown(TMessage& message) {
  if (message.WParam == static_cast<WPARAM>(HT_BAR_HANDLE) && IsMovable()) {
    POINT client = ScreenToClient(MessagePoint(message.LParam));
    if (BeginMoving(client.x, client.y).Gone()) return;
  } else if (message.WParam == static_cast<WPARAM>(HT_BAR_CLOSE) && docked_) {
    // The loop runs timers and other code that may free the window while the button is held.
    const TLifeWatch life = LifeWatch();
    bool released = RunButtonPressLoop(
        WindowHandle(),
        [this](POINT cursor) {
          RECT window{};
          GetWindowRect(WindowHandle(), &window);
          RECT button{};
          CloseButtonRect(docked_ && currentDock_->IsVertical(), button);
          return PtInRect(&button, POINT{cursor.x - window.left, cursor.y - window.top}) != FALSE;
        },
        [this, life](bool pushed) {
          if (!life.Ended()) SetDockedCloseButtonDown(pushed);
        });
    if (released && !life.Ended() && Close().Gone()) return;
  } else {
    TCustomControl::Dispatch(message);
  }
}

void TBarCustomDockableWindow::WMNCMouseMove(TMessage& message) {
  TCustomControl::Dispatch(message);
  if (!docked_) return;
  CallTrackMouseEvent(WindowHandle(), kNCLeaveFlags);
  SetDockedCloseButtonHover(message.WParam == static_cast<WPARAM>(HT_BAR_CLOSE));
}

void TBarCustomDockableWindow::WMLButtonDown(TMessage& message) {
  POINT point = MessagePoint(message.LParam);
  TControl* child = nullptr;
  if (IsMovable() && !ChildControlAt(point, child)) {
    if (BeginMoving(point.x, point.y).Gone()) return;
    Perform(WM_LBUTTONUP, 0, MAKELPARAM(0xFFFF, 0xFFFF));
    return;
  }
  TCustomControl::Dispatch(message);
}

void TBarCustomDockableWindow::WMContextMenu(TMessage& message) {
  TCustomControl::Dispatch(message);
  if (message.Result != 0 || IsDesigning()) return;
  POINT position = MessagePoint(message.LParam);
  bool keyboard = position.x == -1 && position.y == -1;
  if (!keyboard) {
    POINT client = ScreenToClient(position);
    RECT area = ClientRect();
    if (PtInRect(&area, client)) return;
  }
  bool handled = false;
  if (DoContextPopup(keyboard ? POINT{-1, -1} : ScreenToClient(position), handled).Gone()) return;
  if (handled) {
    message.Result = 1;
    return;
  }
  if (TPopupMenu* menu = PopupMenu(); menu && menu->AutoPopup()) {
    if (keyboard) position = ClientToScreen(POINT{0, 0});
    menu->SetPopupComponent(this);
    message.Result = 1;
    // The menu's handlers may free this window: showing it is the message's last act.
    (void)menu->Popup(position.x, position.y);
  }
}

void TBarCustomDockableWindow::WMEraseBkgnd(TMessage& message) {
  if (!UsingDockBackground()) {
    TCustomControl::Dispatch(message);
    return;
  }
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  RECT client = ClientRect();
  POINT own = ClientOrigin();
  POINT parentOrigin = currentDock_->Parent() ? currentDock_->Parent()->ClientOrigin() : currentDock_->ClientOrigin();
  currentDock_->DrawBackground(dc, SharedBackgroundRect(POINT{own.x - parentOrigin.x, own.y - parentOrigin.y}, client));
  message.Result = 1;
}

void TBarCustomDockableWindow::WMMove(TMessage& message) {
  TCustomControl::Dispatch(message);
  moved_ = true;
  if (UsingDockBackground() && HandleAllocated())
    RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
  if (noMoveEvent_ == 0 && RaiseEvent(OnMove, this).Gone()) return;
}

void TBarCustomDockableWindow::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_NCCALCSIZE:
      WMNCCalcSize(message);
      return;
    case WM_NCPAINT:
      if (docked_) {
        PaintNonClient(false, nullptr, reinterpret_cast<HRGN>(message.WParam));
        return;
      }
      break;
    case WM_PRINT:
      HandleWMPrint(
          WindowHandle(), message,
          [](HWND, HDC dc, void* data) {
            static_cast<TBarCustomDockableWindow*>(data)->PaintNonClient(true, dc, nullptr);
          },
          this);
      return;
    case WM_PRINTCLIENT:
      HandleWMPrintClient(this, message);
      return;
    case WM_NCHITTEST:
      WMNCHitTest(message);
      return;
    case WM_SETCURSOR:
      WMSetCursor(message);
      return;
    case WM_NCLBUTTONDOWN:
      WMNCLButtonDown(message);
      return;
    case WM_NCLBUTTONDBLCLK:
      if (message.WParam == static_cast<WPARAM>(HT_BAR_HANDLE)) {
        if (DoubleClick().Gone()) return;
        return;
      }
      break;
    case WM_NCMOUSEMOVE:
      WMNCMouseMove(message);
      return;
    case WM_NCMOUSELEAVE:
    case CM_MOUSELEAVE:
      SetDockedCloseButtonHover(false);
      break;
    case WM_MOUSEMOVE:
      SetDockedCloseButtonHover(false);
      break;
    case WM_NCRBUTTONUP: {
      POINT cursor{};
      GetCursorPos(&cursor);
      SendMessageW(WindowHandle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(WindowHandle()), PointToLParam(cursor));
      return;
    }
    case WM_LBUTTONDOWN:
      WMLButtonDown(message);
      return;
    case WM_LBUTTONDBLCLK: {
      TControl* child = nullptr;
      if (!ChildControlAt(MessagePoint(message.LParam), child)) {
        if (DoubleClick().Gone()) return;
        return;
      }
      break;
    }
    case WM_CONTEXTMENU:
      WMContextMenu(message);
      return;
    case WM_ERASEBKGND:
      WMEraseBkgnd(message);
      return;
    case WM_MOVE:
      WMMove(message);
      return;
    case WM_ENABLE:
      TCustomControl::Dispatch(message);
      if (floating_ && floatParent_ && floatParent_->HandleAllocated()) UpdateTopmostFlag();
      return;
    case CM_SHOWINGCHANGED:
      UpdateVisibility();
      return;
    case CM_VISIBLECHANGED: {
      // The dock's OnInsertRemoveBar may free the window.
      const TLifeWatch life = LifeWatch();
      if (docked_ && !IsDesigning() && AnswerFor(life, currentDock_->ToolbarVisibilityChanged(this, false)).Gone())
        return;
      TCustomControl::Dispatch(message);
      if (RaiseEvent(OnVisibleChanged, this).Gone()) return;
      return;
    }
    case CM_TEXTCHANGED:
      TCustomControl::Dispatch(message);
      if (floating_ && floatParent_ && floatParent_->SetCaption(Caption()).Gone()) return;
      return;
    case CM_COLORCHANGED:
      if (HandleAllocated()) RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
      break;
    case WM_QUERYNEWPALETTE:
      if (docked_ && currentDock_->Background()) {
        message.Result = 0;
        return;
      }
      break;
    case WM_PALETTECHANGED:
      // The dock realised its background's palette: what the window shows of it is drawn again.
      if (GetPalette() && HandleAllocated())
        RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
      break;
  }
  TCustomControl::Dispatch(message);
}

}  // namespace toolbars

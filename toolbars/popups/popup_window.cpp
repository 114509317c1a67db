#include "toolbars/popups/popup_window.h"

#include <array>
#include <utility>

#include "framework/application.h"
#include "framework/startup.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/popups/done_action.h"
#include "toolbars/popups/item_drag.h"
#include "toolbars/popups/tracking.h"
#include "toolbars/views/item_viewer.h"

namespace toolbars {

namespace {

// The state bits a submenu takes over from the menu that opened it: how accelerator underlines show.
constexpr TBarViewState kInheritedAccelState = vsUseHiddenAccels | vsShowAccels;

void FrameRectColor(HDC dc, RECT& rect, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FrameRect(dc, &rect, brush);
  DeleteObject(brush);
  InflateRect(&rect, -1, -1);
}

void DrawArrow(HDC dc, const RECT& strip, bool up) {
  const int cx = (strip.left + strip.right) / 2;
  const int cy = (strip.top + strip.bottom) / 2 - 1;
  std::array<POINT, 3> points{{{cx - 3, cy}, {cx + 3, cy}, {cx, cy}}};
  if (up) {
    points[0].y += 3;
    points[1].y += 3;
  } else {
    points[2].y += 3;
  }
  const COLORREF color = GetSysColor(COLOR_MENUTEXT);
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  HBRUSH brush = CreateSolidBrush(color);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  Polygon(dc, points.data(), 3);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

}  // namespace

TFont* TBarPopupView::GetFont() {
  if (Window()) return Window()->Font();
  return TBarView::GetFont();
}

TRaised TBarPopupView::SizeChanged(int width, int height) {
  auto* window = ObjectAs<TBarPopupWindowBase>(Window());
  if (!window) return TRaised(true);
  const POINT frame = window->NCSize();
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, window->SetBounds(window->Left(), window->Top(), width + 2 * frame.x, height + 2 * frame.y));
}

TBarPopupWindow::TBarPopupWindow(TComponent* owner, TBarView* parentView, TBarCustomItem* item, bool customizing)
    : TBarPopupWindow(owner, parentView, item, customizing, DefaultViewClass()) {}

TBarPopupWindow::TBarPopupWindow(TComponent* owner, TBarView* parentView, TBarCustomItem* item, bool customizing,
                                 TBarViewClass viewClass)
    : TBarPopupWindowBase(owner) {
  // Nothing handles the events of a control in the making.
  (void)SetVisible(false);
  (void)SetBounds(0, 0, 320, 240);
  SetControlStyle(ControlStyle() - TControlStyle{TControlStyleItem::csCaptureMouse});
  SetShowHint(true);
  SetColor(clMenu);
  SetFont(parentView ? parentView->GetFont() : BarMenuFont());
  view_ = viewClass.Create(this, parentView, item, this, false, customizing, false).release();
  if (parentView) view_->IncludeState(parentView->State() & kInheritedAccelState);
  (void)SetParentWindow(Application && Application->Handle() ? Application->Handle() : GetDesktopWindow());
}

TBarPopupWindow::~TBarPopupWindow() { DestroyView(); }

void TBarPopupWindow::BeforeDestruction() {
  DestroyView();
  TBarPopupWindowBase::BeforeDestruction();
}

void TBarPopupWindow::DestroyView() {
  if (!view_) return;
  view_->StopAllTimers();
  view_->CloseChildPopups();
  delete std::exchange(view_, nullptr);
}

void TBarPopupWindow::CreateParams(TCreateParams& params) {
  TBarPopupWindowBase::CreateParams(params);
  params.Style = (params.Style & ~(WS_CHILD | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) | WS_POPUP;
  params.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  params.WindowClass.style |= CS_SAVEBITS;
  if (IsWindowsXP()) params.WindowClass.style |= CS_DROPSHADOW;
}

void TBarPopupWindow::DestroyWindowHandle() {
  view_->StopAllTimers();
  TBarPopupWindowBase::DestroyWindowHandle();
}

TRaised TBarPopupWindow::Paint() {
  const TLifeWatch life = LifeWatch();
  if (view_->DrawSubitems(Canvas()).Gone()) return TRaised(!life.Ended());
  PaintScrollArrows();
  return TRaised(true);
}

void TBarPopupWindow::PaintScrollArrows() {
  HDC dc = Canvas()->Handle();
  const int width = ClientWidth();
  const int height = ClientHeight();
  if (view_->ShowUpArrow()) DrawArrow(dc, RECT{0, 0, width, kScrollArrowHeight}, true);
  if (view_->ShowDownArrow()) DrawArrow(dc, RECT{0, height - kScrollArrowHeight, width, height}, false);
}

void TBarPopupWindow::PaintFrame(HDC dc) {
  RECT rect{};
  GetWindowRect(WindowHandle(), &rect);
  OffsetRect(&rect, -rect.left, -rect.top);
  if (IsWindowsXP() && AreFlatMenusEnabled()) {
    FrameRectColor(dc, rect, GetSysColor(COLOR_BTNSHADOW));
    const COLORREF own = ColorToRGB(Color());
    FrameRectColor(dc, rect, own);
    FrameRectColor(dc, rect, own);
  } else {
    DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT | BF_ADJUST);
    FrameRectColor(dc, rect, GetSysColor(COLOR_BTNFACE));
  }
}

void TBarPopupWindow::PrintFrame(HWND, HDC dc, void* data) { static_cast<TBarPopupWindow*>(data)->PaintFrame(dc); }

void TBarPopupWindow::CMShowingChanged() {
  const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(WindowHandle(), nullptr, 0, 0, 0, 0, flags | (Showing() ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  if (Showing()) Perform(CM_POPUPSHOWN, kPopupShownCode, 0);
}

void TBarPopupWindow::CMHintShow(TMessage& message) {
  auto* info = reinterpret_cast<THintInfo*>(message.LParam);
  info->HintStr.clear();
  if (TBarItemViewer* selected = view_->Selected()) {
    info->CursorRect = selected->BoundsRect();
    info->HintStr = selected->Item()->GetHintText();
  }
}

void TBarPopupWindow::WMNCCalcSize(TMessage& message) {
  const POINT frame = NCSize();
  RECT* rect = message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(message.LParam)->rgrc[0]
                              : reinterpret_cast<RECT*>(message.LParam);
  InflateRect(rect, -frame.x, -frame.y);
  message.Result = 0;
}

void TBarPopupWindow::WMNCPaint(TMessage& message) {
  HWND wnd = WindowHandle();
  HDC dc = GetWindowDC(wnd);
  SelectNCUpdateRgn(wnd, dc, reinterpret_cast<HRGN>(message.WParam));
  PaintFrame(dc);
  ReleaseDC(wnd, dc);
  message.Result = 0;
}

void TBarPopupWindow::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_SHOWINGCHANGED:
      CMShowingChanged();
      return;
    case CM_HINTSHOW:
      CMHintShow(message);
      return;
    case WM_CLOSE:
      return;
    case WM_ERASEBKGND: {
      RECT client = ClientRect();
      FillRect(reinterpret_cast<HDC>(message.WParam), &client, Brush()->Handle());
      message.Result = 1;
      return;
    }
    case WM_NCCALCSIZE:
      WMNCCalcSize(message);
      return;
    case WM_NCPAINT:
      WMNCPaint(message);
      return;
    case WM_PRINT:
      HandleWMPrint(WindowHandle(), message, &PrintFrame, this);
      return;
    case WM_PRINTCLIENT:
      HandleWMPrintClient(this, message);
      return;
    default:
      TBarPopupWindowBase::Dispatch(message);
  }
}

namespace {

TBarPopupWindowClass previousPopupWindowClass;
TTrackingLoopProc previousTrackingLoop = nullptr;

void StartPopups() {
  EmptyCaption = L"[Empty]";
  previousPopupWindowClass = SetDefaultPopupWindowClass(TBarPopupWindowClass::Of<TBarPopupWindow>());
  previousTrackingLoop = SetTrackingLoop(&TrackingLoop);
}

void StopPopups() {
  EmptyCaption.clear();
  SetDefaultPopupWindowClass(previousPopupWindowClass);
  SetTrackingLoop(previousTrackingLoop);
}

}  // namespace

const TUnit& PopupsUnit() {
  static const TUnit unit{L"toolbar pop-ups", &StartPopups, &StopPopups, {&ControlsUnit()}};
  return unit;
}

}  // namespace toolbars

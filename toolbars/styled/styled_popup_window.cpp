#include "toolbars/styled/styled_popup_window.h"

#include "toolbars/bars/chevron_item.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/styled/current_theme.h"
#include "toolbars/styled/dc_canvas.h"
#include "toolbars/styled/styled_chevron_item.h"
#include "toolbars/styled/styled_item_viewer.h"
#include "toolbars/styled/styled_nexus.h"
#include "toolbars/styled/view_queries.h"
#include "toolbars/theme/theme_manager.h"

namespace toolbars {

namespace {

// The layered shadow's thickness and opacity.
constexpr int kShadowSize = 4;
constexpr uint8_t kShadowOpacity = 61;
// Shadow kinds of a theme.
constexpr int kSystemShadow = 1;
constexpr int kShadowSparingOpener = 2;
constexpr int kShadowAllRound = 3;
// CM_POPUPSHOWN codes after which the window is on screen.
constexpr WPARAM kPopupShownCodes[] = {2, kPopupShownCode};

}  // namespace

TStyledPopupWindow::TStyledPopupWindow(TComponent* owner, TBarView* parentView, TBarCustomItem* item, bool customizing)
    : TBarPopupWindow(owner, parentView, item, customizing, TBarViewClass::Of<TStyledPopupView>()) {
  AddStyledSysNotification(this);
}

TStyledPopupWindow::~TStyledPopupWindow() {
  RemoveStyledSysNotification(this);
  shadows_.reset();
}

TRaised TStyledPopupWindow::ThemeChanged() {
  if (!HandleAllocated()) return TRaised(true);
  // The new theme measures the items and the border anew: the window takes the size it would have if it opened now.
  if (View()->UpdatePositions().Gone()) return TRaised(false);
  SetWindowPos(WindowHandle(), nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  return TRaised(true);
}

int TStyledPopupWindow::ViewType() const { return PopupViewTypeOf(View()->ParentItem()); }

bool TStyledPopupWindow::ShadowsAllowed() const { return !IsViewType(ViewType(), vtListPopup); }

POINT TStyledPopupWindow::NCSize() const {
  TStyledTheme* theme = CurrentTheme();
  if (!theme) return TBarPopupWindow::NCSize();
  POINT size{};
  theme->ViewBorderSize(ViewType(), size);
  return size;
}

void TStyledPopupWindow::CreateParams(TCreateParams& params) {
  TBarPopupWindow::CreateParams(params);
  params.WindowClass.style &= ~(CS_DROPSHADOW | CS_DBLCLKS);
  TStyledTheme* theme = CurrentTheme();
  if (theme && ShadowsAllowed() && theme->PopupShadowKind() == kSystemShadow && IsWindowsXP()) {
    params.WindowClass.style |= CS_DROPSHADOW;
    // A class keeps the style it was registered with: the shadowed windows get a class of their own.
    params.WinClassName += L"S";
  }
}

void TStyledPopupWindow::DestroyWindowHandle() {
  shadows_.reset();
  TBarPopupWindow::DestroyWindowHandle();
}

RECT TStyledPopupWindow::OpenerScreenRect() const {
  TBarView* parentView = View()->ParentView();
  if (!parentView || parentView->OpenViewerWindow() != this) return RECT{};
  TBarItemViewer* opener = parentView->OpenViewer();
  if (!opener || !opener->IsToolbarStyle() ||
      !(opener->Is<TStyledItemViewer>() || opener->Is<TStyledChevronItemViewer>()))
    return RECT{};
  RECT rect = opener->BoundsRect();
  TWinControl* window = parentView->Window();
  if (!window || !window->HandleAllocated()) return RECT{};
  MapWindowPoints(window->Handle(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void TStyledPopupWindow::PaintFrame(HDC dc) {
  TStyledTheme* theme = CurrentTheme();
  if (!theme) {
    TBarPopupWindow::PaintFrame(dc);
    return;
  }
  HWND wnd = WindowHandle();
  RECT window{};
  GetWindowRect(wnd, &window);
  TStyledPopupPaintInfo info{};
  info.WindowHandle = wnd;
  info.ViewType = ViewType();
  theme->ViewBorderSize(info.ViewType, info.BorderSize);
  info.ParentRect = OpenerScreenRect();
  if (!IsRectEmpty(&info.ParentRect)) OffsetRect(&info.ParentRect, -window.left, -window.top);
  OffsetRect(&window, -window.left, -window.top);
  const int saved = SaveDC(dc);
  ExcludeClipRect(dc, info.BorderSize.x, info.BorderSize.y, window.right - info.BorderSize.x,
                  window.bottom - info.BorderSize.y);
  TDCCanvas canvas(dc);
  theme->PaintPopupFrame(canvas.Get(), window, info);
  RestoreDC(dc, saved);
}

void TStyledPopupWindow::WMEraseBkgnd(TMessage& message) {
  TStyledTheme* theme = CurrentTheme();
  if (!theme) {
    TBarPopupWindow::Dispatch(message);
    return;
  }
  const int viewType = ViewType();
  const TColor color = theme->ViewBackColor(viewType);
  View()->SetBackgroundColor(color);
  const RECT client = ClientRect();
  TDCCanvas canvas(reinterpret_cast<HDC>(message.WParam));
  theme->PaintViewBackground(canvas.Get(), client, client, client, color, false, viewType);
  message.Result = 1;
}

void TStyledPopupWindow::CreateShadow() {
  TStyledTheme* theme = CurrentTheme();
  if (!theme || !HandleAllocated()) return;
  const int kind = theme->PopupShadowKind();
  if (kind != kShadowSparingOpener && kind != kShadowAllRound) return;
  const RECT parentRect = kind == kShadowSparingOpener ? OpenerScreenRect() : RECT{};
  RECT windowRect{};
  GetWindowRect(WindowHandle(), &windowRect);
  shadows_.reset();
  shadows_ = std::make_unique<TShadows>(parentRect, windowRect, kShadowSize, kShadowOpacity, LowColor);
  shadows_->Show(WindowHandle());
}

void TStyledPopupWindow::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_STYLEDVIEWTYPE:
      message.Result = ViewType();
      return;
    case CM_STYLEDNEXUSNOTIFY:
      if (message.WParam == tcAfterChange) (void)ThemeChanged();
      return;
    case WM_ERASEBKGND:
      WMEraseBkgnd(message);
      return;
    case CM_POPUPSHOWN:
      TBarPopupWindow::Dispatch(message);
      for (WPARAM code : kPopupShownCodes)
        if (message.WParam == code && !IsDestroying() && ShadowsAllowed()) CreateShadow();
      return;
    case WM_WINDOWPOSCHANGED: {
      TBarPopupWindow::Dispatch(message);
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(message.LParam);
      // The shadow follows the window; showing and hiding bring their own.
      if (shadows_ && !(pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))) {
        shadows_.reset();
        CreateShadow();
      }
      return;
    }
    default:
      TBarPopupWindow::Dispatch(message);
  }
}

}  // namespace toolbars

#include "toolbars/styled/styled_toolbar.h"

#include <utility>

#include "framework/messages.h"
#include "framework/properties.h"
#include "toolbars/items/item_kinds.h"
#include "toolbars/styled/current_theme.h"
#include "toolbars/styled/styled_bar_frame.h"
#include "toolbars/styled/styled_chevron_item.h"
#include "toolbars/styled/styled_floating_window_parent.h"
#include "toolbars/styled/styled_nexus.h"
#include "toolbars/styled/styled_popup_menu.h"
#include "toolbars/styled/view_queries.h"

namespace toolbars {

namespace {

TBarToolbarClasses StyledClasses() {
  return TBarToolbarClasses{TClassRef<TBarCustomItem, TComponent*>::Of<TStyledRootItem>(),
                            TClassRef<TBarChevronItem, TComponent*>::Of<TStyledChevronItem>(),
                            TBarViewClass::Of<TStyledToolbarView>()};
}

constexpr UINT kRedrawAll = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW;

}  // namespace

void TStyledToolbarView::GetMargins(TBarViewOrientation orientation, RECT& margins) {
  TStyledTheme* theme = CurrentTheme();
  auto* toolbar = ObjectAs<TStyledToolbar>(Toolbar());
  if (!theme || !toolbar) {
    TBarToolbarView::GetMargins(orientation, margins);
    return;
  }
  // The margins of the place asked for, which need not be where the toolbar is now.
  int viewType = toolbar->ViewType() & ~(vtFloating | vtResizable);
  if (orientation == TBarViewOrientation::tbvoFloating) {
    viewType |= vtFloating;
    if (toolbar->Resizable()) viewType |= vtResizable;
  }
  TStyledMargins themed{};
  theme->ViewMargins(viewType, themed);
  margins = RECT{themed.LeftWidth, themed.TopHeight, themed.RightWidth, themed.BottomHeight};
}

TStyledToolbar::TStyledToolbar(TComponent* owner) : TBarCustomToolbar(owner, StyledClasses()) {
  AddStyledSysNotification(this);
  SetControlStyle(ControlStyle() - TControlStyle{TControlStyleItem::csOpaque});
  SetColor(clNone);
}

TStyledToolbar::~TStyledToolbar() { RemoveStyledSysNotification(this); }

int TStyledToolbar::ViewType() const {
  int viewType = DockableViewType(*this, MenuBar() ? vtMenuBar : vtToolbar);
  if (itemTransparency_ == TStyledItemTransparency::itDisable ||
      (itemTransparency_ == TStyledItemTransparency::itAuto && !Floating() && !Docked()))
    viewType |= vtOpaque;
  return viewType;
}

TColor TStyledToolbar::EffectiveColor() const {
  if (Color() != clNone) return Color();
  if (!Floating() && !Docked() && Parent()) return ParentEffectiveColor(*this);
  TStyledTheme* theme = CurrentTheme();
  return theme ? theme->ViewBackColor(ViewType()) : clBtnFace;
}

void TStyledToolbar::SetItemTransparency(TStyledItemTransparency value) {
  if (itemTransparency_ == value) return;
  itemTransparency_ = value;
  if (!IsLoading()) Invalidate();
}

void TStyledToolbar::SetSnapDistance(int value) { snapDistance_ = ApplySnapDistance(*this, value); }

TRaised TStyledToolbar::SetParent(TWinControl* value) {
  // The move's events may free the window.
  if (TBarCustomToolbar::SetParent(value).Gone()) return TRaised(false);
  ApplySnapDistance(*this, snapDistance_);
  return TRaised(true);
}

SIZE TStyledToolbar::FloatingBorderSize() const {
  SIZE size{};
  return StyledFloatingBorderSize(ViewType(), size) ? size : TBarCustomToolbar::FloatingBorderSize();
}

const TClass* TStyledToolbar::GetFloatingWindowParentClass() const {
  return TStyledFloatingWindowParent::StaticClass();
}

void TStyledToolbar::PaintNonClient(bool drawToDC, HDC dc, HRGN clip) {
  if (!PaintStyledNonClient(*this, drawToDC, dc, clip, ViewType(), EffectiveColor(), TCloseButtonStates::csPushedOrHot))
    TBarCustomToolbar::PaintNonClient(drawToDC, dc, clip);
}

void TStyledToolbar::EraseBackground(TMessage& message) {
  TStyledTheme* theme = CurrentTheme();
  if (!theme || ShowsDockPicture(*this)) {
    TBarCustomToolbar::Dispatch(message);
    return;
  }
  PaintStyledClientBackground(theme, *this, reinterpret_cast<HDC>(message.WParam), ViewType(), EffectiveColor());
  message.Result = 1;
}

void TStyledToolbar::ColorChanged(TMessage& message) {
  TBarCustomToolbar::Dispatch(message);
  View()->SetBackgroundColor(EffectiveColor());
  if (!HandleAllocated()) return;
  if (Docked()) RedrawWindow(WindowHandle(), nullptr, nullptr, kRedrawAll);
  NotifyControls(CM_PARENTCOLORCHANGED);
  Invalidate();
}

void TStyledToolbar::NexusNotify(TMessage& message) {
  switch (message.WParam) {
    case tcBeforeChange:
      if (!viewUpdating_) View()->BeginUpdate();
      viewUpdating_ = true;
      break;
    case tcAfterChange: {
      const bool updating = std::exchange(viewUpdating_, false);
      if (updating && View()->EndUpdate().Gone()) return;
      View()->SetBackgroundColor(EffectiveColor());
      if (ResetStyledFrame(*this).Gone()) return;
      break;
    }
    case tcAppActivated:
    case tcAppDeactivated:
      // A menu bar's colours follow the application's activation.
      if (MenuBar()) Invalidate();
      break;
    default:
      break;
  }
}

void TStyledToolbar::InvalidateOverDockBackground() {
  TBarView* view = View();
  for (int i = 0; i < view->ViewerCount(); ++i) {
    TBarItemViewer* viewer = view->Viewers(i);
    const RECT bounds = viewer->BoundsRect();
    if (viewer->Show() && !IsRectEmpty(&bounds) && !ObjectAs<TBarControlItem>(viewer->Item()))
      view->InvalidateViewer(viewer);
  }
  if (HandleAllocated()) RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

void TStyledToolbar::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_STYLEDVIEWTYPE:
      message.Result = ViewType();
      return;
    case CM_STYLEDEFFECTIVECOLOR:
      message.WParam = static_cast<WPARAM>(EffectiveColor());
      message.Result = 1;
      return;
    case CM_STYLEDNEXUSNOTIFY:
      NexusNotify(message);
      return;
    case CM_COLORCHANGED:
      ColorChanged(message);
      return;
    case CM_PARENTCOLORCHANGED:
      if (!Floating() && !Docked() && Color() == clNone && message.WParam == 0) {
        message.WParam = 1;
        message.LParam = static_cast<LPARAM>(EffectiveColor());
      }
      TBarCustomToolbar::Dispatch(message);
      View()->SetBackgroundColor(EffectiveColor());
      Invalidate();
      return;
    case CM_CONTROLCHANGE:
      TBarCustomToolbar::Dispatch(message);
      if (message.LParam != 0 && Color() == clNone)
        reinterpret_cast<TControl*>(message.WParam)
            ->Perform(CM_PARENTCOLORCHANGED, 1, static_cast<LPARAM>(EffectiveColor()));
      return;
    case WM_ERASEBKGND:
      EraseBackground(message);
      return;
    case WM_SIZE:
      TBarCustomToolbar::Dispatch(message);
      if (Docked() && CurrentDock()->UsingBackground()) InvalidateOverDockBackground();
      return;
    default:
      TBarCustomToolbar::Dispatch(message);
  }
}

const TPublishedTable& TStyledToolbar::PublishedTable() const {
  using P = TPublished<TStyledToolbar>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Enumeration(L"ItemTransparency", &TStyledToolbar::ItemTransparency, &TStyledToolbar::SetItemTransparency,
                         {L"itAuto", L"itEnable", L"itDisable"})
              .Default(TStyledItemTransparency::itAuto),
          P::Integer(L"SnapDistance", &TStyledToolbar::SnapDistance, &TStyledToolbar::SetSnapDistance).Default(0),
      });
  return table;
}

}  // namespace toolbars

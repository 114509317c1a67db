#include "toolbars/styled/styled_tool_window.h"

#include "framework/messages.h"
#include "framework/properties.h"
#include "toolbars/styled/current_theme.h"
#include "toolbars/styled/styled_bar_frame.h"
#include "toolbars/styled/styled_floating_window_parent.h"
#include "toolbars/styled/styled_nexus.h"
#include "toolbars/styled/view_queries.h"

namespace toolbars {

TStyledToolWindow::TStyledToolWindow(TComponent* owner) : TBarToolWindow(owner) {
  AddStyledSysNotification(this);
  SetColor(clNone);
}

TStyledToolWindow::~TStyledToolWindow() { RemoveStyledSysNotification(this); }

int TStyledToolWindow::ViewType() const { return DockableViewType(*this, vtToolWindow); }

TColor TStyledToolWindow::EffectiveColor() const {
  if (Color() != clNone) return Color();
  TStyledTheme* theme = CurrentTheme();
  return theme ? theme->ViewBackColor(ViewType()) : clBtnFace;
}

void TStyledToolWindow::SetSnapDistance(int value) { snapDistance_ = ApplySnapDistance(*this, value); }

TRaised TStyledToolWindow::SetParent(TWinControl* value) {
  // The move's events may free the window.
  if (TBarToolWindow::SetParent(value).Gone()) return TRaised(false);
  ApplySnapDistance(*this, snapDistance_);
  return TRaised(true);
}

SIZE TStyledToolWindow::FloatingBorderSize() const {
  SIZE size{};
  return StyledFloatingBorderSize(ViewType(), size) ? size : TBarToolWindow::FloatingBorderSize();
}

const TClass* TStyledToolWindow::GetFloatingWindowParentClass() const {
  return TStyledFloatingWindowParent::StaticClass();
}

void TStyledToolWindow::PaintNonClient(bool drawToDC, HDC dc, HRGN clip) {
  if (!PaintStyledNonClient(*this, drawToDC, dc, clip, ViewType(), EffectiveColor(), TCloseButtonStates::csIndependent))
    TBarToolWindow::PaintNonClient(drawToDC, dc, clip);
}

void TStyledToolWindow::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_STYLEDVIEWTYPE:
      message.Result = ViewType();
      return;
    case CM_STYLEDEFFECTIVECOLOR:
      message.WParam = static_cast<WPARAM>(EffectiveColor());
      message.Result = 1;
      return;
    case CM_STYLEDNEXUSNOTIFY:
      // The message's last act.
      if (message.WParam == tcAfterChange) (void)ResetStyledFrame(*this);
      return;
    case CM_COLORCHANGED:
      TBarToolWindow::Dispatch(message);
      if (!HandleAllocated()) return;
      if (Docked())
        RedrawWindow(WindowHandle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
      NotifyControls(CM_PARENTCOLORCHANGED);
      Invalidate();
      return;
    case WM_ERASEBKGND: {
      TStyledTheme* theme = CurrentTheme();
      if (!theme || ShowsDockPicture(*this)) break;
      PaintStyledClientBackground(theme, *this, reinterpret_cast<HDC>(message.WParam), ViewType(), EffectiveColor());
      message.Result = 1;
      return;
    }
    default:
      break;
  }
  TBarToolWindow::Dispatch(message);
}

const TPublishedTable& TStyledToolWindow::PublishedTable() const {
  using P = TPublished<TStyledToolWindow>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {P::Integer(L"SnapDistance", &TStyledToolWindow::SnapDistance, &TStyledToolWindow::SetSnapDistance).Default(0)});
  return table;
}

}  // namespace toolbars

#include "toolbars/styled/styled_dock.h"

#include "framework/messages.h"
#include "framework/properties.h"
#include "framework/visual_styles.h"
#include "toolbars/styled/current_theme.h"
#include "toolbars/styled/dc_canvas.h"
#include "toolbars/styled/styled_nexus.h"
#include "toolbars/styled/view_queries.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/theme_manager.h"

namespace toolbars {

namespace {

// BooleanMetric 5: the theme paints dock backgrounds itself.
constexpr int kThemePaintsDocks = 5;
// The styled tab body behind controls on a tab sheet.
constexpr int kTabBodyPart = 10;
// Tab sheets of other component sets are known by their class name.
constexpr wchar_t kTabSheetClass[] = L"TTabSheet";

int PositionCode(TBarDockPosition position) {
  switch (position) {
    case TBarDockPosition::dpTop:
      return dpTop;
    case TBarDockPosition::dpBottom:
      return dpBottom;
    case TBarDockPosition::dpLeft:
      return dpLeft;
    case TBarDockPosition::dpRight:
      return dpRight;
  }
  return dpTop;
}

bool IsTabSheet(const TControl* control) {
  for (const TClass* cls = control->ClassType(); cls; cls = cls->ClassParent())
    if (cls->ClassName() == kTabSheetClass) return true;
  return false;
}

void FillColor(HDC dc, const RECT& rect, TColor color) {
  TDCCanvas canvas(dc);
  FillRectEx(canvas.Get(), rect, color);
}

}  // namespace

TStyledDock::TStyledDock(TComponent* owner) : TBarDock(owner) {
  SetColor(clNone);
  AddStyledSysNotification(this);
}

TStyledDock::~TStyledDock() { RemoveStyledSysNotification(this); }

void TStyledDock::SetUseParentBackground(bool value) {
  if (useParentBackground_ == value) return;
  useParentBackground_ = value;
  if (IsLoading() || !HandleAllocated()) return;
  RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

bool TStyledDock::ThemedBackground() const {
  TStyledTheme* theme = CurrentTheme();
  return !Background() && Color() == clNone && theme && theme->BooleanMetric(kThemePaintsDocks);
}

bool TStyledDock::UsingBackground() {
  return useParentBackground_ || TBarDock::UsingBackground() || ThemedBackground();
}

TColor TStyledDock::EffectiveColor() const { return Color() != clNone ? Color() : GetEffectiveColor(Parent()); }

void TStyledDock::DrawBackground(HDC dc, const RECT& drawRect) {
  if (useParentBackground_) {
    PaintParentBackground(this, dc, ClientRect());
  } else if (ThemedBackground()) {
    TDCCanvas canvas(dc);
    CurrentTheme()->PaintDockBackground(canvas.Get(), ClientRect(), drawRect, PositionCode(Position()));
  } else {
    TBarDock::DrawBackground(dc, drawRect);
  }
}

void TStyledDock::NexusNotify(TMessage& message) {
  const WPARAM code = message.WParam;
  if (code == tcBeforeChange && !themeArrangeHeld_) {
    // Every window on the dock lays out for the new theme before the dock arranges them, once for all: the dock
    // holds its arrangement back and is told last from now on.
    themeArrangeHeld_ = true;
    BeginArrange();
    RemoveStyledSysNotification(this);
    AddStyledSysNotification(this);
  } else if (code == tcAfterChange) {
    if (themeArrangeHeld_) {
      themeArrangeHeld_ = false;
      if (EndArrange().Gone()) return;
    }
    Invalidate();
  }
}

void TStyledDock::RedrawChildren(UINT flags) {
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* child = ObjectAs<TWinControl>(Controls(i)); child && child->HandleAllocated())
      RedrawWindow(child->Handle(), nullptr, nullptr, flags);
}

void TStyledDock::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_STYLEDEFFECTIVECOLOR:
      message.WParam = static_cast<WPARAM>(EffectiveColor());
      message.Result = 1;
      return;
    case CM_STYLEDNEXUSNOTIFY:
      NexusNotify(message);
      return;
    case WM_ERASEBKGND:
      if (!UsingBackground()) {
        FillColor(reinterpret_cast<HDC>(message.WParam), ClientRect(), EffectiveColor());
        message.Result = 1;
        return;
      }
      break;
    case CM_COLORCHANGED:
      TBarDock::Dispatch(message);
      RedrawChildren(RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
      return;
    default:
      break;
  }
  TBarDock::Dispatch(message);
}

const TPublishedTable& TStyledDock::PublishedTable() const {
  using P = TPublished<TStyledDock>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {P::Boolean(L"UseParentBackground", &TStyledDock::UseParentBackground, &TStyledDock::SetUseParentBackground)
           .Default(false)});
  return table;
}

void PaintParentBackground(const TControl* control, HDC dc, const RECT& rect) {
  TWinControl* parent = control ? control->Parent() : nullptr;
  if (!parent) {
    FillColor(dc, rect, clBtnFace);
    return;
  }
  if (auto* dock = ObjectAs<TBarDock>(parent)) {
    // The dock paints in its own coordinates: the DC's origin moves to where the control sits on it.
    POINT old{};
    OffsetViewportOrgEx(dc, -control->Left(), -control->Top(), &old);
    POINT offset{};
    if (dock->Parent()) {
      const POINT own = dock->ClientOrigin();
      const POINT outer = dock->Parent()->ClientOrigin();
      offset = POINT{own.x - outer.x, own.y - outer.y};
    }
    if (dock->UsingBackground())
      dock->DrawBackground(dc, SharedBackgroundRect(offset, dock->ClientRect()));
    else
      FillColor(dc, dock->ClientRect(), GetEffectiveColor(dock));
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
    return;
  }
  if (IsTabSheet(parent) && UseThemes && !control->IsDesigning() && parent->HandleAllocated()) {
    TThemeData tab(parent->Handle(), L"TAB");
    RECT sheet = parent->ClientRect();
    POINT old{};
    OffsetViewportOrgEx(dc, -control->Left(), -control->Top(), &old);
    const bool drawn = tab.IsOpen() && tab.DrawBackground(dc, kTabBodyPart, 0, sheet);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
    if (drawn) return;
  }
  FillColor(dc, rect, GetEffectiveColor(parent));
}

}  // namespace toolbars

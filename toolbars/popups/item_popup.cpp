// An item's pop-up: the window that shows its children, placed next to the item (or at a point) inside the
// monitor, and the modal run of a pop-up whose chosen command is carried out after the menu has gone.
#include <windows.h>

#include <memory>

#include "framework/win_control.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/items/item.h"
#include "toolbars/popups/done_action.h"
#include "toolbars/popups/popup_window_base.h"
#include "toolbars/views/item_viewer.h"
#include "toolbars/views/view.h"

namespace toolbars {

namespace {

// A drop-down from an item this close to the monitor's top loses the item's height from its room too.
constexpr int kTopBandHeight = 121;

TBarPopupWindowClass defaultPopupWindowClass;
bool popupSoundPlayed = false;

RECT ScreenRectOf(TBarView* view, const RECT& rect) {
  RECT screen = rect;
  if (view->Window() && view->Window()->HandleAllocated())
    MapWindowPoints(view->Window()->Handle(), nullptr, reinterpret_cast<POINT*>(&screen), 2);
  return screen;
}

// How many of the view's shown viewers lie wholly inside a screen rectangle.
int CoveredViewers(TBarView* view, const RECT& screenRect) {
  if (!view) return 0;
  int count = 0;
  for (int i = 0; i < view->ViewerCount(); ++i) {
    TBarItemViewer* viewer = view->Viewers(i);
    if (!viewer->Show()) continue;
    const RECT r = ScreenRectOf(view, viewer->BoundsRect());
    if (r.left >= screenRect.left && r.top >= screenRect.top && r.right <= screenRect.right &&
        r.bottom <= screenRect.bottom)
      ++count;
  }
  return count;
}

bool Overlaps(const RECT& a, const RECT& b) {
  RECT common;
  return IntersectRect(&common, &a, &b) != FALSE;
}

RECT WindowRect(const TBarPopupPositionRec& rec) { return RECT{rec.X, rec.Y, rec.X + rec.W, rec.Y + rec.H}; }

}  // namespace

TBarPopupWindowClass DefaultPopupWindowClass() { return defaultPopupWindowClass; }

TBarPopupWindowClass SetDefaultPopupWindowClass(TBarPopupWindowClass value) {
  TBarPopupWindowClass previous = defaultPopupWindowClass;
  defaultPopupWindowClass = value;
  return previous;
}

TBarPopupWindowClass TBarCustomItem::GetPopupWindowClass() const { return DefaultPopupWindowClass(); }

TRaised TBarCustomItem::Popup(int x, int y, bool trackRightButton, TBarPopupAlignment alignment) {
  return Popup(POINT{x, y}, false, trackRightButton, alignment);
}

TRaised TBarCustomItem::Popup(POINT point, bool selectFirstItem, bool trackRightButton,
                              TBarPopupAlignment alignment) {
  // OnPopup, OnSelect and the layouts' handlers, raised while the menu opens and tracks, may free this item.
  const TLifeWatch life = LifeWatch();
  std::unique_ptr<TBarPopupWindowBase> window(
      CreatePopup(nullptr, nullptr, false, selectFirstItem, false, point, alignment));
  if (!window) return TRaised(!life.Ended());
  window->View()->IncludeState(vsModalPopup);
  TBarDoneActionData done;
  // The tracking answers for the pop-up's own view, which only this call holds; the answer here is the item's.
  TRaised tracked(true);
  try {
    if (TTrackingLoopProc loop = TrackingLoop())
      tracked = AnswerFor(life, loop(window->View(), false, false, done, trackRightButton, selectFirstItem));
  } catch (...) {
    BlockSubmenus = false;
    window.reset();
    throw;
  }
  BlockSubmenus = false;
  window.reset();
  DoneAction(done);
  return tracked;
}

TBarPopupWindowBase* TBarCustomItem::CreatePopup(TBarView* parentView, TBarItemViewer* parentViewer,
                                                 bool positionAsSubmenu, bool selectFirstItem, bool customizing,
                                                 POINT popupPoint, TBarPopupAlignment alignment) {
  // OnPopup, and the OnClick an opening raises, may free this item, its bar, its dock or its form, or rebuild the
  // view that asks: nothing opens then.
  const TLifeWatch life = LifeWatch();
  const TLifeWatch parentLife = parentView ? parentView->LifeWatch() : TLifeWatch();
  TBarCustomItem* linked = GetLinkedItem();
  if (linked != this && linked->DoPopup(this, true).Gone() && life.Ended()) return nullptr;
  if (life.Ended() || DoPopup(this, false).Gone()) return nullptr;
  if (parentView && (parentLife.Ended() || parentView->IndexOf(parentViewer) < 0)) return nullptr;

  TBarView* chevronParent = GetChevronParentView();
  TBarCustomItem* shown = chevronParent ? chevronParent->ParentItem() : this;
  if (shown) shown->SetDisplayFilter(displayFilter_);

  const TBarPopupWindowClass windowClass = GetPopupWindowClass();
  std::unique_ptr<TBarPopupWindowBase> window = windowClass.Create(nullptr, parentView, shown, customizing);
  TBarView* view = window->View();
  // The actions of the items shown update as the menu is made; an OnUpdate may free this item, its bar, its dock
  // or its form, and nothing opens then.
  const TBarCustomItem* showing = view->CurParentItem();
  if (showing && !showing->IsDesigning() &&
      (view->InitiateActions().Gone() || life.Ended() || (parentView && parentLife.Ended())))
    return nullptr;
  TBarPopupPositionRec rec;
  rec.PositionAsSubmenu = positionAsSubmenu;
  rec.Alignment = alignment;
  rec.Opposite = parentView && parentView->HasState(vsOppositePopup);
  if (chevronParent) {
    view->SetChevronParentView(chevronParent);
    view->SetIsToolbar(displayFilter_ != -1);
    if (chevronParent->HasState(vsShowHints)) view->IncludeState(vsShowHints);
    window->SetColor(clBtnFace);
  }

  // The layouts raise measuring handlers, and choosing the first entry its OnSelect: any of them may free this
  // item or the view that asks, and nothing opens then.
  const auto abandoned = [&] { return life.Ended() || (parentView && parentLife.Ended()); };
  if (parentViewer) {
    if (parentView->ValidatePositions().Gone() || abandoned() || parentView->IndexOf(parentViewer) < 0) return nullptr;
    rec.ParentItemRect = ScreenRectOf(parentView, parentViewer->BoundsRect());
    rec.MonitorRect = !IsRectEmpty(&parentView->MonitorRect())
                          ? parentView->MonitorRect()
                          : GetRectOfMonitorContainingRect(rec.ParentItemRect, true);
  } else {
    rec.ParentItemRect = RECT{popupPoint.x, popupPoint.y, popupPoint.x, popupPoint.y};
    rec.MonitorRect = GetRectOfMonitorContainingPoint(popupPoint, true);
  }

  const POINT ncSize = window->NCSize();
  rec.NCSizeX = ncSize.x;
  rec.NCSizeY = ncSize.y;
  // Both the room and the item's edge are taken relative to the monitor, so a monitor below or above the
  // primary one is measured the same way.
  int maxHeight = (rec.MonitorRect.bottom - rec.MonitorRect.top) - 2 * ncSize.y;
  const int itemBottom = rec.ParentItemRect.bottom - rec.MonitorRect.top;
  if (parentViewer && itemBottom < kTopBandHeight) maxHeight -= itemBottom;
  view->SetMaxHeight(maxHeight);

  if (view->UpdatePositions().Gone() || abandoned()) return nullptr;
  // Only laid-out viewers can be selected, so the first one is chosen once the layout stands.
  if (selectFirstItem && (view->SetSelected(view->FirstSelectable()).Gone() || abandoned())) return nullptr;
  rec.W = window->Width();
  rec.H = window->Height();
  const RECT& parent = rec.ParentItemRect;
  if (!parentViewer) {
    rec.X = popupPoint.x;
    rec.Y = popupPoint.y;
    if (alignment == TBarPopupAlignment::tbpaRight) rec.X -= rec.W;
    if (alignment == TBarPopupAlignment::tbpaCenter) rec.X -= rec.W / 2;
  } else if (positionAsSubmenu) {
    rec.X = parent.right - rec.NCSizeX;
    rec.Y = parent.top - rec.NCSizeY;
  } else if (chevronParent) {
    if (chevronParent->Orientation() != TBarViewOrientation::tbvoVertical) {
      rec.X = parent.right - rec.W;
      rec.Y = parent.bottom;
    } else {
      rec.X = parent.left - rec.W;
      rec.Y = parent.top;
    }
  } else if (parentView->Orientation() == TBarViewOrientation::tbvoVertical) {
    rec.X = parent.left - rec.W;
    rec.Y = parent.top;
  } else {
    rec.X = GetSystemMetrics(SM_MENUDROPALIGNMENT) ? parent.right - rec.W : parent.left;
    rec.Y = parent.bottom;
  }

  GetPopupPosition(parentView, window.get(), rec);
  window->SetAnimateDirection(rec.AnimateDirection);
  // The new pop-up, not yet shown, has no handlers of an application's: nothing its move raises frees it.
  (void)window->SetBounds(rec.X, rec.Y, rec.W, rec.H);
  TBarPopupWindowBase* result = window.release();
  if (parentView) parentView->SetOpenPopup(parentViewer, result);

  view->IncludeState(vsDrawInOrder);
  const bool sound = rec.PlaySound && NeedToPlaySound(L"MenuPopup");
  // The first pop-up of the run is on screen before its sound starts; later ones start the sound first. Painting
  // raises paint handlers, which may close the pop-up again.
  const TLifeWatch resultLife = result->LifeWatch();
  if (sound && popupSoundPlayed) PlayMenuSound(L"MenuPopup");
  if (result->SetVisible(true).Gone()) return nullptr;
  if (sound && !popupSoundPlayed) {
    if (result->HandleAllocated()) UpdateWindow(result->Handle());
    PlayMenuSound(L"MenuPopup");
    popupSoundPlayed = true;
  }
  return resultLife.Ended() ? nullptr : result;
}

void TBarCustomItem::GetPopupPosition(TBarView* parentView, TBarPopupWindowBase* popupWindow,
                                      TBarPopupPositionRec& rec) {
  const RECT& monitor = rec.MonitorRect;
  const RECT& parent = rec.ParentItemRect;
  const bool parentVertical = parentView && parentView->Orientation() == TBarViewOrientation::tbvoVertical;

  if (rec.Y + rec.H > monitor.bottom && !parentVertical) {
    const int top = rec.PositionAsSubmenu ? parent.bottom + rec.NCSizeY - rec.H : parent.top - rec.H;
    if (top >= monitor.top) rec.Y = top;
  }
  if (rec.Y + rec.H > monitor.bottom) rec.Y = monitor.bottom - rec.H;
  if (rec.Y < monitor.top) rec.Y = monitor.top;

  if (!rec.PositionAsSubmenu) {
    if (!parentView && rec.Alignment == TBarPopupAlignment::tbpaRight && rec.X < monitor.left) rec.X += rec.W;
    if (rec.X + rec.W > monitor.right)
      rec.X = ((parentView || rec.Alignment != TBarPopupAlignment::tbpaLeft) ? monitor.right : rec.X) - rec.W;
    if (rec.X < monitor.left) rec.X = monitor.left;
    if (!parentVertical) {
      TBarPopupPositionRec above = rec;
      above.Y = parent.top - rec.H;
      if (above.Y >= monitor.top &&
          (CoveredViewers(parentView, WindowRect(above)) < CoveredViewers(parentView, WindowRect(rec)) ||
           Overlaps(WindowRect(rec), parent)))
        rec.Y = above.Y;
      if (Overlaps(WindowRect(rec), parent)) {
        rec.X = parent.right + rec.W > monitor.right ? parent.left - rec.W : parent.right;
        if (rec.X < monitor.left) rec.X = monitor.left;
      }
    } else {
      TBarPopupPositionRec beside = rec;
      beside.X = parent.right;
      if (parent.right + rec.W <= monitor.right &&
          (CoveredViewers(parentView, WindowRect(beside)) < CoveredViewers(parentView, WindowRect(rec)) ||
           Overlaps(WindowRect(rec), parent)))
        rec.X = beside.X;
      if (Overlaps(WindowRect(rec), parent)) {
        rec.Y = parent.bottom + rec.H > monitor.bottom ? parent.top - rec.H : parent.bottom;
        if (rec.Y < monitor.top) rec.Y = monitor.top;
      }
    }
  } else {
    auto leftX = [&] { return parentView ? parent.left + rec.NCSizeX - rec.W : rec.X - rec.W; };
    if (rec.Opposite && leftX() < monitor.left) rec.Opposite = false;
    if (rec.Opposite || rec.X + rec.W > monitor.right) {
      rec.X = leftX();
      // Deeper submenus keep opening on this side.
      if (popupWindow && popupWindow->View()) popupWindow->View()->IncludeState(vsOppositePopup);
    }
    if (rec.X < monitor.left) rec.X = monitor.left;
  }

  rec.AnimateDirection = 0;
  if (!rec.PositionAsSubmenu) {
    if (rec.Y + rec.H <= parent.top && rec.Y < parent.top)
      rec.AnimateDirection |= adUp;
    else
      rec.AnimateDirection |= adDown;
    if (rec.X + rec.W <= parent.left && rec.X < parent.left)
      rec.AnimateDirection |= adLeft;
    else if (rec.X >= parent.right)
      rec.AnimateDirection |= adRight;
  } else {
    const int centre = rec.X + rec.W / 2;
    rec.AnimateDirection |= centre < (parent.left + parent.right) / 2 ? adLeft : adRight;
  }
}

}  // namespace toolbars

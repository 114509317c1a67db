// The interactive side of a view: the selected viewer and whether the pointer is over it, keyboard moves inside
// menus and toolbars, accelerator search, submenus opened and closed, the view timers and the priority of
// recently used items.
#include "framework/accelerators.h"
#include "framework/win_control.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/popups/done_action.h"
#include "toolbars/popups/popup_window_base.h"
#include "toolbars/views/item_viewer.h"
#include "toolbars/views/view.h"

namespace toolbars {

namespace {

constexpr unsigned kTimerKinds = 4;

bool SameKey(wchar_t a, wchar_t b) {
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, &a, 1, &b, 1) == CSTR_EQUAL;
}

bool Reachable(const TBarItemViewer* viewer) {
  return (viewer->Show() || viewer->Clipped()) && viewer->Item()->Visible() && viewer->Item()->HasStyle(isSelectable);
}

}  // namespace

bool TBarView::IsInWindow(POINT screenPoint, POINT& clientPoint) const {
  if (!window_ || !window_->HandleAllocated()) return false;
  HWND handle = window_->Handle();
  if (WindowFromPoint(screenPoint) != handle) return false;
  clientPoint = screenPoint;
  ::ScreenToClient(handle, &clientPoint);
  return true;
}

TRaised TBarView::SetSelected(TBarItemViewer* viewer) {
  // The items' OnSelect may free this view (with its bar, dock or form), or delete items and so their viewers.
  const TLifeWatch life = LifeWatch();
  TBarItemViewer* old = selected_;
  const bool changed = viewer != old;
  if (changed) {
    CancelMouseButtonDown();
    if (old) {
      const TLifeWatch viewerLife = viewer ? viewer->LifeWatch() : TLifeWatch();
      const TRaised left = old->Leaving();
      if (life.Ended()) return TRaised(false);
      if (left.Gone()) old = nullptr;
      if (viewer && viewerLife.Ended()) viewer = nullptr;
    }
    selected_ = viewer;
  }
  bool over = false;
  if (viewer) {
    const DWORD position = GetMessagePos();
    POINT client{};
    if (IsInWindow(POINT{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))}, client)) {
      over = ViewerFromPoint(client) == viewer;
      if (over && mouseButtonDown_)
        over = viewer->IsPtInButtonPart(client.x - viewer->BoundsRect().left, client.y - viewer->BoundsRect().top);
    }
  }
  if (changed) {
    mouseOverSelected_ = over;
    if (old && old->Item()->HasStyle(isRedrawOnSelChange)) old->Invalidate();
    if (viewer) {
      if (viewer->Item()->HasStyle(isRedrawOnSelChange)) viewer->Invalidate();
      if (viewer->Entering(old).Gone()) return TRaised(!life.Ended());
    }
  } else if (over != mouseOverSelected_) {
    mouseOverSelected_ = over;
    if (viewer && mouseButtonDown_ && viewer->Item()->HasStyle(isRedrawOnHotChange)) viewer->Invalidate();
  }
  return TRaised(!life.Ended());
}

TRaised TBarView::UpdateSelection(const POINT* screenPoint, bool allowNewSelection) {
  if (ValidatePositions().Gone()) return TRaised(false);
  TBarItemViewer* newSelected = (isPopup_ || HasState(vsModal)) ? selected_ : nullptr;
  const bool wasInside = HasState(vsMouseInWindow);
  POINT client{};
  if (screenPoint && IsInWindow(*screenPoint, client)) {
    if (isToolbar_ && !HasState(vsModal)) newSelected = nullptr;
    IncludeState(vsMouseInWindow);
    if (allowNewSelection || selected_)
      if (TBarItemViewer* under = ViewerFromPoint(client)) newSelected = under;
  } else {
    ExcludeState(vsMouseInWindow);
  }
  const bool inside = HasState(vsMouseInWindow);
  if (isPopup_ && mouseButtonDown_) {
    newSelected = selected_;
  } else if (isPopup_ && newSelected) {
    if (wasInside && !inside && !(openViewer_ && newSelected->Item()->HasStyle(isSubmenu))) newSelected = nullptr;
    if (inside && parentView_) {
      // The parent's OnSelect may close this pop-up, or free the parent's bar with it.
      const TLifeWatch life = LifeWatch();
      if (parentView_->selected_ != parentView_->openViewer_ &&
          parentView_->SetSelected(parentView_->openViewer_).Gone())
        return TRaised(!life.Ended());
      if (life.Ended()) return TRaised(false);
      parentView_->StopTimer(TBarViewTimer::tiClose);
      parentView_->StopTimer(TBarViewTimer::tiOpen);
      if (newSelected && IndexOf(newSelected) < 0) newSelected = nullptr;
    }
  }
  return SetSelected(newSelected);
}

TBarItemViewer* TBarView::NextSelectable(TBarItemViewer* viewer, bool goForward) {
  const int count = ViewerCount();
  if (count == 0) return nullptr;
  int index = viewer ? IndexOf(viewer) : (goForward ? -1 : count);
  for (int step = 0; step < count; ++step) {
    index += goForward ? 1 : -1;
    if (index >= count) index = 0;
    if (index < 0) index = count - 1;
    TBarItemViewer* candidate = Viewers(index);
    if (Reachable(candidate)) return candidate;
  }
  return nullptr;
}

TBarItemViewer* TBarView::FirstSelectable() {
  TBarItemViewer* first = NextSelectable(nullptr, true);
  TBarItemViewer* candidate = first;
  while (candidate && candidate->Item()->HasStyle(isDontSelectFirst)) {
    candidate = NextSelectable(candidate, true);
    if (candidate == first) return nullptr;
  }
  return candidate;
}

TRaised TBarView::SelectNext(bool goForward) {
  if (SetSelected(NextSelectable(selected_, goForward)).Gone()) return TRaised(false);
  return ScrollSelectedIntoView();
}

TRaised TBarView::GivePriority(TBarItemViewer* viewer) {
  // A layout may run, raising measuring handlers that free this view or the views around it.
  const TLifeWatch life = LifeWatch();
  if (chevronParentView_) {
    const int index = IndexOf(viewer) + chevronParentView_->internalViewersAtFront_;
    if (index >= 0 && index < chevronParentView_->ViewerCount() &&
        chevronParentView_->GivePriority(chevronParentView_->Viewers(index)).Gone())
      return TRaised(!life.Ended());
  } else if (priorityList_) {
    auto found = std::find(priorityList_->begin(), priorityList_->end(), viewer);
    if (found != priorityList_->end()) {
      priorityList_->erase(found);
      priorityList_->insert(priorityList_->begin(), viewer);
      if (viewer->OffEdge() || !validPositions_) {
        InvalidatePositions();
        if (TryValidatePositions().Gone()) return TRaised(false);
      }
    }
  }
  if (life.Ended()) return TRaised(false);
  if (parentView_ && parentView_->openViewer_ && parentView_->GivePriority(parentView_->openViewer_).Gone())
    return TRaised(!life.Ended());
  return TRaised(!life.Ended());
}

TBarItemViewer* TBarView::HighestPriorityViewer() {
  auto candidate = [](TBarItemViewer* viewer) { return viewer->Show() && !viewer->Item()->HasStyle(isSeparator); };
  if (priorityList_) {
    for (TBarItemViewer* viewer : *priorityList_)
      if (candidate(viewer)) return viewer;
    return nullptr;
  }
  for (auto& viewer : viewers_)
    if (candidate(viewer.get())) return viewer.get();
  return nullptr;
}

TRaised TBarView::OpenChildPopup(bool selectFirstItem) {
  if (BlockSubmenus) return TRaised(true);
  StopTimer(TBarViewTimer::tiClose);
  StopTimer(TBarViewTimer::tiOpen);
  if (selected_ == openViewer_) return TRaised(true);
  CloseChildPopups();
  if (!selected_ || !selected_->Item()->Enabled() || !selected_->Item()->HasStyle(isSubmenu)) return TRaised(true);
  // The item's OnPopup may free this view; the pop-up then never opened.
  const TLifeWatch life = LifeWatch();
  selected_->Item()->CreatePopup(this, selected_, !isToolbar_, selectFirstItem, customizing_, POINT{},
                                 TBarPopupAlignment::tbpaLeft);
  return TRaised(!life.Ended());
}

void TBarView::SetOpenPopup(TBarItemViewer* viewer, TBarPopupWindowBase* window) {
  openViewerWindow_ = window;
  openViewerView_ = window ? window->View() : nullptr;
  openViewer_ = viewer;
  if (window) window->FreeNotification(this);
  if (isToolbar_ && viewer) {
    viewer->Invalidate();
    if (window_ && window_->HandleAllocated()) UpdateWindow(window_->Handle());
  }
}

void TBarView::CloseChildPopups() {
  if (openViewerView_) openViewerView_->CloseChildPopups();
  TBarPopupWindowBase* window = openViewerWindow_;
  TBarItemViewer* viewer = openViewer_;
  openViewerWindow_ = nullptr;
  openViewerView_ = nullptr;
  openViewer_ = nullptr;
  if (window) {
    window->RemoveFreeNotification(this);
    delete window;
  }
  ExcludeState(vsDestroyingChild);
  if (viewer && isToolbar_) viewer->Invalidate();
}

TRaised TBarView::OpenOrCloseSelected() {
  if (HasState(vsKeyMode) && selected_ && !selected_->Item()->HasStyle(isNoAutoOpen)) return OpenChildPopup(true);
  CloseChildPopups();
  return TRaised(true);
}

void TBarView::StartTimer(TBarViewTimer timer, UINT interval) {
  auto* popup = ObjectAs<TBarPopupWindowBase>(window_);
  if (!popup || !popup->HandleAllocated()) return;
  const unsigned kind = static_cast<unsigned>(timer);
  SetTimer(popup->Handle(), kViewTimerIdBase + kind, interval, nullptr);
  if (timer == TBarViewTimer::tiOpen) openTimerViewer_ = selected_;
  activeTimers_ = static_cast<uint8_t>(activeTimers_ | (1u << kind));
}

void TBarView::StopTimer(TBarViewTimer timer) {
  const unsigned kind = static_cast<unsigned>(timer);
  if (!(activeTimers_ & (1u << kind))) return;
  activeTimers_ = static_cast<uint8_t>(activeTimers_ & ~(1u << kind));
  if (window_ && window_->HandleAllocated()) KillTimer(window_->Handle(), kViewTimerIdBase + kind);
}

void TBarView::StopAllTimers() {
  for (unsigned kind = 0; kind < kTimerKinds; ++kind) StopTimer(static_cast<TBarViewTimer>(kind));
}

void TBarView::SetMouseButtonDown() { mouseButtonDown_ = true; }

void TBarView::CancelMouseButtonDown() {
  if (!mouseButtonDown_) return;
  mouseButtonDown_ = false;
  LastCursorPos.x = kNoCursorPos;
  if (selected_) selected_->Invalidate();
}

void TBarView::SetAccelsVisibility(bool show) {
  const bool visible = show || !HasState(vsUseHiddenAccels) || AreKeyboardCuesEnabled();
  if (visible == HasState(vsShowAccels)) return;
  if (visible)
    IncludeState(vsShowAccels);
  else
    ExcludeState(vsShowAccels);
  for (auto& viewer : viewers_)
    if (viewer->CaptionShown() && FindAccelChar(viewer->CaptionText()) != 0) viewer->Invalidate();
}

TBarItemViewer* TBarView::FindAccelerator(wchar_t key, bool onlyPrimary, bool& isOnlyItemWithAccel) {
  isOnlyItemWithAccel = false;
  auto explicitAccel = [key](TBarItemViewer* viewer) {
    if (!Reachable(viewer) || !viewer->CaptionShown()) return false;
    const String caption = viewer->CaptionText();
    const wchar_t accel = FindAccelChar(caption);
    return !caption.empty() && accel != 0 && SameKey(accel, key);
  };
  auto firstLetter = [key](TBarItemViewer* viewer) {
    if (!Reachable(viewer) || !viewer->CaptionShown() || key == L' ') return false;
    const String caption = viewer->CaptionText();
    return !caption.empty() && FindAccelChar(caption) == 0 && SameKey(caption[0], key);
  };
  // The first match after from, going round to from itself last.
  auto search = [this](TBarItemViewer* from, auto&& matches, bool enabled) -> TBarItemViewer* {
    const int count = ViewerCount();
    int index = from ? IndexOf(from) : -1;
    for (int step = 0; step < count; ++step) {
      index = (index + 1) % count;
      TBarItemViewer* viewer = Viewers(index);
      if (viewer->Item()->Enabled() == enabled && matches(viewer)) return viewer;
    }
    return nullptr;
  };
  for (int pass = 0; pass < (onlyPrimary ? 1 : 2); ++pass) {
    for (bool enabled : {true, false}) {
      TBarItemViewer* found =
          pass == 0 ? search(selected_, explicitAccel, enabled) : search(selected_, firstLetter, enabled);
      if (!found) continue;
      if (!enabled) {
        isOnlyItemWithAccel = true;
      } else {
        TBarItemViewer* again = pass == 0 ? search(found, explicitAccel, true) : search(found, firstLetter, true);
        isOnlyItemWithAccel = again == found;
      }
      return found;
    }
  }
  return nullptr;
}

TRaised TBarView::EnterToolbarLoop(bool startedByMouse, bool menuMode, bool selectFirst) {
  if (!isToolbar_ || HasState(vsModal)) return TRaised(true);
  state_ = static_cast<TBarViewState>(state_ & vsShowAccels);
  TBarDoneActionData done;
  // The handlers the tracking raises may free this view with its bar; what was chosen is still carried out.
  const TLifeWatch life = LifeWatch();
  const auto finish = [&] {
    DoneAction(done);
    return TRaised(!life.Ended());
  };
  const TTrackingLoopProc loop = TrackingLoop();
  if (loop && loop(this, startedByMouse, menuMode, done, false, selectFirst).Gone()) return finish();
  StopAllTimers();
  CloseChildPopups();
  POINT cursor{};
  GetCursorPos(&cursor);
  if (UpdateSelection(&cursor, false).Gone()) return finish();
  SetAccelsVisibility(false);
  const TRaised left = SetSelected(nullptr);
  DoneAction(done);
  return left;
}

TRaised TBarView::ExecuteSelected(TBarTrackingState& state) {
  TBarItemViewer* viewer = selected_;
  if (!viewer) {
    state.Done = true;
    return TRaised(true);
  }
  if (!viewer->Item()->HasStyle(isSplitButton)) {
    const TLifeWatch viewerLife = viewer->LifeWatch();
    if (OpenChildPopup(true).Gone()) return TRaised(false);
    if (openViewer_) {
      if (GetParentToolbarView() == this) IncludeState(vsKeyMode);
      return TRaised(true);
    }
    // An OnPopup that deleted the item leaves nothing to run.
    if (viewerLife.Ended()) {
      state.Done = true;
      return TRaised(true);
    }
  }
  if (viewer->Item()->HasStyle(isSelectable)) {
    const TLifeWatch viewerLife = viewer->LifeWatch();
    if (GivePriority(viewer).Gone()) return TRaised(false);
    if (!viewerLife.Ended()) RecordItemClick(state, viewer->Item(), !(state.RootView == this && !isPopup_));
  }
  state.Done = true;
  return TRaised(true);
}

TRaised TBarView::ScrollSelectedIntoView() {
  if (!selected_ || !(selected_->Show() || selected_->Clipped())) return TRaised(true);
  const int height = window_ && window_->HandleAllocated() ? window_->ClientHeight() : maxHeight_;
  const RECT& bounds = selected_->BoundsRect();
  if (bounds.top < kScrollArrowHeight)
    scrollOffset_ += bounds.top - kScrollArrowHeight;
  else if (bounds.bottom > height - kScrollArrowHeight)
    scrollOffset_ += bounds.bottom - (height - kScrollArrowHeight);
  else
    return TRaised(true);
  InvalidatePositions();
  return ValidatePositions();
}

TRaised TBarView::KeyDown(WORD& key, TShiftState shift, TBarTrackingState& state) {
  TBarView* toolbar = GetParentToolbarView();
  const bool toolbarHorizontal = toolbar && toolbar->orientation_ != TBarViewOrientation::tbvoVertical;
  // Closing this pop-up frees this view: nothing may touch it afterwards.
  auto closeThisPopup = [this, toolbar] {
    if (toolbar) toolbar->ExcludeState(vsKeyMode);
    if (parentView_) parentView_->CloseChildPopups();
    return TRaised(false);
  };
  // The bar's selection moves, raising OnSelect and OnPopup, which may free the bar and its pop-ups; the bar's
  // own moves close this pop-up when it is the bar's.
  const auto moveOnToolbar = [this, toolbar](bool goForward) {
    const TLifeWatch life = LifeWatch();
    if (toolbar->SetSelected(toolbar->NextSelectable(toolbar->selected_, goForward)).Gone() ||
        toolbar->OpenOrCloseSelected().Gone())
      return TRaised(false);
    return TRaised(!life.Ended());
  };
  switch (key) {
    case VK_LEFT:
    case VK_RIGHT: {
      const WORD pressed = key;
      key = 0;
      if (toolbar == this && orientation_ == TBarViewOrientation::tbvoVertical) {
        if (OpenChildPopup(true).Gone()) return TRaised(false);
        if (openViewer_) toolbar->IncludeState(vsKeyMode);
        return TRaised(true);
      }
      if (pressed == VK_LEFT) {
        if (isPopup_ && !toolbarHorizontal) {
          if (state.RootView != this) return closeThisPopup();
        } else if (toolbarHorizontal && (toolbar == this || toolbar == parentView_)) {
          return moveOnToolbar(false);
        } else if (parentView_) {
          parentView_->CloseChildPopups();
        }
        return TRaised(true);
      }
      bool opened = false;
      if (toolbar != this && selected_ && selected_->Item()->HasStyle(isSubmenu)) {
        if (OpenChildPopup(true).Gone()) return TRaised(false);
        opened = openViewer_ != nullptr;
      }
      if ((toolbar == this || !opened) && toolbarHorizontal) return moveOnToolbar(true);
      return TRaised(true);
    }
    case VK_UP:
    case VK_DOWN:
      if (toolbar == this && toolbarHorizontal) {
        if (OpenChildPopup(true).Gone()) return TRaised(false);
        if (openViewer_) IncludeState(vsKeyMode);
      } else if (SelectNext(key == VK_DOWN).Gone()) {
        return TRaised(false);
      }
      break;
    case VK_HOME:
    case VK_END:
      if (SetSelected(key == VK_HOME ? NextSelectable(nullptr, true) : NextSelectable(nullptr, false)).Gone() ||
          ScrollSelectedIntoView().Gone())
        return TRaised(false);
      break;
    case VK_TAB:
      if (SelectNext(!shift.Contains(TShiftStateItem::ssShift)).Gone()) return TRaised(false);
      break;
    case VK_RETURN:
      if (!selected_ || !selected_->Item()->Enabled()) {
        state.Done = true;
      } else if (ExecuteSelected(state).Gone()) {
        key = 0;
        return TRaised(false);
      }
      break;
    case VK_ESCAPE:
      key = 0;
      if (state.RootView != this) return closeThisPopup();
      state.Done = true;
      return TRaised(true);
    case VK_MENU:
    case VK_F10:
      state.Done = true;
      break;
    case VK_F1:
      for (TBarView* view = this; view; view = view->parentView_) {
        if (!view->selected_ || view->selected_->Item()->HelpContext() == 0) continue;
        if (state.DoneRecord) {
          *state.DoneRecord = TBarDoneActionData{};
          state.DoneRecord->Kind = TBarDoneActionKind::tbdaHelp;
          state.DoneRecord->HelpContext = view->selected_->Item()->HelpContext();
        }
        state.Done = true;
        break;
      }
      break;
    default:
      return TRaised(true);
  }
  key = 0;
  return TRaised(true);
}

}  // namespace toolbars

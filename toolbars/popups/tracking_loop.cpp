#include <windows.h>
// clang-format off
#include <imm.h>
// clang-format on

#include <algorithm>
#include <vector>

#include "framework/application.h"
#include "framework/win_control.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/items/drag_cursors.h"
#include "toolbars/popups/item_drag.h"
#include "toolbars/popups/popup_window_base.h"
#include "toolbars/popups/tracking.h"
#include "toolbars/views/item_viewer.h"
#include "toolbars/views/view.h"

namespace toolbars {

TBarContextMenuState ContextMenuState;

namespace {

constexpr UINT kScrollInterval = 10;
// The system's own timer message (caret blinking), which the headers do not name.
constexpr UINT kSystemTimer = 0x0118;

POINT ToViewer(const TBarItemViewer* viewer, POINT screenPoint) { return viewer->ScreenToClient(screenPoint); }

// The chain from the root to the innermost open view.
std::vector<TBarView*> Chain(TBarView* root) {
  std::vector<TBarView*> chain;
  for (TBarView* view = root; view; view = view->OpenViewerView()) chain.push_back(view);
  return chain;
}

TBarView* CapturingView(TBarView* root) {
  for (TBarView* view = root; view; view = view->OpenViewerView())
    if (view->MouseButtonDown()) return view;
  return nullptr;
}

void CancelApplicationHint() {
  if (Application) Application->CancelHint();
}

// The view that takes a drop and the index in it: the innermost view, else its parent; -1 when none.
int FindDropPosition(TBarView* root, TBarView*& dropView) {
  dropView = InnermostOpenView(root);
  int index = DropInsertIndex(dropView);
  if (index < 0 && dropView->ParentView()) {
    dropView = dropView->ParentView();
    index = DropInsertIndex(dropView);
  }
  return index;
}

HWND HandleOf(TBarView* view) {
  return view && view->Window() && view->Window()->HandleAllocated() ? view->Window()->Handle() : nullptr;
}

// One run of the loop: the state every message handler shares. Any message may run a handler that frees the root
// view (with its bar, dock or form), a pop-up of the chain, or an item: every step that may raise one checks what
// it goes on to use, and the loop ends, touching nothing of the root, once the root is gone.
class TTracker {
 public:
  TTracker(TBarView* root, TBarDoneActionData& done, bool trackRightButton)
      : rootLife_(root->LifeWatch()), trackRight_(trackRightButton) {
    state_.RootView = root;
    state_.DoneRecord = &done;
  }
  ~TTracker() { Leave(); }
  TTracker(const TTracker&) = delete;
  TTracker& operator=(const TTracker&) = delete;

  // Answers whether the root view outlived the tracking.
  [[nodiscard]] TRaised Run(bool startedByMouse, bool menuMode, bool selectFirst);

 private:
  TBarView* Root() const { return state_.RootView; }
  bool RootGone() const { return rootLife_.Ended(); }
  // What a handler that found its object gone answers: the tracking ends only with the root.
  bool EndIfRootGone() const { return RootGone(); }
  TRaised RootAnswer() const { return TRaised(!RootGone()); }
  // Takes the mouse and lays the root out, whose handlers may free it.
  [[nodiscard]] TRaised Enter(bool menuMode);
  void Leave();
  // Whether a button press must end the tracking and go to the window under the pointer.
  bool PressEndsTracking(const MSG& msg);
  // Answers true when the tracking is to end.
  bool Handle(MSG& msg);
  bool KeyDown(MSG& msg);
  bool Character(const MSG& msg);
  bool MouseMove(POINT point);
  bool ButtonDown(const MSG& msg);
  bool LeftButtonUp(POINT point);
  bool ReleaseButton(POINT point);
  // Answers whether a context menu was shown.
  bool RightButtonUp(POINT point);
  bool ButtonHeld() const { return GetKeyState(VK_LBUTTON) < 0 || (trackRight_ && GetKeyState(VK_RBUTTON) < 0); }

  TBarTrackingState state_;
  TLifeWatch rootLife_;
  bool trackRight_;
  bool entered_ = false;
  bool captured_ = false;
};

TRaised TTracker::Enter(bool menuMode) {
  TBarView* root = Root();
  entered_ = true;
  captured_ = !(root->ParentItem() && root->ParentItem()->Tag() == kNoCaptureTag);
  if (captured_) BeginMenuCapture(HandleOf(root));
  if (root->ValidatePositions().Gone()) return TRaised(false);
  if (menuMode)
    root->IncludeState(vsKeyMode);
  else
    root->ExcludeState(vsKeyMode);
  root->IncludeState(vsModal);
  return TRaised(true);
}

void TTracker::Leave() {
  if (!entered_) return;
  entered_ = false;
  if (!RootGone()) {
    TBarView* root = Root();
    root->CancelMouseButtonDown();
    root->ExcludeState(vsModal);
  }
  if (captured_) EndMenuCapture();
  if (Application) Application->SetHint(L"");
  RemoveMessages(WM_CHAR, WM_DEADCHAR);
  RemoveMessages(WM_SYSCHAR, WM_SYSDEADCHAR);
  DragSource = 0;
}

TRaised TTracker::Run(bool startedByMouse, bool menuMode, bool selectFirst) {
  if (Enter(menuMode).Gone()) return TRaised(false);
  TBarView* root = Root();
  if (startedByMouse) {
    if (TBarItemViewer* selected = root->Selected()) {
      const DWORD position = GetMessagePos();
      const POINT local =
          ToViewer(selected, POINT{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))});
      if (selected->MouseDown({}, local.x, local.y, state_).Gone() && RootGone()) return TRaised(false);
      if (RootGone() || state_.Done) return RootAnswer();
    }
    state_.Again = false;
  }
  if (root->HasState(vsKeyMode) && root->OpenChildPopup(selectFirst).Gone()) return RootAnswer();

  bool firstPass = true;
  while (TrackingCaptureHeld()) {
    if (!firstPass) WaitMessage();
    firstPass = false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      // A quit request ends the tracking and stays queued for the application's own loop.
      if (msg.message == WM_QUIT) return RootAnswer();
      if ((msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN) && PressEndsTracking(msg))
        return RootAnswer();
      if (RootGone()) return TRaised(false);
      if (!PeekMessageW(&msg, nullptr, msg.message, msg.message, PM_REMOVE)) continue;
      if (Handle(msg) || RootGone()) return RootAnswer();
      if (LastCursorPos.x == kNoCursorPos) {
        LastCursorPos = msg.pt;
        if (UpdateTrackingCursor(root).Gone()) return TRaised(false);
      }
      UpdateStatusHint(root);
      if (!TrackingCaptureHeld()) return RootAnswer();
    }
  }
  return RootAnswer();
}

bool TTracker::PressEndsTracking(const MSG& msg) {
  TBarView* root = Root();
  TControl* control = FindDragTarget(msg.pt, true);
  if (auto* popup = ObjectAs<TBarPopupWindowBase>(control))
    if (popup->View() && root->IsAncestorOf(popup->View())) return false;
  TWinControl* rootWindow = root->Window();
  if (root->IsPopup() || !rootWindow || control != rootWindow || !rootWindow->HandleAllocated()) return true;
  POINT client = rootWindow->ScreenToClient(msg.pt);
  RECT clientRect{};
  GetClientRect(rootWindow->Handle(), &clientRect);
  if (!PtInRect(&clientRect, client)) return true;
  if (msg.message != WM_LBUTTONDOWN) return false;
  if (UpdateMouseSelection(root, msg.pt, true).Gone()) return true;
  TBarItemViewer* selected = root->Selected();
  return !selected || !root->MouseOverSelected() || selected->Item()->HasStyle(isClicksTransparent);
}

bool TTracker::Handle(MSG& msg) {
  switch (msg.message) {
    case WM_CONTEXTMENU:
    case kSystemTimer:
    case WM_KEYUP:
    case WM_DEADCHAR:
    case WM_SYSKEYUP:
    case WM_SYSDEADCHAR:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      return false;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      return KeyDown(msg);
    case WM_CHAR:
    case WM_SYSCHAR:
      return Character(msg);
    case WM_TIMER: {
      auto* popup = ObjectAs<TBarPopupWindowBase>(FindControl(msg.hwnd));
      if (popup && popup->View() && msg.wParam >= kViewTimerIdBase && msg.wParam <= kViewTimerIdBase + 3) {
        if (popup->View()->TimerFired(static_cast<TBarViewTimer>(msg.wParam - kViewTimerIdBase)).Gone())
          return EndIfRootGone();
      } else {
        // The application's timers run here too, and may free anything the tracking shows.
        DispatchMessageW(&msg);
      }
      return EndIfRootGone();
    }
    case WM_MOUSEMOVE:
      return MouseMove(msg.pt);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
      return ButtonDown(msg);
    case WM_LBUTTONUP:
      return LeftButtonUp(msg.pt);
    case WM_RBUTTONUP:
      // A tracked right button clicks like the left one, unless the entry shows its context menu.
      if (RightButtonUp(msg.pt) || !trackRight_) return RootGone();
      return ReleaseButton(msg.pt);
    case WM_MOUSEWHEEL: {
      TBarView* view = nullptr;
      TBarItemViewer* viewer = nullptr;
      if (GetMouseTarget(Root(), view, viewer)) {
        const POINT local = ToViewer(viewer, msg.pt);
        if (viewer->MouseWheel(static_cast<short>(HIWORD(msg.wParam)), local.x, local.y).Gone()) return EndIfRootGone();
      }
      return false;
    }
    case WM_BAR_OPENSUBMENU:
      if (InnermostOpenView(Root())->OpenChildPopup(false).Gone()) return EndIfRootGone();
      return false;
    case WM_BAR_CLOSESUBMENU:
      if (TBarView* parent = InnermostOpenView(Root())->ParentView()) parent->CloseChildPopups();
      return false;
    case WM_BAR_CLOSEALLMENUS:
      Root()->CloseChildPopups();
      return true;
    default:
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      return EndIfRootGone();
  }
}

bool TTracker::KeyDown(MSG& msg) {
  CancelApplicationHint();
  WORD key = static_cast<WORD>(msg.wParam);
  if (key == VK_PROCESSKEY) key = static_cast<WORD>(ImmGetVirtualKey(msg.hwnd));
  if (ButtonHeld() && key != VK_F1) return false;
  if (DispatchTrackingKey(InnermostOpenView(Root()), key, KeyDataToShiftState(msg.lParam), state_).Gone())
    return state_.Done || EndIfRootGone();
  if (state_.Done) return true;
  if (key != 0) {
    msg.wParam = key;
    TranslateMessage(&msg);
  }
  return false;
}

bool TTracker::Character(const MSG& msg) {
  CancelApplicationHint();
  if (ButtonHeld()) return false;
  const auto ch = static_cast<wchar_t>(msg.wParam);
  TBarView* innermost = InnermostOpenView(Root());
  bool only = false;
  if (TBarItemViewer* found = innermost->FindAccelerator(ch, false, only)) {
    if (innermost->SetSelected(found).Gone()) return EndIfRootGone();
    if (only) {
      WORD key = VK_RETURN;
      if (DispatchTrackingKey(innermost, key, {}, state_).Gone()) return state_.Done || EndIfRootGone();
      if (state_.Done) return true;
    }
    if (innermost->ScrollSelectedIntoView().Gone()) return EndIfRootGone();
    return false;
  }
  HWND active = GetActiveWindow();
  if ((ch == L' ' || ch == L'-') && !Root()->IsPopup() && innermost == Root() && active) {
    if (state_.DoneRecord) {
      *state_.DoneRecord = TBarDoneActionData{};
      state_.DoneRecord->Kind = TBarDoneActionKind::tbdaSysKey;
      state_.DoneRecord->Wnd = active;
      state_.DoneRecord->Flag = ch;
    }
    return true;
  }
  MessageBeep(0);
  return false;
}

bool TTracker::MouseMove(POINT point) {
  if (!PointsEqual(point, LastCursorPos)) {
    LastCursorPos = point;
    if (UpdateTrackingCursor(Root()).Gone()) return true;
  }
  if (ContextMenuState.Active) return false;
  TBarView* view = nullptr;
  TBarItemViewer* viewer = nullptr;
  if (GetMouseTarget(Root(), view, viewer)) {
    const POINT local = ToViewer(viewer, point);
    if (viewer->MouseMove(local.x, local.y).Gone()) return EndIfRootGone();
  }
  return false;
}

bool TTracker::ButtonDown(const MSG& msg) {
  if (msg.message == WM_RBUTTONDOWN && !trackRight_) return false;
  CancelApplicationHint();
  state_.Again = false;
  Root()->ExcludeState(vsModalPopup);
  if (UpdateMouseSelection(Root(), msg.pt, true).Gone()) return true;
  TBarView* view = nullptr;
  TBarItemViewer* viewer = nullptr;
  if (GetMouseTarget(Root(), view, viewer)) {
    TShiftState shift;
    if (msg.message == WM_LBUTTONDBLCLK) shift.Include(TShiftStateItem::ssDouble);
    const POINT local = ToViewer(viewer, msg.pt);
    if (viewer->MouseDown(shift, local.x, local.y, state_).Gone()) return state_.Done || EndIfRootGone();
    if (state_.Done) return true;
  }
  LastCursorPos = msg.pt;
  return false;
}

bool TTracker::LeftButtonUp(POINT point) {
  TBarView* root = Root();
  if (DragSource) {
    TBarView* dropView = nullptr;
    const int index = FindDropPosition(root, dropView);
    bool changed = false;
    if (index >= 0 && FinishItemDrop(root, dropView, dropView->CurParentItem(), index, changed).Gone()) return true;
    CaptureMenuWindow(HandleOf(InnermostOpenView(root)));
    DragSource = 0;
    if (changed) return false;
  }
  return ReleaseButton(point);
}

bool TTracker::ReleaseButton(POINT point) {
  TBarView* root = Root();
  if (UpdateMouseSelection(root, point, false).Gone()) return true;
  TBarView* view = nullptr;
  TBarItemViewer* viewer = nullptr;
  if (GetMouseTarget(root, view, viewer)) {
    const POINT local = ToViewer(viewer, point);
    if (viewer->MouseUp(local.x, local.y, state_).Gone()) return state_.Done || EndIfRootGone();
    return state_.Done;
  }
  bool anyInside = false;
  for (TBarView* chained : Chain(root)) anyInside = anyInside || chained->HasState(vsMouseInWindow);
  if (anyInside && !(view == root && root->IsToolbar())) return false;
  if (root->HasState(vsModalPopup)) {
    root->ExcludeState(vsModalPopup);
    return false;
  }
  return true;
}

bool TTracker::RightButtonUp(POINT point) {
  TBarView* root = Root();
  if (UpdateMouseSelection(root, point, false).Gone()) return true;
  TBarView* view = nullptr;
  TBarItemViewer* viewer = nullptr;
  if (!GetMouseTarget(root, view, viewer)) return false;
  TBarCustomItem* item = viewer->Item();
  TBarItemContextMenu* menu = nullptr;
  uintptr_t link = 0;
  if (item->DragLink() != 0 && item->Draggable() && ContextMenuState.Menu) {
    menu = ContextMenuState.Menu;
    link = item->DragLink();
  } else {
    menu = item->ContextPopup();
  }
  if (!menu) return false;
  TBarView* innermost = InnermostOpenView(root);
  ContextMenuState.Item = item;
  ContextMenuState.Link = link;
  ContextMenuState.Active = true;
  ContextMenuState.MenuWindow = HandleOf(innermost);
  ContextMenuState.CaptureWindow = CaptureWnd;
  BlockSubmenus = true;
  innermost->CloseChildPopups();
  // The owner's menu runs the application's commands, which may free the menus.
  menu->Popup(point);
  return true;
}

}  // namespace

TRaised TrackingLoop(TBarView* view, bool startedByMouse, bool menuMode, TBarDoneActionData& done,
                     bool trackRightButton, bool selectFirst) {
  TTracker tracker(view, done, trackRightButton);
  return tracker.Run(startedByMouse, menuMode, selectFirst);
}

TBarView* InnermostOpenView(TBarView* root) {
  TBarView* view = root;
  while (view && view->OpenViewerView()) view = view->OpenViewerView();
  return view;
}

bool GetMouseTarget(TBarView* root, TBarView*& view, TBarItemViewer*& viewer) {
  view = nullptr;
  viewer = nullptr;
  if (TBarView* capturing = CapturingView(root)) {
    view = capturing;
    viewer = capturing->Selected();
    return viewer != nullptr;
  }
  for (TBarView* chained = root; chained; chained = chained->OpenViewerView()) {
    if (chained->Selected() && chained->MouseOverSelected()) {
      view = chained;
      viewer = chained->Selected();
      return true;
    }
    if (chained->HasState(vsMouseInWindow)) {
      view = chained;
      return false;
    }
  }
  return false;
}

bool PointInScrollArrowZone(TBarView* view, POINT clientPoint, bool top) {
  HWND wnd = HandleOf(view);
  if (!wnd) return false;
  RECT client{};
  GetClientRect(wnd, &client);
  if (!PtInRect(&client, clientPoint)) return false;
  if (top) return view->ShowUpArrow() && clientPoint.y < kScrollArrowHeight;
  return view->ShowDownArrow() && clientPoint.y >= client.bottom - kScrollArrowHeight;
}

TRaised UpdateMouseSelection(TBarView* root, POINT screenPoint, bool maySelect) {
  std::vector<TBarView*> views;
  if (TBarView* capturing = CapturingView(root)) {
    views.push_back(capturing);
  } else {
    views = Chain(root);
    std::reverse(views.begin(), views.end());
  }
  // OnSelect and OnPopup may close pop-ups of the chain or free the root: each view is used only while it lives.
  const TLifeWatch rootLife = root->LifeWatch();
  std::vector<TLifeWatch> lives;
  for (TBarView* view : views) lives.push_back(view->LifeWatch());
  const UINT delay = static_cast<UINT>(GetMenuShowDelay());
  for (size_t i = 0; i < views.size(); ++i) {
    if (rootLife.Ended()) return TRaised(false);
    if (lives[i].Ended()) continue;
    TBarView* view = views[i];
    if (view->UpdateSelection(&screenPoint, maySelect).Gone()) continue;
    if (!view->HasState(vsMouseInWindow)) continue;
    TBarItemViewer* selected = view->Selected();
    if (view->OpenViewer() != selected &&
        (view->OpenViewerView() || (selected && selected->Item()->HasStyle(isSubmenu)))) {
      if (view->IsToolbar()) {
        if (view != root && !view->MouseButtonDown()) view->IncludeState(vsKeyMode);
        const bool menuMode = view->HasState(vsKeyMode);
        TBarCustomItem* item = selected ? selected->Item() : nullptr;
        if ((menuMode && item && (item->Count() > 0 || item->LinkSubitems())) || (menuMode && view->IsPopup()) ||
            DragSource) {
          if (view->OpenChildPopup(false).Gone()) continue;
        } else {
          view->StopTimer(TBarViewTimer::tiClose);
          view->StopTimer(TBarViewTimer::tiOpen);
          if (view->Selected() != view->OpenViewer()) view->CloseChildPopups();
        }
      } else {
        if (!view->TimerActive(TBarViewTimer::tiOpen)) view->StartTimer(TBarViewTimer::tiClose, delay);
        if (!(view->TimerActive(TBarViewTimer::tiOpen) && view->OpenTimerViewer() == selected))
          view->StartTimer(TBarViewTimer::tiOpen, delay);
      }
    }
    HWND wnd = HandleOf(view);
    if (!wnd) continue;
    POINT client = screenPoint;
    ScreenToClient(wnd, &client);
    if (PointInScrollArrowZone(view, client, true)) {
      view->StopTimer(TBarViewTimer::tiScrollDown);
      if (!view->TimerActive(TBarViewTimer::tiScrollUp)) view->StartTimer(TBarViewTimer::tiScrollUp, kScrollInterval);
    } else if (PointInScrollArrowZone(view, client, false)) {
      view->StopTimer(TBarViewTimer::tiScrollUp);
      if (!view->TimerActive(TBarViewTimer::tiScrollDown))
        view->StartTimer(TBarViewTimer::tiScrollDown, kScrollInterval);
    } else {
      view->StopTimer(TBarViewTimer::tiScrollUp);
      view->StopTimer(TBarViewTimer::tiScrollDown);
    }
  }
  return TRaised(!rootLife.Ended());
}

TRaised ScrollViewByStep(TBarView* view, bool down) {
  HWND wnd = HandleOf(view);
  if (!wnd) return TRaised(true);
  RECT client{};
  GetClientRect(wnd, &client);
  const int bottomLine = client.bottom - kScrollArrowHeight;
  bool found = false;
  int edge = 0;
  for (int i = 0; i < view->ViewerCount(); ++i) {
    TBarItemViewer* viewer = view->Viewers(i);
    // Viewers cut off by the arrow strips are laid out but not shown.
    if (!(viewer->Show() || viewer->Clipped()) || viewer->Item()->HasStyle(isSeparator)) continue;
    const RECT& bounds = viewer->BoundsRect();
    if (down && bounds.bottom > bottomLine && (!found || bounds.bottom < edge)) {
      edge = bounds.bottom;
      found = true;
    } else if (!down && bounds.top < kScrollArrowHeight && (!found || bounds.top > edge)) {
      edge = bounds.top;
      found = true;
    }
  }
  if (!found) return TRaised(true);
  view->SetScrollOffset(view->ScrollOffset() + (down ? edge - bottomLine : edge - kScrollArrowHeight));
  view->InvalidatePositions();
  return view->ValidatePositions();
}

TRaised TBarView::TimerFired(TBarViewTimer timer) {
  switch (timer) {
    case TBarViewTimer::tiOpen:
      StopTimer(TBarViewTimer::tiOpen);
      CloseChildPopups();
      return OpenChildPopup(false);
    case TBarViewTimer::tiClose:
      StopTimer(TBarViewTimer::tiClose);
      CloseChildPopups();
      return TRaised(true);
    case TBarViewTimer::tiScrollUp:
      if (!showUpArrow_) {
        StopTimer(TBarViewTimer::tiScrollUp);
        return TRaised(true);
      }
      return ScrollViewByStep(this, false);
    case TBarViewTimer::tiScrollDown:
      if (!showDownArrow_) {
        StopTimer(TBarViewTimer::tiScrollDown);
        return TRaised(true);
      }
      return ScrollViewByStep(this, true);
  }
  return TRaised(true);
}

TRaised DispatchTrackingKey(TBarView* view, WORD& key, TShiftState shift, TBarTrackingState& state) {
  // The selected viewer's handlers may free it, or the view.
  const TLifeWatch life = view->LifeWatch();
  if (TBarItemViewer* selected = view->Selected()) {
    if (selected->KeyDown(key, shift, state).Gone() && life.Ended()) return TRaised(false);
    if (life.Ended()) return TRaised(false);
    if (state.Done) return TRaised(true);
  }
  if (key == 0) return TRaised(true);
  return view->KeyDown(key, shift, state);
}

void ShowToolbarItemHint(TBarView* view, POINT screenPoint) {
  TWinControl* window = view->Window();
  if (!Application || !window || !window->HandleAllocated()) return;
  const POINT client = window->ScreenToClient(screenPoint);
  TMessage message{WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y), 0};
  Application->HintMouseMessage(window, message);
}

TRaised UpdateTrackingCursor(TBarView* root) {
  if (UpdateMouseSelection(root, LastCursorPos, true).Gone()) return TRaised(false);
  TBarView* innermost = InnermostOpenView(root);
  HCURSOR cursor = nullptr;
  TBarItemViewer* selected = innermost->Selected();
  if (HWND wnd = HandleOf(innermost); selected && wnd) {
    const bool hints =
        innermost->HasState(vsShowHints) || selected->Item()->EffectiveOptions().Contains(TBarItemOption::tboShowHint);
    if (hints && !innermost->MouseButtonDown()) {
      // The paint may raise paint handlers: what it freed is looked up again afterwards.
      const TLifeWatch rootLife = root->LifeWatch();
      const TLifeWatch viewLife = innermost->LifeWatch();
      const TLifeWatch selectedLife = selected->LifeWatch();
      UpdateWindow(wnd);
      if (rootLife.Ended()) return TRaised(false);
      if (viewLife.Ended() || selectedLife.Ended()) return TRaised(true);
      if (GetKeyState(VK_LBUTTON) >= 0) ShowToolbarItemHint(innermost, LastCursorPos);
    } else {
      CancelApplicationHint();
    }
    const POINT local = ToViewer(selected, LastCursorPos);
    cursor = selected->GetCursor(local.x, local.y);
  }
  if (TBarCustomItem* dragged = DraggedItem()) {
    TBarView* dropView = nullptr;
    if (FindDropPosition(root, dropView) >= 0) {
      HCURSOR dragCursor = DropTargetInsideItem(dragged, dropView->CurParentItem()) ? DragNoDropCursor()
                           : GetKeyState(VK_CONTROL) < 0                            ? DragCopyCursor()
                                                                                    : DragMoveCursor();
      if (dragCursor) cursor = dragCursor;
    }
  }
  SetCursor(cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW));
  return TRaised(true);
}

void UpdateStatusHint(TBarView* root) {
  if (!Application) return;
  TBarView* view = root;
  while (view->OpenViewerView() && view->OpenViewerView()->Selected()) view = view->OpenViewerView();
  TBarItemViewer* selected = view->Selected();
  Application->SetHint(selected ? GetLongHint(selected->Item()->Hint()) : String());
}

int DropInsertIndex(TBarView* view) {
  for (int i = 0; i < view->ViewerCount(); ++i) {
    TBarItemViewer* viewer = view->Viewers(i);
    if (viewer->DropMark() == 0) continue;
    TBarCustomItem* item = viewer->Item();
    const int index = item->Parent() ? item->Parent()->IndexOf(item) : -1;
    if (index < 0) return -1;
    return viewer->DropMark() == kDropAfter ? index + 1 : index;
  }
  return -1;
}

TRaised FinishItemDrop(TBarView* root, TBarView* view, TBarCustomItem* target, int index, bool& changed) {
  HWND wnd = HandleOf(view);
  // The marks go before the items move: a move may close the menu that shows them.
  ClearDropMarks(view);
  const TLifeWatch rootLife = root->LifeWatch();
  changed = MoveItemByDrag(wnd, target, DraggedItem(), GetKeyState(VK_CONTROL) < 0, index);
  if (rootLife.Ended() || UpdateMouseSelection(root, LastCursorPos, false).Gone()) return TRaised(false);
  return UpdateTrackingCursor(root);
}

bool TrackingCaptureHeld() {
  HWND holder = GetCapture();
  return !CaptureWnd || !holder || holder == CaptureWnd;
}

}  // namespace toolbars

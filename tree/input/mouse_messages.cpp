// The mouse messages of the tree's window: the three buttons, moves with hot tracking, the rubber band and the drag
// start, the wheel, leaving the window and the cursor.
#include <cstdlib>

#include "framework/application.h"
#include "framework/messages.h"
#include "framework/screen.h"
#include "framework/shift_state.h"
#include "tree/base_tree.h"
#include "tree/tree_header.h"

namespace tree {

namespace {

using HP = TNodeHitPosition;
using SO = TTreeSelectionOption;

constexpr int WheelDelta = WHEEL_DELTA;

}  // namespace

bool TBaseTree::HandleMouseMessage(TMessage& message) {
  // Messages still arrive while the tree takes its parts down.
  if (!header_ || !options_) return false;
  // The handlers each step raises may free the tree: what is left of the message goes nowhere then.
  const TLifeWatch life = LifeWatch();
  const TTreeSelectionOptions selection = options_->SelectionOptions();
  const bool headerBusy = !header_->States().Empty();
  auto hitTest = [&] {
    THitInfo hitInfo;
    const POINT p = MessagePoint(message.LParam);
    GetHitTestInfoAt(p.x, p.y, true, hitInfo);
    return hitInfo;
  };
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
      DoStateChange({TTreeState::stLeftButtonDown});
      inherited::Dispatch(message);
      if (life.Ended()) return true;
      (void)HandleMouseDown(message, hitTest());
      return true;
    case WM_LBUTTONUP:
      DoStateChange({}, {TTreeState::stLeftButtonDown});
      if (HandleMouseUp(message, hitTest()).Alive()) inherited::Dispatch(message);
      return true;
    case WM_LBUTTONDBLCLK:
      inherited::Dispatch(message);
      if (life.Ended()) return true;
      (void)HandleMouseDblClick(message, hitTest());
      return true;
    case WM_RBUTTONDOWN:
      DoStateChange({TTreeState::stRightButtonDown});
      if (headerBusy) return true;
      inherited::Dispatch(message);
      if (life.Ended()) return true;
      if (selection.Contains(SO::toRightClickSelect)) (void)HandleMouseDown(message, hitTest());
      return true;
    case WM_RBUTTONUP: {
      DoStateChange({}, {TTreeState::stRightButtonDown});
      if (headerBusy) return true;
      if (Application) Application->CancelHint();
      if ((states_.Contains(TTreeState::stDrawSelPending) || states_.Contains(TTreeState::stDrawSelecting)) &&
          PopupMenu()) {
        DoStateChange({}, {TTreeState::stDrawSelPending, TTreeState::stDrawSelecting});
        Invalidate();
      }
      inherited::Dispatch(message);
      if (life.Ended()) return true;
      const THitInfo hitInfo = hitTest();
      if (selection.Contains(SO::toRightClickSelect) && HandleMouseUp(message, hitInfo).Gone()) return true;
      if (!PopupMenu() && DoPopupMenu(hitInfo.HitNode, hitInfo.HitColumn, MessagePoint(message.LParam)).Gone())
        return true;
      return true;
    }
    case WM_RBUTTONDBLCLK:
      inherited::Dispatch(message);
      if (life.Ended()) return true;
      if (selection.Contains(SO::toRightClickSelect)) (void)HandleMouseDblClick(message, hitTest());
      return true;
    case WM_MBUTTONDOWN: {
      DoStateChange({TTreeState::stMiddleButtonDown});
      if (headerBusy) return true;
      inherited::Dispatch(message);
      if (life.Ended()) return true;
      const bool contentLarger = ClientWidth() < HorizontalRange() || ClientHeight() < VerticalRange();
      if (options_->MiscOptions().Contains(TTreeMiscOption::toWheelPanning) && !WheelPanningActive() && contentLarger) {
        lastClickPos_ = MessagePoint(message.LParam);
        StartWheelPanning(ClientToScreen(lastClickPos_));
      } else {
        StopWheelPanning();
        if (selection.Contains(SO::toMiddleClickSelect)) (void)HandleMouseDown(message, hitTest());
      }
      return true;
    }
    case WM_MBUTTONUP:
      DoStateChange({}, {TTreeState::stMiddleButtonDown});
      if (!WheelPanningActive()) {
        if (headerBusy) return true;
        inherited::Dispatch(message);
        if (life.Ended()) return true;
        if (selection.Contains(SO::toMiddleClickSelect)) (void)HandleMouseUp(message, hitTest());
      } else if (states_.Contains(TTreeState::stWheelScrolling)) {
        // Released without moving: panning goes on until the next press.
        DoStateChange({}, {TTreeState::stWheelPanning});
      } else {
        StopWheelPanning();
      }
      return true;
    case WM_MBUTTONDBLCLK:
      inherited::Dispatch(message);
      if (life.Ended()) return true;
      if (selection.Contains(SO::toMiddleClickSelect)) (void)HandleMouseDblClick(message, hitTest());
      return true;
    case CM_MOUSEWHEEL:
      HandleMouseWheel(message);
      return true;
    case CM_MOUSELEAVE:
      if (!WheelPanningActive()) {
        StopTimer(ScrollTimer);
        DoStateChange({}, {TTreeState::stScrollPending, TTreeState::stScrolling});
        if (SetHotNode(nullptr).Gone()) return true;
      }
      inherited::Dispatch(message);
      return true;
    case WM_SETCURSOR:
      return HandleSetCursor(message);
    default:
      return false;
  }
}

void TBaseTree::HandleMouseWheel(TMessage& message) {
  StopWheelPanning();
  // OnMouseWheel may free the tree.
  const TLifeWatch life = LifeWatch();
  inherited::Dispatch(message);
  if (life.Ended() || message.Result != 0) return;
  message.Result = 1;
  const bool ctrl = KeysToShiftState(LOWORD(message.WParam)).Contains(TShiftStateItem::ssCtrl);
  int steps = static_cast<short>(HIWORD(message.WParam)) / WheelDelta;
  const unsigned all = suoRepaintHeader | suoRepaintScrollBars | suoScrollClientArea | suoUpdateNCArea;
  if (ClientHeight() < VerticalRange()) {
    if (ctrl) steps *= ClientHeight() / defaultNodeHeight_;
    if (DoSetOffsetXY(offsetX_, offsetY_ + steps * defaultNodeHeight_, all).Gone()) return;
  } else {
    if (ctrl && indent_ > 0) steps *= ClientWidth() / indent_;
    if (DoSetOffsetXY(offsetX_ + steps * indent_, offsetY_, all).Gone()) return;
  }
  const POINT p = ScreenToClient(MessagePoint(message.LParam));
  const RECT client = ClientRect();
  if (PtInRect(&client, p) && HandleHotTrack(p.x, p.y).Gone()) return;
}

bool TBaseTree::HandleSetCursor(TMessage& message) {
  if (reinterpret_cast<HWND>(message.WParam) != Handle() || IsDesigning() || LOWORD(message.LParam) != HTCLIENT)
    return false;
  if (WheelPanningActive()) {
    DefaultHandler(message);
    return true;
  }
  if (!Screen || Screen->Cursor() != crDefault) return false;
  TCursor cursor = Cursor();
  if (options_->PaintOptions().Contains(TTreePaintOption::toHotTrack) && hotNode_ && hotCursor_ != crDefault)
    cursor = hotCursor_;
  // A handler that frees the tree leaves the cursor to the window under it.
  if (DoGetCursor(cursor).Gone()) return true;
  ::SetCursor(Screen->Cursors(cursor));
  message.Result = 1;
  return true;
}

TRaised TBaseTree::HandleHotTrack(int x, int y) {
  THitInfo hitInfo;
  GetHitTestInfoAt(x, y, true, hitInfo);
  PTreeNode node = hitInfo.HitNode;
  const bool counts = hitInfo.HitPositions.Contains(HP::hpOnLabel) || hitInfo.HitPositions.Contains(HP::hpOnCheckBox) ||
                      options_->SelectionOptions().Contains(SO::toFullRowSelect);
  return SetHotNode(counts ? node : nullptr);
}

TRaised TBaseTree::UpdateHotNodeAtCursor() {
  if (!hotNode_ || !HandleAllocated()) return TRaised(true);
  POINT cursor{};
  GetCursorPos(&cursor);
  const POINT p = ScreenToClient(cursor);
  const RECT client = ClientRect();
  if (WindowFromPoint(cursor) == Handle() && PtInRect(&client, p)) return HandleHotTrack(p.x, p.y);
  return SetHotNode(nullptr);
}

TRaised TBaseTree::MouseMove(TShiftState shift, int x, int y) {
  const TLifeWatch life = LifeWatch();
  if (!states_.Contains(TTreeState::stDrawSelPending)) {
    if (states_.Contains(TTreeState::stWheelPanning) && states_.Contains(TTreeState::stWheelScrolling)) {
      const POINT anchor = ScreenToClient(panningAnchor_);
      if (std::abs(x - anchor.x) >= GetSystemMetrics(SM_CXDRAG) ||
          std::abs(y - anchor.y) >= GetSystemMetrics(SM_CYDRAG))
        DoStateChange({}, {TTreeState::stWheelScrolling});
    }
    if (states_.Contains(TTreeState::stOleDragPending) &&
        (std::abs(x - lastClickPos_.x) >= dragThreshold_ || std::abs(y - lastClickPos_.y) >= dragThreshold_)) {
      return DoDragging(lastClickPos_);
    }
  }
  if (CanAutoScroll()) DoAutoScroll(x, y);
  if (WheelPanningActive()) AdjustPanningCursor(x, y);

  if (states_.Contains(TTreeState::stDrawSelecting)) {
    const RECT before = selectionRect_;
    if (CalculateSelectionRect(x, y)) {
      bool changed = false;
      if (HandleDrawSelection(changed).Gone()) return TRaised(false);
      if (changed) {
        Invalidate();
      } else {
        RECT repaint{};
        UnionRect(&repaint, &before, &selectionRect_);
        OffsetRect(&repaint, offsetX_, static_cast<int>(offsetY_));
        InflateRect(&repaint, 1, 1);
        InvalidateRect(Handle(), &repaint, FALSE);
      }
      UpdateWindow(Handle());
    }
  } else {
    if (HandleHotTrack(x, y).Gone() || inherited::MouseMove(shift, x, y).Gone()) return TRaised(false);
  }

  if (states_.Contains(TTreeState::stDrawSelPending) && CalculateSelectionRect(x, y)) {
    const RECT band = newSelectionRect_;
    if (std::abs(band.right - band.left) > GetSystemMetrics(SM_CXDRAG) ||
        std::abs(band.bottom - band.top) > GetSystemMetrics(SM_CYDRAG)) {
      if (states_.Contains(TTreeState::stClearPending)) {
        states_ -= TTreeState::stClearPending;
        if (ClearSelection().Gone()) return TRaised(false);
      }
      DoStateChange({TTreeState::stDrawSelecting}, {TTreeState::stDrawSelPending});
      const TColumnIndex main = header_->MainColumn();
      bool allowed = true;
      if (main != focusedColumn_) {
        if (DoFocusChanging(focusedNode_, focusedNode_, focusedColumn_, main, allowed).TreeGone())
          return TRaised(false);
        if (allowed) focusedColumn_ = main;
      }
      bool changed = false;
      if (HandleDrawSelection(changed).Gone()) return TRaised(false);
      Invalidate();
    }
  }
  return TRaised(true);
}

}  // namespace tree

// Automatic scrolling while the mouse (a rubber band, a drag, wheel panning) nears the edges of the tree.
#include <algorithm>

#include "tree/base_tree.h"
#include "tree/scroll_bar_options.h"
#include "tree/tree_drag_manager.h"
#include "tree/tree_header.h"

namespace tree {

namespace {

using SD = TScrollDirection;

}  // namespace

bool TBaseTree::IsOleDropTarget() const { return dragManager_ && dragManager_->GetIsDropTarget(); }

bool TBaseTree::CanAutoScroll() {
  if (states_.Contains(TTreeState::stFrameworkDragging) || WheelPanningActive()) return true;
  return options_->AutoOptions().Contains(TTreeAutoOption::toAutoScroll) && header_->States().Empty() &&
         (states_.Contains(TTreeState::stDrawSelPending) || states_.Contains(TTreeState::stDrawSelecting) ||
          IsOleDropTarget());
}

TScrollDirections TBaseTree::DetermineScrollDirections(int x, int y) {
  TScrollDirections result;
  if (!CanAutoScroll()) return result;
  if (WheelPanningActive()) {
    const POINT anchor = ScreenToClient(panningAnchor_);
    if (x < anchor.x - PanningDeadZone) result += SD::sdLeft;
    if (x > anchor.x + PanningDeadZone) result += SD::sdRight;
    if (y < anchor.y - PanningDeadZone) result += SD::sdUp;
    if (y > anchor.y + PanningDeadZone) result += SD::sdDown;
    return result;
  }
  const int margin = defaultNodeHeight_;
  if (x < margin && offsetX_ != 0) result += SD::sdLeft;
  if (ClientWidth() < HorizontalRange() && x > ClientWidth() - margin) result += SD::sdRight;
  if (y < margin && offsetY_ != 0) result += SD::sdUp;
  if (ClientHeight() < VerticalRange() && y > ClientHeight() - margin) result += SD::sdDown;
  if (result.Empty()) {
    autoScrollWanted_ = 0;
    return result;
  }
  // Another window over the tree takes the mouse there. A point outside the client area belongs to the tree that
  // holds the capture for its band or drag.
  const RECT client = ClientRect();
  const POINT p{x, y};
  if (!IsOleDropTarget() && PtInRect(&client, p) && FindDragTarget(ClientToScreen(p), true) != this) return {};
  const DWORD now = GetTickCount();
  if (autoScrollWanted_ == 0) autoScrollWanted_ = now == 0 ? 1 : now;
  if (now - autoScrollWanted_ < autoScrollDelay_) return {};
  return result;
}

void TBaseTree::DoAutoScroll(int x, int y) {
  scrollDirections_ = DetermineScrollDirections(x, y);
  if (WheelPanningActive()) return;
  const bool scrolling = states_.Contains(TTreeState::stScrollPending) || states_.Contains(TTreeState::stScrolling);
  if (!scrollDirections_.Empty()) {
    if (!scrolling) {
      DoStateChange({TTreeState::stScrollPending});
      SetTimer(Handle(), ScrollTimer, autoScrollDelay_, nullptr);
    }
  } else if (scrolling) {
    StopTimer(ScrollTimer);
    DoStateChange({}, {TTreeState::stScrollPending, TTreeState::stScrolling});
  }
}

TRaised TBaseTree::DoTimerScroll() {
  // Handlers raised here may free the tree: the answer is whether it outlived them.
  const TLifeWatch life = LifeWatch();
  POINT cursor{};
  GetCursorPos(&cursor);
  cursor = ScreenToClient(cursor);
  const RECT client = ClientRect();
  const bool inside = PtInRect(&client, cursor) != FALSE;
  const bool panning = WheelPanningActive();
  const bool banding = states_.Contains(TTreeState::stDrawSelecting);
  if (!banding && !inside && !panning) return TRaised(!life.Ended());

  TScrollDirections& directions = scrollDirections_;
  int deltaX = 0, deltaY = 0;
  if (panning) {
    const POINT anchor = ScreenToClient(panningAnchor_);
    if (directions.Contains(SD::sdLeft)) deltaX = anchor.x - cursor.x - PanningDeadZone;
    if (directions.Contains(SD::sdRight)) deltaX = anchor.x - cursor.x + PanningDeadZone;
    if (directions.Contains(SD::sdUp)) deltaY = anchor.y - cursor.y - PanningDeadZone;
    if (directions.Contains(SD::sdDown)) deltaY = anchor.y - cursor.y + PanningDeadZone;
  } else {
    // Outside the window the speed grows with the pointer's distance from the edge.
    const int vertical = std::min(static_cast<int>(scrollBarOptions_->VerticalIncrement()), ClientHeight());
    const int horizontal = static_cast<int>(scrollBarOptions_->HorizontalIncrement());
    auto times = [&](int distance) { return inside ? 1 : std::max(1, distance); };
    if (directions.Contains(SD::sdUp)) deltaY = vertical * times(-cursor.y);
    if (directions.Contains(SD::sdDown)) deltaY = -vertical * times(cursor.y - ClientHeight());
    if (directions.Contains(SD::sdLeft)) deltaX = horizontal * times(-cursor.x);
    if (directions.Contains(SD::sdRight)) deltaX = -horizontal * times(cursor.x - ClientWidth());
  }
  if (offsetX_ >= 0) directions -= SD::sdLeft;
  if (offsetX_ <= std::min(0, ClientWidth() - HorizontalRange())) directions -= SD::sdRight;
  if (offsetY_ >= 0) directions -= SD::sdUp;
  if (offsetY_ <= std::min<TTreePosition>(0, ClientHeight() - VerticalRange())) directions -= SD::sdDown;
  if (!directions.Contains(SD::sdLeft) && !directions.Contains(SD::sdRight)) deltaX = 0;
  if (!directions.Contains(SD::sdUp) && !directions.Contains(SD::sdDown)) deltaY = 0;

  if ((deltaX != 0 || deltaY != 0) && !IsOleDropTarget()) {
    if (DoSetOffsetXY(offsetX_ + deltaX, offsetY_ + deltaY,
                      suoRepaintHeader | suoRepaintScrollBars | suoScrollClientArea | suoUpdateNCArea)
            .Gone())
      return TRaised(!life.Ended());
    if (banding) {
      // The band's far corner stays under the pointer, so it grows over the rows scrolled in.
      CalculateSelectionRect(cursor.x, cursor.y);
      bool changed = false;
      if (HandleDrawSelection(changed).Gone()) return TRaised(!life.Ended());
      Invalidate();
    }
  }
  // Panning keeps its timer while the pointer rests near the anchor: the next move may point somewhere again.
  if (directions.Empty() && !panning) {
    StopTimer(ScrollTimer);
    DoStateChange({}, {TTreeState::stScrollPending, TTreeState::stScrolling});
  }
  return TRaised(!life.Ended());
}

}  // namespace tree

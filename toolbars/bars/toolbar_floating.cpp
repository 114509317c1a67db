// A floating toolbar's sizes: the client sizes its items can take when they wrap at every width, and sizing the
// floating frame from one of them to the next, with a small zone around the current size that does not move.
#include <algorithm>

#include "toolbars/bars/toolbar.h"
#include "toolbars/docks/floating_window_parent.h"

namespace toolbars {

namespace {

// The largest distance by which the cursor may pass the current size without changing it.
constexpr int kSnapDistance = 12;

}  // namespace

TRaised TBarCustomToolbar::GetFloatingSizes(std::vector<TBarFloatingSize>& sizes) {
  sizes.clear();
  RECT margins{};
  view_->GetMargins(TBarViewOrientation::tbvoFloating, margins);
  const int narrowest = margins.left + margins.right;
  // Every layout of the search measures with the sizes of the first one, whose measuring handlers may free the bar.
  TBarLayoutProbe probe;
  auto measure = [&](int rightX, TBarFloatingSize& result) {
    result.RightX = rightX;
    SIZE base{};
    const TRaised raised = view_->CalculatePositions(false, TBarViewOrientation::tbvoFloating,
                                                     FloatingWrapOffset(rightX), 0, 0, base, result.Size, &probe);
    result.Lines = probe.Lines;
    return raised;
  };
  TBarFloatingSize widest;
  if (measure(0, widest).Gone()) return TRaised(false);
  sizes.push_back(widest);
  for (int x = sizes.front().Size.cx - 1; x >= narrowest;) {
    TBarFloatingSize next;
    if (measure(x, next).Gone()) return TRaised(false);
    // An item wider than x keeps the bar wider than asked: no narrower size exists.
    if (next.Size.cx < narrowest || next.Size.cx > x) break;
    if (next.Size.cx == x) {
      // A wrapped layout is as wide as asked; the same rows hold down to the width where the widest row ends, so
      // the search goes on from just below it.
      const int tightest = std::clamp(static_cast<int>(probe.TightWrapOffset + margins.right), narrowest, x);
      next.RightX = next.Size.cx = tightest;
      if (next.Lines == sizes.back().Lines)
        sizes.back() = next;
      else
        sizes.push_back(next);
      x = tightest - 1;
    } else {
      x = next.Size.cx;
    }
  }
  return TRaised(true);
}

TRaised TBarCustomToolbar::SizingStarted(int side) {
  resizeState_.reset();
  if (side != HTLEFT && side != HTRIGHT && side != HTTOP && side != HTBOTTOM) return TRaised(true);
  TBarFloatingWindowParent* frame = FloatParent();
  if (!frame) return TRaised(true);
  auto state = std::make_unique<TResizeState>();
  state->Side = side;
  if (GetFloatingSizes(state->Sizes).Gone()) return TRaised(false);
  POINT topLeft{}, bottomRight{};
  GetFloatingNCArea(topLeft, bottomRight);
  for (TBarFloatingSize& size : state->Sizes) {
    size.Size.cx += topLeft.x + bottomRight.x;
    size.Size.cy += topLeft.y + bottomRight.y;
  }
  TResizeState& s = *state;
  std::stable_sort(s.Sizes.begin(), s.Sizes.end(), [&s](const TBarFloatingSize& a, const TBarFloatingSize& b) {
    return s.Length(a.Size) > s.Length(b.Size);
  });
  s.StartRect = frame->BoundsRect();
  s.LastRect = s.StartRect;
  s.ClientOffset = topLeft.x;
  s.Current = s.Horizontal() ? s.StartRect.right - s.StartRect.left : s.StartRect.bottom - s.StartRect.top;
  s.RightX = floatingRightX_;
  // The zone stays clear of the neighbouring sizes.
  s.SnapDistance = kSnapDistance;
  for (const TBarFloatingSize& size : s.Sizes) {
    const int gap = std::abs(s.Length(size.Size) - s.Current);
    if (gap != 0) s.SnapDistance = std::min(s.SnapDistance, gap - 1);
  }
  s.SnapDistance = std::max(s.SnapDistance, 0);
  resizeState_ = std::move(state);
  return TRaised(true);
}

void TBarCustomToolbar::SizingNewRect(RECT& rect) {
  if (!resizeState_ || resizeState_->Sizes.empty()) return;
  TResizeState& s = *resizeState_;
  const DWORD position = GetMessagePos();
  const POINT cursor{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  const RECT& start = s.StartRect;
  int wanted = 0;
  switch (s.Side) {
    case HTRIGHT:
      wanted = cursor.x - start.left;
      break;
    case HTLEFT:
      wanted = (start.right - start.left) - (cursor.x - start.left);
      break;
    case HTBOTTOM:
      wanted = cursor.y - start.top;
      break;
    default:
      wanted = (start.bottom - start.top) - (cursor.y - start.top);
      break;
  }
  const bool shrinking = wanted < s.Current;
  if (!s.Changed || shrinking != s.Shrinking) {
    s.Changed = false;
    s.Shrinking = shrinking;
    if (wanted > s.Current - s.SnapDistance && wanted < s.Current + s.SnapDistance) wanted = s.Current;
  }
  const bool growing = wanted > s.Current;
  const bool stillShrinking = wanted < s.Current;
  const int count = static_cast<int>(s.Sizes.size());
  int chosen = -1;
  if (growing) {
    for (int i = 0; i < count; ++i)
      if (i == 0 || s.Length(s.Sizes[static_cast<size_t>(i)].Size) > wanted) chosen = i;
  } else if (stillShrinking) {
    for (int i = count - 1; i >= 0; --i)
      if (i == count - 1 || s.Length(s.Sizes[static_cast<size_t>(i)].Size) <= wanted) chosen = i;
  }
  if (chosen < 0) {
    // Inside the zone around the current size: the frame stays as it is.
    rect = s.LastRect;
    return;
  }
  const TBarFloatingSize& size = s.Sizes[static_cast<size_t>(chosen)];
  s.RightX = size.RightX == 0 ? 0 : size.Size.cx - 2 * s.ClientOffset;
  RECT next = start;
  switch (s.Side) {
    case HTRIGHT:
      next.right = next.left + size.Size.cx;
      next.bottom = next.top + size.Size.cy;
      break;
    case HTLEFT:
      next.left = next.right - size.Size.cx;
      next.bottom = next.top + size.Size.cy;
      break;
    case HTBOTTOM:
      next.bottom = next.top + size.Size.cy;
      next.right = next.left + size.Size.cx;
      break;
    default:
      next.top = next.bottom - size.Size.cy;
      next.right = next.left + size.Size.cx;
      break;
  }
  s.Changed = !EqualRect(&next, &start);
  s.Current = s.Length(size.Size);
  s.LastRect = next;
  rect = next;
}

TRaised TBarCustomToolbar::SizingBeforeApply() {
  if (!resizeState_) return TRaised(true);
  return SetFloatingRightX(resizeState_->RightX);
}

void TBarCustomToolbar::SizingEnded() { resizeState_.reset(); }

}  // namespace toolbars

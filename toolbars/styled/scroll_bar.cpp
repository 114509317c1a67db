#include "toolbars/styled/scroll_bar.h"

#include <cmath>

#include "framework/window_alloc.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/theme_manager.h"

namespace toolbars {

namespace {

// Below this track length no thumb is shown; a thumb is never shorter than the minimum.
constexpr int kMinTrackForThumb = 13;
constexpr int kMinThumb = 8;

// Nearest integer, ties to even.
int RoundEven(double value) { return static_cast<int>(std::nearbyint(value)); }

// Visual-style parts and states of the scroll-bar class.
constexpr int kArrowPart = 1;
constexpr int kThumbHorzPart = 2;
constexpr int kThumbVertPart = 3;
constexpr int kTrackBeforeHorzPart = 4;
constexpr int kTrackAfterHorzPart = 5;
constexpr int kTrackBeforeVertPart = 6;
constexpr int kTrackAfterVertPart = 7;
constexpr int kArrowUp = 1;
constexpr int kArrowDown = 5;
constexpr int kArrowLeft = 9;
constexpr int kArrowRight = 13;
constexpr int kArrowPressedOffset = 2;
constexpr int kArrowDisabledOffset = 3;
constexpr int kStateNormal = 1;
constexpr int kStatePressed = 3;
constexpr int kStateDisabled = 4;

}  // namespace

TStyledScrollBar::~TStyledScrollBar() { DeallocateHWnd(timerWindow_); }

void TStyledScrollBar::SetBounds(const RECT& value) {
  bounds_ = value;
  UpdateParts();
}

void TStyledScrollBar::SetKind(TScrollBarKind value) {
  kind_ = value;
  UpdateParts();
}

bool TStyledScrollBar::Enabled() const { return EffectiveWindow() < range_; }

int TStyledScrollBar::MaxPosition() const { return std::max(0, range_ - EffectiveWindow()); }

TRaised TStyledScrollBar::ApplyPosition(int value, bool user) {
  const bool savedUser = userChange_;
  userChange_ = user;
  int limit = MaxPosition();
  if (user) limit = std::min(limit, std::max(0, range_ - window_));
  value = std::max(0, std::min(value, limit));
  if (value != position_) {
    position_ = value;
    if (userChange_ && (Redraw().Gone() || RaiseEvent(OnChange, this).Gone())) return TRaised(false);
  }
  userChange_ = savedUser;
  return TRaised(true);
}

TRaised TStyledScrollBar::SetRange(int value) {
  value = std::max(0, value);
  if (value == range_) return TRaised(true);
  range_ = value;
  if (Redraw().Gone()) return TRaised(false);
  SetPosition(position_);
  return TRaised(true);
}

int TStyledScrollBar::TrackLength() const {
  const int length = Length();
  const int thickness = kind_ == TScrollBarKind::sbVertical ? Width() : Height();
  const int button = length - 2 <= 2 * thickness ? (length - 2) / 2 : thickness;
  return length - 2 * std::max(0, button);
}

bool TStyledScrollBar::MinimalThumb() const {
  return range_ > 0 && RoundEven(static_cast<double>(TrackLength()) * EffectiveWindow() / range_) < kMinThumb;
}

void TStyledScrollBar::UpdateParts() {
  const int length = Length();
  const int thickness = kind_ == TScrollBarKind::sbVertical ? Width() : Height();
  const int button = std::max(0, length - 2 <= 2 * thickness ? (length - 2) / 2 : thickness);
  const int track = length - 2 * button;
  // Spans along the bar become rectangles across its whole thickness.
  auto span = [&](int from, int to) {
    return kind_ == TScrollBarKind::sbVertical ? RECT{0, from, thickness, to} : RECT{from, 0, to, thickness};
  };
  parts_.fill(RECT{});
  parts_[spFirstButton] = span(0, button);
  parts_[spSecondButton] = span(length - button, length);
  if (!Enabled() || track < kMinTrackForThumb) {
    parts_[spEmptyTrack] = span(button, length - button);
    return;
  }
  const int window = EffectiveWindow();
  int thumb = RoundEven(static_cast<double>(track) * window / range_);
  int offset;
  if (thumb < kMinThumb) {
    thumb = kMinThumb;
    offset = RoundEven(static_cast<double>(track - kMinThumb) * position_ / (range_ - window));
  } else {
    offset = RoundEven(static_cast<double>(track) * position_ / range_);
  }
  const int thumbStart = button + offset;
  parts_[spTrackBefore] = span(button, thumbStart);
  parts_[spThumb] = span(thumbStart, thumbStart + thumb);
  parts_[spTrackAfter] = span(thumbStart + thumb, length - button);
}

int TStyledScrollBar::PartAt(POINT point) const {
  for (int part = spFirstButton; part <= spSecondButton; ++part)
    if (PtInRect(&parts_[static_cast<size_t>(part)], point)) return part;
  return 0;
}

TRaised TStyledScrollBar::Step() {
  switch (hitPart_) {
    case spFirstButton:
      return SetUserPosition(position_ - smallChange_);
    case spTrackBefore:
      return SetUserPosition(position_ - EffectiveWindow());
    case spTrackAfter:
      return SetUserPosition(position_ + EffectiveWindow());
    case spSecondButton:
      return SetUserPosition(position_ + smallChange_);
    default:
      return TRaised(true);
  }
}

TRaised TStyledScrollBar::MouseDown(TMouseButton button, int x, int y) {
  if (button != TMouseButton::mbLeft) return TRaised(true);
  UpdateParts();
  hitPart_ = PartAt(POINT{x, y});
  pressPoint_ = mousePoint_ = POINT{x, y};
  pressPosition_ = position_;
  if (hitPart_ != 0 && hitPart_ != spThumb) {
    if (Step().Gone()) return TRaised(false);
    StartTimer(kRepeatTimer, kRepeatDelay);
  }
  return Redraw();
}

TRaised TStyledScrollBar::MouseMove(int x, int y) {
  mousePoint_ = POINT{x, y};
  if (hitPart_ != spThumb) return TRaised(true);
  const int travel = kind_ == TScrollBarKind::sbVertical ? y - pressPoint_.y : x - pressPoint_.x;
  const int track = TrackLength();
  int value;
  if (!MinimalThumb()) {
    if (track <= 0) return TRaised(true);
    value = pressPosition_ + RoundEven(static_cast<double>(travel) * range_ / track);
  } else {
    if (track - kMinThumb <= 0) return TRaised(true);
    value =
        pressPosition_ + RoundEven(static_cast<double>(travel) * (range_ - EffectiveWindow()) / (track - kMinThumb));
  }
  if (value == position_) return TRaised(true);
  return SetUserPosition(value);
}

TRaised TStyledScrollBar::MouseUp(TMouseButton button, int x, int y) {
  (void)x, (void)y;
  StopTimer(kRepeatTimer);
  if (button != TMouseButton::mbLeft) return TRaised(true);
  hitPart_ = 0;
  return Redraw();
}

TRaised TStyledScrollBar::TimerElapsed(UINT_PTR timer, int& nextInterval) {
  if (timer == kRepeatTimer) {
    if (hitPart_ == 0) {
      nextInterval = 0;
      return TRaised(true);
    }
    if (hitPart_ == spTrackBefore || hitPart_ == spTrackAfter) {
      UpdateParts();
      if (PartAt(mousePoint_) == hitPart_ && Step().Gone()) return TRaised(false);
    } else if (Step().Gone()) {
      return TRaised(false);
    }
    nextInterval = kRepeatInterval;
    return TRaised(true);
  }
  if (timer != kAutoScrollTimer) {
    nextInterval = 0;
    return TRaised(true);
  }
  int interval = autoScrollInterval_;
  if (SetUserPosition(position_ + autoScrollDelta_).Gone()) return TRaised(false);
  if (position_ == 0 || position_ >= MaxPosition()) {
    interval = 0;
  } else if (OnAutoScroll) {
    int delta = autoScrollDelta_;
    if (RaiseEvent(OnAutoScroll, this, delta, interval).Gone()) return TRaised(false);
    autoScrollDelta_ = delta;
    autoScrollInterval_ = interval;
  }
  autoScrolling_ = interval >= 1;
  nextInterval = interval;
  return TRaised(true);
}

TRaised TStyledScrollBar::Redraw() { return RaiseEvent(OnRedraw, this); }

void TStyledScrollBar::StartAutoScroll(int delta, int interval) {
  if (delta == 0) return;
  autoScrollDelta_ = delta;
  autoScrollInterval_ = interval;
  if (autoScrolling_) return;
  autoScrolling_ = true;
  StartTimer(kAutoScrollTimer, static_cast<UINT>(std::max(1, interval)));
}

void TStyledScrollBar::StopAutoScroll() {
  if (!autoScrolling_) return;
  autoScrolling_ = false;
  StopTimer(kAutoScrollTimer);
}

void TStyledScrollBar::StartTimer(UINT_PTR timer, UINT interval) {
  if (!timerWindow_) timerWindow_ = AllocateHWnd(TWndMethod(this, &TStyledScrollBar::TimerMessage));
  SetTimer(timerWindow_, timer, interval, nullptr);
  timerIntervals_[timer == kAutoScrollTimer ? 1 : 0] = interval;
}

void TStyledScrollBar::StopTimer(UINT_PTR timer) {
  if (timerWindow_) KillTimer(timerWindow_, timer);
  timerIntervals_[timer == kAutoScrollTimer ? 1 : 0] = 0;
}

void TStyledScrollBar::TimerMessage(TMessage& message) {
  if (message.Msg != WM_TIMER) {
    message.Result = DefWindowProcW(timerWindow_, message.Msg, message.WParam, message.LParam);
    return;
  }
  const UINT_PTR timer = message.WParam;
  int next = 0;
  if (TimerElapsed(timer, next).Gone()) return;
  if (next < 1)
    StopTimer(timer);
  else if (static_cast<UINT>(next) != TimerInterval(timer))
    StartTimer(timer, static_cast<UINT>(next));
}

// ---- drawing

void TStyledScrollBar::PaintPart(HDC dc, int part, bool pressed) {
  const RECT& r = parts_[static_cast<size_t>(part)];
  if (IsRectEmpty(&r)) return;
  const bool vertical = kind_ == TScrollBarKind::sbVertical;
  const bool enabled = Enabled();
  const TThemeData* style = UseThemes ? ThemeStyle(TThemeStyle::tsScrollBar) : nullptr;
  if (part == spFirstButton || part == spSecondButton) {
    const bool first = part == spFirstButton;
    if (style) {
      int state = vertical ? (first ? kArrowUp : kArrowDown) : (first ? kArrowLeft : kArrowRight);
      if (!enabled)
        state += kArrowDisabledOffset;
      else if (pressed)
        state += kArrowPressedOffset;
      if (style->DrawBackground(dc, kArrowPart, state, r)) return;
    }
    UINT flags = vertical ? (first ? DFCS_SCROLLUP : DFCS_SCROLLDOWN) : (first ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT);
    if (!enabled) flags |= DFCS_INACTIVE;
    if (pressed) flags |= DFCS_PUSHED | DFCS_FLAT;
    RECT button = r;
    DrawFrameControl(dc, &button, DFC_SCROLL, flags);
    return;
  }
  const int state = !enabled ? kStateDisabled : (pressed ? kStatePressed : kStateNormal);
  if (part == spThumb) {
    if (style && style->DrawBackground(dc, vertical ? kThumbVertPart : kThumbHorzPart, state, r)) return;
    RECT thumb = r;
    DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_ADJUST);
    FillRectDCEx(dc, thumb, clBtnFace);
    return;
  }
  const bool before = part == spTrackBefore;
  const int themePart = vertical ? (before ? kTrackBeforeVertPart : kTrackAfterVertPart)
                                 : (before ? kTrackBeforeHorzPart : kTrackAfterHorzPart);
  if (style && style->DrawBackground(dc, themePart, state, r)) return;
  if (pressed) {
    FillRectDCEx(dc, r, cl3DDkShadow);
    return;
  }
  TCanvas canvas;
  canvas.SetHandle(dc);
  DitherRect(&canvas, r, clBtnHighlight, clScrollBar);
  canvas.SetHandle(nullptr);
}

void TStyledScrollBar::Paint(TCanvas* canvas) {
  UpdateParts();
  HDC dc = canvas->Handle();
  POINT origin;
  OffsetViewportOrgEx(dc, bounds_.left, bounds_.top, &origin);
  PaintPart(dc, spFirstButton, hitPart_ == spFirstButton);
  PaintPart(dc, spSecondButton, hitPart_ == spSecondButton);
  if (!IsRectEmpty(&parts_[spEmptyTrack])) FillRectDCEx(dc, parts_[spEmptyTrack], clScrollBar);
  PaintPart(dc, spTrackBefore, hitPart_ == spTrackBefore);
  PaintPart(dc, spTrackAfter, hitPart_ == spTrackAfter);
  PaintPart(dc, spThumb, hitPart_ == spThumb);
  SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
}

}  // namespace toolbars

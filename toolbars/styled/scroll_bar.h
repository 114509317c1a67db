// TStyledScrollBar: a scroll bar that is drawn, not a window: the list item paints it inside its own rectangle and
// feeds it the mouse. It keeps position, range and visible window, splits itself into buttons, tracks and thumb,
// repeats while a part is held and scrolls by itself on request, on timers of a hidden window of its own.
#pragma once

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "framework/delegate.h"
#include "framework/graphics.h"
#include "framework/raise_event.h"
#include "framework/shift_state.h"

namespace toolbars {

enum class TScrollBarKind : uint8_t { sbHorizontal, sbVertical };

// Parts: the empty track (shown without a thumb), the first button, the track before the thumb, the thumb, the
// track after it and the second button.
constexpr int spEmptyTrack = 0;
constexpr int spFirstButton = 1;
constexpr int spTrackBefore = 2;
constexpr int spThumb = 3;
constexpr int spTrackAfter = 4;
constexpr int spSecondButton = 5;
constexpr int kScrollBarPartCount = 6;

// Timers: the repeat of a held part and the auto-scroll.
constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT_PTR kAutoScrollTimer = 2;
constexpr UINT kRepeatDelay = 500;
constexpr UINT kRepeatInterval = 100;

using TAutoScrollEvent = TDelegate<void(TObject* sender, int& delta, int& interval)>;

// Its handlers may free the bar (with the list viewer that holds it): every method that raises one answers whether
// the bar outlived it.
class TStyledScrollBar : public TObject, protected TEventSource {
  BC_CLASS(TStyledScrollBar, TObject)
  TStyledScrollBar() = default;
  ~TStyledScrollBar() override;
  TStyledScrollBar(const TStyledScrollBar&) = delete;
  TStyledScrollBar& operator=(const TStyledScrollBar&) = delete;

  const RECT& Bounds() const { return bounds_; }
  void SetBounds(const RECT& value);
  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.right - bounds_.left; }
  int Height() const { return bounds_.bottom - bounds_.top; }
  int SmallChange() const { return smallChange_; }
  void SetSmallChange(int value) { smallChange_ = static_cast<uint16_t>(value); }
  TScrollBarKind Kind() const { return kind_; }
  void SetKind(TScrollBarKind value);
  int Position() const { return position_; }
  // Clamped into the range; only a user change redraws and reports.
  void SetPosition(int value) { position_ = std::max(0, std::min(value, MaxPosition())); }
  // The position as the user moves it: redrawn and reported.
  TRaised SetUserPosition(int value) { return ApplyPosition(value, true); }
  int Range() const { return range_; }
  // Redraws, through OnRedraw, when the range changes.
  TRaised SetRange(int value);
  // 0: the bar's own length.
  int Window() const { return window_; }
  void SetWindow(int value) { window_ = value; }
  bool AutoScrolling() const { return autoScrolling_; }
  int HitPart() const { return hitPart_; }
  // The part rectangles, in the bar's own coordinates, as the last layout left them.
  RECT Part(int part) const { return parts_[static_cast<size_t>(part)]; }
  // The interval a timer runs with, 0 when it is stopped.
  UINT TimerInterval(UINT_PTR timer) const { return timerIntervals_[timer == kAutoScrollTimer ? 1 : 0]; }

  virtual bool Enabled() const;
  // Points in the bar's own coordinates.
  virtual TRaised MouseDown(TMouseButton button, int x, int y);
  virtual TRaised MouseMove(int x, int y);
  virtual TRaised MouseUp(TMouseButton button, int x, int y);
  // Answers the interval of the next round in nextInterval, below 1 to stop.
  virtual TRaised TimerElapsed(UINT_PTR timer, int& nextInterval);
  virtual TRaised Redraw();

  void StartAutoScroll(int delta, int interval);
  void StopAutoScroll();
  void UpdateParts();
  void Paint(TCanvas* canvas);

  TNotifyEvent OnChange;
  TAutoScrollEvent OnAutoScroll;
  TNotifyEvent OnRedraw;

 private:
  int Length() const { return kind_ == TScrollBarKind::sbVertical ? Height() : Width(); }
  int EffectiveWindow() const { return window_ != 0 ? window_ : Length(); }
  int MaxPosition() const;
  TRaised ApplyPosition(int value, bool user);
  // One step of the held part.
  TRaised Step();
  int PartAt(POINT point) const;
  int TrackLength() const;
  bool MinimalThumb() const;
  void StartTimer(UINT_PTR timer, UINT interval);
  void StopTimer(UINT_PTR timer);
  void TimerMessage(TMessage& message);
  void PaintPart(HDC dc, int part, bool pressed);

  RECT bounds_{};
  uint16_t smallChange_ = 1;
  TScrollBarKind kind_ = TScrollBarKind::sbHorizontal;
  int position_ = 0;
  int range_ = 0;
  int window_ = 0;
  int autoScrollDelta_ = 0;
  bool autoScrolling_ = false;
  int autoScrollInterval_ = 0;
  std::array<RECT, kScrollBarPartCount> parts_{};
  int hitPart_ = 0;
  POINT pressPoint_{};
  int pressPosition_ = 0;
  POINT mousePoint_{};
  bool userChange_ = false;
  HWND timerWindow_ = nullptr;
  std::array<UINT, 2> timerIntervals_{};
};

}  // namespace toolbars

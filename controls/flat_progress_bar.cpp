#include "controls/flat_progress_bar.h"

#include <algorithm>
#include <cstdint>

#include "framework/properties.h"
#include "framework/win_control.h"

namespace controls {

namespace {

constexpr int kElementWidth = 8;
// An element and the gap after it.
constexpr int kElementPitch = kElementWidth + 1;
// The frame and the gap inside it at both ends.
constexpr int kMargin = 3;
constexpr int kShortestBar = 12;

}  // namespace

TFlatProgressBar::TFlatProgressBar(TComponent* owner) : TFlatFramedControl(owner, 50) {
  // Nothing handles the events of a control in the making.
  (void)SetBounds(0, 0, 147, 16);
}

TRaised TFlatProgressBar::SetOrientation(TProgressBarOrientation value) {
  if (orientation_ == value) return TRaised(true);
  orientation_ = value;
  if (IsLoading()) {
    Repaint();
    return TRaised(true);
  }
  if (SetBounds(Left(), Top(), Height(), Width()).Gone()) return TRaised(false);
  Invalidate();
  return TRaised(true);
}

void TFlatProgressBar::SetPosition(int value) {
  value = std::clamp(value, min_, std::max(min_, max_));
  if (value == position_) return;
  const bool grows = value > position_;
  position_ = value;
  if (!grows) {
    Invalidate();
    return;
  }
  // Filling up only adds elements, so they are painted over the picture already shown.
  TWinControl* parent = Parent();
  if (parent && parent->HandleAllocated() && Visible()) PaintElements(Canvas());
}

void TFlatProgressBar::SetMax(int value) {
  if (max_ == value) return;
  max_ = value;
  if (position_ > value) position_ = value;
  Invalidate();
}

int TFlatProgressBar::ElementCount() const { return std::max((Length() - kMargin) / kElementPitch, 0); }

int TFlatProgressBar::FilledElements() const {
  const int count = ElementCount();
  const int64_t range = static_cast<int64_t>(max_) - min_;
  if (count < 1 || range <= 0) return 0;
  const double filled =
      static_cast<double>(static_cast<int64_t>(position_) - min_) / (static_cast<double>(range) / count) + 0.00000001;
  return std::clamp(static_cast<int>(filled), 0, count);
}

TRaised TFlatProgressBar::SnapLength() {
  const int length = Length();
  // The element count is a 16-bit quantity.
  const int snapped = length < kShortestBar
                          ? kShortestBar
                          : static_cast<uint16_t>((length - kMargin) / kElementPitch) * kElementPitch + kMargin;
  if (snapped == length) return TRaised(true);
  return orientation_ == TProgressBarOrientation::pbHorizontal ? SetWidth(snapped) : SetHeight(snapped);
}

void TFlatProgressBar::PaintElements(TCanvas* canvas) {
  canvas->Brush()->SetColor(colorElement_);
  const bool horizontal = orientation_ == TProgressBarOrientation::pbHorizontal;
  if (!smooth_) {
    const int filled = FilledElements();
    for (int i = 0; i < filled; ++i) {
      const int offset = kElementPitch * i;
      if (horizontal)
        canvas->FillRect(RECT{2 + offset, 2, 2 + offset + kElementWidth, Height() - 2});
      else
        canvas->FillRect(RECT{2, Height() - 2 - kElementWidth - offset, Width() - 2, Height() - 2 - offset});
    }
    return;
  }
  // The smooth bar measures the distance from Min, as the segmented one does.
  const int64_t range = static_cast<int64_t>(max_) - min_;
  const int64_t distance = static_cast<int64_t>(position_) - min_;
  if (range <= 0 || distance <= 0) return;
  if (horizontal) {
    const auto extent = static_cast<int>((Width() - 4) * distance / range);
    canvas->FillRect(RECT{2, 2, 2 + extent, Height() - 2});
  } else {
    const auto extent = static_cast<int>((Height() - 4) * distance / range);
    canvas->FillRect(RECT{2, Height() - 2 - extent, Width() - 2, Height() - 2});
  }
}

TRaised TFlatProgressBar::Paint() {
  // The length snaps to whole elements as the bar paints, which raises its OnResize.
  if (!smooth_ && SnapLength().Gone()) return TRaised(false);
  TCanvas* canvas = Canvas();
  PaintFrame(canvas);
  PaintElements(canvas);
  return TRaised(true);
}

const TPublishedTable& TFlatProgressBar::PublishedTable() const {
  using P = TPublished<TFlatProgressBar>;
  using B = TFlatProgressBar;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          ControlProperty(L"Align"),
          ControlProperty(L"Color"),
          ControlProperty(L"Enabled"),
          ControlProperty(L"ParentColor"),
          ControlProperty(L"Visible"),
          P::Boolean(L"Transparent", &B::Transparent, &B::SetTransparent).Default(false),
          P::Boolean(L"Smooth", &B::Smooth, &B::SetSmooth).Default(false),
          P::Boolean(L"UseAdvColors", &B::UseAdvColors, &B::SetUseAdvColors).Default(false),
          P::Integer(L"AdvColorBorder", &B::AdvColorBorder, &B::SetAdvColorBorder).Default(50),
          P::Enumeration(L"Orientation", &B::Orientation, &B::SetOrientation, {L"pbHorizontal", L"pbVertical"})
              .Default(TProgressBarOrientation::pbHorizontal),
          P::Color(L"ColorElement", &B::ColorElement, &B::SetColorElement).Default(0x996633),
          P::Color(L"ColorBorder", &B::ColorBorder, &B::SetColorBorder).Default(0x8396A0),
          P::Integer(L"Min", &B::Min, &B::SetMin).Default(0),
          P::Integer(L"Max", &B::Max, &B::SetMax).Default(100),
          P::Integer(L"Position", &B::Position, &B::SetPosition).Default(0),
          P::Integer(L"Step", &B::Step, &B::SetStep).Default(10),
      });
  return table;
}

}  // namespace controls

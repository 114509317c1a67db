// TFlatProgressBar: a flat progress bar of separate 8-pixel elements (or one smooth bar), horizontal or vertical,
// filled by the distance of Position from Min. The new-feed dialog shows a download in one.
#pragma once

#include "controls/flat_framed_control.h"

namespace controls {

enum class TProgressBarOrientation { pbHorizontal, pbVertical };

class TFlatProgressBar : public TFlatFramedControl {
  BC_CLASS(TFlatProgressBar, TFlatFramedControl)
  explicit TFlatProgressBar(TComponent* owner);
  const TPublishedTable& PublishedTable() const override;

  bool Smooth() const { return smooth_; }
  void SetSmooth(bool value) { SetAndInvalidate(smooth_, value); }
  // Changing it turns the bar: width and height are exchanged.
  TProgressBarOrientation Orientation() const { return orientation_; }
  [[nodiscard]] TRaised SetOrientation(TProgressBarOrientation value);
  TColor ColorElement() const { return colorElement_; }
  void SetColorElement(TColor value) { SetAndInvalidate(colorElement_, value); }
  // Kept between Min and Max. A larger value paints the elements over the bar at once; a smaller one repaints it.
  int Position() const { return position_; }
  void SetPosition(int value);
  // Does not move Position.
  int Min() const { return min_; }
  void SetMin(int value) { SetAndInvalidate(min_, value); }
  // Position falls to it.
  int Max() const { return max_; }
  void SetMax(int value);
  // Stored with the form; nothing steps the bar.
  int Step() const { return step_; }
  void SetStep(int value) { SetAndInvalidate(step_, value); }

  // Elements a segmented bar of this length holds, and how many of them the position fills.
  int ElementCount() const;
  int FilledElements() const;

 protected:
  TRaised Paint() override;

 private:
  int Length() const { return orientation_ == TProgressBarOrientation::pbHorizontal ? Width() : Height(); }
  // A segmented bar's length becomes a whole number of elements.
  [[nodiscard]] TRaised SnapLength();
  void PaintElements(TCanvas* canvas);

  bool smooth_ = false;
  TProgressBarOrientation orientation_ = TProgressBarOrientation::pbHorizontal;
  TColor colorElement_ = 0x996633;
  int position_ = 0;
  int min_ = 0;
  int max_ = 100;
  int step_ = 10;
};

}  // namespace controls

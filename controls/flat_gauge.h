// TFlatGauge: a flat percentage gauge, a bar filling from the left in BarColor with the percentage written over
// it (the part over the bar in the background colour). The browser shows a page's loading progress in one.
#pragma once

#include "controls/flat_framed_control.h"

namespace controls {

class TFlatGauge : public TFlatFramedControl {
  BC_CLASS(TFlatGauge, TFlatFramedControl)
  explicit TFlatGauge(TComponent* owner);
  const TPublishedTable& PublishedTable() const override;

  TColor BarColor() const { return barColor_; }
  void SetBarColor(TColor value) { SetAndInvalidate(barColor_, value); }
  // At most MaxValue; Progress rises to it.
  int MinValue() const { return minValue_; }
  void SetMinValue(int value);
  // At least MinValue; Progress falls to it.
  int MaxValue() const { return maxValue_; }
  void SetMaxValue(int value);
  // Kept between MinValue and MaxValue.
  int Progress() const { return progress_; }
  void SetProgress(int value);
  // Each paint shows the text only while Progress is at least 1, whatever was set.
  bool ShowText() const { return showText_; }
  void SetShowText(bool value);

  // The distance from MinValue in whole percent of the range; 0 for an empty range.
  int Percent() const;

 protected:
  TRaised Paint() override;

 private:
  void SetValues(int minValue, int maxValue, int progress);

  TColor barColor_ = 0x996633;
  int minValue_ = 0;
  int maxValue_ = 100;
  int progress_ = 25;
  bool showText_ = true;
};

}  // namespace controls

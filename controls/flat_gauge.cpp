#include "controls/flat_gauge.h"

#include <algorithm>
#include <cstdint>

#include "framework/properties.h"

namespace controls {

TFlatGauge::TFlatGauge(TComponent* owner) : TFlatFramedControl(owner, 0) {
  // Nothing handles the events of a control in the making.
  (void)SetBounds(0, 0, 145, 25);
}

void TFlatGauge::SetValues(int minValue, int maxValue, int progress) {
  if (minValue == minValue_ && maxValue == maxValue_ && progress == progress_) return;
  minValue_ = minValue;
  maxValue_ = maxValue;
  progress_ = progress;
  Repaint();
}

void TFlatGauge::SetMinValue(int value) {
  value = std::min(value, maxValue_);
  SetValues(value, maxValue_, std::max(progress_, value));
}

void TFlatGauge::SetMaxValue(int value) {
  value = std::max(value, minValue_);
  SetValues(minValue_, value, std::min(progress_, value));
}

void TFlatGauge::SetProgress(int value) { SetValues(minValue_, maxValue_, std::clamp(value, minValue_, maxValue_)); }

void TFlatGauge::SetShowText(bool value) {
  if (showText_ == value) return;
  showText_ = value;
  Repaint();
}

int TFlatGauge::Percent() const {
  const int64_t range = static_cast<int64_t>(maxValue_) - minValue_;
  if (range <= 0) return 0;
  return static_cast<int>((static_cast<int64_t>(progress_) - minValue_) * 100 / range);
}

TRaised TFlatGauge::Paint() {
  showText_ = progress_ >= 1;
  TCanvas* canvas = Canvas();
  PaintFrame(canvas);
  RECT inner = ClientRect();
  InflateRect(&inner, -2, -2);
  // Both the bar and the text measure the distance from the minimum; an empty range shows an empty bar.
  const int64_t range = static_cast<int64_t>(maxValue_) - minValue_;
  const int innerWidth = std::max<int>(inner.right - inner.left, 0);
  const int barWidth =
      range <= 0 ? 0 : static_cast<int>(innerWidth * (static_cast<int64_t>(progress_) - minValue_) / range);
  const RECT bar{inner.left, inner.top, inner.left + barWidth, inner.bottom};
  if (barWidth > 0) {
    canvas->Brush()->SetColor(barColor_);
    canvas->FillRect(bar);
  }
  if (!showText_) return TRaised(true);
  const String text = std::to_wstring(Percent()) + L" %";
  constexpr UINT kFormat = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
  canvas->SetFont(Font());
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  RECT textRect = inner;
  canvas->TextRect(textRect, text, kFormat);
  if (barWidth <= 0) return TRaised(true);
  // Over the bar the same text shows in the background colour.
  HDC dc = canvas->Handle();
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, bar.left, bar.top, bar.right, bar.bottom);
  canvas->Font()->SetColor(Color());
  textRect = inner;
  canvas->TextRect(textRect, text, kFormat);
  RestoreDC(dc, saved);
  canvas->Refresh();
  return TRaised(true);
}

const TPublishedTable& TFlatGauge::PublishedTable() const {
  using P = TPublished<TFlatGauge>;
  using G = TFlatGauge;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          ControlProperty(L"Align"),
          ControlProperty(L"Color"),
          ControlProperty(L"Enabled"),
          ControlProperty(L"Font"),
          ControlProperty(L"ParentColor"),
          ControlProperty(L"ParentFont"),
          ControlProperty(L"Visible"),
          P::Boolean(L"Transparent", &G::Transparent, &G::SetTransparent).Default(false),
          P::Boolean(L"UseAdvColors", &G::UseAdvColors, &G::SetUseAdvColors).Default(false),
          P::Integer(L"AdvColorBorder", &G::AdvColorBorder, &G::SetAdvColorBorder).Default(0),
          P::Color(L"BarColor", &G::BarColor, &G::SetBarColor).Default(0x996633),
          P::Color(L"ColorBorder", &G::ColorBorder, &G::SetColorBorder).Default(0x8396A0),
          P::Integer(L"MaxValue", &G::MaxValue, &G::SetMaxValue).Default(100),
          P::Integer(L"MinValue", &G::MinValue, &G::SetMinValue).Default(0),
          P::Integer(L"Progress", &G::Progress, &G::SetProgress).Default(25),
          P::Boolean(L"ShowText", &G::ShowText, &G::SetShowText).Default(true),
      });
  return table;
}

}  // namespace controls

#include "command_strip.h"

#include "framework/speed_button.h"
#include "framework/win_control.h"
#include "status_line.h"

namespace {

constexpr int kStripHeight = 34;
constexpr int kGap = 6;

}  // namespace

TStatusLine* AddCommandStrip(TWinControl* page, const std::vector<TStripButton>& buttons, int buttonWidth) {
  auto* strip = new TCustomControl(page);
  strip->SetHeight(kStripHeight);
  strip->SetAlign(TAlign::alTop);
  strip->SetParent(page);
  auto* row = new TCustomControl(page);
  row->SetWidth(kGap + static_cast<int>(buttons.size()) * (buttonWidth + kGap));
  row->SetAlign(TAlign::alLeft);
  row->SetParent(strip);
  int left = kGap + 2;
  for (const TStripButton& entry : buttons) {
    auto* button = new TSpeedButton(page);
    button->SetBounds(left, 5, buttonWidth, 24);
    button->SetCaption(entry.Caption);
    button->OnClick = [click = entry.Click](TObject*) { click(); };
    button->SetParent(row);
    left += buttonWidth + kGap;
  }
  auto* status = new TStatusLine(page);
  status->SetAlign(TAlign::alClient);
  status->SetParent(strip);
  return status;
}

#include "command_strip.h"

#include <algorithm>

#include "framework/speed_button.h"
#include "sample_lost.h"
#include "status_line.h"

namespace {

constexpr int kGap = 6;
constexpr int kButtonTop = 5;
constexpr int kButtonHeight = 24;
// Narrower than this beside the buttons, the status line goes below them.
constexpr int kStatusBesideWidth = 240;
// Room above and below the text of a wrapped status line.
constexpr int kStatusPadding = 8;

}  // namespace

TCommandStrip::TCommandStrip(TComponent* owner, const std::vector<TStripButton>& buttons, int buttonWidth)
    : TCustomControl(owner), buttonWidth_(buttonWidth) {
  (void)SetHeight(RowHeight);
  for (const TStripButton& entry : buttons) {
    auto* button = new TSpeedButton(this);
    (void)button->SetCaption(entry.Caption);
    button->OnClick = [click = entry.Click](TObject*) { click(); };
    (void)button->SetParent(this);
    buttons_.push_back({button, entry.Caption, entry.ShortCaption ? entry.ShortCaption : entry.Caption});
  }
  status_ = new TStatusLine(this);
  status_->SetWordWrap(true);
  (void)status_->SetParent(this);
  status_->OnChange = [this](TObject*) { (void)LayOut(); };
  (void)LayOut();
}

TRaised TCommandStrip::Resize() {
  if (TCustomControl::Resize().Gone()) return TRaised(false);
  if (LayOut().Gone()) return TRaised(false);
  return TRaised(true);
}

TRaised TCommandStrip::LayOut() {
  // Setting the height below realigns the page, which resizes the strip again.
  if (layingOut_) return TRaised(true);
  layingOut_ = true;
  const int width = ClientWidth();
  const int count = static_cast<int>(buttons_.size());
  // The buttons keep one row: in a narrow strip they share it, with their short captions when the whole ones do not
  // fit, so that every command stays in reach.
  const int room = (width - kGap * (count + 1)) / std::max(count, 1);
  const int buttonWidth = std::max(1, std::min(buttonWidth_, room));
  int left = kGap;
  for (const TPlacedButton& placed : buttons_) {
    if (placed.Button->SetBounds(left, kButtonTop, buttonWidth, kButtonHeight).Gone()) return TRaised(false);
    if (placed.Button->SetCaption(buttonWidth < buttonWidth_ ? placed.ShortCaption : placed.Caption).Gone())
      return TRaised(false);
    left += buttonWidth + kGap;
  }
  RECT status{left, 0, width, RowHeight};
  if (width - left < kStatusBesideWidth) status = RECT{0, RowHeight, width, RowHeight};
  status.bottom =
      std::max<LONG>(status.bottom, status.top + status_->WrappedHeight(status.right - status.left) + kStatusPadding);
  if (SetHeight(std::max<int>(RowHeight, status.bottom)).Gone()) return TRaised(false);
  // Kept to its height constraint, the strip would cut the line across a line of its text: the line takes what the
  // strip has, and shows what fits.
  status.bottom = std::clamp<LONG>(Height(), status.top, status.bottom);
  if (status_->SetBounds(status.left, status.top, status.right - status.left, status.bottom - status.top).Gone())
    return TRaised(false);
  layingOut_ = false;
  return TRaised(true);
}

TCommandStrip* AddCommandStrip(TWinControl* page, const std::vector<TStripButton>& buttons, int buttonWidth) {
  auto* strip = new TCommandStrip(page, buttons, buttonWidth);
  if (strip->SetAlign(TAlign::alTop).Gone() || strip->SetParent(page).Gone()) SampleLost();
  return strip;
}

#include "framework/speed_button.h"

#include <algorithm>

#include "framework/properties.h"
#include "framework/win_control.h"

namespace {

constexpr int kSpacing = 4;

bool Inside(const TControl* control, int x, int y) {
  return x >= 0 && y >= 0 && x < control->Width() && y < control->Height();
}

}  // namespace

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), glyph_(std::make_unique<TBitmap>()) {
  glyph_->OnChange = TNotifyEvent(this, &TSpeedButton::GlyphChanged);
  // Nothing handles the events of a control in the making.
  (void)SetBounds(Left(), Top(), 23, 22);
  SetControlStyle(
      TControlStyle{TControlStyleItem::csCaptureMouse, TControlStyleItem::csDoubleClicks, TControlStyleItem::csOpaque});
  SetParentFont(true);
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetDown(bool value) {
  if (groupIndex_ == 0) value = false;
  if (value == down_) return;
  if (down_ && !allowAllUp_) return;
  down_ = value;
  if (value) {
    if (state_ == TButtonState::bsUp) Invalidate();
    state_ = TButtonState::bsExclusive;
    UpdateExclusive();
  } else {
    state_ = TButtonState::bsUp;
    Repaint();
  }
}

void TSpeedButton::SetGroupIndex(int value) {
  if (value == groupIndex_) return;
  groupIndex_ = value;
  UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool value) {
  if (value == allowAllUp_) return;
  allowAllUp_ = value;
  UpdateExclusive();
}

void TSpeedButton::SetGlyph(const TBitmap* value) { glyph_->Assign(value); }

void TSpeedButton::SetNumGlyphs(int value) {
  value = std::clamp(value, 1, 4);
  if (value == numGlyphs_) return;
  numGlyphs_ = value;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  TControlStyle style = ControlStyle();
  if (value)
    style -= TControlStyleItem::csOpaque;
  else
    style += TControlStyleItem::csOpaque;
  SetControlStyle(style);
  Invalidate();
}

void TSpeedButton::GlyphChanged(TObject*) { Invalidate(); }

// Tells the other buttons of the group on the same parent that this one went down, and AllowAllUp changes.
void TSpeedButton::UpdateExclusive() {
  if (groupIndex_ == 0 || !Parent()) return;
  TMessage message{CM_BUTTONPRESSED, static_cast<WPARAM>(groupIndex_), reinterpret_cast<LPARAM>(this), 0};
  Parent()->Broadcast(message);
}

void TSpeedButton::CMButtonPressed(TMessage& message) {
  auto* sender = reinterpret_cast<TSpeedButton*>(message.LParam);
  if (static_cast<int>(message.WParam) != groupIndex_ || sender == this) return;
  if (sender->Down() && down_) {
    down_ = false;
    state_ = TButtonState::bsUp;
    Invalidate();
  }
  allowAllUp_ = sender->AllowAllUp();
}

void TSpeedButton::CMEnabledChanged(TMessage& message) {
  TGraphicControl::Dispatch(message);
  Repaint();
}

void TSpeedButton::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_BUTTONPRESSED:
      CMButtonPressed(message);
      break;
    case CM_ENABLEDCHANGED:
      CMEnabledChanged(message);
      break;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      TGraphicControl::Dispatch(message);
      Invalidate();
      break;
    case WM_LBUTTONDBLCLK: {
      // The second press of a quick pair is a press like the first (the button goes down, and its release
      // clicks); on a button that is down it is a double click as well.
      const TLifeWatch life = LifeWatch();
      TGraphicControl::Dispatch(message);
      if (life.Ended() || !down_ || DblClick().Gone()) return;
      break;
    }
    default:
      TGraphicControl::Dispatch(message);
  }
}

TRaised TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  const TRaised raised = TGraphicControl::MouseDown(button, shift, x, y);
  if (raised.Gone() || button != TMouseButton::mbLeft || !Enabled()) return raised;
  if (!down_) {
    state_ = TButtonState::bsDown;
    Invalidate();
  }
  dragging_ = true;
  return raised;
}

TRaised TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
  const TRaised raised = TGraphicControl::MouseMove(shift, x, y);
  if (raised.Gone() || !dragging_) return raised;
  TButtonState next = down_ ? TButtonState::bsExclusive : TButtonState::bsUp;
  if (Inside(this, x, y)) next = down_ ? TButtonState::bsExclusive : TButtonState::bsDown;
  if (next != state_) {
    state_ = next;
    Invalidate();
  }
  return raised;
}

TRaised TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const TRaised raised = TGraphicControl::MouseUp(button, shift, x, y);
  if (raised.Gone() || !dragging_) return raised;
  dragging_ = false;
  const bool doClick = Inside(this, x, y);
  if (groupIndex_ == 0) {
    state_ = TButtonState::bsUp;
    Invalidate();
  } else if (doClick) {
    SetDown(!down_);
    if (down_) Repaint();
  } else {
    if (down_) state_ = TButtonState::bsExclusive;
    Repaint();
  }
  return doClick ? Click() : raised;
}

std::unique_ptr<TBitmap> TSpeedButton::GlyphImage(TButtonState state) const {
  if (glyph_->Empty()) return nullptr;
  const int width = glyph_->Width() / numGlyphs_;
  const int height = glyph_->Height();
  int index = static_cast<int>(state);
  if (index >= numGlyphs_) index = 0;
  auto image = std::make_unique<TBitmap>();
  image->SetSize(width, height);
  const RECT target{0, 0, width, height};
  const RECT source{index * width, 0, (index + 1) * width, height};
  image->Canvas()->CopyRect(target, glyph_->Canvas(), source);
  image->SetTransparentColor(glyph_->TransparentColor());
  image->SetTransparent(true);
  return image;
}

void TSpeedButton::SettleState() {
  if (!Enabled()) {
    state_ = TButtonState::bsDisabled;
    dragging_ = false;
  } else if (state_ == TButtonState::bsDisabled) {
    state_ = down_ && groupIndex_ != 0 ? TButtonState::bsExclusive : TButtonState::bsUp;
  }
}

TRaised TSpeedButton::Paint() {
  SettleState();
  TCanvas* canvas = Canvas();
  RECT r{0, 0, Width(), Height()};
  const bool pushed = state_ == TButtonState::bsDown || state_ == TButtonState::bsExclusive;
  if (transparent_) {
    DrawEdge(canvas->Handle(), &r, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
  } else {
    DrawFrameControl(canvas->Handle(), &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (pushed ? DFCS_PUSHED : 0));
  }
  const int offset = pushed ? 1 : 0;
  std::unique_ptr<TBitmap> image = GlyphImage(state_);
  const String caption = Caption();
  canvas->SetFont(Font());
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  const SIZE text = caption.empty() ? SIZE{0, 0} : canvas->TextExtent(caption);
  const int glyphWidth = image ? image->Width() : 0;
  const int total = glyphWidth + text.cx + (image && text.cx > 0 ? kSpacing : 0);
  int x = (Width() - total) / 2 + offset;
  if (image) {
    canvas->Draw(x, (Height() - image->Height()) / 2 + offset, image.get());
    x += glyphWidth + kSpacing;
  }
  if (!caption.empty()) {
    if (state_ == TButtonState::bsDisabled) canvas->Font()->SetColor(clGrayText);
    canvas->TextOut(x, (Height() - text.cy) / 2 + offset, caption);
  }
  return TRaised(true);
}

const TPublishedTable& TSpeedButton::PublishedTable() const {
  using P = TPublished<TSpeedButton>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Boolean(L"AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp).Default(false),
          P::Integer(L"GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex).Default(0),
          P::Boolean(L"Down", &TSpeedButton::Down, &TSpeedButton::SetDown).Default(false),
          P::Object(L"Glyph", &TSpeedButton::Glyph),
          P::Integer(L"NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs).Default(1),
          P::Boolean(L"Transparent", &TSpeedButton::Transparent, &TSpeedButton::SetTransparent).Default(false),
      });
  return table;
}

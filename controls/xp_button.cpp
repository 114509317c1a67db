#include "controls/xp_button.h"

#include "controls/flat_utils.h"
#include "controls/xp_unit.h"
#include "framework/accelerators.h"
#include "framework/properties.h"

namespace controls {

namespace {

// Whether a client point lies on the control, its right and bottom edges included.
bool IsOnControl(const TControl* control, POINT point) {
  return point.x >= 0 && point.y >= 0 && point.x <= control->Width() && point.y <= control->Height();
}

}  // namespace

TXP_Button::TXP_Button(TComponent* owner) : TXP_Control(owner), picture_(std::make_unique<TPicture>()) {
  // Nothing handles the events of a control in the making.
  (void)SetBounds(Left(), Top(), 75, 24);
}

TXP_Button::~TXP_Button() = default;

template <class T>
void TXP_Button::SetAndRepaint(T& field, T value) {
  if (StoreChanged(field, value)) Repaint();
}

void TXP_Button::SetPicTrans(bool value) { SetAndRepaint(picTrans_, value); }
void TXP_Button::SetPicTransColor(TColor value) { SetAndRepaint(picTransColor_, value); }
void TXP_Button::SetPicPos(TPicPos value) { SetAndRepaint(picPos_, value); }
void TXP_Button::SetPicOffSet(int value) { SetAndRepaint(picOffSet_, value); }

void TXP_Button::SetPicture(const TPicture* value) {
  picture_->Assign(value);
  Repaint();
}

void TXP_Button::SetDefault(bool value) {
  default_ = value;
  if (!HandleAllocated()) return;
  if (TCustomForm* form = GetParentForm(this))
    form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->ActiveControl()));
}

TRaised TXP_Button::Click() {
  if (Parent()) {
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
  }
  return TXP_Control::Click();
}

// ---- painting ----

void TXP_Button::DrawState(TXPButtonState requested) {
  requestedState_ = requested;
  Repaint();
}

void TXP_Button::PaintPicture(TCanvas* canvas, int x, int y) {
  TGraphic* graphic = picture_->Graphic();
  auto* bitmap = ObjectAs<TBitmap>(graphic);
  if (bitmap && picTrans_) {
    bitmap->SetTransparentColor(picTransColor_);
    bitmap->SetTransparent(true);
  }
  if (Enabled() || !bitmap) {
    canvas->Draw(x, y, graphic);
    return;
  }
  // Disabled: a flat silhouette in the face colour of everything that is not the picture's background.
  const TColor background = bitmap->Canvas()->Pixels(0, bitmap->Height() - 1);
  const TColor face = ColorToRGB(clBtnFace);
  for (int row = 0; row < bitmap->Height(); ++row)
    for (int column = 0; column < bitmap->Width(); ++column)
      if (bitmap->Canvas()->Pixels(column, row) != background) canvas->SetPixels(x + column, y + row, face);
}

TRaised TXP_Button::Paint() {
  TXPButtonState state = requestedState_;
  if (!Enabled())
    state = TXPButtonState::Disabled;
  else if (state != TXPButtonState::Pressed && state != TXPButtonState::Hot && Focused())
    state = TXPButtonState::Focused;

  const RECT client = ClientRect();
  TBitmap bitmap;
  bitmap.SetSize(client.right, client.bottom);
  TCanvas* canvas = bitmap.Canvas();
  DrawStretchedButtonFrame(canvas, client, static_cast<int>(state));
  canvas->SetFont(Font());
  if (!Enabled()) canvas->Font()->SetColor(kDisabledText);
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);

  const String caption = Caption();
  const SIZE text = canvas->TextExtent(StripAccelChars(caption));
  const int pictureWidth = picture_->Width();
  const int pictureHeight = picture_->Height();
  RECT captionRect = client;
  if (pictureWidth >= 1 && pictureHeight >= 1) {
    int x = 0;
    int y = 0;
    if (picPos_ == TPicPos::pTop) {
      x = (Width() - pictureWidth) / 2;
      y = (Height() - text.cy - pictureHeight - picOffSet_) / 2;
      captionRect = RECT{0, y + pictureHeight + picOffSet_, Width(), y + pictureHeight + picOffSet_ + text.cy};
    } else {
      x = (Width() - pictureWidth - text.cx - picOffSet_) / 2;
      y = (Height() - pictureHeight) / 2;
      captionRect = RECT{x + pictureWidth + picOffSet_, 0, x + pictureWidth + picOffSet_ + text.cx, Height()};
    }
    PaintPicture(canvas, x, y);
  }
  canvas->TextRect(captionRect, caption, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  Canvas()->Draw(0, 0, &bitmap);
  return TRaised(true);
}

// ---- input ----

void TXP_Button::WMLButtonDown(TMessage& message) {
  // OnMouseDown, and the OnExit and OnEnter that taking the focus raises, may free the button.
  const TLifeWatch life = LifeWatch();
  TXP_Control::Dispatch(message);
  if (life.Ended() || !Enabled() || !IsOnControl(this, MessagePoint(message.LParam))) return;
  if (CanFocus() && SetFocus().Gone()) return;
  DrawState(TXPButtonState::Pressed);
}

void TXP_Button::WMLButtonUp(TMessage& message) {
  if (Enabled() && IsOnControl(this, MessagePoint(message.LParam))) DrawState(TXPButtonState::Normal);
  TXP_Control::Dispatch(message);
}

void TXP_Button::CMDialogKey(TMessage& message) {
  const bool wanted = (message.WParam == VK_RETURN && active_) || (message.WParam == VK_ESCAPE && cancel_);
  if (wanted && KeyDataToShiftState(message.LParam).Empty() && CanFocus()) {
    message.Result = 1;
    if (Click().Gone()) return;
    return;
  }
  TXP_Control::Dispatch(message);
}

void TXP_Button::CMFocusChanged(TMessage& message) {
  auto* focused = reinterpret_cast<TWinControl*>(message.LParam);
  active_ = ObjectAs<TXP_Button>(focused) ? focused == this : default_;
  Repaint();
}

void TXP_Button::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_MOUSEENTER:
      TXP_Control::Dispatch(message);
      DrawState(TXPButtonState::Hot);
      return;
    case CM_MOUSELEAVE:
      TXP_Control::Dispatch(message);
      DrawState(TXPButtonState::Normal);
      return;
    case WM_LBUTTONDOWN:
      WMLButtonDown(message);
      return;
    case WM_LBUTTONUP:
      WMLButtonUp(message);
      return;
    case WM_KEYDOWN: {
      // OnKeyDown may free the button, and its key is spent then.
      const TLifeWatch life = LifeWatch();
      TXP_Control::Dispatch(message);
      if (life.Ended() || IsDesigning() || (message.WParam != VK_RETURN && message.WParam != VK_SPACE)) return;
      if (Click().Gone()) return;
      return;
    }
    case CM_DIALOGKEY:
      CMDialogKey(message);
      return;
    case CM_FOCUSCHANGED:
      CMFocusChanged(message);
      return;
    case CM_ENABLEDCHANGED:
      TXP_Control::Dispatch(message);
      DrawState(TXPButtonState::Normal);
      return;
    default:
      TXP_Control::Dispatch(message);
  }
}

const TPublishedTable& TXP_Button::PublishedTable() const {
  using P = TPublished<TXP_Button>;
  using B = TXP_Button;
  static const TPublishedTable table(
      &inherited::PublishedTable(), {
                                        P::Object(L"Picture", &B::Picture),
                                        P::Enumeration(L"PicPos", &B::PicPos, &B::SetPicPos, {L"pLeft", L"pTop"}),
                                        P::Boolean(L"PicTrans", &B::PicTrans, &B::SetPicTrans),
                                        P::Color(L"PicTransColor", &B::PicTransColor, &B::SetPicTransColor),
                                        P::Integer(L"PicOffSet", &B::PicOffSet, &B::SetPicOffSet),
                                        P::Integer(L"ModalResult", &B::ModalResult, &B::SetModalResult).Default(mrNone),
                                        P::Boolean(L"Default", &B::Default, &B::SetDefault).Default(false),
                                        P::Boolean(L"Cancel", &B::Cancel, &B::SetCancel).Default(false),
                                    });
  return table;
}

}  // namespace controls

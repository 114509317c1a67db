#include "framework_section.h"

#include <iterator>
#include <string>

#include "caption_panel.h"
#include "framework/bitmap.h"
#include "framework/image_list.h"
#include "framework/win_control.h"
#include "gallery_images.h"

namespace {

// A colour sample without a window: a framed block in its Color with the colour's name; each click moves it to the
// next colour of its list, the second of a double click too.
class TColorSwatch : public TGraphicControl {
  BC_CLASS(TColorSwatch, TGraphicControl)
  explicit TColorSwatch(TComponent* owner) : TGraphicControl(owner) {
    SetParentColor(false);
    SetControlStyle(ControlStyle() - TControlStyleItem::csDoubleClicks);
  }

  TRaised Click() override {
    static const TColor kColors[] = {clRed, clGreen, clBlue, clTeal, clPurple, clOlive};
    index_ = (index_ + 1) % static_cast<int>(std::size(kColors));
    SetColor(kColors[index_]);
    return TGraphicControl::Click();
  }

 protected:
  TRaised Paint() override {
    RECT client = ClientRect();
    Canvas()->Pen()->SetColor(clBtnShadow);
    Canvas()->Brush()->SetColor(Color());
    Canvas()->Rectangle(client);
    String name;
    if (!ColorToIdent(Color(), name)) name = ColorToString(Color());
    Canvas()->Font()->SetColor(clWhite);
    Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
    SIZE extent = Canvas()->TextExtent(name);
    Canvas()->TextOut((client.right - extent.cx) / 2, (client.bottom - extent.cy) / 2, name);
    return TRaised(true);
  }

 private:
  int index_ = 0;
};

// A push button drawn by the framework: raised face, sunken while pressed, a focus rectangle when focused. As the
// platform's push button, it counts the second click of a double click as a click of its own.
class TCounterButton : public TCustomControl {
  BC_CLASS(TCounterButton, TCustomControl)
  explicit TCounterButton(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(ControlStyle() - TControlStyleItem::csDoubleClicks);
    SetTabStop(true);
    SetColor(clBtnFace);
    (void)UpdateCaption();
  }

  TRaised Click() override {
    ++count_;
    if (UpdateCaption().Gone()) return TRaised(false);
    return TCustomControl::Click();
  }
  void Dispatch(TMessage& message) override {
    switch (message.Msg) {
      case CM_MOUSEENTER:
      case CM_MOUSELEAVE:
        hot_ = message.Msg == CM_MOUSEENTER;
        Invalidate();
        break;
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
        Invalidate();
        break;
      default:
        break;
    }
    TCustomControl::Dispatch(message);
  }

 protected:
  TRaised MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
    if (button == TMouseButton::mbLeft && CanFocus() && SetFocus().Gone()) return TRaised(false);
    pressed_ = button == TMouseButton::mbLeft;
    Invalidate();
    return TCustomControl::MouseDown(button, shift, x, y);
  }
  TRaised MouseUp(TMouseButton button, TShiftState shift, int x, int y) override {
    pressed_ = false;
    Invalidate();
    return TCustomControl::MouseUp(button, shift, x, y);
  }
  TRaised Paint() override {
    RECT client = ClientRect();
    Canvas()->Brush()->SetColor(hot_ ? cl3DLight : Color());
    Canvas()->FillRect(client);
    DrawEdge(Canvas()->Handle(), &client, pressed_ ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
    Canvas()->Font()->SetColor(clBtnText);
    String text = Caption();
    RECT textRect = client;
    if (pressed_) OffsetRect(&textRect, 1, 1);
    DrawTextW(Canvas()->Handle(), text.c_str(), -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (Focused()) {
      InflateRect(&client, -4, -4);
      Canvas()->DrawFocusRect(client);
    }
    return TRaised(true);
  }

 private:
  TRaised UpdateCaption() { return SetCaption(L"Clicked " + std::to_wstring(count_) + L" times"); }
  int count_ = 0;
  bool pressed_ = false;
  bool hot_ = false;
};

// Every image of an image list, drawn enabled in the top row and disabled in the bottom one.
class TImageStrip : public TCustomControl {
  BC_CLASS(TImageStrip, TCustomControl)
  explicit TImageStrip(TComponent* owner) : TCustomControl(owner) { SetColor(clWindow); }
  TCustomImageList* Images = nullptr;

 protected:
  TRaised Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
    if (!Images) return TRaised(true);
    for (int i = 0; i < Images->Count(); ++i) {
      int x = 6 + i * (Images->Width() + 8);
      Images->Draw(Canvas(), x, 4, i, true);
      Images->Draw(Canvas(), x, 8 + Images->Height(), i, false);
    }
    return TRaised(true);
  }
};

// One 16 x 16 shape in the given colour.
void AddShape(TImageList* images, int shape, TColor color) {
  AddDrawnImage(images, [shape, color](TCanvas* canvas) {
    canvas->Brush()->SetColor(color);
    canvas->Pen()->SetColor(clBlack);
    switch (shape) {
      case 0:
        canvas->Ellipse(1, 1, 15, 15);
        break;
      case 1:
        canvas->Rectangle(2, 2, 14, 14);
        break;
      case 2:
        canvas->Polygon({{8, 1}, {15, 14}, {1, 14}});
        break;
      default:
        canvas->RoundRect(1, 4, 15, 12, 6, 6);
        break;
    }
  });
}

}  // namespace

int BuildFrameworkSection(TWinControl* host) {
  const TColor kSwatchColors[] = {clRed, clGreen, clBlue};
  for (int i = 0; i < 3; ++i) {
    auto* swatch = new TColorSwatch(host);
    if (swatch->SetBounds(10 + i * 90, 10, 80, 40).Gone()) return 0;
    swatch->SetColor(kSwatchColors[i]);
    swatch->SetHint(L"A windowless control|Click it to change its colour");
    swatch->SetShowHint(true);
    if (swatch->SetParent(host).Gone()) return 0;
  }

  auto* button = new TCounterButton(host);
  if (button->SetBounds(290, 10, 140, 40).Gone() || button->SetParent(host).Gone()) return 0;

  auto* layout = new TCaptionPanel(host);
  if (layout->SetBounds(10, 60, 280, 100).Gone()) return 0;
  layout->SetColor(clBtnFace);
  if (layout->SetParent(host).Gone()) return 0;
  struct TPiece {
    const wchar_t* Caption;
    TAlign Align;
    TColor Color;
  };
  const TPiece kPieces[] = {{L"alTop", TAlign::alTop, 0xC0E0FF},
                            {L"alBottom", TAlign::alBottom, 0xC0FFC0},
                            {L"alLeft", TAlign::alLeft, 0xFFE0C0},
                            {L"alRight", TAlign::alRight, 0xE0C0FF},
                            {L"alClient", TAlign::alClient, 0xFFFFFF}};
  for (const TPiece& piece : kPieces) {
    auto* box = new TCaptionPanel(host);
    if (box->SetBounds(0, 0, 70, 22).Gone() || box->SetCaption(piece.Caption).Gone()) return 0;
    box->SetColor(piece.Color);
    if (box->SetAlign(piece.Align).Gone() || box->SetParent(layout).Gone()) return 0;
  }

  auto* images = new TImageList(host);
  images->SetSize(16, 16);
  const TColor kShapeColors[] = {clRed, clLime, clBlue, clYellow, clAqua, clFuchsia};
  for (int i = 0; i < 6; ++i) AddShape(images, i % 4, kShapeColors[i] == clFuchsia ? clPurple : kShapeColors[i]);
  auto* strip = new TImageStrip(host);
  strip->Images = images;
  if (strip->SetBounds(300, 60, 6 * 24 + 8, 48).Gone() || strip->SetParent(host).Gone()) return 0;
  return 170;
}

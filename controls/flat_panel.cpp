#include "controls/flat_panel.h"

#include "framework/bitmap.h"
#include "framework/properties.h"

namespace controls {

TFlatPanel::TFlatPanel(TComponent* owner) : TCustomControl(owner) {
  SetParentFont(true);
  SetParentColor(true);
  SetControlStyle(ControlStyle() + TControlStyleItem::csAcceptsControls + TControlStyleItem::csOpaque);
  // Nothing handles the events of a control in the making.
  (void)SetBounds(0, 0, 185, 41);
}

void TFlatPanel::PaintInto(HDC dc) {
  const RECT client = ClientRect();
  TBitmap bitmap;
  bitmap.SetSize(client.right, client.bottom);
  TCanvas* canvas = bitmap.Canvas();
  if (transparent_) {
    DrawParentImage(this, canvas);
  } else {
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(client);
  }
  RECT r = client;
  Frame3D(canvas, r, colorHighLight_, colorShadow_, 1);

  const String text = Caption();
  UINT format = DT_SINGLELINE | DT_VCENTER;
  if (alignment_ == TAlignment::taRightJustify) format |= DT_RIGHT;
  if (alignment_ == TAlignment::taCenter) format |= DT_CENTER;
  canvas->SetFont(Font());
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  if (Enabled()) {
    canvas->TextRect(r, text, format);
  } else {
    // The engraved look of disabled text: a highlight one pixel down and right, the shadow in place.
    RECT shifted = r;
    OffsetRect(&shifted, 1, 1);
    canvas->Font()->SetColor(clBtnHighlight);
    canvas->TextRect(shifted, text, format);
    canvas->Font()->SetColor(clBtnShadow);
    canvas->TextRect(r, text, format);
  }
  BitBlt(dc, 0, 0, client.right, client.bottom, canvas->Handle(), 0, 0, SRCCOPY);
}

TRaised TFlatPanel::Paint() {
  PaintInto(Canvas()->Handle());
  return TRaised(true);
}

void TFlatPanel::WMEraseBkgnd(TMessage& message) {
  PaintInto(reinterpret_cast<HDC>(message.WParam));
  // Windowless children are painted after this in the same paint; windowed ones show the new background only
  // when they paint again.
  if (!DrawingParentImage()) {
    for (int i = 0; i < ControlCount(); ++i)
      if (auto* child = ObjectAs<TWinControl>(Controls(i))) child->Invalidate();
  }
  message.Result = 1;
}

void TFlatPanel::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_ERASEBKGND:
      WMEraseBkgnd(message);
      return;
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
      TCustomControl::Dispatch(message);
      Invalidate();
      return;
    default:
      TCustomControl::Dispatch(message);
  }
}

const TPublishedTable& TFlatPanel::PublishedTable() const {
  using P = TPublished<TFlatPanel>;
  using F = TFlatPanel;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          ControlProperty(L"Align"),
          ControlProperty(L"Caption"),
          ControlProperty(L"Color"),
          ControlProperty(L"Enabled"),
          ControlProperty(L"Font"),
          ControlProperty(L"ParentColor"),
          ControlProperty(L"ParentFont"),
          ControlProperty(L"ShowHint"),
          ControlProperty(L"TabOrder"),
          ControlProperty(L"TabStop"),
          ControlProperty(L"Visible"),
          ControlProperty(L"OnClick"),
          ControlProperty(L"OnDblClick"),
          ControlProperty(L"OnMouseDown"),
          ControlProperty(L"OnMouseMove"),
          ControlProperty(L"OnMouseUp"),
          ControlProperty(L"OnResize"),
          P::Boolean(L"Transparent", &F::Transparent, &F::SetTransparent).Default(false),
          P::Color(L"ColorHighLight", &F::ColorHighLight, &F::SetColorHighLight).Default(0x8396A0),
          P::Color(L"ColorShadow", &F::ColorShadow, &F::SetColorShadow).Default(0x8396A0),
          P::Enumeration(L"Alignment", &F::Alignment, &F::SetAlignment,
                         {L"taLeftJustify", L"taRightJustify", L"taCenter"})
              .Default(TAlignment::taCenter),
      });
  return table;
}

}  // namespace controls

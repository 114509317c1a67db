#include "framework/image.h"

#include "framework/properties.h"

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TPicture>()) {
  picture_->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
  SetControlStyle(ControlStyle() + TControlStyleItem::csOpaque);
  // Nothing handles the events of a control in the making.
  (void)SetBounds(Left(), Top(), 105, 105);
}

TImage::~TImage() = default;

void TImage::SetCenter(bool value) {
  if (value == center_) return;
  center_ = value;
  Invalidate();
}

void TImage::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  PictureChanged(nullptr);
}

void TImage::PictureChanged(TObject*) {
  TGraphic* graphic = picture_->Graphic();
  if (graphic && graphic->Transparent() != transparent_) graphic->SetTransparent(transparent_);
  // An opaque picture that covers the control needs nothing painted under it.
  const bool covers = graphic && !transparent_ && graphic->Width() >= Width() && graphic->Height() >= Height();
  SetControlStyle(covers ? ControlStyle() + TControlStyleItem::csOpaque : ControlStyle() - TControlStyleItem::csOpaque);
  if (!drawing_) Invalidate();
}

void TImage::Dispatch(TMessage& message) {
  if (message.Msg != WM_PAINT) {
    TGraphicControl::Dispatch(message);
    return;
  }
  drawing_ = true;
  try {
    TGraphicControl::Dispatch(message);
  } catch (...) {
    drawing_ = false;
    throw;
  }
  drawing_ = false;
}

TRaised TImage::Paint() {
  TGraphic* graphic = picture_->Graphic();
  if (!graphic || graphic->Empty()) return TRaised(true);
  int x = 0;
  int y = 0;
  if (center_) {
    x = (Width() - graphic->Width()) / 2;
    y = (Height() - graphic->Height()) / 2;
  }
  Canvas()->Draw(x, y, graphic);
  return TRaised(true);
}

const TPublishedTable& TImage::PublishedTable() const {
  using P = TPublished<TImage>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Boolean(L"Center", &TImage::Center, &TImage::SetCenter).Default(false),
          P::Object(L"Picture", &TImage::Picture),
          P::Boolean(L"Transparent", &TImage::Transparent, &TImage::SetTransparent).Default(false),
          ControlProperty(L"Align"),
          ControlProperty(L"Anchors"),
          ControlProperty(L"AutoSize"),
          ControlProperty(L"Constraints"),
          ControlProperty(L"DragCursor"),
          ControlProperty(L"DragKind"),
          ControlProperty(L"DragMode"),
          ControlProperty(L"Enabled"),
          ControlProperty(L"ParentShowHint"),
          ControlProperty(L"PopupMenu"),
          ControlProperty(L"ShowHint"),
          ControlProperty(L"Visible"),
          ControlProperty(L"OnClick"),
          ControlProperty(L"OnContextPopup"),
          ControlProperty(L"OnDblClick"),
          ControlProperty(L"OnDragDrop"),
          ControlProperty(L"OnDragOver"),
          ControlProperty(L"OnEndDock"),
          ControlProperty(L"OnEndDrag"),
          ControlProperty(L"OnMouseDown"),
          ControlProperty(L"OnMouseMove"),
          ControlProperty(L"OnMouseUp"),
          ControlProperty(L"OnStartDock"),
          ControlProperty(L"OnStartDrag"),
      });
  return table;
}

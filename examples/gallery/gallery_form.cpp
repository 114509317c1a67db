#include "gallery_form.h"

#include <algorithm>
#include <climits>

#include "framework/screen.h"

namespace {

constexpr int kSectionWidth = 600;
constexpr int kTitleHeight = 22;
constexpr int kMargin = 8;

// A section: a title bar in the highlight colour over the sample controls.
class TGallerySection : public TCustomControl {
  BC_CLASS(TGallerySection, TCustomControl)
  explicit TGallerySection(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(ControlStyle() + TControlStyleItem::csAcceptsControls);
    SetColor(clWindow);
  }

 protected:
  void Paint() override {
    RECT client = ClientRect();
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(client);
    RECT title{0, 0, client.right, kTitleHeight};
    Canvas()->Brush()->SetColor(clHighlight);
    Canvas()->FillRect(title);
    Canvas()->Font()->SetColor(clHighlightText);
    Canvas()->Font()->SetStyle({TFontStyle::fsBold});
    Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
    Canvas()->TextOut(kMargin, (kTitleHeight - Canvas()->TextHeight(Caption())) / 2, Caption());
  }
};

// The sample controls of a section sit below its title bar.
class TSectionBody : public TCustomControl {
  BC_CLASS(TSectionBody, TCustomControl)
  explicit TSectionBody(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(ControlStyle() + TControlStyleItem::csAcceptsControls);
  }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

}  // namespace

TGalleryForm::TGalleryForm(TComponent* owner) : TForm(owner) {
  SetCaption(L"Component gallery");
  SetBorderStyle(TFormBorderStyle::bsSingle);
  SetBorderIcons({TBorderIcon::biSystemMenu, TBorderIcon::biMinimize});
  // Sections flow down in columns as tall as the work area allows, so that the gallery stays as compact as the
  // screen lets it as sets add their sections.
  const int columnLimit = Screen->WorkAreaHeight() - GetSystemMetrics(SM_CYCAPTION) - 2 * kMargin;
  int left = kMargin;
  int top = kMargin;
  int bottom = top;
  for (const TGallerySectionInfo& info : GallerySections()) {
    auto* section = new TGallerySection(this);
    section->SetCaption(info.Title);
    section->SetParent(this);
    auto* body = new TSectionBody(this);
    body->SetBounds(0, kTitleHeight, kSectionWidth, 10);
    body->SetParent(section);
    body->SetParentColor(true);
    int height = info.Build(body);
    body->SetHeight(height);
    if (top > kMargin && top + kTitleHeight + height > columnLimit) {
      left += kSectionWidth + kMargin;
      top = kMargin;
    }
    section->SetBounds(left, top, kSectionWidth, kTitleHeight + height);
    top += kTitleHeight + height + kMargin;
    bottom = std::max(bottom, top);
  }
  SetClientWidth(left + kSectionWidth + kMargin);
  SetClientHeight(bottom);
}

void TGalleryForm::Dispatch(TMessage& message) {
  inherited::Dispatch(message);
  if (message.Msg == WM_GETMINMAXINFO) {
    auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
    info->ptMaxTrackSize = {SHRT_MAX, SHRT_MAX};
  }
}

#include "section_sheet.h"

#include <algorithm>

namespace {

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

void TSectionSheet::AddSections(const std::vector<TGallerySectionInfo>& sections) {
  for (const TGallerySectionInfo& info : sections) {
    auto* section = new TGallerySection(this);
    section->SetCaption(info.Title);
    section->SetParent(this);
    auto* body = new TSectionBody(this);
    body->SetBounds(0, kTitleHeight, kSectionWidth, 10);
    body->SetParent(section);
    body->SetParentColor(true);
    const int height = info.Build(body);
    body->SetHeight(height);
    section->SetBounds(0, 0, kSectionWidth, kTitleHeight + height);
    sections_.push_back(section);
  }
  FlowSections();
}

void TSectionSheet::Resize() {
  controls::TPcTabSheet::Resize();
  FlowSections();
}

void TSectionSheet::FlowSections() {
  // Down a column until the next section would pass the bottom, then on to the next column; a section taller than
  // the page still starts a column of its own.
  const int bottom = std::max(ClientHeight(), 1);
  int left = kMargin;
  int top = kMargin;
  for (TWinControl* section : sections_) {
    if (top > kMargin && top + section->Height() > bottom) {
      left += kSectionWidth + kMargin;
      top = kMargin;
    }
    if (section->Left() != left || section->Top() != top)
      section->SetBounds(left, top, kSectionWidth, section->Height());
    top += section->Height() + kMargin;
  }
}

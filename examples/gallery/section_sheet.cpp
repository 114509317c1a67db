#include "section_sheet.h"

#include <algorithm>
#include <tuple>

namespace {

constexpr int kTitleHeight = 22;
constexpr int kMargin = 8;
// How far a line of the vertical scroll bar or a notch of the wheel (a third of it) moves the page.
constexpr int kWheelLine = 20;

// A section: a title bar in the highlight colour over the sample controls.
class TGallerySection : public TCustomControl {
  BC_CLASS(TGallerySection, TCustomControl)
  explicit TGallerySection(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(ControlStyle() + TControlStyleItem::csAcceptsControls);
    SetColor(clWindow);
  }

 protected:
  TRaised Paint() override {
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
    return TRaised(true);
  }
};

// The sample controls of a section sit below its title bar.
class TSectionBody : public TCustomControl {
  BC_CLASS(TSectionBody, TCustomControl)
  explicit TSectionBody(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(ControlStyle() + TControlStyleItem::csAcceptsControls);
  }

 protected:
  TRaised Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
    return TRaised(true);
  }
};

}  // namespace

TRaised TSectionSheet::AddSections(const std::vector<TGallerySectionInfo>& sections) {
  for (const TGallerySectionInfo& info : sections) {
    auto* section = new TGallerySection(this);
    if (section->SetCaption(info.Title).Gone() || section->SetParent(this).Gone()) return TRaised(false);
    auto* body = new TSectionBody(this);
    if (body->SetBounds(0, kTitleHeight, kSectionWidth, 10).Gone() || body->SetParent(section).Gone())
      return TRaised(false);
    body->SetParentColor(true);
    const int height = info.Build(body);
    if (body->SetHeight(height).Gone()) return TRaised(false);
    if (section->SetBounds(0, 0, kSectionWidth, kTitleHeight + height).Gone()) return TRaised(false);
    sections_.push_back(section);
  }
  return FlowSections();
}

void TSectionSheet::CreateParams(TCreateParams& params) {
  controls::TPcTabSheet::CreateParams(params);
  params.Style |= WS_HSCROLL | WS_VSCROLL;
}

TRaised TSectionSheet::Resize() {
  if (controls::TPcTabSheet::Resize().Gone()) return TRaised(false);
  return FlowSections();
}

void TSectionSheet::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (Scroll(message.Msg == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(message.WParam)).Gone()) return;
      message.Result = 0;
      return;
    case WM_MOUSEWHEEL: {
      const int lines = GET_WHEEL_DELTA_WPARAM(message.WParam) / WHEEL_DELTA * 3;
      if (ScrollTo(POINT{scrollPos_.x, scrollPos_.y - lines * kWheelLine}).Gone()) return;
      message.Result = 0;
      return;
    }
    default:
      controls::TPcTabSheet::Dispatch(message);
  }
}

TRaised TSectionSheet::FlowSections() {
  // Showing or hiding a scroll bar resizes the page, which flows it again: the outer flow does the work.
  if (flowing_) return TRaised(true);
  flowing_ = true;
  // A scroll bar that comes or goes resizes the page, which raises its handlers.
  const TLifeWatch life = LifeWatch();
  // A bar that comes or goes changes the room the next pass has; two more passes settle it.
  for (int pass = 0; pass < 3; ++pass) {
    // Down a column until the next section would pass the bottom, then on to the next column; a section taller
    // than the page still starts a column of its own.
    const int bottom = std::max(ClientHeight(), 1);
    int left = kMargin;
    int top = kMargin;
    places_.clear();
    content_ = SIZE{};
    for (TWinControl* section : sections_) {
      if (top > kMargin && top + section->Height() > bottom) {
        left += kSectionWidth + kMargin;
        top = kMargin;
      }
      places_.push_back(POINT{left, top});
      top += section->Height() + kMargin;
      content_.cx = std::max<LONG>(content_.cx, left + kSectionWidth + kMargin);
      content_.cy = std::max<LONG>(content_.cy, top);
    }
    const SIZE client{ClientWidth(), ClientHeight()};
    UpdateScrollBars();
    if (life.Ended()) return TRaised(false);
    if (client.cx == ClientWidth() && client.cy == ClientHeight()) break;
  }
  if (PlaceSections().Gone()) return TRaised(false);
  flowing_ = false;
  return TRaised(true);
}

void TSectionSheet::UpdateScrollBars() {
  if (!HandleAllocated()) return;
  const int width = ClientWidth();
  const int height = ClientHeight();
  scrollPos_.x = std::clamp<LONG>(scrollPos_.x, 0, std::max<LONG>(content_.cx - width, 0));
  scrollPos_.y = std::clamp<LONG>(scrollPos_.y, 0, std::max<LONG>(content_.cy - height, 0));
  for (auto [bar, extent, page, pos] : {std::tuple<int, LONG, int, LONG>{SB_HORZ, content_.cx, width, scrollPos_.x},
                                        std::tuple<int, LONG, int, LONG>{SB_VERT, content_.cy, height, scrollPos_.y}}) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = static_cast<int>(extent) - 1;
    info.nPage = static_cast<UINT>(std::max(page, 0));
    info.nPos = static_cast<int>(pos);
    SetScrollInfo(Handle(), bar, &info, TRUE);
  }
}

TRaised TSectionSheet::PlaceSections() {
  const TLifeWatch life = LifeWatch();
  for (size_t i = 0; i < sections_.size(); ++i) {
    const int left = places_[i].x - scrollPos_.x;
    const int top = places_[i].y - scrollPos_.y;
    TWinControl* section = sections_[i];
    if (section->Left() != left || section->Top() != top)
      if (AnswerFor(life, section->SetBounds(left, top, kSectionWidth, section->Height())).Gone())
        return TRaised(false);
  }
  return TRaised(true);
}

TRaised TSectionSheet::ScrollTo(POINT pos) {
  scrollPos_ = pos;
  const TLifeWatch life = LifeWatch();
  UpdateScrollBars();
  if (life.Ended()) return TRaised(false);
  return PlaceSections();
}

TRaised TSectionSheet::Scroll(int bar, WORD request) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(Handle(), bar, &info);
  const int line = bar == SB_HORZ ? kSectionWidth / 10 : kWheelLine;
  const int page = std::max(static_cast<int>(info.nPage), 1);
  int pos = info.nPos;
  switch (request) {
    case SB_LINEUP:
      pos -= line;
      break;
    case SB_LINEDOWN:
      pos += line;
      break;
    case SB_PAGEUP:
      pos -= page;
      break;
    case SB_PAGEDOWN:
      pos += page;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      pos = info.nTrackPos;
      break;
    case SB_TOP:
      pos = info.nMin;
      break;
    case SB_BOTTOM:
      pos = info.nMax;
      break;
    default:
      return TRaised(true);
  }
  return ScrollTo(bar == SB_HORZ ? POINT{pos, scrollPos_.y} : POINT{scrollPos_.x, pos});
}

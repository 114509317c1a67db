#include "toolbars/styled/custom_list.h"

#include <algorithm>

#include "framework/image_list.h"
#include "framework/win_control.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/popups/done_action.h"
#include "toolbars/views/view.h"
#include "toolbars/views/viewer_canvas.h"

namespace toolbars {

namespace {

constexpr int kWheelStep = 120;
// Auto-scroll speeds by the distance of the pointer beyond the list's edge.
constexpr int kNearDistance = 10;
constexpr int kMiddleDistance = 30;
constexpr int kFarDistance = 50;
constexpr UINT kSlowAutoScroll = 150;
constexpr UINT kFastAutoScroll = 100;
// The room around an entry's text and between image and text.
constexpr int kTextInset = 4;

}  // namespace

// ---- the list item

TStyledCustomList::~TStyledCustomList() = default;

TRaised TStyledCustomList::SetItemIndex(int value) {
  if (value < 0) value = -1;
  if (value == itemIndex_) return TRaised(true);
  itemIndex_ = value;
  // Each viewer repaints, raising the paint handlers, which may free the list or some of its viewers.
  if (viewers_) {
    const TLifeWatch life = LifeWatch();
    std::vector<std::pair<TStyledCustomListViewer*, TLifeWatch>> viewers;
    for (TStyledCustomListViewer* viewer : *viewers_) viewers.emplace_back(viewer, viewer->LifeWatch());
    for (auto& [viewer, viewerLife] : viewers) {
      if (viewerLife.Ended()) continue;
      if (viewer->SetHotIndexFromList(value).Gone() && life.Ended()) return TRaised(false);
      if (life.Ended()) return TRaised(false);
    }
  }
  return DoChange();
}

TBarItemViewerClass TStyledCustomList::GetItemViewerClass(TBarView* view) const {
  (void)view;
  return TBarItemViewerClass::Of<TStyledCustomListViewer>();
}

void TStyledCustomList::Notification(TComponent* component, TOperation operation) {
  TStyledCustomItem::Notification(component, operation);
  if (operation == TOperation::opRemove && component == Images()) SetImages(nullptr);
}

TRaised TStyledCustomList::DoPaintItemBack(TCanvas* canvas, const RECT& rect, int index, bool hot, bool& drawDefault) {
  drawDefault = true;
  return RaiseEvent(OnPaintItemBack, this, canvas, rect, index, hot, drawDefault);
}

TRaised TStyledCustomList::DoPaintItem(TCanvas* canvas, const RECT& rect, int index, bool hot, bool& drawDefault) {
  drawDefault = true;
  return RaiseEvent(OnPaintItem, this, canvas, rect, index, hot, drawDefault);
}

TRaised TStyledCustomList::DoMeasureHeight(TCanvas* canvas, int& height) {
  return RaiseEvent(OnMeasureHeight, this, canvas, height);
}

TRaised TStyledCustomList::DoMeasureWidth(TCanvas* canvas, int index, int& width) {
  return RaiseEvent(OnMeasureWidth, this, canvas, index, width);
}

TRaised TStyledCustomList::GetImageIndex(int index, int& imageIndex) {
  imageIndex = index;
  return RaiseEvent(OnGetImageIndex, this, index, imageIndex);
}

TRaised TStyledCustomList::DoChange() { return RaiseEvent(OnChange, this); }

TRaised TStyledCustomList::DrawItem(TCanvas* canvas, TStyledCustomListViewer* viewer, int hotIndex, int index,
                                    const RECT& rect) {
  const bool hot = index == hotIndex;
  HDC dc = canvas->Handle();
  bool drawDefault = true;
  if (DoPaintItemBack(canvas, rect, index, hot, drawDefault).Gone()) return TRaised(false);
  if (drawDefault) FillRect(dc, &rect, GetSysColorBrush(hot ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  canvas->Font()->SetColor(hot ? clHighlightText : clWindowText);
  if (DoPaintItem(canvas, rect, index, hot, drawDefault).Gone()) return TRaised(false);
  if (!drawDefault) return TRaised(true);
  RECT text{rect.left + kTextInset, rect.top - 1, rect.right - kTextInset, rect.bottom + 1};
  TCustomImageList* images = viewer->GetImageList();
  if (showItemImages_ && images) {
    int imageIndex = index;
    // The handler may free the images as well as the list.
    const TLifeWatch imagesLife = images->LifeWatch();
    if (GetImageIndex(index, imageIndex).Gone()) return TRaised(false);
    if (imagesLife.Ended()) return TRaised(true);
    const int y = (rect.top + rect.bottom - images->Height()) / 2;
    const RECT place{text.left, y, text.left + images->Width(), y + images->Height()};
    if (imageIndex >= 0 && imageIndex < images->Count()) {
      if (Enabled())
        images->Draw(canvas, place.left, place.top, imageIndex, true);
      else
        DrawThemedImage(canvas, place, images, imageIndex, sfDisabled);
    }
    text.left = place.right + kTextInset;
  }
  String caption;
  GetItemText(index, caption);
  if (caption.empty()) return TRaised(true);
  HDC fontDC = FontDC(canvas);
  SetBkMode(fontDC, TRANSPARENT);
  DrawTextW(fontDC, caption.c_str(), static_cast<int>(caption.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  return TRaised(true);
}

// ---- the viewer

TStyledCustomListViewer::TStyledCustomListViewer(TBarView* view, TBarCustomItem* item) : TStyledItemViewer(view, item) {
  TStyledCustomList* list = List();
  hotIndex_ = list->ItemIndex();
  count_ = list->GetCount();
  visibleCount_ = std::max(1, std::min(count_, list->VisibleItemLimit()));
  if (hotIndex_ >= 0 && hotIndex_ < count_) {
    if (hotIndex_ >= visibleCount_) topIndex_ = hotIndex_ - visibleCount_ + 1;
  } else {
    hotIndex_ = -1;
  }
  AddToList(list->viewers_, this);
}

TStyledCustomListViewer::~TStyledCustomListViewer() {
  if (scrollBar_) scrollBar_->StopAutoScroll();
  RemoveFromList(List()->viewers_, this);
}

TRaised TStyledCustomListViewer::GetItemHeight(TCanvas* canvas, int& height) {
  SIZE q{};
  GetTextExtentPoint32W(FontDC(canvas), L"Q", 1, &q);
  height = q.cy + 2;
  TCustomImageList* images = GetImageList();
  if (List()->ShowItemImages() && images) height = std::max(height, images->Height() + 2);
  const TLifeWatch life = LifeWatch();
  if (List()->DoMeasureHeight(canvas, height).Gone() || life.Ended()) return TRaised(false);
  // Every entry keeps at least one pixel, so positions can be divided by the height.
  height = std::max(1, height);
  return TRaised(true);
}

TRaised TStyledCustomListViewer::GetItemWidth(TCanvas* canvas, int index, int& width) {
  String text;
  List()->GetItemText(index, text);
  width = text.empty() ? 0 : GetTextExtentWidth(FontDC(canvas), text);
  TCustomImageList* images = GetImageList();
  if (List()->ShowItemImages() && images) width += images->Width() + (text.empty() ? 0 : kTextInset);
  width += 2 * kTextInset;
  const TLifeWatch life = LifeWatch();
  if (List()->DoMeasureWidth(canvas, index, width).Gone() || life.Ended()) return TRaised(false);
  return TRaised(true);
}

TRaised TStyledCustomListViewer::CalcSize(TCanvas* canvas, int& width, int& height) {
  TCanvasFontSaver restore(canvas);
  canvas->SetFont(View()->GetFont());
  TStyledCustomList* list = List();
  count_ = list->GetCount();
  if (GetItemHeight(canvas, itemHeight_).Gone()) return TRaised(false);
  visibleCount_ = std::max(1, std::min(count_, list->VisibleItemLimit()));
  topIndex_ = std::max(0, std::min(topIndex_, count_ - visibleCount_));
  height = visibleCount_ * itemHeight_;
  width = 0;
  for (int i = 0; i < count_; ++i) {
    int itemWidth = 0;
    if (GetItemWidth(canvas, i, itemWidth).Gone()) return TRaised(false);
    width = std::max(width, itemWidth);
  }
  scrollBarWidth_ = count_ > visibleCount_ ? GetSystemMetrics(SM_CXVSCROLL) : 0;
  width += scrollBarWidth_;
  width = std::max(width, list->MinimumWidth());
  if (list->MaximumWidth() > list->MinimumWidth()) width = std::min(width, list->MaximumWidth());
  return TRaised(true);
}

int TStyledCustomListViewer::IndexAt(int x, int y) const {
  if (x < 0 || x > ListWidth() - scrollBarWidth_ || y < 0) return -1;
  const int row = y / itemHeight_;
  if (row >= visibleCount_) return -1;
  const int index = row + topIndex_;
  return index < count_ ? index : -1;
}

TStyledScrollBar* TStyledCustomListViewer::EnsureScrollBar() {
  if (!scrollBar_) {
    scrollBar_ = std::make_unique<TStyledScrollBar>();
    scrollBar_->SetKind(TScrollBarKind::sbVertical);
    scrollBar_->OnChange = TNotifyEvent(this, &TStyledCustomListViewer::ScrollBarChanged);
    scrollBar_->OnRedraw = TNotifyEvent(this, &TStyledCustomListViewer::ScrollBarRedraw);
    scrollBar_->OnAutoScroll = TAutoScrollEvent(this, &TStyledCustomListViewer::ScrollBarAutoScroll);
  }
  const int width = BoundsRect().right - BoundsRect().left;
  scrollBar_->SetBounds(RECT{width - scrollBarWidth_, 0, width, visibleCount_ * itemHeight_});
  // The bar's redraw is this viewer's own painting of it, which raises nothing of the application's.
  if (scrollBar_->SetRange(count_).Gone()) return nullptr;
  scrollBar_->SetWindow(visibleCount_);
  scrollBar_->SetPosition(topIndex_);
  return scrollBar_.get();
}

TRaised TStyledCustomListViewer::ScrollTo(int top) {
  top = std::max(0, std::min(top, count_ - visibleCount_));
  if (top == topIndex_) return TRaised(true);
  if (scrollBarWidth_ <= 0) {
    topIndex_ = top;
    return TRaised(true);
  }
  // The bar reports the move through ScrollBarChanged, which repaints the entries and so raises the paint
  // handlers.
  const TLifeWatch life = LifeWatch();
  TStyledScrollBar* bar = EnsureScrollBar();
  if (!bar || bar->SetUserPosition(top).Gone()) return TRaised(!life.Ended());
  return TRaised(!life.Ended());
}

void TStyledCustomListViewer::ScrollBarChanged(TObject* sender) {
  (void)sender;
  if (scrollBar_->Position() == topIndex_) return;
  topIndex_ = scrollBar_->Position();
  if (PaintEntries(topIndex_, topIndex_ + visibleCount_ - 1).Gone()) return;
}

void TStyledCustomListViewer::ScrollBarRedraw(TObject* sender) {
  (void)sender;
  if (PaintOnWindow([&](TCanvas* canvas) {
        scrollBar_->Paint(canvas);
        return TRaised(true);
      }).Gone())
    return;
}

void TStyledCustomListViewer::ScrollBarAutoScroll(TObject* sender, int& delta, int& interval) {
  (void)sender, (void)interval;
  AutoScrolling(delta);
}

TRaised TStyledCustomListViewer::SetHotIndexFromList(int index) {
  if (changingHot_ || index == hotIndex_) return TRaised(true);
  const int old = hotIndex_;
  hotIndex_ = index;
  List()->HotIndexChanged(index);
  if (index >= 0) {
    if (index < topIndex_) {
      if (ScrollTo(index).Gone()) return TRaised(false);
    } else if (index >= topIndex_ + visibleCount_) {
      if (ScrollTo(index - visibleCount_ + 1).Gone()) return TRaised(false);
    }
  }
  return PaintEntries(old, index);
}

TRaised TStyledCustomListViewer::ChangeHot(int index) {
  if (index == hotIndex_) return TRaised(true);
  const int old = hotIndex_;
  hotIndex_ = index;
  if (PaintEntries(old, index).Gone()) return TRaised(false);
  List()->HotIndexChanged(index);
  return TRaised(true);
}

TRaised TStyledCustomListViewer::ChooseHot() {
  // The key or click goes on, so the item is clicked with the entry chosen.
  const TLifeWatch life = LifeWatch();
  changingHot_ = true;
  const TRaised changed = List()->SetItemIndex(hotIndex_);
  if (changed.Gone() || life.Ended()) return TRaised(false);
  changingHot_ = false;
  return TRaised(true);
}

TRaised TStyledCustomListViewer::KeyDown(WORD& key, TShiftState shift, TBarTrackingState& state) {
  if (key == VK_RETURN) {
    if (ChooseHot().Gone()) return TRaised(false);
    return TStyledItemViewer::KeyDown(key, shift, state);
  }
  int index = hotIndex_;
  switch (key) {
    case VK_PRIOR:
      index -= visibleCount_;
      break;
    case VK_NEXT:
      index += visibleCount_;
      break;
    case VK_END:
      index = count_ - 1;
      break;
    case VK_HOME:
      index = 0;
      break;
    case VK_UP:
      --index;
      break;
    case VK_DOWN:
      ++index;
      break;
    default:
      return TStyledItemViewer::KeyDown(key, shift, state);
  }
  key = 0;
  if (count_ == 0) return TRaised(true);
  const TLifeWatch life = LifeWatch();
  if (List()->SetItemIndex(std::max(0, std::min(index, count_ - 1))).Gone()) return TRaised(false);
  return TRaised(!life.Ended());
}

TRaised TStyledCustomListViewer::MouseDown(TShiftState shift, int x, int y, TBarTrackingState& state) {
  if (x < ListWidth() - scrollBarWidth_) {
    pressedInList_ = true;
    if (MouseMove(x, y).Gone()) return TRaised(false);
  } else if (scrollBarWidth_ > 0) {
    pressedInScrollBar_ = true;
    const TLifeWatch life = LifeWatch();
    TStyledScrollBar* bar = EnsureScrollBar();
    if (bar && bar->MouseDown(TMouseButton::mbLeft, x - bar->Left(), y - bar->Top()).Gone() && life.Ended())
      return TRaised(false);
    if (life.Ended()) return TRaised(false);
  }
  if (TStyledItemViewer::MouseDown(shift, x, y, state).Gone()) return TRaised(false);
  if (!GetCapture() && View()->Window()) SetCapture(View()->Window()->Handle());
  return TRaised(true);
}

TRaised TStyledCustomListViewer::MouseMove(int x, int y) {
  const TLifeWatch life = LifeWatch();
  if (pressedInScrollBar_) {
    TStyledScrollBar* bar = EnsureScrollBar();
    if (bar && bar->MouseMove(x - bar->Left(), y - bar->Top()).Gone()) return TRaised(!life.Ended());
    return TRaised(!life.Ended());
  }
  if (GetKeyState(VK_LBUTTON) < 0 && !GetCapture() && View()->Window()) {
    SetCapture(View()->Window()->Handle());
    pressedInList_ = true;
  }
  int index = IndexAt(x, y);
  const int listHeight = visibleCount_ * itemHeight_;
  if (pressedInList_ && (y < 0 || y >= listHeight)) {
    const int distance = y < 0 ? -y : y - listHeight + 1;
    int step = distance < kMiddleDistance ? 1 : (distance <= kFarDistance ? 2 : 4);
    if (y < 0) step = -step;
    const bool canScroll = step < 0 ? topIndex_ > 0 : topIndex_ < count_ - visibleCount_;
    if (canScroll && scrollBarWidth_ > 0) {
      TStyledScrollBar* bar = EnsureScrollBar();
      if (!bar) return TRaised(!life.Ended());
      bar->StartAutoScroll(step, distance < kNearDistance ? kSlowAutoScroll : kFastAutoScroll);
    }
    index = -1;
  } else if (scrollBar_) {
    scrollBar_->StopAutoScroll();
  }
  if (!pressedInList_ && index < 0) return TRaised(true);
  return ChangeHot(index);
}

TRaised TStyledCustomListViewer::MouseUp(int x, int y, TBarTrackingState& state) {
  if (scrollBar_) scrollBar_->StopAutoScroll();
  const TLifeWatch life = LifeWatch();
  if (pressedInScrollBar_) {
    pressedInScrollBar_ = false;
    if (TStyledItemViewer::MouseUp(x, y, state).Gone()) return TRaised(false);
    TStyledScrollBar* bar = EnsureScrollBar();
    if (bar && bar->MouseUp(TMouseButton::mbLeft, x - bar->Left(), y - bar->Top()).Gone() && life.Ended())
      return TRaised(false);
    if (life.Ended()) return TRaised(false);
    // A press on the scroll bar picks nothing and keeps the menu open.
    state.Done = false;
    if (state.DoneRecord) *state.DoneRecord = TBarDoneActionData{};
    return TRaised(true);
  }
  const bool inList = pressedInList_;
  pressedInList_ = false;
  if (inList && ChooseHot().Gone()) return TRaised(false);
  if (TStyledItemViewer::MouseUp(x, y, state).Gone()) return TRaised(false);
  if (inList && state.DoneRecord) state.DoneRecord->Flag = 0;
  return TRaised(true);
}

TRaised TStyledCustomListViewer::MouseWheel(int wheelDelta, int x, int y) {
  (void)x, (void)y;
  wheelAccumulator_ += wheelDelta;
  while (wheelAccumulator_ >= kWheelStep || wheelAccumulator_ <= -kWheelStep) {
    const bool down = wheelAccumulator_ < 0;
    wheelAccumulator_ += down ? kWheelStep : -kWheelStep;
    if (ScrollTo(topIndex_ + (down ? 1 : -1)).Gone()) return TRaised(false);
  }
  return TRaised(true);
}

// The painter raises the list's paint handlers; the answer is whether the viewer outlived them. The DC and the
// canvas are the viewer's own, so they go back whatever the handlers freed.
template <class Painter>
TRaised TStyledCustomListViewer::PaintOnWindow(Painter painter) {
  TWinControl* window = View()->Window();
  if (!window || !window->HandleAllocated() || !Show() || IsRectEmpty(&BoundsRect())) return TRaised(true);
  HWND handle = window->Handle();
  HDC dc = GetDC(handle);
  const RECT& bounds = BoundsRect();
  IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
  SetViewportOrgEx(dc, bounds.left, bounds.top, nullptr);
  TRaised painted(true);
  {
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.SetFont(View()->GetFont());
    painted = painter(&canvas);
    canvas.SetHandle(nullptr);
  }
  ReleaseDC(handle, dc);
  return painted;
}

TRaised TStyledCustomListViewer::PaintEntries(int from, int to) {
  if (from < 0) from = to;
  if (to < 0) to = from;
  if (from < 0) return TRaised(true);
  return PaintOnWindow([&](TCanvas* canvas) { return PaintEntriesOn(canvas, std::min(from, to), std::max(from, to)); });
}

TRaised TStyledCustomListViewer::PaintEntriesOn(TCanvas* canvas, int from, int to) {
  const int right = ListWidth() - scrollBarWidth_;
  const TLifeWatch life = LifeWatch();
  for (int index = std::max(from, topIndex_); index <= to && index < topIndex_ + visibleCount_ && index < count_;
       ++index) {
    const int top = (index - topIndex_) * itemHeight_;
    const RECT rect{0, top, right, top + itemHeight_};
    if (!RectVisible(canvas->Handle(), &rect)) continue;
    if (List()->DrawItem(canvas, this, hotIndex_, index, rect).Gone() || life.Ended()) return TRaised(false);
  }
  return TRaised(true);
}

TRaised TStyledCustomListViewer::Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                                       bool useDisabledShadow) {
  (void)isSelected, (void)isPushed, (void)useDisabledShadow;
  listArea_ = clientAreaRect;
  if (PaintEntriesOn(canvas, topIndex_, topIndex_ + visibleCount_ - 1).Gone()) return TRaised(false);
  const int shown = std::min(visibleCount_, std::max(0, count_ - topIndex_));
  const RECT rest{0, shown * itemHeight_, ListWidth() - scrollBarWidth_, clientAreaRect.bottom - clientAreaRect.top};
  if (!IsRectEmpty(&rest)) FillRect(canvas->Handle(), &rest, GetSysColorBrush(COLOR_WINDOW));
  if (scrollBarWidth_ <= 0) return TRaised(true);
  TStyledScrollBar* bar = EnsureScrollBar();
  if (!bar) return TRaised(false);
  bar->Paint(canvas);
  return TRaised(true);
}

}  // namespace toolbars

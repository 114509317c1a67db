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

void TStyledCustomList::SetItemIndex(int value) {
  if (value < 0) value = -1;
  if (value == itemIndex_) return;
  itemIndex_ = value;
  if (viewers_)
    for (TStyledCustomListViewer* viewer : *viewers_) viewer->SetHotIndexFromList(value);
  DoChange();
}

TBarItemViewerClass TStyledCustomList::GetItemViewerClass(TBarView* view) const {
  (void)view;
  return TBarItemViewerClass::Of<TStyledCustomListViewer>();
}

void TStyledCustomList::Notification(TComponent* component, TOperation operation) {
  TStyledCustomItem::Notification(component, operation);
  if (operation == TOperation::opRemove && component == Images()) SetImages(nullptr);
}

bool TStyledCustomList::DoPaintItemBack(TCanvas* canvas, const RECT& rect, int index, bool hot) {
  bool drawDefault = true;
  if (OnPaintItemBack) OnPaintItemBack(this, canvas, rect, index, hot, drawDefault);
  return drawDefault;
}

bool TStyledCustomList::DoPaintItem(TCanvas* canvas, const RECT& rect, int index, bool hot) {
  bool drawDefault = true;
  if (OnPaintItem) OnPaintItem(this, canvas, rect, index, hot, drawDefault);
  return drawDefault;
}

void TStyledCustomList::DoMeasureHeight(TCanvas* canvas, int& height) {
  if (OnMeasureHeight) OnMeasureHeight(this, canvas, height);
}

void TStyledCustomList::DoMeasureWidth(TCanvas* canvas, int index, int& width) {
  if (OnMeasureWidth) OnMeasureWidth(this, canvas, index, width);
}

int TStyledCustomList::GetImageIndex(int index) {
  int imageIndex = index;
  if (OnGetImageIndex) OnGetImageIndex(this, index, imageIndex);
  return imageIndex;
}

void TStyledCustomList::DoChange() {
  if (OnChange) OnChange(this);
}

void TStyledCustomList::DrawItem(TCanvas* canvas, TStyledCustomListViewer* viewer, int hotIndex, int index,
                                 const RECT& rect) {
  const bool hot = index == hotIndex;
  HDC dc = canvas->Handle();
  if (DoPaintItemBack(canvas, rect, index, hot))
    FillRect(dc, &rect, GetSysColorBrush(hot ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  canvas->Font()->SetColor(hot ? clHighlightText : clWindowText);
  if (!DoPaintItem(canvas, rect, index, hot)) return;
  RECT text{rect.left + kTextInset, rect.top - 1, rect.right - kTextInset, rect.bottom + 1};
  TCustomImageList* images = viewer->GetImageList();
  if (showItemImages_ && images) {
    const int imageIndex = GetImageIndex(index);
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
  if (caption.empty()) return;
  HDC fontDC = FontDC(canvas);
  SetBkMode(fontDC, TRANSPARENT);
  DrawTextW(fontDC, caption.c_str(), static_cast<int>(caption.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
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

int TStyledCustomListViewer::GetItemHeight(TCanvas* canvas) {
  SIZE q{};
  GetTextExtentPoint32W(FontDC(canvas), L"Q", 1, &q);
  int height = q.cy + 2;
  TCustomImageList* images = GetImageList();
  if (List()->ShowItemImages() && images) height = std::max(height, images->Height() + 2);
  List()->DoMeasureHeight(canvas, height);
  // Every entry keeps at least one pixel, so positions can be divided by the height.
  return std::max(1, height);
}

int TStyledCustomListViewer::GetItemWidth(TCanvas* canvas, int index) {
  String text;
  List()->GetItemText(index, text);
  int width = text.empty() ? 0 : GetTextExtentWidth(FontDC(canvas), text);
  TCustomImageList* images = GetImageList();
  if (List()->ShowItemImages() && images) width += images->Width() + (text.empty() ? 0 : kTextInset);
  width += 2 * kTextInset;
  List()->DoMeasureWidth(canvas, index, width);
  return width;
}

void TStyledCustomListViewer::CalcSize(TCanvas* canvas, int& width, int& height) {
  TCanvasFontSaver restore(canvas);
  canvas->SetFont(View()->GetFont());
  TStyledCustomList* list = List();
  count_ = list->GetCount();
  itemHeight_ = GetItemHeight(canvas);
  visibleCount_ = std::max(1, std::min(count_, list->VisibleItemLimit()));
  topIndex_ = std::max(0, std::min(topIndex_, count_ - visibleCount_));
  height = visibleCount_ * itemHeight_;
  width = 0;
  for (int i = 0; i < count_; ++i) width = std::max(width, GetItemWidth(canvas, i));
  scrollBarWidth_ = count_ > visibleCount_ ? GetSystemMetrics(SM_CXVSCROLL) : 0;
  width += scrollBarWidth_;
  width = std::max(width, list->MinimumWidth());
  if (list->MaximumWidth() > list->MinimumWidth()) width = std::min(width, list->MaximumWidth());
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
  scrollBar_->SetRange(count_);
  scrollBar_->SetWindow(visibleCount_);
  scrollBar_->SetPosition(topIndex_);
  return scrollBar_.get();
}

void TStyledCustomListViewer::ScrollTo(int top) {
  top = std::max(0, std::min(top, count_ - visibleCount_));
  if (top == topIndex_) return;
  if (scrollBarWidth_ > 0)
    EnsureScrollBar()->SetUserPosition(top);
  else
    topIndex_ = top;
}

void TStyledCustomListViewer::ScrollBarChanged(TObject* sender) {
  (void)sender;
  if (scrollBar_->Position() == topIndex_) return;
  topIndex_ = scrollBar_->Position();
  PaintEntries(topIndex_, topIndex_ + visibleCount_ - 1);
}

void TStyledCustomListViewer::ScrollBarRedraw(TObject* sender) {
  (void)sender;
  PaintOnWindow([&](TCanvas* canvas) { scrollBar_->Paint(canvas); });
}

void TStyledCustomListViewer::ScrollBarAutoScroll(TObject* sender, int& delta, int& interval) {
  (void)sender, (void)interval;
  AutoScrolling(delta);
}

void TStyledCustomListViewer::SetHotIndexFromList(int index) {
  if (changingHot_ || index == hotIndex_) return;
  const int old = hotIndex_;
  hotIndex_ = index;
  List()->HotIndexChanged(index);
  if (index >= 0) {
    if (index < topIndex_)
      ScrollTo(index);
    else if (index >= topIndex_ + visibleCount_)
      ScrollTo(index - visibleCount_ + 1);
  }
  PaintEntries(old, index);
}

void TStyledCustomListViewer::ChangeHot(int index) {
  if (index == hotIndex_) return;
  const int old = hotIndex_;
  hotIndex_ = index;
  PaintEntries(old, index);
  List()->HotIndexChanged(index);
}

void TStyledCustomListViewer::KeyDown(WORD& key, TShiftState shift, TBarTrackingState& state) {
  if (key == VK_RETURN) {
    // The key goes on, so the item is clicked with the entry chosen.
    changingHot_ = true;
    List()->SetItemIndex(hotIndex_);
    changingHot_ = false;
    TStyledItemViewer::KeyDown(key, shift, state);
    return;
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
      TStyledItemViewer::KeyDown(key, shift, state);
      return;
  }
  key = 0;
  if (count_ == 0) return;
  List()->SetItemIndex(std::max(0, std::min(index, count_ - 1)));
}

void TStyledCustomListViewer::MouseDown(TShiftState shift, int x, int y, TBarTrackingState& state) {
  if (x < ListWidth() - scrollBarWidth_) {
    pressedInList_ = true;
    MouseMove(x, y);
  } else if (scrollBarWidth_ > 0) {
    pressedInScrollBar_ = true;
    TStyledScrollBar* bar = EnsureScrollBar();
    bar->MouseDown(TMouseButton::mbLeft, x - bar->Left(), y - bar->Top());
  }
  TStyledItemViewer::MouseDown(shift, x, y, state);
  if (!GetCapture() && View()->Window()) SetCapture(View()->Window()->Handle());
}

void TStyledCustomListViewer::MouseMove(int x, int y) {
  if (pressedInScrollBar_) {
    TStyledScrollBar* bar = EnsureScrollBar();
    bar->MouseMove(x - bar->Left(), y - bar->Top());
    return;
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
    if (canScroll && scrollBarWidth_ > 0)
      EnsureScrollBar()->StartAutoScroll(step, distance < kNearDistance ? kSlowAutoScroll : kFastAutoScroll);
    index = -1;
  } else if (scrollBar_) {
    scrollBar_->StopAutoScroll();
  }
  if (!pressedInList_ && index < 0) return;
  ChangeHot(index);
}

void TStyledCustomListViewer::MouseUp(int x, int y, TBarTrackingState& state) {
  if (scrollBar_) scrollBar_->StopAutoScroll();
  if (pressedInScrollBar_) {
    pressedInScrollBar_ = false;
    TStyledItemViewer::MouseUp(x, y, state);
    TStyledScrollBar* bar = EnsureScrollBar();
    bar->MouseUp(TMouseButton::mbLeft, x - bar->Left(), y - bar->Top());
    // A press on the scroll bar picks nothing and keeps the menu open.
    state.Done = false;
    if (state.DoneRecord) *state.DoneRecord = TBarDoneActionData{};
    return;
  }
  const bool inList = pressedInList_;
  pressedInList_ = false;
  if (inList) {
    changingHot_ = true;
    List()->SetItemIndex(hotIndex_);
    changingHot_ = false;
  }
  TStyledItemViewer::MouseUp(x, y, state);
  if (inList && state.DoneRecord) state.DoneRecord->Flag = 0;
}

void TStyledCustomListViewer::MouseWheel(int wheelDelta, int x, int y) {
  (void)x, (void)y;
  wheelAccumulator_ += wheelDelta;
  while (wheelAccumulator_ >= kWheelStep || wheelAccumulator_ <= -kWheelStep) {
    const bool down = wheelAccumulator_ < 0;
    ScrollTo(topIndex_ + (down ? 1 : -1));
    wheelAccumulator_ += down ? kWheelStep : -kWheelStep;
  }
}

template <class Painter>
void TStyledCustomListViewer::PaintOnWindow(Painter painter) {
  TWinControl* window = View()->Window();
  if (!window || !window->HandleAllocated() || !Show() || IsRectEmpty(&BoundsRect())) return;
  HWND handle = window->Handle();
  HDC dc = GetDC(handle);
  const RECT& bounds = BoundsRect();
  IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
  SetViewportOrgEx(dc, bounds.left, bounds.top, nullptr);
  {
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.SetFont(View()->GetFont());
    painter(&canvas);
    canvas.SetHandle(nullptr);
  }
  ReleaseDC(handle, dc);
}

void TStyledCustomListViewer::PaintEntries(int from, int to) {
  if (from < 0) from = to;
  if (to < 0) to = from;
  if (from < 0) return;
  PaintOnWindow([&](TCanvas* canvas) { PaintEntriesOn(canvas, std::min(from, to), std::max(from, to)); });
}

void TStyledCustomListViewer::PaintEntriesOn(TCanvas* canvas, int from, int to) {
  const int right = ListWidth() - scrollBarWidth_;
  for (int index = std::max(from, topIndex_); index <= to && index < topIndex_ + visibleCount_ && index < count_;
       ++index) {
    const int top = (index - topIndex_) * itemHeight_;
    const RECT rect{0, top, right, top + itemHeight_};
    if (RectVisible(canvas->Handle(), &rect)) List()->DrawItem(canvas, this, hotIndex_, index, rect);
  }
}

void TStyledCustomListViewer::Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                                    bool useDisabledShadow) {
  (void)isSelected, (void)isPushed, (void)useDisabledShadow;
  listArea_ = clientAreaRect;
  PaintEntriesOn(canvas, topIndex_, topIndex_ + visibleCount_ - 1);
  const int shown = std::min(visibleCount_, std::max(0, count_ - topIndex_));
  const RECT rest{0, shown * itemHeight_, ListWidth() - scrollBarWidth_, clientAreaRect.bottom - clientAreaRect.top};
  if (!IsRectEmpty(&rest)) FillRect(canvas->Handle(), &rest, GetSysColorBrush(COLOR_WINDOW));
  if (scrollBarWidth_ > 0) EnsureScrollBar()->Paint(canvas);
}

}  // namespace toolbars

#include "toolbars/docks/dock.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "framework/exceptions.h"
#include "framework/messages.h"
#include "framework/properties.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/docks/dockable_window.h"

namespace toolbars {

namespace {

TAlign EdgeAlign(TBarDockPosition position) {
  static constexpr TAlign aligns[] = {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight};
  return aligns[static_cast<int>(position)];
}

// One window's share of a row while the dock arranges. Wanted positions are the application's (or a stored
// file's) numbers, so everything that adds them up is 64 bits wide; what is finally placed lies inside the dock.
struct TArrangeRecord {
  TBarCustomDockableWindow* Window;
  // Placing a window runs the OnMove of windows, which may free one.
  TLifeWatch Life;
  int Row;
  int RequestedRow;
  int64_t Gap = 0;
  int Full = 0;
  int Min = 0;
  int Cur = 0;
  int64_t Overlap = 0;
  int64_t Pos = 0;
  TBarShrinkMode ShrinkMode = TBarShrinkMode::tbsmNone;
  bool Relayout = false;
};

bool WantedBefore(const TBarCustomDockableWindow* a, const TBarCustomDockableWindow* b) {
  if (a->DockRow() != b->DockRow()) return a->DockRow() < b->DockRow();
  return a->DockPos() < b->DockPos();
}

// Takes up to amount out of the gaps of records[last] and the ones before it, latest first; answers what it took.
int64_t TakeFromGaps(std::vector<TArrangeRecord*>& row, int last, int64_t amount) {
  int64_t taken = 0;
  for (int i = last; i >= 0 && amount > 0; --i) {
    int64_t part = std::min(row[i]->Gap, amount);
    row[i]->Gap -= part;
    amount -= part;
    taken += part;
  }
  return taken;
}

// Gives the wanted rows the numbers 0, 1, 2, ... in their order, so that no walk over the rows depends on how large
// a wanted row number is. Windows not shown on the dock keep Row -1.
int CompactRows(std::vector<TArrangeRecord>& records) {
  std::vector<int> rows;
  rows.reserve(records.size());
  for (const TArrangeRecord& record : records) rows.push_back(record.RequestedRow);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (TArrangeRecord& record : records) {
    const int rank = static_cast<int>(std::lower_bound(rows.begin(), rows.end(), record.RequestedRow) - rows.begin());
    record.RequestedRow = rank;
    if (record.Row >= 0) record.Row = rank;
  }
  return rows.empty() ? 0 : static_cast<int>(rows.size()) - 1;
}

}  // namespace

RECT SharedBackgroundRect(POINT offset, const RECT& area) {
  return RECT{area.left - offset.x, area.top - offset.y, area.right, area.bottom};
}

TBarDockType DockTypeOf(const TBarDock* dock, bool floating) {
  if (floating) return TBarDockType::dtFloating;
  if (!dock) return TBarDockType::dtNotDocked;
  return dock->IsVertical() ? TBarDockType::dtLeftRight : TBarDockType::dtTopBottom;
}

TBarDock::TBarDock(TComponent* owner) : TCustomControl(owner) {
  TControlStyle style = ControlStyle();
  style = style + TControlStyle{TControlStyleItem::csAcceptsControls, TControlStyleItem::csMenuEvents};
  style = style - TControlStyle{TControlStyleItem::csCaptureMouse, TControlStyleItem::csClickEvents,
                                TControlStyleItem::csOpaque};
  SetControlStyle(style);
  SetColor(clBtnFace);
  // Nothing handles the events of a control in the making.
  (void)SetAlign(TAlign::alTop);
}

TBarDock::~TBarDock() {
  // The windows on the dock go with it, and their destruction calls out.
  EndLife();
  Destroying();
  if (background_) background_->UnregisterChanges(&TBarDock::BackgroundChanged, this);
}

const TPublishedTable& TBarDock::PublishedTable() const {
  using P = TPublished<TBarDock>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Boolean(L"AllowDrag", &TBarDock::AllowDrag, &TBarDock::SetAllowDrag).Default(true),
          P::Component(L"Background", &TBarDock::Background, &TBarDock::SetBackground),
          P::Boolean(L"BackgroundOnToolbars", &TBarDock::BackgroundOnToolbars, &TBarDock::SetBackgroundOnToolbars)
              .Default(true),
          P::Set(L"BoundLines", &TBarDock::BoundLines, &TBarDock::SetBoundLines,
                 {L"blTop", L"blBottom", L"blLeft", L"blRight"}),
          P::Boolean(L"FixAlign", &TBarDock::FixAlign, &TBarDock::SetFixAlign).Default(false),
          P::Boolean(L"LimitToOneRow", &TBarDock::LimitToOneRow, &TBarDock::SetLimitToOneRow).Default(false),
          P::Enumeration(L"Position", &TBarDock::Position, &TBarDock::SetPosition,
                         {L"dpTop", L"dpBottom", L"dpLeft", L"dpRight"})
              .Default(TBarDockPosition::dpTop),
          P::Event(L"OnInsertRemoveBar", &TBarDock::OnInsertRemoveBar),
          P::Event(L"OnRequestDock", &TBarDock::OnRequestDock),
      });
  return table;
}

void TBarDock::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  if (!IsDesigning()) params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

TRaised TBarDock::SetParent(TWinControl* value) {
  if (value && (value->Is<TBarCustomDockableWindow>() || value->Is<TBarDock>()))
    throw EInvalidOperation(L"A TBarDock control cannot be placed inside a tool window or another TBarDock");
  return TCustomControl::SetParent(value);
}

TRaised TBarDock::SetPosition(TBarDockPosition value) {
  if (position_ == value) return TRaised(true);
  if (ControlCount() > 0)
    throw EInvalidOperation(L"Cannot change Position of a TBarDock if it already contains controls");
  position_ = value;
  return SetAlign(EdgeAlign(value));
}

TRaised TBarDock::SetAllowDrag(bool value) {
  if (allowDrag_ == value) return TRaised(true);
  allowDrag_ = value;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* window = ObjectAs<TBarCustomDockableWindow>(Controls(i))) window->FrameChangedNow();
  return ArrangeToolbars();
}

TRaised TBarDock::SetBoundLines(TBarDockBoundLines value) {
  if (boundLines_ == value) return TRaised(true);
  boundLines_ = value;
  boundLineWidth_ =
      (value.Contains(TBarDockBoundLine::blLeft) ? 1 : 0) + (value.Contains(TBarDockBoundLine::blRight) ? 1 : 0);
  boundLineHeight_ =
      (value.Contains(TBarDockBoundLine::blTop) ? 1 : 0) + (value.Contains(TBarDockBoundLine::blBottom) ? 1 : 0);
  if (HandleAllocated())
    SetWindowPos(WindowHandle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return ArrangeToolbars();
}

TRaised TBarDock::SetFixAlign(bool value) {
  if (fixAlign_ == value) return TRaised(true);
  fixAlign_ = value;
  return ArrangeToolbars();
}

TRaised TBarDock::SetLimitToOneRow(bool value) {
  if (limitToOneRow_ == value) return TRaised(true);
  limitToOneRow_ = value;
  return ArrangeToolbars();
}

void TBarDock::SetBackgroundOnToolbars(bool value) {
  if (backgroundOnToolbars_ == value) return;
  backgroundOnToolbars_ = value;
  InvalidateBackgrounds();
}

void TBarDock::BackgroundChanged(void* data, TBarBasicBackground*) {
  static_cast<TBarDock*>(data)->InvalidateBackgrounds();
}

void TBarDock::SetBackground(TBarBasicBackground* value) {
  if (background_ == value) return;
  if (background_) {
    background_->UnregisterChanges(&TBarDock::BackgroundChanged, this);
    background_->RemoveFreeNotification(this);
  }
  background_ = value;
  if (value) {
    value->FreeNotification(this);
    value->RegisterChanges(&TBarDock::BackgroundChanged, this);
    if (auto* picture = ObjectAs<TBarBackground>(value)) picture->SetStretchSize(ClientWidth(), ClientHeight());
  }
  InvalidateBackgrounds();
}

void TBarDock::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == background_) {
    background_ = nullptr;
    InvalidateBackgrounds();
  }
  // A window going away is no longer of its own type by the time it tells: it is known by its address alone.
  auto freed = [component](const TBarCustomDockableWindow* window) { return window == component; };
  std::erase_if(dockList_, freed);
  std::erase_if(dockVisibleList_, freed);
  if (freed(movingWindow_)) movingWindow_ = nullptr;
}

void TBarDock::DrawBackground(HDC dc, const RECT& drawRect) {
  if (background_) background_->Draw(dc, drawRect);
}

bool TBarDock::UsingBackground() { return background_ && background_->UsingBackground(); }

bool TBarDock::IsVisibleOnDock(const TBarCustomDockableWindow* window) const {
  return window->Parent() == this && (window->Visible() || window->IsDesigning());
}

TRaised TBarDock::ChangeDockList(bool insert, TBarCustomDockableWindow* window) {
  auto found = std::find(dockList_.begin(), dockList_.end(), window);
  if (insert) {
    if (found == dockList_.end()) {
      dockList_.push_back(window);
      window->FreeNotification(this);
    }
  } else if (found != dockList_.end()) {
    dockList_.erase(found);
  }
  return ToolbarVisibilityChanged(window, false);
}

TRaised TBarDock::ToolbarVisibilityChanged(TBarCustomDockableWindow* window, bool forceRemove) {
  bool belongs = !forceRemove && IsVisibleOnDock(window);
  auto found = std::find(dockVisibleList_.begin(), dockVisibleList_.end(), window);
  bool listed = found != dockVisibleList_.end();
  if (belongs == listed) return TRaised(true);
  if (belongs) {
    dockVisibleList_.push_back(window);
    std::stable_sort(dockVisibleList_.begin(), dockVisibleList_.end(), &WantedBefore);
  } else {
    dockVisibleList_.erase(found);
  }
  // The arrangement moves windows, and their OnMove may free the dock or the window.
  const TLifeWatch windowLife = window->LifeWatch();
  if (ArrangeToolbars().Gone()) return TRaised(false);
  if (windowLife.Ended()) return TRaised(true);
  return RaiseEvent(OnInsertRemoveBar, this, belongs, window);
}

void TBarDock::BeginArrange() { ++arrangeLockCount_; }

TRaised TBarDock::EndArrange() {
  return --arrangeLockCount_ == 0 && arrangeNeeded_ ? ArrangeToolbars() : TRaised(true);
}

void TBarDock::CommitPositions() {
  for (TBarCustomDockableWindow* window : dockVisibleList_) {
    window->dockRow_ = window->effectiveDockRow_;
    window->dockPos_ = window->effectiveDockPos_;
  }
}

int TBarDock::GetRowSize(int row, bool& fullSizeRow) const {
  int size = 0;
  fullSizeRow = false;
  for (TBarCustomDockableWindow* window : dockVisibleList_) {
    if (window->effectiveDockRow_ != row) continue;
    size = std::max(size, IsVertical() ? window->Width() : window->Height());
    fullSizeRow = window->FullSize();
  }
  return size;
}

int TBarDock::GetRowCrossSizeExcept(int row, const TBarCustomDockableWindow* except) const {
  int size = 0;
  for (TBarCustomDockableWindow* window : dockVisibleList_)
    if (window != except && window->effectiveDockRow_ == row) size = std::max(size, window->naturalCrossSize_);
  return size;
}

int TBarDock::GetHighestRow(bool effective) const {
  int highest = -1;
  for (TBarCustomDockableWindow* window : dockList_)
    highest = std::max(highest, effective ? window->effectiveDockRow_ : window->dockRow_);
  return highest;
}

int TBarDock::RowAt(int offset) const {
  int highest = GetHighestRow(true);
  int total = 0;
  // The row after the last one is empty, so it can only be the answer when no row is.
  for (int row = 0; row <= highest; ++row) {
    bool fullSize = false;
    total += GetRowSize(row, fullSize);
    if (total > offset) return row;
  }
  return highest + 1;
}

TRaised TBarDock::ChangeDockSize(int width, int height) {
  rowsDepth_ = IsVertical() ? width : height;
  switch (Align()) {
    case TAlign::alBottom:
      return SetBounds(Left(), Top() + Height() - height, width, height);
    case TAlign::alRight:
      return SetBounds(Left() + Width() - width, Top(), width, height);
    case TAlign::alTop:
    case TAlign::alLeft:
    case TAlign::alNone:
      return SetBounds(Left(), Top(), width, height);
    default:
      return TRaised(true);
  }
}

int TBarDock::RowsDepth() const {
  if (rowsDepth_ >= 0) return rowsDepth_;
  return IsVertical() ? Width() : Height();
}

int TBarDock::RoomInHolder(TOtherDocks otherDocks) const {
  const TWinControl* holder = Parent();
  if (!holder) return std::numeric_limits<int>::max();
  const bool vertical = IsVertical();
  int room = vertical ? holder->ClientWidth() : holder->ClientHeight();
  for (int i = 0; i < holder->ControlCount(); ++i) {
    TControl* control = holder->Controls(i);
    if (control == this || !control->Visible()) continue;
    const TAlign align = control->Align();
    if (vertical ? align == TAlign::alLeft || align == TAlign::alRight
                 : align == TAlign::alTop || align == TAlign::alBottom) {
      const auto* dock = ObjectAs<TBarDock>(control);
      if (dock && otherDocks == TOtherDocks::kAsTheirRowsAsk)
        room -= dock->RowsDepth();
      else
        room -= vertical ? control->Width() : control->Height();
    }
  }
  return std::max(0, room);
}

TRaised TBarDock::SetBounds(int left, int top, int width, int height) {
  if (Align() == EdgeAlign(position_)) {
    // The holder's alignment passes on the depth the dock had, so a dock cut short by a small holder takes its
    // rows' depth back as soon as the holder has room again.
    int& depth = IsVertical() ? width : height;
    const int given = std::min(rowsDepth_ >= 0 ? rowsDepth_ : depth, RoomInHolder(TOtherDocks::kAsTheyAre));
    if (Align() == TAlign::alRight) left += depth - given;
    if (Align() == TAlign::alBottom) top += depth - given;
    depth = given;
  }
  if (TCustomControl::SetBounds(left, top, width, height).Gone()) return TRaised(false);
  // Windows measured in a room their rows then filled (a tool window keeps within it) take their own size back as
  // soon as the holder has more room: after a minimise, say, whose empty client gave them none, and which the
  // dock's own size may not show at all.
  if (Align() == EdgeAlign(position_) && !dockVisibleList_.empty() && RowsDepth() >= arrangedRoom_ &&
      RoomInHolder(TOtherDocks::kAsTheirRowsAsk) > arrangedRoom_)
    return ArrangeToolbars();
  return TRaised(true);
}

void TBarDock::InvalidateBackgrounds() {
  Invalidate();
  RedrawWindowsOnDock(RDW_NOCHILDREN);
}

void TBarDock::RedrawWindowsOnDock(UINT childFlag) {
  for (int i = 0; i < ControlCount(); ++i) {
    auto* window = ObjectAs<TBarCustomDockableWindow>(Controls(i));
    if (window && IsVisibleOnDock(window) && window->HandleAllocated())
      RedrawWindow(window->WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | childFlag);
  }
}

TRaised TBarDock::Loaded() {
  if (TCustomControl::Loaded().Gone()) return TRaised(false);
  return ArrangeToolbars();
}

TRaised TBarDock::AlignControls(TControl*, RECT&) { return ArrangeToolbars(); }

TRaised TBarDock::ArrangeToolbars() {
  if (arrangeLockCount_ >= 1 || IsLoading()) {
    arrangeNeeded_ = true;
    return TRaised(true);
  }
  ++arrangeLockCount_;
  arrangedRoom_ = RoomInHolder(TOtherDocks::kAsTheirRowsAsk);
  // Placing the windows runs their OnMove, which may free the dock or a window: the arrangement stops as soon as the
  // dock is gone, and passes over windows that are.
  const TLifeWatch life = LifeWatch();
  struct TRelease {
    TBarDock* Dock;
    const TLifeWatch& Life;
    ~TRelease() {
      if (Life.Ended()) return;
      --Dock->arrangeLockCount_;
      Dock->arrangeNeeded_ = false;
      Dock->commitNewPositions_ = false;
    }
  } release{this, life};

  bool vertical = IsVertical();
  if (dockVisibleList_.empty()) {
    int depth = IsDesigning() ? 9 : fixAlign_ ? 1 : 0;
    return vertical ? ChangeDockSize(depth, Height()) : ChangeDockSize(Width(), depth);
  }
  int available = std::max(0, vertical ? ClientHeight() : ClientWidth());

  std::erase_if(dockList_, [](TBarCustomDockableWindow* w) { return w->IsDestroying(); });
  std::erase_if(dockVisibleList_, [](TBarCustomDockableWindow* w) { return w->IsDestroying(); });
  if (limitToOneRow_)
    for (TBarCustomDockableWindow* window : dockList_) window->dockRow_ = 0;

  std::vector<TBarCustomDockableWindow*> work = dockList_;
  auto oldMoving = std::find(work.begin(), work.end(), movingWindow_);
  ptrdiff_t oldIndex = oldMoving == work.end() ? -1 : oldMoving - work.begin();
  std::stable_sort(work.begin(), work.end(), &WantedBefore);
  std::stable_sort(dockVisibleList_.begin(), dockVisibleList_.end(), &WantedBefore);
  if (oldIndex >= 0 && keepMovingWindowOrder_) {
    work.erase(std::find(work.begin(), work.end(), movingWindow_));
    work.insert(work.begin() + oldIndex, movingWindow_);
  }

  std::vector<TArrangeRecord> records;
  records.reserve(work.size());
  for (TBarCustomDockableWindow* window : work) {
    TArrangeRecord record{window, window->LifeWatch(), IsVisibleOnDock(window) ? 0 : -1, window->dockRow_};
    record.Pos = window->dockPos_;
    records.push_back(record);
  }
  int highestRow = CompactRows(records);
  auto moveDownFrom = [&](int row, const TArrangeRecord* except) {
    for (TArrangeRecord& record : records) {
      if (&record == except) continue;
      if (record.RequestedRow >= row) ++record.RequestedRow;
      if (record.Row >= row) ++record.Row;
    }
    ++highestRow;
  };

  // Windows dropped between rows, then full-size windows, take a row of their own.
  for (int pass = 0; pass < 2; ++pass) {
    for (int row = 0; row <= highestRow; ++row) {
      for (TArrangeRecord& record : records) {
        if (record.RequestedRow != row || record.Row < 0) continue;
        bool qualifies = pass == 0 ? record.Window->ownRow_ && !limitToOneRow_ : record.Window->FullSize();
        if (!qualifies) continue;
        bool shared = std::any_of(records.begin(), records.end(),
                                  [&](const TArrangeRecord& other) { return &other != &record && other.Row == row; });
        if (shared) moveDownFrom(row, &record);
      }
    }
  }
  // Rows no window asks for are closed up.
  for (int row = 0; row <= highestRow;) {
    bool held = std::any_of(records.begin(), records.end(),
                            [&](const TArrangeRecord& record) { return record.RequestedRow == row; });
    if (held) {
      ++row;
      continue;
    }
    for (TArrangeRecord& record : records) {
      if (record.RequestedRow > row) --record.RequestedRow;
      if (record.Row > row) --record.Row;
    }
    --highestRow;
  }

  for (int row = 0; row <= highestRow; ++row) {
    std::vector<TArrangeRecord*> line;
    int sum = 0;
    int total = 0;
    for (size_t i = 0; i < records.size(); ++i) {
      TArrangeRecord& record = records[i];
      if (record.Row != row || record.Life.Ended()) continue;
      // Measuring raises the windows' measuring handlers, which may free the window or the dock.
      SIZE base{};
      const TRaised measured = record.Window->BaseSize(base);
      if (life.Ended()) return TRaised(false);
      if (measured.Gone()) continue;
      SIZE frame{};
      record.Window->NonClientSize(frame);
      record.Full = vertical ? base.cy + frame.cy : base.cx + frame.cx;
      record.Cur = record.Full;
      record.ShrinkMode = record.Window->GetShrinkMode();
      int minimum = 0;
      const TRaised shrunk = record.Window->GetMinShrinkSize(minimum);
      if (life.Ended()) return TRaised(false);
      if (shrunk.Gone()) continue;
      record.Min = std::min(minimum, record.Full);
      sum += record.ShrinkMode == TBarShrinkMode::tbsmChevron ? record.Min : record.Full;
      if (sum > available && !line.empty() && !limitToOneRow_) {
        for (size_t j = i; j < records.size(); ++j) {
          if (records[j].Row >= row) ++records[j].Row;
          if (records[j].RequestedRow >= row) ++records[j].RequestedRow;
        }
        ++highestRow;
        break;
      }
      line.push_back(&record);
      total += record.Full;
    }
    int count = static_cast<int>(line.size());
    int64_t excess = static_cast<int64_t>(total) - available;
    int movingIndex = -1;
    int64_t movingWant = 0;
    int64_t pos0 = 0, shift = 0, minSum = 0, prevEnd = 0;
    for (int k = 0; k < count; ++k) {
      TArrangeRecord& record = *line[k];
      TBarCustomDockableWindow* window = record.Window;
      int64_t want = pos0 == 0 && (window->FullSize() || window->Stretch()) ? 0 : window->dockPos_ + shift;
      if (window == movingWindow_) {
        movingIndex = k;
        movingWant = want;
      }
      want = std::max(want, minSum);
      if (pos0 < want) {
        if (excess <= 0)
          record.Gap = want - pos0;
        else
          shift += want - pos0;
        pos0 = want;
      } else if (want < prevEnd) {
        record.Overlap = prevEnd - want;
      }
      prevEnd = want + record.Cur;
      pos0 += record.Cur;
      minSum += record.Min;
    }
    // The moving window keeps its place; the windows before it slide back.
    if (excess < 0 && movingIndex > 0) {
      int64_t end = 0;
      for (int k = 0; k < movingIndex; ++k) end += line[k]->Gap + line[k]->Cur;
      if (end > movingWant) {
        int64_t taken = TakeFromGaps(line, movingIndex - 1, end - movingWant);
        if (movingIndex + 1 < count) line[movingIndex + 1]->Gap += taken;
      }
    }
    int64_t end = 0;
    for (TArrangeRecord* record : line) end += record->Gap + record->Cur;
    if (end > available) TakeFromGaps(line, count - 1, end - available);
    if (excess > 0) {
      int64_t overlap = 0;
      for (int k = 0; k < count && excess > 0; ++k) {
        overlap = std::min(overlap + line[k]->Overlap, excess);
        for (int j = k - 1; j >= 0 && overlap > 0; --j) {
          TArrangeRecord& earlier = *line[j];
          if (earlier.ShrinkMode == TBarShrinkMode::tbsmChevron) {
            int given = static_cast<int>(std::min<int64_t>(overlap, earlier.Cur - earlier.Min));
            earlier.Cur -= given;
            excess -= given;
            overlap -= given;
          }
          if (j == movingIndex) break;
        }
      }
      if (movingIndex >= 0 && count > 1) movingWindowOverflowed_ = true;
    }
    for (int k = count - 1; k >= 0 && excess > 0; --k) {
      TArrangeRecord& record = *line[k];
      bool canShrink = record.ShrinkMode == TBarShrinkMode::tbsmChevron ||
                       (record.ShrinkMode == TBarShrinkMode::tbsmWrap && count == 1);
      if (!canShrink) continue;
      int given = static_cast<int>(std::min<int64_t>(excess, record.Cur - record.Min));
      record.Cur -= given;
      excess -= given;
    }
    // From here on every gap fits in the dock (the row's end was brought back to the available length above).
    int64_t running = 0;
    for (int k = 0; k < count; ++k) {
      TArrangeRecord& record = *line[k];
      TBarCustomDockableWindow* window = record.Window;
      if (window->FullSize() || window->Stretch()) {
        record.Cur += static_cast<int>(record.Gap);
        record.Gap = 0;
      }
      record.Pos = running + record.Gap;
      if (window->FullSize()) record.Cur = std::max(record.Cur, available);
      if (window->Stretch()) {
        if (k + 1 < count) {
          record.Cur += static_cast<int>(line[k + 1]->Gap);
          line[k + 1]->Gap = 0;
        } else {
          record.Cur = static_cast<int>(std::max<int64_t>(record.Cur, available - record.Pos));
        }
      }
      running = record.Pos + record.Cur;
    }
  }

  for (TArrangeRecord& record : records) {
    record.Window->effectiveDockRow_ = record.RequestedRow;
    record.Window->effectiveDockPos_ = static_cast<int>(record.Pos);
    if (commitNewPositions_) {
      record.Window->dockRow_ = record.RequestedRow;
      record.Window->dockPos_ = static_cast<int>(record.Pos);
    }
  }
  if (commitNewPositions_) {
    std::vector<TArrangeRecord*> order;
    for (TArrangeRecord& record : records) order.push_back(&record);
    std::stable_sort(order.begin(), order.end(), [](const TArrangeRecord* a, const TArrangeRecord* b) {
      return a->RequestedRow != b->RequestedRow ? a->RequestedRow < b->RequestedRow : a->Pos < b->Pos;
    });
    dockList_.clear();
    for (TArrangeRecord* record : order) dockList_.push_back(record->Window);
  }

  TBarDockType dockType = vertical ? TBarDockType::dtLeftRight : TBarDockType::dtTopBottom;
  bool moved = false;
  int crossOffset = 0;
  for (int row = 0; row <= highestRow; ++row) {
    int rowSize = 0;
    for (TArrangeRecord& record : records) {
      if (record.Row != row || record.Life.Ended()) continue;
      TBarCustomDockableWindow* window = record.Window;
      int shrunk = record.Cur < record.Full ? record.Cur : 0;
      SIZE size{};
      TRaised measured(true);
      if (record.ShrinkMode != TBarShrinkMode::tbsmNone && shrunk != window->shrunkSize_) {
        window->shrunkSize_ = shrunk;
        measured = window->LayoutForDock(true, dockType, size, this, false);
        record.Relayout = true;
      } else if (record.ShrinkMode == TBarShrinkMode::tbsmWrap && shrunk != 0) {
        size = SIZE{window->ClientWidth(), window->ClientHeight()};
      } else {
        measured = window->BaseSize(size);
      }
      if (life.Ended()) return TRaised(false);
      if (measured.Gone()) continue;
      window->shrunkSize_ = shrunk;
      window->naturalCrossSize_ = vertical ? size.cx : size.cy;
      rowSize = std::max(rowSize, window->naturalCrossSize_);
    }
    if (rowSize != 0) rowSize += 4;
    for (TArrangeRecord& record : records) {
      if (record.Row != row || record.Life.Ended()) continue;
      TBarCustomDockableWindow* window = record.Window;
      int shrunk = window->shrunkSize_;
      ++window->inArrangement_;
      if (record.Relayout) window->needsRelayout_ = true;
      const int pos = static_cast<int>(record.Pos);
      const RECT before = window->BoundsRect();
      const bool windowLives = (vertical ? window->SetBounds(crossOffset, pos, rowSize, record.Cur)
                                         : window->SetBounds(pos, crossOffset, record.Cur, rowSize))
                                   .Alive();
      if (life.Ended()) return TRaised(false);
      if (!windowLives) {
        // What the freed window covered paints again.
        moved = true;
        continue;
      }
      const RECT after = window->BoundsRect();
      if (!EqualRect(&before, &after)) moved = true;
      const bool windowStays = !window->needsRelayout_ || window->Arrange().Alive();
      if (life.Ended()) return TRaised(false);
      if (!windowStays || record.Life.Ended()) continue;
      window->shrunkSize_ = shrunk;
      --window->inArrangement_;
    }
    crossOffset += rowSize;
  }
  if ((vertical ? ChangeDockSize(boundLineWidth_ + crossOffset, Height())
                : ChangeDockSize(Width(), boundLineHeight_ + crossOffset))
          .Gone())
    return TRaised(false);
  // A moved window keeps the pixels the system copied along with it, and those may show another bar's buttons or
  // background from before: after a change the dock and every bar on it repaint whole.
  if (moved) RedrawAfterArrange();
  return TRaised(true);
}

void TBarDock::RedrawAfterArrange() {
  if (!HandleAllocated()) return;
  RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  RedrawWindowsOnDock(RDW_ALLCHILDREN);
}

HPALETTE TBarDock::GetPalette() const { return background_ ? background_->GetPalette() : nullptr; }

UINT TBarDock::RealizeBackgroundPalette(bool asBackground) {
  HPALETTE palette = GetPalette();
  if (!palette || !HandleAllocated()) return 0;
  HDC dc = GetDC(WindowHandle());
  HPALETTE previous = SelectPalette(dc, palette, asBackground ? TRUE : FALSE);
  const UINT changed = RealizePalette(dc);
  SelectPalette(dc, previous, TRUE);
  ReleaseDC(WindowHandle(), dc);
  if (changed != 0 && changed != GDI_ERROR) InvalidateBackgrounds();
  return changed == GDI_ERROR ? 0 : changed;
}

void TBarDock::PaintBoundLines(HDC dc, bool drawToDC) {
  HWND wnd = WindowHandle();
  RECT rect{};
  GetWindowRect(wnd, &rect);
  OffsetRect(&rect, -rect.left, -rect.top);
  bool hasWindow = IsDesigning() || !dockVisibleList_.empty();
  if (!boundLines_.Empty() && hasWindow) {
    HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HGDIOBJ old = SelectObject(dc, shadow);
    if (boundLines_.Contains(TBarDockBoundLine::blTop)) {
      MoveToEx(dc, rect.left, rect.top, nullptr);
      LineTo(dc, rect.right, rect.top);
      ++rect.top;
    }
    if (boundLines_.Contains(TBarDockBoundLine::blLeft)) {
      MoveToEx(dc, rect.left, rect.top, nullptr);
      LineTo(dc, rect.left, rect.bottom);
      ++rect.left;
    }
    HPEN highlight = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    SelectObject(dc, highlight);
    DeleteObject(shadow);
    if (boundLines_.Contains(TBarDockBoundLine::blBottom)) {
      MoveToEx(dc, rect.left, rect.bottom - 1, nullptr);
      LineTo(dc, rect.right, rect.bottom - 1);
      --rect.bottom;
    }
    if (boundLines_.Contains(TBarDockBoundLine::blRight)) {
      MoveToEx(dc, rect.right - 1, rect.top, nullptr);
      LineTo(dc, rect.right - 1, rect.bottom);
      --rect.right;
    }
    SelectObject(dc, old);
    DeleteObject(highlight);
  }
  RECT client{};
  GetClientRect(wnd, &client);
  POINT origin{};
  ::ClientToScreen(wnd, &origin);
  RECT window{};
  GetWindowRect(wnd, &window);
  OffsetRect(&client, origin.x - window.left, origin.y - window.top);
  if (!EqualRect(&client, &rect)) {
    int saved = SaveDC(dc);
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    HBRUSH brush = CreateSolidBrush(ColorToRGB(Color()));
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
    RestoreDC(dc, saved);
  }
  (void)drawToDC;
}

void TBarDock::WMNCCalcSize(TMessage& message) {
  auto* rect = reinterpret_cast<RECT*>(message.LParam);
  if (boundLines_.Contains(TBarDockBoundLine::blTop)) ++rect->top;
  if (boundLines_.Contains(TBarDockBoundLine::blBottom)) --rect->bottom;
  if (boundLines_.Contains(TBarDockBoundLine::blLeft)) ++rect->left;
  if (boundLines_.Contains(TBarDockBoundLine::blRight)) --rect->right;
  message.Result = 0;
}

void TBarDock::WMEraseBkgnd(TMessage& message) {
  if (!UsingBackground()) {
    TCustomControl::Dispatch(message);
    return;
  }
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  int saved = SaveDC(dc);
  RECT client = ClientRect();
  IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
  POINT offset{};
  if (Parent()) {
    POINT own = ClientOrigin();
    POINT parent = Parent()->ClientOrigin();
    offset = POINT{own.x - parent.x, own.y - parent.y};
  }
  DrawBackground(dc, SharedBackgroundRect(offset, client));
  RestoreDC(dc, saved);
  message.Result = 1;
}

void TBarDock::RelayToFloatingWindows(TMessage& message, bool inherited) {
  for (TBarCustomDockableWindow* window : std::vector<TBarCustomDockableWindow*>(dockList_)) {
    if (!window->ControlStyle().Contains(TControlStyleItem::csMenuEvents) || !window->Floating() ||
        !window->Showing() || !window->Enabled())
      continue;
    message.Result = window->Perform(message.Msg, message.WParam, message.LParam);
    if (message.Result != 0) return;
  }
  if (inherited) TCustomControl::Dispatch(message);
}

TRaised TBarDock::Paint() {
  if (!IsDesigning()) return TRaised(true);
  TCanvas* canvas = Canvas();
  canvas->Pen()->SetColor(clBtnShadow);
  canvas->Pen()->SetStyle(TPenStyle::psDot);
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  RECT client = ClientRect();
  canvas->Rectangle(client);
  return TRaised(true);
}

void TBarDock::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_NCCALCSIZE:
      WMNCCalcSize(message);
      return;
    case WM_NCPAINT: {
      HWND wnd = WindowHandle();
      HDC dc = GetWindowDC(wnd);
      SelectNCUpdateRgn(wnd, dc, reinterpret_cast<HRGN>(message.WParam));
      PaintBoundLines(dc, false);
      ReleaseDC(wnd, dc);
      return;
    }
    case WM_PRINT:
      HandleWMPrint(
          WindowHandle(), message,
          [](HWND, HDC dc, void* data) { static_cast<TBarDock*>(data)->PaintBoundLines(dc, true); }, this);
      return;
    case WM_PRINTCLIENT:
      HandleWMPrintClient(this, message);
      return;
    case WM_ERASEBKGND:
      WMEraseBkgnd(message);
      return;
    case WM_SIZE:
      if (auto* picture = ObjectAs<TBarBackground>(background_)) picture->SetStretchSize(ClientWidth(), ClientHeight());
      break;
    case WM_MOVE:
      TCustomControl::Dispatch(message);
      if (UsingBackground()) InvalidateBackgrounds();
      return;
    case CM_SYSCOLORCHANGE:
      if (background_) background_->SysColorChanged();
      break;
    case WM_QUERYNEWPALETTE:
      if (!GetPalette()) break;
      message.Result = static_cast<LRESULT>(RealizeBackgroundPalette(false));
      return;
    case WM_PALETTECHANGED:
      if (!GetPalette()) break;
      if (reinterpret_cast<HWND>(message.WParam) != WindowHandle()) RealizeBackgroundPalette(true);
      return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
      RelayToFloatingWindows(message, true);
      return;
    case WM_SYSCOMMAND:
      RelayToFloatingWindows(message, false);
      return;
  }
  TCustomControl::Dispatch(message);
}

}  // namespace toolbars

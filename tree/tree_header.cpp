#include "tree/tree_header.h"

#include <algorithm>
#include <cstdlib>

#include "framework/application.h"
#include "framework/menus.h"
#include "framework/properties.h"
#include "framework/screen.h"
#include "tree/base_tree.h"
#include "tree/tree_drag_image.h"

namespace tree {

namespace {

using HO = TTreeHeaderOption;
using O = TTreeColumnOption;

// RedrawWindow flags for a part of the header: frame, invalidate, no erase, no children.
constexpr UINT HeaderRedrawFlags = RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN;
// SetWindowPos flags that only recalculate the frame.
constexpr UINT FrameChangedFlags =
    SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

POINT MessagePoint(const TMessage& message) {
  // Signed: points left of or above a window are negative.
  return POINT{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
}

void Redraw(HWND window, const RECT& windowRect) {
  // The frame lies outside the client area: RedrawWindow takes client coordinates.
  RECT wr{};
  GetWindowRect(window, &wr);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  RECT r = windowRect;
  OffsetRect(&r, wr.left - origin.x, wr.top - origin.y);
  RedrawWindow(window, &r, nullptr, HeaderRedrawFlags);
}

}  // namespace

TTreeHeader::TTreeHeader(TBaseTree* owner)
    : owner_(owner),
      font_(std::make_unique<TFont>()),
      imageChangeLink_(std::make_unique<TChangeLink>()),
      dragImage_(std::make_unique<TTreeDragImage>(owner)) {
  columns_ = std::make_unique<TTreeColumns>(this);
  font_->OnChange = TNotifyEvent(this, &TTreeHeader::FontChanged);
  imageChangeLink_->OnChange = TNotifyEvent(this, &TTreeHeader::ImageListChanged);
  dragImage_->SetTransparency(140);
  dragImage_->SetPreBlendBias(-50);
  dragImage_->SetPostBlendBias(0);
  dragImage_->SetFade(false);
}

TTreeHeader::~TTreeHeader() {
  if (images_) images_->UnRegisterChanges(imageChangeLink_.get());
  columns_.reset();
}

TPersistent* TTreeHeader::GetOwner() const { return owner_; }

void TTreeHeader::FontChanged(TObject*) { Invalidate(nullptr); }

void TTreeHeader::ImageListChanged(TObject*) {
  if (owner_ && !owner_->ComponentState().Contains(TComponentStateItem::csDestroying)) Invalidate(nullptr);
}

void TTreeHeader::SetAutoSizeIndex(TColumnIndex value) {
  if (autoSizeIndex_ == value) return;
  autoSizeIndex_ = value;
  // The setter's last act.
  if (options_.Contains(HO::hoAutoResize)) (void)columns_->AdjustAutoSize(InvalidColumn);
}

void TTreeHeader::SetBackground(TColor value) {
  if (background_ == value) return;
  background_ = value;
  Invalidate(nullptr);
}

void TTreeHeader::SetStyle(TTreeHeaderStyle value) {
  if (style_ == value) return;
  style_ = value;
  if (!owner_ || !owner_->IsLoading()) Invalidate(nullptr);
}

void TTreeHeader::SetFont(const TFont* value) { font_->Assign(value); }

void TTreeHeader::SetHeight(int value) {
  if (height_ == value) return;
  height_ = value;
  if (!owner_ || !owner_->IsLoading()) RecalculateHeader();
}

void TTreeHeader::SetImages(TCustomImageList* value) {
  if (images_ == value) return;
  if (images_) images_->UnRegisterChanges(imageChangeLink_.get());
  images_ = value;
  if (images_) images_->RegisterChanges(imageChangeLink_.get());
  if (!owner_ || !owner_->IsLoading()) Invalidate(nullptr);
}

TColumnIndex TTreeHeader::MainColumn() const { return columns_->Count() > 0 ? mainColumn_ : NoColumn; }

TRaised TTreeHeader::SetMainColumn(TColumnIndex value) {
  value = columns_->Count() == 0 ? NoColumn : std::clamp(value, 0, columns_->Count() - 1);
  if (mainColumn_ == value) return TRaised(true);
  mainColumn_ = value;
  if (!owner_ || owner_->IsLoading()) return TRaised(true);
  if (owner_->MainColumnChanged().Gone()) return TRaised(false);
  if (!owner_->TreeOptions()->SelectionOptions().Contains(TTreeSelectionOption::toExtendedFocus))
    owner_->focusedColumn_ = value;
  if (owner_->HandleAllocated()) owner_->Invalidate();
  return TRaised(true);
}

TRaised TTreeHeader::SetOptions(TTreeHeaderOptions value) {
  if (options_ == value) return TRaised(true);
  TTreeHeaderOptions toggled = (options_ - value) + (value - options_);
  options_ = value;
  bool windowed = owner_ && owner_->HandleAllocated();
  if (toggled.Contains(HO::hoAutoResize) && columns_->Count() > 0) {
    if (columns_->AdjustAutoSize(InvalidColumn).Gone()) return TRaised(false);
    if (value.Contains(HO::hoAutoResize) && windowed) owner_->Invalidate();
  }
  if (!owner_ || owner_->IsLoading() || !windowed) return TRaised(true);
  if (toggled.Contains(HO::hoVisible)) RecalculateHeader();
  Invalidate(nullptr);
  owner_->Invalidate();
  return TRaised(true);
}

TRaised TTreeHeader::ApplyAutoSort() {
  if (owner_ && owner_->TreeOptions()->AutoOptions().Contains(TTreeAutoOption::toAutoSort) &&
      owner_->UpdateCount() == 0)
    return owner_->SortTree(sortColumn_, sortDirection_, true);
  return TRaised(true);
}

TRaised TTreeHeader::SetSortColumn(TColumnIndex value) {
  value = std::clamp(value, NoColumn, columns_->Count() - 1);
  if (sortColumn_ == value) return TRaised(true);
  columns_->InvalidateColumn(sortColumn_);
  columns_->InvalidateColumn(value);
  sortColumn_ = value;
  return ApplyAutoSort();
}

TRaised TTreeHeader::SetSortDirection(TSortDirection value) {
  if (sortDirection_ == value) return TRaised(true);
  sortDirection_ = value;
  Invalidate(nullptr);
  return ApplyAutoSort();
}

void TTreeHeader::Assign(const TPersistent* source) {
  const auto* other = ObjectAs<const TTreeHeader>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  SetAutoSizeIndex(other->autoSizeIndex_);
  SetBackground(other->background_);
  SetColumns(other->columns_.get());
  SetFont(other->font_.get());
  SetHeight(other->height_);
  SetPopupMenu(other->popupMenu_);
  SetStyle(other->style_);
  // The copy's last act: a column sized to fit raises OnColumnResize.
  (void)SetOptions(other->options_);
}

RECT TTreeHeader::HeaderRect() const {
  if (!owner_ || !owner_->HandleAllocated()) return RECT{0, 0, owner_ ? owner_->Width() : 0, height_};
  HWND window = owner_->Handle();
  RECT windowRect{};
  GetWindowRect(window, &windowRect);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  int left = origin.x - windowRect.left, top = origin.y - windowRect.top;
  return RECT{left, top - height_, left + owner_->ClientWidth(), top};
}

bool TTreeHeader::InHeader(POINT p) const {
  if (!options_.Contains(HO::hoVisible)) return false;
  int width = owner_ ? owner_->ClientWidth() : 0;
  return p.x >= 0 && p.x < width && p.y >= -height_ && p.y < 0;
}

POINT TTreeHeader::ToHeader(POINT client) const { return POINT{client.x, client.y + height_}; }

void TTreeHeader::Invalidate(const TTreeColumn* column, bool expandToRight) {
  if (!options_.Contains(HO::hoVisible) || !owner_ || !owner_->HandleAllocated()) return;
  RECT r = HeaderRect();
  if (column) {
    int left = r.left + column->GetLeft();
    r.right = expandToRight ? r.right : left + column->Width();
    r.left = left;
  }
  Redraw(owner_->Handle(), r);
}

void TTreeHeader::RecalculateHeader() {
  if (owner_ && owner_->HandleAllocated()) SetWindowPos(owner_->Handle(), nullptr, 0, 0, 0, 0, FrameChangedFlags);
}

bool TTreeHeader::DetermineSplitterIndex(POINT p) {
  columns_->trackIndex_ = NoColumn;
  if (!UseColumns()) return false;
  int x = (owner_ ? owner_->OffsetX() : 0) + columns_->TotalWidth();
  std::vector<TTreeColumn*> visible = columns_->GetVisibleColumns();
  for (auto it = visible.rbegin(); it != visible.rend(); ++it) {
    TTreeColumn* column = *it;
    if (p.x > x - 3 && p.x < x + 5) {
      if (!column->Options().Contains(O::coResizable)) return false;
      columns_->trackIndex_ = column->Index();
      leftTrackPos_ = column->GetLeft();
      return true;
    }
    x -= column->Width();
  }
  return false;
}

TRaised TTreeHeader::AutoFitColumns() {
  if (!owner_) return TRaised(true);
  // Measuring the rows and resizing a column raise handlers that may free the tree, and these columns with it.
  // One that adds, removes or moves columns ends the fitting.
  const TLifeWatch life = owner_->LifeWatch();
  const std::uint64_t changesBefore = columns_->LayoutChanges();
  for (TTreeColumn* column : columns_->GetVisibleColumns()) {
    if (!column->Options().Contains(O::coResizable)) continue;
    const int widest = owner_->GetMaxColumnWidth(column->Index());
    if (life.Ended()) return TRaised(false);
    if (columns_->LayoutChanges() != changesBefore) break;
    if (columns_->AnimatedResize(column->Index(), widest).Gone()) return TRaised(false);
    if (columns_->LayoutChanges() != changesBefore) break;
  }
  return TRaised(true);
}

TRaised TTreeHeader::RestoreColumns() {
  // OnColumnResize may free the tree, these columns with it; one that adds, removes or moves columns ends the
  // restoring.
  const std::uint64_t changesBefore = columns_->LayoutChanges();
  for (int index = columns_->Count() - 1; index >= 0; --index) {
    TTreeColumn* column = columns_->Items(index);
    if (column->Options().Contains(O::coVisible) && column->Options().Contains(O::coResizable) &&
        column->RestoreLastWidth().Gone())
      return TRaised(false);
    if (columns_->LayoutChanges() != changesBefore) break;
  }
  return TRaised(true);
}

TShiftState TTreeHeader::GetShiftState() {
  TShiftState shift;
  if (GetKeyState(VK_SHIFT) < 0) shift += TShiftStateItem::ssShift;
  if (GetKeyState(VK_CONTROL) < 0) shift += TShiftStateItem::ssCtrl;
  if (GetKeyState(VK_MENU) < 0) shift += TShiftStateItem::ssAlt;
  return shift;
}

void TTreeHeader::StartHeaderTimer() {
  if (owner_ && owner_->HandleAllocated()) SetTimer(owner_->Handle(), HeaderTimer, HeaderTimerInterval, nullptr);
}

void TTreeHeader::StopHeaderTimer() {
  if (owner_) owner_->StopTimer(HeaderTimer);
}

void TTreeHeader::HeaderTimerTick() {
  POINT cursor{};
  GetCursorPos(&cursor);
  POINT client = cursor;
  ScreenToClient(owner_->Handle(), &client);
  bool outside = !InHeader(client);
  TColumnIndex under = columns_->ColumnFromPosition(ToHeader(client));
  if (!outside && !(columns_->downIndex_ > NoColumn && columns_->downIndex_ != under)) return;
  StopHeaderTimer();
  columns_->hoverIndex_ = columns_->clickIndex_ = columns_->downIndex_ = NoColumn;
  Invalidate(nullptr);
}

TRaised TTreeHeader::PrepareColumnDrag(POINT client) {
  columns_->dropTarget_ = NoColumn;
  POINT press = dragStart_;
  ScreenToClient(owner_->Handle(), &press);
  columns_->dragIndex_ = columns_->ColumnFromPosition(ToHeader(press));
  (void)client;
  if (!columns_->IsValidColumn(columns_->dragIndex_)) return TRaised(true);
  TTreeColumn* column = columns_->Items(columns_->dragIndex_);
  TBitmap picture;
  picture.SetPixelFormat(TPixelFormat::pf32bit);
  picture.SetSize(column->Width(), height_);
  RECT all{0, 0, column->Width(), height_};
  HDC dc = picture.Canvas()->Handle();
  FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
  if (columns_->PaintHeader(dc, all, -column->Left()).Gone()) return TRaised(false);
  dragImage_->SetMoveRestriction(options_.Contains(HO::hoRestrictDrag) ? TTreeDragMoveRestriction::MoveHorizontalOnly
                                                                       : TTreeDragMoveRestriction::MoveFree);
  RECT windowRect{};
  GetWindowRect(owner_->Handle(), &windowRect);
  RECT header = HeaderRect();
  POINT position{windowRect.left + header.left + column->GetLeft(), windowRect.top + header.top};
  dragImage_->PrepareDrag(picture, position, dragStart_, nullptr);
  dragImage_->ShowDragImage();
  return TRaised(true);
}

void TTreeHeader::DragTo(POINT screen) {
  POINT client = screen;
  ScreenToClient(owner_->Handle(), &client);
  int left = 0, right = 0;
  TColumnIndex column = columns_->GetColumnAndBounds(ToHeader(client), left, right);
  bool valid = columns_->IsValidColumn(column);
  bool needRepaint = valid && column != columns_->dropTarget_;
  bool before = false;
  if (valid) {
    before = client.x < (left + right) / 2;
    needRepaint = needRepaint || before != columns_->dropBefore_;
  }
  if (needRepaint) {
    columns_->InvalidateColumn(columns_->dropTarget_);
    columns_->dropTarget_ = column;
    columns_->dropBefore_ = before;
    columns_->InvalidateColumn(column);
  }
  dragImage_->DragTo(screen, needRepaint);
}

void TTreeHeader::EndColumnDrag() {
  dragImage_->EndDrag();
  states_ -= THeaderState::hsDragging;
  columns_->dropTarget_ = NoColumn;
  Invalidate(nullptr);
}

bool TTreeHeader::HandleButtonUp(TMessage& message, bool nonClient, POINT client) {
  if (Application) Application->CancelHint();
  bool captured = !states_.Empty();
  if (!nonClient && !captured) return false;
  if (nonClient && !captured && !InHeader(client)) return false;
  POINT header = ToHeader(client);
  bool wasDragging = states_.Contains(THeaderState::hsDragging);
  // OnHeaderClick may free the tree, and this header with it: the release is spent then.
  const TLifeWatch life = owner_->LifeWatch();
  if (captured) ReleaseCapture();
  if (wasDragging) {
    dragImage_->EndDrag();
    TTreeColumns& columns = *columns_;
    POINT screen = client;
    ClientToScreen(owner_->Handle(), &screen);
    RECT windowRect{};
    GetWindowRect(owner_->Handle(), &windowRect);
    if (columns.IsValidColumn(columns.dropTarget_) && columns.dropTarget_ != columns.dragIndex_ &&
        PtInRect(&windowRect, screen)) {
      TTreeColumn* dragged = columns.Items(columns.dragIndex_);
      int oldPosition = dragged->Position();
      int target = columns.Items(columns.dropTarget_)->Position();
      bool fromLeft = oldPosition < target;
      int position =
          columns.dropBefore_ ? (fromLeft ? std::max(0, target - 1) : target) : (fromLeft ? target : target + 1);
      dragged->SetPosition(position);
      if (owner_->DoHeaderDragged(this, columns.dragIndex_, oldPosition).Gone()) return true;
    }
    columns.dropTarget_ = NoColumn;
    Invalidate(nullptr);
  } else if (nonClient) {
    if (columns_->HandleClick(header, TMouseButton::mbLeft, false).Gone()) return true;
    if (owner_->DoHeaderMouseUp(this, TMouseButton::mbLeft, GetShiftState(), header.x, header.y).Gone()) return true;
  } else {
    if (columns_->downIndex_ > NoColumn && columns_->HandleClick(header, TMouseButton::mbLeft, false).Gone())
      return true;
    if (owner_
            ->DoHeaderMouseUp(this, TMouseButton::mbLeft, KeysToShiftState(static_cast<WORD>(message.WParam)), header.x,
                              header.y)
            .Gone())
      return true;
  }
  columns_->InvalidateColumn(columns_->trackIndex_);
  columns_->InvalidateColumn(columns_->downIndex_);
  columns_->trackIndex_ = columns_->downIndex_ = NoColumn;
  states_ -= THeaderStates{THeaderState::hsDragging, THeaderState::hsDragPending, THeaderState::hsTracking,
                           THeaderState::hsTrackPending};
  message.Result = 0;
  return true;
}

bool TTreeHeader::HandleMouseMove(TMessage& message) {
  if (states_.Empty()) return false;
  POINT client = MessagePoint(message);
  POINT screen = client;
  ClientToScreen(owner_->Handle(), &screen);
  if (states_.Contains(THeaderState::hsTrackPending)) {
    StopHeaderTimer();
    states_ -= THeaderState::hsTrackPending;
    states_ += THeaderState::hsTracking;
  } else if (states_.Contains(THeaderState::hsTracking)) {
    // OnColumnResize may free the tree, this header with it.
    if (columns_->IsValidColumn(columns_->trackIndex_) &&
        columns_->Items(columns_->trackIndex_)->SetWidth(client.x - leftTrackPos_).Gone())
      return true;
  } else if (states_.Contains(THeaderState::hsDragPending)) {
    bool allowed = options_.Contains(HO::hoDrag);
    if (allowed && owner_->DoHeaderDragging(this, columns_->downIndex_, allowed).Gone()) return true;
    if (allowed) {
      if (std::abs(screen.x - dragStart_.x) > GetSystemMetrics(SM_CXDRAG) ||
          std::abs(screen.y - dragStart_.y) > GetSystemMetrics(SM_CYDRAG)) {
        StopHeaderTimer();
        TColumnIndex down = columns_->downIndex_;
        columns_->downIndex_ = columns_->hoverIndex_ = NoColumn;
        columns_->InvalidateColumn(down);
        if (PrepareColumnDrag(client).Gone()) return true;
        states_ -= THeaderState::hsDragPending;
        states_ += THeaderState::hsDragging;
      }
    }
  } else if (states_.Contains(THeaderState::hsDragging)) {
    DragTo(screen);
  }
  message.Result = 0;
  return true;
}

bool TTreeHeader::HandleSetCursor(TMessage& message) {
  if (!states_.Empty()) {
    message.Result = 1;
    return true;
  }
  POINT client{};
  GetCursorPos(&client);
  ScreenToClient(owner_->Handle(), &client);
  if (!InHeader(client)) return false;
  HCURSOR standard = LoadCursorW(nullptr, IDC_ARROW);
  HCURSOR cursor = standard;
  if (options_.Contains(HO::hoColumnResize) && DetermineSplitterIndex(ToHeader(client)) && Screen)
    cursor = Screen->Cursors(crHSplit);
  if (owner_->DoGetHeaderCursor(this, cursor).Gone()) return true;
  if (cursor == standard) return false;
  SetCursor(cursor);
  message.Result = 1;
  return true;
}

bool TTreeHeader::HandleMessage(TMessage& message) {
  if (!owner_ || !owner_->HandleAllocated()) return false;
  HWND window = owner_->Handle();
  auto clientFromScreen = [&] {
    POINT p = MessagePoint(message);
    ScreenToClient(window, &p);
    return p;
  };
  switch (message.Msg) {
    case WM_SIZE:
      if (options_.Contains(HO::hoAutoResize) && !owner_->ComponentState().Contains(TComponentStateItem::csLoading)) {
        if (columns_->AdjustAutoSize(InvalidColumn).Gone()) return true;
        Invalidate(nullptr);
      }
      return false;
    case CM_BIDIMODECHANGED:
      for (int index = 0; index < columns_->Count(); ++index) columns_->Items(index)->ParentBiDiModeChanged();
      return false;
    case WM_NCLBUTTONDOWN: {
      if (Application) Application->CancelHint();
      owner_->StopTimer(ScrollTimer);
      owner_->ForgetPendingEdit();
      owner_->DoStateChange({}, {TTreeState::stScrolling, TTreeState::stScrollPending});
      dragStart_ = MessagePoint(message);
      POINT client = clientFromScreen();
      if (!InHeader(client)) return false;
      POINT header = ToHeader(client);
      if (owner_->DoHeaderMouseDown(this, TMouseButton::mbLeft, GetShiftState(), header.x, header.y).Gone())
        return true;
      if (options_.Contains(HO::hoColumnResize) && DetermineSplitterIndex(header)) {
        columns_->hoverIndex_ = NoColumn;
        trackStart_ = client;
        states_ += THeaderState::hsTrackPending;
        SetCapture(window);
        message.Result = 0;
        return true;
      }
      TColumnIndex column = columns_->AdjustDownColumn(header);
      if (options_.Contains(HO::hoDrag) && columns_->IsValidColumn(column) &&
          columns_->Items(column)->Options().Contains(O::coDraggable)) {
        states_ += THeaderState::hsDragPending;
        SetCapture(window);
        message.Result = 0;
        return true;
      }
      return false;
    }
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN: {
      POINT client = clientFromScreen();
      if (!InHeader(client)) return false;
      POINT header = ToHeader(client);
      const TMouseButton button = message.Msg == WM_NCRBUTTONDOWN ? TMouseButton::mbRight : TMouseButton::mbMiddle;
      return owner_->DoHeaderMouseDown(this, button, GetShiftState(), header.x, header.y).Gone();
    }
    case WM_NCRBUTTONUP: {
      if (owner_->IsDesigning()) return false;
      if (Application) Application->CancelHint();
      POINT client = clientFromScreen();
      if (!InHeader(client)) return false;
      POINT header = ToHeader(client);
      if (columns_->HandleClick(header, TMouseButton::mbRight, true).Gone()) return true;
      if (owner_->DoHeaderMouseUp(this, TMouseButton::mbRight, GetShiftState(), header.x, header.y).Gone()) return true;
      columns_->downIndex_ = columns_->trackIndex_ = NoColumn;
      if (!popupMenu_) return false;
      owner_->StopTimer(ScrollTimer);
      StopHeaderTimer();
      columns_->hoverIndex_ = NoColumn;
      owner_->DoStateChange({}, {TTreeState::stScrolling, TTreeState::stScrollPending});
      popupMenu_->SetPopupComponent(owner_);
      POINT screen = MessagePoint(message);
      message.Result = 0;
      // The menu's handlers may free the tree: showing it is the message's last act.
      (void)popupMenu_->Popup(screen.x, screen.y);
      return true;
    }
    case WM_NCMBUTTONUP: {
      POINT client = clientFromScreen();
      if (!InHeader(client)) return false;
      POINT header = ToHeader(client);
      if (columns_->HandleClick(header, TMouseButton::mbMiddle, true).Gone()) return true;
      if (owner_->DoHeaderMouseUp(this, TMouseButton::mbMiddle, GetShiftState(), header.x, header.y).Gone())
        return true;
      columns_->downIndex_ = NoColumn;
      return false;
    }
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDBLCLK: {
      POINT client = clientFromScreen();
      if (!InHeader(client)) return false;
      POINT header = ToHeader(client);
      TMouseButton button = message.Msg == WM_NCLBUTTONDBLCLK   ? TMouseButton::mbLeft
                            : message.Msg == WM_NCRBUTTONDBLCLK ? TMouseButton::mbRight
                                                                : TMouseButton::mbMiddle;
      // The press before the double click ended its own tracking: look for the border again.
      if (columns_->trackIndex_ == NoColumn) DetermineSplitterIndex(header);
      if (options_.Contains(HO::hoDblClickResize) && columns_->trackIndex_ > NoColumn) {
        // Measuring the rows and resizing the column raise handlers that may free the tree.
        const TLifeWatch life = owner_->LifeWatch();
        TTreeColumn* column = columns_->Items(columns_->trackIndex_);
        const int widest = owner_->GetMaxColumnWidth(column->Index());
        if (life.Ended()) return true;
        if (columns_->AnimatedResize(column->Index(), std::max(column->MinWidth(), widest)).Gone()) return true;
        columns_->trackIndex_ = NoColumn;
      } else if (columns_->HandleClick(header, button, true).Gone()) {
        return true;
      }
      return owner_->DoHeaderDblClick(this, columns_->clickIndex_, button, GetShiftState(), header.x, header.y).Gone();
    }
    case WM_NCLBUTTONUP:
      return HandleButtonUp(message, true, clientFromScreen());
    case WM_LBUTTONUP:
      return HandleButtonUp(message, false, MessagePoint(message));
    case WM_NCMOUSEMOVE: {
      POINT client = clientFromScreen();
      POINT header = ToHeader(client);
      if (owner_->DoHeaderMouseMove(this, GetShiftState(), header.x, header.y).Gone()) return true;
      if (InHeader(client)) {
        bool hoverChanged = columns_->AdjustHoverColumn(header);
        if (hoverChanged || (columns_->downIndex_ > NoColumn && columns_->downIndex_ != columns_->hoverIndex_))
          StartHeaderTimer();
        if (options_.Contains(HO::hoShowHint) && Application) {
          // The application's hint machinery times the tree's hint as for a move over its client area.
          TMessage move{WM_MOUSEMOVE, 0, MAKELPARAM(header.x, header.y), 0};
          Application->HintMouseMessage(owner_, move);
        }
      }
      return false;
    }
    case WM_MOUSEMOVE:
      return HandleMouseMove(message);
    case WM_TIMER:
      if (message.WParam != HeaderTimer) return false;
      HeaderTimerTick();
      message.Result = 0;
      return true;
    case WM_SETCURSOR:
      return HandleSetCursor(message);
    case WM_KEYDOWN:
      if (message.WParam != VK_ESCAPE) return false;
      [[fallthrough]];
    case WM_KILLFOCUS:
      if (states_.Contains(THeaderState::hsDragging)) {
        ReleaseCapture();
        EndColumnDrag();
        return true;
      }
      if (states_.Contains(THeaderState::hsTracking)) {
        ReleaseCapture();
        states_ -= THeaderState::hsTracking;
        return true;
      }
      return false;
    default:
      return false;
  }
}

const TPublishedTable& TTreeHeader::PublishedTable() const {
  using P = TPublished<TTreeHeader>;
  using H = TTreeHeader;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Integer(L"AutoSizeIndex", &H::AutoSizeIndex, &H::SetAutoSizeIndex),
          P::Color(L"Background", &H::Background, &H::SetBackground).Default(clBtnFace),
          P::Object(L"Columns", &H::Columns),
          P::Object(L"Font", &H::Font),
          P::Integer(L"Height", &H::Height, &H::SetHeight).Default(DefaultHeaderHeight),
          P::Component(L"Images", &H::Images, &H::SetImages),
          P::Integer(L"MainColumn", &H::MainColumn, &H::SetMainColumn).Default(0),
          P::Set(L"Options", &H::Options, &H::SetOptions,
                 {L"hoAutoResize", L"hoColumnResize", L"hoDblClickResize", L"hoDrag", L"hoHotTrack", L"hoOwnerDraw",
                  L"hoRestrictDrag", L"hoShowHint", L"hoShowImages", L"hoShowSortGlyphs", L"hoVisible"})
              // The default stored forms omit is a new header's own, so that every stored header reads back the same.
              .Default(TTreeHeaderOptions{HO::hoColumnResize, HO::hoDrag}),
          P::Component(L"PopupMenu", &H::PopupMenu, &H::SetPopupMenu),
          P::Integer(L"SortColumn", &H::SortColumn, &H::SetSortColumn).Default(NoColumn),
          P::Enumeration(L"SortDirection", &H::SortDirection, &H::SetSortDirection, {L"sdAscending", L"sdDescending"})
              .Default(TSortDirection::sdAscending),
          P::Enumeration(L"Style", &H::Style, &H::SetStyle,
                         {L"hsThickButtons", L"hsFlatButtons", L"hsPlates", L"hsXPStyle"})
              .Default(TTreeHeaderStyle::hsThickButtons),
      });
  return table;
}

}  // namespace tree

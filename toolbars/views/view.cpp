// The view's viewers: made for the children of the item it shows (with embedded groups expanded in place), kept
// in step with every item notification, and found by item or by point.
#include "toolbars/views/view.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>

#include "framework/win_control.h"
#include "toolbars/items/item_kinds.h"
#include "toolbars/popups/popup_window_base.h"
#include "toolbars/views/deferred_layout.h"
#include "toolbars/views/item_viewer.h"

namespace toolbars {

POINT LastCursorPos{kNoCursorPos, 0};

TBarView::TBarView(TComponent* owner, TBarView* parentView, TBarCustomItem* parentItem, TWinControl* window,
                   bool isToolbar, bool customizing, bool usePriorityList)
    : TComponent(owner),
      parentView_(parentView),
      parentItem_(parentItem),
      window_(window),
      isPopup_(!isToolbar),
      isToolbar_(isToolbar),
      customizing_(customizing),
      usePriorityList_(usePriorityList) {
  // A menu in the making is not yet its parent view's open one, whose going would close it first: a handler
  // raised meanwhile may free the parent view.
  if (parentView_) parentView_->FreeNotification(this);
  if (parentItem_) {
    displayFilter_ = parentItem_->DisplayFilter();
    parentItem_->RegisterNotification(TBarItemChangedProc(this, &TBarView::LinkNotification));
    parentItem_->FreeNotification(this);
  }
  // The actions of the items shown are brought up to date where a menu's view is made (a bar's starts empty),
  // which can answer for what their OnUpdate frees: a constructor cannot.
  FollowParentItemLink();
}

TBarView::~TBarView() {
  if (parentView_ && parentView_->IsToolbar()) {
    parentView_->IncludeState(vsDestroyingChild);
    if (parentView_->openViewer_) parentView_->openViewer_->Invalidate();
  }
  CloseChildPopups();
  StopAllTimers();
  CancelDeferredLayout(this);
  if (curParentItem_) curParentItem_->UnregisterNotification(TBarItemChangedProc(this, &TBarView::ItemNotification));
  if (parentItem_) parentItem_->UnregisterNotification(TBarItemChangedProc(this, &TBarView::LinkNotification));
  SendFreeNotifications();
  priorityList_.reset();
  selected_ = nullptr;
  viewers_.clear();
}

TRaised TBarView::UpdateCurParentItem() {
  if (!FollowParentItemLink() || !curParentItem_ || curParentItem_->IsDesigning()) return TRaised(true);
  return InitiateActions();
}

bool TBarView::FollowParentItemLink() {
  TBarCustomItem* linked = parentItem_ ? parentItem_->GetLinkedItem() : nullptr;
  if (linked == curParentItem_) return false;
  CloseChildPopups();
  const TBarItemChangedProc proc(this, &TBarView::ItemNotification);
  if (curParentItem_) {
    curParentItem_->UnregisterNotification(proc);
    if (curParentItem_ != parentItem_) curParentItem_->RemoveFreeNotification(this);
  }
  curParentItem_ = linked;
  if (linked) {
    linked->RegisterNotification(proc);
    linked->FreeNotification(this);
  }
  RecreateAllViewers();
  return true;
}

TRaised TBarView::InitiateActions() {
  std::vector<TBarCustomItem*> items;
  for (auto& viewer : viewers_) items.push_back(viewer->Item());
  return InitiateActionsOf(items, LifeWatch());
}

void TBarView::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == curParentItem_ && component != parentItem_) {
    curParentItem_ = nullptr;
    RecreateAllViewers();
  }
  if (component == parentItem_) {
    parentItem_ = nullptr;
    if (curParentItem_ == component) curParentItem_ = nullptr;
    if (UpdateCurParentItem().Gone()) return;
    RecreateAllViewers();
    // The last statement: closing the parent's pop-up may free this view with its window.
    if (parentView_ && parentView_->openViewerView_ == this) parentView_->CloseChildPopups();
    return;
  }
  if (component == openViewerWindow_) {
    openViewer_ = nullptr;
    openViewerView_ = nullptr;
    openViewerWindow_ = nullptr;
  }
  if (component == chevronParentView_) chevronParentView_ = nullptr;
  if (component == parentView_) parentView_ = nullptr;
}

void TBarView::SetChevronParentView(TBarView* value) {
  if (chevronParentView_ && chevronParentView_ != parentView_) chevronParentView_->RemoveFreeNotification(this);
  chevronParentView_ = value;
  if (value) value->FreeNotification(this);
}

int TBarView::IndexOf(const TBarItemViewer* viewer) const {
  for (size_t i = 0; i < viewers_.size(); ++i)
    if (viewers_[i].get() == viewer) return static_cast<int>(i);
  return -1;
}

TBarItemViewer* TBarView::Find(const TBarCustomItem* item) const {
  for (auto& viewer : viewers_)
    if (viewer->Item() == item) return viewer.get();
  throw EBarItemError(L"An item viewer associated the specified item could not be found");
}

TBarItemViewer* TBarView::ViewerFromPoint(POINT point) const {
  for (auto& viewer : viewers_)
    if (viewer->Show() && PtInRect(&viewer->BoundsRect(), point)) return viewer.get();
  return nullptr;
}

TBarView* TBarView::GetParentToolbarView() {
  for (TBarView* view = this; view; view = view->parentView_)
    if (view->isToolbar_) return view;
  return nullptr;
}

bool TBarView::IsAncestorOf(const TBarView* view) const {
  for (; view; view = view->parentView_)
    if (view == this) return true;
  return false;
}

bool TBarView::AcceptsViewerFor(const TBarCustomItem* child) const {
  if (child->DisplayFilter() == -1) return !(displayFilter_ == -1 || isToolbar_);
  if (child->DisplayFilter() == -2) return displayFilter_ == -1 || isToolbar_;
  return true;
}

TBarItemViewer* TBarView::InsertViewer(TBarCustomItem* item, int position, bool addToPriority) {
  std::unique_ptr<TBarItemViewer> viewer = item->GetItemViewerClass(this).Create(this, item);
  TBarItemViewer* result = viewer.get();
  viewers_.insert(viewers_.begin() + position, std::move(viewer));
  if (addToPriority) {
    if (!priorityList_) priorityList_ = std::make_unique<std::vector<TBarItemViewer*>>();
    priorityList_->push_back(result);
  }
  return result;
}

void TBarView::AddViewers(TBarCustomItem* item, int& position, bool expandGroups, bool addToPriority) {
  for (int i = 0; i < item->Count(); ++i) {
    TBarCustomItem* child = item->ItemAt(i);
    if (!AcceptsViewerFor(child)) continue;
    InsertViewer(child, position++, addToPriority && usePriorityList_);
    if (expandGroups && !customizing_ && child->HasStyle(isEmbeddedGroup))
      AddViewers(child->GetLinkedItem(), position, false, false);
  }
}

void TBarView::RecreateAllViewers() {
  CloseChildPopups();
  selected_ = nullptr;
  InvalidatePositions();
  priorityList_.reset();
  viewers_.clear();
  internalViewersAtFront_ = internalViewersAtBack_ = 0;
  int position = 0;
  if (TBarCustomItem* front = GetFrontItem()) {
    InsertViewer(front, position++, false);
    internalViewersAtFront_ = 1;
  }
  if (curParentItem_) AddViewers(curParentItem_, position, true, true);
  if (TBarCustomItem* back = GetBackGroupItem()) {
    const int before = position;
    AddViewers(back, position, false, false);
    internalViewersAtBack_ += position - before;
  }
  if (TBarCustomItem* chevron = GetChevronItem()) {
    InsertViewer(chevron, position, false);
    ++internalViewersAtBack_;
  }
}

void TBarView::ClearViewerReferences(TBarItemViewer* viewer) {
  if (openViewer_ == viewer) CloseChildPopups();
  if (openTimerViewer_ == viewer) openTimerViewer_ = nullptr;
  if (selected_ == viewer) {
    selected_ = nullptr;
    mouseOverSelected_ = false;
  }
  if (priorityList_) {
    // From the end: viewers join it at the end, and a clearing parent frees its last children first.
    auto found = std::find(priorityList_->rbegin(), priorityList_->rend(), viewer);
    if (found != priorityList_->rend()) priorityList_->erase(std::next(found).base());
    if (priorityList_->empty()) priorityList_.reset();
  }
}

void TBarView::FreeViewer(size_t index) {
  ClearViewerReferences(viewers_[index].get());
  viewers_.erase(viewers_.begin() + static_cast<ptrdiff_t>(index));
}

int TBarView::OwnChildViewerPosition(int index, const TBarCustomItem* item) const {
  const int front = internalViewersAtFront_;
  const int end = ViewerCount() - internalViewersAtBack_;
  // Appending (the common case) and the place of a view without hidden items or groups: found at once.
  if (index >= curParentItem_->Count() - 1) return end;
  const TBarCustomItem* next = curParentItem_->ItemAt(index + 1);
  if (front + index < end && viewers_[static_cast<size_t>(front + index)]->Item() == next) return front + index;
  // Otherwise before the viewer of the first later sibling that has one: the siblings are numbered once.
  std::unordered_map<const TBarCustomItem*, int> later;
  for (int i = index + 1; i < curParentItem_->Count(); ++i) later.emplace(curParentItem_->ItemAt(i), i);
  for (int i = front; i < end; ++i) {
    const TBarCustomItem* shown = viewers_[static_cast<size_t>(i)]->Item();
    if (shown != item && shown->Parent() == curParentItem_ && later.count(shown)) return i;
  }
  return end;
}

void TBarView::InsertViewersFor(TBarCustomItem* parent, int index, TBarCustomItem* item) {
  if (!AcceptsViewerFor(item)) return;
  InvalidatePositions();
  const int end = ViewerCount() - internalViewersAtBack_;
  int position = end;
  bool ownChild = parent == curParentItem_;
  if (ownChild) {
    position = OwnChildViewerPosition(index, item);
  } else {
    // A child of an embedded group shown here: its place lies inside the group's run of viewers.
    if (customizing_) return;
    int group = -1;
    for (int i = internalViewersAtFront_; i < end; ++i)
      if (viewers_[static_cast<size_t>(i)]->Item() == parent) group = i;
    if (group < 0) return;
    TBarCustomItem* linked = parent->GetLinkedItem();
    position = group + 1;
    while (position < end) {
      TBarCustomItem* shown = viewers_[static_cast<size_t>(position)]->Item();
      if (shown->Parent() != linked || linked->IndexOf(shown) >= index) break;
      ++position;
    }
  }
  const bool toPriority = ownChild && usePriorityList_;
  InsertViewer(item, position, toPriority);
  if (ownChild && !customizing_ && item->HasStyle(isEmbeddedGroup)) {
    ++position;
    AddViewers(item->GetLinkedItem(), position, false, false);
  }
}

void TBarView::DeleteViewersFor(TBarCustomItem* item, int index) {
  // Where the item's viewer lies in a view without hidden items or groups; else from the end, where a clearing
  // parent takes its children away.
  size_t start = viewers_.size();
  const size_t guess = static_cast<size_t>(internalViewersAtFront_) + static_cast<size_t>(std::max(index, 0));
  if (item->Parent() == curParentItem_ && guess < viewers_.size() && viewers_[guess]->Item() == item) start = guess + 1;
  for (size_t i = start; i-- > 0;) {
    if (viewers_[i]->Item() != item) continue;
    InvalidatePositions();
    FreeViewer(i);
    if (!customizing_ && item->HasStyle(isEmbeddedGroup)) {
      TBarCustomItem* linked = item->GetLinkedItem();
      while (i < viewers_.size() && viewers_[i]->Item()->Parent() == linked) FreeViewer(i);
    }
    return;
  }
}

void TBarView::RecreateViewersFor(TBarCustomItem* item) {
  for (auto& viewer : viewers_) {
    if (viewer->Item() != item) continue;
    ClearViewerReferences(viewer.get());
    viewer = item->GetItemViewerClass(this).Create(this, item);
  }
}

void TBarView::InvalidateImagesRecursively() {
  for (TBarView* view = this; view; view = view->openViewerView_) view->InvalidatePositions();
}

void TBarView::ItemNotification(TBarCustomItem* ancestor, bool relayed, TBarItemChangedAction action, int index,
                                TBarCustomItem* item) {
  (void)relayed;
  switch (action) {
    case TBarItemChangedAction::tbicInserted:
      InsertViewersFor(ancestor, index, item);
      break;
    case TBarItemChangedAction::tbicDeleting:
      DeleteViewersFor(item, index);
      break;
    case TBarItemChangedAction::tbicSubitemsChanged:
      RecreateAllViewers();
      break;
    case TBarItemChangedAction::tbicSubitemsBeginUpdate:
      BeginUpdate();
      break;
    case TBarItemChangedAction::tbicSubitemsEndUpdate:
      // The notification's last act on this view, as below.
      (void)EndUpdate();
      return;
    case TBarItemChangedAction::tbicInvalidate:
      for (auto& viewer : viewers_)
        if (viewer->Item() == item) viewer->Invalidate();
      break;
    case TBarItemChangedAction::tbicInvalidateAndResize:
      InvalidatePositions();
      break;
    case TBarItemChangedAction::tbicRecreateItemViewers:
      InvalidatePositions();
      RecreateViewersFor(item);
      break;
    case TBarItemChangedAction::tbicNameChanged:
      return;
    case TBarItemChangedAction::tbicSubMenuImagesChanged:
      InvalidateImagesRecursively();
      break;
  }
  // The notification's last act on this view: the layout's handlers may free it, or the item that notifies, but
  // Notify, the one caller, touches no view after the call and watches the item's life itself.
  (void)TryValidatePositions();
}

void TBarView::LinkNotification(TBarCustomItem* ancestor, bool relayed, TBarItemChangedAction action, int index,
                                TBarCustomItem* item) {
  (void)ancestor, (void)relayed, (void)index, (void)item;
  if (action == TBarItemChangedAction::tbicSubitemsChanged)
    // The notification's last act on this view, as in ItemNotification.
    (void)UpdateCurParentItem();
  else if (action == TBarItemChangedAction::tbicSubMenuImagesChanged && parentItem_ != curParentItem_)
    InvalidateImagesRecursively();
}

void TBarView::FindControlWindows(std::vector<TWinControl*>& list) {
  for (auto& viewer : viewers_) {
    if (!viewer->OffEdge()) continue;
    if (auto* controlItem = ObjectAs<TBarControlItem>(viewer->Item()))
      if (auto* control = ObjectAs<TWinControl>(controlItem->Control())) list.push_back(control);
  }
}

}  // namespace toolbars

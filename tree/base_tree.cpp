// Construction, state, update brackets, change reporting, selection and focus of TBaseTree.
#include "tree/base_tree.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "framework/application.h"
#include "framework/image_list.h"
#include "framework/picture.h"
#include "tree/edit/tree_edit_link.h"
#include "tree/paint/paint_resources.h"
#include "tree/scroll_bar_options.h"
#include "tree/tree_clipboard_formats.h"
#include "tree/tree_colors.h"
#include "tree/tree_columns.h"
#include "tree/tree_drag_image.h"
#include "tree/tree_drag_manager.h"
#include "tree/tree_header.h"
#include "tree/tree_hint_window.h"
#include "tree/worker_thread.h"

namespace tree {

namespace {

// Selection entries of nodes deselected inside an update bracket carry this bit until the bracket ends.
constexpr std::uintptr_t RemovalMark = 1;

PTreeNode Unmarked(PTreeNode entry) {
  return reinterpret_cast<PTreeNode>(reinterpret_cast<std::uintptr_t>(entry) & ~RemovalMark);
}
bool IsMarked(PTreeNode entry) { return (reinterpret_cast<std::uintptr_t>(entry) & RemovalMark) != 0; }

// Sorts the range by merging its ascending runs in pairs, pass after pass: linear in a range of a few long runs, as
// nodes made one after another are (one run for each chunk of node memory they were cut from). A range of many short
// runs is sorted as a whole.
template <class Iterator, class Less>
void SortByRuns(Iterator first, Iterator last, Less less) {
  constexpr std::size_t kMergedRuns = 64;
  const auto size = static_cast<std::size_t>(last - first);
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < size; ++i) {
    if (i > 0 && !less(first[i], first[i - 1])) continue;
    starts.push_back(i);
    if (starts.size() > kMergedRuns) {
      std::sort(first, last, less);
      return;
    }
  }
  while (starts.size() > 1) {
    std::size_t kept = 0;
    for (std::size_t run = 0; run < starts.size(); run += 2) {
      starts[kept++] = starts[run];
      if (run + 1 == starts.size()) break;
      const std::size_t end = run + 2 < starts.size() ? starts[run + 2] : size;
      const auto begin = static_cast<std::ptrdiff_t>(starts[run]);
      std::inplace_merge(first + begin, first + static_cast<std::ptrdiff_t>(starts[run + 1]),
                         first + static_cast<std::ptrdiff_t>(end), less);
    }
    starts.resize(kept);
  }
}

}  // namespace

TBaseTree* TreeOfNode(const TTreeNode* node) {
  if (!node) return nullptr;
  while (node->NextSibling != node) node = node->Parent;
  return reinterpret_cast<TBaseTree*>(node->Parent);
}

TBaseTree::TBaseTree(TComponent* owner) : TCustomControl(owner) {
  TControlStyle style = ControlStyle();
  style +=
      TControlStyle{TControlStyleItem::csCaptureMouse, TControlStyleItem::csOpaque, TControlStyleItem::csReplicatable,
                    TControlStyleItem::csDisplayDragImage, TControlStyleItem::csReflector};
  style -= TControlStyleItem::csSetCaption;
  SetControlStyle(style);
  // Nothing handles the events of a control in the making.
  (void)SetBounds(Left(), Top(), 200, 100);
  SetTabStop(true);
  SetParentColor(false);
  scrollBarOptions_ = std::make_unique<TScrollBarOptions>(this);
  colors_ = std::make_unique<TTreeColors>(this);
  clipboardFormats_ = std::make_unique<TClipboardFormats>(this);
  options_ = std::make_unique<TCustomTreeOptions>(this);
  header_ = std::make_unique<TTreeHeader>(this);
  imagesLink_ = std::make_unique<TChangeLink>();
  stateImagesLink_ = std::make_unique<TChangeLink>();
  customCheckImagesLink_ = std::make_unique<TChangeLink>();
  for (TChangeLink* link : {imagesLink_.get(), stateImagesLink_.get(), customCheckImagesLink_.get()})
    link->OnChange = TNotifyEvent(this, &TBaseTree::ImageListChange);
  background_ = std::make_unique<TPicture>();
  dragImage_ = std::make_unique<TTreeDragImage>(this);
  dragImage_->SetTransparency(200);
  dragImage_->SetFade(true);
  EnsureRoot();
  AddThreadReference();
}

TBaseTree::~TBaseTree() {
  // The code that raised the handler freeing the tree learns it from its watches, and leaves them alone.
  EndEveryNodeWatch();
  // The clipboard's data is rendered for good while the tree and its nodes are still whole; the tree goes whatever
  // the renderings' handlers do.
  (void)ReleaseClipboard();
  // The window outlives this part of the object: its drop target registration must not.
  RevokeDropTarget();
  EndLife();
  InterruptValidation();
  StopWheelPanning();
  Destroying();
  // The editor goes without a word to the handlers: the objects they report to may be gone.
  if (Microsoft::WRL::ComPtr<ITreeEditLink> link = editLink_; link && IsEditing()) link->CancelEdit();
  states_ -= TTreeState::stEditing;
  editLink_.Reset();
  clipboardFormats_.reset();
  // The tree goes whatever its handlers do.
  try {
    (void)Clear();
  } catch (...) {
    // A handler failing while the tree goes cannot stop the nodes from being freed.
    (void)FreeAllNodes();
  }
  // The header's columns report their removal to the tree, which still needs its other parts then.
  header_.reset();
  options_.reset();
  dragImage_.reset();
  colors_.reset();
  background_.reset();
  SetImages(nullptr);
  SetStateImages(nullptr);
  SetCustomCheckImages(nullptr);
  imagesLink_.reset();
  stateImagesLink_.reset();
  customCheckImagesLink_.reset();
  scrollBarOptions_.reset();
  std::free(root_);
  root_ = nullptr;
  ReleaseThreadReference(this);
}

const TClass* TBaseTree::GetOptionsClass() const { return TCustomTreeOptions::StaticClass(); }

void TBaseTree::EnsureRoot() {
  std::size_t size = TreeNodeSize + internalDataSize_;
  auto* block = static_cast<PTreeNode>(std::realloc(root_, size));
  if (!block) throw std::bad_alloc();
  if (!root_) {
    std::memset(block, 0, size);
    block->TotalCount = 1;
    block->NodeHeight = block->TotalHeight = defaultNodeHeight_;
    block->Align = 50;
    block->States = nsInitialized | nsExpanded | nsHasChildren | nsVisible;
  } else {
    std::memset(reinterpret_cast<char*>(block) + TreeNodeSize, 0, internalDataSize_);
  }
  root_ = block;
  root_->Parent = reinterpret_cast<PTreeNode>(this);
  root_->PrevSibling = root_->NextSibling = root_;
  for (PTreeNode child = root_->FirstChild; child; child = child->NextSibling) child->Parent = root_;
}

std::size_t TBaseTree::AllocateInternalDataArea(std::size_t size) {
  if (root_->FirstChild && Clear().Gone()) return 0;
  std::size_t offset = TreeNodeSize + internalDataSize_;
  internalDataSize_ += AlignNodeArea(size);
  EnsureRoot();
  if (nodeDataSize_ >= 0) slab_.SetBlockSize(TreeNodeSize + internalDataSize_ + AlignNodeArea(recordSize_));
  return offset;
}

// ---- states

TTreeStates TBaseTree::TreeStates() const {
  TTreeStates result = states_;
  unsigned flags = cacheFlags_;
  if (flags & cfStopValidation) result += TTreeState::stStopValidation;
  if (flags & cfValidating) result += TTreeState::stValidating;
  if (flags & cfValidationNeeded) result += TTreeState::stValidationNeeded;
  if (flags & cfUseCache) result += TTreeState::stUseCache;
  return result;
}

void TBaseTree::DoStateChange(TTreeStates enter, TTreeStates leave) {
  static const TTreeStates cacheStates{TTreeState::stStopValidation, TTreeState::stValidating,
                                       TTreeState::stValidationNeeded, TTreeState::stUseCache};
  if (!(leave * cacheStates).Empty() || !(enter * cacheStates).Empty()) {
    if (leave.Contains(TTreeState::stUseCache)) cacheFlags_ &= ~cfUseCache;
    if (leave.Contains(TTreeState::stValidationNeeded)) cacheFlags_ &= ~cfValidationNeeded;
    if (enter.Contains(TTreeState::stValidationNeeded)) cacheFlags_ |= cfValidationNeeded;
  }
  states_ = (states_ - leave + enter) - cacheStates;
}

// ---- update brackets

void TBaseTree::SetUpdateState(bool updating) {
  if (Visible() && HandleAllocated()) SendMessageW(Handle(), WM_SETREDRAW, !updating, 0);
}

TRaised TBaseTree::BeginUpdate() {
  if (IsDestroying()) return TRaised(true);
  // OnUpdating may free the tree: no bracket is opened then.
  if (updateCount_ == 0) {
    if (DoUpdating(TTreeUpdateState::usBegin).Gone()) return TRaised(false);
    SetUpdateState(true);
  } else if (DoUpdating(TTreeUpdateState::usUpdate).Gone()) {
    return TRaised(false);
  }
  ++updateCount_;
  states_ += TTreeState::stUpdating;
  return TRaised(true);
}

TRaised TBaseTree::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  if (IsDestroying()) return TRaised(true);
  if (updateCount_ == 0 && states_.Contains(TTreeState::stUpdating)) {
    states_ -= TTreeState::stUpdating;
    RefreshTotalCounts();
    RefreshTotalHeights();
    PackSelection();
    StartCacheValidation();
    // The handlers raised here may raise: the window draws again all the same, and the first exception follows.
    // One that frees the tree leaves nothing to finish.
    const TLifeWatch life = LifeWatch();
    TFirstFailure failure;
    if (HandleAllocated()) failure.Run([this] { UpdateScrollBars(false); });
    TRaised alive(!life.Ended());
    if (alive.Alive() && states_.Contains(TTreeState::stStructureChangePending))
      alive = failure.Run(life, [this] { return FireStructureChange(); });
    if (alive.Alive() && states_.Contains(TTreeState::stChangePending))
      alive = failure.Run(life, [this] { return FireChange(); });
    if (alive.Alive() && options_->AutoOptions().Contains(TTreeAutoOption::toAutoSort))
      alive = failure.Run(life, [this] { return SortTree(sortColumn_, sortDirection_, true); });
    if (alive.Gone()) {
      failure.Raise();
      return alive;
    }
    SetUpdateState(false);
    // The frame too: a scroll bar that came while drawing was off was never painted, and turning drawing on again
    // paints nothing.
    if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
    const TRaised ended = failure.Run(life, [this] { return DoUpdating(TTreeUpdateState::usEnd); });
    failure.Raise();
    return ended;
  }
  return DoUpdating(updateCount_ == 0 ? TTreeUpdateState::usEnd : TTreeUpdateState::usUpdate);
}

TRaised TBaseTree::LowerUpdateCount() {
  // A bracket opened and closed inside the raised count left its end to the count's last step.
  if (updateCount_ == 1 && states_.Contains(TTreeState::stUpdating)) return EndUpdate();
  if (updateCount_ > 0) --updateCount_;
  return TRaised(true);
}

void TBaseTree::BeginSynch() {
  if (synchCount_++ == 0) states_ += TTreeState::stSynchMode;
}

void TBaseTree::EndSynch() {
  if (synchCount_ > 0 && --synchCount_ == 0) states_ -= TTreeState::stSynchMode;
}

// ---- change reporting

void TBaseTree::StopTimer(UINT_PTR id) {
  // A change timer that was never started needs no call: changes inside an update bracket record one each.
  if (id == ChangeTimer || id == StructureChangeTimer) {
    const unsigned bit = 1u << id;
    if (!(runningChangeTimers_ & bit)) return;
    runningChangeTimers_ &= ~bit;
  }
  if (HandleAllocated()) KillTimer(Handle(), id);
}

void TBaseTree::StartChangeTimer(UINT_PTR id) {
  runningChangeTimers_ |= 1u << id;
  SetTimer(Handle(), id, changeDelay_, nullptr);
}

TRaised TBaseTree::StructureChange(PTreeNode node, TChangeReason reason) {
  if (states_.Contains(TTreeState::stStructureChangePending)) {
    StopTimer(StructureChangeTimer);
  } else {
    states_ += TTreeState::stStructureChangePending;
  }
  lastStructureChangeNode_ = node;
  if (lastStructureChangeReason_ == TChangeReason::crIgnore)
    lastStructureChangeReason_ = reason;
  else if (reason != TChangeReason::crIgnore)
    lastStructureChangeReason_ = TChangeReason::crAccumulated;
  if (updateCount_ > 0) return TRaised(true);
  return ReleaseStructureChange();
}

TRaised TBaseTree::ReleaseStructureChange() {
  // Without a window there is no timer to wait for, so a delayed change fires at once.
  if (changeDelay_ > 0 && !states_.Contains(TTreeState::stSynchMode) && HandleAllocated()) {
    StartChangeTimer(StructureChangeTimer);
    return TRaised(true);
  }
  return FireStructureChange();
}

TRaised TBaseTree::Change(PTreeNode node) {
  // A change of the selection or the focus ends an edit a click armed, whatever made it.
  if (editPendingNode_) ForgetPendingEdit();
  if (states_.Contains(TTreeState::stChangePending))
    StopTimer(ChangeTimer);
  else
    states_ += TTreeState::stChangePending;
  lastChangedNode_ = node;
  if (updateCount_ > 0) return TRaised(true);
  if (changeDelay_ > 0 && !states_.Contains(TTreeState::stSynchMode) && HandleAllocated()) {
    StartChangeTimer(ChangeTimer);
    return TRaised(true);
  }
  return FireChange();
}

void TBaseTree::ForgetPendingChange(PTreeNode node) {
  // The event still fires (something did change), but it names the whole tree instead of a freed block.
  if (node == lastChangedNode_) lastChangedNode_ = nullptr;
  if (node == lastStructureChangeNode_) lastStructureChangeNode_ = nullptr;
}

// A tree being destroyed tells its handlers only about freed nodes: the objects they report to may be gone.
TRaised TBaseTree::FireStructureChange() {
  if (IsDestroying()) return TRaised(true);
  return DoStructureChange(lastStructureChangeNode_, lastStructureChangeReason_).Tree();
}

TRaised TBaseTree::FireChange() {
  if (IsDestroying()) return TRaised(true);
  return DoChange(lastChangedNode_).Tree();
}

void TBaseTree::WMTimer(TMessage& message) {
  switch (message.WParam) {
    case ChangeTimer:
      if (states_.Contains(TTreeState::stChangePending) && FireChange().Gone()) return;
      StopTimer(ChangeTimer);
      break;
    case StructureChangeTimer:
      if (states_.Contains(TTreeState::stStructureChangePending) && FireStructureChange().Gone()) return;
      StopTimer(StructureChangeTimer);
      break;
    case SearchTimer:
      EndIncrementalSearch();
      break;
    case ExpandTimer:
      if (AutoExpandDropTarget().Gone()) return;
      break;
    case EditTimer:
      // The edit opens on the node that was clicked, and only while it has the focus.
      if (states_.Contains(TTreeState::stEditPending) && editPendingNode_ && editPendingNode_ == focusedNode_) {
        if (DoEdit().Gone()) return;
      } else {
        ForgetPendingEdit();
      }
      break;
    case ScrollTimer:
      if (states_.Contains(TTreeState::stScrollPending)) {
        if (Application) Application->CancelHint();
        SetTimer(Handle(), ScrollTimer, autoScrollInterval_, nullptr);
        DoStateChange({TTreeState::stScrolling}, {TTreeState::stScrollPending});
      }
      if (DoTimerScroll().Gone()) return;
      break;
    default:
      break;
  }
}

void TBaseTree::Dispatch(TMessage& message) {
  if (header_ && header_->HandleMessage(message)) return;
  // A press in the frame the header left alone focuses the tree; one the header took (a border to resize, a
  // column to drag) leaves the focus where it is.
  if ((message.Msg == WM_NCLBUTTONDOWN || message.Msg == WM_NCRBUTTONDOWN || message.Msg == WM_NCMBUTTONDOWN) &&
      !Focused() && CanFocus() && SetFocus().Gone())
    return;
  if (HandleTreeMessage(message)) return;
  switch (message.Msg) {
    case WM_NCCALCSIZE:
    case WM_NCHITTEST:
      inherited::Dispatch(message);
      HeaderFrameMessage(message);
      break;
    case WM_TIMER:
      WMTimer(message);
      break;
    case WM_RELEASE_EDIT_LINK:
      ReleaseEditLink();
      break;
    default:
      inherited::Dispatch(message);
  }
}

void TBaseTree::HeaderFrameMessage(TMessage& message) {
  // The window outlives the header while the tree goes; its frame messages then have no header to make room for.
  if (!header_ || !header_->Options().Contains(TTreeHeaderOption::hoVisible)) return;
  switch (message.Msg) {
    case WM_NCCALCSIZE:
      // Both forms of the message start with the proposed client rectangle.
      reinterpret_cast<RECT*>(message.LParam)->top += header_->Height();
      break;
    case WM_NCHITTEST: {
      POINT p{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
      ::ScreenToClient(Handle(), &p);
      if (header_->InHeader(p)) message.Result = HTBORDER;
      break;
    }
  }
}

TRaised TBaseTree::SetHeader(const TTreeHeader* value) {
  // The columns' sizes, the copy's last act, raise OnColumnResize.
  const TLifeWatch life = LifeWatch();
  header_->Assign(value);
  return TRaised(!life.Ended());
}

const TClass* TBaseTree::GetColumnClass() const { return TTreeColumn::StaticClass(); }

const TClass* TBaseTree::GetHeaderClass() const { return TTreeHeader::StaticClass(); }

TNodeRaised TBaseTree::GetTextInfo(PTreeNode node, TColumnIndex column, TFont* font, RECT& r, String& text) {
  // Finding the row may initialize the node, whose handlers may free it or the tree.
  const TNodeWatch watch(*this, node);
  text.clear();
  font->Assign(Font());
  r = GetDisplayRect(node, column, true);
  return TNodeRaised(watch);
}

TRaised TBaseTree::Loaded() {
  if (inherited::Loaded().Gone()) return TRaised(false);
  if (states_.Contains(TTreeState::stRootCountPending)) {
    states_ -= TTreeState::stRootCountPending;
    if (SetRootNodeCount(pendingRootCount_).Gone()) return TRaised(false);
  }
  return TRaised(true);
}

// ---- selection

bool TBaseTree::InternalAddToSelection(PTreeNode node) {
  if (node->Has(nsSelected)) return false;
  node->States |= nsSelected;
  selection_.push_back(node);
  ++selectionCount_;
  return true;
}

void TBaseTree::SortSelection() {
  if (sortedEntries_ == selection_.size()) return;
  const auto byNode = [](PTreeNode a, PTreeNode b) { return Unmarked(a) < Unmarked(b); };
  const auto added = selection_.begin() + static_cast<std::ptrdiff_t>(sortedEntries_);
  SortByRuns(added, selection_.end(), byNode);
  // Nodes made one after another usually follow the last address sorted: then there is nothing to merge.
  if (sortedEntries_ > 0 && byNode(*added, selection_[sortedEntries_ - 1]))
    std::inplace_merge(selection_.begin(), added, selection_.end(), byNode);
  sortedEntries_ = selection_.size();
}

bool TBaseTree::InternalRemoveFromSelection(PTreeNode node) {
  if (!node->Has(nsSelected)) return false;
  node->States &= ~nsSelected;
  --selectionCount_;
  SortSelection();
  // A node deselected and selected again has a marked entry beside its own.
  auto at = selection_.begin() + static_cast<std::ptrdiff_t>(SelectionBound(node));
  for (; at != selection_.end() && Unmarked(*at) == node; ++at) {
    if (IsMarked(*at)) continue;
    *at = reinterpret_cast<PTreeNode>(reinterpret_cast<std::uintptr_t>(node) | RemovalMark);
    ++markedEntries_;
    break;
  }
  // Outside a bracket the marked entries go once they are half of all, so that removing many nodes one at a time
  // costs each the same.
  if (updateCount_ == 0 && markedEntries_ * 2 > selection_.size()) PackSelection();
  if (selectionCount_ == 0) rangeAnchor_ = nullptr;
  return true;
}

std::size_t TBaseTree::SelectionBound(PTreeNode node) {
  const auto below = [this, node](std::size_t index) { return Unmarked(selection_[index]) < node; };
  const std::size_t size = selection_.size();
  const std::size_t from = std::min(selectionHint_, size);
  // The bound lies in [low, high]: found by steps that double away from the last one found, towards node.
  std::size_t low = 0, high = size;
  if (from < size && below(from)) {
    std::size_t step = 1;
    low = from + 1;
    while (from + step < size && below(from + step)) {
      low = from + step + 1;
      step *= 2;
    }
    high = std::min(from + step, size);
  } else {
    std::size_t step = 1;
    high = from;
    while (step <= from && !below(from - step)) {
      high = from - step;
      step *= 2;
    }
    low = step <= from ? from - step + 1 : 0;
  }
  const auto at = std::lower_bound(selection_.begin() + static_cast<std::ptrdiff_t>(low),
                                   selection_.begin() + static_cast<std::ptrdiff_t>(high), node,
                                   [](PTreeNode entry, PTreeNode n) { return Unmarked(entry) < n; });
  selectionHint_ = static_cast<std::size_t>(at - selection_.begin());
  return selectionHint_;
}

void TBaseTree::PackSelection() {
  if (markedEntries_ == 0) return;
  std::size_t kept = 0, sortedKept = 0;
  for (std::size_t i = 0; i < selection_.size(); ++i) {
    if (IsMarked(selection_[i])) continue;
    if (i < sortedEntries_) ++sortedKept;
    selection_[kept++] = selection_[i];
  }
  selection_.resize(kept);
  sortedEntries_ = sortedKept;
  markedEntries_ = 0;
  TrimSelectionRoom();
}

void TBaseTree::TrimSelectionRoom() {
  // A selection that shrank to a quarter of its room gives the rest back: a million rows selected and deleted kept
  // eight megabytes. Growing again costs no more than it did the first time.
  constexpr std::size_t kKeptRoom = 1024;
  if (selection_.capacity() > kKeptRoom && selection_.size() * 4 < selection_.capacity()) selection_.shrink_to_fit();
}

bool TBaseTree::InternalAddToSelection(const PTreeNode* nodes, std::size_t count, bool forceInsert) {
  if (count == 0) return false;
  const TTreeSelectionOptions options = options_->SelectionOptions();
  const bool levelConstraint = !forceInsert && options.Contains(TTreeSelectionOption::toLevelSelectConstraint);
  const bool siblingConstraint = !forceInsert && options.Contains(TTreeSelectionOption::toSiblingSelectConstraint);
  if (levelConstraint && lastSelectionLevel_ < 0 && nodes[0])
    lastSelectionLevel_ = static_cast<int>(GetNodeLevel(nodes[0]));
  if (siblingConstraint && !rangeAnchor_) rangeAnchor_ = nodes[0];
  const std::uint32_t before = selectionCount_;
  for (std::size_t i = 0; i < count; ++i) {
    PTreeNode node = nodes[i];
    if (!node || node == root_ || node->Has(nsSelected)) continue;
    if (levelConstraint && static_cast<int>(GetNodeLevel(node)) != lastSelectionLevel_) continue;
    if (siblingConstraint && rangeAnchor_ && node->Parent != rangeAnchor_->Parent) continue;
    InternalAddToSelection(node);
  }
  return selectionCount_ != before;
}

TNodeRaised TBaseTree::ChangeAbout(PTreeNode node) {
  const TNodeWatch watch(*this, node);
  return Change(node).Gone() ? TNodeRaised(false, false) : TNodeRaised(watch);
}

TNodeRaised TBaseTree::AddToSelection(PTreeNode node) {
  if (!InternalAddToSelection(&node, 1, false)) return TNodeRaised(true, true);
  return ChangeAbout(node);
}

TRaised TBaseTree::AddToSelection(const std::vector<PTreeNode>& nodes) {
  if (!InternalAddToSelection(nodes.data(), nodes.size(), false)) return TRaised(true);
  return Change(nodes.size() == 1 ? nodes.front() : nullptr);
}

TNodeRaised TBaseTree::RemoveFromSelection(PTreeNode node) {
  if (!node || node == root_ || !InternalRemoveFromSelection(node)) return TNodeRaised(true, true);
  return ChangeAbout(node);
}

void TBaseTree::InternalClearSelection() {
  // A marked entry's node may be freed by now.
  for (PTreeNode entry : selection_)
    if (!IsMarked(entry)) entry->States &= ~nsSelected;
  selection_.clear();
  TrimSelectionRoom();
  sortedEntries_ = markedEntries_ = 0;
  selectionCount_ = 0;
  rangeAnchor_ = nullptr;
}

TRaised TBaseTree::ClearSelection() {
  if (selectionCount_ == 0 || IsDestroying()) return TRaised(true);
  if (updateCount_ == 0 && HandleAllocated()) Invalidate();
  InternalClearSelection();
  return Change(nullptr);
}

TNodeRaised TBaseTree::SetSelected(PTreeNode node, bool value) {
  if (!node || node == root_ || value == node->Has(nsSelected)) return TNodeRaised(true, true);
  // OnChange comes at once, and its handler may free the node (with an ancestor, or every node) or the tree.
  const TNodeWatch watch(*this, node);
  if (value) {
    if (selectionCount_ == 0) rangeAnchor_ = node;
    if (!options_->SelectionOptions().Contains(TTreeSelectionOption::toMultiSelect) && ClearSelection().Gone())
      return TNodeRaised(false, false);
    if (watch.Ended() || AddToSelection(node).Gone()) return TNodeRaised(watch);
    TTreeColumns* columns = header_->Columns();
    const TColumnIndex main = header_->MainColumn();
    if (main >= 0 && (focusedColumn_ == NoColumn || !columns->IsValidColumn(focusedColumn_) ||
                      !columns->Items(focusedColumn_)->Options().Contains(TTreeColumnOption::coVisible)))
      focusedColumn_ = columns->Items(main)->Options().Contains(TTreeColumnOption::coVisible)
                           ? main
                           : columns->GetFirstVisibleColumn();
    if (!rangeAnchor_) rangeAnchor_ = node;
  } else if (RemoveFromSelection(node).Gone()) {
    return TNodeRaised(watch);
  }
  if (FullyVisible(node)) InvalidateNode(node);
  return TNodeRaised(watch);
}

TRaised TBaseTree::SelectAll(bool visibleOnly) {
  if (!options_->SelectionOptions().Contains(TTreeSelectionOption::toMultiSelect)) return TRaised(true);
  // The walk initializes the nodes, and its handlers may free nodes.
  TWatchedNodes nodes(*this);
  nodes.Walk([this, visibleOnly] { return visibleOnly ? GetFirstVisible() : GetFirst(); },
             [this, visibleOnly](PTreeNode node) { return visibleOnly ? GetNextVisible(node) : GetNext(node); });
  if (nodes.TreeGone()) return TRaised(false);
  std::vector<PTreeNode> unselected = nodes.Survivors();
  std::erase_if(unselected, [](PTreeNode node) { return node->Has(nsSelected); });
  if (AddToSelection(unselected).Gone()) return TRaised(false);
  if (updateCount_ == 0 && HandleAllocated()) Invalidate();
  return TRaised(true);
}

// ---- focus

TNodeRaised TBaseTree::DoFocusNode(PTreeNode node, bool ask) {
  if (node == root_) node = nullptr;
  // Ending a running edit raises OnNewText and OnEdited, asking raises OnFocusChanging, and closing the old node
  // raises more: any of them may delete the node, or free the tree. The focus then stays where the handlers left it.
  const TNodeWatch watch(*this, node);
  const auto answer = [&] { return TNodeRaised(watch); };
  // A running edit ends here; one a click armed ends when the focus goes elsewhere (below), since the click that
  // armed it moves the focus to its own node.
  if (IsEditing()) {
    bool ended = false;
    if (EndEditing(ended).Gone() || watch.Ended() || !ended) return answer();
  }
  const bool autoExpand = options_->AutoOptions().Contains(TTreeAutoOption::toAutoExpand);
  if (node != focusedNode_ && editPendingNode_) ForgetPendingEdit();
  if (node != focusedNode_) {
    bool allowed = true;
    if (ask && (DoFocusChanging(focusedNode_, node, focusedColumn_, focusedColumn_, allowed).Gone() || !allowed))
      return answer();
    PTreeNode old = focusedNode_;
    if (autoExpand && old && node && old->Parent == node->Parent && Expanded(old)) {
      if (ToggleNode(old).TreeGone()) return answer();
    } else if (old) {
      InvalidateNode(old);
    }
    if (watch.Ended()) return answer();
    focusedNode_ = node;
  }
  if (focusedNode_) {
    if (header_->UseColumns() && focusedColumn_ < 0) focusedColumn_ = 0;
    if (autoExpand && !Expanded(focusedNode_) && HasChildren(focusedNode_) && ToggleNode(focusedNode_).TreeGone())
      return answer();
    if (watch.Ended()) return answer();
    InvalidateNode(focusedNode_);
    if (updateCount_ == 0)
      ScrollIntoView(focusedNode_, options_->SelectionOptions().Contains(TTreeSelectionOption::toCenterScrollIntoView));
    if (watch.Ended()) return answer();
  }
  if (selectionCount_ == 0) ResetRangeAnchor();
  return answer();
}

TNodeRaised TBaseTree::SetFocusedNode(PTreeNode node) {
  PTreeNode old = focusedNode_;
  const TNodeRaised focused = DoFocusNode(node, true);
  if (focused.Gone()) return focused;
  if (focusedNode_ != old && focusedNode_ == (node == root_ ? nullptr : node))
    return DoFocusChange(focusedNode_, focusedColumn_);
  return focused;
}

// ---- cut and copy marks

void TBaseTree::MarkCutCopyNodes(bool cut) {
  CancelCutOrCopy();
  for (PTreeNode node : GetSortedSelection(true))
    if (!node->Has(nsDisabled)) {
      node->States |= nsCutOrCopy;
      MarkStale(node, ndHoldsCutCopy);
    }
  DoStateChange({cut ? TTreeState::stCutPending : TTreeState::stCopyPending});
}

TRaised TBaseTree::FinishCutOrCopy() {
  if (!states_.Contains(TTreeState::stCutPending)) return TRaised(true);
  // The cut rows went where they were pasted: they go from here without being handed to the clipboard first.
  states_ -= TTreeState::stCutPending;
  root_->Deferred &= ~ndHoldsCutCopy;
  // OnFreeNode of a deleted node may free the node the walk goes on with (the walk starts over: the deleted
  // nodes took their marks with them), or the tree.
  PTreeNode node = GetFirstNoInit();
  while (node) {
    node->Deferred &= ~ndHoldsCutCopy;
    if (node->Has(nsCutOrCopy)) {
      // Skip the marked node's subtree before it goes, so nested marks are never visited twice.
      PTreeNode next = node;
      while (next && !next->NextSibling) {
        next = next->Parent;
        if (next == root_) next = nullptr;
      }
      next = next ? next->NextSibling : nullptr;
      const TNodeWatch nextWatch(*this, next);
      if (DeleteNode(node).Gone()) return TRaised(false);
      node = nextWatch.Ended() ? GetFirstNoInit() : next;
    } else {
      node = GetNextNoInit(node);
    }
  }
  return TRaised(true);
}

void TBaseTree::CancelCutOrCopy() {
  if (!states_.Contains(TTreeState::stCutPending) && !states_.Contains(TTreeState::stCopyPending)) return;
  for (PTreeNode node = GetFirstNoInit(); node; node = GetNextNoInit(node)) {
    node->States &= ~nsCutOrCopy;
    node->Deferred &= ~ndHoldsCutCopy;
  }
  root_->Deferred &= ~ndHoldsCutCopy;
  states_ -= TTreeStates{TTreeState::stCutPending, TTreeState::stCopyPending};
}

// ---- editing entry point

bool TBaseTree::CancelEditNode() {
  // Cancelling cannot be refused; the cancel's handlers may free the tree, which the answer needs nothing of.
  (void)CancelEditing();
  return true;
}

TRaised TBaseTree::CancelEditing() {
  if (states_.Contains(TTreeState::stEditing) || states_.Contains(TTreeState::stEditPending)) return DoCancelEdit();
  return TRaised(true);
}

TRaised TBaseTree::EndEditing(bool& ended) {
  ended = true;
  if (states_.Contains(TTreeState::stEditing) || states_.Contains(TTreeState::stEditPending)) return DoEndEdit(ended);
  return TRaised(true);
}

// ---- properties

void TBaseTree::SetDefaultNodeHeight(std::uint16_t value) {
  if (value == 0) value = DefaultTreeNodeHeight;
  if (value == defaultNodeHeight_) return;
  InterruptValidation();
  int delta = static_cast<int>(value) - defaultNodeHeight_;
  root_->NodeHeight = static_cast<std::uint16_t>(root_->NodeHeight + delta);
  SetTotalHeight(root_, static_cast<std::uint64_t>(static_cast<std::int64_t>(TotalHeightOf(root_)) + delta));
  defaultNodeHeight_ = value;
  InvalidateCache();
  if (updateCount_ == 0 && HandleAllocated()) {
    StartCacheValidation();
    UpdateScrollBars(true);
    ScrollIntoView(focusedNode_, false);
    Invalidate();
  }
}

TRaised TBaseTree::SetNodeDataSize(int value) {
  if (value < -1) value = -1;
  if (value == nodeDataSize_) return TRaised(true);
  std::uint32_t count = RootNodeCount();
  bool rebuild = !IsLoading() && !IsDesigning();
  if (rebuild && Clear().Gone()) return TRaised(false);
  nodeDataSize_ = value;
  if (!rebuild) return TRaised(true);
  if (FreeAllNodes().Gone()) return TRaised(false);
  if (nodeDataSize_ >= 0) {
    recordSize_ = static_cast<std::size_t>(nodeDataSize_);
    slab_.SetBlockSize(TreeNodeSize + internalDataSize_ + AlignNodeArea(recordSize_));
  }
  return SetRootNodeCount(count);
}

void TBaseTree::SetAnimationDuration(UINT value) {
  if (value == animationDuration_) return;
  animationDuration_ = value;
  TTreeAnimationOptions options = options_->AnimationOptions();
  if (value != 0)
    options += TTreeAnimationOption::toAnimatedToggle;
  else
    options -= TTreeAnimationOption::toAnimatedToggle;
  options_->SetAnimationOptions(options);
}

TRaised TBaseTree::SetTreeOptions(const TCustomTreeOptions* value) {
  // Emptying the selection, the copy's last act, raises OnChange.
  const TLifeWatch life = LifeWatch();
  options_->Assign(value);
  return TRaised(!life.Ended());
}

void TBaseTree::SetColors(const TTreeColors* value) { colors_->Assign(value); }

void TBaseTree::SetScrollBarOptions(const TScrollBarOptions* value) { scrollBarOptions_->Assign(value); }

void TBaseTree::SetClipboardFormats(const TStrings* value) {
  clipboardFormats_->Clear();
  for (int i = 0; value && i < value->Count(); ++i) clipboardFormats_->Add(value->Strings(i));
}

void TBaseTree::ReplaceTreeOptions(std::unique_ptr<TCustomTreeOptions> options) {
  if (options) options_ = std::move(options);
}

}  // namespace tree

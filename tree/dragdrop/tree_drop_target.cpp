// The tree as an OLE drop target: the node under the cursor and the drop mode, scrolling and expanding during the
// drag, the suggested effect, the drop itself, and repainting under a drag image that a tree draws itself.
#include <algorithm>

#include "framework/format_etc.h"
#include "framework/object.h"
#include "framework/shift_state.h"
#include "tree/base_tree.h"
#include "tree/scroll_bar_options.h"
#include "tree/tree_data_object.h"
#include "tree/tree_drag_image.h"
#include "tree/tree_drag_manager.h"
#include "tree/tree_header.h"

namespace tree {

namespace {

// Redraw flags of the frame and of the client rows under a drag image: validate what is painted now, without
// erasing and without the child windows.
constexpr UINT WindowRedrawFlags =
    RDW_INVALIDATE | RDW_VALIDATE | RDW_NOERASE | RDW_NOCHILDREN | RDW_UPDATENOW | RDW_FRAME;
constexpr UINT ClientRedrawFlags = RDW_INVALIDATE | RDW_VALIDATE | RDW_NOERASE | RDW_NOCHILDREN | RDW_UPDATENOW;

DWORD Prefer(DWORD current, DWORD allowed, DWORD wanted) { return (allowed & wanted) ? wanted : current; }

}  // namespace

TBaseTree* TBaseTree::GetTreeFromDataObject(IDataObject* dataObject) { return FindReferencedTree(dataObject); }

TBaseTree* TBaseTree::OwnDragImageSource(TObject* source) {
  auto* tree = ObjectAs<TBaseTree>(source);
  // The shell's service shows the picture only when it took it; a picture it refused is the source tree's to draw.
  if (!tree || tree->dragImage_->States().Contains(TDragImageState::disSystemSupport)) return nullptr;
  return tree;
}

TDropMode TBaseTree::DropModeAt(int y, const RECT& r, bool withDropMark) const {
  if (!withDropMark) return TDropMode::dpOnNode;
  int offset = 3 * (y - r.top), height = r.bottom - r.top;
  if (offset < height) return TDropMode::dpAbove;
  if (offset > 2 * height) return TDropMode::dpBelow;
  return TDropMode::dpOnNode;
}

TRaised TBaseTree::RepaintDropRow(PTreeNode node, TBaseTree* imageSource, bool imageVisible) {
  if (!node || !HandleAllocated()) return TRaised(true);
  if (imageSource)
    return UpdateWindowAndDragImage(imageSource, GetDisplayRect(node, NoColumn, false), false, imageVisible);
  InvalidateNode(node);
  return TRaised(true);
}

TRaised TBaseTree::ChangeDropTarget(PTreeNode node, TBaseTree* imageSource, bool imageVisible) {
  StopTimer(ExpandTimer);
  PTreeNode old = dropTargetNode_;
  dropTargetNode_ = node;
  if (focusedColumn_ == NoColumn) focusedColumn_ = header_->MainColumn();
  // Painting the rows raises their handlers, which may delete the new target (the tree forgets it then) or free
  // the tree.
  const TNodeWatch target(*this, node);
  if (old != node && RepaintDropRow(old, imageSource, imageVisible).Gone()) return TRaised(false);
  if (target.Ended()) return TRaised(!target.TreeGone());
  if (RepaintDropRow(node, imageSource, imageVisible).Gone()) return TRaised(false);
  if (target.Ended()) return TRaised(true);
  if (node && node->Has(nsHasChildren) && HandleAllocated() &&
      options_->AutoOptions().Contains(TTreeAutoOption::toAutoDropExpand))
    SetTimer(Handle(), ExpandTimer, autoExpandDelay_, nullptr);
  return TRaised(true);
}

DWORD TBaseTree::SuggestDropEffect(TObject* source, TShiftState shift, POINT pt, DWORD allowedEffects) {
  (void)pt;
  DWORD effect = allowedEffects;
  if (source == this && (allowedEffects & DROPEFFECT_MOVE))
    effect = DROPEFFECT_MOVE;
  else
    effect = Prefer(effect, allowedEffects, DROPEFFECT_COPY);
  const bool ctrl = shift.Contains(TShiftStateItem::ssCtrl), shiftKey = shift.Contains(TShiftStateItem::ssShift);
  if (ctrl && shiftKey)
    effect = Prefer(effect, allowedEffects, DROPEFFECT_LINK);
  else if (ctrl)
    effect = Prefer(effect, allowedEffects, DROPEFFECT_COPY);
  else if (shiftKey)
    effect = Prefer(effect, allowedEffects, DROPEFFECT_MOVE);
  else if (shift.Contains(TShiftStateItem::ssAlt))
    effect = Prefer(effect, allowedEffects, DROPEFFECT_LINK);
  return effect;
}

HRESULT TBaseTree::DragEnter(DWORD keyState, POINT pt, DWORD& effect) {
  TShiftState shift = DragKeysToShiftState(keyState);
  POINT client = pt;
  if (HandleAllocated()) ::ScreenToClient(Handle(), &client);
  ITreeDragManager* manager = nullptr;
  if (MakeDragManager(manager).Gone()) {
    effect = DROPEFFECT_NONE;
    return S_OK;
  }
  TBaseTree* source = manager->GetDragSource();
  effect = SuggestDropEffect(source, shift, client, effect);
  // The handler may free this tree, or the source tree (which the drag manager then no longer names).
  bool accepted = false;
  if (DoDragOver(source, shift, TDragState::dsDragEnter, client, lastDropMode_, effect, accepted).Gone()) {
    effect = DROPEFFECT_NONE;
    return S_OK;
  }
  TBaseTree* imageSource = OwnDragImageSource(dragManager_->GetDragSource());
  if (accepted) {
    // Finding the row and measuring it raise its handlers (OnInitNode, OnGetText), which may delete it, or free the
    // tree: the target is taken only while it lives.
    PTreeNode node = nullptr;
    if (NodeUnder(client, node, lastDropMode_, true).Gone()) {
      effect = DROPEFFECT_NONE;
      return S_OK;
    }
    // Painted before the image shows, so the image takes the marked row into its background.
    if (node && ChangeDropTarget(node, imageSource, false).Gone()) {
      effect = DROPEFFECT_NONE;
      return S_OK;
    }
  } else {
    effect = DROPEFFECT_NONE;
  }
  if (imageSource) imageSource->dragImage_->ShowDragImage();
  return S_OK;
}

HRESULT TBaseTree::DragOver(TObject* source, DWORD keyState, TDragState state, POINT pt, DWORD& effect) {
  TBaseTree* imageSource = OwnDragImageSource(source);
  // Scrolling the window's pixels would move a drag image drawn into them: under one the rows are repainted.
  const unsigned scrollOptions = imageSource
                                     ? static_cast<unsigned>(suoUpdateNCArea)
                                     : suoRepaintHeader | suoRepaintScrollBars | suoScrollClientArea | suoUpdateNCArea;
  POINT client = pt;
  if (HandleAllocated()) ::ScreenToClient(Handle(), &client);
  TScrollDirections directions = DetermineScrollDirections(client.x, client.y);
  int offsetX = offsetX_;
  TTreePosition offsetY = offsetY_;
  const int verticalStep = std::min<int>(scrollBarOptions_->VerticalIncrement(), ClientHeight());
  const int horizontalStep = scrollBarOptions_->HorizontalIncrement();
  if (directions.Contains(TScrollDirection::sdUp) && offsetY_ < 0) offsetY += verticalStep;
  if (directions.Contains(TScrollDirection::sdDown) && offsetY_ > ClientHeight() - VerticalRange())
    offsetY -= verticalStep;
  if (directions.Contains(TScrollDirection::sdLeft) && offsetX_ < 0) offsetX += horizontalStep;
  if (directions.Contains(TScrollDirection::sdRight) && offsetX_ > ClientWidth() - HorizontalRange())
    offsetX -= horizontalStep;
  // Scrolling raises OnScroll and brings rows into view, whose handlers may free the tree; finding and measuring the
  // row under the cursor raises its own, which may delete it.
  bool scrolled = false;
  if ((offsetX != offsetX_ || offsetY != offsetY_) &&
      DoSetOffsetXY(offsetX, offsetY, scrollOptions, nullptr, &scrolled).Gone()) {
    effect = DROPEFFECT_NONE;
    return S_OK;
  }

  TShiftState shift = DragKeysToShiftState(keyState);
  PTreeNode node = nullptr;
  TDropMode mode = TDropMode::dpNowhere;
  if (NodeUnder(client, node, mode, options_->PaintOptions().Contains(TTreePaintOption::toShowDropmark)).Gone()) {
    effect = DROPEFFECT_NONE;
    return S_OK;
  }
  const bool imageVisible = imageSource && imageSource->dragImage_->Visible();

  // Rows that moved under the cursor are repainted whole, whatever else changed. Painting raises the rows'
  // handlers, which may delete the target or free the tree.
  const TLifeWatch life = LifeWatch();
  const auto gone = [&] {
    if (!life.Ended()) return false;
    effect = DROPEFFECT_NONE;
    return true;
  };
  {
    const TNodeWatch target(*this, node);
    if (scrolled && imageSource && HandleAllocated() &&
        UpdateWindowAndDragImage(imageSource, ClientRect(), true, imageVisible).Gone() && gone())
      return S_OK;
    if (target.Ended()) node = nullptr;
  }
  if (node != dropTargetNode_) {
    lastDropMode_ = mode;
    if (ChangeDropTarget(node, imageSource, imageVisible).Gone() && gone()) return S_OK;
  } else if (mode != lastDropMode_) {
    lastDropMode_ = mode;
    if (RepaintDropRow(node, imageSource, imageVisible).Gone() && gone()) return S_OK;
  }
  // The screen the image read its new background from may not show yet what the window painted last (a window
  // that paints into a buffer of its own shows it later): over this tree the background is the tree's own picture.
  if (imageVisible && imageSource->dragImage_->DragTo(pt, false) && HandleAllocated() &&
      RecaptureUnderDragImage(imageSource, ClientRect(), false, true).Gone()) {
    effect = DROPEFFECT_NONE;
    return S_OK;
  }

  effect = SuggestDropEffect(source, shift, client, effect);
  bool accepted = false;
  if (DoDragOver(source, shift, state, client, lastDropMode_, effect, accepted).Gone()) {
    effect = DROPEFFECT_NONE;
    return S_OK;
  }
  if (!accepted) effect = DROPEFFECT_NONE;
  if (scrolled) effect |= DROPEFFECT_SCROLL;
  return S_OK;
}

TRaised TBaseTree::NodeUnder(POINT client, PTreeNode& node, TDropMode& mode, bool withDropMark) {
  mode = TDropMode::dpNowhere;
  const TLifeWatch life = LifeWatch();
  node = GetNodeAt(client.x, client.y);
  if (life.Ended()) return TRaised(false);
  if (!node) return TRaised(true);
  const TNodeWatch watch(*this, node);
  const RECT r = GetDisplayRect(node, NoColumn, false);
  if (watch.TreeGone()) return TRaised(false);
  if (watch.Ended()) {
    node = nullptr;
    return TRaised(true);
  }
  mode = DropModeAt(client.y, r, withDropMark);
  return TRaised(true);
}

TRaised TBaseTree::AutoExpandDropTarget() {
  StopTimer(ExpandTimer);
  PTreeNode node = dropTargetNode_;
  if (!node || !node->Has(nsHasChildren) || node->Has(nsExpanded)) return TRaised(true);
  TBaseTree* imageSource = OwnDragImageSource(dragManager_ ? dragManager_->GetDragSource() : nullptr);
  const bool wasVisible = imageSource && imageSource->dragImage_->Visible();
  if (wasVisible) imageSource->dragImage_->HideDragImage();
  // The handlers of the opening may free this tree, or the tree the drag image belongs to.
  const TLifeWatch sourceLife = imageSource ? imageSource->LifeWatch() : TLifeWatch();
  if (ToggleNode(node).TreeGone()) return TRaised(false);
  if (HandleAllocated()) UpdateWindow(Handle());
  if (wasVisible && !sourceLife.Ended()) imageSource->dragImage_->ShowDragImage();
  return TRaised(true);
}

TRaised TBaseTree::DragLeave() {
  StopTimer(ExpandTimer);
  TBaseTree* imageSource = OwnDragImageSource(dragManager_ ? dragManager_->GetDragSource() : nullptr);
  // The mark goes while the image still lies over it, so that the background the image puts back holds no mark.
  PTreeNode old = dropTargetNode_;
  dropTargetNode_ = nullptr;
  // Painting raises the rows' handlers, which may free the tree, or the tree whose image shows.
  const TLifeWatch life = LifeWatch();
  const TLifeWatch imageLife = imageSource ? imageSource->LifeWatch() : TLifeWatch();
  if (RepaintDropRow(old, imageSource, false).Gone()) return TRaised(false);
  if (imageSource && !imageLife.Ended()) imageSource->dragImage_->HideDragImage();
  if (HandleAllocated()) UpdateWindow(Handle());
  if (life.Ended()) return TRaised(false);
  DWORD effect = DROPEFFECT_NONE;
  bool accepted = false;
  return DoDragOver(nullptr, TShiftState(), TDragState::dsDragLeave, POINT{0, 0}, lastDropMode_, effect, accepted);
}

HRESULT TBaseTree::DragDrop(IDataObject* dataObject, DWORD keyState, POINT pt, DWORD& effect) {
  StopTimer(ExpandTimer);
  StopTimer(ScrollTimer);
  DoStateChange({}, {TTreeState::stScrollPending, TTreeState::stScrolling});
  // OnDragOver, OnDragDrop, and the moves and copies it makes, may free this tree or the source tree: the drop is
  // over with this tree, and goes on without the source.
  const TLifeWatch life = LifeWatch();
  HRESULT result =
      DragOver(dragManager_ ? dragManager_->GetDragSource() : nullptr, keyState, TDragState::dsDragMove, pt, effect);
  if (life.Ended()) {
    effect = DROPEFFECT_NONE;
    return E_FAIL;
  }
  TBaseTree* source = dragManager_ ? dragManager_->GetDragSource() : nullptr;
  if (FAILED(result) || (effect & ~DROPEFFECT_SCROLL) == DROPEFFECT_NONE) {
    effect = DROPEFFECT_NONE;
    SetDropTarget(nullptr, lastDropMode_);
    return E_FAIL;
  }
  // The drag is over: the image goes before the handler changes what lies under it.
  if (TBaseTree* imageSource = OwnDragImageSource(source)) imageSource->dragImage_->HideDragImage();
  TShiftState shift = DragKeysToShiftState(keyState);
  POINT client = pt;
  if (HandleAllocated()) ::ScreenToClient(Handle(), &client);
  try {
    Microsoft::WRL::ComPtr<IEnumFORMATETC> enumerator;
    HRESULT listed = dataObject ? dataObject->EnumFormatEtc(DATADIR_GET, &enumerator) : E_INVALIDARG;
    if (FAILED(listed) || !enumerator) {
      effect = DROPEFFECT_NONE;
      result = FAILED(listed) ? listed : E_FAIL;
    } else {
      TFormatArray formats;
      ForEachListedFormat(*enumerator.Get(), [&formats](const FORMATETC& format) {
        formats.push_back(format.cfFormat);
        return true;
      });
      if (DoDragDrop(source, dataObject, formats, shift, client, effect, lastDropMode_).Gone()) return result;
    }
  } catch (...) {
    if (!life.Ended()) SetDropTarget(nullptr, lastDropMode_);
    throw;
  }
  if (!life.Ended()) SetDropTarget(nullptr, lastDropMode_);
  return result;
}

TRaised TBaseTree::UpdateWindowAndDragImage(TBaseTree* tree, RECT treeRect, bool updateNCArea, bool reshowDragImage) {
  if (!tree || !HandleAllocated()) return TRaised(true);
  RECT client = ClientRect(), dirty{};
  if (!IntersectRect(&dirty, &treeRect, &client)) return TRaised(true);
  // The paint raises the rows' handlers, which may free this tree or the tree whose image shows.
  const TLifeWatch life = LifeWatch(), imageLife = tree->LifeWatch();
  // The window paints all of it, under the image too: what a window keeps is its own, apart from what is drawn on
  // the screen over it, and a part left out would keep an old drop mark for a later scroll to copy around. The
  // image's saved background then takes the same picture, and the image is drawn over it again.
  if (updateNCArea)
    RedrawWindow(Handle(), nullptr, nullptr, WindowRedrawFlags);
  else
    RedrawWindow(Handle(), &dirty, nullptr, ClientRedrawFlags);
  if (life.Ended()) return TRaised(false);
  if (imageLife.Ended()) return TRaised(true);
  return RecaptureUnderDragImage(tree, dirty, updateNCArea, reshowDragImage);
}

TRaised TBaseTree::RecaptureUnderDragImage(TBaseTree* tree, const RECT& dirty, bool updateNCArea,
                                           bool reshowDragImage) {
  // The image paints this tree's window afresh: the rows' handlers may free it.
  const TLifeWatch life = LifeWatch();
  POINT origin{0, 0};
  ::ClientToScreen(Handle(), &origin);
  // The part of the window the screen shows, in client coordinates: the recapture paints nothing hidden.
  HRGN visible = CreateRectRgn(0, 0, 0, 0);
  HDC dc = GetDC(Handle());
  const bool hasVisible = GetRandomRgn(dc, visible, SYSRGN) == 1;
  ReleaseDC(Handle(), dc);
  OffsetRgn(visible, -origin.x, -origin.y);
  tree->dragImage_->RecaptureBackground(this, dirty, hasVisible ? visible : nullptr, updateNCArea, reshowDragImage);
  DeleteObject(visible);
  return TRaised(!life.Ended());
}

}  // namespace tree

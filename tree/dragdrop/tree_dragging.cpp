// The tree as an OLE drag source: the drag manager, the system's drag loop over the selected nodes, the picture of
// the dragged nodes, and the end of a drag of the control.
#include <utility>

#include "framework/bitmap.h"
#include "framework/drag.h"
#include "tree/base_tree.h"
#include "tree/tree_drag_image.h"
#include "tree/tree_drag_manager.h"

namespace tree {

namespace {

DWORD AllowedEffects(TDragOperations operations) {
  if (operations.Empty()) return DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  DWORD effects = DROPEFFECT_NONE;
  if (operations.Contains(TDragOperation::doCopy)) effects |= DROPEFFECT_COPY;
  if (operations.Contains(TDragOperation::doMove)) effects |= DROPEFFECT_MOVE;
  if (operations.Contains(TDragOperation::doLink)) effects |= DROPEFFECT_LINK;
  return effects;
}

}  // namespace

ITreeDragManager* TBaseTree::GetDragManager() {
  ITreeDragManager* manager = nullptr;
  if (MakeDragManager(manager).Gone()) return nullptr;
  return manager;
}

TRaised TBaseTree::MakeDragManager(ITreeDragManager*& manager) {
  manager = dragManager_.Get();
  if (manager) return TRaised(true);
  // OnCreateDragManager may free the tree: the manager it made goes with it.
  ITreeDragManager* made = nullptr;
  if (DoCreateDragManager(made).Gone()) {
    if (made) made->Release();
    return TRaised(false);
  }
  *dragManager_.ReleaseAndGetAddressOf() = made;
  if (!dragManager_) dragManager_ = new TTreeDragManager(this);
  manager = dragManager_.Get();
  return TRaised(true);
}

bool TBaseTree::CanShowDragImage() { return dragImageKind_ != TDragImageKind::diNoImage; }

TRaised TBaseTree::DoDragging(POINT p) {
  if (states_.Contains(TTreeState::stOleDragging)) return TRaised(true);
  if (CancelEditing().Gone()) return TRaised(false);
  ITreeDragManager* manager = nullptr;
  if (MakeDragManager(manager).Gone()) return TRaised(false);
  // The hot row's OnHotChange, the focused row's OnChange as it joins the selection, and the paint of the rows (which
  // may initialize them) raise handlers that may free the tree, or the focused row.
  const TLifeWatch life = LifeWatch();
  if (hotNode_) {
    InvalidateNode(hotNode_);
    if (life.Ended()) return TRaised(false);
    if (SetHotNode(nullptr).Gone()) return TRaised(false);
  }
  if (PTreeNode focused = focusedNode_; focused && !focused->Has(nsSelected)) {
    const TNodeWatch watch(*this, focused);
    if (AddToSelection(focused).TreeGone()) return TRaised(false);
    if (!watch.Ended()) InvalidateNode(focused);
    if (life.Ended()) return TRaised(false);
  }
  if (HandleAllocated()) UpdateWindow(Handle());
  if (life.Ended()) return TRaised(false);
  dragSelection_ = GetSortedSelection(true);
  DoStateChange({TTreeState::stOleDragging}, {TTreeState::stOleDragPending});

  // However the drag ends, the tree leaves the dragging state and forgets the dragged nodes; a drop whose handlers
  // freed the tree ended the drag with it.
  struct TDragEnd {
    TBaseTree* Tree;
    TLifeWatch Life;
    ~TDragEnd() {
      if (Life.Ended()) return;
      Tree->dragImage_->EndDrag();
      Tree->DoStateChange({}, {TTreeState::stOleDragging});
      Tree->dragSelection_.clear();
    }
  } dragEnd{this, life};

  TDragObject* object = nullptr;
  const TRaised started = DoStartDrag(object);
  delete object;
  if (started.Gone()) return TRaised(false);
  Microsoft::WRL::ComPtr<IDataObject> dataObject;
  *dataObject.ReleaseAndGetAddressOf() = manager->GetDataObject();
  if (life.Ended()) return TRaised(false);
  Microsoft::WRL::ComPtr<IDropSource> dropSource;
  manager->QueryInterface(IID_PPV_ARGS(&dropSource));
  if (dataObject && CanShowDragImage() && PrepareDragImage(p, dataObject.Get()).Gone()) return TRaised(false);
  lastDropMode_ = TDropMode::dpOnNode;
  DWORD effect = DROPEFFECT_NONE;
  if (dataObject && dropSource)
    ::DoDragDrop(dataObject.Get(), dropSource.Get(), AllowedEffects(dragOperations_), &effect);
  if (life.Ended()) return TRaised(false);

  POINT cursor{};
  GetCursorPos(&cursor);
  if (HandleAllocated()) ::ScreenToClient(Handle(), &cursor);
  if (DoEndDrag(nullptr, cursor.x, cursor.y).Gone()) return TRaised(false);
  dragImage_->EndDrag();
  // A drop target that moved the nodes itself (an optimized move) took them out of the drag selection.
  if (effect == DROPEFFECT_MOVE && options_->AutoOptions().Contains(TTreeAutoOption::toAutoDeleteMovedNodes) &&
      !dragSelection_.empty()) {
    return BulkWork(TTreeStates{}, [this] {
      // The last first, passing over the nodes a handler of a deletion deletes with it; taken off the drag
      // selection at once, so that no deletion looks for its node there.
      TWatchedNodes moved(*this);
      for (PTreeNode node : std::exchange(dragSelection_, {})) moved.Add(node);
      for (std::size_t i = moved.Size(); i-- > 0;)
        if (!moved.Freed(i) && DeleteNode(moved.Node(i)).Gone()) return false;
      return true;
    });
  }
  return TRaised(true);
}

TRaised TBaseTree::DoEndDrag(TObject* target, int x, int y) {
  if (inherited::DoEndDrag(target, x, y).Gone()) return TRaised(false);
  DoStateChange({}, {TTreeState::stFrameworkDragPending});
  // The drag loop kept the release of the button from the tree: its mouse handling gets it now.
  UINT release = WM_LBUTTONUP;
  if (states_.Contains(TTreeState::stRightButtonDown))
    release = WM_RBUTTONUP;
  else if (states_.Contains(TTreeState::stMiddleButtonDown))
    release = WM_MBUTTONUP;
  if (HandleAllocated()) {
    POINT cursor{};
    GetCursorPos(&cursor);
    ::ScreenToClient(Handle(), &cursor);
    const TLifeWatch life = LifeWatch();
    Perform(release, 0, PointToLParam(cursor));
    if (life.Ended()) return TRaised(false);
  }
  DoStateChange({}, {TTreeState::stLeftButtonDown, TTreeState::stMiddleButtonDown, TTreeState::stRightButtonDown});
  return TRaised(true);
}

TRaised TBaseTree::PrepareDragImage(POINT hotSpot, IDataObject* dataObject) {
  if (!CanShowDragImage() || !HandleAllocated()) return TRaised(true);
  // The picture is a DragWidth x DragHeight area of the tree around the hot spot, cut off at the tree's origin.
  // In the 32-bit tree coordinates PaintTree takes.
  POINT centre{hotSpot.x - offsetX_, static_cast<LONG>(hotSpot.y - offsetY_)};
  RECT area{centre.x - dragWidth_ / 2, centre.y - dragHeight_ / 2, 0, 0};
  area.right = area.left + dragWidth_;
  area.bottom = area.top + dragHeight_;
  if (area.left < 0) area.left = 0;
  if (area.top < 0) area.top = 0;
  if (area.right <= area.left || area.bottom <= area.top) return TRaised(true);
  TBitmap picture;
  picture.SetPixelFormat(TPixelFormat::pf32bit);
  picture.SetSize(area.right - area.left, area.bottom - area.top);
  HDC dc = picture.Canvas()->Handle();
  RECT all{0, 0, picture.Width(), picture.Height()};
  SetDCBrushColor(dc, ColorToRGB(Color()));
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  TTreePaintFlags flags{TTreePaintFlag::tpSelection, TTreePaintFlag::tpSelectedOnly};
  if (dragImageKind_ == TDragImageKind::diMainColumnOnly) flags += TTreePaintFlag::tpMainColumnOnly;
  if (PaintTree(picture.Canvas(), area, POINT{0, 0}, flags).Gone()) return TRaised(false);
  dragImage_->SetColorKey(Color());
  POINT position{area.left + offsetX_, static_cast<LONG>(area.top + offsetY_)};
  ::ClientToScreen(Handle(), &position);
  POINT hot = hotSpot;
  ::ClientToScreen(Handle(), &hot);
  dragImage_->PrepareDrag(picture, position, hot, dataObject);
  return TRaised(true);
}

}  // namespace tree

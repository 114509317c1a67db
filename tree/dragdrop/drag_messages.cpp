// The window's part in dragging: registration as OLE drop target while the window lives, and the framework's own
// drag between controls, which the tree answers through its OLE drop-target handling.
#include "framework/drag.h"
#include "framework/messages.h"
#include "tree/base_tree.h"
#include "tree/tree_drag_manager.h"

namespace tree {

namespace {

// The key flags of the framework's drag, which carries no key state of its own.
DWORD CurrentDragKeys() {
  DWORD keys = 0;
  if (GetKeyState(VK_SHIFT) < 0) keys |= MK_SHIFT;
  if (GetKeyState(VK_CONTROL) < 0) keys |= MK_CONTROL;
  return keys;
}

}  // namespace

TRaised TBaseTree::SetDropTargetRegistered(bool value) {
  if (!HandleAllocated() || value == dropTargetRegistered_) return TRaised(true);
  if (!value) {
    RevokeDropTarget();
    return TRaised(true);
  }
  Microsoft::WRL::ComPtr<IDropTarget> target;
  ITreeDragManager* manager = nullptr;
  if (MakeDragManager(manager).Gone()) return TRaised(false);
  if (SUCCEEDED(manager->QueryInterface(IID_PPV_ARGS(&target))))
    dropTargetRegistered_ = RegisterDragDrop(Handle(), target.Get()) == S_OK;
  return TRaised(true);
}

void TBaseTree::RevokeDropTarget() {
  if (!HandleAllocated() || !dropTargetRegistered_) return;
  RevokeDragDrop(Handle());
  dropTargetRegistered_ = false;
}

bool TBaseTree::HandleDragDropMessage(TMessage& message) {
  switch (message.Msg) {
    case WM_NCDESTROY:
      // The registration holds the drag manager: it must not outlive the window.
      if (dropTargetRegistered_) RevokeDragDrop(WindowHandle());
      dropTargetRegistered_ = false;
      return false;
    case CM_DRAG:
      FrameworkDrag(message);
      return true;
    default:
      return false;
  }
}

void TBaseTree::FrameworkDrag(TMessage& message) {
  auto* rec = reinterpret_cast<TDragRec*>(message.LParam);
  auto kind = static_cast<TDragMessage>(message.WParam);
  if (rec->Docking || kind == TDragMessage::dmFindTarget || kind == TDragMessage::dmDragCancel) {
    inherited::Dispatch(message);
    return;
  }
  TObject* source = rec->Source;
  if (auto* controlObject = ObjectAs<TDragControlObject>(rec->Source)) source = controlObject->Control();
  const DWORD keys = CurrentDragKeys();
  POINT client = ScreenToClient(rec->Pos);
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  // Every step raises handlers (OnDragOver, the rows' own while they are found and painted, OnDragDrop) that may
  // free the tree: the step ends there, and the drag takes nothing.
  const TLifeWatch life = LifeWatch();
  const auto gone = [&] {
    if (!life.Ended()) return false;
    message.Result = 0;
    return true;
  };
  switch (kind) {
    case TDragMessage::dmDragEnter:
      DoStateChange({TTreeState::stFrameworkDragging});
      DragOver(source, keys, TDragState::dsDragEnter, rec->Pos, effect);
      if (gone()) return;
      break;
    case TDragMessage::dmDragMove:
      if (CanAutoScroll()) DoAutoScroll(client.x, client.y);
      DragOver(source, keys, TDragState::dsDragMove, rec->Pos, effect);
      if (gone()) return;
      break;
    case TDragMessage::dmDragLeave:
      DragOver(source, keys, TDragState::dsDragLeave, rec->Pos, effect);
      if (gone()) return;
      DoStateChange({}, {TTreeState::stFrameworkDragging});
      StopTimer(ExpandTimer);
      SetDropTarget(nullptr, LastDropMode());
      break;
    case TDragMessage::dmDragDrop: {
      // The leave that comes before every drop forgot the target: the drop finds it again.
      DragOver(source, keys, TDragState::dsDragMove, rec->Pos, effect);
      if (gone()) return;
      if (PTreeNode target = DropTargetNode()) InvalidateNode(target);
      TShiftState shift;
      if (keys & MK_SHIFT) shift += TShiftStateItem::ssShift;
      if (keys & MK_CONTROL) shift += TShiftStateItem::ssCtrl;
      if (DoDragDrop(source, nullptr, TFormatArray(), shift, client, effect, LastDropMode()).Gone()) {
        message.Result = 0;
        return;
      }
      SetDropTarget(nullptr, LastDropMode());
      break;
    }
    default:
      break;
  }
  // The framework's drag asks each step (the leave before a drop included) whether the tree takes it.
  message.Result = (effect & ~DROPEFFECT_SCROLL) != DROPEFFECT_NONE ? 1 : 0;
}

}  // namespace tree

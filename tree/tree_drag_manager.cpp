#include "tree/tree_drag_manager.h"

#include "framework/com_guard.h"
#include "tree/base_tree.h"
#include "tree/tree_data_object.h"

namespace tree {

TTreeDragManager::TTreeDragManager(TBaseTree* owner)
    : owner_(owner), ownerLife_(owner ? owner->LifeWatch() : TLifeWatch()) {
  // The service is optional: without it the tree draws its own drag image.
  if (FAILED(CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dropTargetHelper_))))
    dropTargetHelper_.Reset();
}

TBaseTree* TTreeDragManager::Tree() const { return ownerLife_.Ended() ? nullptr : owner_; }

IDataObject* STDMETHODCALLTYPE TTreeDragManager::GetDataObject() {
  if (dataObject_) {
    dataObject_->AddRef();
    return dataObject_.Get();
  }
  TBaseTree* tree = Tree();
  if (!tree) return nullptr;
  IDataObject* result = nullptr;
  try {
    // A handler that frees the tree leaves nothing to take the data from.
    if (tree->DoCreateDataObject(result).Gone()) return result;
    if (!result) {
      Microsoft::WRL::ComPtr<IDataObject> created = new TTreeDataObject(tree, false);
      result = created.Detach();
    }
  } catch (...) {
    // Nothing may leave a COM method: no data object then.
  }
  return result;
}

HRESULT STDMETHODCALLTYPE TTreeDragManager::DragEnter(IDataObject* dataObject, DWORD keyState, POINTL point,
                                                      DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  return ComGuard([&]() -> HRESULT {
    TBaseTree* tree = Tree();
    if (!tree) return E_UNEXPECTED;
    dataObject_ = dataObject;
    isDropTarget_ = true;
    POINT p{point.x, point.y};
    if (dropTargetHelper_ && tree->HandleAllocated())
      dropTargetHelper_->DragEnter(tree->Handle(), dataObject, &p, *effect);
    dragSource_ = FindReferencedTree(dataObject);
    dragSourceLife_ = dragSource_ ? dragSource_->LifeWatch() : TLifeWatch();
    return tree->DragEnter(keyState, p, *effect);
  });
}

HRESULT STDMETHODCALLTYPE TTreeDragManager::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  return ComGuard([&]() -> HRESULT {
    TBaseTree* tree = Tree();
    if (!tree) return E_UNEXPECTED;
    POINT p{point.x, point.y};
    if (dropTargetHelper_) dropTargetHelper_->DragOver(&p, *effect);
    return tree->DragOver(GetDragSource(), keyState, TDragState::dsDragMove, p, *effect);
  });
}

HRESULT STDMETHODCALLTYPE TTreeDragManager::DragLeave() {
  return ComGuard([&] {
    if (dropTargetHelper_) dropTargetHelper_->DragLeave();
    // The leave's handlers may free the tree; the manager, which the caller holds, forgets the drag all the same.
    const TRaised left = Tree() ? Tree()->DragLeave() : TRaised(true);
    dragSource_ = nullptr;
    isDropTarget_ = false;
    dataObject_.Reset();
    return left;
  });
}

HRESULT STDMETHODCALLTYPE TTreeDragManager::Drop(IDataObject* dataObject, DWORD keyState, POINTL point, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  HRESULT result = ComGuard([&]() -> HRESULT {
    TBaseTree* tree = Tree();
    if (!tree) return E_UNEXPECTED;
    POINT p{point.x, point.y};
    if (dropTargetHelper_) dropTargetHelper_->Drop(dataObject, &p, *effect);
    return tree->DragDrop(dataObject, keyState, p, *effect);
  });
  isDropTarget_ = false;
  dragSource_ = nullptr;
  dataObject_.Reset();
  return result;
}

HRESULT STDMETHODCALLTYPE TTreeDragManager::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
  bool left = (keyState & MK_LBUTTON) != 0, right = (keyState & MK_RBUTTON) != 0;
  if (escapePressed || (left && right)) return DRAGDROP_S_CANCEL;
  if (left || right) return S_OK;
  return DRAGDROP_S_DROP;
}

HRESULT STDMETHODCALLTYPE TTreeDragManager::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

}  // namespace tree

// A tree's part in OLE drag and drop, as drop source and drop target: everything is forwarded to the tree, and the
// shell's drag-image service is told about an incoming drag when it exists.
#pragma once

#include <objidl.h>
#include <oleidl.h>
#include <shlobj.h>
#include <windows.h>
#include <wrl/client.h>

#include "framework/com_object.h"
#include "framework/life_token.h"

namespace tree {

class TBaseTree;

// What a tree asks of its drag manager.
MIDL_INTERFACE("C4B25559-14DA-446B-8904-12C7A6C2D4C6") ITreeDragManager : public IUnknown {
  // A new reference: the data object of the incoming drag, or a new one for an outgoing drag.
  virtual IDataObject* STDMETHODCALLTYPE GetDataObject() = 0;
  // The source tree of the incoming drag when it lives in this process, else null.
  virtual TBaseTree* STDMETHODCALLTYPE GetDragSource() = 0;
  virtual bool STDMETHODCALLTYPE GetDropTargetHelperSupported() = 0;
  virtual bool STDMETHODCALLTYPE GetIsDropTarget() = 0;
};

class TTreeDragManager : public TComObject<ITreeDragManager, IDropSource, IDropTarget> {
 public:
  explicit TTreeDragManager(TBaseTree* owner);

  IDataObject* STDMETHODCALLTYPE GetDataObject() override;
  TBaseTree* STDMETHODCALLTYPE GetDragSource() override { return dragSourceLife_.Ended() ? nullptr : dragSource_; }
  bool STDMETHODCALLTYPE GetDropTargetHelperSupported() override { return dropTargetHelper_ != nullptr; }
  bool STDMETHODCALLTYPE GetIsDropTarget() override { return isDropTarget_; }

  // IDropTarget
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* dataObject, DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* dataObject, DWORD keyState, POINTL point, DWORD* effect) override;
  // IDropSource
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

 private:
  // The tree while it lives; calls that need it fail once it is gone.
  TBaseTree* Tree() const;

  TBaseTree* owner_;
  TLifeWatch ownerLife_;
  // A handler of the drag (of this tree or the source) may free the source tree.
  TBaseTree* dragSource_ = nullptr;
  TLifeWatch dragSourceLife_;
  bool isDropTarget_ = false;
  Microsoft::WRL::ComPtr<IDataObject> dataObject_;
  Microsoft::WRL::ComPtr<IDropTargetHelper> dropTargetHelper_;
};

}  // namespace tree

#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(tree::ITreeDragManager, 0xc4b25559, 0x14da, 0x446b, 0x89, 0x04, 0x12, 0xc7, 0xa6, 0xc2, 0xd4, 0xc6)
#endif

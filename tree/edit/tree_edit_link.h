// What a tree asks of an in-place editor. The tree holds one reference to the link of the running edit and talks to
// the editor only through it, so an application may bring its own editor through OnCreateEditor.
#pragma once

#include <unknwn.h>
#include <windows.h>

#include "tree/tree_events.h"

namespace tree {

// Posted to the tree after an edit ends: the link is let go from outside its own calls.
constexpr UINT WM_RELEASE_EDIT_LINK = WM_APP + 31;

MIDL_INTERFACE("F25DD93D-F99A-4F21-9E3F-B4251048B134") ITreeEditLink : public IUnknown {
  // Shows the editor; false when it cannot run.
  virtual bool STDMETHODCALLTYPE BeginEdit() = 0;
  // Discards the editor's text; false when the edit was no longer running.
  virtual bool STDMETHODCALLTYPE CancelEdit() = 0;
  // Accepts the editor's text; false refuses to end.
  virtual bool STDMETHODCALLTYPE EndEdit() = 0;
  // Takes the node and column to edit; false when this link cannot edit them.
  virtual bool STDMETHODCALLTYPE PrepareEdit(TBaseTree* tree, PTreeNode node, TColumnIndex column) = 0;
  // The editor's place in the tree's client coordinates.
  virtual RECT STDMETHODCALLTYPE GetBounds() = 0;
  virtual void STDMETHODCALLTYPE ProcessMessage(TMessage& message) = 0;
  // Moves the editor, whose handlers may free it: whether it outlived them.
  virtual TRaised STDMETHODCALLTYPE SetBounds(RECT r) = 0;
};

}  // namespace tree

#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(tree::ITreeEditLink, 0xf25dd93d, 0xf99a, 0x4f21, 0x9e, 0x3f, 0xb4, 0x25, 0x10, 0x48, 0xb1, 0x34)
#endif

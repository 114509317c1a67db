// TStringEditLink: the string tree's default editor link. It owns a TTreeEdit laid over the node's text, fills it
// from the tree's text information and hands a changed text back through the tree's DoNewText.
#pragma once

#include <memory>

#include "framework/alignment.h"
#include "framework/com_object.h"
#include "framework/life_token.h"
#include "tree/edit/tree_edit_link.h"

namespace tree {

class TCustomStringTree;
class TTreeEdit;

class TStringEditLink : public TComObject<ITreeEditLink> {
 public:
  TStringEditLink();

  bool STDMETHODCALLTYPE BeginEdit() override;
  bool STDMETHODCALLTYPE CancelEdit() override;
  bool STDMETHODCALLTYPE EndEdit() override;
  bool STDMETHODCALLTYPE PrepareEdit(TBaseTree* tree, PTreeNode node, TColumnIndex column) override;
  RECT STDMETHODCALLTYPE GetBounds() override;
  void STDMETHODCALLTYPE ProcessMessage(TMessage& message) override;
  // At least 30 pixels wide and within the tree's client width; the text keeps the tree's text line.
  TRaised STDMETHODCALLTYPE SetBounds(RECT r) override;

  // Null once the tree (which deletes its child controls) has deleted it.
  TTreeEdit* Edit() const { return edit_.get(); }
  // Null before PrepareEdit and once the tree is gone.
  TCustomStringTree* Tree() const;
  PTreeNode Node() const { return node_; }
  TColumnIndex Column() const { return column_; }
  TAlignment Alignment() const { return alignment_; }
  // The text rectangle of the tree's cell, in the tree's client coordinates.
  RECT TextBounds() const { return textBounds_; }
  // The edit is over: every further end or cancel does nothing.
  bool Stopped() const { return stopped_; }
  // The edit's text differs from the one it started with. The control's own modified flag is not enough: it is
  // also set by a paste the control refused, or by one that put back the same text.
  bool TextChanged() const;

 protected:
  ~TStringEditLink() override;

 private:
  friend class TTreeEdit;
  // The edit's destructor lets go of it here when its parent tree deletes it first.
  void ForgetEdit() { static_cast<void>(edit_.release()); }

  std::unique_ptr<TTreeEdit> edit_;
  TCustomStringTree* tree_ = nullptr;
  TLifeWatch treeLife_;
  PTreeNode node_ = nullptr;
  TColumnIndex column_ = NoColumn;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  RECT textBounds_{};
  String startText_;
  bool stopped_ = false;
};

}  // namespace tree

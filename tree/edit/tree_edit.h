// TTreeEdit: the edit control of the string tree's in-place editor. A multi-line edit (so that its formatting
// rectangle can follow the tree's text line) that ends the edit on Enter, leaves Escape to the tree, grows with
// its text, and ends the edit when it loses the focus or its window goes.
#pragma once

#include "framework/edit.h"

namespace tree {

class TStringEditLink;

class TTreeEdit : public TCustomEdit {
  BC_CLASS(TTreeEdit, TCustomEdit)
  // Made and owned by link, without owner component.
  explicit TTreeEdit(TStringEditLink* link);
  ~TTreeEdit() override;

  TStringEditLink* Link() const { return link_; }
  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  friend class TStringEditLink;

  // Width of the text plus the tree's text margins, through the link's bounds rules.
  TRaised AutoAdjustSize();
  // The link while its edit runs, else null.
  TStringEditLink* RunningLink() const;
  void WMKeyDown(TMessage& message);
  void WMKillFocus(TMessage& message);
  void WMDestroy(TMessage& message);

  TStringEditLink* link_;
};

}  // namespace tree

// The fourteen colours of a tree (selection, lines, drop marks, borders), owned by the tree and stored with it.
#pragma once

#include "framework/component.h"
#include "framework/graphics.h"

namespace tree {

class TBaseTree;

class TTreeColors : public TPersistent {
  BC_CLASS(TTreeColors, TPersistent)
  enum TColorIndex {
    DisabledColorIndex,
    DropMarkColorIndex,
    DropTargetColorIndex,
    FocusedSelectionColorIndex,
    GridLineColorIndex,
    TreeLineColorIndex,
    UnfocusedSelectionColorIndex,
    BorderColorIndex,
    HotColorIndex,
    FocusedSelectionBorderColorIndex,
    UnfocusedSelectionBorderColorIndex,
    DropTargetBorderColorIndex,
    SelectionRectangleBlendColorIndex,
    SelectionRectangleBorderColorIndex,
    ColorCount
  };

  explicit TTreeColors(TBaseTree* owner = nullptr);

  TColor Color(TColorIndex index) const { return colors_[index]; }
  void SetColor(TColorIndex index, TColor value);

  TColor DisabledColor() const { return colors_[DisabledColorIndex]; }
  TColor DropMarkColor() const { return colors_[DropMarkColorIndex]; }
  TColor DropTargetColor() const { return colors_[DropTargetColorIndex]; }
  TColor FocusedSelectionColor() const { return colors_[FocusedSelectionColorIndex]; }
  TColor GridLineColor() const { return colors_[GridLineColorIndex]; }
  TColor TreeLineColor() const { return colors_[TreeLineColorIndex]; }
  TColor UnfocusedSelectionColor() const { return colors_[UnfocusedSelectionColorIndex]; }
  TColor BorderColor() const { return colors_[BorderColorIndex]; }
  TColor HotColor() const { return colors_[HotColorIndex]; }
  TColor FocusedSelectionBorderColor() const { return colors_[FocusedSelectionBorderColorIndex]; }
  TColor UnfocusedSelectionBorderColor() const { return colors_[UnfocusedSelectionBorderColorIndex]; }
  TColor DropTargetBorderColor() const { return colors_[DropTargetBorderColorIndex]; }
  TColor SelectionRectangleBlendColor() const { return colors_[SelectionRectangleBlendColorIndex]; }
  TColor SelectionRectangleBorderColor() const { return colors_[SelectionRectangleBorderColorIndex]; }

  void Assign(const TPersistent* source) override;
  TPersistent* GetOwner() const override;
  const TPublishedTable& PublishedTable() const override;

 private:
  TBaseTree* owner_;
  TColor colors_[ColorCount];
};

}  // namespace tree

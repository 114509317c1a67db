// TCustomDrawTree: the owner-drawn tree. It has no text of its own: the application paints each cell's content
// (OnDrawNodeContent), reports its width (OnMeasureNodeWidth) and may size and draw the node hints itself.
// TDrawTree publishes the properties and events.
#pragma once

#include <memory>

#include "tree/base_tree.h"

namespace tree {

class TMeasureCanvas;

using TTreeDrawNodeEvent = TDelegate<void(TBaseTree* Sender, const TNodePaintInfo& PaintInfo)>;
using TTreeGetNodeWidthEvent =
    TDelegate<void(TBaseTree* Sender, TCanvas* Canvas, PTreeNode Node, TColumnIndex Column, int& NodeWidth)>;
using TTreeGetHintSizeEvent = TDelegate<void(TBaseTree* Sender, PTreeNode Node, TColumnIndex Column, RECT& R)>;
using TTreeDrawHintEvent =
    TDelegate<void(TBaseTree* Sender, TCanvas* Canvas, PTreeNode Node, const RECT& R, TColumnIndex Column)>;

class TCustomDrawTree : public TBaseTree {
  BC_CLASS(TCustomDrawTree, TBaseTree)
  explicit TCustomDrawTree(TComponent* owner);
  ~TCustomDrawTree() override;

  TTreeDrawNodeEvent OnDrawNodeContent;
  TTreeGetNodeWidthEvent OnMeasureNodeWidth;
  TTreeGetHintSizeEvent OnGetHintSize;
  TTreeDrawHintEvent OnDrawHintContent;

 protected:
  // 2 x TextMargin unless OnMeasureNodeWidth says otherwise.
  TNodeRaised GetNodeWidth(PTreeNode node, TColumnIndex column, int& width) override;
  TNodeRaised DoPaintNode(TNodePaintInfo& paintInfo) override;
  // The hint window asks these for a node's hint of a draw tree.
  virtual TNodeRaised DoGetHintSize(PTreeNode node, TColumnIndex column, RECT& r);
  virtual TNodeRaised DoDrawHint(TCanvas* canvas, PTreeNode node, const RECT& r, TColumnIndex column);

 private:
  friend class TTreeHintWindow;

  std::unique_ptr<TMeasureCanvas> measureCanvas_;
};

class TDrawTree : public TCustomDrawTree {
  BC_CLASS(TDrawTree, TCustomDrawTree)
  explicit TDrawTree(TComponent* owner) : TCustomDrawTree(owner) {}
  const TPublishedTable& PublishedTable() const override;
};

}  // namespace tree

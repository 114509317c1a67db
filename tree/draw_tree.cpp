#include "tree/draw_tree.h"

#include "framework/properties.h"
#include "tree/paint/measure_canvas.h"
#include "tree/published_tree.h"

namespace tree {

TCustomDrawTree::TCustomDrawTree(TComponent* owner)
    : TBaseTree(owner), measureCanvas_(std::make_unique<TMeasureCanvas>()) {}

TCustomDrawTree::~TCustomDrawTree() = default;

TNodeRaised TCustomDrawTree::GetNodeWidth(PTreeNode node, TColumnIndex column, int& width) {
  width = 2 * TextMargin();
  if (!OnMeasureNodeWidth) return TNodeRaised(true, true);
  TakeFont(measureCanvas_->Font(), Font());
  return RaiseNodeEvent(node, OnMeasureNodeWidth, this, measureCanvas_.get(), node, column, width);
}

TNodeRaised TCustomDrawTree::DoPaintNode(TNodePaintInfo& paintInfo) {
  return RaiseNodeEvent(paintInfo.Node, OnDrawNodeContent, this, paintInfo);
}

TNodeRaised TCustomDrawTree::DoGetHintSize(PTreeNode node, TColumnIndex column, RECT& r) {
  return RaiseNodeEvent(node, OnGetHintSize, this, node, column, r);
}

TNodeRaised TCustomDrawTree::DoDrawHint(TCanvas* canvas, PTreeNode node, const RECT& r, TColumnIndex column) {
  return RaiseNodeEvent(node, OnDrawHintContent, this, canvas, node, r, column);
}

const TPublishedTable& TDrawTree::PublishedTable() const {
  using P = TPublished<TDrawTree>;
  static const TPublishedTable table(&PublishedTreeTable(TBaseTree::PublishedTable()),
                                     {
                                         P::Event(L"OnDrawHintContent", &TDrawTree::OnDrawHintContent),
                                         P::Event(L"OnDrawNodeContent", &TDrawTree::OnDrawNodeContent),
                                         P::Event(L"OnGetHintSize", &TDrawTree::OnGetHintSize),
                                         P::Event(L"OnMeasureNodeWidth", &TDrawTree::OnMeasureNodeWidth),
                                     });
  return table;
}

}  // namespace tree

#include "tree/draw_tree.h"

#include "framework/properties.h"
#include "tree/paint/measure_canvas.h"
#include "tree/published_tree.h"

namespace tree {

TCustomDrawTree::TCustomDrawTree(TComponent* owner)
    : TBaseTree(owner), measureCanvas_(std::make_unique<TMeasureCanvas>()) {}

TCustomDrawTree::~TCustomDrawTree() = default;

int TCustomDrawTree::GetNodeWidth(PTreeNode node, TColumnIndex column) {
  int width = 2 * TextMargin();
  if (OnMeasureNodeWidth) {
    TakeFont(measureCanvas_->Font(), Font());
    OnMeasureNodeWidth(this, measureCanvas_.get(), node, column, width);
  }
  return width;
}

void TCustomDrawTree::DoPaintNode(TNodePaintInfo& paintInfo) {
  if (OnDrawNodeContent) OnDrawNodeContent(this, paintInfo);
}

void TCustomDrawTree::DoGetHintSize(PTreeNode node, TColumnIndex column, RECT& r) {
  if (OnGetHintSize) OnGetHintSize(this, node, column, r);
}

void TCustomDrawTree::DoDrawHint(TCanvas* canvas, PTreeNode node, const RECT& r, TColumnIndex column) {
  if (OnDrawHintContent) OnDrawHintContent(this, canvas, node, r, column);
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

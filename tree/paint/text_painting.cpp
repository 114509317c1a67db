// How a string tree paints a cell's content: the normal text in the colours of the cell's state, shortened with an
// ellipsis when a column is too narrow, then the static text beside it; and how a text spans empty neighbour
// columns.
#include "tree/paint/measure_canvas.h"
#include "tree/string_tree.h"
#include "tree/tree_colors.h"
#include "tree/tree_columns.h"
#include "tree/tree_drawing.h"
#include "tree/tree_header.h"

namespace tree {

namespace {

// Single line, vertically centred, and '&' shown as itself: captions are data, not menu labels with accelerators.
constexpr UINT CellTextFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;

UINT AlignmentFormat(TAlignment alignment) {
  switch (alignment) {
    case TAlignment::taRightJustify:
      return DT_RIGHT;
    case TAlignment::taCenter:
      return DT_CENTER;
    default:
      return DT_LEFT;
  }
}

}  // namespace

TNodeRaised TCustomStringTree::DoPaintNode(TNodePaintInfo& paintInfo) {
  // The handlers raised (OnGetText, OnPaintText, OnShortenString) may free the node or the tree: its painting ends
  // there, and the tree's painting learns it from the answer.
  const TNodeWatch watch(*this, paintInfo.Node);
  if (!FetchText(paintInfo.Node, paintInfo.Column, cellText_)) return TNodeRaised(watch);
  if (!cellText_.empty() && PaintNormalText(paintInfo, cellText_).NodeGone()) return TNodeRaised(watch);
  if (Alignment() == TAlignment::taCenter ||
      !TreeOptions()->StringOptions().Contains(TTreeStringOption::toShowStaticText))
    return TNodeRaised(watch);
  cellText_.clear();
  if (DoGetText(paintInfo.Node, paintInfo.Column, TVSTTextType::ttStatic, cellText_).NodeGone())
    return TNodeRaised(watch);
  if (cellText_.empty()) return TNodeRaised(watch);
  return PaintStaticText(paintInfo, cellText_);
}

void TCustomStringTree::InitializeTextProperties(TNodePaintInfo& paintInfo) {
  TFont* font = paintInfo.Canvas->Font();
  TakeFont(font, Font());
  const TCustomTreeOptions* options = TreeOptions();
  if (options->PaintOptions().Contains(TTreePaintOption::toHotTrack) && paintInfo.Node == HotNode()) {
    font->SetStyle(font->Style() + TFontStyle::fsUnderline);
    font->SetColor(Colors()->HotColor());
  }
  // Highlight text belongs on a highlighted background only: a cell painted without selection (an unfocused tree
  // that hides its selection, an edited cell) keeps its normal colours.
  if (!paintInfo.PaintOptions.Contains(TTreePaintFlag::tpSelection)) return;
  if (paintInfo.Column != FocusedColumn() &&
      !options->SelectionOptions().Contains(TTreeSelectionOption::toFullRowSelect))
    return;
  PTreeNode node = paintInfo.Node;
  if (node == DropTargetNode()) {
    if (LastDropMode() == TDropMode::dpOnNode || Selected(node)) font->SetColor(clHighlightText);
  } else if (Selected(node) && (Focused() || options->PaintOptions().Contains(TTreePaintOption::toPopupMode))) {
    font->SetColor(clHighlightText);
  }
}

TNodeRaised TCustomStringTree::PaintNormalText(TNodePaintInfo& paintInfo, String& text) {
  TCanvas* canvas = paintInfo.Canvas;
  InitializeTextProperties(paintInfo);
  if (const TNodeRaised raised = PaintTextWatched(paintInfo.Node, canvas, paintInfo.Column, TVSTTextType::ttNormal);
      raised.NodeGone())
    return raised;
  // A font of the handler's own has its own widths.
  int ellipsisWidth = ellipsisWidth_;
  if (fontChanged_) {
    paintInfo.NodeWidth = 2 * TextMargin() + canvas->TextWidth(text);
    ellipsisWidth = 0;
  }
  RECT r = paintInfo.ContentRect;
  InflateRect(&r, -TextMargin(), 0);
  const bool rtl = paintInfo.BidiMode != TBiDiMode::bdLeftToRight;
  UINT format = CellTextFormat | (rtl ? DT_RTLREADING : 0);
  const int space = r.right - r.left;
  if (paintInfo.Column > NoColumn && paintInfo.NodeWidth - 2 * TextMargin() > space) {
    String shortened;
    const TNodeRaised raised =
        DoShortenString(canvas, paintInfo.Node, paintInfo.Column, text, space, rtl, ellipsisWidth, shortened);
    if (raised.NodeGone()) return raised;
    text = std::move(shortened);
    if (paintInfo.Alignment == TAlignment::taRightJustify) format |= DT_RIGHT;
  } else {
    format |= AlignmentFormat(paintInfo.Alignment);
  }
  DrawCellText(paintInfo, text, r, format);
  return TNodeRaised(true, true);
}

TNodeRaised TCustomStringTree::PaintStaticText(TNodePaintInfo& paintInfo, const String& text) {
  TCanvas* canvas = paintInfo.Canvas;
  TFont* font = canvas->Font();
  TakeFont(font, Font());
  const TCustomTreeOptions* options = TreeOptions();
  PTreeNode node = paintInfo.Node;
  if (paintInfo.PaintOptions.Contains(TTreePaintFlag::tpSelection) &&
      options->SelectionOptions().Contains(TTreeSelectionOption::toFullRowSelect)) {
    if (node == DropTargetNode()) {
      if (LastDropMode() == TDropMode::dpOnNode || Selected(node)) font->SetColor(clHighlightText);
    } else if (Selected(node) && (Focused() || options->PaintOptions().Contains(TTreePaintOption::toPopupMode))) {
      font->SetColor(clHighlightText);
    }
  }
  if (const TNodeRaised raised = PaintTextWatched(node, canvas, paintInfo.Column, TVSTTextType::ttStatic);
      raised.NodeGone())
    return raised;
  RECT r = paintInfo.ContentRect;
  if (paintInfo.Alignment == TAlignment::taRightJustify)
    r.right -= paintInfo.NodeWidth + TextMargin();
  else
    r.left += paintInfo.NodeWidth + TextMargin();
  const bool rtl = paintInfo.BidiMode != TBiDiMode::bdLeftToRight;
  DrawCellText(paintInfo, text, r, CellTextFormat | (rtl ? DT_RTLREADING : 0) | AlignmentFormat(paintInfo.Alignment));
  return TNodeRaised(true, true);
}

void TCustomStringTree::DrawCellText(TNodePaintInfo& paintInfo, const String& text, RECT r, UINT format) {
  TCanvas* canvas = paintInfo.Canvas;
  if (!Enabled() || IsDisabled(paintInfo.Node)) canvas->Font()->SetColor(Colors()->DisabledColor());
  HDC dc = canvas->Handle();
  // The row's other painting sets the DC's text colour directly, behind the canvas's back.
  SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(canvas->Font()->Color())));
  int oldMode = SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  SetBkMode(dc, oldMode);
}

TNodeRaised TCustomStringTree::DoShortenString(TCanvas* canvas, PTreeNode node, TColumnIndex column, const String& s,
                                               int width, bool rightToLeft, int ellipsisWidth, String& result) {
  result.clear();
  bool done = false;
  const TNodeRaised raised =
      RaiseNodeEvent(node, OnShortenString, this, canvas, node, column, s, width, rightToLeft, result, done);
  if (raised.NodeGone()) return raised;
  if (!done) result = ShortenWideText(canvas->Handle(), s, width, rightToLeft, ellipsisWidth);
  return raised;
}

void TCustomStringTree::AdjustPaintCellRect(TNodePaintInfo& paintInfo, TColumnIndex& nextNonEmpty) {
  TTreeHeader* header = Header();
  if (!TreeOptions()->AutoOptions().Contains(TTreeAutoOption::toAutoSpanColumns) || !header->UseColumns())
    return inherited::AdjustPaintCellRect(paintInfo, nextNonEmpty);
  TTreeColumns* columns = header->Columns();
  if (paintInfo.BidiMode == TBiDiMode::bdLeftToRight) {
    nextNonEmpty = columns->GetNextVisibleColumn(paintInfo.Column);
    while (nextNonEmpty >= 0 && columns->Items(nextNonEmpty)->BiDiMode() == TBiDiMode::bdLeftToRight &&
           ColumnIsEmpty(paintInfo.Node, nextNonEmpty)) {
      paintInfo.CellRect.right += columns->Items(nextNonEmpty)->Width();
      nextNonEmpty = columns->GetNextVisibleColumn(nextNonEmpty);
    }
    return;
  }
  // Columns are painted from left to right, so a right-to-left text grows over the empty columns before it, which
  // are painted already; the walk itself goes on with the next column.
  for (TColumnIndex previous = columns->GetPreviousVisibleColumn(paintInfo.Column);
       previous >= 0 && columns->Items(previous)->BiDiMode() != TBiDiMode::bdLeftToRight &&
       ColumnIsEmpty(paintInfo.Node, previous);
       previous = columns->GetPreviousVisibleColumn(previous))
    paintInfo.CellRect.left -= columns->Items(previous)->Width();
}

}  // namespace tree

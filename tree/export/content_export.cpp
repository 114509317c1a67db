// The nodes and cells of an export, and the text renderings (tab- or list-separated, 8-bit and UTF-16).
#include "tree/export/content_export.h"

#include <algorithm>

#include "tree/buffered_string.h"
#include "tree/paint/measure_canvas.h"
#include "tree/tree_columns.h"
#include "tree/tree_drawing.h"
#include "tree/tree_header.h"

namespace tree {

namespace {

PTreeNode FirstOf(TBaseTree& tree, TVSTTextSourceType source) {
  switch (source) {
    case TVSTTextSourceType::tstInitialized:
      return tree.GetFirstInitialized();
    case TVSTTextSourceType::tstSelected:
      return tree.GetFirstSelected();
    case TVSTTextSourceType::tstCutCopySet:
      return tree.GetFirstCutCopy();
    case TVSTTextSourceType::tstVisible:
      return tree.GetFirstVisible();
    default:
      return tree.GetFirst();
  }
}

PTreeNode NextOf(TBaseTree& tree, TVSTTextSourceType source, PTreeNode node) {
  switch (source) {
    case TVSTTextSourceType::tstInitialized:
      return tree.GetNextInitialized(node);
    case TVSTTextSourceType::tstSelected:
      return tree.GetNextSelected(node);
    case TVSTTextSourceType::tstCutCopySet:
      return tree.GetNextCutCopy(node);
    case TVSTTextSourceType::tstVisible:
      return tree.GetNextVisible(node);
    default:
      return tree.GetNext(node);
  }
}

// A cell holding the separator or a line break, or starting with a quote, would shift the rows or columns of
// whoever reads the text back: it is quoted, its quotes doubled.
// Readers of the text formats stop at the first NUL, so one inside a cell becomes a space instead of cutting off
// the rest of the content.
String SeparatedCell(const String& cellText, wchar_t separator) {
  String text = cellText;
  std::replace(text.begin(), text.end(), L'\0', L' ');
  const bool quoted = (!text.empty() && text.front() == L'"') || text.find(separator) != String::npos ||
                      text.find_first_of(L"\r\n") != String::npos;
  if (!quoted) return text;
  String cell = L"\"";
  for (wchar_t c : text) {
    cell += c;
    if (c == L'"') cell += L'"';
  }
  return cell + L'"';
}

}  // namespace

TContentExport::TContentExport(TCustomStringTree& tree, TVSTTextSourceType source) : tree_(tree), nodes_(tree) {
  // The walk initializes the nodes; its handlers may free nodes, or the tree.
  nodes_.Walk([&tree, source] { return FirstOf(tree, source); },
              [&tree, source](PTreeNode node) { return NextOf(tree, source, node); });
  if (nodes_.TreeGone()) return;
  for (std::size_t row = 0; row < nodes_.Size(); ++row)
    if (!RowGone(row)) maxLevel_ = std::max(maxLevel_, Level(nodes_.Node(row)));
  TTreeHeader* header = tree.Header();
  useColumns_ = header->UseColumns();
  if (!useColumns_) {
    const bool rtl = tree.BiDiMode() != TBiDiMode::bdLeftToRight;
    cells_.push_back(TCell{String(), 0, false, clNone, NoColumn, true, rtl,
                           rtl ? MirroredAlignment(tree.Alignment()) : tree.Alignment()});
    return;
  }
  const TColumnIndex mainColumn = header->MainColumn();
  for (TTreeColumn* column : header->Columns()->GetVisibleColumns()) {
    const bool rtl = column->UseRightToLeftReading();
    cells_.push_back(TCell{column->Text(), column->Width(),
                           !column->Options().Contains(TTreeColumnOption::coParentColor), column->Color(),
                           column->Index(), column->Index() == mainColumn, rtl,
                           rtl ? MirroredAlignment(column->Alignment()) : column->Alignment()});
  }
}

TFont* TContentExport::CellFont(PTreeNode node, TColumnIndex column, bool* fontChanged) {
  TCanvas* canvas = tree_.measureCanvas_.get();
  TakeFont(canvas->Font(), tree_.Font());
  if (tree_.PaintTextWatched(node, canvas, column, TVSTTextType::ttNormal).TreeGone() || nodes_.TreeGone())
    return nullptr;
  if (fontChanged) *fontChanged = tree_.FontChanged();
  return canvas->Font();
}

String TContentExport::Unicode(wchar_t separator) {
  if (nodes_.TreeGone()) return {};
  TWideBufferedString buffer;
  const String single(1, separator);
  if (useColumns_) {
    for (std::size_t i = 0; i < cells_.size(); ++i) {
      buffer.Add(SeparatedCell(cells_[i].Caption, separator));
      if (i + 1 < cells_.size()) buffer.Add(cells_[i].Main ? String(maxLevel_ + 1, separator) : single);
    }
    buffer.AddNewLine();
  }
  for (std::size_t row = 0; row < nodes_.Size(); ++row) {
    if (RowGone(row)) continue;
    PTreeNode node = nodes_.Node(row);
    const std::size_t rowStart = buffer.Size();
    const std::uint32_t level = Level(node);
    for (std::size_t i = 0; i < cells_.size() && !RowGone(row); ++i) {
      const TCell& cell = cells_[i];
      if (cell.Main) buffer.Add(String(level, separator));
      const String text = tree_.Text(node, cell.Index);
      buffer.Add(SeparatedCell(text, separator));
      // Padding after the main column lines up the columns that follow it.
      if (cell.Main && useColumns_) buffer.Add(String(maxLevel_ - level, separator));
      if (i + 1 < cells_.size()) buffer.Add(single);
    }
    if (nodes_.TreeGone()) return {};
    if (RowGone(row))
      buffer.Truncate(rowStart);
    else
      buffer.AddNewLine();
  }
  return buffer.TakeString();
}

// ---- the tree's entry points

String TCustomStringTree::ContentToUnicode(TVSTTextSourceType source, wchar_t separator) {
  return TContentExport(*this, source).Unicode(separator);
}

AnsiString TCustomStringTree::ContentToText(TVSTTextSourceType source, wchar_t separator) {
  return WideToAnsi(ContentToUnicode(source, separator));
}

AnsiString TCustomStringTree::ContentToRTF(TVSTTextSourceType source) { return TContentExport(*this, source).Rtf(); }

std::string TCustomStringTree::ContentToHTML(TVSTTextSourceType source, const String& caption) {
  return TContentExport(*this, source).Html(caption);
}

}  // namespace tree

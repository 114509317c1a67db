// One export of a string tree's content: the nodes of a source in tree order with their deepest level, the cells
// of a row (the visible columns in position order, or the single cell of a tree without columns) and each cell's
// font as the tree's painting would choose it. The text, RTF and HTML renderings build on it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/alignment.h"
#include "tree/node_watch.h"
#include "tree/string_tree.h"

class TFont;

namespace tree {

class TTreeColumn;

class TContentExport {
 public:
  TContentExport(TCustomStringTree& tree, TVSTTextSourceType source);

  // The handlers a rendering raises (the texts, the fonts) may free nodes: a row whose node goes before it is
  // whole is left out, and a node gone before its row comes has none; a rendering is empty once the tree is gone.
  String Unicode(wchar_t separator);
  AnsiString Rtf();
  std::string Html(const String& caption);

 private:
  // What the export needs of a column, taken when it starts: the handlers it raises may add, remove or move
  // columns, and a removed one is freed.
  struct TCell {
    String Caption;  // the column's header text
    int Width;
    bool OwnColor;  // the column paints its cells in Color, not in the tree's colour (never without columns)
    TColor Color;
    TColumnIndex Index;
    bool Main;
    bool RightToLeft;
    TAlignment Alignment;  // mirrored for right-to-left cells
  };

  // The tree font as OnPaintText leaves it for the cell; fontChanged learns whether the handler changed it. Null
  // when the handler freed the tree.
  TFont* CellFont(PTreeNode node, TColumnIndex column, bool* fontChanged = nullptr);
  std::uint32_t Level(PTreeNode node) const { return tree_.GetNodeLevel(node); }

  // Whether the node of row is left out: a handler freed it, or the tree.
  bool RowGone(std::size_t row) const { return nodes_.Freed(row); }

  TCustomStringTree& tree_;
  TWatchedNodes nodes_;
  std::uint32_t maxLevel_ = 0;
  std::vector<TCell> cells_;
  bool useColumns_ = false;
};

}  // namespace tree

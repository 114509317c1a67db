// One export of a string tree's content: the nodes of a source in tree order with their deepest level, the cells
// of a row (the visible columns in position order, or the single cell of a tree without columns) and each cell's
// font as the tree's painting would choose it. The text, RTF and HTML renderings build on it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/alignment.h"
#include "tree/string_tree.h"

class TFont;

namespace tree {

class TTreeColumn;

class TContentExport {
 public:
  TContentExport(TCustomStringTree& tree, TVSTTextSourceType source);

  // Each rendering ends where a handler it raises (the texts, the fonts) freed nodes: the list of nodes holds
  // freed blocks then, and what it rendered is no whole export (Lost).
  String Unicode(wchar_t separator);
  AnsiString Rtf();
  std::string Html(const String& caption);
  // A handler freed nodes since the export began.
  bool Lost() const { return tree_.FreedNodeCount() != freedBefore_; }

  // The rendering of a fresh export of the tree's source, made again while a handler frees nodes on the way.
  template <class Render>
  static auto Whole(TCustomStringTree& tree, TVSTTextSourceType source, Render render) {
    for (;;) {
      TContentExport content(tree, source);
      auto result = render(content);
      if (!content.Lost()) return result;
    }
  }

 private:
  struct TCell {
    TTreeColumn* Column;  // null for the single cell of a tree without columns
    TColumnIndex Index;
    bool Main;
    bool RightToLeft;
    TAlignment Alignment;  // mirrored for right-to-left cells
  };

  // The tree font as OnPaintText leaves it for the cell; fontChanged learns whether the handler changed it.
  TFont* CellFont(PTreeNode node, TColumnIndex column, bool* fontChanged = nullptr);
  std::uint32_t Level(PTreeNode node) const { return tree_.GetNodeLevel(node); }

  TCustomStringTree& tree_;
  const std::uint64_t freedBefore_;
  std::vector<PTreeNode> nodes_;
  std::uint32_t maxLevel_ = 0;
  std::vector<TCell> cells_;
  bool useColumns_ = false;
};

}  // namespace tree

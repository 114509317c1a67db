// The tree's page: a string tree of 100,000 nodes in columns (folders of items, with check boxes, editable names,
// a static count and incremental search), a second tree that rows are dragged, cut, copied and pasted to and from,
// and the second tree's content exported as text, HTML or RTF, kept up to date as its rows change while they are
// few.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "controls/tabs/page_control.h"
#include "tree/tree_events.h"

class TCommandStrip;
class TSplitter;
class TStatusLine;
class TTextView;

namespace tree {
class TBaseTree;
class TStringTree;
}  // namespace tree

enum class TTreeExport { teText, teHtml, teRtf };

class TTreePage : public controls::TPcTabSheet {
  BC_CLASS(TTreePage, controls::TPcTabSheet)
  explicit TTreePage(TComponent* owner);

  TRaised Populate();
  // Shows the small tree's content in that format, now and after each change of its rows while they are few.
  TRaised Export(TTreeExport format);

  tree::TStringTree* LargeTree() const { return large_; }
  tree::TStringTree* SmallTree() const { return small_; }
  TTextView* ExportText() const { return exportText_; }

  // A row's name: the one typed for it, else the one its number gives.
  String RowName(tree::TBaseTree* tree, tree::PTreeNode node) const;

 protected:
  TRaised Resize() override;

 private:
  tree::TStringTree* MakeTree(bool large);
  TRaised DropRows(tree::TBaseTree* into, tree::TBaseTree* from, IDataObject* data, DWORD effect, tree::TDropMode mode);
  // Delete, and cut, copy and paste by Ctrl+X, C and V, in either tree.
  void TreeKeyDown(TObject* sender, WORD& key, TShiftState shift);
  // The node counts and the export follow any change of either tree's rows: at once, or inside an update bracket
  // (a paste, drop, load or deletion) once, when the bracket ends, so that each row costs the same however many
  // come.
  TRaised RowsChanged(tree::TBaseTree* tree);
  TRaised ShowRowsChanged();
  // Rows came into the tree or left it: those below them moved on the screen.
  TRaised RowsMoved(tree::TBaseTree* tree);
  // A button pressed while the page was busy moving rows was aimed at the rows as the screen showed them before,
  // not at the row that has come under the pointer since (which a drag would carry off): the tree never sees it.
  // The trees' presses come from the input queue alone, so the time of the message last taken from it is theirs.
  void IgnoreButtonsPressedBeforeRowsMoved(tree::TBaseTree* tree);

  tree::TStringTree* large_ = nullptr;
  tree::TStringTree* small_ = nullptr;
  TTextView* exportText_ = nullptr;
  TSplitter* exportSplitter_ = nullptr;
  TCommandStrip* strip_ = nullptr;
  TStatusLine* statusLine_ = nullptr;
  // The right tree's width and the export box's height as set last, by the page or by their splitters.
  int smallTreeWidth_ = 400;
  int exportHeight_ = 150;
  TTreeExport exportFormat_ = TTreeExport::teText;
  // Changes not yet shown: of either tree's rows (the counts), and of the small tree's (its export).
  bool countsStale_ = false;
  bool exportStale_ = false;
  // Whether rows moved since the page last showed its rows, and when the page was last done with such a move.
  bool rowsMoved_ = false;
  ULONGLONG rowsMovedAt_ = 0;
  // Names typed in either tree, by row: a copy of a row is a row of its own, and a row that moves to the other tree
  // takes its name along in the tree's stream of the row, which names the new node it becomes.
  std::unordered_map<tree::PTreeNode, String> typedNames_;
};

// The tree's page: a string tree of 100,000 nodes in columns (folders of items, with check boxes, editable names
// and a static count), a second tree that rows are dragged to and from, and the second tree's content exported as
// text, HTML or RTF.
#pragma once

#include <cstdint>
#include <map>

#include "controls/tabs/page_control.h"

class TStatusLine;
class TTextView;

namespace tree {
class TStringTree;
}

enum class TTreeExport { teText, teHtml, teRtf };

class TTreePage : public controls::TPcTabSheet {
  BC_CLASS(TTreePage, controls::TPcTabSheet)
  explicit TTreePage(TComponent* owner);

  void Populate();
  void Export(TTreeExport format);

  tree::TStringTree* LargeTree() const { return large_; }
  tree::TStringTree* SmallTree() const { return small_; }
  TTextView* ExportText() const { return exportText_; }

  // A row's name: the edited one, else the one its number gives.
  String RowName(std::uintptr_t number) const;

 private:
  tree::TStringTree* MakeTree(bool large);

  tree::TStringTree* large_ = nullptr;
  tree::TStringTree* small_ = nullptr;
  TTextView* exportText_ = nullptr;
  TStatusLine* statusLine_ = nullptr;
  // Names typed in either tree, by row number; rows keep their number when they move between the trees.
  std::map<std::uintptr_t, String> editedNames_;
};

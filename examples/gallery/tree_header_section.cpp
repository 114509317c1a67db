#include "tree_header_section.h"

#include "framework/startup.h"
#include "tree/base_tree.h"
#include "tree/tree_header.h"
#include "tree/tree_unit.h"

using namespace tree;

namespace {

struct TColumnSample {
  const wchar_t* Caption;
  int Width;
  TAlignment Alignment;
};

// One tree showing only its header, as the side panels' lists do above their rows.
void PlaceHeader(TWinControl* host, int top, TTreeHeaderStyle style) {
  auto* tree = new TBaseTree(host);
  tree->SetBounds(10, top, 580, 40);
  tree->SetParent(host);
  TTreeHeader* header = tree->Header();
  static const TColumnSample samples[] = {{L"Title", 200, TAlignment::taLeftJustify},
                                          {L"Address", 220, TAlignment::taLeftJustify},
                                          {L"Visits", 70, TAlignment::taRightJustify}};
  for (const TColumnSample& sample : samples) {
    TTreeColumn* column = header->Columns()->Add();
    column->SetText(sample.Caption);
    column->SetWidth(sample.Width);
    column->SetAlignment(sample.Alignment);
  }
  header->SetStyle(style);
  header->SetSortColumn(2);
  header->SetSortDirection(TSortDirection::sdDescending);
  header->SetOptions(header->Options() + TTreeHeaderOption::hoVisible + TTreeHeaderOption::hoShowSortGlyphs);
}

}  // namespace

int BuildTreeHeaderSection(TWinControl* host) {
  InitializeUnit(TreeUnit());
  int top = 8;
  for (TTreeHeaderStyle style : {TTreeHeaderStyle::hsThickButtons, TTreeHeaderStyle::hsFlatButtons,
                                 TTreeHeaderStyle::hsPlates, TTreeHeaderStyle::hsXPStyle}) {
    PlaceHeader(host, top, style);
    top += 48;
  }
  return top;
}

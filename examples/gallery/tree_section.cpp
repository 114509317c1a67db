#include "tree_section.h"

#include <iterator>
#include <string>
#include <tuple>

#include "framework/bitmap.h"
#include "framework/image_list.h"
#include "framework/startup.h"
#include "framework/win_control.h"
#include "tree/string_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"
#include "tree/tree_unit.h"

using namespace tree;

namespace {

constexpr std::uint32_t kFolders = 1000;
constexpr std::uint32_t kItemsPerFolder = 99;

// Folders of items: the folders carry tri-state boxes and a static count after their name, the items plain boxes.
class TGalleryTree : public TStringTree {
  BC_CLASS(TGalleryTree, TStringTree)
  explicit TGalleryTree(TComponent* owner) : TStringTree(owner) {
    OnInitNode = [](TBaseTree* tree, PTreeNode parent, PTreeNode node, TTreeNodeInitStates& states) {
      bool folder = parent == nullptr;
      tree->SetCheckType(node, folder ? TCheckType::ctTriStateCheckBox : TCheckType::ctCheckBox);
      if (folder) states |= ivsHasChildren;
      if (!folder && node->Index % 3 == 0) node->CheckState = TCheckState::csCheckedNormal;
    };
    OnInitChildren = [](TBaseTree*, PTreeNode, std::uint32_t& count) { count = kItemsPerFolder; };
    OnGetImageIndex = [](TBaseTree*, PTreeNode node, TTreeImageKind kind, TColumnIndex, bool&, int& index) {
      if (kind == TTreeImageKind::ikNormal || kind == TTreeImageKind::ikSelected) index = node->ChildCount ? 0 : 1;
    };
    OnGetText = [](TBaseTree* tree, PTreeNode node, TColumnIndex, TVSTTextType type, String& text) {
      bool folder = tree->GetNodeLevel(node) == 0;
      if (type == TVSTTextType::ttStatic)
        text = folder ? L"(" + std::to_wstring(kItemsPerFolder) + L" items)" : String();
      else
        text = (folder ? L"Folder " : L"Item ") + std::to_wstring(node->Index + 1);
    };
    OnPaintText = [](TBaseTree*, TCanvas* canvas, PTreeNode, TColumnIndex, TVSTTextType type) {
      if (type == TVSTTextType::ttStatic) canvas->Font()->SetColor(clGrayText);
    };
    TreeOptions()->SetStringOptions(TreeOptions()->StringOptions() + TTreeStringOption::toShowStaticText);
  }
};

struct TVisitSample {
  const wchar_t* Title;
  const wchar_t* Address;
  int Visits;
};

// A list of visited pages in columns: the narrow address column shortens its texts with an ellipsis, the visits
// are right-aligned.
void PlaceHistoryList(TWinControl* host) {
  static const TVisitSample samples[] = {
      {L"Front page", L"http://www.example.com/", 42},
      {L"Weather for the week ahead", L"http://weather.example.org/forecast/week?city=riverside", 17},
      {L"Release notes", L"http://downloads.example.net/notes/latest.html", 5},
      {L"Q&A: small questions", L"http://answers.example.com/questions?sort=newest", 128},
  };
  auto* list = new TStringTree(host);
  list->SetBounds(380, 8, 205, 220);
  TTreeHeader* header = list->Header();
  for (auto [caption, width, alignment] :
       {std::tuple{L"Title", 80, TAlignment::taLeftJustify}, std::tuple{L"Address", 75, TAlignment::taLeftJustify},
        std::tuple{L"Visits", 46, TAlignment::taRightJustify}}) {
    TTreeColumn* column = header->Columns()->Add();
    column->SetText(caption);
    column->SetWidth(width);
    column->SetAlignment(alignment);
  }
  header->SetOptions(header->Options() + TTreeHeaderOption::hoVisible);
  list->TreeOptions()->SetPaintOptions(list->TreeOptions()->PaintOptions() - TTreePaintOption::toShowRoot -
                                       TTreePaintOption::toShowTreeLines - TTreePaintOption::toShowButtons +
                                       TTreePaintOption::toShowHorzGridLines + TTreePaintOption::toShowVertGridLines);
  list->TreeOptions()->SetSelectionOptions({TTreeSelectionOption::toFullRowSelect});
  list->OnGetText = [](TBaseTree*, PTreeNode node, TColumnIndex column, TVSTTextType, String& text) {
    const TVisitSample& sample = samples[node->Index];
    text = column == 0 ? sample.Title : column == 1 ? sample.Address : std::to_wstring(sample.Visits);
  };
  list->SetParent(host);
  list->SetRootNodeCount(static_cast<std::uint32_t>(std::size(samples)));
  list->SetSelected(list->GetFirst(), true);
}

// A folder and a page, drawn into the list.
void AddGlyphs(TImageList* images) {
  const TColor magenta = static_cast<TColor>(RGB(255, 0, 255));
  for (bool folder : {true, false}) {
    TBitmap glyph;
    glyph.SetSize(16, 16);
    TCanvas* canvas = glyph.Canvas();
    canvas->Brush()->SetColor(magenta);
    canvas->FillRect(RECT{0, 0, 16, 16});
    canvas->Pen()->SetColor(static_cast<TColor>(RGB(96, 80, 32)));
    canvas->Brush()->SetColor(static_cast<TColor>(folder ? RGB(240, 200, 80) : RGB(250, 250, 250)));
    if (folder) {
      canvas->Rectangle(1, 3, 8, 6);
      canvas->Rectangle(1, 5, 15, 14);
    } else {
      canvas->Pen()->SetColor(static_cast<TColor>(RGB(90, 90, 120)));
      canvas->Rectangle(3, 1, 13, 15);
      for (int y = 4; y < 13; y += 3) {
        canvas->MoveTo(5, y);
        canvas->LineTo(11, y);
      }
    }
    images->AddMasked(&glyph, magenta);
  }
}

}  // namespace

int BuildTreeSection(TWinControl* host) {
  InitializeUnit(TreeUnit());
  auto* images = new TImageList(host);
  images->SetSize(16, 16);
  AddGlyphs(images);

  auto* tree = new TGalleryTree(host);
  tree->SetBounds(10, 8, 360, 220);
  tree->SetImages(images);
  tree->TreeOptions()->SetMiscOptions(tree->TreeOptions()->MiscOptions() + TTreeMiscOption::toCheckSupport);
  tree->TreeOptions()->SetSelectionOptions(tree->TreeOptions()->SelectionOptions() +
                                           TTreeSelectionOption::toMultiSelect);
  tree->SetParent(host);
  tree->SetRootNodeCount(kFolders);
  PTreeNode first = tree->GetFirst();
  tree->SetExpanded(first, true);
  tree->SetFocusedNode(tree->GetFirstChild(first));
  tree->SetSelected(tree->GetFirstChild(first), true);
  // The scroll bars follow node changes only once the tree's window maintenance does; set them up here.
  tree->UpdateScrollBars(true);
  PlaceHistoryList(host);
  return 236;
}

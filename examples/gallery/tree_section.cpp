#include "tree_section.h"

#include <cwchar>

#include "framework/bitmap.h"
#include "framework/image_list.h"
#include "framework/startup.h"
#include "framework/win_control.h"
#include "tree/base_tree.h"
#include "tree/tree_unit.h"

using namespace tree;

namespace {

constexpr std::uint32_t kFolders = 1000;
constexpr std::uint32_t kItemsPerFolder = 99;

// Folders of items: the folders carry tri-state boxes, the items plain ones; each row shows its name.
class TGalleryTree : public TBaseTree {
  BC_CLASS(TGalleryTree, TBaseTree)
  explicit TGalleryTree(TComponent* owner) : TBaseTree(owner) {
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
  }

 protected:
  int GetNodeWidth(PTreeNode node, TColumnIndex) override {
    SIZE size{};
    wchar_t text[32];
    int length = Caption(node, text);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    GetTextExtentPoint32W(dc, text, length, &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cx + 2 * TextMargin();
  }

  void PaintNode(TNodePaintInfo& info) override {
    wchar_t text[32];
    int length = Caption(info.Node, text);
    HDC dc = info.Canvas->Handle();
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Selected(info.Node) && Focused() ? clHighlightText : Font()->Color()));
    RECT r = info.ContentRect;
    r.left += TextMargin();
    DrawTextW(dc, text, length, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, old);
  }

 private:
  static int Caption(PTreeNode node, wchar_t (&text)[32]) {
    bool folder = node->ChildCount > 0 || node->Has(nsHasChildren);
    return std::swprintf(text, 32, folder ? L"Folder %u" : L"Item %u", node->Index + 1);
  }
};

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
  return 236;
}

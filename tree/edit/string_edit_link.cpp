#include "tree/edit/string_edit_link.h"

#include <algorithm>

#include "framework/form.h"
#include "tree/edit/tree_edit.h"
#include "tree/string_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_drawing.h"
#include "tree/tree_header.h"

namespace tree {

namespace {

constexpr int MinimumEditWidth = 30;

}  // namespace

TStringEditLink::TStringEditLink() : edit_(std::make_unique<TTreeEdit>(this)) {}

TStringEditLink::~TStringEditLink() {
  if (edit_) edit_->link_ = nullptr;
}

TCustomStringTree* TStringEditLink::Tree() const { return treeLife_.Ended() ? nullptr : tree_; }

bool TStringEditLink::PrepareEdit(TBaseTree* tree, PTreeNode node, TColumnIndex column) {
  auto* stringTree = ObjectAs<TCustomStringTree>(tree);
  if (!stringTree || !edit_) return false;
  tree_ = stringTree;
  treeLife_ = tree->LifeWatch();
  node_ = node;
  column_ = column;
  // The handlers that tell the text and its font, and those the editor's placing raises, may free the node or the
  // tree, or add or remove columns: nothing is edited then.
  const TNodeWatch watch(*stringTree, node);
  if (edit_->SetParent(stringTree).Gone() || watch.Ended()) return false;
  String text;
  const std::uint64_t columnChanges = stringTree->Header()->Columns()->LayoutChanges();
  if (stringTree->GetTextInfo(node, column, edit_->Font(), textBounds_, text).NodeGone() ||
      stringTree->Header()->Columns()->LayoutChanges() != columnChanges)
    return false;
  edit_->Font()->SetColor(clBlack);
  edit_->HandleNeeded();
  if (edit_->SetText(text).Gone() || watch.Ended()) return false;
  // The text the edit starts with is not a change, whatever its window made of it.
  edit_->SetModified(false);
  startText_ = edit_->Text();
  TTreeColumns* columns = stringTree->Header()->Columns();
  if (column > NoColumn && columns->IsValidColumn(column)) {
    edit_->SetBiDiMode(columns->Items(column)->BiDiMode());
    alignment_ = columns->Items(column)->Alignment();
  } else {
    edit_->SetBiDiMode(stringTree->BiDiMode());
    alignment_ = stringTree->Alignment();
  }
  if (edit_->BiDiMode() != TBiDiMode::bdLeftToRight) alignment_ = MirroredAlignment(alignment_);
  return true;
}

bool TStringEditLink::BeginEdit() {
  if (stopped_ || !edit_) return false;
  if (edit_->Show().Gone()) return false;
  edit_->SelectAll();
  // A tree hosted straight in a window of another framework has no form to route the focus through.
  if (!GetParentForm(edit_.get()))
    ::SetFocus(edit_->Handle());
  else if (edit_->SetFocus().Gone())
    return false;
  return !stopped_;
}

bool TStringEditLink::EndEdit() {
  if (stopped_) return false;
  stopped_ = true;
  // OnNewText may delete the node (a row renamed to nothing) or free the tree: the link forgets the node then. The
  // editor is the link's own, held by the tree's call, and hides all the same.
  TCustomStringTree* tree = TextChanged() ? Tree() : nullptr;
  if (tree && tree->DoNewText(node_, column_, edit_->Text()).NodeGone()) node_ = nullptr;
  // The end's last act on the editor: the tree watches its own life across the call.
  if (edit_) (void)edit_->Hide();
  return true;
}

bool TStringEditLink::TextChanged() const { return edit_ && edit_->Modified() && edit_->Text() != startText_; }

bool TStringEditLink::CancelEdit() {
  if (stopped_) return false;
  stopped_ = true;
  // The cancel's last act on the editor; the tree, which its hiding's handlers may free, is asked for again.
  if (edit_) (void)edit_->Hide();
  TCustomStringTree* tree = Tree();
  // The tree's OnEditCancelled may free it; the link is done either way.
  if (tree && tree->CancelEditing().Gone()) return true;
  return true;
}

RECT TStringEditLink::GetBounds() { return edit_ ? edit_->BoundsRect() : RECT{}; }

void TStringEditLink::ProcessMessage(TMessage& message) {
  if (edit_) message.Result = edit_->Perform(message.Msg, message.WParam, message.LParam);
}

TRaised TStringEditLink::SetBounds(RECT r) {
  TCustomStringTree* tree = Tree();
  if (stopped_ || !edit_ || !tree) return TRaised(true);
  r.left = std::max<LONG>(r.left, 0);
  if (r.right - r.left < MinimumEditWidth) {
    if (alignment_ == TAlignment::taRightJustify)
      r.left = r.right - MinimumEditWidth;
    else
      r.right = r.left + MinimumEditWidth;
  }
  r.right = std::min<LONG>(r.right, tree->ClientWidth());
  if (edit_->SetBoundsRect(r).Gone()) return TRaised(false);

  // The text lies where the tree drew it: TextMargin in from the edit's outer edge, on the tree's text line. The
  // control narrows a formatting rectangle by its frame and margins, by amounts that differ between platforms:
  // what it made of the first request is measured and made good.
  HWND window = edit_->Handle();
  RECT client{};
  GetClientRect(window, &client);
  POINT clientOrigin{0, 0};
  MapWindowPoints(window, tree->Handle(), &clientOrigin, 1);
  const int frame = clientOrigin.x - r.left;
  RECT wanted = client;
  InflateRect(&wanted, frame - tree->TextMargin(), 0);
  OffsetRect(&wanted, 0, textBounds_.top - clientOrigin.y);
  wanted.bottom = std::max(wanted.bottom, wanted.top + static_cast<LONG>(textBounds_.bottom - textBounds_.top));
  SendMessageW(window, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&wanted));
  RECT made{};
  SendMessageW(window, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&made));
  RECT corrected{2 * wanted.left - made.left, 2 * wanted.top - made.top, 2 * wanted.right - made.right,
                 2 * wanted.bottom - made.bottom};
  if (!EqualRect(&made, &wanted)) SendMessageW(window, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&corrected));
  return TRaised(true);
}

}  // namespace tree

#include "tree/tree_colors.h"

#include "framework/properties.h"
#include "tree/base_tree.h"

namespace tree {

TTreeColors::TTreeColors(TBaseTree* owner)
    : owner_(owner), colors_{clBtnShadow, clHighlight, clHighlight, clHighlight,  clBtnFace,
                             clBtnShadow, clBtnFace,   clBtnFace,   clWindowText, clHighlight,
                             clBtnFace,   clHighlight, clHighlight, clHighlight} {}

TPersistent* TTreeColors::GetOwner() const { return owner_; }

void TTreeColors::SetColor(TColorIndex index, TColor value) {
  if (colors_[index] == value) return;
  colors_[index] = value;
  if (!owner_ || owner_->IsLoading() || !owner_->HandleAllocated()) return;
  owner_->Invalidate();
  if (index == BorderColorIndex)
    RedrawWindow(owner_->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN);
}

void TTreeColors::Assign(const TPersistent* source) {
  if (auto* other = ObjectAs<const TTreeColors>(source)) {
    for (int i = 0; i < ColorCount; ++i) colors_[i] = other->colors_[i];
    if (owner_ && owner_->UpdateCount() == 0 && owner_->HandleAllocated()) owner_->Invalidate();
    return;
  }
  inherited::Assign(source);
}

const TPublishedTable& TTreeColors::PublishedTable() const {
  using P = TPublished<TTreeColors>;
  auto entry = [](const wchar_t* name, TColorIndex index, TColor value) {
    return P::Color(
               name, [index](TTreeColors* c) { return c->Color(index); },
               [index](TTreeColors* c, TColor v) { c->SetColor(index, v); })
        .Default(value);
  };
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          entry(L"BorderColor", BorderColorIndex, clBtnFace),
          entry(L"DisabledColor", DisabledColorIndex, clBtnShadow),
          entry(L"DropMarkColor", DropMarkColorIndex, clHighlight),
          entry(L"DropTargetColor", DropTargetColorIndex, clHighlight),
          entry(L"DropTargetBorderColor", DropTargetBorderColorIndex, clHighlight),
          entry(L"FocusedSelectionColor", FocusedSelectionColorIndex, clHighlight),
          entry(L"FocusedSelectionBorderColor", FocusedSelectionBorderColorIndex, clHighlight),
          entry(L"GridLineColor", GridLineColorIndex, clBtnFace),
          entry(L"HotColor", HotColorIndex, clWindowText),
          entry(L"SelectionRectangleBlendColor", SelectionRectangleBlendColorIndex, clHighlight),
          entry(L"SelectionRectangleBorderColor", SelectionRectangleBorderColorIndex, clHighlight),
          entry(L"TreeLineColor", TreeLineColorIndex, clBtnShadow),
          entry(L"UnfocusedSelectionColor", UnfocusedSelectionColorIndex, clBtnFace),
          entry(L"UnfocusedSelectionBorderColor", UnfocusedSelectionBorderColorIndex, clBtnFace),
      });
  return table;
}

}  // namespace tree

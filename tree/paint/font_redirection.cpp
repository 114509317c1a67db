// While cells are painted, the canvas reports font changes to the tree first: an event handler that changes the
// font (OnBeforeCellPaint, say) leaves CellFontChanged set, so text measured before must be measured again.
#include "tree/base_tree.h"

namespace tree {

void TBaseTree::RedirectFontChangeEvent(TCanvas* canvas) {
  savedFontChange_ = canvas->Font()->OnChange;
  canvas->Font()->OnChange = TNotifyEvent(this, &TBaseTree::CanvasFontChanged);
  cellFontChanged_ = false;
}

void TBaseTree::RestoreFontChangeEvent(TCanvas* canvas) {
  canvas->Font()->OnChange = savedFontChange_;
  savedFontChange_ = TNotifyEvent();
}

void TBaseTree::CanvasFontChanged(TObject* sender) {
  cellFontChanged_ = true;
  if (savedFontChange_) savedFontChange_(sender);
}

}  // namespace tree

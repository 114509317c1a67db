#include "themes/stock_glyphs.h"

#include <commctrl.h>

#include "toolbars/theme/theme.h"

namespace themes {

int MdiButtonGlyph(unsigned buttonKind) {
  if (buttonKind == toolbars::mbClose) return sgClose;
  if (buttonKind == toolbars::mbMinimize) return sgMinimize;
  if (buttonKind == toolbars::mbRestore) return sgRestore;
  return -1;
}

TStockGlyphs::TStockGlyphs(std::function<std::unique_ptr<TBitmap>()> makeScratch)
    : makeScratch_(std::move(makeScratch)) {}

void TStockGlyphs::AddInstance() {
  if (instances_ == 0) InitStockGlyphs();
  ++instances_;
}

void TStockGlyphs::RemoveInstance() {
  if (instances_ == 0) return;
  if (--instances_ == 0) FreeStockGlyphs();
}

void TStockGlyphs::InitStockGlyphs() {
  glyphs_ = std::make_unique<TImageList>();
  // White is the mask colour, so each glyph's mask holds exactly its white pixels.
  glyphs_->SetHandle(ImageList_LoadImageW(GetModuleHandleW(nullptr), L"STYLEDGLYPHS", kStockGlyphSize, 0,
                                          RGB(255, 255, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION));
  if (makeScratch_) scratch_ = makeScratch_();
}

void TStockGlyphs::FreeStockGlyphs() {
  glyphs_.reset();
  scratch_.reset();
}

}  // namespace themes

// The stock objects of one theme unit: the glyph list loaded from the program's "STYLEDGLYPHS" bitmap (a close
// cross, a maximise box, a minimise bar and a restore symbol), and, for a unit that asks for one, a scratch
// bitmap of its own. They exist while at least one instance of the unit's theme lives: the first instance makes
// them, the last one frees them.
#pragma once

#include <functional>
#include <memory>

#include "framework/bitmap.h"
#include "framework/image_list.h"

namespace themes {

// Indices of the glyph list.
constexpr int sgClose = 0;
constexpr int sgMaximize = 1;
constexpr int sgMinimize = 2;
constexpr int sgRestore = 3;
constexpr int kStockGlyphSize = 16;

// The glyph of an MDI button kind (close, minimise, restore), -1 for a kind without one.
int MdiButtonGlyph(unsigned buttonKind);

class TStockGlyphs {
 public:
  // makeScratch, when given, makes the unit's scratch bitmap together with the glyph list.
  explicit TStockGlyphs(std::function<std::unique_ptr<TBitmap>()> makeScratch = {});
  TStockGlyphs(const TStockGlyphs&) = delete;
  TStockGlyphs& operator=(const TStockGlyphs&) = delete;

  // A new instance of the unit's theme: the first one makes the stock objects.
  void AddInstance();
  // An instance ends: the last one frees them.
  void RemoveInstance();
  int InstanceCount() const { return instances_; }

  // Null while no instance lives.
  TImageList* Glyphs() const { return glyphs_.get(); }
  TBitmap* Scratch() const { return scratch_.get(); }

  void InitStockGlyphs();
  void FreeStockGlyphs();

 private:
  std::function<std::unique_ptr<TBitmap>()> makeScratch_;
  int instances_ = 0;
  std::unique_ptr<TImageList> glyphs_;
  std::unique_ptr<TBitmap> scratch_;
};

}  // namespace themes

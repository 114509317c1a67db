// A canvas over a memory device context of its own: trees measure text with it (and hand it to the application's
// measuring events) whether or not their window exists, without touching the screen.
#pragma once

#include "framework/graphics.h"

namespace tree {

class TMeasureCanvas : public TCanvas {
  BC_CLASS(TMeasureCanvas, TCanvas)
  TMeasureCanvas();
  ~TMeasureCanvas() override;
  TMeasureCanvas(const TMeasureCanvas&) = delete;
  TMeasureCanvas& operator=(const TMeasureCanvas&) = delete;
};

// Makes target the font source is, keeping target's handle when only the colour differs, so that painting many
// cells in one font creates that font once.
void TakeFont(TFont* target, const TFont* source);

}  // namespace tree

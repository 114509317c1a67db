// "Emboss": the classic look with view backgrounds in fine horizontal stripes, etched separators, dotted grips
// and a shaded status bar.
#pragma once

#include "themes/classic_look.h"

struct TUnit;

namespace themes {

class TStyledEmbossTheme final : public TStyledClassicLook {
  BC_CLASS(TStyledEmbossTheme, TStyledClassicLook)
  explicit TStyledEmbossTheme(const String& name);

  void PaintViewBackground(TCanvas* canvas, const RECT& viewRect, const RECT& paintRect, const RECT& clipRect,
                           TColor color, bool transparent, int viewType) override;
  void PaintSeparator(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo,
                      bool horizontal, bool lineOnly) override;
  void PaintStatusBarPart(TCanvas* canvas, const RECT& rect, int part) override;

 protected:
  void PaintGrip(TCanvas* canvas, const RECT& area, const toolbars::TStyledToolbarPaintInfo& toolbarInfo) override;
};

TStockGlyphs& EmbossStockGlyphs();
// Registers "Emboss".
const TUnit& EmbossThemeUnit();

}  // namespace themes

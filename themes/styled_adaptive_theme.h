// "Adaptive": the pastel look with gradients (toolbars, the pop-up image column, checked buttons), rounded
// toolbar outlines and dotted grips, in tints of the highlight colour while visual styles are in use and in greys
// otherwise.
#pragma once

#include "themes/pastel_look.h"

struct TUnit;

namespace themes {

// The unit's colours, one set for the process, rewritten by every colour set-up of an Adaptive theme.
struct TAdaptiveColors {
  TColor GradDark = clNone;
  TColor GradLight = clNone;
  TColor GripBase = clNone;
  TColor GripDark = clNone;
  TColor GripLight = clNone;
  TColor EdgeDark = clNone;
  TColor EdgeLight = clNone;
  TColor MenuBar = clNone;
};
const TAdaptiveColors& AdaptiveColors();

class TStyledAdaptiveTheme final : public TStyledPastelLook {
  BC_CLASS(TStyledAdaptiveTheme, TStyledPastelLook)
  explicit TStyledAdaptiveTheme(const String& name);

  void SetupColorCache() override;

  void PaintViewBackground(TCanvas* canvas, const RECT& viewRect, const RECT& paintRect, const RECT& clipRect,
                           TColor color, bool transparent, int viewType) override;
  void PaintSeparator(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo,
                      bool horizontal, bool lineOnly) override;
  void PaintStatusBarPart(TCanvas* canvas, const RECT& rect, int part) override;

 protected:
  bool PaintsPlainFace(const toolbars::TStyledItemPaintInfo& itemInfo) const override;
  void FillFace(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void FillImageColumn(TCanvas* canvas, const RECT& rect) override;
  void FillCheckBox(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  TColor DockedCaptionColor() const override;
  UINT CaptionFormat() const override { return 0x108024; }
  void PaintToolbarBorder(TCanvas* canvas, RECT& area, const toolbars::TStyledToolbarPaintInfo& toolbarInfo) override;
  void PaintGrip(TCanvas* canvas, const RECT& handle, const toolbars::TStyledToolbarPaintInfo& toolbarInfo) override;
};

TStockGlyphs& AdaptiveStockGlyphs();
// Registers "Adaptive".
const TUnit& AdaptiveThemeUnit();

}  // namespace themes

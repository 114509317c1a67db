// "Ridge": a gradient look. Toolbars, menu bars, tool windows, captions and the image band of pop-up menus are
// bands from white to a darkened face colour with a step at the middle; hot and pushed buttons get the same kind
// of band in the item colours, which are blends of the highlight colour; grips and the size grip are rows of
// small embossed dots.
#pragma once

#include "themes/pastel_look.h"

struct TUnit;

namespace themes {

// The unit's colours, one set for the process, rewritten by every colour set-up of a Ridge theme.
struct TRidgeColors {
  TColor BandDark = clNone;   // the dark end of every band, and separator shadows
  TColor BandLight = clNone;  // the light end of every band
  TColor DotBase = clNone;    // the three colours of grip dots
  TColor DotDark = clNone;
  TColor DotLight = clNone;
  TColor Edge = clNone;  // the outer edge of toolbars
};
const TRidgeColors& RidgeColors();
// Whether the last view background painted with a band ran left to right (a view taller than wide): buttons
// painted after it follow their toolbar.
bool RidgeBandsRunAcross();

class TStyledRidgeTheme final : public TStyledPastelLook {
  BC_CLASS(TStyledRidgeTheme, TStyledPastelLook)
  explicit TStyledRidgeTheme(const String& name);

  void SetupColorCache() override;

  void PaintViewBackground(TCanvas* canvas, const RECT& viewRect, const RECT& paintRect, const RECT& clipRect,
                           TColor color, bool transparent, int viewType) override;
  void PaintButtonFace(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintItemFrame(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintSeparator(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo,
                      bool horizontal, bool lineOnly) override;
  void PaintStatusBarPart(TCanvas* canvas, const RECT& rect, int part) override;
  bool BooleanMetric(int index) override;

 protected:
  bool PaintsPlainFace(const toolbars::TStyledItemPaintInfo& itemInfo) const override;
  void FillFace(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void FillImageColumn(TCanvas* canvas, const RECT& rect) override;
  void PaintCheckBox(TCanvas* canvas, RECT box, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  UINT CaptionFormat() const override { return 0x108024; }
  void FillCaptionBand(TCanvas* canvas, const RECT& band, bool rows, TColor color) override;
  TColor CaptionBandLineColor(TColor brushColor) const override;
  bool TakesToolbarCaptionColors(int viewType) const override;
  TColor PlainEditFrameColor() const override { return clBtnFace; }
  void PaintSpinFace(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo,
                     bool hot) override;
  void PaintToolbarBorder(TCanvas* canvas, RECT& area, const toolbars::TStyledToolbarPaintInfo& toolbarInfo) override;
  void PaintGrip(TCanvas* canvas, const RECT& handle, const toolbars::TStyledToolbarPaintInfo& toolbarInfo) override;
};

TStockGlyphs& RidgeStockGlyphs();
// Registers "Ridge".
const TUnit& RidgeThemeUnit();

}  // namespace themes

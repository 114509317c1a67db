// "Relief": the classic look with plain backgrounds, grips and caption bars filled with a small relief of bumps,
// single-line separators and a shaded status bar.
#pragma once

#include "themes/classic_look.h"

struct TUnit;

namespace themes {

class TStyledReliefTheme final : public TStyledClassicLook {
  BC_CLASS(TStyledReliefTheme, TStyledClassicLook)
  explicit TStyledReliefTheme(const String& name);

  void PaintSeparator(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo,
                      bool horizontal, bool lineOnly) override;
  void PaintScrollButton(TCanvas* canvas, const RECT& rect, int buttonType, bool flat) override;
  void PaintStatusBarPart(TCanvas* canvas, const RECT& rect, int part) override;

  // The 8 x 8 tile of four bumps on color, in the unit's scratch bitmap.
  void MakeReliefTile(TColor color);
  // rect in color, and inside it, deflated by inset, the relief: snapped to whole bumps and centred, or (plain)
  // starting at the deflated rectangle's top-left.
  void FillRelief(TCanvas* canvas, const RECT& rect, TColor color, int inset, bool plain = false);

 protected:
  int CaptionShift() const override { return -1; }
  TColor MenuCaptionColor(const toolbars::TStyledItemPaintInfo& itemInfo) const override;
  bool PressedFaceHasInnerEdge() const override { return true; }
  void PaintGrip(TCanvas* canvas, const RECT& area, const toolbars::TStyledToolbarPaintInfo& toolbarInfo) override;
  RECT ToolbarCloseButtonRect(const toolbars::TStyledToolbarPaintInfo& toolbarInfo) const override;
  void FillDockedCaptionBar(TCanvas* canvas, const RECT& bar, const String& caption) override;
  UINT DockedCaptionFormat() const override { return 0x108025; }
  void FillFloatingCaption(TCanvas* canvas, const RECT& strip, const String& caption, bool active) override;
  RECT FloatingCaptionTextRect(const RECT& strip) const override;
  UINT FloatingCaptionFormat() const override { return 0x108025; }

 private:
  // The bar in relief on both sides of a centred gap for the caption (gap more pixels than its text), or all
  // over it without a caption; a bar too short stays plain.
  void FillReliefAroundCaption(TCanvas* canvas, const RECT& bar, const String& caption, int gap, int inset);
};

TStockGlyphs& ReliefStockGlyphs();
// Registers "Relief".
const TUnit& ReliefThemeUnit();

}  // namespace themes

// "Crystal": a light, rounded look. Toolbars, menu bars, tool windows and captions are white-to-grey glass
// gradients with a soft rounded border, buttons have cut-corner frames in fixed greys, edit items a three-band
// grey frame, hot and checked faces are flat greys.
#pragma once

#include "themes/pastel_look.h"

struct TUnit;

namespace themes {

// The unit's colours, one set for the process, rewritten by every colour set-up of a Crystal theme.
struct TCrystalColors {
  TColor SeparatorShadow = clNone;  // the dark line of etched separators
  TColor CaptionLight = clNone;     // the light end of caption gradients
  TColor ToolbarEdge = clNone;      // the bottom and right border of toolbars
};
const TCrystalColors& CrystalColors();

class TStyledCrystalTheme final : public TStyledPastelLook {
  BC_CLASS(TStyledCrystalTheme, TStyledPastelLook)
  explicit TStyledCrystalTheme(const String& name);

  void SetupColorCache() override;

  void PaintViewBackground(TCanvas* canvas, const RECT& viewRect, const RECT& paintRect, const RECT& clipRect,
                           TColor color, bool transparent, int viewType) override;
  void PaintButtonFace(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintItemCaption(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo,
                        const String& caption, UINT format, bool rotated) override;
  void PaintItemFrame(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintEditFrame(TCanvas* canvas, const RECT& rect, toolbars::TStyledItemPaintInfo& itemInfo,
                      const toolbars::TStyledEditFrameInfo& editInfo) override;
  void PaintEditButton(TCanvas* canvas, const RECT& rect, toolbars::TStyledItemPaintInfo& itemInfo,
                       const toolbars::TStyledEditButtonInfo& buttonInfo) override;
  void PaintSeparator(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo,
                      bool horizontal, bool lineOnly) override;
  void PaintScrollButton(TCanvas* canvas, const RECT& rect, int buttonType, bool flat) override;
  void PaintStandardControl(TCanvas* canvas, const RECT& rect, int controlType, int state) override;
  void PaintStatusBarPart(TCanvas* canvas, const RECT& rect, int part) override;
  int IntegerMetric(int index) override;
  bool BooleanMetric(int index) override;

 protected:
  void FillImageColumn(TCanvas* canvas, const RECT& rect) override;
  void PaintCheckBox(TCanvas* canvas, RECT box, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  TColor SplitLineHotColor(const toolbars::TStyledItemPaintInfo& itemInfo) override;
  UINT CaptionFormat() const override { return 0x108024; }
  void FillCaptionBand(TCanvas* canvas, const RECT& band, bool rows, TColor color) override;
  TColor CaptionBandLineColor(TColor brushColor) const override;
  TColor DockedCaptionTextColor() const override { return clBlack; }
  void PaintDockedCloseButton(TCanvas* canvas, const RECT& rect, int closeState) override;
  void PaintFloatingCloseButton(TCanvas* canvas, RECT rect, int row, TColor captionText) override;
  bool TakesToolbarCaptionColors(int viewType) const override;
  void PaintToolbarBorder(TCanvas* canvas, RECT& area, const toolbars::TStyledToolbarPaintInfo& toolbarInfo) override;
  void PaintGripDash(TCanvas* canvas, int x, int y, bool vertical) override;

 private:
  // The close button of a caption in the state's row: hot and pushed in their own greys, the others in the
  // toolbar table's colours.
  void PaintCaptionCloseButton(TCanvas* canvas, RECT rect, int row);
  // The face of one half of an edit button that is neither pushed nor hot.
  void PaintQuietEditButton(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo);
};

TStockGlyphs& CrystalStockGlyphs();
// Registers "Crystal".
const TUnit& CrystalThemeUnit();

}  // namespace themes

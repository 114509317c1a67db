// "Gloss": light neutral greys (toolbars 0x00F4F4F4, pop-ups white) with a highlight family derived from the
// system highlight colour, glossy two-part gradients on pressed and checked buttons, cut-corner buttons, striped
// backgrounds and dotted separators and edges.
#pragma once

#include <array>

#include "themes/table_theme.h"

struct TUnit;

namespace themes {

// The unit's colours, one set for the process, written by every colour set-up of a Gloss theme: the base of the
// highlight family (40 % of the highlight over the window), the far colour of pressed gradients, the light base of
// hot gradients, the end of gradients, and the shade and dark colours of the drag handle's bumps.
extern TColor GlossBaseColor;
extern TColor GlossPushedColor;
extern TColor GlossGradientColor;
extern TColor GlossGradientEndColor;
extern TColor GlossGripShadeColor;
extern TColor GlossGripDarkColor;

struct TGlossColors {
  TColor MenuBarColor = clNone;
  TColor ToolbarColor = clNone;
  TColor PopupColor = clNone;
  TColor DockColor = clNone;
  TColor ToolbarEdgeColor = clNone;
  TColor EditFrameColor = clNone;
  TColor PopupFrameColor = clNone;
  TColor MenuSplitColor = clNone;
  TColor StatusDotColor = clNone;
  // [0] other windows, [1] the dock family; each active then inactive.
  std::array<std::array<TColor, 2>, 2> FloatFrameColors{};
};

class TStyledGlossTheme final : public TStyledTableTheme {
  BC_CLASS(TStyledGlossTheme, TStyledTableTheme)
  explicit TStyledGlossTheme(const String& name);

  void SetupColorCache() override;
  const TGlossColors& Colors() const { return colors_; }
  TColor ToolbarColor() const override { return colors_.ToolbarColor; }

  void MarginsById(int marginId, toolbars::TStyledMargins& margins) override;
  void ViewBorderSize(int viewType, POINT& size) override;
  TColor ViewBackColor(int viewType) override;
  int IntegerMetric(int index) override;
  bool BooleanMetric(int index) override;

  void PaintViewBackground(TCanvas* canvas, const RECT& viewRect, const RECT& paintRect, const RECT& clipRect,
                           TColor color, bool transparent, int viewType) override;
  void PaintButtonFace(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintItemCaption(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo,
                        const String& caption, UINT format, bool rotated) override;
  void PaintCheckGlyph(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintEditFrame(TCanvas* canvas, const RECT& rect, toolbars::TStyledItemPaintInfo& itemInfo,
                      const toolbars::TStyledEditFrameInfo& editInfo) override;
  void PaintEditButton(TCanvas* canvas, const RECT& rect, toolbars::TStyledItemPaintInfo& itemInfo,
                       const toolbars::TStyledEditButtonInfo& buttonInfo) override;
  // Gloss paints no dock background (BooleanMetric(5) is false, so the dock never asks).
  void PaintDockBackground(TCanvas* canvas, const RECT& clientRect, const RECT& paintRect, int position) override;
  void PaintDockedCaption(TCanvas* canvas, const RECT& rect,
                          const toolbars::TStyledDockedCaptionInfo& captionInfo) override;
  void PaintDropDownArrow(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintFloatingFrame(TCanvas* canvas, const RECT& rect,
                          const toolbars::TStyledWindowPaintInfo& windowInfo) override;
  void PaintItemFrame(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintMenuItem(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintMenuItemHighlight(TCanvas* canvas, const RECT& rect,
                              const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintScrollButton(TCanvas* canvas, const RECT& rect, int buttonType, bool flat) override;
  void PaintPopupFrame(TCanvas* canvas, const RECT& rect, const toolbars::TStyledPopupPaintInfo& popupInfo) override;
  void PaintSeparator(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo,
                      bool horizontal, bool lineOnly) override;
  void PaintToolbarFrame(TCanvas* canvas, const RECT& rect,
                         const toolbars::TStyledToolbarPaintInfo& toolbarInfo) override;
  void PaintStandardControl(TCanvas* canvas, const RECT& rect, int controlType, int state) override;
  void PaintStatusBarPart(TCanvas* canvas, const RECT& rect, int part) override;

 private:
  // The unit's glossy gradient over rect in its gradient strip.
  void Glass(TCanvas* canvas, const RECT& rect, TColor c1, TColor c2, bool vertical = true);
  // A striped background of rect in color, as view type 0 paints it.
  void Stripes(TCanvas* canvas, const RECT& rect, TColor color);
  // A close button framed and filled in the two colours (clNone: none) with the cross in glyph.
  void PaintCloseBox(TCanvas* canvas, RECT rect, TColor frame, TColor fill, TColor glyph);
  // A caption's close button in its state: 3 pushed, 4 hot, else that toolbar row's frame and fill.
  void PaintCaptionCloseButton(TCanvas* canvas, const RECT& rect, int state);
  // The frame and fill of one part of an edit button that is neither pushed nor hot.
  void PaintEditButtonFace(TCanvas* canvas, const RECT& rect, bool opaque);

  TGlossColors colors_;
};

TStockGlyphs& GlossStockGlyphs();
// Registers "Gloss".
const TUnit& GlossThemeUnit();

}  // namespace themes

// The flat look that the Pastel theme has and the Adaptive theme shades with gradients: the colour roles both
// fill and every painter they share. A theme of this look answers its roles from its own colour set-up and
// replaces the few painting steps where it differs (virtual steps below).
#pragma once

#include <array>

#include "themes/table_theme.h"

namespace themes {

// Border, caption fill and caption text of a floating window's frame.
struct TFloatingColors {
  TColor Border = clNone;
  TColor CaptionFill = clNone;
  TColor CaptionText = clNone;
};

struct TPastelColors {
  TColor MenuBar = clNone;
  TColor Toolbar = clNone;
  TColor Popup = clNone;
  TColor Dock = clNone;
  TColor PopupFrame = clNone;
  // [0] toolbar family, [1] dock family; each active then inactive.
  std::array<std::array<TFloatingColors, 2>, 2> Floating;
  TColor Grip = clNone;
  TColor ImageColumnSeparator = clNone;
  TColor Separator = clNone;
  TColor StatusPaneFrame = clNone;
};

class TStyledPastelLook : public TStyledTableTheme {
  BC_CLASS(TStyledPastelLook, TStyledTableTheme)
  using TStyledTableTheme::TStyledTableTheme;

  const TPastelColors& Colors() const { return colors_; }
  TColor ToolbarColor() const override { return colors_.Toolbar; }

  TColor ViewBackColor(int viewType) override;
  void PaintViewBackground(TCanvas* canvas, const RECT& viewRect, const RECT& paintRect, const RECT& clipRect,
                           TColor color, bool transparent, int viewType) override;
  void PaintButtonFace(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintItemCaption(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo,
                        const String& caption, UINT format, bool rotated) override;
  void PaintEditFrame(TCanvas* canvas, const RECT& rect, toolbars::TStyledItemPaintInfo& itemInfo,
                      const toolbars::TStyledEditFrameInfo& editInfo) override;
  void PaintEditButton(TCanvas* canvas, const RECT& rect, toolbars::TStyledItemPaintInfo& itemInfo,
                       const toolbars::TStyledEditButtonInfo& buttonInfo) override;
  // The look paints no dock background (BooleanMetric(5) is false, so the dock never asks).
  void PaintDockBackground(TCanvas* canvas, const RECT& clientRect, const RECT& paintRect, int position) override;
  void PaintDockedCaption(TCanvas* canvas, const RECT& rect,
                          const toolbars::TStyledDockedCaptionInfo& captionInfo) override;
  void PaintDropDownArrow(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintFloatingFrame(TCanvas* canvas, const RECT& rect, const toolbars::TStyledWindowPaintInfo& windowInfo) override;
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
  int IntegerMetric(int index) override;
  bool BooleanMetric(int index) override;

 protected:
  TPastelColors& EditColors() { return colors_; }
  // The table rows both themes build alike from the hot fill H and the hot text colour: toolbar and pop-up
  // tables of normal colour depth.
  void SetupItemTables(TColor hotFill, TColor hotText);
  // Every stored colour that is not clNone becomes the nearest colour the screen shows.
  void MakeColorsNearest();

  // Whether the face of a neither checked nor designed item is painted (it always is where the table has a
  // colour for it).
  virtual bool PaintsPlainFace(const toolbars::TStyledItemPaintInfo& itemInfo) const;
  // The fill inside a face's frame.
  virtual void FillFace(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo);
  // The band of a pop-up menu's image column.
  virtual void FillImageColumn(TCanvas* canvas, const RECT& rect);
  // The fill of a checked menu item's box over its image column.
  virtual void FillCheckBox(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo);
  // The outer frame and caption fill of a docked window in the normal-luminance case.
  virtual TColor DockedCaptionColor() const { return clBtnFace; }
  // DrawText flags of docked and floating captions.
  virtual UINT CaptionFormat() const { return 0x8824; }
  // The border of a docked toolbar; area shrinks to the inside.
  virtual void PaintToolbarBorder(TCanvas* canvas, RECT& area, const toolbars::TStyledToolbarPaintInfo& toolbarInfo);
  // The grip of a drag handle whose style is not dhNone.
  virtual void PaintGrip(TCanvas* canvas, const RECT& handle, const toolbars::TStyledToolbarPaintInfo& toolbarInfo);
  // One three-pixel dash of a grip, across the handle (horizontal in a vertical handle strip).
  virtual void PaintGripDash(TCanvas* canvas, int x, int y, bool vertical);
  // The caption band of a docked or floating window; rows runs the shading top to bottom.
  virtual void FillCaptionBand(TCanvas* canvas, const RECT& band, bool rows, TColor color);
  // The line that closes a docked caption band, given the caller's brush colour; clNone for none.
  virtual TColor CaptionBandLineColor(TColor brushColor) const { return brushColor; }
  virtual TColor DockedCaptionTextColor() const { return clBtnText; }
  virtual void PaintDockedCloseButton(TCanvas* canvas, const RECT& rect, int closeState);
  // The close button of a floating window on its caption band, row being its toolbar-table state.
  virtual void PaintFloatingCloseButton(TCanvas* canvas, RECT rect, int row, TColor captionText);
  // Whether a floating window of the view type takes the toolbar's caption colours.
  virtual bool TakesToolbarCaptionColors(int viewType) const;
  // The frame of an enabled edit in a pop-up whose items have no frame colour.
  virtual TColor PlainEditFrameColor() const { return colors_.Toolbar; }
  // The face of a spin button half that is pushed, hot or in an opaque toolbar (Pushed tells whether pushed).
  virtual void PaintSpinFace(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo,
                             bool hot);
  // The box of a checked menu item over its image column.
  virtual void PaintCheckBox(TCanvas* canvas, RECT box, const toolbars::TStyledItemPaintInfo& itemInfo);
  // The up and down arrows of a spin button's halves, each in the item's text colour with its half's pushed
  // state; Pushed is left as the lower half's.
  void PaintSpinArrows(TCanvas* canvas, const RECT& upper, const RECT& lower, bool upperPushed, bool lowerPushed,
                       toolbars::TStyledItemPaintInfo& itemInfo);
  // The divider of a split menu item hot under the mouse.
  virtual TColor SplitLineHotColor(const toolbars::TStyledItemPaintInfo& itemInfo);

 private:
  void PaintEditButtonPart(TCanvas* canvas, RECT face, const RECT& toolbarFrame, bool pushed, bool hot, bool spin,
                           toolbars::TStyledItemPaintInfo& itemInfo);

  TPastelColors colors_;
};

}  // namespace themes

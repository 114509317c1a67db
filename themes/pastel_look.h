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

 private:
  void PaintEditButtonPart(TCanvas* canvas, RECT face, const RECT& toolbarFrame, bool pushed, bool hot,
                           toolbars::TStyledItemPaintInfo& itemInfo);

  TPastelColors colors_;
};

}  // namespace themes

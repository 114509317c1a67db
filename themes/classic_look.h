// The classic raised look that the Emboss and Relief themes build over the framework's default theme: buttons with
// cut corners, hot and pressed states as checker dithers of the face and highlight colours, raised edges on
// floating and docked windows, captions in the global caption colour. Each theme replaces the steps where it
// differs (the virtual steps below) and its backgrounds, separators and status bar.
#pragma once

#include "themes/stock_glyphs.h"
#include "toolbars/theme/default_theme.h"

namespace themes {

class TStyledClassicLook : public toolbars::TStyledDefaultTheme {
  BC_CLASS(TStyledClassicLook, toolbars::TStyledDefaultTheme)
  // The default theme's constructor subscribes and sets up colours; then the unit's stock objects.
  TStyledClassicLook(const String& name, TStockGlyphs& unitGlyphs);
  ~TStyledClassicLook() override;
  TStyledClassicLook(const TStyledClassicLook&) = delete;
  TStyledClassicLook& operator=(const TStyledClassicLook&) = delete;

  // The colour of docks and of the inside of most pop-ups (the light face).
  TColor DockColor() const { return dockColor_; }
  // Frames of items and edit fields, disabled text (the shade).
  TColor FrameColor() const { return frameColor_; }

  TColor ItemBackColor(const toolbars::TStyledItemPaintInfo& itemInfo) override;
  TColor ItemTextColor(const toolbars::TStyledItemPaintInfo& itemInfo) override;
  int PopupShadowKind() override;
  void ViewBorderSize(int viewType, POINT& size) override;
  TColor ViewBackColor(int viewType) override;
  void PaintButtonFace(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintItemCaption(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo,
                        const String& caption, UINT format, bool rotated) override;
  void PaintEditFrame(TCanvas* canvas, const RECT& rect, toolbars::TStyledItemPaintInfo& itemInfo,
                      const toolbars::TStyledEditFrameInfo& editInfo) override;
  void PaintEditButton(TCanvas* canvas, const RECT& rect, toolbars::TStyledItemPaintInfo& itemInfo,
                       const toolbars::TStyledEditButtonInfo& buttonInfo) override;
  void PaintDockedCaption(TCanvas* canvas, const RECT& rect,
                          const toolbars::TStyledDockedCaptionInfo& captionInfo) override;
  void PaintDropDownArrow(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintFloatingFrame(TCanvas* canvas, const RECT& rect, const toolbars::TStyledWindowPaintInfo& windowInfo) override;
  void PaintItemFrame(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintItemImage(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo,
                      TCustomImageList* imageList, int imageIndex) override;
  void PaintMdiButton(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo,
                      UINT buttonKind) override;
  void PaintMenuItem(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintMenuItemHighlight(TCanvas* canvas, const RECT& rect,
                              const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintScrollButton(TCanvas* canvas, const RECT& rect, int buttonType, bool flat) override;
  void PaintPopupFrame(TCanvas* canvas, const RECT& rect, const toolbars::TStyledPopupPaintInfo& popupInfo) override;
  void PaintToolbarFrame(TCanvas* canvas, const RECT& rect,
                         const toolbars::TStyledToolbarPaintInfo& toolbarInfo) override;
  void PaintStandardControl(TCanvas* canvas, const RECT& rect, int controlType, int state) override;
  int IntegerMetric(int index) override;
  bool BooleanMetric(int index) override;
  void SetupColorCache() override;

 protected:
  TImageList* Glyphs() const { return unitGlyphs_.Glyphs(); }
  TBitmap* Scratch() const { return unitGlyphs_.Scratch(); }
  // The shift of an item caption that is not pressed; a pressed one sits one pixel further right and down.
  virtual int CaptionShift() const { return 0; }
  // The caption colour of an enabled, not hot menu-bar or pop-up item.
  virtual TColor MenuCaptionColor(const toolbars::TStyledItemPaintInfo& itemInfo) const;
  // A pressed face also gets a face-coloured line along its inner bottom and right edges.
  virtual bool PressedFaceHasInnerEdge() const { return false; }
  // The grip of a drag handle whose style is not dhNone; area is inside the toolbar's border.
  virtual void PaintGrip(TCanvas* canvas, const RECT& area, const toolbars::TStyledToolbarPaintInfo& toolbarInfo) = 0;
  virtual RECT ToolbarCloseButtonRect(const toolbars::TStyledToolbarPaintInfo& toolbarInfo) const;
  // A docked caption bar inside its raised edge, with the caption it will show.
  virtual void FillDockedCaptionBar(TCanvas* canvas, const RECT& bar, const String& caption);
  virtual UINT DockedCaptionFormat() const { return 0x108020; }
  // A floating window's caption strip and the text rectangle inside it.
  virtual void FillFloatingCaption(TCanvas* canvas, const RECT& strip, const String& caption, bool active);
  virtual RECT FloatingCaptionTextRect(const RECT& strip) const;
  virtual UINT FloatingCaptionFormat() const { return 0x108024; }
  // A caption's close button: dithered and framed when hot or pushed, and its cross.
  void PaintCaptionCloseButton(TCanvas* canvas, RECT rect, int closeState);

 private:
  // One half of a spin button, or a whole drop-down button.
  void PaintEditButtonPart(TCanvas* canvas, const RECT& rect, bool pushed, bool hot, bool opaque);

  TStockGlyphs& unitGlyphs_;
  TColor dockColor_ = clNone;
  TColor frameColor_ = clNone;
};

// The grip dots, the cut-corner frame and the cross every classic-look painter shares.
void DrawClassicCross(TCanvas* canvas, const RECT& rect, int shift);

}  // namespace themes

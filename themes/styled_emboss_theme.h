// "Emboss": the framework's default look embossed: view backgrounds with fine horizontal stripes, buttons with
// cut corners, hot and pressed states as checker dithers of the face and highlight colours, etched separators,
// raised edges on floating and docked windows, captions in the global caption colour.
#pragma once

#include "themes/stock_glyphs.h"
#include "toolbars/theme/default_theme.h"

struct TUnit;

namespace themes {

class TStyledEmbossTheme final : public toolbars::TStyledDefaultTheme {
  BC_CLASS(TStyledEmbossTheme, toolbars::TStyledDefaultTheme)
  explicit TStyledEmbossTheme(const String& name);
  ~TStyledEmbossTheme() override;
  TStyledEmbossTheme(const TStyledEmbossTheme&) = delete;
  TStyledEmbossTheme& operator=(const TStyledEmbossTheme&) = delete;

  // The colour of docks and of the inside of most pop-ups.
  TColor DockColor() const { return dockColor_; }
  // Frames of items and edit fields, disabled text.
  TColor FrameColor() const { return frameColor_; }

  TColor ItemBackColor(const toolbars::TStyledItemPaintInfo& itemInfo) override;
  TColor ItemTextColor(const toolbars::TStyledItemPaintInfo& itemInfo) override;
  int PopupShadowKind() override;
  void ViewBorderSize(int viewType, POINT& size) override;
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
  void PaintSeparator(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo,
                      bool horizontal, bool lineOnly) override;
  void PaintToolbarFrame(TCanvas* canvas, const RECT& rect,
                         const toolbars::TStyledToolbarPaintInfo& toolbarInfo) override;
  void PaintStandardControl(TCanvas* canvas, const RECT& rect, int controlType, int state) override;
  void PaintStatusBarPart(TCanvas* canvas, const RECT& rect, int part) override;
  int IntegerMetric(int index) override;
  bool BooleanMetric(int index) override;
  void SetupColorCache() override;

 private:
  // One half of a spin button, or a whole drop-down button.
  void PaintEditButtonPart(TCanvas* canvas, const RECT& rect, bool pushed, bool hot, bool opaque);
  // A caption's close button: dithered and framed when hot or pushed, and its cross.
  void PaintCaptionCloseButton(TCanvas* canvas, RECT rect, int closeState);

  TColor dockColor_ = clNone;
  TColor frameColor_ = clNone;
};

TStockGlyphs& EmbossStockGlyphs();
// Registers "Emboss".
const TUnit& EmbossThemeUnit();

}  // namespace themes

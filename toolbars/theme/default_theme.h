// TStyledDefaultTheme, the built-in theme "Default": the classic look in system colours and, while visual styles
// are in use, the style's toolbar, rebar, window, combo box, spin, button and status parts. Other themes derive
// from it and call its operations as their base's, so each one behaves exactly as documented here.
#pragma once

#include "toolbars/theme/theme.h"

struct TUnit;

namespace toolbars {

class TStyledDefaultTheme : public TStyledTheme {
  BC_CLASS(TStyledDefaultTheme, TStyledTheme)
  // Subscribes to the theme manager and sets up its colours.
  explicit TStyledDefaultTheme(const String& name);
  ~TStyledDefaultTheme() override;

  TColor FaceColor() const { return faceColor_; }
  void SetFaceColor(TColor value) { faceColor_ = value; }

  void AfterConstruction() override;
  // tcRebuildColors runs SetupColorCache again.
  void Dispatch(TMessage& message) override;

  POINT ItemImageOffset(TCanvas* canvas, const TStyledItemPaintInfo& itemInfo, TCustomImageList* imageList) override;
  TColor ItemBackColor(const TStyledItemPaintInfo& itemInfo) override;
  TColor ItemTextColor(const TStyledItemPaintInfo& itemInfo) override;
  TColor ItemImageBackColor(const TStyledItemPaintInfo& itemInfo) override;
  void MarginsById(int marginId, TStyledMargins& margins) override;
  int PopupShadowKind() override;
  void ViewBorderSize(int viewType, POINT& size) override;
  TColor ViewBackColor(int viewType) override;
  void ViewMargins(int viewType, TStyledMargins& margins) override;
  void PaintViewBackground(TCanvas* canvas, const RECT& viewRect, const RECT& paintRect, const RECT& clipRect,
                           TColor color, bool transparent, int viewType) override;
  void PaintButtonFace(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) override;
  void PaintItemCaption(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo, const String& caption,
                        UINT format, bool rotated) override;
  void PaintCheckGlyph(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) override;
  void PaintChevronGlyph(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) override;
  void PaintEditFrame(TCanvas* canvas, const RECT& rect, TStyledItemPaintInfo& itemInfo,
                      const TStyledEditFrameInfo& editInfo) override;
  void PaintEditButton(TCanvas* canvas, const RECT& rect, TStyledItemPaintInfo& itemInfo,
                       const TStyledEditButtonInfo& buttonInfo) override;
  void PaintDockBackground(TCanvas* canvas, const RECT& clientRect, const RECT& paintRect, int position) override;
  void PaintDockedCaption(TCanvas* canvas, const RECT& rect, const TStyledDockedCaptionInfo& captionInfo) override;
  void PaintDropDownArrow(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) override;
  void PaintFloatingFrame(TCanvas* canvas, const RECT& rect, const TStyledWindowPaintInfo& windowInfo) override;
  void PaintItemFrame(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) override;
  void PaintItemImage(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                      TCustomImageList* imageList, int imageIndex) override;
  void PaintMdiButton(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                      UINT buttonKind) override;
  void PaintMenuItem(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) override;
  void PaintMenuItemHighlight(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) override;
  void PaintScrollButton(TCanvas* canvas, const RECT& rect, int buttonType, bool flat) override;
  void PaintPopupFrame(TCanvas* canvas, const RECT& rect, const TStyledPopupPaintInfo& popupInfo) override;
  void PaintSeparator(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo, bool horizontal,
                      bool lineOnly) override;
  void PaintToolbarFrame(TCanvas* canvas, const RECT& rect, const TStyledToolbarPaintInfo& toolbarInfo) override;
  void PaintStandardControl(TCanvas* canvas, const RECT& rect, int controlType, int state) override;
  void PaintStatusBarPart(TCanvas* canvas, const RECT& rect, int part) override;
  int IntegerMetric(int index) override;
  bool BooleanMetric(int index) override;

  // FaceColor := the toolbar fill colour of the theme manager.
  virtual void SetupColorCache();

 private:
  TColor faceColor_ = clBtnFace;
};

// Registers "Default" (so it is the first theme) and keeps the theme's small-caption font and glyph patterns.
const TUnit& DefaultThemeUnit();

}  // namespace toolbars

// The viewers of the themed items: every size they take and every pixel they paint comes from the current theme,
// through a paint-info record that says where and in which state the item is.
#pragma once

#include "toolbars/styled/styled_item.h"
#include "toolbars/theme/theme.h"
#include "toolbars/views/item_viewer.h"

namespace toolbars {

// Puts the canvas font back as the view chose it when a measurement or paint that adjusted it ends.
class TCanvasFontSaver {
 public:
  explicit TCanvasFontSaver(TCanvas* canvas) : canvas_(canvas), life_(canvas->LifeWatch()) {
    saved_.Assign(canvas->Font());
  }
  ~TCanvasFontSaver() {
    if (!life_.Ended()) canvas_->Font()->Assign(&saved_);
  }
  TCanvasFontSaver(const TCanvasFontSaver&) = delete;
  TCanvasFontSaver& operator=(const TCanvasFontSaver&) = delete;

 private:
  TCanvas* canvas_;
  TLifeWatch life_;
  TFont saved_;
};

class TStyledItemViewer : public TBarItemViewer {
  BC_CLASS(TStyledItemViewer, TBarItemViewer)
  using TBarItemViewer::TBarItemViewer;

  TRaised CalcSize(TCanvas* canvas, int& width, int& height) override;
  bool IsToolbarSize() const override;
  bool IsToolbarStyle() const override;
  bool IsPtInButtonPart(int x, int y) const override;
  TRaised MouseUp(int x, int y, TBarTrackingState& state) override;
  TRaised Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                bool useDisabledShadow) override;

  // Lets a descendant paint the caption itself (paintDefault false) or move it.
  virtual void DoPaintCaption(TCanvas* canvas, const RECT& clientAreaRect, RECT& captionRect, bool isTextRotated,
                              bool& paintDefault);
  // 1 in toolbar style, 2 otherwise.
  virtual int GetStyleKind() const { return IsToolbarStyle() ? 1 : 2; }
  // Raise the item's OnDrawImage and OnAdjustFont; the answer is whether the viewer outlived them.
  virtual TRaised DrawItemImage(TCanvas* canvas, const RECT& rect, TStyledItemPaintInfo& itemInfo);
  virtual TRaised DoAdjustFont(TFont* font, int stateFlags);

  // The image list's size, 0 x 0 without one.
  SIZE GetImageSize() const;
  UINT GetTextFlags() const { return GetDrawTextFlags(); }
  // The caption's extent, rotated on request; single-line formats measure one line. Empty text is 0 x 0.
  void GetTextSize(TCanvas* canvas, const String& text, bool rotated, SIZE& size, UINT format) const;

 protected:
  // The layout with stlAuto resolved.
  TStyledItemLayout EffectiveLayout() const;
  // The caption runs downwards: a vertical toolbar-style item without an explicit layout.
  bool IsCaptionRotated() const;
  // The record every painter of this item is given.
  TStyledItemPaintInfo MakePaintInfo(bool isSelected, bool isPushed) const;
};

class TStyledSeparatorItemViewer : public TBarSeparatorItemViewer {
  BC_CLASS(TStyledSeparatorItemViewer, TBarSeparatorItemViewer)
  using TBarSeparatorItemViewer::TBarSeparatorItemViewer;

  TRaised CalcSize(TCanvas* canvas, int& width, int& height) override;
  bool IsToolbarSize() const override;
  bool IsToolbarStyle() const override;
  TRaised Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                bool useDisabledShadow) override;
};

// The width of the image column of pop-up entries, from the viewer's image size and the menu font.
int GetPopupMargin(TBarItemViewer* viewer);
// An image-list image painted by the theme as a toolbar item in the state the sf* flags give.
void DrawThemedImage(TCanvas* canvas, const RECT& rect, TCustomImageList* imageList, int imageIndex, int flags);
// The sf* flags of a paint record.
int StateFlagsOf(const TStyledItemPaintInfo& itemInfo);

}  // namespace toolbars

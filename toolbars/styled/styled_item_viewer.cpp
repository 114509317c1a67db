#include "toolbars/styled/styled_item_viewer.h"

#include <algorithm>

#include "framework/application.h"
#include "framework/image_list.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/items/item_action_link.h"
#include "toolbars/popups/done_action.h"
#include "toolbars/styled/current_theme.h"
#include "toolbars/styled/styled_edit_item.h"
#include "toolbars/styled/view_queries.h"
#include "toolbars/views/view.h"
#include "toolbars/views/viewer_canvas.h"

namespace toolbars {

namespace {

// The size pop-up entries assume for an image when they have none.
constexpr int kDefaultImageSize = 16;

TEXTMETRICW MetricsOf(TCanvas* canvas) {
  TEXTMETRICW metrics{};
  GetTextMetricsW(FontDC(canvas), &metrics);
  return metrics;
}

RECT CentredIn(const RECT& cell, int width, int height) {
  const int x = cell.left + (cell.right - cell.left - width) / 2;
  const int y = cell.top + (cell.bottom - cell.top - height) / 2;
  return RECT{x, y, x + width, y + height};
}

}  // namespace

int StateFlagsOf(const TStyledItemPaintInfo& itemInfo) {
  int flags = 0;
  if (!itemInfo.Enabled) flags |= sfDisabled;
  if (itemInfo.HoverKind == hkHot) flags |= sfHot;
  if (itemInfo.Pushed) flags |= sfPushed;
  if (itemInfo.Checked) flags |= sfChecked;
  return flags;
}

int GetPopupMargin(TBarItemViewer* viewer) {
  TStyledTheme* theme = CurrentTheme();
  TCustomImageList* images = viewer->GetImageList();
  int w = images ? images->Width() : 0;
  int h = images ? images->Height() : 0;
  if (w < 1 || h < 1) w = h = kDefaultImageSize;
  const int m = theme ? 2 * theme->IntegerMetric(30) : 0;
  TCanvas canvas;
  HDC screen = GetDC(nullptr);
  canvas.SetHandle(screen);
  canvas.SetFont(BarMenuFont());
  const TEXTMETRICW metrics = MetricsOf(&canvas);
  canvas.SetHandle(nullptr);
  ReleaseDC(nullptr, screen);
  const int t = metrics.tmHeight + metrics.tmExternalLeading;
  // An image column never shrinks to nothing, whatever a theme answers for its margins.
  const int divisor = std::max(1, h + m);
  return (w + m) * std::max(t + m, h + m) / divisor;
}

void DrawThemedImage(TCanvas* canvas, const RECT& rect, TCustomImageList* imageList, int imageIndex, int flags) {
  TStyledTheme* theme = CurrentTheme();
  if (!theme || !imageList) return;
  TStyledItemPaintInfo info{};
  info.ViewType = vtToolbarFamily;
  info.ItemOptions = ioToolbarStyle;
  info.Enabled = (flags & sfDisabled) == 0;
  info.Pushed = (flags & sfPushed) != 0;
  info.HoverKind = (flags & sfHot) != 0 ? hkHot : hkNone;
  info.Checked = (flags & sfChecked) != 0;
  theme->PaintItemImage(canvas, rect, info, imageList, imageIndex);
}

// ---- measuring

bool TStyledItemViewer::IsToolbarSize() const { return TBarItemViewer::IsToolbarSize(); }
bool TStyledItemViewer::IsToolbarStyle() const { return TBarItemViewer::IsToolbarStyle(); }

SIZE TStyledItemViewer::GetImageSize() const {
  TCustomImageList* images = GetImageList();
  return images ? SIZE{images->Width(), images->Height()} : SIZE{0, 0};
}

void TStyledItemViewer::GetTextSize(TCanvas* canvas, const String& text, bool rotated, SIZE& size, UINT format) const {
  size = SIZE{0, 0};
  if (text.empty()) return;
  RECT r{0, 0, 0, 0};
  DrawTextW(FontDC(canvas), text.c_str(), static_cast<int>(text.size()), &r, format | DT_CALCRECT);
  size = rotated ? SIZE{r.bottom - r.top, r.right - r.left} : SIZE{r.right - r.left, r.bottom - r.top};
}

TStyledItemLayout TStyledItemViewer::EffectiveLayout() const {
  auto* styled = ObjectAs<TStyledCustomItem>(Item());
  const TStyledItemLayout layout = styled ? styled->Layout() : TStyledItemLayout::stlAuto;
  if (layout != TStyledItemLayout::stlAuto) return layout;
  return HasOption(TBarItemOption::tboImageAboveCaption) || View()->Orientation() == TBarViewOrientation::tbvoVertical
             ? TStyledItemLayout::stlGlyphTop
             : TStyledItemLayout::stlGlyphLeft;
}

bool TStyledItemViewer::IsCaptionRotated() const {
  auto* styled = ObjectAs<TStyledCustomItem>(Item());
  const bool explicitLayout = styled && styled->Layout() != TStyledItemLayout::stlAuto;
  return View()->Orientation() == TBarViewOrientation::tbvoVertical && IsToolbarStyle() && !explicitLayout &&
         !HasOption(TBarItemOption::tboImageAboveCaption) && !HasOption(TBarItemOption::tboNoRotation);
}

TRaised TStyledItemViewer::CalcSize(TCanvas* canvas, int& width, int& height) {
  TStyledTheme* theme = CurrentTheme();
  if (!theme) {
    return TBarItemViewer::CalcSize(canvas, width, height);
  }
  TCanvasFontSaver restore(canvas);
  if (DoAdjustFont(canvas->Font(), Item()->Enabled() ? 0 : sfDisabled).Gone()) return TRaised(false);
  const SIZE image = GetImageSize();
  const bool hasImage = image.cx > 0 && image.cy > 0 && IsImageShown();
  const int imageW = hasImage ? static_cast<int>(image.cx) : 0;
  const int imageH = hasImage ? static_cast<int>(image.cy) : 0;
  const bool glyphTop = EffectiveLayout() == TStyledItemLayout::stlGlyphTop;
  const bool rotated = IsCaptionRotated();
  const bool toolbarStyle = IsToolbarStyle();
  const bool captionShown = !toolbarStyle || CaptionShown();
  SIZE text{0, 0};
  if (captionShown) {
    const UINT format = (rotated || !toolbarStyle) ? DT_SINGLELINE : 0;
    GetTextSize(canvas, CaptionText(), rotated, text, format | GetTextFlags());
  }
  TBarCustomItem* item = Item();
  if (!toolbarStyle) {
    const int m30 = theme->IntegerMetric(30);
    const int m31 = theme->IntegerMetric(31);
    width = 2 * m31 + text.cx;
    height = std::max<int>(2 * m30 + text.cy, 2 * m30 + (imageH > 0 ? imageH : kDefaultImageSize));
    width += theme->IntegerMetric(32) + GetPopupMargin(this) + theme->IntegerMetric(33) + theme->IntegerMetric(34);
    const String shortCut = item->GetShortCutText();
    if (!shortCut.empty()) {
      SIZE shortCutSize{};
      GetTextSize(canvas, shortCut, false, shortCutSize, DT_SINGLELINE | DT_NOPREFIX);
      width += shortCutSize.cx + height - 6;
    }
    width += height;
  } else {
    width = height = 6;
    if (text.cx > 0 || text.cy > 0) {
      width += text.cx;
      height += text.cy;
      (rotated ? height : width) += 4;
    }
    if (imageW > 0) {
      if (!glyphTop) {
        width += imageW + 1;
        height = std::max(height, imageH + 6);
      } else {
        height += imageH;
        width = std::max(width, imageW + 7);
      }
    }
    const bool combo = item->HasStyle(isSplitButton);
    if (item->HasStyle(isSubmenu) && !combo && HasOption(TBarItemOption::tboDropdownArrow)) {
      const int arrow = theme->IntegerMetric(20);
      if (glyphTop && imageW > 0 && !rotated)
        width = std::max(width, imageW + 9 + arrow);
      else
        (View()->Orientation() == TBarViewOrientation::tbvoVertical ? height : width) += arrow;
    }
    if (combo) width += theme->IntegerMetric(10);
  }
  if (auto* styled = ObjectAs<TStyledCustomItem>(item)) {
    width = std::max(width, styled->MinWidth());
    height = std::max(height, styled->MinHeight());
  }
  return TRaised(true);
}

bool TStyledItemViewer::IsPtInButtonPart(int x, int y) const {
  (void)y;
  TBarCustomItem* item = Item();
  if (!item->HasStyle(isSubmenu) || item->Count() == 0) return true;
  if (!item->HasStyle(isSplitButton)) return false;
  TStyledTheme* theme = CurrentTheme();
  const int arrow =
      IsToolbarStyle() ? (theme ? theme->IntegerMetric(10) : kSplitArrowWidth) : GetSystemMetrics(SM_CXMENUCHECK);
  return x < (BoundsRect().right - BoundsRect().left) - arrow;
}

TRaised TStyledItemViewer::MouseUp(int x, int y, TBarTrackingState& state) {
  if (TBarItemViewer::MouseUp(x, y, state).Gone()) return TRaised(false);
  if (state.Done) return TRaised(true);
  TBarCustomItem* item = Item();
  if (View()->Selected() != this || !View()->MouseOverSelected() || !item->Enabled() ||
      item->HasStyle(isClicksTransparent))
    return TRaised(true);
  if (item->HasStyle(isSubmenu) && !IsPtInButtonPart(x, y)) return TRaised(true);
  const bool sound = !(state.RootView == View() && !View()->IsPopup());
  const TLifeWatch life = LifeWatch();
  const TLifeWatch itemLife = item->LifeWatch();
  const TRaised prioritized = View()->GivePriority(this);
  if (!itemLife.Ended()) RecordItemClick(state, item, sound);
  state.Done = true;
  return TRaised(prioritized.Alive() && !life.Ended());
}

// ---- painting

void TStyledItemViewer::DoPaintCaption(TCanvas* canvas, const RECT& clientAreaRect, RECT& captionRect,
                                       bool isTextRotated, bool& paintDefault) {
  (void)canvas, (void)clientAreaRect, (void)captionRect, (void)isTextRotated, (void)paintDefault;
}

TRaised TStyledItemViewer::DoAdjustFont(TFont* font, int stateFlags) {
  if (HasOption(TBarItemOption::tboDefault)) font->SetStyle(font->Style() + TFontStyle::fsBold);
  auto* styled = ObjectAs<TStyledCustomItem>(Item());
  if (!styled) {
    // A themed edit item shown as a button keeps its own font settings.
    if (auto* edit = ObjectAs<TStyledEditItem>(Item())) ApplyFontSettings(*edit->FontSettings(), font);
    return TRaised(true);
  }
  ApplyFontSettings(*styled->FontSettings(), font);
  return RaiseEvent(styled->OnAdjustFont, styled, this, font, stateFlags);
}

TRaised TStyledItemViewer::DrawItemImage(TCanvas* canvas, const RECT& rect, TStyledItemPaintInfo& itemInfo) {
  TBarCustomItem* item = Item();
  // Such an item is not updated while idle; it catches up when it is shown.
  if (item->Tag() == kNoActionUpdateTag && item->ActionLink()) item->ActionLink()->Update();
  TStyledTheme* theme = CurrentTheme();
  TCustomImageList* images = GetImageList();
  if (images && item->ImageIndex() >= 0 && item->ImageIndex() < images->Count())
    theme->PaintItemImage(canvas, rect, itemInfo, images, item->ImageIndex());
  auto* styled = ObjectAs<TStyledCustomItem>(item);
  if (!styled || !styled->OnDrawImage) return TRaised(true);
  return RaiseEvent(styled->OnDrawImage, styled, this, canvas, rect, theme->ItemImageOffset(canvas, itemInfo, images),
                    StateFlagsOf(itemInfo));
}

TStyledItemPaintInfo TStyledItemViewer::MakePaintInfo(bool isSelected, bool isPushed) const {
  TBarCustomItem* item = Item();
  TBarView* view = View();
  const bool toolbarStyle = IsToolbarStyle();
  const bool combo = item->HasStyle(isSplitButton);
  TStyledItemPaintInfo info{};
  info.ViewType = GetViewType(view);
  if (toolbarStyle) info.ItemOptions |= ioToolbarStyle;
  if (item->HasStyle(isSubmenu)) info.ItemOptions |= ioHasSubmenu;
  if (combo) info.ItemOptions |= ioDropDownCombo;
  if (item->IsDesigning()) info.ItemOptions |= ioDesigning;
  if (Application && Application->Active()) info.ItemOptions |= ioAppActive;
  info.Enabled = item->Enabled() || view->Customizing();
  info.Pushed = isPushed;
  if (isSelected) info.HoverKind = info.Enabled ? hkHot : (view->MouseOverSelected() ? hkNone : hkKeyboardHot);
  info.Checked = item->Checked();
  const SIZE image = GetImageSize();
  info.ImageShown = IsImageShown() && image.cx > 0 && image.cy > 0;
  info.ImageWidth = image.cx;
  info.ImageHeight = image.cy;
  info.IsVertical = view->Orientation() == TBarViewOrientation::tbvoVertical && !combo;
  info.IsPopupParent = toolbarStyle && view->OpenViewer() == this;
  info.PopupMargin = GetPopupMargin(const_cast<TStyledItemViewer*>(this));
  return info;
}

TRaised TStyledItemViewer::Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                                 bool useDisabledShadow) {
  TStyledTheme* theme = CurrentTheme();
  if (!theme) {
    return TBarItemViewer::Paint(canvas, clientAreaRect, isSelected, isPushed, useDisabledShadow);
  }
  TBarCustomItem* item = Item();
  const RECT r = clientAreaRect;
  const bool toolbarStyle = IsToolbarStyle();
  const bool combo = item->HasStyle(isSplitButton);
  const bool vertical = View()->Orientation() == TBarViewOrientation::tbvoVertical;
  // A pushed combo looks pushed only in the part the mouse went down on: the button part while the button is
  // held, the arrow part while its pop-up is open.
  const bool facePushed = combo ? isPushed && View()->MouseButtonDown() : isPushed;
  const bool arrowPushed = combo && isPushed && !View()->MouseButtonDown();
  TStyledItemPaintInfo info = MakePaintInfo(isSelected, facePushed);

  TCanvasFontSaver restore(canvas);
  if (DoAdjustFont(canvas->Font(), StateFlagsOf(info)).Gone()) return TRaised(false);
  canvas->Font()->SetColor(theme->ItemTextColor(info));

  const int imageW = info.ImageWidth;
  const int imageH = info.ImageHeight;
  const bool imageShown = info.ImageShown;
  const bool glyphTop = EffectiveLayout() == TStyledItemLayout::stlGlyphTop;
  const bool rotated = IsCaptionRotated();
  const int height = r.bottom - r.top;
  RECT content = r;
  RECT imageCell{};
  if (!toolbarStyle) {
    theme->PaintMenuItem(canvas, r, info);
    const int m31 = theme->IntegerMetric(31);
    content.left = r.left + info.PopupMargin + m31;
    content.right = r.right - m31;
    imageCell = RECT{r.left + m31, r.top, r.left + m31 + height, r.bottom};
  } else {
    const bool dropdown = item->HasStyle(isSubmenu) && !combo && HasOption(TBarItemOption::tboDropdownArrow);
    if (dropdown) {
      const int arrowSize = theme->IntegerMetric(20);
      RECT arrow;
      if (glyphTop && imageShown && !rotated)
        arrow = RECT{r.right - arrowSize, r.top, r.right, r.top + imageH + 4};
      else if (vertical)
        arrow = RECT{r.left, r.bottom - arrowSize, r.right, r.bottom};
      else
        arrow = RECT{r.right - arrowSize, r.top, r.right, r.bottom};
      info.ComboPart = cpMainOfArrowItem;
      theme->PaintButtonFace(canvas, r, info);
      theme->PaintDropDownArrow(canvas, arrow, info);
      // Beside a top image the arrow leaves the caption its full width.
      if (!(glyphTop && imageShown && !rotated))
        (vertical ? content.bottom : content.right) = vertical ? arrow.top : arrow.left;
    } else if (combo) {
      const int arrowSize = theme->IntegerMetric(10);
      const RECT face{r.left, r.top, r.right - arrowSize, r.bottom};
      const RECT arrow{r.right - arrowSize, r.top, r.right, r.bottom};
      info.ComboPart = cpMainOfCombo;
      theme->PaintButtonFace(canvas, face, info);
      TStyledItemPaintInfo arrowInfo = info;
      arrowInfo.ComboPart = cpComboArrow;
      arrowInfo.Pushed = arrowPushed;
      arrowInfo.Checked = false;
      theme->PaintButtonFace(canvas, arrow, arrowInfo);
      content.right = face.right;
    } else {
      theme->PaintButtonFace(canvas, r, info);
    }
    InflateRect(&content, -2, -2);
  }

  const String caption = CaptionText();
  if ((!toolbarStyle || CaptionShown()) && !caption.empty()) {
    const TEXTMETRICW metrics = MetricsOf(canvas);
    RECT text = content;
    UINT format = DT_SINGLELINE | GetTextFlags();
    if (!toolbarStyle) {
      format |= DT_VCENTER;
      text.left += theme->IntegerMetric(32) + theme->IntegerMetric(33);
      if ((text.bottom - text.top) - (metrics.tmHeight + metrics.tmExternalLeading) == theme->IntegerMetric(30))
        --text.bottom;
      text.top += metrics.tmExternalLeading;
    } else {
      SIZE size{};
      GetTextSize(canvas, caption, rotated, size, DT_SINGLELINE | GetTextFlags());
      if (!imageShown) {
        format |= DT_CENTER | DT_VCENTER;
      } else if (!glyphTop) {
        format |= DT_VCENTER;
        text.left = (content.left + imageW + 3 + content.right - size.cx) / 2;
      } else {
        format |= DT_CENTER;
        text.top = content.top + imageH + 1 + (rotated ? 3 : 0);
        text.top += (content.bottom - text.top - size.cy) / 2;
      }
    }
    bool paintDefault = true;
    DoPaintCaption(canvas, r, text, rotated, paintDefault);
    if (paintDefault) theme->PaintItemCaption(canvas, text, info, caption, format, rotated);
    if (!toolbarStyle) {
      const String shortCut = item->GetShortCutText();
      if (!shortCut.empty()) {
        SIZE size{};
        GetTextSize(canvas, shortCut, false, size, DT_SINGLELINE | DT_NOPREFIX);
        RECT place{r.right - height - size.cx, text.top, r.right - height, text.bottom};
        theme->PaintItemCaption(canvas, place, info, shortCut, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, false);
      }
    }
  }

  if (toolbarStyle) {
    imageCell = content;
    if ((!toolbarStyle || CaptionShown()) && !caption.empty()) {
      if (glyphTop)
        imageCell.bottom = imageCell.top + imageH + 2;
      else
        imageCell.right = imageCell.left + imageW + 2;
    }
  }
  if (imageShown) {
    RECT place = CentredIn(imageCell, imageW, imageH);
    return DrawItemImage(canvas, place, info);
  } else if (!toolbarStyle && info.Checked) {
    theme->PaintCheckGlyph(canvas, imageCell, info);
  }
  return TRaised(true);
}

// ---- separators

bool TStyledSeparatorItemViewer::IsToolbarSize() const {
  return TBarSeparatorItemViewer::IsToolbarSize() || IsViewType(GetViewType(View()), vtToolBoxPopup);
}

bool TStyledSeparatorItemViewer::IsToolbarStyle() const {
  return TBarSeparatorItemViewer::IsToolbarStyle() || IsViewType(GetViewType(View()), vtToolBoxPopup);
}

TRaised TStyledSeparatorItemViewer::CalcSize(TCanvas* canvas, int& width, int& height) {
  auto* separator = ObjectAs<TStyledSeparatorItem>(Item());
  const int size = separator ? separator->Size() : -1;
  const bool toolbarStyle = IsToolbarStyle();
  if (size >= 0) {
    width = toolbarStyle ? size : 0;
    height = size;
    return TRaised(true);
  }
  TStyledTheme* theme = CurrentTheme();
  const int metric = theme ? theme->IntegerMetric(toolbarStyle ? 50 : 35) : -1;
  if (metric < 0) {
    return TBarSeparatorItemViewer::CalcSize(canvas, width, height);
  }
  width = height = metric;
  return TRaised(true);
}

TRaised TStyledSeparatorItemViewer::Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                                          bool useDisabledShadow) {
  (void)isSelected, (void)useDisabledShadow;
  auto* separator = ObjectAs<TStyledSeparatorItem>(Item());
  TStyledTheme* theme = CurrentTheme();
  if (!theme || (separator && separator->Size() == 0)) return TRaised(true);
  const bool toolbarStyle = IsToolbarStyle();
  TStyledItemPaintInfo info{};
  info.ViewType = GetViewType(View());
  if (toolbarStyle) info.ItemOptions |= ioToolbarStyle;
  if (Item()->IsDesigning()) info.ItemOptions |= ioDesigning;
  auto* plain = ObjectAs<TBarSeparatorItem>(Item());
  info.Enabled = !(plain && plain->Blank());
  info.Pushed = isPushed;
  const bool viewVertical = View()->Orientation() == TBarViewOrientation::tbvoVertical;
  info.IsVertical = viewVertical;
  if (!toolbarStyle) info.PopupMargin = GetPopupMargin(this);
  // A toolbar separator stands across the row; one that ends a row or sits in a menu lies along it.
  bool horizontal = !toolbarStyle || viewVertical;
  if (IsLineSep()) horizontal = !horizontal;
  const bool viewHorizontal = !toolbarStyle || viewVertical;
  const bool lineOnly =
      horizontal != viewHorizontal || (View()->IsPopup() && !IsViewType(info.ViewType, vtChevronPopup));
  theme->PaintSeparator(canvas, clientAreaRect, info, horizontal, lineOnly);
  return TRaised(true);
}

}  // namespace toolbars

// The default theme's painters of items: button faces, captions, glyphs, edit boxes, images, menu rows,
// separators and standard controls.
#include <vssym32.h>

#include <array>
#include <vector>

#include "toolbars/common/bar_common.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/default_theme.h"
#include "toolbars/theme/default_theme_drawing.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/image_painters.h"

namespace toolbars {

using namespace default_theme;

namespace {

// Images on a background darker than this are drawn for contrast.
constexpr int kDarkImageBackground = 80;
constexpr int kBlendedImageOpacity = 200;

void DrawCaptionText(TCanvas* canvas, RECT rect, const String& caption, UINT format, bool rotated, TColor color) {
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  canvas->Font()->SetColor(color);
  if (!rotated) {
    canvas->TextRect(rect, caption, format);
    return;
  }
  HDC dc = canvas->Handle();
  HGDIOBJ oldFont = SelectObject(dc, canvas->Font()->Handle());
  const COLORREF oldColor = SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(color)));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  DrawRotatedText(dc, caption, rect, format);
  SetBkMode(dc, oldMode);
  SetTextColor(dc, oldColor);
  SelectObject(dc, oldFont);
}

// Toolbar visual-style state of an item face.
int ToolbarButtonState(const TStyledItemPaintInfo& info, bool hot) {
  if (!info.Enabled) return info.HoverKind == hkKeyboardHot ? TS_HOT : TS_DISABLED;
  if (info.Pushed) return TS_PRESSED;
  if (info.Checked) return hot ? TS_HOTCHECKED : TS_CHECKED;
  return hot ? TS_HOT : TS_NORMAL;
}

// Fills what lies outside the part's own shape, so an opaque or designed face shows no parent through it.
void FillOutsidePart(TCanvas* canvas, const TThemeData* style, int part, int state, const RECT& rect, TColor face,
                     bool frame) {
  HRGN shape = nullptr;
  HDC dc = canvas->Handle();
  if (!style->BackgroundRegion(dc, part, state, rect, shape) || !shape) return;
  HRGN outside = CreateRectRgnIndirect(&rect);
  CombineRgn(outside, outside, shape, RGN_DIFF);
  HBRUSH faceBrush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(face)));
  FillRgn(dc, outside, faceBrush);
  DeleteObject(faceBrush);
  if (frame) FrameRgn(dc, shape, GetSysColorBrush(COLOR_BTNSHADOW), 1, 1);
  DeleteObject(outside);
  DeleteObject(shape);
}

RECT Moved(RECT rect, int dx, int dy) {
  OffsetRect(&rect, dx, dy);
  return rect;
}

}  // namespace

void TStyledDefaultTheme::PaintButtonFace(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  const bool hot = IsHot(itemInfo);
  const bool opaque = IsOpaque(itemInfo);
  const bool menuBar = IsMenuBar(itemInfo.ViewType);
  const bool down = (itemInfo.Pushed || itemInfo.Checked) && itemInfo.Enabled;
  if (menuBar && FlatMenus) {
    if (down || hot) FillRectEx(canvas, rect, clHighlight);
    return;
  }
  const TThemeData* toolbar = menuBar ? nullptr : Styled(TThemeStyle::tsToolbar);
  if (toolbar) {
    const int part = itemInfo.ComboPart <= cpMainOfArrowItem ? static_cast<int>(TP_BUTTON) : itemInfo.ComboPart;
    const int state = ToolbarButtonState(itemInfo, hot);
    if (opaque || IsDesigning(itemInfo))
      FillOutsidePart(canvas, toolbar, part, state, rect, faceColor_, IsDesigning(itemInfo));
    toolbar->DrawBackground(canvas->Handle(), part, state, rect);
    // The split button's part is a face without a glyph: the arrow comes on top, as on a classic face.
    if (itemInfo.ComboPart == cpComboArrow) PaintDropDownArrow(canvas, rect, itemInfo);
    return;
  }
  RECT face = rect;
  if (itemInfo.ComboPart == cpComboArrow && !menuBar) face.right -= 2;
  if (FlatMenus && (down || hot)) FillRectEx(canvas, face, clHighlight);
  if (!opaque) {
    if (down) {
      EdgeAdjust(canvas, face, BDR_SUNKENOUTER, BF_RECT);
      if (itemInfo.Checked && !itemInfo.Pushed && !hot) DitherRect(canvas, face, faceColor_, clBtnHighlight);
    } else if (hot || IsDesigning(itemInfo)) {
      Edge(canvas, face, BDR_RAISEDINNER, BF_RECT);
    }
  } else {
    const bool raised = hot && !(itemInfo.Pushed || itemInfo.Checked) && itemInfo.Enabled;
    RECT edge = face;
    if (itemInfo.ComboPart == cpMainOfCombo && !hot && !itemInfo.Pushed) ++edge.right;
    EdgeAdjust(canvas, edge, EDGE_RAISED, BF_RECT | BF_MIDDLE | (raised ? 0 : BF_FLAT));
    if (itemInfo.Checked && itemInfo.Enabled && !hot) DitherRect(canvas, edge, faceColor_, clBtnHighlight);
  }
  if (itemInfo.ComboPart == cpComboArrow) PaintDropDownArrow(canvas, face, itemInfo);
}

void TStyledDefaultTheme::PaintItemCaption(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                           const String& caption, UINT format, bool rotated) {
  const bool hot = IsHot(itemInfo);
  const TColor color = hot && IsViewType(itemInfo.ViewType, vtPopupFamily) ? ItemTextColor(itemInfo) : CaptionTextColor;
  if (!itemInfo.Enabled) {
    if (!IsToolbarStyle(itemInfo) && itemInfo.HoverKind == hkKeyboardHot) {
      DrawCaptionText(canvas, rect, caption, format, rotated, color);
    } else if (!UseThemes) {
      DrawCaptionText(canvas, Moved(rect, 1, 1), caption, format, rotated, clBtnHighlight);
      DrawCaptionText(canvas, rect, caption, format, rotated, clBtnShadow);
    } else {
      // A disabled caption must not look enabled: the item's own disabled colour.
      DrawCaptionText(canvas, rect, caption, format, rotated, ItemTextColor(itemInfo));
    }
    return;
  }
  const bool shifts =
      IsToolbarStyle(itemInfo) && (itemInfo.Pushed || itemInfo.Checked) && !(IsMenuBar(itemInfo.ViewType) && FlatMenus);
  DrawCaptionText(canvas, shifts ? Moved(rect, 1, 1) : rect, caption, format, rotated, color);
}

void TStyledDefaultTheme::PaintCheckGlyph(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  const int cx = (rect.left + rect.right) / 2 - 1;
  const int cy = (rect.top + rect.bottom) / 2;
  const TColor color = itemInfo.Enabled ? clBtnText : clGrayText;
  canvas->Pen()->SetColor(color);
  canvas->Brush()->SetColor(color);
  canvas->Polygon({{cx - 2, cy}, {cx, cy + 2}, {cx + 4, cy - 2}, {cx + 4, cy - 1}, {cx, cy + 3}, {cx - 2, cy + 1}});
  if (!itemInfo.Enabled) return;
  canvas->Pen()->SetColor(clBtnHighlight);
  canvas->Polyline({{cx - 3, cy}, {cx - 3, cy + 1}, {cx, cy + 4}, {cx + 5, cy - 1}, {cx + 5, cy - 3}});
}

void TStyledDefaultTheme::PaintChevronGlyph(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  const bool vertical = itemInfo.IsVertical;
  const TGlyph glyph = vertical ? TGlyph::gChevronVertical : TGlyph::gChevron;
  int x = vertical ? rect.right - 9 : rect.left + 2;
  int y = rect.top + (vertical ? 2 : 4);
  const int width = vertical ? 5 : 8;
  const int height = vertical ? 8 : 5;
  if (itemInfo.Pushed) {
    ++x;
    ++y;
  }
  HDC dc = canvas->Handle();
  if (itemInfo.Enabled) {
    DrawGlyph(dc, glyph, x, y, width, height, clBtnText);
  } else {
    DrawGlyph(dc, glyph, x, y + 1, width, height, clBtnHighlight);
    DrawGlyph(dc, glyph, x, y, width, height, clBtnShadow);
  }
}

void TStyledDefaultTheme::PaintEditFrame(TCanvas* canvas, const RECT& rect, TStyledItemPaintInfo& itemInfo,
                                         const TStyledEditFrameInfo& editInfo) {
  PaintItemFrame(canvas, rect, itemInfo);
  RECT inner = rect;
  const int inset = IntegerMetric(60);
  InflateRect(&inner, -inset, -inset);
  const int buttonWidth = editInfo.RightWidth;
  RECT text = inner;
  if (buttonWidth > 0) text.right -= buttonWidth - 2;
  canvas->Brush()->SetColor(clWindow);
  if (itemInfo.Enabled) canvas->FillRect(text);
  if (buttonWidth > 0)
    PaintEditButton(canvas, RECT{inner.right - buttonWidth, inner.top, inner.right, inner.bottom}, itemInfo,
                    editInfo.RightButton);
}

void TStyledDefaultTheme::PaintEditButton(TCanvas* canvas, const RECT& rect, TStyledItemPaintInfo& itemInfo,
                                          const TStyledEditButtonInfo& buttonInfo) {
  const int state = buttonInfo.ButtonState;
  const bool disabled = (state & ebsDisabled) != 0;
  const bool hot = (state & ebsHot) != 0;
  const bool pushed = (state & ebsPushed) != 0;
  HDC dc = canvas->Handle();
  const auto styleState = [&](bool halfPushed) { return disabled ? 4 : PushHotState(halfPushed, hot); };
  if (buttonInfo.ButtonType == ebDropDown) {
    if (const TThemeData* combo = Styled(TThemeStyle::tsComboBox)) {
      RECT button = rect;
      if (hot) InflateRect(&button, 1, 1);
      combo->DrawBackground(dc, CP_DROPDOWNBUTTON, styleState(pushed), button);
      return;
    }
    const TColor line = hot || pushed ? faceColor_ : IsOpaque(itemInfo) ? clBtnShadow : clWindow;
    DrawLineEx(canvas, rect.left, rect.top, rect.left, rect.bottom, line);
    RECT button{rect.left + 1, rect.top, rect.right, rect.bottom};
    if (pushed)
      EdgeAdjust(canvas, button, BDR_SUNKENOUTER, BF_RECT);
    else if (hot)
      EdgeAdjust(canvas, button, BDR_RAISEDINNER, BF_RECT);
    const bool savedPushed = itemInfo.Pushed;
    itemInfo.Pushed = pushed;
    PaintDropDownArrow(canvas, pushed ? Moved(button, 1, 1) : button, itemInfo);
    itemInfo.Pushed = savedPushed;
    return;
  }
  const int middle = (rect.top + rect.bottom) / 2;
  const RECT halves[2] = {{rect.left, rect.top, rect.right, middle}, {rect.left, middle, rect.right, rect.bottom}};
  const bool halfPushed[2] = {pushed, (state & ebsLowerPushed) != 0};
  const TThemeData* spin = Styled(TThemeStyle::tsSpin);
  const TColor arrow = disabled ? clBtnShadow : IsToolbarStyle(itemInfo) ? MenuTextColor : clBtnText;
  for (int i = 0; i < 2; ++i) {
    if (spin) {
      spin->DrawBackground(dc, i == 0 ? SPNP_UP : SPNP_DOWN, styleState(halfPushed[i]), halves[i]);
      continue;
    }
    RECT half = halves[i];
    if (halfPushed[i])
      EdgeAdjust(canvas, half, BDR_SUNKENOUTER, BF_RECT);
    else if (hot)
      EdgeAdjust(canvas, half, BDR_RAISEDINNER, BF_RECT);
    DrawArrow(canvas, (half.left + half.right) / 2, (half.top + half.bottom) / 2, 5,
              i == 0 ? TArrowDirection::adUp : TArrowDirection::adDown, arrow);
  }
}

void TStyledDefaultTheme::PaintDropDownArrow(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  const int x = (rect.left + rect.right) / 2;
  const int y = (rect.top + rect.bottom) / 2;
  const TArrowDirection direction = itemInfo.IsVertical ? TArrowDirection::adRight : TArrowDirection::adDown;
  if (!itemInfo.Enabled) {
    DrawArrow(canvas, x + 1, y + 1, 5, direction, clBtnHighlight);
    DrawArrow(canvas, x, y, 5, direction, clBtnShadow);
  } else {
    DrawArrow(canvas, x, y, 5, direction, IsToolbarStyle(itemInfo) ? MenuTextColor : clBtnText);
  }
}

void TStyledDefaultTheme::PaintItemFrame(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  const bool active = IsHot(itemInfo) || itemInfo.Pushed || itemInfo.Checked;
  const TColor brush = canvas->Brush()->Color();
  RECT frame = rect;
  if (const TThemeData* combo = Styled(TThemeStyle::tsComboBox)) {
    InflateRect(&frame, -1, -1);
    FrameRectEx(canvas, frame, brush, false);
    InflateRect(&frame, 1, 1);
    if (active || IsDesigning(itemInfo)) combo->DrawBackground(canvas->Handle(), 0, 0, frame);
    InflateRect(&frame, -2, -2);
    FrameRectEx(canvas, frame, brush, false);
    return;
  }
  if (!IsOpaque(itemInfo)) {
    if (active || IsDesigning(itemInfo)) Edge(canvas, frame, BDR_SUNKENOUTER, BF_RECT);
    InflateRect(&frame, -1, -1);
    FrameRectEx(canvas, frame, brush, true);
    FrameRectEx(canvas, frame, brush, false);
    return;
  }
  if (active) {
    EdgeAdjust(canvas, frame, EDGE_SUNKEN, BF_RECT);
  } else {
    InflateRect(&frame, -1, -1);
    EdgeAdjust(canvas, frame, BDR_SUNKENOUTER, BF_RECT | BF_FLAT);
  }
  FrameRectEx(canvas, frame, brush, false);
}

void TStyledDefaultTheme::PaintItemImage(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                         TCustomImageList* imageList, int imageIndex) {
  if (!imageList) return;
  const RECT at = Moved(rect, -1, -1);
  const bool hot = IsHot(itemInfo);
  if (auto* stateLists = ObjectAs<TBarCustomImageList>(imageList)) {
    stateLists->DrawForState(canvas, at.left, at.top, imageIndex, itemInfo.Enabled, hot, itemInfo.Checked);
    return;
  }
  const bool dark = ColorLuminance(ItemImageBackColor(itemInfo)) < kDarkImageBackground;
  if (!itemInfo.Enabled) {
    if (dark)
      DrawImageGrayed(canvas, at, imageList, clNone, imageIndex);
    else
      DrawImageShadow(canvas, at, imageList, 0, imageIndex);
  } else if (itemInfo.Checked || itemInfo.Pushed) {
    DrawImageHighContrast(canvas, Moved(at, 1, 1), imageList, dark, imageIndex);
  } else if (hot) {
    DrawImageShadow(canvas, Moved(at, 1, 1), imageList, 1, imageIndex);
    DrawImageShadow(canvas, Moved(at, 2, 2), imageList, 1, imageIndex);
    DrawImageHighContrast(canvas, at, imageList, dark, imageIndex);
  } else if (dark || WhiteFace) {
    DrawImageHighContrast(canvas, at, imageList, dark, imageIndex);
  } else {
    DrawImageBlended(canvas, at, imageList, kBlendedImageOpacity, imageIndex);
  }
}

void TStyledDefaultTheme::PaintMdiButton(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                         UINT buttonKind) {
  if (const TThemeData* window = Styled(TThemeStyle::tsWindow)) {
    constexpr std::array<int, 4> kParts{WP_MDICLOSEBUTTON, WP_MDIMINBUTTON, 0, WP_MDIRESTOREBUTTON};
    const int part = buttonKind < kParts.size() ? kParts[buttonKind] : 0;
    if (part) window->DrawBackground(canvas->Handle(), part, PushHotState(itemInfo.Pushed, IsHot(itemInfo)), rect);
    return;
  }
  constexpr std::array<UINT, 4> kKinds{DFCS_CAPTIONCLOSE, DFCS_CAPTIONMIN, DFCS_CAPTIONMAX, DFCS_CAPTIONRESTORE};
  if (buttonKind >= kKinds.size()) return;
  RECT button = rect;
  DrawFrameControl(canvas->Handle(), &button, DFC_CAPTION, kKinds[buttonKind] | (itemInfo.Pushed ? DFCS_PUSHED : 0));
}

void TStyledDefaultTheme::PaintMenuItem(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  const bool hot = IsHot(itemInfo);
  const bool imageColumn = itemInfo.ImageShown || itemInfo.Checked;
  const bool combo = (itemInfo.ItemOptions & ioDropDownCombo) && itemInfo.Enabled;
  const int checkWidth = GetSystemMetrics(SM_CXMENUCHECK);
  RECT text = rect;
  if (imageColumn) text.left += IntegerMetric(32) + itemInfo.PopupMargin;
  if (combo) text.right -= checkWidth;
  PaintMenuItemHighlight(canvas, text, itemInfo);
  if (combo) {
    const UINT edge = itemInfo.Pushed ? BDR_RAISEDINNER : hot ? BDR_SUNKENOUTER : EDGE_ETCHED;
    Edge(canvas, RECT{text.right, rect.top, rect.right, rect.bottom}, edge, BF_LEFT);
  }
  if (itemInfo.ItemOptions & ioHasSubmenu) {
    const int x = rect.right - checkWidth * 2 / 3;
    const int y = (rect.top + rect.bottom) / 2;
    if (!itemInfo.Enabled) {
      if (itemInfo.HoverKind != hkKeyboardHot) DrawArrow(canvas, x, y + 1, 7, TArrowDirection::adRight, clBtnHighlight);
      DrawArrow(canvas, x, y, 7, TArrowDirection::adRight, clBtnShadow);
    } else {
      DrawArrow(canvas, x, y, 7, TArrowDirection::adRight, hot && !combo ? clHighlightText : MenuTextColor);
    }
  }
  if (imageColumn) {
    const int left = rect.left + IntegerMetric(32);
    const RECT column{left, rect.top, left + itemInfo.PopupMargin, rect.bottom};
    if (hot && FlatMenus) FillRectEx(canvas, column, faceColor_);
    PaintButtonFace(canvas, column, itemInfo);
  }
}

void TStyledDefaultTheme::PaintMenuItemHighlight(TCanvas* canvas, const RECT& rect,
                                                 const TStyledItemPaintInfo& itemInfo) {
  if (IsHot(itemInfo)) FillRectEx(canvas, rect, clHighlight);
}

void TStyledDefaultTheme::PaintSeparator(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                         bool horizontal, bool lineOnly) {
  if (!itemInfo.Enabled) return;
  const bool popupMenu = IsViewType(itemInfo.ViewType, vtPopupMenu);
  const TThemeData* toolbar = popupMenu ? nullptr : Styled(TThemeStyle::tsToolbar);
  if (toolbar) {
    toolbar->DrawBackground(canvas->Handle(), horizontal ? TP_SEPARATORVERT : TP_SEPARATOR, TS_NORMAL, rect);
    return;
  }
  int indent = lineOnly ? ((itemInfo.ViewType & vtFloating) ? 1 : 4) : 0;
  if (!horizontal) {
    const int x = (rect.left + rect.right) / 2 - 1;
    Edge(canvas, RECT{x, rect.top + indent, x + 2, rect.bottom - indent}, EDGE_ETCHED, BF_LEFT);
    return;
  }
  if (popupMenu) indent = 12;
  const int y = (rect.top + rect.bottom) / 2 - 1;
  Edge(canvas, RECT{rect.left + indent, y, rect.right - indent, y + 2}, EDGE_ETCHED, BF_TOP);
}

void TStyledDefaultTheme::PaintStandardControl(TCanvas* canvas, const RECT& rect, int controlType, int state) {
  const bool radio = controlType == scRadioButton;
  const bool checked = (state & scsChecked) != 0;
  const bool mixed = !radio && (state & scsMixed) != 0;
  const bool disabled = (state & scsDisabled) != 0;
  const bool hot = (state & scsHot) != 0;
  const bool pushed = (state & scsPushed) != 0;
  HDC dc = canvas->Handle();
  if (const TThemeData* button = Styled(TThemeStyle::tsButton)) {
    const int base = mixed ? 9 : checked ? 5 : 1;
    const int offset = disabled ? 3 : pushed ? 2 : hot ? 1 : 0;
    button->DrawBackground(dc, radio ? BP_RADIOBUTTON : BP_CHECKBOX, base + offset, rect);
    return;
  }
  RECT box = rect;
  if (!disabled && (hot || pushed)) {
    UINT kind = radio ? DFCS_BUTTONRADIO : mixed ? DFCS_BUTTON3STATE : DFCS_BUTTONCHECK;
    if (checked || mixed) kind |= DFCS_CHECKED;
    if (pushed) kind |= DFCS_PUSHED;
    DrawFrameControl(dc, &box, DFC_BUTTON, kind);
    return;
  }
  const TColor fill = disabled || pushed ? clBtnFace : clWindow;
  canvas->Pen()->SetColor(clBtnShadow);
  canvas->Brush()->SetColor(fill);
  if (radio)
    canvas->Ellipse(box);
  else
    canvas->Rectangle(box);
  if (mixed && !disabled) {
    InflateRect(&box, -1, -1);
    DitherRect(canvas, box, clWindow, clBtnFace);
  }
  if (!checked && !mixed) return;
  const TColor mark = disabled ? clGrayText : mixed ? clBtnShadow : clBtnText;
  const int cx = (rect.left + rect.right) / 2;
  const int cy = (rect.top + rect.bottom) / 2;
  canvas->Pen()->SetColor(mark);
  canvas->Brush()->SetColor(mark);
  if (radio) {
    canvas->Ellipse(cx - 2, cy - 2, cx + 2, cy + 2);
    return;
  }
  canvas->Polyline({{cx - 3, cy - 1},
                    {cx - 1, cy + 1},
                    {cx + 3, cy - 3},
                    {cx + 3, cy - 2},
                    {cx - 1, cy + 2},
                    {cx - 3, cy},
                    {cx - 3, cy + 1}});
}

}  // namespace toolbars

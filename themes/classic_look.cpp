#include "themes/classic_look.h"

#include <algorithm>

#include "themes/table_theme.h"
#include "themes/theme_drawing.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/stock_objects.h"
#include "toolbars/theme/theme_manager.h"

namespace themes {

using namespace toolbars;

namespace {

constexpr TGlyphPattern kClassicCloseCross{0xC6, 0x6C, 0x38, 0x38, 0x6C, 0xC6, 0, 0};

// The hot and pressed tints of dithers.
TColor HotTint() { return LowColor ? clBtnFace : BlendColors(clBtnHighlight, clBtnFace, 192); }
TColor PressedTint() { return LowColor ? clBtnHighlight : BlendColors(clBtnHighlight, clBtnFace, 126); }

void PenColor(TCanvas* canvas, TColor color) { canvas->Pen()->SetColor(color); }

RECT Deflated(RECT rect, int dx, int dy) {
  InflateRect(&rect, -dx, -dy);
  return rect;
}

}  // namespace

void DrawClassicCross(TCanvas* canvas, const RECT& rect, int shift) {
  DrawPatternGlyph(canvas, kClassicCloseCross, (rect.left + rect.right - 6) / 2 + shift,
                   (rect.top + rect.bottom - 6) / 2 + shift, 7, 6, clBtnText);
}

TStyledClassicLook::TStyledClassicLook(const String& name, TStockGlyphs& unitGlyphs)
    : TStyledDefaultTheme(name), unitGlyphs_(unitGlyphs) {
  SetupColorCache();
  unitGlyphs_.AddInstance();
}

TStyledClassicLook::~TStyledClassicLook() { unitGlyphs_.RemoveInstance(); }

void TStyledClassicLook::SetupColorCache() {
  dockColor_ = BlendColorsNearest(clBtnFace, clWindow, 64);
  frameColor_ = LowColor ? clBtnShadow : BlendColors(clBtnShadow, clBtnFace, 210);
  SetFaceColor(clBtnFace);
}

TColor TStyledClassicLook::ItemBackColor(const TStyledItemPaintInfo& itemInfo) {
  return TStyledDefaultTheme::ItemBackColor(itemInfo);
}

TColor TStyledClassicLook::ItemTextColor(const TStyledItemPaintInfo& itemInfo) {
  const bool menuBar = IsViewType(itemInfo.ViewType, vtMenuBar);
  const bool toolbarStyle = IsToolbarStyle(itemInfo);
  if (!toolbarStyle && !itemInfo.Enabled && itemInfo.HoverKind == hkKeyboardHot) return clBtnShadow;
  if (!itemInfo.Enabled) return frameColor_;
  if (toolbarStyle && !menuBar) return clBtnText;
  if (itemInfo.HoverKind != hkNone) return clHighlightText;
  if (menuBar && !(itemInfo.ItemOptions & ioAppActive)) return clGrayText;
  return clMenuText;
}

int TStyledClassicLook::PopupShadowKind() { return 3; }

void TStyledClassicLook::ViewBorderSize(int viewType, POINT& size) {
  TStyledDefaultTheme::ViewBorderSize(viewType, size);
  // List pop-ups get the two-pixel frame of the toolbars rather than the default theme's single line.
  if (IsViewType(viewType, vtListPopup) && !IsViewType(viewType, vtToolbarFamily) && !IsViewType(viewType, vtDock))
    size = POINT{2, 2};
}

TColor TStyledClassicLook::ViewBackColor(int viewType) {
  if (IsViewType(viewType, vtToolbarFamily)) return clBtnFace;
  if (IsViewType(viewType, vtPopupFamily)) return clWindow;
  if (IsViewType(viewType, vtDock)) return dockColor_;
  return FaceColor();
}

int TStyledClassicLook::IntegerMetric(int index) {
  switch (index) {
    case 10:
      return 12;
    case 30:
    case 37:
    case 61:
    case 62:
      return 2;
    case 36:
    case 60:
      return 1;
    case 65:
      return 14;
    default:
      return TStyledDefaultTheme::IntegerMetric(index);
  }
}

bool TStyledClassicLook::BooleanMetric(int index) {
  if (index == 3) return true;
  if (index == 4 || index == 6) return false;
  return TStyledDefaultTheme::BooleanMetric(index);
}

void TStyledClassicLook::PaintButtonFace(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  const bool hot = IsHot(itemInfo);
  RECT face = rect;
  int leftCut = 2;
  int rightCut = 2;
  if (itemInfo.ButtonPart == cpComboArrow) {
    --face.left;
    leftCut = 1;
  }
  if (itemInfo.ButtonPart == cpMainOfCombo) rightCut = 1;
  if (!IsToolbarStyle(itemInfo)) leftCut = rightCut = 1;
  if (IsOpaqueToolbar(itemInfo.ViewType) && !hot) {
    if (itemInfo.Enabled) {
      FillRectEx(canvas, Deflated(face, 1, 1), BlendColorsNearest(clWindow, clBtnFace, 16));
      PenColor(canvas, BlendColorsNearest(clWindow, clBtnShadow, 64));
    } else {
      PenColor(canvas, clBtnFace);
    }
    CutCornerFrame(canvas, face, leftCut, rightCut);
  }
  if (IsViewType(itemInfo.ViewType, vtMenuBar)) {
    if (((itemInfo.Pushed || itemInfo.Checked) && itemInfo.Enabled) || hot) FillRectEx(canvas, rect, clHighlight);
    return;
  }
  if ((itemInfo.Pushed || itemInfo.Checked) && itemInfo.Enabled) {
    const TColor tint = itemInfo.Pushed || itemInfo.HoverKind != hkNone ? (LowColor ? clBtnHighlight : BlendColors(clBtnHighlight, clBtnFace, 128))
                                                                              : clWindow;
    DitherRect(canvas, Deflated(face, 1, 1), tint, clBtnHighlight);
    if (PressedFaceHasInnerEdge()) {
      PenColor(canvas, clBtnFace);
      canvas->Polyline({{face.left, face.bottom - 1}, {face.right - 1, face.bottom - 1}, {face.right - 1, face.top}});
    }
    PenColor(canvas, clBtnShadow);
    CutCornerFrame(canvas, face, leftCut, rightCut);
  } else if (hot || IsDesigning(itemInfo)) {
    if (itemInfo.HoverKind != hkNone) DitherRect(canvas, Deflated(face, 1, 1), clBtnFace, HotTint());
    PenColor(canvas, LowColor ? clBtnShadow : BlendColors(clBtnShadow, clBtnFace, 192));
    CutCornerFrame(canvas, face, leftCut, rightCut);
  }
  if (itemInfo.ButtonPart == cpComboArrow) PaintDropDownArrow(canvas, rect, itemInfo);
}

void TStyledClassicLook::PaintItemFrame(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  if (itemInfo.Enabled || itemInfo.HoverKind == hkKeyboardHot) {
    if (itemInfo.Pushed || itemInfo.Checked || IsOpaqueToolbar(itemInfo.ViewType) || itemInfo.HoverKind != hkNone ||
        IsDesigning(itemInfo)) {
      PenColor(canvas, frameColor_);
      CutCornerFrame(canvas, rect, 1, 1);
    }
  } else {
    RECT frame = Deflated(rect, 1, 1);
    FrameRectEx(canvas, frame, frameColor_, false);
  }
}

void TStyledClassicLook::PaintItemCaption(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                          const String& caption, UINT format, bool rotated) {
  const bool menuBar = IsViewType(itemInfo.ViewType, vtMenuBar);
  const bool toolbarStyle = IsToolbarStyle(itemInfo);
  RECT text = rect;
  const int shift = CaptionShift() + (!menuBar && (itemInfo.Pushed || itemInfo.Checked) ? 1 : 0);
  OffsetRect(&text, shift, shift);
  TColor color = CaptionTextColor;
  if (!itemInfo.Enabled)
    color = !toolbarStyle && itemInfo.HoverKind == hkKeyboardHot ? clBtnShadow : frameColor_;
  else if (menuBar || !toolbarStyle)
    color = itemInfo.HoverKind != hkNone ? clHighlightText : MenuCaptionColor(itemInfo);
  DrawCaption(canvas, text, caption, format, rotated, color);
}

void TStyledClassicLook::PaintDropDownArrow(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  const int d = itemInfo.Pushed || itemInfo.Checked ? 1 : 0;
  const int x = (rect.left + rect.right) / 2 + d;
  const int y = (rect.top + rect.bottom) / 2 - 1 + d;
  TColor color = IsToolbarStyle(itemInfo) ? clBtnText : clMenuText;
  if (!itemInfo.Enabled) color = frameColor_;
  if (itemInfo.Vertical)
    FillPolygon(canvas, {{x, y + 2}, {x, y - 2}, {x - 2, y}}, color);
  else
    FillPolygon(canvas, {{x - 2, y}, {x + 2, y}, {x, y + 2}}, color);
}

void TStyledClassicLook::PaintEditFrame(TCanvas* canvas, const RECT& rect, TStyledItemPaintInfo& itemInfo,
                                        const TStyledEditFrameInfo& editInfo) {
  PaintItemFrame(canvas, rect, itemInfo);
  const int inset = IntegerMetric(60);
  const RECT area = Deflated(rect, inset, inset);
  RECT box = area;
  if (editInfo.RightWidth > 0) box.right -= editInfo.RightWidth - 2;
  if (itemInfo.Enabled) {
    FrameRectEx(canvas, box, itemInfo.HoverKind != hkNone ? clWindow : frameColor_, true);
    FillRectEx(canvas, box, clWindow);
  }
  if (editInfo.RightWidth > 0)
    PaintEditButton(canvas, {area.right - editInfo.RightWidth, area.top, area.right, area.bottom}, itemInfo,
                    editInfo.RightButton);
}

void TStyledClassicLook::PaintEditButtonPart(TCanvas* canvas, const RECT& rect, bool pushed, bool hot, bool opaque) {
  if (pushed) {
    const TColor tint = PressedTint();
    DitherRect(canvas, rect, tint, clBtnHighlight);
    PenColor(canvas, BlendColorsNearest(frameColor_, tint, 48));
    canvas->Polyline({{rect.left, rect.bottom - 1}, {rect.left, rect.top}, {rect.right, rect.top}});
  } else if (hot) {
    DitherRect(canvas, rect, clBtnFace, NearestColor(HotTint()));
  } else {
    RECT frame = rect;
    if (opaque) FillRectEx(canvas, frame, clBtnFace);
    FrameRectEx(canvas, frame, frameColor_, false);
  }
}

void TStyledClassicLook::PaintEditButton(TCanvas* canvas, const RECT& rect, TStyledItemPaintInfo& itemInfo,
                                         const TStyledEditButtonInfo& buttonInfo) {
  const int state = buttonInfo.ButtonState;
  const bool enabled = !(state & ebsDisabled);
  const bool hot = (state & ebsHot) != 0;
  const bool upperPushed = (state & ebsPushed) != 0;
  const bool lowerPushed = (state & ebsLowerPushed) != 0;
  const bool opaque = IsOpaqueToolbar(itemInfo.ViewType);
  const RECT b{rect.left + 1, rect.top, rect.right, rect.bottom};
  const int edge = b.left - 1;
  if (buttonInfo.ButtonType == ebDropDown) {
    if (enabled) {
      if (hot || upperPushed)
        DrawLineEx(canvas, edge, b.top, edge, b.bottom, frameColor_);
      else
        DrawLineEx(canvas, edge, b.top + 1, edge, b.bottom - 1, clWindow);
      PaintEditButtonPart(canvas, b, upperPushed, hot, opaque);
    }
    PaintDropDownArrow(canvas, b, itemInfo);
    return;
  }
  if (buttonInfo.ButtonType != ebSpin) return;
  if (enabled) {
    PaintEditButtonPart(canvas, {b.left, b.top, b.right, (b.top + b.bottom + 1) / 2}, upperPushed, hot, opaque);
    PaintEditButtonPart(canvas, {b.left, (b.top + b.bottom) / 2, b.right, b.bottom}, lowerPushed, hot, opaque);
    if (upperPushed || lowerPushed || hot) {
      DrawLineEx(canvas, edge, b.top, edge, b.bottom, frameColor_);
      DrawLineEx(canvas, b.left, (b.top + b.bottom - 1) / 2, b.right, (b.top + b.bottom - 1) / 2, frameColor_);
      DrawLineEx(canvas, b.left, (b.top + b.bottom) / 2, b.right, (b.top + b.bottom) / 2, frameColor_);
    } else {
      DrawLineEx(canvas, edge, b.top + 1, edge, b.bottom - 1, clWindow);
    }
  }
  TColor color = IsToolbarStyle(itemInfo) ? clBtnText : clMenuText;
  if (!enabled) color = frameColor_;
  int d = upperPushed ? 1 : 0;
  const int x = (b.left + b.right) / 2;
  int y = (3 * b.top + b.bottom) / 4 + d;
  FillPolygon(canvas, {{x + d - 2, y + 1}, {x + d + 2, y + 1}, {x + d, y - 1}}, color);
  d = lowerPushed ? 1 : 0;
  y = (3 * b.bottom + b.top) / 4 + d;
  FillPolygon(canvas, {{x + d - 2, y - 1}, {x + d + 2, y - 1}, {x + d, y + 1}}, color);
}

void TStyledClassicLook::PaintMenuItemHighlight(TCanvas* canvas, const RECT& rect,
                                                const TStyledItemPaintInfo& itemInfo) {
  if (IsHot(itemInfo)) PaintViewBackground(canvas, RECT{}, rect, rect, clHighlight, false, 0);
}

void TStyledClassicLook::PaintMenuItem(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  const int w = GetSystemMetrics(SM_CXMENUCHECK);
  const bool column = itemInfo.ImageWidth > 0 || itemInfo.Checked;
  const bool split = (itemInfo.ItemOptions & ioDropDownCombo) != 0;
  RECT highlight = rect;
  if (column) highlight.left = rect.left + IntegerMetric(32) + itemInfo.ImageColumnWidth;
  if (split && itemInfo.Enabled) highlight.right = rect.right - (w + 1);
  PaintMenuItemHighlight(canvas, highlight, itemInfo);
  if (split) {
    const RECT arrow{rect.right - w, rect.top, rect.right, rect.bottom};
    if (itemInfo.Enabled && itemInfo.HoverKind != hkNone)
      PaintViewBackground(canvas, RECT{}, arrow, arrow, clHighlight, false, vtPopupMenu);
    else
      DrawLineEx(canvas, arrow.left - 1, rect.top, arrow.left - 1, rect.bottom, frameColor_);
  }
  if (itemInfo.ItemOptions & ioHasSubmenu) {
    // The middle of the item itself, wherever the view placed it.
    const int y = (rect.top + rect.bottom) / 2;
    const int x = rect.right - (2 * w) / 3;
    TColor color = frameColor_;
    if (itemInfo.Enabled)
      color = itemInfo.HoverKind != hkNone ? clHighlightText : clMenuText;
    else if (itemInfo.HoverKind == hkKeyboardHot)
      color = clBtnShadow;
    FillPolygon(canvas, {{x, y - 3}, {x, y + 3}, {x + 3, y}}, color);
  }
  if (column && (itemInfo.HoverKind != hkNone || itemInfo.Checked))
    PaintButtonFace(canvas, {rect.left, rect.top, rect.left + itemInfo.ImageColumnWidth, rect.bottom}, itemInfo);
}

void TStyledClassicLook::PaintPopupFrame(TCanvas* canvas, const RECT& rect, const TStyledPopupPaintInfo& popupInfo) {
  RECT inner = rect;
  FrameRectEx(canvas, inner, NearestColor(BlendColors(clBtnShadow, clBlack, 127)), true);
  TColor fill = dockColor_;
  if (IsViewType(popupInfo.ViewType, vtListPopup))
    fill = clWindow;
  else if (FlatMenus && !IsViewType(popupInfo.ViewType, vtToolBoxPopup))
    fill = MenuBackColor;
  FillRectEx(canvas, inner, fill);
}

void TStyledClassicLook::PaintScrollButton(TCanvas* canvas, const RECT& rect, int buttonType, bool flat) {
  const RECT inner = Deflated(rect, 1, 1);
  if (flat)
    DitherRect(canvas, inner, clBtnFace, clBtnHighlight);
  else
    FillRectEx(canvas, inner, clBtnFace);
  PenColor(canvas, BlendColorsNearest(clWindow, clBtnShadow, 64));
  CutCornerFrame(canvas, rect, 1, 1);
  FillPolygon(canvas, ScrollArrowPoints(rect, buttonType), clBtnText);
}

void TStyledClassicLook::PaintItemImage(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                        TCustomImageList* imageList, int imageIndex) {
  PaintThemeItemImage(this, canvas, rect, itemInfo, imageList, imageIndex);
}

void TStyledClassicLook::PaintMdiButton(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                        UINT buttonKind) {
  PaintButtonFace(canvas, rect, itemInfo);
  const int glyph = MdiButtonGlyph(buttonKind);
  if (glyph < 0) return;
  const int shift = itemInfo.Pushed ? 1 : 0;
  DrawListGlyph(canvas, Glyphs(), glyph, (rect.left + rect.right - kStockGlyphSize) / 2 + shift,
                (rect.top + rect.bottom - kStockGlyphSize - 1) / 2 + shift, clBtnText);
}

void TStyledClassicLook::PaintStandardControl(TCanvas* canvas, const RECT& rect, int controlType, int state) {
  if (controlType != scCheckBox && controlType != scRadioButton) {
    TStyledDefaultTheme::PaintStandardControl(canvas, rect, controlType, state);
    return;
  }
  const bool disabled = state & scsDisabled;
  const bool pushed = state & scsPushed;
  const bool hot = state & scsHot;
  const TColor pen = (pushed || hot) && !disabled ? clBtnText : clBtnShadow;
  HBRUSH brush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  if (!disabled && pushed)
    brush = CreateCheckerBrush(PressedTint(), clBtnHighlight);
  else if (!disabled && hot)
    brush = CreateCheckerBrush(clBtnFace, HotTint());
  else if (!disabled && (state & scsMixed))
    brush = CreateCheckerBrush(clWindow, clBtnFace);
  const RECT box = Deflated(rect, 1, 1);
  DrawControlBox(canvas, box, controlType, pen, brush);
  DeleteObject(brush);
  TColor mark = clBtnText;
  if (disabled)
    mark = clBtnFace;
  else if (state & scsMixed)
    mark = clBtnShadow;
  DrawControlMark(canvas, box, controlType, state, mark);
}

void TStyledClassicLook::PaintCaptionCloseButton(TCanvas* canvas, RECT rect, int closeState) {
  const bool pushed = (closeState & cbsPushed) != 0;
  const bool hot = (closeState & cbsHot) != 0;
  if (pushed || hot) {
    const RECT inner = Deflated(rect, 1, 1);
    if (pushed)
      DitherRect(canvas, inner, clBtnHighlight, NearestColor(PressedTint()));
    else
      DitherRect(canvas, inner, clBtnFace, NearestColor(HotTint()));
    PenColor(canvas, pushed && LowColor ? clBtnShadow : BlendColorsNearest(clBtnShadow, clBtnFace, 191));
    CutCornerFrame(canvas, rect, 1, 1);
  }
  DrawClassicCross(canvas, rect, pushed ? 1 : 0);
}

void TStyledClassicLook::PaintToolbarFrame(TCanvas* canvas, const RECT& rect, const TStyledToolbarPaintInfo& toolbarInfo) {
  RECT area = rect;
  if (toolbarInfo.BorderStyle == 1) DrawEdge(canvas->Handle(), &area, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
  InflateRect(&area, -1, -1);
  if (!toolbarInfo.AllowDrag) return;
  if (toolbarInfo.DragHandleStyle != dhNone) PaintGrip(canvas, area, toolbarInfo);
  if (toolbarInfo.CloseButtonState & cbsShown)
    PaintCaptionCloseButton(canvas, ToolbarCloseButtonRect(toolbarInfo), toolbarInfo.CloseButtonState);
}

RECT TStyledClassicLook::ToolbarCloseButtonRect(const TStyledToolbarPaintInfo& toolbarInfo) const {
  return GetToolbarCloseButtonRect(toolbarInfo);
}

TColor TStyledClassicLook::MenuCaptionColor(const TStyledItemPaintInfo& itemInfo) const {
  (void)itemInfo;
  return CaptionTextColor;
}

void TStyledClassicLook::FillDockedCaptionBar(TCanvas* canvas, const RECT& bar, const String& caption) {
  (void)canvas;
  (void)bar;
  (void)caption;
}

void TStyledClassicLook::FillFloatingCaption(TCanvas* canvas, const RECT& strip, const String& caption, bool active) {
  (void)caption;
  (void)active;
  FillRectEx(canvas, strip, clBtnFace);
}

RECT TStyledClassicLook::FloatingCaptionTextRect(const RECT& strip) const {
  return {strip.left + 2, strip.top - 2, strip.right - 2, strip.bottom};
}

void TStyledClassicLook::PaintDockedCaption(TCanvas* canvas, const RECT& rect,
                                            const TStyledDockedCaptionInfo& captionInfo) {
  const int z = GetSystemMetrics(SM_CYSMCAPTION);
  const bool horizontal = captionInfo.HorizontalCaption;
  RECT area = rect;
  FrameRectEx(canvas, area, FaceColor(), true);
  RECT body = area;
  if (captionInfo.ShowCaption) {
    if (horizontal)
      body.top += z;
    else
      body.left += z;
  }
  FrameRectEx(canvas, body, ViewBackColor(captionInfo.ViewType), false);
  if (!captionInfo.ShowCaption) return;
  RECT bar = horizontal ? RECT{area.left, area.top, area.right, area.top + z}
                        : RECT{area.left, area.top, area.left + z, area.bottom};
  const RECT outer = bar;
  DrawEdge(canvas->Handle(), &bar, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE | BF_ADJUST);
  if (captionInfo.CloseButtonState & cbsShown) {
    // One pixel short of the bar's far end, two pixels in.
    RECT button = horizontal ? RECT{outer.right - z, outer.top, outer.right - 1, outer.top + z - 1}
                             : RECT{outer.left, outer.bottom - z, outer.left + z - 1, outer.bottom - 1};
    InflateRect(&button, -2, -2);
    PaintCaptionCloseButton(canvas, button, captionInfo.CloseButtonState);
    if (horizontal)
      bar.right = std::min<LONG>(bar.right, button.left - 2);
    else
      bar.bottom = std::min<LONG>(bar.bottom, button.top - 2);
  }
  if (horizontal)
    InflateRect(&bar, -1, 0);
  else
    InflateRect(&bar, 0, -1);
  const String caption = captionInfo.Caption ? captionInfo.Caption : L"";
  canvas->SetFont(SmCaptionFont());
  FillDockedCaptionBar(canvas, bar, caption);
  DrawCaption(canvas, bar, caption, DockedCaptionFormat(), !horizontal, clBtnText);
}

void TStyledClassicLook::PaintFloatingFrame(TCanvas* canvas, const RECT& rect,
                                            const TStyledWindowPaintInfo& windowInfo) {
  const POINT border = windowInfo.FloatingBorderSize;
  if (windowInfo.RedrawPart & rpBorder) {
    RECT ring = rect;
    FrameRectEx(canvas, ring, NearestColor(BlendColors(clBtnShadow, clBlack, 127)), true);
    DrawEdge(canvas->Handle(), &ring, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    FrameRectEx(canvas, ring, clBtnFace, true);
    FrameRectEx(canvas, ring, clBtnFace, true);
    const RECT client = Deflated(rect, border.x, border.y);
    HDC dc = canvas->Handle();
    const int saved = SaveDC(dc);
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    FillRectEx(canvas, ring, ViewBackColor(windowInfo.ViewType));
    RestoreDC(dc, saved);
    canvas->Refresh();
  }
  if (!windowInfo.ShowCaption) return;
  const int z = GetSystemMetrics(SM_CYSMCAPTION);
  RECT strip{border.x, border.y, border.x + windowInfo.ClientWidth, border.y + z};
  const RECT full = strip;
  const bool closeShown = (windowInfo.CloseButtonState & cbsShown) != 0;
  if (windowInfo.RedrawPart & rpCaption) {
    DrawLineEx(canvas, strip.left, strip.bottom - 1, strip.right, strip.bottom - 1, clBtnFace);
    DrawLineEx(canvas, strip.left - 1, strip.bottom - 2, strip.right + 1, strip.bottom - 2, frameColor_);
    strip.bottom -= 2;
    if (closeShown && (windowInfo.RedrawPart & rpCloseButton)) strip.right -= z;
    const String caption = windowInfo.Caption ? windowInfo.Caption : L"";
    canvas->SetFont(SmCaptionFont());
    FillFloatingCaption(canvas, {strip.left, strip.top - 1, strip.right, strip.bottom}, caption, windowInfo.Active);
    DrawCaption(canvas, FloatingCaptionTextRect(strip), caption, FloatingCaptionFormat(), false, clBtnText);
  }
  if (closeShown) {
    RECT button{full.right - (z + 1), full.top - 1, full.right, full.bottom - 2};
    FillRectEx(canvas, button, clBtnFace);
    DrawLineEx(canvas, button.left, button.bottom, button.right, button.bottom, frameColor_);
    button.top = full.top;
    button.bottom -= 2;
    button.left += 4;
    const bool pushed = (windowInfo.CloseButtonState & cbsPushed) != 0;
    const bool hot = (windowInfo.CloseButtonState & cbsHot) != 0;
    if (hot || pushed) {
      PenColor(canvas, clBtnShadow);
      CutCornerFrame(canvas, button, 1, 1);
      const RECT inner = Deflated(button, 1, 1);
      if (pushed)
        FillRectEx(canvas, inner, clBtnHighlight);
      else
        DitherRect(canvas, inner, clBtnFace, HotTint());
    }
    DrawClassicCross(canvas, button, pushed ? 1 : 0);
  }
}

}  // namespace themes

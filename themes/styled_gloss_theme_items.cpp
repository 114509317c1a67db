// The Gloss theme's painters of items and their parts: backgrounds, button faces, captions, glyphs, edit boxes,
// menu items, separators, scroll buttons and the standard controls.
#include "themes/glass_gradients.h"
#include "themes/styled_gloss_theme.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/theme_manager.h"

namespace themes {

using namespace toolbars;

namespace {

// Docks of this kind are filled plain, like toolbars whose items are opaque.
constexpr int kPlainDock = vtDock | 0x0001;

RECT Deflated(RECT rect, int by) {
  InflateRect(&rect, -by, -by);
  return rect;
}

TColor NearestOn(HDC dc, TColor color) {
  return static_cast<TColor>(GetNearestColor(dc, static_cast<COLORREF>(ColorToRGB(color))));
}

}  // namespace

void TStyledGlossTheme::Glass(TCanvas* canvas, const RECT& rect, TColor c1, TColor c2, bool vertical) {
  if (c1 == clNone || c2 == clNone) return;
  GlassGradient(canvas, Scratch(), rect, c1, c2, vertical);
}

void TStyledGlossTheme::Stripes(TCanvas* canvas, const RECT& rect, TColor color) {
  PaintViewBackground(canvas, rect, rect, rect, color, false, 0);
}

void TStyledGlossTheme::PaintViewBackground(TCanvas* canvas, const RECT& viewRect, const RECT& paintRect,
                                            const RECT& clipRect, TColor color, bool transparent, int viewType) {
  (void)viewRect;
  RECT clipped{};
  if (transparent || !IntersectRect(&clipped, &paintRect, &clipRect)) return;
  HDC dc = canvas->Handle();
  if (!RectVisible(dc, &clipped)) return;
  const RECT area = VisiblePart(canvas, clipped);
  const bool plain = IsViewType(viewType, kPlainDock) || IsOpaqueToolbar(viewType);
  if (!FillRectEx(canvas, area, color) || plain) return;
  const int luminance = ColorLuminance(color);
  const int lift = luminance < 200 ? (200 - luminance) / 20 : 0;
  const TColor light = NearestOn(dc, ShiftColorBrightness(color, 8 + lift));
  const TColor dark = NearestOn(dc, ShiftColorBrightness(color, -8));
  // Stripes every third row counted from the view's top, so that a partial repaint matches a full one; only the
  // rows inside the repainted area are drawn.
  for (long long y = area.top - (static_cast<long long>(area.top) - paintRect.top) % 3; y < area.bottom; y += 3) {
    const int row = static_cast<int>(y);
    if (row >= area.top) DrawLineEx(canvas, area.left, row, area.right, row, dark);
    if (row + 1 >= area.top && row + 1 < area.bottom) DrawLineEx(canvas, area.left, row + 1, area.right, row + 1, light);
  }
}

void TStyledGlossTheme::PaintButtonFace(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  if (IsRectEmpty(&rect)) return;
  const bool hot = IsHot(itemInfo);
  RECT face = rect;
  int leftCut = 2;
  int rightCut = 2;
  if (itemInfo.ButtonPart == cpComboArrow) {
    --face.left;
    leftCut = 1;
  } else if (itemInfo.ButtonPart == cpMainOfCombo) {
    rightCut = 1;
  }
  if (!(itemInfo.ItemOptions & ioToolbarStyle)) leftCut = rightCut = 1;
  const bool down = (itemInfo.Pushed || itemInfo.Checked) && itemInfo.Enabled;
  if (IsOpaqueToolbar(itemInfo.ViewType) && !hot) {
    if (itemInfo.Enabled) FillRectEx(canvas, Deflated(face, 1), colors_.ToolbarColor);
    CutCornerFrame(canvas, face, leftCut, rightCut,
                   MixColorsPercent(clHighlight, clWindow, itemInfo.Enabled ? 20 : 15));
  }
  if (IsViewType(itemInfo.ViewType, vtMenuBar)) {
    if (!down && !hot) return;
    if (!itemInfo.Pushed && !itemInfo.Checked) {
      canvas->Pen()->SetColor(colors_.PopupFrameColor);
      canvas->Brush()->SetStyle(TBrushStyle::bsClear);
      canvas->Rectangle(face);
      canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
    } else {
      Stripes(canvas, face, GlossBaseColor);
    }
    return;
  }
  const TColor pen = MixColorsPercent(clHighlight, clWindow, 40);
  if (down) {
    const bool full = itemInfo.Pushed || itemInfo.HoverKind != hkNone;
    Glass(canvas, Deflated(face, 1), full ? GlossBaseColor : MixColorsPercent(GlossBaseColor, clWindow, 40), clWhite);
    CutCornerFrame(canvas, face, leftCut, rightCut, pen);
  } else if (hot || (itemInfo.ItemOptions & ioDesigning)) {
    CutCornerFrame(canvas, face, leftCut, rightCut, pen);
  }
  if (itemInfo.ButtonPart == cpComboArrow) PaintDropDownArrow(canvas, face, itemInfo);
}

void TStyledGlossTheme::PaintItemCaption(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                         const String& caption, UINT format, bool rotated) {
  if (IsRectEmpty(&rect)) return;
  TColor color = CaptionTextColor;
  if (IsViewType(itemInfo.ViewType, vtMenuBar) && itemInfo.HoverKind != hkNone)
    color = itemInfo.Pushed || itemInfo.Checked ? clWhite : clBtnText;
  else if (itemInfo.ButtonPart == cpMainOfCombo && itemInfo.IsSubmenuParent)
    color = CaptionTextColor;
  else if (IsViewType(itemInfo.ViewType, vtPopupFamily) && itemInfo.HoverKind != hkNone)
    color = clWhite;
  else if (!itemInfo.Enabled)
    color = ItemColor(itemInfo, TColorKind::ckText);
  DrawCaption(canvas, rect, caption, format, rotated, color);
}

void TStyledGlossTheme::PaintCheckGlyph(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  if (IsRectEmpty(&rect)) return;
  DrawCheckMark(canvas, rect, itemInfo.Enabled ? clBlack : PopupItems()[psDisabled].Text);
}

void TStyledGlossTheme::PaintItemFrame(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  if (IsRectEmpty(&rect)) return;
  if (!itemInfo.Enabled && itemInfo.HoverKind != hkKeyboardHot) {
    RECT inner = Deflated(rect, 1);
    FrameRectEx(canvas, inner, colors_.ToolbarColor, false);
    return;
  }
  if (!itemInfo.Pushed && !itemInfo.Checked && itemInfo.HoverKind == hkNone && !(itemInfo.ItemOptions & ioDesigning))
    return;
  Glass(canvas, Deflated(rect, 1), ItemColor(itemInfo, TColorKind::ckFill), clWhite);
  CutCornerFrame(canvas, rect, 1, 1,
                 itemInfo.Pushed ? ToolbarItems()[tsChecked].Frame : ItemColor(itemInfo, TColorKind::ckFrame));
}

void TStyledGlossTheme::PaintEditFrame(TCanvas* canvas, const RECT& rect, TStyledItemPaintInfo& itemInfo,
                                       const TStyledEditFrameInfo& editInfo) {
  if (IsRectEmpty(&rect)) return;
  PaintItemFrame(canvas, rect, itemInfo);
  const int inset = IntegerMetric(60);
  const RECT area = Deflated(rect, inset);
  RECT box = area;
  const int buttonWidth = editInfo.RightWidth;
  if (buttonWidth > 0) box.right -= buttonWidth - 2;
  TColor frame = ToolbarItems()[tsDisabled].Frame;
  if (itemInfo.HoverKind != hkNone)
    frame = clWhite;
  else if (itemInfo.Enabled)
    frame = colors_.EditFrameColor;
  FrameRectEx(canvas, box, frame, true);
  if (itemInfo.Enabled) FillRectEx(canvas, box, clWhite);
  if (buttonWidth > 0) {
    RECT button = area;
    button.left = button.right - buttonWidth;
    PaintEditButton(canvas, button, itemInfo, editInfo.RightButton);
  }
}

void TStyledGlossTheme::PaintEditButtonFace(TCanvas* canvas, const RECT& rect, bool opaque) {
  if (opaque) FillRectEx(canvas, rect, colors_.ToolbarColor);
  RECT frame = rect;
  FrameRectEx(canvas, frame, colors_.EditFrameColor, false);
}

void TStyledGlossTheme::PaintEditButton(TCanvas* canvas, const RECT& rect, TStyledItemPaintInfo& itemInfo,
                                        const TStyledEditButtonInfo& buttonInfo) {
  if (IsRectEmpty(&rect)) return;
  const RECT button{rect.left + 1, rect.top, rect.right, rect.bottom};
  const bool opaque = IsOpaqueToolbar(itemInfo.ViewType);
  const bool disabled = (buttonInfo.ButtonState & ebsDisabled) != 0;
  const bool hot = (buttonInfo.ButtonState & ebsHot) != 0;
  if (buttonInfo.ButtonType == ebDropDown) {
    const bool pushed = (buttonInfo.ButtonState & ebsPushed) != 0;
    if (disabled) {
      RECT frame = button;
      FrameRectEx(canvas, frame, ToolbarItems()[tsDisabled].Frame, false);
    } else if (pushed) {
      Glass(canvas, button, clWhite, GlossPushedColor);
    } else if (!hot) {
      PaintEditButtonFace(canvas, button, opaque);
    }
    PaintDropDownArrow(canvas, button, itemInfo);
  } else if (buttonInfo.ButtonType == ebSpin) {
    const bool wasPushed = itemInfo.Pushed;
    const struct {
      RECT Part;
      bool Pushed;
      bool Upper;
    } parts[] = {{{button.left, button.top, button.right, (button.top + button.bottom + 1) / 2},
                  (buttonInfo.ButtonState & ebsPushed) != 0,
                  true},
                 {{button.left, (button.top + button.bottom) / 2, button.right, button.bottom},
                  (buttonInfo.ButtonState & ebsLowerPushed) != 0,
                  false}};
    for (const auto& part : parts) {
      itemInfo.Pushed = part.Pushed;
      if (!disabled) {
        if (part.Pushed)
          Glass(canvas, part.Part, clWhite, GlossPushedColor);
        else if (hot)
          Glass(canvas, part.Part, ToolbarItems()[tsHot].Fill, clWhite);
        if (!part.Pushed && !hot) PaintEditButtonFace(canvas, part.Part, opaque);
      }
      const int x = (part.Part.left + part.Part.right) / 2;
      const int y = (part.Part.top + part.Part.bottom - 1) / 2;
      const int tip = part.Upper ? -1 : 1;
      FillPolygon(canvas, {{x - 2, y - tip}, {x + 2, y - tip}, {x, y + tip}}, ItemColor(itemInfo, TColorKind::ckText));
    }
    itemInfo.Pushed = wasPushed;
  }
}

void TStyledGlossTheme::PaintDropDownArrow(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  if (IsRectEmpty(&rect)) return;
  const TColor color = ItemColor(itemInfo, TColorKind::ckText);
  const int x = (rect.left + rect.right) / 2;
  const int y = (rect.top + rect.bottom) / 2;
  if (itemInfo.ButtonPart == cpMainOfCombo || itemInfo.ButtonPart == cpComboArrow) {
    if (itemInfo.Vertical)
      FillPolygon(canvas, {{x, y + 1}, {x, y - 3}, {x - 2, y - 1}}, color);
    else
      FillPolygon(canvas, {{x - 2, y - 1}, {x + 2, y - 1}, {x, y + 1}}, color);
  } else if (itemInfo.Vertical) {
    FillPolygon(canvas, {{x - 1, y + 2}, {x - 1, y - 2}, {x - 3, y}}, color);
    FillPolygon(canvas, {{x + 2, y + 2}, {x + 2, y - 2}, {x + 4, y}}, color);
  } else {
    FillPolygon(canvas, {{x - 2, y + 1}, {x + 2, y + 1}, {x, y + 3}}, color);
    FillPolygon(canvas, {{x - 2, y - 2}, {x + 2, y - 2}, {x, y - 4}}, color);
  }
}

void TStyledGlossTheme::PaintMenuItemHighlight(TCanvas* canvas, const RECT& rect,
                                               const TStyledItemPaintInfo& itemInfo) {
  if (IsRectEmpty(&rect)) return;
  if (IsHot(itemInfo)) Stripes(canvas, rect, GlossBaseColor);
}

void TStyledGlossTheme::PaintMenuItem(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  if (IsRectEmpty(&rect)) return;
  PaintMenuItemHighlight(canvas, rect, itemInfo);
  const TColor text = ItemColor(itemInfo, TColorKind::ckText);
  const int w = GetSystemMetrics(SM_CXMENUCHECK);
  if (itemInfo.ItemOptions & ioDropDownCombo) {
    TColor line = colors_.MenuSplitColor;
    if (!itemInfo.Enabled)
      line = text;
    else if (itemInfo.HoverKind == hkHot)
      line = clWhite;
    const int x = rect.right - w - 1;
    DrawLineEx(canvas, x, rect.top + 1, x, rect.bottom - 1, line);
  }
  if (itemInfo.ItemOptions & ioHasSubmenu) {
    // The middle of the item itself, wherever the view placed it.
    const int x = rect.right - (2 * w) / 3 - 1;
    const int y = (rect.top + rect.bottom) / 2;
    FillPolygon(canvas, {{x, y - 3}, {x, y + 3}, {x + 3, y}}, itemInfo.HoverKind != hkNone ? clWhite : text);
  }
  if (itemInfo.Checked && itemInfo.Enabled) {
    const RECT inner = Deflated(rect, 1);
    const RECT box = Deflated({inner.left, inner.top, inner.left + itemInfo.ImageColumnWidth, inner.bottom}, 1);
    FillRectEx(canvas, Deflated(box, 1), clWhite);
    const bool lit = itemInfo.Pushed || itemInfo.HoverKind != hkNone;
    CutCornerFrame(canvas, box, 2, 2, lit ? GlossBaseColor : TColor{0x00A0A0A0});
    if (itemInfo.ButtonPart == cpComboArrow) PaintDropDownArrow(canvas, box, itemInfo);
  }
}

void TStyledGlossTheme::PaintSeparator(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                       bool horizontal, bool lineOnly) {
  if (IsRectEmpty(&rect)) return;
  (void)lineOnly;
  // Dots every third pixel along the middle of the separator itself, wherever the view placed it.
  const RECT visible = VisiblePart(canvas, rect);
  if (horizontal) {
    const int y = rect.top + (rect.bottom - rect.top) / 2;
    for (int x : DotsAlong(rect.left, visible.left, visible.right)) canvas->SetPixels(x, y, clBlack);
  } else if (itemInfo.Enabled) {
    const int x = rect.left + (rect.right - rect.left) / 2;
    for (int y : DotsAlong(rect.top, visible.top, visible.bottom)) canvas->SetPixels(x, y, clBlack);
  }
}

void TStyledGlossTheme::PaintScrollButton(TCanvas* canvas, const RECT& rect, int buttonType, bool flat) {
  if (IsRectEmpty(&rect)) return;
  const bool highlighted = flat;
  const RECT inner = Deflated(rect, 1);
  TColor pen = GlossBaseColor;
  if (highlighted) {
    Glass(canvas, inner, GlossGradientColor, clWhite);
  } else {
    FillRectEx(canvas, inner, colors_.ToolbarColor);
    pen = BlendColorsNearest(clWhite, 0x00808080, 64);
  }
  CutCornerFrame(canvas, rect, 1, 1, pen);
  // The cut corners are softened.
  for (const POINT at : {POINT{rect.left, rect.top}, POINT{rect.right - 1, rect.top},
                         POINT{rect.right - 1, rect.bottom - 1}, POINT{rect.left, rect.bottom - 1}})
    canvas->SetPixels(at.x, at.y, 0x00C0C0C0);
  const std::vector<POINT> arrow = ScrollArrowPoints(rect, buttonType);
  if (!arrow.empty()) FillPolygon(canvas, arrow, highlighted ? clWhite : clBlack);
}

void TStyledGlossTheme::PaintStandardControl(TCanvas* canvas, const RECT& rect, int controlType, int state) {
  if (IsRectEmpty(&rect)) return;
  if (controlType != scCheckBox && controlType != scRadioButton) return;
  const auto& rows = ToolbarItems();
  const bool checked = state & scsChecked;
  const bool mixed = state & scsMixed;
  const bool hot = state & scsHot;
  const bool pushed = state & scsPushed;
  const bool marked = checked || mixed;
  const bool radio = controlType == scRadioButton;
  const RECT inner = Deflated(rect, 1);
  // The fill: c1, c2 and whether it is the glossy gradient or the linear one; no fill when c1 is clNone.
  TColor c1 = clNone;
  TColor c2 = clWhite;
  bool glass = true;
  TColor pen = 0x00C0C0C0;
  if (hot && pushed) {
    c1 = clWhite;
    c2 = GlossPushedColor;
    glass = !marked;
  } else if (hot) {
    c1 = GlossBaseColor;
    pen = rows[tsHot].Frame;
  } else if (marked) {
    c1 = GlossPushedColor;
  }
  if (c1 != clNone) {
    if (radio)
      RoundGradient(canvas, inner, c1, glass, c2);
    else if (glass)
      Glass(canvas, inner, c1, c2);
    else
      GradientFill(canvas, inner, c1, c2, false);
  }
  DrawControlOutline(canvas, rect, controlType, pen);
  DrawControlMark(canvas, inner, controlType, state, StandardControlMarkColor(state));
}

}  // namespace themes

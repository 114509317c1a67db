#include "themes/styled_crystal_theme.h"

#include <algorithm>

#include "framework/startup.h"
#include "themes/glass_gradients.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/default_theme.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/theme_manager.h"

namespace themes {

using namespace toolbars;

namespace {

constexpr TColor kGlassDark = 0xF0F0F0;
constexpr TColor kGrey80 = 0x808080;
constexpr TColor kGrey90 = 0x909090;
constexpr TColor kGreyA0 = 0xA0A0A0;
constexpr TColor kGreyB8 = 0xB8B8B8;
constexpr TColor kGreyC0 = 0xC0C0C0;
constexpr TColor kGreyD0 = 0xD0D0D0;
constexpr TColor kGreyD8 = 0xD8D8D8;
constexpr TColor kGreyE0 = 0xE0E0E0;
constexpr TColor kGreyF8 = 0xF8F8F8;

int crystalUnitCounter = 0;
TCrystalColors crystalUnitColors;

void StartCrystalTheme() {
  RegisterThemeOnce(crystalUnitCounter, L"Crystal", TStyledThemeClass::Of<TStyledCrystalTheme>());
}

void StopCrystalTheme() { ++crystalUnitCounter; }

bool IsGlassView(int viewType) {
  return (IsViewType(viewType, vtToolbar) && !(viewType & vtOpaque)) || IsViewType(viewType, vtToolWindow) ||
         IsViewType(viewType, vtMenuBar);
}

RECT Inset(RECT rect, int by) {
  InflateRect(&rect, -by, -by);
  return rect;
}

// The sunken look of a checked face that is not hot: a light fill with a shadow along its left and top.
void PaintSunkenFill(TCanvas* canvas, const RECT& inner) {
  FillRectEx(canvas, inner, kGreyD8);
  canvas->Pen()->SetColor(kGreyB8);
  canvas->Polyline({{inner.left, inner.bottom - 2}, {inner.left, inner.top}, {inner.right, inner.top}});
}

}  // namespace

const TCrystalColors& CrystalColors() { return crystalUnitColors; }

TStockGlyphs& CrystalStockGlyphs() {
  static TStockGlyphs glyphs(&MakeGradientStrip);
  return glyphs;
}

const TUnit& CrystalThemeUnit() {
  static const TUnit unit{L"themes.crystal", &StartCrystalTheme, &StopCrystalTheme, {&DefaultThemeUnit()}};
  return unit;
}

TStyledCrystalTheme::TStyledCrystalTheme(const String& name) : TStyledPastelLook(name, CrystalStockGlyphs()) {
  SetupColorCache();
}

void TStyledCrystalTheme::SetupColorCache() {
  crystalUnitColors.SeparatorShadow = BlendColorsNearest(clBtnShadow, clBtnFace, 48);
  crystalUnitColors.CaptionLight = clWhite;
  crystalUnitColors.ToolbarEdge = 0xB0B0B0;
  TPastelColors& c = EditColors();
  c.MenuBar = clWhite;
  c.Toolbar = crystalUnitColors.CaptionLight;
  c.Popup = clWhite;
  c.Dock = clWhite;
  c.PopupFrame = kGreyC0;
  const TColor hot = Contrasted(MixColorsPercent(clHighlight, clWindow, 20), c.Toolbar, 50);
  const TColor g = MixColorsPercent(clBtnShadow, clWindow, 90);
  const TColor inactiveText = Contrasted(g, clBtnFace, 120);
  // The caption text stands on the white glass of the caption: kept apart from the shadow colour it would fade
  // into it, so it keeps apart from the glass.
  c.Floating[0] = {{{kGrey90, clWhite, Contrasted(clBlack, crystalUnitColors.CaptionLight, 180)},
                    {kGrey90, clBtnFace, inactiveText}}};
  c.Floating[1] = {{{kGrey90, clWhite, clBlack}, {clBtnShadow, clBtnFace, inactiveText}}};

  auto& toolbar = EditToolbarItems();
  const TColor text = Contrasted(clBtnText, c.Toolbar, 180);
  const TColor checked =
      Contrasted(MixColorsPercent(clHighlight, MixColorsPercent(clBtnFace, clWindow, 50), 10), c.Toolbar, 5);
  const TColor hotText = Contrasted(clMenuText, hot, 180);
  const TColor checkedHot = Contrasted(MixColorsPercent(clHighlight, clWindow, 50), c.Toolbar, 30);
  toolbar[tsNormal] = {clNone, text, clNone};
  toolbar[tsDisabled] = {clNone, Contrasted(g, c.Toolbar, 80), kGreyD0};
  toolbar[tsChecked] = {checked, text, kGreyC0};
  // A pushed close button of a toolbar handle stands out in red.
  toolbar[tsPushed] = {MixColorsPercent(clHighlight, clWindow, 30), clBlack, clRed};
  toolbar[tsHot] = {hot, hotText, kGreyA0};
  toolbar[tsDisabledHot] = {hot, g, clHighlight};
  toolbar[tsCheckedHot] = {checkedHot, Contrasted(clBlack, checkedHot, 180), Contrasted(clHighlight, checkedHot, 100)};
  toolbar[tsSubmenuOpen] = {c.Toolbar, text, kGreyA0};

  auto& popup = EditPopupItems();
  const TColor gray = MixColorsPercent(clGrayText, clWindow, 70);
  popup[psNormal] = {clNone, Contrasted(clWindowText, c.Popup, 180), clNone};
  popup[psDisabled] = {clNone, Contrasted(gray, c.Popup, 80), clNone};
  popup[psHot] = {hot, hotText, kGreyC0};
  popup[psDisabledHot] = {c.Popup, gray, clHighlight};

  c.Grip = Contrasted(MixColorsPercent(clBtnShadow, clWindow, 75), c.Toolbar, 85);
  c.ImageColumnSeparator = kGrey90;
  c.Separator = Contrasted(MixColorsPercent(clBtnShadow, clWindow, 70), c.Toolbar, 50);
  c.StatusPaneFrame = Contrasted(MixColorsPercent(clWindow, clBtnFace, 30), clBtnFace, 30);
  MakeColorsNearest();
}

void TStyledCrystalTheme::PaintViewBackground(TCanvas* canvas, const RECT& viewRect, const RECT& paintRect,
                                              const RECT& clipRect, TColor color, bool transparent, int viewType) {
  if (transparent) return;
  RECT area{};
  if (!IntersectRect(&area, &paintRect, &clipRect)) return;
  if (IsGlassView(viewType))
    GlassGradient(canvas, Scratch(), area, kGlassDark, clWhite, ViewRunsWide(viewRect, paintRect, area));
  else
    FillRectEx(canvas, area, color);
}

void TStyledCrystalTheme::PaintButtonFace(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  const bool enabled = itemInfo.Enabled;
  const bool hot = IsHot(itemInfo);
  RECT face = rect;
  int leftCut = 2;
  int rightCut = 2;
  if (itemInfo.ButtonPart == cpComboArrow) {
    --face.left;
    leftCut = 1;
  }
  if (itemInfo.ButtonPart == cpMainOfCombo) rightCut = 0;
  if (!(itemInfo.ItemOptions & ioToolbarStyle)) leftCut = rightCut = 1;

  if (IsOpaqueToolbar(itemInfo.ViewType) && !hot) {
    if (enabled) FillRectEx(canvas, Inset(face, 1), ToolbarColor());
    CutCornerFrame(canvas, face, leftCut, rightCut, MixColorsPercent(clHighlight, clWindow, enabled ? 20 : 15));
  }
  const bool down = (itemInfo.Pushed || itemInfo.Checked) && enabled;
  if (!IsViewType(itemInfo.ViewType, vtMenuBar)) {
    if (down) {
      if (itemInfo.Pushed || itemInfo.HoverKind != hkNone) {
        CutCornerFrame(canvas, face, 1, 1, kGreyD0);
        FillRectEx(canvas, Inset(face, 1), kGreyC0);
        CutCornerFrame(canvas, face, leftCut, rightCut, kGrey90);
      } else {
        PaintSunkenFill(canvas, Inset(face, 1));
        CutCornerFrame(canvas, face, leftCut, rightCut, kGreyF8);
      }
      if (itemInfo.Checked && !itemInfo.Pushed && hot) {
        CutCornerFrame(canvas, face, 1, 1, kGreyD0);
        FillRectEx(canvas, Inset(face, 1), kGreyD0);
        CutCornerFrame(canvas, face, leftCut, rightCut, kGrey80);
      }
    } else if (hot || (itemInfo.ItemOptions & ioDesigning)) {
      CutCornerFrame(canvas, face, 1, 1, kGreyE0);
      FillRectEx(canvas, Inset(face, 1), kGreyE0);
      CutCornerFrame(canvas, face, leftCut, rightCut, ImageAreaColor(itemInfo, TColorKind::ckFrame));
    }
    if (itemInfo.ButtonPart == cpComboArrow) PaintDropDownArrow(canvas, face, itemInfo);
  } else if ((down || hot) && itemInfo.Pushed) {
    // A menu-bar item is drawn at all when it is down or hot; once drawn, being pushed decides how.
    CutCornerFrame(canvas, face, 1, 1, kGreyD0);
    FillRectEx(canvas, Inset(face, 1), kGreyD0);
    CutCornerFrame(canvas, face, 1, 1, kGrey80);
  } else if (down || hot) {
    CutCornerFrame(canvas, face, 1, 1, ToolbarItems()[tsHot].Frame);
  }
}

void TStyledCrystalTheme::PaintItemCaption(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                           const String& caption, UINT format, bool rotated) {
  const TColor color = itemInfo.Enabled ? CaptionTextColor : ItemColor(itemInfo, TColorKind::ckText);
  DrawCaption(canvas, rect, caption, format, rotated, color);
}

void TStyledCrystalTheme::PaintItemFrame(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  if (!itemInfo.Enabled && itemInfo.HoverKind != hkKeyboardHot) {
    RECT inner = Inset(rect, 1);
    FrameRectEx(canvas, inner, ToolbarColor(), false);
    return;
  }
  if (itemInfo.HoverKind == hkNone && !(itemInfo.ItemOptions & ioDesigning)) return;
  ButtonGradient(canvas, Inset(rect, 1));
  CutCornerFrame(canvas, rect, 1, 1,
                 itemInfo.Pushed ? ToolbarItems()[tsChecked].Frame : ItemColor(itemInfo, TColorKind::ckFrame));
}

void TStyledCrystalTheme::PaintEditFrame(TCanvas* canvas, const RECT& rect, TStyledItemPaintInfo& itemInfo,
                                         const TStyledEditFrameInfo& editInfo) {
  PaintItemFrame(canvas, rect, itemInfo);
  const int inset = IntegerMetric(60);
  RECT box = Inset(rect, inset);
  const RECT buttonArea = box;
  if (editInfo.RightWidth > 0) box.right += 2 - editInfo.RightWidth;
  TColor frame = clWhite;
  if (itemInfo.HoverKind == hkNone) frame = itemInfo.Enabled ? kGreyD0 : ToolbarItems()[tsDisabled].Frame;
  FrameRectEx(canvas, box, frame, true);
  if (itemInfo.Enabled) FillRectEx(canvas, box, clWhite);
  if (editInfo.RightWidth > 0) {
    RECT button = buttonArea;
    button.left = button.right - editInfo.RightWidth;
    PaintEditButton(canvas, button, itemInfo, editInfo.RightButton);
  }
}

void TStyledCrystalTheme::PaintQuietEditButton(TCanvas* canvas, const RECT& rect,
                                               const TStyledItemPaintInfo& itemInfo) {
  if (IsOpaqueToolbar(itemInfo.ViewType)) FillRectEx(canvas, rect, ToolbarColor());
  RECT frame = rect;
  FrameRectEx(canvas, frame, kGreyD0, false);
}

void TStyledCrystalTheme::PaintEditButton(TCanvas* canvas, const RECT& rect, TStyledItemPaintInfo& itemInfo,
                                          const TStyledEditButtonInfo& buttonInfo) {
  const bool enabled = !(buttonInfo.ButtonState & ebsDisabled);
  const bool hot = (buttonInfo.ButtonState & ebsHot) != 0;
  const RECT b{rect.left + 1, rect.top, rect.right, rect.bottom};
  if (buttonInfo.ButtonType == ebDropDown) {
    const bool pushed = (buttonInfo.ButtonState & ebsPushed) != 0;
    if (!enabled) {
      RECT frame = b;
      FrameRectEx(canvas, frame, ToolbarItems()[tsDisabled].Frame, false);
    } else if (pushed || hot) {
      FillRectEx(canvas, b, pushed ? kGreyC0 : kGreyE0);
      DrawLineEx(canvas, rect.left, rect.top, rect.left, rect.bottom, kGrey90);
    } else {
      DrawLineEx(canvas, rect.left, rect.top + 1, rect.left, rect.bottom - 1, clWhite);
      PaintQuietEditButton(canvas, b, itemInfo);
    }
    PaintDropDownArrow(canvas, b, itemInfo);
  } else if (buttonInfo.ButtonType == ebSpin) {
    RECT upper = b;
    upper.bottom = (b.top + b.bottom + 1) / 2;
    RECT lower = b;
    lower.top = (b.top + b.bottom) / 2;
    const bool upperPushed = (buttonInfo.ButtonState & ebsPushed) != 0;
    const bool lowerPushed = (buttonInfo.ButtonState & ebsLowerPushed) != 0;
    if (enabled) {
      for (const auto& [half, pushed] : {std::pair{upper, upperPushed}, std::pair{lower, lowerPushed}}) {
        if (pushed)
          GradientFill(canvas, half, clWhite, kGreyC0, false);
        else if (hot)
          FillRectEx(canvas, half, kGreyD0);
        else
          PaintQuietEditButton(canvas, half, itemInfo);
      }
    }
    const bool wasPushed = itemInfo.Pushed;
    PaintSpinArrows(canvas, upper, lower, upperPushed, lowerPushed, itemInfo);
    itemInfo.Pushed = wasPushed;
  }
}

void TStyledCrystalTheme::FillImageColumn(TCanvas* canvas, const RECT& rect) { FillRectEx(canvas, rect, clWhite); }

TColor TStyledCrystalTheme::SplitLineHotColor(const TStyledItemPaintInfo& itemInfo) {
  (void)itemInfo;
  return clWhite;
}

void TStyledCrystalTheme::PaintCheckBox(TCanvas* canvas, RECT box, const TStyledItemPaintInfo& itemInfo) {
  // One pixel inside the column's box; the cut-corner frame sits on the column's box.
  const RECT inner{box.left, box.top + 1, box.right, box.bottom - 1};
  const RECT outer = Inset(inner, -1);
  if (!itemInfo.Pushed && itemInfo.HoverKind == hkNone) {
    PaintSunkenFill(canvas, inner);
    CutCornerFrame(canvas, outer, 2, 2, clWhite);
  } else {
    FillRectEx(canvas, inner, kGreyD0);
    CutCornerFrame(canvas, outer, 2, 2, kGrey90);
  }
  if (itemInfo.ButtonPart == cpComboArrow) PaintDropDownArrow(canvas, inner, itemInfo);
}

void TStyledCrystalTheme::PaintSeparator(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                         bool horizontal, bool lineOnly) {
  (void)lineOnly;
  // The middle of the separator itself, wherever the view placed it.
  if (!horizontal) {
    if (itemInfo.Enabled)
      DrawEtchedLine(canvas, rect, false, (rect.left + rect.right) / 2, crystalUnitColors.SeparatorShadow);
    return;
  }
  const int y = (rect.top + rect.bottom) / 2;
  if (IsViewType(itemInfo.ViewType, vtToolbarFamily)) {
    DrawEtchedLine(canvas, rect, true, y + 1, crystalUnitColors.SeparatorShadow);
    return;
  }
  const RECT visible = VisiblePart(canvas, rect);
  for (int x : DotsAlong(rect.left + 14, visible.left, std::min<int>(visible.right, rect.right - 14)))
    canvas->SetPixels(x, y, Colors().ImageColumnSeparator);
}

void TStyledCrystalTheme::PaintScrollButton(TCanvas* canvas, const RECT& rect, int buttonType, bool flat) {
  const bool hot = flat;
  if (hot)
    GlassGradient(canvas, Scratch(), Inset(rect, 1), kGlassDark, clWhite, true);
  else
    FillRectEx(canvas, Inset(rect, 1), clWhite);
  CutCornerFrame(canvas, rect, 1, 1, hot ? ToolbarItems()[tsHot].Frame : kGreyD0);
  if (rect.right > rect.left && rect.bottom > rect.top) {
    // The corners the cut frame leaves out take the face colour around the button.
    for (const POINT corner : {POINT{rect.left, rect.top}, POINT{rect.right - 1, rect.top},
                               POINT{rect.left, rect.bottom - 1}, POINT{rect.right - 1, rect.bottom - 1}})
      canvas->SetPixels(corner.x, corner.y, clBtnFace);
  }
  FillPolygon(canvas, ScrollArrowPoints(rect, buttonType), clBtnText);
}

void TStyledCrystalTheme::FillCaptionBand(TCanvas* canvas, const RECT& band, bool rows, TColor color) {
  (void)color;
  GlassGradient(canvas, Scratch(), band, kGlassDark, crystalUnitColors.CaptionLight, rows);
}

TColor TStyledCrystalTheme::CaptionBandLineColor(TColor brushColor) const {
  (void)brushColor;
  return kGreyC0;
}

void TStyledCrystalTheme::PaintCaptionCloseButton(TCanvas* canvas, RECT rect, int row) {
  if (row == tsHot || row == tsPushed) {
    FrameRectEx(canvas, rect, kGrey80, true);
    FillRectEx(canvas, rect, row == tsHot ? clWhite : kGreyC0);
    DrawCloseGlyph(canvas, rect, row == tsHot ? clBlack : clWhite);
    return;
  }
  const TItemColors& colors = ToolbarItems()[static_cast<size_t>(row)];
  FrameRectEx(canvas, rect, colors.Frame, true);
  FillRectEx(canvas, rect, colors.Fill);
  DrawCloseGlyph(canvas, rect, clBlack);
}

void TStyledCrystalTheme::PaintDockedCloseButton(TCanvas* canvas, const RECT& rect, int closeState) {
  int row = tsNormal;
  if (closeState & cbsPushed)
    row = tsPushed;
  else if (closeState & cbsHot)
    row = tsHot;
  PaintCaptionCloseButton(canvas, rect, row);
}

void TStyledCrystalTheme::PaintFloatingCloseButton(TCanvas* canvas, RECT rect, int row, TColor captionText) {
  (void)captionText;
  PaintCaptionCloseButton(canvas, rect, row);
}

bool TStyledCrystalTheme::TakesToolbarCaptionColors(int viewType) const {
  return IsViewType(viewType, vtToolbarFamily);
}

void TStyledCrystalTheme::PaintToolbarBorder(TCanvas* canvas, RECT& area, const TStyledToolbarPaintInfo& toolbarInfo) {
  const int viewType = toolbarInfo.ViewType;
  if (IsViewType(viewType, vtToolbar) || IsViewType(viewType, vtToolWindow) || IsViewType(viewType, vtMenuBar)) {
    const int l = area.left;
    const int t = area.top;
    const int r = area.right;
    const int b = area.bottom;
    // Measured on the frame itself, wherever its window's origin lies.
    if (b - t < r - l) {
      GlassGradient(canvas, Scratch(), area, kGlassDark, clWhite, true);
      GlassGradient(canvas, Scratch(), {l, t + 2, r, b - 2}, kGlassDark, clWhite, true);
    } else {
      GlassGradient(canvas, Scratch(), area, kGlassDark, clWhite, false);
    }
    canvas->Pen()->SetColor(crystalUnitColors.ToolbarEdge);
    canvas->Polyline({{l + 2, b - 1}, {r - 3, b - 1}, {r - 1, b - 3}, {r - 1, t}});
    canvas->Pen()->SetColor(clWhite);
    canvas->Polyline({{l + 1, b - 2}, {l, b - 3}, {l, t + 2}, {l + 2, t}, {r - 3, t}, {r - 1, t + 2}});
    canvas->Pen()->SetColor(kGreyE0);
    canvas->Polyline({{l, t}, {l, t + 1}, {l + 2, t - 1}});
    canvas->Polyline({{r - 1, t}, {r - 2, t}, {r, t + 2}});
    canvas->Polyline({{l, b - 1}, {l, b - 2}, {l + 2, b}});
    canvas->Polyline({{r - 1, b - 2}, {r - 2, b - 1}, {r, b - 1}});
  }
  InflateRect(&area, -2, -2);
}

void TStyledCrystalTheme::PaintGripDash(TCanvas* canvas, int x, int y, bool vertical) {
  if (vertical) {
    DrawLineEx(canvas, x, y, x, y + 3, kGrey80);
    DrawLineEx(canvas, x + 1, y, x + 1, y + 3, clWhite);
  } else {
    DrawLineEx(canvas, x, y, x + 3, y, kGreyA0);
    DrawLineEx(canvas, x, y + 1, x + 3, y + 1, clWhite);
  }
}

void TStyledCrystalTheme::PaintStandardControl(TCanvas* canvas, const RECT& rect, int controlType, int state) {
  if (controlType != scCheckBox && controlType != scRadioButton) return;
  const auto& rows = ToolbarItems();
  const bool pushed = state & scsPushed;
  const bool hot = state & scsHot;
  const bool marked = state & (scsChecked | scsMixed);
  const bool radio = controlType == scRadioButton;
  const RECT inner = Inset(rect, 1);
  const auto fill = [&](TColor a, TColor b, bool glass) {
    if (radio)
      RoundGradient(canvas, inner, a, glass, b);
    else
      GlassGradient(canvas, Scratch(), inner, a, b, true);
  };
  TColor pen = kGreyC0;
  if (hot && pushed) {
    fill(clWhite, kGreyC0, !marked);
  } else if (hot) {
    fill(marked ? kGreyC0 : kGlassDark, clWhite, true);
    pen = rows[tsHot].Frame;
  } else if (marked) {
    fill(kGreyD0, clWhite, true);
  }
  DrawControlOutline(canvas, rect, controlType, pen);
  DrawControlMark(canvas, inner, controlType, state, StandardControlMarkColor(state));
}

void TStyledCrystalTheme::PaintStatusBarPart(TCanvas* canvas, const RECT& rect, int part) {
  switch (part) {
    case spBackground:
      GlassGradient(canvas, Scratch(), rect, kGlassDark, clWhite, true);
      break;
    case spPane:
    case spLastPane:
      DrawPaneDivider(canvas, rect, part == spLastPane);
      break;
    case spSizeGrip:
      DrawSizeGripLines(canvas, rect, BlendColorsNearest(clBtnFace, clBtnHighlight, 64),
                        BlendColorsNearest(clBtnFace, clBtnShadow, 64));
      break;
    default:
      break;
  }
}

int TStyledCrystalTheme::IntegerMetric(int index) {
  if (index == 35) return 7;
  if (index == 50) return 5;
  return TStyledPastelLook::IntegerMetric(index);
}

bool TStyledCrystalTheme::BooleanMetric(int index) { return index == 3; }

}  // namespace themes

#include "themes/pastel_look.h"

#include <algorithm>

#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/stock_objects.h"
#include "toolbars/theme/theme_manager.h"

namespace themes {

using namespace toolbars;

namespace {

void FrameIn(TCanvas* canvas, RECT rect, TColor color) { FrameRectEx(canvas, rect, color, false); }

}  // namespace

void TStyledPastelLook::SetupItemTables(TColor hotFill, TColor hotText) {
  const TColor g = MixColorsPercent(clBtnShadow, clWindow, 90);
  auto& toolbar = EditToolbarItems();
  auto& popup = EditPopupItems();
  const TColor bar = colors_.Toolbar;
  TColor t0 = clBtnText;
  EnsureContrast(t0, bar, 180);
  TColor t1 = g;
  EnsureContrast(t1, bar, 80);
  toolbar[tsNormal] = {clNone, t0, clNone};
  toolbar[tsDisabled] = {clNone, t1, clNone};
  TColor checked = MixColorsPercent(clHighlight, MixColorsPercent(clBtnFace, clWindow, 50), 10);
  EnsureContrast(checked, bar, 5);
  toolbar[tsChecked] = {checked, t0, clHighlight};
  toolbar[tsPushed] = {MixColorsPercent(clHighlight, clWindow, 50), clHighlightText, clHighlight};
  TColor hotFrame = clHighlight;
  EnsureContrast(hotFrame, bar, 100);
  toolbar[tsHot] = {hotFill, hotText, hotFrame};
  toolbar[tsDisabledHot] = {hotFill, g, clHighlight};
  TColor p = MixColorsPercent(clHighlight, clWindow, 50);
  EnsureContrast(p, bar, 30);
  TColor pText = clHighlightText;
  EnsureContrast(pText, p, 180);
  TColor pFrame = clHighlight;
  EnsureContrast(pFrame, p, 100);
  toolbar[tsCheckedHot] = {p, pText, pFrame};
  toolbar[tsSubmenuOpen] = {bar, t0, colors_.PopupFrame};

  TColor popupText = clWindowText;
  EnsureContrast(popupText, colors_.Popup, 180);
  const TColor gray = MixColorsPercent(clGrayText, clWindow, 70);
  TColor popupGray = gray;
  EnsureContrast(popupGray, colors_.Popup, 80);
  popup[psNormal] = {clNone, popupText, clNone};
  popup[psDisabled] = {clNone, popupGray, clNone};
  popup[psHot] = toolbar[tsHot];
  popup[psDisabledHot] = {colors_.Popup, gray, clHighlight};
}

void TStyledPastelLook::MakeColorsNearest() {
  const auto nearest = [](TColor& color) {
    if (color != clNone) color = NearestColor(color);
  };
  for (TColor* color : {&colors_.MenuBar, &colors_.Toolbar, &colors_.Popup, &colors_.Dock, &colors_.PopupFrame,
                        &colors_.Grip, &colors_.ImageColumnSeparator, &colors_.Separator, &colors_.StatusPaneFrame})
    nearest(*color);
  for (auto& family : colors_.Floating)
    for (TFloatingColors& set : family) {
      nearest(set.Border);
      nearest(set.CaptionFill);
      nearest(set.CaptionText);
    }
  MakeItemColorsNearest();
}

TColor TStyledPastelLook::ViewBackColor(int viewType) {
  if (IsViewType(viewType, vtToolbarFamily)) return IsViewType(viewType, vtMenuBar) ? colors_.MenuBar : colors_.Toolbar;
  if (IsViewType(viewType, vtPopupFamily)) return IsViewType(viewType, vtListPopup) ? clWindow : colors_.Popup;
  if (IsViewType(viewType, vtDock)) return colors_.Dock;
  return clBtnFace;
}

void TStyledPastelLook::PaintViewBackground(TCanvas* canvas, const RECT& viewRect, const RECT& paintRect,
                                            const RECT& clipRect, TColor color, bool transparent, int viewType) {
  (void)viewRect;
  (void)viewType;
  if (transparent) return;
  RECT area{};
  if (IntersectRect(&area, &paintRect, &clipRect)) FillRectEx(canvas, area, color);
}

bool TStyledPastelLook::PaintsPlainFace(const TStyledItemPaintInfo& itemInfo) const {
  return itemInfo.HoverKind != hkNone;
}

void TStyledPastelLook::FillFace(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  FillRectEx(canvas, rect, ImageAreaColor(itemInfo, TColorKind::ckFill));
}

void TStyledPastelLook::PaintButtonFace(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  if ((itemInfo.ItemOptions & ioDesigning) && !itemInfo.Checked) {
    RECT frame = rect;
    if (itemInfo.ButtonPart == cpComboArrow) --frame.left;
    FrameIn(canvas, frame, NearestColor(BlendColors(clBtnShadow, clBtnFace, 100)));
  } else if (itemInfo.Checked || PaintsPlainFace(itemInfo)) {
    RECT face = rect;
    FrameRectEx(canvas, face, ImageAreaColor(itemInfo, TColorKind::ckFrame), true);
    if (itemInfo.ButtonPart == cpMainOfCombo && itemInfo.IsSubmenuParent) ++face.right;
    if (itemInfo.ButtonPart == cpComboArrow) --face.left;
    FillFace(canvas, face, itemInfo);
  }
  if (itemInfo.ButtonPart == cpComboArrow) PaintDropDownArrow(canvas, rect, itemInfo);
}

void TStyledPastelLook::PaintItemCaption(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                         const String& caption, UINT format, bool rotated) {
  const TColor itemText = ItemColor(itemInfo, TColorKind::ckText);
  const bool popup = IsViewType(itemInfo.ViewType, vtPopupFamily);
  const TColor color = !popup && (itemText == clNone || itemInfo.HoverKind == hkNone) ? CaptionTextColor : itemText;
  DrawCaption(canvas, rect, caption, format, rotated, color);
}

void TStyledPastelLook::PaintDropDownArrow(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  const int x = (rect.left + rect.right) / 2;
  const int y = (rect.top + rect.bottom) / 2;
  const TColor color = ItemColor(itemInfo, TColorKind::ckText);
  if (itemInfo.Vertical)
    FillPolygon(canvas, {{x, y + 1}, {x, y - 3}, {x - 2, y - 1}}, color);
  else
    FillPolygon(canvas, {{x - 2, y - 1}, {x + 2, y - 1}, {x, y + 1}}, color);
}

void TStyledPastelLook::PaintItemFrame(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  RECT inner = rect;
  FrameRectEx(canvas, inner, ItemColor(itemInfo, TColorKind::ckFrame), true);
  FillRectEx(canvas, inner, ItemColor(itemInfo, TColorKind::ckFill));
}

void TStyledPastelLook::FillImageColumn(TCanvas* canvas, const RECT& rect) {
  FillRectEx(canvas, rect, colors_.Toolbar);
}

void TStyledPastelLook::FillCheckBox(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  FillRectEx(canvas, rect, ImageAreaColor(itemInfo, TColorKind::ckFill));
}

void TStyledPastelLook::PaintMenuItemHighlight(TCanvas* canvas, const RECT& rect,
                                               const TStyledItemPaintInfo& itemInfo) {
  RECT frame = rect;
  if (!IsViewType(itemInfo.ViewType, vtToolBoxPopup)) {
    FillImageColumn(canvas, {rect.left, rect.top, rect.left + itemInfo.ImageColumnWidth + 2, rect.bottom});
    frame = {rect.left + 1, rect.top, rect.right - 1, rect.bottom};
  }
  PaintItemFrame(canvas, frame, itemInfo);
}

void TStyledPastelLook::PaintMenuItem(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  PaintMenuItemHighlight(canvas, rect, itemInfo);
  const TColor text = ItemColor(itemInfo, TColorKind::ckText);
  const int w = GetSystemMetrics(SM_CXMENUCHECK);
  if (itemInfo.ItemOptions & ioDropDownCombo) {
    TColor line = text;
    if (itemInfo.Enabled)
      line = itemInfo.HoverKind == hkHot ? SplitLineHotColor(itemInfo) : colors_.ImageColumnSeparator;
    const int x = rect.right - w - 1;
    DrawLineEx(canvas, x, rect.top + 1, x, rect.bottom - 1, line);
  }
  if (itemInfo.ItemOptions & ioHasSubmenu) {
    // The middle of the item itself, wherever the view placed it.
    const int y = (rect.top + rect.bottom) / 2;
    const int x = rect.right - (2 * w) / 3 - 1;
    FillPolygon(canvas, {{x, y - 3}, {x, y + 3}, {x + 3, y}}, text);
  }
  if (itemInfo.Checked && itemInfo.Enabled) {
    PaintCheckBox(canvas, {rect.left + 2, rect.top + 1, rect.left + 1 + itemInfo.ImageColumnWidth - 1, rect.bottom - 1},
                  itemInfo);
  }
}

TColor TStyledPastelLook::SplitLineHotColor(const TStyledItemPaintInfo& itemInfo) {
  return ItemColor(itemInfo, TColorKind::ckFrame);
}

void TStyledPastelLook::PaintCheckBox(TCanvas* canvas, RECT box, const TStyledItemPaintInfo& itemInfo) {
  FrameRectEx(canvas, box, ImageAreaColor(itemInfo, TColorKind::ckFrame), true);
  FillCheckBox(canvas, box, itemInfo);
}

void TStyledPastelLook::PaintPopupFrame(TCanvas* canvas, const RECT& rect, const TStyledPopupPaintInfo& popupInfo) {
  RECT inner = rect;
  FrameRectEx(canvas, inner, colors_.PopupFrame, true);
  FillRectEx(canvas, inner, colors_.Popup);
  const RECT& parent = popupInfo.ParentRect;
  if (IsRectEmpty(&parent)) return;
  canvas->Pen()->SetColor(colors_.Toolbar);
  const int left = std::max<int>(parent.left, inner.left - 1);
  const int right = std::min<int>(parent.right, inner.right + 1);
  if (parent.bottom == inner.top) {
    canvas->MoveTo(left + 1, parent.bottom - 1);
    canvas->LineTo(right - 1, parent.bottom - 1);
  } else if (parent.top == inner.bottom) {
    canvas->MoveTo(left + 1, parent.top);
    canvas->LineTo(right - 1, parent.top);
  }
  const int top = std::max<int>(parent.top, inner.top - 1);
  const int bottom = std::min<int>(parent.bottom, inner.bottom + 1);
  if (parent.right == inner.left) {
    canvas->MoveTo(parent.right - 1, top + 1);
    canvas->LineTo(parent.right - 1, bottom - 1);
  } else if (parent.left == inner.right) {
    canvas->MoveTo(parent.left, top + 1);
    canvas->LineTo(parent.left, bottom - 1);
  }
}

void TStyledPastelLook::PaintSeparator(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                       bool horizontal, bool lineOnly) {
  (void)lineOnly;
  // The middle of the separator itself, wherever the view placed it.
  if (horizontal) {
    const int y = (rect.top + rect.bottom) / 2;
    if (IsPopupMenuItem(itemInfo)) {
      FillImageColumn(canvas, {rect.left, rect.top, rect.left + itemInfo.ImageColumnWidth + 2, rect.bottom});
      if (itemInfo.Enabled)
        DrawLineEx(canvas, rect.left + itemInfo.ImageColumnWidth + 9, y, rect.right, y, colors_.ImageColumnSeparator);
    } else if (itemInfo.Enabled) {
      DrawLineEx(canvas, rect.left, y, rect.right, y, colors_.Separator);
    }
  } else if (itemInfo.Enabled) {
    const int x = (rect.left + rect.right) / 2;
    DrawLineEx(canvas, x, rect.top, x, rect.bottom, colors_.Separator);
  }
}

void TStyledPastelLook::PaintEditFrame(TCanvas* canvas, const RECT& rect, TStyledItemPaintInfo& itemInfo,
                                       const TStyledEditFrameInfo& editInfo) {
  PaintItemFrame(canvas, rect, itemInfo);
  RECT box = rect;
  const int inset = IntegerMetric(60);
  InflateRect(&box, -inset, -inset);
  const RECT buttonArea = box;
  if (!itemInfo.Enabled && !IsOpaqueToolbar(itemInfo.ViewType))
    FrameIn(canvas, box, ToolbarItems()[tsDisabled].Text);
  if (editInfo.RightWidth > 0) box.right += 2 - editInfo.RightWidth;
  if (itemInfo.Enabled) {
    const bool plainPopup =
        !IsViewType(itemInfo.ViewType, vtToolbarFamily) && ItemColor(itemInfo, TColorKind::ckFrame) == clNone;
    FrameRectEx(canvas, box, plainPopup ? PlainEditFrameColor() : clWindow, true);
    FillRectEx(canvas, box, clWindow);
    if (plainPopup) {
      RECT item = rect;
      InflateRect(&item, -1, -1);
      FrameIn(canvas, item, PlainEditFrameColor());
    }
  }
  if (editInfo.RightWidth > 0) {
    RECT button = buttonArea;
    button.left = button.right - editInfo.RightWidth;
    PaintEditButton(canvas, button, itemInfo, editInfo.RightButton);
  }
}

void TStyledPastelLook::PaintEditButtonPart(TCanvas* canvas, RECT face, const RECT& toolbarFrame, bool pushed, bool hot,
                                            bool spin, TStyledItemPaintInfo& itemInfo) {
  if (pushed || hot || IsOpaqueToolbar(itemInfo.ViewType)) {
    itemInfo.Pushed = pushed;
    if (spin)
      PaintSpinFace(canvas, face, itemInfo, hot);
    else
      PaintButtonFace(canvas, face, itemInfo);
  } else if (IsViewType(itemInfo.ViewType, vtToolbarFamily)) {
    FrameIn(canvas, toolbarFrame, clWindow);
    DrawLineEx(canvas, toolbarFrame.left - 1, toolbarFrame.top, toolbarFrame.left - 1, toolbarFrame.bottom, clWindow);
  }
}

void TStyledPastelLook::PaintEditButton(TCanvas* canvas, const RECT& rect, TStyledItemPaintInfo& itemInfo,
                                        const TStyledEditButtonInfo& buttonInfo) {
  const bool enabled = !(buttonInfo.ButtonState & ebsDisabled);
  const bool hot = (buttonInfo.ButtonState & ebsHot) != 0;
  const bool wasPushed = itemInfo.Pushed;
  const RECT b{rect.left, rect.top - 1, rect.right + 1, rect.bottom + 1};
  if (buttonInfo.ButtonType == ebDropDown) {
    const bool pushed = (buttonInfo.ButtonState & ebsPushed) != 0;
    if (enabled) PaintEditButtonPart(canvas, b, rect, pushed, hot, false, itemInfo);
    itemInfo.Pushed = wasPushed;
    PaintDropDownArrow(canvas, b, itemInfo);
  } else if (buttonInfo.ButtonType == ebSpin) {
    RECT upper = b;
    upper.bottom = (b.top + b.bottom + 1) / 2;
    RECT lower = b;
    lower.top = (b.top + b.bottom) / 2;
    const bool upperPushed = (buttonInfo.ButtonState & ebsPushed) != 0;
    const bool lowerPushed = (buttonInfo.ButtonState & ebsLowerPushed) != 0;
    if (enabled) {
      PaintEditButtonPart(canvas, upper, {rect.left, rect.top, rect.right, upper.bottom}, upperPushed, hot, true,
                          itemInfo);
      PaintEditButtonPart(canvas, lower, {rect.left, lower.top, rect.right, rect.bottom}, lowerPushed, hot, true,
                          itemInfo);
    }
    PaintSpinArrows(canvas, upper, lower, upperPushed, lowerPushed, itemInfo);
    itemInfo.Pushed = wasPushed;
  }
}

void TStyledPastelLook::PaintSpinArrows(TCanvas* canvas, const RECT& upper, const RECT& lower, bool upperPushed,
                                        bool lowerPushed, TStyledItemPaintInfo& itemInfo) {
  itemInfo.Pushed = upperPushed;
  int x = (upper.left + upper.right) / 2;
  int y = (upper.top + upper.bottom - 1) / 2;
  FillPolygon(canvas, {{x - 2, y + 1}, {x + 2, y + 1}, {x, y - 1}}, ItemColor(itemInfo, TColorKind::ckText));
  itemInfo.Pushed = lowerPushed;
  x = (lower.left + lower.right) / 2;
  y = (lower.top + lower.bottom) / 2;
  FillPolygon(canvas, {{x - 2, y - 1}, {x + 2, y - 1}, {x, y + 1}}, ItemColor(itemInfo, TColorKind::ckText));
}

void TStyledPastelLook::PaintSpinFace(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                      bool hot) {
  (void)hot;
  PaintButtonFace(canvas, rect, itemInfo);
}

void TStyledPastelLook::PaintScrollButton(TCanvas* canvas, const RECT& rect, int buttonType, bool flat) {
  const bool hot = flat;
  const TItemColors& hotRow = ToolbarItems()[tsHot];
  RECT inner = rect;
  FrameRectEx(canvas, inner, hot ? hotRow.Frame : clBtnShadow, true);
  FillRectEx(canvas, inner, hot ? hotRow.Fill : clBtnFace);
  FillPolygon(canvas, ScrollArrowPoints(rect, buttonType), hot ? hotRow.Text : ToolbarItems()[tsNormal].Text);
}

void TStyledPastelLook::PaintStandardControl(TCanvas* canvas, const RECT& rect, int controlType, int state) {
  if (controlType != scCheckBox && controlType != scRadioButton) return;
  const auto& rows = ToolbarItems();
  const bool disabled = state & scsDisabled;
  const bool pushed = state & scsPushed;
  const bool hot = state & scsHot;
  const bool mixed = state & scsMixed;
  TColor pen = clBtnShadow;
  if (!disabled && pushed)
    pen = rows[tsPushed].Frame;
  else if (!disabled && hot)
    pen = rows[tsHot].Frame;
  HBRUSH brush = nullptr;
  if (disabled)
    brush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  else if (pushed)
    brush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(rows[tsPushed].Fill)));
  else if (hot)
    brush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(rows[tsHot].Fill)));
  else if (mixed)
    brush = CreateCheckerBrush(clWindow, clBtnFace);
  else
    brush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  RECT box = rect;
  InflateRect(&box, -1, -1);
  DrawControlBox(canvas, box, controlType, pen, brush);
  DeleteObject(brush);

  DrawControlMark(canvas, box, controlType, state, StandardControlMarkColor(state));
}

void TStyledPastelLook::PaintStatusBarPart(TCanvas* canvas, const RECT& rect, int part) {
  switch (part) {
    case spBackground:
      FillRectEx(canvas, rect, clBtnFace);
      break;
    case spPane:
      FrameIn(canvas, {rect.left, rect.top, rect.right - 2, rect.bottom}, colors_.StatusPaneFrame);
      break;
    case spLastPane:
      FrameIn(canvas, rect, colors_.StatusPaneFrame);
      break;
    case spSizeGrip: {
      const int size = std::min<int>(rect.right - rect.left, rect.bottom - rect.top);
      std::vector<TColor> round;
      if (size < 9)
        round = {clBtnShadow, clBtnHighlight};
      else if (size < 12)
        round = {clBtnFace, clBtnShadow, clBtnHighlight};
      else if (size < 15)
        round = {clBtnShadow, clBtnShadow, clBtnHighlight};
      else
        round = {clBtnFace, clBtnShadow, clBtnShadow, clBtnHighlight};
      int d = 0;
      for (int i = 0; i < 3; ++i)
        for (TColor color : round) {
          DrawLineEx(canvas, rect.right - 1 - d, rect.bottom - 1, rect.right, rect.bottom - d - 2, color);
          ++d;
        }
      break;
    }
    default:
      break;
  }
}

void TStyledPastelLook::PaintDockBackground(TCanvas* canvas, const RECT& clientRect, const RECT& paintRect,
                                            int position) {
  (void)canvas;
  (void)clientRect;
  (void)paintRect;
  (void)position;
}

void TStyledPastelLook::PaintDockedCaption(TCanvas* canvas, const RECT& rect,
                                           const TStyledDockedCaptionInfo& captionInfo) {
  const TColor k = canvas->Brush()->Color();
  const bool horizontal = captionInfo.HorizontalCaption;
  PaintDockedCaptionEdge(canvas, rect, k, DockedCaptionColor(), horizontal);
  if (!captionInfo.ShowCaption) return;
  RECT caption = rect;
  InflateRect(&caption, -captionInfo.BorderSize.x, -captionInfo.BorderSize.y);
  const int z = GetSystemMetrics(SM_CYSMCAPTION);
  const TColor closing = CaptionBandLineColor(k);
  if (horizontal) {
    caption.bottom = caption.top + z - 1;
    if (closing != clNone) DrawLineEx(canvas, caption.left, caption.bottom, caption.right, caption.bottom, closing);
  } else {
    caption.right = caption.left + z - 1;
    if (closing != clNone) DrawLineEx(canvas, caption.right, caption.top, caption.right, caption.bottom, closing);
  }
  FillCaptionBand(canvas, caption, horizontal, DockedCaptionColor());
  if (captionInfo.CloseButtonState & cbsShown) {
    RECT button = caption;
    if (horizontal) {
      button.left = button.right - (z - 1);
      caption.right = button.left;
    } else {
      button.top = button.bottom - (z - 1);
      caption.bottom = button.top;
    }
    PaintDockedCloseButton(canvas, button, captionInfo.CloseButtonState);
  }
  if (horizontal)
    InflateRect(&caption, -4, 0);
  else
    InflateRect(&caption, 0, -4);
  canvas->SetFont(SmCaptionFont());
  canvas->Brush()->SetColor(clBtnFace);
  DrawCaption(canvas, caption, captionInfo.Caption ? captionInfo.Caption : L"", CaptionFormat(), !horizontal,
              DockedCaptionTextColor());
}

void TStyledPastelLook::FillCaptionBand(TCanvas* canvas, const RECT& band, bool rows, TColor color) {
  (void)rows;
  FillRectEx(canvas, band, color);
}

void TStyledPastelLook::PaintDockedCloseButton(TCanvas* canvas, const RECT& rect, int closeState) {
  PaintCloseButton(canvas, rect, closeState);
}

bool TStyledPastelLook::TakesToolbarCaptionColors(int viewType) const { return IsViewType(viewType, vtToolbar); }

void TStyledPastelLook::PaintFloatingFrame(TCanvas* canvas, const RECT& rect,
                                           const TStyledWindowPaintInfo& windowInfo) {
  const int active = windowInfo.Active ? 0 : 1;
  const bool dockFamily = (windowInfo.ViewType & vtDock) != 0;
  const TFloatingColors& borderSet = colors_.Floating[dockFamily ? 1 : 0][static_cast<size_t>(active)];
  const TFloatingColors& captionSet =
      colors_.Floating[TakesToolbarCaptionColors(windowInfo.ViewType) ? 0 : 1][static_cast<size_t>(active)];
  const TColor k = canvas->Brush()->Color();
  const POINT border = windowInfo.FloatingBorderSize;
  RECT client = rect;
  InflateRect(&client, -border.x, -border.y);
  if (windowInfo.RedrawPart & rpBorder) PaintFloatingBorder(canvas, rect, client, borderSet.Border, k, dockFamily);
  if (!windowInfo.ShowCaption) return;
  const int z = GetSystemMetrics(SM_CYSMCAPTION);
  RECT strip{0, 0, windowInfo.ClientWidth, z - 1};
  OffsetRect(&strip, border.x, border.y);
  const bool closeShown = (windowInfo.CloseButtonState & cbsShown) != 0;
  if (windowInfo.RedrawPart & rpCaption) {
    RECT caption = strip;
    DrawLineEx(canvas, caption.left, caption.bottom, caption.right, caption.bottom, k);
    if (closeShown && (windowInfo.RedrawPart & rpCloseButton)) caption.right -= z - 1;
    FillCaptionBand(canvas, caption, true, captionSet.CaptionFill);
    InflateRect(&caption, -2, 0);
    canvas->SetFont(SmCaptionFont());
    DrawCaption(canvas, caption, windowInfo.Caption ? windowInfo.Caption : L"", CaptionFormat(), false,
                captionSet.CaptionText);
  }
  if (closeShown) {
    RECT button{strip.right - (z - 1), strip.top, strip.right, strip.bottom};
    DrawLineEx(canvas, button.left - 1, button.bottom, button.right, button.bottom, k);
    FillCaptionBand(canvas, button, true, captionSet.CaptionFill);
    int row = tsDisabled;
    if (windowInfo.Active) row = CloseButtonRow(windowInfo.CloseButtonState);
    PaintFloatingCloseButton(canvas, button, row, captionSet.CaptionText);
  }
}

void TStyledPastelLook::PaintFloatingCloseButton(TCanvas* canvas, RECT rect, int row, TColor captionText) {
  const TItemColors& colors = ToolbarItems()[static_cast<size_t>(row)];
  FrameRectEx(canvas, rect, colors.Frame, true);
  const bool filled = FillRectEx(canvas, rect, colors.Fill);
  DrawListGlyph(canvas, Glyphs(), sgClose, (rect.left + rect.right - kStockGlyphSize + 1) / 2,
                (rect.top + rect.bottom - kStockGlyphSize) / 2, filled ? colors.Text : captionText);
}

void TStyledPastelLook::PaintToolbarBorder(TCanvas* canvas, RECT& area, const TStyledToolbarPaintInfo& toolbarInfo) {
  const TColor k = canvas->Brush()->Color();
  if (toolbarInfo.BorderStyle == 1) {
    const int luminance = ColorLuminance(clBtnFace);
    if ((LowColor || luminance < 50 || luminance > 254) && !IsViewType(toolbarInfo.ViewType, vtMenuBar)) {
      HBRUSH brush = CreateCheckerBrush(colors_.Toolbar, ToolbarItems()[tsDisabled].Text);
      HDC dc = canvas->Handle();
      const RECT strips[] = {{area.left + 1, area.top, area.right - 1, area.top + 1},
                             {area.left + 1, area.bottom - 1, area.right - 1, area.bottom},
                             {area.left, area.top + 1, area.left + 1, area.bottom - 1},
                             {area.right - 1, area.top + 1, area.right, area.bottom - 1}};
      for (const RECT& strip : strips) ::FillRect(dc, &strip, brush);
      DeleteObject(brush);
      InflateRect(&area, -1, -1);
      FillRectEx(canvas, area, k);
    } else {
      canvas->Pen()->SetColor(clBtnHighlight);
      canvas->MoveTo(area.right - 1, area.top);
      canvas->LineTo(area.left, area.top);
      canvas->LineTo(area.left, area.bottom - 1);
      canvas->Pen()->SetColor(clBtnShadow);
      canvas->LineTo(area.right - 1, area.bottom - 1);
      canvas->LineTo(area.right - 1, area.top);
      InflateRect(&area, -1, -1);
    }
  } else {
    InflateRect(&area, -1, -1);
  }
  InflateRect(&area, -1, -1);
}

void TStyledPastelLook::PaintGrip(TCanvas* canvas, const RECT& handle, const TStyledToolbarPaintInfo& toolbarInfo) {
  const int size = GetDragHandleSize(toolbarInfo);
  const bool closeShown = (toolbarInfo.CloseButtonState & cbsShown) != 0;
  const int offset = closeShown ? 5 : toolbarInfo.DragHandleStyle == dhDouble ? 2 : 1;
  if (!toolbarInfo.IsVertical) {
    const int x = handle.left + offset;
    const int start = handle.top + (closeShown ? size - 2 : 0);
    for (int y = start + 3; y < handle.bottom - 3; y += 2) PaintGripDash(canvas, x, y, false);
  } else {
    const int y = handle.top + offset;
    // The close button sits at the far end of a vertical toolbar's handle: the grip stops before it.
    const int end = handle.right - (closeShown ? size - 2 : 0);
    for (int x = handle.left + 3; x < end - 3; x += 2) PaintGripDash(canvas, x, y, true);
  }
}

void TStyledPastelLook::PaintGripDash(TCanvas* canvas, int x, int y, bool vertical) {
  if (vertical)
    DrawLineEx(canvas, x, y, x, y + 3, colors_.Grip);
  else
    DrawLineEx(canvas, x, y, x + 3, y, colors_.Grip);
}

void TStyledPastelLook::PaintToolbarFrame(TCanvas* canvas, const RECT& rect, const TStyledToolbarPaintInfo& toolbarInfo) {
  RECT area = rect;
  PaintToolbarBorder(canvas, area, toolbarInfo);
  if (!toolbarInfo.AllowDrag) return;
  const RECT handle = DragHandleRect(area, toolbarInfo);
  if (toolbarInfo.DragHandleStyle != dhNone) PaintGrip(canvas, handle, toolbarInfo);
  if (toolbarInfo.CloseButtonState & cbsShown)
    PaintCloseButton(canvas, HandleCloseButtonRect(handle, toolbarInfo.IsVertical), toolbarInfo.CloseButtonState);
}

int TStyledPastelLook::IntegerMetric(int index) { return FlatLookMetric(index); }

bool TStyledPastelLook::BooleanMetric(int index) { return index == 1 || index == 3; }

}  // namespace themes

#include "themes/table_theme.h"

#include "framework/image_list.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/image_painters.h"
#include "toolbars/theme/theme_manager.h"
#include "toolbars/theme/theme_registry.h"

namespace themes {

using namespace toolbars;

namespace {

// Images on a background darker than this are drawn for contrast.
constexpr int kDarkImageBackground = 80;
constexpr int kBlendedImageOpacity = 200;

constexpr TGlyphPattern kChevron{0xCC, 0x66, 0x33, 0x66, 0xCC, 0, 0, 0};
constexpr TGlyphPattern kChevronVertical{0x88, 0xD8, 0x70, 0x20, 0x88, 0xD8, 0x70, 0x20};

TColor Pick(const TItemColors& colors, TColorKind kind) {
  switch (kind) {
    case TColorKind::ckFill:
      return colors.Fill;
    case TColorKind::ckText:
      return colors.Text;
    default:
      return colors.Frame;
  }
}

RECT Moved(RECT rect, int dx, int dy) {
  OffsetRect(&rect, dx, dy);
  return rect;
}

}  // namespace

bool IsPopupMenuItem(const TStyledItemPaintInfo& itemInfo) {
  return IsViewType(itemInfo.ViewType, vtPopupFamily) && !(itemInfo.ItemOptions & ioToolbarStyle) &&
         !IsViewType(itemInfo.ViewType, vtToolBoxPopup);
}

int ToolbarItemState(const TStyledItemPaintInfo& itemInfo) {
  if (!itemInfo.Enabled) return itemInfo.HoverKind == hkKeyboardHot ? tsDisabledHot : tsDisabled;
  if (itemInfo.IsSubmenuParent) return tsSubmenuOpen;
  if (itemInfo.Pushed) return tsPushed;
  if (itemInfo.Checked) return itemInfo.HoverKind != hkNone ? tsCheckedHot : tsChecked;
  return itemInfo.HoverKind != hkNone ? tsHot : tsNormal;
}

int CloseButtonRow(int closeState) {
  if (closeState & cbsPushed) return tsPushed;
  return closeState & cbsHot ? tsHot : tsNormal;
}

int PopupItemState(const TStyledItemPaintInfo& itemInfo) {
  if (itemInfo.Enabled) return itemInfo.HoverKind != hkNone ? psHot : psNormal;
  return itemInfo.HoverKind == hkKeyboardHot ? psDisabledHot : psDisabled;
}

TStyledTableTheme::TStyledTableTheme(const String& name, TStockGlyphs& unitGlyphs)
    : TStyledTheme(name), unitGlyphs_(unitGlyphs) {
  unitGlyphs_.AddInstance();
  AddThemeNotification(this);
}

TStyledTableTheme::~TStyledTableTheme() {
  RemoveThemeNotification(this);
  unitGlyphs_.RemoveInstance();
}

void TStyledTableTheme::Dispatch(TMessage& message) {
  if (message.Msg == CM_STYLEDSYSCOMMAND) {
    if (message.WParam == tcRebuildColors) SetupColorCache();
    return;
  }
  TStyledTheme::Dispatch(message);
}

TColor TStyledTableTheme::ItemColor(const TStyledItemPaintInfo& itemInfo, TColorKind kind) {
  const bool toolbarStyle =
      !IsViewType(itemInfo.ViewType, vtPopupMenu) || (itemInfo.ItemOptions & ioToolbarStyle) != 0;
  if (!toolbarStyle) return Pick(popupItems_[static_cast<size_t>(PopupItemState(itemInfo))], kind);
  const TColor color = Pick(toolbarItems_[static_cast<size_t>(ToolbarItemState(itemInfo))], kind);
  if (color == clNone && IsOpaqueToolbar(itemInfo.ViewType)) {
    if (kind == TColorKind::ckFill) return ToolbarColor();
    if (kind == TColorKind::ckFrame) return clBtnShadow;
  }
  return color;
}

TColor TStyledTableTheme::ImageAreaColor(const TStyledItemPaintInfo& itemInfo, TColorKind kind) {
  const TColor color = Pick(toolbarItems_[static_cast<size_t>(ToolbarItemState(itemInfo))], kind);
  if (!IsOpaqueToolbar(itemInfo.ViewType)) return color;
  if (kind == TColorKind::ckFill && color == clNone) return ToolbarColor();
  if (kind == TColorKind::ckFrame) {
    if (itemInfo.Checked) return clWindowFrame;
    if (color == clNone) return clBtnShadow;
  }
  return color;
}

POINT TStyledTableTheme::ItemImageOffset(TCanvas* canvas, const TStyledItemPaintInfo& itemInfo,
                                         TCustomImageList* imageList) {
  (void)canvas;
  const bool raised = !ObjectAs<TBarCustomImageList>(imageList) && itemInfo.Enabled &&
                      itemInfo.HoverKind != hkNone && !itemInfo.Checked &&
                      !(itemInfo.Pushed && !itemInfo.IsSubmenuParent);
  return raised ? POINT{-1, -1} : POINT{0, 0};
}

TColor TStyledTableTheme::ItemBackColor(const TStyledItemPaintInfo& itemInfo) {
  const TColor color = ItemColor(itemInfo, TColorKind::ckFill);
  return color == clNone ? ViewBackColor(itemInfo.ViewType) : color;
}

TColor TStyledTableTheme::ItemTextColor(const TStyledItemPaintInfo& itemInfo) {
  return ItemColor(itemInfo, TColorKind::ckText);
}

TColor TStyledTableTheme::ItemImageBackColor(const TStyledItemPaintInfo& itemInfo) {
  const TColor color = ImageAreaColor(itemInfo, TColorKind::ckFill);
  return color == clNone ? ViewBackColor(itemInfo.ViewType) : color;
}

void TStyledTableTheme::MarginsById(int marginId, TStyledMargins& margins) {
  if (marginId == miToolbarButton)
    margins = {2, 2, 2, 2};
  else if (marginId == miStatusBarPanel)
    margins = {1, 1, 3, 1};
  else
    margins = {};
}

int TStyledTableTheme::PopupShadowKind() { return 3; }

void TStyledTableTheme::ViewBorderSize(int viewType, POINT& size) {
  if (IsViewType(viewType, vtPopupFamily)) {
    size = IsViewType(viewType, vtPopupMenu) ? POINT{1, 2} : POINT{2, 2};
  } else if (IsViewType(viewType, vtToolbarFamily) || IsViewType(viewType, vtDock)) {
    if (viewType & vtFloating) {
      const bool resizable = (viewType & vtResizable) != 0;
      size = POINT{GetSystemMetrics(resizable ? SM_CXFRAME : SM_CXDLGFRAME) - 1,
                   GetSystemMetrics(resizable ? SM_CYFRAME : SM_CYDLGFRAME) - 1};
    } else {
      size = POINT{2, 2};
    }
  } else {
    size = POINT{0, 0};
  }
}

void TStyledTableTheme::ViewMargins(int viewType, TStyledMargins& margins) {
  (void)viewType;
  margins = {};
}

void TStyledTableTheme::PaintCheckGlyph(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  if (IsRectEmpty(&rect)) return;
  DrawCheckMark(canvas, rect, ImageAreaColor(itemInfo, TColorKind::ckText));
}

void TStyledTableTheme::PaintChevronGlyph(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  if (IsRectEmpty(&rect)) return;
  PaintButtonFace(canvas, rect, itemInfo);
  RECT glyph = rect;
  if (itemInfo.Vertical) {
    glyph.left = rect.right - 9;
    glyph.right = glyph.left + 5;
    glyph.top = rect.top + 2;
    glyph.bottom = glyph.top + 8;
  } else {
    // Rows 4 to 8 of the chevron's own rectangle, wherever the view placed it.
    glyph.top = rect.top + 4;
    glyph.bottom = rect.top + 9;
    glyph.left = rect.left + 2;
    glyph.right = glyph.left + 8;
  }
  DrawPatternGlyph(canvas, itemInfo.Vertical ? kChevronVertical : kChevron, glyph.left, glyph.top,
                   glyph.right - glyph.left, glyph.bottom - glyph.top, ItemColor(itemInfo, TColorKind::ckText));
}

void TStyledTableTheme::PaintItemImage(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                       TCustomImageList* imageList, int imageIndex) {
  PaintThemeItemImage(this, canvas, rect, itemInfo, imageList, imageIndex);
}

void TStyledTableTheme::PaintMdiButton(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                       UINT buttonKind) {
  if (IsRectEmpty(&rect)) return;
  PaintButtonFace(canvas, rect, itemInfo);
  const int glyph = MdiButtonGlyph(buttonKind);
  if (glyph < 0) return;
  DrawListGlyph(canvas, Glyphs(), glyph, (rect.left + rect.right - kStockGlyphSize) / 2,
                (rect.top + rect.bottom - kStockGlyphSize) / 2, ItemColor(itemInfo, TColorKind::ckText));
}

TColor TStyledTableTheme::StandardControlMarkColor(int state) const {
  if (state & scsDisabled) return toolbarItems_[tsDisabled].Text;
  if (state & scsPushed) return toolbarItems_[tsPushed].Text;
  if (state & scsMixed) return clBtnShadow;
  if (state & scsHot) return toolbarItems_[tsHot].Text;
  return toolbarItems_[tsNormal].Text;
}

void TStyledTableTheme::MakeItemColorsNearest() {
  const auto nearest = [](TColor& color) {
    if (color != clNone) color = NearestColor(color);
  };
  const auto rows = [&](auto& table) {
    for (TItemColors& row : table) {
      nearest(row.Fill);
      nearest(row.Text);
      nearest(row.Frame);
    }
  };
  rows(toolbarItems_);
  rows(popupItems_);
}

void TStyledTableTheme::PaintCloseButton(TCanvas* canvas, RECT rect, int closeState) {
  const TItemColors& row = toolbarItems_[static_cast<size_t>(CloseButtonRow(closeState))];
  FrameRectEx(canvas, rect, row.Frame, true);
  FillRectEx(canvas, rect, row.Fill);
  DrawCloseGlyph(canvas, rect, row.Text);
}

void PaintThemeItemImage(TStyledTheme* theme, TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                         TCustomImageList* imageList, int imageIndex) {
  if (!imageList || IsRectEmpty(&rect)) return;
  RECT at = IsViewType(itemInfo.ViewType, vtToolbarFamily) ? Moved(rect, -1, -1) : rect;
  const bool hot = itemInfo.HoverKind != hkNone;
  const bool down = itemInfo.Checked || itemInfo.Pushed;
  if (auto* stateLists = ObjectAs<TBarCustomImageList>(imageList)) {
    if (down) at = Moved(at, 1, 1);
    stateLists->DrawForState(canvas, at.left, at.top, imageIndex, itemInfo.Enabled, hot, itemInfo.Checked);
    return;
  }
  const bool dark = ColorLuminance(theme->ItemImageBackColor(itemInfo)) < kDarkImageBackground;
  if (!itemInfo.Enabled) {
    if (dark)
      DrawImageGrayed(canvas, at, imageList, clNone, imageIndex);
    else
      DrawImageShadow(canvas, at, imageList, 0, imageIndex);
  } else if (down) {
    DrawImageHighContrast(canvas, Moved(at, 1, 1), imageList, dark, imageIndex);
  } else if (hot) {
    DrawImageShadow(canvas, Moved(at, 1, 1), imageList, 1, imageIndex);
    DrawImageShadow(canvas, Moved(at, 2, 2), imageList, 1, imageIndex);
    DrawImageHighContrast(canvas, at, imageList, dark, imageIndex);
  } else if (!dark && !WhiteFace) {
    DrawImageBlended(canvas, at, imageList, kBlendedImageOpacity, imageIndex);
  } else {
    DrawImageHighContrast(canvas, at, imageList, dark, imageIndex);
  }
}

int FlatLookMetric(int index) {
  switch (index) {
    case 10:
      return 12;
    case 20:
    case 33:
      return 8;
    case 21:
    case 30:
    case 34:
    case 35:
      return 3;
    case 31:
    case 60:
      return 1;
    case 32:
    case 64:
      return 0;
    case 36:
    case 37:
    case 61:
    case 62:
      return 2;
    case 40:
      return 6;
    case 65:
      return 14;
    default:
      return -1;
  }
}

void RegisterThemeOnce(int& unitCounter, const String& name, TStyledThemeClass themeClass) {
  if (unitCounter-- == 0) RegisterTheme(name, themeClass);
}

}  // namespace themes

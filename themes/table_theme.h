// The common ground of the themes that derive straight from the theme contract: the item colour table (four
// states of pop-up items, eight of toolbar items, each a fill, text and frame colour), the state rules that pick
// a row, the colour queries built on the table, the stock glyph list of the theme's unit, and the shapes these
// themes paint alike (image offset, margins, border sizes, check mark, chevron, item image, MDI buttons).
#pragma once

#include <array>

#include "themes/stock_glyphs.h"
#include "themes/theme_drawing.h"
#include "toolbars/theme/theme.h"

namespace themes {

struct TItemColors {
  TColor Fill = clNone;
  TColor Text = clNone;
  TColor Frame = clNone;
};

// Toolbar-item states.
constexpr int tsNormal = 0;
constexpr int tsDisabled = 1;
constexpr int tsChecked = 2;
constexpr int tsPushed = 3;
constexpr int tsHot = 4;
constexpr int tsDisabledHot = 5;
constexpr int tsCheckedHot = 6;
constexpr int tsSubmenuOpen = 7;
// Pop-up item states.
constexpr int psNormal = 0;
constexpr int psDisabled = 1;
constexpr int psHot = 2;
constexpr int psDisabledHot = 3;

// Colour kinds of a table row.
enum class TColorKind { ckFill, ckText, ckFrame };

// A plain item of a pop-up menu or list: neither toolbar-style nor in an edit or tool-box pop-up.
bool IsPopupMenuItem(const toolbars::TStyledItemPaintInfo& itemInfo);
int ToolbarItemState(const toolbars::TStyledItemPaintInfo& itemInfo);
// The toolbar row of a close button's state bits: pushed, hot or normal.
int CloseButtonRow(int closeState);
int PopupItemState(const toolbars::TStyledItemPaintInfo& itemInfo);

class TStyledTableTheme : public toolbars::TStyledTheme {
  BC_CLASS(TStyledTableTheme, toolbars::TStyledTheme)
  // Makes the unit's stock objects for the first instance and subscribes to the theme manager; the concrete
  // theme's constructor then sets up its colours.
  TStyledTableTheme(const String& name, TStockGlyphs& unitGlyphs);
  ~TStyledTableTheme() override;
  TStyledTableTheme(const TStyledTableTheme&) = delete;
  TStyledTableTheme& operator=(const TStyledTableTheme&) = delete;

  // tcRebuildColors sets up the colours again.
  void Dispatch(TMessage& message) override;
  virtual void SetupColorCache() = 0;

  const std::array<TItemColors, 8>& ToolbarItems() const { return toolbarItems_; }
  const std::array<TItemColors, 4>& PopupItems() const { return popupItems_; }
  // The colour of the item in its state: the toolbar table unless the item is a plain pop-up menu item.
  TColor ItemColor(const toolbars::TStyledItemPaintInfo& itemInfo, TColorKind kind);
  // The colour behind an item's image and of toolbar-style glyphs: always the toolbar table.
  TColor ImageAreaColor(const toolbars::TStyledItemPaintInfo& itemInfo, TColorKind kind);
  // The fill of toolbars, which an opaque toolbar's items take where the table has none.
  virtual TColor ToolbarColor() const = 0;

  POINT ItemImageOffset(TCanvas* canvas, const toolbars::TStyledItemPaintInfo& itemInfo,
                        TCustomImageList* imageList) override;
  TColor ItemBackColor(const toolbars::TStyledItemPaintInfo& itemInfo) override;
  TColor ItemTextColor(const toolbars::TStyledItemPaintInfo& itemInfo) override;
  TColor ItemImageBackColor(const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void MarginsById(int marginId, toolbars::TStyledMargins& margins) override;
  int PopupShadowKind() override;
  void ViewBorderSize(int viewType, POINT& size) override;
  void ViewMargins(int viewType, toolbars::TStyledMargins& margins) override;
  void PaintCheckGlyph(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintChevronGlyph(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo) override;
  void PaintItemImage(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo,
                      TCustomImageList* imageList, int imageIndex) override;
  void PaintMdiButton(TCanvas* canvas, const RECT& rect, const toolbars::TStyledItemPaintInfo& itemInfo,
                      UINT buttonKind) override;

 protected:
  std::array<TItemColors, 8>& EditToolbarItems() { return toolbarItems_; }
  std::array<TItemColors, 4>& EditPopupItems() { return popupItems_; }
  TImageList* Glyphs() const { return unitGlyphs_.Glyphs(); }
  TBitmap* Scratch() const { return unitGlyphs_.Scratch(); }
  // The colour of a standard control's check or dot in its state bits: disabled, pushed, mixed, hot or normal.
  TColor StandardControlMarkColor(int state) const;
  // Every colour of both item tables that is not clNone becomes the nearest colour the screen shows.
  void MakeItemColorsNearest();
  // The close button of a docked caption or toolbar handle: framed, filled and crossed in the colours of the
  // toolbar table's row for its state bits.
  void PaintCloseButton(TCanvas* canvas, RECT rect, int closeState);

 private:
  TStockGlyphs& unitGlyphs_;
  std::array<TItemColors, 4> popupItems_;
  std::array<TItemColors, 8> toolbarItems_;
};

// Every theme, whatever its base, draws item images this way; theme answers ItemImageBackColor.
void PaintThemeItemImage(toolbars::TStyledTheme* theme, TCanvas* canvas, const RECT& rect,
                         const toolbars::TStyledItemPaintInfo& itemInfo, TCustomImageList* imageList, int imageIndex);

// The integer metrics of the flat look of Pastel and Adaptive, from which Gloss starts.
int FlatLookMetric(int index);

// Registers the theme once however often the unit starts: a unit's counter goes below 0 on its first start.
void RegisterThemeOnce(int& unitCounter, const String& name, toolbars::TStyledThemeClass themeClass);

}  // namespace themes

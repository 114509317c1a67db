// The themed item classes the application builds its menus and toolbars from: items that carry font settings, a
// layout choice and minimum sizes, and whose viewers measure and paint through the current theme.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/delegate.h"
#include "framework/graphics.h"
#include "toolbars/items/item.h"
#include "toolbars/items/item_kinds.h"
#include "toolbars/styled/font_settings.h"

class TCustomImageList;
struct TUnit;

namespace toolbars {

enum class TStyledItemLayout : uint8_t { stlAuto, stlGlyphLeft, stlGlyphTop };

// State flags handed to the font and image events.
constexpr int sfDisabled = 1;
constexpr int sfHot = 2;
constexpr int sfPushed = 4;
constexpr int sfChecked = 8;

using TAdjustFontEvent = TDelegate<void(TBarCustomItem* item, TBarItemViewer* viewer, TFont* font, int stateFlags)>;
using TDrawImageEvent = TDelegate<void(TBarCustomItem* item, TBarItemViewer* viewer, TCanvas* canvas,
                                       const RECT& imageRect, POINT imageOffset, int stateFlags)>;

class TStyledCustomItem : public TBarCustomItem {
  BC_CLASS(TStyledCustomItem, TBarCustomItem)
  explicit TStyledCustomItem(TComponent* owner);
  ~TStyledCustomItem() override;

  TFontSettings* FontSettings() const { return fontSettings_.get(); }
  // Copies the values into the item's own settings.
  void SetFontSettings(const TFontSettings* value) { fontSettings_->Assign(value); }
  TStyledItemLayout Layout() const { return layout_; }
  void SetLayout(TStyledItemLayout value);
  int MinHeight() const { return minHeight_; }
  void SetMinHeight(int value);
  int MinWidth() const { return minWidth_; }
  void SetMinWidth(int value);
  bool Stretch() const { return HasStyle(isStretch); }
  void SetStretch(bool value);
  // The pop-up selects its first entry however it was opened.
  bool AlwaysSelectFirst() const { return alwaysSelectFirst_; }
  void SetAlwaysSelectFirst(bool value) { alwaysSelectFirst_ = value; }
  // The pop-up is painted as a tool box.
  bool ToolBoxPopup() const { return toolBoxPopup_; }
  void SetToolBoxPopup(bool value) { toolBoxPopup_ = value; }

  TBarPopupWindowBase* CreatePopup(TBarView* parentView, TBarItemViewer* parentViewer, bool positionAsSubmenu,
                                   bool selectFirstItem, bool customizing, POINT popupPoint,
                                   TBarPopupAlignment alignment) override;
  TBarItemViewerClass GetItemViewerClass(TBarView* view) const override;
  void GetPopupPosition(TBarView* parentView, TBarPopupWindowBase* popupWindow, TBarPopupPositionRec& rec) override;
  // The themed pop-up window.
  TBarPopupWindowClass GetPopupWindowClass() const override;
  const TPublishedTable& PublishedTable() const override;

  TAdjustFontEvent OnAdjustFont;
  TDrawImageEvent OnDrawImage;

 protected:
  void SetDropdownComboStyle(bool value);

 private:
  template <class T>
  void Store(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Change(true);
  }
  void FontSettingsChanged(TObject* sender);

  std::unique_ptr<TFontSettings> fontSettings_;
  TStyledItemLayout layout_ = TStyledItemLayout::stlAuto;
  int minHeight_ = 0;
  int minWidth_ = 0;
  bool alwaysSelectFirst_ = false;
  bool toolBoxPopup_ = false;
};

class TStyledItem : public TStyledCustomItem {
  BC_CLASS(TStyledItem, TStyledCustomItem)
  using TStyledCustomItem::TStyledCustomItem;
};

class TStyledSubmenuItem : public TStyledCustomItem {
  BC_CLASS(TStyledSubmenuItem, TStyledCustomItem)
  explicit TStyledSubmenuItem(TComponent* owner);

  // A button part that clicks and an arrow part that opens the pop-up.
  bool DropdownCombo() const { return HasStyle(isSplitButton); }
  void SetDropdownCombo(bool value) { SetDropdownComboStyle(value); }
  const TPublishedTable& PublishedTable() const override;
};

class TStyledSeparatorItem : public TBarSeparatorItem {
  BC_CLASS(TStyledSeparatorItem, TBarSeparatorItem)
  using TBarSeparatorItem::TBarSeparatorItem;

  // -1: the theme chooses; anything below -1 is stored as -1.
  int Size() const { return size_; }
  void SetSize(int value);
  TBarItemViewerClass GetItemViewerClass(TBarView* view) const override;
  const TPublishedTable& PublishedTable() const override;

 private:
  int size_ = -1;
};

// Places item's pop-up the framework's way; a theme that asks for themed placement (BooleanMetric 1) has a
// drop-down overlap its item by one pixel.
void PlaceStyledPopup(TBarCustomItem* item, TBarView* parentView, TBarPopupWindowBase* popupWindow,
                      TBarPopupPositionRec& rec);

// Registers the themed item classes for stored forms.
const TUnit& StyledItemsUnit();

}  // namespace toolbars

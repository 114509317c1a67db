// Menu items and pop-up menus shown through the platform's menus, and the short-cut keys with their texts.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/actions.h"
#include "framework/component.h"
#include "framework/shift_state.h"

// A short cut is the virtual key in the low byte with these modifier bits.
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

TShortCut ShortCut(WORD key, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, WORD& key, TShiftState& shift);
// "Ctrl+O", "Shift+Ctrl+F5", "Alt+Del"; empty for 0.
String ShortCutToText(TShortCut shortCut);
// The reverse of ShortCutToText, without regard to case; 0 for a text that names no key.
TShortCut TextToShortCut(const String& text);
// The caption without its accelerator marks: "&File" gives "File", "&&" gives "&".
String StripHotkey(const String& text);

// The caption that makes an item a separator line.
inline const wchar_t* const cLineCaption = L"-";

enum class TFindItemKind { fkCommand, fkShortCut };

class TPopupMenu;

// One item of a menu tree. An item frees its sub-items; taking an item out of its parent never frees it.
class TMenuItem : public TComponent {
  BC_CLASS(TMenuItem, TComponent)
  explicit TMenuItem(TComponent* owner = nullptr);
  ~TMenuItem() override;
  const TPublishedTable& PublishedTable() const override;

  const String& Caption() const { return caption_; }
  void SetCaption(const String& value);
  bool IsLine() const { return caption_ == cLineCaption; }
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut value);
  bool Checked() const { return checked_; }
  // Checking a radio item unchecks the radio items of the same group index beside it.
  void SetChecked(bool value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  // The item a double click chooses, shown in bold; setting it clears the default beside it.
  bool Default() const { return default_; }
  void SetDefault(bool value);
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool value);
  BYTE GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(BYTE value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  // The number a platform menu reports when this item is chosen; unique in the process.
  UINT Command() const { return command_; }

  int Count() const { return static_cast<int>(items_.size()); }
  // Raises EMenuError "Menu index out of range" for a bad index.
  TMenuItem* Items(int index) const;
  TMenuItem* Parent() const { return parent_; }
  int MenuIndex() const;
  int IndexOf(const TMenuItem* item) const;
  void Add(TMenuItem* item);
  // Raises EMenuError "Menu inserted twice" when item already has a parent, and "Menu index out of range".
  void Insert(int index, TMenuItem* item);
  // Takes the item at index out of this one without freeing it.
  void Delete(int index);
  void Remove(TMenuItem* item);
  // Frees every sub-item.
  void Clear();
  // The first sub-item whose caption, without accelerator marks, equals caption (case-insensitive); else null.
  TMenuItem* Find(const String& caption) const;
  // Searches the whole tree below this item.
  TMenuItem* FindItem(UINT value, TFindItemKind kind) const;

  // Runs OnClick.
  virtual TRaised Click();

  TNotifyEvent OnClick;

  // Streaming keeps the sub-items as this item's children.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, int order) override;
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* value) override;

  // A platform menu of the visible sub-items, freed by the caller.
  HMENU BuildMenu() const;

 private:
  friend class TPopupMenu;
  void UncheckGroupSiblings();
  void AppendTo(HMENU menu) const;

  String caption_;
  TShortCut shortCut_ = 0;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  bool default_ = false;
  bool radioItem_ = false;
  BYTE groupIndex_ = 0;
  int imageIndex_ = -1;
  UINT command_;
  TMenuItem* parent_ = nullptr;
  // The pop-up menu whose root this item is.
  TPopupMenu* menu_ = nullptr;
  std::vector<TMenuItem*> items_;
};

enum class TPopupAlignment { paLeft, paRight, paCenter };
enum class TTrackButton { tbRightButton, tbLeftButton };

class TPopupMenu : public TComponent {
  BC_CLASS(TPopupMenu, TComponent)
  explicit TPopupMenu(TComponent* owner = nullptr);
  ~TPopupMenu() override;
  const TPublishedTable& PublishedTable() const override;

  // The root item, owned by the menu; its sub-items are the menu's items.
  TMenuItem* Items() const { return items_.get(); }
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool value) { autoPopup_ = value; }
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment value) { alignment_ = value; }
  TTrackButton TrackButton() const { return trackButton_; }
  void SetTrackButton(TTrackButton value) { trackButton_ = value; }
  // The component that showed the menu last; cleared when that component is freed.
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* value);
  POINT PopupPoint() const { return popupPoint_; }

  // Shows the menu at (x, y) in screen coordinates and returns when it closes; the chosen item's Click runs
  // before Popup returns, unless a handler freed the menu while it showed.
  [[nodiscard]] virtual TRaised Popup(int x, int y);
  // Runs the Click of the enabled item whose short cut the key message (WM_KEYDOWN, WM_SYSKEYDOWN) carries;
  // answers whether one ran.
  virtual bool IsShortCut(const TMessage& message);
  TMenuItem* FindItem(UINT value, TFindItemKind kind) const { return items_->FindItem(value, kind); }

  TNotifyEvent OnPopup;

  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, int order) override;

 protected:
  virtual TRaised DoPopup(TObject* sender);
  void Notification(TComponent* component, TOperation operation) override;
  // A menu that shows itself by other means than the platform's records where it went.
  void SetPopupPoint(POINT value) { popupPoint_ = value; }

 private:
  std::unique_ptr<TMenuItem> items_;
  bool autoPopup_ = true;
  TPopupAlignment alignment_ = TPopupAlignment::paLeft;
  TTrackButton trackButton_ = TTrackButton::tbRightButton;
  TComponent* popupComponent_ = nullptr;
  POINT popupPoint_{};
};

struct TUnit;
// Registers TPopupMenu and TMenuItem for stored forms.
const TUnit& MenusUnit();

#include "framework/menus.h"

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <set>
#include <type_traits>

#include "framework/exceptions.h"
#include "framework/properties.h"
#include "framework/startup.h"
#include "framework/window_alloc.h"

namespace {

struct TKeyName {
  WORD Key;
  const wchar_t* Name;
};

const TKeyName kKeyNames[] = {
    {VK_BACK, L"BkSp"},   {VK_TAB, L"Tab"},        {VK_RETURN, L"Enter"},  {VK_ESCAPE, L"Esc"},
    {VK_SPACE, L"Space"}, {VK_PRIOR, L"PgUp"},     {VK_NEXT, L"PgDn"},     {VK_END, L"End"},
    {VK_HOME, L"Home"},   {VK_LEFT, L"Left"},      {VK_UP, L"Up"},         {VK_RIGHT, L"Right"},
    {VK_DOWN, L"Down"},   {VK_INSERT, L"Ins"},     {VK_DELETE, L"Del"},    {VK_MULTIPLY, L"Num *"},
    {VK_ADD, L"Num +"},   {VK_SUBTRACT, L"Num -"}, {VK_DECIMAL, L"Num ."}, {VK_DIVIDE, L"Num /"},
};

// The name of a key as short-cut texts show it; empty for a key without one.
String KeyName(WORD key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return String(1, static_cast<wchar_t>(key));
  if (key >= VK_F1 && key <= VK_F24) return L"F" + std::to_wstring(key - VK_F1 + 1);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return L"Num " + std::to_wstring(key - VK_NUMPAD0);
  for (const TKeyName& entry : kKeyNames)
    if (entry.Key == key) return entry.Name;
  // Punctuation keys: the character the key types on this keyboard.
  bool punctuation = (key >= VK_OEM_1 && key <= VK_OEM_3) || (key >= VK_OEM_4 && key <= VK_OEM_8) || key == VK_OEM_102;
  UINT typed = punctuation ? MapVirtualKeyW(key, MAPVK_VK_TO_CHAR) & 0xFFFF : 0;
  if (typed > L' ') return String(1, static_cast<wchar_t>(typed));
  return {};
}

bool StartsWithText(const String& text, size_t at, const wchar_t* prefix) {
  size_t length = wcslen(prefix);
  return text.size() - at >= length && _wcsnicmp(text.c_str() + at, prefix, length) == 0;
}

// Command numbers are handed out from 1 up, the lowest free one first, so numbers are reused once their item is
// gone. Every number up to the highest handed out is in use unless it was given back.
struct TCommandNumbers {
  UINT Highest = 0;
  std::set<UINT> GivenBack;
};

TCommandNumbers& CommandNumbers() {
  static TCommandNumbers numbers;
  return numbers;
}

UINT AllocateCommand() {
  TCommandNumbers& numbers = CommandNumbers();
  if (numbers.GivenBack.empty()) return ++numbers.Highest;
  UINT command = *numbers.GivenBack.begin();
  numbers.GivenBack.erase(numbers.GivenBack.begin());
  return command;
}

void FreeCommand(UINT command) {
  TCommandNumbers& numbers = CommandNumbers();
  if (command != numbers.Highest) {
    numbers.GivenBack.insert(command);
    return;
  }
  // The highest goes, and with it the given-back numbers just below it.
  --numbers.Highest;
  while (!numbers.GivenBack.empty() && *numbers.GivenBack.rbegin() == numbers.Highest) {
    numbers.GivenBack.erase(std::prev(numbers.GivenBack.end()));
    --numbers.Highest;
  }
}

void RegisterMenuClasses() {
  RegisterPersistentClass(TPopupMenu::StaticClass());
  RegisterPersistentClass(TMenuItem::StaticClass());
}

void UnregisterMenuClasses() {
  UnregisterPersistentClass(TPopupMenu::StaticClass());
  UnregisterPersistentClass(TMenuItem::StaticClass());
}

}  // namespace

TShortCut ShortCut(WORD key, TShiftState shift) {
  if (key & 0xFF00) return 0;
  TShortCut result = key;
  if (shift.Contains(TShiftStateItem::ssShift)) result |= scShift;
  if (shift.Contains(TShiftStateItem::ssCtrl)) result |= scCtrl;
  if (shift.Contains(TShiftStateItem::ssAlt)) result |= scAlt;
  return result;
}

void ShortCutToKey(TShortCut shortCut, WORD& key, TShiftState& shift) {
  key = shortCut & 0xFF;
  shift = {};
  if (shortCut & scShift) shift += TShiftStateItem::ssShift;
  if (shortCut & scCtrl) shift += TShiftStateItem::ssCtrl;
  if (shortCut & scAlt) shift += TShiftStateItem::ssAlt;
}

String ShortCutToText(TShortCut shortCut) {
  String name = KeyName(shortCut & 0xFF);
  if (name.empty()) return {};
  String text;
  if (shortCut & scShift) text += L"Shift+";
  if (shortCut & scCtrl) text += L"Ctrl+";
  if (shortCut & scAlt) text += L"Alt+";
  return text + name;
}

TShortCut TextToShortCut(const String& text) {
  TShortCut modifiers = 0;
  size_t at = 0;
  for (;;) {
    if (StartsWithText(text, at, L"Shift+")) {
      modifiers |= scShift;
      at += 6;
    } else if (StartsWithText(text, at, L"Ctrl+")) {
      modifiers |= scCtrl;
      at += 5;
    } else if (StartsWithText(text, at, L"Alt+")) {
      modifiers |= scAlt;
      at += 4;
    } else {
      break;
    }
  }
  String name = text.substr(at);
  if (name.empty()) return 0;
  for (WORD key = 1; key <= 0xFF; ++key) {
    String candidate = KeyName(key);
    if (!candidate.empty() && _wcsicmp(candidate.c_str(), name.c_str()) == 0)
      return static_cast<TShortCut>(key | modifiers);
  }
  return 0;
}

String StripHotkey(const String& text) {
  String result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&') {
      if (i + 1 < text.size() && text[i + 1] == L'&') {
        result += L'&';
        ++i;
      }
      continue;
    }
    result += text[i];
  }
  return result;
}

// TMenuItem

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(AllocateCommand()) {}

TMenuItem::~TMenuItem() {
  Clear();
  if (parent_) parent_->Remove(this);
  FreeCommand(command_);
}

const TPublishedTable& TMenuItem::PublishedTable() const {
  using P = TPublished<TMenuItem>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Text(L"Caption", &TMenuItem::Caption, &TMenuItem::SetCaption),
          P::Boolean(L"Checked", &TMenuItem::Checked, &TMenuItem::SetChecked).Default(false),
          P::Boolean(L"Default", &TMenuItem::Default, &TMenuItem::SetDefault).Default(false),
          P::Boolean(L"Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(true),
          P::Integer(L"GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex).Default(0),
          P::Integer(L"ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex).Default(-1),
          P::Boolean(L"RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem).Default(false),
          P::Integer(L"ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut).Default(0),
          P::Boolean(L"Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).Default(true),
          P::Event(
              L"OnClick", [](TMenuItem* item) { return item->OnClick; },
              [](TMenuItem* item, TNotifyEvent value) { item->OnClick = value; }),
      });
  return table;
}

void TMenuItem::SetCaption(const String& value) { caption_ = value; }

void TMenuItem::SetShortCut(TShortCut value) { shortCut_ = value; }

void TMenuItem::SetChecked(bool value) {
  if (value == checked_) return;
  checked_ = value;
  if (value && radioItem_) UncheckGroupSiblings();
}

void TMenuItem::SetEnabled(bool value) { enabled_ = value; }

void TMenuItem::SetVisible(bool value) { visible_ = value; }

void TMenuItem::SetDefault(bool value) {
  if (value == default_) return;
  if (value && parent_)
    for (TMenuItem* sibling : parent_->items_) sibling->default_ = false;
  default_ = value;
}

void TMenuItem::SetRadioItem(bool value) {
  if (value == radioItem_) return;
  radioItem_ = value;
  if (value && checked_) UncheckGroupSiblings();
}

void TMenuItem::SetGroupIndex(BYTE value) {
  if (value == groupIndex_) return;
  groupIndex_ = value;
  if (radioItem_ && checked_) UncheckGroupSiblings();
}

void TMenuItem::SetImageIndex(int value) { imageIndex_ = value; }

void TMenuItem::UncheckGroupSiblings() {
  if (!parent_ || IsLoading()) return;
  for (TMenuItem* sibling : parent_->items_)
    if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_) sibling->checked_ = false;
}

TMenuItem* TMenuItem::Items(int index) const {
  if (index < 0 || index >= Count()) throw EMenuError(L"Menu index out of range");
  return items_[static_cast<size_t>(index)];
}

int TMenuItem::MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto found = std::find(items_.begin(), items_.end(), item);
  return found == items_.end() ? -1 : static_cast<int>(found - items_.begin());
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item) return;
  if (item->parent_) throw EMenuError(L"Menu inserted twice");
  if (index < 0 || index > Count()) throw EMenuError(L"Menu index out of range");
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  if (item->checked_ && item->radioItem_) item->UncheckGroupSiblings();
}

void TMenuItem::Delete(int index) {
  TMenuItem* item = Items(index);
  items_.erase(items_.begin() + index);
  item->parent_ = nullptr;
}

void TMenuItem::Remove(TMenuItem* item) {
  // Items are mostly removed last first (Clear frees them that way), so look from the end.
  auto found = std::find(items_.rbegin(), items_.rend(), item);
  if (found == items_.rend()) throw EMenuError(L"Sub-menu is not in menu");
  Delete(static_cast<int>(items_.rend() - found) - 1);
}

void TMenuItem::Clear() {
  while (!items_.empty()) delete items_.back();
}

TMenuItem* TMenuItem::Find(const String& caption) const {
  String wanted = StripHotkey(caption);
  for (TMenuItem* item : items_)
    if (_wcsicmp(StripHotkey(item->caption_).c_str(), wanted.c_str()) == 0) return item;
  return nullptr;
}

TMenuItem* TMenuItem::FindItem(UINT value, TFindItemKind kind) const {
  for (TMenuItem* item : items_) {
    bool match =
        kind == TFindItemKind::fkCommand ? item->command_ == value : item->shortCut_ != 0 && item->shortCut_ == value;
    if (match) return item;
    if (TMenuItem* found = item->FindItem(value, kind)) return found;
  }
  return nullptr;
}

TRaised TMenuItem::Click() { return RaiseEvent(OnClick, this); }

void TMenuItem::GetChildren(const TGetChildProc& proc, TComponent* root) {
  (void)root;
  for (TMenuItem* item : items_) proc(item);
}

void TMenuItem::SetChildOrder(TComponent* child, int order) {
  auto item = ObjectAs<TMenuItem>(child);
  int index = IndexOf(item);
  if (index < 0) return;
  items_.erase(items_.begin() + index);
  order = std::clamp(order, 0, Count());
  items_.insert(items_.begin() + order, item);
}

TComponent* TMenuItem::GetParentComponent() const {
  if (parent_ && parent_->menu_) return parent_->menu_;
  return parent_;
}

void TMenuItem::SetParentComponent(TComponent* value) {
  if (parent_) parent_->Remove(this);
  if (auto menu = ObjectAs<TPopupMenu>(value))
    menu->Items()->Add(this);
  else if (auto item = ObjectAs<TMenuItem>(value))
    item->Add(this);
}

HMENU TMenuItem::BuildMenu() const {
  HMENU menu = CreatePopupMenu();
  AppendTo(menu);
  return menu;
}

void TMenuItem::AppendTo(HMENU menu) const {
  for (const TMenuItem* item : items_) {
    if (!item->visible_) continue;
    if (item->IsLine()) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    String text = item->caption_;
    if (item->shortCut_) text += L"\t" + ShortCutToText(item->shortCut_);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
    info.fType = MFT_STRING | (item->radioItem_ ? MFT_RADIOCHECK : 0);
    info.fState =
        (item->checked_ ? MFS_CHECKED : 0) | (item->enabled_ ? 0 : MFS_GRAYED) | (item->default_ ? MFS_DEFAULT : 0);
    info.wID = item->command_;
    info.dwTypeData = const_cast<wchar_t*>(text.c_str());
    if (!item->items_.empty()) {
      info.fMask |= MIIM_SUBMENU;
      info.hSubMenu = item->BuildMenu();
    }
    InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info);
  }
}

// TPopupMenu

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), items_(std::make_unique<TMenuItem>()) {
  items_->menu_ = this;
}

TPopupMenu::~TPopupMenu() = default;

const TPublishedTable& TPopupMenu::PublishedTable() const {
  using P = TPublished<TPopupMenu>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Enumeration(L"Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment,
                         {L"paLeft", L"paRight", L"paCenter"})
              .Default(TPopupAlignment::paLeft),
          P::Boolean(L"AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).Default(true),
          P::Enumeration(L"TrackButton", &TPopupMenu::TrackButton, &TPopupMenu::SetTrackButton,
                         {L"tbRightButton", L"tbLeftButton"})
              .Default(TTrackButton::tbRightButton),
          P::Event(
              L"OnPopup", [](TPopupMenu* menu) { return menu->OnPopup; },
              [](TPopupMenu* menu, TNotifyEvent value) { menu->OnPopup = value; }),
      });
  return table;
}

void TPopupMenu::SetPopupComponent(TComponent* value) {
  if (value == popupComponent_) return;
  if (popupComponent_) popupComponent_->RemoveFreeNotification(this);
  popupComponent_ = value;
  if (value) value->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == popupComponent_) popupComponent_ = nullptr;
}

TRaised TPopupMenu::DoPopup(TObject* sender) { return RaiseEvent(OnPopup, sender); }

TRaised TPopupMenu::Popup(int x, int y) {
  static const UINT kAlignments[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
  popupPoint_ = {x, y};
  // OnPopup may free the menu: nothing is shown then.
  const TLifeWatch life = LifeWatch();
  if (DoPopup(this).Gone()) return TRaised(false);
  UINT command;
  {
    std::unique_ptr<std::remove_pointer_t<HMENU>, decltype(&DestroyMenu)> menu(items_->BuildMenu(), &DestroyMenu);
    std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&DeallocateHWnd)> wnd(AllocateHWnd(TWndMethod()),
                                                                                &DeallocateHWnd);
    UINT flags = kAlignments[static_cast<int>(alignment_)] | TPM_RETURNCMD | TPM_NONOTIFY |
                 (trackButton_ == TTrackButton::tbRightButton ? TPM_RIGHTBUTTON : TPM_LEFTBUTTON);
    command = static_cast<UINT>(TrackPopupMenu(menu.get(), flags, x, y, 0, wnd.get(), nullptr));
  }
  // A handler that ran while the menu tracked (a timer's, a message's) may have freed the menu: nothing was chosen
  // then. The menu and its window are gone before the chosen item runs, so a handler may show the menu again, or
  // free it.
  if (life.Ended()) return TRaised(false);
  TMenuItem* item = command ? FindItem(command, TFindItemKind::fkCommand) : nullptr;
  return item ? AnswerFor(life, item->Click()) : TRaised(true);
}

bool TPopupMenu::IsShortCut(const TMessage& message) {
  TShortCut shortCut = ShortCut(static_cast<WORD>(message.WParam), KeyDataToShiftState(message.LParam));
  if (!shortCut) return false;
  TMenuItem* item = FindItem(shortCut, TFindItemKind::fkShortCut);
  if (!item || !item->Enabled()) return false;
  // The short-cut is taken, whether or not the item outlived its handler.
  if (item->Click().Gone()) return true;
  return true;
}

void TPopupMenu::GetChildren(const TGetChildProc& proc, TComponent* root) { items_->GetChildren(proc, root); }

void TPopupMenu::SetChildOrder(TComponent* child, int order) { items_->SetChildOrder(child, order); }

const TUnit& MenusUnit() {
  static const TUnit unit{L"menus", &RegisterMenuClasses, &UnregisterMenuClasses, {}};
  return unit;
}

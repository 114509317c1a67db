#include "framework/combo_box.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "framework/application.h"
#include "framework/control_canvas.h"
#include "framework/properties.h"

namespace {

const wchar_t kComboProperty[] = L"TCustomComboBox.Edit";

DWORD StyleBits(TComboBoxStyle style) {
  switch (style) {
    case TComboBoxStyle::csSimple:
      return CBS_SIMPLE;
    case TComboBoxStyle::csDropDownList:
      return CBS_DROPDOWNLIST;
    case TComboBoxStyle::csOwnerDrawFixed:
      return CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED;
    case TComboBoxStyle::csOwnerDrawVariable:
      return CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE;
    case TComboBoxStyle::csDropDown:
      break;
  }
  return CBS_DROPDOWN;
}

TOwnerDrawState DrawStateOf(UINT itemState) {
  static constexpr std::pair<UINT, TOwnerDrawStateItem> kStates[] = {
      {ODS_SELECTED, TOwnerDrawStateItem::odSelected},
      {ODS_GRAYED, TOwnerDrawStateItem::odGrayed},
      {ODS_DISABLED, TOwnerDrawStateItem::odDisabled},
      {ODS_CHECKED, TOwnerDrawStateItem::odChecked},
      {ODS_FOCUS, TOwnerDrawStateItem::odFocused},
      {ODS_DEFAULT, TOwnerDrawStateItem::odDefault},
      {ODS_COMBOBOXEDIT, TOwnerDrawStateItem::odComboBoxEdit},
  };
  TOwnerDrawState state;
  for (const auto& [bit, item] : kStates)
    if (itemState & bit) state += item;
  return state;
}

// The text of a window, whatever its length.
String WindowText(HWND wnd) {
  String text(static_cast<size_t>(GetWindowTextLengthW(wnd)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(wnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

// The items, kept here and mirrored into the window while it exists, so that they outlive a re-created window.
class TCustomComboBox::TComboBoxStrings : public TStrings {
 public:
  explicit TComboBoxStrings(TCustomComboBox* combo) : combo_(combo) {}

  int Count() const override { return static_cast<int>(lines_.size()); }

  int AddObject(const String& text, TObject* object) override {
    int index = Count();
    if (combo_->Sorted()) {
      index = 0;
      while (index < Count() && CompareStrings(lines_[static_cast<size_t>(index)].first, text) <= 0) ++index;
    }
    InsertObject(index, text, object);
    return index;
  }

  void Insert(int index, const String& text) override { InsertObject(index, text, nullptr); }

  void InsertObject(int index, const String& text, TObject* object) override {
    if (index < 0 || index > Count()) Error(L"List index out of bounds (%d)", index);
    lines_.insert(lines_.begin() + index, {text, object});
    if (HWND wnd = Window())
      SendMessageW(wnd, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
  }

  void Delete(int index) override {
    Check(index);
    lines_.erase(lines_.begin() + index);
    if (HWND wnd = Window()) SendMessageW(wnd, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
  }

  void Clear() override {
    lines_.clear();
    if (HWND wnd = Window()) SendMessageW(wnd, CB_RESETCONTENT, 0, 0);
    combo_->itemIndex_ = -1;
  }

  // Copies the lines into a new window.
  void Fill(HWND wnd) const {
    for (const auto& line : lines_) SendMessageW(wnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.first.c_str()));
  }

 protected:
  String Get(int index) const override {
    Check(index);
    return lines_[static_cast<size_t>(index)].first;
  }
  void Put(int index, const String& text) override {
    Check(index);
    TObject* object = lines_[static_cast<size_t>(index)].second;
    const int selected = combo_->ItemIndex();
    Delete(index);
    InsertObject(index, text, object);
    if (selected == index) combo_->SetItemIndex(index);
  }
  TObject* GetObject(int index) const override {
    Check(index);
    return lines_[static_cast<size_t>(index)].second;
  }
  void PutObject(int index, TObject* object) override {
    Check(index);
    lines_[static_cast<size_t>(index)].second = object;
  }
  void SetUpdateState(bool updating) override {
    if (HWND wnd = Window()) {
      SendMessageW(wnd, WM_SETREDRAW, !updating, 0);
      if (!updating) InvalidateRect(wnd, nullptr, TRUE);
    }
  }

 private:
  HWND Window() const { return combo_->HandleAllocated() ? combo_->WindowHandle() : nullptr; }
  void Check(int index) const {
    if (index < 0 || index >= Count()) Error(L"List index out of bounds (%d)", index);
  }

  TCustomComboBox* combo_;
  std::vector<std::pair<String, TObject*>> lines_;
};

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner),
      items_(std::make_unique<TComboBoxStrings>(this)),
      canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
  SetControlStyle(TControlStyle{TControlStyleItem::csSetCaption, TControlStyleItem::csDoubleClicks,
                                TControlStyleItem::csFixedHeight});
  // Nothing handles the events of a control in the making.
  (void)SetBounds(Left(), Top(), 145, 21);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
}

TCustomComboBox::~TCustomComboBox() { ReleaseEdit(); }

// Gives the edit child its own procedure back; the window may outlive this object while the base destroys it.
void TCustomComboBox::ReleaseEdit() {
  if (!editHandle_) return;
  SetWindowLongPtrW(editHandle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defEditProc_));
  RemovePropW(editHandle_, kComboProperty);
  editHandle_ = nullptr;
  defEditProc_ = nullptr;
}

TStrings* TCustomComboBox::Items() const { return items_.get(); }
void TCustomComboBox::SetItems(const TStrings* value) { items_->Assign(value); }

TCanvas* TCustomComboBox::Canvas() const { return canvas_.get(); }

int TCustomComboBox::ItemIndex() const {
  if (!HandleAllocated()) return itemIndex_;
  return static_cast<int>(SendMessageW(WindowHandle(), CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int value) {
  itemIndex_ = value;
  if (HandleAllocated()) SendMessageW(WindowHandle(), CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void TCustomComboBox::SetStyle(TComboBoxStyle value) {
  if (value == style_) return;
  style_ = value;
  RecreateWnd();
}

bool TCustomComboBox::IsOwnerDrawn() const {
  return (windowStyle_ & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0;
}

int TCustomComboBox::ItemHeight() const {
  if (IsOwnerDrawn() || !HandleAllocated()) return itemHeight_;
  return static_cast<int>(SendMessageW(WindowHandle(), CB_GETITEMHEIGHT, 0, 0));
}

void TCustomComboBox::SetItemHeight(int value) {
  if (value <= 0 || value == itemHeight_) return;
  itemHeight_ = value;
  if (IsOwnerDrawn()) RecreateWnd();
}

void TCustomComboBox::SetSorted(bool value) {
  if (value == sorted_) return;
  sorted_ = value;
  if (!value) return;
  // Sorting the kept lines again puts the window in the same order.
  std::vector<std::pair<String, TObject*>> lines;
  for (int i = 0; i < items_->Count(); ++i) lines.emplace_back(items_->Strings(i), items_->Objects(i));
  items_->BeginUpdate();
  items_->Clear();
  for (const auto& [text, object] : lines) items_->AddObject(text, object);
  items_->EndUpdate();
}

bool TCustomComboBox::DroppedDown() const {
  return HandleAllocated() && SendMessageW(WindowHandle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool value) { SendMessageW(Handle(), CB_SHOWDROPDOWN, value, 0); }

void TCustomComboBox::SelectAll() {
  if (HandleAllocated()) SendMessageW(WindowHandle(), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

bool TCustomComboBox::Focused() const {
  if (!HandleAllocated()) return false;
  HWND focus = GetFocus();
  return focus && (focus == WindowHandle() || (editHandle_ && focus == editHandle_));
}

void TCustomComboBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, L"COMBOBOX");
  params.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL | StyleBits(style_);
}

TRaised TCustomComboBox::CreateWindowHandle(const TCreateParams& params) {
  // Derived classes may add style bits of their own; what the window is made with decides owner drawing.
  windowStyle_ = params.Style;
  return TWinControl::CreateWindowHandle(params);
}

TRaised TCustomComboBox::CreateWnd() {
  const int selected = itemIndex_;
  if (TWinControl::CreateWnd().Gone()) return TRaised(false);
  HWND wnd = WindowHandle();
  // The items an owner-drawn box takes are measured by OnMeasureItem, which may free the box.
  const TLifeWatch life = LifeWatch();
  if (IsOwnerDrawn()) SendMessageW(wnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), itemHeight_);
  items_->Fill(wnd);
  if (life.Ended()) return TRaised(false);
  if (selected >= 0) SendMessageW(wnd, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  if (GetComboBoxInfo(wnd, &info) && info.hwndItem && info.hwndItem != wnd) {
    editHandle_ = info.hwndItem;
    SetPropW(editHandle_, kComboProperty, this);
    defEditProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(editHandle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TCustomComboBox::EditProc)));
  }
  return TRaised(true);
}

TRaised TCustomComboBox::DestroyWnd() {
  itemIndex_ = ItemIndex();
  ReleaseEdit();
  return TWinControl::DestroyWnd();
}

LRESULT CALLBACK TCustomComboBox::EditProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* combo = static_cast<TCustomComboBox*>(GetPropW(wnd, kComboProperty));
  TMessage message{msg, wParam, lParam, 0};
  if (!combo) return DefWindowProcW(wnd, msg, wParam, lParam);
  // A handler of the combo box's may free it before it raises.
  const TLifeWatch life = combo->LifeWatch();
  try {
    combo->EditWndProc(message);
  } catch (...) {
    if (Application) Application->HandleException(life.Ended() ? nullptr : combo);
  }
  return message.Result;
}

void TCustomComboBox::CallDefaultEditProc(TMessage& message) {
  message.Result = CallWindowProcW(defEditProc_, editHandle_, message.Msg, message.WParam, message.LParam);
}

void TCustomComboBox::EditWndProc(TMessage& message) {
  // The handlers the keys raise (OnKeyDown, OnKeyPress, and OnChange from inside the edit's own procedure) may
  // free the box or its form: nothing of it is touched after that.
  const TLifeWatch life = LifeWatch();
  switch (message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (DoKeyDown(message) || life.Ended()) return;
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (DoKeyUp(message) || life.Ended()) return;
      break;
    case WM_SYSCOMMAND:
      // Alt and a letter typed in the edit are the combo box's keyboard menu command, which it hands to its form.
      if ((message.WParam & 0xFFF0) == SC_KEYMENU) {
        message.Result = Perform(message.Msg, message.WParam, message.LParam);
        return;
      }
      break;
    case WM_CHAR:
      if (DoKeyPress(message) || life.Ended()) return;
      CallDefaultEditProc(message);
      if (life.Ended()) return;
      TypedCharacter(static_cast<wchar_t>(message.WParam));
      return;
    case WM_PAINT:
      CallDefaultEditProc(message);
      if (!life.Ended()) Perform(CM_EDITPAINTED, 0, 0);
      return;
    case WM_KILLFOCUS:
      // The system makes a combo box's edit keep its selection shown without the focus; an unfocused box shows
      // none, and the focus coming back selects the whole text again.
      CallDefaultEditProc(message);
      if (!life.Ended() && editHandle_) SendMessageW(editHandle_, EM_SETSEL, static_cast<WPARAM>(-1), 0);
      return;
    case WM_NCDESTROY: {
      HWND edit = editHandle_;
      WNDPROC proc = defEditProc_;
      ReleaseEdit();
      message.Result = CallWindowProcW(proc, edit, message.Msg, message.WParam, message.LParam);
      return;
    }
    default:
      break;
  }
  CallDefaultEditProc(message);
}

void TCustomComboBox::TypedCharacter(wchar_t character) {
  // Control characters (Backspace among them) only edit.
  if (character < L' ' || !editHandle_) return;
  const String typed = WindowText(editHandle_);
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(editHandle_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  // Dropping down and setting the text raise OnDropDown and OnChange, whose handlers may free the box.
  const TLifeWatch life = LifeWatch();
  if (autoDropDown_ && !DroppedDown()) {
    SetDroppedDown(true);
    if (life.Ended()) return;
    // Dropping lets the system pick an item and show its text; what was typed stays.
    if (WindowText(editHandle_) != typed) {
      SetWindowTextW(editHandle_, typed.c_str());
      if (life.Ended()) return;
      SendMessageW(editHandle_, EM_SETSEL, start, end);
    }
  }
  if (!autoComplete_ || typed.empty() || start != typed.size()) return;
  for (int i = 0; i < items_->Count(); ++i) {
    const String item = items_->Strings(i);
    if (item.size() <= typed.size() ||
        CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, item.c_str(), static_cast<int>(typed.size()),
                       typed.c_str(), static_cast<int>(typed.size())) != CSTR_EQUAL)
      continue;
    // What was typed stays as typed; the completion is selected, so the next character replaces it.
    SetWindowTextW(editHandle_, (typed + item.substr(typed.size())).c_str());
    if (!life.Ended()) SendMessageW(editHandle_, EM_SETSEL, typed.size(), item.size());
    return;
  }
}

void TCustomComboBox::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CN_COMMAND:
      CNCommand(message);
      break;
    case CN_DRAWITEM:
      CNDrawItem(message);
      break;
    case CN_MEASUREITEM:
      CNMeasureItem(message);
      break;
    default:
      TWinControl::Dispatch(message);
  }
}

void TCustomComboBox::CNCommand(TMessage& message) {
  switch (HIWORD(message.WParam)) {
    case CBN_SELCHANGE: {
      // The edit takes the chosen text only after this notification; the handlers want it now.
      const int index = ItemIndex();
      // Setting the text raises OnChange, whose handler may free the box.
      if (index >= 0 && index < items_->Count() && SetText(items_->Strings(index)).Gone()) return;
      if (Click().Gone()) return;
      break;
    }
    case CBN_EDITCHANGE:
      if (Change().Gone()) return;
      break;
    case CBN_DROPDOWN:
      if (DropDown().Gone()) return;
      break;
    default:
      break;
  }
}

TRaised TCustomComboBox::Change() { return RaiseEvent(OnChange, this); }

TRaised TCustomComboBox::DropDown() {
  const TRaised raised = RaiseEvent(OnDropDown, this);
  if (raised.Gone()) return raised;
  // The system list takes its height from the window's height at the time it drops down.
  const int rows = std::max(1, std::min(dropDownCount_, items_->Count()));
  SetWindowPos(Handle(), nullptr, 0, 0, Width(), Height() + ItemHeight() * rows + 2,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  return raised;
}

TRaised TCustomComboBox::DrawItem(int index, const RECT& rect, TOwnerDrawState state) {
  if (OnDrawItem) return RaiseEvent(OnDrawItem, this, index, rect, state);
  canvas_->FillRect(rect);
  if (index >= 0 && index < items_->Count()) canvas_->TextOut(rect.left + 2, rect.top, items_->Strings(index));
  return TRaised(true);
}

TRaised TCustomComboBox::MeasureItem(int index, int& height) { return RaiseEvent(OnMeasureItem, this, index, height); }

void TCustomComboBox::CNDrawItem(TMessage& message) {
  auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
  const TOwnerDrawState state = DrawStateOf(draw->itemState);
  message.Result = TRUE;
  const auto drawItem = [&] {
    canvas_->SetFont(Font());
    canvas_->SetBrush(Brush());
    if (state.Contains(TOwnerDrawStateItem::odSelected)) {
      canvas_->Brush()->SetColor(clHighlight);
      canvas_->Font()->SetColor(clHighlightText);
    }
    if (DrawItem(static_cast<int>(draw->itemID), draw->rcItem, state).Gone()) return TRaised(false);
    if (state.Contains(TOwnerDrawStateItem::odFocused)) DrawFocusRect(draw->hDC, &draw->rcItem);
    // The canvas also paints outside the list; it leaves the selection colours behind here.
    canvas_->SetFont(Font());
    canvas_->SetBrush(Brush());
    return TRaised(true);
  };
  // An owner-drawn item is one drawing on the box's canvas; a handler that frees the box leaves the canvas with it.
  if (canvas_->PaintOn(draw->hDC, drawItem).Gone()) return;
}

void TCustomComboBox::CNMeasureItem(TMessage& message) {
  auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
  int height = itemHeight_;
  measure->itemHeight = static_cast<UINT>(height);
  message.Result = TRUE;
  if ((windowStyle_ & CBS_OWNERDRAWVARIABLE) && static_cast<int>(measure->itemID) >= 0 &&
      MeasureItem(static_cast<int>(measure->itemID), height).Alive())
    measure->itemHeight = static_cast<UINT>(height);
}
const TPublishedTable& TCustomComboBox::PublishedTable() const {
  using P = TPublished<TCustomComboBox>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Enumeration(L"Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle,
                         {L"csDropDown", L"csSimple", L"csDropDownList", L"csOwnerDrawFixed", L"csOwnerDrawVariable"})
              .Default(TComboBoxStyle::csDropDown),
          P::Integer(L"DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount).Default(8),
          P::Integer(L"ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight),
          P::Boolean(L"Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted).Default(false),
          P::Object(L"Items", &TCustomComboBox::Items),
          P::Boolean(L"AutoComplete", &TCustomComboBox::AutoComplete, &TCustomComboBox::SetAutoComplete).Default(true),
          P::Boolean(L"AutoDropDown", &TCustomComboBox::AutoDropDown, &TCustomComboBox::SetAutoDropDown).Default(false),
          ControlProperty(L"Anchors"),
          ControlProperty(L"BiDiMode"),
          ControlProperty(L"Color"),
          ControlProperty(L"Constraints"),
          ControlProperty(L"Ctl3D"),
          ControlProperty(L"DragCursor"),
          ControlProperty(L"DragKind"),
          ControlProperty(L"DragMode"),
          ControlProperty(L"Enabled"),
          ControlProperty(L"Font"),
          ControlProperty(L"ParentBiDiMode"),
          ControlProperty(L"ParentColor"),
          ControlProperty(L"ParentCtl3D"),
          ControlProperty(L"ParentFont"),
          ControlProperty(L"ParentShowHint"),
          ControlProperty(L"PopupMenu"),
          ControlProperty(L"ShowHint"),
          ControlProperty(L"TabOrder"),
          ControlProperty(L"TabStop"),
          ControlProperty(L"Text"),
          ControlProperty(L"Visible"),
          ControlProperty(L"OnClick"),
          ControlProperty(L"OnContextPopup"),
          ControlProperty(L"OnDblClick"),
          ControlProperty(L"OnDragDrop"),
          ControlProperty(L"OnDragOver"),
          ControlProperty(L"OnEndDock"),
          ControlProperty(L"OnEndDrag"),
          ControlProperty(L"OnEnter"),
          ControlProperty(L"OnExit"),
          ControlProperty(L"OnKeyDown"),
          ControlProperty(L"OnKeyPress"),
          ControlProperty(L"OnKeyUp"),
          ControlProperty(L"OnMouseDown"),
          ControlProperty(L"OnMouseMove"),
          ControlProperty(L"OnMouseUp"),
          ControlProperty(L"OnStartDock"),
          ControlProperty(L"OnStartDrag"),
          P::Event(
              L"OnChange", [](TCustomComboBox* box) { return box->OnChange; },
              [](TCustomComboBox* box, TNotifyEvent value) { box->OnChange = value; }),
          P::Event(
              L"OnDropDown", [](TCustomComboBox* box) { return box->OnDropDown; },
              [](TCustomComboBox* box, TNotifyEvent value) { box->OnDropDown = value; }),
          P::Event(
              L"OnDrawItem", [](TCustomComboBox* box) { return box->OnDrawItem; },
              [](TCustomComboBox* box, TDrawItemEvent value) { box->OnDrawItem = value; }),
          P::Event(
              L"OnMeasureItem", [](TCustomComboBox* box) { return box->OnMeasureItem; },
              [](TCustomComboBox* box, TMeasureItemEvent value) { box->OnMeasureItem = value; }),
      });
  return table;
}

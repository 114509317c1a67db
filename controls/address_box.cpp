#include "controls/address_box.h"

#include <shlwapi.h>

#include "controls/address_icons.h"
#include "controls/typed_urls.h"
#include "framework/control_canvas.h"
#include "framework/properties.h"

namespace controls {

namespace {

// The key an Enter, a Down or an Up becomes when the box has taken it over: a key the edit ignores.
constexpr WORD VK_TAKEN = VK_CLEAR;
// The edit window starts this far right of the icon's left edge.
constexpr int kEditGap = 7;
// The list never walks past this index with the arrow keys.
constexpr int kLastKeyIndex = 24;
// The style bits the box adds: owner-drawn items of their own height, and a bit the system's combo box ignores.
constexpr DWORD kAddressBoxStyles = CBS_OWNERDRAWVARIABLE | 0x04;
constexpr COLORREF kChangeIconTransparent = RGB(0xFF, 0x00, 0xFF);
constexpr COLORREF kPageIconTransparent = RGB(0x3F, 0x3F, 0x3F);

void ShellAutoComplete(HWND edit, DWORD flags) {
  HMODULE library = LoadLibraryW(L"shlwapi.dll");
  if (!library) return;
  using TSHAutoComplete = HRESULT(WINAPI*)(HWND, DWORD);
  auto function = reinterpret_cast<TSHAutoComplete>(reinterpret_cast<void*>(GetProcAddress(library, "SHAutoComplete")));
  if (function) function(edit, flags);
  FreeLibrary(library);
}

TAutoCompleteCall autoCompleteCall = &ShellAutoComplete;

std::vector<String> ItemsOf(const TStrings* items) {
  std::vector<String> lines;
  for (int i = 0; i < items->Count(); ++i) lines.push_back(items->Strings(i));
  return lines;
}

}  // namespace

TAutoCompleteCall SetAutoCompleteCall(TAutoCompleteCall call) {
  TAutoCompleteCall previous = autoCompleteCall;
  autoCompleteCall = call ? call : &ShellAutoComplete;
  return previous;
}

TCustomAddressBox::TCustomAddressBox(TComponent* owner)
    : TCustomAlignComboBox(owner), editCanvas_(std::make_unique<TControlCanvas>()) {
  // Nothing handles the events of a control in the making.
  (void)SetBounds(Left(), Top(), 145, 22);
  SetTabOrder(0);
  SetItemHeight(16);
  editCanvas_->SetControl(this);
  editCanvas_->SetCopyMode(SRCCOPY);
  SetStyle(TComboBoxStyle::csDropDown);
  SetSorted(false);
}

TCustomAddressBox::~TCustomAddressBox() = default;

TRaised TCustomAddressBox::SetText(const String& value) {
  if (value != Text() && TCustomAlignComboBox::SetText(value).Gone()) return TRaised(false);
  return RaiseEvent(OnChange, this);
}

TRaised TCustomAddressBox::SetURL(const String& url) {
  url_ = url;
  return SetText(url);
}

TRaised TCustomAddressBox::LoadTypedURLs() {
  TStrings* items = Items();
  items->BeginUpdate();
  items->Clear();
  for (const String& url : ReadTypedURLs()) items->Add(url);
  items->EndUpdate();
  return SetText(items->Count() > 0 ? items->Strings(0) : String());
}

void TCustomAddressBox::SaveTypedURLs() { WriteTypedURLs(ItemsOf(Items())); }

DWORD TCustomAddressBox::AutoCompleteFlags() const {
  DWORD flags = SHACF_DEFAULT;
  if (fileOptions_.Contains(TFileOption::FileSystem)) flags |= SHACF_FILESYSTEM;
  if (fileOptions_.Contains(TFileOption::UrlHistory)) flags |= SHACF_URLHISTORY;
  if (fileOptions_.Contains(TFileOption::UrlMRU)) flags |= SHACF_URLMRU;
  if (autoSuggest_ == TAutoSuggest::asForceOn) flags |= SHACF_AUTOSUGGEST_FORCE_ON;
  if (autoSuggest_ == TAutoSuggest::asForceOff) flags |= SHACF_AUTOSUGGEST_FORCE_OFF;
  if (autoCompleteEx_ == TAutoComplete::acForceOn) flags |= SHACF_AUTOAPPEND_FORCE_ON;
  if (autoCompleteEx_ == TAutoComplete::acForceOff) flags |= SHACF_AUTOAPPEND_FORCE_OFF;
  return flags;
}

void TCustomAddressBox::CreateParams(TCreateParams& params) {
  TCustomAlignComboBox::CreateParams(params);
  params.Style |= kAddressBoxStyles;
}

TRaised TCustomAddressBox::CreateWnd() {
  if (TCustomAlignComboBox::CreateWnd().Gone()) return TRaised(false);
  AdjustEdit();
  // The history's first address raises OnChange, whose handler may free the box.
  if (!IsDesigning() && LoadTypedURLs().Gone()) return TRaised(false);
  if (EditHandle()) autoCompleteCall(EditHandle(), AutoCompleteFlags());
  return TRaised(true);
}

TRaised TCustomAddressBox::Loaded() {
  if (TCustomAlignComboBox::Loaded().Gone()) return TRaised(false);
  if (!IsDesigning() && LoadTypedURLs().Gone()) return TRaised(false);
  RemoveWindowRegion();
  return TRaised(true);
}

TRaised TCustomAddressBox::SetBounds(int left, int top, int width, int height) {
  if (TCustomAlignComboBox::SetBounds(left, top, width, height).Gone()) return TRaised(false);
  AdjustEdit();
  RemoveWindowRegion();
  return TRaised(true);
}

void TCustomAddressBox::AdjustEdit() {
  if (!HandleAllocated() || !EditHandle()) return;
  int y = 4;
  try {
    y = (Height() - Canvas()->TextHeight(L"hp")) / 2;
    if (y > 5 || y < 0) y = 3;
  } catch (const Exception&) {
    y = 4;
  }
  SetWindowPos(EditHandle(), nullptr, AddressIconSize + kEditGap, y, Width() - 46, Height() - 2,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomAddressBox::RemoveWindowRegion() {
  if (!Parent() || !HandleAllocated()) return;
  // Only a region that is there is removed: removing none would still repaint, and this runs while painting.
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  const bool hasRegion = GetWindowRgn(WindowHandle(), region) != ERROR;
  DeleteObject(region);
  if (hasRegion) SetWindowRgn(WindowHandle(), nullptr, TRUE);
}

void TCustomAddressBox::WndProc(TMessage& message) {
  if (message.Msg == WM_SETFOCUS || message.Msg == CB_SHOWDROPDOWN) AdjustEdit();
  TCustomAlignComboBox::WndProc(message);
}

void TCustomAddressBox::Dispatch(TMessage& message) {
  const bool painting = message.Msg == WM_PAINT;
  if (painting) AdjustEdit();
  TCustomAlignComboBox::Dispatch(message);
  if (!painting && message.Msg != WM_PRINT) return;
  if (Enabled() && HandleAllocated()) {
    // Printed, or painted into a given DC, the icon goes into that DC too.
    const HDC target = reinterpret_cast<HDC>(message.WParam);
    if (target) {
      editCanvas_->FreeHandle();
      editCanvas_->SetHandle(target);
    }
    DrawIcon();
    if (target) editCanvas_->SetHandle(nullptr);
  }
  if (painting) RemoveWindowRegion();
}

void TCustomAddressBox::PaintAddressIcon(int x, int y, COLORREF transparent) {
  if (!AddressIcon || !HandleAllocated()) return;
  TransparentBlt(editCanvas_->Handle(), x, y, AddressIconSize, AddressIconSize, AddressIcon->Canvas()->Handle(), 0, 0,
                 AddressIconSize, AddressIconSize, transparent);
}

void TCustomAddressBox::DrawIcon() {
  if (!HandleAllocated()) return;
  if (useAddressIcon_ && AddressIcon) {
    PaintAddressIcon(iconLeft_, iconTop_, kPageIconTransparent);
    return;
  }
  if (!ItemBitmap || !AddressImages) return;
  ItemBitmap->SetSize(AddressIconSize, AddressIconSize);
  ItemBitmap->Canvas()->Brush()->SetColor(Canvas()->Brush()->Color());
  ItemBitmap->Canvas()->FillRect(RECT{0, 0, AddressIconSize, AddressIconSize});
  AddressImages->Draw(ItemBitmap->Canvas(), 1, 1, DefaultPageIconIndex);
  BitBlt(editCanvas_->Handle(), iconLeft_, iconTop_, AddressIconSize, AddressIconSize, ItemBitmap->Canvas()->Handle(),
         0, 0, SRCCOPY);
}

TRaised TCustomAddressBox::DrawItem(int index, const RECT& rect, TOwnerDrawState) {
  if (!ItemBitmap || !AddressImages || index < 0 || index >= Items()->Count()) return TRaised(true);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const String item = Items()->Strings(index);
  ItemBitmap->SetSize(width, height);
  TCanvas* bitmap = ItemBitmap->Canvas();
  bitmap->Brush()->SetColor(Canvas()->Brush()->Color());
  bitmap->FillRect(RECT{0, 0, width, height});
  AddressImages->Draw(bitmap, 1, 1, GetURLIconIndex(item, false));
  bitmap->Font()->SetColor(Canvas()->Font()->Color());
  bitmap->TextOut(22, 0, item);
  BitBlt(Canvas()->Handle(), rect.left, rect.top, width, height, bitmap->Handle(), 0, 0, SRCCOPY);
  return TRaised(true);
}

TRaised TCustomAddressBox::Change() {
  CloseList();
  PaintAddressIcon(iconLeft_, iconTop_, kChangeIconTransparent);
  return TCustomAlignComboBox::Change();
}

TRaised TCustomAddressBox::Click() {
  // OnClick, the text's OnChange and OnUrlSelected may free the box.
  const TRaised raised = TCustomAlignComboBox::Click();
  if (raised.Gone()) return raised;
  POINT cursor{};
  GetCursorPos(&cursor);
  RECT list{};
  SendMessageW(Handle(), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&list));
  if (!PtInRect(&list, cursor)) {
    // The selection moved from the keyboard: nothing is chosen yet.
    SelectEditText(true);
    return raised;
  }
  url_ = Text();
  PaintAddressIcon(4, 3, kChangeIconTransparent);
  PromoteURL();
  if (registryUpdate_) SaveTypedURLs();
  const TLifeWatch life = LifeWatch();
  SetItemIndex(0);
  if (life.Ended()) return TRaised(false);
  if (clickToSelectURL_ && RaiseEvent(OnUrlSelected, this, url_).Gone()) return TRaised(false);
  SelectEditText(true);
  return raised;
}

void TCustomAddressBox::PromoteURL() {
  TStrings* items = Items();
  for (int i = 0; i < items->Count(); ++i) {
    if (items->Strings(i) == url_) {
      items->Move(i, 0);
      return;
    }
  }
  items->Insert(0, url_);
}

void TCustomAddressBox::SelectEditText(bool all) {
  if (EditHandle()) SendMessageW(EditHandle(), EM_SETSEL, all ? 0 : static_cast<WPARAM>(-1), all ? -1 : 0);
}

void TCustomAddressBox::CloseList() {
  if (HandleAllocated()) SendMessageW(WindowHandle(), CB_SHOWDROPDOWN, FALSE, 0);
}

TRaised TCustomAddressBox::EnterTypedAddress() {
  url_ = Text();
  PromoteURL();
  if (SetText(url_).Gone()) return TRaised(false);
  if (registryUpdate_) SaveTypedURLs();
  return RaiseEvent(OnUrlSelected, this, Text());
}

TRaised TCustomAddressBox::KeyDown(WORD& key, TShiftState shift) {
  // OnKeyDown, and what the key does (the text's OnChange, OnUrlSelected), may free the box.
  const TRaised raised = TCustomAlignComboBox::KeyDown(key, shift);
  if (raised.Gone()) return raised;
  return DroppedDown() ? KeyDownWithListOpen(key, shift) : KeyDownWithListClosed(key);
}

TRaised TCustomAddressBox::KeyDownWithListClosed(WORD& key) {
  switch (key) {
    case VK_RETURN:
      return EnterTypedAddress();
    case VK_DOWN:
      key = VK_TAKEN;
      SelectEditText(false);
      SendMessageW(Handle(), CB_SHOWDROPDOWN, TRUE, 0);
      break;
    case VK_UP:
      key = VK_TAKEN;
      break;
    default:
      break;
  }
  return TRaised(true);
}

TRaised TCustomAddressBox::KeyDownWithListOpen(WORD& key, TShiftState shift) {
  HWND wnd = Handle();
  const int selected = static_cast<int>(SendMessageW(wnd, CB_GETCURSEL, 0, 0));
  const bool alt = shift.Contains(TShiftStateItem::ssAlt);
  switch (key) {
    case VK_RETURN:
      if (selected < 0) {
        // Nothing in the list is chosen: the typed text is what the user meant.
        CloseList();
        return EnterTypedAddress();
      }
      key = VK_TAKEN;
      Items()->Move(selected, 0);
      if (SetText(Items()->Strings(0)).Gone()) return TRaised(false);
      url_ = Text();
      CloseList();
      SendMessageW(wnd, CB_SETCURSEL, 0, 0);
      SelectEditText(true);
      PromoteURL();
      if (registryUpdate_) SaveTypedURLs();
      if (RaiseEvent(OnUrlSelected, this, Text()).Gone()) return TRaised(false);
      PaintAddressIcon(4, 3, kChangeIconTransparent);
      break;
    case VK_ESCAPE:
      key = VK_TAKEN;
      CloseList();
      SelectEditText(true);
      break;
    case VK_DOWN:
    case VK_UP: {
      const bool down = key == VK_DOWN;
      key = VK_TAKEN;
      if (alt) {
        CloseList();
        SelectEditText(true);
        break;
      }
      // Past the last item the system's list would drop its selection and empty the edit on some platforms, so
      // a short list stops at its last item.
      const bool nextExists = selected + 1 < Items()->Count();
      if ((down && selected < kLastKeyIndex && nextExists) || (!down && selected > 0)) {
        SendMessageW(wnd, CB_SETCURSEL, static_cast<WPARAM>(down ? selected + 1 : selected - 1), 0);
        SelectEditText(false);
        PaintAddressIcon(4, 3, kChangeIconTransparent);
      }
      break;
    }
    default:
      break;
  }
  return TRaised(true);
}

const TPublishedTable& TAddressBox::PublishedTable() const {
  using P = TPublished<TAddressBox>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Boolean(L"ClickToSelectURL", &TAddressBox::ClickToSelectURL, &TAddressBox::SetClickToSelectURL)
              .Default(true),
          P::Enumeration(L"AutoCompleteEx", &TAddressBox::AutoCompleteEx, &TAddressBox::SetAutoCompleteEx,
                         {L"acDefault", L"acForceOn", L"acForceOff"})
              .Default(TAutoComplete::acDefault),
          P::Enumeration(L"AutoSuggest", &TAddressBox::AutoSuggest, &TAddressBox::SetAutoSuggest,
                         {L"asDefault", L"asForceOn", L"asForceOff"})
              .Default(TAutoSuggest::asDefault),
          P::Text(L"DefaultProtocol", &TAddressBox::DefaultProtocol, &TAddressBox::SetDefaultProtocol),
          P::Set(L"FileOptions", &TAddressBox::FileOptions, &TAddressBox::SetFileOptions,
                 {L"FileSystem", L"UrlHistory", L"UrlMRU"}),
          P::Integer(L"IconLeft", &TAddressBox::IconLeft, &TAddressBox::SetIconLeft).Default(4),
          P::Integer(L"IconTop", &TAddressBox::IconTop, &TAddressBox::SetIconTop).Default(3),
          P::Boolean(L"RegistryUpdate", &TAddressBox::RegistryUpdate, &TAddressBox::SetRegistryUpdate).Default(false),
          P::Event(
              L"OnUrlSelected", [](TAddressBox* box) { return box->OnUrlSelected; },
              [](TAddressBox* box, TOnUrlSelectedEvent value) { box->OnUrlSelected = value; }),
          P::Text(L"Text", &TAddressBox::Text, &TAddressBox::SetText),
      });
  return table;
}

}  // namespace controls

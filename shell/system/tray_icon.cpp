#include "shell/system/tray_icon.h"

#include <algorithm>

#include "framework/application.h"
#include "framework/form.h"
#include "framework/image_list.h"
#include "framework/menus.h"
#include "framework/properties.h"
#include "framework/sys_utils.h"
#include "framework/win_control.h"
#include "shell/system/application_windows.h"
#include "shell/system/sys_version.h"
#include "shell/system/wnd_proc_hook.h"

namespace shell {

UINT WM_TASKBARCREATED = 0;

namespace {

TShellNotifyIconFunction shellNotifyIcon = &Shell_NotifyIconW;

// The first record, without balloon fields, for shells older than Windows 2000; its tip holds 64 characters.
constexpr DWORD kFirstRecordSize = NOTIFYICONDATAW_V1_SIZE;
constexpr size_t kFirstTipLength = 63;

// Copies text into a fixed field, cut (between whole characters) to at most limit characters and zero-terminated.
template <size_t N>
void CopyField(wchar_t (&field)[N], const String& text, size_t limit) {
  std::fill(std::begin(field), std::end(field), L'\0');
  const String cut = CutText(text, std::min(limit, N - 1));
  std::copy(cut.begin(), cut.end(), field);
}

}  // namespace

TShellNotifyIconFunction SetShellNotifyIconFunction(TShellNotifyIconFunction function) {
  return std::exchange(shellNotifyIcon, function ? function : &Shell_NotifyIconW);
}

TSysTrayIcon::TSysTrayIcon(TComponent* owner)
    : TSysCustomTimer(owner), icon_(std::make_unique<TIcon>()), changeLink_(std::make_unique<TChangeLink>()) {
  changeLink_->OnChange = TNotifyEvent(this, &TSysTrayIcon::ImageListChange);
  // The cycling timer runs whenever CycleIcons is on: its ticks are handled by Timer, not by a handler.
  if (!IsDesigning()) SetOnTimer([](TObject*) {});
  SetCycleIcons(false);
  SetCycleInterval(200);
  if (!IsDesigning() && Application) {
    appHook_ = std::make_unique<TSysWndProcHook>();
    appHook_->OnMessageBefore = TSysMessageEvent(this, &TSysTrayIcon::AppMessageBefore);
    if (appHook_->SetHandle(Application->Handle()).Alive()) appHook_->SetActive(true);
  }
}

TSysTrayIcon::~TSysTrayIcon() {
  // The icon leaves the tray without OnHide: no handler is told about an icon that is going.
  try {
    if (ShownInTray()) DeleteFromTray();
  } catch (const Exception&) {
    // The shell may be gone; the icon goes with this process all the same.
  }
  appHook_.reset();
  if (imageList_) imageList_->UnRegisterChanges(changeLink_.get());
}

void TSysTrayIcon::SetHint(const String& value) {
  if (value == hint_) return;
  hint_ = value;
  UpdateIcon();
}

void TSysTrayIcon::SetShowHint(bool value) {
  if (value == showHint_) return;
  showHint_ = value;
  UpdateIcon();
}

void TSysTrayIcon::SetIcon(TIcon* value) {
  icon_->Assign(value);
  UpdateIcon();
}

TRaised TSysTrayIcon::SetIconID(int value) {
  if (value == iconID_) return TRaised(true);
  const bool wasVisible = visible_;
  if (SetVisible(false).Gone()) return TRaised(false);
  iconID_ = value;
  return SetVisible(wasVisible);
}

void TSysTrayIcon::SetImageList(TCustomImageList* value) {
  if (value == imageList_) return;
  if (imageList_) imageList_->UnRegisterChanges(changeLink_.get());
  imageList_ = value;
  if (value) {
    value->FreeNotification(this);
    value->RegisterChanges(changeLink_.get());
  }
  CopyImage();
}

void TSysTrayIcon::SetImageIndex(int value) {
  imageIndex_ = value;
  CopyImage();
}

void TSysTrayIcon::SetPopupMenu(TPopupMenu* value) {
  if (value == popupMenu_) return;
  popupMenu_ = value;
  if (value) value->FreeNotification(this);
}

TRaised TSysTrayIcon::SetVisible(bool value) {
  if (value == visible_) return TRaised(true);
  visible_ = value;
  if (IsDesigning()) return TRaised(true);
  return value ? Show() : Hide();
}

TRaised TSysTrayIcon::SetVisibleOnDesigning(bool value) {
  if (value == visibleOnDesigning_) return TRaised(true);
  visibleOnDesigning_ = value;
  if (!IsDesigning()) return TRaised(true);
  return value ? Show() : Hide();
}

void TSysTrayIcon::FillIconData() {
  const bool full = sys::IsWin2000orHigher;
  iconData_.cbSize = full ? sizeof(NOTIFYICONDATAW) : kFirstRecordSize;
  iconData_.hWnd = Handle();
  iconData_.uID = static_cast<UINT>(iconID_);
  iconData_.uFlags = flags_;
  iconData_.uCallbackMessage = WM_SYSTRAYICON;
  iconData_.hIcon = icon_->Handle();
  CopyField(iconData_.szTip, showHint_ ? hint_ : String(), full ? std::size(iconData_.szTip) - 1 : kFirstTipLength);
}

void TSysTrayIcon::SendToShell(DWORD message, const wchar_t* failure) {
  try {
    FillIconData();
    shellNotifyIcon(message, &iconData_);
  } catch (const Exception&) {
    throw ESysTrayIcon(Format(failure, {Name()}));
  }
}

bool TSysTrayIcon::ShownInTray() const { return IsDesigning() ? visibleOnDesigning_ : visible_; }

void TSysTrayIcon::InsertToTray() { SendToShell(NIM_ADD, L"%s.InsertToTray failed"); }
void TSysTrayIcon::DeleteFromTray() { SendToShell(NIM_DELETE, L"%s.DeleteFromTray failed"); }

void TSysTrayIcon::UpdateIcon() {
  FillIconData();
  shellNotifyIcon(NIM_MODIFY, &iconData_);
}

TRaised TSysTrayIcon::Show() {
  flags_ |= NIF_ICON;
  InsertToTray();
  if (IsDesigning())
    visibleOnDesigning_ = true;
  else
    visible_ = true;
  return RaiseEvent(OnShow, this);
}

TRaised TSysTrayIcon::Hide() {
  flags_ &= ~static_cast<DWORD>(NIF_ICON);
  DeleteFromTray();
  if (IsDesigning())
    visibleOnDesigning_ = false;
  else
    visible_ = false;
  const TRaised raised = RaiseEvent(OnHide, this);
  if (raised.Gone() || IsDestroying()) return raised;
  // Showing the program runs its forms' handlers.
  if (minimizeToTray_ && ShowMainWindow().Gone()) return TRaised(false);
  auto* owner = ObjectAs<TWinControl>(Owner());
  if (!owner || owner->IsDestroying() || owner->Visible()) return TRaised(true);
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, owner->SetVisible(true));
}

TRaised TSysTrayIcon::PopupAtCursor() {
  if (!popupMenu_ || !popupMenu_->AutoPopup()) return TRaised(true);
  POINT cursor{};
  GetCursorPos(&cursor);
  // The waiting messages and the menu's commands run the program's code, which may free the icon or its menu.
  const TLifeWatch life = LifeWatch();
  if (Application) Application->ProcessMessages();
  if (life.Ended()) return TRaised(false);
  if (!popupMenu_) return TRaised(true);
  if (OwnerIsWindowed()) SetForegroundWindow(OwnerWindow());
  popupMenu_->SetPopupComponent(this);
  if (AnswerFor(life, popupMenu_->Popup(cursor.x, cursor.y)).Gone()) return TRaised(false);
  // The menu of an icon needs its owner's window to get a message afterwards, or it may not close next time.
  if (OwnerIsWindowed()) PostMessageW(OwnerWindow(), WM_NULL, 0, 0);
  return RaiseEvent(OnPopupMenu, this);
}

TRaised TSysTrayIcon::ShowMainWindow() {
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, ShowApplication());
}

TRaised TSysTrayIcon::HideMainWindow() {
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, HideApplication());
}

void TSysTrayIcon::ShowBalloon() {
  if (!sys::IsWin2000orHigher) return;
  FillIconData();
  iconData_.dwInfoFlags = static_cast<DWORD>(infoType_);
  iconData_.uFlags = NIF_INFO;
  iconData_.uTimeout = static_cast<UINT>(infoTimeout_);
  CopyField(iconData_.szInfo, infoText_, 255);
  CopyField(iconData_.szInfoTitle, infoTitle_, 63);
  shellNotifyIcon(NIM_MODIFY, &iconData_);
}

TRaised TSysTrayIcon::Loaded() {
  if (TSysCustomTimer::Loaded().Gone()) return TRaised(false);
  if (minimizeOnStart_ && !IsDesigning()) {
    if (Application) Application->SetShowMainForm(false);
    if (Minimize().Gone()) return TRaised(false);
  }
  if (ShownInTray()) return Show();
  return TRaised(true);
}

void TSysTrayIcon::Notification(TComponent* component, TOperation operation) {
  TSysCustomTimer::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component && component == popupMenu_) SetPopupMenu(nullptr);
  if (component && component == imageList_) SetImageList(nullptr);
}

void TSysTrayIcon::WndProc(TMessage& message) {
  if (message.Msg == WM_SYSTRAYICON) {
    if (!IsDesigning() && enabled_ && TrayCallback(message.LParam).Gone()) return;
    return;
  }
  if (message.Msg == WM_QUERYENDSESSION) {
    message.Result = 1;
    return;
  }
  if (WM_TASKBARCREATED != 0 && message.Msg == WM_TASKBARCREATED && visible_) {
    if (Hide().Gone() || Show().Gone()) return;
  }
  TSysCustomTimer::WndProc(message);
}

TRaised TSysTrayIcon::TrayCallback(LPARAM notification) {
  POINT cursor{};
  GetCursorPos(&cursor);
  const TShiftState keys = GetShiftState();
  // Every event may free the icon: after one, the icon is touched again only while it lives.
  switch (notification) {
    case WM_MOUSEMOVE:
      GetCursorPos(&cursor);
      if (MouseMove(keys, cursor.x, cursor.y).Gone()) return TRaised(false);
      break;
    case WM_LBUTTONDOWN:
      if (MouseDown(TMouseButton::mbLeft, keys + TShiftStateItem::ssLeft, cursor.x, cursor.y).Gone())
        return TRaised(false);
      leftPressed_ = true;
      break;
    case WM_LBUTTONUP:
      if (MouseUp(TMouseButton::mbLeft, keys + TShiftStateItem::ssLeft, cursor.x, cursor.y).Gone())
        return TRaised(false);
      if (leftPressed_ && Click().Gone()) return TRaised(false);
      if (popupByLeft_ && PopupAtCursor().Gone()) return TRaised(false);
      leftPressed_ = false;
      break;
    case WM_LBUTTONDBLCLK:
      if (DblClick().Gone()) return TRaised(false);
      break;
    case WM_RBUTTONDOWN:
      if (MouseDown(TMouseButton::mbRight, keys + TShiftStateItem::ssRight, cursor.x, cursor.y).Gone())
        return TRaised(false);
      break;
    case WM_RBUTTONUP:
      if (MouseUp(TMouseButton::mbRight, keys + TShiftStateItem::ssRight, cursor.x, cursor.y).Gone())
        return TRaised(false);
      if (PopupAtCursor().Gone()) return TRaised(false);
      break;
    case WM_MBUTTONDOWN:
      if (MouseDown(TMouseButton::mbMiddle, keys + TShiftStateItem::ssMiddle, cursor.x, cursor.y).Gone())
        return TRaised(false);
      break;
    case WM_MBUTTONUP:
      if (MouseUp(TMouseButton::mbMiddle, keys + TShiftStateItem::ssMiddle, cursor.x, cursor.y).Gone())
        return TRaised(false);
      break;
    case NIN_BALLOONSHOW:
      if (RaiseEvent(OnBalloonShow, this).Gone()) return TRaised(false);
      break;
    case NIN_BALLOONTIMEOUT:
      if (RaiseEvent(OnBalloonTimeout, this).Gone()) return TRaised(false);
      break;
    case NIN_BALLOONUSERCLICK:
      if (RaiseEvent(OnBalloonClick, this).Gone()) return TRaised(false);
      break;
    default: {
      const TLifeWatch life = LifeWatch();
      TMessage passed{WM_SYSTRAYICON, 0, notification, 0};
      TSysCustomTimer::WndProc(passed);
      return TRaised(!life.Ended());
    }
  }
  return TRaised(true);
}

TRaised TSysTrayIcon::Timer() {
  // A negative index names no image: there is nothing to cycle through.
  if (imageList_ && imageIndex_ >= 0) SetImageIndex(imageIndex_ >= imageList_->Count() - 1 ? 0 : imageIndex_ + 1);
  return RaiseEvent(OnCycleIcons, this);
}

TRaised TSysTrayIcon::MouseMove(TShiftState shift, int x, int y) { return RaiseEvent(OnMouseMove, this, shift, x, y); }

TRaised TSysTrayIcon::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  return RaiseEvent(OnMouseDown, this, button, shift, x, y);
}

TRaised TSysTrayIcon::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OwnerIsWindowed()) SetForegroundWindow(OwnerWindow());
  return RaiseEvent(OnMouseUp, this, button, shift, x, y);
}

TRaised TSysTrayIcon::Click() { return RaiseEvent(OnClick, this); }

TRaised TSysTrayIcon::DblClick() {
  if (popupMenu_ && popupMenu_->AutoPopup() && !popupByLeft_) {
    TMenuItem* items = popupMenu_->Items();
    for (int i = 0; i < items->Count(); ++i) {
      if (!items->Items(i)->Default()) continue;
      // The item's handler may free the icon.
      const TLifeWatch life = LifeWatch();
      if (items->Items(i)->Click().Gone() && life.Ended()) return TRaised(false);
      if (life.Ended() || RaiseEvent(OnDblClick, this).Gone()) return TRaised(false);
      if (OwnerIsWindowed()) SetForegroundWindow(OwnerWindow());
      return TRaised(true);
    }
  }
  if (IsDesigning()) return TRaised(true);
  if (minimizeToTray_ && OwnerIsWindowed()) {
    // Showing or hiding the program runs its forms' handlers.
    if ((ObjectAs<TWinControl>(Owner())->Visible() ? HideMainWindow() : ShowMainWindow()).Gone())
      return TRaised(false);
  }
  return RaiseEvent(OnDblClick, this);
}

TRaised TSysTrayIcon::Minimize() {
  if (IsDesigning()) return TRaised(true);
  // Hiding the program and showing the icon run the program's handlers.
  if (HideMainWindow().Gone() || SetVisible(true).Gone()) return TRaised(false);
  return RaiseEvent(OnMinimize, this);
}

void TSysTrayIcon::CopyImage() {
  if (!imageList_) return;
  icon_->Assign(nullptr);
  imageList_->GetIcon(imageIndex_, icon_.get());
  UpdateIcon();
}

void TSysTrayIcon::ImageListChange(TObject*) { CopyImage(); }

void TSysTrayIcon::AppMessageBefore(TObject*, TMessage& message, bool&) {
  if (message.Msg == WM_SIZE && message.WParam == SIZE_MINIMIZED && minimizeToTray_ && Minimize().Gone()) return;
}

bool TSysTrayIcon::OwnerIsWindowed() const { return ObjectAs<TWinControl>(Owner()) != nullptr; }

HWND TSysTrayIcon::OwnerWindow() const { return ObjectAs<TWinControl>(Owner())->Handle(); }

const TPublishedTable& TSysTrayIcon::PublishedTable() const {
  using P = TPublished<TSysTrayIcon>;
  using T = TSysTrayIcon;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Boolean(L"CycleIcons", &T::CycleIcons, &T::SetCycleIcons).Default(false),
          P::Integer(L"CycleInterval", &T::CycleInterval, &T::SetCycleInterval).Default(200),
          P::Boolean(L"Enabled", &T::Enabled, &T::SetEnabled).Default(true),
          P::Text(L"Hint", &T::Hint, &T::SetHint),
          P::Object(L"Icon", &T::Icon).Stored([](T* t) { return t->ImageList() == nullptr; }),
          P::Component(L"ImageList", &T::ImageList, &T::SetImageList),
          P::Integer(L"ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(0),
          P::Integer(L"IconID", &T::IconID, &T::SetIconID).Default(0),
          P::Boolean(L"MinimizeToTray", &T::MinimizeToTray, &T::SetMinimizeToTray).Default(false),
          P::Boolean(L"MinimizeOnStart", &T::MinimizeOnStart, &T::SetMinimizeOnStart).Default(false),
          P::Component(L"PopupMenu", &T::PopupMenu, &T::SetPopupMenu),
          P::Boolean(L"PopupByLeft", &T::PopupByLeft, &T::SetPopupByLeft).Default(false),
          P::Boolean(L"ShowHint", &T::ShowHint, &T::SetShowHint).Default(true),
          P::Boolean(L"Visible", &T::Visible, &T::SetVisible).Default(false),
          P::Boolean(L"VisibleOnDesigning", &T::VisibleOnDesigning, &T::SetVisibleOnDesigning).Default(false),
          P::Text(L"InfoText", &T::InfoText, &T::SetInfoText),
          P::Text(L"InfoTitle", &T::InfoTitle, &T::SetInfoTitle),
          P::Integer(L"InfoTimeout", &T::InfoTimeout, &T::SetInfoTimeout).Default(10000),
          P::Enumeration(L"InfoType", &T::InfoType, &T::SetInfoType,
                         {L"tiiNone", L"tiiInfo", L"tiiWarning", L"tiiError"})
              .Default(TSysTrayIconInfoType::tiiNone),
          P::Event(L"OnMinimize", &T::OnMinimize),
          P::Event(L"OnMouseMove", &T::OnMouseMove),
          P::Event(L"OnMouseDown", &T::OnMouseDown),
          P::Event(L"OnMouseUp", &T::OnMouseUp),
          P::Event(L"OnClick", &T::OnClick),
          P::Event(L"OnDblClick", &T::OnDblClick),
          P::Event(L"OnPopupMenu", &T::OnPopupMenu),
          P::Event(L"OnShow", &T::OnShow),
          P::Event(L"OnHide", &T::OnHide),
          P::Event(L"OnCycleIcons", &T::OnCycleIcons),
          P::Event(L"OnBalloonShow", &T::OnBalloonShow),
          P::Event(L"OnBalloonTimeout", &T::OnBalloonTimeout),
          P::Event(L"OnBalloonClick", &T::OnBalloonClick),
      });
  return table;
}

}  // namespace shell

// TSysTrayIcon: one icon in the notification area. The shell's callback messages become mouse, click, menu and
// balloon events; the icon can cycle through an image list, hide the program into the tray when it is minimised,
// and comes back by itself when the shell's taskbar is made again.
#pragma once

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <memory>

#include "framework/control.h"
#include "framework/icon.h"
#include "shell/system/sys_timer.h"

class TCustomImageList;
class TChangeLink;
class TPopupMenu;

namespace shell {

class TSysWndProcHook;

BC_EXCEPTION(ESysTrayIcon, Exception)

enum class TSysTrayIconInfoType { tiiNone, tiiInfo, tiiWarning, tiiError };

// The icon's callback message, and the shell's "TaskbarCreated" broadcast (registered at the set's start).
constexpr UINT WM_SYSTRAYICON = WM_USER + 211;
extern UINT WM_TASKBARCREATED;

// How the icon reaches the shell; the default calls Shell_NotifyIconW. Tests install a recorder. Installs function
// (null: the platform's own) and returns the one it replaces.
using TShellNotifyIconFunction = BOOL(WINAPI*)(DWORD message, NOTIFYICONDATAW* data);
TShellNotifyIconFunction SetShellNotifyIconFunction(TShellNotifyIconFunction function);

class TSysTrayIcon : public TSysCustomTimer {
  BC_CLASS(TSysTrayIcon, TSysCustomTimer)
  explicit TSysTrayIcon(TComponent* owner = nullptr);
  ~TSysTrayIcon() override;

  // Mouse and balloon callbacks are raised only while enabled (the cycling timer is CycleIcons).
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value) { enabled_ = value; }
  bool CycleIcons() const { return TSysCustomTimer::Enabled(); }
  void SetCycleIcons(bool value) { TSysCustomTimer::SetEnabled(value); }
  UINT CycleInterval() const { return Interval(); }
  void SetCycleInterval(UINT value) { SetInterval(value); }
  const String& Hint() const { return hint_; }
  void SetHint(const String& value);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  TIcon* Icon() const { return icon_.get(); }
  // Takes a copy of the image.
  void SetIcon(TIcon* value);
  DWORD Flags() const { return flags_; }
  int IconID() const { return iconID_; }
  // Removes the icon and adds it again under the new id. This and the setters of the visibility answer whether
  // the icon outlived the OnHide and OnShow (and the program's showing) they raise.
  TRaised SetIconID(int value);
  TCustomImageList* ImageList() const { return imageList_; }
  void SetImageList(TCustomImageList* value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  bool MinimizeOnStart() const { return minimizeOnStart_; }
  void SetMinimizeOnStart(bool value) { minimizeOnStart_ = value; }
  bool MinimizeToTray() const { return minimizeToTray_; }
  void SetMinimizeToTray(bool value) { minimizeToTray_ = value; }
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* value);
  // The left button pops the menu up too.
  bool PopupByLeft() const { return popupByLeft_; }
  void SetPopupByLeft(bool value) { popupByLeft_ = value; }
  bool Visible() const { return visible_; }
  TRaised SetVisible(bool value);
  bool VisibleOnDesigning() const { return visibleOnDesigning_; }
  TRaised SetVisibleOnDesigning(bool value);
  int InfoTimeout() const { return infoTimeout_; }
  void SetInfoTimeout(int value) { infoTimeout_ = value; }
  const String& InfoText() const { return infoText_; }
  void SetInfoText(const String& value) { infoText_ = value; }
  const String& InfoTitle() const { return infoTitle_; }
  void SetInfoTitle(const String& value) { infoTitle_ = value; }
  TSysTrayIconInfoType InfoType() const { return infoType_; }
  void SetInfoType(TSysTrayIconInfoType value) { infoType_ = value; }
  // The record last handed to the shell.
  const NOTIFYICONDATAW& IconData() const { return iconData_; }

  virtual void FillIconData();
  virtual void UpdateIcon();
  virtual TRaised Show();
  virtual TRaised Hide();
  virtual TRaised PopupAtCursor();
  virtual TRaised ShowMainWindow();
  virtual TRaised HideMainWindow();
  virtual void ShowBalloon();
  virtual void ShowBalloonHint() { ShowBalloon(); }

  TNotifyEvent OnMinimize;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnPopupMenu;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnCycleIcons;
  TNotifyEvent OnBalloonShow;
  TNotifyEvent OnBalloonTimeout;
  TNotifyEvent OnBalloonClick;

  TRaised Loaded() override;
  const TPublishedTable& PublishedTable() const override;

 protected:
  void WndProc(TMessage& message) override;
  TRaised Timer() override;
  void Notification(TComponent* component, TOperation operation) override;
  virtual TRaised MouseMove(TShiftState shift, int x, int y);
  virtual TRaised MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual TRaised MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual TRaised Click();
  virtual TRaised DblClick();
  virtual TRaised Minimize();

 private:
  TRaised TrayCallback(LPARAM notification);
  // Whether the icon is in the tray: its visibility for the running program, or at design time.
  bool ShownInTray() const;
  void InsertToTray();
  void DeleteFromTray();
  void SendToShell(DWORD message, const wchar_t* failure);
  void CopyImage();
  void ImageListChange(TObject* sender);
  void AppMessageBefore(TObject* sender, TMessage& message, bool& handled);
  HWND OwnerWindow() const;
  bool OwnerIsWindowed() const;

  bool enabled_ = true;
  String hint_;
  std::unique_ptr<TIcon> icon_;
  DWORD flags_ = NIF_MESSAGE | NIF_TIP;
  int iconID_ = 0;
  TCustomImageList* imageList_ = nullptr;
  int imageIndex_ = 0;
  std::unique_ptr<TChangeLink> changeLink_;
  bool minimizeOnStart_ = false;
  bool minimizeToTray_ = false;
  TPopupMenu* popupMenu_ = nullptr;
  bool popupByLeft_ = false;
  bool leftPressed_ = false;
  bool showHint_ = true;
  bool visible_ = false;
  bool visibleOnDesigning_ = false;
  int infoTimeout_ = 10000;
  String infoText_;
  String infoTitle_;
  TSysTrayIconInfoType infoType_ = TSysTrayIconInfoType::tiiNone;
  NOTIFYICONDATAW iconData_{};
  // Watches the application window for its minimising.
  std::unique_ptr<TSysWndProcHook> appHook_;
};

}  // namespace shell

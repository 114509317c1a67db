// Window-procedure hooks: a component that sees every message of a window (a handle, a windowed control, or the
// windowed control that owns it) before and after the window's own procedure. Hooks on one window form a chain:
// the later hook sees a message first and passes it to the earlier one, the first to the window's procedure.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/thread_hooks.h"
#include "shell/system/sys_component.h"

class TWinControl;

namespace shell {

using TSysMessageEvent = TDelegate<void(TObject* Sender, TMessage& Msg, bool& Handled)>;

class TSysCustomWndProcHook : public TSysComponent, private TThreadHookListener {
  BC_CLASS(TSysCustomWndProcHook, TSysComponent)
  explicit TSysCustomWndProcHook(TComponent* owner = nullptr);
  ~TSysCustomWndProcHook() override;

  bool Active() const { return active_; }
  virtual void SetActive(bool value);
  // A left press anywhere on the window moves the window instead.
  bool AutoDrag() const { return autoDrag_; }
  void SetAutoDrag(bool value) { autoDrag_ = value; }
  // Handle when set, else the window of the windowed control; INVALID_HANDLE_VALUE when there is none (or the
  // control has no window while it is being read or freed).
  virtual HWND GetHandle();
  // This setter and SetWinControl answer whether the hook outlived the change's handler.
  virtual TRaised SetHandle(HWND value);
  // WinControl when set, else the owner when that is a windowed control.
  virtual TWinControl* GetWinControl() const;
  TWinControl* WinControl() const { return winControl_; }
  virtual TRaised SetWinControl(TWinControl* value);

  TNotifyEvent OnChangeHandle;
  TNotifyEvent OnChangeWinControl;
  TSysMessageEvent OnMessageBefore;
  TSysMessageEvent OnMessageAfter;

  TRaised Loaded() override;

 protected:
  virtual void Hook();
  virtual void Unhook();
  // Before, then the window's handling (or the drag), then after. A handler may free the hook or take it out of
  // the chain: an unhandled message then goes on to the hooks made before it and to the window.
  virtual void WndProc(TMessage& message);
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TSysWndProcHookList;
  // Passes the message down the chain.
  void CallPrevious(TMessage& message);
  // A windowed control's window went: the hook waits on the thread's sent messages for its new window.
  void AwaitNewWindow();
  bool HookMessage(THookKind kind, int code, WPARAM wParam, LPARAM lParam) override;

  bool active_ = false;
  bool autoDrag_ = false;
  HWND handle_ = nullptr;
  TWinControl* winControl_ = nullptr;
  // Where the hook is chained: its window, and the next stop of a message (the earlier hook, or for the first
  // hook the window's own procedure).
  HWND hookedWindow_ = nullptr;
  TSysCustomWndProcHook* previous_ = nullptr;
  WNDPROC oldWndProc_ = nullptr;
  bool awaitingWindow_ = false;
  // The place in creation order, which is the order of every chain.
  uint64_t serial_ = 0;
};

class TSysWndProcHook : public TSysCustomWndProcHook {
  BC_CLASS(TSysWndProcHook, TSysCustomWndProcHook)
  using TSysCustomWndProcHook::TSysCustomWndProcHook;
  const TPublishedTable& PublishedTable() const override;
};

// Every hook of the process in creation order; it builds the chain of each window.
class TSysWndProcHookList {
 public:
  void Add(TSysCustomWndProcHook* hook) { hooks_.push_back(hook); }
  void Remove(TSysCustomWndProcHook* hook);
  bool Empty() const { return hooks_.empty(); }
  // Puts the hook into (or takes it out of) the chain of its window and sets the window's procedure.
  void Rechain(TSysCustomWndProcHook* hook, bool install);
  // The window is being destroyed: its chain is dissolved.
  void WindowDestroyed(HWND window);
  // A message of a chained window reaches its last hook.
  static void Deliver(TSysCustomWndProcHook* hook, TMessage& message) { hook->WndProc(message); }
  // A message that a hook of the window, made as serial, can no longer pass on itself: the next hook made before
  // it takes the message, else the window's own procedure.
  static void PassBelow(HWND window, uint64_t serial, TMessage& message);

 private:
  std::vector<TSysCustomWndProcHook*> hooks_;
};

// The list, made by the first hook and freed with the last one; null while there is none.
TSysWndProcHookList* WndProcHookList();
// At the set's end.
void FreeWndProcHookList();

}  // namespace shell

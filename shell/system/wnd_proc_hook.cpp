#include "shell/system/wnd_proc_hook.h"

#include <algorithm>

#include "framework/exception_hook.h"
#include "framework/properties.h"
#include "framework/win_control.h"

namespace shell {

namespace {

// The window property that names the last hook of a window's chain, where its messages start.
const wchar_t kChainProperty[] = L"BcSysWndProcHook";
// A press on the caption, which the system turns into a window move.
constexpr WPARAM kMoveByCaption = SC_MOVE | HTCAPTION;

std::unique_ptr<TSysWndProcHookList>& HookList() {
  static std::unique_ptr<TSysWndProcHookList> list;
  return list;
}

bool ValidWindow(HWND window) { return window && window != INVALID_HANDLE_VALUE; }

uint64_t lastHookSerial = 0;

LRESULT CALLBACK ChainProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* last = static_cast<TSysCustomWndProcHook*>(GetPropW(window, kChainProperty));
  if (!last) return DefWindowProcW(window, msg, wParam, lParam);
  TMessage message{msg, wParam, lParam, 0};
  // A handler that freed its hook and then raised leaves no sender to name.
  const TLifeWatch life = last->LifeWatch();
  try {
    TSysWndProcHookList::Deliver(last, message);
  } catch (...) {
    ApplicationHandleException(life.Ended() ? nullptr : last);
  }
  if (msg == WM_NCDESTROY && HookList()) HookList()->WindowDestroyed(window);
  return message.Result;
}

}  // namespace

TSysWndProcHookList* WndProcHookList() { return HookList().get(); }
void FreeWndProcHookList() { HookList().reset(); }

void TSysWndProcHookList::Remove(TSysCustomWndProcHook* hook) {
  hooks_.erase(std::remove(hooks_.begin(), hooks_.end(), hook), hooks_.end());
}

void TSysWndProcHookList::Rechain(TSysCustomWndProcHook* hook, bool install) {
  HWND window = install ? hook->GetHandle() : hook->hookedWindow_;
  if (!ValidWindow(window)) return;
  WNDPROC base = nullptr;
  for (TSysCustomWndProcHook* h : hooks_)
    if (h->hookedWindow_ == window && h->oldWndProc_) {
      base = h->oldWndProc_;
      break;
    }
  if (!base) base = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
  hook->hookedWindow_ = install ? window : nullptr;
  TSysCustomWndProcHook* previous = nullptr;
  for (TSysCustomWndProcHook* h : hooks_) {
    if (h->hookedWindow_ != window) continue;
    h->previous_ = previous;
    h->oldWndProc_ = previous ? nullptr : base;
    previous = h;
  }
  if (hook->hookedWindow_ != window) {
    hook->previous_ = nullptr;
    hook->oldWndProc_ = nullptr;
  }
  if (previous) {
    SetPropW(window, kChainProperty, previous);
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ChainProc));
  } else {
    RemovePropW(window, kChainProperty);
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base));
  }
}

void TSysWndProcHookList::PassBelow(HWND window, uint64_t serial, TMessage& message) {
  if (!ValidWindow(window)) return;
  TSysCustomWndProcHook* below = nullptr;
  WNDPROC base = nullptr;
  if (HookList())
    for (TSysCustomWndProcHook* h : HookList()->hooks_) {
      if (h->hookedWindow_ != window) continue;
      if (!base) base = h->oldWndProc_;
      if (h->serial_ < serial) below = h;
    }
  if (below) {
    below->WndProc(message);
    return;
  }
  if (!base) base = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
  if (base && base != &ChainProc && IsWindow(window))
    message.Result = CallWindowProcW(base, window, message.Msg, message.WParam, message.LParam);
}

void TSysWndProcHookList::WindowDestroyed(HWND window) {
  for (TSysCustomWndProcHook* h : std::vector<TSysCustomWndProcHook*>(hooks_)) {
    if (h->hookedWindow_ != window) continue;
    Rechain(h, false);
    h->AwaitNewWindow();
  }
}

TSysCustomWndProcHook::TSysCustomWndProcHook(TComponent* owner) : TSysComponent(owner), serial_(++lastHookSerial) {
  if (!HookList()) HookList() = std::make_unique<TSysWndProcHookList>();
  HookList()->Add(this);
}

TSysCustomWndProcHook::~TSysCustomWndProcHook() {
  SetActive(false);
  if (awaitingWindow_) RemoveThreadHookListener(THookKind::hkCallWndProc, this);
  if (!HookList()) return;
  HookList()->Remove(this);
  if (HookList()->Empty()) FreeWndProcHookList();
}

void TSysCustomWndProcHook::SetActive(bool value) {
  if (value == active_) return;
  if (value)
    Hook();
  else
    Unhook();
}

HWND TSysCustomWndProcHook::GetHandle() {
  if (ValidWindow(handle_)) return handle_;
  TWinControl* control = GetWinControl();
  if (!control) return static_cast<HWND>(INVALID_HANDLE_VALUE);
  if (!control->HandleAllocated() && (control->IsLoading() || control->IsDestroying()))
    return static_cast<HWND>(INVALID_HANDLE_VALUE);
  return control->Handle();
}

TRaised TSysCustomWndProcHook::SetHandle(HWND value) {
  if (value == handle_) return TRaised(true);
  const bool wasActive = active_;
  Unhook();
  handle_ = value;
  SetActive(wasActive);
  return RaiseEvent(OnChangeHandle, this);
}

TWinControl* TSysCustomWndProcHook::GetWinControl() const {
  if (winControl_) return winControl_;
  return ObjectAs<TWinControl>(Owner());
}

TRaised TSysCustomWndProcHook::SetWinControl(TWinControl* value) {
  if (value == winControl_) return TRaised(true);
  const bool wasActive = active_;
  Unhook();
  if (winControl_) winControl_->RemoveFreeNotification(this);
  winControl_ = value;
  if (value && value != Owner()) value->FreeNotification(this);
  SetActive(wasActive);
  return RaiseEvent(OnChangeWinControl, this);
}

TRaised TSysCustomWndProcHook::Loaded() {
  if (TSysComponent::Loaded().Gone()) return TRaised(false);
  if (active_) {
    active_ = false;
    Hook();
  }
  return TRaised(true);
}

void TSysCustomWndProcHook::Hook() {
  if (!IsDesigning() && !IsLoading() && HookList() && !hookedWindow_) HookList()->Rechain(this, true);
  active_ = true;
}

void TSysCustomWndProcHook::Unhook() {
  if (awaitingWindow_) {
    awaitingWindow_ = false;
    RemoveThreadHookListener(THookKind::hkCallWndProc, this);
  }
  if (!IsDesigning() && HookList() && hookedWindow_) HookList()->Rechain(this, false);
  active_ = false;
}

void TSysCustomWndProcHook::WndProc(TMessage& message) {
  // Every handler, and the window's own procedure, may free this hook: nothing of it is touched once it is gone.
  const TLifeWatch life = LifeWatch();
  const HWND chainedTo = hookedWindow_;
  const uint64_t serial = serial_;
  bool handled = false;
  // A hook freed by its handler still passes the message on, below itself, unless the handler took it.
  const bool gone = RaiseEvent(OnMessageBefore, this, message, handled).Gone();
  if (!handled) {
    if (gone || hookedWindow_ != chainedTo) {
      TSysWndProcHookList::PassBelow(chainedTo, serial, message);
    } else if (message.Msg == WM_LBUTTONDOWN && autoDrag_ && IsWindow(chainedTo)) {
      ReleaseCapture();
      SendMessageW(chainedTo, WM_SYSCOMMAND, kMoveByCaption, 0);
    } else {
      CallPrevious(message);
    }
  }
  if (life.Ended() || RaiseEvent(OnMessageAfter, this, message, handled).Gone()) return;
}

void TSysCustomWndProcHook::CallPrevious(TMessage& message) {
  if (previous_)
    previous_->WndProc(message);
  else if (oldWndProc_)
    message.Result = CallWindowProcW(oldWndProc_, hookedWindow_, message.Msg, message.WParam, message.LParam);
}

void TSysCustomWndProcHook::AwaitNewWindow() {
  // Only a control's window comes back; a plain handle that died is gone for good.
  if (ValidWindow(handle_) || !GetWinControl() || IsDestroying()) {
    active_ = false;
    return;
  }
  awaitingWindow_ = true;
  AddThreadHookListener(THookKind::hkCallWndProc, this);
}

bool TSysCustomWndProcHook::HookMessage(THookKind, int, WPARAM, LPARAM) {
  TWinControl* control = GetWinControl();
  if (!awaitingWindow_ || !control || !control->HandleAllocated()) return false;
  awaitingWindow_ = false;
  RemoveThreadHookListener(THookKind::hkCallWndProc, this);
  HookList()->Rechain(this, true);
  return false;
}

void TSysCustomWndProcHook::Notification(TComponent* component, TOperation operation) {
  TSysComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == this) SetActive(false);
  if (component && component == winControl_ && SetWinControl(nullptr).Gone()) return;
}

const TPublishedTable& TSysWndProcHook::PublishedTable() const {
  using P = TPublished<TSysWndProcHook>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Boolean(L"Active", &TSysWndProcHook::Active, &TSysWndProcHook::SetActive).Default(false),
          P::Boolean(L"AutoDrag", &TSysWndProcHook::AutoDrag, &TSysWndProcHook::SetAutoDrag).Default(false),
          P::Component(L"WinControl", &TSysWndProcHook::WinControl, &TSysWndProcHook::SetWinControl),
          P::Event(L"OnChangeHandle", &TSysWndProcHook::OnChangeHandle),
          P::Event(L"OnChangeWinControl", &TSysWndProcHook::OnChangeWinControl),
          P::Event(L"OnMessageAfter", &TSysWndProcHook::OnMessageAfter),
          P::Event(L"OnMessageBefore", &TSysWndProcHook::OnMessageBefore),
      });
  return table;
}

}  // namespace shell

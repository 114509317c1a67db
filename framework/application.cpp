#include "framework/application.h"

#include <exception>
#include <utility>
#include <vector>

#include "framework/control_action_link.h"
#include "framework/drag.h"
#include "framework/form.h"
#include "framework/hint_window.h"
#include "framework/screen.h"
#include "framework/text_convert.h"

TApplication* Application = nullptr;

namespace {

constexpr wchar_t kApplicationClass[] = L"TApplication";
constexpr UINT_PTR kHintTimer = 1;
// Posted to the application's window when a modal loop ends.
constexpr UINT kModalLoopEnded = WM_USER + 1;
// How far below the cursor's hot spot a hint starts.
constexpr int kHintCursorMargin = 20;

bool Contains(const TControl* outer, const TControl* inner) {
  if (!outer || !inner) return false;
  if (outer == inner) return true;
  auto* win = ObjectAs<const TWinControl>(outer);
  return win && win->ContainsControl(inner);
}

// The control whose hint applies: the first one up the parent chain that shows hints.
TControl* GetHintControl(TControl* control) {
  while (control && !control->ShowHint()) control = control->Parent();
  return control;
}

bool AnyMouseButtonDown() {
  for (int button : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON})
    if (GetAsyncKeyState(button) & 0x8000) return true;
  return false;
}

String GetHint(const TControl* control) {
  for (; control; control = control->Parent())
    if (!control->Hint().empty()) return control->Hint();
  return String();
}

TMessageBoxFunction& MessageBoxFunction() {
  static TMessageBoxFunction function = nullptr;
  return function;
}

bool ForegroundTask() {
  HWND foreground = GetForegroundWindow();
  return foreground && GetWindowThreadProcessId(foreground, nullptr) == GetCurrentThreadId();
}

}  // namespace

TMessageBoxFunction SetMessageBoxFunction(TMessageBoxFunction function) {
  return std::exchange(MessageBoxFunction(), function);
}

String GetShortHint(const String& hint) {
  size_t bar = hint.find(L'|');
  return bar == String::npos ? hint : hint.substr(0, bar);
}

String GetLongHint(const String& hint) {
  size_t bar = hint.find(L'|');
  return bar == String::npos ? hint : hint.substr(bar + 1);
}

TApplication::TApplication(TComponent* owner) : TComponent(owner), hintWindowClass_(THintWindow::StaticClass()) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  if (!GetClassInfoW(instance, kApplicationClass, &wc)) {
    wc.lpfnWndProc = ApplicationWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.lpszClassName = kApplicationClass;
    if (!RegisterClassW(&wc)) RaiseLastOSError();
  }
  String exe = ExeName();
  size_t slash = exe.find_last_of(L"\\/");
  title_ = slash == String::npos ? exe : exe.substr(slash + 1);
  size_t dot = title_.find_last_of(L'.');
  if (dot != String::npos) title_.resize(dot);
  handle_ = CreateWindowExW(
      0, kApplicationClass, title_.c_str(), WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
      GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr, instance, this);
  if (!handle_) RaiseLastOSError();
  SetWindowLongPtrW(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TApplication::~TApplication() {
  StopHintTimer();
  DestroyComponents();
  if (handle_) DestroyWindow(handle_);
}

LRESULT CALLBACK TApplication::ApplicationWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* app = reinterpret_cast<TApplication*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (!app) return DefWindowProcW(wnd, msg, wParam, lParam);
  TMessage message{msg, wParam, lParam, 0};
  try {
    app->WndProc(message);
  } catch (...) {
    app->HandleException(app);
  }
  return message.Result;
}

LRESULT TApplication::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message{msg, wParam, lParam, 0};
  WndProc(message);
  return message.Result;
}

void TApplication::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_ACTIVATEAPP:
      active_ = message.WParam != 0;
      if (!active_) CancelHint();
      // Freeing the application's forms as it goes deactivates it: no handler hears of an application that goes.
      if (IsDestroying()) break;
      if (RaiseEvent(active_ ? OnActivate : OnDeactivate, this).Gone()) return;
      break;
    case WM_TIMER:
      if (message.WParam == kHintTimer) {
        if (HintTimerExpired().Gone()) return;
        return;
      }
      break;
    case WM_CLOSE:
      if (mainForm_ && mainForm_->Close().Gone()) return;
      return;
    case kModalLoopEnded:
      if (modalLoopEndsQueued_ > 0) --modalLoopEndsQueued_;
      if (HWND capture = GetCapture(); capture && !AnyMouseButtonDown()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
      return;
    case WM_SETTINGCHANGE:
      if (message.WParam == SPI_SETNONCLIENTMETRICS && Screen) Screen->ResetFonts();
      break;
    case CM_APPKEYDOWN:
      message.Result = IsShortCut(message) ? 1 : 0;
      return;
    default:
      break;
  }
  message.Result = DefWindowProcW(handle_, message.Msg, message.WParam, message.LParam);
}

void TApplication::SetTitle(const String& value) {
  if (title_ == value) return;
  title_ = value;
  SetWindowTextW(handle_, value.c_str());
}

String TApplication::ExeName() const {
  String path(MAX_PATH, L'\0');
  DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(length);
  return path;
}

bool TApplication::IsShortCut(TMessage& message) {
  bool handled = false;
  if (RaiseEvent(OnShortCut, message, handled).Gone()) return true;
  if (!handled && mainForm_ && mainForm_->HandleAllocated() && IsWindowEnabled(mainForm_->Handle()) &&
      mainForm_->IsShortCut(message, handled).Gone())
    return true;
  return handled;
}

// ---- the message loop ----

bool TApplication::IsHintMsg(const MSG& msg) {
  if (hintWindow_ && hintWindow_->IsHintMsg(msg)) CancelHint();
  return false;
}

bool TApplication::IsMDIMsg(MSG& msg) {
  if (!mainForm_ || mainForm_->FormStyle() != TFormStyle::fsMDIForm || !mainForm_->ClientHandle()) return false;
  if (!Screen || !Screen->ActiveForm() || Screen->ActiveForm()->FormStyle() != TFormStyle::fsMDIChild) return false;
  return TranslateMDISysAccel(mainForm_->ClientHandle(), &msg) != 0;
}

bool TApplication::IsKeyMsg(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  if (DragKeyMessage(msg)) return true;
  HWND wnd = GetCapture();
  TWinControl* control = nullptr;
  if (!wnd) {
    wnd = msg.hwnd;
    if (mainForm_ && wnd && wnd == mainForm_->ClientHandle()) wnd = mainForm_->Handle();
    // The nearest framework window takes the key; a foreign child (the edit of a combo box) passes it up.
    for (; wnd && !control; wnd = GetParent(wnd)) control = FindControl(wnd);
  } else {
    control = FindControl(wnd);
  }
  if (!control) return false;
  return SendMessageW(control->Handle(), CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  bool handled = false;
  // A handler that freed the application has taken the message.
  if (RaiseEvent(OnMessage, msg, handled).Gone()) return true;
  if (!IsHintMsg(msg) && !handled && !IsMDIMsg(msg) && !IsKeyMsg(msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

TRaised TApplication::Idle() {
  bool done = true;
  if (const TRaised raised = RaiseEvent(OnIdle, this, done); raised.Gone() || !done) return raised;
  const TLifeWatch life = LifeWatch();
  UpdateActionsOnIdle();
  if (life.Ended()) return TRaised(false);
  WaitMessage();
  return TRaised(true);
}

TRaised TApplication::HandleMessage() {
  const TLifeWatch life = LifeWatch();
  MSG msg;
  if (ProcessMessage(msg)) return TRaised(!life.Ended());
  return Idle();
}

void TApplication::ProcessMessages() {
  // A handler that freed the application ends the loop.
  const TLifeWatch life = LifeWatch();
  MSG msg;
  while (ProcessMessage(msg) && !life.Ended()) {
  }
}

TRaised TApplication::Run() {
  if (!mainForm_) return TRaised(true);
  if (showMainForm_) {
    if (mainForm_->WindowState() == TWindowState::wsMinimized) {
      Minimize();
    } else {
      // The start's last act on the main form: the loop runs whatever its OnShow did.
      (void)mainForm_->SetVisible(true);
    }
  }
  const TLifeWatch life = LifeWatch();
  while (!terminated_) {
    try {
      if (HandleMessage().Gone()) return TRaised(false);
    } catch (...) {
      if (life.Ended()) return TRaised(false);
      HandleException(this);
    }
  }
  return TRaised(true);
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::ModalLoopEnded() {
  if (PostMessageW(handle_, kModalLoopEnded, 0, 0)) ++modalLoopEndsQueued_;
}

bool TApplication::ReleaseTakenByModalLoop() const { return modalLoopEndsQueued_ > 0 && !AnyMouseButtonDown(); }

void TApplication::Minimize() {
  if (mainForm_ && mainForm_->HandleAllocated()) ShowWindow(mainForm_->Handle(), SW_MINIMIZE);
}

void TApplication::Restore() {
  if (mainForm_ && mainForm_->HandleAllocated() && IsIconic(mainForm_->Handle()))
    ShowWindow(mainForm_->Handle(), SW_RESTORE);
}

void TApplication::BringToFront() {
  if (!mainForm_ || !mainForm_->HandleAllocated()) return;
  HWND last = GetLastActivePopup(mainForm_->Handle());
  if (last && IsWindowVisible(last) && IsWindowEnabled(last)) SetForegroundWindow(last);
}

// ---- exceptions ----

void TApplication::HandleException(TObject* sender) {
  if (!std::current_exception()) return;
  if (HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
  auto report = [&](const Exception& e) {
    if (!OnException) {
      ShowException(e);
      return;
    }
    // The report's last act.
    (void)RaiseEvent(OnException, sender, e);
  };
  try {
    throw;
  } catch (const EAbort&) {
  } catch (const Exception& e) {
    report(e);
  } catch (const std::exception& e) {
    report(Exception(Utf8ToWide(e.what())));
  } catch (...) {
    report(Exception(L"Unknown exception"));
  }
}

void TApplication::ShowException(const Exception& e) {
  String text = e.Message();
  if (!text.empty() && text.back() > L'.') text += L'.';
  TMessageBoxFunction show = MessageBoxFunction() ? MessageBoxFunction() : &MessageBoxW;
  show(handle_, text.c_str(), title_.c_str(), MB_OK | MB_ICONSTOP);
}

// ---- the control under the mouse ----

void TApplication::SetMouseControl(TControl* control) {
  if (control == mouseControl_) return;
  TControl* old = mouseControl_;
  mouseControl_ = control;
  // The controls hear of it in turn, and a handler one of them raises may free any of them (a bar whose item loses
  // its hot look, say): those freed hear nothing more.
  std::vector<std::pair<TControl*, TLifeWatch>> leaving;
  for (TControl* c = old; c; c = c->Parent())
    if (!Contains(c, control)) leaving.emplace_back(c, c->LifeWatch());
  std::vector<std::pair<TControl*, TLifeWatch>> entering;
  for (TControl* c = control; c; c = c->Parent())
    if (!Contains(c, old)) entering.emplace(entering.begin(), c, c->LifeWatch());
  for (const auto& [c, life] : leaving)
    if (!life.Ended()) c->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(c));
  for (const auto& [c, life] : entering)
    if (!life.Ended()) c->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(c));
  SetHint(GetLongHint(GetHint(mouseControl_)));
  if (!mouseControl_) CancelHint();
}

void TApplication::ControlRemoved(TControl* control) {
  // The mouse is over the parent then, which hears of it when the mouse leaves it.
  if (Contains(control, mouseControl_)) mouseControl_ = control->Parent();
}

void TApplication::ControlDestroyed(TControl* control) {
  ControlRemoved(control);
  if (Contains(control, hintControl_)) CancelHint();
}

void TApplication::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == hintWindow_) hintWindow_ = nullptr;
}

void TApplication::FormDestroyed(TCustomForm* form) {
  if (mainForm_ == form) mainForm_ = nullptr;
}

// ---- hints ----

void TApplication::SetHint(const String& value) {
  if (hint_ == value) return;
  hint_ = value;
  // Raised as the setter's last act.
  (void)RaiseEvent(OnHint, this);
}

THintWindow* TApplication::EnsureHintWindow(const TClass* cls) {
  if (!cls) cls = hintWindowClass_;
  if (hintWindow_ && hintWindow_->ClassType() == cls) return hintWindow_;
  delete hintWindow_;
  hintWindow_ = ObjectAs<THintWindow>(cls->Create(this));
  return hintWindow_;
}

void TApplication::SetShowHint(bool value) {
  if (showHint_ == value) return;
  showHint_ = value;
  if (value) {
    EnsureHintWindow(hintWindowClass_);
  } else {
    CancelHint();
    delete hintWindow_;
    hintWindow_ = nullptr;
  }
}

void TApplication::SetHintWindowClass(const TClass* value) {
  if (hintWindowClass_ == value) return;
  hintWindowClass_ = value;
  if (showHint_) {
    CancelHint();
    EnsureHintWindow(value);
  }
}

void TApplication::StartHintTimer(int pause, bool showing) {
  StopHintTimer();
  hintTimerShows_ = showing;
  hintTimerRunning_ = SetTimer(handle_, kHintTimer, static_cast<UINT>(pause), nullptr) != 0;
  if (!hintTimerRunning_) CancelHint();
}

void TApplication::StopHintTimer() {
  if (!hintTimerRunning_) return;
  KillTimer(handle_, kHintTimer);
  hintTimerRunning_ = false;
}

TRaised TApplication::HintTimerExpired() {
  StopHintTimer();
  if (!hintTimerShows_) {
    HideHint();
    return TRaised(true);
  }
  POINT cursor;
  GetCursorPos(&cursor);
  return ActivateHint(cursor);
}

void TApplication::HintMouseMessage(TControl* control, const TMessage& message) {
  if (!control->Parent() && !control->Is<TWinControl>()) return;
  const POINT point = MessagePoint(message.LParam);
  POINT screen = control->ClientToScreen(point);
  TControl* newHintControl = GetHintControl(FindMouseTarget(control, point));
  if (!newHintControl || !newHintControl->ShowHint() || !showHint_) {
    CancelHint();
    return;
  }
  if (newHintControl == hintControl_ && PtInRect(&hintCursorRect_, screen)) return;
  int pause = hintActive_ ? hintShortPause_ : hintPause_;
  newHintControl->Perform(CM_HINTSHOWPAUSE, hintActive_ ? 1 : 0, reinterpret_cast<LPARAM>(&pause));
  hintControl_ = newHintControl;
  StartHintTimer(pause, true);
}

TRaised TApplication::ActivateHint(POINT cursorPos) {
  hintActive_ = false;
  if (!showHint_ || !hintControl_ || !ForegroundTask() ||
      hintControl_ != GetHintControl(FindDragTarget(cursorPos, false)))
    return TRaised(true);
  TControl* control = hintControl_;
  THintInfo info;
  info.HintControl = control;
  info.HintPos = POINT{cursorPos.x, cursorPos.y + kHintCursorMargin};
  info.HintMaxWidth = Screen ? Screen->Width() : GetSystemMetrics(SM_CXSCREEN);
  info.HintColor = hintColor_;
  info.CursorRect = control->ClientRect();
  info.CursorPos = control->ScreenToClient(cursorPos);
  info.HintStr = GetShortHint(GetHint(control));
  if (auto* link = ObjectAs<TActionLink>(control->ActionLink()); link && !link->DoShowHint(info.HintStr)) {
    HideHint();
    return TRaised(true);
  }
  info.ReshowTimeout = 0;
  info.HideTimeout = hintHidePause_;
  info.HintWindowClass = hintWindowClass_;
  bool canShow = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (canShow && RaiseEvent(OnShowHint, info.HintStr, canShow, info).Gone()) return TRaised(false);
  // A handler may have destroyed the control or cancelled the hint meanwhile.
  hintActive_ = canShow && hintControl_ == control;
  if (!hintActive_ || info.HintStr.empty()) {
    HideHint();
    return TRaised(true);
  }
  THintWindow* window = EnsureHintWindow(info.HintWindowClass);
  RECT rect = window->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  OffsetRect(&rect, info.HintPos.x, info.HintPos.y);
  POINT topLeft = control->ClientToScreen(POINT{info.CursorRect.left, info.CursorRect.top});
  POINT bottomRight = control->ClientToScreen(POINT{info.CursorRect.right, info.CursorRect.bottom});
  hintCursorRect_ = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  window->SetColor(info.HintColor);
  const TLifeWatch life = LifeWatch();
  if (AnswerFor(life, window->ActivateHintData(rect, info.HintStr, info.HintData)).Gone()) return TRaised(false);
  if (info.ReshowTimeout > 0)
    StartHintTimer(info.ReshowTimeout, true);
  else if (info.HideTimeout > 0)
    StartHintTimer(info.HideTimeout, false);
  return TRaised(true);
}

void TApplication::HideHint() {
  if (hintWindow_ && hintWindow_->HandleAllocated() && IsWindowVisible(hintWindow_->Handle()))
    ShowWindow(hintWindow_->Handle(), SW_HIDE);
}

void TApplication::CancelHint() {
  if (!hintControl_) return;
  HideHint();
  hintControl_ = nullptr;
  hintActive_ = false;
  hintCursorRect_ = RECT{};
  StopHintTimer();
}

// ---- help ----

bool TApplication::HelpContext(int context) { return HelpCommand(HELP_CONTEXT, static_cast<ULONG_PTR>(context)); }

bool TApplication::HelpCommand(WORD command, ULONG_PTR data) {
  bool callHelp = true;
  bool result = false;
  if (RaiseEventInto(result, OnHelp, command, data, callHelp).Gone()) return result;
  if (callHelp && !helpFile_.empty()) result = WinHelpW(handle_, helpFile_.c_str(), command, data) != 0;
  return result;
}

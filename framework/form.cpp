#include "framework/form.h"

#include <algorithm>

#include "framework/actions.h"
#include "framework/application.h"
#include "framework/exception_hook.h"
#include "framework/menus.h"
#include "framework/screen.h"

namespace {

// Rises with every focus change; a focus message whose handler moved the focus elsewhere sees it changed.
int focusCount = 0;

bool SendFocusMessage(HWND wnd, UINT msg) {
  int count = focusCount;
  SendMessageW(wnd, msg, 0, 0);
  return focusCount == count;
}

constexpr int kShowCommands[] = {SW_SHOWNORMAL, SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED};

int ShowCommand(TWindowState state) { return kShowCommands[static_cast<int>(state)]; }

// The windows a modal form disables while it runs, enabled again afterwards.
struct TTaskWindows {
  HWND Active = nullptr;
  std::vector<HWND> Disabled;
};

BOOL CALLBACK DisableTaskWindow(HWND wnd, LPARAM data) {
  auto* windows = reinterpret_cast<TTaskWindows*>(data);
  if (wnd != windows->Active && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) {
    windows->Disabled.push_back(wnd);
    EnableWindow(wnd, FALSE);
  }
  return TRUE;
}

bool OfferAction(TControl* control, TBasicAction* action, bool execute) {
  return control && (execute ? control->ExecuteAction(action) : control->UpdateAction(action));
}

bool OfferActionToChildren(TWinControl* container, TBasicAction* action, bool execute) {
  for (int i = 0; i < container->ControlCount(); ++i) {
    TControl* control = container->Controls(i);
    if (!control->Visible()) continue;
    if (OfferAction(control, action, execute)) return true;
    if (auto* winControl = ObjectAs<TWinControl>(control);
        winControl && OfferActionToChildren(winControl, action, execute))
      return true;
  }
  return false;
}

}  // namespace

TCustomForm* GetParentForm(const TControl* control) {
  if (!control) return nullptr;
  while (control->Parent()) control = control->Parent();
  return ObjectAs<TCustomForm>(const_cast<TControl*>(control));
}

TCustomForm* ValidParentForm(const TControl* control) {
  TCustomForm* form = GetParentForm(control);
  if (!form) throw EInvalidOperation(Format(L"Control '%s' has no parent window", {control->Name()}));
  return form;
}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
  formState_ += TFormStateItem::fsCreating;
  SetControlStyle({TControlStyleItem::csAcceptsControls, TControlStyleItem::csCaptureMouse,
                   TControlStyleItem::csClickEvents, TControlStyleItem::csSetCaption,
                   TControlStyleItem::csDoubleClicks});
  // Nothing handles the events of a form in the making.
  (void)SetVisible(false);
  (void)SetBounds(0, 0, 320, 240);
  SetColor(clBtnFace);
  SetParentFont(false);
  if (Screen) Screen->AddForm(this);
  formState_ -= TFormStateItem::fsCreating;
}

TCustomForm::~TCustomForm() {
  Destroying();
  if (Application) Application->FormDestroyed(this);
  // The screen's OnActiveFormChange may raise: nothing may leave a destructor.
  if (Screen) ReportFailures([this] { return Screen->RemoveForm(this); });
  // The children go while the form is still a form, so their focus and window bookkeeping finds it.
  DestroyControls();
  if (WindowHandle()) (void)DestroyHandle();
}

// ---- storing ----

void TCustomForm::GetChildren(const TGetChildProc& proc, TComponent* root) {
  TWinControl::GetChildren(proc, root);
  if (root != this) return;
  for (int i = 0; i < ComponentCount(); ++i)
    if (!Components(i)->HasParent()) proc(Components(i));
}

const TPublishedTable& TCustomForm::PublishedTable() const {
  using P = TPublished<TCustomForm>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Integer(L"Width", &TControl::Width, &TControl::SetWidth).Stored(false),
          P::Integer(L"Height", &TControl::Height, &TControl::SetHeight).Stored(false),
          P::Integer(L"ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth),
          P::Integer(L"ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight),
          ControlProperty(L"Caption"),
          P::Color(L"Color", &TControl::Color, &TControl::SetColor).Default(clBtnFace),
          ControlProperty(L"Font"),
          P::Boolean(L"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(false),
          ControlProperty(L"Enabled"),
          ControlProperty(L"ShowHint"),
          ControlProperty(L"PopupMenu"),
          ControlProperty(L"BiDiMode"),
          ControlProperty(L"Constraints"),
          P::Set(L"BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons,
                 {L"biSystemMenu", L"biMinimize", L"biMaximize", L"biHelp"})
              .Default(TBorderIcons{TBorderIcon::biSystemMenu, TBorderIcon::biMinimize, TBorderIcon::biMaximize}),
          P::Enumeration(L"BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle,
                         {L"bsNone", L"bsSingle", L"bsSizeable", L"bsDialog", L"bsToolWindow", L"bsSizeToolWin"})
              .Default(TFormBorderStyle::bsSizeable),
          P::Enumeration(L"FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle,
                         {L"fsNormal", L"fsMDIChild", L"fsMDIForm", L"fsStayOnTop"})
              .Default(TFormStyle::fsNormal),
          P::Enumeration(L"WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState,
                         {L"wsNormal", L"wsMinimized", L"wsMaximized"})
              .Default(TWindowState::wsNormal),
          P::Boolean(L"KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview).Default(false),
          P::Boolean(L"Visible", &TControl::Visible, &TControl::SetVisible).Default(false),
          ControlProperty(L"OnClick"),
          ControlProperty(L"OnDblClick"),
          ControlProperty(L"OnMouseDown"),
          ControlProperty(L"OnMouseMove"),
          ControlProperty(L"OnMouseUp"),
          ControlProperty(L"OnMouseWheel"),
          ControlProperty(L"OnResize"),
          ControlProperty(L"OnKeyDown"),
          ControlProperty(L"OnKeyPress"),
          ControlProperty(L"OnKeyUp"),
          P::Event(
              L"OnCreate", [](TCustomForm* f) { return f->OnCreate; },
              [](TCustomForm* f, TNotifyEvent e) { f->OnCreate = e; }),
          P::Event(
              L"OnActivate", [](TCustomForm* f) { return f->OnActivate; },
              [](TCustomForm* f, TNotifyEvent e) { f->OnActivate = e; }),
          P::Event(
              L"OnDeactivate", [](TCustomForm* f) { return f->OnDeactivate; },
              [](TCustomForm* f, TNotifyEvent e) { f->OnDeactivate = e; }),
          P::Event(
              L"OnShow", [](TCustomForm* f) { return f->OnShow; },
              [](TCustomForm* f, TNotifyEvent e) { f->OnShow = e; }),
          P::Event(
              L"OnHide", [](TCustomForm* f) { return f->OnHide; },
              [](TCustomForm* f, TNotifyEvent e) { f->OnHide = e; }),
          P::Event(
              L"OnClose", [](TCustomForm* f) { return f->OnClose; },
              [](TCustomForm* f, TCloseEvent e) { f->OnClose = e; }),
          P::Event(
              L"OnCloseQuery", [](TCustomForm* f) { return f->OnCloseQuery; },
              [](TCustomForm* f, TCloseQueryEvent e) { f->OnCloseQuery = e; }),
      });
  return table;
}

// ---- style ----

TRaised TCustomForm::SetFormStyle(TFormStyle value) {
  if (formStyle_ == value) return TRaised(true);
  formStyle_ = value;
  RecreateWnd();
  return value == TFormStyle::fsMDIChild ? SetVisible(true) : TRaised(true);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
  if (borderStyle_ == value) return;
  borderStyle_ = value;
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons value) {
  if (borderIcons_ == value) return;
  borderIcons_ = value;
  RecreateWnd();
}

void TCustomForm::SetWindowState(TWindowState value) {
  if (windowState_ == value) return;
  windowState_ = value;
  if (Showing()) ShowWindow(Handle(), ShowCommand(value));
}

void TCustomForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  if (!Parent() && !ParentWindow()) {
    params.WndParent = Application ? Application->Handle() : nullptr;
    params.Style &= ~(WS_CHILD | WS_GROUP | WS_TABSTOP);
  }
  params.WindowClass.style = CS_DBLCLKS;
  TFormBorderStyle style = borderStyle_;
  if (formStyle_ == TFormStyle::fsMDIChild) {
    if (style == TFormBorderStyle::bsNone || style == TFormBorderStyle::bsDialog) style = TFormBorderStyle::bsSizeable;
    params.WindowClass.lpfnWndProc = DefMDIChildProcW;
  }
  switch (style) {
    case TFormBorderStyle::bsNone:
      if (!Parent() && !ParentWindow()) params.Style |= WS_POPUP;
      break;
    case TFormBorderStyle::bsSingle:
    case TFormBorderStyle::bsToolWindow:
      params.Style |= WS_CAPTION | WS_BORDER;
      break;
    case TFormBorderStyle::bsSizeable:
    case TFormBorderStyle::bsSizeToolWin:
      params.Style |= WS_CAPTION | WS_THICKFRAME;
      break;
    case TFormBorderStyle::bsDialog:
      params.Style |= WS_POPUP | WS_CAPTION;
      params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      params.WindowClass.style |= CS_SAVEBITS;
      break;
  }
  if (style == TFormBorderStyle::bsToolWindow || style == TFormBorderStyle::bsSizeToolWin)
    params.ExStyle |= WS_EX_TOOLWINDOW;
  TBorderIcons icons = borderIcons_;
  switch (style) {
    case TFormBorderStyle::bsNone:
      icons = TBorderIcons();
      break;
    case TFormBorderStyle::bsDialog:
      icons = icons * TBorderIcons{TBorderIcon::biSystemMenu, TBorderIcon::biHelp};
      break;
    case TFormBorderStyle::bsToolWindow:
    case TFormBorderStyle::bsSizeToolWin:
      icons = icons * TBorderIcons{TBorderIcon::biSystemMenu};
      break;
    default:
      break;
  }
  if (style == TFormBorderStyle::bsSingle || style == TFormBorderStyle::bsSizeable ||
      style == TFormBorderStyle::bsNone) {
    if (formStyle_ != TFormStyle::fsMDIChild || icons.Contains(TBorderIcon::biSystemMenu)) {
      if (icons.Contains(TBorderIcon::biMinimize)) params.Style |= WS_MINIMIZEBOX;
      if (icons.Contains(TBorderIcon::biMaximize)) params.Style |= WS_MAXIMIZEBOX;
    }
    if (windowState_ == TWindowState::wsMinimized) params.Style |= WS_MINIMIZE;
    if (windowState_ == TWindowState::wsMaximized) params.Style |= WS_MAXIMIZE;
  } else {
    windowState_ = TWindowState::wsNormal;
  }
  if (icons.Contains(TBorderIcon::biSystemMenu)) params.Style |= WS_SYSMENU;
  if (icons.Contains(TBorderIcon::biHelp) &&
      (style == TFormBorderStyle::bsDialog ||
       (!icons.Contains(TBorderIcon::biMinimize) && !icons.Contains(TBorderIcon::biMaximize))))
    params.ExStyle |= WS_EX_CONTEXTHELP;
  if (formStyle_ == TFormStyle::fsStayOnTop) params.ExStyle |= WS_EX_TOPMOST;
}

HWND TCustomForm::FrameClientWindow() const {
  if (Application && Application->MainForm() && Application->MainForm()->ClientHandle())
    return Application->MainForm()->ClientHandle();
  if (Screen) {
    for (int i = 0; i < Screen->FormCount(); ++i)
      if (HWND client = Screen->Forms(i)->ClientHandle()) return client;
  }
  return nullptr;
}

TRaised TCustomForm::CreateWindowHandle(const TCreateParams& params) {
  if (formStyle_ != TFormStyle::fsMDIChild) return TWinControl::CreateWindowHandle(params);
  HWND client = FrameClientWindow();
  if (!client) throw EInvalidOperation(L"Cannot create form. No MDI forms are currently active");
  MDICREATESTRUCTW create{};
  create.szClass = params.WinClassName.c_str();
  create.szTitle = params.Caption.c_str();
  create.hOwner = params.WindowClass.hInstance;
  create.x = params.X;
  create.y = params.Y;
  create.cx = params.Width;
  create.cy = params.Height;
  create.style = params.Style & ~WS_CHILD;
  create.lParam = reinterpret_cast<LPARAM>(params.Param);
  const TLifeWatch life = LifeWatch();
  SendMessageW(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create));
  if (life.Ended()) return TRaised(false);
  if (WindowHandle()) {
    mdiParentClient_ = client;
    formState_ += TFormStateItem::fsCreatedMDIChild;
  }
  return TRaised(true);
}

TRaised TCustomForm::CreateWnd() {
  if (TWinControl::CreateWnd().Gone()) return TRaised(false);
  if (formStyle_ != TFormStyle::fsMDIForm) return TRaised(true);
  CLIENTCREATESTRUCT create{};
  create.idFirstChild = 0xFF00;
  RECT client = ClientRect();
  clientHandle_ =
      CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                      WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL |
                          WS_CLIPSIBLINGS | MDIS_ALLCHILDSTYLES,
                      0, 0, client.right, client.bottom, WindowHandle(), nullptr, GetModuleHandleW(nullptr), &create);
  return TRaised(true);
}

void TCustomForm::DestroyWindowHandle() {
  if (formState_.Contains(TFormStateItem::fsCreatedMDIChild) && mdiParentClient_ && IsWindow(mdiParentClient_)) {
    SendMessageW(mdiParentClient_, WM_MDIDESTROY, reinterpret_cast<WPARAM>(WindowHandle()), 0);
    formState_ -= TFormStateItem::fsCreatedMDIChild;
    mdiParentClient_ = nullptr;
    TWinControl::DestroyWindowHandle();
    return;
  }
  const TLifeSince life(LifeWatch());
  TWinControl::DestroyWindowHandle();
  if (!life.Ended()) clientHandle_ = nullptr;
}

TRaised TCustomForm::AlignControls(TControl* control, RECT& rect) {
  if (TWinControl::AlignControls(control, rect).Gone()) return TRaised(false);
  // The MDI client takes whatever the aligned controls leave.
  if (clientHandle_)
    SetWindowPos(clientHandle_, HWND_BOTTOM, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  return TRaised(true);
}

void TCustomForm::DefaultHandler(TMessage& message) {
  HWND wnd = WindowHandle();
  if (wnd && clientHandle_ && message.Msg < CM_BASE) {
    message.Result = DefFrameProcW(wnd, clientHandle_, message.Msg, message.WParam, message.LParam);
    return;
  }
  TWinControl::DefaultHandler(message);
}

// ---- showing and closing ----

TRaised TCustomForm::Show() {
  // OnShow, and OnActivate as the window shows, may free the form.
  if (SetVisible(true).Gone()) return TRaised(false);
  const TLifeWatch life = LifeWatch();
  BringToFront();
  return TRaised(!life.Ended());
}

TRaised TCustomForm::DoCreate() { return RaiseEvent(OnCreate, this); }

TRaised TCustomForm::DoShow() { return RaiseEvent(OnShow, this); }

TRaised TCustomForm::DoHide() { return RaiseEvent(OnHide, this); }

void TCustomForm::CMShowingChanged(TMessage& message) {
  (void)message;
  if (formState_.Contains(TFormStateItem::fsShowing))
    throw EInvalidOperation(L"Cannot change Visible in OnShow or OnHide");
  // OnShow, OnHide, and OnActivate as the window shows, may free the form: nothing of it is touched then.
  const TLifeWatch life = LifeWatch();
  const bool show = Showing();
  formState_ += TFormStateItem::fsShowing;
  try {
    try {
      show ? DoShow() : DoHide();
    } catch (...) {
      if (Application) Application->HandleException(life.Ended() ? nullptr : this);
    }
    if (!life.Ended()) ShowWindow(WindowHandle(), show ? ShowCommand(windowState_) : SW_HIDE);
    if (!life.Ended() && show && formStyle_ == TFormStyle::fsMDIChild && mdiParentClient_)
      SendMessageW(mdiParentClient_, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(WindowHandle()), 0);
  } catch (...) {
    formState_ -= TFormStateItem::fsShowing;
    throw;
  }
  if (!life.Ended()) formState_ -= TFormStateItem::fsShowing;
}

TRaised TCustomForm::DoClose(TCloseAction& action) { return RaiseEvent(OnClose, this, action); }

TRaised TCustomForm::CloseQuery(bool& canClose) {
  canClose = true;
  if (formStyle_ == TFormStyle::fsMDIForm) {
    // A child's OnCloseQuery may free the frame: it closes no further then.
    const TLifeWatch life = LifeWatch();
    for (int i = 0; i < MDIChildCount(); ++i) {
      const bool freed = MDIChildren(i)->CloseQuery(canClose).Gone();
      if (life.Ended()) return TRaised(false);
      if (freed || !canClose) {
        canClose = false;
        return TRaised(true);
      }
    }
  }
  return RaiseEvent(OnCloseQuery, this, canClose);
}

TRaised TCustomForm::Close() {
  if (formState_.Contains(TFormStateItem::fsModal)) {
    modalResult_ = mrCancel;
    return TRaised(true);
  }
  // OnCloseQuery and OnClose may free the form (caFree and Release are the way that waits for their end): nothing
  // of it is touched then.
  bool canClose = true;
  if (const TRaised raised = CloseQuery(canClose); raised.Gone() || !canClose) return raised;
  TCloseAction action = TCloseAction::caHide;
  if (formStyle_ == TFormStyle::fsMDIChild)
    action = borderIcons_.Contains(TBorderIcon::biMinimize) ? TCloseAction::caMinimize : TCloseAction::caNone;
  if (const TRaised raised = DoClose(action); raised.Gone() || action == TCloseAction::caNone) return raised;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
  } else if (action == TCloseAction::caHide) {
    return Hide();
  } else if (action == TCloseAction::caMinimize) {
    const TLifeWatch life = LifeWatch();
    SetWindowState(TWindowState::wsMinimized);
    return TRaised(!life.Ended());
  } else {
    Release();
  }
  return TRaised(true);
}

void TCustomForm::Release() { PostMessageW(Handle(), CM_RELEASE, 0, 0); }

TRaised TCustomForm::CloseModal() {
  const TLifeWatch life = LifeWatch();
  try {
    TCloseAction action = TCloseAction::caNone;
    bool canClose = true;
    if (CloseQuery(canClose).Alive() && canClose) {
      action = TCloseAction::caHide;
      if (DoClose(action).Gone()) return TRaised(false);
    }
    // OnCloseQuery and OnClose may free the form.
    if (life.Ended()) return TRaised(false);
    if (action == TCloseAction::caNone)
      modalResult_ = mrNone;
    else if (action == TCloseAction::caFree)
      Release();
  } catch (...) {
    // The handler that raised may have freed the form first.
    if (!life.Ended()) modalResult_ = mrNone;
    if (Application) Application->HandleException(life.Ended() ? nullptr : this);
  }
  return TRaised(!life.Ended());
}

TModalResult TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || formState_.Contains(TFormStateItem::fsModal) || formStyle_ == TFormStyle::fsMDIChild)
    throw EInvalidOperation(L"Cannot make a visible window modal");
  if (HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  formState_ += TFormStateItem::fsModal;
  HWND activeWindow = GetActiveWindow();
  // The form that had the focus may go while the loop runs (closed with caFree by its own timer, say): it is
  // given back only if it lives.
  TCustomForm* savedFocusedForm = Screen ? Screen->FocusedForm() : nullptr;
  const TLifeWatch savedFocusedLife = savedFocusedForm ? savedFocusedForm->LifeWatch() : TLifeWatch();
  if (Screen) Screen->SetFocusedForm(this);
  const TLifeWatch life = LifeWatch();
  TTaskWindows windows;
  TModalResult result = mrNone;
  auto restore = [&] {
    for (HWND wnd : windows.Disabled)
      if (IsWindow(wnd)) EnableWindow(wnd, TRUE);
    if (Screen) Screen->SetFocusedForm(savedFocusedLife.Ended() ? nullptr : savedFocusedForm);
    if (activeWindow && IsWindow(activeWindow)) SetActiveWindow(activeWindow);
    if (!life.Ended()) formState_ -= TFormStateItem::fsModal;
    if (Application) Application->ModalLoopEnded();
  };
  // Making the form's window raises its handlers (OnResize as the window gets its size), and so does disabling the
  // other windows (a window procedure that hears its window disabled): either may free the form, which then
  // shows nothing.
  windows.Active = Handle();
  if (!life.Ended()) EnumThreadWindows(GetCurrentThreadId(), DisableTaskWindow, reinterpret_cast<LPARAM>(&windows));
  if (life.Ended()) {
    restore();
    return mrCancel;
  }
  try {
    result = RunModal(life, activeWindow);
  } catch (...) {
    // The handler that raised may have freed the form first. Hiding it is the failed loop's last act on it.
    if (!life.Ended() && HandleAllocated()) (void)Hide();
    restore();
    throw;
  }
  restore();
  return result;
}

TModalResult TCustomForm::RunModal(const TLifeWatch& life, HWND& activeWindow) {
  if (Show().Gone()) return mrCancel;
  SendMessageW(Handle(), CM_ACTIVATE, 0, 0);
  if (life.Ended()) return mrCancel;
  modalResult_ = mrNone;
  do {
    if (AnswerFor(life, Application->HandleMessage()).Gone()) return mrCancel;
    if (Application->Terminated()) {
      modalResult_ = mrCancel;
    } else if (const TModalResult chosen = modalResult_; chosen != mrNone) {
      if (CloseModal().Gone()) return chosen;
    }
  } while (modalResult_ == mrNone);
  const TModalResult result = modalResult_;
  SendMessageW(Handle(), CM_DEACTIVATE, 0, 0);
  if (life.Ended()) return result;
  if (GetActiveWindow() != Handle()) activeWindow = nullptr;
  // The loop's last act on the form: the result stands whatever OnHide does.
  (void)Hide();
  return result;
}

// ---- activation and focus ----

TRaised TCustomForm::Activate() { return RaiseEvent(OnActivate, this); }

TRaised TCustomForm::Deactivate() { return RaiseEvent(OnDeactivate, this); }

TRaised TCustomForm::SetActive(bool value) {
  active_ = value;
  if (!value) return TRaised(true);
  if (!activeControl_) activeControl_ = FindNextControl(nullptr, true, true, false);
  return SetWindowFocus();
}

TRaised TCustomForm::SetWindowFocus() {
  // Making the control's window, and focusing it (which activates the form when it was not active), raise
  // handlers that may free the form.
  const TLifeWatch life = LifeWatch();
  HWND focus = activeControl_ ? activeControl_->Handle() : Handle();
  if (life.Ended()) return TRaised(false);
  if (!focus) return TRaised(true);
  ::SetFocus(focus);
  if (life.Ended()) return TRaised(false);
  if (Screen && Screen->ActiveControl() == activeControl_ && activeControl_) activeControl_->Update();
  return TRaised(true);
}

TRaised TCustomForm::SetActiveControl(TWinControl* control) {
  if (activeControl_ == control) return TRaised(true);
  if (control && (control == this || GetParentForm(control) != this || (!IsLoading() && !control->CanFocus())))
    throw EInvalidOperation(L"Cannot focus a disabled or invisible window");
  activeControl_ = control;
  return !IsLoading() && active_ ? SetWindowFocus() : TRaised(true);
}

TRaised TCustomForm::FocusControl(TWinControl* control) {
  bool wasActive = active_;
  if (SetActiveControl(control).Gone()) return TRaised(false);
  return wasActive ? TRaised(true) : SetFocus();
}

TRaised TCustomForm::SetFocus() {
  if (active_) return TRaised(true);
  if (!Visible() || !Enabled()) throw EInvalidOperation(L"Cannot focus a disabled or invisible window");
  return SetWindowFocus();
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing) {
  if (removing && control->ContainsControl(focusedControl_)) {
    // The record passes over a parent whose deletion has begun (a box freeing its focused child): that parent would
    // hear OnExit as the focus moves on.
    focusedControl_ = control->Parent();
    while (focusedControl_ && focusedControl_ != this && focusedControl_->IsDestroying())
      focusedControl_ = focusedControl_->Parent();
  }
  if (control->ContainsControl(activeControl_)) activeControl_ = nullptr;
}

bool TCustomForm::SetFocusedControl(TWinControl* control) {
  // Freeing the focused child of a form that is going moves the focus to the form's window: the form must not
  // become the screen's active form again then, or the screen would name it after it is gone.
  if (IsDestroying()) return true;
  // Nor is a control whose deletion has begun recorded, which the focus reaches when a child it frees goes first
  // (a box freed around the focused control): the screen and the handlers of the focus (the child's OnExit among
  // them) would hear of what goes as if it lived.
  for (TWinControl* going = control; going && going != this; going = going->Parent())
    if (going->IsDestroying()) return true;
  // The platform gives the form's own window the focus on the form's behalf (restoring it from minimized, say):
  // the form passes it on to its active control rather than forget that control. A minimized form keeps the focus
  // on its window, and the control for when it is restored; an MDI frame's handling passes it on to the active
  // child.
  const bool keepActiveControl =
      control == this && activeControl_ && activeControl_->CanFocus() && formStyle_ != TFormStyle::fsMDIForm;
  if (keepActiveControl && !IsIconic(Handle())) {
    // The focus moved on is the end of this one, whether or not the form outlived it.
    if (SetWindowFocus().Gone()) return false;
    return false;
  }
  ++focusCount;
  if (!keepActiveControl) activeControl_ = control != this ? control : nullptr;
  // A handler of the screen's or of the focus messages (OnActiveFormChange, OnEnter, OnExit) may free the control
  // or the form, or move the control to another form: the focus then stays where the handler put it, and nothing
  // of either is touched again (the form records nothing of another form's controls, whose end it never hears of).
  const TLifeWatch life = LifeWatch();
  const TLifeWatch controlLife = control->LifeWatch();
  const auto ours = [&] { return !life.Ended() && !controlLife.Ended() && GetParentForm(control) == this; };
  if (Screen && Screen->SetActive(this, control).Gone()) return false;
  if (!ours()) return false;
  if (control->ControlState().Contains(TControlStateItem::csFocusing)) return false;
  control->SetControlState(control->ControlState() + TControlStateItem::csFocusing);
  struct TFocusingGuard {
    TWinControl* Control;
    const TLifeWatch& Life;
    ~TFocusingGuard() {
      if (!Life.Ended()) Control->SetControlState(Control->ControlState() - TControlStateItem::csFocusing);
    }
  } guard{control, controlLife};
  const auto send = [&ours](HWND wnd, UINT msg) { return SendFocusMessage(wnd, msg) && ours(); };

  if (Screen && Screen->FocusedForm() != this) {
    if (TCustomForm* previous = Screen->FocusedForm()) {
      Screen->SetFocusedForm(nullptr);
      if (previous->HandleAllocated() && !send(previous->Handle(), CM_DEACTIVATE)) return false;
    }
    Screen->SetFocusedForm(this);
    if (!send(Handle(), CM_ACTIVATE)) return false;
  }
  if (!focusedControl_) focusedControl_ = this;
  if (focusedControl_ == control) return true;
  // Out of the controls that do not hold the control, then down into those that do. A handler of a step (OnExit,
  // OnEnter, the screen's) may move a control on the way to another parent of this form without the focus moving:
  // each step looks for the way anew from where the focus now is.
  while (focusedControl_ != control) {
    if (focusedControl_ && !focusedControl_->ContainsControl(control)) {
      HWND wnd = focusedControl_->Handle();
      focusedControl_ = focusedControl_->Parent();
      if (!send(wnd, CM_EXIT)) return false;
      continue;
    }
    TWinControl* next = control;
    while (next->Parent() != focusedControl_) next = next->Parent();
    focusedControl_ = next;
    if (!send(next->Handle(), CM_ENTER)) return false;
  }
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
  return true;
}

// ---- keys ----

TRaised TCustomForm::IsShortCut(TMessage& message, bool& handled) {
  handled = false;
  const TRaised raised = RaiseEvent(OnShortCut, message, handled);
  if (raised.Gone() || handled) return raised;
  // The actions of the form's action lists answer their short-cuts.
  TShortCut shortCut = ::ShortCut(static_cast<WORD>(message.WParam), KeyDataToShiftState(message.LParam));
  for (int i = 0; i < ComponentCount(); ++i) {
    auto* list = ObjectAs<TActionList>(Components(i));
    if (!list) continue;
    for (int j = 0; j < list->ActionCount(); ++j) {
      auto* action = ObjectAs<TCustomAction>(list->Actions(j));
      if (action && action->ShortCut() != 0 && action->ShortCut() == shortCut) {
        // The action's handler may free the form.
        const TLifeWatch life = LifeWatch();
        handled = action->Execute();
        return TRaised(!life.Ended());
      }
    }
  }
  return raised;
}

void TCustomForm::MouseWheelHandler(TMessage& message) {
  if (focusedControl_ && focusedControl_ != this)
    message.Result = focusedControl_->Perform(CM_MOUSEWHEEL, message.WParam, message.LParam);
  else
    TWinControl::MouseWheelHandler(message);
}

void TCustomForm::CMDialogKey(TMessage& message) {
  if (GetKeyState(VK_MENU) >= 0) {
    switch (message.WParam) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          message.Result = 1;
          if (SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0, true).Gone()) return;
          return;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (activeControl_ && activeControl_->Parent()) {
          message.Result = 1;
          if (activeControl_->Parent()
                  ->SelectNext(activeControl_, message.WParam == VK_RIGHT || message.WParam == VK_DOWN, false)
                  .Gone())
            return;
        }
        return;
      default:
        break;
    }
  }
  Broadcast(message);
}

void TCustomForm::WMSysCommand(TMessage& message) {
  // Alt and Alt+letter reach the form as the keyboard menu command; controls that take menu events (a menu bar)
  // are offered it first, the first one that answers ends it.
  if ((message.WParam & 0xFFF0) == SC_KEYMENU && GetCapture() == nullptr) {
    std::vector<TWinControl*> controls;
    GetTabOrderList(controls);
    for (TWinControl* control : controls) {
      if (!control->ControlStyle().Contains(TControlStyleItem::csMenuEvents) || !control->Showing() ||
          !control->Enabled())
        continue;
      message.Result = control->Perform(message.Msg, message.WParam, message.LParam);
      if (message.Result != 0) return;
    }
  }
  DefaultHandler(message);
}

void TCustomForm::WMGetMinMaxInfo(TMessage& message) {
  // The constraints hold for the user's sizing too, not only for the program's.
  auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
  const TSizeConstraints* limits = Constraints();
  if (limits->MinWidth() > 0) info->ptMinTrackSize.x = limits->MinWidth();
  if (limits->MinHeight() > 0) info->ptMinTrackSize.y = limits->MinHeight();
  if (limits->MaxWidth() > 0) info->ptMaxTrackSize.x = limits->MaxWidth();
  if (limits->MaxHeight() > 0) info->ptMaxTrackSize.y = limits->MaxHeight();
  message.Result = 0;
}

void TCustomForm::WMHelp(TMessage& message) {
  // F1 over a window asks for the help context of its control, or of the nearest parent that has one; a form
  // with the help border icon shows it as a pop-up.
  auto* info = reinterpret_cast<const HELPINFO*>(message.LParam);
  message.Result = 1;
  if (!info || info->iContextType != HELPINFO_WINDOW || !Application) return;
  TControl* control = FindControl(static_cast<HWND>(info->hItemHandle));
  while (control && control->HelpContext() == 0) control = control->Parent();
  if (!control) return;
  int context = control->HelpContext();
  if (borderIcons_.Contains(TBorderIcon::biHelp))
    Application->HelpCommand(HELP_CONTEXTPOPUP, static_cast<ULONG_PTR>(context));
  else
    Application->HelpContext(context);
}

void TCustomForm::WMSize(TMessage& message) {
  switch (message.WParam) {
    case SIZE_MINIMIZED:
      windowState_ = TWindowState::wsMinimized;
      break;
    case SIZE_MAXIMIZED:
      windowState_ = TWindowState::wsMaximized;
      break;
    case SIZE_RESTORED:
      windowState_ = TWindowState::wsNormal;
      break;
    default:
      break;
  }
  TWinControl::Dispatch(message);
}

void TCustomForm::CMAction(TMessage& message) {
  auto* action = reinterpret_cast<TBasicAction*>(message.LParam);
  bool execute = message.Msg == CM_ACTIONEXECUTE;
  message.Result = action && (OfferAction(activeControl_, action, execute) || OfferAction(this, action, execute) ||
                              OfferActionToChildren(this, action, execute));
}

bool SendActionToForms(TBasicAction* action, bool execute) {
  UINT msg = execute ? CM_ACTIONEXECUTE : CM_ACTIONUPDATE;
  auto lParam = reinterpret_cast<LPARAM>(action);
  TCustomForm* active = Screen ? Screen->ActiveForm() : nullptr;
  if (active && active->Perform(msg, 0, lParam) == 1) return true;
  TCustomForm* main = Application ? Application->MainForm() : nullptr;
  return main && main != active && main->Perform(msg, 0, lParam) == 1;
}

void TCustomForm::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_ACTIVATE:
      // The form gives the focus to its active control itself: the default handling would move it on to the
      // form's window, and the form would forget the control. An MDI frame leaves it to the frame's handling,
      // which passes it on to the active child.
      if (formStyle_ == TFormStyle::fsMDIForm)
        DefaultHandler(message);
      else if (SetActive(LOWORD(message.WParam) != WA_INACTIVE).Gone())
        return;
      return;
    case WM_MDIACTIVATE:
      DefaultHandler(message);
      if (formStyle_ == TFormStyle::fsMDIChild && SetActive(reinterpret_cast<HWND>(message.LParam) == WindowHandle()).Gone())
        return;
      return;
    case WM_CLOSE:
      if (Close().Gone()) return;
      return;
    case WM_SYSCOMMAND:
      WMSysCommand(message);
      return;
    case WM_SIZE:
      WMSize(message);
      return;
    case WM_GETMINMAXINFO:
      DefaultHandler(message);
      WMGetMinMaxInfo(message);
      return;
    case WM_HELP:
      WMHelp(message);
      return;
    case CM_ACTIVATE:
      if (Activate().Gone()) return;
      return;
    case CM_DEACTIVATE:
      if (Deactivate().Gone()) return;
      return;
    case CM_DIALOGKEY:
      CMDialogKey(message);
      return;
    case CM_ACTIONEXECUTE:
    case CM_ACTIONUPDATE:
      CMAction(message);
      return;
    case CM_SHOWINGCHANGED:
      CMShowingChanged(message);
      return;
    case CM_RELEASE:
      delete this;
      return;
    default:
      TWinControl::Dispatch(message);
      return;
  }
}

// ---- MDI ----

int TCustomForm::MDIChildCount() const {
  if (formStyle_ != TFormStyle::fsMDIForm || !Screen) return 0;
  int count = 0;
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (Screen->Forms(i)->FormStyle() == TFormStyle::fsMDIChild) ++count;
  return count;
}

TCustomForm* TCustomForm::MDIChildren(int index) const {
  if (formStyle_ != TFormStyle::fsMDIForm || !Screen || index < 0) return nullptr;
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TCustomForm* form = Screen->Forms(i);
    if (form->FormStyle() == TFormStyle::fsMDIChild && index-- == 0) return form;
  }
  return nullptr;
}

TCustomForm* TCustomForm::ActiveMDIChild() const {
  if (formStyle_ != TFormStyle::fsMDIForm || !clientHandle_) return nullptr;
  auto active = reinterpret_cast<HWND>(SendMessageW(clientHandle_, WM_MDIGETACTIVE, 0, 0));
  return ObjectAs<TCustomForm>(FindControl(active));
}

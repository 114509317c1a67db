// TCustomForm, a top-level window built in code (no form resource): frame and border icons, MDI frame and child
// styles, window state, the focused control with the CM_EXIT/CM_ENTER chain, the dialog-key pipeline with key
// preview, menu keys offered to controls that take menu events, closing and modal showing.
#pragma once

#include <vector>

#include "framework/win_control.h"

enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon, 4>;
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild };
using TFormState = TSet<TFormStateItem, 8>;

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;
constexpr TModalResult mrAll = mrNo + 1;
constexpr TModalResult mrNoToAll = mrAll + 1;
constexpr TModalResult mrYesToAll = mrNoToAll + 1;

using TCloseEvent = TDelegate<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TDelegate<void(TObject* Sender, bool& CanClose)>;
// A key message (WParam the key, LParam the key data) the form may take as a short-cut.
using TShortCutEvent = TDelegate<void(TMessage& Msg, bool& Handled)>;

class TCustomForm : public TWinControl {
  BC_CLASS(TCustomForm, TWinControl)
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;
  // A form stores its client size instead of its outer size.
  const TPublishedTable& PublishedTable() const override;
  // The controls on the form, then the form's components that have no parent (menus, image lists, timers).
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

  TFormStyle FormStyle() const { return formStyle_; }
  [[nodiscard]] TRaised SetFormStyle(TFormStyle value);
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle value);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons value);
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState value);
  TFormState FormState() const { return formState_; }

  // The control that has, or gets when the form is activated, the focus. Raises EInvalidOperation "Cannot focus
  // a disabled or invisible window" for a control of another form or one that cannot take the focus.
  TWinControl* ActiveControl() const { return activeControl_; }
  // The focus moves raise OnExit, OnEnter and the form's activation, which may free the form: these answer
  // whether it outlived them.
  [[nodiscard]] TRaised SetActiveControl(TWinControl* control);
  [[nodiscard]] TRaised FocusControl(TWinControl* control);
  // Called when a window of the form got the focus: sends CM_DEACTIVATE/CM_ACTIVATE between forms, CM_EXIT from
  // the old focus up to the common parent and CM_ENTER down to the new one, then broadcasts CM_FOCUSCHANGED.
  // False when a handler moved the focus elsewhere meanwhile.
  bool SetFocusedControl(TWinControl* control);
  // Takes the focus record off control (and, when removing, off its children).
  void DefocusControl(TWinControl* control, bool removing);
  bool Active() const { return active_; }
  TRaised SetFocus() override;

  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool value) { keyPreview_ = value; }
  // Whether the key message is one of the form's short-cuts: OnShortCut, then the actions of the action lists
  // the form owns.
  // handled: the short-cut was taken.
  virtual TRaised IsShortCut(TMessage& message, bool& handled);
  void MouseWheelHandler(TMessage& message) override;

  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  // Shows the form and runs the message loop until ModalResult is set or the application ends. Raises
  // EInvalidOperation "Cannot make a visible window modal" for a visible, disabled, modal or MDI child form.
  // A handler that frees the form ends the loop at once.
  TModalResult ShowModal();
  // Show, Close, and showing, hiding or activating the form otherwise, touch nothing of the form after one of its
  // handlers freed it, and answer whether it outlived them; caFree and Release free it once its handlers are done.
  [[nodiscard]] TRaised Show();
  [[nodiscard]] TRaised Close();
  // canClose false: the form stays.
  virtual TRaised CloseQuery(bool& canClose);
  // Frees the form once the messages already queued for it have been handled.
  void Release();

  // MDI: the client window of an MDI frame form, and its children (most recently active first).
  HWND ClientHandle() const { return clientHandle_; }
  int MDIChildCount() const;
  TCustomForm* MDIChildren(int index) const;
  TCustomForm* ActiveMDIChild() const;

  void Dispatch(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;

  // Raises OnCreate: the form is whole (Application->CreateForm calls it after the constructor, which reads a
  // stored form).
  virtual TRaised DoCreate();

  TNotifyEvent OnCreate;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TShortCutEvent OnShortCut;

 protected:
  void CreateParams(TCreateParams& params) override;
  TRaised CreateWnd() override;
  TRaised CreateWindowHandle(const TCreateParams& params) override;
  void DestroyWindowHandle() override;
  TRaised AlignControls(TControl* control, RECT& rect) override;
  virtual TRaised DoShow();
  virtual TRaised DoHide();
  virtual TRaised DoClose(TCloseAction& action);
  virtual TRaised Activate();
  virtual TRaised Deactivate();

 private:
  [[nodiscard]] TRaised SetActive(bool value);
  [[nodiscard]] TRaised SetWindowFocus();
  // Shows the form, serves messages until it has a modal result, then hides it, and answers the result. A handler
  // that frees the form ends it there, with the result chosen by then (else mrCancel).
  TModalResult RunModal(const TLifeWatch& life, HWND& activeWindow);
  [[nodiscard]] TRaised CloseModal();
  void CMShowingChanged(TMessage& message);
  void CMDialogKey(TMessage& message);
  void WMSysCommand(TMessage& message);
  void WMSize(TMessage& message);
  void WMGetMinMaxInfo(TMessage& message);
  void WMHelp(TMessage& message);
  // CM_ACTIONEXECUTE and CM_ACTIONUPDATE (LParam the action): the active control, then the form, then its visible
  // controls at every depth are offered the action; Result 1 when one of them took it.
  void CMAction(TMessage& message);
  HWND FrameClientWindow() const;

  TFormStyle formStyle_ = TFormStyle::fsNormal;
  TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
  TBorderIcons borderIcons_{TBorderIcon::biSystemMenu, TBorderIcon::biMinimize, TBorderIcon::biMaximize};
  TWindowState windowState_ = TWindowState::wsNormal;
  TFormState formState_;
  TWinControl* activeControl_ = nullptr;
  TWinControl* focusedControl_ = nullptr;
  bool active_ = false;
  bool keyPreview_ = false;
  TModalResult modalResult_ = mrNone;
  HWND clientHandle_ = nullptr;     // the MDI client of an MDI frame form
  HWND mdiParentClient_ = nullptr;  // the MDI client an MDI child form was created in
};

class TForm : public TCustomForm {
  BC_CLASS(TForm, TCustomForm)
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// The window a control floats in when it is undocked from its site: a small tool-window form that frees itself
// when its last client leaves.
class TCustomDockForm : public TCustomForm {
  BC_CLASS(TCustomDockForm, TCustomForm)
  explicit TCustomDockForm(TComponent* owner);

 protected:
  TRaised DoRemoveDockClient(TControl* client) override;
};

// The form a control sits on (the top of its parent chain when that is a form), or null.
TCustomForm* GetParentForm(const TControl* control);
// The same, but raises EInvalidOperation "Control '%s' has no parent window" when there is none.
TCustomForm* ValidParentForm(const TControl* control);
// Offers an action that no list or handler took to the active form, then to the main form (CM_ACTIONEXECUTE or
// CM_ACTIONUPDATE); true when a control or form took it.
bool SendActionToForms(TBasicAction* action, bool execute);

// TApplication: the program's hidden top-level window (class "TApplication"), the message loop with its filters
// (OnMessage, hints, MDI accelerators, keys offered to controls as CN_ messages), exception reporting, the
// control under the mouse (CM_MOUSEENTER/CM_MOUSELEAVE), the hint machinery and help requests. One instance,
// `Application`, lives from the controls unit's start to its end.
#pragma once

#include <windows.h>

#include "framework/control.h"

class TCustomForm;
class THintWindow;

// What a control is asked to fill in (CM_HINTSHOW, LParam points to it) before its hint shows.
struct THintInfo {
  TControl* HintControl = nullptr;
  const TClass* HintWindowClass = nullptr;
  POINT HintPos{};  // screen position of the hint window
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  RECT CursorRect{};  // while the mouse stays inside (control coordinates), the hint stays
  POINT CursorPos{};  // the mouse in control coordinates
  int ReshowTimeout = 0;
  int HideTimeout = 0;
  String HintStr;
  void* HintData = nullptr;
};

using TMessageEvent = TDelegate<void(MSG& Msg, bool& Handled)>;
using TIdleEvent = TDelegate<void(TObject* Sender, bool& Done)>;
using TExceptionEvent = TDelegate<void(TObject* Sender, const Exception& E)>;
using TShowHintEvent = TDelegate<void(String& HintStr, bool& CanShow, THintInfo& HintInfo)>;
using THelpEvent = TDelegate<bool(WORD Command, ULONG_PTR Data, bool& CallHelp)>;
using TAppShortCutEvent = TDelegate<void(TMessage& Msg, bool& Handled)>;

// The message box the application shows exceptions in: the platform's MessageBoxW unless replaced (a test
// program replaces it, so that an unexpected exception cannot stop an unattended run). Null restores it; the
// answer is the function used before.
using TMessageBoxFunction = int(WINAPI*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags);
TMessageBoxFunction SetMessageBoxFunction(TMessageBoxFunction function);

// The part before "|" of a hint (shown in the hint window) and the part after it (the status text).
String GetShortHint(const String& hint);
String GetLongHint(const String& hint);

class TApplication : public TComponent {
  BC_CLASS(TApplication, TComponent)
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  HWND Handle() const { return handle_; }
  const String& Title() const { return title_; }
  void SetTitle(const String& value);
  String ExeName() const;
  // The first form made with CreateForm; closing it ends the program.
  TCustomForm* MainForm() const { return mainForm_; }
  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool value) { showMainForm_ = value; }
  // Whether one of the program's windows is the active one.
  bool Active() const { return active_; }
  bool Terminated() const { return terminated_; }

  // Makes a form owned by the application and raises its OnCreate; the first one becomes the main form. Null
  // when OnCreate freed the form.
  template <class T>
  T* CreateForm() {
    T* form = new T(this);
    if (!mainForm_) mainForm_ = form;
    if (form->DoCreate().Gone()) return nullptr;
    return form;
  }

  // Shows the main form and runs the message loop until Terminate.
  // The loop raises the application's handlers (OnMessage, OnIdle): Run, HandleMessage and the idle work answer
  // whether the application outlived them.
  [[nodiscard]] TRaised Run();
  // Ends the message loop (a WM_QUIT is posted).
  void Terminate();
  // Handles every message in the queue, then returns.
  void ProcessMessages();
  // Handles one message, or idles (and waits for one) when there is none.
  [[nodiscard]] TRaised HandleMessage();
  // Reports the exception being handled (call it inside a catch block) through OnException or ShowException.
  // EAbort is silent. The sender is the object whose handler raised it, or null when that handler freed it.
  void HandleException(TObject* sender);
  void ShowException(const Exception& e);
  void Minimize();
  void Restore();
  void BringToFront();

  // Numbered messages of the application window, sent straight to its procedure.
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  // Whether a key message is an application short-cut (OnShortCut, then the main form's).
  bool IsShortCut(TMessage& message);

  // Hints.
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  const String& Hint() const { return hint_; }
  void SetHint(const String& value);
  TColor HintColor() const { return hintColor_; }
  void SetHintColor(TColor value) { hintColor_ = value; }
  // Whether hints of action clients end with the action's short-cut, as "Hint (Ctrl+S)".
  bool HintShortCuts() const { return hintShortCuts_; }
  void SetHintShortCuts(bool value) { hintShortCuts_ = value; }
  int HintPause() const { return hintPause_; }
  void SetHintPause(int value) { hintPause_ = value; }
  int HintShortPause() const { return hintShortPause_; }
  void SetHintShortPause(int value) { hintShortPause_ = value; }
  int HintHidePause() const { return hintHidePause_; }
  void SetHintHidePause(int value) { hintHidePause_ = value; }
  const TClass* HintWindowClass() const { return hintWindowClass_; }
  void SetHintWindowClass(const TClass* value);
  // The hint window now in use (null while hints are off).
  THintWindow* HintWindow() const { return hintWindow_; }
  // The control whose hint is timed or shown.
  TControl* HintControl() const { return hintControl_; }
  // The mouse moved over control: the hint of the control under it is timed to show, or the shown one stays.
  void HintMouseMessage(TControl* control, const TMessage& message);
  // Shows the hint of the control under the cursor now, if it still is the one the hint was timed for.
  [[nodiscard]] TRaised ActivateHint(POINT cursorPos);
  void HideHint();
  void CancelHint();

  // Help: HelpContext asks for a context's topic, HelpCommand for any help command; OnHelp may answer them,
  // otherwise they go to HelpFile. Answers whether help was given.
  const String& HelpFile() const { return helpFile_; }
  void SetHelpFile(const String& value) { helpFile_ = value; }
  bool HelpContext(int context);
  bool HelpCommand(WORD command, ULONG_PTR data);

  TMessageEvent OnMessage;
  TIdleEvent OnIdle;
  TExceptionEvent OnException;
  TNotifyEvent OnHint;
  TShowHintEvent OnShowHint;
  THelpEvent OnHelp;
  TAppShortCutEvent OnShortCut;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;

  // The control under the mouse; a change sends CM_MOUSELEAVE to every control the mouse left (innermost first)
  // and CM_MOUSEENTER to every control it entered (outermost first). A control's children count as inside it.
  TControl* MouseControl() const { return mouseControl_; }
  void SetMouseControl(TControl* control);
  // Bookkeeping of controls that leave their parent, and of controls and forms that are being destroyed.
  void ControlRemoved(TControl* control);
  void ControlDestroyed(TControl* control);
  void FormDestroyed(TCustomForm* form);
  // A modal loop ended. A press handled after it (one whose activation or own handling ran the loop) holds the
  // mouse for a release that the loop took and that never comes: once the messages queued by then are handled,
  // the window that holds the mouse lets it go, unless a button is really down.
  void ModalLoopEnded();
  // Whether a press handled now lost its release to a modal loop: a loop ended whose after-care above is still
  // queued (posted messages are taken before input, so the loop ran after this press was taken: as the press
  // activated its window, say), and no button is down.
  bool ReleaseTakenByModalLoop() const;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  static LRESULT CALLBACK ApplicationWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void WndProc(TMessage& message);
  bool ProcessMessage(MSG& msg);
  [[nodiscard]] TRaised Idle();
  bool IsHintMsg(const MSG& msg);
  bool IsMDIMsg(MSG& msg);
  bool IsKeyMsg(MSG& msg);
  void StartHintTimer(int pause, bool showing);
  void StopHintTimer();
  [[nodiscard]] TRaised HintTimerExpired();
  THintWindow* EnsureHintWindow(const TClass* cls);

  HWND handle_ = nullptr;
  String title_;
  TCustomForm* mainForm_ = nullptr;
  bool showMainForm_ = true;
  bool active_ = false;
  bool terminated_ = false;
  int modalLoopEndsQueued_ = 0;  // modal loops ended whose after-care is still queued

  bool showHint_ = false;
  bool hintShortCuts_ = true;
  String hint_;
  TColor hintColor_ = clInfoBk;
  int hintPause_ = 500;
  int hintShortPause_ = 50;
  int hintHidePause_ = 2500;
  const TClass* hintWindowClass_ = nullptr;
  THintWindow* hintWindow_ = nullptr;  // owned through the component list
  TControl* hintControl_ = nullptr;
  RECT hintCursorRect_{};
  bool hintActive_ = false;
  bool hintTimerShows_ = false;  // what the running hint timer does when it fires: show, or hide
  bool hintTimerRunning_ = false;

  String helpFile_;
  TControl* mouseControl_ = nullptr;
};

extern TApplication* Application;

// The common-controls header needs the platform header before it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "framework/actions.h"
#include "framework/application.h"
#include "framework/exception_hook.h"
#include "framework/screen.h"
#include "framework/startup.h"
#include "framework/timer.h"

namespace {

// The forms hold components of every unit the program started after this one (docks, themes, window hooks): they
// go while those units still work, before any unit stops.
void FreeApplicationForms() {
  if (Application) Application->DestroyComponents();
}

void InitializeControls() {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  Screen = new TScreen(nullptr);
  Application = new TApplication(nullptr);
  SetApplicationExceptionHandler([](TObject* sender) { Application->HandleException(sender); });
  AddExitProcedure(&FreeApplicationForms);
}

void FinalizeControls() {
  SetApplicationExceptionHandler(nullptr);
  // The application owns the forms, which tell the screen when they go; so the screen goes last.
  delete Application;
  Application = nullptr;
  delete Screen;
  Screen = nullptr;
}

}  // namespace

const TUnit& ControlsUnit() {
  // Stored forms of every program hold actions and timers.
  static const TUnit unit{
      L"controls", &InitializeControls, &FinalizeControls, {&FrameworkUnit(), &ActionsUnit(), &TimerUnit()}};
  return unit;
}

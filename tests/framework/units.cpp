#include <gtest/gtest.h>

#include "framework/actions.h"
#include "framework/application.h"
#include "framework/image_list.h"
#include "framework/menus.h"
#include "framework/startup.h"
#include "framework/timer.h"
#include "support/test_units.h"

namespace {

// An exception nobody expected would otherwise wait in a message box for a person to close it.
int WINAPI FailInsteadOfMessageBox(HWND, const wchar_t* text, const wchar_t*, UINT) {
  ADD_FAILURE() << "exception shown: " << text;
  return IDOK;
}

}  // namespace

void StartAreaUnits() {
  InitializeUnit(ControlsUnit());
  SetMessageBoxFunction(&FailInsteadOfMessageBox);
  InitializeUnit(ActionsUnit());
  InitializeUnit(TimerUnit());
  InitializeUnit(ImageListUnit());
  InitializeUnit(MenusUnit());
}

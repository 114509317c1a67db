#include <gtest/gtest.h>

#include "framework/menus.h"
#include "framework/startup.h"
#include "shell/system/message_box.h"
#include "shell/system_unit.h"
#include "support/test_units.h"

namespace {

// A box the components show would wait for a person: a test that meets one fails instead.
int WINAPI FailInsteadOfMessageBox(HWND, const wchar_t* text, const wchar_t*, UINT) {
  ADD_FAILURE() << "message box shown: " << String(text).size() << " characters";
  return IDOK;
}

}  // namespace

void StartAreaUnits() {
  InitializeUnit(ControlsUnit());
  InitializeUnit(MenusUnit());
  InitializeUnit(shell::SystemRoutinesUnit());
  shell::SetSysMessageBoxFunction(&FailInsteadOfMessageBox);
}

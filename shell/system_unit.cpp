#include "shell/system_unit.h"

#include <vector>

#include "shell/color_names.h"
#include "shell/sys_component.h"
#include "shell/sys_version.h"
#include "shell/text_routines.h"
#include "shell/tray_icon.h"
#include "shell/wnd_proc_hook.h"
#include "shell/windows_version.h"

namespace shell {

namespace {

std::vector<const TClass*>& RegisteredClasses() {
  static std::vector<const TClass*> classes;
  return classes;
}

void InitializeSystemRoutines() {
  InitSysInfo();
  InitCharTables();
  sys::InitWinVersionFlags();
  RegisterColorNames(ExtendedColorNames());
  WM_TASKBARCREATED = RegisterWindowMessageW(L"TaskbarCreated");
  RegisteredClasses() = RegisterClassesOnce({TSysComponent::StaticClass(), TSysCustomTimer::StaticClass(),
                                             TSysCustomWndProcHook::StaticClass(), TSysTrayIcon::StaticClass(),
                                             TSysWndProcHook::StaticClass()});
}

void FinalizeSystemRoutines() {
  FreeWndProcHookList();
  for (const TClass* cls : RegisteredClasses()) UnregisterPersistentClass(cls);
  RegisteredClasses().clear();
  UnregisterColorNames(ExtendedColorNames());
}

}  // namespace

const TUnit& SystemRoutinesUnit() {
  static const TUnit unit{L"SystemRoutines", &InitializeSystemRoutines, &FinalizeSystemRoutines, {&FrameworkUnit()}};
  return unit;
}

}  // namespace shell

#include "shell/system_unit.h"

#include <vector>

#include "shell/system/auto_run.h"
#include "shell/system/color_names.h"
#include "shell/system/color_picker.h"
#include "shell/system/file_association.h"
#include "shell/system/file_operation.h"
#include "shell/system/file_storage.h"
#include "shell/system/folder_monitor.h"
#include "shell/system/one_instance.h"
#include "shell/system/registry_monitor.h"
#include "shell/system/shutdown.h"
#include "shell/system/start_button.h"
#include "shell/system/sys_component.h"
#include "shell/system/sys_version.h"
#include "shell/system/thread_component.h"
#include "shell/system/tray_icon.h"
#include "shell/system/wave_player.h"
#include "shell/system/wnd_proc_hook.h"
#include "shell/text_routines.h"
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
  InitializeMonitorLocks();
  RegisterColorNames(ExtendedColorNames());
  WM_TASKBARCREATED = RegisterWindowMessageW(L"TaskbarCreated");
  // The order in which stored forms meet them first.
  RegisteredClasses() = RegisterClassesOnce({
      TSysComponent::StaticClass(),
      TSysCustomThreadComponent::StaticClass(),
      TSysCustomTimer::StaticClass(),
      TSysCustomThreadTimer::StaticClass(),
      TSysCustomWndProcHook::StaticClass(),
      TSysCustomFileStorage::StaticClass(),
      TSysAutoRun::StaticClass(),
      TSysOneInstance::StaticClass(),
      TSysShutdown::StaticClass(),
      TSysTrayIcon::StaticClass(),
      TSysWndProcHook::StaticClass(),
      TSysFileStorage::StaticClass(),
      TSysWav::StaticClass(),
      TSysThreadComponent::StaticClass(),
      TSysThreadTimer::StaticClass(),
      TSysFileOperation::StaticClass(),
      TSysFileAssociation::StaticClass(),
      TSysCustomFolderMonitor::StaticClass(),
      TSysFolderMonitor::StaticClass(),
      TSysCustomRegistryMonitor::StaticClass(),
      TSysRegistryMonitor::StaticClass(),
      TSysStartButtonProperties::StaticClass(),
      TSysColorPicker::StaticClass(),
  });
}

void FinalizeSystemRoutines() {
  FreeWndProcHookList();
  ReleaseInstanceMutex();
  for (const TClass* cls : RegisteredClasses()) UnregisterPersistentClass(cls);
  RegisteredClasses().clear();
  UnregisterColorNames(ExtendedColorNames());
  DeleteMonitorLocks();
}

}  // namespace

const TUnit& SystemRoutinesUnit() {
  static const TUnit unit{L"SystemRoutines", &InitializeSystemRoutines, &FinalizeSystemRoutines, {&FrameworkUnit()}};
  return unit;
}

}  // namespace shell

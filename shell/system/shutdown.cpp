#include "shell/system/shutdown.h"

#include "framework/properties.h"
#include "shell/owned_handle.h"
#include "shell/windows_version.h"

namespace shell {

namespace {

BOOL WINAPI PlatformExitWindows(UINT flags, DWORD reason) { return ExitWindowsEx(flags, reason); }
BOOL WINAPI PlatformSetPowerState(BOOL suspend, BOOL force) { return SetSystemPowerState(suspend, force); }

TSysShutdownCalls& Calls() {
  static TSysShutdownCalls calls{&PlatformExitWindows, &PlatformSetPowerState};
  return calls;
}

}  // namespace

TSysShutdownCalls SetSysShutdownCalls(TSysShutdownCalls calls) {
  const TSysShutdownCalls previous = Calls();
  Calls().ExitSession = calls.ExitSession ? calls.ExitSession : &PlatformExitWindows;
  Calls().SetPowerState = calls.SetPowerState ? calls.SetPowerState : &PlatformSetPowerState;
  return previous;
}

bool EnableShutdownPrivilege() {
  const TKernelHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, GetCurrentProcessId()));
  if (!process) return false;
  HANDLE token = nullptr;
  if (!OpenProcessToken(process.Get(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
  const TKernelHandle ownedToken(token);
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) return false;
  return AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) != FALSE;
}

bool TSysShutdown::Execute() {
  if (IsWinNT && !EnableShutdownPrivilege()) return false;
  bool canShutdown = true;
  // A component freed by its handler has no action left to carry out.
  if (DoQueryShutdown(canShutdown).Gone() || !canShutdown) return false;
  const UINT force = force_ ? EWX_FORCE : 0;
  switch (actionType_) {
    case TSysShutdownActionType::aatPowerOff:
      return Calls().ExitSession(EWX_POWEROFF | force, 0) != FALSE;
    case TSysShutdownActionType::aatShutdown:
      return Calls().ExitSession(EWX_SHUTDOWN | force, 0) != FALSE;
    case TSysShutdownActionType::aatReboot:
      return Calls().ExitSession(EWX_REBOOT | force, 0) != FALSE;
    case TSysShutdownActionType::aatLogOff:
      return Calls().ExitSession(EWX_LOGOFF | force, 0) != FALSE;
    case TSysShutdownActionType::aatSuspend:
      return Calls().SetPowerState(TRUE, force_) != FALSE;
    case TSysShutdownActionType::aatHibernate:
      return Calls().SetPowerState(FALSE, force_) != FALSE;
  }
  return false;
}

TRaised TSysShutdown::DoQueryShutdown(bool& canShutdown) { return RaiseEvent(OnQueryShutdown, this, canShutdown); }

const TPublishedTable& TSysShutdown::PublishedTable() const {
  using P = TPublished<TSysShutdown>;
  using T = TSysShutdown;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Enumeration(L"ActionType", &T::ActionType, &T::SetActionType,
                         {L"aatPowerOff", L"aatShutdown", L"aatReboot", L"aatLogOff", L"aatSuspend", L"aatHibernate"})
              .Default(TSysShutdownActionType::aatPowerOff),
          P::Boolean(L"Force", &T::Force, &T::SetForce).Default(false),
          P::Event(L"OnQueryShutdown", &T::OnQueryShutdown),
      });
  return table;
}

}  // namespace shell

// TSysShutdown: powers off, shuts down, restarts, logs off, suspends or hibernates the machine, after asking
// OnQueryShutdown.
#pragma once

#include <windows.h>

#include "shell/system/sys_component.h"

namespace shell {

enum class TSysShutdownActionType { aatPowerOff, aatShutdown, aatReboot, aatLogOff, aatSuspend, aatHibernate };
using TSysQueryShutdownEvent = TDelegate<void(TObject* Sender, bool& CanShutdown)>;

// How the machine is told; the defaults call ExitWindowsEx and SetSystemPowerState. Tests install their own, so
// that no test ends the session. Installs the pair (nulls: the platform's own) and returns the pair it replaces.
struct TSysShutdownCalls {
  BOOL(WINAPI* ExitSession)(UINT flags, DWORD reason) = nullptr;
  BOOL(WINAPI* SetPowerState)(BOOL suspend, BOOL force) = nullptr;
};
TSysShutdownCalls SetSysShutdownCalls(TSysShutdownCalls calls);

class TSysShutdown : public TSysComponent {
  BC_CLASS(TSysShutdown, TSysComponent)
  explicit TSysShutdown(TComponent* owner = nullptr) : TSysComponent(owner) {}

  TSysShutdownActionType ActionType() const { return actionType_; }
  void SetActionType(TSysShutdownActionType value) { actionType_ = value; }
  // Applications are not asked to close.
  bool Force() const { return force_; }
  void SetForce(bool value) { force_ = value; }

  // On the NT platform the shutdown privilege is enabled first; false when that fails, when OnQueryShutdown
  // refuses or frees the component, or when the system refuses.
  virtual bool Execute();

  TSysQueryShutdownEvent OnQueryShutdown;

  const TPublishedTable& PublishedTable() const override;

 protected:
  virtual TRaised DoQueryShutdown(bool& canShutdown);

 private:
  TSysShutdownActionType actionType_ = TSysShutdownActionType::aatPowerOff;
  bool force_ = false;
};

// Enables the shutdown privilege of this process; false when the token or the privilege cannot be had.
bool EnableShutdownPrivilege();

}  // namespace shell

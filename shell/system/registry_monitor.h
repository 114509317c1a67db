// TSysRegistryMonitor: raises OnChange on the main thread after each change of a registry key, and when the key
// appears or disappears, seen by a worker thread that waits on key watches.
#pragma once

#include "framework/set.h"
#include "shell/system/monitor_thread.h"

namespace shell {

enum class TSysRegRootKey { rrkClassesRoot, rrkCurrentUser, rrkLocalMachine, rrkUsers, rrkCurrentConfig, rrkDynData };
enum class TSysRegistryMonitorFilter { rmfSubTreeChange, rmfAttributeChange, rmfValueChange, rmfSecurityChange };
using TSysRegistryMonitorFilters = TSet<TSysRegistryMonitorFilter, 4>;

HKEY RegRootKeyHandle(TSysRegRootKey rootKey);
// The REG_NOTIFY_CHANGE_* flags of a set of filters.
DWORD RegistryNotifyFlags(TSysRegistryMonitorFilters filters);

class TSysRegistryMonitorThread : public TSysMonitorThread {
  BC_CLASS(TSysRegistryMonitorThread, TSysMonitorThread)
  explicit TSysRegistryMonitorThread(TThreadMethod onChange) : TSysMonitorThread(std::move(onChange)) {}
  ~TSysRegistryMonitorThread() override;

  void SetParams(HKEY rootKey, const String& key, DWORD filter, bool watchSubTree);

 protected:
  void Execute() override;

 private:
  void RootChanged();
  void KeyChanged();
  // An exception of the handler leaves the worker running.
  void DeliverQuietly();

  HKEY rootKey_ = HKEY_CURRENT_USER;
  String keyName_;
  DWORD filter_ = 0;
  bool watchSubTree_ = true;
  HKEY key_ = nullptr;
  bool keyExists_ = false;
  HANDLE keyWatch_ = INVALID_HANDLE_VALUE;
  HANDLE rootWatch_ = INVALID_HANDLE_VALUE;
};

class TSysCustomRegistryMonitor : public TSysMonitorComponent {
  BC_CLASS(TSysCustomRegistryMonitor, TSysMonitorComponent)
  explicit TSysCustomRegistryMonitor(TComponent* owner = nullptr) : TSysMonitorComponent(owner) {}
  ~TSysCustomRegistryMonitor() override { Stop(); }

  const String& RegistryKey() const { return registryKey_; }
  void SetRegistryKey(const String& value) { SetParameter(registryKey_, value); }
  TSysRegRootKey RootKey() const { return rootKey_; }
  void SetRootKey(TSysRegRootKey value) { SetParameter(rootKey_, value); }
  TSysRegistryMonitorFilters NotifyFilters() const { return notifyFilters_; }
  void SetNotifyFilters(TSysRegistryMonitorFilters value) { SetParameter(notifyFilters_, value); }
  bool WatchSubTree() const { return watchSubTree_; }
  void SetWatchSubTree(bool value) { SetParameter(watchSubTree_, value); }

 protected:
  std::unique_ptr<TSysMonitorThread> CreateWorker() override;

 private:
  String registryKey_;
  TSysRegRootKey rootKey_ = TSysRegRootKey::rrkCurrentUser;
  TSysRegistryMonitorFilters notifyFilters_{TSysRegistryMonitorFilter::rmfSubTreeChange,
                                            TSysRegistryMonitorFilter::rmfValueChange};
  bool watchSubTree_ = true;
};

class TSysRegistryMonitor : public TSysCustomRegistryMonitor {
  BC_CLASS(TSysRegistryMonitor, TSysCustomRegistryMonitor)
  using TSysCustomRegistryMonitor::TSysCustomRegistryMonitor;
  const TPublishedTable& PublishedTable() const override;
};

}  // namespace shell

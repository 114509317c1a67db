#include "shell/system/registry_monitor.h"

#include "framework/properties.h"
#include "shell/system/registry_watch.h"

namespace shell {

namespace {

HKEY OpenForWatch(HKEY root, const String& key) {
  HKEY opened = nullptr;
  return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS ? opened : nullptr;
}

bool Valid(HANDLE watch) { return watch && watch != INVALID_HANDLE_VALUE; }

bool KeyDeleted(HKEY key) {
  return key && RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr) == ERROR_KEY_DELETED;
}

}  // namespace

HKEY RegRootKeyHandle(TSysRegRootKey rootKey) {
  static const HKEY roots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,   HKEY_LOCAL_MACHINE,
                               HKEY_USERS,        HKEY_CURRENT_CONFIG, HKEY_DYN_DATA};
  return roots[static_cast<int>(rootKey)];
}

DWORD RegistryNotifyFlags(TSysRegistryMonitorFilters filters) {
  static const DWORD flags[] = {REG_NOTIFY_CHANGE_NAME, REG_NOTIFY_CHANGE_ATTRIBUTES, REG_NOTIFY_CHANGE_LAST_SET,
                                REG_NOTIFY_CHANGE_SECURITY};
  DWORD result = 0;
  for (int i = 0; i < 4; ++i)
    if (filters.Contains(static_cast<TSysRegistryMonitorFilter>(i))) result |= flags[i];
  return result;
}

TSysRegistryMonitorThread::~TSysRegistryMonitorThread() {
  Shutdown();
  CloseWatchHandle(keyWatch_);
  CloseWatchHandle(rootWatch_);
  if (key_) RegCloseKey(key_);
}

void TSysRegistryMonitorThread::SetParams(HKEY rootKey, const String& key, DWORD filter, bool watchSubTree) {
  const TMonitorLock lock(RegistryMonitorLock);
  rootKey_ = rootKey;
  keyName_ = key;
  filter_ = filter;
  watchSubTree_ = watchSubTree;
}

void TSysRegistryMonitorThread::Execute() {
  key_ = OpenForWatch(rootKey_, keyName_);
  keyExists_ = key_ != nullptr;
  {
    const TMonitorLock lock(RegistryMonitorLock);
    if (key_) keyWatch_ = RegWatchKey(key_, watchSubTree_, filter_);
    // The root's names tell when the key appears or goes.
    rootWatch_ = RegWatchKey(rootKey_, true, REG_NOTIFY_CHANGE_NAME);
  }
  WaitLoop(
      [this] {
        std::vector<HANDLE> watches;
        for (HANDLE watch : {rootWatch_, keyWatch_})
          if (Valid(watch)) watches.push_back(watch);
        return watches;
      },
      [this](size_t index) {
        if (index == 0 && Valid(rootWatch_))
          RootChanged();
        else
          KeyChanged();
      });
}

void TSysRegistryMonitorThread::RootChanged() {
  // Armed again before the key is looked at, so that a change made meanwhile (by the handler, say) is seen.
  RegRewatchKey(rootKey_, true, REG_NOTIFY_CHANGE_NAME, rootWatch_);
  HKEY reopened = OpenForWatch(rootKey_, keyName_);
  // A key deleted and made again under its name since it was looked at: its old handle says it was deleted.
  const bool madeAgain = reopened && keyExists_ && KeyDeleted(key_);
  if (reopened && (!keyExists_ || madeAgain)) {
    CloseWatchHandle(keyWatch_);
    if (key_) RegCloseKey(key_);
    key_ = reopened;
    keyWatch_ = RegWatchKey(key_, watchSubTree_, filter_);
    DeliverQuietly();
    keyExists_ = true;
  } else {
    if (reopened) RegCloseKey(reopened);
    if (!reopened && keyExists_) {
      DeliverQuietly();
      keyExists_ = false;
    }
  }
}

void TSysRegistryMonitorThread::KeyChanged() {
  DeliverQuietly();
  // The watch of a deleted key cannot be armed again; the root's watch tells when the key comes back.
  if (!RegRewatchKey(key_, watchSubTree_, filter_, keyWatch_)) CloseWatchHandle(keyWatch_);
}

void TSysRegistryMonitorThread::DeliverQuietly() {
  try {
    DeliverChange();
  } catch (...) {
    // The monitor keeps watching whatever its handler did.
  }
}

std::unique_ptr<TSysMonitorThread> TSysCustomRegistryMonitor::CreateWorker() {
  auto worker = std::make_unique<TSysRegistryMonitorThread>(OnChange());
  worker->SetParams(RegRootKeyHandle(rootKey_), registryKey_, RegistryNotifyFlags(notifyFilters_), watchSubTree_);
  return worker;
}

const TPublishedTable& TSysRegistryMonitor::PublishedTable() const {
  using P = TPublished<TSysRegistryMonitor>;
  using T = TSysRegistryMonitor;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Boolean(L"Active", &T::Active, &T::SetActive).Default(false),
          P::Text(L"RegistryKey", &T::RegistryKey, &T::SetRegistryKey),
          P::Enumeration(L"RootKey", &T::RootKey, &T::SetRootKey,
                         {L"rrkClassesRoot", L"rrkCurrentUser", L"rrkLocalMachine", L"rrkUsers", L"rrkCurrentConfig",
                          L"rrkDynData"})
              .Default(TSysRegRootKey::rrkCurrentUser),
          P::Set(L"NotifyFilters", &T::NotifyFilters, &T::SetNotifyFilters,
                 {L"rmfSubTreeChange", L"rmfAttributeChange", L"rmfValueChange", L"rmfSecurityChange"})
              .Default({TSysRegistryMonitorFilter::rmfSubTreeChange, TSysRegistryMonitorFilter::rmfValueChange}),
          P::Boolean(L"WatchSubTree", &T::WatchSubTree, &T::SetWatchSubTree),
          P::Event(L"OnChange", &T::OnChange, &T::SetOnChange),
      });
  return table;
}

}  // namespace shell

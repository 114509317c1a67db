// TSysFolderMonitor: raises OnChange on the main thread after each change of the chosen kinds in a folder (and,
// optionally, its sub-folders), seen by a worker thread that waits on a change notification.
#pragma once

#include "framework/set.h"
#include "shell/system/monitor_thread.h"

namespace shell {

enum class TFolderMonitorFilter {
  fmfFileNameChange,
  fmfDirNameChange,
  fmfAttributeChange,
  fmfSizeChange,
  fmfWriteChange,
  fmfSecurityChange
};
using TFolderMonitorFilters = TSet<TFolderMonitorFilter, 6>;

// The FILE_NOTIFY_CHANGE_* flags of a set of filters.
DWORD FolderNotifyFlags(TFolderMonitorFilters filters);

class TSysFolderMonitorThread : public TSysMonitorThread {
  BC_CLASS(TSysFolderMonitorThread, TSysMonitorThread)
  explicit TSysFolderMonitorThread(TThreadMethod onChange) : TSysMonitorThread(std::move(onChange)) {}
  ~TSysFolderMonitorThread() override;

  // A blank folder means the current directory.
  void SetParams(const String& folder, bool watchSubTree, DWORD filter);

 protected:
  void Execute() override;

 private:
  String folder_;
  bool watchSubTree_ = true;
  DWORD filter_ = 0;
  HANDLE changeHandle_ = INVALID_HANDLE_VALUE;
};

class TSysCustomFolderMonitor : public TSysMonitorComponent {
  BC_CLASS(TSysCustomFolderMonitor, TSysMonitorComponent)
  explicit TSysCustomFolderMonitor(TComponent* owner = nullptr) : TSysMonitorComponent(owner) {}
  ~TSysCustomFolderMonitor() override { Stop(); }

  const String& Folder() const { return folder_; }
  void SetFolder(const String& value) { SetParameter(folder_, value); }
  TFolderMonitorFilters NotifyFilters() const { return notifyFilters_; }
  void SetNotifyFilters(TFolderMonitorFilters value) { SetParameter(notifyFilters_, value); }
  bool WatchSubTree() const { return watchSubTree_; }
  void SetWatchSubTree(bool value) { SetParameter(watchSubTree_, value); }

 protected:
  std::unique_ptr<TSysMonitorThread> CreateWorker() override;

 private:
  String folder_ = L"C:\\";
  TFolderMonitorFilters notifyFilters_{TFolderMonitorFilter::fmfFileNameChange, TFolderMonitorFilter::fmfDirNameChange};
  bool watchSubTree_ = true;
};

class TSysFolderMonitor : public TSysCustomFolderMonitor {
  BC_CLASS(TSysFolderMonitor, TSysCustomFolderMonitor)
  using TSysCustomFolderMonitor::TSysCustomFolderMonitor;
  const TPublishedTable& PublishedTable() const override;
};

}  // namespace shell

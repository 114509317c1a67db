#include "shell/system/folder_monitor.h"

#include "framework/properties.h"
#include "framework/sys_utils.h"

namespace shell {

DWORD FolderNotifyFlags(TFolderMonitorFilters filters) {
  static const DWORD flags[] = {FILE_NOTIFY_CHANGE_FILE_NAME,  FILE_NOTIFY_CHANGE_DIR_NAME,
                                FILE_NOTIFY_CHANGE_ATTRIBUTES, FILE_NOTIFY_CHANGE_SIZE,
                                FILE_NOTIFY_CHANGE_LAST_WRITE, FILE_NOTIFY_CHANGE_SECURITY};
  DWORD result = 0;
  for (int i = 0; i < 6; ++i)
    if (filters.Contains(static_cast<TFolderMonitorFilter>(i))) result |= flags[i];
  return result;
}

TSysFolderMonitorThread::~TSysFolderMonitorThread() {
  Shutdown();
  if (changeHandle_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(changeHandle_);
}

void TSysFolderMonitorThread::SetParams(const String& folder, bool watchSubTree, DWORD filter) {
  const TMonitorLock lock(FolderMonitorLock);
  folder_ = folder;
  if (Trim(folder_).empty()) {
    wchar_t current[MAX_PATH + 1] = {};
    folder_.assign(current, GetCurrentDirectoryW(MAX_PATH + 1, current));
  }
  watchSubTree_ = watchSubTree;
  filter_ = filter;
}

void TSysFolderMonitorThread::Execute() {
  {
    const TMonitorLock lock(FolderMonitorLock);
    changeHandle_ = FindFirstChangeNotificationW(folder_.c_str(), watchSubTree_, filter_);
  }
  // A folder that cannot be watched ends the worker without a word.
  if (changeHandle_ == INVALID_HANDLE_VALUE) return;
  WaitLoop([this] { return std::vector<HANDLE>{changeHandle_}; },
           [this](size_t) {
             DeliverChange();
             FindNextChangeNotification(changeHandle_);
           });
}

std::unique_ptr<TSysMonitorThread> TSysCustomFolderMonitor::CreateWorker() {
  auto worker = std::make_unique<TSysFolderMonitorThread>(OnChange());
  worker->SetParams(folder_, watchSubTree_, FolderNotifyFlags(notifyFilters_));
  return worker;
}

const TPublishedTable& TSysFolderMonitor::PublishedTable() const {
  using P = TPublished<TSysFolderMonitor>;
  using T = TSysFolderMonitor;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Boolean(L"Active", &T::Active, &T::SetActive).Default(false),
          P::Text(L"Folder", &T::Folder, &T::SetFolder),
          P::Set(L"NotifyFilters", &T::NotifyFilters, &T::SetNotifyFilters,
                 {L"fmfFileNameChange", L"fmfDirNameChange", L"fmfAttributeChange", L"fmfSizeChange", L"fmfWriteChange",
                  L"fmfSecurityChange"})
              .Default({TFolderMonitorFilter::fmfFileNameChange, TFolderMonitorFilter::fmfDirNameChange}),
          P::Boolean(L"WatchSubTree", &T::WatchSubTree, &T::SetWatchSubTree),
          P::Event(L"OnChange", &T::OnChange, &T::SetOnChange),
      });
  return table;
}

}  // namespace shell

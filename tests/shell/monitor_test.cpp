#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "framework/thread.h"
#include "process_counts.h"
#include "registry_backup.h"
#include "shell/system/folder_monitor.h"
#include "shell/system/registry_monitor.h"
#include "support/message_pump.h"
#include "support/temp_folder.h"

using namespace shell;

namespace {

// Long enough for a worker that was just resumed to be waiting on its watch.
constexpr DWORD kWorkerStart = 300;

// Counts the changes a monitor reports and where they ran.
struct TChangeCounter {
  void Changed() {
    ++Count;
    if (GetCurrentThreadId() != MainThreadID()) ++OffMainThread;
  }
  TThreadMethod Method() { return TThreadMethod(this, &TChangeCounter::Changed); }
  int Count = 0;
  int OffMainThread = 0;
};

void Touch(const String& file) {
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(h);
}

// Switches a monitor on and off 1,000 times, then makes a change while it is off: no thread, handle or handler
// call may come of it.
void ExpectTogglingLeavesNothing(TSysMonitorComponent& monitor, const std::function<void()>& change,
                                 const TChangeCounter& changes) {
  monitor.SetActive(true);
  monitor.SetActive(false);
  const DWORD threads = OpenThreads();
  const DWORD handles = OpenHandles();
  ASSERT_GT(threads, 0u);
  for (int i = 0; i < 1000; ++i) {
    monitor.SetActive(true);
    monitor.SetActive(false);
  }
  EXPECT_LE(OpenThreads(), threads + 1);
  EXPECT_LE(OpenHandles(), handles + 2);
  change();
  PumpFor(200);
  EXPECT_EQ(changes.Count, 0);
}

TEST(FolderMonitor, SeesChangesOnItsWorkerAndReportsThemOnTheMainThread) {
  TTempFolder folder;
  TChangeCounter changes;
  TSysFolderMonitor monitor;
  monitor.SetFolder(folder.Path());
  monitor.SetOnChange(changes.Method());
  monitor.SetActive(true);
  ASSERT_NE(monitor.Thread(), nullptr);
  // Sub-folders are made after the watch began: changes inside older ones go unseen on some platforms.
  const std::function<void()> steps[] = {
      [&] { Touch(folder.File(L"a.txt")); },
      [&] { MoveFileW(folder.File(L"a.txt").c_str(), folder.File(L"b.txt").c_str()); },
      [&] { DeleteFileW(folder.File(L"b.txt").c_str()); },
      [&] { CreateDirectoryW(folder.File(L"sub").c_str(), nullptr); },
      [&] { Touch(folder.File(L"sub\\inner.txt")); },
  };
  PumpFor(kWorkerStart);
  for (size_t i = 0; i < std::size(steps); ++i) {
    const int before = changes.Count;
    steps[i]();
    EXPECT_TRUE(PumpUntil([&] { return changes.Count > before; })) << i;
    // The worker arms its watch again after the hand-over.
    PumpFor(50);
  }
  EXPECT_EQ(changes.OffMainThread, 0);
}

TEST(FolderMonitor, AStoppedMonitorRunsNoHandler) {
  TTempFolder folder;
  TChangeCounter changes;
  auto monitor = std::make_unique<TSysFolderMonitor>();
  monitor->SetFolder(folder.Path());
  monitor->SetOnChange(changes.Method());
  monitor->SetActive(true);
  PumpFor(kWorkerStart);
  monitor->SetActive(true);
  PumpFor(kWorkerStart);
  monitor->SetActive(false);
  EXPECT_EQ(monitor->Thread(), nullptr);
  Touch(folder.File(L"late.txt"));
  PumpFor(200);
  EXPECT_EQ(changes.Count, 0);

  monitor->SetActive(true);
  PumpFor(kWorkerStart);
  Touch(folder.File(L"seen.txt"));
  EXPECT_TRUE(PumpUntil([&] { return changes.Count == 1; }));
  // A change the worker is handing over while the monitor stops is dropped, not delivered later.
  PumpFor(50);
  Touch(folder.File(L"dropped.txt"));
  Sleep(200);
  monitor->SetActive(false);
  PumpFor(200);
  EXPECT_EQ(changes.Count, 1);

  monitor->SetActive(true);
  PumpFor(kWorkerStart);
  monitor.reset();
  Touch(folder.File(L"gone.txt"));
  PumpFor(200);
  EXPECT_EQ(changes.Count, 1);
}

TEST(FolderMonitor, AHandlerMayStopOrFreeItsOwnMonitor) {
  for (bool free : {false, true}) {
    SCOPED_TRACE(free);
    TTempFolder folder;
    int calls = 0;
    auto monitor = std::make_unique<TSysFolderMonitor>();
    monitor->SetFolder(folder.Path());
    monitor->SetOnChange([&] {
      ++calls;
      if (free)
        monitor.reset();
      else
        monitor->SetActive(false);
    });
    monitor->SetActive(true);
    PumpFor(kWorkerStart);
    Touch(folder.File(L"first.txt"));
    EXPECT_TRUE(PumpUntil([&] { return calls == 1; }));
    Touch(folder.File(L"second.txt"));
    PumpFor(200);
    EXPECT_EQ(calls, 1);
    if (monitor) {
      EXPECT_EQ(monitor->Thread(), nullptr);
    }
  }
}

TEST(FolderMonitor, BlankFolderMeansTheCurrentOneAndAMissingFolderEndsTheWorker) {
  TTempFolder folder;
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW(folder.Path().c_str());
  TChangeCounter changes;
  TSysFolderMonitor monitor;
  monitor.SetFolder(L"  ");
  monitor.SetOnChange(changes.Method());
  monitor.SetActive(true);
  PumpFor(kWorkerStart);
  SetCurrentDirectoryW(previous);
  Touch(folder.File(L"here.txt"));
  EXPECT_TRUE(PumpUntil([&] { return changes.Count == 1; }));

  monitor.SetFolder(folder.File(L"missing"));
  EXPECT_TRUE(PumpUntil([&] { return monitor.Thread()->Finished(); }));
  EXPECT_TRUE(monitor.Active());
}

TEST(FolderMonitor, StartAndStopCyclesLeakNoHandles) {
  TTempFolder folder;
  TChangeCounter changes;
  auto cycle = [&] {
    TSysFolderMonitor monitor;
    monitor.SetFolder(folder.Path());
    monitor.SetOnChange(changes.Method());
    monitor.SetActive(true);
    monitor.SetActive(false);
  };
  cycle();
  const DWORD before = OpenHandles();
  ASSERT_GT(before, 0u);
  for (int i = 0; i < 1000; ++i) cycle();
  EXPECT_LE(OpenHandles(), before + 2);
  EXPECT_EQ(changes.Count, 0);
}

TEST(FolderMonitor, TogglingActiveLeavesNoWorkerBehind) {
  TTempFolder folder;
  TChangeCounter changes;
  TSysFolderMonitor monitor;
  monitor.SetFolder(folder.Path());
  monitor.SetOnChange(changes.Method());
  ExpectTogglingLeavesNothing(
      monitor, [&] { Touch(folder.File(L"after.txt")); }, changes);
}

TEST(FolderMonitor, AWorkerWhoseStarterEndedStops) {
  TTempFolder folder;
  TChangeCounter changes;
  std::unique_ptr<TSysFolderMonitor> monitor;
  // Started on a thread that ends without stopping it: the wake mutex is abandoned.
  std::thread starter([&] {
    monitor = std::make_unique<TSysFolderMonitor>();
    monitor->SetFolder(folder.Path());
    monitor->SetOnChange(changes.Method());
    monitor->SetActive(true);
  });
  starter.join();
  EXPECT_TRUE(PumpUntil([&] { return monitor->Thread()->Finished(); }));
  monitor.reset();
}

const wchar_t kWatchedKey[] = L"Software\\BrowserComponentsTests\\Watched";

TEST(RegistryMonitor, SeesValuesAndTheKeyComingAndGoing) {
  TRegistryBackup backup(HKEY_CURRENT_USER, kWatchedKey);
  RegDeleteTreeW(HKEY_CURRENT_USER, kWatchedKey);
  TChangeCounter changes;
  TSysRegistryMonitor monitor;
  monitor.SetRegistryKey(kWatchedKey);
  monitor.SetOnChange(changes.Method());
  monitor.SetActive(true);
  PumpFor(kWorkerStart);
  const std::function<void()> steps[] = {
      [] { WriteRegString(HKEY_CURRENT_USER, kWatchedKey, L"Value", L"one"); },
      [] { WriteRegString(HKEY_CURRENT_USER, kWatchedKey, L"Value", L"two"); },
      [] { WriteRegString(HKEY_CURRENT_USER, String(kWatchedKey) + L"\\Sub", L"", L"x"); },
      [] { RegDeleteTreeW(HKEY_CURRENT_USER, kWatchedKey); },
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    const int before = changes.Count;
    steps[i]();
    EXPECT_TRUE(PumpUntil([&] { return changes.Count > before; })) << i;
    PumpFor(50);
  }
  EXPECT_EQ(changes.OffMainThread, 0);
}

TEST(RegistryMonitor, StartAndStopCyclesLeakNoHandles) {
  TRegistryBackup backup(HKEY_CURRENT_USER, kWatchedKey);
  WriteRegString(HKEY_CURRENT_USER, kWatchedKey, L"Value", L"one");
  TChangeCounter changes;
  auto cycle = [&] {
    TSysRegistryMonitor monitor;
    monitor.SetRegistryKey(kWatchedKey);
    monitor.SetOnChange(changes.Method());
    monitor.SetActive(true);
  };
  cycle();
  const DWORD before = OpenHandles();
  ASSERT_GT(before, 0u);
  for (int i = 0; i < 1000; ++i) cycle();
  EXPECT_LE(OpenHandles(), before + 2);
}

TEST(RegistryMonitor, TogglingActiveLeavesNoWorkerBehind) {
  TRegistryBackup backup(HKEY_CURRENT_USER, kWatchedKey);
  WriteRegString(HKEY_CURRENT_USER, kWatchedKey, L"Value", L"one");
  TChangeCounter changes;
  TSysRegistryMonitor monitor;
  monitor.SetRegistryKey(kWatchedKey);
  monitor.SetOnChange(changes.Method());
  ExpectTogglingLeavesNothing(
      monitor, [] { WriteRegString(HKEY_CURRENT_USER, kWatchedKey, L"Value", L"two"); }, changes);
}

}  // namespace

namespace {

// A handler that fails: the folder monitor's worker ends with it, the registry monitor's goes on.
struct TFailingHandler {
  void Changed() {
    ++Count;
    throw EAbort(L"handler failed");
  }
  int Count = 0;
};

TEST(MonitorHandlers, AFailingHandlerEndsOnlyTheFolderWorker) {
  TTempFolder folder;
  TFailingHandler folderHandler;
  TSysFolderMonitor folderMonitor;
  folderMonitor.SetFolder(folder.Path());
  folderMonitor.SetOnChange(TThreadMethod(&folderHandler, &TFailingHandler::Changed));
  folderMonitor.SetActive(true);

  TRegistryBackup backup(HKEY_CURRENT_USER, kWatchedKey);
  WriteRegString(HKEY_CURRENT_USER, kWatchedKey, L"Value", L"one");
  TFailingHandler registryHandler;
  TSysRegistryMonitor registryMonitor;
  registryMonitor.SetRegistryKey(kWatchedKey);
  registryMonitor.SetOnChange(TThreadMethod(&registryHandler, &TFailingHandler::Changed));
  registryMonitor.SetActive(true);
  PumpFor(kWorkerStart);

  Touch(folder.File(L"one.txt"));
  WriteRegString(HKEY_CURRENT_USER, kWatchedKey, L"Value", L"two");
  EXPECT_TRUE(PumpUntil([&] { return folderHandler.Count == 1 && registryHandler.Count == 1; }));
  EXPECT_TRUE(PumpUntil([&] { return folderMonitor.Thread()->Finished(); }));
  PumpFor(50);
  WriteRegString(HKEY_CURRENT_USER, kWatchedKey, L"Value", L"three");
  EXPECT_TRUE(PumpUntil([&] { return registryHandler.Count == 2; }));
  EXPECT_FALSE(registryMonitor.Thread()->Finished());
}

}  // namespace

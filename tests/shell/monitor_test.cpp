#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "framework/sys_utils.h"
#include "framework/thread.h"
#include "process_counts.h"
#include "registry_backup.h"
#include "shell/system/folder_monitor.h"
#include "shell/system/registry_monitor.h"
#include "support/message_pump.h"
#include "support/temp_folder.h"

using namespace shell;

namespace {

// Long enough for a worker that was just resumed to be waiting on its watch, in tests that show that nothing comes.
constexpr DWORD kWorkerStart = 300;

// A worker arms its watch a moment after it starts, and again after each hand-over; a change made before that
// goes unseen (the monitors are made so: a handler that writes where it is watched must not call itself for ever).
// So a test that waits to see a change makes a new one, change(attempt), until the monitor reports one.
constexpr int kAttempts = 16;
bool ChangeUntilSeen(const std::function<void(int attempt)>& change, const std::function<bool()>& seen) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    change(attempt);
    if (PumpUntil(seen, 250)) return true;
  }
  return false;
}

String Numbered(const wchar_t* name, int attempt) { return String(name) + IntToStr(attempt); }

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
  // Each kind of change on a name of its own per attempt; the files the steps need come first, unwatched.
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    Touch(folder.File(Numbered(L"moved", attempt)));
    Touch(folder.File(Numbered(L"deleted", attempt)));
  }
  TChangeCounter changes;
  TSysFolderMonitor monitor;
  monitor.SetFolder(folder.Path());
  monitor.SetOnChange(changes.Method());
  monitor.SetActive(true);
  ASSERT_NE(monitor.Thread(), nullptr);
  // Sub-folders are made after the watch began: changes inside older ones go unseen on some platforms.
  const std::function<void(int)> steps[] = {
      [&](int attempt) { Touch(folder.File(Numbered(L"new", attempt))); },
      [&](int attempt) {
        MoveFileW(folder.File(Numbered(L"moved", attempt)).c_str(), folder.File(Numbered(L"renamed", attempt)).c_str());
      },
      [&](int attempt) { DeleteFileW(folder.File(Numbered(L"deleted", attempt)).c_str()); },
      [&](int attempt) { CreateDirectoryW(folder.File(Numbered(L"sub", attempt)).c_str(), nullptr); },
      [&](int attempt) { Touch(folder.File(L"sub0\\" + Numbered(L"inner", attempt))); },
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    const int before = changes.Count;
    EXPECT_TRUE(ChangeUntilSeen(steps[i], [&] { return changes.Count > before; })) << i;
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
  EXPECT_TRUE(ChangeUntilSeen([&](int attempt) { Touch(folder.File(Numbered(L"seen", attempt))); },
                              [&] { return changes.Count > 0; }));
  // A change the worker is handing over while the monitor stops is dropped, not delivered later.
  PumpFor(50);
  const int seen = changes.Count;
  Touch(folder.File(L"dropped.txt"));
  Sleep(200);
  monitor->SetActive(false);
  PumpFor(200);
  EXPECT_EQ(changes.Count, seen);

  monitor->SetActive(true);
  PumpFor(kWorkerStart);
  monitor.reset();
  Touch(folder.File(L"gone.txt"));
  PumpFor(200);
  EXPECT_EQ(changes.Count, seen);
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
    EXPECT_TRUE(ChangeUntilSeen([&](int attempt) { Touch(folder.File(Numbered(L"first", attempt))); },
                                [&] { return calls > 0; }));
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
  SetCurrentDirectoryW(previous);
  EXPECT_TRUE(ChangeUntilSeen([&](int attempt) { Touch(folder.File(Numbered(L"here", attempt))); },
                              [&] { return changes.Count > 0; }));

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

bool WatchedKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kWatchedKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

TEST(RegistryMonitor, SeesValuesAndTheKeyComingAndGoing) {
  TRegistryBackup backup(HKEY_CURRENT_USER, kWatchedKey);
  RegDeleteTreeW(HKEY_CURRENT_USER, kWatchedKey);
  // Each report notes whether the key was there, so that the key's coming and going are told from its changes.
  TChangeCounter changes;
  int withKey = 0, withoutKey = 0;
  TSysRegistryMonitor monitor;
  monitor.SetRegistryKey(kWatchedKey);
  monitor.SetOnChange([&] {
    changes.Changed();
    ++(WatchedKeyExists() ? withKey : withoutKey);
  });
  monitor.SetActive(true);
  const auto write = [](const String& key, int attempt) {
    WriteRegString(HKEY_CURRENT_USER, key, L"Value", IntToStr(attempt));
  };
  const auto comes = [&](int attempt) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kWatchedKey);
    write(kWatchedKey, attempt);
  };
  const auto goes = [&](int attempt) {
    if (attempt > 0) write(kWatchedKey, attempt);
    RegDeleteTreeW(HKEY_CURRENT_USER, kWatchedKey);
  };
  int before = withKey;
  EXPECT_TRUE(ChangeUntilSeen(comes, [&] { return withKey > before; })) << "the key comes";
  before = withKey;
  EXPECT_TRUE(ChangeUntilSeen([&](int attempt) { write(kWatchedKey, attempt); }, [&] { return withKey > before; }))
      << "a value changes";
  before = withKey;
  EXPECT_TRUE(ChangeUntilSeen([&](int attempt) { write(String(kWatchedKey) + L"\\" + Numbered(L"Sub", attempt), 0); },
                              [&] { return withKey > before; }))
      << "a sub-key comes";
  before = withoutKey;
  EXPECT_TRUE(ChangeUntilSeen(goes, [&] { return withoutKey > before; })) << "the key goes";
  EXPECT_EQ(changes.OffMainThread, 0);
}

// A key deleted and made again before the worker looked at the root's change (here by the handler of the first
// report, while the worker waits for it) is watched again: its changes keep coming.
TEST(RegistryMonitor, AKeyMadeAgainIsWatchedAgain) {
  TRegistryBackup backup(HKEY_CURRENT_USER, kWatchedKey);
  RegDeleteTreeW(HKEY_CURRENT_USER, kWatchedKey);
  WriteRegString(HKEY_CURRENT_USER, kWatchedKey, L"Value", L"one");
  int reports = 0;
  TSysRegistryMonitor monitor;
  monitor.SetRegistryKey(kWatchedKey);
  monitor.SetOnChange([&] {
    if (++reports > 1) return;
    RegDeleteTreeW(HKEY_CURRENT_USER, kWatchedKey);
    WriteRegString(HKEY_CURRENT_USER, kWatchedKey, L"Value", L"made again");
  });
  monitor.SetActive(true);
  const auto write = [](int attempt) { WriteRegString(HKEY_CURRENT_USER, kWatchedKey, L"Value", IntToStr(attempt)); };
  EXPECT_TRUE(ChangeUntilSeen(write, [&] { return reports > 0; }));
  const int before = reports;
  EXPECT_TRUE(ChangeUntilSeen(write, [&] { return reports > before; }));
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

  EXPECT_TRUE(ChangeUntilSeen([&](int attempt) { Touch(folder.File(Numbered(L"file", attempt))); },
                              [&] { return folderHandler.Count > 0; }));
  EXPECT_TRUE(PumpUntil([&] { return folderMonitor.Thread()->Finished(); }));
  EXPECT_EQ(folderHandler.Count, 1);
  const auto write = [](int attempt) { WriteRegString(HKEY_CURRENT_USER, kWatchedKey, L"Value", IntToStr(attempt)); };
  EXPECT_TRUE(ChangeUntilSeen(write, [&] { return registryHandler.Count > 0; }));
  const int failed = registryHandler.Count;
  EXPECT_TRUE(ChangeUntilSeen(write, [&] { return registryHandler.Count > failed; }));
  EXPECT_FALSE(registryMonitor.Thread()->Finished());
}

}  // namespace

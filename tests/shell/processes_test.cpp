#include "shell/processes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/sys_utils.h"
#include "framework/text_convert.h"
#include "mail_client_fixture.h"
#include "shell/owned_handle.h"

using namespace shell;

namespace {

constexpr wchar_t kHelperName[] = L"window_process.exe";

struct TProcessWindows {
  HWND Main = nullptr;
  std::vector<HWND> Others;
};

BOOL CALLBACK CollectWindows(HWND window, LPARAM param) {
  auto* const found = reinterpret_cast<std::pair<DWORD, TProcessWindows>*>(param);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != found->first) return TRUE;
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (String(className) == L"ShellTestMainWindow")
    found->second.Main = window;
  else if (String(className) == L"ShellTestOtherWindow")
    found->second.Others.push_back(window);
  return TRUE;
}

// The helper process with its three windows, started once for the whole group and ended with it.
class ProcessRoutines : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    String commandLine = L"\"" + HelperPath(kHelperName) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    process_.Reset(info.hProcess);
    CloseHandle(info.hThread);
    processId_ = info.dwProcessId;
    for (int wait = 0; wait < 200 && (!windows_.Main || windows_.Others.size() < 2); ++wait) {
      Sleep(50);
      std::pair<DWORD, TProcessWindows> found{processId_, {}};
      EnumWindows(&CollectWindows, reinterpret_cast<LPARAM>(&found));
      windows_ = found.second;
    }
    ASSERT_NE(windows_.Main, nullptr);
    ASSERT_EQ(windows_.Others.size(), 2u);
  }
  static void TearDownTestSuite() {
    if (windows_.Main) PostMessageW(windows_.Main, WM_CLOSE, 0, 0);
    if (process_ && WaitForSingleObject(process_.Get(), 10000) != WAIT_OBJECT_0) TerminateProcess(process_.Get(), 1);
    process_.Reset();
    // A repeated run starts another helper: the windows of this one are gone.
    windows_ = {};
  }

  static inline TKernelHandle process_;
  static inline DWORD processId_ = 0;
  static inline TProcessWindows windows_;
};

const TRunningProcess* Find(const TRunningProcesses& list, DWORD processId) {
  for (const TRunningProcess& process : list)
    if (process.ProcessId == processId) return &process;
  return nullptr;
}

TEST_F(ProcessRoutines, MainWindowOfAProcess) {
  EXPECT_TRUE(IsMainAppWindow(windows_.Main));
  for (HWND other : windows_.Others) EXPECT_FALSE(IsMainAppWindow(other)) << "tool window or owned window";
  EXPECT_EQ(FindMainWindowOfProcess(processId_), windows_.Main) << "the windows above it are no main windows";
  EXPECT_EQ(FindMainWindowOfProcess(0xFFFFFFF0), nullptr);
}

TEST_F(ProcessRoutines, MainAppWindowRules) {
  const struct {
    const char* Name;
    DWORD ExStyle;
    bool Visible;
    bool Owned;
    bool Main;
  } cases[] = {
      {"plain", 0, true, false, true},
      {"hidden", 0, false, false, false},
      {"owned", 0, true, true, false},
      {"tool window", WS_EX_TOOLWINDOW, true, false, false},
      {"tool window on the task bar", WS_EX_TOOLWINDOW | WS_EX_APPWINDOW, true, false, true},
      {"owned on the task bar", WS_EX_APPWINDOW, true, true, false},
  };
  HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  for (const auto& test : cases) {
    HWND window = CreateWindowExW(test.ExStyle, L"STATIC", L"", WS_POPUP | (test.Visible ? WS_VISIBLE : 0), 0, 0, 10,
                                  10, test.Owned ? owner : nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(IsMainAppWindow(window), test.Main) << test.Name;
    DestroyWindow(window);
  }
  DestroyWindow(owner);
}

TEST_F(ProcessRoutines, ExecutableOfAProcess) {
  const String path = HelperPath(kHelperName);
  EXPECT_EQ(CompareText(ProcessFileName(processId_, true), path), 0) << WideToUtf8(ProcessFileName(processId_, true));
  EXPECT_EQ(CompareText(ProcessFileName(processId_, false), kHelperName), 0);
  EXPECT_EQ(CompareText(ProcessFileName(GetCurrentProcessId(), false), L"test_shell.exe"), 0);
  EXPECT_EQ(ProcessFileName(0xFFFFFFF0, true), L"") << "no such process";
}

// A handle left open keeps its slot: the next handle made would get another one. (The platform here counts no
// handles for GetProcessHandleCount.)
HANDLE NextHandleSlot() {
  const HANDLE probe = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  CloseHandle(probe);
  return probe;
}

TEST_F(ProcessRoutines, ProcessHandlesAreClosed) {
  const struct {
    const char* Name;
    std::function<void()> Call;
  } cases[] = {
      {"full path", [] { ProcessFileName(processId_, true); }},
      {"file name", [] { ProcessFileName(processId_, false); }},
      {"no such process", [] { ProcessFileName(0xFFFFFFF0, true); }},
      {"PSAPI list",
       [] {
         TRunningProcesses list;
         BuildListPS(list, true);
       }},
      {"tool help list",
       [] {
         TRunningProcesses list;
         BuildListTH(list, true);
       }},
  };
  for (const auto& test : cases) {
    const HANDLE slot = NextHandleSlot();
    for (int i = 0; i < 3; ++i) test.Call();
    EXPECT_EQ(NextHandleSlot(), slot) << test.Name;
  }
}

TEST_F(ProcessRoutines, RunningProcessLists) {
  const struct {
    const char* Name;
    bool (*Build)(TRunningProcesses&, bool);
    bool FullPath;
    String Expected;  // the helper's name as the list gives it
  } cases[] = {
      {"PSAPI, full paths", &BuildListPS, true, HelperPath(kHelperName)},
      {"PSAPI, file names", &BuildListPS, false, kHelperName},
      {"tool help, file names", &BuildListTH, false, kHelperName},
      {"the version's own list", &RunningProcessesList, false, kHelperName},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.Name);
    TRunningProcesses list;
    ASSERT_TRUE(test.Build(list, test.FullPath));
    const TRunningProcess* helper = Find(list, processId_);
    ASSERT_NE(helper, nullptr);
    EXPECT_EQ(CompareText(helper->Name, test.Expected), 0) << WideToUtf8(helper->Name);
    EXPECT_NE(Find(list, GetCurrentProcessId()), nullptr);
    for (const TRunningProcess& process : list) EXPECT_FALSE(process.Name.empty()) << process.ProcessId;
  }
}

TEST_F(ProcessRoutines, ProcessNameFromWindow) {
  // On the versions the routine does not know (this one), tool help gives the bare executable name.
  EXPECT_EQ(CompareText(ExtractFileName(ProcessNameFromWindow(windows_.Main)), kHelperName), 0);
  EXPECT_EQ(CompareText(ExtractFileName(ProcessNameFromWindow(windows_.Others[0])), kHelperName), 0);
  HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(CompareText(ExtractFileName(ProcessNameFromWindow(gone)), L"test_shell.exe"), 0);
  DestroyWindow(gone);
  EXPECT_EQ(ProcessNameFromWindow(gone), L"");
}

}  // namespace

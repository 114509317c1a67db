#include <algorithm>
#include <climits>
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "framework/application.h"
#include "framework/strings.h"
#include "framework/text_convert.h"
#include "mail_client_fixture.h"
#include "process_counts.h"
#include "registry_backup.h"
#include "shell/file_routines.h"
#include "shell/owned_handle.h"
#include "shell/registry_routines.h"
#include "shell/system/auto_run.h"
#include "shell/system/file_association.h"
#include "shell/system/file_operation.h"
#include "shell/system/one_instance.h"
#include "shell/system/shutdown.h"
#include "support/hostile_input.h"
#include "support/temp_folder.h"

using namespace shell;

namespace {

const TSysFileOperationFlags kQuiet{TSysFileOperationFlag::fofNoConfirmation, TSysFileOperationFlag::fofSilent,
                                    TSysFileOperationFlag::fofNoErrorUI, TSysFileOperationFlag::fofNoConfirmMkDir};

TEST(FileOperation, OnRealFiles) {
  TTempFolder folder;
  CreateDirectoryW(folder.File(L"dest").c_str(), nullptr);
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.log"}) StringToFile(folder.File(name), "x");
  const String dest = folder.File(L"dest");
  const struct {
    TSysFileOperationType Operation;
    std::vector<String> Lines;
    std::vector<String> Present, Absent;
  } cases[] = {
      {TSysFileOperationType::fotCopy,
       {folder.File(L"a.txt"), folder.File(L"b.txt")},
       {dest + L"\\a.txt", dest + L"\\b.txt", folder.File(L"a.txt")},
       {}},
      {TSysFileOperationType::fotCopy,
       {folder.File(L"c.log") + L"=copied.*", folder.File(L"a.txt")},
       {dest + L"\\copied.log", dest + L"\\a.txt"},
       {}},
      {TSysFileOperationType::fotMove, {folder.File(L"b.txt")}, {dest + L"\\b.txt"}, {folder.File(L"b.txt")}},
      {TSysFileOperationType::fotRename,
       {folder.File(L"c.log") + L"=" + folder.File(L"*.old")},
       {folder.File(L"c.old")},
       {folder.File(L"c.log")}},
      {TSysFileOperationType::fotDelete, {dest + L"\\a.txt"}, {}, {dest + L"\\a.txt"}},
  };
  for (const auto& test : cases) {
    TSysFileOperation operation;
    operation.SetOptions(kQuiet);
    operation.SetDestFolder(dest);
    for (const String& line : test.Lines) operation.FileList()->Add(line);
    operation.SetOperation(test.Operation);
    EXPECT_TRUE(operation.Execute()) << static_cast<int>(test.Operation);
    for (const String& file : test.Present) EXPECT_TRUE(shell::FileExists(file)) << WideToUtf8(file);
    for (const String& file : test.Absent) EXPECT_FALSE(shell::FileExists(file)) << WideToUtf8(file);
  }
  TSysFileOperation empty;
  EXPECT_TRUE(empty.Execute());
}

TEST(FileOperation, FailuresReachOnError) {
  TTempFolder folder;
  TSysFileOperation operation;
  operation.SetOptions(kQuiet);
  operation.SetDestFolder(folder.File(L"dest"));
  operation.FileList()->Add(folder.File(L"missing.txt"));
  std::vector<String> errors;
  operation.OnError = [&errors](TObject*, const String& text, bool& handled) {
    errors.push_back(text);
    handled = true;
  };
  EXPECT_FALSE(operation.Execute());
  EXPECT_EQ(errors.size(), 1u);
  String text;
  operation.GetErrorText(0, text);
  EXPECT_EQ(text, L"");
  operation.GetErrorText(ERROR_FILE_NOT_FOUND, text);
  EXPECT_FALSE(text.empty());
}

const wchar_t kExtension[] = L".bcassoc";
const wchar_t kFileType[] = L"BcAssocFile";

TEST(FileAssociation, WrittenToAndReadFromTheClassesRoot) {
  TRegistryBackup extension(HKEY_CLASSES_ROOT, kExtension);
  TRegistryBackup type(HKEY_CLASSES_ROOT, kFileType);
  TRegistryBackup defaultType(HKEY_CLASSES_ROOT, L"bcassocfile");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kExtension);

  TSysFileAssociation association;
  association.SetExtension(L"bcassoc");
  EXPECT_EQ(association.Extension(), kExtension);
  EXPECT_EQ(association.ExtDescription(), L"");
  EXPECT_FALSE(association.LargeIcon()->Empty()) << "the shell's document icon";
  // Read-only by default: nothing is taken.
  association.SetFileDescription(L"ignored");
  EXPECT_EQ(association.FileDescription(), L"");

  association.SetReadOnly(false);
  association.SetExtDescription(kFileType);
  association.SetFileDescription(L"Test document");
  association.SetIconFile(L"C:\\icons\\doc.ico");
  association.SetIconIndex(3);
  association.SetCommandDescription(TSysFileAssociation::vbOpen, L"&Open");
  association.SetCommand(TSysFileAssociation::vbOpen, L"viewer.exe \"%1\"");
  association.SetCommand(TSysFileAssociation::vbPrint, L"viewer.exe /p \"%1\"");
  EXPECT_EQ(RegReadStringDef(HKEY_CLASSES_ROOT, kExtension, L"", L"-"), kFileType);
  const String typeKey = String(kFileType) + L"\\";
  EXPECT_EQ(RegReadStringDef(HKEY_CLASSES_ROOT, typeKey + L"DefaultIcon", L"", L"-"), L"C:\\icons\\doc.ico,3");
  EXPECT_EQ(RegReadStringDef(HKEY_CLASSES_ROOT, typeKey + L"shell\\print\\command", L"", L"-"),
            L"viewer.exe /p \"%1\"");

  TSysFileAssociation reader;
  reader.SetExtension(kExtension);
  EXPECT_EQ(reader.FileDescription(), L"Test document");
  EXPECT_EQ(reader.IconFile(), L"C:\\icons\\doc.ico");
  EXPECT_EQ(reader.IconIndex(), 3);
  EXPECT_EQ(reader.CommandDescription(TSysFileAssociation::vbOpen), L"&Open");
  EXPECT_EQ(reader.Command(TSysFileAssociation::vbOpen), L"viewer.exe \"%1\"");
  EXPECT_EQ(reader.Command(TSysFileAssociation::vbEdit), L"");

  const struct {
    const wchar_t* Stored;
    const wchar_t* File;
    int Index;
  } icons[] = {
      {L"C:\\x.dll,-12", L"C:\\x.dll", -12},
      {L"C:\\x.dll", L"C:\\x.dll", 0},
      {L"C:\\x,y.dll,abc", L"C:\\x,y.dll,abc", 0},
      {L"C:\\a,1,2", L"C:\\a", 1},
  };
  for (const auto& test : icons) {
    WriteRegString(HKEY_CLASSES_ROOT, typeKey + L"DefaultIcon", L"", test.Stored);
    EXPECT_TRUE(reader.Read());
    EXPECT_EQ(reader.IconFile(), test.File);
    EXPECT_EQ(reader.IconIndex(), test.Index);
  }

  // Icon entries are read from outside: whatever they hold, reading answers without raising.
  std::mt19937 random(1207);
  const wchar_t alphabet[] = L"C:\\x.dl,-0123456789 ";
  for (int round = 0; round < 200; ++round) {
    String value(random() % 24, L' ');
    for (wchar_t& c : value) c = alphabet[random() % (std::size(alphabet) - 1)];
    WriteRegString(HKEY_CLASSES_ROOT, typeKey + L"DefaultIcon", L"", value);
    EXPECT_NO_THROW(reader.Read()) << WideToUtf8(value);
    // The reader only cuts the index off the end.
    EXPECT_EQ(value.compare(0, reader.IconFile().size(), reader.IconFile()), 0) << WideToUtf8(value);
    if (value.find(L',') == String::npos) {
      EXPECT_EQ(reader.IconIndex(), 0);
    }
  }

  EXPECT_TRUE(reader.Delete());
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kExtension));
  EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, kFileType));
  EXPECT_EQ(reader.FileDescription(), L"");
  EXPECT_TRUE(reader.Delete());

  // Without a type name, the extension names one.
  TSysFileAssociation plain;
  plain.SetExtension(kExtension);
  plain.SetReadOnly(false);
  plain.SetFileDescription(L"Plain");
  EXPECT_EQ(RegReadStringDef(HKEY_CLASSES_ROOT, kExtension, L"", L"-"), L"bcassocfile");
}

TEST(AutoRun, FollowsItsProperties) {
  const String key = AutoRunKey(TSysAutoExecKind::aekUserRun);
  TRegistryBackup backup(HKEY_CURRENT_USER, key);
  TSysAutoRun autoRun;
  EXPECT_EQ(CompareText(ExtractFileName(autoRun.FileName()), L"test_shell.exe"), 0);
  autoRun.SetKind(TSysAutoExecKind::aekUserRun);
  autoRun.SetFileName(L"C:\\tools\\first.exe");
  autoRun.SetAutoRun(true);
  EXPECT_EQ(RegReadStringDef(HKEY_CURRENT_USER, key, L"first.exe", L"-"), L"C:\\tools\\first.exe");
  autoRun.SetFileName(L"C:\\tools\\second.exe");
  EXPECT_EQ(RegReadStringDef(HKEY_CURRENT_USER, key, L"first.exe", L"-"), L"-");
  EXPECT_EQ(RegReadStringDef(HKEY_CURRENT_USER, key, L"second.exe", L"-"), L"C:\\tools\\second.exe");
  autoRun.SetAutoRun(false);
  EXPECT_EQ(RegReadStringDef(HKEY_CURRENT_USER, key, L"second.exe", L"-"), L"-");
}

// Runs the second instance and answers its exit code.
DWORD RunSecondInstance(const String& arguments, HANDLE* process = nullptr) {
  String commandLine = L"\"" + HelperPath(L"one_instance_process.exe") + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return 99;
  CloseHandle(info.hThread);
  if (process) {
    *process = info.hProcess;
    return STILL_ACTIVE;
  }
  WaitForSingleObject(info.hProcess, 30000);
  DWORD code = 99;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  return code;
}

TEST(OneInstance, GuardsAcrossProcesses) {
  const String saved = Application->Title();
  Application->SetTitle(L"Single instance test");
  const String identifier = L"Id" + std::to_wstring(GetCurrentProcessId());
  ReleaseInstanceMutex();
  {
    TSysOneInstance guard;
    guard.SetIdentifier(identifier);
    EXPECT_EQ(guard.MutexName(), L"Single instance test" + identifier + L".OneInstance.");
    ASSERT_FALSE(guard.IsPrevInstanceRunning());
    EXPECT_NE(InstanceMutex, nullptr);
    EXPECT_FALSE(guard.IsPrevInstanceRunning()) << "the holder asks again";
    EXPECT_EQ(RunSecondInstance(identifier), 1u);
    ReleaseInstanceMutex();
    EXPECT_EQ(RunSecondInstance(identifier), 0u);

    // The other process holds it now.
    const String eventName = L"BcOneInstanceRelease" + identifier;
    const TKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    const TKernelHandle held(CreateEventW(nullptr, TRUE, FALSE, (eventName + L"Held").c_str()));
    HANDLE holder = nullptr;
    RunSecondInstance(identifier + L" hold " + eventName, &holder);
    const TKernelHandle holderProcess(holder);
    ASSERT_EQ(WaitForSingleObject(held.Get(), 30000), WAIT_OBJECT_0);
    EXPECT_TRUE(guard.IsPrevInstanceRunning());
    EXPECT_EQ(InstanceMutex, nullptr) << "a losing instance keeps no handle";
    const DWORD before = OpenHandles();
    EXPECT_TRUE(guard.IsPrevInstanceRunning());
    EXPECT_EQ(OpenHandles(), before);
    SetEvent(release.Get());
    WaitForSingleObject(holder, 30000);
    EXPECT_FALSE(guard.IsPrevInstanceRunning());

    // A guard mutex that exists already means another instance is starting.
    const TKernelHandle starting(CreateMutexW(nullptr, FALSE, (guard.MutexName() + L"CriticalSection").c_str()));
    const DWORD whileStarting = OpenHandles();
    EXPECT_TRUE(guard.IsPrevInstanceRunning());
    EXPECT_EQ(OpenHandles(), whileStarting);
  }
  ReleaseInstanceMutex();
  Application->SetTitle(saved);
}

TEST(OneInstance, CheckAsksAndEndsTheApplicationUnlessTold) {
  const String identifier = L"Check" + std::to_wstring(GetCurrentProcessId());
  TSysOneInstance guard;
  guard.SetIdentifier(identifier);
  const TKernelHandle starting(CreateMutexW(nullptr, FALSE, (guard.MutexName() + L"CriticalSection").c_str()));
  guard.SetShowMessage(true);
  guard.SetActivatePrevInstance(false);
  int asked = 0;
  guard.OnShowMessage = [&asked](TObject*, bool& terminate) {
    ++asked;
    terminate = false;
  };
  Application->SetShowMainForm(true);
  EXPECT_TRUE(guard.Check());
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(Application->ShowMainForm());
  EXPECT_FALSE(Application->Terminated());
}

struct TShutdownCall {
  bool Session;
  UINT Flags;
};
std::vector<TShutdownCall> shutdownCalls;

TEST(Shutdown, AsksThenTellsTheSystem) {
  const TSysShutdownCalls previous = SetSysShutdownCalls({
      [](UINT flags, DWORD) -> BOOL {
        shutdownCalls.push_back({true, flags});
        return TRUE;
      },
      [](BOOL suspend, BOOL force) -> BOOL {
        shutdownCalls.push_back({false, (suspend ? 1u : 0u) | (force ? 2u : 0u)});
        return TRUE;
      },
  });
  const struct {
    TSysShutdownActionType Action;
    bool Force;
    TShutdownCall Expected;
  } cases[] = {
      {TSysShutdownActionType::aatPowerOff, false, {true, EWX_POWEROFF}},
      {TSysShutdownActionType::aatShutdown, true, {true, EWX_SHUTDOWN | EWX_FORCE}},
      {TSysShutdownActionType::aatReboot, false, {true, EWX_REBOOT}},
      {TSysShutdownActionType::aatLogOff, true, {true, EWX_LOGOFF | EWX_FORCE}},
      {TSysShutdownActionType::aatSuspend, true, {false, 3}},
      {TSysShutdownActionType::aatHibernate, false, {false, 0}},
  };
  TSysShutdown shutdown;
  shutdown.Execute();
  // The program's other threads open and close handles meanwhile: a handle each execution kept would show as growth
  // in every round, theirs in one at most.
  long leastGrowth = LONG_MAX;
  for (int round = 0; round < 3; ++round) {
    const DWORD before = OpenHandles();
    for (const auto& test : cases) {
      shutdownCalls.clear();
      shutdown.SetActionType(test.Action);
      shutdown.SetForce(test.Force);
      EXPECT_TRUE(shutdown.Execute());
      ASSERT_EQ(shutdownCalls.size(), 1u);
      EXPECT_EQ(shutdownCalls[0].Session, test.Expected.Session);
      EXPECT_EQ(shutdownCalls[0].Flags, test.Expected.Flags);
    }
    leastGrowth = std::min(leastGrowth, static_cast<long>(OpenHandles()) - static_cast<long>(before));
  }
  EXPECT_LE(leastGrowth, 0);
  shutdownCalls.clear();
  shutdown.OnQueryShutdown = [](TObject*, bool& can) { can = false; };
  EXPECT_FALSE(shutdown.Execute());
  EXPECT_TRUE(shutdownCalls.empty());
  // Made under the allocation guard, so that a touch of the component after its handler freed it faults.
  {
    TGuardedAllocations guard;
    auto freed = std::make_unique<TSysShutdown>();
    freed->OnQueryShutdown = [&freed](TObject*, bool&) { freed.reset(); };
    EXPECT_FALSE(freed->Execute());
    EXPECT_EQ(freed, nullptr);
    EXPECT_TRUE(shutdownCalls.empty());
  }
  SetSysShutdownCalls(previous);
}

}  // namespace

#include "support/program_copy.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "framework/exceptions.h"
#include "framework/text_convert.h"

namespace {

constexpr int kStartTries = 5;

// A start the platform refuses for want of memory, handles or address room, as on a busy machine, may succeed a
// moment later; one refused because the program or its command line is wrong never does.
bool MayStartLater(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_INVALID_PARAMETER:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
      return false;
    default:
      return true;
  }
}

struct TPipeReading {
  HANDLE Pipe;
  std::string Text;
};

// Reads the pipe until every writer has closed it.
DWORD WINAPI ReadPipe(void* parameter) {
  auto* reading = static_cast<TPipeReading*>(parameter);
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(reading->Pipe, buffer, sizeof buffer, &read, nullptr) && read > 0) reading->Text.append(buffer, read);
  return 0;
}

// Sets the copy's variable (and takes away this program's share of the tests) for a copy about to start, and puts
// back what the variables were when it goes.
class TCopyEnvironment {
 public:
  TCopyEnvironment(const wchar_t* variable, const String& value) {
    Set(variable, value.c_str());
    // A copy told of this program's share of the tests would run none of those it is named.
    for (const wchar_t* sharding : {L"GTEST_TOTAL_SHARDS", L"GTEST_SHARD_INDEX"}) Set(sharding, nullptr);
  }
  ~TCopyEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
      SetEnvironmentVariableW(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
  }
  TCopyEnvironment(const TCopyEnvironment&) = delete;
  TCopyEnvironment& operator=(const TCopyEnvironment&) = delete;

 private:
  void Set(const String& name, const wchar_t* value) {
    saved_.emplace_back(name, Read(name));
    SetEnvironmentVariableW(name.c_str(), value);
  }
  static std::optional<String> Read(const String& name) {
    const DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (size == 0) return std::nullopt;
    std::vector<wchar_t> text(size);
    const DWORD length = GetEnvironmentVariableW(name.c_str(), text.data(), size);
    return String(text.data(), length);
  }

  std::vector<std::pair<String, std::optional<String>>> saved_;
};

}  // namespace

TProgramCopyResult RunProgramCopy(const String& gtestFilter, const wchar_t* variable, const String& value,
                                  DWORD limitMilliseconds) {
  TProgramCopyResult result;
  wchar_t program[MAX_PATH];
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  String commandLine = String(L"\"") + program + L"\" --gtest_also_run_disabled_tests --gtest_filter=" + gtestFilter;

  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherited, 0)) {
    ADD_FAILURE() << "no pipe for the copy's output: " << WideToUtf8(SysErrorMessage(GetLastError()));
    return result;
  }
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process = {};
  // What the copy starts (a debugger the platform calls on a crash, say) inherits the pipe: the copy and all it
  // started share a job, so that ending the job at the limit closes every writer.
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  {
    const TCopyEnvironment copyEnvironment(variable, value);
    DWORD error = ERROR_SUCCESS;
    for (int tried = 1; !result.Started; ++tried) {
      result.Started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                                      nullptr, &startup, &process) != FALSE;
      if (result.Started) break;
      error = GetLastError();
      if (tried == kStartTries || !MayStartLater(error)) break;
      Sleep(100 * tried);
    }
    if (!result.Started)
      ADD_FAILURE() << "the copy of the program did not start: error " << error << ", "
                    << WideToUtf8(SysErrorMessage(error));
  }
  CloseHandle(writeEnd);
  if (result.Started) {
    if (job) AssignProcessToJobObject(job, process.hProcess);
    ResumeThread(process.hThread);
    TPipeReading reading{readEnd, {}};
    HANDLE reader = CreateThread(nullptr, 0, &ReadPipe, &reading, 0, nullptr);
    if (WaitForSingleObject(process.hProcess, limitMilliseconds) != WAIT_OBJECT_0) {
      TerminateProcess(process.hProcess, 1);
      if (job) TerminateJobObject(job, 1);
    }
    if (reader) {
      WaitForSingleObject(reader, INFINITE);
      CloseHandle(reader);
    }
    GetExitCodeProcess(process.hProcess, &result.ExitCode);
    result.Output = std::move(reading.Text);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  if (job) CloseHandle(job);
  CloseHandle(readEnd);
  return result;
}

bool IsProgramCopy(const wchar_t* variable) { return GetEnvironmentVariableW(variable, nullptr, 0) > 0; }

String ProgramCopyValue(const wchar_t* variable) {
  DWORD size = GetEnvironmentVariableW(variable, nullptr, 0);
  if (size == 0) return String();
  std::vector<wchar_t> text(size);
  DWORD length = GetEnvironmentVariableW(variable, text.data(), size);
  return String(text.data(), length);
}

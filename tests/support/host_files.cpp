#include "support/host_files.h"

#include <algorithm>
#include <utility>

#include "framework/text_convert.h"

namespace {

template <class Function>
Function WineFunction(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

// The command's text for the host's shell: the name in single quotes, with forward slashes.
std::string Quoted(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  return "'" + name + "'";
}

}  // namespace

std::string HostName(const String& path) {
  const auto hostName = WineFunction<char*(CDECL*)(const wchar_t*)>("wine_get_unix_file_name");
  if (!hostName) return {};
  char* name = hostName(path.c_str());
  if (!name) return {};
  std::string result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

String HostFileName(const std::string& hostPath) {
  const auto windowsName = WineFunction<wchar_t*(CDECL*)(const char*)>("wine_get_dos_file_name");
  wchar_t* name = windowsName ? windowsName(hostPath.c_str()) : nullptr;
  if (!name) return {};
  String result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

bool StartOnHost(const std::string& command) {
  const String shell = HostFileName("/bin/sh");
  if (shell.empty()) return false;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  String commandLine = L"sh -c \"" + Utf8ToWide(command) + L"\"";
  const bool started = CreateProcessW(shell.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                      &startup, &process) != FALSE;
  // A program of the host gets no handles: the platform leaves the process empty and the thread holding a value that
  // is no handle of this process, and closing it closed whatever handle had that number (the registry's key of the
  // current user, whose every later use then failed).
  if (process.hProcess) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  return started;
}

bool StartOnHost(const std::string& command, const String& doneMark) {
  const std::string markOnHost = HostName(doneMark);
  return !markOnHost.empty() && StartOnHost(command + "; : > " + Quoted(markOnHost));
}

bool DoneOnHost(const String& doneMark) {
  return Becomes([&] { return IsListed(doneMark); }, 6000);
}

bool IsListed(const String& path) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

bool MakeSymbolicLink(const String& link, const String& target) {
  if (CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) && IsListed(link))
    return true;
  const std::string linkOnHost = HostName(link);
  if (linkOnHost.empty()) return false;
  const bool relative = target.find(L':') == String::npos;
  const std::string targetOnHost = relative ? WideToUtf8(target) : HostName(target);
  return StartOnHost("ln -s " + Quoted(targetOnHost) + " " + Quoted(linkOnHost)) &&
         Becomes([&] { return IsListed(link); });
}

THostPipe::THostPipe(String path) : path_(std::move(path)) {
  const std::string pipeOnHost = HostName(path_);
  made_ =
      !pipeOnHost.empty() && StartOnHost("mkfifo " + Quoted(pipeOnHost)) && Becomes([&] { return IsListed(path_); });
}

THostPipe::~THostPipe() {
  if (made_ && StartOnHost("rm -f " + Quoted(HostName(path_)))) Becomes([&] { return !IsListed(path_); });
}

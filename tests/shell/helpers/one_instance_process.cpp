// A second program instance for the single-instance guard: "<identifier>" answers through its exit code whether
// another instance holds the guard (1) or it obtained it (0); "<identifier> hold <event>" obtains it and keeps it
// until the named event is set (or for a minute at most), setting the event named "<event>Held" once it holds it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <string>

#include "framework/application.h"
#include "framework/startup.h"
#include "shell/system/one_instance.h"
#include "shell/system_unit.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (count < 2) return 2;
  InitializeUnit(ControlsUnit());
  InitializeUnit(shell::SystemRoutinesUnit());
  Application->SetTitle(L"Single instance test");
  int result = 2;
  {
    shell::TSysOneInstance guard;
    guard.SetIdentifier(args[1]);
    result = guard.IsPrevInstanceRunning() ? 1 : 0;
    if (result == 0 && count >= 4 && lstrcmpW(args[2], L"hold") == 0) {
      HANDLE held = OpenEventW(EVENT_MODIFY_STATE, FALSE, (std::wstring(args[3]) + L"Held").c_str());
      if (held) {
        SetEvent(held);
        CloseHandle(held);
      }
      HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, args[3]);
      if (release) {
        WaitForSingleObject(release, 60000);
        CloseHandle(release);
      }
    }
  }
  LocalFree(args);
  FinalizeUnits();
  return result;
}

// The gallery: a real program whose main form shows a sample of every component set. With
// "--screenshot FILE.png" it renders the main form into FILE.png and ends instead of running.
#include <windows.h>

#include <cstdio>
#include <string>

#include "framework/application.h"
#include "framework/startup.h"
#include "gallery_form.h"
#include "screenshot.h"

namespace {

// The file named after "--screenshot", or empty when there is no such argument.
String ScreenshotFile() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  String file;
  for (int i = 1; i + 1 < count; ++i)
    if (String(arguments[i]) == L"--screenshot") file = arguments[i + 1];
  LocalFree(arguments);
  return file;
}

int RunGallery() {
  Application->SetTitle(L"Component gallery");
  Application->SetShowHint(true);
  TGalleryForm* form = Application->CreateForm<TGalleryForm>();
  String screenshot = ScreenshotFile();
  if (screenshot.empty()) {
    Application->Run();
    return 0;
  }
  form->Show();
  Application->ProcessMessages();
  SaveScreenshot(form, screenshot);
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int result = 1;
  try {
    InitializeUnit(FrameworkUnit());
    InitializeUnit(ControlsUnit());
    result = RunGallery();
  } catch (const Exception& e) {
    // A screenshot run is unattended: its failure goes to the console, never into a box nobody closes.
    if (ScreenshotFile().empty())
      MessageBoxW(nullptr, e.Message().c_str(), L"Component gallery", MB_OK | MB_ICONSTOP);
    else
      std::fwprintf(stderr, L"gallery: %ls\n", e.Message().c_str());
  }
  FinalizeUnits();
  return result;
}

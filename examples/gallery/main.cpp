// The gallery: a real program whose main form shows every component set at work. With "--screenshot FILE.png"
// it renders the main form into FILE.png and ends instead of running.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "framework/exceptions.h"
#include "framework/startup.h"
#include "gallery_run.h"
#include "gallery_units.h"

namespace {

std::vector<String> Arguments() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<String> list(arguments + (count > 0 ? 1 : 0), arguments + count);
  LocalFree(arguments);
  return list;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int result = 1;
  bool unattended = true;
  try {
    const TGalleryOptions options = ParseGalleryOptions(Arguments());
    unattended = !options.Screenshot.empty();
    InitializeUnit(FrameworkUnit());
    InitializeUnit(GalleryUnit());
    RunGallery(options);
    result = 0;
  } catch (const Exception& e) {
    // A screenshot run is unattended: its failure goes to the console, never into a box nobody closes.
    if (unattended)
      std::fwprintf(stderr, L"gallery: %ls\n", e.Message().c_str());
    else
      MessageBoxW(nullptr, e.Message().c_str(), L"Component gallery", MB_OK | MB_ICONSTOP);
  }
  FinalizeUnits();
  return result;
}

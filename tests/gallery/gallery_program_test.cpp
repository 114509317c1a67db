// The gallery starts and ends as the program does, in a copy of this test program whose fault recorder watches the
// whole run: the message loop closed by the close button, and the screenshot run; the units stop at the copy's
// end, as at the program's.
#include <gtest/gtest.h>
#include <windows.h>

#include "framework/application.h"
#include "framework/form.h"
#include "framework/sys_utils.h"
#include "gallery_run.h"
#include "support/program_copy.h"

namespace {

const wchar_t kRunVariable[] = L"BC_GALLERY_RUN";
const wchar_t kCloseRun[] = L"close";

// The close button, pressed once the message loop runs.
void CALLBACK PressCloseButton(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  PostMessageW(Application->MainForm()->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
}

String TempFileName(const wchar_t* name) {
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  return String(folder, length) + name;
}

}  // namespace

// Runs only in the copy: the variable says how the run ends.
TEST(GalleryProgram, DISABLED_StartsAndEnds) {
  TGalleryOptions options;
  const String run = ProgramCopyValue(kRunVariable);
  if (run == kCloseRun)
    SetTimer(nullptr, 0, 1, &PressCloseButton);
  else
    options.Screenshot = run;
  RunGallery(options);
}

TEST(GalleryProgram, StartsAndEndsWithoutAFault) {
  const String picture = TempFileName(L"gallery_program_run.png");
  DeleteFileW(picture.c_str());
  for (const String& run : {String(kCloseRun), picture}) {
    SCOPED_TRACE(run == kCloseRun ? "closed by the close button" : "screenshot run");
    TProgramCopyResult copy = RunProgramCopy(L"GalleryProgram.DISABLED_StartsAndEnds", kRunVariable, run);
    ASSERT_TRUE(copy.Started);
    EXPECT_EQ(copy.ExitCode, 0u) << copy.Output;
  }
  EXPECT_TRUE(FileExists(picture));
  DeleteFileW(picture.c_str());
}

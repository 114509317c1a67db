// The gallery starts and ends as the program does, in a copy of this test program whose fault recorder watches the
// whole run: the message loop closed by the close button after the form was used, and the screenshot run; the
// units stop at the copy's end, as at the program's.
#include <gtest/gtest.h>
#include <windows.h>

#include "framework/application.h"
#include "framework/form.h"
#include "framework/sys_utils.h"
#include "gallery_fixture.h"
#include "gallery_pages.h"
#include "gallery_run.h"
#include "support/program_copy.h"
#include "toolbars/docks/dockable_window.h"
#include "toolbars/theme/theme_registry.h"
#include "tree/string_tree.h"
#include "tree_page.h"

namespace {

const wchar_t kRunVariable[] = L"BC_GALLERY_RUN";
const wchar_t kCloseRun[] = L"close";

// What a user may have done before closing: rows renamed in both trees, copied and moved between them, every
// theme chosen in turn, a docked bar floated. What the form keeps of it all goes when the form goes.
void UseTheForm(TGalleryForm* form) {
  ASSERT_TRUE(form->ShowPage(FindGalleryPage(L"tree")));
  tree::TStringTree* large = form->TreePage()->LargeTree();
  tree::TStringTree* small = form->TreePage()->SmallTree();
  tree::PTreeNode folder = large->GetFirst();
  tree::PTreeNode row = large->GetFirstChild(folder);
  large->OnNewText(large, row, 0, L"Renamed row");
  EXPECT_TRUE(large->ClearSelection().Alive());
  EXPECT_FALSE(large->AddToSelection(row).TreeGone());
  DropSelection(large, small, nullptr, false);
  small->OnNewText(small, small->GetLast(), 0, L"Renamed copy");
  EXPECT_TRUE(small->ClearSelection().Alive());
  EXPECT_FALSE(small->AddToSelection(small->GetFirst()).TreeGone());
  DropSelection(small, large, folder, true);
  for (const toolbars::TThemeRegistryEntry& theme : toolbars::ThemeRegistry())
    ASSERT_TRUE(form->SelectTheme(theme.Name));
  for (toolbars::TBarCustomDockableWindow* bar : OwnedBelow<toolbars::TBarCustomDockableWindow>(form)) {
    if (bar->Floating() || !bar->CurrentDock()) continue;
    EXPECT_TRUE(bar->FloatOrDock(true).Alive());
    ASSERT_TRUE(bar->Floating());
    break;
  }
}

// Once the message loop runs: the form used, then its close button pressed.
void CALLBACK UseAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  UseTheForm(static_cast<TGalleryForm*>(Application->MainForm()));
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
    SetTimer(nullptr, 0, 1, &UseAndClose);
  else
    options.Screenshot = run;
  RunGallery(options);
}

// Each run a test of its own: a copy of the program takes seconds to start and end under the heap checks.
class GalleryRun : public testing::TestWithParam<bool> {};

TEST_P(GalleryRun, StartsAndEndsWithoutAFault) {
  const bool closed = GetParam();
  const String picture = TempFileName(L"gallery_program_run.png");
  DeleteFileW(picture.c_str());
  TProgramCopyResult copy =
      RunProgramCopy(L"GalleryProgram.DISABLED_StartsAndEnds", kRunVariable, closed ? String(kCloseRun) : picture);
  ASSERT_TRUE(copy.Started);
  EXPECT_EQ(copy.ExitCode, 0u) << copy.Output;
  if (!closed) {
    EXPECT_TRUE(FileExists(picture));
    DeleteFileW(picture.c_str());
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, GalleryRun, testing::Bool(), [](const testing::TestParamInfo<bool>& info) {
  return info.param ? std::string("UsedThenClosedByTheCloseButton") : std::string("ScreenshotRun");
});

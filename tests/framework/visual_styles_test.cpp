#include "framework/visual_styles.h"

#include <gtest/gtest.h>
#include <vssym32.h>

#include <memory>
#include <optional>

#include "support/test_environment.h"
#include "support/test_window.h"

namespace {

int loads = 0;

HMODULE CountingSystemLoader() {
  ++loads;
  return LoadLibraryW(L"uxtheme.dll");
}
HMODULE AbsentLibrary() { return nullptr; }
// A library without any of the entries.
HMODULE LibraryWithoutEntries() { return LoadLibraryW(L"version.dll"); }

// Installs a loader for one test and puts the real one back.
class LoaderScope {
 public:
  explicit LoaderScope(TVisualStylesLoader loader) : previous_(SetVisualStylesLoader(loader)) {}
  ~LoaderScope() { SetVisualStylesLoader(previous_); }

 private:
  TVisualStylesLoader previous_;
};

bool PlatformStylesInUse() {
  TVisualStylesBinding binding;
  return binding.Api().IsAppThemed() && binding.Api().IsThemeActive();
}

}  // namespace

TEST(VisualStylesBinding, TwoHoldersShareOneLoadAndTheEntriesOutliveTheFirst) {
  LoaderScope scope(&CountingSystemLoader);
  loads = 0;
  auto first = std::make_unique<TVisualStylesBinding>();
  auto second = std::make_unique<TVisualStylesBinding>();
  EXPECT_EQ(loads, 1) << "the second holder shares the first one's library";
  ASSERT_TRUE(second->Loaded());
  first.reset();
  ASSERT_TRUE(second->Loaded());
  ASSERT_NE(second->Api().IsThemeActive, nullptr) << "entries stay while anyone holds the binding";
  second->Api().IsThemeActive();
  second.reset();
  TVisualStylesBinding third;
  EXPECT_EQ(loads, 2) << "the last holder freed the library, so the next one loads it again";
}

TEST(VisualStylesBinding, AbsentLibraryOrEntriesAndTheClassicSwitchMeanClassicPainting) {
  struct Case {
    const char* name;
    TVisualStylesLoader loader;
    bool classic;
    bool loaded;
  };
  const Case cases[] = {
      {"system library", nullptr, false, true},
      {"classic switch", nullptr, true, true},
      {"library absent", &AbsentLibrary, false, false},
      {"entries absent", &LibraryWithoutEntries, false, true},
  };
  TTestWindow window;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoaderScope scope(c.loader);
    SetClassicPainting(c.classic);
    bool expectInUse = c.loader == nullptr && !c.classic && PlatformStylesInUse();
    TVisualStylesBinding binding;
    EXPECT_EQ(binding.Loaded(), c.loaded);
    EXPECT_EQ(VisualStylesInUse(), expectInUse);
    TThemeData theme(window.Handle(), L"BUTTON");
    EXPECT_EQ(theme.IsOpen(), expectInUse);
    HDC dc = GetDC(window.Handle());
    RECT rect{0, 0, 20, 20};
    EXPECT_EQ(theme.DrawBackground(dc, BP_PUSHBUTTON, PBS_NORMAL, rect), expectInUse);
    SIZE size{};
    EXPECT_EQ(theme.PartSize(dc, BP_CHECKBOX, CBS_UNCHECKEDNORMAL, TS_TRUE, size), expectInUse);
    ReleaseDC(window.Handle(), dc);
    SetClassicPainting(false);
  }
}

TEST(VisualStylesBinding, ThemeDataFollowsTheClassicSwitchWhenReopened) {
  if (!PlatformStylesInUse()) GTEST_SKIP() << "the platform paints without visual styles here";
  TTestWindow window;
  TThemeData theme(window.Handle(), L"TOOLBAR");
  ASSERT_TRUE(theme.IsOpen());
  {
    TTestEnvironment environment;
    environment.SetVisualStyles(false);
    EXPECT_TRUE(ClassicPainting());
    EXPECT_FALSE(theme.IsOpen()) << "open data turns off as soon as classic painting is forced";
    EXPECT_FALSE(theme.Reopen()) << "styles report off everywhere while classic painting is forced";
    COLORREF color = 0;
    EXPECT_FALSE(theme.Color(0, 0, TMT_FILLCOLOR, color));
  }
  EXPECT_FALSE(ClassicPainting()) << "the environment put the switch back";
  EXPECT_TRUE(theme.Reopen());
}

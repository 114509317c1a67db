#include "framework/visual_styles.h"

#include <gtest/gtest.h>
#include <vssym32.h>

#include <memory>

#include "support/test_window.h"

namespace {

int loads = 0;

HMODULE CountingSystemLoader() {
  ++loads;
  return LoadLibraryW(L"uxtheme.dll");
}
HMODULE AbsentLibrary() { return nullptr; }
HMODULE LibraryWithoutEntries() { return LoadLibraryW(L"version.dll"); }

// Installs a loader for one test and puts the previous one back.
struct LoaderScope {
  explicit LoaderScope(TVisualStylesLoader loader) : previous(SetVisualStylesLoader(loader)) {}
  ~LoaderScope() { SetVisualStylesLoader(previous); }
  TVisualStylesLoader previous;
};

}  // namespace

TEST(VisualStylesBinding, TwoHoldersShareOneLoadAndTheEntriesOutliveTheFirst) {
  LoaderScope scope(&CountingSystemLoader);
  loads = 0;
  auto first = std::make_unique<TVisualStylesBinding>();
  auto second = std::make_unique<TVisualStylesBinding>();
  EXPECT_EQ(loads, 1);
  first.reset();
  ASSERT_TRUE(second->Loaded());
  ASSERT_NE(second->Api().IsThemeActive, nullptr) << "entries stay while anyone holds the binding";
  second->Api().IsThemeActive();
  second.reset();
  TVisualStylesBinding third;
  EXPECT_EQ(loads, 2) << "the last holder freed the library";
}

TEST(VisualStylesBinding, AbsentLibraryOrEntriesAndTheClassicSwitchMeanClassicPainting) {
  bool platformInUse = VisualStylesInUse();
  struct Case {
    const char* name;
    TVisualStylesLoader loader;
    bool classic;
    bool loaded;
  };
  const Case cases[] = {{"system library", nullptr, false, true},
                        {"classic switch", nullptr, true, true},
                        {"library absent", &AbsentLibrary, false, false},
                        {"entries absent", &LibraryWithoutEntries, false, true}};
  TTestWindow window;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoaderScope scope(c.loader);
    bool inUse = platformInUse && c.loader == nullptr && !c.classic;
    TThemeData theme(window.Handle(), L"BUTTON");
    SetClassicPainting(c.classic);
    TVisualStylesBinding binding;
    EXPECT_EQ(binding.Loaded(), c.loaded);
    EXPECT_EQ(VisualStylesInUse(), inUse);
    EXPECT_EQ(theme.IsOpen(), inUse) << "forcing classic painting turns open data off at once";
    HDC dc = GetDC(window.Handle());
    SIZE size{};
    EXPECT_EQ(theme.DrawBackground(dc, BP_PUSHBUTTON, PBS_NORMAL, RECT{0, 0, 20, 20}), inUse);
    EXPECT_EQ(theme.PartSize(dc, BP_CHECKBOX, CBS_UNCHECKEDNORMAL, TS_TRUE, size), inUse);
    ReleaseDC(window.Handle(), dc);
    SetClassicPainting(false);
    EXPECT_EQ(theme.Reopen(), platformInUse && c.loader == nullptr);
  }
}

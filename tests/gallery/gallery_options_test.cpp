// The gallery's command line: what it takes, what it refuses, and how the choices reach the form.
#include "gallery_options.h"

#include <string>
#include <vector>

#include "controls/tabs/page_control.h"
#include "gallery_fixture.h"
#include "gallery_pages.h"
#include "gallery_run.h"
#include "toolbars/theme/theme_registry.h"

TEST(GalleryOptions, ReadsTheOptionsItKnowsAndRefusesTheRest) {
  struct TCase {
    std::vector<String> Arguments;
    bool Valid;
    String Screenshot, Page, Theme;
  };
  const TCase cases[] = {
      {{}, true, L"", L"", L""},
      {{L"--screenshot", L"a.png"}, true, L"a.png", L"", L""},
      {{L"--screenshot", L"a.png", L"--page", L"tree", L"--theme", L"Pastel"}, true, L"a.png", L"tree", L"Pastel"},
      {{L"--theme", L"Relief", L"--page", L"shell"}, true, L"", L"shell", L"Relief"},
      // The last of a repeated option counts.
      {{L"--page", L"tree", L"--page", L"feeds"}, true, L"", L"feeds", L""},
      {{L"--screenshot"}, false, L"", L"", L""},
      {{L"--page", L""}, false, L"", L"", L""},
      {{L"--colour", L"red"}, false, L"", L"", L""},
      {{L"a.png"}, false, L"", L"", L""},
      {{L"-screenshot", L"a.png"}, false, L"", L"", L""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.Arguments.empty() ? std::wstring() : c.Arguments[0]));
    if (!c.Valid) {
      EXPECT_THROW(ParseGalleryOptions(c.Arguments), Exception);
      continue;
    }
    const TGalleryOptions options = ParseGalleryOptions(c.Arguments);
    EXPECT_EQ(options.Screenshot, c.Screenshot);
    EXPECT_EQ(options.Page, c.Page);
    EXPECT_EQ(options.Theme, c.Theme);
  }
}

TEST_F(GalleryTest, PageAndThemeNamesChooseWhatTheFormShowsWithoutRegardToCase) {
  for (size_t i = 0; i < GalleryPages().size(); ++i) {
    String shouted = GalleryPages()[i].Name;
    for (wchar_t& c : shouted) c = static_cast<wchar_t>(towupper(c));
    ApplyGalleryOptions(Form(), {L"", shouted, L""});
    EXPECT_EQ(Form()->Pages()->ActivePageIndex(), static_cast<int>(i));
  }
  for (const toolbars::TThemeRegistryEntry& entry : toolbars::ThemeRegistry()) {
    String quiet = entry.Name;
    for (wchar_t& c : quiet) c = static_cast<wchar_t>(towlower(c));
    ApplyGalleryOptions(Form(), {L"", L"", quiet});
    EXPECT_EQ(Form()->ThemeName(), entry.Name);
  }
}

TEST_F(GalleryTest, AnUnknownPageOrThemeIsRefusedWithTheNamesThereAre) {
  ApplyGalleryOptions(Form(), {L"", L"tree", L"Pastel"});
  for (const TGalleryOptions& options : {TGalleryOptions{L"", L"nowhere", L""}, TGalleryOptions{L"", L"", L"Plaid"}}) {
    try {
      ApplyGalleryOptions(Form(), options);
      ADD_FAILURE() << "an unknown name was taken";
    } catch (const Exception& e) {
      const String& expected = options.Page.empty() ? toolbars::ThemeRegistry().front().Name : String(L"feeds");
      EXPECT_NE(e.Message().find(expected), String::npos) << testing::PrintToString(e.Message());
    }
  }
  EXPECT_EQ(Form()->Pages()->ActivePageIndex(), FindGalleryPage(L"tree")) << "what was shown stays";
  EXPECT_EQ(Form()->ThemeName(), L"Pastel");
}

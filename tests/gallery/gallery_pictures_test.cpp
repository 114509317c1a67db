// Every page of the gallery under every registered theme: each picture is the window's size and shows something,
// the pages differ from each other and every theme paints the bars its own way.
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "controls/tabs/page_control.h"
#include "gallery_fixture.h"
#include "gallery_pages.h"
#include "screenshot.h"
#include "toolbars/bars/toolbar.h"
#include "toolbars/theme/theme_registry.h"

namespace {

// The pages the gallery must at least show, and the themes it registers (the tests are made before it registers
// them, a test for each).
constexpr size_t kMinimumPages = 6;
constexpr size_t kThemes = 8;

size_t DistinctColors(const TScreenshot& picture) {
  std::set<std::uint32_t> colors;
  for (size_t i = 0; i + 3 < picture.Pixels.size(); i += 4)
    colors.insert(picture.Pixels[i] | picture.Pixels[i + 1] << 8 | picture.Pixels[i + 2] << 16);
  return colors.size();
}

// The share of pixels (0..1) that differ between two pictures of one size inside the rectangle.
double DifferingShare(const TScreenshot& a, const TScreenshot& b, const RECT& area) {
  size_t differing = 0;
  size_t total = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) {
      const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(a.Width) + static_cast<size_t>(x)) * 4;
      ++total;
      if (a.Pixels[at] != b.Pixels[at] || a.Pixels[at + 1] != b.Pixels[at + 1] || a.Pixels[at + 2] != b.Pixels[at + 2])
        ++differing;
    }
  return total ? static_cast<double>(differing) / static_cast<double>(total) : 0;
}

// Where GALLERY_PICTURES names a folder, every picture is also written there for a person to look at.
void Keep(const TScreenshot& picture, const String& page, const String& theme) {
  const char* folder = std::getenv("GALLERY_PICTURES");
  if (!folder || !*folder) return;
  String name = String(folder, folder + std::strlen(folder)) + L"\\" + page + L"-" + theme + L".png";
  SavePng(picture, name);
}

// The rectangle of a window inside the form's picture.
RECT AreaOf(TGalleryForm* form, HWND wnd) {
  RECT frame;
  GetWindowRect(form->Handle(), &frame);
  RECT rect;
  GetWindowRect(wnd, &rect);
  OffsetRect(&rect, -frame.left, -frame.top);
  return rect;
}

}  // namespace

class GalleryPictures : public GalleryTest {
 protected:
  // The picture of the form showing a page under the theme chosen, checked to be the window's size and to show
  // something.
  static TScreenshot PictureOf(size_t page, const String& theme) {
    EXPECT_TRUE(Form()->ShowPage(static_cast<int>(page)));
    Settle();
    TScreenshot picture = CaptureScreenshot(Form());
    Keep(picture, GalleryPages()[page].Name, theme);
    SCOPED_TRACE(testing::Message() << "page " << testing::PrintToString(std::wstring(GalleryPages()[page].Name))
                                    << ", theme " << testing::PrintToString(theme));
    EXPECT_EQ(picture.Width, Form()->Width());
    EXPECT_EQ(picture.Height, Form()->Height());
    EXPECT_GE(DistinctColors(picture), 16u) << "a blank or nearly blank picture";
    return picture;
  }
};

// A test for each theme, so that each stays short: every page under it.
class GalleryThemes : public GalleryPictures, public testing::WithParamInterface<size_t> {};

TEST_P(GalleryThemes, EveryPageIsTheWindowsSizeShowsSomethingAndDiffers) {
  const auto& pages = GalleryPages();
  ASSERT_GE(pages.size(), kMinimumPages);
  const String theme = toolbars::ThemeRegistry()[GetParam()].Name;
  ASSERT_TRUE(Form()->SelectTheme(theme));
  std::vector<TScreenshot> pictures;
  for (size_t p = 0; p < pages.size(); ++p) pictures.push_back(PictureOf(p, theme));
  const RECT pageArea = AreaOf(Form(), Form()->Pages()->Handle());
  for (size_t p = 0; p < pages.size(); ++p)
    for (size_t q = p + 1; q < pages.size(); ++q)
      EXPECT_GT(DifferingShare(pictures[p], pictures[q], pageArea), 0.02)
          << "pages " << p << " and " << q << " look alike under " << testing::PrintToString(theme);
}

INSTANTIATE_TEST_SUITE_P(Each, GalleryThemes, testing::Range<size_t>(0, kThemes));

// The menu bar and the toolbars are painted by the theme: no two themes may paint them alike.
TEST_F(GalleryPictures, NoTwoThemesPaintTheBarsAlike) {
  const auto& themes = toolbars::ThemeRegistry();
  ASSERT_EQ(themes.size(), kThemes) << "a test pictures the pages under each theme";
  std::vector<TScreenshot> pictures;
  for (const auto& theme : themes) {
    ASSERT_TRUE(Form()->SelectTheme(theme.Name));
    pictures.push_back(PictureOf(0, theme.Name));
  }
  const RECT barArea = AreaOf(Form(), Form()->MenuBar()->Parent()->Handle());
  for (size_t t = 0; t < themes.size(); ++t)
    for (size_t u = t + 1; u < themes.size(); ++u)
      EXPECT_GT(DifferingShare(pictures[t], pictures[u], barArea), 0.0)
          << testing::PrintToString(themes[t].Name) << " and " << testing::PrintToString(themes[u].Name)
          << " paint the bars alike";
}

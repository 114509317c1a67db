#include <windows.h>
// The common controls header needs the platform types first.
#include <commctrl.h>

#include "tree/buffered_string.h"
#include "tree/tree_drawing.h"
#include "tree_fixture.h"

namespace tree_test {
namespace {

// A memory DC with the system font, for measuring text.
class TTextDC {
 public:
  TTextDC() : dc_(CreateCompatibleDC(nullptr)) { SelectObject(dc_, GetStockObject(DEFAULT_GUI_FONT)); }
  ~TTextDC() { DeleteDC(dc_); }
  TTextDC(const TTextDC&) = delete;
  TTextDC& operator=(const TTextDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

TEST(TreeDrawing, WideTextBreaksLinesAtEachBreakKind) {
  TTextDC dc;
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.Get(), &metrics);
  const std::pair<const wchar_t*, int> cases[] = {
      {L"a", 1},
      {L"a\r\nb", 2},
      {L"a\rb", 2},
      {L"a\nb", 2},
      {L"a\x2028"
       L"b",
       2},
      {L"a\r\n\r\nb", 3},
      {L"a\n\nb\n", 3},
  };
  for (auto& [text, lines] : cases) {
    RECT r{10, 20, 10, 20};
    DrawWideText(dc.Get(), text, static_cast<int>(wcslen(text)), r, DT_CALCRECT, true);
    EXPECT_EQ(r.bottom - 20, lines * metrics.tmHeight) << static_cast<int>(text[1]);
    EXPECT_GT(r.right, 10);
  }
  RECT single{0, 0, 0, 0};
  DrawWideText(dc.Get(), L"a\nb", 3, single, DT_CALCRECT | DT_SINGLELINE, false);
  EXPECT_EQ(single.bottom, metrics.tmHeight);
  EXPECT_EQ(single.right, 0) << "without adjustRight the width stays";
}

TEST(TreeDrawing, ShortenedTextFitsWithItsEllipsis) {
  TTextDC dc;
  SIZE dots{};
  GetTextExtentPoint32W(dc.Get(), L"...", 3, &dots);
  EXPECT_EQ(ShortenWideText(dc.Get(), L"Some longer caption", dots.cx, false), L"");
  EXPECT_EQ(ShortenWideText(dc.Get(), L"", 100, false), L"");
  EXPECT_EQ(ShortenWideText(dc.Get(), L"abc", 0, false), L"");
  const String text = L"A caption far too long for the space it is given";
  for (int width : {static_cast<int>(dots.cx) + 1, 40, 80, 120}) {
    String shortened = ShortenWideText(dc.Get(), text, width, false);
    ASSERT_GE(shortened.size(), 3u);
    EXPECT_EQ(shortened.substr(shortened.size() - 3), L"...");
    EXPECT_EQ(text.compare(0, shortened.size() - 3, shortened, 0, shortened.size() - 3), 0);
    SIZE size{};
    GetTextExtentPoint32W(dc.Get(), shortened.c_str(), static_cast<int>(shortened.size()), &size);
    EXPECT_LE(size.cx, width) << width;
  }
}

// A 32-bit bottom-up DIB section of one colour selected into its own DC (the platform here reports every DIB
// section's height as positive, so a top-down one would be read upside down).
class TDibDC {
 public:
  TDibDC(int width, int height, std::uint32_t pixel) : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    std::fill(bits_, bits_ + width * height, pixel);
    width_ = width;
    height_ = height;
  }
  ~TDibDC() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  TDibDC(const TDibDC&) = delete;
  TDibDC& operator=(const TDibDC&) = delete;
  HDC Get() const { return dc_; }
  std::uint32_t Pixel(int x, int y) const { return bits_[(height_ - 1 - y) * width_ + x]; }

 private:
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  std::uint32_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

TEST(TreeDrawing, BlendModes) {
  struct TCase {
    TBlendMode mode;
    std::uint32_t source, destination;
    int alpha, bias;
    std::uint32_t expected;
  };
  const TCase cases[] = {
      {TBlendMode::blendConstant, 0x00FF0000, 0x000000FF, 128, 0, 0x007F007F},
      {TBlendMode::blendConstant, 0x00FFFFFF, 0x00000000, 256, 0, 0x00FFFFFF},
      {TBlendMode::blendConstant, 0x00101010, 0x00101010, 0, 300, 0xFFFFFFFF},
      {TBlendMode::blendConstant, 0x00101010, 0x00101010, 0, -300, 0x00000000},
      {TBlendMode::blendPerPixel, 0x80FF0000, 0x000000FF, 0, 0, 0x407F007F},
      {TBlendMode::blendPerPixel, 0x00FF0000, 0x000000FF, 255, 0, 0x000000FF},
      {TBlendMode::blendConstantWithColor, 0, 0x00000000, 128, 0x0000FF, 0x007F0000},
  };
  for (const TCase& c : cases) {
    TDibDC source(8, 8, c.source), destination(8, 8, c.destination);
    BlendBitmapRect(source.Get(), destination.Get(), RECT{0, 0, 4, 4}, POINT{0, 0}, c.mode, c.alpha, c.bias);
    EXPECT_EQ(destination.Pixel(1, 1), c.expected) << static_cast<int>(c.mode) << " alpha " << c.alpha;
    EXPECT_EQ(destination.Pixel(5, 5), c.destination) << "outside the rectangle";
  }
  TDibDC destination(4, 4, 0x00123456);
  HDC screen = GetDC(nullptr);
  BlendBitmapRect(screen, destination.Get(), RECT{0, 0, 4, 4}, POINT{0, 0}, TBlendMode::blendConstant, 128, 0);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(destination.Pixel(0, 0), 0x00123456u) << "a source without a DIB section blends nothing";
}

TEST(TreeDrawing, BufferedStringsGrowPastTheirBlock) {
  TBufferedString narrow;
  TWideBufferedString wide;
  std::string expected;
  for (int i = 0; i < 2000; ++i) {
    narrow.Add("line " + std::to_string(i));
    narrow.AddNewLine();
    wide.Add(L"x");
    expected += "line " + std::to_string(i) + "\r\n";
  }
  EXPECT_EQ(narrow.AsString(), expected);
  EXPECT_EQ(wide.AsString(), String(2000, L'x'));
  TWideBufferedString empty;
  EXPECT_EQ(empty.AsString(), L"");
}

TEST(TreeDrawing, SmallHelpers) {
  std::vector<std::uint32_t> values{5, 3, 0xFFFFFFFF, 3, 0, 9, 1};
  SortCardinals(values.data(), 0, static_cast<int>(values.size()) - 1);
  EXPECT_EQ(values, (std::vector<std::uint32_t>{0, 1, 3, 3, 5, 9, 0xFFFFFFFF}));
  RECT r = NormalizeRect(RECT{10, 20, 1, 2});
  EXPECT_EQ(r.left, 1);
  EXPECT_EQ(r.top, 2);
  EXPECT_EQ(r.right, 10);
  EXPECT_EQ(r.bottom, 20);
  EXPECT_EQ(ColorToImageListColor(clNone), CLR_NONE);
  EXPECT_EQ(ColorToImageListColor(clDefault), CLR_DEFAULT);
  EXPECT_EQ(ColorToImageListColor(0x00123456), 0x00123456u);
  EXPECT_EQ(ColorToImageListColor(clHighlight), GetSysColor(COLOR_HIGHLIGHT));
}

}  // namespace
}  // namespace tree_test

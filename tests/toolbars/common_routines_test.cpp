#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "framework/lists.h"
#include "framework/object.h"
#include "support/test_window.h"
#include "support/window_capture.h"
#include "toolbars/common/bar_common.h"

using namespace toolbars;

namespace {

// A DC over a capture with a known font and black text.
class TTextCanvas {
 public:
  TTextCanvas(int width, int height) : capture_(width, height) {
    capture_.Fill(RGB(255, 255, 255));
    font_ = CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, L"Arial");
    old_ = SelectObject(capture_.DC(), font_);
    SetTextColor(capture_.DC(), RGB(0, 0, 0));
    SetBkMode(capture_.DC(), TRANSPARENT);
  }
  ~TTextCanvas() {
    SelectObject(capture_.DC(), old_);
    DeleteObject(font_);
  }
  HDC DC() const { return capture_.DC(); }
  TWindowCapture& Capture() { return capture_; }

 private:
  TWindowCapture capture_;
  HFONT font_;
  HGDIOBJ old_;
};

}  // namespace

TEST(BarCommonArithmetic, DivRoundUpRoundsAwayFromZero) {
  struct TCase {
    int X, Y, Expected;
  };
  // (-1, 2) and (1, -2) truncate to 0 and must still round away from zero.
  const TCase cases[] = {{7, 2, 4},   {-7, 2, -4}, {6, 2, 3},   {1, 2, 1},   {-1, 2, -1}, {1, -2, -1},
                         {-1, -2, 1}, {0, 5, 0},   {7, -2, -4}, {-6, 3, -2}, {10, 3, 4},  {26, 3, 9}};
  for (const TCase& c : cases) EXPECT_EQ(DivRoundUp(c.X, c.Y), c.Expected) << c.X << " / " << c.Y;
  EXPECT_EQ(MinInt(3, -4), -4);
  EXPECT_EQ(MinInt(-4, 3), -4);
}

TEST(BarCommonText, PrefixWidthLeavesOutAccelMarks) {
  TTextCanvas canvas(10, 10);
  struct TCase {
    const wchar_t* Text;
    const wchar_t* Shown;
  };
  const TCase cases[] = {{L"&File", L"File"},   {L"Save &&Exit", L"Save &Exit"},
                         {L"Ends &", L"Ends "}, {L"a&b&c", L"abc"},
                         {L"&&&x", L"&x"},      {L"", L""}};
  for (const TCase& c : cases) {
    EXPECT_EQ(GetTextWidth(canvas.DC(), c.Text, true), GetTextExtentWidth(canvas.DC(), c.Shown)) << c.Text;
    EXPECT_EQ(GetTextWidth(canvas.DC(), c.Text, false), GetTextExtentWidth(canvas.DC(), c.Text)) << c.Text;
  }
  TEXTMETRICW metrics{};
  GetTextMetricsW(canvas.DC(), &metrics);
  EXPECT_EQ(GetTextHeight(canvas.DC()), metrics.tmHeight);
}

TEST(BarCommonLists, AddAndRemoveManageTheList) {
  std::unique_ptr<std::vector<int*>> list;
  int a = 1;
  int b = 2;
  EXPECT_TRUE(AddToList(list, &a));
  ASSERT_TRUE(list);
  EXPECT_FALSE(AddToList(list, &a));
  EXPECT_EQ(list->size(), 1u);
  EXPECT_TRUE(AddToList(list, &b));
  RemoveFromList(list, &a);
  ASSERT_TRUE(list);
  EXPECT_EQ(list->front(), &b);
  RemoveFromList(list, &b);
  EXPECT_FALSE(list) << "the list goes with its last item";
  RemoveFromList(list, &b);
}

TEST(BarCommonLists, ListSortExSortsWithExtraData) {
  std::vector<int> values{9, 3, 7, 1, 8, 2, 2, 6, 0, 5, 4};
  TList list;
  for (int& v : values) list.Add(&v);
  int calls = 0;
  ListSortEx(
      list,
      [](void* a, void* b, void* extra) {
        ++*static_cast<int*>(extra);
        return *static_cast<int*>(a) - *static_cast<int*>(b);
      },
      &calls);
  ASSERT_EQ(list.Count(), 11);
  for (int i = 1; i < list.Count(); ++i)
    EXPECT_LE(*static_cast<int*>(list.Items(i - 1)), *static_cast<int*>(list.Items(i)));
  EXPECT_GT(calls, 0);
}

// The show delay stored in the user's desktop settings, each value restored afterwards.
class MenuShowDelaySetting : public testing::Test {
 protected:
  void SetUp() override {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
    DWORD size = sizeof saved_;
    DWORD type = 0;
    hadValue_ = RegQueryValueExW(key_, L"MenuShowDelay", nullptr, &type, reinterpret_cast<BYTE*>(saved_), &size) ==
                ERROR_SUCCESS;
    savedSize_ = size;
    savedType_ = type;
  }
  void TearDown() override {
    if (hadValue_)
      RegSetValueExW(key_, L"MenuShowDelay", 0, savedType_, reinterpret_cast<const BYTE*>(saved_), savedSize_);
    else
      RegDeleteValueW(key_, L"MenuShowDelay");
    RegCloseKey(key_);
  }
  void Store(const wchar_t* text) {
    RegSetValueExW(key_, L"MenuShowDelay", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
  }
  HKEY key_ = nullptr;
  wchar_t saved_[64] = {};
  DWORD savedSize_ = 0;
  DWORD savedType_ = 0;
  bool hadValue_ = false;
};

TEST_F(MenuShowDelaySetting, ReadsWholeNumbersOnly) {
  struct TCase {
    const wchar_t* Stored;
    int Expected;
  };
  const TCase cases[] = {{L"250", 250},
                         {L"abc", 0},
                         {L"", 0},
                         {L"12x", 0},
                         {L"0", 0},
                         {L"-5", -5},
                         {L"400000000000000000000000000000", 0}};
  for (const TCase& c : cases) {
    Store(c.Stored);
    EXPECT_EQ(ReadMenuShowDelaySetting(), c.Expected) << "stored \"" << testing::PrintToString(c.Stored) << "\"";
  }
  RegDeleteValueW(key_, L"MenuShowDelay");
  EXPECT_EQ(ReadMenuShowDelaySetting(), 100);
  const DWORD number = 7;
  RegSetValueExW(key_, L"MenuShowDelay", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  EXPECT_EQ(ReadMenuShowDelaySetting(), 0) << "a value that is no text";
  EXPECT_GE(GetMenuShowDelay(), 0);
}

TEST(BarCommonMonitors, RectanglesOfTheOneMonitor) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const RECT primaryWork = GetRectOfPrimaryMonitor(true);
  EXPECT_TRUE(EqualRect(&primaryWork, &work));
  const RECT screen = GetRectOfPrimaryMonitor(false);
  EXPECT_EQ(screen.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(screen.bottom, GetSystemMetrics(SM_CYSCREEN));
  const RECT byPoint = GetRectOfMonitorContainingPoint(POINT{-5000, 10}, true);
  EXPECT_TRUE(EqualRect(&byPoint, &work)) << "the nearest monitor";
  const RECT byRect = GetRectOfMonitorContainingRect(RECT{10, 10, 20, 20}, false);
  EXPECT_TRUE(EqualRect(&byRect, &screen));
  EXPECT_TRUE(PointsEqual(POINT{3, 4}, POINT{3, 4}));
  EXPECT_FALSE(PointsEqual(POINT{3, 4}, POINT{4, 3}));
}

TEST(BarCommonDrawing, InvertedOutlineMovesWithoutTouchingTheCommonPart) {
  TWindowCapture capture(60, 60);
  capture.Fill(RGB(255, 255, 255));
  // Inverting white with a white pattern gives black.
  HBRUSH inverting = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  const RECT first{10, 10, 40, 40};
  DrawInvertRect(capture.DC(), &first, nullptr, SIZE{2, 2}, SIZE{}, inverting, inverting);
  EXPECT_EQ(capture.CountPixels(RGB(0, 0, 0)), 30 * 30 - 26 * 26);
  EXPECT_EQ(capture.Pixel(20, 20), RGB(255, 255, 255)) << "the inside stays";
  // Moving by one step right: the old frame is taken away and the new one drawn in one inversion.
  const RECT second{12, 10, 42, 40};
  DrawInvertRect(capture.DC(), &second, &first, SIZE{2, 2}, SIZE{2, 2}, inverting, inverting);
  EXPECT_EQ(capture.CountPixels(RGB(0, 0, 0)), 30 * 30 - 26 * 26);
  EXPECT_EQ(capture.Pixel(10, 20), RGB(255, 255, 255));
  EXPECT_EQ(capture.Pixel(41, 20), RGB(0, 0, 0));
  // Taking it away leaves the capture as it was.
  DrawInvertRect(capture.DC(), nullptr, &second, SIZE{}, SIZE{2, 2}, inverting, inverting);
  EXPECT_EQ(capture.CountPixels(RGB(255, 255, 255)), 60 * 60);
  DrawHalftoneInvertRect(capture.DC(), &first, nullptr, SIZE{4, 4}, SIZE{});
  const int inverted = 60 * 60 - capture.CountPixels(RGB(255, 255, 255));
  EXPECT_EQ(inverted, (30 * 30 - 22 * 22) / 2) << "every other pixel of the frame";
}

TEST(BarCommonDrawing, RotatedCaptionUnderlinesItsAccelerator) {
  struct TCase {
    const wchar_t* Caption;
    const wchar_t* Before;  // the text before the underlined letter, as drawn
    const wchar_t* Letter;  // nullptr: nothing underlined
  };
  const TCase cases[] = {
      {L"Close &Tab", L"Close ", L"T"}, {L"Save &&Exit", nullptr, nullptr}, {L"&Go &Back", L"Go ", L"B"}};
  for (const TCase& c : cases) {
    TTextCanvas canvas(40, 160);
    const RECT rect{0, 0, 40, 160};
    DrawRotatedText(canvas.DC(), c.Caption, rect, 0);
    HFONT rotated = CreateRotatedFont(canvas.DC());
    ASSERT_NE(rotated, nullptr);
    HGDIOBJ old = SelectObject(canvas.DC(), rotated);
    TEXTMETRICW metrics{};
    GetTextMetricsW(canvas.DC(), &metrics);
    const int lineX = (40 - metrics.tmHeight) / 2 + metrics.tmDescent - 2;
    int underlined = 0;
    int firstY = -1;
    for (int y = 0; y < 160; ++y)
      if (canvas.Capture().Pixel(lineX, y) == RGB(0, 0, 0)) {
        if (firstY < 0) firstY = y;
        ++underlined;
      }
    if (!c.Letter) {
      EXPECT_LT(underlined, 3) << testing::PrintToString(c.Caption) << ": nothing is underlined";
    } else {
      const int y1 = GetTextExtentWidth(canvas.DC(), c.Before);
      const int y2 = y1 + GetTextExtentWidth(canvas.DC(), c.Letter);
      EXPECT_EQ(firstY, y1) << testing::PrintToString(c.Caption);
      EXPECT_GE(underlined, y2 - y1) << testing::PrintToString(c.Caption);
    }
    SelectObject(canvas.DC(), old);
    DeleteObject(rotated);
    KeepCaptureForViewing(canvas.Capture(), L"rotated_caption");
  }
}

TEST(BarCommonDrawing, RotatedCaptionEllipsisAndPrefixHiding) {
  // Two pixels high: the first character and the dots are what is drawn.
  TTextCanvas reference(40, 60);
  TTextCanvas drawnFirst(40, 60);
  DrawRotatedText(drawnFirst.DC(), L"A long caption", RECT{0, 0, 40, 2}, DT_END_ELLIPSIS | DT_NOCLIP);
  DrawRotatedText(reference.DC(), L"A...", RECT{0, 0, 40, 2}, DT_NOCLIP);
  int differences = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 40; ++x)
      if (drawnFirst.Capture().Pixel(x, y) != reference.Capture().Pixel(x, y)) ++differences;
  EXPECT_EQ(differences, 0);
  EXPECT_GT(reference.Capture().CountPixels(RGB(0, 0, 0)), 0);

  TTextCanvas shown(40, 100);
  TTextCanvas hidden(40, 100);
  DrawRotatedText(shown.DC(), L"&Menu", RECT{0, 0, 40, 100}, 0);
  DrawRotatedText(hidden.DC(), L"&Menu", RECT{0, 0, 40, 100}, DT_HIDEPREFIX);
  EXPECT_GT(shown.Capture().CountPixels(RGB(0, 0, 0)), hidden.Capture().CountPixels(RGB(0, 0, 0)));
  TTextCanvas empty(40, 40);
  DrawRotatedText(empty.DC(), L"", RECT{0, 0, 40, 40}, 0);
  EXPECT_EQ(empty.Capture().CountPixels(RGB(255, 255, 255)), 40 * 40);
}

TEST(BarCommonMessages, RemoveMessagesKeepsAQuit) {
  const UINT first = WM_APP + 10;
  PostThreadMessageW(GetCurrentThreadId(), first, 0, 0);
  PostThreadMessageW(GetCurrentThreadId(), first + 1, 0, 0);
  RemoveMessages(first, first + 1);
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, first, first + 1, PM_REMOVE));
  // A quit taken out with the rest is posted again, so the program still ends.
  PostThreadMessageW(GetCurrentThreadId(), first, 0, 0);
  PostQuitMessage(7);
  RemoveMessages(0, first + 1);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(MenuShowDelaySetting, AnyStoredBytesGiveANumberAndNoError) {
  std::mt19937 random(20261207);
  const DWORD types[] = {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_DWORD, REG_NONE};
  for (int round = 0; round < 300; ++round) {
    BYTE bytes[48];
    const DWORD length = random() % sizeof bytes;
    for (DWORD i = 0; i < length; ++i) bytes[i] = static_cast<BYTE>(random() % 4 == 0 ? '0' + random() % 10 : random());
    const DWORD type = types[random() % std::size(types)];
    RegSetValueExW(key_, L"MenuShowDelay", 0, type, bytes, length);
    int delay = -1;
    EXPECT_NO_THROW(delay = ReadMenuShowDelaySetting()) << "round " << round;
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
      EXPECT_EQ(delay, 0) << "round " << round;
    }
  }
}

TEST(BarCommonSystem, SoundSchemesDecideWhetherToPlay) {
  const wchar_t* key = L"AppEvents\\Schemes\\Apps\\.Default\\BarTestSound\\.Current";
  HKEY sound = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sound, nullptr),
            ERROR_SUCCESS);
  struct TCase {
    const wchar_t* Value;  // nullptr: no default value
    bool Expected;
  };
  const TCase cases[] = {{L"ding.wav", true}, {L"", false}, {L"a", true}, {nullptr, false}};
  for (const TCase& c : cases) {
    if (c.Value)
      RegSetValueExW(sound, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(c.Value),
                     static_cast<DWORD>((wcslen(c.Value) + 1) * sizeof(wchar_t)));
    else
      RegDeleteValueW(sound, nullptr);
    EXPECT_EQ(NeedToPlaySound(L"BarTestSound"), c.Expected) << testing::PrintToString(c.Value ? c.Value : L"(none)");
  }
  RegCloseKey(sound);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"AppEvents\\Schemes\\Apps\\.Default\\BarTestSound");
  EXPECT_FALSE(NeedToPlaySound(L"BarTestSound")) << "no key, no sound";
  EXPECT_GT(GetInputLocaleCodePage(), 0u);
}

TEST(BarCommonSystem, MouseTrackingIsBoundOnce) {
  TTestWindow window;
  InitTrackMouseEvent();
  InitTrackMouseEvent();
  EXPECT_TRUE(CallTrackMouseEvent(window.Handle(), TME_LEAVE));
  EXPECT_TRUE(CallTrackMouseEvent(window.Handle(), TME_CANCEL | TME_LEAVE));
}

namespace {

constexpr COLORREF kFrameColor = RGB(200, 0, 0);
constexpr COLORREF kClientColor = RGB(0, 0, 200);
constexpr COLORREF kChildColor = RGB(0, 160, 0);
constexpr int kFrame = 5;

void PaintFrame(HWND, HDC dc, void*) {
  HBRUSH brush = CreateSolidBrush(kFrameColor);
  RECT all{0, 0, 400, 400};
  FillRect(dc, &all, brush);
  DeleteObject(brush);
}

// A window with a frame of its own that prints itself through the shared printing routine.
std::optional<LRESULT> PrintingWindow(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCALCSIZE) {
    auto* rect = reinterpret_cast<RECT*>(lParam);
    InflateRect(rect, -kFrame, -kFrame);
    return 0;
  }
  if (msg == WM_PRINT) {
    TMessage message{msg, wParam, lParam, 0};
    HandleWMPrint(wnd, message, &PaintFrame, nullptr);
    return message.Result;
  }
  if (msg == WM_PRINTCLIENT || msg == WM_ERASEBKGND) {
    RECT client;
    GetClientRect(wnd, &client);
    HBRUSH brush = CreateSolidBrush(GetParent(wnd) ? kChildColor : kClientColor);
    FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
    DeleteObject(brush);
    return 1;
  }
  return std::nullopt;
}

}  // namespace

TEST(BarCommonPrinting, FrameClientAndChildrenLandInPlace) {
  TTestWindow window({100, 100, 200, 180}, &PrintingWindow);
  SetWindowPos(window.Handle(), nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, window.Handle(), nullptr,
                               nullptr, nullptr);
  SetWindowLongPtrW(child, GWLP_WNDPROC,
                    reinterpret_cast<LONG_PTR>(+[](HWND wnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
                      if (msg == WM_PRINT || msg == WM_PRINTCLIENT || msg == WM_ERASEBKGND) {
                        HDC dc = reinterpret_cast<HDC>(w);
                        HBRUSH brush = CreateSolidBrush(kChildColor);
                        RECT r{0, 0, 20, 20};
                        FillRect(dc, &r, brush);
                        DeleteObject(brush);
                        return 1;
                      }
                      return DefWindowProcW(wnd, msg, w, l);
                    }));
  const TWindowCapture capture = TWindowCapture::OfWindow(window.Handle());
  EXPECT_EQ(capture.Pixel(1, 1), kFrameColor);
  EXPECT_EQ(capture.Pixel(kFrame + 2, kFrame + 2), kClientColor);
  EXPECT_EQ(capture.Pixel(kFrame + 15, kFrame + 15), kChildColor) << "a child at its place in the client area";
  EXPECT_EQ(capture.Pixel(99, 79), kFrameColor);
  ShowWindow(window.Handle(), SW_HIDE);
  const TWindowCapture hidden =
      TWindowCapture::OfWindow(window.Handle(), PRF_CHECKVISIBLE | PRF_NONCLIENT | PRF_CLIENT);
  EXPECT_EQ(hidden.CountPixels(TWindowCapture::kUnpainted), hidden.Width() * hidden.Height());
  DestroyWindow(child);
}

#include <gtest/gtest.h>

#include "control_fixtures.h"
#include "framework/accelerators.h"
#include "framework/layered_windows.h"
#include "framework/regions.h"
#include "support/test_window.h"

TEST(Accelerators, FindAccelCharAndIsAccel) {
  const struct {
    const wchar_t* caption;
    wchar_t accel;
  } cases[] = {{L"&File", L'F'}, {L"Save &as", L'a'}, {L"a&&b", 0}, {L"&a&b", L'b'}, {L"end&", 0},
               {L"", 0},         {L"&&&x", L'x'},     {L"x&&", 0},  {L"&&", 0},      {L"&\u00e4", L'\u00e4'}};
  for (const auto& c : cases) EXPECT_EQ(FindAccelChar(c.caption), c.accel) << testing::PrintToString(String(c.caption));
  const struct {
    wchar_t key;
    const wchar_t* caption;
    bool matches;
  } keys[] = {{L'f', L"&File", true}, {L'F', L"&file", true},        {L'x', L"&File", false},
              {L'&', L"a&&b", false}, {L'\u00c4', L"&\u00e4", true}, {0, L"plain", false}};
  for (const auto& k : keys) EXPECT_EQ(IsAccel(k.key, k.caption), k.matches) << static_cast<int>(k.key);
}

TEST(LayeredWindows, ConstantAlphaAndPerPixelContent) {
  for (BYTE alpha : {BYTE{0}, BYTE{128}, BYTE{255}}) {
    TTestWindow window;
    ASSERT_TRUE(SetLayeredAlpha(window.Handle(), alpha));
    EXPECT_TRUE(GetWindowLongPtrW(window.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE read = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window.Handle(), nullptr, &read, &flags));
    EXPECT_EQ(read, alpha);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
  }
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 40, -30, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP pixels = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HBITMAP noAlpha = CreateBitmap(40, 30, 1, 24, nullptr);
  TTestWindow window;
  EXPECT_FALSE(UpdateLayeredFromBitmap(window.Handle(), noAlpha, POINT{10, 10})) << "only 32-bit pixels carry alpha";
  ASSERT_TRUE(UpdateLayeredFromBitmap(window.Handle(), pixels, POINT{120, 140}, 200));
  RECT bounds;
  GetWindowRect(window.Handle(), &bounds);
  EXPECT_EQ(bounds.left, 120);
  EXPECT_EQ(bounds.top, 140);
  EXPECT_EQ(bounds.right - bounds.left, 40);
  EXPECT_EQ(bounds.bottom - bounds.top, 30);
  DeleteObject(pixels);
  DeleteObject(noAlpha);
}

TEST(Regions, BitmapShapeLeavesOutTheTransparentColour) {
  constexpr COLORREF kKey = RGB(255, 0, 255);
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 10, 8);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, 10, 8}, block{2, 1, 5, 3};
  HBRUSH key = CreateSolidBrush(kKey), ink = CreateSolidBrush(RGB(0, 0, 0));
  FillRect(dc, &all, key);
  FillRect(dc, &block, ink);
  SetPixel(dc, 9, 7, RGB(10, 20, 30));
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  TRegion region = CreateRegionFromBitmap(bitmap, kKey);
  ASSERT_TRUE(region);
  RECT box;
  GetRgnBox(region.Handle(), &box);
  EXPECT_EQ(box.left, 2);
  EXPECT_EQ(box.top, 1);
  EXPECT_EQ(box.right, 10);
  EXPECT_EQ(box.bottom, 8);
  const struct {
    POINT point;
    bool inside;
  } probes[] = {{{2, 1}, true}, {{4, 2}, true}, {{5, 2}, false}, {{9, 7}, true}, {{0, 0}, false}, {{8, 7}, false}};
  for (const auto& probe : probes)
    EXPECT_EQ(PtInRegion(region.Handle(), probe.point.x, probe.point.y) != 0, probe.inside);
  TTestWindow window;
  ASSERT_TRUE(SetWindowShape(window.Handle(), std::move(region)));
  EXPECT_FALSE(region) << "the window owns the region now";
  TRegion copy = CreateNullRegion();
  EXPECT_EQ(GetWindowRgn(window.Handle(), copy.Handle()), COMPLEXREGION);
  DeleteObject(key);
  DeleteObject(ink);
  DeleteObject(bitmap);
}

namespace {

// A container of pages: showing a control inside one of its pages brings that page forward, as a page control does.
class TTestBook : public TTestPanel {
  BC_CLASS(TTestBook, TTestPanel)
  using TTestPanel::TTestPanel;
  std::vector<TControl*> Asked;
  TRaised ShowControl(TControl* control) override {
    Asked.push_back(control);
    for (int i = 0; i < ControlCount(); ++i) EXPECT_TRUE(Controls(i)->SetVisible(Controls(i) == control).Alive());
    return TTestPanel::ShowControl(control);
  }
};

class ShowControlTest : public ControlTest {};

}  // namespace

TEST_F(ShowControlTest, ShowingOrFocusingAControlOnAHiddenPageBringsThePageForward) {
  auto* book = Make<TTestBook>(Form(), {0, 0, 200, 200});
  auto* first = Make<TTestPanel>(book, {0, 0, 200, 200});
  auto* second = Make<TTestPanel>(book, {0, 0, 200, 200});
  EXPECT_TRUE(second->Hide().Alive());
  auto* label = Make<TTestPanel>(second, {10, 10, 50, 30});
  EXPECT_TRUE(label->SetVisible(false).Alive());
  auto* edit = Make<TTestPanel>(second, {10, 40, 50, 60});
  edit->SetTabStop(true);
  EXPECT_TRUE(Form()->Show().Alive());

  EXPECT_TRUE(label->Show().Alive());
  EXPECT_EQ(book->Asked, std::vector<TControl*>{second}) << "the request reaches the book with the page as the child";
  EXPECT_TRUE(second->Visible());
  EXPECT_FALSE(first->Visible());
  EXPECT_TRUE(label->Visible());

  EXPECT_TRUE(first->Show().Alive());
  ASSERT_FALSE(second->Visible());
  book->Asked.clear();
  EXPECT_TRUE(edit->SetFocus().Alive());
  EXPECT_EQ(book->Asked, std::vector<TControl*>{second});
  EXPECT_TRUE(edit->Focused());
}

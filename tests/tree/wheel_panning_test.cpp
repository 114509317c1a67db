// Wheel panning: the panning window (place, shape, image), the tree's focus, capture, states and timer, the cursor
// that shows where the view would move, and the end of panning.
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <vector>

#include "paint_tree.h"

namespace tree_test {
namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);

struct TPanningTree : TPaintTree {
  using TBaseTree::AdjustPanningCursor;
  using TBaseTree::StartWheelPanning;
  using TBaseTree::StopWheelPanning;
  using TPaintTree::TPaintTree;
};

// The directions the content can move in, made by the number of rows and the width of their content.
struct TContent {
  const char* name;
  bool horizontal;
  bool vertical;
  TPanningTree* Make(HWND host) const {
    auto* tree = new TPanningTree(host, 300, 180, vertical ? 100 : 5);
    tree->contentWidth = horizontal ? 1000 : 40;
    tree->UpdateScrollBars(false);
    EXPECT_TRUE(tree->SetFocus().Alive());
    return tree;
  }
};
constexpr TContent kContents[] = {{"both", true, true}, {"vertical", false, true}, {"horizontal", true, false}};

// The bitmap resource's pixels as COLORREF values, rows top-down.
std::vector<COLORREF> ResourcePixels(const wchar_t* name) {
  auto bitmap = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_BITMAP, 0, 0, 0));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 32;
  info.bmiHeader.biHeight = -32;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> bits(32 * 32);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetDIBits(screen, bitmap, 0, 32, bits.data(), &info, DIB_RGB_COLORS), 32) << "resource missing";
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
  std::vector<COLORREF> pixels;
  for (DWORD bit : bits) pixels.push_back(RGB((bit >> 16) & 0xFF, (bit >> 8) & 0xFF, bit & 0xFF));
  return pixels;
}

// A cursor's look: its mask bits and hot spot.
std::vector<BYTE> CursorLook(HCURSOR cursor) {
  ICONINFO info{};
  if (!cursor || !GetIconInfo(cursor, &info)) return {};
  BITMAP mask{};
  GetObjectW(info.hbmMask, sizeof mask, &mask);
  std::vector<BYTE> look(static_cast<size_t>(mask.bmWidthBytes) * mask.bmHeight);
  GetBitmapBits(info.hbmMask, static_cast<LONG>(look.size()), look.data());
  look.push_back(static_cast<BYTE>(info.xHotspot));
  look.push_back(static_cast<BYTE>(info.yHotspot));
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return look;
}

// The look of the cursor whose image the resource holds.
std::vector<BYTE> ResourceCursorLook(const wchar_t* name) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HRSRC resource = FindResourceW(instance, name, RT_RCDATA);
  if (!resource) return {};
  auto* data = static_cast<BYTE*>(LockResource(LoadResource(instance, resource)));
  HCURSOR cursor = CreateIconFromResourceEx(data, SizeofResource(instance, resource), FALSE, 0x00030000, 0, 0, 0);
  std::vector<BYTE> look = CursorLook(cursor);
  DestroyCursor(cursor);
  return look;
}

HWND PanningWindow() { return FindWindowW(L"TreePanningWindow", nullptr); }

// Whether timer 4 of the tree fires within the time: a running timer is seen at its first message, however busy
// the machine; a stopped one is given ten of its 20 ms periods.
bool ScrollTimerFires(HWND tree, DWORD milliseconds) {
  ULONGLONG end = GetTickCount64() + milliseconds;
  MSG msg;
  while (GetTickCount64() < end) {
    while (PeekMessageW(&msg, tree, WM_TIMER, WM_TIMER, PM_REMOVE))
      if (msg.wParam == ScrollTimer) return true;
    Sleep(5);
  }
  return false;
}

using TPanningFixture = TPaintFixture;

TEST_F(TPanningFixture, WindowShowsTheDirectionsAtTheStartPoint) {
  const wchar_t* images[] = {L"TREE_MOVEALL", L"TREE_MOVENS", L"TREE_MOVEEW"};
  for (size_t i = 0; i < std::size(kContents); ++i) {
    const TContent& content = kContents[i];
    std::unique_ptr<TPanningTree> tree(content.Make(host.Handle()));
    tree->StartWheelPanning(POINT{200, 150});

    HWND window = PanningWindow();
    ASSERT_TRUE(window) << content.name;
    EXPECT_TRUE(IsWindowVisible(window)) << content.name;
    // Owned by the tree, that is by its top-level window, as the platform makes owners top-level.
    EXPECT_EQ(GetWindow(window, GW_OWNER), GetAncestor(tree->Handle(), GA_ROOT)) << content.name;
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) << content.name;
    EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_POPUP) << content.name;
    RECT bounds{};
    GetWindowRect(window, &bounds);
    EXPECT_EQ(bounds.left, 184) << content.name;
    EXPECT_EQ(bounds.top, 134) << content.name;
    EXPECT_EQ(bounds.right - bounds.left, 32) << content.name;
    EXPECT_EQ(bounds.bottom - bounds.top, 32) << content.name;

    // The window's shape is the image without its magenta; inside it the window paints the image.
    std::vector<COLORREF> expected = ResourcePixels(images[i]);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(window, region), ERROR) << content.name;
    TWindowCapture painted = TWindowCapture::OfClient(window);
    int inside = 0, mismatches = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        COLORREF pixel = expected[static_cast<size_t>(y) * 32 + x];
        bool shape = pixel != kMagenta;
        EXPECT_EQ(PtInRegion(region, x, y) != FALSE, shape) << content.name << " " << x << "," << y;
        if (shape) {
          ++inside;
          mismatches += painted.Pixel(x, y) != pixel;
        }
      }
    DeleteObject(region);
    EXPECT_GT(inside, 600) << content.name;
    EXPECT_EQ(mismatches, 0) << content.name;
    KeepCaptureForViewing(painted, std::wstring(L"panning_window_") + images[i]);

    EXPECT_EQ(GetCapture(), tree->Handle()) << content.name;
    EXPECT_EQ(GetFocus(), tree->Handle()) << content.name;
    EXPECT_TRUE(tree->TreeStates().Contains(TTreeState::stWheelPanning)) << content.name;
    EXPECT_TRUE(tree->TreeStates().Contains(TTreeState::stWheelScrolling)) << content.name;
    EXPECT_TRUE(ScrollTimerFires(tree->Handle(), 5000)) << content.name;

    tree->StopWheelPanning();
    EXPECT_FALSE(IsWindow(window)) << content.name;
    EXPECT_FALSE(PanningWindow()) << content.name;
    EXPECT_NE(GetCapture(), tree->Handle()) << content.name;
    EXPECT_FALSE(tree->TreeStates().Contains(TTreeState::stWheelPanning)) << content.name;
    EXPECT_FALSE(tree->TreeStates().Contains(TTreeState::stWheelScrolling)) << content.name;
    EXPECT_FALSE(ScrollTimerFires(tree->Handle(), 200)) << content.name;
  }
}

TEST_F(TPanningFixture, CursorPointsWhereTheViewMoves) {
  struct TCase {
    int dx, dy;
    const wchar_t* both;
    const wchar_t* vertical;
    const wchar_t* horizontal;
  };
  const TCase cases[] = {
      {0, 0, L"TREE_MOVEALL", L"TREE_MOVENS", L"TREE_MOVEEW"},
      {8, -8, L"TREE_MOVEALL", L"TREE_MOVENS", L"TREE_MOVEEW"},
      {-8, 8, L"TREE_MOVEALL", L"TREE_MOVENS", L"TREE_MOVEEW"},
      {0, -9, L"TREE_MOVEN", L"TREE_MOVEN", L"TREE_MOVEE"},
      {8, 30, L"TREE_MOVES", L"TREE_MOVES", L"TREE_MOVEE"},
      {-8, -30, L"TREE_MOVEN", L"TREE_MOVEN", L"TREE_MOVEW"},
      {9, 0, L"TREE_MOVEE", L"TREE_MOVES", L"TREE_MOVEE"},
      {-9, 8, L"TREE_MOVEW", L"TREE_MOVES", L"TREE_MOVEW"},
      {20, -20, L"TREE_MOVENE", L"TREE_MOVEN", L"TREE_MOVEE"},
      {20, 20, L"TREE_MOVESE", L"TREE_MOVES", L"TREE_MOVEE"},
      {-20, -20, L"TREE_MOVENW", L"TREE_MOVEN", L"TREE_MOVEW"},
      {-20, 20, L"TREE_MOVESW", L"TREE_MOVES", L"TREE_MOVEW"},
      {0, 0, L"TREE_MOVEALL", L"TREE_MOVENS", L"TREE_MOVEEW"},
  };
  // Every cursor looks different from the others, so a cursor's look names it.
  const wchar_t* names[] = {L"TREE_MOVENS", L"TREE_MOVEALL", L"TREE_MOVEEW", L"TREE_MOVEN",
                            L"TREE_MOVES",  L"TREE_MOVEE",   L"TREE_MOVEW",  L"TREE_MOVENE",
                            L"TREE_MOVESE", L"TREE_MOVENW",  L"TREE_MOVESW"};
  for (const wchar_t* a : names) {
    ASSERT_FALSE(ResourceCursorLook(a).empty());
    for (const wchar_t* b : names) {
      if (a != b) {
        EXPECT_NE(ResourceCursorLook(a), ResourceCursorLook(b));
      }
    }
  }

  const POINT anchor{100, 90};
  for (const TContent& content : kContents) {
    std::unique_ptr<TPanningTree> tree(content.Make(host.Handle()));
    HCURSOR before = LoadCursorW(nullptr, IDC_ARROW);
    SetCursor(before);
    POINT screen = anchor;
    ClientToScreen(tree->Handle(), &screen);
    tree->StartWheelPanning(screen);
    for (const TCase& c : cases) {
      const wchar_t* expected = content.horizontal ? (content.vertical ? c.both : c.horizontal) : c.vertical;
      tree->AdjustPanningCursor(anchor.x + c.dx, anchor.y + c.dy);
      EXPECT_EQ(CursorLook(GetCursor()), ResourceCursorLook(expected)) << content.name << " " << c.dx << "," << c.dy;
    }
    // Ending panning puts the cursor of before back on screen.
    tree->StopWheelPanning();
    EXPECT_EQ(GetCursor(), before) << content.name;
  }
}

TEST_F(TPanningFixture, LosingTheFocusEndsPanning) {
  std::unique_ptr<TPanningTree> tree(kContents[0].Make(host.Handle()));
  tree->StartWheelPanning(POINT{200, 150});
  ASSERT_TRUE(PanningWindow());
  SetFocus(host.Handle());
  EXPECT_FALSE(PanningWindow());
  EXPECT_NE(GetCapture(), tree->Handle());
  EXPECT_FALSE(tree->TreeStates().Contains(TTreeState::stWheelPanning));
  // Starting again while panning leaves one window, and the tree going away takes it along.
  tree->StartWheelPanning(POINT{200, 150});
  tree->StartWheelPanning(POINT{210, 160});
  HWND window = PanningWindow();
  ASSERT_TRUE(window);
  EXPECT_EQ(FindWindowExW(nullptr, window, L"TreePanningWindow", nullptr), nullptr);
  tree.reset();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
}  // namespace tree_test

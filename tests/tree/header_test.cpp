// The header by real mouse messages: border hit tests, clicks, resizing and dragging columns, double-click fitting,
// hover through the header timer, and its painting in the tree's frame.
#include <gtest/gtest.h>

#include <vector>

#include "header_tree.h"
#include "support/test_environment.h"
#include "support/window_capture.h"
#include "tree/tree_drag_image.h"

namespace tree_test {
namespace {

using HO = TTreeHeaderOption;

struct THeaderFixture : ::testing::Test {
  // The tree's first paint opens its themes when styles are in use, and the header then paints themed.
  TTestEnvironment environment;
  bool classic = (environment.SetVisualStyles(false), true);
  TTestWindow host{RECT{100, 100, 500, 400}};
  THeaderTree tree{host.Handle(), 320, 200, {60, 80, 100}};
  TTreeColumns& columns = *tree.Header()->Columns();

  // Press at one header point, move through the others and release at the last, as a captured mouse reports.
  void PressMoveRelease(std::initializer_list<POINT> path) {
    auto it = path.begin();
    tree.SendNC(WM_NCLBUTTONDOWN, *it);
    POINT last = *it;
    for (++it; it != path.end(); ++it) {
      tree.SendClient(WM_MOUSEMOVE, *it, MK_LBUTTON);
      last = *it;
    }
    if (GetCapture() == tree.Handle())
      tree.SendClient(WM_LBUTTONUP, last);
    else
      tree.SendNC(WM_NCLBUTTONUP, last);
  }
};

TEST_F(THeaderFixture, BorderHitTests) {
  struct TCase {
    int x;
    TColumnIndex track;
  };
  // Borders at 60, 140 and 240: a press counts from 2 pixels left to 4 pixels right of one.
  const TCase cases[] = {{57, NoColumn}, {58, 0},  {60, 0},  {64, 0},       {65, NoColumn},
                         {138, 1},       {238, 2}, {244, 2}, {30, NoColumn}};
  for (const TCase& c : cases) {
    tree.Header()->DetermineSplitterIndex(POINT{c.x, 5});
    EXPECT_EQ(columns.TrackIndex(), c.track) << c.x;
  }
  columns.Items(1)->SetOptions(columns.Items(1)->Options() - TTreeColumnOption::coResizable);
  EXPECT_FALSE(tree.Header()->DetermineSplitterIndex(POINT{140, 5}));
}

TEST_F(THeaderFixture, ResizeByDraggingBorder) {
  std::vector<TColumnIndex> resized;
  tree.OnColumnResize = [&](TTreeHeader*, TColumnIndex column) { resized.push_back(column); };
  // Three pixels left of the border: a press on the column, no resizing.
  PressMoveRelease({tree.HeaderPoint(57), tree.HeaderPoint(90)});
  EXPECT_EQ(columns.Items(0)->Width(), 60);
  PressMoveRelease({tree.HeaderPoint(58), tree.HeaderPoint(59), tree.HeaderPoint(90), tree.HeaderPoint(95)});
  EXPECT_EQ(columns.Items(0)->Width(), 95);
  EXPECT_EQ(columns.Items(1)->Left(), 95);
  EXPECT_EQ(resized, (std::vector<TColumnIndex>{0, 0}));
  // Below the minimum the width holds at it.
  PressMoveRelease({tree.HeaderPoint(95), tree.HeaderPoint(96), tree.HeaderPoint(2)});
  EXPECT_EQ(columns.Items(0)->Width(), 10);
  EXPECT_TRUE(tree.Header()->States().Empty());
  EXPECT_EQ(GetCapture(), nullptr);
}

// A press the header takes for itself (on a column border) leaves the focus where it was; any other press on the
// header focuses the tree.
TEST_F(THeaderFixture, OnlyPressesTheHeaderLeavesFocusTheTree) {
  struct TCase {
    const char* name;
    int x;
    bool focused;
  };
  const TCase cases[] = {{"on a border", 60, false}, {"on a column", 30, true}};
  // A column that could be dragged would be the header's press too.
  EXPECT_TRUE(tree.Header()->SetOptions(tree.Header()->Options() - HO::hoDrag).Alive());
  for (const TCase& c : cases) {
    SetFocus(host.Handle());
    ASSERT_EQ(GetFocus(), host.Handle()) << c.name;
    PressMoveRelease({tree.HeaderPoint(c.x)});
    EXPECT_EQ(GetFocus() == tree.Handle(), c.focused) << c.name;
  }
  EXPECT_EQ(columns.Items(0)->Width(), 60);
}

TEST_F(THeaderFixture, ClicksRaiseHeaderEvents) {
  struct TClick {
    TColumnIndex column;
    TMouseButton button;
  };
  std::vector<TClick> clicks;
  std::vector<TMouseButton> downs, ups;
  tree.OnHeaderClick = [&](TTreeHeader*, TColumnIndex column, TMouseButton button, TShiftState, int, int) {
    clicks.push_back({column, button});
  };
  tree.OnHeaderMouseDown = [&](TTreeHeader*, TMouseButton button, TShiftState, int, int) { downs.push_back(button); };
  tree.OnHeaderMouseUp = [&](TTreeHeader*, TMouseButton button, TShiftState, int, int) { ups.push_back(button); };
  PressMoveRelease({tree.HeaderPoint(100)});
  tree.SendNC(WM_NCRBUTTONDOWN, tree.HeaderPoint(200));
  tree.SendNC(WM_NCRBUTTONUP, tree.HeaderPoint(200));
  // A column that takes no clicks, and a press outside the header.
  columns.Items(0)->SetOptions(columns.Items(0)->Options() - TTreeColumnOption::coAllowClick);
  PressMoveRelease({tree.HeaderPoint(10)});
  RECT window{};
  GetWindowRect(tree.Handle(), &window);
  tree.SendNC(WM_NCLBUTTONDOWN, POINT{window.left + 10, window.bottom + 20});
  ASSERT_EQ(clicks.size(), 2u);
  EXPECT_EQ(clicks[0].column, 1);
  EXPECT_EQ(clicks[0].button, TMouseButton::mbLeft);
  EXPECT_EQ(clicks[1].column, 2);
  EXPECT_EQ(clicks[1].button, TMouseButton::mbRight);
  EXPECT_EQ(downs, (std::vector<TMouseButton>{TMouseButton::mbLeft, TMouseButton::mbRight, TMouseButton::mbLeft}));
  EXPECT_EQ(ups.size(), 3u);
}

// Dragging by less than the system's threshold is a click; further, the column lands before or after the target
// by the half the mouse is over.
TEST_F(THeaderFixture, DraggingColumns) {
  struct TCase {
    int dropX;
    std::vector<int> order;
    bool dragged;
  };
  const int threshold = GetSystemMetrics(SM_CXDRAG);
  const TCase cases[] = {
      {29 + threshold, {0, 1, 2}, false},  // within the threshold: a click
      {230, {1, 2, 0}, true},              // right half of the third: last
      {150, {1, 0, 2}, true},              // left half of the third: middle
      {40, {0, 1, 2}, false},              // onto itself
  };
  for (const TCase& c : cases) {
    for (int i = 0; i < 3; ++i) columns.Items(i)->SetPosition(i);
    int clicks = 0, dragged = 0;
    tree.OnHeaderClick = [&](TTreeHeader*, TColumnIndex, TMouseButton, TShiftState, int, int) { ++clicks; };
    tree.OnHeaderDragged = [&](TTreeHeader*, TColumnIndex column, int oldPosition) {
      ++dragged;
      EXPECT_EQ(column, 0);
      EXPECT_EQ(oldPosition, 0);
    };
    // The move that leaves the threshold starts the drag; the mouse moves on to the drop point.
    PressMoveRelease({tree.HeaderPoint(30), tree.HeaderPoint(30 + threshold), tree.HeaderPoint(c.dropX + 1),
                      tree.HeaderPoint(c.dropX)});
    std::vector<int> order;
    for (int position = 0; position < 3; ++position) order.push_back(columns.PositionToIndex(position));
    EXPECT_EQ(order, c.order) << c.dropX;
    EXPECT_EQ(dragged, c.dragged ? 1 : 0) << c.dropX;
    EXPECT_EQ(clicks, c.dropX == 29 + threshold ? 1 : 0) << c.dropX;
    EXPECT_FALSE(tree.Header()->DragImage()->Visible());
  }
}

TEST_F(THeaderFixture, EscapeCancelsDrag) {
  bool allowed = true;
  tree.OnHeaderDragging = [&](TTreeHeader*, TColumnIndex, bool& allow) { allow = allowed; };
  int dragged = 0;
  tree.OnHeaderDragged = [&](TTreeHeader*, TColumnIndex, int) { ++dragged; };
  tree.SendNC(WM_NCLBUTTONDOWN, tree.HeaderPoint(30));
  tree.SendClient(WM_MOUSEMOVE, tree.HeaderPoint(200), MK_LBUTTON);
  EXPECT_TRUE(tree.Header()->States().Contains(THeaderState::hsDragging));
  EXPECT_TRUE(tree.Header()->DragImage()->Visible());
  SendMessageW(tree.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(tree.Header()->DragImage()->Visible());
  EXPECT_EQ(GetCapture(), nullptr);
  tree.SendClient(WM_LBUTTONUP, tree.HeaderPoint(200));
  EXPECT_EQ(columns.Items(0)->Position(), 0);
  EXPECT_EQ(dragged, 0);
  // A handler that forbids dragging keeps the column in place however far the mouse goes.
  allowed = false;
  PressMoveRelease({tree.HeaderPoint(30), tree.HeaderPoint(200), tree.HeaderPoint(230)});
  EXPECT_EQ(columns.Items(0)->Position(), 0);
  EXPECT_EQ(dragged, 0);
}

TEST_F(THeaderFixture, DoubleClickOnBorderFitsContent) {
  EXPECT_TRUE(tree.SetRootNodeCount(3).Alive());
  EXPECT_TRUE(tree.Header()->SetOptions(tree.Header()->Options() + HO::hoDblClickResize).Alive());
  struct TCase {
    int content, minWidth, expected;
  };
  // The fitted width holds the content, both margins and the indentation of the shown root level.
  for (TCase c : {TCase{100, 10, 126}, TCase{5, 40, 40}}) {
    tree.contentWidth = c.content;
    EXPECT_TRUE(columns.Items(0)->SetMinWidth(c.minWidth).Alive());
    EXPECT_TRUE(columns.Items(0)->SetWidth(60).Alive());
    int clickedColumn = -5;
    tree.OnHeaderDblClick = [&](TTreeHeader*, TColumnIndex column, TMouseButton, TShiftState, int, int) {
      clickedColumn = column;
    };
    POINT border = tree.HeaderPoint(60);
    PressMoveRelease({border});
    tree.SendNC(WM_NCLBUTTONDBLCLK, border);
    EXPECT_EQ(columns.Items(0)->Width(), c.expected);
    EXPECT_NE(clickedColumn, -5);
  }
  // Without the option a double click is a click.
  EXPECT_TRUE(tree.Header()->SetOptions(tree.Header()->Options() - HO::hoDblClickResize).Alive());
  EXPECT_TRUE(columns.Items(0)->SetWidth(60).Alive());
  tree.SendNC(WM_NCLBUTTONDBLCLK, tree.HeaderPoint(60));
  EXPECT_EQ(columns.Items(0)->Width(), 60);
}

TEST_F(THeaderFixture, HoverEndsThroughTheHeaderTimer) {
  EXPECT_TRUE(tree.Header()->SetOptions(tree.Header()->Options() + HO::hoHotTrack).Alive());
  POINT over = tree.HeaderPoint(100);
  SetCursorPos(over.x, over.y);
  tree.SendNC(WM_NCMOUSEMOVE, over);
  EXPECT_EQ(columns.HoverIndex(), 1);
  SendMessageW(tree.Handle(), WM_TIMER, HeaderTimer, 0);
  EXPECT_EQ(columns.HoverIndex(), 1);
  SetCursorPos(over.x, over.y + 150);
  SendMessageW(tree.Handle(), WM_TIMER, HeaderTimer, 0);
  EXPECT_EQ(columns.HoverIndex(), NoColumn);
}

TEST_F(THeaderFixture, CursorOverBorders) {
  HCURSOR split = nullptr;
  tree.OnGetHeaderCursor = [&](TTreeHeader*, HCURSOR& cursor) { split = cursor; };
  POINT border = tree.HeaderPoint(140);
  SetCursorPos(border.x, border.y);
  LRESULT result = SendMessageW(tree.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(tree.Handle()),
                                MAKELPARAM(HTBORDER, WM_MOUSEMOVE));
  EXPECT_EQ(result, 1);
  EXPECT_NE(split, LoadCursorW(nullptr, IDC_ARROW));
  POINT middle = tree.HeaderPoint(100);
  SetCursorPos(middle.x, middle.y);
  SendMessageW(tree.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(tree.Handle()), MAKELPARAM(HTBORDER, 0));
  EXPECT_EQ(split, LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(THeaderFixture, PaintsButtonsInTheFrame) {
  tree.Header()->Columns()->Items(0)->SetText(L"Name");
  tree.Header()->Columns()->Items(1)->SetText(L"Size");
  EXPECT_TRUE(tree.Header()->SetSortColumn(1).Alive());
  EXPECT_TRUE(tree.Header()->SetOptions(tree.Header()->Options() + HO::hoShowSortGlyphs).Alive());
  struct TCase {
    TTreeHeaderStyle style;
    COLORREF fill;
  };
  const TCase cases[] = {{TTreeHeaderStyle::hsThickButtons, GetSysColor(COLOR_BTNFACE)},
                         {TTreeHeaderStyle::hsFlatButtons, GetSysColor(COLOR_BTNFACE)},
                         {TTreeHeaderStyle::hsXPStyle, RGB(0xEB, 0xEA, 0xDB)}};
  for (const TCase& c : cases) {
    tree.Header()->SetStyle(c.style);
    TWindowCapture capture = TWindowCapture::OfWindow(tree.Handle());
    KeepCaptureForViewing(capture, L"tree_header_" + std::to_wstring(static_cast<int>(c.style)));
    RECT header = tree.Header()->HeaderRect();
    EXPECT_EQ(header.bottom - header.top, 17);
    // Inside each button the fill, at its right border a line of another colour.
    EXPECT_EQ(capture.Pixel(header.left + 30, header.top + 4), c.fill);
    EXPECT_NE(capture.Pixel(header.left + 59, header.top + 8), c.fill);
    EXPECT_EQ(capture.Pixel(header.left + 290, header.top + 8), c.fill);
    // Caption text is drawn in the first button, the sort glyph in the second.
    RECT caption{header.left + 4, header.top + 2, header.left + 50, header.bottom - 3};
    EXPECT_GT(capture.CountPixels(ColorToRGB(tree.Header()->Font()->Color()), &caption), 5);
    RECT glyph{header.left + 100, header.top + 2, header.left + 138, header.bottom - 3};
    EXPECT_GT(capture.CountPixels(GetSysColor(COLOR_BTNTEXT), &glyph), 10);
  }
}

}  // namespace
}  // namespace tree_test

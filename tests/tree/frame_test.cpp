// The tree's frame as WM_NCPAINT leaves it in the window: the client edge (the tree-view look with visual styles,
// the platform's sunken edge without), the bevel and the border band, and the header inside them. Pixels are read
// back from the window's own DC.
#include <gtest/gtest.h>
#include <vsstyle.h>

#include "framework/visual_styles.h"
#include "paint_tree.h"
#include "tree/tree_header.h"

namespace tree_test {
namespace {

constexpr COLORREF kBand = RGB(0, 200, 0);

// What the frame looks like after the window painted it.
TWindowCapture PaintedFrame(HWND wnd) {
  SendMessageW(wnd, WM_NCPAINT, 1, 0);
  RECT r;
  GetWindowRect(wnd, &r);
  TWindowCapture capture(r.right - r.left, r.bottom - r.top);
  HDC dc = GetWindowDC(wnd);
  BitBlt(capture.DC(), 0, 0, capture.Width(), capture.Height(), dc, 0, 0, SRCCOPY);
  ReleaseDC(wnd, dc);
  return capture;
}

// A framed tree: client edge, the band's colour pinned.
struct TFramedTree : TPaintTree {
  explicit TFramedTree(HWND host) : TPaintTree(host, 120, 90, 3) {
    SetBorderStyle(TBorderStyle::bsSingle);
    SetColor(static_cast<TColor>(kBand));
  }
};

}  // namespace

TEST(TreeFrame, ClientEdgeClassicAndThemed) {
  for (bool styles : {false, true}) {
    TTestEnvironment environment;
    environment.SetVisualStyles(styles);
    TTestWindow host{RECT{50, 50, 350, 350}};
    TFramedTree tree(host.Handle());
    TWindowCapture frame = PaintedFrame(tree.Handle());
    TWindowCapture classic(frame.Width(), frame.Height());
    RECT whole{0, 0, frame.Width(), frame.Height()};
    DrawEdge(classic.DC(), &whole, EDGE_SUNKEN, BF_RECT);
    TWindowCapture themed(frame.Width(), frame.Height());
    TThemeData theme(tree.Handle(), L"treeview");
    theme.DrawBackground(themed.DC(), TVP_TREEITEM, TREIS_NORMAL, whole);
    const TWindowCapture& expected = styles ? themed : classic;
    const POINT edge[] = {{0, 45}, {1, 45}, {60, 0}, {60, 1}, {119, 45}, {118, 45}, {60, 89}, {60, 88}};
    for (POINT p : edge)
      EXPECT_EQ(frame.Pixel(p.x, p.y), expected.Pixel(p.x, p.y)) << "styles " << styles << " at " << p.x << "," << p.y;
    if (styles) {
      EXPECT_NE(themed.Pixel(0, 45), classic.Pixel(0, 45)) << "the two looks must differ for the test to tell them";
      TThemeData probe(tree.Handle(), L"treeview");
      EXPECT_TRUE(probe.IsOpen());
    }
    KeepCaptureForViewing(frame, styles ? L"tree_frame_themed" : L"tree_frame_classic");
  }
}

TEST(TreeFrame, BevelAndBorderBand) {
  TTestEnvironment environment;
  environment.SetVisualStyles(false);
  TTestWindow host{RECT{50, 50, 350, 350}};
  struct TCase {
    const char* name;
    TBevelKind kind;
    int bevelWidth;
    int borderWidth;
    int drawn;  // pixels of bevel lines inside the 2-pixel client edge
    int band;   // pixels of the band colour after them
  };
  const TCase cases[] = {
      {"border width only", TBevelKind::bkNone, 1, 3, 0, 3},
      {"flat bevel", TBevelKind::bkFlat, 1, 0, 2, 0},
      {"flat bevel and border", TBevelKind::bkFlat, 1, 2, 2, 2},
      {"wide soft bevel: its unpainted width is band", TBevelKind::bkSoft, 2, 1, 2, 3},
  };
  for (const TCase& c : cases) {
    TFramedTree tree(host.Handle());
    tree.SetBevelWidth(c.bevelWidth);
    tree.SetBevelKind(c.kind);
    tree.SetBorderWidth(c.borderWidth);
    TWindowCapture frame = PaintedFrame(tree.Handle());
    // The bevel as the platform draws the same edge inside the client edge.
    TWindowCapture bevel(frame.Width(), frame.Height());
    RECT inner{2, 2, frame.Width() - 2, frame.Height() - 2};
    UINT kind = c.kind == TBevelKind::bkSoft ? BF_SOFT : c.kind == TBevelKind::bkFlat ? BF_FLAT : 0;
    DrawEdge(bevel.DC(), &inner, BDR_RAISEDINNER | BDR_SUNKENOUTER, BF_RECT | kind);
    const int y = frame.Height() / 2;
    for (int x = 2; x < 2 + c.drawn; ++x)
      EXPECT_EQ(frame.Pixel(x, y), bevel.Pixel(x, y)) << c.name << " bevel at " << x;
    for (int x = 2 + c.drawn; x < 2 + c.drawn + c.band; ++x)
      EXPECT_EQ(frame.Pixel(x, y), kBand) << c.name << " band at " << x;
    // Bottom edge: the same layers from below.
    for (int i = 0; i < c.band; ++i)
      EXPECT_EQ(frame.Pixel(frame.Width() / 2, frame.Height() - 3 - c.drawn - i), kBand) << c.name << " bottom " << i;
    RECT client;
    GetClientRect(tree.Handle(), &client);
    EXPECT_EQ(client.right, frame.Width() - 2 * (2 + c.drawn + c.band)) << c.name;
  }
}

TEST(TreeFrame, HeaderLiesInsideTheBand) {
  TTestEnvironment environment;
  environment.SetVisualStyles(false);
  TTestWindow host{RECT{50, 50, 350, 350}};
  TFramedTree tree(host.Handle());
  EXPECT_TRUE(tree.Header()->Columns()->Add()->SetWidth(60).Alive());
  EXPECT_TRUE(tree.Header()->SetOptions(tree.Header()->Options() + TTreeHeaderOption::hoVisible).Alive());
  tree.SetBorderWidth(3);
  TWindowCapture frame = PaintedFrame(tree.Handle());
  const int x = 30;
  for (int y = 2; y < 5; ++y) EXPECT_EQ(frame.Pixel(x, y), kBand) << "band row " << y;
  // The header's rows keep the header's own drawing rather than the band's fill.
  int headerRows = 0;
  for (int y = 5; y < 5 + tree.Header()->Height(); ++y) headerRows += frame.Pixel(x, y) != kBand;
  EXPECT_EQ(headerRows, tree.Header()->Height());
  KeepCaptureForViewing(frame, L"tree_frame_header");
}

// The corner right of the header, above the vertical scroll bar, belongs to the header's band: the window paints
// it with the header's empty part, whatever lay there before.
TEST(TreeFrame, CornerAboveTheScrollBarIsPainted) {
  TTestEnvironment environment;
  environment.SetVisualStyles(false);
  TTestWindow host{RECT{50, 50, 350, 350}};
  TFramedTree tree(host.Handle());
  EXPECT_TRUE(tree.Header()->Columns()->Add()->SetWidth(40).Alive());
  EXPECT_TRUE(tree.Header()->SetOptions(tree.Header()->Options() + TTreeHeaderOption::hoVisible).Alive());
  EXPECT_TRUE(tree.SetRootNodeCount(20).Alive());
  ASSERT_TRUE(GetWindowLongW(tree.Handle(), GWL_STYLE) & WS_VSCROLL);
  for (TTreeHeaderStyle style : {TTreeHeaderStyle::hsThickButtons, TTreeHeaderStyle::hsPlates}) {
    tree.Header()->SetStyle(style);
    // Leftovers of whatever the screen showed there before.
    HDC dc = GetWindowDC(tree.Handle());
    RECT everything{0, 0, 1000, 1000};
    SetDCBrushColor(dc, RGB(255, 0, 255));
    FillRect(dc, &everything, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    ReleaseDC(tree.Handle(), dc);
    TWindowCapture frame = PaintedFrame(tree.Handle());
    const RECT header = tree.Header()->HeaderRect();
    const RECT corner{header.right, header.top, frame.Width() - 2, header.bottom};
    ASSERT_GT(corner.right - corner.left, 10) << "a scroll bar's width";
    EXPECT_EQ(frame.CountPixels(RGB(255, 0, 255), &corner), 0) << static_cast<int>(style);
    // Row by row the corner continues the header's empty part left of it.
    for (int y = header.top; y < header.bottom; ++y)
      EXPECT_EQ(frame.Pixel(corner.left + 5, y), frame.Pixel(header.right - 10, y))
          << static_cast<int>(style) << " " << y;
    KeepCaptureForViewing(frame, L"tree_frame_corner");
  }
}

TEST(TreeFrame, PrintedFrameHoldsTheHeaderUnlessHidden) {
  TTestEnvironment environment;
  environment.SetVisualStyles(false);
  TTestWindow host{RECT{50, 50, 350, 350}};
  TFramedTree tree(host.Handle());
  EXPECT_TRUE(tree.Header()->Columns()->Add()->SetWidth(60).Alive());
  EXPECT_TRUE(tree.Header()->SetOptions(tree.Header()->Options() + TTreeHeaderOption::hoVisible).Alive());
  RECT header = tree.Header()->HeaderRect();
  const int area = (header.right - header.left) * (header.bottom - header.top);
  TWindowCapture shown = TWindowCapture::OfWindow(tree.Handle(), PRF_NONCLIENT | PRF_CHECKVISIBLE);
  EXPECT_EQ(shown.CountPixels(TWindowCapture::kUnpainted, &header), 0);
  EXPECT_TRUE(tree.SetVisible(false).Alive());
  TWindowCapture hidden = TWindowCapture::OfWindow(tree.Handle(), PRF_NONCLIENT | PRF_CHECKVISIBLE);
  EXPECT_EQ(hidden.CountPixels(TWindowCapture::kUnpainted, &header), area);
  TWindowCapture asked = TWindowCapture::OfWindow(tree.Handle(), PRF_NONCLIENT);
  EXPECT_EQ(asked.CountPixels(TWindowCapture::kUnpainted, &header), 0) << "without the check a hidden tree prints";
}

TEST(TreeFrame, ThreeDLookSwitchesBetweenClientEdgeAndBorder) {
  TTestWindow host{RECT{50, 50, 350, 350}};
  TFramedTree tree(host.Handle());
  PTreeNode focused = tree.GetFirst();
  EXPECT_FALSE(tree.SetFocusedNode(focused).TreeGone());
  for (bool look : {false, true, false}) {
    tree.SetCtl3D(look);
    EXPECT_EQ((GetWindowLongW(tree.Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, look);
    EXPECT_EQ((GetWindowLongW(tree.Handle(), GWL_STYLE) & WS_BORDER) != 0, !look);
    EXPECT_EQ(tree.FocusedNode(), focused) << "the window is made anew, the nodes stay";
  }
}

TEST(TreeFrame, RecreatedWindowPaintsItsLinesAgain) {
  TTestEnvironment environment;
  environment.SetVisualStyles(false);
  TTestWindow host{RECT{50, 50, 350, 350}};
  TPaintTree tree(host.Handle(), 200, 120, 4);
  tree.TreeOptions()->SetPaintOptions(tree.TreeOptions()->PaintOptions() + TTreePaintOption::toShowTreeLines);
  int before = tree.Capture().CountPixels(kLineColor);
  ASSERT_GT(before, 0);
  tree.RecreateWnd();
  tree.HandleNeeded();
  EXPECT_EQ(tree.Capture().CountPixels(kLineColor), before);
}

}  // namespace tree_test

#include "controls/max_splitter.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "controls/flat_panel.h"
#include "form_fixture.h"
#include "support/hostile_input.h"
#include "support/modal_input.h"
#include "support/test_environment.h"
#include "support/window_capture.h"

using namespace controls;

namespace {

constexpr int kFormWidth = 640;
constexpr int kFormHeight = 300;
constexpr int kNeighbourSize = 200;

struct TSplitterEvents {
  int Maximize = 0;
  int Minimize = 0;
  int Restore = 0;
  int Moved = 0;
  void OnMaximize(TObject*) { ++Maximize; }
  void OnMinimize(TObject*) { ++Minimize; }
  void OnRestore(TObject*) { ++Restore; }
  void OnMoved(TObject*) { ++Moved; }
};

bool Vertical(TAlign align) { return align == TAlign::alLeft || align == TAlign::alRight; }

// A neighbour, the splitter beside it and a client-aligned page area, for one alignment.
class MaxSplitter : public FormTest, public testing::WithParamInterface<TAlign> {
 public:
  void SetUp() override {
    FormTest::SetUp();
    Environment.SetVisualStyles(false);
    Environment.SetSysColor(COLOR_BTNFACE, RGB(0xD4, 0xD0, 0xC8));
    Build(GetParam());
  }

  void Build(TAlign align) {
    const int extent = Vertical(align) ? kFormWidth : kFormHeight;
    const int splitterAt =
        align == TAlign::alLeft || align == TAlign::alTop ? kNeighbourSize : extent - kNeighbourSize - 10;
    const int neighbourAt = align == TAlign::alLeft || align == TAlign::alTop ? 0 : extent - kNeighbourSize;
    neighbour_ = Vertical(align) ? Make<TFlatPanel>({neighbourAt, 0, neighbourAt + kNeighbourSize, kFormHeight})
                                 : Make<TFlatPanel>({0, neighbourAt, kFormWidth, neighbourAt + kNeighbourSize});
    EXPECT_TRUE(neighbour_->SetAlign(align).Alive());
    const RECT splitterBounds = Vertical(align) ? RECT{splitterAt, 0, splitterAt + 10, kFormHeight}
                                                : RECT{0, splitterAt, kFormWidth, splitterAt + 10};
    splitter_ = Make<TMaxSplitter>(splitterBounds);
    // A new splitter is aligned left: turned, it takes its thickness again.
    EXPECT_TRUE(splitter_->SetAlign(align).Alive());
    EXPECT_TRUE(splitter_->SetBoundsRect(splitterBounds).Alive());
    splitter_->OnMaximize = TNotifyEvent(&events_, &TSplitterEvents::OnMaximize);
    splitter_->OnMinimize = TNotifyEvent(&events_, &TSplitterEvents::OnMinimize);
    splitter_->OnRestore = TNotifyEvent(&events_, &TSplitterEvents::OnRestore);
    splitter_->OnMoved = TNotifyEvent(&events_, &TSplitterEvents::OnMoved);
    client_ = Make<TFlatPanel>({0, 0, 10, 10});
    EXPECT_TRUE(client_->SetAlign(TAlign::alClient).Alive());
    ProcessQueued();
  }
  // Frees what Build made and a handler left.
  void FreeAll() {
    delete std::exchange(splitter_, nullptr);
    delete std::exchange(neighbour_, nullptr);
    delete std::exchange(client_, nullptr);
  }

  int NeighbourSize() const { return Vertical(GetParam()) ? neighbour_->Width() : neighbour_->Height(); }
  // Form coordinates of a point on the splitter, `along` pixels from its start.
  POINT OnSplitter(int along) const {
    return Vertical(GetParam()) ? POINT{splitter_->Left() + 5, along} : POINT{along, splitter_->Top() + 5};
  }
  POINT ButtonCentre() const {
    const RECT r = splitter_->ButtonRect();
    return POINT{splitter_->Left() + (r.left + r.right) / 2, splitter_->Top() + (r.top + r.bottom) / 2};
  }
  // How far the mouse moves to grow the neighbour by `grow` pixels.
  int Towards(int grow) const { return GetParam() == TAlign::alLeft || GetParam() == TAlign::alTop ? grow : -grow; }
  POINT Moved(POINT p, int delta) const {
    return Vertical(GetParam()) ? POINT{p.x + delta, p.y} : POINT{p.x, p.y + delta};
  }
  void Drag(POINT from, POINT to) {
    MouseAt(WM_MOUSEMOVE, from.x, from.y);
    MouseAt(WM_LBUTTONDOWN, from.x, from.y, MK_LBUTTON);
    MouseAt(WM_MOUSEMOVE, to.x, to.y, MK_LBUTTON);
    MouseAt(WM_LBUTTONUP, to.x, to.y);
    ProcessQueued();
  }
  void Click(POINT at) { Drag(at, at); }
  // The real mouse: a press at a form point, moves through the path and a release at its last point.
  void RealDrag(POINT from, std::initializer_list<POINT> path) {
    BringToTheFront(Form()->Handle());
    std::vector<POINT> screen;
    for (POINT point : path) screen.push_back(Form()->ClientToScreen(point));
    SendMouseDragThrough(Form()->ClientToScreen(from), screen);
  }

  TTestEnvironment Environment;
  TFlatPanel* neighbour_ = nullptr;
  TMaxSplitter* splitter_ = nullptr;
  TFlatPanel* client_ = nullptr;
  TSplitterEvents events_;
};

const TAlign kAlignments[] = {TAlign::alLeft, TAlign::alRight, TAlign::alTop, TAlign::alBottom};

}  // namespace

TEST_P(MaxSplitter, DraggingTheBarSizesTheNeighbourWithinItsLimits) {
  splitter_->SetMinSize(30);
  const int farEnd = (Vertical(GetParam()) ? kFormWidth : kFormHeight) - 10;
  struct TCase {
    int Grow;      // asked for by the mouse
    int Expected;  // the neighbour's size afterwards
    bool Maximized;
  } cases[] = {
      {40, 240, false}, {-150, 90, false},
      {-80, 30, true},  // below MinSize: held at MinSize, never collapsed to nothing, and counted as collapsed
      {-10, 30, true},  {900, farEnd, false},  // no further than the parent's room
      {-700, 30, true},
  };
  int maximizes = 0;
  int moves = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Grow);
    const bool wasMaximized = splitter_->Maximized();
    const POINT from = OnSplitter(20);
    Drag(from, Moved(from, Towards(c.Grow)));
    EXPECT_EQ(NeighbourSize(), c.Expected);
    EXPECT_EQ(splitter_->Maximized(), c.Maximized);
    if (c.Maximized && !wasMaximized) ++maximizes;
    // A drag that collapses the neighbour sizes it to MinSize once more, as a drag of its own.
    moves += c.Maximized ? 2 : 1;
    EXPECT_EQ(events_.Maximize, maximizes);
    if (!c.Maximized) {
      EXPECT_EQ(splitter_->RestorePos(), c.Expected);
    }
  }
  EXPECT_EQ(events_.Moved, moves);
  EXPECT_EQ(events_.Restore, 1) << "only the drag out of the collapsed state restores";
}

TEST_P(MaxSplitter, TheButtonCollapsesAndRestoresTheNeighbour) {
  splitter_->SetMinSize(1);
  Click(ButtonCentre());
  EXPECT_TRUE(splitter_->Maximized());
  EXPECT_EQ(NeighbourSize(), 1);
  EXPECT_EQ(splitter_->RestorePos(), kNeighbourSize);
  EXPECT_EQ(events_.Maximize, 1);

  Click(ButtonCentre());
  EXPECT_FALSE(splitter_->Maximized());
  EXPECT_EQ(NeighbourSize(), kNeighbourSize);
  EXPECT_EQ(events_.Restore, 1);
  EXPECT_EQ(events_.Maximize, 2) << "setting Maximized raises OnMaximize after a restore too";

  // A press on the button that moves 6 pixels along the drag axis is a drag. The bar is made thick enough for the
  // mouse to stay on it, as leaving it forgets the press.
  if (Vertical(GetParam()))
    EXPECT_TRUE(splitter_->SetWidth(20).Alive());
  else
    EXPECT_TRUE(splitter_->SetHeight(20).Alive());
  const POINT centre = ButtonCentre();
  Drag(centre, Moved(centre, Towards(6)));
  EXPECT_FALSE(splitter_->Maximized());
  EXPECT_EQ(NeighbourSize(), kNeighbourSize + 6);
  Drag(ButtonCentre(), Moved(ButtonCentre(), Towards(5)));
  EXPECT_TRUE(splitter_->Maximized()) << "5 pixels are still a click";
}

// The second press of a quick pair on the button comes as a double click: it collapses or restores as the first.
TEST_P(MaxSplitter, AQuickSecondClickOnTheButtonCounts) {
  splitter_->SetMinSize(1);
  Click(ButtonCentre());
  EXPECT_TRUE(splitter_->Maximized());
  const POINT centre = ButtonCentre();
  MouseAt(WM_LBUTTONDBLCLK, centre.x, centre.y, MK_LBUTTON);
  MouseAt(WM_LBUTTONUP, centre.x, centre.y);
  ProcessQueued();
  EXPECT_FALSE(splitter_->Maximized());
  EXPECT_EQ(NeighbourSize(), kNeighbourSize);
}

TEST_P(MaxSplitter, MaximizedAndMinimizedFromCode) {
  splitter_->SetMinSize(1);
  EXPECT_TRUE(splitter_->SetMaximized(false).Alive());
  EXPECT_EQ(events_.Maximize, 1) << "an unchanged value still raises OnMaximize";
  EXPECT_TRUE(splitter_->SetMaximized(true).Alive());
  EXPECT_EQ(NeighbourSize(), 1);

  // Minimizing a collapsed neighbour keeps the size to restore; the splitter goes to the far side for top and
  // right alignment, to the near side otherwise.
  EXPECT_TRUE(splitter_->SetMinimized(true).Alive());
  EXPECT_FALSE(splitter_->Maximized());
  const bool farSide = GetParam() == TAlign::alTop || GetParam() == TAlign::alRight;
  EXPECT_EQ(NeighbourSize(), farSide ? (Vertical(GetParam()) ? kFormWidth : kFormHeight) - 10 : 1);
  EXPECT_EQ(events_.Minimize, 1);
  EXPECT_TRUE(splitter_->SetMinimized(false).Alive());
  EXPECT_EQ(NeighbourSize(), kNeighbourSize);
  EXPECT_EQ(events_.Restore, 1);
}

TEST_P(MaxSplitter, NeitherSizeNorMinSizeTakesTheNeighbourPastTheParent) {
  const int farEnd = (Vertical(GetParam()) ? kFormWidth : kFormHeight) - 10;
  splitter_->SetMinSize(32767);
  EXPECT_TRUE(splitter_->SetMaximized(true).Alive());
  EXPECT_EQ(NeighbourSize(), farEnd);
  EXPECT_TRUE(splitter_->SetMaximized(false).Alive());
  EXPECT_EQ(NeighbourSize(), farEnd) << "restored, but never past the parent";
  const POINT from = OnSplitter(20);
  Drag(from, Moved(from, Towards(-100)));
  EXPECT_EQ(NeighbourSize(), farEnd);

  // The splitter's own thickness is never negative.
  for (int size : {-1, -32768, 0, 7}) {
    SCOPED_TRACE(size);
    EXPECT_TRUE(splitter_->SetBounds(splitter_->Left(), splitter_->Top(), size, size).Alive());
    EXPECT_GE(splitter_->Width(), 0);
    EXPECT_GE(splitter_->Height(), 0);
  }
  EXPECT_TRUE(splitter_->SetWidth(-5).Alive());
  EXPECT_GE(splitter_->Width(), 0);
  EXPECT_TRUE(splitter_->SetHeight(-5).Alive());
  EXPECT_GE(splitter_->Height(), 0);
}

TEST_P(MaxSplitter, ButtonShowsItsArrowsPointingToTheNeighbourOrAway) {
  splitter_->SetMinSize(1);
  auto capture = [&] { return TWindowCapture::OfWindow(Form()->Handle()); };
  const RECT button = splitter_->ButtonRect();
  const bool vertical = Vertical(GetParam());
  auto bx = [&] { return splitter_->Left() + button.left; };
  auto by = [&] { return splitter_->Top() + button.top; };
  const COLORREF navy = RGB(0, 0, 0x80);
  // The first arrow: 7 rows (the area is 8 across), its base 13 long, starting 5 pixels into the button; its tip
  // lies on the middle line of the base, on the side it points to.
  auto arrowPixels = [&](const TWindowCapture& shot) {
    const RECT arrow = vertical ? RECT{bx(), by() + 5, bx() + 7, by() + 18} : RECT{bx() + 5, by(), bx() + 18, by() + 7};
    return shot.CountPixels(navy, &arrow);
  };
  auto pointsBack = [&](const TWindowCapture& shot) {
    auto at = [&](int across, int along) {
      return vertical ? shot.Pixel(bx() + across, by() + along) : shot.Pixel(bx() + along, by() + across);
    };
    return at(0, 11) == navy && at(0, 10) != navy;
  };
  const bool towardsNeighbourIsBack = GetParam() == TAlign::alLeft || GetParam() == TAlign::alTop;

  TWindowCapture normal = capture();
  KeepCaptureForViewing(normal, L"max_splitter_normal");
  EXPECT_EQ(arrowPixels(normal), 49);
  EXPECT_EQ(pointsBack(normal), towardsNeighbourIsBack);
  const POINT shade = vertical ? POINT{bx() + 3, by()} : POINT{bx(), by() + 3};
  EXPECT_EQ(normal.Pixel(shade.x, shade.y), RGB(0x80, 0x80, 0x80));
  const POINT face = vertical ? POINT{bx() + 8, by() + 40} : POINT{bx() + 40, by() + 8};
  EXPECT_EQ(normal.Pixel(face.x, face.y), RGB(0xD4, 0xD0, 0xC8));

  EXPECT_TRUE(splitter_->SetMaximized(true).Alive());
  TWindowCapture collapsed = capture();
  EXPECT_EQ(arrowPixels(collapsed), 49);
  EXPECT_EQ(pointsBack(collapsed), !towardsNeighbourIsBack);

  // Under the mouse the face takes the highlight colour.
  const POINT centre = ButtonCentre();
  MouseAt(WM_MOUSEMOVE, centre.x, centre.y);
  EXPECT_TRUE(splitter_->Highlighted());
  const POINT lit = vertical ? POINT{bx() + 8, by() + 40} : POINT{bx() + 40, by() + 8};
  EXPECT_EQ(capture().Pixel(lit.x, lit.y), RGB(0xCF, 0xCF, 0xFF));
}

TEST_P(MaxSplitter, WithoutDragOnlyTheButtonWorksAndTheCursorSaysWhich) {
  splitter_->SetMinSize(1);
  splitter_->SetButtonCursor(crHandPoint);
  const TCursor bar = Vertical(GetParam()) ? crHSplit : crVSplit;
  const POINT off = OnSplitter(20);
  MouseAt(WM_MOUSEMOVE, off.x, off.y);
  EXPECT_EQ(splitter_->Cursor(), bar);
  MouseAt(WM_MOUSEMOVE, ButtonCentre().x, ButtonCentre().y);
  EXPECT_EQ(splitter_->Cursor(), crHandPoint);

  splitter_->SetAllowDrag(false);
  Drag(off, Moved(off, Towards(50)));
  EXPECT_EQ(NeighbourSize(), kNeighbourSize) << "the bar no longer drags";
  EXPECT_EQ(events_.Moved, 0);
  Click(ButtonCentre());
  EXPECT_TRUE(splitter_->Maximized());
  EXPECT_EQ(NeighbourSize(), 1);
  Click(ButtonCentre());
  EXPECT_EQ(NeighbourSize(), kNeighbourSize);
}

// The splitter freed in each of its events, and the neighbour freed while the button collapses it, with the real
// mouse, everything made under guarded allocations: nothing that went is touched again.
TEST_P(MaxSplitter, FreedByItsOwnEventsOrItsNeighbourFreedByTheButton) {
  struct TCase {
    const char* Name;
    std::function<void(MaxSplitter&)> Arm;
    bool OnButton;  // a click on the button, else a drag of the bar
    bool FreesSplitter;
  } cases[] = {
      {"OnMaximize frees the splitter",
       [](MaxSplitter& t) { t.splitter_->OnMaximize = [&t](TObject*) { delete std::exchange(t.splitter_, nullptr); }; },
       true, true},
      {"OnRestore frees the splitter",
       [](MaxSplitter& t) {
         EXPECT_TRUE(t.splitter_->SetMaximized(true).Alive());
         t.splitter_->OnRestore = [&t](TObject*) { delete std::exchange(t.splitter_, nullptr); };
       },
       true, true},
      {"OnMoved frees the splitter at the end of a drag",
       [](MaxSplitter& t) { t.splitter_->OnMoved = [&t](TObject*) { delete std::exchange(t.splitter_, nullptr); }; },
       false, true},
      {"OnCanResize frees the splitter during a drag",
       [](MaxSplitter& t) {
         t.splitter_->OnCanResize = [&t](TObject*, int&, bool&) { delete std::exchange(t.splitter_, nullptr); };
       },
       false, true},
      {"OnCanResize frees the neighbour the button collapses",
       [](MaxSplitter& t) {
         t.splitter_->OnCanResize = [&t](TObject*, int& size, bool&) {
           if (t.neighbour_ && size != t.NeighbourSize()) delete std::exchange(t.neighbour_, nullptr);
         };
       },
       true, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TGuardedAllocations guard;
    FreeAll();
    Build(GetParam());
    splitter_->SetMinSize(1);
    c.Arm(*this);
    if (c.OnButton) {
      RealDrag(ButtonCentre(), {ButtonCentre()});
    } else {
      const POINT from = OnSplitter(20);
      RealDrag(from, {Moved(from, Towards(20)), Moved(from, Towards(40))});
    }
    EXPECT_EQ(splitter_ == nullptr, c.FreesSplitter);
    EXPECT_EQ(neighbour_ == nullptr, !c.FreesSplitter);
    FreeAll();
  }
}

INSTANTIATE_TEST_SUITE_P(Alignments, MaxSplitter, testing::ValuesIn(kAlignments));

TEST_F(FormTest, MaxSplitterWithoutNeighbourIgnoresTheButtonStates) {
  auto* splitter = Make<TMaxSplitter>({300, 0, 310, 300});
  EXPECT_TRUE(splitter->SetAlign(TAlign::alNone).Alive());
  EXPECT_TRUE(splitter->SetMaximized(true).Alive());
  EXPECT_TRUE(splitter->SetMinimized(true).Alive());
  EXPECT_FALSE(splitter->Maximized());
  EXPECT_FALSE(splitter->Minimized());
}

TEST_F(FormTest, MaxSplitterButtonGeometryAndSetters) {
  auto* splitter = Make<TMaxSplitter>({0, 0, 10, 300});
  EXPECT_TRUE(splitter->SetAlign(TAlign::alLeft).Alive());
  struct TCase {
    TSplitterButtonWidthType Type;
    int Width;
    int StoredWidth;
    RECT Button;
  } cases[] = {
      {TSplitterButtonWidthType::btwPixels, 100, 100, {0, 100, 10, 200}},
      {TSplitterButtonWidthType::btwPixels, 400, 400, {0, 1, 10, 299}},  // stays a pixel inside both ends
      {TSplitterButtonWidthType::btwPixels, -5, 0, {}},
      {TSplitterButtonWidthType::btwPercentage, 50, 50, {0, 75, 10, 225}},
      {TSplitterButtonWidthType::btwPercentage, 250, 100, {0, 1, 10, 299}},
  };
  for (const TCase& c : cases) {
    splitter->SetButtonWidthType(c.Type);
    splitter->SetButtonWidth(c.Width);
    EXPECT_EQ(splitter->ButtonWidth(), c.StoredWidth);
    const RECT r = splitter->ButtonRect();
    EXPECT_TRUE(EqualRect(&r, &c.Button))
        << c.Width << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  }
  // Switching to percent brings a larger pixel width down to 100.
  splitter->SetButtonWidthType(TSplitterButtonWidthType::btwPixels);
  splitter->SetButtonWidth(180);
  splitter->SetButtonWidthType(TSplitterButtonWidthType::btwPercentage);
  EXPECT_EQ(splitter->ButtonWidth(), 100);

  splitter->SetBeveled(true);
  RECT beveled = splitter->ButtonRect();
  EXPECT_EQ(beveled.left, 3);
  EXPECT_EQ(beveled.right, 7);

  splitter->SetAutoHighlightColor(true);
  const COLORREF caption = GetSysColor(COLOR_ACTIVECAPTION);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  auto blend = [](int c, int f) { return c + MulDiv(180, f - c, 255); };
  EXPECT_EQ(splitter->ButtonHighlightColor(), static_cast<TColor>(RGB(blend(GetRValue(caption), GetRValue(face)),
                                                                      blend(GetGValue(caption), GetGValue(face)),
                                                                      blend(GetBValue(caption), GetBValue(face)))));
  splitter->SetAutoHighlightColor(false);
  EXPECT_EQ(splitter->ButtonHighlightColor(), 0xFFCFCF);
}

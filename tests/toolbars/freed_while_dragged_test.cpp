// Bars and docks freed while the user drags, sizes or presses a bar with the mouse: from the bar's and the docks'
// own events and from a timer. The loop ends at once and cleanly (no capture, no outline, no locked desktop) and
// nothing touches what was freed.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>

#include "dock_fixture.h"
#include "support/window_capture.h"

using namespace toolbars;

namespace {

enum class TStart { kDocked, kFloating };
// Where the mouse takes the bar: into the bottom dock, or out over the bare desktop beside the form.
enum class TTo { kBottomDock, kDesktop };
enum class TDockUsed { kTop, kBottom };
enum class TFreer {
  kBarInOnMove,
  kBarInOnDockChanging,
  kBarInOnDockChangingHidden,
  kBarInOnRecreating,
  kBarInOnRequestDock,
  kDockInOnRequestDock,
  kBarInOnInsertRemoveBar,
  kDockInOnInsertRemoveBar,
  kBarByTimer,
  kDockByTimer,
};

struct TDragCase {
  const char* Name;
  TStart Start;
  TTo To;
  TFreer Freer;
  // The dock whose events free, or which a timer frees.
  TDockUsed Dock;
};

const TDragCase kDragCases[] = {
    {"OnMoveIntoADock", TStart::kDocked, TTo::kBottomDock, TFreer::kBarInOnMove, TDockUsed::kBottom},
    {"OnDockChangingIntoADock", TStart::kDocked, TTo::kBottomDock, TFreer::kBarInOnDockChanging, TDockUsed::kBottom},
    {"OnDockChangingHidden", TStart::kDocked, TTo::kBottomDock, TFreer::kBarInOnDockChangingHidden, TDockUsed::kBottom},
    {"OnRecreating", TStart::kDocked, TTo::kBottomDock, TFreer::kBarInOnRecreating, TDockUsed::kBottom},
    {"OnRequestDockFreesTheBar", TStart::kDocked, TTo::kBottomDock, TFreer::kBarInOnRequestDock, TDockUsed::kBottom},
    {"OnRequestDockFreesTheDock", TStart::kDocked, TTo::kBottomDock, TFreer::kDockInOnRequestDock, TDockUsed::kBottom},
    {"OnInsertRemoveBarFreesTheBar", TStart::kDocked, TTo::kBottomDock, TFreer::kBarInOnInsertRemoveBar,
     TDockUsed::kBottom},
    {"OnInsertRemoveBarFreesTheDock", TStart::kDocked, TTo::kBottomDock, TFreer::kDockInOnInsertRemoveBar,
     TDockUsed::kBottom},
    {"TimerFreesTheBarInADock", TStart::kDocked, TTo::kBottomDock, TFreer::kBarByTimer, TDockUsed::kBottom},
    {"TimerFreesTheTargetDock", TStart::kDocked, TTo::kBottomDock, TFreer::kDockByTimer, TDockUsed::kBottom},
    {"TimerFreesTheStartDock", TStart::kDocked, TTo::kBottomDock, TFreer::kDockByTimer, TDockUsed::kTop},
    {"OnMoveOfAFloatingBar", TStart::kFloating, TTo::kDesktop, TFreer::kBarInOnMove, TDockUsed::kBottom},
    {"TimerFreesAFloatingBar", TStart::kFloating, TTo::kDesktop, TFreer::kBarByTimer, TDockUsed::kBottom},
    {"TimerFreesADockAFloatingBarPasses", TStart::kFloating, TTo::kDesktop, TFreer::kDockByTimer, TDockUsed::kBottom},
    {"FloatingIntoADockThatFreesIt", TStart::kFloating, TTo::kBottomDock, TFreer::kBarInOnInsertRemoveBar,
     TDockUsed::kBottom},
    {"TimerFreesTheDockAFloatingBarEntered", TStart::kFloating, TTo::kBottomDock, TFreer::kDockByTimer,
     TDockUsed::kBottom},
    {"OnDockChangingToFloat", TStart::kDocked, TTo::kDesktop, TFreer::kBarInOnDockChanging, TDockUsed::kTop},
    {"OnMoveToFloat", TStart::kDocked, TTo::kDesktop, TFreer::kBarInOnMove, TDockUsed::kTop},
    {"TheDockLeftFreesItself", TStart::kDocked, TTo::kDesktop, TFreer::kDockInOnInsertRemoveBar, TDockUsed::kTop},
};

// The loops of a bar's own frame: sizing the floating frame, pressing a close button, pressing the client area.
enum class TFrameLoop { kSizingLeftEdge, kFloatingCloseButton, kDockedCloseButton, kDockedClientArea };
enum class TFrameFreer { kOnMove, kOnCloseQuery, kTimer };

struct TFrameCase {
  const char* Name;
  TFrameLoop Loop;
  TFrameFreer Freer;
};

const TFrameCase kFrameCases[] = {
    {"SizingOnMove", TFrameLoop::kSizingLeftEdge, TFrameFreer::kOnMove},
    {"SizingTimer", TFrameLoop::kSizingLeftEdge, TFrameFreer::kTimer},
    {"FloatingCloseOnCloseQuery", TFrameLoop::kFloatingCloseButton, TFrameFreer::kOnCloseQuery},
    {"DockedCloseOnCloseQuery", TFrameLoop::kDockedCloseButton, TFrameFreer::kOnCloseQuery},
    {"DockedCloseTimer", TFrameLoop::kDockedCloseButton, TFrameFreer::kTimer},
    {"DockedClientAreaTimer", TFrameLoop::kDockedClientArea, TFrameFreer::kTimer},
};

void PrintTo(const TDragCase& c, std::ostream* os) { *os << c.Name; }
void PrintTo(const TFrameCase& c, std::ostream* os) { *os << c.Name; }

// The screen's pixels in a rectangle: whatever the desktop shows there, an outline drawn on it included.
TWindowCapture ScreenPixels(const RECT& rect) {
  TWindowCapture capture(rect.right - rect.left, rect.bottom - rect.top);
  HDC screen = GetDC(nullptr);
  BitBlt(capture.DC(), 0, 0, capture.Width(), capture.Height(), screen, rect.left, rect.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  return capture;
}

int DifferingPixels(const TWindowCapture& a, const TWindowCapture& b) {
  int differing = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) ++differing;
  return differing;
}

// The screen's pixels once they stopped changing: the desktop is painted by another process, in its own time,
// where windows left it.
TWindowCapture SettledScreenPixels(const RECT& rect) {
  TWindowCapture last = ScreenPixels(rect);
  for (int round = 0; round < 250; ++round) {
    ProcessPendingMessages();
    Sleep(20);
    TWindowCapture now = ScreenPixels(rect);
    if (DifferingPixels(now, last) == 0) break;
    last = std::move(now);
  }
  return last;
}

// A point on a docked bar's drag handle, and on a floating bar's caption.
POINT HandlePoint(TBarCustomDockableWindow* bar) {
  RECT rect{};
  GetWindowRect(bar->Handle(), &rect);
  return POINT{rect.left + 3, (rect.top + rect.bottom) / 2};
}

POINT CaptionPoint(TBarCustomDockableWindow* bar) {
  RECT frame{};
  GetWindowRect(bar->FloatParent()->Handle(), &frame);
  const RECT caption = bar->FloatParent()->CaptionRect(true, true);
  return POINT{frame.left + caption.left + 5, frame.top + caption.top + 3};
}

// Whatever is left still works: a new bar on a dock that survived is arranged there, and no loop holds the mouse,
// the desktop or a frame.
class FreedWhileDraggedTest : public DockFormTest {
 protected:
  void ExpectEverythingLetGo() {
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(LockWindowUpdate(Form()->Handle())) << "the desktop is still locked for an outline";
    LockWindowUpdate(nullptr);
  }
  void ExpectArranges(TBarDock* dock) {
    TPlainBar* fresh = AddBar(dock, SIZE{50, 20}, 5, 0);
    ProcessPendingMessages();
    EXPECT_EQ(fresh->CurrentDock(), dock);
    EXPECT_NE(fresh->EffectiveDockRow(), -1) << "the dock holds its arrangement back";
    delete fresh;
  }
};

class FreedWhileDragged : public FreedWhileDraggedTest,
                          public testing::WithParamInterface<std::tuple<TDragCase, bool>> {};

class FreedInAFrameLoop : public FreedWhileDraggedTest,
                          public testing::WithParamInterface<std::tuple<TFrameCase, bool>> {};

template <class TCase>
std::string CaseName(const testing::TestParamInfo<std::tuple<TCase, bool>>& info) {
  return std::string(std::get<0>(info.param).Name) + (std::get<1>(info.param) ? "Smooth" : "Outlined");
}

}  // namespace

TEST_P(FreedWhileDragged, TheDragEndsAtOnceAndCleanly) {
  const TDragCase& c = std::get<0>(GetParam());
  const bool smooth = std::get<1>(GetParam());
  TPlainBar* bar = AddBar(Top(), SIZE{80, 20}, 0, 0, L"Dragged");
  bar->SetSmoothDrag(smooth);
  AddBar(Top(), SIZE{80, 20}, 0, 200, L"Other");
  if (c.Start == TStart::kFloating) {
    EXPECT_TRUE(bar->PlaceFloating(POINT{200, 200}).Alive());
    EXPECT_TRUE(bar->FloatOrDock(true).Alive());
  }
  ProcessPendingMessages();
  TBarDock* top = Top();
  TBarDock* bottom = Bottom();
  TBarDock* dock = c.Dock == TDockUsed::kTop ? top : bottom;
  const HWND barWnd = bar->Handle();
  bool barFreed = false;
  bool dockFreed = false;
  auto freeBar = [&] {
    if (barFreed) return;
    barFreed = true;
    delete bar;
  };
  auto freeDock = [&] {
    if (dockFreed) return;
    dockFreed = true;
    // A dock frees the bars it holds.
    barFreed = barFreed || bar->Parent() == dock;
    delete dock;
  };
  std::function<void()> timer;
  switch (c.Freer) {
    case TFreer::kBarInOnMove:
      bar->OnMove = [&](TObject*) { freeBar(); };
      break;
    case TFreer::kBarInOnDockChanging:
      bar->OnDockChanging = [&](TObject*, bool, TBarDock*) { freeBar(); };
      break;
    case TFreer::kBarInOnDockChangingHidden:
      bar->OnDockChangingHidden = [&](TObject*, bool, TBarDock*) { freeBar(); };
      break;
    case TFreer::kBarInOnRecreating:
      bar->OnRecreating = [&](TObject*) { freeBar(); };
      break;
    case TFreer::kBarInOnRequestDock:
      dock->OnRequestDock = [&](TObject*, TBarCustomDockableWindow*, bool&) { freeBar(); };
      break;
    case TFreer::kDockInOnRequestDock:
      dock->OnRequestDock = [&](TObject*, TBarCustomDockableWindow*, bool&) { freeDock(); };
      break;
    case TFreer::kBarInOnInsertRemoveBar:
      dock->OnInsertRemoveBar = [&](TObject*, bool, TBarCustomDockableWindow*) { freeBar(); };
      break;
    case TFreer::kDockInOnInsertRemoveBar:
      dock->OnInsertRemoveBar = [&](TObject*, bool, TBarCustomDockableWindow*) { freeDock(); };
      break;
    case TFreer::kBarByTimer:
      timer = [&] {
        if (GetCapture() == barWnd) freeBar();
      };
      break;
    case TFreer::kDockByTimer:
      timer = [&] {
        if (GetCapture() == barWnd) freeDock();
      };
      break;
  }

  const POINT from = c.Start == TStart::kDocked ? HandlePoint(bar) : CaptionPoint(bar);
  const RECT bottomRect = ScreenRect(bottom->Handle());
  const POINT end = c.To == TTo::kBottomDock ? POINT{bottomRect.left + 60, bottomRect.top - 2} : POINT{900, 600};
  const RECT around{end.x - 150, end.y - 80, end.x + 150, end.y + 80};
  const TWindowCapture before = SettledScreenPixels(around);
  SendMouseDrag(from, {POINT{from.x + 5, from.y + 40}, POINT{end.x, end.y - 20}, end, POINT{end.x + 10, end.y}}, false,
                false, timer);
  ProcessPendingMessages();

  ASSERT_TRUE(barFreed || dockFreed) << "the freeing code ran";
  ExpectEverythingLetGo();
  if (!barFreed) {
    EXPECT_FALSE(bar->Dragging());
  }
  // Over the bare desktop nothing is left of the outline, or of a frame that went with its bar.
  if (c.To == TTo::kDesktop && (barFreed || !smooth)) {
    EXPECT_EQ(DifferingPixels(SettledScreenPixels(around), before), 0);
  }
  if (!(dockFreed && c.Dock == TDockUsed::kTop)) ExpectArranges(top);
  if (!(dockFreed && c.Dock == TDockUsed::kBottom)) ExpectArranges(bottom);
}

INSTANTIATE_TEST_SUITE_P(Cases, FreedWhileDragged, testing::Combine(testing::ValuesIn(kDragCases), testing::Bool()),
                         &CaseName<TDragCase>);

TEST_P(FreedInAFrameLoop, TheLoopEndsAtOnceAndCleanly) {
  const TFrameCase& c = std::get<0>(GetParam());
  const bool smooth = std::get<1>(GetParam());
  TPlainBar* bar = AddBar(Top(), SIZE{80, 20}, 0, 0, L"Pressed");
  bar->SetSmoothDrag(smooth);
  const bool floating = c.Loop == TFrameLoop::kSizingLeftEdge || c.Loop == TFrameLoop::kFloatingCloseButton;
  if (floating) {
    EXPECT_TRUE(bar->PlaceFloating(POINT{200, 200}).Alive());
    EXPECT_TRUE(bar->FloatOrDock(true).Alive());
  } else {
    EXPECT_TRUE(bar->SetCloseButtonWhenDocked(true).Alive());
  }
  ProcessPendingMessages();
  const HWND barWnd = bar->Handle();
  bool freed = false;
  auto freeBar = [&] {
    if (freed) return;
    freed = true;
    delete bar;
  };
  std::function<void()> timer;
  switch (c.Freer) {
    case TFrameFreer::kOnMove:
      bar->OnMove = [&](TObject*) { freeBar(); };
      break;
    case TFrameFreer::kOnCloseQuery:
      bar->OnCloseQuery = [&](TObject*, bool& canClose) {
        freeBar();
        canClose = true;
      };
      break;
    case TFrameFreer::kTimer:
      // The press loops capture the mouse for the frame or the bar.
      timer = [&] {
        if (GetCapture()) freeBar();
      };
      break;
  }

  const RECT window = ScreenRect(barWnd);
  POINT from{};
  switch (c.Loop) {
    case TFrameLoop::kSizingLeftEdge: {
      const RECT frame = ScreenRect(bar->FloatParent()->Handle());
      from = POINT{frame.left + 1, (frame.top + frame.bottom) / 2};
      break;
    }
    case TFrameLoop::kFloatingCloseButton: {
      const RECT frame = ScreenRect(bar->FloatParent()->Handle());
      const RECT close = bar->FloatParent()->CloseButtonRect(true);
      from = POINT{frame.left + (close.left + close.right) / 2, frame.top + (close.top + close.bottom) / 2};
      break;
    }
    case TFrameLoop::kDockedCloseButton: {
      RECT close{};
      bar->CloseButtonRect(false, close);
      from = POINT{window.left + (close.left + close.right) / 2, window.top + (close.top + close.bottom) / 2};
      break;
    }
    case TFrameLoop::kDockedClientArea:
      from = bar->ClientToScreen(POINT{bar->ClientWidth() / 2, bar->ClientHeight() / 2});
      break;
  }
  // Sizing moves the left edge; a press stays where it began.
  const int moved = c.Loop == TFrameLoop::kSizingLeftEdge ? -40 : 0;
  SendMouseDrag(from, {POINT{from.x + moved, from.y}}, false, false, timer);
  ProcessPendingMessages();

  ASSERT_TRUE(freed) << "the freeing code ran";
  ExpectEverythingLetGo();
  ExpectArranges(Top());
}

INSTANTIATE_TEST_SUITE_P(Cases, FreedInAFrameLoop, testing::Combine(testing::ValuesIn(kFrameCases), testing::Bool()),
                         &CaseName<TFrameCase>);

#include <gtest/gtest.h>

#include <vector>

#include "styled_fixture.h"
#include "toolbars/popups/done_action.h"
#include "toolbars/styled/custom_list.h"
#include "toolbars/styled/scroll_bar.h"
#include "toolbars/views/view.h"

using namespace toolbars;

namespace {

class TTestList : public TStyledCustomList {
  BC_CLASS(TTestList, TStyledCustomList)
  using TStyledCustomList::TStyledCustomList;
  std::vector<String> Entries;
  // An index past the entries throws, so a viewer that asks for one fails the test.
  void GetItemText(int index, String& text) override { text = Entries.at(static_cast<size_t>(index)); }
  int GetCount() override { return static_cast<int>(Entries.size()); }
  void EntriesChanged() { Change(true); }
};

class ListItemTest : public StyledItemsTest {
 protected:
  TTestList* MakeList(int count) {
    list_ = new TTestList(&owner_);
    for (int i = 0; i < count; ++i) list_->Entries.push_back(L"Entry " + std::to_wstring(i));
    root_->Add(list_);
    return list_;
  }
  TStyledCustomListViewer* ListViewer() { return static_cast<TStyledCustomListViewer*>(ViewerOf(list_)); }
  TTestList* list_ = nullptr;
};

TEST_F(ListItemTest, ShowsUpToTheLimitAndAScrollBarBeyondIt) {
  const struct {
    int Count;
    int Visible;
    bool ScrollBar;
  } cases[] = {{3, 3, false}, {20, 8, true}, {0, 1, false}, {8, 8, false}};
  for (const auto& c : cases) {
    root_->Clear();
    bar_ = nullptr;
    MakeList(c.Count);
    Bar(false);
    TStyledCustomListViewer* viewer = ListViewer();
    const SIZE size = Measure(list_);
    EXPECT_EQ(viewer->VisibleCount(), c.Visible);
    EXPECT_EQ(size.cy, c.Visible * viewer->ItemHeight());
    EXPECT_EQ(viewer->ScrollBarWidth(), c.ScrollBar ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    EXPECT_GE(size.cx, list_->MinimumWidth());
    delete bar_;
  }
}

TEST_F(ListItemTest, ItemIndexIsClampedScrolledIntoViewAndReported) {
  MakeList(20);
  int changes = 0;
  struct TSink : TObject {
    int* Count = nullptr;
    void Changed(TObject*) { ++*Count; }
  } sink;
  sink.Count = &changes;
  list_->OnChange = TNotifyEvent(&sink, &TSink::Changed);
  Bar(false);
  EXPECT_TRUE(list_->SetItemIndex(-5).Alive());
  EXPECT_EQ(list_->ItemIndex(), -1);
  EXPECT_EQ(changes, 0);
  EXPECT_TRUE(list_->SetItemIndex(15).Alive());
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(ListViewer()->HotIndex(), 15);
  EXPECT_EQ(ListViewer()->TopIndex(), 15 - 8 + 1);
  EXPECT_TRUE(list_->SetItemIndex(2).Alive());
  EXPECT_EQ(ListViewer()->TopIndex(), 2);
  // A new viewer starts with the entry visible.
  EXPECT_TRUE(list_->SetItemIndex(19).Alive());
  bar_->View()->RecreateAllViewers();
  EXPECT_TRUE(bar_->View()->ValidatePositions().Alive());
  EXPECT_EQ(ListViewer()->TopIndex(), 12);
}

TEST_F(ListItemTest, KeysMoveTheChosenEntry) {
  MakeList(20);
  Bar(false);
  const struct {
    WORD Key;
    int Start;
    int Expected;
  } cases[] = {{VK_DOWN, 3, 4},  {VK_UP, 0, 0},   {VK_NEXT, 3, 11}, {VK_NEXT, 15, 19},
               {VK_PRIOR, 5, 0}, {VK_END, 2, 19}, {VK_HOME, 9, 0}};
  for (const auto& c : cases) {
    EXPECT_TRUE(list_->SetItemIndex(c.Start).Alive());
    WORD key = c.Key;
    TBarTrackingState state;
    state.RootView = bar_->View();
    EXPECT_TRUE(ListViewer()->KeyDown(key, TShiftState{}, state).Alive());
    EXPECT_EQ(key, 0);
    EXPECT_EQ(list_->ItemIndex(), c.Expected) << c.Key << " from " << c.Start;
  }
}

TEST_F(ListItemTest, KeysOnAnEmptyListChooseNothing) {
  MakeList(0);
  Bar(false);
  for (WORD start : {VK_DOWN, VK_END, VK_HOME}) {
    WORD key = start;
    TBarTrackingState state;
    state.RootView = bar_->View();
    EXPECT_TRUE(ListViewer()->KeyDown(key, TShiftState{}, state).Alive());
    EXPECT_EQ(key, 0);
    EXPECT_EQ(list_->ItemIndex(), -1);
  }
}

TEST_F(ListItemTest, PointsFindEntriesBesideTheScrollBar) {
  MakeList(20);
  Bar(false);
  TStyledCustomListViewer* viewer = ListViewer();
  const int h = viewer->ItemHeight();
  const int width = viewer->BoundsRect().right - viewer->BoundsRect().left;
  EXPECT_TRUE(list_->SetItemIndex(10).Alive());  // top 3
  const struct {
    int X;
    int Y;
    int Index;
  } cases[] = {{2, 0, 3},      {2, h * 7 + 1, 10}, {-1, 2, -1},
               {2, h * 8, -1}, {width - 2, 2, -1}, {width - viewer->ScrollBarWidth(), 2, 3}};
  for (const auto& c : cases) EXPECT_EQ(viewer->IndexAt(c.X, c.Y), c.Index) << c.X << "," << c.Y;
}

TEST_F(ListItemTest, ClickInTheListChoosesTheEntry) {
  MakeList(5);
  Bar(false);
  TStyledCustomListViewer* viewer = ListViewer();
  TBarDoneActionData done;
  TBarTrackingState state;
  state.RootView = bar_->View();
  state.DoneRecord = &done;
  const int y = viewer->ItemHeight() * 2 + 1;
  EXPECT_TRUE(viewer->MouseDown(TShiftState{}, 4, y, state).Alive());
  EXPECT_EQ(viewer->HotIndex(), 2);
  EXPECT_TRUE(viewer->MouseUp(4, y, state).Alive());
  ReleaseCapture();
  EXPECT_EQ(list_->ItemIndex(), 2);
}

TEST_F(ListItemTest, DraggingBelowTheListAutoScrollsFasterFurtherOut) {
  MakeList(30);
  Bar(false);
  Paint();
  TStyledCustomListViewer* viewer = ListViewer();
  const int listHeight = viewer->VisibleCount() * viewer->ItemHeight();
  const struct {
    int Beyond;
    int Step;
    UINT Interval;
  } cases[] = {{5, 1, 150}, {20, 1, 100}, {40, 2, 100}, {60, 4, 100}};
  for (const auto& c : cases) {
    EXPECT_TRUE(list_->SetItemIndex(-1).Alive());
    EXPECT_TRUE(list_->SetItemIndex(0).Alive());
    TBarTrackingState state;
    state.RootView = bar_->View();
    EXPECT_TRUE(viewer->MouseDown(TShiftState{}, 4, 2, state).Alive());
    EXPECT_TRUE(viewer->MouseMove(4, listHeight - 1 + c.Beyond).Alive());
    TStyledScrollBar* bar = viewer->ScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->AutoScrolling());
    EXPECT_EQ(bar->TimerInterval(kAutoScrollTimer), c.Interval);
    EXPECT_EQ(viewer->HotIndex(), -1);
    const int top = viewer->TopIndex();
    int next = 0;
    EXPECT_TRUE(bar->TimerElapsed(kAutoScrollTimer, next).Alive());
    EXPECT_EQ(viewer->TopIndex(), top + c.Step) << c.Beyond;
    EXPECT_EQ(next, static_cast<int>(c.Interval));
    EXPECT_TRUE(viewer->MouseUp(4, listHeight + c.Beyond, state).Alive());
    EXPECT_FALSE(bar->AutoScrolling());
    ReleaseCapture();
  }
}

TEST_F(ListItemTest, WheelScrollsByWholeNotches) {
  MakeList(20);
  Bar(false);
  TStyledCustomListViewer* viewer = ListViewer();
  EXPECT_TRUE(viewer->MouseWheel(-60, 0, 0).Alive());
  EXPECT_EQ(viewer->TopIndex(), 0);
  EXPECT_TRUE(viewer->MouseWheel(-60, 0, 0).Alive());
  EXPECT_EQ(viewer->TopIndex(), 1);
  EXPECT_TRUE(viewer->MouseWheel(-240, 0, 0).Alive());
  EXPECT_EQ(viewer->TopIndex(), 3);
  EXPECT_TRUE(viewer->MouseWheel(120, 0, 0).Alive());
  EXPECT_EQ(viewer->TopIndex(), 2);
}

TEST_F(ListItemTest, MeasureAndPaintEventsShapeTheEntries) {
  MakeList(4);
  struct TSink : TObject {
    int Painted = 0;
    void Height(TObject*, TCanvas*, int& height) { height = 30; }
    void Width(TObject*, TCanvas*, int, int& width) { width = 200; }
    void Item(TObject*, TCanvas*, const RECT&, int index, bool, bool& drawDefault) {
      ++Painted;
      drawDefault = index != 1;
    }
  } sink;
  list_->OnMeasureHeight = TListMeasureHeightEvent(&sink, &TSink::Height);
  list_->OnMeasureWidth = TListMeasureWidthEvent(&sink, &TSink::Width);
  list_->OnPaintItem = TListPaintEvent(&sink, &TSink::Item);
  EXPECT_TRUE(list_->SetItemIndex(2).Alive());
  Bar(false);
  EXPECT_EQ(Measure(list_).cy, 4 * 30);
  EXPECT_EQ(Measure(list_).cx, 200);
  list_->SetMaximumWidth(150);
  EXPECT_EQ(Measure(list_).cx, 150);
  sink.Painted = 0;
  const TWindowCapture capture = Paint();
  KeepCaptureForViewing(capture, L"styled_list");
  EXPECT_EQ(sink.Painted, 4);
  const RECT bounds = ListViewer()->BoundsRect();
  // The hot entry is filled with the selection colour, the others with the window colour.
  EXPECT_EQ(capture.Pixel(bounds.left + 1, bounds.top + 2 * 30 + 1), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(capture.Pixel(bounds.left + 1, bounds.top + 1), GetSysColor(COLOR_WINDOW));
  // The entry whose painting the event took over shows no text.
  const RECT second{bounds.left, bounds.top + 30, bounds.right, bounds.top + 60};
  const int area = (second.right - second.left) * 30;
  EXPECT_EQ(capture.CountPixels(GetSysColor(COLOR_WINDOW), &second), area);
  const RECT first{bounds.left, bounds.top, bounds.right, bounds.top + 30};
  EXPECT_LT(capture.CountPixels(GetSysColor(COLOR_WINDOW), &first), area);
}

TEST_F(ListItemTest, ShrinkingListKeepsItsFirstShownEntryInRange) {
  MakeList(20);
  Bar(false);
  EXPECT_TRUE(list_->SetItemIndex(19).Alive());
  EXPECT_EQ(ListViewer()->TopIndex(), 12);
  list_->Entries.resize(3);
  list_->EntriesChanged();
  EXPECT_TRUE(bar_->View()->ValidatePositions().Alive());
  EXPECT_NO_THROW(Paint());
  EXPECT_EQ(ListViewer()->TopIndex(), 0);
  EXPECT_EQ(ListViewer()->VisibleCount(), 3);
}

TEST_F(ListItemTest, ZeroEntryHeightFromTheEventStillFindsEntries) {
  MakeList(5);
  struct TSink : TObject {
    void Height(TObject*, TCanvas*, int& height) { height = 0; }
  } sink;
  list_->OnMeasureHeight = TListMeasureHeightEvent(&sink, &TSink::Height);
  Bar(false);
  EXPECT_EQ(ListViewer()->ItemHeight(), 1);
  EXPECT_EQ(ListViewer()->IndexAt(2, 3), 3);
}

// Scroll bar geometry and input, without a host.
TEST(StyledScrollBar, PartsFollowLengthRangeAndPosition) {
  const struct {
    int Length;
    int Range;
    int Window;
    int Position;
    RECT Thumb;  // empty: no thumb
    int Button;
  } cases[] = {
      {100, 20, 8, 0, {0, 16, 16, 43}, 16},
      {100, 20, 8, 12, {0, 57, 16, 84}, 16},
      {100, 1000, 8, 992, {0, 76, 16, 84}, 16},
      {100, 1000, 8, 0, {0, 16, 16, 24}, 16},
      {40, 20, 8, 0, {}, 16},
      {30, 20, 8, 0, {}, 14},
      {100, 8, 8, 0, {}, 16},
  };
  for (const auto& c : cases) {
    TStyledScrollBar bar;
    bar.SetKind(TScrollBarKind::sbVertical);
    bar.SetBounds(RECT{0, 0, 16, c.Length});
    EXPECT_TRUE(bar.SetRange(c.Range).Alive());
    bar.SetWindow(c.Window);
    bar.SetPosition(c.Position);
    bar.UpdateParts();
    const RECT thumb = bar.Part(spThumb);
    EXPECT_TRUE(EqualRect(&thumb, &c.Thumb))
        << c.Length << " " << c.Range << " " << c.Position << ": " << thumb.top << ".." << thumb.bottom;
    EXPECT_EQ(bar.Part(spFirstButton).bottom, c.Button);
    const RECT empty = bar.Part(spEmptyTrack);
    EXPECT_EQ(IsRectEmpty(&c.Thumb), !IsRectEmpty(&empty));
  }
}

TEST(StyledScrollBar, HeldButtonsRepeatAndTheThumbDrags) {
  TStyledScrollBar bar;
  int changes = 0;
  struct TSink : TObject {
    int* Count = nullptr;
    void Changed(TObject*) { ++*Count; }
  } sink;
  sink.Count = &changes;
  bar.OnChange = TNotifyEvent(&sink, &TSink::Changed);
  bar.SetKind(TScrollBarKind::sbVertical);
  bar.SetBounds(RECT{0, 0, 16, 100});
  EXPECT_TRUE(bar.SetRange(20).Alive());
  bar.SetWindow(8);
  EXPECT_EQ(changes, 0);
  EXPECT_TRUE(bar.MouseDown(TMouseButton::mbLeft, 8, 95).Alive());
  EXPECT_EQ(bar.Position(), 1);
  EXPECT_EQ(bar.TimerInterval(kRepeatTimer), kRepeatDelay);
  int next = 0;
  EXPECT_TRUE(bar.TimerElapsed(kRepeatTimer, next).Alive());
  EXPECT_EQ(next, static_cast<int>(kRepeatInterval));
  EXPECT_EQ(bar.Position(), 2);
  EXPECT_TRUE(bar.MouseUp(TMouseButton::mbLeft, 8, 95).Alive());
  EXPECT_EQ(bar.TimerInterval(kRepeatTimer), 0u);
  EXPECT_TRUE(bar.TimerElapsed(kRepeatTimer, next).Alive());
  EXPECT_EQ(next, 0);
  EXPECT_EQ(changes, 2);
  // A page step through the track, then the thumb follows the pointer in range units.
  EXPECT_TRUE(bar.MouseDown(TMouseButton::mbLeft, 8, 70).Alive());
  EXPECT_EQ(bar.Position(), 10);
  EXPECT_TRUE(bar.MouseUp(TMouseButton::mbLeft, 8, 70).Alive());
  bar.UpdateParts();
  const RECT thumb = bar.Part(spThumb);
  EXPECT_TRUE(bar.MouseDown(TMouseButton::mbLeft, 8, thumb.top + 1).Alive());
  EXPECT_TRUE(bar.MouseMove(8, thumb.top + 1 - 17).Alive());
  EXPECT_EQ(bar.Position(), 10 - 5);  // round(17 * 20 / 68)
  EXPECT_TRUE(bar.MouseMove(8, thumb.top + 500).Alive());
  EXPECT_EQ(bar.Position(), 12);
  EXPECT_TRUE(bar.MouseUp(TMouseButton::mbLeft, 8, thumb.top + 500).Alive());
}

TEST(StyledScrollBar, RangeAndPositionStayConsistent) {
  TStyledScrollBar bar;
  bar.SetKind(TScrollBarKind::sbVertical);
  bar.SetBounds(RECT{0, 0, 16, 100});
  EXPECT_TRUE(bar.SetRange(-4).Alive());
  EXPECT_EQ(bar.Range(), 0);
  EXPECT_TRUE(bar.SetRange(50).Alive());
  bar.SetWindow(10);
  bar.SetPosition(70);
  EXPECT_EQ(bar.Position(), 40);
  EXPECT_TRUE(bar.SetRange(20).Alive());
  EXPECT_EQ(bar.Position(), 10);
  // Auto-scroll stops at the end.
  bar.StartAutoScroll(4, 100);
  int next = 0;
  EXPECT_TRUE(bar.TimerElapsed(kAutoScrollTimer, next).Alive());
  EXPECT_EQ(bar.Position(), 10);
  EXPECT_EQ(next, 0);
  bar.StopAutoScroll();
}

}  // namespace

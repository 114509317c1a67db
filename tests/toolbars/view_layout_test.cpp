#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "bar_host.h"
#include "fixed_items.h"
#include "support/hostile_input.h"
#include "support/modal_input.h"
#include "support/test_window.h"

using namespace toolbars;
using bar_host::TFixedItem;
using bar_host::TFixedSeparator;
using bar_host::THostView;

namespace {

// A toolbar view with a chevron item, as the toolbar will have.
class TChevronView : public THostView {
  BC_CLASS(TChevronView, THostView)
  TChevronView(TComponent* owner, TBarCustomItem* root, TBarCustomItem* chevron)
      : THostView(owner, nullptr, root, nullptr, true, false, true), chevron_(chevron) {
    RecreateAllViewers();
  }

 protected:
  TBarCustomItem* GetChevronItem() const override { return chevron_; }

 private:
  TBarCustomItem* chevron_;
};

std::string Describe(const RECT& r) {
  char text[64];
  snprintf(text, sizeof text, "(%ld,%ld,%ld,%ld)", static_cast<long>(r.left), static_cast<long>(r.top),
           static_cast<long>(r.right), static_cast<long>(r.bottom));
  return text;
}

class ViewLayout : public testing::Test {
 protected:
  TBarCustomItem* Root() {
    if (!root_) root_ = new TBarRootItem(&owner_);
    return root_;
  }
  TFixedItem* Button(SIZE size = {30, 20}, TBarItemStyle style = 0) {
    auto* item = new TFixedItem(&owner_, size, style);
    Root()->Add(item);
    return item;
  }
  TFixedSeparator* Separator(SIZE size = {6, 6}) {
    auto* item = new TFixedSeparator(&owner_, size);
    Root()->Add(item);
    return item;
  }
  THostView* View(bool isToolbar, bool usePriorityList = false) {
    auto* view = new THostView(&owner_, nullptr, Root(), nullptr, isToolbar, false, usePriorityList);
    return view;
  }
  static std::vector<std::string> Rects(TBarView* view) {
    std::vector<std::string> rects;
    for (int i = 0; i < view->ViewerCount(); ++i)
      rects.push_back(view->Viewers(i)->Show() ? Describe(view->Viewers(i)->BoundsRect()) : "hidden");
    return rects;
  }

  TComponent owner_{nullptr};
  TBarCustomItem* root_ = nullptr;
};

}  // namespace

TEST_F(ViewLayout, DoubledLeadingAndTrailingSeparatorsHide) {
  Separator();
  Separator();
  Button();
  Separator();
  Button();
  Separator();
  THostView* view = View(true);
  EXPECT_TRUE(view->UpdatePositions().Alive());
  EXPECT_EQ(Rects(view),
            (std::vector<std::string>{"hidden", "hidden", "(0,0,30,20)", "(30,0,36,20)", "(36,0,66,20)", "hidden"}));
  EXPECT_EQ(view->LastSize().cx, 66);
  EXPECT_EQ(view->BaseSize().cx, 66);
}

TEST_F(ViewLayout, WrappingBreaksRowsAndPrefersSeparators) {
  for (int i = 0; i < 5; ++i) Button();
  THostView* view = View(true);
  view->SetWrapOffset(100);
  EXPECT_TRUE(view->UpdatePositions().Alive());
  EXPECT_EQ(Rects(view),
            (std::vector<std::string>{"(0,0,30,20)", "(30,0,60,20)", "(60,0,90,20)", "(0,20,30,40)", "(30,20,60,40)"}));
  EXPECT_EQ(view->LastSize().cx, 100) << "wrapped rows use the whole width";
  EXPECT_EQ(view->LastSize().cy, 40);

  // A separator after the second button whose group does not fit: the row breaks there, and the separator
  // becomes a 6-pixel line across the whole toolbar.
  Root()->Insert(2, new TFixedSeparator(&owner_));
  EXPECT_TRUE(view->UpdatePositions().Alive());
  EXPECT_EQ(Rects(view), (std::vector<std::string>{"(0,0,30,20)", "(30,0,60,20)", "(0,20,100,26)", "(0,26,30,46)",
                                                   "(30,26,60,46)", "(60,26,90,46)"}));
  EXPECT_TRUE(view->Viewers(2)->IsLineSep());
  EXPECT_EQ(view->LastSize().cy, 46);
}

TEST_F(ViewLayout, ChevronTakesWhatDoesNotFit) {
  auto* chevron = new TFixedItem(&owner_, SIZE{12, 20});
  std::vector<TFixedItem*> buttons;
  for (int i = 0; i < 4; ++i) buttons.push_back(Button());
  auto* view = new TChevronView(&owner_, Root(), chevron);
  view->SetChevronSize(12);
  view->SetChevronOffset(100);
  EXPECT_TRUE(view->UpdatePositions().Alive());
  // The last buttons give way until the rest fit in 100 - 12.
  EXPECT_EQ(Rects(view),
            (std::vector<std::string>{"(0,0,30,20)", "(30,0,60,20)", "hidden", "hidden", "(88,0,100,20)"}));
  EXPECT_TRUE(view->Viewers(2)->OffEdge());
  EXPECT_TRUE(view->Viewers(3)->OffEdge());
  EXPECT_FALSE(view->Viewers(1)->OffEdge());
  EXPECT_TRUE(chevron->Enabled());

  // Recently used items keep their place: after the last button was used, the middle ones give way.
  EXPECT_TRUE(view->GivePriority(view->Viewers(3)).Alive());
  EXPECT_TRUE(view->UpdatePositions().Alive());
  EXPECT_EQ(Rects(view),
            (std::vector<std::string>{"(0,0,30,20)", "hidden", "hidden", "(30,0,60,20)", "(88,0,100,20)"}));

  // However little room there is, one button stays.
  view->SetChevronOffset(20);
  EXPECT_TRUE(view->UpdatePositions().Alive());
  int shown = 0;
  for (int i = 0; i < 4; ++i) shown += view->Viewers(i)->Show() ? 1 : 0;
  EXPECT_EQ(shown, 1);

  view->SetChevronOffset(200);
  EXPECT_TRUE(view->UpdatePositions().Alive());
  EXPECT_FALSE(view->Viewers(4)->Show()) << "no chevron while everything fits";
}

TEST_F(ViewLayout, RightAlignedItemsLandAtTheFarEnd) {
  Button();
  Button(SIZE{30, 20}, isRightAlign);
  Button();
  THostView* view = View(true);
  view->SetWrapOffset(300);
  EXPECT_TRUE(view->UpdatePositions().Alive());
  EXPECT_EQ(Rects(view), (std::vector<std::string>{"(0,0,30,20)", "(240,0,270,20)", "(270,0,300,20)"}));
}

TEST_F(ViewLayout, ToolbarCentresAcrossTheRowAndStretchesSeparators) {
  Button(SIZE{30, 20});
  Separator(SIZE{6, 6});
  Button(SIZE{30, 31});
  Button(SIZE{40, 10}, isStretch);
  THostView* view = View(true);
  EXPECT_TRUE(view->UpdatePositions().Alive());
  EXPECT_EQ(Rects(view), (std::vector<std::string>{"(0,5,30,25)", "(30,0,36,31)", "(36,0,66,31)", "(66,0,106,31)"}));
}

TEST_F(ViewLayout, VerticalBarsStackDownwards) {
  Button(SIZE{30, 20});
  Button(SIZE{24, 20});
  THostView* view = View(true);
  view->SetOrientation(TBarViewOrientation::tbvoVertical);
  EXPECT_TRUE(view->UpdatePositions().Alive());
  EXPECT_EQ(Rects(view), (std::vector<std::string>{"(0,0,30,20)", "(3,20,27,40)"}));
  EXPECT_EQ(view->LastSize().cx, 30);
  EXPECT_EQ(view->LastSize().cy, 40);
  view->SetOrientation(TBarViewOrientation::tbvoFloating);
  EXPECT_TRUE(view->UpdatePositions().Alive());
  EXPECT_EQ(Rects(view), (std::vector<std::string>{"(4,2,34,22)", "(34,2,58,22)"})) << "floating margins";
}

TEST_F(ViewLayout, PopupRowsSpanTheColumn) {
  Button(SIZE{80, 20});
  Separator(SIZE{0, 6});
  Button(SIZE{120, 20});
  THostView* view = View(false);
  EXPECT_TRUE(view->UpdatePositions().Alive());
  EXPECT_EQ(Rects(view), (std::vector<std::string>{"(0,0,120,20)", "(0,20,120,26)", "(0,26,120,46)"}));
}

TEST_F(ViewLayout, TallPopupsUseTheColumnsTheyFill) {
  struct TCase {
    int Items, Height, MaxHeight, Columns, TotalHeight;
  };
  // 2.5 times too tall: two full columns and one for the rest. 60-pixel rows in 100 pixels fill one per
  // column, which needs four columns where the division says three.
  const TCase cases[] = {{10, 25, 100, 3, 100}, {4, 60, 100, 4, 60}, {3, 40, 100, 2, 80}};
  for (const TCase& c : cases) {
    TComponent owner(nullptr);
    auto* root = new TBarRootItem(&owner);
    for (int i = 0; i < c.Items; ++i) root->Add(new TFixedItem(&owner, SIZE{50, c.Height}));
    auto* view = new THostView(&owner, nullptr, root, nullptr, false, false, false);
    view->SetMaxHeight(c.MaxHeight);
    EXPECT_TRUE(view->UpdatePositions().Alive());
    EXPECT_EQ(view->LastSize().cx, c.Columns * 50) << c.Items << " x " << c.Height;
    EXPECT_EQ(view->LastSize().cy, c.TotalHeight) << c.Items << " x " << c.Height;
    for (int i = 0; i < view->ViewerCount(); ++i) {
      const RECT& r = view->Viewers(i)->BoundsRect();
      EXPECT_TRUE(view->Viewers(i)->Show());
      EXPECT_LE(r.right, view->LastSize().cx) << "every row lies inside the pop-up";
      EXPECT_LE(r.bottom, view->LastSize().cy);
    }
    EXPECT_FALSE(view->ShowDownArrow());
  }
}

TEST_F(ViewLayout, VeryTallPopupsScroll) {
  for (int i = 0; i < 10; ++i) Button(SIZE{50, 40});
  THostView* view = View(false);
  view->SetMaxHeight(100);
  EXPECT_TRUE(view->UpdatePositions().Alive());
  // Three columns of four; the 160-pixel columns scroll in 100 pixels.
  EXPECT_EQ(view->LastSize().cx, 150);
  EXPECT_EQ(view->LastSize().cy, 100);
  EXPECT_FALSE(view->ShowUpArrow());
  EXPECT_TRUE(view->ShowDownArrow());
  EXPECT_EQ(Describe(view->Viewers(4)->BoundsRect()), "(50,0,100,40)");
  EXPECT_TRUE(view->Viewers(1)->Show());
  EXPECT_TRUE(view->Viewers(2)->Clipped()) << "80..120 passes the bottom strip";
  EXPECT_FALSE(view->Viewers(2)->Show());
  view->SetScrollOffset(500);
  view->InvalidatePositions();
  EXPECT_TRUE(view->UpdatePositions().Alive());
  EXPECT_EQ(view->ScrollOffset(), 60) << "no further than the end";
  EXPECT_TRUE(view->ShowUpArrow());
  EXPECT_FALSE(view->ShowDownArrow());
  EXPECT_TRUE(view->Viewers(0)->Clipped());
  EXPECT_TRUE(view->Viewers(3)->Show());
  EXPECT_EQ(Describe(view->Viewers(3)->BoundsRect()), "(0,60,50,100)");
}

TEST_F(ViewLayout, NotificationsKeepTheViewersInStepAndLayOutOnce) {
  TFixedItem* a = Button();
  THostView* view = View(true);
  EXPECT_TRUE(view->UpdatePositions().Alive());
  const int layouts = view->LayoutCount();
  a->SetName(L"Renamed");
  EXPECT_EQ(view->LayoutCount(), layouts) << "a new name needs no layout";
  Root()->NotifyBeginUpdate();
  TFixedItem* b = Button();
  TFixedItem* c = Button();
  Root()->Insert(0, new TFixedItem(&owner_, SIZE{10, 20}));
  EXPECT_EQ(view->LayoutCount(), layouts) << "nothing is laid out inside the bracket";
  Root()->NotifyEndUpdate();
  EXPECT_EQ(view->LayoutCount(), layouts + 1);
  ASSERT_EQ(view->ViewerCount(), 4);
  EXPECT_EQ(view->Viewers(1)->Item(), a);
  EXPECT_EQ(view->Find(c), view->Viewers(3));
  Root()->Remove(b);
  EXPECT_EQ(view->ViewerCount(), 3);
  try {
    view->Find(b);
    FAIL() << "no error";
  } catch (const EBarItemError& e) {
    EXPECT_EQ(e.Message(), L"An item viewer associated the specified item could not be found");
  }
  delete b;
  c->SetVisible(false);
  EXPECT_FALSE(view->Find(c)->Show());
  EXPECT_EQ(view->ViewerFromPoint(POINT{15, 5}), view->Find(a));
  EXPECT_EQ(view->ViewerFromPoint(POINT{95, 5}), nullptr);
}

TEST_F(ViewLayout, EmbeddedGroupsShowTheirChildrenInPlace) {
  struct TGroup : TFixedItem {
    explicit TGroup(TComponent* owner) : TFixedItem(owner) { AddStyle(isEmbeddedGroup); }
  };
  Button();
  auto* group = new TGroup(&owner_);
  Root()->Add(group);
  Button();
  group->Add(new TFixedItem(&owner_, SIZE{11, 20}));
  THostView* view = View(true);
  ASSERT_EQ(view->ViewerCount(), 4);
  EXPECT_EQ(view->Viewers(2)->Item()->Parent(), group);
  group->Add(new TFixedItem(&owner_, SIZE{12, 20}));
  group->Insert(0, new TFixedItem(&owner_, SIZE{13, 20}));
  ASSERT_EQ(view->ViewerCount(), 6);
  EXPECT_TRUE(view->UpdatePositions().Alive());
  EXPECT_EQ(Rects(view), (std::vector<std::string>{"(0,0,30,20)", "hidden", "(30,0,43,20)", "(43,0,54,20)",
                                                   "(54,0,66,20)", "(66,0,96,20)"}));
  Root()->Remove(group);
  EXPECT_EQ(view->ViewerCount(), 2) << "the group's children go with it";
  delete group;
}

TEST_F(ViewLayout, DisplayFiltersChooseWhereItemsAppear) {
  TFixedItem* menuOnly = Button();
  menuOnly->SetDisplayFilter(-1);
  TFixedItem* toolbarOnly = Button();
  toolbarOnly->SetDisplayFilter(-2);
  Button();
  THostView* toolbar = View(true);
  THostView* popup = View(false);
  EXPECT_EQ(toolbar->ViewerCount(), 2);
  EXPECT_EQ(toolbar->Viewers(0)->Item(), toolbarOnly);
  EXPECT_EQ(popup->ViewerCount(), 2);
  EXPECT_EQ(popup->Viewers(0)->Item(), menuOnly);
}

TEST_F(ViewLayout, InsertsAndRemovalsAnywhereKeepTheViewersInTheItemsOrder) {
  struct TGroup : TFixedItem {
    explicit TGroup(TComponent* owner) : TFixedItem(owner) { AddStyle(isEmbeddedGroup); }
  };
  // A toolbar with a menu-only item (no viewer here) and an embedded group of two.
  TFixedItem* first = Button();
  Button()->SetDisplayFilter(-1);
  auto* group = new TGroup(&owner_);
  Root()->Add(group);
  group->Add(new TFixedItem(&owner_));
  group->Add(new TFixedItem(&owner_));
  TFixedItem* last = Button();
  THostView* view = View(true);
  auto expectInStep = [&](const char* when) {
    std::vector<TBarCustomItem*> expected;
    for (int i = 0; i < Root()->Count(); ++i) {
      TBarCustomItem* item = Root()->ItemAt(i);
      if (item->DisplayFilter() == -1) continue;
      expected.push_back(item);
      if (item == group)
        for (int j = 0; j < group->Count(); ++j) expected.push_back(group->ItemAt(j));
    }
    std::vector<TBarCustomItem*> shown;
    for (int i = 0; i < view->ViewerCount(); ++i) shown.push_back(view->Viewers(i)->Item());
    EXPECT_EQ(shown, expected) << when;
  };
  expectInStep("made");
  const int places[] = {0, 1, 2, 3, 4, 5, 6};
  for (int place : places) {
    if (place > Root()->Count()) break;
    Root()->Insert(place, new TFixedItem(&owner_));
    expectInStep("inserted");
  }
  Root()->Insert(2, new TGroup(&owner_));
  expectInStep("a second group");
  while (Root()->Count() > 2) {
    delete Root()->ItemAt(Root()->Count() / 2);
    expectInStep("removed from the middle");
  }
  EXPECT_EQ(view->Viewers(view->ViewerCount() - 1)->Item(), Root()->ItemAt(Root()->Count() - 1));
  (void)first, (void)last;
}

TEST_F(ViewLayout, AViewOnScreenFilledItemByItemLaysOutOnceAfterwards) {
  TTestWindow frame(RECT{100, 100, 500, 400});
  Button();
  auto* host = new bar_host::TBarHostWindow(&owner_, frame.Handle(), RECT{0, 0, 380, 200}, Root(), false);
  ShowWindow(host->Handle(), SW_SHOWNOACTIVATE);
  ProcessPendingMessages();
  THostView* view = host->View();
  const int layouts = view->LayoutCount();
  for (int i = 0; i < 1000; ++i) Button();
  EXPECT_EQ(view->LayoutCount(), layouts) << "no layout while the items arrive";
  EXPECT_EQ(view->ViewerCount(), 1001);
  // The layout comes with the thread's next message.
  MSG msg;
  while (view->LayoutCount() == layouts && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  EXPECT_EQ(view->LayoutCount(), layouts + 1);
  EXPECT_TRUE(view->ValidPositions());
  for (int i = 0; i < 500; ++i) delete Root()->ItemAt(Root()->Count() - 1);
  EXPECT_EQ(view->ViewerCount(), 501);
  EXPECT_TRUE(view->ValidatePositions().Alive());
  EXPECT_EQ(view->LayoutCount(), layouts + 2) << "what needs the positions lays out at once";
  ProcessPendingMessages();
  EXPECT_EQ(view->LayoutCount(), layouts + 2) << "and the deferred layout finds nothing left to do";
}

namespace {

// A view whose layout frees another bar, as a form that rebuilds its bars when one of them resizes does.
class TFreeingView : public THostView {
  BC_CLASS(TFreeingView, THostView)
  using THostView::THostView;
  TComponent* Victim = nullptr;

 protected:
  TRaised SizeChanged(int width, int height) override {
    if (THostView::SizeChanged(width, height).Gone()) return TRaised(false);
    const TLifeWatch life = LifeWatch();
    delete Victim;
    Victim = nullptr;
    return TRaised(!life.Ended());
  }
};

}  // namespace

TEST_F(ViewLayout, ADeferredLayoutThatFreesAnotherWaitingViewIsSafe) {
  TTestWindow frame(RECT{100, 100, 500, 400});
  Button();
  auto* first = new bar_host::TBarHostWindow(&owner_, frame.Handle(), RECT{0, 0, 180, 200}, Root(), false);
  auto* freeing = new TFreeingView(&owner_, nullptr, Root(), first, false, false, false);
  bar_host::TBarHostWindow* second = nullptr;
  {
    // The freed bar comes from guarded memory: a view that is asked to lay out after it went faults.
    TGuardedAllocations guard;
    second = new bar_host::TBarHostWindow(&owner_, frame.Handle(), RECT{200, 0, 380, 200}, Root(), false);
  }
  for (HWND wnd : {first->Handle(), second->Handle()}) ShowWindow(wnd, SW_SHOWNOACTIVATE);
  ProcessPendingMessages();
  freeing->Victim = second;
  Button();
  ProcessPendingMessages();
  EXPECT_EQ(freeing->Victim, nullptr) << "the layout ran and freed the other bar";
  EXPECT_TRUE(freeing->ValidPositions());
}

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "bar_host.h"
#include "fixed_items.h"
#include "toolbars/popups/done_action.h"

using namespace toolbars;
using bar_host::TFixedItem;
using bar_host::THostView;

namespace {

class ViewSelection : public testing::Test {
 protected:
  TBarCustomItem* Add(const wchar_t* caption, TBarItemStyle style = 0, SIZE size = {60, 20}) {
    auto* item = new TFixedItem(&owner_, size, style);
    item->SetCaption(caption);
    root_->Add(item);
    return item;
  }
  THostView* View(bool isToolbar = false) {
    view_ = new THostView(&owner_, nullptr, root_, nullptr, isToolbar, false, false);
    EXPECT_TRUE(view_->UpdatePositions().Alive());
    return view_;
  }
  String SelectedCaption() const { return view_->Selected() ? view_->Selected()->Item()->Caption() : L"(none)"; }

  TComponent owner_{nullptr};
  TBarCustomItem* root_ = new TBarRootItem(&owner_);
  THostView* view_ = nullptr;
};

}  // namespace

TEST_F(ViewSelection, AcceleratorSearch) {
  struct TCase {
    std::vector<const wchar_t*> Captions;
    int Disabled;  // index of a disabled item, -1 for none
    wchar_t Key;
    bool OnlyPrimary;
    const wchar_t* Found;
    bool Only;
  };
  const TCase cases[] = {
      {{L"&File", L"&Favorites", L"Edit"}, -1, L'f', false, L"&File", false},
      {{L"Edit", L"&Go"}, -1, L'e', false, L"Edit", true},
      {{L"Edit", L"S&elect"}, -1, L'E', false, L"S&elect", true},
      {{L"Edit", L"&Go"}, -1, L'e', true, nullptr, false},
      {{L" lead", L"&Go"}, -1, L' ', false, nullptr, false},
      {{L"&Quit", L"Other"}, 0, L'q', false, L"&Quit", true},
      {{L"&Quit", L"&Quiet"}, 0, L'q', false, L"&Quiet", true},
      {{L"Save &&Exit", L"Next"}, -1, L'e', false, nullptr, false},
      {{L"\u00c4&\u00f6ffnen", L"x"}, -1, L'\u00d6', false, L"\u00c4&\u00f6ffnen", true},
  };
  for (const TCase& c : cases) {
    root_->Clear();
    for (size_t i = 0; i < c.Captions.size(); ++i) {
      TBarCustomItem* item = Add(c.Captions[i]);
      if (static_cast<int>(i) == c.Disabled) item->SetEnabled(false);
    }
    View();
    bool only = !c.Only;
    TBarItemViewer* found = view_->FindAccelerator(c.Key, c.OnlyPrimary, only);
    String label = c.Captions[0];
    label += L" / ";
    label.push_back(c.Key);
    if (!c.Found) {
      EXPECT_EQ(found, nullptr) << testing::PrintToString(label);
      continue;
    }
    ASSERT_NE(found, nullptr) << testing::PrintToString(label);
    EXPECT_EQ(found->Item()->Caption(), c.Found) << testing::PrintToString(label);
    EXPECT_EQ(only, c.Only) << testing::PrintToString(label);
  }
}

TEST_F(ViewSelection, SharedAcceleratorsTakeTurns) {
  Add(L"&File");
  Add(L"&Favorites");
  View();
  bool only = true;
  EXPECT_TRUE(view_->SetSelected(view_->FindAccelerator(L'F', false, only)).Alive());
  EXPECT_EQ(SelectedCaption(), L"&File");
  EXPECT_FALSE(only);
  EXPECT_TRUE(view_->SetSelected(view_->FindAccelerator(L'F', false, only)).Alive());
  EXPECT_EQ(SelectedCaption(), L"&Favorites");
  EXPECT_TRUE(view_->SetSelected(view_->FindAccelerator(L'F', false, only)).Alive());
  EXPECT_EQ(SelectedCaption(), L"&File");
}

TEST_F(ViewSelection, SelectableViewersAndTheFirstOne) {
  auto* separator = new TBarSeparatorItem(&owner_);
  root_->Add(separator);
  View();
  EXPECT_EQ(view_->NextSelectable(nullptr, true), nullptr) << "nothing selectable: no endless search";
  EXPECT_EQ(view_->FirstSelectable(), nullptr);
  Add(L"Skipped", isDontSelectFirst);
  Add(L"Hidden")->SetVisible(false);
  Add(L"Plain");
  Add(L"Disabled")->SetEnabled(false);
  EXPECT_TRUE(view_->UpdatePositions().Alive());
  EXPECT_EQ(view_->FirstSelectable()->Item()->Caption(), L"Plain");
  EXPECT_EQ(view_->NextSelectable(nullptr, true)->Item()->Caption(), L"Skipped");
  EXPECT_EQ(view_->NextSelectable(nullptr, false)->Item()->Caption(), L"Disabled");
  EXPECT_EQ(view_->NextSelectable(view_->Find(root_->ItemAt(4)), true)->Item()->Caption(), L"Skipped") << "wraps round";
}

TEST_F(ViewSelection, SelectionTellsTheItems) {
  TBarCustomItem* a = Add(L"A");
  TBarCustomItem* b = Add(L"B");
  std::vector<std::wstring> heard;
  auto record = [&](TBarCustomItem* sender, TBarItemViewer* viewer, bool selecting) {
    EXPECT_EQ(viewer->Item(), sender);
    heard.push_back(sender->Caption() + (selecting ? L"+" : L"-"));
  };
  a->OnSelect = TBarSelectEvent(record);
  b->OnSelect = TBarSelectEvent(record);
  View();
  EXPECT_TRUE(view_->SetSelected(view_->Find(a)).Alive());
  EXPECT_TRUE(view_->SetSelected(view_->Find(a)).Alive());
  EXPECT_TRUE(view_->SetSelected(view_->Find(b)).Alive());
  EXPECT_TRUE(view_->SetSelected(nullptr).Alive());
  EXPECT_EQ(heard, (std::vector<std::wstring>{L"A+", L"A-", L"B+", L"B-"}));
}

TEST_F(ViewSelection, KeysMoveTheSelectionAndEndTheTracking) {
  TBarCustomItem* first = Add(L"First");
  Add(L"Second");
  TBarCustomItem* third = Add(L"Third");
  third->SetHelpContext(42);
  View();
  TBarDoneActionData done;
  TBarTrackingState state;
  state.RootView = view_;
  state.DoneRecord = &done;
  struct TStep {
    WORD Key;
    TShiftState Shift;
    const wchar_t* Selected;
    bool Done;
  };
  const TStep steps[] = {
      {VK_DOWN, {}, L"First", false}, {VK_DOWN, {}, L"Second", false},
      {VK_UP, {}, L"First", false},   {VK_UP, {}, L"Third", false},
      {VK_HOME, {}, L"First", false}, {VK_END, {}, L"Third", false},
      {VK_TAB, {}, L"First", false},  {VK_TAB, {TShiftStateItem::ssShift}, L"Third", false},
      {VK_F1, {}, L"Third", true},
  };
  for (const TStep& step : steps) {
    WORD key = step.Key;
    state.Done = false;
    EXPECT_TRUE(view_->KeyDown(key, step.Shift, state).Alive());
    EXPECT_EQ(key, 0) << "handled keys are consumed: " << step.Key;
    EXPECT_EQ(SelectedCaption(), step.Selected) << step.Key;
    EXPECT_EQ(state.Done, step.Done) << step.Key;
  }
  EXPECT_EQ(done.Kind, TBarDoneActionKind::tbdaHelp);
  EXPECT_EQ(done.HelpContext, 42);

  EXPECT_TRUE(view_->SetSelected(view_->Find(first)).Alive());
  WORD enter = VK_RETURN;
  state.Done = false;
  EXPECT_TRUE(view_->KeyDown(enter, {}, state).Alive());
  EXPECT_TRUE(state.Done);
  EXPECT_EQ(done.Kind, TBarDoneActionKind::tbdaClickItem);
  EXPECT_EQ(done.ClickItem, first);
  EXPECT_EQ(done.Flag, 1u) << "a command chosen in a pop-up plays the menu sound";

  first->SetEnabled(false);
  done = TBarDoneActionData{};
  state.Done = false;
  enter = VK_RETURN;
  EXPECT_TRUE(view_->KeyDown(enter, {}, state).Alive());
  EXPECT_TRUE(state.Done) << "Enter on a disabled item only ends the tracking";
  EXPECT_EQ(done.Kind, TBarDoneActionKind::tbdaNone);

  for (WORD key : {static_cast<WORD>(VK_ESCAPE), static_cast<WORD>(VK_MENU), static_cast<WORD>(VK_F10)}) {
    state.Done = false;
    EXPECT_TRUE(view_->KeyDown(key, {}, state).Alive());
    EXPECT_TRUE(state.Done) << key;
  }
  WORD other = 'X';
  EXPECT_TRUE(view_->KeyDown(other, {}, state).Alive());
  EXPECT_EQ(other, 'X') << "other keys are left to the caller";
}

TEST_F(ViewSelection, ArrowKeysReachRowsScrolledOutOfSight) {
  // Twelve rows in 60 pixels: three columns of four rows, 80 pixels tall, that scroll.
  for (int i = 0; i < 12; ++i) Add((L"Row " + std::to_wstring(i)).c_str());
  view_ = new THostView(&owner_, nullptr, root_, nullptr, false, false, false);
  view_->SetMaxHeight(60);
  EXPECT_TRUE(view_->UpdatePositions().Alive());
  ASSERT_TRUE(view_->Viewers(2)->Clipped());
  TBarDoneActionData done;
  TBarTrackingState state{view_, false, false, &done};
  EXPECT_TRUE(view_->SetSelected(view_->Viewers(1)).Alive());
  WORD key = VK_DOWN;
  EXPECT_TRUE(view_->KeyDown(key, {}, state).Alive());
  EXPECT_EQ(SelectedCaption(), L"Row 2");
  EXPECT_TRUE(view_->Viewers(2)->Show()) << "scrolled into sight";
  EXPECT_EQ(view_->ScrollOffset(), 8);
  EXPECT_TRUE(view_->ShowUpArrow());
}

TEST_F(ViewSelection, PriorityFollowsUse) {
  Add(L"A");
  Add(L"B");
  Add(L"C");
  view_ = new THostView(&owner_, nullptr, root_, nullptr, true, false, true);
  EXPECT_TRUE(view_->UpdatePositions().Alive());
  EXPECT_EQ(view_->HighestPriorityViewer()->Item()->Caption(), L"A");
  EXPECT_TRUE(view_->GivePriority(view_->Viewers(2)).Alive());
  EXPECT_EQ(view_->HighestPriorityViewer()->Item()->Caption(), L"C");
  ASSERT_EQ(view_->PriorityCount(), 3);
  EXPECT_EQ(view_->PriorityViewer(1)->Item()->Caption(), L"A");
}

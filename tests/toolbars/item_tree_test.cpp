#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/actions.h"
#include "framework/menus.h"
#include "toolbars/items/item_action_link.h"
#include "toolbars/items/item_kinds.h"
#include "toolbars/popups/done_action.h"

using namespace toolbars;
using Action = TBarItemChangedAction;

namespace {

struct TNotice {
  TBarCustomItem* Ancestor;
  bool Relayed;
  Action Code;
  int Index;
  TBarCustomItem* Item;
  bool operator==(const TNotice&) const = default;
};

// Hears the notifications of one item and keeps them in order.
class TNoticeRecorder {
 public:
  explicit TNoticeRecorder(TBarCustomItem* item) : item_(item) {
    item->RegisterNotification(TBarItemChangedProc(this, &TNoticeRecorder::Heard));
  }
  ~TNoticeRecorder() { Stop(); }
  void Stop() {
    if (item_) item_->UnregisterNotification(TBarItemChangedProc(this, &TNoticeRecorder::Heard));
    item_ = nullptr;
  }
  void Heard(TBarCustomItem* ancestor, bool relayed, Action code, int index, TBarCustomItem* item) {
    notices.push_back({ancestor, relayed, code, index, item});
  }
  std::vector<TNotice> notices;

 private:
  TBarCustomItem* item_;
};

// An item whose children are shown in place of it.
class TGroupItem : public TBarCustomItem {
 public:
  explicit TGroupItem(TComponent* owner) : TBarCustomItem(owner) {
    SetItemStyle(static_cast<TBarItemStyle>(ItemStyle() | isEmbeddedGroup));
  }
};

class ItemTree : public testing::Test {
 protected:
  TBarCustomItem* Item(const wchar_t* caption, TBarCustomItem* parent = nullptr) {
    auto* item = new TBarCustomItem(&owner_);
    item->SetCaption(caption);
    if (parent) parent->Add(item);
    return item;
  }
  std::vector<String> Captions(TBarCustomItem* parent) {
    std::vector<String> captions;
    for (int i = 0; i < parent->Count(); ++i) captions.push_back(parent->ItemAt(i)->Caption());
    return captions;
  }
  TComponent owner_{nullptr};
};

}  // namespace

TEST_F(ItemTree, InsertDeleteAndMoveNotifyInOrder) {
  TBarCustomItem* root = Item(L"root");
  TNoticeRecorder recorder(root);
  TBarCustomItem* a = Item(L"A");
  TBarCustomItem* b = Item(L"B");
  root->Add(a);
  root->Insert(0, b);
  root->Move(0, 2);
  root->Delete(0);
  const std::vector<TNotice> expected{{root, false, Action::tbicSubitemsBeginUpdate, 0, nullptr},
                                      {root, false, Action::tbicInserted, 0, a},
                                      {root, false, Action::tbicSubitemsEndUpdate, 0, nullptr},
                                      {root, false, Action::tbicSubitemsBeginUpdate, 0, nullptr},
                                      {root, false, Action::tbicInserted, 0, b},
                                      {root, false, Action::tbicSubitemsEndUpdate, 0, nullptr},
                                      // Move brackets its delete and insert in one batch of its own.
                                      {root, false, Action::tbicSubitemsBeginUpdate, 0, nullptr},
                                      {root, false, Action::tbicDeleting, 0, b},
                                      {root, false, Action::tbicSubitemsBeginUpdate, 0, nullptr},
                                      {root, false, Action::tbicInserted, 1, b},
                                      {root, false, Action::tbicSubitemsEndUpdate, 0, nullptr},
                                      {root, false, Action::tbicSubitemsEndUpdate, 0, nullptr},
                                      {root, false, Action::tbicDeleting, 0, a}};
  EXPECT_EQ(recorder.notices, expected);
  EXPECT_EQ(a->Parent(), nullptr) << "a deleted child is not freed";
  delete a;
}

TEST_F(ItemTree, OutOfRangeIndexesDoNothing) {
  TBarCustomItem* root = Item(L"root");
  Item(L"A", root);
  Item(L"B", root);
  TNoticeRecorder recorder(root);
  TBarCustomItem* loose = Item(L"loose");
  for (int index : {-1, 3, 100}) root->Insert(index, loose);
  for (int index : {-1, 2, 100}) root->Delete(index);
  root->Move(7, 0);
  root->Move(1, 1);
  EXPECT_TRUE(recorder.notices.empty());
  EXPECT_EQ(loose->Parent(), nullptr);
  EXPECT_EQ(root->ItemAt(-1), nullptr);
  EXPECT_EQ(root->ItemAt(2), nullptr);
  EXPECT_EQ(root->IndexOf(loose), -1);
}

TEST_F(ItemTree, InsertingTwiceRaisesEvenIntoTheSameParent) {
  TBarCustomItem* root = Item(L"root");
  TBarCustomItem* other = Item(L"other");
  TBarCustomItem* child = Item(L"child", root);
  for (TBarCustomItem* target : {root, other}) {
    try {
      target->Add(child);
      FAIL() << "no error";
    } catch (const EBarItemError& e) {
      EXPECT_EQ(e.Message(), L"Toolbar item already inserted");
    }
  }
  EXPECT_EQ(root->Count(), 1);
  EXPECT_EQ(other->Count(), 0);
}

TEST_F(ItemTree, MoveLandsWhereTheIndexSays) {
  struct TCase {
    int From, To;
    std::vector<String> Expected;
  };
  const TCase cases[] = {{2, 5, {L"0", L"1", L"3", L"4", L"2", L"5"}},
                         {5, 2, {L"0", L"1", L"5", L"2", L"3", L"4"}},
                         {0, 6, {L"1", L"2", L"3", L"4", L"5", L"0"}},
                         {3, -4, {L"3", L"0", L"1", L"2", L"4", L"5"}},
                         {1, 9, {L"0", L"2", L"3", L"4", L"5", L"1"}}};
  for (const TCase& c : cases) {
    TBarCustomItem* root = Item(L"root");
    for (const wchar_t* caption : {L"0", L"1", L"2", L"3", L"4", L"5"}) Item(caption, root);
    root->Move(c.From, c.To);
    EXPECT_EQ(Captions(root), c.Expected) << c.From << " -> " << c.To;
  }
}

TEST_F(ItemTree, ClearFreesTheChildrenAndDestructionLeavesTheParent) {
  TBarCustomItem* root = Item(L"root");
  TBarCustomItem* a = Item(L"A", root);
  Item(L"B", a);
  Item(L"C", root);
  TNoticeRecorder recorder(root);
  delete a;
  ASSERT_EQ(recorder.notices.size(), 1u);
  EXPECT_EQ(recorder.notices[0].Code, Action::tbicDeleting);
  EXPECT_EQ(Captions(root), std::vector<String>{L"C"});
  const int before = owner_.ComponentCount();
  root->Clear();
  EXPECT_EQ(root->Count(), 0);
  EXPECT_EQ(owner_.ComponentCount(), before - 1) << "Clear frees";
}

TEST_F(ItemTree, ChangesReachTheParentsListeners) {
  TBarCustomItem* root = Item(L"root");
  TBarCustomItem* a = Item(L"A", root);
  TNoticeRecorder recorder(root);
  struct TCase {
    void (*Change)(TBarCustomItem*);
    Action Expected;
  };
  const TCase cases[] = {
      {[](TBarCustomItem* i) { i->SetCaption(L"New"); }, Action::tbicInvalidateAndResize},
      {[](TBarCustomItem* i) { i->SetChecked(true); }, Action::tbicInvalidate},
      {[](TBarCustomItem* i) { i->SetEnabled(false); }, Action::tbicInvalidate},
      {[](TBarCustomItem* i) { i->SetVisible(false); }, Action::tbicInvalidateAndResize},
      {[](TBarCustomItem* i) { i->SetImageIndex(3); }, Action::tbicInvalidateAndResize},
      {[](TBarCustomItem* i) { i->SetImageIndex(4); }, Action::tbicInvalidate},
      {[](TBarCustomItem* i) { i->SetDisplayMode(TBarItemDisplayMode::nbdmTextOnly); },
       Action::tbicInvalidateAndResize},
      {[](TBarCustomItem* i) {
         i->SetQuietCaption(true);
         i->SetCaption(L"Quiet");
       },
       Action::tbicInvalidate},
      {[](TBarCustomItem* i) { i->SetName(L"Renamed"); }, Action::tbicNameChanged},
  };
  for (const TCase& c : cases) {
    recorder.notices.clear();
    c.Change(a);
    ASSERT_EQ(recorder.notices.size(), 1u) << static_cast<int>(c.Expected);
    EXPECT_EQ(recorder.notices[0], (TNotice{root, false, c.Expected, 0, a}));
  }
  recorder.notices.clear();
  a->SetCaption(L"Quiet");
  a->SetVisible(false);
  EXPECT_TRUE(recorder.notices.empty()) << "unchanged values notify nothing";
}

TEST_F(ItemTree, AProcThatUnregistersItselfMakesNoOtherMissTheNotice) {
  TBarCustomItem* root = Item(L"root");
  struct TSelfRemover {
    TBarCustomItem* Item;
    int Heard = 0;
    void Heard1(TBarCustomItem*, bool, Action, int, TBarCustomItem*) {
      ++Heard;
      Item->UnregisterNotification(TBarItemChangedProc(this, &TSelfRemover::Heard1));
    }
  } remover{root};
  root->RegisterNotification(TBarItemChangedProc(&remover, &TSelfRemover::Heard1));
  TNoticeRecorder after(root);
  root->NotifyBeginUpdate();
  root->NotifyEndUpdate();
  EXPECT_EQ(remover.Heard, 1);
  EXPECT_EQ(after.notices.size(), 2u);
  // Registered twice, the procedure stays until unregistered twice.
  TNoticeRecorder twice(root);
  root->RegisterNotification(TBarItemChangedProc(&twice, &TNoticeRecorder::Heard));
  root->UnregisterNotification(TBarItemChangedProc(&twice, &TNoticeRecorder::Heard));
  root->NotifyBeginUpdate();
  EXPECT_EQ(twice.notices.size(), 1u) << "one record, heard once";
}

TEST_F(ItemTree, EmbeddedGroupsRelayToTheirParent) {
  TBarCustomItem* root = Item(L"root");
  auto* group = new TGroupItem(&owner_);
  root->Add(group);
  TBarCustomItem* source = Item(L"source");
  auto* linkedGroup = new TGroupItem(&owner_);
  root->Add(linkedGroup);
  linkedGroup->SetLinkSubitems(source);
  TNoticeRecorder recorder(root);
  TBarCustomItem* inGroup = Item(L"in group", group);
  TBarCustomItem* inSource = Item(L"in source", source);
  ASSERT_EQ(recorder.notices.size(), 6u);
  EXPECT_EQ(recorder.notices[1], (TNotice{group, true, Action::tbicInserted, 0, inGroup}));
  EXPECT_EQ(recorder.notices[4], (TNotice{linkedGroup, true, Action::tbicInserted, 0, inSource}));
  EXPECT_EQ(linkedGroup->GetLinkedItem(), source);
  EXPECT_EQ(source->LinkParentCount(), 1);
  linkedGroup->SetLinkSubitems(linkedGroup);
  EXPECT_EQ(linkedGroup->LinkSubitems(), nullptr) << "a link to itself is stored as none";
  EXPECT_EQ(source->LinkParentCount(), 0);
}

TEST_F(ItemTree, RadioGroupsUncheckTheirSiblings) {
  TBarCustomItem* root = Item(L"root");
  std::vector<TBarCustomItem*> group;
  for (int i = 0; i < 3; ++i) {
    group.push_back(Item(L"radio", root));
    group.back()->SetGroupIndex(1);
  }
  TBarCustomItem* other = Item(L"other", root);
  other->SetGroupIndex(2);
  other->SetChecked(true);
  group[0]->SetChecked(true);
  group[2]->SetChecked(true);
  EXPECT_FALSE(group[0]->Checked());
  EXPECT_FALSE(group[1]->Checked());
  EXPECT_TRUE(group[2]->Checked());
  EXPECT_TRUE(other->Checked()) << "another group is left alone";
  group[2]->SetChecked(false);
  for (TBarCustomItem* item : group) EXPECT_FALSE(item->Checked()) << "unchecking re-checks nothing";
  // Joining a group while checked unchecks the members.
  group[1]->SetChecked(true);
  other->SetGroupIndex(1);
  EXPECT_FALSE(group[1]->Checked());
  EXPECT_TRUE(other->Checked());
}

TEST_F(ItemTree, EffectiveOptionsInheritAndNormalise) {
  TBarCustomItem* root = Item(L"root");
  TBarCustomItem* child = Item(L"child", root);
  TBarCustomItem* grandchild = Item(L"grandchild", child);
  child->SetOptions({TBarItemOption::tboToolbarSize});
  EXPECT_TRUE(child->Options() == TBarItemOptions{}) << "tool-bar size needs tool-bar style";
  TNoticeRecorder recorder(root);
  root->SetOptions({TBarItemOption::tboDefault, TBarItemOption::tboShowHint, TBarItemOption::tboNoRotation});
  EXPECT_TRUE(child->EffectiveOptions() ==
              (TBarItemOptions{TBarItemOption::tboShowHint, TBarItemOption::tboNoRotation}))
      << "the default option is never inherited";
  EXPECT_TRUE(grandchild->EffectiveOptions() == child->EffectiveOptions());
  ASSERT_EQ(recorder.notices.size(), 1u);
  EXPECT_EQ(recorder.notices[0], (TNotice{root, false, Action::tbicInvalidateAndResize, 0, child}));
  child->SetMaskOptions({TBarItemOption::tboNoRotation});
  EXPECT_TRUE(grandchild->EffectiveOptions() == TBarItemOptions{TBarItemOption::tboShowHint});
  recorder.notices.clear();
  root->SetOptions({TBarItemOption::tboShowHint, TBarItemOption::tboLongHintInMenuOnly});
  EXPECT_TRUE(recorder.notices.empty()) << "hint options change no layout";
  grandchild->SetInheritOptions(false);
  EXPECT_TRUE(grandchild->EffectiveOptions() == TBarItemOptions{});
  TBarCustomItem* late = Item(L"late");
  root->Add(late);
  EXPECT_TRUE(late->EffectiveOptions().Contains(TBarItemOption::tboLongHintInMenuOnly));
}

TEST_F(ItemTree, ShortCutTextComesFromTheCaptionFirst) {
  TBarCustomItem* item = Item(L"Open\tCtrl+O");
  item->SetShortCut(TextToShortCut(L"Ctrl+P"));
  EXPECT_EQ(item->GetShortCutText(), L"Ctrl+O");
  item->SetCaption(L"Print");
  EXPECT_EQ(item->GetShortCutText(), ShortCutToText(TextToShortCut(L"Ctrl+P")));
  item->SetShortCut(0);
  EXPECT_EQ(item->GetShortCutText(), L"");
}

TEST_F(ItemTree, AutomaticAcceleratorTakesTheFirstFreeLetter) {
  AutoAccelerators = true;
  struct TCase {
    std::vector<const wchar_t*> Siblings;
    const wchar_t* Caption;
    const wchar_t* Expected;
  };
  // O and p are taken, so "Open Page" gets its mark on the first free letter, the e.
  const TCase cases[] = {{{L"&Open", L"&print"}, L"Open Page", L"Op&en Page"},
                         {{}, L"Open Page", L"&Open Page"},
                         {{L"&a", L"&b"}, L"Has &mark", L"Has &mark"},
                         {{L"&x", L"&y"}, L"xy", L"xy"},
                         {{L"&1"}, L"12 Go", L"12 &Go"}};
  for (const TCase& c : cases) {
    TBarCustomItem* root = Item(L"root");
    for (const wchar_t* sibling : c.Siblings) Item(sibling, root);
    EXPECT_EQ(AddAutoAccelerator(c.Caption, root), c.Expected);
  }
  AutoAccelerators = false;
  EXPECT_EQ(AddAutoAccelerator(L"Open", Item(L"root")), L"Open");
}

namespace {

struct TClickLog {
  int Clicks = 0;
  int Executes = 0;
  void ItemClick(TObject*) { ++Clicks; }
  void ActionExecute(TObject*) { ++Executes; }
};

}  // namespace

TEST_F(ItemTree, ActionLinksFollowTheActionWhileTheItemShowsItsValues) {
  AutoAccelerators = true;
  TBarCustomItem* root = Item(L"root");
  Item(L"&Open", root);
  TBarCustomItem* item = Item(L"", root);
  auto* action = new TAction(&owner_);
  action->SetCaption(L"Open Page");
  action->SetHint(L"Opens|Opens a page");
  action->SetEnabled(false);
  item->SetAction(action);
  EXPECT_EQ(item->Caption(), L"O&pen Page") << "an action's caption gets an automatic accelerator";
  EXPECT_FALSE(item->Enabled());
  EXPECT_EQ(item->Hint(), L"Opens|Opens a page");
  action->SetEnabled(true);
  action->SetCaption(L"Close");
  EXPECT_TRUE(item->Enabled());
  EXPECT_EQ(item->Caption(), L"&Close");
  // A caption of the item's own is no longer linked (and so is stored with the form), until the action
  // announces a change and the item takes all its values again.
  item->SetCaption(L"Mine");
  EXPECT_FALSE(item->ActionLink()->IsCaptionLinked());
  EXPECT_TRUE(item->ActionLink()->IsHintLinked());
  EXPECT_FALSE(item->ActionLink()->IsGroupIndexLinked());
  action->SetCaption(L"Other");
  EXPECT_EQ(item->Caption(), L"O&ther");
  // Announced again and again, the caption keeps its accelerator: the item does not compete with itself.
  action->SetHint(L"Again");
  action->SetHint(L"And again");
  EXPECT_EQ(item->Caption(), L"O&ther");
  // Tagged items are never updated from their action.
  action->SetOnUpdate(TNotifyEvent([action](TObject*) { action->SetEnabled(false); }));
  item->SetTag(kNoActionUpdateTag);
  EXPECT_TRUE(item->InitiateAction().Alive());
  EXPECT_TRUE(item->Enabled());
  item->SetTag(0);
  EXPECT_TRUE(item->InitiateAction().Alive());
  EXPECT_FALSE(item->Enabled());
  delete action;
  EXPECT_EQ(item->Action(), nullptr) << "a freed action lets go of the item";
  AutoAccelerators = false;
}

TEST_F(ItemTree, ClickTogglesAndRunsTheRightHandler) {
  TClickLog log;
  TBarCustomItem* item = Item(L"item");
  auto* action = new TAction(&owner_);
  action->SetOnExecute(TNotifyEvent(&log, &TClickLog::ActionExecute));
  item->SetAction(action);
  EXPECT_TRUE(item->OnClick == action->OnExecute()) << "OnClick came from the action";
  EXPECT_TRUE(item->Click().Alive());
  EXPECT_EQ(log.Executes, 1);
  // AutoCheck on the item but not on the action: the item toggles and the action still runs.
  item->SetAutoCheck(true);
  EXPECT_TRUE(item->Click().Alive());
  EXPECT_TRUE(item->Checked());
  EXPECT_EQ(log.Executes, 2);
  // An OnClick of its own runs instead of the action.
  item->OnClick = TNotifyEvent(&log, &TClickLog::ItemClick);
  EXPECT_TRUE(item->Click().Alive());
  EXPECT_EQ(log.Clicks, 1);
  EXPECT_EQ(log.Executes, 2);
  item->SetEnabled(false);
  EXPECT_TRUE(item->Click().Alive());
  EXPECT_EQ(log.Clicks, 1) << "a disabled item does nothing";
}

TEST_F(ItemTree, AnItemCannotGoIntoItselfOrBelowItself) {
  TBarCustomItem* root = Item(L"root");
  TBarCustomItem* child = Item(L"child", root);
  TBarCustomItem* grandchild = Item(L"grandchild", child);
  root->Remove(child);
  for (TBarCustomItem* target : {child, grandchild}) {
    try {
      target->Add(child);
      FAIL() << "no error";
    } catch (const EBarItemError& e) {
      EXPECT_EQ(e.Message(), L"A toolbar item cannot be inserted into itself or one of its own subitems");
    }
  }
  EXPECT_EQ(child->Parent(), nullptr);
  EXPECT_EQ(child->Count(), 1);
  EXPECT_EQ(grandchild->Count(), 0);
  root->Add(child);
  EXPECT_EQ(child->Parent(), root);
}

// A million items, each freed on its own: the heap checks make that minutes long, so the test runs at scale,
// without them.
using ItemTreeAtScale = ItemTree;

TEST_F(ItemTreeAtScale, AMillionLevelsDeepThroughThePublicOperations) {
  constexpr int kDepth = 1'000'000;
  const TShortCut ctrlQ = TextToShortCut(L"Ctrl+Q");
  auto* root = new TBarCustomItem(nullptr);
  TBarCustomItem* first = nullptr;
  TBarCustomItem* deepest = root;
  for (int i = 0; i < kDepth; ++i) {
    auto* item = new TBarCustomItem(nullptr);
    deepest->Add(item);
    deepest = item;
    if (!first) first = item;
  }
  deepest->SetShortCut(ctrlQ);
  TBarCustomItem* topmost = nullptr;
  EXPECT_EQ(root->FindItemWithShortCut(ctrlQ, topmost), deepest);
  EXPECT_EQ(topmost, first);
  // Options reach every level below.
  root->SetOptions({TBarItemOption::tboToolbarStyle});
  EXPECT_TRUE(deepest->EffectiveOptions().Contains(TBarItemOption::tboToolbarStyle));
  // The top cannot go under the bottom.
  root->Remove(first);
  EXPECT_THROW(deepest->Add(first), EBarItemError);
  root->Add(first);
  EXPECT_EQ(deepest->Count(), 0);
  delete root;
}

TEST_F(ItemTree, ShortCutSearchStopsStartingOverWhenMenusKeepMovingTheItem) {
  TBarCustomItem* root = Item(L"root");
  TBarCustomItem* a = Item(L"a", root);
  TBarCustomItem* b = Item(L"b", root);
  const TShortCut ctrlM = TextToShortCut(L"Ctrl+M");
  Item(L"moving", a)->SetShortCut(ctrlM);
  int builds = 0;
  // Each menu, when it pops up, hands the entry to the other one: it is never where the search looks.
  auto handOver = [&](TBarCustomItem* from, TBarCustomItem* to) {
    ++builds;
    from->Clear();
    Item(L"moving", to)->SetShortCut(ctrlM);
  };
  a->OnPopup = TBarPopupEvent([&](TBarCustomItem*, bool) { handOver(a, b); });
  b->OnPopup = TBarPopupEvent([&](TBarCustomItem*, bool) { handOver(b, a); });
  BYTE state[256];
  GetKeyboardState(state);
  BYTE pressed[256];
  memcpy(pressed, state, sizeof pressed);
  pressed[VK_CONTROL] = 0x80;
  SetKeyboardState(pressed);
  TMessage key{WM_KEYDOWN, 'M', 0, 0};
  const bool ran = root->IsShortCut(key);
  SetKeyboardState(state);
  EXPECT_FALSE(ran);
  EXPECT_GT(builds, 1);
  EXPECT_LT(builds, 100);
  a->OnPopup = nullptr;
  b->OnPopup = nullptr;
}

TEST_F(ItemTree, ShortCutSearchBuildsMenusOnDemand) {
  TBarCustomItem* root = Item(L"root");
  TBarCustomItem* file = Item(L"&File", root);
  TBarCustomItem* recent = Item(L"&Recent", file);
  TClickLog log;
  const TShortCut ctrlR = TextToShortCut(L"Ctrl+R");
  // What the menu shows before it is built: a stale entry that cannot run.
  TBarCustomItem* stale = Item(L"Reopen", recent);
  stale->SetShortCut(ctrlR);
  stale->SetEnabled(false);
  int builds = 0;
  // The submenu is built afresh whenever it pops up, as the browser builds its favourites.
  recent->OnPopup = TBarPopupEvent([&](TBarCustomItem* sender, bool) {
    ++builds;
    sender->Clear();
    TBarCustomItem* reopen = Item(L"Reopen", sender);
    reopen->SetShortCut(ctrlR);
    reopen->OnClick = TNotifyEvent(&log, &TClickLog::ItemClick);
  });
  TBarCustomItem* topmost = nullptr;
  EXPECT_EQ(root->FindItemWithShortCut(ctrlR, topmost), stale);
  EXPECT_EQ(topmost, file);
  // The key is read with the keyboard's modifier state: Ctrl is held for the search.
  BYTE state[256];
  GetKeyboardState(state);
  BYTE pressed[256];
  memcpy(pressed, state, sizeof pressed);
  pressed[VK_CONTROL] = 0x80;
  SetKeyboardState(pressed);
  TMessage key{WM_KEYDOWN, 'R', 0, 0};
  const bool ran = root->IsShortCut(key);
  TMessage unknown{WM_KEYDOWN, 'K', 0, 0};
  const bool ranUnknown = root->IsShortCut(unknown);
  SetKeyboardState(state);
  EXPECT_TRUE(ran) << "the item the pop-up built runs, not the stale one";
  EXPECT_FALSE(ranUnknown);
  EXPECT_EQ(builds, 1);
  EXPECT_EQ(log.Clicks, 1);
  recent->ItemAt(0)->SetEnabled(false);
  recent->OnPopup = nullptr;
  SetKeyboardState(pressed);
  const bool ranDisabled = root->IsShortCut(key);
  SetKeyboardState(state);
  EXPECT_FALSE(ranDisabled) << "a disabled item runs nothing";
  EXPECT_EQ(log.Clicks, 1);
}

TEST_F(ItemTree, ShortCutSearchGivesUpOnEndlessLinks) {
  TBarCustomItem* a = Item(L"a");
  TBarCustomItem* b = Item(L"b");
  Item(L"child", a)->SetShortCut(1);
  a->SetLinkSubitems(b);
  b->SetLinkSubitems(a);
  TBarCustomItem* topmost = nullptr;
  EXPECT_EQ(a->FindItemWithShortCut(1, topmost), nullptr);
}

TEST_F(ItemTree, APendingClickOfAFreedItemNeverRuns) {
  TClickLog log;
  TBarCustomItem* item = Item(L"item");
  item->OnClick = TNotifyEvent(&log, &TClickLog::ItemClick);
  TBarCustomItem* keepAlive = Item(L"keeps the click window");
  TBarDoneActionData done;
  done.Kind = TBarDoneActionKind::tbdaClickItem;
  done.ClickItem = item;
  done.ClickItemLife = item->LifeWatch();
  DoneAction(done);
  EXPECT_EQ(log.Clicks, 0) << "the click waits for the message loop";
  delete item;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_EQ(log.Clicks, 0);
  (void)keepAlive;
}

TEST_F(ItemTree, SeparatorAndControlItemStyles) {
  auto* separator = new TBarSeparatorItem(&owner_);
  EXPECT_TRUE(separator->HasStyle(isSeparator | isClicksTransparent));
  EXPECT_FALSE(separator->HasStyle(isSelectable | isRedrawOnSelChange | isRedrawOnHotChange));
  auto* control = new TBarControlItem(&owner_);
  EXPECT_TRUE(control->HasStyle(isClicksTransparent));
  EXPECT_FALSE(control->HasStyle(isSelectable));
}

#include "toolbars/popups/item_drag.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "toolbars/popups/popup_window_base.h"
#include "toolbars/views/item_viewer.h"
#include "tracked_menu.h"

using namespace toolbars;
using bar_host::TFixedItem;
using tracked_menu::EntryCentre;
using tracked_menu::kEntrySize;
using tracked_menu::MovePointer;
using tracked_menu::SendButton;
using tracked_menu::TrackedRoot;
using tracked_menu::WhenInLoop;

namespace {

// What the application's callback answers, and what it was asked.
struct TCallbackScript {
  bool Answer = true;
  TBarCustomItem* NewItem = nullptr;
  int Calls = 0;
  HWND Window = nullptr;
  TBarCustomItem* Dragged = nullptr;
  TBarCustomItem* Target = nullptr;
  int Index = -2;
  bool Copy = false;
};
TCallbackScript script;

bool ScriptedCallback(HWND menuWindow, TBarCustomItem* dragged, TBarCustomItem*& newItem, TBarCustomItem*& target,
                      int& index, bool copy) {
  ++script.Calls;
  script.Window = menuWindow;
  script.Dragged = dragged;
  script.Target = target;
  script.Index = index;
  script.Copy = copy;
  newItem = script.NewItem;
  return script.Answer;
}

struct TNotificationCounter {
  void Notify(TBarCustomItem*, bool, TBarItemChangedAction, int, TBarCustomItem*) { ++Count; }
  int Count = 0;
};

std::wstring Captions(const TBarCustomItem* parent) {
  std::wstring text;
  for (int i = 0; i < parent->Count(); ++i) text += (i ? L"," : L"") + parent->ItemAt(i)->Caption();
  return text;
}

class ItemDrag : public tracked_menu::TrackedMenu {
 protected:
  void SetUp() override {
    TrackedMenu::SetUp();
    script = TCallbackScript{};
    MoveCallback = &ScriptedCallback;
  }
  void TearDown() override {
    MoveCallback = nullptr;
    DragSource = 0;
    TrackedMenu::TearDown();
  }
  // A draggable entry whose DragLink is the address of a slot that holds it, as the application links them.
  TFixedItem* AddDraggable(TBarCustomItem* parent, const wchar_t* caption, TBarItemStyle style = 0) {
    TFixedItem* item = AddEntry(parent, caption, style);
    slots_.push_back(item);
    item->SetDraggable(true);
    item->SetDragLink(reinterpret_cast<uintptr_t>(&slots_.back()));
    return item;
  }
  TFixedItem* AddPlaceholder(TBarCustomItem* parent) {
    TFixedItem* item = AddEntry(parent, EmptyCaption.c_str());
    item->SetImageIndex(EmptyImageIndex);
    return item;
  }

  std::deque<TBarCustomItem*> slots_;
};

}  // namespace

TEST_F(ItemDrag, SquaredDistanceAndInsideTest) {
  struct TDistance {
    int X1, Y1, X2, Y2, Expected;
  };
  for (const TDistance& c :
       {TDistance{0, 0, 11, 0, 121}, TDistance{3, 4, 0, 0, 25}, TDistance{-2, -3, 1, 1, 25}, TDistance{5, 5, 5, 5, 0}})
    EXPECT_EQ(SquaredDistance(c.X1, c.Y1, c.X2, c.Y2), c.Expected);

  TFixedItem* folder = AddDraggable(root_, L"Folder", isSubmenu);
  TFixedItem* inner = AddDraggable(folder, L"Inner", isSubmenu);
  TFixedItem* deepest = AddEntry(inner, L"Deepest");
  TFixedItem* other = AddDraggable(root_, L"Other");
  TFixedItem* twin = AddEntry(root_, L"Twin");
  twin->SetDragLink(folder->DragLink());
  EXPECT_FALSE(DropTargetInsideItem(nullptr, folder));
  EXPECT_TRUE(DropTargetInsideItem(folder, folder));
  EXPECT_TRUE(DropTargetInsideItem(folder, deepest));
  EXPECT_TRUE(DropTargetInsideItem(folder, twin)) << "the same entry shown twice";
  EXPECT_FALSE(DropTargetInsideItem(folder, other));
  EXPECT_FALSE(DropTargetInsideItem(folder, root_));
  EXPECT_FALSE(DropTargetInsideItem(inner, folder));
}

TEST_F(ItemDrag, MovesAndCopiesWithTheApplicationsConsent) {
  // The menu: A, B, C, Folder (holding only the placeholder), Other (X, Y and a fixed tail entry).
  struct TCase {
    const wchar_t* Name;
    const wchar_t* Dragged;
    const wchar_t* Target;  // "root", "Folder" or "Other"
    int Index;
    bool Copy;
    bool Answer;
    bool WithCallback;
    bool WithNewItem;
    bool Result;
    const wchar_t* Root;
    const wchar_t* Folder;
    const wchar_t* Other;
  };
  const TCase cases[] = {
      {L"own place", L"A", L"root", 0, false, true, true, false, false, L"A,B,C,Folder,Other", L"[Empty]", L"X,Y,Tail"},
      {L"just after itself", L"A", L"root", 1, false, true, true, false, false, L"A,B,C,Folder,Other", L"[Empty]",
       L"X,Y,Tail"},
      {L"down the menu", L"A", L"root", 3, false, true, true, false, true, L"B,C,A,Folder,Other", L"[Empty]",
       L"X,Y,Tail"},
      {L"up the menu", L"C", L"root", 0, false, true, true, false, true, L"C,A,B,Folder,Other", L"[Empty]",
       L"X,Y,Tail"},
      {L"into the empty folder", L"A", L"Folder", 1, false, true, true, false, true, L"B,C,Folder,Other", L"A",
       L"X,Y,Tail"},
      {L"before the placeholder", L"B", L"Folder", 0, false, true, true, false, true, L"A,C,Folder,Other", L"B",
       L"X,Y,Tail"},
      {L"into a menu with a tail", L"A", L"Other", 1, false, true, true, false, true, L"B,C,Folder,Other", L"[Empty]",
       L"X,A,Y"},
      {L"a copy past the end", L"A", L"Other", 5, true, true, true, true, true, L"A,B,C,Folder,Other", L"[Empty]",
       L"X,Y,Copy"},
      {L"a copy at the front", L"B", L"root", 0, true, true, true, true, true, L"Copy,A,B,C,Folder,Other", L"[Empty]",
       L"X,Y,Tail"},
      {L"a copy without a new item", L"A", L"Other", 0, true, true, true, false, true, L"A,B,C,Folder,Other",
       L"[Empty]", L"X,Y,Tail"},
      {L"refused", L"A", L"Other", 0, false, false, true, false, true, L"A,B,C,Folder,Other", L"[Empty]", L"X,Y,Tail"},
      {L"no callback", L"A", L"Other", 0, false, true, false, false, true, L"A,B,C,Folder,Other", L"[Empty]",
       L"X,Y,Tail"},
      {L"into itself", L"Folder", L"Folder", 0, false, true, true, false, false, L"A,B,C,Folder,Other", L"[Empty]",
       L"X,Y,Tail"},
      {L"no position", L"A", L"root", -1, false, true, true, false, false, L"A,B,C,Folder,Other", L"[Empty]",
       L"X,Y,Tail"},
  };
  for (const TCase& c : cases) {
    TBarRootItem root(nullptr);
    std::map<std::wstring, TBarCustomItem*> named{{L"root", &root}};
    for (const wchar_t* caption : {L"A", L"B", L"C"}) named[caption] = AddDraggable(&root, caption);
    named[L"Folder"] = AddDraggable(&root, L"Folder", isSubmenu);
    AddPlaceholder(named[L"Folder"]);
    named[L"Other"] = AddDraggable(&root, L"Other", isSubmenu);
    AddDraggable(named[L"Other"], L"X");
    AddDraggable(named[L"Other"], L"Y");
    AddEntry(named[L"Other"], L"Tail")->SetTailItem(true);
    TFixedItem* copy = new TFixedItem(&owner_, kEntrySize);
    copy->SetCaption(L"Copy");
    script = TCallbackScript{};
    script.Answer = c.Answer;
    script.NewItem = c.WithNewItem ? copy : nullptr;
    MoveCallback = c.WithCallback ? &ScriptedCallback : nullptr;
    TNotificationCounter counter;
    const TBarItemChangedProc proc(&counter, &TNotificationCounter::Notify);
    root.RegisterNotification(proc);
    int index = c.Index;
    const bool result = MoveItemByDrag(frame_->Handle(), named[c.Target], named[c.Dragged], c.Copy, index);
    root.UnregisterNotification(proc);
    const int notifications = counter.Count;
    EXPECT_EQ(result, c.Result) << testing::PrintToString(std::wstring(c.Name));
    EXPECT_EQ(Captions(&root), c.Root) << testing::PrintToString(std::wstring(c.Name));
    EXPECT_EQ(Captions(named[L"Folder"]), c.Folder) << testing::PrintToString(std::wstring(c.Name));
    EXPECT_EQ(Captions(named[L"Other"]), c.Other) << testing::PrintToString(std::wstring(c.Name));
    if (!c.Result || Captions(&root) == L"A,B,C,Folder,Other") {
      EXPECT_EQ(notifications, 0) << c.Name;
    }
    if (c.WithCallback && c.Index >= 0 && std::wstring(c.Name) != L"into itself") {
      EXPECT_EQ(script.Calls, 1) << testing::PrintToString(std::wstring(c.Name));
      EXPECT_EQ(script.Copy, c.Copy);
      EXPECT_EQ(script.Window, frame_->Handle());
    }
    if (c.Index < 0) {
      EXPECT_EQ(script.Calls, 0);
    }
    while (root.Count() > 0) root.Delete(root.Count() - 1);
  }
}

TEST_F(ItemDrag, DropMarksShowWhereTheEntryWouldLand) {
  TFixedItem* a = AddDraggable(root_, L"A");
  TFixedItem* b = AddDraggable(root_, L"B");
  TFixedItem* c = AddDraggable(root_, L"C");
  TFixedItem* d = AddDraggable(root_, L"D");
  TFixedItem* fixed = AddEntry(root_, L"Fixed");
  std::unique_ptr<TBarPopupWindowBase> window(
      root_->CreatePopup(nullptr, nullptr, false, false, false, MenuOrigin(), TBarPopupAlignment::tbpaLeft));
  TBarView* view = window->View();
  DragSource = a->DragLink();
  auto marks = [&] {
    std::wstring text;
    for (int i = 0; i < view->ViewerCount(); ++i) text += std::to_wstring(view->Viewers(i)->DropMark()) + L" ";
    return text;
  };
  const int lower = kEntrySize.cy - 3;
  const int upper = 3;
  struct TCase {
    TBarCustomItem* Over;
    int Y;
    const wchar_t* Marks;
    int Index;
  };
  const TCase cases[] = {
      {c, lower, L"0 0 -1 1 0 ", 3}, {c, upper, L"0 -1 1 0 0 ", 2},
      {d, lower, L"0 0 0 -1 1 ", 4},  // the entry after it is marked too, draggable or not
      {b, upper, L"0 0 0 0 0 ", -1},  // next to the dragged entry
      {a, lower, L"0 0 0 0 0 ", -1},  // the dragged entry itself
  };
  for (const TCase& k : cases) {
    UpdateDropMarks(view->Find(k.Over), 10, k.Y);
    EXPECT_EQ(marks(), k.Marks) << k.Over->Caption() << " " << k.Y;
    EXPECT_EQ(DropInsertIndex(view), k.Index);
  }
  UpdateDropMarks(view->Find(c), 10, lower);
  UpdateDropMarks(view->Find(fixed), 10, upper);
  EXPECT_EQ(marks(), L"0 0 -1 1 0 ") << "an entry that cannot be dragged changes nothing";
  // Two entries of the same application entry: no mark between them.
  d->SetDragLink(a->DragLink());
  UpdateDropMarks(view->Find(c), 10, lower);
  EXPECT_EQ(marks(), L"0 0 0 0 0 ");
  DragSource = 0;
}

TEST_F(ItemDrag, ADraggedEntryMovesInTheOpenMenuWhichStaysOpen) {
  AddEntry(root_, L"Command");
  AddDraggable(root_, L"A");
  AddDraggable(root_, L"B");
  AddDraggable(root_, L"C");
  const POINT at = MenuOrigin();
  bool openAfterTheDrop = false;
  HWND popupWindow = nullptr;
  RunPopup([&] {
    WhenInLoop([] { return TrackedRoot() != nullptr; },
               [&] {
                 popupWindow = TrackedRoot()->Window()->Handle();
                 MovePointer(EntryCentre(at, 1));
                 SendButton(true);
                 WhenInLoop([] { return DragSource != 0; },
                            [&] {
                              POINT below = EntryCentre(at, 3);
                              below.y += kEntrySize.cy / 4;
                              MovePointer(EntryCentre(at, 2));
                              MovePointer(below);
                              WhenInLoop([] { return DropInsertIndex(TrackedRoot()) == 4; },
                                         [&] {
                                           SendButton(false);
                                           WhenInLoop([&] { return script.Calls > 0 && DragSource == 0; },
                                                      [&] {
                                                        openAfterTheDrop = TrackedRoot() != nullptr;
                                                        PostKeyPress(frame_->Handle(), VK_ESCAPE);
                                                      });
                                         });
                            });
               });
  });
  EXPECT_TRUE(openAfterTheDrop);
  EXPECT_EQ(script.Calls, 1);
  EXPECT_EQ(script.Window, popupWindow);
  EXPECT_EQ(script.Target, root_);
  EXPECT_EQ(script.Index, 4);
  EXPECT_FALSE(script.Copy);
  EXPECT_EQ(Captions(root_), L"Command,B,C,A");
  EXPECT_TRUE(clicked_.empty()) << "a drop is no click";
  EXPECT_EQ(DragSource, 0u);
}

namespace {

class TRecordingContextMenu : public TBarItemContextMenu {
 public:
  void Popup(POINT screenPoint) override {
    Points.push_back(screenPoint);
    Item = ContextMenuState.Item;
    Link = ContextMenuState.Link;
    SubmenusBlocked = BlockSubmenus;
    // The owner ends the state and gives the capture back when its menu is done.
    ContextMenuState.Active = false;
    CaptureMenuWindow(ContextMenuState.CaptureWindow);
    PostMessageW(ContextMenuState.MenuWindow, WM_KEYDOWN, VK_ESCAPE, 1);
  }
  std::vector<POINT> Points;
  TBarCustomItem* Item = nullptr;
  uintptr_t Link = 0;
  bool SubmenusBlocked = false;
};

}  // namespace

TEST_F(ItemDrag, ARightClickOnAnEntryShowsTheOwnersMenuForIt) {
  AddEntry(root_, L"Command");
  TFixedItem* entry = AddDraggable(root_, L"Entry");
  TRecordingContextMenu menu;
  ContextMenuState.Menu = &menu;
  const POINT at = MenuOrigin();
  // The pointer comes onto the entry from off the pop-up, as a person's does, wherever an earlier test left it: a
  // pointer already resting there makes no move, and selects nothing.
  RunPopup([&] {
    WhenInLoop([] { return TrackedRoot() != nullptr; },
               [&] {
                 SetCursorPos(at.x - 20, at.y - 20);
                 WhenInLoop([] { return true; }, [&] { SendMouseClick(EntryCentre(at, 1), true); });
               });
  });
  ContextMenuState = TBarContextMenuState{};
  ASSERT_EQ(menu.Points.size(), 1u);
  EXPECT_EQ(menu.Points[0].x, EntryCentre(at, 1).x);
  EXPECT_EQ(menu.Item, entry);
  EXPECT_EQ(menu.Link, entry->DragLink());
  EXPECT_TRUE(menu.SubmenusBlocked);
  EXPECT_FALSE(BlockSubmenus) << "cleared when the pop-up ended";
  EXPECT_TRUE(clicked_.empty()) << "a right-button release chooses nothing";
}

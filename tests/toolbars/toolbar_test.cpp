#include "toolbars/bars/toolbar.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dock_fixture.h"
#include "fixed_items.h"
#include "framework/application.h"
#include "framework/edit.h"
#include "framework/ini_files.h"
#include "framework/life_token.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
#include "support/test_environment.h"
#include "support/window_capture.h"
#include "toolbars/docks/dock_positions.h"
#include "toolbars/items/bar_image_list.h"
#include "tracked_menu.h"

using namespace toolbars;
using bar_host::TFixedItem;
using tracked_menu::TrackedRoot;

namespace {

constexpr SIZE kButton{30, 20};
// The docked frame of a toolbar on a top dock: 2 pixels on each side and the single drag handle on the left.
constexpr int kFrameAcross = 4 + 6;

// Polls from inside the running loop until condition holds, then runs then once. The poll ends with the
// case that armed it, so that it never reaches the loop of a later case.
class TTrackingPoll {
 public:
  void When(std::function<bool()> condition, std::function<void()> then) {
    PostInputFromLoop(
        [this, life = life_.Watch(), condition, then] {
          if (life.Ended()) return;
          if (TrackedRoot() && condition())
            then();
          else
            When(condition, then);
        },
        10);
  }

 private:
  TLifeToken life_;
};

void EndTracking() { PostThreadMessageW(GetCurrentThreadId(), WM_BAR_CLOSEALLMENUS, 0, 0); }

std::wstring Joined(const std::vector<std::wstring>& names) {
  std::wstring joined;
  for (const std::wstring& name : names) joined += (joined.empty() ? L"" : L",") + name;
  return joined;
}

class Toolbar : public DockFormTest {
 protected:
  void SetUp() override {
    DockFormTest::SetUp();
    environment_.SetMenuShowDelay(300);
    previousLoop_ = SetTrackingLoop(&tracked_menu::RecordingLoop);
  }
  void TearDown() override {
    SetTrackingLoop(previousLoop_);
    environment_.Restore();
    DockFormTest::TearDown();
  }

  TBarCustomToolbar* NewToolbar(const wchar_t* name = L"Bar") {
    auto* bar = new TBarCustomToolbar(Form());
    bar->SetName(name);
    bar->SetHideWhenInactive(false);
    return bar;
  }
  // A button that records its clicks under its caption.
  TFixedItem* AddButton(TBarCustomItem* parent, const wchar_t* caption, TBarItemStyle style = 0, SIZE size = kButton) {
    auto* item = new TFixedItem(Form(), size, style);
    item->SetCaption(caption);
    const std::wstring name = caption;
    // A submenu's item is clicked when its menu opens; only buttons record.
    if (!(style & isSubmenu)) item->OnClick = TNotifyEvent([this, name](TObject*) { clicked_.push_back(name); });
    parent->Add(item);
    return item;
  }
  void AddButtons(TBarCustomToolbar* bar, int count) {
    for (int i = 0; i < count; ++i) AddButton(bar->Items(), (L"B" + std::to_wstring(i)).c_str());
  }
  static std::vector<int> ShownIndexes(TBarView* view) {
    std::vector<int> shown;
    for (int i = 0; i < view->ViewerCount(); ++i)
      if (view->Viewers(i)->Show()) shown.push_back(i);
    return shown;
  }

  TTestEnvironment environment_;
  TTrackingLoopProc previousLoop_ = nullptr;
  std::vector<std::wstring> clicked_;
};

}  // namespace

TEST_F(Toolbar, ItemsLieInARowOrWrapWhereverTheBarIs) {
  enum class TPlace { kTop, kLeft, kFloating, kFloatingWrapped };
  struct TCase {
    TPlace Place;
    int Buttons;
    SIZE Client;
    int Lines;
    RECT LastButton;
  };
  // Floating bars have margins of 4, 2, 4 and 1 around their items and wrap where the right margin starts.
  const TCase cases[] = {
      {TPlace::kTop, 5, {150, 20}, 1, {120, 0, 150, 20}},
      {TPlace::kLeft, 5, {30, 100}, 1, {0, 80, 30, 100}},
      {TPlace::kFloating, 5, {158, 23}, 1, {124, 2, 154, 22}},
      {TPlace::kFloatingWrapped, 5, {68, 63}, 3, {4, 42, 34, 62}},
  };
  for (const TCase& c : cases) {
    TBarCustomToolbar* bar = NewToolbar();
    AddButtons(bar, c.Buttons);
    switch (c.Place) {
      case TPlace::kTop:
        EXPECT_TRUE(bar->SetCurrentDock(Top()).Alive());
        break;
      case TPlace::kLeft:
        EXPECT_TRUE(bar->SetCurrentDock(Dock(2)).Alive());
        break;
      case TPlace::kFloating:
      case TPlace::kFloatingWrapped:
        EXPECT_TRUE(bar->SetParent(Form()).Alive());
        EXPECT_TRUE(bar->SetFloatingRightX(c.Place == TPlace::kFloatingWrapped ? 68 : 0).Alive());
        EXPECT_TRUE(bar->PlaceFloating(POINT{200, 200}).Alive());
        EXPECT_TRUE(bar->FloatOrDock(true).Alive());
        break;
    }
    ProcessPendingMessages();
    EXPECT_EQ(bar->ClientWidth(), c.Client.cx) << static_cast<int>(c.Place);
    EXPECT_EQ(bar->ClientHeight(), c.Client.cy) << static_cast<int>(c.Place);
    EXPECT_EQ(bar->WrappedLines(), c.Lines) << static_cast<int>(c.Place);
    const RECT last = bar->View()->Viewers(c.Buttons - 1)->BoundsRect();
    EXPECT_TRUE(EqualRect(&last, &c.LastButton))
        << static_cast<int>(c.Place) << ": " << last.left << "," << last.top << "," << last.right << "," << last.bottom;
    delete bar;
  }
}

TEST_F(Toolbar, AShortDockCutsTheBarWithAChevronThatListsTheHiddenItems) {
  TBarCustomToolbar* bar = NewToolbar();
  AddButtons(bar, 25);
  EXPECT_TRUE(bar->SetCurrentDock(Top()).Alive());
  ProcessPendingMessages();
  // 25 buttons need 750 pixels; the dock gives 600 less the frame, and the chevron takes 12 of that.
  const int client = Top()->ClientWidth() - kFrameAcross;
  EXPECT_EQ(bar->Width(), Top()->ClientWidth());
  EXPECT_EQ(bar->ClientWidth(), client);
  TBarView* view = bar->View();
  const int fitting = (client - 12) / kButton.cx;
  std::vector<int> expectedShown;
  for (int i = 0; i < fitting; ++i) expectedShown.push_back(i);
  const int chevron = view->ViewerCount() - 1;
  expectedShown.push_back(chevron);
  EXPECT_EQ(ShownIndexes(view), expectedShown);
  const RECT chevronRect = view->Viewers(chevron)->BoundsRect();
  EXPECT_EQ(chevronRect.left, client - 12);
  EXPECT_EQ(chevronRect.right, client);
  EXPECT_TRUE(bar->ChevronItem()->Enabled());

  // The dock asks for the whole length still; with room the chevron goes.
  SIZE wanted{};
  EXPECT_TRUE(bar->BaseSize(wanted).Alive());
  EXPECT_EQ(wanted.cx, 25 * kButton.cx);
  EXPECT_EQ(ShownIndexes(view), expectedShown) << "measuring left the laid-out items alone";

  // The chevron's pop-up lists exactly the buttons that gave way.
  std::vector<std::wstring> listed;
  EXPECT_TRUE(view->SetSelected(view->Viewers(chevron)).Alive());
  TTrackingPoll poll;
  RunModalWithInput(
      [&] {
        poll.When([&] { return TrackedRoot()->OpenViewerView() != nullptr; },
                  [&] {
                    TBarView* popup = TrackedRoot()->OpenViewerView();
                    EXPECT_EQ(popup->ChevronParentView(), view);
                    for (int i = 0; i < popup->ViewerCount(); ++i)
                      if (popup->Viewers(i)->Show()) listed.push_back(popup->Viewers(i)->Item()->Caption());
                    EndTracking();
                  });
      },
      [&] { EXPECT_TRUE(view->EnterToolbarLoop(false, true, false).Alive()); });
  std::vector<std::wstring> hidden;
  for (int i = fitting; i < 25; ++i) hidden.push_back(L"B" + std::to_wstring(i));
  EXPECT_EQ(Joined(listed), Joined(hidden));

  // Fewer buttons fit: no chevron.
  bar->BeginUpdate();
  while (bar->Items()->Count() > 5) delete bar->Items()->ItemAt(bar->Items()->Count() - 1);
  EXPECT_TRUE(bar->EndUpdate().Alive());
  ProcessPendingMessages();
  EXPECT_EQ(bar->ClientWidth(), 5 * kButton.cx);
  EXPECT_FALSE(view->Viewers(view->ViewerCount() - 1)->Show());
}

TEST_F(Toolbar, AMenuBarStretchesWrapsAndHasNoCloseButton) {
  TBarCustomToolbar* bar = NewToolbar();
  AddButtons(bar, 25);
  EXPECT_TRUE(bar->SetCurrentDock(Top()).Alive());
  struct TCase {
    bool MenuBar;
    TBarShrinkMode Shrink;
    int Lines;
  };
  const TCase cases[] = {{true, TBarShrinkMode::tbsmWrap, 2}, {false, TBarShrinkMode::tbsmChevron, 1}};
  for (const TCase& c : cases) {
    EXPECT_TRUE(bar->SetMenuBar(c.MenuBar).Alive());
    ProcessPendingMessages();
    EXPECT_EQ(bar->FullSize(), c.MenuBar);
    EXPECT_EQ(bar->ShrinkMode(), c.Shrink);
    EXPECT_EQ(bar->CloseButton(), !c.MenuBar);
    EXPECT_EQ(bar->ProcessShortCuts(), c.MenuBar);
    EXPECT_EQ(bar->ControlStyle().Contains(TControlStyleItem::csMenuEvents), c.MenuBar);
    EXPECT_EQ(bar->View()->HasState(vsUseHiddenAccels), c.MenuBar);
    EXPECT_EQ(bar->WrappedLines(), c.Lines) << c.MenuBar;
    EXPECT_EQ(bar->ClientWidth(), Top()->ClientWidth() - kFrameAcross) << "the whole row either way";
    EXPECT_EQ(bar->View()->Viewers(bar->View()->ViewerCount() - 1)->Show(), !c.MenuBar) << "the chevron";
  }
  // A short-cut of an item of the bar runs it.
  auto* save = ObjectAs<TFixedItem>(bar->Items()->ItemAt(3));
  save->SetShortCut(ShortCut(L'S', TShiftState{TShiftStateItem::ssCtrl}));
  TMessage key{WM_KEYDOWN, L'S', 0, 0};
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  BYTE pressed[256] = {};
  pressed[VK_CONTROL] = 0x80;
  SetKeyboardState(pressed);
  const bool ran = bar->Items()->IsShortCut(key);
  SetKeyboardState(keys);
  ProcessPendingMessages();
  EXPECT_TRUE(ran);
  EXPECT_EQ(Joined(clicked_), L"B3");
}

TEST_F(Toolbar, AltKeysOpenAMenuBarAndAcceleratorsAPlainBar) {
  TBarCustomToolbar* menuBar = NewToolbar(L"Menu");
  TFixedItem* file = AddButton(menuBar->Items(), L"&File", isSubmenu);
  AddButton(file, L"&Open");
  AddButton(menuBar->Items(), L"&Save");
  AddButton(menuBar->Items(), L"&Send");
  AddButton(menuBar->Items(), L"&Help");
  EXPECT_TRUE(menuBar->SetMenuBar(true).Alive());
  EXPECT_TRUE(menuBar->SetCurrentDock(Top()).Alive());
  TBarCustomToolbar* plain = NewToolbar(L"Plain");
  AddButton(plain->Items(), L"&Print");
  AddButton(plain->Items(), L"&Copy");
  AddButton(plain->Items(), L"&Cut");
  EXPECT_TRUE(plain->SetCurrentDock(Bottom()).Alive());
  ProcessPendingMessages();

  enum class TRoute { kAltKey, kDialogChar };
  struct TCase {
    TRoute Route;
    wchar_t Key;
    LRESULT Result;
    const wchar_t* Clicked;
    const wchar_t* Tracked;  // the item selected (open) while the bar tracks; empty when it does not track
  };
  const TCase cases[] = {
      {TRoute::kAltKey, L'f', 1, L"", L"&File"},  // a unique submenu opens
      {TRoute::kAltKey, L'h', 1, L"&Help", L""},  // a unique button is clicked
      {TRoute::kAltKey, L's', 1, L"", L"&Save"},  // shared: the first is selected, the arrows choose
      {TRoute::kAltKey, L'z', 1, L"", L""},       // no such accelerator: a beep
      {TRoute::kAltKey, L'-', 0, L"", L""},       // the document window's menu is the system's
      {TRoute::kAltKey, L' ', 0, L"", L""},       // the window menu is the system's
      {TRoute::kDialogChar, L'p', 1, L"&Print", L""},
      {TRoute::kDialogChar, L'c', 1, L"", L""},  // shared on a plain bar: taken, and nothing happens
  };
  for (const TCase& c : cases) {
    clicked_.clear();
    std::wstring tracked;
    LRESULT result = -1;
    TTrackingPoll poll;
    RunModalWithInput(
        [&] {
          poll.When([] { return true; },
                    [&] {
                      TBarView* root = TrackedRoot();
                      TBarItemViewer* shown = root->OpenViewer() ? root->OpenViewer() : root->Selected();
                      if (shown) tracked = shown->Item()->Caption();
                      EndTracking();
                    });
        },
        [&] {
          result = c.Route == TRoute::kAltKey ? menuBar->Perform(WM_SYSCOMMAND, SC_KEYMENU, c.Key)
                                              : plain->Perform(CM_DIALOGCHAR, c.Key, 0);
        });
    ProcessPendingMessages();
    EXPECT_EQ(result, c.Result) << static_cast<char>(c.Key);
    EXPECT_EQ(Joined(clicked_), c.Clicked) << static_cast<char>(c.Key);
    EXPECT_EQ(tracked, c.Tracked) << static_cast<char>(c.Key);
    EXPECT_FALSE(menuBar->View()->HasState(vsModal));
  }
}

TEST_F(Toolbar, AClickOnAButtonRunsItAndAPressBesideTheItemsDragsTheBar) {
  TBarCustomToolbar* bar = NewToolbar();
  AddButtons(bar, 3);
  auto* separator = new TBarSeparatorItem(Form());
  bar->Items()->Insert(1, separator);
  EXPECT_TRUE(bar->SetCurrentDock(Top()).Alive());
  ProcessPendingMessages();
  TControl* found = nullptr;
  EXPECT_TRUE(bar->ChildControlAt(POINT{15, 10}, found)) << "a button is the press's";
  const RECT separatorRect = bar->View()->Find(separator)->BoundsRect();
  EXPECT_FALSE(bar->ChildControlAt(POINT{separatorRect.left + 1, 10}, found)) << "a separator lets the bar move";

  const POINT client = bar->ClientOrigin();
  const RECT second = bar->View()->Viewers(2)->BoundsRect();
  RunModalWithInput([] {},
                    [&] {
                      SendMouseClick(POINT{client.x + (second.left + second.right) / 2, client.y + 10});
                      for (int round = 0; round < 500 && clicked_.empty(); ++round) {
                        ProcessPendingMessages();
                        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
                      }
                    });
  EXPECT_EQ(Joined(clicked_), L"B1");
  EXPECT_EQ(bar->CurrentDock(), Top());
}

// A bar freed by its own mouse handler, over a button or beside the items, is touched no more: no item is pressed
// and no menu opens on the freed bar.
TEST_F(Toolbar, ABarFreedByItsOwnMouseHandlerIsTouchedNoMore) {
  for (const bool onMouseUp : {false, true}) {
    for (const bool onButton : {true, false}) {
      SCOPED_TRACE(std::string(onMouseUp ? "OnMouseUp of a right click" : "OnMouseDown of a left click") +
                   (onButton ? " on a button" : " beside the items"));
      TGuardedAllocations guard;
      TBarCustomToolbar* bar = NewToolbar();
      AddButtons(bar, 2);
      EXPECT_TRUE(bar->SetCurrentDock(Top()).Alive());
      ProcessPendingMessages();
      const TMouseEvent freeBar = [&bar](TObject*, TMouseButton, TShiftState, int, int) {
        delete std::exchange(bar, nullptr);
      };
      (onMouseUp ? bar->OnMouseUp : bar->OnMouseDown) = freeBar;
      const RECT first = bar->View()->Viewers(0)->BoundsRect();
      const POINT client = bar->ClientOrigin();
      const POINT at{client.x + (onButton ? (first.left + first.right) / 2 : bar->ClientWidth() - 2), client.y + 10};
      SendMouseClick(at, onMouseUp);
      EXPECT_TRUE(PumpUntil([&bar] {
        return !bar && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000) && !(GetAsyncKeyState(VK_RBUTTON) & 0x8000);
      })) << "the handler did not run";
      ProcessPendingMessages();
      EXPECT_TRUE(clicked_.empty());
      delete bar;
    }
  }
}

TEST_F(Toolbar, HostedControlsGetItemsAndHideWhenTheyDoNotFit) {
  TBarCustomToolbar* bar = NewToolbar();
  AddButtons(bar, 2);
  auto* edit = new TEdit(Form());
  EXPECT_TRUE(edit->SetBounds(0, 0, 80, 20).Alive());
  EXPECT_TRUE(edit->SetParent(bar).Alive());
  ASSERT_EQ(bar->Items()->Count(), 3);
  auto* host = ObjectAs<TBarControlItem>(bar->Items()->ItemAt(2));
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(host->Control(), edit);
  EXPECT_TRUE(bar->SetCurrentDock(Top()).Alive());
  ProcessPendingMessages();
  EXPECT_EQ(bar->ClientWidth(), 2 * kButton.cx + 80);
  const RECT placed = edit->BoundsRect();
  EXPECT_EQ(placed.left, 60);
  EXPECT_TRUE(edit->Visible());
  std::vector<TWinControl*> order;
  Form()->GetTabOrderList(order);
  EXPECT_NE(std::find(order.begin(), order.end(), edit), order.end());

  // A wide neighbour in the same row leaves no room for the control: it goes out of sight and out of the tab
  // order, and comes back when the neighbour goes.
  const RECT client{0, 0, bar->ClientWidth(), bar->ClientHeight()};
  TPlainBar* wide = AddBar(Top(), SIZE{520, 20}, 0, 200);
  ProcessPendingMessages();
  EXPECT_EQ(bar->EffectiveDockRow(), wide->EffectiveDockRow());
  EXPECT_TRUE(bar->View()->Find(host)->OffEdge());
  RECT overlap{};
  const RECT hidden = edit->BoundsRect();
  EXPECT_FALSE(IntersectRect(&overlap, &hidden, &client));
  order.clear();
  Form()->GetTabOrderList(order);
  EXPECT_EQ(std::find(order.begin(), order.end(), edit), order.end());
  delete wide;
  ProcessPendingMessages();
  EXPECT_EQ(edit->BoundsRect().left, 60);
  EXPECT_TRUE(edit->Visible());
  order.clear();
  Form()->GetTabOrderList(order);
  EXPECT_NE(std::find(order.begin(), order.end(), edit), order.end());

  // The control goes: its item goes, and the control is not freed twice.
  EXPECT_TRUE(edit->SetParent(nullptr).Alive());
  EXPECT_EQ(bar->Items()->Count(), 2);
  delete edit;
}

TEST_F(Toolbar, FloatingSizesStepThroughTheLineCounts) {
  TBarCustomToolbar* bar = NewToolbar();
  AddButtons(bar, 5);
  std::vector<TBarFloatingSize> sizes;
  EXPECT_TRUE(bar->GetFloatingSizes(sizes).Alive());
  // One size per number of lines, the narrowest: 5 buttons in one row, then 3 + 2, 2 + 2 + 1, one per row.
  const std::vector<SIZE> expected{{158, 23}, {98, 43}, {68, 63}, {38, 103}};
  ASSERT_EQ(sizes.size(), expected.size());
  for (size_t i = 0; i < sizes.size(); ++i) {
    EXPECT_EQ(sizes[i].Size.cx, expected[i].cx) << i;
    EXPECT_EQ(sizes[i].Size.cy, expected[i].cy) << i;
    EXPECT_EQ(sizes[i].RightX, i == 0 ? 0 : expected[i].cx) << i;
  }
  // An item wider than the narrower sizes ends the list instead of looping.
  AddButton(bar->Items(), L"Wide", 0, SIZE{100, 20});
  EXPECT_TRUE(bar->GetFloatingSizes(sizes).Alive());
  ASSERT_FALSE(sizes.empty());
  EXPECT_EQ(sizes.back().Size.cx, 108) << "the wide button's width and the margins";
}

TEST_F(Toolbar, FloatingSizesMeasureEveryItemOnce) {
  TBarCustomToolbar* bar = NewToolbar();
  AddButton(bar->Items(), L"Wide", 0, SIZE{600, 20});
  AddButtons(bar, 40);
  std::vector<TBarFloatingSize> sizes;
  bar_host::TFixedViewer::Measurements = 0;
  EXPECT_TRUE(bar->GetFloatingSizes(sizes).Alive());
  EXPECT_EQ(bar_host::TFixedViewer::Measurements, 41);
  // One size per number of rows, from one row down to the rows the wide button allows, each as narrow as it goes.
  ASSERT_GE(sizes.size(), 2u);
  EXPECT_EQ(sizes.front().Lines, 1);
  for (size_t i = 1; i < sizes.size(); ++i) {
    EXPECT_GT(sizes[i].Lines, sizes[i - 1].Lines) << i;
    EXPECT_EQ(sizes[i].RightX, sizes[i].Size.cx) << i;
  }
  EXPECT_EQ(sizes.back().Size.cx, 608) << "the wide button's width and the margins";
}

TEST_F(Toolbar, SizingAFloatingBarJumpsBetweenItsLayouts) {
  struct TCase {
    int Dx;
    int ClientWidth;
    int RightX;
  };
  const TCase cases[] = {
      {-5, 158, 0},   // inside the snap zone
      {-20, 98, 98},  // the widest layout that fits
      {-75, 68, 68},
      {+20, 158, 0},  // beyond the widest: the widest
  };
  for (const TCase& c : cases) {
    TBarCustomToolbar* bar = NewToolbar();
    AddButtons(bar, 5);
    EXPECT_TRUE(bar->SetParent(Form()).Alive());
    EXPECT_TRUE(bar->PlaceFloating(POINT{150, 150}).Alive());
    EXPECT_TRUE(bar->FloatOrDock(true).Alive());
    ProcessPendingMessages();
    ASSERT_EQ(bar->ClientWidth(), 158);
    const RECT frame = bar->FloatParent()->BoundsRect();
    const POINT edge{frame.right - 2, (frame.top + frame.bottom) / 2};
    SendMouseDrag(edge, {POINT{edge.x + c.Dx, edge.y}});
    ProcessPendingMessages();
    EXPECT_EQ(bar->ClientWidth(), c.ClientWidth) << c.Dx;
    EXPECT_EQ(bar->FloatingRightX(), c.RightX) << c.Dx;
    delete bar;
  }
}

TEST_F(Toolbar, TheFloatingWrapWidthIsKeptWithThePlacement) {
  TBarCustomToolbar* bar = NewToolbar(L"Stored");
  AddButtons(bar, 5);
  EXPECT_TRUE(bar->SetCurrentDock(Top()).Alive());
  EXPECT_TRUE(bar->SetFloatingRightX(98).Alive());
  TMemIniFile ini(L"");
  TIniDockPositionStore store(ini, L"Pos.");
  SaveDockablePositions(Form(), store);
  EXPECT_EQ(ini.ReadString(L"Pos.Stored", L"FloatRightX", L""), L"98");
  ini.WriteString(L"Pos.Stored", L"FloatRightX", L"128");
  ini.WriteString(L"Pos.Stored", L"Floating", L"1");
  LoadDockablePositions(Form(), store);
  ProcessPendingMessages();
  EXPECT_TRUE(bar->Floating());
  EXPECT_EQ(bar->FloatingRightX(), 128);
  EXPECT_EQ(bar->ClientWidth(), 128);
}

TEST_F(Toolbar, TheChevronShowsTwoArrowsPointingAlongTheBar) {
  struct TCase {
    int Dock;
    POINT GlyphOffset;  // from the chevron's top-left corner, the right edge for a vertical bar
    int Width;
    std::vector<BYTE> Rows;
  };
  const TCase cases[] = {
      {0, {2, 4}, 8, {0xCC, 0x66, 0x33, 0x66, 0xCC}},
      {2, {-9, 2}, 5, {0x88, 0xD8, 0x70, 0x20, 0x88, 0xD8, 0x70, 0x20}},
  };
  for (const TCase& c : cases) {
    TBarCustomToolbar* bar = NewToolbar();
    AddButtons(bar, 40);
    EXPECT_TRUE(bar->SetCurrentDock(Dock(c.Dock)).Alive());
    ProcessPendingMessages();
    TBarItemViewer* chevron = bar->View()->Viewers(bar->View()->ViewerCount() - 1);
    ASSERT_TRUE(chevron->Show()) << c.Dock;
    const RECT rect = chevron->BoundsRect();
    const POINT origin{(c.GlyphOffset.x < 0 ? rect.right : rect.left) + c.GlyphOffset.x, rect.top + c.GlyphOffset.y};
    TWindowCapture capture = TWindowCapture::OfClient(bar->Handle());
    const COLORREF text = GetSysColor(COLOR_BTNTEXT);
    for (size_t row = 0; row < c.Rows.size(); ++row)
      for (int column = 0; column < c.Width; ++column) {
        const bool set = (c.Rows[row] & (0x80 >> column)) != 0;
        EXPECT_EQ(capture.Pixel(origin.x + column, origin.y + static_cast<int>(row)) == text, set)
            << c.Dock << " row " << row << " column " << column;
      }
    delete bar;
  }
}

TEST_F(Toolbar, HintsFontsAndContextMenusComeFromTheItems) {
  TBarCustomToolbar* bar = NewToolbar();
  AddButtons(bar, 3);
  bar->Items()->ItemAt(1)->SetHint(L"Second|The second button");
  EXPECT_TRUE(bar->SetCurrentDock(Top()).Alive());
  ProcessPendingMessages();

  struct THintCase {
    POINT At;
    LRESULT Result;
    const wchar_t* Hint;
    LONG Left;
  };
  const THintCase hints[] = {{{45, 10}, 0, L"Second", 30}, {{140, 10}, 1, L"", 0}};
  for (const THintCase& c : hints) {
    THintInfo info;
    info.CursorPos = c.At;
    EXPECT_EQ(bar->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), c.Result) << c.At.x;
    EXPECT_EQ(info.HintStr, c.Hint) << c.At.x;
    EXPECT_EQ(info.CursorRect.left, c.Left) << c.At.x;
  }

  EXPECT_EQ(bar->View()->GetFont(), BarMenuFont());
  EXPECT_TRUE(bar->SetSystemFont(false).Alive());
  EXPECT_EQ(bar->View()->GetFont(), bar->Font());

  // A right click on an entry the application can drag shows the application's menu for it.
  struct TRecordingMenu : TBarItemContextMenu {
    std::vector<POINT> Shown;
    void Popup(POINT screenPoint) override { Shown.push_back(screenPoint); }
  } menu;
  TBarCustomItem* second = bar->Items()->ItemAt(1);
  second->SetDraggable(true);
  second->SetDragLink(7);
  ContextMenuState.Menu = &menu;
  const POINT at = bar->ClientToScreen(POINT{45, 10});
  SendMouseClick(at, true);
  for (int round = 0; round < 200 && menu.Shown.empty(); ++round) {
    ProcessPendingMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  ASSERT_EQ(menu.Shown.size(), 1u);
  EXPECT_EQ(menu.Shown[0].x, at.x);
  EXPECT_EQ(ContextMenuState.Item, second);
  EXPECT_EQ(ContextMenuState.Link, 7u);
  EXPECT_TRUE(ContextMenuState.Active);
  ContextMenuState = TBarContextMenuState{};
}

TEST_F(Toolbar, ControlsPutOnADesignedBarGetNumberedItems) {
  TBarCustomToolbar* bar = NewToolbar();
  bar->SetDesigning(true);
  for (int i = 0; i < 2; ++i) {
    auto* edit = new TEdit(Form());
    EXPECT_TRUE(edit->SetParent(bar).Alive());
  }
  ASSERT_EQ(bar->Items()->Count(), 2);
  EXPECT_EQ(bar->Items()->ItemAt(0)->Name(), L"BarControlItem1");
  EXPECT_EQ(bar->Items()->ItemAt(1)->Name(), L"BarControlItem2");
  bar->SetDesigning(false);
}

// Item changes other than deletions on a bar not on screen, which lays out at once as its items tell it of each
// change: the bar's OnCanResize, or that of a control on it moved by the layout, frees the item changed, the bar or
// the form. What changed the item touches nothing of what went, and stops where the rest of its work lay on it.
// Made under guarded allocations, with freed items guarded too, so that a touch faults.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <utility>

#include "dock_fixture.h"
#include "framework/actions.h"
#include "framework/image.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
#include "toolbars/bars/toolbar.h"
#include "toolbars/edit/edit_item.h"
#include "toolbars/items/item_memory.h"
#include "toolbars/popups/item_drag.h"

using namespace toolbars;

namespace item_changes {
namespace {

// A button that opens a menu, as a bar shows it: its width follows its caption and its drop-down arrow.
class TSubmenuButton : public TBarCustomItem {
  BC_CLASS(TSubmenuButton, TBarCustomItem)
  explicit TSubmenuButton(TComponent* owner) : TBarCustomItem(owner) {
    SetItemStyle(static_cast<TBarItemStyle>(ItemStyle() | isSubmenu));
  }
};

enum class TFrees { Item, Bar, Form };

using TReady = std::function<void(TBarCustomToolbar*, TBarCustomItem* first, TBarCustomItem* second)>;
using TChange = std::function<void(TBarCustomToolbar*, TBarCustomItem* first)>;

struct TChangeCase {
  const char* Name;
  // Readies the bar's items before the handler is assigned; may leave the bar's layout due.
  TReady Ready;
  // The change, made on the first item (or through it, on the bar's items).
  TChange Change;
};

using TCase = std::tuple<TChangeCase, TFrees>;

std::string Named(const testing::TestParamInfo<TCase>& info) {
  static const char* const frees[] = {"TheItem", "TheBar", "TheForm"};
  return std::string(std::get<0>(info.param).Name) + "Frees" + frees[static_cast<int>(std::get<1>(info.param))];
}

class ItemChangesThatFree : public DockFormTest, public testing::WithParamInterface<TCase> {
 protected:
  void SetUp() override {
    DockFormTest::SetUp();
    SetGuardFreedItemBlocks(true);
  }
  void TearDown() override {
    DockFormTest::TearDown();
    SetGuardFreedItemBlocks(false);
  }
};

TAction* ActionWith(TComponent* owner, const wchar_t* caption, bool checked, bool visible) {
  auto* action = new TAction(owner);
  action->SetCaption(caption);
  action->SetChecked(checked);
  action->SetVisible(visible);
  return action;
}

TEST_P(ItemChangesThatFree, NothingFreedIsTouched) {
  const auto& [c, frees] = GetParam();
  TGuardedAllocations guard;
  TBarCustomToolbar* bar = new TBarCustomToolbar(Form());
  bar->SetHideWhenInactive(false);
  TBarCustomItem* first = new TSubmenuButton(Form());
  first->SetCaption(L"First");
  bar->Items()->Add(first);
  TBarCustomItem* second = new TSubmenuButton(Form());
  second->SetCaption(L"Second");
  bar->Items()->Add(second);
  auto* image = new TImage(Form());
  EXPECT_TRUE(image->SetBounds(0, 0, 40, 20).Alive());
  EXPECT_TRUE(image->SetParent(bar).Alive());
  c.Ready(bar, first, second);
  ProcessPendingMessages();

  bool freed = false;
  const TCanResizeEvent free = [&](TObject*, int&, int&, bool&) {
    if (std::exchange(freed, true)) return;
    if (frees == TFrees::Item)
      delete std::exchange(first, nullptr);
    else if (frees == TFrees::Bar)
      delete std::exchange(bar, nullptr);
    else
      FreeForm();
  };
  image->OnCanResize = free;
  bar->OnCanResize = free;
  c.Change(bar, first);
  EXPECT_TRUE(freed) << "the handler did not run";
  ProcessPendingMessages();
  if (Form()) {
    RedrawWindow(Form()->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ProcessPendingMessages();
  }
}

const TReady kNothing = [](TBarCustomToolbar*, TBarCustomItem*, TBarCustomItem*) {};

// The item takes an action whose caption is longer and whose other properties differ too.
const TChange TakesAnAction = [](TBarCustomToolbar*, TBarCustomItem* first) {
  first->SetAction(ActionWith(first->Owner(), L"A much longer caption", true, false));
};
// Its action's caption grows, which the action tells the item through its link.
const TReady ReadiesAnAction = [](TBarCustomToolbar*, TBarCustomItem* first, TBarCustomItem*) {
  first->SetAction(ActionWith(first->Owner(), L"First", false, true));
};
const TChange ItsActionGrows = [](TBarCustomToolbar*, TBarCustomItem* first) {
  static_cast<TAction*>(first->Action())->SetCaption(L"A much longer caption");
};
// The bar's items show drop-down arrows, which every button inherits.
const TChange ArrowsInherited = [](TBarCustomToolbar* bar, TBarCustomItem*) {
  bar->SetOptions(bar->Options() + TBarItemOption::tboDropdownArrow);
};
// Checked in a group on a bar whose layout is due: the other button of the group is unchecked after it.
const TReady ReadiesAGroupOnADueLayout = [](TBarCustomToolbar* bar, TBarCustomItem* first, TBarCustomItem* second) {
  first->SetGroupIndex(1);
  second->SetGroupIndex(1);
  second->SetChecked(true);
  bar->View()->SetOrientation(TBarViewOrientation::tbvoVertical);
};
const TChange CheckedInItsGroup = [](TBarCustomToolbar*, TBarCustomItem* first) { first->SetChecked(true); };

// Dragged onto another bar off screen, with the application's consent: the bar it leaves lays out first.
bool Consents(HWND, TBarCustomItem*, TBarCustomItem*&, TBarCustomItem*&, int&, bool) { return true; }
const TChange DraggedToAnotherBar = [](TBarCustomToolbar*, TBarCustomItem* first) {
  auto* other = new TBarCustomToolbar(first->Owner());
  const TBarMoveCallback previous = std::exchange(MoveCallback, &Consents);
  int index = 0;
  EXPECT_TRUE(MoveItemByDrag(nullptr, other->Items(), first, false, index));
  MoveCallback = previous;
};

// An edit box at the front of the bar, whose action widens it.
const TReady ReadiesAnEditBox = [](TBarCustomToolbar* bar, TBarCustomItem* first, TBarCustomItem*) {
  auto* edit = new TBarEditItem(first->Owner());
  edit->SetAction(new TBarEditAction(first->Owner()));
  bar->Items()->Insert(0, edit);
};
const TChange ItsEditActionWidens = [](TBarCustomToolbar* bar, TBarCustomItem*) {
  auto* edit = static_cast<TBarEditItem*>(bar->Items()->ItemAt(0));
  static_cast<TBarEditAction*>(edit->Action())->SetEditWidth(edit->EditWidth() + 100);
};

// What tells the views as its last act: an item put before the first, the first moved behind the control, and
// the first hidden.
const TChange InsertedBeforeIt = [](TBarCustomToolbar* bar, TBarCustomItem* first) {
  auto* item = new TSubmenuButton(first->Owner());
  item->SetCaption(L"Zeroth");
  bar->Items()->Insert(0, item);
};
const TChange MovedToTheEnd = [](TBarCustomToolbar* bar, TBarCustomItem*) {
  bar->Items()->Move(0, bar->Items()->Count());
};
const TChange Hidden = [](TBarCustomToolbar*, TBarCustomItem* first) { first->SetVisible(false); };

const TChangeCase kChanges[] = {
    {"AnItemInsertedBeforeIt", kNothing, InsertedBeforeIt},
    {"MovedToTheEnd", kNothing, MovedToTheEnd},
    {"Hidden", kNothing, Hidden},
    {"TakesAnAction", kNothing, TakesAnAction},
    {"ItsActionsCaptionGrows", ReadiesAnAction, ItsActionGrows},
    {"DropDownArrowsInherited", kNothing, ArrowsInherited},
    {"CheckedInItsGroup", ReadiesAGroupOnADueLayout, CheckedInItsGroup},
    {"DraggedToAnotherBar", kNothing, DraggedToAnotherBar},
    {"AnEditBoxsActionWidensIt", ReadiesAnEditBox, ItsEditActionWidens},
};

INSTANTIATE_TEST_SUITE_P(Cases, ItemChangesThatFree,
                         testing::Combine(testing::ValuesIn(kChanges),
                                          testing::Values(TFrees::Item, TFrees::Bar, TFrees::Form)),
                         Named);

}  // namespace
}  // namespace item_changes

// A tree freed by a handler that its own mouse or keys raise, by real input: nothing of the freed tree is touched
// afterwards. Each tree is made under guarded allocations, so that a use of what the handler freed faults.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <utility>

#include "framework/form.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
#include "support/modal_input.h"
#include "tree/string_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"
#include "tree_fixture.h"

namespace tree_test {
namespace {

using namespace tree;

using HP = TNodeHitPosition;

// Where the input goes: a part of the first row, the header, or the focused tree by a key.
enum class TSpot { Label, Button, CheckBox, Header, Key };
enum class TClick { Left, Right, Middle, Double };

struct TCase {
  const char* Name;
  // Arms the handler that frees the tree through the slot.
  void (*Arm)(TStringTree* tree, TStringTree*& slot);
  TSpot Spot;
  TClick Click = TClick::Left;
  WORD Key = 0;
  // The first node is open before the input (so that its button closes it).
  bool Expanded = false;
  // Added to the tree's selection options: the right and middle buttons select only with theirs.
  TTreeSelectionOptions Selection = {};
  // The last node is selected before the input (so that a click elsewhere clears the selection first).
  bool LastSelected = false;
};

template <auto Event>
void FreeOn(TStringTree* tree, TStringTree*& slot) {
  tree->*Event = [&slot](auto&&...) { delete std::exchange(slot, nullptr); };
}

const TCase kCases[] = {
    {"OnMouseDownByTheLeftButton", FreeOn<&TStringTree::OnMouseDown>, TSpot::Label},
    {"OnMouseUpByTheLeftButton", FreeOn<&TStringTree::OnMouseUp>, TSpot::Label},
    {"OnMouseDownByTheRightButton", FreeOn<&TStringTree::OnMouseDown>, TSpot::Label, TClick::Right},
    {"OnMouseUpByTheRightButton", FreeOn<&TStringTree::OnMouseUp>, TSpot::Label, TClick::Right},
    {"OnMouseDownByTheRightButtonThatSelects",
     FreeOn<&TStringTree::OnMouseDown>,
     TSpot::Label,
     TClick::Right,
     0,
     false,
     {TTreeSelectionOption::toRightClickSelect}},
    {"OnMouseUpByTheRightButtonThatSelects",
     FreeOn<&TStringTree::OnMouseUp>,
     TSpot::Label,
     TClick::Right,
     0,
     false,
     {TTreeSelectionOption::toRightClickSelect}},
    {"OnMouseDownByTheMiddleButtonThatSelects",
     FreeOn<&TStringTree::OnMouseDown>,
     TSpot::Label,
     TClick::Middle,
     0,
     false,
     {TTreeSelectionOption::toMiddleClickSelect}},
    {"OnMouseUpByTheMiddleButtonThatSelects",
     FreeOn<&TStringTree::OnMouseUp>,
     TSpot::Label,
     TClick::Middle,
     0,
     false,
     {TTreeSelectionOption::toMiddleClickSelect}},
    {"OnEnterByAClick", FreeOn<&TStringTree::OnEnter>, TSpot::Label},
    {"OnFocusChangingByAClick", FreeOn<&TStringTree::OnFocusChanging>, TSpot::Label},
    {"OnColumnClick", FreeOn<&TStringTree::OnColumnClick>, TSpot::Label},
    {"OnColumnClickByTheRightButtonThatSelects",
     FreeOn<&TStringTree::OnColumnClick>,
     TSpot::Label,
     TClick::Right,
     0,
     false,
     {TTreeSelectionOption::toRightClickSelect}},
    {"OnChangeByAClickThatClearsTheSelection",
     FreeOn<&TStringTree::OnChange>,
     TSpot::Label,
     TClick::Left,
     0,
     false,
     {},
     true},
    {"OnClick", FreeOn<&TStringTree::OnClick>, TSpot::Label},
    {"OnDblClick", FreeOn<&TStringTree::OnDblClick>, TSpot::Label, TClick::Double},
    {"OnFocusChangedByAClick", FreeOn<&TStringTree::OnFocusChanged>, TSpot::Label},
    {"OnChangeByAClick", FreeOn<&TStringTree::OnChange>, TSpot::Label},
    {"OnCheckedByAClick", FreeOn<&TStringTree::OnChecked>, TSpot::CheckBox},
    {"OnExpandedByAClick", FreeOn<&TStringTree::OnExpanded>, TSpot::Button},
    {"OnCollapsedByAClick", FreeOn<&TStringTree::OnCollapsed>, TSpot::Button, TClick::Left, 0, true},
    {"OnHeaderClick", FreeOn<&TStringTree::OnHeaderClick>, TSpot::Header},
    {"OnKeyDown", FreeOn<&TStringTree::OnKeyDown>, TSpot::Key, TClick::Left, VK_DOWN},
    {"OnKeyPress", FreeOn<&TStringTree::OnKeyPress>, TSpot::Key, TClick::Left, 'A'},
    {"OnFocusChangedByAKey", FreeOn<&TStringTree::OnFocusChanged>, TSpot::Key, TClick::Left, VK_DOWN},
    {"OnChangeByAKey", FreeOn<&TStringTree::OnChange>, TSpot::Key, TClick::Left, VK_DOWN},
    {"OnCheckedBySpace", FreeOn<&TStringTree::OnChecked>, TSpot::Key, TClick::Left, VK_SPACE},
    {"OnExpandedByAKey", FreeOn<&TStringTree::OnExpanded>, TSpot::Key, TClick::Left, VK_RIGHT},
    {"OnCollapsedByAKey", FreeOn<&TStringTree::OnCollapsed>, TSpot::Key, TClick::Left, VK_LEFT, true},
};

// The first point of the first row (client coordinates) whose part is the one asked for.
std::optional<POINT> FirstRowPoint(TStringTree& tree, TNodeHitPosition part) {
  const int y = tree.DefaultNodeHeight() / 2;
  for (int x = 0; x < tree.ClientWidth(); ++x) {
    THitInfo hit;
    tree.GetHitTestInfoAt(x, y, true, hit);
    if (hit.HitNode == tree.GetFirst() && hit.HitPositions.Contains(part)) return POINT{x, y};
  }
  return std::nullopt;
}

class TreeFreedByOwnHandler : public testing::TestWithParam<TCase> {
 protected:
  void SetUp() override { form_ = ShowHostForm(); }
  void TearDown() override {
    form_.reset();
    // The real pointer leaves the spot where the next test's windows may be.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    ProcessPendingMessages();
  }

  // A tree of three checkable rows, the first with two children, with one visible header column.
  TStringTree* MakeTree(const TCase& c) {
    auto* tree = new TStringTree(form_.get());
    EXPECT_TRUE(tree->SetBounds(10, 10, 300, 200).Alive());
    EXPECT_TRUE(tree->SetParent(form_.get()).Alive());
    EXPECT_TRUE(tree->Header()->Columns()->Add()->SetWidth(250).Alive());
    EXPECT_TRUE(tree->Header()->SetOptions(tree->Header()->Options() + TTreeHeaderOption::hoVisible).Alive());
    tree->TreeOptions()->SetMiscOptions(tree->TreeOptions()->MiscOptions() + TTreeMiscOption::toCheckSupport);
    EXPECT_TRUE(tree->SetRootNodeCount(3).Alive());
    for (PTreeNode node = tree->GetFirst(); node; node = tree->GetNextSibling(node))
      tree->SetCheckType(node, TCheckType::ctCheckBox);
    EXPECT_FALSE(tree->SetChildCount(tree->GetFirst(), 2).TreeGone());
    EXPECT_FALSE(tree->SetExpanded(tree->GetFirst(), c.Expanded).TreeGone());
    EXPECT_TRUE(
        tree->TreeOptions()->SetSelectionOptions(tree->TreeOptions()->SelectionOptions() + c.Selection).Alive());
    EXPECT_FALSE(tree->SetFocusedNode(tree->GetFirst()).TreeGone());
    if (c.LastSelected) EXPECT_FALSE(tree->SetSelected(tree->GetLast(), true).TreeGone());
    return tree;
  }

  std::unique_ptr<TForm> form_;
};

TEST_P(TreeFreedByOwnHandler, NothingOfItIsTouchedAgain) {
  const TCase& c = GetParam();
  {
    TGuardedAllocations guard;
    TStringTree* slot = MakeTree(c);
    TStringTree* tree = slot;
    c.Arm(tree, slot);
    SetForegroundWindow(form_->Handle());
    // A click focuses the tree itself.
    if (c.Spot == TSpot::Key) { EXPECT_TRUE(tree->SetFocus().Alive()); }
    ProcessPendingMessages();
    if (c.Spot == TSpot::Key) {
      SendKeyPress(c.Key);
    } else {
      POINT at{tree->ClientWidth() / 2, -tree->Header()->Height() / 2};
      if (c.Spot != TSpot::Header) {
        const auto part = c.Spot == TSpot::Button     ? HP::hpOnButton
                          : c.Spot == TSpot::CheckBox ? HP::hpOnCheckBox
                                                      : HP::hpOnLabel;
        const std::optional<POINT> found = FirstRowPoint(*tree, part);
        ASSERT_TRUE(found) << "the first row shows no such part";
        at = *found;
      }
      const POINT screen = tree->ClientToScreen(at);
      if (c.Click == TClick::Middle) {
        SetCursorPos(screen.x, screen.y);
        SendMouse(MOUSEEVENTF_MIDDLEDOWN);
        SendMouse(MOUSEEVENTF_MIDDLEUP);
      } else {
        SendMouseClick(screen, c.Click == TClick::Right);
        if (c.Click == TClick::Double) SendMouseClick(screen);
      }
    }
    EXPECT_TRUE(PumpUntil([&slot] {
      return !slot && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000) && !(GetAsyncKeyState(VK_RBUTTON) & 0x8000) &&
             !(GetAsyncKeyState(VK_MBUTTON) & 0x8000) && GetCapture() == nullptr;
    })) << "the handler did not run";
    ProcessPendingMessages();
    // What is left still paints.
    RedrawWindow(form_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    delete slot;
  }
}

INSTANTIATE_TEST_SUITE_P(Handlers, TreeFreedByOwnHandler, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TCase>& info) { return info.param.Name; });

}  // namespace
}  // namespace tree_test

// Times single calls and a person's single actions on a shown tree of a million rows: a change made outside an
// update bracket (a row added, deleted, made taller or hidden) with the view at the end against the same change
// with the view at the top, and on a tree with scroll bars against one without; and a click and a Space on the
// tri-state check box of a root over a million boxes, from the input to the window's answer. Every time is the
// best of several runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "bench/bench_timing.h"
#include "framework/startup.h"
#include "tree/scroll_bar_options.h"
#include "tree/string_tree.h"
#include "tree/tree_unit.h"

using namespace tree;

namespace {

constexpr std::uint32_t kMillion = 1000000;
constexpr int kRuns = 3;
// Changes timed back to back: each one its own call, as a handler that appends or hides rows one by one makes them.
constexpr int kChanges = 100;

TBenchTargets targets;

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Serves the messages until the tree has its position cache and nothing is left to do, as an idle window would.
void Settle(TBaseTree& tree) {
  Pump();
  for (int i = 0; i < 20000 && !tree.TreeStates().Contains(TTreeState::stUseCache); ++i) {
    Sleep(1);
    Pump();
  }
  Pump();
}

// A shown tree of rows with a text each, as a side panel's, without columns.
class TRows : public TStringTree {
 public:
  TRows(HWND parent, std::uint32_t count) : TStringTree(nullptr) {
    MustLive(SetParentWindow(parent));
    MustLive(SetBounds(0, 0, 380, 500));
    OnGetText = [](TBaseTree*, PTreeNode, TColumnIndex, TVSTTextType, String& text) { text = L"A row of the tree"; };
    HandleNeeded();
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    (void)SetRootNodeCount(count);
    Settle(*this);
  }
};

// One kind of change, made count times on the tree, appending rows or changing the first rows: a change that lies
// in the view or above it, so that the view is drawn again wherever it stands. Undo puts the tree back as it was,
// untimed.
struct TChangeKind {
  const char* Name;
  std::function<void(TRows& tree, int count)> Change;
  std::function<void(TRows& tree, int count)> Undo;
};

const TChangeKind kKinds[] = {
    {"AddChild",
     [](TRows& tree, int count) {
       for (int i = 0; i < count; ++i) tree.AddChild(nullptr);
     },
     [](TRows& tree, int count) {
       for (int i = 0; i < count; ++i) (void)tree.DeleteNode(tree.RootNode()->LastChild);
     }},
    {"DeleteNode",
     [](TRows& tree, int count) {
       for (int i = 0; i < count; ++i) (void)tree.DeleteNode(tree.GetFirstNoInit());
     },
     [](TRows& tree, int count) {
       for (int i = 0; i < count; ++i) tree.InsertNode(nullptr, TTreeNodeAttachMode::amAddChildFirst);
     }},
    {"SetNodeHeight",
     [](TRows& tree, int count) {
       PTreeNode row = tree.GetFirstNoInit();
       for (int i = 0; i < count; ++i, row = row->NextSibling) tree.SetNodeHeight(row, 20);
     },
     [](TRows& tree, int count) {
       PTreeNode row = tree.GetFirstNoInit();
       for (int i = 0; i < count; ++i, row = row->NextSibling) tree.SetNodeHeight(row, tree.DefaultNodeHeight());
     }},
    {"SetIsVisible",
     [](TRows& tree, int count) {
       PTreeNode row = tree.GetFirstNoInit();
       for (int i = 0; i < count; ++i, row = row->NextSibling) tree.SetIsVisible(row, false);
     },
     [](TRows& tree, int count) {
       PTreeNode row = tree.GetFirstNoInit();
       for (int i = 0; i < count; ++i, row = row->NextSibling) tree.SetIsVisible(row, true);
     }},
};

// Seconds per change of kind on tree, the view at the end or at the top, settled before and after.
double SecondsPerChange(TRows& tree, const TChangeKind& kind, bool atEnd) {
  return BestOf(kRuns, [&] {
    if (atEnd)
      tree.ScrollIntoView(tree.GetLastVisibleNoInit(), false);
    else
      (void)tree.SetOffsetY(0);
    Settle(tree);
    const double seconds = TimeOf([&] { kind.Change(tree, kChanges); });
    kind.Undo(tree, kChanges);
    Settle(tree);
    return seconds / kChanges;
  });
}

// A tree whose root is a tri-state box over count boxes, each of them initialized, shown open.
class TCheckRows : public TRows {
 public:
  TCheckRows(HWND parent, std::uint32_t count) : TRows(parent, 0) {
    TreeOptions()->SetMiscOptions(TreeOptions()->MiscOptions() + TTreeMiscOption::toCheckSupport);
    TreeOptions()->SetAutoOptions(TreeOptions()->AutoOptions() + TTreeAutoOption::toAutoTristateTracking);
    OnInitNode = [](TBaseTree* tree, PTreeNode parent, PTreeNode node, TTreeNodeInitStates&) {
      tree->SetCheckType(node, parent ? TCheckType::ctCheckBox : TCheckType::ctTriStateCheckBox);
    };
    PTreeNode root = AddChild(nullptr);
    (void)SetChildCount(root, count);
    ValidateNode(root, true);
    (void)SetExpanded(root, true);
    (void)SetFocusedNode(root);
    Settle(*this);
  }
};

// Presses and lets go through the system's input queue: a mouse button where the cursor is, or a key.
void SendClick() {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
}
void SendKey(WORD key) {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
}

// Seconds from a person's click on the root's check box (or Space on the focused root) until the window has served
// it and every box took the root's new state.
double CheckAnswer(TCheckRows& tree, bool byKey) {
  PTreeNode root = tree.GetFirstNoInit();
  const TCheckState wanted =
      root->CheckState == TCheckState::csCheckedNormal ? TCheckState::csUncheckedNormal : TCheckState::csCheckedNormal;
  const double start = Seconds();
  if (byKey)
    SendKey(VK_SPACE);
  else
    SendClick();
  while (!(root->CheckState == wanted && root->LastChild->CheckState == wanted) && Seconds() - start < 120) {
    Pump();
    Sleep(0);
  }
  Pump();
  const double seconds = Seconds() - start;
  if (root->LastChild->CheckState != wanted) targets.Failed("the boxes did not take the root's state");
  return seconds;
}

}  // namespace

int main() {
  InitializeUnit(FrameworkUnit());
  InitializeUnit(TreeUnit());
  HWND host =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 520, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(host);

  {
    TRows tree(host, kMillion);
    double worst = 0;
    for (const TChangeKind& kind : kKinds) {
      const double top = SecondsPerChange(tree, kind, false);
      const double end = SecondsPerChange(tree, kind, true);
      std::printf("%s in 1,000,000 shown rows: view at the end %.1f us, at the top %.1f us\n", kind.Name, end * 1e6,
                  top * 1e6);
      worst = std::max(worst, end / top);
    }
    targets.AtMost("change-view-at-end-vs-top-1m", worst, 3.0);

    double worstBars = 0;
    for (const TChangeKind& kind : kKinds) {
      tree.ScrollBarOptions()->SetScrollBars(TScrollStyle::ssBoth);
      const double with = SecondsPerChange(tree, kind, false);
      tree.ScrollBarOptions()->SetScrollBars(TScrollStyle::ssNone);
      const double without = SecondsPerChange(tree, kind, false);
      std::printf("%s in 1,000,000 shown rows: with scroll bars %.1f us, without %.1f us\n", kind.Name, with * 1e6,
                  without * 1e6);
      worstBars = std::max(worstBars, with / without);
    }
    tree.ScrollBarOptions()->SetScrollBars(TScrollStyle::ssBoth);
    targets.AtMost("change-with-scroll-bars-vs-without-1m", worstBars, 5.0);
  }

  {
    TCheckRows tree(host, kMillion);
    RECT row = tree.GetDisplayRect(tree.GetFirstNoInit(), NoColumn, false);
    POINT box{-1, (row.top + row.bottom) / 2};
    for (int x = row.left; x < row.left + 80 && box.x < 0; ++x) {
      THitInfo hit;
      tree.GetHitTestInfoAt(x, box.y, true, hit);
      if (hit.HitPositions.Contains(TNodeHitPosition::hpOnCheckBox)) box.x = x + 3;
    }
    if (box.x < 0) targets.Failed("the root's check box was not found");
    ClientToScreen(tree.Handle(), &box);
    SetCursorPos(box.x, box.y);
    SetFocus(tree.Handle());
    Settle(tree);
    const double click = BestOf(kRuns, [&] { return CheckAnswer(tree, false); });
    const double key = BestOf(kRuns, [&] { return CheckAnswer(tree, true); });
    std::printf("a tri-state root over 1,000,000 boxes answers a click in %.3f s, Space in %.3f s\n", click, key);
    targets.AtMost("tristate-click-1m-seconds", std::max(click, key), 0.5);
  }

  DestroyWindow(host);
  FinalizeUnits();
  return targets.ExitCode();
}

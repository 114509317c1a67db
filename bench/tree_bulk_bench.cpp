// Times what a person does with many rows at once in two shown trees: cutting rows and pasting them into the other
// tree against copying and pasting them, a drag by the mouse that moves them against one that copies them, and
// pasting rows that arrive selected into a tree with multi-selection (and deleting them again), a million against a
// hundred thousand; and an export that makes a shown tree's rows as it goes, against the same without a window.
// Every time is the best of several runs.
#include <windows.h>
// clang-format off
#include <psapi.h>
// clang-format on

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

#include "bench/bench_timing.h"
#include "framework/startup.h"
#include "framework/streams.h"
#include "tree/string_tree.h"
#include "tree/tree_unit.h"

using namespace tree;

namespace {

constexpr std::uint32_t kFolders = 1000;
constexpr std::uint32_t kItemsPerFolder = 99;  // with the folders, 100,000 rows
constexpr int kRuns = 3;

TBenchTargets targets;

// A shown tree of numbered rows, as a side panel's: each row's number is its data, saved with it, and its text.
class TRowTree : public TStringTree {
 public:
  TRowTree(HWND parent, int left) : TStringTree(nullptr) {
    (void)SetNodeDataSize(sizeof(std::uint64_t));
    MustLive(SetParentWindow(parent));
    MustLive(SetBounds(left, 0, 390, 560));
    (void)TreeOptions()->SetSelectionOptions(TreeOptions()->SelectionOptions() + TTreeSelectionOption::toMultiSelect);
    OnGetText = [](TBaseTree* tree, PTreeNode node, TColumnIndex, TVSTTextType, String& text) {
      text = L"Row " + std::to_wstring(*tree->GetNodeData<std::uint64_t>(node));
    };
    OnSaveNode = [](TBaseTree* tree, PTreeNode node, TStream& stream) {
      stream.WriteBuffer(tree->GetNodeData<std::uint64_t>(node), sizeof(std::uint64_t));
    };
    OnLoadNode = [](TBaseTree* tree, PTreeNode node, TStream& stream) {
      stream.ReadBuffer(tree->GetNodeData<std::uint64_t>(node), sizeof(std::uint64_t));
    };
    HandleNeeded();
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  }
  using TBaseTree::DoDragging;

  // folders folders of items items each, every folder selected.
  void FillFolders(std::uint32_t folders = kFolders, std::uint32_t items = kItemsPerFolder) {
    (void)BeginUpdate();
    std::uint64_t number = 0;
    for (std::uint32_t f = 0; f < folders; ++f) {
      PTreeNode folder = AddChild(nullptr);
      *GetNodeData<std::uint64_t>(folder) = ++number;
      for (std::uint32_t i = 0; i < items; ++i) *GetNodeData<std::uint64_t>(AddChild(folder)) = ++number;
    }
    (void)EndUpdate();
    for (PTreeNode folder = GetFirstNoInit(); folder; folder = folder->NextSibling) (void)AddToSelection(folder);
  }
};

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// Seconds of the rows of left going over into right, shown beside it: cut or copied to the clipboard and pasted.
double ClipboardTransfer(HWND host, bool cut) {
  TRowTree left(host, 0), right(host, 400);
  left.FillFolders();
  Pump();
  const double seconds = TimeOf([&] {
    if (cut)
      left.CutToClipboard();
    else
      left.CopyToClipboard();
    right.PasteFromClipboard();
    Pump();
  });
  if (right.TotalCount() != kFolders * (kItemsPerFolder + 1) ||
      left.TotalCount() != (cut ? 0u : kFolders * (kItemsPerFolder + 1)))
    targets.Failed("the paste lost rows");
  OleSetClipboard(nullptr);
  return seconds;
}

void SendMouse(DWORD flags, POINT at = POINT{}) {
  if (flags == MOUSEEVENTF_MOVE) SetCursorPos(at.x, at.y);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

void SendKey(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

// Waits, as a person's hand does, until the window has got as far as flag says.
void WaitFor(const std::atomic<bool>& flag) {
  for (int i = 0; i < 30000 && !flag; ++i) Sleep(1);
}

// Seconds from the release of the mouse button to the window's answer, when a person drags the selected rows of
// left onto right, shown beside it: the button pressed on a selected row, the mouse moved over to the other tree,
// with Shift held to move the rows (as the trees' drops decide, copied without it), and let go there. The hand is a
// thread of its own, whose input reaches the trees through the system's input queue.
double DragTransfer(HWND host, bool move, std::uint32_t folders = kFolders, std::uint32_t items = kItemsPerFolder) {
  TRowTree left(host, 0), right(host, 400);
  left.FillFolders(folders, items);
  left.SetDragMode(TDragMode::dmAutomatic);
  // The keys reach the window that has the focus: Shift among them.
  SetForegroundWindow(host);
  MustLive(left.SetFocus());
  std::atomic<bool> dragging{false}, dropping{false};
  left.OnStartDrag = [&](TObject*, TDragObject*&) { dragging = true; };
  right.OnDragOver = [](TBaseTree* tree, TObject* source, TShiftState, TDragState, POINT, TDropMode, DWORD& effect,
                        bool& accept) {
    accept = source && source != tree;
    if (accept && effect != DROPEFFECT_MOVE) effect = DROPEFFECT_COPY;
  };
  right.OnDragDrop = [&](TBaseTree* tree, TObject* source, IDataObject* data, const TFormatArray&, TShiftState, POINT,
                         DWORD& effect, TDropMode) {
    dropping = true;
    tree->ProcessOLEData(ObjectAs<TBaseTree>(source), data, nullptr, TTreeNodeAttachMode::amAddChildLast,
                         effect == DROPEFFECT_MOVE);
  };
  const RECT row = left.GetDisplayRect(left.GetFirstNoInit(), NoColumn, true);
  POINT from{row.left + 5, (row.top + row.bottom) / 2}, to{200, 300};
  ClientToScreen(left.Handle(), &from);
  ClientToScreen(right.Handle(), &to);
  Pump();
  std::atomic<double> released{0};
  std::atomic<bool> handDone{false};
  std::thread hand([&] {
    SendMouse(MOUSEEVENTF_MOVE, from);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 3 && !dragging; ++step) {
      SendMouse(MOUSEEVENTF_MOVE, POINT{from.x + 10 * step, from.y});
      Sleep(30);
    }
    WaitFor(dragging);
    for (int step = 1; step <= 4; ++step) {
      SendMouse(MOUSEEVENTF_MOVE, POINT{from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4});
      Sleep(30);
    }
    // Shift goes down once the pointer rests over the other tree, and the pointer moves no more: each move of the
    // display's pointer tells the window which keys the display holds down, and the display knows nothing of keys
    // sent through the input queue. The drag takes the key as it comes.
    if (move) {
      Sleep(50);
      SendKey(VK_SHIFT, false);
      Sleep(30);
    }
    released = Seconds();
    SendMouse(MOUSEEVENTF_LEFTUP);
    WaitFor(dropping);
    if (move) SendKey(VK_SHIFT, true);
    handDone = true;
  });
  const std::uint32_t all = folders * (items + 1);
  const double start = Seconds();
  while (!(handDone && right.TotalCount() == all && left.TotalCount() == (move ? 0u : all)) &&
         Seconds() - start < 120) {
    Pump();
    Sleep(1);
  }
  Pump();
  const double seconds = Seconds() - released;
  hand.join();
  if (right.TotalCount() != all || left.TotalCount() != (move ? 0u : all)) targets.Failed("the drop lost rows");
  return seconds;
}

// Seconds to paste count top-level rows, selected where they came from, into a tree with multi-selection, where they
// arrive selected; undo: the seconds to delete them there again instead.
double SelectedPaste(std::uint32_t count, bool undo) {
  TStringTree source(nullptr), target(nullptr);
  for (TBaseTree* tree : {static_cast<TBaseTree*>(&source), static_cast<TBaseTree*>(&target)})
    (void)tree->TreeOptions()->SetSelectionOptions(tree->TreeOptions()->SelectionOptions() +
                                                   TTreeSelectionOption::toMultiSelect);
  (void)source.SetRootNodeCount(count);
  (void)source.SelectAll(false);
  source.CopyToClipboard();
  double seconds = TimeOf([&] { target.PasteFromClipboard(); });
  if (target.SelectedCount() != count) targets.Failed("the pasted rows did not arrive selected");
  if (undo) seconds = TimeOf([&] { (void)target.DeleteChildren(nullptr); });
  OleSetClipboard(nullptr);
  return seconds;
}

// Seconds to export as text a tree of 1,000 folders whose 999 children each come only when the export reaches them,
// shown on host or without a window: each folder's children change the tree outside any bracket.
double LazyExport(HWND host) {
  TStringTree tree(nullptr);
  if (host) {
    MustLive(tree.SetParentWindow(host));
    MustLive(tree.SetBounds(0, 0, 390, 560));
    tree.HandleNeeded();
    ShowWindow(tree.Handle(), SW_SHOWNOACTIVATE);
  }
  tree.OnInitNode = [](TBaseTree*, PTreeNode parent, PTreeNode, TTreeNodeInitStates& states) {
    if (!parent) states |= ivsHasChildren;
  };
  tree.OnInitChildren = [](TBaseTree*, PTreeNode, std::uint32_t& count) { count = 999; };
  (void)tree.SetRootNodeCount(1000);
  Pump();
  return TimeOf([&] { tree.ContentToUnicode(TVSTTextSourceType::tstAll, L'\t'); });
}

// Seconds to free a tree of count rows whose copy is on the clipboard: it hands its data over to the clipboard
// for good (OLE's flush), as a window closed after a copy does.
double ClipboardHandover(std::uint32_t count) {
  auto tree = std::make_unique<TStringTree>(nullptr);
  (void)tree->TreeOptions()->SetSelectionOptions(tree->TreeOptions()->SelectionOptions() +
                                                 TTreeSelectionOption::toMultiSelect);
  (void)tree->SetRootNodeCount(count);
  (void)tree->SelectAll(false);
  tree->CopyToClipboard();
  if (tree->SelectedCount() != count) targets.Failed("not every row was copied");
  const double seconds = TimeOf([&] { tree.reset(); });
  OleSetClipboard(nullptr);
  return seconds;
}

// The private bytes of the process: the memory it committed, which Wine reports as its page file use alone.
double PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.PagefileUsage);
}

// The process's private bytes once a tree of a million rows has lost every row: by deleting them all (way 0: the
// selection of all, 1: the root's children, 2: the root's count set to 0), or by Clear (way 3).
double MemoryAfterDeleting(int way) {
  TStringTree tree(nullptr);
  (void)tree.TreeOptions()->SetSelectionOptions(tree.TreeOptions()->SelectionOptions() +
                                                TTreeSelectionOption::toMultiSelect);
  (void)tree.SetRootNodeCount(1000000);
  switch (way) {
    case 0:
      (void)tree.SelectAll(false);
      (void)tree.DeleteSelectedNodes();
      break;
    case 1:
      (void)tree.DeleteChildren(nullptr);
      break;
    case 2:
      (void)tree.SetRootNodeCount(0);
      break;
    default:
      (void)tree.Clear();
  }
  if (tree.TotalCount() != 0) targets.Failed("rows were left");
  return PrivateBytes();
}

}  // namespace

int main() {
  InitializeUnit(FrameworkUnit());
  InitializeUnit(TreeUnit());
  HWND host =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 800, 560, nullptr, nullptr, nullptr, nullptr);

  {
    const double large = BestOf(kRuns, [&] { return ClipboardHandover(300000); });
    const double small = BestOf(kRuns, [&] { return MeanOf(10, [&] { return ClipboardHandover(30000); }); });
    std::printf("a tree freed while its copy is on the clipboard: 300,000 rows %.3f s; 30,000 rows %.4f s\n", large,
                small);
    targets.AtMost("clipboard-handover-300k-vs-30k", large / small, 12.0);
  }
  {
    const double copy = BestOf(kRuns, [&] { return ClipboardTransfer(host, false); });
    const double cut = BestOf(kRuns, [&] { return ClipboardTransfer(host, true); });
    std::printf("100,000 rows into the other shown tree: cut and paste %.3f s; copy and paste %.3f s\n", cut, copy);
    targets.AtMost("cut-paste-100k-vs-copy-paste", cut / copy, 3.0);
  }
  {
    const double copy = BestOf(kRuns, [&] { return DragTransfer(host, false); });
    const double move = BestOf(kRuns, [&] { return DragTransfer(host, true); });
    std::printf("100,000 rows dropped on the other shown tree: moved %.3f s; copied %.3f s\n", move, copy);
    targets.AtMost("move-drag-100k-vs-copy-drag", move / copy, 3.0);
  }
  {
    const double copy = BestOf(kRuns, [&] { return DragTransfer(host, false, 1000000, 0); });
    const double move = BestOf(kRuns, [&] { return DragTransfer(host, true, 1000000, 0); });
    std::printf("1,000,000 rows dropped on the other shown tree: moved %.3f s; copied %.3f s\n", move, copy);
    targets.AtMost("move-drag-1m-vs-copy-drag-1m", move / copy, 1.5);
  }
  {
    const double windowed = BestOf(kRuns, [&] { return LazyExport(host); });
    const double windowless = BestOf(kRuns, [&] { return LazyExport(nullptr); });
    std::printf("export of 1,000 x 999 rows made as the export reaches them: shown %.3f s; without a window %.3f s\n",
                windowed, windowless);
    targets.AtMost("lazy-export-shown-vs-windowless", windowed / windowless, 2.0);
  }
  for (bool undo : {false, true}) {
    const double large = BestOf(kRuns, [&] { return SelectedPaste(1000000, undo); });
    const double small = BestOf(kRuns, [&] { return MeanOf(10, [&] { return SelectedPaste(100000, undo); }); });
    std::printf("selected rows pasted into a multi-selection tree%s: 1,000,000 %.3f s; 100,000 %.4f s\n",
                undo ? ", then deleted" : "", large, small);
    targets.AtMost(undo ? "multiselect-undo-1m-vs-100k" : "multiselect-paste-1m-vs-100k", large / small, 15.0);
  }

  {
    const double cleared = BestOf(kRuns, [] { return MemoryAfterDeleting(3); });
    double deleted = 0;
    for (int way = 0; way < 3; ++way) {
      const double bytes = BestOf(kRuns, [way] { return MemoryAfterDeleting(way); });
      deleted = std::max(deleted, bytes);
    }
    std::printf("private bytes once a million rows are gone: deleted %.1f MB; cleared %.1f MB\n", deleted / 1e6,
                cleared / 1e6);
    targets.AtMost("memory-after-deleting-1m-vs-cleared", deleted / cleared, 1.5);
  }

  DestroyWindow(host);
  FinalizeUnits();
  return targets.ExitCode();
}

// Times the tree's bulk operations against the platform's tree-view (and shows the owner-data list-view beside
// them): creating and clearing a million nodes, position look-ups, appending inside an update bracket, sorting,
// and the process memory a node costs.
#include <windows.h>
// The common controls header needs the platform types first.
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "framework/startup.h"
#include "tree/base_tree.h"
#include "tree/tree_unit.h"

using namespace tree;

namespace {

constexpr std::uint32_t kMillion = 1000000;
constexpr std::uint32_t kHundredThousand = 100000;
constexpr int kLookups = 200000;

double Seconds() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Committed private memory of the process, summed over its address space (the system's own counter is not
// kept everywhere).
SIZE_T PrivateBytes() {
  SIZE_T total = 0;
  MEMORY_BASIC_INFORMATION info{};
  for (char* address = nullptr; VirtualQuery(address, &info, sizeof info) == sizeof info;
       address = static_cast<char*>(info.BaseAddress) + info.RegionSize) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
  }
  return total;
}

void Target(const char* name, double ratio, const char* relation, double limit) {
  std::printf("target %s: %.3f (goal %s %.2f)\n", name, ratio, relation, limit);
}

HWND MakeTreeView(HWND parent) {
  return CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | TVS_HASBUTTONS, 0, 0, 300, 400, parent, nullptr, nullptr,
                         nullptr);
}

double TreeViewInserts(HWND parent, std::uint32_t count, HWND* keep = nullptr) {
  HWND view = MakeTreeView(parent);
  SendMessageW(view, WM_SETREDRAW, FALSE, 0);
  TVINSERTSTRUCTW insert{};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = LPSTR_TEXTCALLBACKW;
  double start = Seconds();
  for (std::uint32_t i = 0; i < count; ++i) SendMessageW(view, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
  double elapsed = Seconds() - start;
  if (keep)
    *keep = view;
  else
    DestroyWindow(view);
  return elapsed;
}

bool WaitForCache(TBaseTree& tree) {
  for (int i = 0; i < 20000; ++i) {
    if (tree.TreeStates().Contains(TTreeState::stUseCache)) return true;
    Sleep(1);
  }
  return false;
}

}  // namespace

int main() {
  InitializeUnit(FrameworkUnit());
  InitializeUnit(ControlsUnit());
  InitializeUnit(TreeUnit());
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&classes);
  HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 320, 420, nullptr, nullptr, nullptr, nullptr);
  std::mt19937 random(1);

  // Memory first, while the heap is fresh: a million nodes of the default data size.
  double rootCountSeconds = 0;
  {
    TBaseTree tree(nullptr);
    tree.SetNodeDataSize(0);
    SIZE_T before = PrivateBytes();
    double start = Seconds();
    tree.SetRootNodeCount(kMillion);
    rootCountSeconds = Seconds() - start;
    double perNode = static_cast<double>(PrivateBytes() - before) / kMillion;
    std::printf("node block size: %zu bytes; process memory per node: %.1f bytes\n", TreeNodeSize, perNode);
    Target("memory_per_node_vs_block", perNode / static_cast<double>(TreeNodeSize), "<=", 1.25);
  }

  // A million nodes at once, against a million tree-view inserts.
  double treeViewMillion = TreeViewInserts(host, kMillion);
  std::printf("RootNodeCount = 1,000,000: %.4f s; tree-view 1,000,000 inserts: %.3f s\n", rootCountSeconds,
              treeViewMillion);
  {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT | LVS_OWNERDATA, 0, 0, 300, 400, host,
                                nullptr, nullptr, nullptr);
    double start = Seconds();
    SendMessageW(list, LVM_SETITEMCOUNT, kMillion, 0);
    std::printf("owner-data list-view item count 1,000,000: %.4f s\n", Seconds() - start);
    DestroyWindow(list);
  }
  Target("root_node_count_vs_treeview_inserts", rootCountSeconds / treeViewMillion, "<=", 0.10);

  // Clearing a million initialized nodes.
  {
    TBaseTree tree(nullptr);
    tree.SetNodeDataSize(sizeof(int));
    tree.OnInitNode = [](TBaseTree*, PTreeNode, PTreeNode, TTreeNodeInitStates&) {};
    std::uint64_t freed = 0;
    tree.OnFreeNode = [&](TBaseTree*, PTreeNode) { ++freed; };
    double start = Seconds();
    tree.SetRootNodeCount(kMillion);
    double create = Seconds() - start;
    for (PTreeNode node = tree.GetFirst(); node; node = tree.GetNext(node)) {
    }
    start = Seconds();
    tree.Clear();
    double clear = Seconds() - start;
    std::printf("Clear of 1,000,000 initialized nodes: %.4f s (%llu freed); their creation: %.4f s\n", clear,
                static_cast<unsigned long long>(freed), create);
    Target("clear_vs_root_node_count", clear / create, "<=", 1.0);
  }

  // Position look-ups anywhere in a million visible rows, against the tree-view's hit test.
  {
    TBaseTree tree(nullptr);
    tree.SetRootNodeCount(kMillion);
    tree.SetChangeDelay(0);
    bool cached = WaitForCache(tree);
    std::uint32_t height = tree.RootNode()->TotalHeight - tree.RootNode()->NodeHeight;
    std::vector<int> ys(kLookups);
    for (int& y : ys) y = static_cast<int>(random() % height);
    std::uintptr_t sink = 0;
    double start = Seconds();
    for (int y : ys) {
      int top = 0;
      sink += reinterpret_cast<std::uintptr_t>(tree.GetNodeAt(0, y, false, top));
    }
    double ours = (Seconds() - start) / kLookups;

    HWND view = nullptr;
    TreeViewInserts(host, 10000, &view);
    SendMessageW(view, WM_SETREDRAW, TRUE, 0);
    int rowHeight = static_cast<int>(SendMessageW(view, TVM_GETITEMHEIGHT, 0, 0));
    TVHITTESTINFO hit{};
    start = Seconds();
    for (int i = 0; i < kLookups; ++i) {
      hit.pt = POINT{10, ys[i] % (20 * std::max(rowHeight, 1))};
      sink += reinterpret_cast<std::uintptr_t>(
          reinterpret_cast<void*>(SendMessageW(view, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))));
    }
    double theirs = (Seconds() - start) / kLookups;
    DestroyWindow(view);
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT | LVS_OWNERDATA, 0, 0, 300, 400, host,
                                nullptr, nullptr, nullptr);
    SendMessageW(list, LVM_SETITEMCOUNT, kMillion, 0);
    LVHITTESTINFO listHit{};
    start = Seconds();
    for (int i = 0; i < kLookups; ++i) {
      listHit.pt = POINT{10, ys[i] % 400};
      sink += static_cast<std::uintptr_t>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&listHit)));
    }
    double listTime = (Seconds() - start) / kLookups;
    DestroyWindow(list);
    std::printf(
        "GetNodeAt in 1,000,000 rows (cache %s): %.3f us; tree-view hit test: %.3f us; owner-data "
        "list-view hit test: %.3f us (%zu)\n",
        cached ? "built" : "missing", ours * 1e6, theirs * 1e6, listTime * 1e6, sink % 10);
    Target("get_node_at_vs_treeview_hit_test", ours / theirs, "<=", 2.0);
  }

  // 100,000 appends inside an update bracket.
  {
    TBaseTree tree(nullptr);
    double start = Seconds();
    tree.BeginUpdate();
    for (std::uint32_t i = 0; i < kHundredThousand; ++i) tree.AddChild(nullptr);
    tree.EndUpdate();
    double ours = Seconds() - start;
    double theirs = TreeViewInserts(host, kHundredThousand);
    std::printf("100,000 AddChild in an update bracket: %.4f s; tree-view 100,000 inserts: %.4f s\n", ours, theirs);
    Target("add_child_vs_treeview_inserts", ours / theirs, "<=", 0.25);
  }

  // Sorting 100,000 siblings by an integer key.
  {
    TBaseTree tree(nullptr);
    tree.SetNodeDataSize(sizeof(int));
    tree.SetRootNodeCount(kHundredThousand);
    std::vector<PTreeNode> nodes;
    for (PTreeNode node = tree.GetFirstNoInit(); node; node = node->NextSibling) {
      *tree.GetNodeData<int>(node) = static_cast<int>(random());
      node->States |= nsInitialized;
      nodes.push_back(node);
    }
    tree.OnCompareNodes = [&tree](TBaseTree*, PTreeNode a, PTreeNode b, TColumnIndex, int& result) {
      int ka = *tree.GetNodeData<int>(a), kb = *tree.GetNodeData<int>(b);
      result = (ka > kb) - (ka < kb);
    };
    double start = Seconds();
    std::sort(nodes.begin(), nodes.end(),
              [&tree](PTreeNode a, PTreeNode b) { return *tree.GetNodeData<int>(a) < *tree.GetNodeData<int>(b); });
    double reference = Seconds() - start;
    start = Seconds();
    tree.Sort(nullptr, 0, TSortDirection::sdAscending, false);
    double ours = Seconds() - start;
    bool ordered = std::is_sorted(nodes.begin(), nodes.end(), [&tree](PTreeNode a, PTreeNode b) {
      return *tree.GetNodeData<int>(a) < *tree.GetNodeData<int>(b);
    });
    std::printf("Sort of 100,000 siblings: %.4f s; std::sort of their pointers: %.4f s (%s)\n", ours, reference,
                ordered ? "checked" : "unordered");
    Target("sort_vs_std_sort", ours / reference, "<=", 3.0);
  }

  DestroyWindow(host);
  FinalizeUnits();
  return 0;
}

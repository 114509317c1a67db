// The in-place editor of the string tree by real key, character and focus messages: where it starts and with what
// text, Enter, Escape, Tab and the arrows, focus loss, growing with the text, an application's own link, and edits
// that end while their node, the tree's content or the tree itself goes.
#include <gtest/gtest.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "paint_tree.h"
#include "test_edit_link.h"
#include "tree/edit/string_edit_link.h"
#include "tree/edit/tree_edit.h"
#include "tree/string_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_error.h"
#include "tree/tree_header.h"

using Microsoft::WRL::ComPtr;

namespace tree_test {
namespace {

using SO = TTreeStringOption;

// A string tree of five top-level nodes "Node 0" .. "Node 4", each with one child "Child n", that records what
// its editing events report.
class TEditTree : public TStringTree {
 public:
  explicit TEditTree(HWND host, std::initializer_list<int> columnWidths = {}) : TStringTree(nullptr) {
    OnGetText = [this](TBaseTree*, PTreeNode node, TColumnIndex column, TVSTTextType, String& text) {
      auto found = texts.find(node);
      if (found != texts.end()) {
        text = found->second;
        return;
      }
      text = (GetNodeLevel(node) == 0 ? L"Node " : L"Child ") + std::to_wstring(node->Index);
      if (column > 0) text += L" col" + std::to_wstring(column);
    };
    OnNewText = [this](TBaseTree*, PTreeNode node, TColumnIndex, const String& text) {
      newTexts.push_back(text);
      texts[node] = text;
    };
    OnEdited = [this](TBaseTree*, PTreeNode, TColumnIndex) { ++edited; };
    OnEditCancelled = [this](TBaseTree*, TColumnIndex) { ++cancelled; };
    EXPECT_TRUE(SetParentWindow(host).Alive());
    EXPECT_TRUE(SetBounds(0, 0, 240, 160).Alive());
    SetBorderStyle(TBorderStyle::bsNone);
    for (int width : columnWidths) EXPECT_TRUE(Header()->Columns()->Add()->SetWidth(width).Alive());
    HandleNeeded();
    EXPECT_TRUE(SetVisible(true).Alive());
    PinColors(*this);
    TreeOptions()->SetMiscOptions(TreeOptions()->MiscOptions() + TTreeMiscOption::toEditable);
    OnInitNode = [](TBaseTree*, PTreeNode parent, PTreeNode, TTreeNodeInitStates& states) {
      if (!parent) states |= ivsHasChildren;
    };
    OnInitChildren = [](TBaseTree*, PTreeNode, std::uint32_t& count) { count = 1; };
    EXPECT_TRUE(SetRootNodeCount(5).Alive());
  }
  using TBaseTree::UpdateEditBounds;

  PTreeNode Row(int index) {
    PTreeNode node = GetFirst();
    while (node && index-- > 0) node = GetNextSibling(node);
    return node;
  }
  void SetStringOption(SO option, bool on) {
    TTreeStringOptions options = TreeOptions()->StringOptions();
    TreeOptions()->SetStringOptions(on ? options + option : options - option);
  }
  // The running editor's control, or null.
  TTreeEdit* Editor() {
    HWND wnd = FindWindowExW(Handle(), nullptr, L"TTreeEdit", nullptr);
    return wnd ? ObjectAs<TTreeEdit>(FindControl(wnd)) : nullptr;
  }
  // The editor's window relative to the tree's client area.
  RECT EditorRect() {
    RECT r{};
    HWND wnd = Editor()->Handle();
    GetWindowRect(wnd, &r);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  void Type(const std::wstring& text) {
    for (wchar_t c : text) SendMessageW(Editor()->Handle(), WM_CHAR, c, 1);
  }
  void Key(WORD key) { SendMessageW(Editor()->Handle(), WM_KEYDOWN, key, 1); }

  std::map<PTreeNode, String> texts;
  std::vector<String> newTexts;
  int edited = 0;
  int cancelled = 0;
};

struct EditorTest : TPaintFixture {
  TEditTree tree{host.Handle()};
  EditorTest() { EXPECT_TRUE(tree.SetFocus().Alive()); }

  // Starts an edit of row's main column with F2.
  void StartByKey(int row) {
    EXPECT_FALSE(tree.SetFocusedNode(tree.Row(row)).TreeGone());
    SendMessageW(tree.Handle(), WM_KEYDOWN, VK_F2, 1);
  }
  int EditorWidth() { return tree.EditorRect().right - tree.EditorRect().left; }
  int TextWidth(const String& text) {
    HDC dc = GetDC(tree.Editor()->Handle());
    HGDIOBJ old = SelectObject(dc, tree.Editor()->Font()->Handle());
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(tree.Editor()->Handle(), dc);
    return size.cx;
  }
};

// The bounds of the black pixels within area; empty when there are none.
RECT InkOf(const TWindowCapture& shot, const RECT& area) {
  RECT ink{area.right, area.bottom, area.left, area.top};
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (shot.Pixel(x, y) == RGB(0, 0, 0)) {
        ink.left = std::min<LONG>(ink.left, x);
        ink.top = std::min<LONG>(ink.top, y);
        ink.right = std::max<LONG>(ink.right, x + 1);
        ink.bottom = std::max<LONG>(ink.bottom, y + 1);
      }
  return ink;
}

TEST_F(EditorTest, F2AndEditNodeStartOverTheNodesText) {
  struct TCase {
    const char* name;
    bool byKey;
    int row;
  };
  const TCase cases[] = {{"F2", true, 1}, {"EditNode", false, 3}};
  for (const TCase& c : cases) {
    PTreeNode node = tree.Row(c.row);
    if (c.byKey)
      StartByKey(c.row);
    else
      ASSERT_TRUE(tree.EditNode(node, NoColumn)) << c.name;
    ASSERT_TRUE(tree.IsEditing()) << c.name;
    TTreeEdit* editor = tree.Editor();
    ASSERT_NE(editor, nullptr) << c.name;
    EXPECT_TRUE(IsWindowVisible(editor->Handle())) << c.name;
    EXPECT_EQ(GetFocus(), editor->Handle()) << c.name;
    EXPECT_EQ(editor->Text(), L"Node " + std::to_wstring(c.row)) << c.name;
    DWORD start = 0, end = 0;
    SendMessageW(editor->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u) << c.name;
    EXPECT_EQ(end, editor->Text().size()) << c.name << ": all selected";
    RECT text = tree.GetDisplayRect(node, NoColumn, true);
    RECT placed = tree.EditorRect();
    EXPECT_EQ(placed.left, text.left) << c.name;
    EXPECT_EQ(placed.top, text.top) << c.name;
    EXPECT_EQ(placed.bottom, text.bottom) << c.name;
    EXPECT_EQ(placed.right - placed.left, TextWidth(editor->Text()) + 2 * tree.TextMargin()) << c.name;
    EXPECT_EQ(editor->Font()->Color(), clBlack) << c.name;
    EXPECT_TRUE(GetWindowLongW(editor->Handle(), GWL_STYLE) & ES_MULTILINE) << c.name;
    const HWND running = editor->Handle();
    SendMessageW(tree.Handle(), WM_KEYDOWN, VK_F2, 1);
    EXPECT_TRUE(IsWindowVisible(running)) << c.name << ": F2 on the tree leaves the running edit alone";
    EXPECT_EQ(tree.Editor()->Handle(), running) << c.name;
    tree.CancelEditNode();
  }
}

TEST_F(EditorTest, AnEditOfAnotherColumnLiesOverThatColumnsText) {
  TEditTree columns(host.Handle(), {100, 120});
  EXPECT_TRUE(columns.SetFocus().Alive());
  PTreeNode node = columns.Row(2);
  ASSERT_TRUE(columns.EditNode(node, 1));
  EXPECT_EQ(columns.Editor()->Text(), L"Node 2 col1");
  RECT text = columns.GetDisplayRect(node, 1, true);
  EXPECT_EQ(columns.EditorRect().left, text.left);
  EXPECT_GE(columns.EditorRect().left, 100) << "inside the second column";
  columns.CancelEditNode();
}

TEST_F(EditorTest, EnterAcceptsAndEscapeDiscards) {
  struct TCase {
    const char* name;
    const wchar_t* typed;
    WORD key;
    std::vector<String> newTexts;
    int edited;
    int cancelled;
    const wchar_t* shown;
  };
  const TCase cases[] = {
      {"typed, then Enter", L"Renamed", VK_RETURN, {L"Renamed"}, 1, 0, L"Renamed"},
      {"Enter without a change", L"", VK_RETURN, {}, 1, 0, L"Node 2"},
      {"typed, then Escape", L"Dropped", VK_ESCAPE, {}, 0, 1, L"Node 2"},
  };
  for (const TCase& c : cases) {
    tree.texts.clear();
    tree.newTexts.clear();
    tree.edited = tree.cancelled = 0;
    StartByKey(2);
    tree.Type(c.typed);
    tree.Key(c.key);
    EXPECT_FALSE(tree.IsEditing()) << c.name;
    EXPECT_EQ(tree.newTexts, c.newTexts) << c.name;
    EXPECT_EQ(tree.edited, c.edited) << c.name;
    EXPECT_EQ(tree.cancelled, c.cancelled) << c.name;
    EXPECT_EQ(tree.Text(tree.Row(2), NoColumn), c.shown) << c.name;
    EXPECT_EQ(GetFocus(), tree.Handle()) << c.name << ": the tree has the focus back";
    // A second end or cancel finds the edit over.
    tree.EndEditNode();
    tree.CancelEditNode();
    EXPECT_EQ(tree.newTexts.size(), c.newTexts.size()) << c.name;
    EXPECT_EQ(tree.edited + tree.cancelled, 1) << c.name;
    PumpFor(30);
  }
}

// Puts text on the clipboard as the only format, owned by window.
void PutOnClipboard(HWND window, const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(window));
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(GlobalLock(block), text.c_str(), bytes);
  GlobalUnlock(block);
  EXPECT_NE(SetClipboardData(CF_UNICODETEXT, block), nullptr);
  CloseClipboard();
}

TEST_F(EditorTest, APasteThatLeavesTheTextAsItWasIsNoNewText) {
  struct TCase {
    const char* name;
    const wchar_t* pasted;
    bool autoAcceptByDestroy;  // end the edit by destroying the tree instead of by Enter
  };
  // The one-line editor does not take a second line; pasting the same text over itself changes nothing either.
  const TCase cases[] = {
      {"several lines, then Enter", L"First\r\nSecond\r\nThird", false},
      {"the same text, then Enter", L"Node 2", false},
      {"the same text, then the tree goes", L"Node 2", true},
  };
  for (const TCase& c : cases) {
    std::vector<String> accepted;
    auto pasteTree = std::make_unique<TEditTree>(host.Handle());
    pasteTree->OnNewText = [&](TBaseTree*, PTreeNode, TColumnIndex, const String& text) { accepted.push_back(text); };
    pasteTree->SetStringOption(SO::toAutoAcceptEditChange, c.autoAcceptByDestroy);
    EXPECT_TRUE(pasteTree->SetFocus().Alive());
    ASSERT_TRUE(pasteTree->EditNode(pasteTree->Row(2), NoColumn)) << c.name;
    TTreeEdit* editor = pasteTree->Editor();
    PutOnClipboard(editor->Handle(), c.pasted);
    SendMessageW(editor->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(editor->Text(), L"Node 2") << c.name;
    if (c.autoAcceptByDestroy) {
      pasteTree.reset();
    } else {
      pasteTree->Key(VK_RETURN);
      EXPECT_FALSE(pasteTree->IsEditing()) << c.name;
    }
    EXPECT_EQ(accepted, std::vector<String>{}) << c.name;
  }
  // A paste that does change the text is new text.
  StartByKey(2);
  PutOnClipboard(tree.Editor()->Handle(), L"Pasted");
  SendMessageW(tree.Editor()->Handle(), WM_PASTE, 0, 0);
  tree.Key(VK_RETURN);
  EXPECT_EQ(tree.newTexts, std::vector<String>{L"Pasted"});
}

TEST_F(EditorTest, FocusLeavingTheEditorEndsTheEdit) {
  TTestWindow elsewhere{RECT{400, 50, 500, 150}};
  struct TCase {
    const char* name;
    bool autoAccept;
    bool typed;
    std::vector<String> newTexts;
    int cancelled;
  };
  const TCase cases[] = {
      {"auto-accept keeps the text", true, true, {L"Left"}, 0},
      {"without auto-accept the text goes", false, true, {}, 1},
      {"auto-accept without a change", true, false, {}, 0},
  };
  for (const TCase& c : cases) {
    tree.newTexts.clear();
    tree.cancelled = 0;
    tree.SetStringOption(SO::toAutoAcceptEditChange, c.autoAccept);
    EXPECT_TRUE(tree.SetFocus().Alive());
    StartByKey(1);
    if (c.typed) tree.Type(L"Left");
    HWND editor = tree.Editor()->Handle();
    ::SetFocus(elsewhere.Handle());
    EXPECT_FALSE(tree.IsEditing()) << c.name;
    EXPECT_FALSE(IsWindowVisible(editor)) << c.name;
    EXPECT_EQ(tree.newTexts, c.newTexts) << c.name;
    EXPECT_EQ(tree.cancelled, c.cancelled) << c.name;
    EXPECT_EQ(GetFocus(), elsewhere.Handle()) << c.name << ": the tree does not take the focus back";
    PumpFor(30);
  }
}

TEST_F(EditorTest, TabStaysAndUpDownMoveTheCaret) {
  StartByKey(0);
  tree.Type(L"abcd");
  HWND editor = tree.Editor()->Handle();
  EXPECT_TRUE(SendMessageW(editor, WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB);
  for (wchar_t swallowed : {L'\t', wchar_t(VK_ESCAPE)}) {
    SendMessageW(editor, WM_CHAR, swallowed, 1);
    EXPECT_EQ(tree.Editor()->Text(), L"abcd") << int(swallowed);
  }
  EXPECT_TRUE(tree.IsEditing());
  struct TCase {
    WORD key;
    DWORD caret;
  };
  SendMessageW(editor, EM_SETSEL, 2, 2);
  const TCase keys[] = {{VK_DOWN, 3}, {VK_DOWN, 4}, {VK_UP, 3}, {VK_LEFT, 2}, {VK_RIGHT, 3}};
  for (const TCase& c : keys) {
    tree.Key(c.key);
    DWORD start = 0, end = 0;
    SendMessageW(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, c.caret) << c.key;
    EXPECT_EQ(end, c.caret) << c.key;
  }
  EXPECT_TRUE(tree.IsEditing()) << "arrows stay in the editor";
  EXPECT_EQ(tree.FocusedNode(), tree.Row(0));
  tree.CancelEditNode();
}

TEST_F(EditorTest, TheEditorGrowsWithItsTextWithinTheClientArea) {
  StartByKey(0);
  const int margins = 2 * tree.TextMargin();
  struct TCase {
    const wchar_t* text;
    bool clipped;
  };
  const TCase cases[] = {
      {L"i", false}, {L"A longer name", false}, {L"A name much too long to fit the width of this tree at all", true}};
  for (const TCase& c : cases) {
    SendMessageW(tree.Editor()->Handle(), EM_SETSEL, 0, -1);
    tree.Type(c.text);
    const int wanted = std::max(30, TextWidth(c.text) + margins);
    const RECT placed = tree.EditorRect();
    if (c.clipped) {
      EXPECT_EQ(placed.right, tree.ClientWidth()) << "never wider than the client area";
      EXPECT_LT(placed.right - placed.left, wanted);
    } else {
      EXPECT_EQ(placed.right - placed.left, wanted);
    }
    EXPECT_EQ(placed.left, tree.GetDisplayRect(tree.Row(0), NoColumn, true).left) << "the left edge stays";
  }
  tree.CancelEditNode();
}

// A renamed node is measured anew: its label, and the selection box framing it, take the new text's width.
TEST_F(EditorTest, ARenamedNodeTakesItsNewTextsWidth) {
  struct TCase {
    const wchar_t* name;
  };
  for (const TCase& c : {TCase{L"A much longer name"}, TCase{L"i"}}) {
    // A selected node: focusing the tree again repaints it whole rather than the focused row alone.
    EXPECT_FALSE(tree.SetSelected(tree.Row(2), true).TreeGone());
    StartByKey(2);
    const int width = TextWidth(c.name) + 2 * tree.TextMargin();
    tree.Type(c.name);
    // The rows are painted while the user types, the edited one measured with the text it still has.
    UpdateWindow(tree.Handle());
    tree.Key(VK_RETURN);
    ASSERT_FALSE(tree.IsEditing());
    UpdateWindow(tree.Handle());
    const RECT label = tree.GetDisplayRect(tree.Row(2), NoColumn, true);
    EXPECT_EQ(label.right - label.left, width) << c.name;
    const TWindowCapture shot = TWindowCapture::OfClient(tree.Handle());
    KeepCaptureForViewing(shot, L"tree_renamed");
    EXPECT_EQ(shot.BoundsOf(kFocusedSelection).right, label.right) << c.name;
  }
}

TEST_F(EditorTest, TheEditorsFrameFollowsTheTreesThemes) {
  for (bool themed : {false, true}) {
    environment.SetVisualStyles(themed);
    TEditTree styled(host.Handle());
    EXPECT_TRUE(styled.SetFocus().Alive());
    ASSERT_TRUE(styled.EditNode(styled.Row(0), NoColumn));
    HWND editor = styled.Editor()->Handle();
    EXPECT_EQ((GetWindowLongW(editor, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, themed) << themed;
    // With themes the client edge frames the edit; without, the edit draws its one-pixel border inside its client
    // area itself (the platform keeps WS_BORDER out of the window style).
    RECT window{}, client{};
    GetWindowRect(editor, &window);
    GetClientRect(editor, &client);
    EXPECT_EQ((window.right - window.left) - client.right, themed ? 4 : 0) << themed;
    styled.CancelEditNode();
  }
}

TEST_F(EditorTest, ColumnAlignmentAndGridExtensionsPlaceTheEditor) {
  struct TCase {
    const char* name;
    TAlignment alignment;
    TBiDiMode biDiMode;
    bool grid;
  };
  const TCase cases[] = {
      {"left-aligned text widens to the right", TAlignment::taLeftJustify, TBiDiMode::bdLeftToRight, false},
      {"right-aligned text widens to the left", TAlignment::taRightJustify, TBiDiMode::bdLeftToRight, false},
      {"left-aligned right-to-left text widens to the left", TAlignment::taLeftJustify, TBiDiMode::bdRightToLeft,
       false},
      {"grid extensions reach the column's edge", TAlignment::taLeftJustify, TBiDiMode::bdLeftToRight, true},
  };
  for (const TCase& c : cases) {
    TEditTree columns(host.Handle(), {60, 150});
    TTreeColumn* column = columns.Header()->Columns()->Items(1);
    column->SetAlignment(c.alignment);
    column->SetBiDiMode(c.biDiMode);
    if (c.grid)
      columns.TreeOptions()->SetMiscOptions(columns.TreeOptions()->MiscOptions() + TTreeMiscOption::toGridExtensions);
    columns.texts[columns.Row(0)] = L"i";
    EXPECT_TRUE(columns.SetFocus().Alive());
    ASSERT_TRUE(columns.EditNode(columns.Row(0), 1)) << c.name;
    const RECT text = columns.GetDisplayRect(columns.Row(0), 1, true);
    const RECT placed = columns.EditorRect();
    const bool towardsLeft = (c.alignment == TAlignment::taRightJustify) != (c.biDiMode != TBiDiMode::bdLeftToRight);
    if (c.grid) {
      EXPECT_EQ(placed.left, text.left) << c.name;
      EXPECT_EQ(placed.right, 210) << c.name;
      columns.Type(L"abc");
      EXPECT_EQ(columns.EditorRect().right, 210) << c.name << ": no auto-size";
    } else {
      EXPECT_EQ(placed.right - placed.left, 30) << c.name << ": never narrower than 30 pixels";
      EXPECT_EQ(towardsLeft ? placed.right : placed.left, towardsLeft ? text.right : text.left) << c.name;
    }
    columns.CancelEditNode();
  }
}

TEST_F(EditorTest, AColumnResizeMovesTheEditor) {
  TEditTree columns(host.Handle(), {60, 120});
  EXPECT_TRUE(columns.SetFocus().Alive());
  ASSERT_TRUE(columns.EditNode(columns.Row(1), 1));
  const LONG before = columns.EditorRect().left;
  EXPECT_TRUE(columns.Header()->Columns()->Items(0)->SetWidth(90).Alive());
  EXPECT_EQ(columns.EditorRect().left, before + 30);
  columns.CancelEditNode();
}

TEST_F(EditorTest, AnApplicationsOwnLinkIsUsed) {
  struct TCase {
    const char* name;
    bool prepares;
    bool begins;
    bool ends;
    bool running;
    std::vector<std::string> calls;
  };
  const TCase cases[] = {
      {"runs and ends", true, true, true, false, {"PrepareEdit", "SetBounds", "BeginEdit", "EndEdit"}},
      {"refuses to end", true, true, false, true, {"PrepareEdit", "SetBounds", "BeginEdit", "EndEdit"}},
      {"cannot prepare", false, true, true, false, {"PrepareEdit"}},
      {"cannot begin", true, false, true, false, {"PrepareEdit", "SetBounds", "BeginEdit"}},
  };
  for (const TCase& c : cases) {
    ComPtr<TRecordingEditLink> link = new TRecordingEditLink();
    link->prepares = c.prepares;
    link->begins = c.begins;
    link->ends = c.ends;
    tree.OnCreateEditor = ProvideLink(link.Get());
    tree.edited = 0;
    const bool started = tree.EditNode(tree.Row(1), NoColumn);
    EXPECT_EQ(started, c.prepares && c.begins) << c.name;
    EXPECT_EQ(tree.Editor(), nullptr) << c.name << ": no default editor";
    if (started) {
      EXPECT_EQ(link->node, tree.Row(1)) << c.name;
      EXPECT_EQ(link->bounds.left, tree.GetDisplayRect(tree.Row(1), NoColumn, true).left) << c.name;
      EXPECT_EQ(tree.EndEditNode(), c.ends) << c.name;
    }
    EXPECT_EQ(tree.IsEditing(), c.running) << c.name;
    EXPECT_EQ(tree.edited, started && c.ends ? 1 : 0) << c.name;
    EXPECT_EQ(link->calls, c.calls) << c.name;
    link->ends = true;
    tree.EndEditNode();
    PumpFor(30);
  }
  tree.OnCreateEditor = [](TBaseTree*, PTreeNode, TColumnIndex, ITreeEditLink*& result) { result = nullptr; };
  try {
    tree.EditNode(tree.Row(1), NoColumn);
    ADD_FAILURE() << "a handler without a link stops the edit";
  } catch (const ETreeError& error) {
    EXPECT_EQ(error.HelpContext(), teEditLinkMissing);
  }
  EXPECT_FALSE(tree.IsEditing());
}

TEST_F(EditorTest, AnEditEndsSafelyWhenItsNodeOrTheContentGoes) {
  struct TCase {
    const char* name;
    bool child;  // the edited node is the child of row 1, else row 1
    std::function<void(TEditTree&)> remove;
  };
  const TCase cases[] = {
      {"the node deleted", false, [](TEditTree& t) { EXPECT_TRUE(t.DeleteNode(t.Row(1)).Alive()); }},
      {"its parent deleted", true, [](TEditTree& t) { EXPECT_TRUE(t.DeleteNode(t.Row(1)).Alive()); }},
      {"the parent's children deleted", true,
       [](TEditTree& t) { EXPECT_FALSE(t.DeleteChildren(t.Row(1), true).TreeGone()); }},
      {"the tree cleared", false, [](TEditTree& t) { EXPECT_TRUE(t.Clear().Alive()); }},
  };
  for (const TCase& c : cases) {
    EXPECT_TRUE(tree.Clear().Alive());
    EXPECT_TRUE(tree.SetRootNodeCount(5).Alive());
    tree.newTexts.clear();
    tree.cancelled = 0;
    PTreeNode node = c.child ? tree.GetFirstChild(tree.Row(1)) : tree.Row(1);
    ASSERT_TRUE(tree.EditNode(node, NoColumn)) << c.name;
    HWND editor = tree.Editor()->Handle();
    tree.Type(L"Orphan");
    c.remove(tree);
    EXPECT_FALSE(tree.IsEditing()) << c.name;
    EXPECT_EQ(tree.cancelled, 1) << c.name;
    EXPECT_FALSE(IsWindowVisible(editor)) << c.name;
    // Keys still reaching the old editor find it stopped.
    SendMessageW(editor, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_TRUE(tree.newTexts.empty()) << c.name << ": no text for a node that went";
    EXPECT_EQ(CheckInvariants(tree), "") << c.name;
    PumpFor(30);
  }

  // A link that refuses to end or cancel cannot keep the focus on a deleted node.
  EXPECT_TRUE(tree.SetRootNodeCount(5).Alive());
  ComPtr<TRecordingEditLink> stubborn = new TRecordingEditLink();
  stubborn->ends = false;
  tree.OnCreateEditor = ProvideLink(stubborn.Get());
  ASSERT_TRUE(tree.EditNode(tree.Row(2), NoColumn));
  EXPECT_TRUE(tree.DeleteNode(tree.Row(2)).Alive());
  EXPECT_EQ(tree.FocusedNode(), nullptr);
  EXPECT_FALSE(tree.IsEditing());
}

TEST_F(EditorTest, TheLinkIsReleasedByThePostedMessageOnlyWhenNoEditRuns) {
  StartByKey(1);
  HWND first = tree.Editor()->Handle();
  tree.Key(VK_RETURN);

  EXPECT_TRUE(IsWindow(first)) << "kept until the posted message";
  MSG posted{};
  ASSERT_TRUE(PeekMessageW(&posted, tree.Handle(), WM_RELEASE_EDIT_LINK, WM_RELEASE_EDIT_LINK, PM_REMOVE));
  EXPECT_EQ(posted.message, 0x801Fu);
  DispatchMessageW(&posted);
  EXPECT_FALSE(IsWindow(first)) << "the link and its editor are gone";

  // OnEdited starting the next edit from inside the old editor's Enter: the old link outlives its own call, and
  // the release posted for it leaves the running edit alone.
  int chained = 0;
  tree.OnEdited = [&](TBaseTree*, PTreeNode, TColumnIndex) {
    if (chained++ == 0) tree.EditNode(tree.Row(3), NoColumn);
  };
  StartByKey(2);
  tree.Type(L"First");
  tree.Key(VK_RETURN);
  ASSERT_TRUE(tree.IsEditing());
  EXPECT_EQ(tree.FocusedNode(), tree.Row(3));
  PumpFor(50);
  ASSERT_TRUE(tree.IsEditing()) << "the release does not touch a running edit";
  EXPECT_EQ(tree.Editor()->Text(), L"Node 3");
  tree.Type(L"Second");
  tree.Key(VK_RETURN);
  EXPECT_EQ(tree.newTexts, (std::vector<String>{L"First", L"Second"}));
}

// The text typed is handed over as the tree goes, but no handler is told that the edit of a tree that goes ended.
TEST_F(EditorTest, DestroyingTheTreeDuringAnEditKeepsTheTextOnlyWithAutoAccept) {
  for (bool autoAccept : {true, false}) {
    std::vector<String> accepted;
    int told = 0;
    ComPtr<ITreeEditLink> heldLink;
    {
      auto doomed = std::make_unique<TEditTree>(host.Handle());
      doomed->OnNewText = [&](TBaseTree*, PTreeNode, TColumnIndex, const String& text) { accepted.push_back(text); };
      doomed->OnEdited = [&told](TBaseTree*, PTreeNode, TColumnIndex) { ++told; };
      doomed->OnEditCancelled = [&told](TBaseTree*, TColumnIndex) { ++told; };
      doomed->SetStringOption(SO::toAutoAcceptEditChange, autoAccept);
      EXPECT_TRUE(doomed->SetFocus().Alive());
      ASSERT_TRUE(doomed->EditNode(doomed->Row(0), NoColumn));
      doomed->Type(L"Kept");
      // The application holds the link past the tree: the editor goes with the tree, once.
      heldLink = doomed->Editor()->Link();
    }
    EXPECT_EQ(accepted, autoAccept ? std::vector<String>{L"Kept"} : std::vector<String>{}) << autoAccept;
    EXPECT_EQ(told, 0) << autoAccept;
    auto* link = static_cast<TStringEditLink*>(heldLink.Get());
    EXPECT_EQ(link->Tree(), nullptr);
    EXPECT_EQ(link->Edit(), nullptr);
    EXPECT_FALSE(link->EndEdit());
    heldLink.Reset();
  }
}

TEST_F(EditorTest, TheRunningEditorIsDrawnOverTheNode) {
  StartByKey(2);
  tree.Type(L"Renaming");
  // The tree's picture leaves the edited cell out; the editor is printed over it where it lies.
  TWindowCapture shot = TWindowCapture::OfClient(tree.Handle());
  const RECT placed = tree.EditorRect();
  POINT origin{};
  SetViewportOrgEx(shot.DC(), placed.left, placed.top, &origin);
  SendMessageW(tree.Editor()->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(shot.DC()),
               PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
  SetViewportOrgEx(shot.DC(), origin.x, origin.y, nullptr);
  KeepCaptureForViewing(shot, L"tree_editor_running");
  // The edit's one-pixel border frames it, and its text lies where the tree draws the other rows' texts.
  const COLORREF border = shot.Pixel(placed.left, (placed.top + placed.bottom) / 2);
  EXPECT_NE(border, kWindowColor);
  const RECT inside{placed.left + 1, placed.top + 1, placed.right - 1, placed.bottom - 1};
  const RECT row1 = tree.GetDisplayRect(tree.Row(1), NoColumn, false);
  const RECT edited = tree.GetDisplayRect(tree.Row(2), NoColumn, false);
  const RECT label{placed.left, row1.top, tree.ClientWidth(), row1.bottom};
  const RECT editorInk = InkOf(shot, inside), treeInk = InkOf(shot, label);
  ASSERT_LT(editorInk.left, editorInk.right) << "black text in the editor";
  EXPECT_NEAR(editorInk.left, treeInk.left, 1) << "the first letter is not scrolled away";
  EXPECT_NEAR(editorInk.top - edited.top, treeInk.top - row1.top, 1) << "on the tree's text line";
  tree.CancelEditNode();
}

}  // namespace
}  // namespace tree_test

// Incremental search by real key messages: the key down arms the search, the character runs it; the owner's
// handler decides what matches.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "paint_tree.h"

namespace tree_test {
namespace {

using IS = TIncrementalSearch;
using SS = TSearchStart;
using SD = TSearchDirection;

struct TSearchTree : TPaintTree {
  using TBaseTree::EndIncrementalSearch;
  using TPaintTree::TPaintTree;
};

// Top level: alpha, bravo, apple (children anchor and beta, collapsed), cobra, avocado. The handler matches nodes
// whose caption starts with the search text, ignoring case.
struct TSearchFixture : TPaintFixture {
  TSearchTree tree{host.Handle(), 300, 180, 0};
  std::map<PTreeNode, std::wstring> captions;

  TSearchFixture() {
    for (const wchar_t* caption : {L"alpha", L"bravo", L"apple", L"cobra", L"avocado"})
      captions[tree.AddChild(nullptr)] = caption;
    PTreeNode apple = Find(L"apple");
    for (const wchar_t* caption : {L"anchor", L"beta"}) captions[tree.AddChild(apple)] = caption;
    tree.OnIncrementalSearch = [this](TBaseTree*, PTreeNode node, const String& text, int& result) {
      const std::wstring& caption = captions[node];
      result = _wcsnicmp(caption.c_str(), text.c_str(), text.size()) == 0 ? 0 : 1;
    };
    tree.SetIncrementalSearch(IS::isAll);
    EXPECT_TRUE(tree.SetFocus().Alive());
  }

  PTreeNode Find(const std::wstring& caption) {
    for (const auto& [node, text] : captions)
      if (text == caption) return node;
    return nullptr;
  }
  std::wstring Focused() { return tree.FocusedNode() ? captions[tree.FocusedNode()] : L"-"; }
  bool Searching() { return tree.TreeStates().Contains(TTreeState::stIncrementalSearching); }

  // A letter as the keyboard delivers it: the key goes down, then its character arrives.
  void Type(wchar_t letter) {
    BYTE none[256]{};
    SetKeyboardState(none);
    SendMessageW(tree.Handle(), WM_KEYDOWN, static_cast<WPARAM>(towupper(letter)), 1);
    SendMessageW(tree.Handle(), WM_CHAR, letter, 1);
  }
};

TEST_F(TSearchFixture, WalksByModeStartAndDirection) {
  struct TCase {
    const char* name;
    IS mode;
    SS start;
    SD direction;
    const wchar_t* focus;  // focused before the first letter; null for none
    // "a=alpha": type a, then alpha has the focus; ">cobra": the focus moves to cobra by hand.
    const wchar_t* script;
  };
  const TCase cases[] = {
      {"repeating the first letter cycles through every node", IS::isAll, SS::ssFocusedNode, SD::sdForward, nullptr,
       L"a=alpha a=apple a=anchor a=avocado a=alpha"},
      {"visible nodes only", IS::isVisibleOnly, SS::ssFocusedNode, SD::sdForward, nullptr,
       L"a=alpha a=apple a=avocado a=alpha"},
      {"backwards from the last node", IS::isAll, SS::ssFocusedNode, SD::sdBackward, nullptr,
       L"a=avocado a=anchor a=apple a=alpha a=avocado"},
      {"visible nodes backwards", IS::isVisibleOnly, SS::ssFocusedNode, SD::sdBackward, nullptr,
       L"a=avocado a=apple a=alpha a=avocado"},
      {"a longer text stays on a node that still matches", IS::isAll, SS::ssFocusedNode, SD::sdForward, nullptr,
       L"a=alpha l=alpha p=alpha x=alpha"},
      {"a longer text finds a later node", IS::isAll, SS::ssFocusedNode, SD::sdForward, nullptr, L"a=alpha v=avocado"},
      {"no match keeps the text typed so far", IS::isAll, SS::ssFocusedNode, SD::sdForward, nullptr,
       L"b=bravo x=bravo e=beta"},
      {"the first letter searches after the focused node", IS::isAll, SS::ssFocusedNode, SD::sdForward, L"cobra",
       L"a=avocado a=alpha"},
      {"the first letter wraps around backwards", IS::isVisibleOnly, SS::ssFocusedNode, SD::sdBackward, L"bravo",
       L"a=alpha a=avocado"},
      {"start over ignores the focus", IS::isAll, SS::ssAlwaysStartOver, SD::sdForward, L"cobra",
       L"a=alpha >cobra a=alpha"},
      {"last hit ignores a focus moved by hand", IS::isAll, SS::ssLastHit, SD::sdForward, L"cobra",
       L"a=alpha >cobra a=apple"},
      {"focused node follows a focus moved by hand", IS::isAll, SS::ssFocusedNode, SD::sdForward, nullptr,
       L"a=alpha >cobra a=avocado"},
      {"a start node outside the visible nodes counts as none", IS::isVisibleOnly, SS::ssFocusedNode, SD::sdForward,
       L"beta", L"a=alpha"},
  };
  for (const TCase& c : cases) {
    EXPECT_TRUE(tree.ClearSelection().Alive());
    EXPECT_FALSE(tree.SetFocusedNode(c.focus ? Find(c.focus) : nullptr).TreeGone());
    EXPECT_TRUE(tree.FullCollapse().Alive());
    tree.SetIncrementalSearch(IS::isNone);
    tree.SetIncrementalSearch(c.mode);
    tree.SetIncrementalSearchStart(c.start);
    tree.SetIncrementalSearchDirection(c.direction);
    std::wistringstream script(c.script);
    for (std::wstring step; script >> step;) {
      if (step[0] == L'>') {
        EXPECT_FALSE(tree.SetFocusedNode(Find(step.substr(1))).TreeGone());
        continue;
      }
      Type(step[0]);
      EXPECT_EQ(Focused(), step.substr(2)) << c.name;
      // A found node is the one selected node.
      EXPECT_EQ(tree.SelectedCount(), 1u) << c.name;
      EXPECT_TRUE(tree.Selected(tree.FocusedNode())) << c.name;
    }
    EXPECT_TRUE(Searching()) << c.name;
  }
}

TEST_F(TSearchFixture, OnlyInitializedNodesTakePart) {
  // Only alpha, apple and its child beta are initialized.
  for (PTreeNode node : AllNodes(tree)) {
    const std::wstring& caption = captions[node];
    if (caption == L"alpha" || caption == L"apple" || caption == L"beta")
      node->States |= nsInitialized;
    else
      node->States &= ~nsInitialized;
  }
  tree.SetIncrementalSearch(IS::isInitializedOnly);
  for (const auto& [letter, focused] : {std::pair{L'a', L"alpha"}, {L'a', L"apple"}, {L'a', L"alpha"}}) {
    Type(letter);
    EXPECT_EQ(Focused(), focused);
  }
  // Backwards from alpha the walk wraps to the last initialized node (beta), not to avocado.
  tree.EndIncrementalSearch();
  tree.SetIncrementalSearchDirection(SD::sdBackward);
  ASSERT_FALSE(Find(L"avocado")->Has(nsInitialized));
  Type(L'a');
  EXPECT_EQ(Focused(), L"apple");
  // Forwards from alpha bravo is passed over.
  tree.EndIncrementalSearch();
  EXPECT_FALSE(tree.SetFocusedNode(Find(L"alpha")).TreeGone());
  ASSERT_FALSE(Find(L"bravo")->Has(nsInitialized));
  tree.SetIncrementalSearchDirection(SD::sdForward);
  Type(L'b');
  EXPECT_EQ(Focused(), L"beta");
}

TEST_F(TSearchFixture, WithoutHandlerEveryNodeMatches) {
  tree.OnIncrementalSearch = nullptr;
  EXPECT_FALSE(tree.SetFocusedNode(Find(L"bravo")).TreeGone());
  Type(L'q');
  EXPECT_EQ(Focused(), L"apple");
  Type(L'q');
  EXPECT_EQ(Focused(), L"anchor");
}

TEST_F(TSearchFixture, TimeoutEndsTheSearch) {
  tree.SetIncrementalSearchTimeout(30);
  Type(L'b');
  EXPECT_EQ(Focused(), L"bravo");
  EXPECT_TRUE(Searching());
  ASSERT_TRUE(PumpUntil([&] { return !Searching(); }));
  // The text is gone: 'a' starts a new search after the focused node instead of looking for "ba".
  Type(L'a');
  EXPECT_EQ(Focused(), L"apple");
}

TEST_F(TSearchFixture, NothingWithoutSearchOrPendingKey) {
  EXPECT_FALSE(tree.SetFocusedNode(Find(L"cobra")).TreeGone());
  tree.SetIncrementalSearch(IS::isNone);
  Type(L'a');
  EXPECT_EQ(Focused(), L"cobra");
  EXPECT_FALSE(Searching());
  // A character without the key down that arms the search is not searched.
  tree.SetIncrementalSearch(IS::isAll);
  SendMessageW(tree.Handle(), WM_CHAR, L'a', 1);
  EXPECT_EQ(Focused(), L"cobra");
  EXPECT_FALSE(Searching());
}

TEST_F(TSearchFixture, ForgetsTheLastFoundNodeWhenItIsDeleted) {
  tree.SetIncrementalSearchStart(SS::ssLastHit);
  Type(L'a');
  Type(L'a');
  ASSERT_EQ(Focused(), L"apple");
  captions.erase(Find(L"anchor"));
  captions.erase(Find(L"beta"));
  captions.erase(Find(L"apple"));
  EXPECT_TRUE(tree.DeleteNode(tree.FocusedNode()).Alive());
  // A node made now may take the deleted node's memory; the search must not start after it.
  captions[tree.InsertNode(Find(L"cobra"), TTreeNodeAttachMode::amInsertAfter)] = L"anvil";
  Type(L'a');
  EXPECT_EQ(Focused(), L"alpha");
}

}  // namespace
}  // namespace tree_test

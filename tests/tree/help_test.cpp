// F1 on a tree: the help context comes from OnGetHelpContext for the focused node and then its parents, else from
// the HelpContext of the tree and its parent controls; the application's help is asked for it.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "framework/application.h"
#include "support/test_window.h"
#include "tree_fixture.h"

namespace tree_test {
namespace {

// Catches the application's help requests instead of opening a help file.
struct THelpCatcher {
  THelpCatcher() {
    saved = Application->OnHelp;
    Application->OnHelp = [this](WORD command, ULONG_PTR data, bool& callHelp) {
      if (command == HELP_CONTEXT) contexts.push_back(static_cast<int>(data));
      callHelp = false;
      return true;
    };
  }
  ~THelpCatcher() { Application->OnHelp = saved; }
  THelpEvent saved;
  std::vector<int> contexts;
};

}  // namespace

TEST(TreeHelp, F1WalksUpNodesThenControls) {
  // A grandchild is focused; the handler answers by level (0 top, 2 grandchild).
  struct TCase {
    const char* name;
    std::map<int, int> byLevel;
    int treeContext;
    int panelContext;
    bool handler;
    std::vector<int> expected;
    std::vector<int> askedLevels;
  };
  const TCase cases[] = {
      {"the focused node answers", {{2, 7}}, 5, 3, true, {7}, {2}},
      {"its parent answers", {{1, 9}}, 5, 3, true, {9}, {2, 1}},
      {"the top node answers", {{0, 4}}, 5, 3, true, {4}, {2, 1, 0}},
      {"the tree's own context", {}, 5, 3, true, {5}, {2, 1, 0}},
      {"the parent control's context", {}, 0, 3, true, {3}, {2, 1, 0}},
      {"no context anywhere", {}, 0, 0, true, {}, {2, 1, 0}},
      {"no handler: no help", {{2, 7}}, 5, 3, false, {}, {}},
  };
  TTestWindow host{RECT{0, 0, 300, 200}};
  for (const TCase& c : cases) {
    TCustomControl panel(nullptr);
    EXPECT_TRUE(panel.SetParentWindow(host.Handle()).Alive());
    EXPECT_TRUE(panel.SetBounds(0, 0, 250, 150).Alive());
    panel.SetHelpContext(c.panelContext);
    TTestTree tree;
    EXPECT_TRUE(tree.SetParent(&panel).Alive());
    tree.SetHelpContext(c.treeContext);
    PTreeNode top = tree.AddChild(nullptr);
    PTreeNode grandchild = tree.AddChild(tree.AddChild(top));
    EXPECT_FALSE(tree.SetFocusedNode(grandchild).TreeGone());
    std::vector<int> asked;
    if (c.handler)
      tree.OnGetHelpContext = [&](TBaseTree* sender, PTreeNode node, TColumnIndex column, int& context) {
        EXPECT_EQ(column, 0);
        int level = static_cast<int>(sender->GetNodeLevel(node));
        asked.push_back(level);
        auto it = c.byLevel.find(level);
        if (it != c.byLevel.end()) context = it->second;
      };
    THelpCatcher help;
    SendMessageW(tree.Handle(), WM_KEYDOWN, VK_F1, 1);
    EXPECT_EQ(help.contexts, c.expected) << c.name;
    EXPECT_EQ(asked, c.askedLevels) << c.name;
  }
}

}  // namespace tree_test

// One gallery main form for a whole test program (building it reads the sample feed and lays out 100,000 tree
// rows), shown on screen, with the theme and page put back after each case; a case that changed the tree page's
// rows leaves a form built anew.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "gallery_form.h"
#include "tree/tree_node.h"

namespace toolbars {
class TBarCustomToolbar;
}
namespace tree {
class TStringTree;
}

class GalleryTest : public testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void TearDown() override;

  static TGalleryForm* Form() { return form_; }
  // Dispatches what is waiting, so that the form has painted and laid itself out.
  static void Settle();
  // Serves messages through the application's own loop, which alone turns keys into short-cuts, until done says so
  // or the time is up; answers done.
  static bool ServeUntil(const std::function<bool()>& done, DWORD milliseconds = 5000);
  // Gives input, which starts a modal loop (a menu, an edit), and answers whether seen came true inside the loop;
  // Escape then ends the loop, and the wait lasts until ended says so. The form is brought to the front first,
  // unless the input is for whichever window has the keyboard now.
  static bool SeenInLoop(
      const std::function<void()>& input, const std::function<bool()>& seen,
      const std::function<bool()>& ended = [] { return true; }, bool formToFront = true);
  // Gives input and answers the caption of the bar's menu that opened (closed again by Escape), or nothing when
  // none opened.
  static String MenuOpenedBy(toolbars::TBarCustomToolbar* bar, const std::function<void()>& input,
                             bool formToFront = true);
  // Alt and key on the keyboard, to the form's menu bar.
  static String MenuOpenedByAltKey(WORD key, bool formToFront = true);
  // Drags with the left button from one screen point to another in a few steps, as a person does, through
  // whatever modal loop the drag starts, until dropped says so after the release; the cursor is put back
  // afterwards. Answers whether the drag ended in time.
  static bool DragWithMouse(POINT from, POINT to, const std::function<bool()>& dropped);
  // Runs a command from the keyboard as a person does: Alt and the menu bar's key, then the keys of the items in
  // turn, each once its menu is open; answers whether the menus closed by the last key (and the item ran).
  static bool ChooseFromMenu(WORD menuKey, std::vector<WORD> itemKeys);

 private:
  static void BuildForm();
  // The rows of both trees of the tree page, as the trees store them.
  static std::string TreeRows();

  static TGalleryForm* form_;
  static std::string startTreeRows_;
};

// Drags the rows selected in from through the system's drag loop, Shift held or not, and drops them on into: on
// row onto, or after the last row when onto is null.
void DropSelection(tree::TStringTree* from, tree::TStringTree* into, tree::PTreeNode onto, bool shift);
// The first row of the tree, in tree order, whose name is name; null when there is none.
tree::PTreeNode FindRow(tree::TStringTree* tree, const String& name);
// The centre of a row's name, on the screen.
POINT RowPoint(tree::TStringTree* tree, tree::PTreeNode node);
// Luminance contrast of two colours as the accessibility guidelines count it: 1 for equal colours, 21 at most.
double Contrast(COLORREF a, COLORREF b);

// Every component below owner, at any depth of the ownership tree, breadth first.
template <class T>
std::vector<T*> OwnedBelow(TComponent* owner) {
  std::vector<T*> found;
  std::vector<TComponent*> pending{owner};
  for (size_t next = 0; next < pending.size(); ++next)
    for (int i = 0; i < pending[next]->ComponentCount(); ++i) {
      TComponent* component = pending[next]->Components(i);
      if (auto* match = ObjectAs<T>(component)) found.push_back(match);
      pending.push_back(component);
    }
  return found;
}

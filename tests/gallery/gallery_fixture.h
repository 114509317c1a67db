// One gallery main form for a whole test program (building it reads the sample feed and lays out 100,000 tree
// rows), shown on screen, with the theme and page put back after each case.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "gallery_form.h"

class GalleryTest : public testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void TearDown() override;

  static TGalleryForm* Form() { return form_; }
  // Dispatches what is waiting, so that the form has painted and laid itself out.
  static void Settle();
  // Presses Alt and key on the keyboard and answers the caption of the menu of the menu bar that opened (closed
  // again by Escape), or nothing when none opened.
  static String MenuOpenedByAltKey(WORD key);

 private:
  static TGalleryForm* form_;
};

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

// Access keys in the gallery: a control on a page that is not shown takes none, so the menu bar gets its keys.
#include <gtest/gtest.h>

#include "controls/tabs/page_control.h"
#include "controls/xp_check_box.h"
#include "framework/messages.h"
#include "gallery_fixture.h"

namespace {

controls::TXP_CheckBox* FindCheckBox(TWinControl* parent, const String& caption) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* child = parent->Controls(i);
    if (auto* box = ObjectAs<controls::TXP_CheckBox>(child); box && box->Caption() == caption) return box;
    if (auto* windowed = ObjectAs<TWinControl>(child))
      if (controls::TXP_CheckBox* found = FindCheckBox(windowed, caption)) return found;
  }
  return nullptr;
}

}  // namespace

TEST_F(GalleryTest, ACheckBoxTakesItsAccessKeyOnlyWhileItsPageIsShown) {
  controls::TXP_CheckBox* title = FindCheckBox(Form(), L"Tit&le");
  ASSERT_NE(title, nullptr);
  // The check box takes the focus with its key; the next tests expect it where it was.
  const HWND focused = GetFocus();
  for (bool pageShown : {false, true}) {
    SCOPED_TRACE(pageShown ? "its page shown" : "another page shown");
    for (int page = 0; page < Form()->Pages()->PageCount(); ++page) {
      Form()->ShowPage(page);
      Settle();
      if (title->Showing() == pageShown) break;
    }
    ASSERT_EQ(title->Showing(), pageShown);
    const bool checked = title->Checked();
    // Alt+L: the form offers the key to its controls before the menu bar gets it.
    EXPECT_EQ(Form()->Perform(CM_DIALOGCHAR, L'l', 0) != 0, pageShown);
    EXPECT_EQ(title->Checked(), pageShown ? !checked : checked);
    title->SetChecked(checked);
    SetFocus(focused);
  }
}

// Access keys in the gallery: a control on a page that is not shown takes none, so the menu bar gets its keys.
#include <gtest/gtest.h>

#include <functional>

#include "controls/tabs/page_control.h"
#include "controls/xp_check_box.h"
#include "framework/combo_box.h"
#include "framework/edit.h"
#include "framework/messages.h"
#include "gallery_fixture.h"
#include "gallery_pages.h"
#include "text_view.h"
#include "tree/string_tree.h"
#include "tree_page.h"

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
    // Alt+L: the form offers the key to its controls before its menu bar gets it.
    EXPECT_EQ(Form()->Perform(CM_DIALOGCHAR, L'l', 0) != 0, pageShown);
    EXPECT_EQ(title->Checked(), pageShown ? !checked : checked);
    title->SetChecked(checked);
    SetFocus(focused);
  }
}

// Alt and a letter no control on the form claims open the menu bar's menu whichever child has the keyboard focus,
// not only while the form itself has it.
TEST_F(GalleryTest, AltHOpensTheHelpMenuWhateverChildHasTheFocus) {
  struct TFocusCase {
    const char* Name;
    const wchar_t* Page;
    std::function<TWinControl*()> Control;
  };
  const TFocusCase cases[] = {
      {"the large tree", L"tree", [] { return Form()->TreePage()->LargeTree(); }},
      {"the small tree", L"tree", [] { return Form()->TreePage()->SmallTree(); }},
      {"the export text", L"tree", [] { return Form()->TreePage()->ExportText(); }},
      {"an edit box", L"framework",
       []() -> TWinControl* {
         for (TEdit* edit : OwnedBelow<TEdit>(Form()))
           if (edit->Showing() && edit->Enabled()) return edit;
         return nullptr;
       }},
      {"the edit of a combo box", L"controls",
       []() -> TWinControl* {
         for (TCustomComboBox* combo : OwnedBelow<TCustomComboBox>(Form()))
           if (combo->Showing() && combo->Enabled()) return combo;
         return nullptr;
       }},
  };
  for (const TFocusCase& each : cases) {
    SCOPED_TRACE(each.Name);
    ASSERT_TRUE(Form()->ShowPage(FindGalleryPage(each.Page)));
    Settle();
    TWinControl* control = each.Control();
    ASSERT_NE(control, nullptr);
    SetForegroundWindow(Form()->Handle());
    control->SetFocus();
    Settle();
    ASSERT_TRUE(GetFocus() == control->Handle() || IsChild(control->Handle(), GetFocus()));
    EXPECT_EQ(MenuOpenedByAltKey(L'H'), L"&Help");
    EXPECT_EQ(MenuOpenedByAltKey(L'F'), L"&File");
  }
}

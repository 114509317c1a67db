// The themed items as the default theme paints them, in a toolbar and in a menu, kept as pictures for a person
// to look at.
#include <gtest/gtest.h>

#include <memory>

#include "bar_host.h"
#include "default_theme_fixture.h"
#include "support/test_window.h"
#include "toolbars/items/item_kinds.h"
#include "toolbars/styled/current_theme.h"
#include "toolbars/styled/custom_list.h"
#include "toolbars/styled/styled_edit_item.h"
#include "toolbars/styled/styled_item.h"
#include "toolbars/views/item_viewer.h"
#include "toolbars/views/view.h"

using namespace toolbars;

namespace {

class TRecentList : public TStyledCustomList {
  BC_CLASS(TRecentList, TStyledCustomList)
  using TStyledCustomList::TStyledCustomList;
  void GetItemText(int index, String& text) override { text = L"Recent page " + std::to_wstring(index + 1); }
  int GetCount() override { return 12; }
};

class StyledGallery : public DefaultThemeTest {
 protected:
  void SetUp() override {
    DefaultThemeTest::SetUp();
    SetCurrentThemeInstance(Theme());
    frame_ = std::make_unique<TTestWindow>(RECT{50, 50, 650, 450});
    images_ = MakeBandImageList();
  }
  void TearDown() override {
    SetCurrentThemeInstance(nullptr);
    DefaultThemeTest::TearDown();
  }
  template <class T = TStyledItem>
  T* Add(TBarCustomItem* parent, const wchar_t* caption, int image = -1) {
    auto* item = new T(&owner_);
    item->SetCaption(caption);
    item->SetImages(images_.get());
    item->SetImageIndex(image);
    parent->Add(item);
    return item;
  }

  TComponent owner_{nullptr};
  std::unique_ptr<TTestWindow> frame_;
  std::unique_ptr<TImageList> images_;
};

TEST_F(StyledGallery, ToolbarAndMenu) {
  auto* bar = new TBarRootItem(&owner_);
  Add(bar, L"Back", 0)->SetDisplayMode(TBarItemDisplayMode::nbdmImageAndText);
  auto* top = Add(bar, L"Top", 0);
  top->SetLayout(TStyledItemLayout::stlGlyphTop);
  top->SetDisplayMode(TBarItemDisplayMode::nbdmImageAndText);
  Add<TStyledSeparatorItem>(bar, L"");
  auto* combo = Add<TStyledSubmenuItem>(bar, L"Combo");
  combo->SetDropdownCombo(true);
  Add(combo, L"child");
  auto* arrow = Add<TStyledSubmenuItem>(bar, L"Arrow");
  arrow->SetOptions(TBarItemOptions{TBarItemOption::tboDropdownArrow});
  Add(arrow, L"child");
  auto* find = Add<TStyledEditItem>(bar, L"");
  find->SetText(L"toolbar text");
  find->SetEditWidth(100);
  auto* toolbar = new bar_host::TBarHostWindow(&owner_, frame_->Handle(), RECT{0, 0, 600, 60}, bar, true);

  auto* menu = new TBarRootItem(&owner_);
  Add(menu, L"&Open\tCtrl+O", 0);
  Add(menu, L"Checked")->SetChecked(true);
  auto* more = Add<TStyledSubmenuItem>(menu, L"More");
  Add(more, L"child");
  Add(menu, L"Disabled")->SetEnabled(false);
  Add<TStyledSeparatorItem>(menu, L"");
  auto* edit = Add<TStyledEditItem>(menu, L"");
  edit->SetEditCaption(L"&Find:");
  edit->SetText(L"secret");
  edit->SetPasswordChar(L'*');
  auto* list = new TRecentList(&owner_);
  EXPECT_TRUE(list->SetItemIndex(2).Alive());
  menu->Add(list);
  auto* popup = new bar_host::TBarHostWindow(&owner_, frame_->Handle(), RECT{0, 80, 300, 400}, menu, false);
  EXPECT_TRUE(popup->View()->SetSelected(popup->View()->Find(menu->ItemAt(0))).Alive());

  const TWindowCapture bars = TWindowCapture::OfClient(toolbar->Handle());
  KeepCaptureForViewing(bars, L"styled_toolbar");
  const TWindowCapture menus = TWindowCapture::OfClient(popup->Handle());
  KeepCaptureForViewing(menus, L"styled_menu");
  // The edit box is filled with the window colour, the menu's image shows, the selected entry is highlighted
  // and the list's chosen entry too.
  const RECT box = toolbar->View()->Find(find)->BoundsRect();
  EXPECT_GT(bars.CountPixels(kWindow, &box), (box.right - box.left) * (box.bottom - box.top) / 4);
  EXPECT_GT(menus.CountPixels(kImageRed), 0);
  const RECT selected = popup->View()->Find(menu->ItemAt(0))->BoundsRect();
  EXPECT_GT(menus.CountPixels(kSelection, &selected), 0);
  const RECT listBounds = popup->View()->Find(list)->BoundsRect();
  EXPECT_GT(menus.CountPixels(kSelection, &listBounds), 0);
}

}  // namespace

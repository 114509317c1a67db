// Where every theme opens menus, submenus, chevron and list pop-ups next to their item: below a menu-bar item and
// left-aligned with it, above it when the monitor ends below, pulled in at the monitor's right edge, submenus beside
// their item. Themes that join a drop-down to its item overlap it by exactly one pixel; none covers the item more.
#include <memory>
#include <string>

#include "framework/form.h"
#include "support/modal_input.h"
#include "theme_fixture.h"
#include "toolbars/popups/popup_window_base.h"
#include "toolbars/styled/current_theme.h"
#include "toolbars/styled/custom_list.h"
#include "toolbars/styled/styled_dock.h"
#include "toolbars/styled/styled_item.h"
#include "toolbars/styled/styled_nexus.h"
#include "toolbars/styled/styled_toolbar.h"
#include "toolbars/views/item_viewer.h"

using namespace toolbars;

namespace {

class TRecentList : public TStyledCustomList {
  BC_CLASS(TRecentList, TStyledCustomList)
  using TStyledCustomList::TStyledCustomList;
  void GetItemText(int index, String& text) override { text = L"Entry " + std::to_wstring(index); }
  int GetCount() override { return 6; }
};

enum class TKind { DropDown, List, Chevron, Submenu };
enum class TEdge { None, Bottom, Right, Left };

struct TPlacementCase {
  TKind Kind;
  TEdge Edge;
};

class PopupPlacement : public ThemeTest {
 protected:
  void SetUp() override {
    ThemeTest::SetUp();
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(TFormBorderStyle::bsNone);
    EXPECT_TRUE(form_->SetBounds(40, 40, 500, 300).Alive());
    auto* dock = new TStyledDock(form_.get());
    EXPECT_TRUE(dock->SetPosition(TBarDockPosition::dpTop).Alive());
    EXPECT_TRUE(dock->SetParent(form_.get()).Alive());

    menuBar_ = AddToolbar(dock, 0);
    EXPECT_TRUE(menuBar_->SetMenuBar(true).Alive());
    file_ = AddItem<TStyledSubmenuItem>(menuBar_->Items(), L"&File");
    newItem_ = AddItem<TStyledSubmenuItem>(file_, L"&New");
    for (const wchar_t* caption : {L"&Window", L"&Tab"}) AddItem<TStyledItem>(newItem_, caption);
    AddItem<TStyledItem>(file_, L"&Open");
    recent_ = AddItem<TStyledSubmenuItem>(menuBar_->Items(), L"&Recent");
    recent_->Add(new TRecentList(form_.get()));

    // More buttons than the form is wide, so the bar shows its chevron.
    links_ = AddToolbar(dock, 1);
    for (int i = 0; i < 40; ++i) AddItem<TStyledItem>(links_->Items(), L"Link");
    EXPECT_TRUE(form_->Show().Alive());
    ProcessPendingMessages();
  }
  void TearDown() override {
    form_.reset();
    SetCurrentTheme(L"Default");
    ProcessPendingMessages();
    ThemeTest::TearDown();
  }

  template <class T>
  T* AddItem(TBarCustomItem* parent, const wchar_t* caption) {
    auto* item = new T(form_.get());
    item->SetCaption(caption);
    parent->Add(item);
    return item;
  }
  TStyledToolbar* AddToolbar(TBarDock* dock, int row) {
    auto* bar = new TStyledToolbar(form_.get());
    bar->SetHideWhenInactive(false);
    EXPECT_TRUE(bar->SetDockRow(row).Alive());
    EXPECT_TRUE(bar->SetCurrentDock(dock).Alive());
    return bar;
  }

  struct TOpened {
    RECT Item;
    RECT Monitor;
    RECT Window;
    POINT NCSize;
  };
  // Opens the case's pop-up from its item with a monitor that ends next to the item on the case's side.
  TOpened Open(const TPlacementCase& c) {
    TBarView* view = (c.Kind == TKind::Chevron ? links_ : menuBar_)->View();
    TBarCustomItem* item = file_;
    if (c.Kind == TKind::Chevron) item = links_->ChevronItem();
    if (c.Kind == TKind::List) item = recent_;
    if (c.Kind == TKind::Submenu) {
      view = Popup(view, file_, false).second;
      item = newItem_;
    }
    EXPECT_TRUE(view->ValidatePositions().Alive());
    TBarItemViewer* viewer = view->Find(item);
    EXPECT_NE(viewer, nullptr);
    if (!viewer) return {};
    TOpened opened{};
    opened.Item = viewer->BoundsRect();
    MapWindowPoints(view->Window()->Handle(), nullptr, reinterpret_cast<POINT*>(&opened.Item), 2);
    RECT& monitor = opened.Monitor;
    // Room for the tallest pop-up on every side but the case's.
    monitor =
        RECT{opened.Item.left - 2000, opened.Item.top - 2000, opened.Item.right + 2000, opened.Item.bottom + 2000};
    if (c.Edge == TEdge::Bottom) monitor.bottom = opened.Item.bottom + 20;
    if (c.Edge == TEdge::Right) monitor.right = opened.Item.right + 20;
    if (c.Edge == TEdge::Left) monitor.left = opened.Item.left;
    view->SetMonitorRect(monitor);
    TBarPopupWindowBase* window = Popup(view, item, c.Kind == TKind::Submenu).first;
    GetWindowRect(window->Handle(), &opened.Window);
    opened.NCSize = window->NCSize();
    menuBar_->View()->CloseChildPopups();
    links_->View()->CloseChildPopups();
    return opened;
  }
  static std::pair<TBarPopupWindowBase*, TBarView*> Popup(TBarView* view, TBarCustomItem* item, bool asSubmenu) {
    TBarPopupWindowBase* window =
        item->CreatePopup(view, view->Find(item), asSubmenu, false, false, POINT{}, TBarPopupAlignment::tbpaLeft);
    return {window, window->View()};
  }

  std::unique_ptr<TForm> form_;
  TStyledToolbar* menuBar_ = nullptr;
  TStyledToolbar* links_ = nullptr;
  TStyledSubmenuItem* file_ = nullptr;
  TStyledSubmenuItem* newItem_ = nullptr;
  TStyledSubmenuItem* recent_ = nullptr;
};

const wchar_t* const kThemes[] = {L"Default", L"Pastel", L"Adaptive", L"Emboss",
                                  L"Gloss",   L"Relief", L"Crystal",  L"Ridge"};

TEST_F(PopupPlacement, EveryThemeOpensPopupsNextToTheirItem) {
  const TPlacementCase cases[] = {{TKind::DropDown, TEdge::None},  {TKind::DropDown, TEdge::Bottom},
                                  {TKind::DropDown, TEdge::Right}, {TKind::List, TEdge::None},
                                  {TKind::List, TEdge::Bottom},    {TKind::Chevron, TEdge::None},
                                  {TKind::Chevron, TEdge::Bottom}, {TKind::Chevron, TEdge::Left},
                                  {TKind::Submenu, TEdge::None},   {TKind::Submenu, TEdge::Right}};
  for (const wchar_t* name : kThemes) {
    SetCurrentTheme(name);
    ProcessPendingMessages();
    ASSERT_NE(links_->ChevronItem(), nullptr);
    const int overlap = CurrentTheme()->BooleanMetric(1) ? 1 : 0;
    for (const TPlacementCase& c : cases) {
      SCOPED_TRACE(testing::Message() << std::string(name, name + wcslen(name)) << " kind " << static_cast<int>(c.Kind)
                                      << " edge " << static_cast<int>(c.Edge));
      const TOpened o = Open(c);
      const RECT& item = o.Item;
      const RECT& window = o.Window;
      if (c.Kind == TKind::Submenu) {
        if (c.Edge == TEdge::Right)
          EXPECT_EQ(window.right, item.left + o.NCSize.x);
        else
          EXPECT_EQ(window.left, item.right - o.NCSize.x);
        EXPECT_EQ(window.top, item.top - o.NCSize.y);
        continue;
      }
      if (c.Edge == TEdge::Bottom)
        EXPECT_EQ(window.bottom, item.top + overlap);
      else
        EXPECT_EQ(window.top, item.bottom - overlap);
      if (c.Edge == TEdge::Right)
        EXPECT_EQ(window.right, o.Monitor.right);
      else if (c.Edge == TEdge::Left)
        EXPECT_EQ(window.left, o.Monitor.left);
      else if (c.Kind == TKind::Chevron)
        EXPECT_EQ(window.right, item.right);
      else
        EXPECT_EQ(window.left, item.left);
    }
  }
}

}  // namespace

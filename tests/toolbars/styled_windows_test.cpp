// The themed windows: their answers to the view-type and colour queries, the floating frame's snapping, and menus
// of a program that starts nothing but the toolbar set.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "framework/startup.h"
#include "styled_windows_fixture.h"
#include "support/test_window.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/popups/popup_window.h"
#include "toolbars/popups/tracking.h"
#include "toolbars/styled/custom_list.h"
#include "toolbars/styled/styled_edit_item.h"
#include "toolbars/styled/styled_floating_window_parent.h"
#include "toolbars/styled/styled_popup_menu.h"
#include "toolbars/styled/styled_popup_window.h"
#include "toolbars/styled/view_queries.h"

using namespace toolbars;

namespace {

class TThreeEntries : public TStyledCustomList {
  BC_CLASS(TThreeEntries, TStyledCustomList)
  using TStyledCustomList::TStyledCustomList;
  void GetItemText(int index, String& text) override { text = std::to_wstring(index); }
  int GetCount() override { return 3; }
};

int ViewTypeOf(TControl* control) { return static_cast<int>(control->Perform(CM_STYLEDVIEWTYPE, 0, 0)); }

// The themed pop-up window a menu shows now, found among the thread's windows by its class.
HWND ShownStyledPopup() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND wnd, LPARAM data) -> BOOL {
        wchar_t name[64]{};
        GetClassNameW(wnd, name, 64);
        if (std::wstring(name).rfind(L"TStyledPopupWindow", 0) == 0 && IsWindowVisible(wnd)) {
          *reinterpret_cast<HWND*>(data) = wnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

TEST_F(StyledWindowsTest, ViewTypesOfBarsAsTheyStand) {
  TStyledToolbar* docked = AddToolbar(Top());
  TStyledToolbar* menuBar = AddToolbar(Top());
  EXPECT_TRUE(menuBar->SetMenuBar(true).Alive());
  TStyledToolbar* onForm = AddToolbar(nullptr);
  TStyledToolbar* floating = AddToolbar(Top());
  Float(floating, POINT{300, 300});
  TStyledToolbar* fixedFloating = AddToolbar(Top());
  fixedFloating->SetResizable(false);
  Float(fixedFloating, POINT{300, 360});
  TStyledToolWindow* tool = AddToolWindow(Left());
  TStyledToolWindow* floatingTool = AddToolWindow(Left());
  Float(floatingTool, POINT{100, 300});

  const struct {
    const char* Name;
    TControl* Window;
    TStyledItemTransparency Transparency;
    int ViewType;
  } cases[] = {
      {"docked toolbar", docked, TStyledItemTransparency::itAuto, 0x1001},
      {"docked toolbar, opaque items", docked, TStyledItemTransparency::itDisable, 0x1201},
      {"menu bar", menuBar, TStyledItemTransparency::itAuto, 0x1002},
      {"toolbar on the form", onForm, TStyledItemTransparency::itAuto, 0x1201},
      {"toolbar on the form, transparent items", onForm, TStyledItemTransparency::itEnable, 0x1001},
      {"floating resizable toolbar", floating, TStyledItemTransparency::itAuto, 0x1C01},
      {"floating toolbar, opaque items", floating, TStyledItemTransparency::itDisable, 0x1E01},
      {"floating fixed toolbar", fixedFloating, TStyledItemTransparency::itAuto, 0x1801},
      {"docked tool window", tool, TStyledItemTransparency::itAuto, 0x1004},
      {"floating tool window", floatingTool, TStyledItemTransparency::itAuto, 0x1C04},
  };
  for (const auto& c : cases) {
    if (auto* bar = ObjectAs<TStyledToolbar>(c.Window)) bar->SetItemTransparency(c.Transparency);
    EXPECT_EQ(ViewTypeOf(c.Window), c.ViewType) << c.Name;
    EXPECT_EQ(GetViewTypeOf(c.Window), c.ViewType) << c.Name;
  }
  EXPECT_TRUE(floating->Floating());
}

TEST_F(StyledWindowsTest, ViewTypesOfPopupsByTheItemThatOpensThem) {
  TComponent owner(nullptr);
  auto* plain = new TStyledSubmenuItem(&owner);
  plain->Add(new TStyledItem(&owner));
  auto* list = new TStyledSubmenuItem(&owner);
  list->Add(new TThreeEntries(&owner));
  auto* listAndMore = new TStyledSubmenuItem(&owner);
  listAndMore->Add(new TThreeEntries(&owner));
  listAndMore->Add(new TStyledItem(&owner));
  auto* edit = new TStyledEditItem(&owner);
  auto* toolBox = new TStyledSubmenuItem(&owner);
  toolBox->SetToolBoxPopup(true);
  auto* root = new TStyledRootItem(&owner);

  using TMake = std::function<TBarPopupWindowBase*(TBarCustomItem*)>;
  const TMake popup = [&](TBarCustomItem* item) { return new TStyledPopupWindow(&owner, nullptr, item, false); };
  const TMake chevron = [&](TBarCustomItem* item) {
    return new TStyledChevronPopupWindow(&owner, nullptr, item, false);
  };
  const struct {
    const char* Name;
    TMake Make;
    TBarCustomItem* Item;
    int ViewType;
  } cases[] = {
      {"submenu", popup, plain, 0x2001},   {"menu's root", popup, root, 0x2001},
      {"list alone", popup, list, 0x2002}, {"list among others", popup, listAndMore, 0x2001},
      {"edit item", popup, edit, 0x2004},  {"tool box", popup, toolBox, 0x2004},
      {"chevron", chevron, plain, 0x2008}, {"chevron of a list", chevron, list, 0x2008},
  };
  for (const auto& c : cases) {
    TBarPopupWindowBase* window = c.Make(c.Item);
    EXPECT_EQ(ViewTypeOf(window), c.ViewType) << c.Name;
    EXPECT_EQ(GetViewType(window->View()), c.ViewType) << c.Name;
    delete window;
  }
  // The classes items name for their pop-ups.
  EXPECT_EQ(plain->GetPopupWindowClass(), TBarPopupWindowClass::Of<TStyledPopupWindow>());
  EXPECT_EQ(edit->GetPopupWindowClass(), TBarPopupWindowClass::Of<TStyledPopupWindow>());
  EXPECT_EQ(root->GetPopupWindowClass(), TBarPopupWindowClass::Of<TStyledPopupWindow>());
  TStyledPopupMenu menu(&owner);
  EXPECT_TRUE(menu.Items()->Is<TStyledRootItem>());
  TMessage query{CM_STYLEDVIEWTYPE, 0, 0, 0};
  menu.Dispatch(query);
  EXPECT_EQ(query.Result, 0x2001);
}

TEST_F(StyledWindowsTest, EffectiveColoursAnsweredToTheColourQuery) {
  SetCurrentTheme(TSignalTheme::kName);
  TStyledToolbar* docked = AddToolbar(Top());
  TStyledToolbar* onForm = AddToolbar(nullptr);
  TStyledToolWindow* tool = AddToolWindow(Left());
  const TColor signal = static_cast<TColor>(TSignalTheme::kView);
  const struct {
    const char* Name;
    TControl* Window;
    TColor Own;
    TColor Effective;
  } cases[] = {
      {"docked toolbar takes the theme's", docked, clNone, signal},
      {"toolbar on the form takes the form's", onForm, clNone, clWindow},
      {"tool window takes the theme's", tool, clNone, signal},
      {"dock takes its parent's", Top(), clNone, clWindow},
      {"a colour of its own wins: toolbar", docked, clRed, clRed},
      {"a colour of its own wins: tool window", tool, clBlue, clBlue},
      {"a colour of its own wins: dock", Top(), clYellow, clYellow},
  };
  for (const auto& c : cases) {
    c.Window->SetColor(c.Own);
    TMessage query{CM_STYLEDEFFECTIVECOLOR, 0, 0, 0};
    c.Window->Dispatch(query);
    EXPECT_EQ(query.Result, 1) << c.Name;
    EXPECT_EQ(static_cast<TColor>(query.WParam), c.Effective) << c.Name;
    EXPECT_EQ(GetEffectiveColor(c.Window), c.Effective) << c.Name;
  }
  auto* orphan = new TStyledDock(nullptr);
  EXPECT_EQ(GetEffectiveColor(orphan), clBtnFace);
  delete orphan;
}

TEST_F(StyledWindowsTest, SnapDistanceBelowZeroIsStoredAsZeroAndReachesTheFloatingFrame) {
  TStyledToolbar* bar = AddToolbar(Top());
  TStyledToolWindow* tool = AddToolWindow(Left());
  for (int value : {-1, -5, INT_MIN}) {
    bar->SetSnapDistance(value);
    tool->SetSnapDistance(value);
    EXPECT_EQ(bar->SnapDistance(), 0) << value;
    EXPECT_EQ(tool->SnapDistance(), 0) << value;
  }
  bar->SetSnapDistance(7);
  Float(bar, POINT{300, 300});
  auto* frame = ObjectAs<TStyledFloatingWindowParent>(bar->FloatParent());
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->SnapDistance(), 7);
  bar->SetSnapDistance(-1);
  EXPECT_EQ(frame->SnapDistance(), 0);
  frame->SetSnapDistance(-3);
  EXPECT_EQ(frame->SnapDistance(), 0);
}

TEST_F(StyledWindowsTest, AFloatingFrameSnapsOntoTheWorkAreasEdges) {
  TStyledToolbar* bar = AddToolbar(Top());
  bar->SetSnapDistance(5);
  Float(bar, POINT{300, 300});
  TBarFloatingWindowParent* frame = bar->FloatParent();
  ASSERT_NE(frame, nullptr);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int w = frame->Width();
  const int h = frame->Height();
  const struct {
    const char* Name;
    POINT To;
    POINT Expected;
  } cases[] = {
      {"3 from the left edge", {work.left + 3, 300}, {work.left, 300}},
      {"3 beyond the left edge", {work.left - 3, 300}, {work.left, 300}},
      {"5 from the left edge stays", {work.left + 5, 300}, {work.left + 5, 300}},
      {"2 from the top edge", {300, work.top + 2}, {300, work.top}},
      {"4 from the right edge", {work.right - w - 4, 300}, {work.right - w, 300}},
      {"1 from the bottom edge", {300, work.bottom - h - 1}, {300, work.bottom - h}},
      {"near a corner", {work.left + 2, work.bottom - h + 3}, {work.left, work.bottom - h}},
      {"far from every edge", {300, 300}, {300, 300}},
  };
  for (const auto& c : cases) {
    SetWindowPos(frame->Handle(), nullptr, c.To.x, c.To.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r{};
    GetWindowRect(frame->Handle(), &r);
    EXPECT_EQ(r.left, c.Expected.x) << c.Name;
    EXPECT_EQ(r.top, c.Expected.y) << c.Name;
  }
  // A change of size is the user's: no snapping then.
  SetWindowPos(frame->Handle(), nullptr, work.left + 3, 300, w + 10, h, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT r{};
  GetWindowRect(frame->Handle(), &r);
  EXPECT_EQ(r.left, work.left + 3);
}

TEST(ToolbarSet, MenusOpenInAProgramThatStartsOnlyTheToolbarSet) {
  // The test program starts the toolbar set and nothing else of the framework's menus.
  EXPECT_TRUE(UnitInitialized(ToolbarsUnit()));
  EXPECT_TRUE(UnitInitialized(PopupsUnit()));
  EXPECT_EQ(DefaultPopupWindowClass(), TBarPopupWindowClass::Of<TBarPopupWindow>());
  TTestWindow frame(RECT{10, 10, 60, 60});
  TComponent owner(nullptr);
  TStyledPopupMenu menu(&owner);
  std::vector<std::wstring> clicked;
  for (const wchar_t* caption : {L"&Open", L"&Save"}) {
    auto* item = new TStyledItem(&owner);
    item->SetCaption(caption);
    item->OnClick = TNotifyEvent([&clicked, caption](TObject*) { clicked.push_back(caption); });
    menu.Items()->Add(item);
  }
  int shownViewType = 0;
  const bool ended = RunModalWithInput(
      [&] {
        PostInputFromLoop(
            [&] {
              if (HWND popup = ShownStyledPopup())
                shownViewType = static_cast<int>(SendMessageW(popup, CM_STYLEDVIEWTYPE, 0, 0));
              PostKeyPress(frame.Handle(), VK_DOWN);
              PostKeyPress(frame.Handle(), VK_DOWN);
              PostKeyPress(frame.Handle(), VK_RETURN);
            },
            50);
      },
      [&] { EXPECT_TRUE(menu.Popup(200, 200).Alive()); });
  ProcessPendingMessages();
  EXPECT_TRUE(ended);
  EXPECT_EQ(shownViewType, 0x2001);
  EXPECT_EQ(clicked, std::vector<std::wstring>{L"&Save"});
}

// The bars of the gallery's main form are the sets' own: a menu bar, toolbars in docks, one cut short by its
// chevron, a tool window on the left, a floating bar over the form that docks at the top when its caption is
// double-clicked, short-cut texts in the menus and a Toolbars menu whose checks follow the bars; a narrow form
// cuts bars with chevrons and scrolls its pages.
#include <climits>
#include <vector>

#include "controls/tabs/page_control.h"
#include "framework/menus.h"
#include "gallery_fixture.h"
#include "gallery_pages.h"
#include "section_sheet.h"
#include "status_line.h"
#include "support/message_pump.h"
#include "support/modal_input.h"
#include "toolbars/bars/tool_window.h"
#include "toolbars/bars/toolbar.h"
#include "toolbars/docks/dock.h"
#include "toolbars/docks/floating_window_parent.h"
#include "toolbars/theme/theme_registry.h"
#include "toolbars/views/item_viewer.h"
#include "toolbars/views/view.h"
#include "tree/string_tree.h"
#include "tree_page.h"

using namespace toolbars;

namespace {

template <class T>
std::vector<T*> ComponentsOf(TComponent* owner) {
  std::vector<T*> found;
  for (int i = 0; i < owner->ComponentCount(); ++i)
    if (auto* component = ObjectAs<T>(owner->Components(i))) found.push_back(component);
  return found;
}

// The item of that caption, its access key marked or not.
TBarCustomItem* FindItem(TBarCustomItem* parent, const String& caption) {
  for (int i = 0; i < parent->Count(); ++i)
    if (parent->ItemAt(i)->Caption() == caption || StripHotkey(parent->ItemAt(i)->Caption()) == caption)
      return parent->ItemAt(i);
  return nullptr;
}

}  // namespace

TEST_F(GalleryTest, TheFormHasDockedToolbarsAChevronAToolWindowAndAFloatingBar) {
  int docked = 0;
  int floating = 0;
  int chevrons = 0;
  for (TBarCustomToolbar* bar : ComponentsOf<TBarCustomToolbar>(Form())) {
    if (bar->Floating()) {
      ++floating;
      EXPECT_TRUE(IsWindowVisible(bar->FloatParent()->Handle()));
      EXPECT_EQ(GetWindow(bar->FloatParent()->Handle(), GW_OWNER), Form()->Handle());
      continue;
    }
    ASSERT_NE(bar->CurrentDock(), nullptr) << testing::PrintToString(bar->Caption());
    ++docked;
    TBarItemViewer* chevron = bar->View()->Find(bar->ChevronItem());
    if (chevron && chevron->Show()) ++chevrons;
  }
  EXPECT_GE(docked, 4);
  EXPECT_EQ(floating, 1);
  EXPECT_GE(chevrons, 1) << "a bar with more than its row holds";
  const auto windows = ComponentsOf<TBarToolWindow>(Form());
  ASSERT_EQ(windows.size(), 1u);
  ASSERT_NE(windows[0]->CurrentDock(), nullptr);
  EXPECT_EQ(windows[0]->CurrentDock()->Position(), TBarDockPosition::dpLeft);
}

TEST_F(GalleryTest, TheMenusHaveSubmenusShortCutsAndOneThemeEntryPerTheme) {
  TBarCustomItem* root = Form()->MenuBar()->Items();
  TBarCustomItem* file = FindItem(root, L"&File");
  ASSERT_NE(file, nullptr);
  TBarCustomItem* open = FindItem(file, L"&Open sample feed");
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->Count(), 3);
  TBarCustomItem* exit = FindItem(file, L"E&xit");
  ASSERT_NE(exit, nullptr);
  EXPECT_EQ(exit->GetShortCutText(), L"Ctrl+Q");
  TBarCustomItem* themes = FindItem(root, L"&Themes");
  ASSERT_NE(themes, nullptr);
  int checked = 0;
  int entries = 0;
  for (int i = 0; i < themes->Count(); ++i) {
    if (themes->ItemAt(i)->GroupIndex() != 2) continue;
    ++entries;
    if (themes->ItemAt(i)->Checked()) {
      ++checked;
      EXPECT_EQ(StripHotkey(themes->ItemAt(i)->Caption()), Form()->ThemeName());
    }
  }
  EXPECT_EQ(entries, static_cast<int>(toolbars::ThemeRegistry().size()));
  EXPECT_EQ(checked, 1);
}

namespace {

TBarCustomDockableWindow* FloatingBar(TGalleryForm* form) {
  for (TBarCustomToolbar* bar : ComponentsOf<TBarCustomToolbar>(form))
    if (bar->Caption() == L"Tools") return bar;
  return nullptr;
}

// A screen point of the floating window's frame where a hit test answers part and where the user reaches the frame,
// none of the gallery's windows in front of it. A form raised by a click into it (an earlier case's) has the frame
// come back in front of it once the window system has told the thread: the look is repeated after every message.
bool FramePoint(TBarCustomDockableWindow* bar, LRESULT part, POINT& found) {
  HWND frameWnd = bar->FloatParent()->Handle();
  return PumpUntil([&] {
    RECT frame;
    GetWindowRect(frameWnd, &frame);
    for (int y = frame.top + 2; y < frame.top + 30; y += 2)
      for (int x = frame.right - 3; x > frame.left; x -= 2) {
        if (WindowFromPoint(POINT{x, y}) != frameWnd) continue;
        if (SendMessageW(frameWnd, WM_NCHITTEST, 0, MAKELPARAM(x, y)) != part) continue;
        found = POINT{x, y};
        return true;
      }
    return false;
  });
}

// Whether the page's scroll bar of that kind has more to show than its page.
bool Scrolls(TWinControl* page, int bar) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(page->Handle(), bar, &info);
  return info.nMax - info.nMin + 1 > static_cast<int>(info.nPage);
}

TBarCustomItem* ToolbarsMenu(TGalleryForm* form) {
  TBarCustomItem* view = FindItem(form->MenuBar()->Items(), L"&View");
  return view ? FindItem(view, L"&Toolbars") : nullptr;
}

}  // namespace

TEST_F(GalleryTest, TheToolbarsMenuChecksFollowTheBarsHoweverTheyClose) {
  TBarCustomItem* toolbarsMenu = ToolbarsMenu(Form());
  ASSERT_NE(toolbarsMenu, nullptr);
  TBarCustomDockableWindow* tools = FloatingBar(Form());
  ASSERT_NE(tools, nullptr);
  TBarCustomItem* toolsItem = FindItem(toolbarsMenu, L"Tools");
  ASSERT_NE(toolsItem, nullptr);
  ASSERT_TRUE(toolsItem->Checked());
  // The bar's own close button, clicked.
  SetForegroundWindow(Form()->Handle());
  Settle();
  POINT close{};
  ASSERT_TRUE(FramePoint(tools, HT_BAR_CLOSE, close));
  SendMouseClick(close);
  ASSERT_TRUE(PumpUntil([&] { return !tools->Visible(); }));
  EXPECT_FALSE(toolsItem->Checked());
  // The menu's item shows it again, checked.
  EXPECT_TRUE(toolsItem->Click().Alive());
  Settle();
  EXPECT_TRUE(tools->Visible());
  EXPECT_TRUE(toolsItem->Checked());
  // Every bar, closed by its own Close, is unchecked; shown again, checked.
  for (int i = 0; i < toolbarsMenu->Count(); ++i) {
    TBarCustomItem* item = toolbarsMenu->ItemAt(i);
    SCOPED_TRACE(testing::PrintToString(item->Caption()));
    TBarCustomDockableWindow* bar = nullptr;
    for (TBarCustomDockableWindow* each : ComponentsOf<TBarCustomDockableWindow>(Form()))
      if (each->Caption() == StripHotkey(item->Caption())) bar = each;
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->Close().Alive());
    EXPECT_FALSE(bar->Visible());
    EXPECT_FALSE(item->Checked());
    EXPECT_TRUE(bar->SetVisible(true).Alive());
    EXPECT_TRUE(item->Checked());
  }
}

TEST_F(GalleryTest, ADoubleClickOnTheFloatingBarsCaptionDocksItAtTheTop) {
  TBarCustomDockableWindow* tools = FloatingBar(Form());
  ASSERT_NE(tools, nullptr);
  ASSERT_TRUE(tools->Floating());
  ASSERT_NE(tools->DefaultDock(), nullptr);
  EXPECT_EQ(tools->DefaultDock()->Position(), TBarDockPosition::dpTop);
  SetForegroundWindow(Form()->Handle());
  Settle();
  POINT caption{};
  ASSERT_TRUE(FramePoint(tools, HT_BAR_CAPTION, caption));
  const POINT where{tools->FloatParent()->Left(), tools->FloatParent()->Top()};
  SendMouseClick(caption);
  SendMouseClick(caption);
  EXPECT_TRUE(PumpUntil([&] { return !tools->Floating(); }));
  EXPECT_EQ(tools->CurrentDock(), tools->DefaultDock());
  // Floating again where it was, for the cases after this one.
  EXPECT_TRUE(tools->FloatOrDock(true).Alive());
  EXPECT_TRUE(tools->PlaceFloating(where).Alive());
  Settle();
  EXPECT_TRUE(tools->Floating());
}

// At 402 pixels the address bar does not fit its row: its chevron offers what the row cuts, and the section pages
// scroll to what they cannot show.
TEST_F(GalleryTest, ANarrowFormShowsChevronsAndScrollBars) {
  const RECT bounds = Form()->BoundsRect();
  for (SIZE size : {SIZE{402, 560}, SIZE{640, 480}, SIZE{200, 150}}) {
    SCOPED_TRACE(testing::Message() << size.cx << " x " << size.cy);
    EXPECT_TRUE(Form()->SetBounds(bounds.left, bounds.top, size.cx, size.cy).Alive());
    Settle();
    EXPECT_GE(Form()->Width(), std::min<int>(size.cx, 400)) << "narrower, the address box would pass the edge";
    for (TBarCustomToolbar* bar : ComponentsOf<TBarCustomToolbar>(Form())) {
      if (bar->Floating() || !bar->CurrentDock() || bar->MenuBar()) continue;
      SCOPED_TRACE(testing::PrintToString(bar->Caption()));
      int hidden = 0;
      for (int i = 0; i < bar->View()->ViewerCount(); ++i)
        if (!bar->View()->Viewers(i)->Show() && bar->View()->Viewers(i)->Item() != bar->ChevronItem()) ++hidden;
      TBarItemViewer* chevron = bar->View()->Find(bar->ChevronItem());
      const bool chevronShown = chevron && chevron->Show();
      EXPECT_EQ(chevronShown, hidden > 0) << hidden << " items cut";
      RECT client;
      GetClientRect(Form()->Handle(), &client);
      const RECT place = bar->BoundsRect();
      if (bar->CurrentDock()->Position() == TBarDockPosition::dpTop) {
        EXPECT_LE(place.right + bar->CurrentDock()->Left(), client.right) << "the bar ends inside the form";
      }
    }
    ASSERT_TRUE(Form()->ShowPage(FindGalleryPage(L"tree")));
    Settle();
    EXPECT_GT(Form()->TreePage()->LargeTree()->Width(), 0) << "both trees keep a share of the page";
    EXPECT_LE(Form()->TreePage()->SmallTree()->Width(), Form()->TreePage()->ClientWidth() / 2);
    for (int page = 0; page < Form()->Pages()->PageCount(); ++page) {
      auto* sheet = ObjectAs<TSectionSheet>(Form()->Pages()->Pages(page));
      if (!sheet) continue;
      ASSERT_TRUE(Form()->ShowPage(page));
      Settle();
      SCOPED_TRACE(testing::PrintToString(sheet->Caption()));
      // The last section is cut by the page's edge: the scroll bars reach it.
      TWinControl* last = sheet->Sections().back();
      const bool cut =
          last->Left() + last->Width() > sheet->ClientWidth() || last->Top() + last->Height() > sheet->ClientHeight();
      ASSERT_TRUE(cut);
      EXPECT_TRUE(Scrolls(sheet, SB_HORZ) || Scrolls(sheet, SB_VERT));
      EXPECT_TRUE(sheet->ScrollTo(POINT{INT_MAX / 2, INT_MAX / 2}).Alive());
      Settle();
      EXPECT_LE(last->Left() + last->Width(), sheet->ClientWidth() + 1);
      EXPECT_LE(last->Top() + last->Height(), sheet->ClientHeight() + 1);
      EXPECT_TRUE(sheet->ScrollTo(POINT{0, 0}).Alive());
    }
  }
  EXPECT_TRUE(
      Form()->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top).Alive());
  ASSERT_TRUE(Form()->ShowPage(FindGalleryPage(L"tree")));
  Settle();
  EXPECT_EQ(Form()->TreePage()->SmallTree()->Width(), 400) << "the wide form gives the right tree its width back";
}

// View > Status line twice from the keyboard: the line goes, and comes back at the bottom edge, under the Find bar.
TEST_F(GalleryTest, TheStatusLineTurnedOffAndOnComesBackUnderTheFindBar) {
  TBarCustomToolbar* find = nullptr;
  for (TBarCustomToolbar* bar : ComponentsOf<TBarCustomToolbar>(Form()))
    if (bar->Caption() == L"Find") find = bar;
  ASSERT_NE(find, nullptr);
  EXPECT_TRUE(find->SetVisible(true).Alive());
  TStatusLine* status = Form()->Status();
  for (bool shown : {false, true}) {
    ASSERT_TRUE(ChooseFromMenu(L'V', {L'S'}));
    ASSERT_TRUE(PumpUntil([&] { return status->Visible() == shown; }));
  }
  Settle();
  RECT client;
  GetClientRect(Form()->Handle(), &client);
  EXPECT_EQ(status->BoundsRect().bottom, client.bottom);
  EXPECT_GE(status->Top(), find->CurrentDock()->BoundsRect().bottom);
}

// The Links bar dragged out of its dock by its grip, as far right as the form's middle: it floats as a block of a
// few rows, its frame (and with it its close button) on the screen.
TEST_F(GalleryTest, TheLinksBarFloatsAsABlockWhoseFrameStaysOnTheScreen) {
  TBarCustomToolbar* links = nullptr;
  for (TBarCustomToolbar* bar : ComponentsOf<TBarCustomToolbar>(Form()))
    if (bar->Caption() == L"Links") links = bar;
  ASSERT_NE(links, nullptr);
  ASSERT_FALSE(links->Floating());
  TBarDock* dock = links->CurrentDock();
  const int row = links->DockRow();
  const int pos = links->DockPos();
  SetForegroundWindow(Form()->Handle());
  Settle();
  RECT bar;
  GetWindowRect(links->Handle(), &bar);
  const POINT from{bar.left + 3, (bar.top + bar.bottom) / 2};
  const RECT form = Form()->BoundsRect();
  const POINT to{(form.left + form.right) / 2 + 60, (form.top + form.bottom) / 2};
  const bool inTime = DragWithMouse(from, to, [&] { return links->Floating(); });
  EXPECT_TRUE(inTime);
  ASSERT_TRUE(links->Floating());
  Settle();
  RECT frame;
  GetWindowRect(links->FloatParent()->Handle(), &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromRect(&frame, MONITOR_DEFAULTTONEAREST), &monitor);
  EXPECT_LE(frame.right, monitor.rcWork.right) << "the frame runs past the screen's edge";
  EXPECT_LT(frame.right - frame.left, (monitor.rcWork.right - monitor.rcWork.left) / 2);
  EXPECT_GT(frame.bottom - frame.top, 2 * (bar.bottom - bar.top)) << "the links wrap into rows";
  EXPECT_TRUE(links->SetDockRow(row).Alive());
  EXPECT_TRUE(links->SetDockPos(pos).Alive());
  EXPECT_TRUE(links->SetCurrentDock(dock).Alive());
  Settle();
  EXPECT_FALSE(links->Floating());
}

#include <gtest/gtest.h>

#include "control_fixtures.h"

using Docking = ControlTest;

TEST_F(Docking, ManualDockMakesTheSiteTheParentAtTheSamePlaceOnScreen) {
  auto* site = Make<TTestPanel>(Form(), {100, 50, 300, 250});
  site->SetDockSite(true);
  auto* client = Make<TTestPanel>(Form(), {120, 70, 170, 100});
  EXPECT_TRUE(Form()->Show().Alive());
  TDragDockObject* dropped = nullptr;
  POINT dropPoint{};
  site->OnDockDrop = [&](TObject*, TDragDockObject* source, int x, int y) {
    dropped = source;
    dropPoint = POINT{x, y};
  };
  ASSERT_TRUE(client->ManualDock(site));
  EXPECT_EQ(client->Parent(), site);
  EXPECT_EQ(client->HostDockSite(), site);
  ASSERT_EQ(site->DockClientCount(), 1);
  EXPECT_EQ(site->DockClients(0), client);
  EXPECT_NE(dropped, nullptr);
  EXPECT_EQ(client->Left(), 20);
  EXPECT_EQ(client->Top(), 20);
  EXPECT_EQ(dropPoint.x, 45);
  EXPECT_EQ(dropPoint.y, 35);
  EXPECT_EQ(GetParent(client->Handle()), site->Handle());
}

TEST_F(Docking, OnlyDockSitesTakeClientsAndTheOldSiteMayRefuse) {
  auto* first = Make<TTestPanel>(Form(), {0, 0, 100, 100});
  auto* second = Make<TTestPanel>(Form(), {100, 0, 200, 100});
  auto* client = Make<TTestPanel>(Form(), {0, 150, 50, 200});
  EXPECT_TRUE(Form()->Show().Alive());
  EXPECT_FALSE(client->ManualDock(first));
  first->SetDockSite(true);
  second->SetDockSite(true);
  ASSERT_TRUE(client->ManualDock(first));
  TControl* leaving = nullptr;
  first->OnUnDock = [&](TObject*, TControl* c, TWinControl* target, bool& allow) {
    leaving = c;
    allow = target != second;
  };
  EXPECT_FALSE(client->ManualDock(second));
  EXPECT_EQ(leaving, client);
  EXPECT_EQ(client->Parent(), first);
  first->OnUnDock = nullptr;
  ASSERT_TRUE(client->ManualDock(second));
  EXPECT_EQ(first->DockClientCount(), 0);
  EXPECT_EQ(second->DockClientCount(), 1);
}

TEST_F(Docking, UndockedControlFloatsInAWindowThatGoesWhenItsClientLeaves) {
  auto* site = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  site->SetDockSite(true);
  auto* client = Make<TTestPanel>(Form(), {10, 10, 60, 40});
  EXPECT_TRUE(Form()->Show().Alive());
  ASSERT_TRUE(client->ManualDock(site));
  POINT before = client->ClientOrigin();
  ASSERT_TRUE(client->ManualDock(nullptr));
  auto* host = ObjectAs<TCustomDockForm>(client->HostDockSite());
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(client->Parent(), host);
  EXPECT_TRUE(IsWindowVisible(host->Handle()));
  POINT after = client->ClientOrigin();
  EXPECT_EQ(after.x, before.x);
  EXPECT_EQ(after.y, before.y);
  EXPECT_GE(host->ClientWidth(), 50);
  HWND hostWindow = host->Handle();
  ASSERT_TRUE(client->ManualDock(site));
  Application->ProcessMessages();
  EXPECT_FALSE(IsWindow(hostWindow));
  EXPECT_EQ(client->Parent(), site);
}

TEST_F(Docking, AFloatingWindowGoesWhenItsClientIsFreed) {
  auto* client = Make<TTestPanel>(Form(), {10, 10, 60, 40});
  EXPECT_TRUE(Form()->Show().Alive());
  ASSERT_TRUE(client->ManualDock(nullptr));
  auto* host = ObjectAs<TCustomDockForm>(client->HostDockSite());
  ASSERT_NE(host, nullptr);
  const HWND hostWindow = host->Handle();
  delete client;
  EXPECT_EQ(host->DockClientCount(), 0);
  Application->ProcessMessages();
  EXPECT_FALSE(IsWindow(hostWindow));
}

namespace {

// Moves the mouse during a drag as the drag's capture window hears it.
void DragMouseTo(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  HWND capture = GetCapture();
  ASSERT_NE(capture, nullptr);
  POINT client = screen;
  ScreenToClient(capture, &client);
  SendMessageW(capture, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(client.x, client.y));
}

}  // namespace

TEST_F(Docking, DockDragDocksIntoTheSiteUnderTheMouse) {
  auto* site = Make<TTestPanel>(Form(), {200, 0, 390, 200});
  site->SetDockSite(true);
  auto* client = Make<TTestPanel>(Form(), {10, 10, 60, 40});
  client->SetDragKind(TDragKind::dkDock);
  EXPECT_TRUE(Form()->Show().Alive());
  std::vector<TDragState> states;
  site->OnDockOver = [&](TObject*, TDragDockObject*, int, int, TDragState state, bool&) { states.push_back(state); };
  TObject* endTarget = nullptr;
  bool ended = false;
  client->OnEndDock = [&](TObject*, TObject* target, int, int) {
    ended = true;
    endTarget = target;
  };
  POINT start = client->ClientToScreen(POINT{5, 5});
  SetCursorPos(start.x, start.y);
  EXPECT_TRUE(client->BeginDrag(false).Alive());
  DragMouseTo(site->ClientToScreen(POINT{50, 50}));
  DragMouseTo(site->ClientToScreen(POINT{60, 60}));
  ASSERT_GE(states.size(), 2u);
  EXPECT_EQ(states[0], TDragState::dsDragEnter);
  EXPECT_EQ(states.back(), TDragState::dsDragMove);
  SendMessageW(GetCapture(), WM_LBUTTONUP, 0, 0);
  EXPECT_TRUE(ended);
  EXPECT_EQ(endTarget, site);
  EXPECT_EQ(client->HostDockSite(), site);
  EXPECT_EQ(client->Parent(), site);
}

TEST_F(Docking, DockDragDroppedAwayFromEverySiteFloats) {
  auto* site = Make<TTestPanel>(Form(), {200, 0, 390, 200});
  site->SetDockSite(true);
  auto* client = Make<TTestPanel>(Form(), {10, 10, 60, 40});
  client->SetDragKind(TDragKind::dkDock);
  ASSERT_TRUE(client->ManualDock(site));
  EXPECT_TRUE(Form()->Show().Alive());
  bool refused = false;
  site->OnGetSiteInfo = [&](TObject*, TControl*, RECT&, POINT, bool& canDock) {
    canDock = false;
    refused = true;
  };
  POINT start = client->ClientToScreen(POINT{5, 5});
  SetCursorPos(start.x, start.y);
  EXPECT_TRUE(client->BeginDrag(true).Alive());
  POINT away = Form()->ClientToScreen(POINT{20, 250});
  DragMouseTo(away);
  SendMessageW(GetCapture(), WM_LBUTTONUP, 0, 0);
  EXPECT_TRUE(refused);
  auto* host = ObjectAs<TCustomDockForm>(client->HostDockSite());
  ASSERT_NE(host, nullptr);
  POINT origin = client->ClientOrigin();
  EXPECT_EQ(origin.x, away.x - 5);
  EXPECT_EQ(origin.y, away.y - 5);
  EXPECT_EQ(site->DockClientCount(), 0);
}

#include "toolbars/bars/tool_window.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "dock_fixture.h"
#include "framework/ini_files.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/docks/dock_positions.h"

using namespace toolbars;

namespace {

// The docked frame of a window with the single drag handle: 2 pixels around, the handle across the row's start.
constexpr int kFrame = 4;
constexpr int kHandle = 6;

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

class ToolWindow : public DockFormTest {
 protected:
  TBarToolWindow* NewWindow(SIZE client, const wchar_t* name = L"Panel") {
    auto* window = new TBarToolWindow(Form());
    window->SetName(name);
    window->SetHideWhenInactive(false);
    EXPECT_TRUE(window->SetParent(Form()).Alive());
    EXPECT_TRUE(window->SetClientAreaSize(client.cx, client.cy).Alive());
    return window;
  }
};

}  // namespace

TEST_F(ToolWindow, KeepsItsClientSizeWhereverItIs) {
  TBarToolWindow* window = NewWindow(SIZE{120, 80});
  EXPECT_EQ(window->ClientAreaWidth(), 120);
  EXPECT_EQ(window->ClientAreaHeight(), 80);
  EXPECT_EQ(window->StoredClientWidth(), 120);
  EXPECT_EQ(window->StoredClientHeight(), 80);
  int minWidth = 0, minHeight = 0, maxWidth = -1, maxHeight = -1;
  window->MinMaxClientSize(minWidth, minHeight, maxWidth, maxHeight);
  EXPECT_EQ(minWidth, 32);
  EXPECT_EQ(minHeight, 32);
  EXPECT_EQ(maxWidth, 0);
  EXPECT_EQ(maxHeight, 0);

  enum class TPlace { kTop, kLeft, kLeftFullSize, kLeftStretch, kFloating };
  struct TCase {
    TPlace Place;
    SIZE Client;
  };
  const int leftDockHeight = Dock(2)->ClientHeight();
  const TCase cases[] = {
      {TPlace::kTop, {120, 80}},
      {TPlace::kLeft, {120, 80}},
      // As tall as the dock's client area less its own frame.
      {TPlace::kLeftFullSize, {120, leftDockHeight - kFrame - kHandle}},
      // Stretched from the smallest height to the end of the row.
      {TPlace::kLeftStretch, {120, leftDockHeight - kFrame - kHandle}},
      {TPlace::kFloating, {120, 80}},
  };
  for (const TCase& c : cases) {
    EXPECT_TRUE(window->SetFullSize(c.Place == TPlace::kLeftFullSize).Alive());
    EXPECT_TRUE(window->SetStretch(c.Place == TPlace::kLeftStretch).Alive());
    switch (c.Place) {
      case TPlace::kTop:
        EXPECT_TRUE(window->SetCurrentDock(Top()).Alive());
        break;
      case TPlace::kFloating:
        EXPECT_TRUE(window->FloatOrDock(true).Alive());
        break;
      default:
        EXPECT_TRUE(window->SetCurrentDock(Dock(2)).Alive());
        break;
    }
    ProcessPendingMessages();
    EXPECT_EQ(window->ClientWidth(), c.Client.cx) << static_cast<int>(c.Place);
    EXPECT_EQ(window->ClientHeight(), c.Client.cy) << static_cast<int>(c.Place);
    SIZE base{};
    EXPECT_TRUE(window->BaseSize(base).Alive());
    if (c.Place == TPlace::kLeftStretch) {
      EXPECT_EQ(base.cy, 32) << "the dock stretches it from its minimum";
    }
  }
}

TEST_F(ToolWindow, SettingOneClientLengthKeepsTheOther) {
  TBarToolWindow* window = NewWindow(SIZE{100, 60});
  EXPECT_TRUE(window->SetCurrentDock(Top()).Alive());
  ProcessPendingMessages();
  const int height = window->Height();
  EXPECT_TRUE(window->SetClientAreaHeight(90).Alive());
  ProcessPendingMessages();
  EXPECT_EQ(window->ClientAreaHeight(), 90);
  EXPECT_EQ(window->ClientAreaWidth(), 100);
  EXPECT_EQ(window->Height(), height + 30);
}

TEST_F(ToolWindow, FloatingSizingStopsAtTheClientLimits) {
  struct TCase {
    int Dx;
    int MaxClientWidth;
    int ClientWidth;
  };
  const TCase cases[] = {
      {-80, 0, 40},      // shrinking, down to the minimum of 40
      {+200, 0, 300},    // growing freely
      {+200, 150, 150},  // growing up to the maximum
  };
  for (const TCase& c : cases) {
    TBarToolWindow* window = NewWindow(SIZE{100, 60});
    window->SetMinClientWidth(40);
    window->SetMaxClientWidth(c.MaxClientWidth);
    EXPECT_TRUE(window->PlaceFloating(POINT{150, 150}).Alive());
    EXPECT_TRUE(window->FloatOrDock(true).Alive());
    ProcessPendingMessages();
    ASSERT_EQ(window->ClientWidth(), 100);
    const RECT frame = window->FloatParent()->BoundsRect();
    const POINT edge{frame.right - 2, (frame.top + frame.bottom) / 2};
    SendMouseDrag(edge, {POINT{edge.x + c.Dx, edge.y}});
    ProcessPendingMessages();
    EXPECT_EQ(window->ClientWidth(), c.ClientWidth) << c.Dx;
    EXPECT_EQ(window->StoredClientWidth(), c.ClientWidth) << c.Dx;
    delete window;
  }
}

TEST_F(ToolWindow, StoredClientSizesAreReadOnlyForResizableWindows) {
  struct TCase {
    bool Resizable;
    SIZE Client;
  };
  const TCase cases[] = {{true, {150, 90}}, {false, {100, 60}}};
  for (const TCase& c : cases) {
    TBarToolWindow* window = NewWindow(SIZE{100, 60}, L"Stored");
    window->SetResizable(c.Resizable);
    TMemIniFile ini(L"");
    TIniDockPositionStore store(ini, L"Pos.");
    SaveDockablePositions(Form(), store);
    EXPECT_EQ(ini.ReadString(L"Pos.Stored", L"ClientWidth", L""), L"100");
    EXPECT_EQ(ini.ReadString(L"Pos.Stored", L"ClientHeight", L""), L"60");
    ini.WriteString(L"Pos.Stored", L"ClientWidth", L"150");
    ini.WriteString(L"Pos.Stored", L"ClientHeight", L"90");
    LoadDockablePositions(Form(), store);
    EXPECT_EQ(window->StoredClientWidth(), c.Client.cx) << c.Resizable;
    EXPECT_EQ(window->StoredClientHeight(), c.Client.cy) << c.Resizable;
    delete window;
  }
}

TEST_F(ToolWindow, StoredClientSizesStayWithinTheLimitsAndTheMonitor) {
  const RECT work = GetRectOfMonitorContainingPoint(POINT{100, 100}, true);
  // The client area of the largest floating window the work area holds.
  POINT frameTopLeft{};
  POINT frameBottomRight{};
  NewWindow(SIZE{10, 10}, L"Measure")->GetFloatingNCArea(frameTopLeft, frameBottomRight);
  const int monitorWidth = work.right - work.left - frameTopLeft.x - frameBottomRight.x;
  const int monitorHeight = work.bottom - work.top - frameTopLeft.y - frameBottomRight.y;
  struct TCase {
    const wchar_t* Width;
    const wchar_t* Height;
    int MaxClientWidth;
    SIZE Client;
  };
  const TCase cases[] = {
      {L"2000000000", L"-50", 0, {monitorWidth, 40}},
      {L"2147483647", L"2147483647", 0, {monitorWidth, monitorHeight}},
      {L"-2147483648", L"0", 0, {50, 40}},
      {L"300", L"70", 200, {200, 70}},
      {L"150", L"90", 0, {150, 90}},
  };
  for (const TCase& c : cases) {
    TBarToolWindow* window = NewWindow(SIZE{100, 60}, L"Hostile");
    window->SetMinClientWidth(50);
    window->SetMinClientHeight(40);
    window->SetMaxClientWidth(c.MaxClientWidth);
    EXPECT_TRUE(window->SetCurrentDock(Top()).Alive());
    TMemIniFile ini(L"");
    TIniDockPositionStore store(ini, L"Pos.");
    SaveDockablePositions(Form(), store);
    ini.WriteString(L"Pos.Hostile", L"ClientWidth", c.Width);
    ini.WriteString(L"Pos.Hostile", L"ClientHeight", c.Height);
    LoadDockablePositions(Form(), store);
    ProcessPendingMessages();
    EXPECT_EQ(window->StoredClientWidth(), c.Client.cx) << c.Width;
    EXPECT_EQ(window->StoredClientHeight(), c.Client.cy) << c.Height;
    EXPECT_GE(window->ClientHeight(), 0);
    EXPECT_LE(Top()->Height(), monitorHeight + 2 * kFrame) << "the dock does not cover the form";
    delete window;
  }
}

TEST_F(ToolWindow, StoredSizesKeepTheWindowInsideItsFormOrWorkArea) {
  const RECT work = GetRectOfMonitorContainingPoint(POINT{100, 100}, true);
  TBarToolWindow* docked = NewWindow(SIZE{100, 60}, L"Docked");
  EXPECT_TRUE(docked->SetCurrentDock(Dock(2)).Alive());
  TBarToolWindow* floating = NewWindow(SIZE{100, 60}, L"Floating");
  EXPECT_TRUE(floating->SetCurrentDock(Top()).Alive());
  TMemIniFile ini(L"");
  TIniDockPositionStore store(ini, L"Pos.");
  SaveDockablePositions(Form(), store);
  ini.WriteString(L"Pos.Docked", L"ClientWidth", L"2000000000");
  ini.WriteString(L"Pos.Floating", L"ClientHeight", L"1024");
  ini.WriteString(L"Pos.Floating", L"Floating", L"1");
  ini.WriteString(L"Pos.Floating", L"FloatLeft", L"40");
  ini.WriteString(L"Pos.Floating", L"FloatTop", std::to_wstring(work.top + 30).c_str());
  LoadDockablePositions(Form(), store);
  ProcessPendingMessages();
  EXPECT_LE(Dock(2)->Width(), Form()->ClientWidth()) << "the left dock stays inside the form";
  EXPECT_LE(docked->Width(), Form()->ClientWidth());
  ASSERT_TRUE(floating->Floating());
  const RECT frame = floating->FloatParent()->BoundsRect();
  EXPECT_GE(frame.top, work.top);
  EXPECT_LE(frame.bottom, work.bottom);
  EXPECT_LE(frame.right, work.right);
}

// A form laid out as a browser's window (a menu bar, three rows of bars and a panel on top, a find bar at the bottom,
// a bar on the right) restores a panel's stored size whatever the file says: docked on any edge the panel is as
// long as its dock at most and leaves the other docks and their bars inside the form; floating, it stays inside the
// work area.
TEST_F(ToolWindow, HostileStoredSizesKeepEveryBarInsideTheForm) {
  AddBar(Top(), SIZE{200, 20}, 0, 0, L"MenuBar");
  AddBar(Top(), SIZE{250, 20}, 1, 0, L"StandardBar");
  AddBar(Top(), SIZE{260, 20}, 2, 0, L"AddressBar");
  AddBar(Top(), SIZE{200, 20}, 2, 300, L"LinksBar");
  EXPECT_TRUE(AddBar(Bottom(), SIZE{300, 20}, 0, 0, L"FindBar")->SetCloseButtonWhenDocked(true).Alive());
  TPlainBar* side = AddBar(Dock(3), SIZE{60, 20}, 0, 0, L"SideBar");
  side->Turns = true;
  TBarToolWindow* panel = NewWindow(SIZE{180, 300}, L"Panel");
  EXPECT_TRUE(panel->SetCurrentDock(Dock(2)).Alive());
  ProcessPendingMessages();
  const RECT work = GetRectOfMonitorContainingPoint(POINT{100, 100}, true);
  RECT client = Form()->ClientRect();
  MapWindowPoints(Form()->Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);

  const wchar_t* const docks[] = {L"TopDock", L"BottomDock", L"LeftDock", L"RightDock", L""};
  struct TSize {
    const wchar_t* Width;
    const wchar_t* Height;
  };
  const TSize sizes[] = {{L"0", L"0"},           {L"-1", L"-1"},
                         {L"100000", L"100000"}, {L"2147483647", L"2147483647"},
                         {L"100000", L"0"},      {L"-1", L"2147483647"}};
  for (const wchar_t* dock : docks) {
    for (const TSize& size : sizes) {
      const std::wstring trace = std::wstring(*dock ? dock : L"floating") + L" " + size.Width + L"x" + size.Height;
      SCOPED_TRACE(std::string(trace.begin(), trace.end()));
      TMemIniFile ini(L"");
      TIniDockPositionStore store(ini, L"Pos.");
      SaveDockablePositions(Form(), store);
      ini.WriteString(L"Pos.Panel", L"Dock", *dock ? dock : L"LeftDock");
      ini.WriteString(L"Pos.Panel", L"Row", L"1");
      ini.WriteString(L"Pos.Panel", L"Floating", *dock ? L"0" : L"1");
      ini.WriteString(L"Pos.Panel", L"FloatLeft", L"100");
      ini.WriteString(L"Pos.Panel", L"FloatTop", L"100");
      ini.WriteString(L"Pos.Panel", L"ClientWidth", size.Width);
      ini.WriteString(L"Pos.Panel", L"ClientHeight", size.Height);
      LoadDockablePositions(Form(), store);
      ProcessPendingMessages();

      for (int i = 0; i < Form()->ControlCount(); ++i) {
        auto* dockControl = ObjectAs<TBarDock>(Form()->Controls(i));
        if (!dockControl) continue;
        EXPECT_TRUE(Inside(ScreenRect(dockControl->Handle()), client)) << dockControl->Name();
        for (int j = 0; j < dockControl->ToolbarCount(); ++j)
          EXPECT_TRUE(Inside(ScreenRect(dockControl->Toolbars(j)->Handle()), client))
              << dockControl->Toolbars(j)->Name() << " on " << dockControl->Name();
      }
      if (!*dock) {
        ASSERT_TRUE(panel->Floating());
        EXPECT_TRUE(Inside(ScreenRect(panel->FloatParent()->Handle()), work));
        continue;
      }
      // A panel asked to be huge takes the whole length of its dock, no more.
      ASSERT_TRUE(panel->Docked());
      TBarDock* holder = panel->CurrentDock();
      if (size.Height[0] == L'2' && holder->IsVertical()) {
        EXPECT_EQ(panel->Top() + panel->Height(), holder->ClientHeight());
      }
      if (size.Width[0] == L'1' && !holder->IsVertical()) {
        EXPECT_EQ(panel->Left() + panel->Width(), holder->ClientWidth());
      }
    }
  }
}

// Bars too wide for a side dock of a narrow form or too deep for a top or bottom dock of a short one, beside a panel
// with a hostile stored size: every dock stays inside the form and so does what shows of every bar (its dock clips
// the rest); once the form is large again, everything lies where it lay before the form was small.
TEST_F(ToolWindow, DocksOfASmallFormStayInsideIt) {
  const wchar_t* const smallBars[] = {L"TopBar", L"BottomBar", L"LeftBar", L"RightBar"};
  for (int i = 0; i < 4; ++i) AddBar(Dock(i), SIZE{60, 20}, 0, 0, smallBars[i])->Turns = true;
  const RECT large = Form()->BoundsRect();
  auto clientOnScreen = [&] {
    RECT client = Form()->ClientRect();
    MapWindowPoints(Form()->Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
  };
  auto layout = [&] {
    std::vector<RECT> rects;
    for (int i = 0; i < 4; ++i) {
      rects.push_back(Dock(i)->BoundsRect());
      for (int j = 0; j < Dock(i)->ToolbarCount(); ++j) rects.push_back(Dock(i)->Toolbars(j)->BoundsRect());
    }
    return rects;
  };
  const SIZE smallForms[] = {{300, 400}, {600, 120}, {40, 40}, {0, 0}};
  const wchar_t* const storedSizes[] = {L"0", L"-1", L"2147483647"};
  for (int side = 0; side < 4; ++side) {
    TPlainBar* wide = AddBar(Dock(side), SIZE{400, 300}, 0, 0, L"Wide");
    TBarToolWindow* panel = NewWindow(SIZE{100, 60}, L"Panel");
    EXPECT_TRUE(panel->SetCurrentDock(Dock(side)).Alive());
    for (const wchar_t* stored : storedSizes) {
      TMemIniFile ini(L"");
      TIniDockPositionStore store(ini, L"Pos.");
      SaveDockablePositions(Form(), store);
      ini.WriteString(L"Pos.Panel", L"Row", L"1");
      ini.WriteString(L"Pos.Panel", L"ClientWidth", stored);
      ini.WriteString(L"Pos.Panel", L"ClientHeight", stored);
      LoadDockablePositions(Form(), store);
      ProcessPendingMessages();
      const std::vector<RECT> largeLayout = layout();
      for (SIZE form : smallForms) {
        SCOPED_TRACE(testing::Message() << Dock(side)->Name() << " panel " << stored << ", form " << form.cx << "x"
                                        << form.cy);
        EXPECT_TRUE(Form()->SetBounds(large.left, large.top, form.cx, form.cy).Alive());
        ProcessPendingMessages();
        const RECT client = clientOnScreen();
        for (int i = 0; i < 4; ++i) {
          const RECT dock = ScreenRect(Dock(i)->Handle());
          EXPECT_TRUE(IsRectEmpty(&dock) || Inside(dock, client)) << Dock(i)->Name();
          for (int j = 0; j < Dock(i)->ToolbarCount(); ++j) {
            RECT shown{};
            const RECT bar = ScreenRect(Dock(i)->Toolbars(j)->Handle());
            if (IntersectRect(&shown, &bar, &dock)) {
              EXPECT_TRUE(Inside(shown, client)) << Dock(i)->Toolbars(j)->Name() << " on " << Dock(i)->Name();
            }
          }
        }
        EXPECT_TRUE(
            Form()->SetBounds(large.left, large.top, large.right - large.left, large.bottom - large.top).Alive());
        ProcessPendingMessages();
        const std::vector<RECT> again = layout();
        ASSERT_EQ(again.size(), largeLayout.size());
        for (size_t i = 0; i < again.size(); ++i)
          EXPECT_TRUE(EqualRect(&again[i], &largeLayout[i])) << "rectangle " << i;
      }
    }
    delete panel;
    delete wide;
  }
}

namespace {

class TPlainPanel : public TCustomControl {
  BC_CLASS(TPlainPanel, TCustomControl)
  explicit TPlainPanel(TComponent* owner) : TCustomControl(owner) {}
};

// A form as applications build it: a status line along its bottom made before its docks, a page filling the client
// made after them, and a tool window on the left dock.
struct TFormWithAPanel {
  std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
  TBarDock* Docks[4] = {};
  TBarToolWindow* Panel = nullptr;

  TFormWithAPanel() {
    EXPECT_TRUE(Form->SetBounds(60, 60, 700, 500).Alive());
    auto* status = new TPlainPanel(Form.get());
    EXPECT_TRUE(status->SetHeight(22).Alive());
    EXPECT_TRUE(status->SetAlign(TAlign::alBottom).Alive());
    EXPECT_TRUE(status->SetParent(Form.get()).Alive());
    const TBarDockPosition positions[] = {TBarDockPosition::dpTop, TBarDockPosition::dpBottom, TBarDockPosition::dpLeft,
                                          TBarDockPosition::dpRight};
    for (int i = 0; i < 4; ++i) {
      Docks[i] = new TBarDock(Form.get());
      EXPECT_TRUE(Docks[i]->SetPosition(positions[i]).Alive());
      EXPECT_TRUE(Docks[i]->SetParent(Form.get()).Alive());
    }
    Panel = new TBarToolWindow(Form.get());
    Panel->SetName(L"Favorites");
    Panel->SetHideWhenInactive(false);
    EXPECT_TRUE(Panel->SetCurrentDock(Docks[2]).Alive());
    EXPECT_TRUE(Panel->SetClientAreaSize(180, 300).Alive());
    auto* page = new TPlainPanel(Form.get());
    EXPECT_TRUE(page->SetAlign(TAlign::alClient).Alive());
    EXPECT_TRUE(page->SetParent(Form.get()).Alive());
    EXPECT_TRUE(Form->Show().Alive());
    ProcessPendingMessages();
  }
  std::vector<RECT> Layout() const {
    std::vector<RECT> rects{Panel->BoundsRect()};
    for (TBarDock* dock : Docks) rects.push_back(dock->BoundsRect());
    return rects;
  }
};

}  // namespace

// The platform gives a minimised form a client of 0 x 0 pixels, and a form sized down as far as it goes one of a
// pixel: the tool window then has no room across its dock. Once the form is restored or sized back, every dock and
// the tool window lie as they lay before, the tool window as wide as it was.
TEST(ToolWindowOnAForm, ComesBackWholeAfterAMinimiseOrATinyClient) {
  TFormWithAPanel form;
  const std::vector<RECT> before = form.Layout();
  ASSERT_EQ(form.Panel->ClientAreaWidth(), 180);
  const RECT bounds = form.Form->BoundsRect();
  const struct {
    const char* Name;
    std::function<void()> Shrink, Grow;
  } cases[] = {
      {"minimised and restored", [&] { ShowWindow(form.Form->Handle(), SW_MINIMIZE); },
       [&] { ShowWindow(form.Form->Handle(), SW_RESTORE); }},
      {"sized to a client of a pixel and back",
       [&] {
         EXPECT_TRUE(form.Form
                         ->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left - form.Form->ClientWidth() + 1,
                                     bounds.bottom - bounds.top - form.Form->ClientHeight() + 1)
                         .Alive());
       },
       [&] {
         EXPECT_TRUE(
             form.Form->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top)
                 .Alive());
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    c.Shrink();
    ProcessPendingMessages();
    EXPECT_LT(form.Panel->ClientAreaWidth(), 180) << "the form left no room";
    c.Grow();
    ProcessPendingMessages();
    const std::vector<RECT> after = form.Layout();
    for (size_t i = 0; i < after.size(); ++i)
      EXPECT_TRUE(EqualRect(&after[i], &before[i])) << (i == 0 ? "the panel" : "dock ") << i;
    EXPECT_EQ(form.Panel->ClientAreaWidth(), 180);
  }
}

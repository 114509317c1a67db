#include "toolbars/docks/dock_positions.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <random>
#include <string>

#include "dock_fixture.h"
#include "framework/exceptions.h"
#include "framework/ini_files.h"
#include "framework/registry.h"
#include "toolbars/bars/tool_window.h"

using namespace toolbars;

namespace {

const wchar_t* const kRegistryKey = L"Software\\BrowserComponentsTests\\DockPositions";

class DockPositions : public DockFormTest {
 protected:
  void SetUp() override {
    DockFormTest::SetUp();
    RegDeleteTreeW(HKEY_CURRENT_USER, kRegistryKey);
    standard_ = AddBar(Top(), SIZE{60, 20}, 0, 0, L"StandardBar");
    address_ = AddBar(Top(), SIZE{120, 20}, 0, 100, L"AddressBar");
    links_ = AddBar(Top(), SIZE{80, 20}, 1, 0, L"LinksBar");
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kRegistryKey);
    DockFormTest::TearDown();
  }
  // Moves every bar somewhere else, saves, puts them back as they were at first, and restores.
  void RoundTrip(TDockPositionStore& store) {
    EXPECT_TRUE(address_->SetCurrentDock(Bottom()).Alive());
    EXPECT_TRUE(address_->SetDockPos(40).Alive());
    EXPECT_TRUE(links_->PlaceFloating(POINT{300, 250}).Alive());
    EXPECT_TRUE(links_->FloatOrDock(true).Alive());
    EXPECT_TRUE(standard_->SetDockPos(200).Alive());
    EXPECT_TRUE(standard_->Hide().Alive());
    SaveDockablePositions(Form(), store);

    EXPECT_TRUE(standard_->Show().Alive());
    EXPECT_TRUE(standard_->SetDockPos(0).Alive());
    EXPECT_TRUE(address_->SetCurrentDock(Top()).Alive());
    EXPECT_TRUE(links_->SetCurrentDock(Top()).Alive());
    LoadDockablePositions(Form(), store);

    EXPECT_EQ(address_->CurrentDock(), Bottom());
    EXPECT_EQ(address_->Left(), 40);
    EXPECT_TRUE(links_->Floating());
    RECT frame{};
    GetWindowRect(links_->FloatParent()->Handle(), &frame);
    EXPECT_EQ(frame.left, 300);
    EXPECT_EQ(frame.top, 250);
    EXPECT_EQ(links_->LastDock(), Top());
    EXPECT_FALSE(standard_->Visible());
    EXPECT_EQ(standard_->DockPos(), 200);
  }

  TPlainBar* standard_ = nullptr;
  TPlainBar* address_ = nullptr;
  TPlainBar* links_ = nullptr;
};

}  // namespace

TEST_F(DockPositions, RoundTripThroughAnIniFile) {
  TMemIniFile ini(L"");
  TIniDockPositionStore store(ini, L"Toolbar.");
  RoundTrip(store);
  EXPECT_EQ(ini.ReadString(L"Toolbar.AddressBar", L"Dock", L""), L"BottomDock");
  EXPECT_EQ(ini.ReadString(L"Toolbar.LinksBar", L"Floating", L""), L"1");
}

TEST_F(DockPositions, RoundTripThroughTheRegistry) {
  TRegistryDockPositionStore store(HKEY_CURRENT_USER, kRegistryKey);
  RoundTrip(store);
  TRegistry registry(KEY_READ);
  registry.SetRootKey(HKEY_CURRENT_USER);
  ASSERT_TRUE(registry.OpenKeyReadOnly(String(kRegistryKey) + L"\\AddressBar"));
  EXPECT_EQ(registry.ReadString(L"Dock"), L"BottomDock");
}

namespace {

// Whether a window's rectangle lies at least partly on a monitor.
bool OnAMonitor(HWND wnd) {
  RECT rect{};
  GetWindowRect(wnd, &rect);
  return MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) != nullptr;
}

// A value as a damaged or hostile file holds it: huge, negative, empty, not a number, a name of nothing.
std::wstring MutatedValue(std::mt19937& random) {
  static const wchar_t* const kHostile[] = {L"2147483647", L"-2147483648", L"4294967296", L"99999999999999",
                                            L"-1",         L"0",           L"",           L"0x7FFFFFFF",
                                            L"1e9",        L"NoSuchDock",  L"DockForm",   L"StandardBar",
                                            L"BottomDock", L"LeftDock",    L"32768",      L"-32769"};
  switch (random() % 3) {
    case 0:
      return kHostile[random() % std::size(kHostile)];
    case 1:
      return std::to_wstring(static_cast<int>(random()));
    default: {
      std::wstring value;
      const int length = static_cast<int>(random() % 12);
      for (int i = 0; i < length; ++i) value += static_cast<wchar_t>(L' ' + random() % 95);
      return value;
    }
  }
}

}  // namespace

TEST_F(DockPositions, HostileFilesLoadAndLeaveEveryBarOnAMonitor) {
  auto* panel = new TBarToolWindow(Form());
  panel->SetName(L"Panel");
  panel->SetHideWhenInactive(false);
  EXPECT_TRUE(panel->SetCurrentDock(Dock(2)).Alive());
  TMemIniFile ini(L"");
  TIniDockPositionStore iniStore(ini, L"T.");
  TRegistryDockPositionStore registryStore(HKEY_CURRENT_USER, kRegistryKey);
  struct TStore {
    const char* Name;
    TDockPositionStore* Store;
    std::function<void(const wchar_t* bar, const wchar_t* name, const std::wstring& value)> Write;
    std::function<void(const wchar_t* bar, const wchar_t* name)> Remove;
  };
  const TStore stores[] = {
      {"INI file", &iniStore,
       [&](const wchar_t* bar, const wchar_t* name, const std::wstring& value) {
         ini.WriteString(String(L"T.") + bar, name, value);
       },
       [&](const wchar_t* bar, const wchar_t* name) { ini.DeleteKey(String(L"T.") + bar, name); }},
      {"registry", &registryStore,
       [&](const wchar_t* bar, const wchar_t* name, const std::wstring& value) {
         TRegistry registry;
         registry.SetRootKey(HKEY_CURRENT_USER);
         if (registry.OpenKey(String(kRegistryKey) + L"\\" + bar, true)) registry.WriteString(name, value);
       },
       [&](const wchar_t* bar, const wchar_t* name) {
         TRegistry registry;
         registry.SetRootKey(HKEY_CURRENT_USER);
         if (registry.OpenKey(String(kRegistryKey) + L"\\" + bar, false)) registry.DeleteValue(name);
       }},
  };
  const wchar_t* names[] = {L"Dock",    L"Row",         L"Pos",          L"Floating",    L"FloatLeft", L"FloatTop",
                            L"Visible", L"ClientWidth", L"ClientHeight", L"FloatRightX", L"Unknown"};
  const wchar_t* bars[] = {L"StandardBar", L"AddressBar", L"LinksBar", L"Panel", L"NoSuchBar"};
  for (const TStore& store : stores) {
    SCOPED_TRACE(store.Name);
    std::mt19937 random(20261207);
    SaveDockablePositions(Form(), *store.Store);
    // Each load lays the whole form out again, a few hundred messages: 100 rounds a store keep the test short beside
    // busy processes (300 took half a minute there).
    for (int round = 0; round < 100; ++round) {
      const wchar_t* bar = bars[random() % std::size(bars)];
      const wchar_t* name = names[random() % std::size(names)];
      try {
        if (random() % 8 == 0)
          store.Remove(bar, name);
        else
          store.Write(bar, name, MutatedValue(random));
      } catch (const EIniFileException&) {
        continue;  // a value the file itself cannot hold never reaches the reader
      }
      try {
        LoadDockablePositions(Form(), *store.Store);
      } catch (const Exception&) {
        ADD_FAILURE() << "round " << round;
      }
      ProcessPendingMessages();
      for (TBarCustomDockableWindow* window :
           {static_cast<TBarCustomDockableWindow*>(standard_), static_cast<TBarCustomDockableWindow*>(address_),
            static_cast<TBarCustomDockableWindow*>(links_), static_cast<TBarCustomDockableWindow*>(panel)}) {
        EXPECT_GE(window->DockRow(), 0);
        EXPECT_TRUE(OnAMonitor(window->Handle())) << "round " << round << ", " << window->Name();
        if (window->CurrentDock()) {
          EXPECT_LE(window->EffectiveDockRow(), 3) << "rows closed up, round " << round;
        }
      }
    }
  }
}

TEST_F(DockPositions, HugeRowsAndPositionsAreClosedUpAndBroughtIntoTheDock) {
  struct TCase {
    const char* Name;
    const wchar_t* Row;
    const wchar_t* Pos;
  };
  const TCase cases[] = {
      {"the highest row there is", L"2147483647", L"0"},
      {"the furthest position along a shared row", L"0", L"2147483647"},
      {"both", L"2147483647", L"2147483647"},
      {"the lowest numbers there are", L"-2147483648", L"-2147483648"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TMemIniFile ini(L"");
    TIniDockPositionStore store(ini, L"T.");
    SaveDockablePositions(Form(), store);
    ini.WriteString(L"T.AddressBar", L"Row", c.Row);
    ini.WriteString(L"T.AddressBar", L"Pos", c.Pos);
    LoadDockablePositions(Form(), store);
    ProcessPendingMessages();
    EXPECT_EQ(address_->CurrentDock(), Top());
    EXPECT_LE(address_->EffectiveDockRow(), 2);
    EXPECT_GE(address_->Left(), 0);
    EXPECT_LE(address_->Left() + address_->Width(), Top()->ClientWidth());
    EXPECT_TRUE(OnAMonitor(address_->Handle()));
    EXPECT_LE(Top()->Height(), 3 * (address_->Height() + 4)) << "three rows at most";
  }
}

TEST_F(DockPositions, TheWrongTypeInTheRegistryReadsAsMissing) {
  // A value of the wrong type in the registry reads as missing.
  TRegistryDockPositionStore registryStore(HKEY_CURRENT_USER, kRegistryKey);
  SaveDockablePositions(Form(), registryStore);
  TRegistry registry;
  registry.SetRootKey(HKEY_CURRENT_USER);
  ASSERT_TRUE(registry.OpenKey(String(kRegistryKey) + L"\\AddressBar", false));
  registry.WriteInteger(L"Pos", 77);
  EXPECT_TRUE(address_->SetDockPos(5).Alive());
  LoadDockablePositions(Form(), registryStore);
  EXPECT_EQ(address_->DockPos(), 5);
}

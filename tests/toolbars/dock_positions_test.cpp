#include "toolbars/docks/dock_positions.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "dock_fixture.h"
#include "framework/exceptions.h"
#include "framework/ini_files.h"
#include "framework/registry.h"

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
    address_->SetCurrentDock(Bottom());
    address_->SetDockPos(40);
    links_->PlaceFloating(POINT{300, 250});
    links_->FloatOrDock(true);
    standard_->SetDockPos(200);
    standard_->Hide();
    SaveDockablePositions(Form(), store);

    standard_->Show();
    standard_->SetDockPos(0);
    address_->SetCurrentDock(Top());
    links_->SetCurrentDock(Top());
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

TEST_F(DockPositions, GarbledValuesLeaveThePlacementAlone) {
  TMemIniFile ini(L"");
  TIniDockPositionStore store(ini, L"T.");
  SaveDockablePositions(Form(), store);
  std::mt19937 random(1234);
  const wchar_t* names[] = {L"Dock", L"Row", L"Pos", L"Floating", L"FloatLeft", L"FloatTop", L"Visible"};
  const wchar_t* bars[] = {L"T.StandardBar", L"T.AddressBar", L"T.LinksBar"};
  for (int round = 0; round < 200; ++round) {
    std::wstring value;
    int length = static_cast<int>(random() % 12);
    for (int i = 0; i < length; ++i) value += static_cast<wchar_t>(L' ' + random() % 95);
    if (random() % 4 == 0) value = std::to_wstring(static_cast<int>(random()) % 100000 - 50000);
    try {
      ini.WriteString(bars[random() % 3], names[random() % 7], value);
    } catch (const EIniFileException&) {
      continue;  // a value the file itself cannot hold never reaches the reader
    }
    try {
      LoadDockablePositions(Form(), store);
    } catch (const Exception&) {
      ADD_FAILURE() << "round " << round;
    }
    for (TPlainBar* bar : {standard_, address_, links_}) {
      EXPECT_GE(bar->DockRow(), 0);
      if (bar->Floating()) bar->SetCurrentDock(Top());
    }
  }
  // A value of the wrong type in the registry reads as missing.
  TRegistryDockPositionStore registryStore(HKEY_CURRENT_USER, kRegistryKey);
  SaveDockablePositions(Form(), registryStore);
  TRegistry registry;
  registry.SetRootKey(HKEY_CURRENT_USER);
  ASSERT_TRUE(registry.OpenKey(String(kRegistryKey) + L"\\AddressBar", false));
  registry.WriteInteger(L"Pos", 77);
  address_->SetDockPos(5);
  LoadDockablePositions(Form(), registryStore);
  EXPECT_EQ(address_->DockPos(), 5);
}

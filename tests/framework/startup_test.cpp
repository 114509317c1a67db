#include "framework/startup.h"

#include <gtest/gtest.h>
#include <ole2.h>

#include <vector>

#include "framework/object.h"

namespace {

std::vector<String>& StartLog() {
  static std::vector<String> log;
  return log;
}

void StartBase() { StartLog().push_back(L"base"); }
void StartLeft() { StartLog().push_back(L"left"); }
void StartRight() { StartLog().push_back(L"right"); }
void StartTop() { StartLog().push_back(L"top"); }

// A diamond: top needs left and right, both need base.
const TUnit& BaseUnit() {
  static const TUnit unit{L"test base", &StartBase, nullptr, {}};
  return unit;
}
const TUnit& LeftUnit() {
  static const TUnit unit{L"test left", &StartLeft, nullptr, {&BaseUnit()}};
  return unit;
}
const TUnit& RightUnit() {
  static const TUnit unit{L"test right", &StartRight, nullptr, {&BaseUnit()}};
  return unit;
}
const TUnit& TopUnit() {
  static const TUnit unit{L"test top", &StartTop, nullptr, {&LeftUnit(), &RightUnit()}};
  return unit;
}

}  // namespace

TEST(UnitStartup, RequiredUnitsStartFirstInTheirListedOrderAndOnlyOnce) {
  EXPECT_FALSE(UnitInitialized(TopUnit()));
  InitializeUnit(TopUnit());
  EXPECT_EQ(StartLog(), (std::vector<String>{L"base", L"left", L"right", L"top"}));
  EXPECT_TRUE(UnitInitialized(BaseUnit()));
  EXPECT_TRUE(UnitInitialized(TopUnit()));

  InitializeUnit(TopUnit());
  InitializeUnit(LeftUnit());
  EXPECT_EQ(StartLog().size(), 4u);
}

TEST(UnitStartup, TheFrameworkUnitHasInitialisedOleForThisThread) {
  EXPECT_TRUE(UnitInitialized(FrameworkUnit()));
  // OLE answers S_FALSE to a second initialisation of a thread it already serves.
  HRESULT again = OleInitialize(nullptr);
  EXPECT_EQ(again, S_FALSE);
  if (SUCCEEDED(again)) OleUninitialize();
}

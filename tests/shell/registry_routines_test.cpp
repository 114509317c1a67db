#include "shell/registry_routines.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "framework/strings.h"
#include "registry_backup.h"
#include "shell/system_errors.h"

using namespace shell;

namespace {

constexpr wchar_t kTestKey[] = L"Software\\BrowserComponentsTests\\Routines";

class RegistryRoutines : public testing::Test {
 protected:
  TRegistryBackup backup_{HKEY_CURRENT_USER, kTestKey};
};

TEST_F(RegistryRoutines, ReadsStringsOnly) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
  WriteRegString(HKEY_CURRENT_USER, kTestKey, L"", L"default");
  WriteRegString(HKEY_CURRENT_USER, kTestKey, L"Plain", L"text");
  WriteRegString(HKEY_CURRENT_USER, kTestKey, L"Expand", L"%TEMP%\\x", REG_EXPAND_SZ);
  WriteRegString(HKEY_CURRENT_USER, kTestKey, L"Multi", L"a", REG_MULTI_SZ);
  const DWORD number = 7;
  WriteRegValue(HKEY_CURRENT_USER, kTestKey, L"Number", REG_DWORD, &number, sizeof number);
  const wchar_t unterminated[] = {L'a', L'b', L'c'};
  WriteRegValue(HKEY_CURRENT_USER, kTestKey, L"Unterminated", REG_SZ, unterminated, sizeof unterminated);
  WriteRegValue(HKEY_CURRENT_USER, kTestKey, L"OddBytes", REG_SZ, "a\0b", 3);
  WriteRegValue(HKEY_CURRENT_USER, kTestKey, L"Inner", REG_SZ, L"in\0ner", 14);
  WriteRegValue(HKEY_CURRENT_USER, kTestKey, L"Empty", REG_SZ, "", 0);

  const struct {
    const wchar_t* Key;
    const wchar_t* Name;
    const wchar_t* Expected;
  } cases[] = {
      {kTestKey, L"", L"default"},
      {L"\\Software\\BrowserComponentsTests\\Routines", L"Plain", L"text"},
      {kTestKey, L"Expand", L"%TEMP%\\x"},
      {kTestKey, L"Multi", L"def"},
      {kTestKey, L"Number", L"def"},
      {kTestKey, L"Missing", L"def"},
      {kTestKey, L"Unterminated", L"abc"},
      {kTestKey, L"OddBytes", L"a"},
      {kTestKey, L"Inner", L"in"},
      {kTestKey, L"Empty", L""},
      {L"Software\\BrowserComponentsTests\\NoSuchKey", L"Plain", L"def"},
  };
  for (const auto& test : cases)
    EXPECT_EQ(RegReadStringDef(HKEY_CURRENT_USER, test.Key, test.Name, L"def"), test.Expected) << test.Name;
  EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, kTestKey));
  EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, L"\\Software"));
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, L"Software\\BrowserComponentsTests\\NoSuchKey"));
}

TEST_F(RegistryRoutines, KeyNames) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
  const String names[] = {L"Alpha", L"b", L"Name with blanks", String(200, L'z')};
  for (const String& name : names) WriteRegString(HKEY_CURRENT_USER, String(kTestKey) + L"\\" + name, L"", L"");
  TStringList list;
  list.Add(L"stale");
  EXPECT_TRUE(RegGetKeyNames(HKEY_CURRENT_USER, kTestKey, list));
  ASSERT_EQ(list.Count(), 4);
  for (const String& name : names) EXPECT_GE(list.IndexOf(name), 0);

  RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
  try {
    RegGetKeyNames(HKEY_CURRENT_USER, kTestKey, list);
    ADD_FAILURE() << "a missing key was read";
  } catch (const ELibRegistryError& error) {
    EXPECT_EQ(error.Message(), L"Unable to open key \"" + String(kTestKey) + L"\" for read");
  }
  EXPECT_EQ(list.Count(), 0);
}

// Values of any type and bytes read as their text up to the first zero, or as the default.
TEST_F(RegistryRoutines, ReadsHostileValues) {
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> byte(0, 255);
  const DWORD types[] = {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_DWORD, REG_NONE};
  for (int round = 0; round < 300; ++round) {
    std::vector<BYTE> data(static_cast<size_t>(round % 50 == 0 ? 70000 : byte(random) % 40));
    for (BYTE& b : data) b = static_cast<BYTE>(byte(random) % 5 == 0 ? 0 : byte(random));
    const DWORD type = types[round % std::size(types)];
    WriteRegValue(HKEY_CURRENT_USER, kTestKey, L"Value", type, data.data(), static_cast<DWORD>(data.size()));
    const String text = RegReadStringDef(HKEY_CURRENT_USER, kTestKey, L"Value", L"\x1");
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
      EXPECT_EQ(text, L"\x1") << round;
      continue;
    }
    const String stored(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    EXPECT_EQ(text, stored.substr(0, stored.find(L'\0'))) << round;
  }
}

}  // namespace

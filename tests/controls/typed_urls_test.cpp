#include "controls/typed_urls.h"

#include <gtest/gtest.h>

#include <map>

#include "typed_url_values.h"

using namespace controls;

namespace {

// The string values of the key as they are in the registry.
std::map<String, String> StoredValues() {
  std::map<String, String> values;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, TypedURLsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
  for (DWORD i = 0;; ++i) {
    wchar_t name[64];
    DWORD nameLength = 64;
    wchar_t data[512];
    DWORD size = sizeof(data);
    if (RegEnumValueW(key, i, name, &nameLength, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) !=
        ERROR_SUCCESS)
      break;
    values[name] = data;
  }
  RegCloseKey(key);
  return values;
}

}  // namespace

// The real key of the test prefix, emptied before and after each case.
class TypedURLHistory : public testing::Test {
 protected:
  void SetUp() override { RegDeleteKeyW(HKEY_CURRENT_USER, TypedURLsKey); }
  void TearDown() override { RegDeleteKeyW(HKEY_CURRENT_USER, TypedURLsKey); }
};

TEST_F(TypedURLHistory, SavingMarksTheEndBelowTwentyFourEntries) {
  WriteTypedURLs(NumberedAddresses(23));
  std::map<String, String> values = StoredValues();
  EXPECT_EQ(values.size(), 24u);
  EXPECT_EQ(values[L"Url1"], L"http://site1.example/");
  EXPECT_EQ(values[L"Url23"], L"http://site23.example/");
  EXPECT_EQ(values.count(L"Url24"), 1u);
  EXPECT_EQ(values[L"Url24"], L"");

  RegDeleteKeyW(HKEY_CURRENT_USER, TypedURLsKey);
  WriteTypedURLs(NumberedAddresses(24));
  values = StoredValues();
  EXPECT_EQ(values.size(), 25u);
  EXPECT_EQ(values[L"Url24"], L"http://site24.example/");
  EXPECT_EQ(values[L"Url25"], L"");

  RegDeleteKeyW(HKEY_CURRENT_USER, TypedURLsKey);
  WriteTypedURLs(NumberedAddresses(30));
  values = StoredValues();
  EXPECT_EQ(values.size(), 25u);
  EXPECT_EQ(values[L"Url25"], L"http://site25.example/");
  EXPECT_EQ(values.count(L"Url26"), 0u);
}

// A shorter history saved over a longer one reads back alone: the values after its end mark go, up to Url25; a
// value past the history's range stays.
TEST_F(TypedURLHistory, SavingAShorterHistoryRemovesTheOlderOne) {
  WriteTypedURLs(NumberedAddresses(10));
  SetTypedValue(L"Url26", L"beyond");
  WriteTypedURLs({L"http://new1.example/", L"http://new2.example/"});
  std::map<String, String> values = StoredValues();
  EXPECT_EQ(values[L"Url1"], L"http://new1.example/");
  EXPECT_EQ(values[L"Url3"], L"");
  EXPECT_EQ(values[L"Url26"], L"beyond");
  EXPECT_EQ(values.size(), 4u) << "Url1 to Url3 and Url26";
  EXPECT_EQ(ReadTypedURLs(), (std::vector<String>{L"http://new1.example/", L"http://new2.example/"}));
}

// Missing values and values of other types are passed over; an empty value ends the history. What is read saves
// and reads back the same, whatever the key held.
TEST_F(TypedURLHistory, LoadingStopsAtAnEmptyValueAndReadsBackWhatItSaves) {
  EXPECT_TRUE(ReadTypedURLs().empty());
  SetTypedValue(L"Url1", L"a");
  SetTypedValue(L"Url3", L"b");
  HKEY key = nullptr;
  RegOpenKeyExW(HKEY_CURRENT_USER, TypedURLsKey, 0, KEY_WRITE, &key);
  const DWORD number = 7;
  RegSetValueExW(key, L"Url4", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  RegCloseKey(key);
  SetTypedValue(L"Url5", L"c");
  SetTypedValue(L"Url6", L"");
  SetTypedValue(L"Url7", L"after the end");
  SetTypedValue(L"Url26", L"z");
  EXPECT_EQ(ReadTypedURLs(), (std::vector<String>{L"a", L"b", L"c"}));

  // Twenty-five values, one of them empty and two of another type, as the issue found them.
  RegDeleteKeyW(HKEY_CURRENT_USER, TypedURLsKey);
  const std::vector<String> many = NumberedAddresses(25);
  for (int k = 1; k <= 25; ++k) SetTypedValue(L"Url" + std::to_wstring(k), k == 23 ? String() : many[k - 1]);
  RegOpenKeyExW(HKEY_CURRENT_USER, TypedURLsKey, 0, KEY_WRITE, &key);
  RegSetValueExW(key, L"Url3", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  RegSetValueExW(key, L"Url7", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&number), sizeof number);
  RegCloseKey(key);
  const std::vector<String> read = ReadTypedURLs();
  EXPECT_EQ(read.size(), 20u);
  WriteTypedURLs(read);
  EXPECT_EQ(ReadTypedURLs(), read);
  EXPECT_EQ(StoredValues().count(L"Url25"), 0u);

  const std::vector<String> more = NumberedAddresses(30);
  WriteTypedURLs(more);
  EXPECT_EQ(ReadTypedURLs(), std::vector<String>(more.begin(), more.begin() + 25));
}

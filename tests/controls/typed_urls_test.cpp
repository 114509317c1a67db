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

// The key is shared with the platform's browser: saving writes its values up to the end mark and leaves the others
// as they are, so a shorter history reads back followed by the older addresses stored after its end.
TEST_F(TypedURLHistory, SavingAShorterHistoryLeavesTheValuesAfterIt) {
  WriteTypedURLs(NumberedAddresses(10));
  SetTypedValue(L"Url26", L"beyond");
  WriteTypedURLs({L"http://new1.example/", L"http://new2.example/"});
  std::map<String, String> values = StoredValues();
  EXPECT_EQ(values[L"Url1"], L"http://new1.example/");
  EXPECT_EQ(values[L"Url3"], L"");
  for (int k = 4; k <= 10; ++k) EXPECT_EQ(values[L"Url" + std::to_wstring(k)], NumberedAddresses(10)[k - 1]) << k;
  EXPECT_EQ(values[L"Url26"], L"beyond");
  EXPECT_EQ(values.size(), 12u) << "Url1 to Url11, the first history's end mark, and Url26";
  std::vector<String> expected{L"http://new1.example/", L"http://new2.example/"};
  for (int k = 4; k <= 10; ++k) expected.push_back(NumberedAddresses(10)[k - 1]);
  EXPECT_EQ(ReadTypedURLs(), expected);
}

TEST_F(TypedURLHistory, LoadingSkipsGapsAndStopsAtTwentyFive) {
  EXPECT_TRUE(ReadTypedURLs().empty());
  SetTypedValue(L"Url1", L"a");
  SetTypedValue(L"Url2", L"");
  SetTypedValue(L"Url3", L"b");
  SetTypedValue(L"Url5", L"c");
  SetTypedValue(L"Url25", L"y");
  SetTypedValue(L"Url26", L"z");
  EXPECT_EQ(ReadTypedURLs(), (std::vector<String>{L"a", L"b", L"c", L"y"}));

  const std::vector<String> many = NumberedAddresses(30);
  WriteTypedURLs(many);
  EXPECT_EQ(ReadTypedURLs(), std::vector<String>(many.begin(), many.begin() + 25));
}

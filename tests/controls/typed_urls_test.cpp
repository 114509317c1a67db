#include "controls/typed_urls.h"

#include <gtest/gtest.h>

#include <map>

namespace {

std::vector<String> Numbered(int count) {
  std::vector<String> urls;
  for (int i = 1; i <= count; ++i) urls.push_back(L"http://site" + std::to_wstring(i) + L".example/");
  return urls;
}

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

void SetValue(const String& name, const String& value) {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, TypedURLsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

}  // namespace

// The real key of the test prefix, emptied before and after each case.
class TypedURLHistory : public testing::Test {
 protected:
  void SetUp() override { RegDeleteKeyW(HKEY_CURRENT_USER, TypedURLsKey); }
  void TearDown() override { RegDeleteKeyW(HKEY_CURRENT_USER, TypedURLsKey); }
};

TEST_F(TypedURLHistory, SavingMarksTheEndBelowTwentyFourEntries) {
  WriteTypedURLs(Numbered(23));
  std::map<String, String> values = StoredValues();
  EXPECT_EQ(values.size(), 24u);
  EXPECT_EQ(values[L"Url1"], L"http://site1.example/");
  EXPECT_EQ(values[L"Url23"], L"http://site23.example/");
  EXPECT_EQ(values.count(L"Url24"), 1u);
  EXPECT_EQ(values[L"Url24"], L"");

  RegDeleteKeyW(HKEY_CURRENT_USER, TypedURLsKey);
  WriteTypedURLs(Numbered(24));
  values = StoredValues();
  EXPECT_EQ(values.size(), 25u);
  EXPECT_EQ(values[L"Url24"], L"http://site24.example/");
  EXPECT_EQ(values[L"Url25"], L"");

  RegDeleteKeyW(HKEY_CURRENT_USER, TypedURLsKey);
  WriteTypedURLs(Numbered(30));
  values = StoredValues();
  EXPECT_EQ(values.size(), 25u);
  EXPECT_EQ(values[L"Url25"], L"http://site25.example/");
  EXPECT_EQ(values.count(L"Url26"), 0u);
}

TEST_F(TypedURLHistory, SavingLeavesHigherValuesAlone) {
  WriteTypedURLs(Numbered(10));
  WriteTypedURLs(Numbered(2));
  std::map<String, String> values = StoredValues();
  EXPECT_EQ(values[L"Url3"], L"");
  EXPECT_EQ(values[L"Url4"], L"http://site4.example/");
  // Reading skips the empty marker and goes on, so the older values come back after the new ones.
  std::vector<String> expected = Numbered(10);
  expected.erase(expected.begin() + 2);
  EXPECT_EQ(ReadTypedURLs(), expected);
}

TEST_F(TypedURLHistory, LoadingSkipsGapsAndStopsAtTwentyFive) {
  EXPECT_TRUE(ReadTypedURLs().empty());
  SetValue(L"Url1", L"a");
  SetValue(L"Url2", L"");
  SetValue(L"Url3", L"b");
  SetValue(L"Url5", L"c");
  SetValue(L"Url25", L"y");
  SetValue(L"Url26", L"z");
  EXPECT_EQ(ReadTypedURLs(), (std::vector<String>{L"a", L"b", L"c", L"y"}));

  const std::vector<String> many = Numbered(30);
  WriteTypedURLs(many);
  EXPECT_EQ(ReadTypedURLs(), std::vector<String>(many.begin(), many.begin() + 25));
}

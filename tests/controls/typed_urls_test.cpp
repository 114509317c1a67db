#include "controls/typed_urls.h"

#include <gtest/gtest.h>

#include <functional>
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

namespace {

void SetTypedNumber(const String& name, DWORD type) {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, TypedURLsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  const DWORD number = 7;
  RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(&number), sizeof number);
  RegCloseKey(key);
}

}  // namespace

// Keys as the platform's browser, a person or an older save left them: a load passes over missing, empty and
// non-string values up to Url25; a save of what was loaded loses none of it and reads back as it was saved; a
// shorter list saved afterwards reads back alone. Values of other types and those past Url25 are never touched.
TEST_F(TypedURLHistory, LoadPassesOverGapsAndSaveReadsBackAsSaved) {
  const std::vector<String> many = NumberedAddresses(25);
  const struct {
    const char* Name;
    std::function<void()> Fill;
    std::vector<String> Loaded;
  } cases[] = {
      {"an empty value between two addresses",
       [] {
         SetTypedValue(L"Url1", L"a");
         SetTypedValue(L"Url2", L"");
         SetTypedValue(L"Url3", L"b");
       },
       {L"a", L"b"}},
      {"gaps, other types and values past the range",
       [] {
         SetTypedValue(L"Url1", L"a");
         SetTypedValue(L"Url3", L"b");
         SetTypedNumber(L"Url4", REG_DWORD);
         SetTypedValue(L"Url5", L"c");
         SetTypedValue(L"Url6", L"");
         SetTypedValue(L"Url7", L"after an empty one");
         SetTypedValue(L"Url25", L"y");
         SetTypedValue(L"Url26", L"z");
       },
       {L"a", L"b", L"c", L"after an empty one", L"y"}},
      {"twenty-five values, one empty and two of other types",
       [&] {
         for (int k = 1; k <= 25; ++k) SetTypedValue(L"Url" + std::to_wstring(k), k == 23 ? String() : many[k - 1]);
         SetTypedNumber(L"Url3", REG_DWORD);
         SetTypedNumber(L"Url7", REG_BINARY);
       },
       [&] {
         std::vector<String> kept;
         for (int k = 1; k <= 25; ++k)
           if (k != 3 && k != 7 && k != 23) kept.push_back(many[k - 1]);
         return kept;
       }()},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.Name);
    RegDeleteKeyW(HKEY_CURRENT_USER, TypedURLsKey);
    test.Fill();
    const std::vector<String> loaded = ReadTypedURLs();
    EXPECT_EQ(loaded, test.Loaded);
    WriteTypedURLs(loaded);
    EXPECT_EQ(ReadTypedURLs(), loaded);
    std::map<String, String> values = StoredValues();
    for (size_t i = 0; i < loaded.size(); ++i)
      EXPECT_EQ(values[L"Url" + std::to_wstring(i + 1)], loaded[i]) << "value " << i + 1;

    WriteTypedURLs({L"http://new1.example/", L"http://new2.example/"});
    EXPECT_EQ(ReadTypedURLs(), (std::vector<String>{L"http://new1.example/", L"http://new2.example/"}));
    values = StoredValues();
    EXPECT_EQ(values[L"Url3"], L"") << "the end mark";
    if (values.count(L"Url26")) {
      EXPECT_EQ(values[L"Url26"], L"z");
    }
    DWORD type = 0;
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, TypedURLsKey, 0, KEY_READ, &key);
    for (const wchar_t* other : {L"Url4", L"Url7"})
      if (RegQueryValueExW(key, other, nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS) {
        EXPECT_NE(type, static_cast<DWORD>(REG_SZ)) << "only addresses go";
      }
    RegCloseKey(key);

    const std::vector<String> more = NumberedAddresses(30);
    WriteTypedURLs(more);
    EXPECT_EQ(ReadTypedURLs(), std::vector<String>(more.begin(), more.begin() + 25));
  }
}

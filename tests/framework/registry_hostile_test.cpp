// Registry values as a damaged or hostile registry holds them: texts without terminators or whole characters,
// numbers of the wrong size, names with NULs. Reading stays inside each value and raises only
// ERegistryException.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <memory>
#include <string>

#include "framework/exceptions.h"
#include "framework/registry.h"
#include "support/hostile_input.h"

namespace {

const wchar_t kProbeKey[] = L"Software\\BcFrameworkTests\\Hostile";

// A registry whose root is a key of the test's own, so that nothing a faulty call does can reach beyond it.
class RegistryHostility : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kProbeKey);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kProbeKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_, nullptr),
              ERROR_SUCCESS);
    registry_.SetRootKey(root_);
    ASSERT_TRUE(registry_.OpenKey(L"\\Values", true));
  }
  void TearDown() override {
    registry_.CloseKey();
    RegCloseKey(root_);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\BcFrameworkTests");
  }
  void SetRaw(const wchar_t* name, DWORD type, const std::string& bytes) {
    ASSERT_EQ(RegSetValueExW(registry_.CurrentKey(), name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  }
  static std::string Utf16(const wchar_t* text, size_t bytes) {
    return std::string(reinterpret_cast<const char*>(text), bytes);
  }

  HKEY root_ = nullptr;
  TRegistry registry_;
};

// The text a value's bytes hold: whole characters up to the first NUL.
String TextOf(const std::string& bytes) {
  String text(bytes.size() / 2, L'\0');
  if (!text.empty()) std::memcpy(text.data(), bytes.data(), text.size() * 2);
  return text.substr(0, wcsnlen(text.c_str(), text.size()));
}

}  // namespace

TEST_F(RegistryHostility, TextsEndWithTheirValue) {
  struct Case {
    const char* Name;
    DWORD Type;
    std::string Bytes;
    String Expected;
  };
  const Case cases[] = {
      {"15 bytes, no terminator", REG_SZ, Utf16(L"abcdefgh", 15), L"abcdefg"},
      {"14 bytes, no terminator", REG_SZ, Utf16(L"abcdefgh", 14), L"abcdefg"},
      {"one byte", REG_SZ, "x", L""},
      {"no bytes", REG_SZ, "", L""},
      {"a NUL inside", REG_SZ, Utf16(L"ab\0cd", 10), L"ab"},
      {"expandable, odd", REG_EXPAND_SZ, Utf16(L"%PATH%x", 13), L"%PATH%"},
  };
  for (const Case& c : cases) {
    SetRaw(L"Text", c.Type, c.Bytes);
    TGuardedAllocations guard;
    EXPECT_EQ(registry_.ReadString(L"Text"), c.Expected) << c.Name;
  }
  SetRaw(L"List", REG_MULTI_SZ, "a");
  EXPECT_THROW(registry_.ReadString(L"List"), ERegistryException);
  // The platform may put a terminator after what it copies: a one-byte buffer gets one byte and not a second.
  TGuardedBytes buffer(std::string(1, '\0'));
  EXPECT_EQ(registry_.ReadBinaryData(L"List", buffer.Data(), 1), 1);
  EXPECT_EQ(buffer.Data()[0], 'a');
}

TEST_F(RegistryHostility, OnlyFourByteNumbersAreIntegers) {
  const std::string four("\x2A\x00\x00\x00", 4);
  for (DWORD size : {0u, 1u, 2u, 3u}) {
    SetRaw(L"Number", REG_DWORD, four.substr(0, size));
    EXPECT_THROW(registry_.ReadInteger(L"Number"), ERegistryException) << size;
  }
  SetRaw(L"Number", REG_QWORD, four + four);
  EXPECT_THROW(registry_.ReadInteger(L"Number"), ERegistryException);
  SetRaw(L"Number", REG_BINARY, four);
  EXPECT_THROW(registry_.ReadInteger(L"Number"), ERegistryException);
  SetRaw(L"Number", REG_DWORD, four);
  EXPECT_EQ(registry_.ReadInteger(L"Number"), 42);
  EXPECT_THROW(registry_.ReadInteger(L"Missing"), ERegistryException);
}

TEST_F(RegistryHostility, NamesEndAtTheirFirstNul) {
  registry_.CreateKey(L"\\Child");
  for (const String& name : {String(L"\\\0", 2), String(L"\0Child", 6), String(L"\\\0Child", 7)})
    EXPECT_FALSE(registry_.DeleteKey(name)) << name.size();
  EXPECT_TRUE(registry_.KeyExists(L"\\Child"));
  EXPECT_TRUE(registry_.KeyExists(L"\\Values"));
  EXPECT_TRUE(registry_.DeleteKey(String(L"\\Child\0Other", 12)));
  EXPECT_FALSE(registry_.KeyExists(L"\\Child"));
}

// A text that reading would cut at a NUL inside it is refused, and the value keeps what it held.
TEST_F(RegistryHostility, TextsWithANulInsideAreRefused) {
  registry_.WriteString(L"S", L"kept");
  for (const String& text : {String(L"a\0b", 3), String(L"\0", 1), String(L"tail\0", 5)}) {
    EXPECT_THROW(registry_.WriteString(L"S", text), ERegistryException) << text.size();
    EXPECT_THROW(registry_.WriteExpandString(L"S", text), ERegistryException) << text.size();
    EXPECT_EQ(registry_.ReadString(L"S"), L"kept");
  }
}

// Values the class wrote, damaged in their bytes and their type: every reader raises ERegistryException or
// reads exactly what the value holds; the undamaged values read back as written.
TEST_F(RegistryHostility, SeededMutationsOfWrittenValuesRaiseOnlyRegistryErrors) {
  const BYTE binary[] = {0, 1, 2, 0xFF, 0x7F};
  registry_.WriteString(L"S", L"The quick \u00e9\u4e2d");
  registry_.WriteExpandString(L"E", L"%TEMP%\\x");
  registry_.WriteInteger(L"I", -5);
  registry_.WriteBinaryData(L"B", binary, sizeof binary);
  EXPECT_EQ(registry_.ReadString(L"S"), L"The quick \u00e9\u4e2d");
  EXPECT_EQ(registry_.ReadString(L"E"), L"%TEMP%\\x");
  EXPECT_EQ(registry_.ReadInteger(L"I"), -5);
  BYTE read[8] = {};
  EXPECT_EQ(registry_.ReadBinaryData(L"B", read, sizeof read), 5);
  EXPECT_EQ(std::memcmp(read, binary, sizeof binary), 0);

  std::vector<std::string> samples;
  for (const wchar_t* name : {L"S", L"E", L"I", L"B"}) {
    BYTE bytes[256];
    DWORD size = sizeof bytes;
    ASSERT_EQ(RegQueryValueExW(registry_.CurrentKey(), name, nullptr, nullptr, bytes, &size), ERROR_SUCCESS);
    samples.emplace_back(reinterpret_cast<const char*>(bytes), size);
  }
  const DWORD types[] = {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD, REG_BINARY, REG_NONE};
  TMutator mutator(7);
  for (int i = 0; i < 2000; ++i) {
    const std::string bytes = mutator.Mutate(samples[mutator.Below(samples.size())]);
    const DWORD type = types[mutator.Below(std::size(types))];
    SetRaw(L"V", type, bytes);
    std::unique_ptr<TGuardedAllocations> guard(i < 200 ? new TGuardedAllocations : nullptr);
    try {
      String text = registry_.ReadString(L"V");
      EXPECT_TRUE(type == REG_SZ || type == REG_EXPAND_SZ) << i;
      EXPECT_EQ(text, TextOf(bytes)) << i;
    } catch (const ERegistryException&) {
    }
    try {
      int number = registry_.ReadInteger(L"V");
      EXPECT_TRUE(type == REG_DWORD && bytes.size() == 4) << i;
      EXPECT_EQ(std::memcmp(&number, bytes.data(), 4), 0) << i;
    } catch (const ERegistryException&) {
    }
    try {
      BYTE buffer[64];
      const int got = registry_.ReadBinaryData(L"V", buffer, sizeof buffer);
      // The platform here answers a list without its terminator with one added.
      const int added = type == REG_MULTI_SZ ? got - static_cast<int>(bytes.size()) : 0;
      EXPECT_TRUE(added == 0 || added == 2) << i << " read " << got << " of " << bytes.size();
      EXPECT_EQ(std::memcmp(buffer, bytes.data(), std::min<size_t>(bytes.size(), got)), 0) << i;
    } catch (const ERegistryException&) {
    }
  }
}

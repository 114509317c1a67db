#include "framework/registry.h"

#include <gtest/gtest.h>

#include <tuple>

#include "framework/exceptions.h"
#include "framework/strings.h"

namespace {

const wchar_t kTestKey[] = L"Software\\BcFrameworkTests\\Registry";

class RegistryTest : public testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\BcFrameworkTests"); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\BcFrameworkTests"); }

  // What the platform itself reads, independent of the class under test.
  static DWORD RawType(const wchar_t* name) {
    DWORD type = 0;
    RegGetValueW(HKEY_CURRENT_USER, kTestKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, nullptr);
    return type;
  }
};

}  // namespace

TEST_F(RegistryTest, ValuesRoundTripThroughTheRealRegistry) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kTestKey, true));
    EXPECT_EQ(kTestKey, reg.CurrentPath());
    reg.WriteString(L"Text", L"hello");
    reg.WriteExpandString(L"Path", L"%TEMP%\\x");
    reg.WriteInteger(L"Number", -5);
    reg.WriteBool(L"Flag", true);
    const unsigned char bytes[] = {1, 0, 255, 7};
    reg.WriteBinaryData(L"Bytes", bytes, sizeof bytes);
    reg.WriteString(L"", L"default");
  }
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), RawType(L"Text"));
  EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), RawType(L"Path"));
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), RawType(L"Number"));
  EXPECT_EQ(static_cast<DWORD>(REG_BINARY), RawType(L"Bytes"));

  TRegistry reg(KEY_READ);
  ASSERT_TRUE(reg.OpenKeyReadOnly(String(L"\\") + kTestKey));
  EXPECT_EQ(L"hello", reg.ReadString(L"Text"));
  EXPECT_EQ(L"%TEMP%\\x", reg.ReadString(L"Path"));
  EXPECT_EQ(TRegDataType::rdExpandString, reg.GetDataType(L"Path"));
  EXPECT_EQ(-5, reg.ReadInteger(L"Number"));
  EXPECT_TRUE(reg.ReadBool(L"Flag"));
  EXPECT_EQ(L"default", reg.ReadString(L""));
  unsigned char read[8] = {};
  EXPECT_EQ(4, reg.ReadBinaryData(L"Bytes", read, sizeof read));
  EXPECT_EQ(255, read[2]);
  EXPECT_EQ(4, reg.GetDataSize(L"Bytes"));
  EXPECT_EQ(-1, reg.GetDataSize(L"Missing"));
  EXPECT_EQ(L"", reg.ReadString(L"Missing"));
  EXPECT_EQ(0, reg.ReadBinaryData(L"Missing", read, sizeof read));
  EXPECT_TRUE(reg.ValueExists(L"Text"));
  EXPECT_FALSE(reg.ValueExists(L"Missing"));

  TStringList names;
  names.SetSorted(true);
  reg.GetValueNames(&names);
  EXPECT_EQ(L"\r\nBytes\r\nFlag\r\nNumber\r\nPath\r\nText\r\n", names.Text());
}

TEST_F(RegistryTest, WrongTypesAndMissingNumbersRaiseWithTheValueName) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kTestKey, true));
  reg.WriteString(L"Text", L"12");
  reg.WriteInteger(L"Number", 1);
  unsigned char small[2];
  const unsigned char bytes[] = {1, 2, 3};
  reg.WriteBinaryData(L"Bytes", bytes, sizeof bytes);

  try {
    reg.ReadInteger(L"Missing");
    ADD_FAILURE() << "a missing number was read";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(L"Failed to get data for 'Missing'", e.Message());
  }
  try {
    reg.ReadString(L"Number");
    ADD_FAILURE() << "a number was read as text";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(L"Invalid data type for 'Number'", e.Message());
  }
  EXPECT_THROW(reg.ReadInteger(L"Text"), ERegistryException);
  for (const auto& [value, room, message] : {
           std::tuple{L"Bytes", 2, L"'Bytes' holds 3 bytes, more than the 2 the buffer takes"},
           std::tuple{L"Bytes", -1, L"'Bytes' holds 3 bytes, more than the 0 the buffer takes"},
           std::tuple{L"Text", 2, L"Invalid data type for 'Text'"},
       }) {
    try {
      reg.ReadBinaryData(value, small, room);
      ADD_FAILURE() << "read into " << room << " bytes";
    } catch (const ERegistryException& e) {
      EXPECT_EQ(message, e.Message());
    }
  }
}

TEST_F(RegistryTest, KeysOpenRelativeOrFromTheRootAndDeleteWithTheirSubkeys) {
  TRegistry reg;
  EXPECT_FALSE(reg.KeyExists(kTestKey));
  EXPECT_FALSE(reg.OpenKey(kTestKey, false));
  EXPECT_EQ(nullptr, reg.CurrentKey());
  ASSERT_TRUE(reg.OpenKey(kTestKey, true));
  reg.CreateKey(L"Child\\Grandchild");
  reg.CreateKey(L"Other");
  TStringList keys;
  keys.SetSorted(true);
  reg.GetKeyNames(&keys);
  EXPECT_EQ(L"Child\r\nOther\r\n", keys.Text());

  ASSERT_TRUE(reg.OpenKey(L"Child", false));
  EXPECT_EQ(String(kTestKey) + L"\\Child", reg.CurrentPath());
  reg.WriteString(L"Value", L"v");
  ASSERT_TRUE(reg.OpenKey(String(L"\\") + kTestKey, false));
  EXPECT_EQ(kTestKey, reg.CurrentPath());
  EXPECT_TRUE(reg.KeyExists(L"Child\\Grandchild"));

  EXPECT_TRUE(reg.DeleteKey(L"Child"));
  EXPECT_FALSE(reg.KeyExists(L"Child"));
  EXPECT_TRUE(reg.KeyExists(L"Other"));
  EXPECT_FALSE(reg.DeleteKey(L"Child"));
  EXPECT_FALSE(reg.DeleteKey(L""));
  EXPECT_TRUE(reg.KeyExists(L"Other"));

  reg.WriteString(L"Gone", L"x");
  EXPECT_TRUE(reg.DeleteValue(L"Gone"));
  EXPECT_FALSE(reg.ValueExists(L"Gone"));
  EXPECT_FALSE(reg.DeleteValue(L"Gone"));

  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(nullptr, reg.CurrentKey());
  EXPECT_EQ(L"", reg.CurrentPath());
}

TEST_F(RegistryTest, ReadOnlyKeyRefusesWrites) {
  {
    TRegistry writer;
    ASSERT_TRUE(writer.OpenKey(kTestKey, true));
  }
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly(kTestKey));
  EXPECT_EQ(static_cast<REGSAM>(KEY_READ), reg.Access());
  try {
    reg.WriteString(L"Text", L"x");
    ADD_FAILURE() << "a read-only key took a value";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(L"Failed to set data for 'Text'", e.Message());
  }
}

TEST(RegistryKeyHolder, ClosesWhatItOwnsButNeverARootKey) {
  HKEY opened = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &opened));
  {
    TRegKey holder(opened);
    TRegKey moved(std::move(holder));
    EXPECT_FALSE(holder);
    EXPECT_EQ(opened, moved.Get());
  }
  DWORD subkeys = 0;
  EXPECT_NE(ERROR_SUCCESS, RegQueryInfoKeyW(opened, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                                            nullptr, nullptr, nullptr, nullptr));
  { TRegKey root(HKEY_CURRENT_USER); }
  EXPECT_EQ(ERROR_SUCCESS, RegQueryInfoKeyW(HKEY_CURRENT_USER, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                            nullptr, nullptr, nullptr, nullptr, nullptr));
}

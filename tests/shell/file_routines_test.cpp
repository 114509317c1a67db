#include "shell/file_routines.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "framework/exceptions.h"
#include "framework/streams.h"
#include "framework/sys_utils.h"
#include "framework/text_convert.h"
#include "mail_client_fixture.h"
#include "support/temp_folder.h"

using namespace shell;

namespace {

std::string ReadAll(const String& path) {
  TFileStream stream(path, fmOpenRead);
  std::string bytes(static_cast<size_t>(stream.Size()), '\0');
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  return bytes;
}

String SystemFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetSystemDirectoryW(folder, MAX_PATH);
  return String(folder) + L"\\" + name;
}

TEST(PathRoutines, Separators) {
  const struct {
    const wchar_t* Path;
    const wchar_t* Added;
    const wchar_t* Removed;
  } cases[] = {{L"C:", L"C:\\", L"C:"},
               {L"C:\\dir\\", L"C:\\dir\\", L"C:\\dir"},
               {L"", L"\\", L""},
               {L"\\", L"\\", L""},
               {L"a\\\\", L"a\\\\", L"a\\"}};
  for (const auto& test : cases) {
    EXPECT_EQ(PathAddSeparator(test.Path), test.Added);
    EXPECT_EQ(PathRemoveSeparator(test.Path), test.Removed);
  }
}

TEST(FileRoutines, SizesNamesAndContents) {
  TTempFolder folder;
  StringToFile(folder.File(L"data.txt"), std::string(1234, 'x'));
  StringToFile(folder.File(L"empty.txt"), "");
  // The file system here cuts a longer name to its first 255 bytes, where the search would find this file.
  const String longest(255, L'n');
  StringToFile(folder.File(longest), "12");
  const struct {
    String Name;
    int64_t Size;
  } sizes[] = {{folder.File(L"data.txt"), 1234},
               {folder.File(longest), 2},
               {folder.File(longest + L"x"), -1},
               {folder.File(longest + L"*"), -1},
               {folder.File(L"NUL"), -1},
               {folder.File(L"empty.txt"), 0},
               {folder.File(L"d*.txt"), 1234},
               {folder.File(L"missing.txt"), -1},
               {folder.Path(), 0},
               {folder.File(L""), -1},
               {L"Q:\\not\\ready.txt", -1}};
  for (const auto& test : sizes) {
    EXPECT_EQ(FileGetSize(test.Name), test.Size) << WideToUtf8(test.Name);
    EXPECT_EQ(shell::FileExists(test.Name), test.Size != -1);
  }

  StringToFile(folder.File(L"data.txt"), "short");
  EXPECT_EQ(ReadAll(folder.File(L"data.txt")), "short") << "an existing file is truncated";
  StringToFile(folder.File(L"data.txt"), "");
  EXPECT_EQ(FileGetSize(folder.File(L"data.txt")), 0);
  EXPECT_THROW(StringToFile(folder.Path(), "x"), EFCreateError);
}

TEST(FileRoutines, FirstUnusedName) {
  TTempFolder folder;
  const String base = folder.File(L"LibMapi");
  EXPECT_EQ(FindUnusedFileName(base, L"htm", L"Temp"), base + L".htm");
  StringToFile(base + L".htm", "");
  EXPECT_EQ(FindUnusedFileName(base, L"htm", L"Temp"), base + L"Temp1.htm");
  StringToFile(base + L"Temp1.htm", "");
  StringToFile(base + L"Temp3.htm", "");
  EXPECT_EQ(FindUnusedFileName(base, L"htm", L"Temp"), base + L"Temp2.htm");
  EXPECT_EQ(FindUnusedFileName(base, L"txt", L"Temp"), base + L".txt");
}

TEST(FileRoutines, ModulesVersionsEnvironmentAndTemporaryFolder) {
  EXPECT_EQ(CompareText(ExtractFileName(GetModulePath(nullptr)), L"test_shell.exe"), 0);
  EXPECT_EQ(CompareText(GetModulePath(GetModuleHandleW(L"kernel32.dll")), SystemFile(L"kernel32.dll")), 0);

  VS_FIXEDFILEINFO info{};
  EXPECT_TRUE(VersionFixedFileInfo(SystemFile(L"kernel32.dll"), info));
  EXPECT_EQ(info.dwSignature, 0xFEEF04BDu);
  EXPECT_FALSE(VersionFixedFileInfo(HelperPath(L"recording_mapi_client.dll"), info)) << "a library without version";
  EXPECT_FALSE(VersionFixedFileInfo(L"C:\\no\\such.dll", info));

  SetEnvironmentVariableW(L"SHELL_TEST_VALUE", L"expanded");
  const struct {
    const wchar_t* Value;
    const wchar_t* Expanded;
  } values[] = {{L"%SHELL_TEST_VALUE%\\x", L"expanded\\x"},
                {L"a%SHELL_TEST_VALUE%%SHELL_TEST_VALUE%", L"aexpandedexpanded"},
                {L"%SHELL_TEST_UNSET%", L"%SHELL_TEST_UNSET%"},
                {L"", L""},
                {L"100%", L"100%"}};
  for (const auto& test : values) {
    String value = test.Value;
    EXPECT_TRUE(ExpandEnvironmentVar(value));
    EXPECT_EQ(value, test.Expanded);
  }

  // The platform stops at 32,767 characters and says the buffer was too small: an expansion is whole, or false
  // and the value unchanged.
  SetEnvironmentVariableW(L"SHELL_TEST_LONG", String(20000, L'v').c_str());
  const struct {
    String Value, Expanded;
  } long_values[] = {{L"%SHELL_TEST_LONG%%SHELL_TEST_LONG%", String(40000, L'v')},
                     {L"%SHELL_TEST_LONG%" + String(12767, L'z'), String(20000, L'v') + String(12767, L'z')},
                     {String(40000, L'y'), String(40000, L'y')}};
  for (const auto& test : long_values) {
    String value = test.Value;
    const bool expanded = ExpandEnvironmentVar(value);
    EXPECT_TRUE(value == (expanded ? test.Expanded : test.Value)) << expanded << " " << value.size();
  }
  SetEnvironmentVariableW(L"SHELL_TEST_LONG", nullptr);

  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  EXPECT_EQ(GetWindowsTempFolder(), String(temp, length - 1));
}

// A damaged version block gives false or a block, and neither an exception nor a crash.
TEST(FileRoutines, DamagedVersionBlocks) {
  TTempFolder folder;
  TFileStream source(SystemFile(L"version.dll"), fmOpenRead);
  std::string image(static_cast<size_t>(source.Size()), '\0');
  source.ReadBuffer(image.data(), static_cast<int32_t>(image.size()));
  const std::string marker("V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0", 30);
  const size_t block = image.find(marker);
  ASSERT_NE(block, std::string::npos);
  const size_t start = block > 6 ? block - 6 : 0;

  std::mt19937 random(20261207);
  std::uniform_int_distribution<size_t> offset(start, std::min(image.size() - 1, start + 400));
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 60; ++round) {
    std::string damaged = image;
    for (int i = 0; i < 1 + round % 8; ++i) damaged[offset(random)] = static_cast<char>(byte(random));
    const String path = folder.File(L"damaged" + std::to_wstring(round) + L".dll");
    StringToFile(path, damaged);
    VS_FIXEDFILEINFO info{};
    VersionFixedFileInfo(path, info);
  }
}

}  // namespace

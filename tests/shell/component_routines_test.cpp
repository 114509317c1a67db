#include <gtest/gtest.h>

#include "framework/application.h"
#include "framework/exceptions.h"
#include "framework/graphics.h"
#include "framework/icon.h"
#include "framework/strings.h"
#include "process_counts.h"
#include "registry_backup.h"
#include "shell/registry_routines.h"
#include "shell/system/application_windows.h"
#include "shell/system/auto_run_routines.h"
#include "shell/system/color_names.h"
#include "shell/system/name_routines.h"
#include "shell/system/registry_watch.h"
#include "shell/system/sys_version.h"
#include "support/temp_folder.h"

using namespace shell;

namespace {

constexpr DWORD kWindows = VER_PLATFORM_WIN32_WINDOWS;
constexpr DWORD kNT = VER_PLATFORM_WIN32_NT;

TEST(ComponentSetVersion, ReleasesNeedTheirOwnBuild) {
  const struct {
    TOsVersion Version;
    int Expected;
    bool Win98orHigher, Win2000orHigher, WinXPorHigher;
  } cases[] = {
      {{kWindows, 4, 0, 950, L""}, 1, false, false, false},
      {{kWindows, 4, 0, (4u << 24) | 1111, L" B"}, 2, false, false, false},
      {{kWindows, 4, 0, 1112, L"B"}, 0, false, false, false},
      {{kWindows, 4, 10, 1998, L""}, 3, true, false, false},
      {{kWindows, 4, 10, 2000, L""}, 0, true, false, false},
      {{kWindows, 4, 10, 2222, L"A"}, 4, true, false, false},
      {{kWindows, 4, 90, 3000, L""}, 8, true, false, false},
      {{kNT, 3, 51, 1057, L""}, 5, false, false, false},
      {{kNT, 4, 0, 1381, L""}, 6, false, false, false},
      {{kNT, 4, 0, 1380, L""}, 0, false, false, false},
      {{kNT, 5, 0, 2195, L""}, 7, false, true, false},
      {{kNT, 5, 1, 2600, L""}, 9, false, true, true},
      {{kNT, 5, 2, 3790, L""}, 0, false, true, true},
      {{kNT, 6, 1, 7601, L""}, 0, false, true, true},
  };
  static TOsVersion played;
  for (const auto& test : cases) {
    played = test.Version;
    SetOsVersionQuery([] { return played; });
    sys::InitWinVersionFlags();
    EXPECT_EQ(sys::GetWinVersion(test.Version), test.Expected) << test.Version.MinorVersion;
    EXPECT_EQ(sys::IsWin98orHigher, test.Win98orHigher);
    EXPECT_EQ(sys::IsWin2000orHigher, test.Win2000orHigher);
    EXPECT_EQ(sys::IsWinXPorHigher, test.WinXPorHigher);
    EXPECT_EQ(sys::IsWinNT4, test.Expected == 6);
    EXPECT_EQ(IsWinNT, test.Version.PlatformId == kNT);
  }
  SetOsVersionQuery(nullptr);
  sys::InitWinVersionFlags();
  EXPECT_TRUE(sys::IsWin2000orHigher);
}

TEST(ComponentSetText, PositionsAndReplacing) {
  EXPECT_EQ(PosEx(L"ab", L"xxabab", 4), 5u);
  EXPECT_EQ(PosEx(L"ab", L"xxab", 9), 0u);
  EXPECT_EQ(PosEx(L"", L"xxab", 1), 0u);
  EXPECT_EQ(BackPos(L"ab", L"abxab", 4), 1u);
  EXPECT_EQ(LastPos(L"ab", L"abxab"), 4u);
  EXPECT_EQ(LastPos(L"abc", L"ab"), 0u);
  const struct {
    const wchar_t *Text, *Old, *New, *Expected;
  } replacements[] = {
      {L"banana", L"a", L"aa", L"baanaanaa"}, {L"aaa", L"aa", L"b", L"ba"},
      {L"xabx", L"ab", L"", L"xx"},           {L"abc", L"", L"z", L"abc"},
      {L"abc", L"d", L"z", L"abc"},
  };
  for (const auto& r : replacements) {
    String replaced = r.Text;
    ReplaceAll(replaced, r.Old, r.New);
    EXPECT_EQ(replaced, r.Expected) << r.Text << " " << r.Old;
  }
  String text = L"baanaanaa";
  ReplaceChar(text, L'a', L'o');
  EXPECT_EQ(text, L"boonoonoo");
  TStringList lines;
  SplitText(L"a;b;;c", L";", lines);
  EXPECT_EQ(lines.Text(), L"a\r\nb\r\n\r\nc\r\n");
}

TEST(ComponentSetText, FileNames) {
  const struct {
    const wchar_t *Source, *Mask, *Expected;
  } masks[] = {
      {L"a.txt", L"*.bak", L"a.bak"},
      {L"a.txt", L"b.*", L"b.txt"},
      {L"a.txt", L"C:\\dir\\", L"C:\\dir\\a.txt"},
      {L"a.txt", L"  ", L"a.txt"},
      {L"C:\\x\\a.txt", L"?.log", L"C:\\x\\a.log"},
  };
  for (const auto& test : masks) EXPECT_EQ(ExpandMask(test.Source, test.Mask), test.Expected) << test.Mask;
  EXPECT_EQ(ExtractFileNameEx(L"http://host/dir/file.htm"), L"file.htm");
  EXPECT_EQ(ExtractFilePathEx(L"C:file.txt"), L"C:");
  EXPECT_EQ(ExtractFileNameNoExt(L"C:\\a.b\\c.tar.gz"), L"c.tar");
  const struct {
    const wchar_t *Base, *Path, *Expected;
  } paths[] = {
      {L"C:\\base\\", L"\\sub\\\\f.txt", L"C:\\base\\sub\\f.txt"},
      {L"C:\\base", L"D:\\f.txt", L"D:\\f.txt"},
      {L"\\\\srv\\share", L"x.txt", L"\\\\srv\\share\\x.txt"},
      {L"\\\\srv\\share\\\\", L"sub\\\\x.txt", L"\\\\srv\\share\\sub\\x.txt"},
      {L"C:\\a\\\\\\b", L"x", L"C:\\a\\b\\x"},
      {L"", L"\\x.txt", L"\\x.txt"},
      {L"\\", L"\\dir\\x.txt", L"\\dir\\x.txt"},
      {L"\\\\?\\C:\\dir", L"x.txt", L"\\\\?\\C:\\dir\\x.txt"},
  };
  for (const auto& p : paths) EXPECT_EQ(ExpandPath(p.Base, p.Path), p.Expected) << p.Base << " " << p.Path;
  EXPECT_EQ(GetSystemDir().back(), L'\\');

  TTempFolder folder;
  EXPECT_TRUE(CanCreateFile(folder.File(L"new.txt")));
  EXPECT_EQ(GetFileAttributesW(folder.File(L"new.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(CanCreateFile(folder.File(L"missing\\new.txt")));
  EXPECT_FALSE(CanCreateFile(L""));
  HANDLE existing = CreateFileW(folder.File(L"there.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  CloseHandle(existing);
  EXPECT_TRUE(CanCreateFile(folder.File(L"there.txt")));
  for (const wchar_t* pattern : {L"*.txt", L"there.tx?", L"*"}) EXPECT_FALSE(CanCreateFile(folder.File(pattern)));
  EXPECT_FALSE(CanCreateFile(folder.Path()));
  // The prefix that lifts the length limit holds a "?" that is no wildcard.
  EXPECT_TRUE(CanCreateFile(L"\\\\?\\" + folder.File(L"there.txt")));
  EXPECT_TRUE(CanCreateFile(L"\\\\?\\" + folder.File(L"new.txt")));
  EXPECT_FALSE(CanCreateFile(L"\\\\?\\" + folder.File(L"*.txt")));
}

TEST(ComponentSetRegistry, AutoRunEntries) {
  TRegistryBackup user(HKEY_CURRENT_USER, AutoRunKey(TSysAutoExecKind::aekUserRunOnce));
  const String file = L"C:\\Program Files\\Tool\\tool.exe";
  ASSERT_TRUE(SetAutoRun(TSysAutoExecKind::aekUserRunOnce, file));
  EXPECT_EQ(RegReadStringDef(HKEY_CURRENT_USER, AutoRunKey(TSysAutoExecKind::aekUserRunOnce), L"tool.exe", L"-"), file);
  EXPECT_TRUE(RemoveAutoRun(TSysAutoExecKind::aekUserRunOnce, file));
  EXPECT_TRUE(RemoveAutoRun(TSysAutoExecKind::aekUserRunOnce, file));
  EXPECT_EQ(RegReadStringDef(HKEY_CURRENT_USER, AutoRunKey(TSysAutoExecKind::aekUserRunOnce), L"tool.exe", L"-"), L"-");
  // Entries are named by file name alone: only the entry that starts this very file is this file's.
  const String other = L"C:\\other\\tool.exe";
  ASSERT_TRUE(SetAutoRun(TSysAutoExecKind::aekUserRunOnce, file));
  EXPECT_TRUE(RemoveAutoRun(TSysAutoExecKind::aekUserRunOnce, other));
  EXPECT_EQ(RegReadStringDef(HKEY_CURRENT_USER, AutoRunKey(TSysAutoExecKind::aekUserRunOnce), L"tool.exe", L"-"), file);
  EXPECT_TRUE(RemoveAutoRun(TSysAutoExecKind::aekUserRunOnce, L"c:\\program files\\tool\\TOOL.EXE"));
  EXPECT_EQ(RegReadStringDef(HKEY_CURRENT_USER, AutoRunKey(TSysAutoExecKind::aekUserRunOnce), L"tool.exe", L"-"), L"-");
  // A name that is no file would write the key's default value.
  EXPECT_FALSE(SetAutoRun(TSysAutoExecKind::aekUserRunOnce, L"C:\\dir\\"));
  EXPECT_EQ(RegReadStringDef(HKEY_CURRENT_USER, AutoRunKey(TSysAutoExecKind::aekUserRunOnce), L"", L"-"), L"-");
  // No service start entries on the NT platform.
  EXPECT_FALSE(SetAutoRun(TSysAutoExecKind::aekServiceRun, file));
  EXPECT_FALSE(RemoveAutoRun(TSysAutoExecKind::aekServiceRunOnce, file));

  TRegistryBackup scratch(HKEY_CURRENT_USER, L"Software\\BrowserComponentsTests\\Written");
  RegWriteValue(HKEY_CURRENT_USER, L"Software\\BrowserComponentsTests\\Written", L"Path", L"%TEMP%\\x");
  DWORD type = 0;
  RegGetValueW(HKEY_CURRENT_USER, L"Software\\BrowserComponentsTests\\Written", L"Path", RRF_RT_ANY | RRF_NOEXPAND,
               &type, nullptr, nullptr);
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
  // Reading would cut the value at a NUL inside it: refused, and the value stays.
  EXPECT_THROW(RegWriteValue(HKEY_CURRENT_USER, L"Software\\BrowserComponentsTests\\Written", L"Path",
                             String(L"C:\\a.exe\0 /hidden", 17)),
               ERegistryException);
  EXPECT_EQ(RegReadStringDef(HKEY_CURRENT_USER, L"Software\\BrowserComponentsTests\\Written", L"Path", L""),
            L"%TEMP%\\x");
}

TEST(ComponentSetColors, NamesComeBeforeTheFrameworks) {
  TColor color = 0;
  ASSERT_TRUE(IdentToColor(L"clLavender", color));
  EXPECT_EQ(color, clLavender);
  EXPECT_EQ(ColorToString(clBrown), L"clBrown");
  EXPECT_EQ(StringToColor(L"clRed"), clRed);
}

}  // namespace

namespace {

TEST(ComponentSetRegistry, KeyWatchesFireAndCloseOnEveryPath) {
  const wchar_t key[] = L"Software\\BrowserComponentsTests\\WatchedByRoutine";
  TRegistryBackup backup(HKEY_CURRENT_USER, key);
  WriteRegString(HKEY_CURRENT_USER, key, L"v", L"1");
  HKEY opened = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened), ERROR_SUCCESS);
  HANDLE watch = RegWatchKey(opened, false, REG_NOTIFY_CHANGE_LAST_SET);
  ASSERT_NE(watch, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WaitForSingleObject(watch, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  WriteRegString(HKEY_CURRENT_USER, key, L"v", L"2");
  EXPECT_EQ(WaitForSingleObject(watch, 2000), WAIT_OBJECT_0);
  EXPECT_TRUE(RegRewatchKey(opened, false, REG_NOTIFY_CHANGE_LAST_SET, watch));
  EXPECT_EQ(WaitForSingleObject(watch, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseWatchHandle(watch);
  EXPECT_EQ(watch, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(RegRewatchKey(opened, false, REG_NOTIFY_CHANGE_LAST_SET, watch));
  RegCloseKey(opened);

  // A watch that cannot be armed leaves no event behind.
  const DWORD before = OpenHandles();
  EXPECT_EQ(RegWatchKey(reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x7FFC)), false, REG_NOTIFY_CHANGE_NAME),
            INVALID_HANDLE_VALUE);
  EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(OpenHandles(), before);
}

TEST(ComponentSetWindows, EarlierInstanceByClassAndTitle) {
  const String saved = Application->Title();
  Application->SetTitle(L"Instance finder test");
  EXPECT_EQ(FindPrevInstanceWindow(), nullptr);
  EXPECT_FALSE(ActivatePrevInstance());
  wchar_t className[256] = {};
  GetClassNameW(Application->Handle(), className, 256);
  const struct {
    const wchar_t* Title;
    bool Found;
  } cases[] = {{L"Another program", false}, {L"Instance finder test", true}};
  for (const auto& test : cases) {
    HWND other = CreateWindowExW(0, className, test.Title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(FindPrevInstanceWindow() == other, test.Found) << test.Title;
    EXPECT_EQ(ActivatePrevInstance(), test.Found);
    DestroyWindow(other);
  }
  Application->SetTitle(saved);
}

TEST(ComponentSetWindows, ShowingAndHidingTheApplication) {
  HWND window = Application->Handle();
  const bool wasVisible = IsWindowVisible(window);
  EXPECT_TRUE(ShowApplication().Alive());
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(HideApplication().Alive());
  EXPECT_FALSE(IsWindowVisible(window));
  if (wasVisible) ShowApplicationWindow();
  TIcon large, small;
  GetShellIcon(0, &large, &small);
  EXPECT_FALSE(large.Empty());
  EXPECT_FALSE(small.Empty());
}

}  // namespace

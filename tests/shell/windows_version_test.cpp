#include "shell/windows_version.h"

#include <gtest/gtest.h>

using namespace shell;

namespace {

constexpr DWORD kWindows = VER_PLATFORM_WIN32_WINDOWS;
constexpr DWORD kNT = VER_PLATFORM_WIN32_NT;
constexpr DWORD kMillennium = 0x0004005A;

TEST(WindowsVersion, FromThePlatformsRecord) {
  const struct {
    TOsVersion Version;
    DWORD KernelHi;
    int Expected;
  } cases[] = {
      {{kWindows, 4, 0, 950, L""}, 0, 1},
      {{kWindows, 4, 0, 1111, L" B "}, 0, 2},
      {{kWindows, 4, 0, 1111, L"C"}, 0, 1},
      {{kWindows, 4, 10, 1998, L""}, 0, 3},
      {{kWindows, 4, 10, 2222, L" A"}, 0, 4},
      {{kWindows, 4, 10, 2222, L"A"}, kMillennium, 5},
      {{kWindows, 4, 89, 0, L""}, kMillennium, 5},
      {{kWindows, 4, 90, 3000, L""}, 0, 5},
      {{kWindows, 4, 91, 0, L""}, 0, 0},
      {{kNT, 3, 1, 0, L""}, 0, 6},
      {{kNT, 3, 5, 0, L""}, 0, 7},
      {{kNT, 3, 51, 0, L""}, 0, 8},
      {{kNT, 3, 2, 0, L""}, 0, 0},
      {{kNT, 4, 0, 1381, L"Service Pack 6"}, 0, 9},
      {{kNT, 5, 0, 2195, L""}, 0, 10},
      {{kNT, 5, 1, 2600, L""}, 0, 11},
      {{kNT, 5, 2, 3790, L""}, 0, 0},
      {{kNT, 6, 1, 7601, L""}, 0, 0},
      {{0, 4, 0, 0, L""}, 0, 0},
      {{3, 5, 1, 0, L""}, 0, 0},
  };
  for (const auto& test : cases)
    EXPECT_EQ(GetWindowsVersion(test.Version, test.KernelHi), test.Expected)
        << test.Version.PlatformId << " " << test.Version.MajorVersion << "." << test.Version.MinorVersion;
}

// Plays other platforms through the version seam and puts the real one back.
class VersionFlags : public testing::Test {
 protected:
  void TearDown() override {
    SetOsVersionQuery(nullptr);
    InitSysInfo();
  }
  static inline TOsVersion played;
  static TOsVersion Played() { return played; }
};

TEST_F(VersionFlags, OneFlagPerVersion) {
  const struct {
    TOsVersion Version;
    bool* Flags[2];
  } cases[] = {
      {{kWindows, 4, 0, 0, L""}, {&IsWin95, nullptr}},  {{kWindows, 4, 0, 0, L"B"}, {&IsWin95OSR2, nullptr}},
      {{kWindows, 4, 10, 0, L""}, {&IsWin98, nullptr}}, {{kWindows, 4, 10, 0, L"A"}, {&IsWin98SE, nullptr}},
      {{kWindows, 4, 90, 0, L""}, {&IsWinME, nullptr}}, {{kNT, 3, 1, 0, L""}, {&IsWinNT3, &IsWinNT31}},
      {{kNT, 3, 5, 0, L""}, {&IsWinNT3, &IsWinNT35}},   {{kNT, 3, 51, 0, L""}, {&IsWinNT3, &IsWinNT351}},
      {{kNT, 4, 0, 0, L""}, {&IsWinNT4, nullptr}},      {{kNT, 5, 0, 0, L""}, {&IsWin2K, nullptr}},
      {{kNT, 5, 1, 0, L""}, {&IsWinXP, nullptr}},       {{kNT, 10, 0, 0, L""}, {nullptr, nullptr}},
  };
  bool* const all[] = {&IsWin95,   &IsWin95OSR2, &IsWin98,    &IsWin98SE, &IsWinME, &IsWinNT3,
                       &IsWinNT31, &IsWinNT35,   &IsWinNT351, &IsWinNT4,  &IsWin2K, &IsWinXP};
  SetOsVersionQuery(&Played);
  for (const auto& test : cases) {
    played = test.Version;
    InitSysInfo();
    for (bool* flag : all)
      EXPECT_EQ(*flag, flag == test.Flags[0] || flag == test.Flags[1])
          << "flag " << (flag - all[0]) << " for " << test.Version.MajorVersion << "." << test.Version.MinorVersion;
    EXPECT_EQ(IsWinNT, test.Version.PlatformId == kNT);
    // Off NT the kernel's own file version is read (the real file here, which is no Windows ME kernel).
    EXPECT_EQ(KernelVersionHi != 0, test.Version.PlatformId != kNT);
  }
}

TEST(SystemFigures, ThisMachine) {
  EXPECT_GE(ProcessorCount, 1u);
  EXPECT_EQ(PageSize, 4096u);
  EXPECT_GE(AllocGranularity, PageSize);
  EXPECT_TRUE(IsWinNT);
  EXPECT_EQ(KernelVersionHi, 0u) << "read only off NT";
}

}  // namespace

#include "shell/system/sys_version.h"

#include "framework/sys_utils.h"

namespace shell::sys {

bool IsWin95 = false, IsWin95OSR2 = false, IsWin98 = false, IsWin98SE = false, IsWinNT3 = false, IsWinNT4 = false,
     IsWin2000 = false, IsWinME = false, IsWinXP = false;
bool IsWin98orHigher = false, IsWin2000orHigher = false, IsWinXPorHigher = false;

namespace {

struct TRelease {
  int Value;
  DWORD RequiredBuild;  // 0: any build
};

// The release the record names, before its build is checked.
TRelease RecognisedRelease(const TOsVersion& version) {
  if (version.PlatformId == VER_PLATFORM_WIN32_WINDOWS) {
    const String servicePack = Trim(version.ServicePack);
    switch (version.MinorVersion) {
      case 0:
        return servicePack == L"B" ? TRelease{2, 1111} : TRelease{1, 0};
      case 10:
        return servicePack == L"A" ? TRelease{4, 2222} : TRelease{3, 1998};
      case 90:
        return {8, 3000};
      default:
        return {0, 0};
    }
  }
  if (version.PlatformId == VER_PLATFORM_WIN32_NT) {
    switch (version.MajorVersion) {
      case 3:
        return {5, 0};
      case 4:
        return {6, 1381};
      case 5:
        return version.MinorVersion == 0 ? TRelease{7, 2195} : TRelease{9, 2600};
      default:
        return {0, 0};
    }
  }
  return {0, 0};
}

DWORD BuildOf(const TOsVersion& version) {
  // The 9x family keeps the version in the high word of its build number.
  return version.PlatformId == VER_PLATFORM_WIN32_WINDOWS ? LOWORD(version.BuildNumber) : version.BuildNumber;
}

}  // namespace

int GetWinVersion(const TOsVersion& version) {
  const TRelease release = RecognisedRelease(version);
  if (release.RequiredBuild != 0 && release.RequiredBuild != BuildOf(version)) return 0;
  return release.Value;
}

int GetWinVersion() { return GetWinVersion(ReadOsVersion()); }

void InitWinVersionFlags() {
  const TOsVersion version = ReadOsVersion();
  const int value = GetWinVersion(version);
  bool* const byValue[] = {nullptr,   &IsWin95,  &IsWin95OSR2, &IsWin98, &IsWin98SE,
                           &IsWinNT3, &IsWinNT4, &IsWin2000,   &IsWinME, &IsWinXP};
  for (bool* flag : byValue)
    if (flag) *flag = false;
  if (byValue[value]) *byValue[value] = true;
  const int release = RecognisedRelease(version).Value;
  const bool nt = version.PlatformId == VER_PLATFORM_WIN32_NT;
  IsWin98orHigher = version.PlatformId == VER_PLATFORM_WIN32_WINDOWS && release != 1 && release != 2;
  IsWin2000orHigher = nt && release != 5 && release != 6;
  IsWinXPorHigher = IsWin2000orHigher && release != 7;
  IsWinNT = nt;
}

}  // namespace shell::sys

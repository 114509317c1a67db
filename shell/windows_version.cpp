#include "shell/windows_version.h"

#include "framework/sys_utils.h"
#include "shell/file_routines.h"

namespace shell {

DWORD ProcessorCount = 0;
DWORD PageSize = 0;
DWORD AllocGranularity = 0;
bool IsWinNT = false;
DWORD KernelVersionHi = 0;
bool IsWin95 = false, IsWin95OSR2 = false, IsWin98 = false, IsWin98SE = false, IsWinME = false;
bool IsWinNT3 = false, IsWinNT31 = false, IsWinNT35 = false, IsWinNT351 = false, IsWinNT4 = false, IsWin2K = false,
     IsWinXP = false;

namespace {

// The product version of kernel32 on the 9x family that marks Windows ME (4.90).
constexpr DWORD kMillenniumKernelVersion = 0x0004005A;

TOsVersion PlatformOsVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)  // the version record is what these routines are about
#endif
  GetVersionExW(&info);
  return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.szCSDVersion};
}

TOsVersionQuery osVersionQuery = &PlatformOsVersion;

int Windows9xVersion(const TOsVersion& version, DWORD kernelVersionHi) {
  const String servicePack = Trim(version.ServicePack);
  if (version.MinorVersion < 10) return servicePack == L"B" ? 2 : 1;
  if (version.MinorVersion < 90) {
    if (kernelVersionHi == kMillenniumKernelVersion) return 5;
    return servicePack == L"A" ? 4 : 3;
  }
  return version.MinorVersion == 90 ? 5 : 0;
}

int WindowsNTVersion(const TOsVersion& version) {
  switch (version.MajorVersion) {
    case 3:
      return version.MinorVersion == 1 ? 6 : version.MinorVersion == 5 ? 7 : version.MinorVersion == 51 ? 8 : 0;
    case 4:
      return 9;
    case 5:
      return version.MinorVersion == 0 ? 10 : version.MinorVersion == 1 ? 11 : 0;
    default:
      return 0;
  }
}

DWORD ReadKernelVersionHi() {
  VS_FIXEDFILEINFO info{};
  if (!VersionFixedFileInfo(GetModulePath(GetModuleHandleW(L"kernel32.dll")), info)) return 0;
  return info.dwProductVersionMS;
}

void SetVersionFlags(int version) {
  IsWin95 = version == 1;
  IsWin95OSR2 = version == 2;
  IsWin98 = version == 3;
  IsWin98SE = version == 4;
  IsWinME = version == 5;
  IsWinNT3 = version >= 6 && version <= 8;
  IsWinNT31 = version == 6;
  IsWinNT35 = version == 7;
  IsWinNT351 = version == 8;
  IsWinNT4 = version == 9;
  IsWin2K = version == 10;
  IsWinXP = version == 11;
}

}  // namespace

TOsVersionQuery SetOsVersionQuery(TOsVersionQuery query) {
  const TOsVersionQuery previous = osVersionQuery;
  osVersionQuery = query ? query : &PlatformOsVersion;
  return previous;
}

TOsVersion ReadOsVersion() { return osVersionQuery(); }

int GetWindowsVersion(const TOsVersion& version, DWORD kernelVersionHi) {
  switch (version.PlatformId) {
    case VER_PLATFORM_WIN32_WINDOWS:
      return Windows9xVersion(version, kernelVersionHi);
    case VER_PLATFORM_WIN32_NT:
      return WindowsNTVersion(version);
    default:
      return 0;
  }
}

int GetWindowsVersion() { return GetWindowsVersion(ReadOsVersion(), KernelVersionHi); }

void InitSysInfo() {
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  ProcessorCount = system.dwNumberOfProcessors;
  PageSize = system.dwPageSize;
  AllocGranularity = system.dwAllocationGranularity;
  const TOsVersion version = ReadOsVersion();
  IsWinNT = version.PlatformId == VER_PLATFORM_WIN32_NT;
  KernelVersionHi = IsWinNT ? 0 : ReadKernelVersionHi();
  SetVersionFlags(GetWindowsVersion(version, KernelVersionHi));
}

}  // namespace shell

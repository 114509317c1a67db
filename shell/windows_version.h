// What the system routines know of the machine: processor and memory figures and the Windows version, read once
// when the system routines start.
#pragma once

#include <windows.h>

#include "framework/object.h"

namespace shell {

// The platform's version record as the version routines read it.
struct TOsVersion {
  DWORD PlatformId = 0;
  DWORD MajorVersion = 0;
  DWORD MinorVersion = 0;
  DWORD BuildNumber = 0;
  String ServicePack;
};

// How the version is asked of the platform; the default calls GetVersionExW. Tests install their own to play
// other platforms. Installs query (null: the platform's own) and returns the one it replaces.
using TOsVersionQuery = TOsVersion (*)();
TOsVersionQuery SetOsVersionQuery(TOsVersionQuery query);
TOsVersion ReadOsVersion();

extern DWORD ProcessorCount;
extern DWORD PageSize;
extern DWORD AllocGranularity;
extern bool IsWinNT;
// The product version (high part) of kernel32's file off the NT platform, else 0.
extern DWORD KernelVersionHi;
// At most one of these is set, from GetWindowsVersion (NT 3 sets IsWinNT3 and its minor version's flag).
extern bool IsWin95, IsWin95OSR2, IsWin98, IsWin98SE, IsWinME;
extern bool IsWinNT3, IsWinNT31, IsWinNT35, IsWinNT351, IsWinNT4, IsWin2K, IsWinXP;

// 1 Windows 95, 2 95 OSR2, 3 98, 4 98 SE, 5 ME, 6 NT 3.1, 7 NT 3.5, 8 NT 3.51, 9 NT 4, 10 2000, 11 XP; 0 for
// any other version.
int GetWindowsVersion(const TOsVersion& version, DWORD kernelVersionHi);
int GetWindowsVersion();

// Reads the figures and sets the flags above; run by the system routines' start.
void InitSysInfo();

}  // namespace shell

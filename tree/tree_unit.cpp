#include "tree/tree_unit.h"

#include <mmsystem.h>
#include <objbase.h>

#include <memory>

#include "framework/exceptions.h"
#include "framework/startup.h"
#include "framework/visual_styles.h"
#include "tree/clipboard_format_registry.h"
#include "tree/paint/glyph_images.h"
#include "tree/string_tree.h"

#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <cpuid.h>
#endif

namespace tree {

bool HasMMX = false;
bool IsNTPlatform = false;
bool IsNT5OrLater = false;
bool IsNT51OrLater = false;

namespace {

CRITICAL_SECTION imageLoadLock;
std::unique_ptr<TVisualStylesBinding> visualStyles;

// Leaf 1 of the processor identification: a family signature of at least 0x50 and feature bit 23. Every 64-bit
// processor has the identification instruction, so its availability needs no flag test here.
bool ProcessorHasMMX() {
  unsigned int regs[4] = {};
#if defined(_MSC_VER)
  int info[4];
  __cpuid(info, 1);
  for (int i = 0; i < 4; ++i) regs[i] = static_cast<unsigned int>(info[i]);
#else
  if (!__get_cpuid(1, &regs[0], &regs[1], &regs[2], &regs[3])) return false;
#endif
  return (regs[0] & 0xFFF0) >= 0x50 && (regs[3] & (1u << 23)) != 0;
}

void ReadPlatformVersion() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
  GetVersionExW(&version);
  IsNTPlatform = (version.dwPlatformId & 2) != 0;
  IsNT5OrLater = IsNTPlatform && version.dwMajorVersion > 4;
  IsNT51OrLater = IsNT5OrLater && (version.dwMajorVersion > 5 || version.dwMinorVersion > 0);
}

}  // namespace

CRITICAL_SECTION& ImageLoadLock() { return imageLoadLock; }

void InitializeTreeGlobals() {
  InitializeCriticalSection(&imageLoadLock);
  HasMMX = ProcessorHasMMX();
  ReadPlatformVersion();
  if (FAILED(OleInitialize(nullptr))) RaiseLastOSError();
  timeBeginPeriod(1);
  LoadGlyphImages();
  CreateClipboardFormatRegistry();
  RegisterTextTreeClipboardFormats(TCustomStringTree::StaticClass());
  if (IsNT51OrLater) visualStyles = std::make_unique<TVisualStylesBinding>();
}

void FinalizeTreeGlobals() {
  visualStyles.reset();
  FreeClipboardFormatRegistry();
  timeEndPeriod(1);
  FreeGlyphImages();
  OleUninitialize();
  DeleteCriticalSection(&imageLoadLock);
}

const TUnit& TreeUnit() {
  static const TUnit unit{L"Tree", &InitializeTreeGlobals, &FinalizeTreeGlobals, {&FrameworkUnit()}};
  return unit;
}

}  // namespace tree

// The tree library's process-wide set-up: platform facts, the image-loading lock, the timer resolution and the
// clipboard format registry live from the unit's start to its end.
#pragma once

#include <windows.h>

struct TUnit;

namespace tree {

// The processor has the MMX instruction set: alpha blending, hint shadows and blended drag images use it.
extern bool HasMMX;
extern bool IsNTPlatform;
extern bool IsNT5OrLater;
extern bool IsNT51OrLater;
// Serialises the filling of the shared glyph image lists.
CRITICAL_SECTION& ImageLoadLock();

// Raises EOSError when OLE cannot start.
void InitializeTreeGlobals();
void FinalizeTreeGlobals();

// The library's unit; it needs the framework's.
const TUnit& TreeUnit();

}  // namespace tree

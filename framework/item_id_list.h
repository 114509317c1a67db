// Holders of memory the shell hands out from the COM task allocator, item-ID lists (PIDLs) above all.
#pragma once

#include <objbase.h>
#include <shtypes.h>
#include <windows.h>

#include <memory>

struct TCoTaskMemDeleter {
  void operator()(void* memory) const noexcept { CoTaskMemFree(memory); }
};

// Owns an item-ID list and frees it with CoTaskMemFree, as the shell expects of every list it returns.
using TItemIdList = std::unique_ptr<ITEMIDLIST, TCoTaskMemDeleter>;

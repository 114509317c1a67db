#include "toolbars/items/drag_cursors.h"

namespace toolbars {

namespace {

TDragCursor dragMoveCursor;
TDragCursor dragCopyCursor;

// The version of the cursor image data the platform reads.
constexpr DWORD kCursorFormatVersion = 0x00030000;

}  // namespace

TDragCursor& TDragCursor::operator=(TDragCursor&& other) noexcept {
  if (this != &other) {
    Reset();
    handle_ = other.handle_;
    created_ = other.created_;
    other.handle_ = nullptr;
  }
  return *this;
}

void TDragCursor::Reset() {
  if (handle_ && created_) DestroyCursor(handle_);
  handle_ = nullptr;
  created_ = false;
}

TDragCursor LoadDragCursor(HMODULE module, const wchar_t* name) {
  if (FindResourceW(module, name, RT_GROUP_CURSOR))
    if (HCURSOR shared = LoadCursorW(module, name)) return TDragCursor(shared, false);
  HRSRC resource = FindResourceW(module, name, RT_RCDATA);
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  auto* data = loaded ? static_cast<BYTE*>(LockResource(loaded)) : nullptr;
  if (!data) return TDragCursor();
  return TDragCursor(CreateIconFromResourceEx(data, SizeofResource(module, resource), FALSE, kCursorFormatVersion, 0, 0,
                                              LR_DEFAULTCOLOR),
                     true);
}

void LoadDragCursors() {
  HMODULE module = GetModuleHandleW(nullptr);
  dragMoveCursor = LoadDragCursor(module, L"NBDRAGITEMCURSOR");
  dragCopyCursor = LoadDragCursor(module, L"NBADDITEMCURSOR");
}

void FreeDragCursors() {
  dragMoveCursor.Reset();
  dragCopyCursor.Reset();
}

HCURSOR DragMoveCursor() { return dragMoveCursor.Handle(); }
HCURSOR DragCopyCursor() { return dragCopyCursor.Handle(); }
HCURSOR DragNoDropCursor() { return LoadCursorW(nullptr, IDC_NO); }

}  // namespace toolbars

// The cursors of item drag and drop in menus: move and copy, loaded once when the framework starts, and the
// system's no-drop cursor.
#pragma once

#include <windows.h>

namespace toolbars {

// One cursor and whether it was made here, so that only a made cursor is destroyed: a cursor the platform loads
// from a cursor resource or its own set is shared and must not be.
class TDragCursor {
 public:
  TDragCursor() = default;
  TDragCursor(HCURSOR handle, bool created) : handle_(handle), created_(created) {}
  ~TDragCursor() { Reset(); }
  TDragCursor(TDragCursor&& other) noexcept : handle_(other.handle_), created_(other.created_) {
    other.handle_ = nullptr;
  }
  TDragCursor& operator=(TDragCursor&& other) noexcept;
  TDragCursor(const TDragCursor&) = delete;
  TDragCursor& operator=(const TDragCursor&) = delete;

  HCURSOR Handle() const { return handle_; }
  bool Created() const { return created_; }
  void Reset();

 private:
  HCURSOR handle_ = nullptr;
  bool created_ = false;
};

// The program's own cursor resource of that name when it has one; otherwise the raw cursor image of that name the
// framework's resource file brings along, made into a cursor. An empty cursor when neither exists.
TDragCursor LoadDragCursor(HMODULE module, const wchar_t* name);

void LoadDragCursors();
void FreeDragCursors();
HCURSOR DragMoveCursor();
HCURSOR DragCopyCursor();
HCURSOR DragNoDropCursor();

}  // namespace toolbars

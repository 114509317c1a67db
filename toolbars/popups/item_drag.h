// Item drag and drop inside open menus: the user drags an entry to another place of a menu or into another
// submenu (with Ctrl held, a copy), the viewers show where it would land, and the application decides through one
// callback whether and what moves. The tracking loop starts and ends the drag; the mouse capture of the menus is
// kept here too, since the application takes it back through CaptureMenuWindow after a dialog of its own.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/object.h"

namespace toolbars {

class TBarCustomItem;
class TBarItemViewer;
class TBarView;

// The application's answer to a drop: false leaves everything as it was. It may change target and index, and for
// a copy it supplies the new item.
using TBarMoveCallback = bool (*)(HWND menuWindow, TBarCustomItem* dragged, TBarCustomItem*& newItem,
                                  TBarCustomItem*& target, int& index, bool copy);

// The DragLink of the entry being dragged, 0 while no drag is on. The link is the address of a location that holds
// the dragged item.
extern uintptr_t DragSource;
extern TBarMoveCallback MoveCallback;
// The placeholder entry the application puts into an empty menu ("[Empty]" from the start of the pop-ups unit on;
// the application replaces it by its translated word).
extern String EmptyCaption;
extern int EmptyImageIndex;
// The window that holds the mouse capture while menus are tracked, and how many trackings asked for it.
extern HWND CaptureWnd;
extern int CaptureCount;

// Drop marks of a viewer.
constexpr int kDropBefore = 1;
constexpr int kDropAfter = -1;

// The item being dragged, null when none.
TBarCustomItem* DraggedItem();
bool IsEmptyPlaceholder(const TBarCustomItem* item);

int SquaredDistance(int x1, int y1, int x2, int y2);
// Whether target is the dragged entry or lies inside it (compared by DragLink).
bool DropTargetInsideItem(const TBarCustomItem* dragged, const TBarCustomItem* target);
// Moves (or copies) dragged to target at index with the application's consent; answers whether the menus are to
// be treated as changed.
bool MoveItemByDrag(HWND menuWindow, TBarCustomItem* target, TBarCustomItem* dragged, bool copy, int& index);
// The drop marks while a drag passes over viewer at (x, y) in its own coordinates.
void UpdateDropMarks(TBarItemViewer* viewer, int x, int y);
// Takes the drop mark off every viewer of view, repainting those that had one.
void ClearDropMarks(TBarView* view);

// Gives the mouse capture to a menu window (not 0) and shows the arrow cursor.
void CaptureMenuWindow(HWND window);
// The counting form the tracking uses: only the first request captures.
void BeginMenuCapture(HWND window);
void EndMenuCapture();

}  // namespace toolbars

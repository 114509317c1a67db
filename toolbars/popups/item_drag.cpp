#include "toolbars/popups/item_drag.h"

#include "framework/win_control.h"
#include "toolbars/items/item.h"
#include "toolbars/views/item_viewer.h"
#include "toolbars/views/view.h"

namespace toolbars {

uintptr_t DragSource = 0;
TBarMoveCallback MoveCallback = nullptr;
String EmptyCaption;
int EmptyImageIndex = -2;
HWND CaptureWnd = nullptr;
int CaptureCount = 0;

namespace {

void SetDropMark(TBarItemViewer* viewer, int mark) {
  if (viewer->DropMark() == mark) return;
  viewer->SetDropMark(mark);
  viewer->Invalidate();
}

bool ShowsDraggedEntry(const TBarItemViewer* viewer) {
  return viewer && DragSource != 0 && viewer->Item()->DragLink() == DragSource;
}

// Takes a fixed last entry out of a menu that receives an item; the application puts it back.
void RemoveTailItem(TBarCustomItem* target) {
  if (target->Count() > 0 && target->ItemAt(target->Count() - 1)->TailItem()) target->Delete(target->Count() - 1);
}

}  // namespace

void ClearDropMarks(TBarView* view) {
  for (int i = 0; i < view->ViewerCount(); ++i) SetDropMark(view->Viewers(i), 0);
}

TBarCustomItem* DraggedItem() { return DragSource ? *reinterpret_cast<TBarCustomItem* const*>(DragSource) : nullptr; }

bool IsEmptyPlaceholder(const TBarCustomItem* item) {
  return item && item->Caption() == EmptyCaption && item->ImageIndex() == EmptyImageIndex;
}

int SquaredDistance(int x1, int y1, int x2, int y2) {
  // Wrapping arithmetic, so that far-apart points give a large number rather than undefined behaviour.
  const auto dx = static_cast<uint32_t>(x1) - static_cast<uint32_t>(x2);
  const auto dy = static_cast<uint32_t>(y1) - static_cast<uint32_t>(y2);
  return static_cast<int>(dx * dx + dy * dy);
}

bool DropTargetInsideItem(const TBarCustomItem* dragged, const TBarCustomItem* target) {
  if (!dragged) return false;
  for (const TBarCustomItem* item = target; item; item = item->Parent())
    if (item == dragged || (dragged->DragLink() != 0 && item->DragLink() == dragged->DragLink())) return true;
  return false;
}

bool MoveItemByDrag(HWND menuWindow, TBarCustomItem* target, TBarCustomItem* dragged, bool copy, int& index) {
  if (!dragged || !dragged->Parent() || !target || index == -1) return false;
  if (!MoveCallback) return true;
  TBarCustomItem* newItem = nullptr;
  // The application's callback may free either item, with the menus that show them; so may the handlers of views
  // off screen, which lay out at once as items leave and come.
  const TLifeWatch targetLife = target->LifeWatch();
  const TLifeWatch draggedLife = dragged->LifeWatch();
  if (!MoveCallback(menuWindow, dragged, newItem, target, index, copy)) return true;
  if (targetLife.Ended() || (!copy && draggedLife.Ended())) return true;
  if (copy) {
    // A copy the application did not supply leaves the original where it is.
    if (!newItem) return true;
    const TLifeWatch newLife = newItem->LifeWatch();
    RemoveTailItem(target);
    if (targetLife.Ended() || newLife.Ended()) return true;
    target->NotifyBeginUpdate();
    try {
      if (index >= target->Count())
        target->Add(newItem);
      else
        target->Insert(std::max(index, 0), newItem);
    } catch (...) {
      target->NotifyEndUpdate();
      throw;
    }
    target->NotifyEndUpdate();
    return true;
  }
  if (dragged->Parent() == target) {
    const int current = target->IndexOf(dragged);
    // Just before or just after itself the item stays where it is.
    if (index == current || index == current + 1) return false;
    target->Move(current, index);
  } else {
    if (DropTargetInsideItem(dragged, target)) return false;
    RemoveTailItem(target);
    if (targetLife.Ended() || draggedLife.Ended()) return true;
    dragged->Parent()->Remove(dragged);
    if (targetLife.Ended() || draggedLife.Ended()) return true;
    if (index >= 0 && index < target->Count())
      target->Insert(index, dragged);
    else
      target->Add(dragged);
  }
  if (targetLife.Ended()) return true;
  if (target->Count() == 2) {
    if (IsEmptyPlaceholder(target->ItemAt(0)))
      target->Delete(0);
    else if (IsEmptyPlaceholder(target->ItemAt(1)))
      target->Delete(1);
  }
  return true;
}

void UpdateDropMarks(TBarItemViewer* viewer, int x, int y) {
  TBarCustomItem* item = viewer->Item();
  if (!item->Draggable() && !IsEmptyPlaceholder(item)) return;
  TBarView* view = viewer->View();
  if (view->ParentView()) ClearDropMarks(view->ParentView());
  const RECT& bounds = viewer->BoundsRect();
  const bool after =
      viewer->IsToolbarStyle() ? x >= (bounds.right - bounds.left) / 2 : y >= (bounds.bottom - bounds.top) / 2;
  const int index = view->IndexOf(viewer);
  const int neighbourIndex = after ? index + 1 : index - 1;
  TBarItemViewer* neighbour =
      neighbourIndex >= 0 && neighbourIndex < view->ViewerCount() ? view->Viewers(neighbourIndex) : nullptr;
  if (ShowsDraggedEntry(viewer) || ShowsDraggedEntry(neighbour)) {
    ClearDropMarks(view);
    return;
  }
  for (int i = 0; i < view->ViewerCount(); ++i) {
    int mark = 0;
    if (i == index) mark = after ? kDropAfter : kDropBefore;
    if (i == neighbourIndex) mark = after ? kDropBefore : kDropAfter;
    SetDropMark(view->Viewers(i), mark);
  }
  viewer->Invalidate();
}

void CaptureMenuWindow(HWND window) {
  if (!window) return;
  CaptureWnd = window;
  const DWORD position = GetMessagePos();
  LastCursorPos = POINT{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  SetCapture(window);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

void BeginMenuCapture(HWND window) {
  if (CaptureCount == 0) CaptureMenuWindow(window);
  ++CaptureCount;
}

void EndMenuCapture() {
  if (CaptureWnd || CaptureCount >= 1) --CaptureCount;
  if (CaptureCount >= 1) return;
  CaptureCount = 0;
  if (CaptureWnd && GetCapture() == CaptureWnd) ReleaseCapture();
  CaptureWnd = nullptr;
}

}  // namespace toolbars

// The modal loop that runs while a pop-up menu is open or a toolbar is in menu mode: it pulls every message of the
// thread, routes mouse, wheel, keyboard and timer input to the open views, opens and closes submenus, scrolls tall
// pop-ups, keeps the cursor and hints current, and ends on a click, a key or an outside event. What the user chose
// is left in the done-action record for the caller.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/raise_event.h"
#include "framework/shift_state.h"
#include "toolbars/popups/done_action.h"

namespace toolbars {

class TBarCustomItem;
class TBarItemViewer;
class TBarView;

// Messages the owner of the menus posts to the thread while a menu is tracked.
constexpr UINT WM_BAR_OPENSUBMENU = 1575;    // opens the submenu of the innermost menu's selected entry
constexpr UINT WM_BAR_CLOSESUBMENU = 1576;   // closes the innermost menu
constexpr UINT WM_BAR_CLOSEALLMENUS = 1577;  // closes every menu and ends the tracking

// A menu tracked with this Tag on its root item runs without the mouse capture.
constexpr intptr_t kNoCaptureTag = -500000;

// The menu the owner shows for a menu entry on a right-button release.
class TBarItemContextMenu {
 public:
  virtual ~TBarItemContextMenu() = default;
  virtual void Popup(POINT screenPoint) = 0;
};

// While the owner's context menu for an entry is up, the tracking opens no submenu and passes no mouse moves;
// the owner ends that state (clears Active) and takes the capture back with CaptureMenuWindow(CaptureWindow).
struct TBarContextMenuState {
  bool Active = false;
  TBarItemContextMenu* Menu = nullptr;  // set by the owner
  TBarCustomItem* Item = nullptr;       // the entry the menu is for
  uintptr_t Link = 0;                   // its DragLink when it was shown through the owner's menu
  HWND MenuWindow = nullptr;
  HWND CaptureWindow = nullptr;
};
extern TBarContextMenuState ContextMenuState;

// The loop itself, installed as the framework's tracking loop; answers whether view, the root, outlived it.
[[nodiscard]] TRaised TrackingLoop(TBarView* view, bool startedByMouse, bool menuMode, TBarDoneActionData& done,
                                   bool trackRightButton, bool selectFirst);

// Routines of the loop, on the chain of views that starts at the root.
TBarView* InnermostOpenView(TBarView* root);
// The view and viewer that mouse input goes to; false when there is no such viewer.
bool GetMouseTarget(TBarView* root, TBarView*& view, TBarItemViewer*& viewer);
// The routines below raise OnSelect, OnPopup and the layouts' handlers; each answers whether the root view (or, for
// one view, that view) outlived them.
TRaised UpdateMouseSelection(TBarView* root, POINT screenPoint, bool maySelect);
// clientPoint in the view window's client coordinates.
bool PointInScrollArrowZone(TBarView* view, POINT clientPoint, bool top);
TRaised ScrollViewByStep(TBarView* view, bool down);
// Sends the key to the selected viewer, then to the view; state.Done tells when the tracking is to end.
TRaised DispatchTrackingKey(TBarView* view, WORD& key, TShiftState shift, TBarTrackingState& state);
TRaised UpdateTrackingCursor(TBarView* root);
void ShowToolbarItemHint(TBarView* view, POINT screenPoint);
void UpdateStatusHint(TBarView* root);
int DropInsertIndex(TBarView* view);
// changed tells whether the menus changed.
TRaised FinishItemDrop(TBarView* root, TBarView* view, TBarCustomItem* target, int index, bool& changed);
bool TrackingCaptureHeld();

}  // namespace toolbars

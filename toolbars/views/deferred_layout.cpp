#include "toolbars/views/deferred_layout.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "framework/window_alloc.h"
#include "toolbars/views/view.h"

namespace toolbars {

namespace {

constexpr UINT WM_BAR_DEFERREDLAYOUT = WM_APP + 0x2B1;

HWND layoutWindow = nullptr;
// In the order of the requests; usually one view, the one being filled.
std::vector<TBarView*> pendingViews;
bool layoutPosted = false;

void LayoutWindowProc(TMessage& message) {
  if (message.Msg != WM_BAR_DEFERREDLAYOUT) {
    message.Result = DefWindowProcW(layoutWindow, message.Msg, message.WParam, message.LParam);
    return;
  }
  layoutPosted = false;
  // One at a time from the list itself, since a layout may free another view waiting in it (which then leaves
  // the list). A layout that asks for more (a pop-up resizes, a toolbar arranges its dock) waits for the next
  // message: only as many as were waiting now are served.
  for (size_t waiting = pendingViews.size(); waiting > 0 && !pendingViews.empty(); --waiting) {
    TBarView* view = pendingViews.front();
    pendingViews.erase(pendingViews.begin());
    // A view freed by its own layout has left the list already.
    if (view->ValidateDeferredPositions().Gone()) continue;
  }
}

}  // namespace

void DeferLayout(TBarView* view) {
  if (std::find(pendingViews.begin(), pendingViews.end(), view) != pendingViews.end()) return;
  pendingViews.push_back(view);
  if (layoutPosted) return;
  if (!layoutWindow) layoutWindow = AllocateHWnd(TWndMethod(&LayoutWindowProc));
  layoutPosted = PostMessageW(layoutWindow, WM_BAR_DEFERREDLAYOUT, 0, 0) != FALSE;
}

void CancelDeferredLayout(TBarView* view) { std::erase(pendingViews, view); }

void FreeDeferredLayoutWindow() {
  pendingViews.clear();
  pendingViews.shrink_to_fit();
  layoutPosted = false;
  DeallocateHWnd(layoutWindow);
  layoutWindow = nullptr;
}

}  // namespace toolbars

// The window messages of the tree beyond keys, scrolling and painting: the clipboard messages, the frame, hints,
// 3-D look and enabled-state changes, and the end of the window.
#include "framework/messages.h"
#include "tree/base_tree.h"
#include "tree/tree_drawing.h"
#include "tree/paint/paint_resources.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"

namespace tree {

bool TBaseTree::HandleWindowExtrasMessage(TMessage& message) {
  switch (message.Msg) {
    case WM_CUT:
      CutToClipboard();
      message.Result = 0;
      return true;
    case WM_COPY:
      CopyToClipboard();
      message.Result = 0;
      return true;
    case WM_PASTE:
      PasteFromClipboard();
      message.Result = 0;
      return true;
    case WM_NCPAINT:
      WMNCPaint(message);
      return true;
    case CM_HINTSHOW:
      CMHintShow(message);
      return true;
    case CM_HINTSHOWPAUSE:
      CMHintShowPause(message);
      return true;
    case CM_CTL3DCHANGED:
      inherited::Dispatch(message);
      // The 3-D look is the client edge rather than a plain border: a style the window takes only when made.
      if (borderStyle_ == TBorderStyle::bsSingle) RecreateWnd();
      return true;
    case CM_ENABLEDCHANGED:
      inherited::Dispatch(message);
      if (IsDesigning() && HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, FrameRedrawFlags);
      return true;
    case WM_NCDESTROY:
      StopTimer(ChangeTimer);
      StopTimer(StructureChangeTimer);
      // What belongs to this window goes with it; a new window opens its themes and makes its brush again.
      if (paint_) {
        paint_->SetLineBrush(nullptr);
        paint_->CloseThemes();
      }
      header_->Columns()->ReleaseCachedResources();
      inherited::Dispatch(message);
      return true;
    default:
      return false;
  }
}

}  // namespace tree

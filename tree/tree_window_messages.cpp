// How TBaseTree answers the messages of its window: keys, focus, scrolling, size, painting entry points, the
// colour, font and theme changes.
#include <vsstyle.h>

#include <algorithm>

#include "framework/messages.h"
#include "framework/visual_styles.h"
#include "tree/base_tree.h"
#include "tree/paint/paint_resources.h"
#include "tree/scroll_bar_options.h"
#include "tree/tree_drawing.h"
#include "tree/tree_header.h"

namespace tree {

namespace {

bool IsModifierKey(WORD key) {
  switch (key) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_LSHIFT:
    case VK_RSHIFT:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_LMENU:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN:
    case VK_CAPITAL:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool TBaseTree::HandleTreeMessage(TMessage& message) {
  switch (message.Msg) {
    case WM_GETDLGCODE:
      message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (wantTabs_ ? DLGC_WANTTAB : 0);
      return true;
    case WM_KEYDOWN:
      // A key that acts on rows or moves the focus (the application's keys too) ends an edit a click armed: it
      // would open on the row the keys reached, and take the keys that follow as its text.
      if (editPendingNode_ && !IsModifierKey(static_cast<WORD>(message.WParam))) ForgetPendingEdit();
      message.Result = 0;
      // The message's last act: the keys' handlers may free the tree.
      if (!DoKeyDown(message)) (void)HandleKeyDown(static_cast<WORD>(message.WParam), KeyDataToShiftState(message.LParam));
      return true;
    case WM_KEYUP:
      message.Result = 0;
      // The message's last act: the check's handlers may free the tree.
      if (!DoKeyUp(message) && message.WParam == VK_SPACE) (void)FinishCheckKey();
      return true;
    case WM_CHAR:
      if (states_.Contains(TTreeState::stSearchPending)) {
        DoStateChange({}, {TTreeState::stSearchPending});
        if (HandleIncrementalSearch(static_cast<WORD>(message.WParam)).Gone()) return true;
      }
      return false;
    case WM_CONTEXTMENU:
      DoStateChange({}, {TTreeState::stClearPending});
      ForgetPendingEdit();
      return false;
    case WM_ERASEBKGND:
      message.Result = 1;
      return true;
    case WM_SETFOCUS:
      inherited::Dispatch(message);
      if (selectionCount_ > 0)
        Invalidate();
      else if (focusedNode_)
        InvalidateNode(focusedNode_);
      return true;
    case WM_KILLFOCUS:
      HandleKillFocus(message);
      return true;
    case WM_VSCROLL:
      message.Result = 0;
      // The message's last act: the scroll's handlers may free the tree.
      (void)HandleVerticalScroll(LOWORD(message.WParam));
      return true;
    case WM_HSCROLL:
      message.Result = 0;
      // The message's last act: the scroll's handlers may free the tree.
      (void)HandleHorizontalScroll(LOWORD(message.WParam));
      return true;
    case WM_SETSCROLLBARS:
      // The changes since the posting are all in; the bars are set once for them. The setting measures the rows in
      // view, whose handlers may free the tree: it is this message's last act.
      if (scrollBarsPending_) UpdateScrollBars(true);
      return true;
    case WM_COLUMNRESIZED: {
      const auto column = static_cast<TColumnIndex>(message.WParam);
      // The message's last act: OnColumnResize may free the tree.
      if (header_->Columns()->IsValidColumn(column)) (void)DoColumnResize(column);
      return true;
    }
    case WM_SIZE:
      inherited::Dispatch(message);
      if (HandleAllocated() && !states_.Contains(TTreeState::stSizing) && !states_.Contains(TTreeState::stSizeLocked) &&
          ClientHeight() > 0) {
        DoStateChange({TTreeState::stSizing});
        header_->RecalculateHeader();
        UpdateScrollBars(true);
        if (IsEditing() && header_->Columns()->GetFirstVisibleColumn() == InvalidColumn && UpdateEditBounds().Gone())
          return true;
        DoStateChange({}, {TTreeState::stSizing});
      }
      // The message's last act: the hot row's handler may free the tree.
      (void)UpdateHotNodeAtCursor();
      return true;
    case WM_MOVE:
      inherited::Dispatch(message);
      // The message's last act: the hot row's handler may free the tree.
      (void)UpdateHotNodeAtCursor();
      return true;
    case WM_PRINTCLIENT:
      // Printing paints as the window paint does (Paint, through the canvas and its clip box).
      return (message.LParam & PRF_CHECKVISIBLE) && !IsWindowVisible(Handle());
    case WM_ENABLE:
      DefaultHandler(message);
      RedrawWindow(Handle(), nullptr, nullptr, FrameRedrawFlags);
      return true;
    case WM_THEMECHANGED:
      if (paint_) paint_->CloseThemes();
      if (HandleAllocated()) {
        // Resources made anew, and the line brush, ask OnGetLineStyle, which may free the tree.
        TPaintResources* resources = nullptr;
        if (PaintResources(resources).Gone()) return true;
        bool open = resources->OpenThemes(Handle(), options_->PaintOptions().Contains(TTreePaintOption::toThemeAware));
        if (open)
          DoStateChange({TTreeState::stUseThemes});
        else
          DoStateChange({}, {TTreeState::stUseThemes});
        PrepareButtons();
        if (PrepareLineBrush().Gone()) return true;
        RedrawWindow(Handle(), nullptr, nullptr, FrameRedrawFlags);
      }
      DefaultHandler(message);
      return true;
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
      inherited::Dispatch(message);
      if (!IsLoading()) {
        PrepareButtons();
        if (HandleAllocated()) Invalidate();
      }
      return true;
    case CM_SYSCOLORCHANGE: {
      inherited::Dispatch(message);
      LoadGlyphImages();
      if (HandleAllocated()) DefWindowProcW(Handle(), WM_SYSCOLORCHANGE, message.WParam, message.LParam);
      return true;
    }
    default:
      if (HandleMouseMessage(message)) return true;
      if (HandleDragDropMessage(message)) return true;
      return HandleWindowExtrasMessage(message);
  }
}

void TBaseTree::HandleKillFocus(TMessage& message) {
  inherited::Dispatch(message);
  StopWheelPanning();
  for (UINT_PTR timer : {ExpandTimer, HeaderTimer, ScrollTimer}) StopTimer(timer);
  ForgetPendingEdit();
  // A search does not outlast the focus: with it under way, Space would go on extending it instead of checking.
  EndIncrementalSearch();
  DoStateChange({}, {TTreeState::stScrollPending, TTreeState::stScrolling});
  if (selectionCount_ == 0) {
    if (focusedNode_) InvalidateNode(focusedNode_);
  } else {
    Invalidate();
  }
}

TRaised TBaseTree::HandleVerticalScroll(WORD code) {
  // Handlers raised here may free the tree: the answer is whether it outlived them.
  const TLifeWatch life = LifeWatch();
  const int step = scrollBarOptions_->VerticalIncrement();
  const unsigned all = suoRepaintHeader | suoRepaintScrollBars | suoScrollClientArea | suoUpdateNCArea;
  switch (code) {
    case SB_LINEUP:
      if (DoSetOffsetXY(offsetX_, offsetY_ + step, all).Gone()) return TRaised(!life.Ended());
      break;
    case SB_LINEDOWN:
      if (DoSetOffsetXY(offsetX_, offsetY_ - step, all).Gone()) return TRaised(!life.Ended());
      break;
    case SB_PAGEUP:
      if (DoSetOffsetXY(offsetX_, offsetY_ + ClientHeight(), all).Gone()) return TRaised(!life.Ended());
      break;
    case SB_PAGEDOWN:
      if (DoSetOffsetXY(offsetX_, offsetY_ - ClientHeight(), all).Gone()) return TRaised(!life.Ended());
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      DoStateChange({TTreeState::stThumbTracking});
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      GetScrollInfo(Handle(), SB_VERT, &info);
      if (DoSetOffsetXY(offsetX_, -info.nTrackPos * VerticalScrollUnit(), all).Gone()) return TRaised(!life.Ended());
      break;
    }
    case SB_TOP:
      if (DoSetOffsetXY(offsetX_, 0, all).Gone()) return TRaised(!life.Ended());
      break;
    case SB_BOTTOM:
      if (DoSetOffsetXY(offsetX_, -VerticalRange(), all).Gone()) return TRaised(!life.Ended());
      break;
    case SB_ENDSCROLL:
      DoStateChange({}, {TTreeState::stThumbTracking});
      UpdateScrollBars(true);
      RedrawWindow(Handle(), nullptr, nullptr, FrameRedrawFlags);
      break;
    default:
      break;
  }
  return TRaised(!life.Ended());
}

TRaised TBaseTree::HandleHorizontalScroll(WORD code) {
  // Handlers raised here may free the tree: the answer is whether it outlived them.
  const TLifeWatch life = LifeWatch();
  const int step = scrollBarOptions_->HorizontalIncrement();
  const unsigned all = suoRepaintHeader | suoRepaintScrollBars | suoScrollClientArea | suoUpdateNCArea;
  switch (code) {
    case SB_LINELEFT:
      if (DoSetOffsetXY(offsetX_ + step, offsetY_, all).Gone()) return TRaised(!life.Ended());
      break;
    case SB_LINERIGHT:
      if (DoSetOffsetXY(offsetX_ - step, offsetY_, all).Gone()) return TRaised(!life.Ended());
      break;
    case SB_PAGELEFT:
      if (DoSetOffsetXY(offsetX_ + ClientWidth(), offsetY_, all).Gone()) return TRaised(!life.Ended());
      break;
    case SB_PAGERIGHT:
      if (DoSetOffsetXY(offsetX_ - ClientWidth(), offsetY_, all).Gone()) return TRaised(!life.Ended());
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      DoStateChange({TTreeState::stThumbTracking});
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      GetScrollInfo(Handle(), SB_HORZ, &info);
      if (DoSetOffsetXY(-info.nTrackPos, offsetY_, all).Gone()) return TRaised(!life.Ended());
      break;
    }
    case SB_LEFT:
      if (DoSetOffsetXY(0, offsetY_, all).Gone()) return TRaised(!life.Ended());
      break;
    case SB_RIGHT:
      if (DoSetOffsetXY(-HorizontalRange(), offsetY_, all).Gone()) return TRaised(!life.Ended());
      break;
    case SB_ENDSCROLL:
      DoStateChange({}, {TTreeState::stThumbTracking});
      UpdateScrollBars(true);
      break;
    default:
      break;
  }
  return TRaised(!life.Ended());
}

}  // namespace tree

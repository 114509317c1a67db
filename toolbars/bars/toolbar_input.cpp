// The toolbar's input: the mouse selects items and starts the menu tracking, the keyboard opens the bar by its
// accelerators (a menu bar through the form's Alt keys), hints and cursors come from the items under the pointer.
#include "framework/application.h"
#include "toolbars/bars/toolbar.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/popups/item_drag.h"
#include "toolbars/popups/tracking.h"
#include "toolbars/views/item_viewer.h"

namespace toolbars {

namespace {

// WM_WININICHANGE's code for changed non-client metrics (the menu font among them).
constexpr WPARAM kNonClientMetricsChanged = SPI_SETNONCLIENTMETRICS;

// The character of an Alt key as the system's menu handling sees it: one byte of the keyboard's code page, back
// as a character; false when the character has no single-byte form there.
bool SingleByteMenuChar(wchar_t key, wchar_t& result) {
  UINT codePage = GetInputLocaleCodePage();
  if (codePage == 0) codePage = CP_ACP;
  char bytes[8] = {};
  const int count = WideCharToMultiByte(codePage, 0, &key, 1, bytes, sizeof bytes, nullptr, nullptr);
  if (count != 1) return false;
  return MultiByteToWideChar(codePage, 0, bytes, 1, &result, 1) == 1;
}

}  // namespace

TRaised TBarCustomToolbar::SelectUnder(POINT clientPoint) {
  const POINT screen = ClientToScreen(clientPoint);
  return view_->UpdateSelection(&screen, true);
}

TRaised TBarCustomToolbar::ClearMouseSelection() {
  if (HandleAllocated() && GetCapture() == WindowHandle()) return TRaised(true);
  return view_->UpdateSelection(nullptr, false);
}

bool TBarCustomToolbar::ChildControlAt(POINT point, TControl*& found) const {
  if (TBarCustomDockableWindow::ChildControlAt(point, found)) return true;
  // A press on an item is the item's, not the start of a drag of the bar.
  const TBarItemViewer* under = view_->ViewerFromPoint(point);
  return under && !under->Item()->HasStyle(isClicksTransparent);
}

TRaised TBarCustomToolbar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  // OnMouseDown may free the bar or take it to another parent.
  TWinControl* parent = Parent();
  const TRaised raised = TBarCustomDockableWindow::MouseDown(button, shift, x, y);
  if (raised.Gone() || IsDesigning() || button != TMouseButton::mbLeft || Parent() != parent) return raised;
  if (SelectUnder(POINT{x, y}).Gone()) return TRaised(false);
  TBarItemViewer* selected = view_->Selected();
  if (!selected || selected->Item()->HasStyle(isClicksTransparent)) return raised;
  // The loop's handlers may free the bar; the flag is the bar's, so it is cleared only while the bar lives.
  const TLifeWatch life = LifeWatch();
  inMouseTracking_ = true;
  TRaised tracked(true);
  try {
    tracked = view_->EnterToolbarLoop(true, false, false);
  } catch (...) {
    if (!life.Ended()) inMouseTracking_ = false;
    throw;
  }
  if (tracked.Gone() || life.Ended()) return TRaised(false);
  inMouseTracking_ = false;
  return raised;
}

TRaised TBarCustomToolbar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  // OnMouseUp may free the bar or take it to another parent.
  TWinControl* parent = Parent();
  const TRaised raised = TBarCustomDockableWindow::MouseUp(button, shift, x, y);
  if (raised.Gone() || IsDesigning() || button != TMouseButton::mbRight || Parent() != parent) return raised;
  if (SelectUnder(POINT{x, y}).Gone()) return TRaised(false);
  TBarItemViewer* selected = view_->Selected();
  if (!selected) return raised;
  TBarCustomItem* item = selected->Item();
  if (!item->Draggable() || item->DragLink() == 0) return raised;
  ContextMenuState.Item = item;
  ContextMenuState.Link = item->DragLink();
  ContextMenuState.Active = true;
  DragSource = 0;
  view_->CloseChildPopups();
  const TLifeWatch life = LifeWatch();
  if (ContextMenuState.Menu) ContextMenuState.Menu->Popup(ClientToScreen(POINT{x, y}));
  if (life.Ended()) return TRaised(false);
  Invalidate();
  return raised;
}

TRaised TBarCustomToolbar::MouseMove(TShiftState shift, int x, int y) {
  if (!IsDesigning()) {
    if (SelectUnder(POINT{x, y}).Gone()) return TRaised(false);
    if (TBarItemViewer* selected = view_->Selected()) {
      TBarCustomItem* item = selected->Item();
      SetHint(item->EffectiveOptions().Contains(TBarItemOption::tboLongHintInMenuOnly) ? String() : item->Hint());
      const RECT& bounds = selected->BoundsRect();
      const TLifeWatch life = LifeWatch();
      if (selected->MouseMove(x - bounds.left, y - bounds.top).Gone() && life.Ended()) return TRaised(false);
      if (life.Ended()) return TRaised(false);
    } else {
      SetHint(String());
    }
    if (HandleAllocated()) CallTrackMouseEvent(WindowHandle(), TME_LEAVE);
  }
  return TBarCustomDockableWindow::MouseMove(shift, x, y);
}

TRaised TBarCustomToolbar::DoContextPopup(POINT mousePos, bool& handled) {
  if (ClearMouseSelection().Gone()) return TRaised(false);
  return TBarCustomDockableWindow::DoContextPopup(mousePos, handled);
}

bool TBarCustomToolbar::KeyboardOpen(wchar_t key, bool requirePrimary) {
  bool taken = false;
  if (KeyboardOpen(key, requirePrimary, taken).Gone()) return taken;
  return taken;
}

TRaised TBarCustomToolbar::KeyboardOpen(wchar_t key, bool requirePrimary, bool& taken) {
  taken = false;
  view_->SetAccelsVisibility(true);
  if (key == 0) {
    TBarItemViewer* first = view_->FirstSelectable();
    if (!first) return TRaised(true);
    taken = true;
    if (view_->SetSelected(first).Gone()) return TRaised(false);
    return view_->EnterToolbarLoop(false, false, true);
  }
  bool onlyOne = false;
  TBarItemViewer* found = view_->FindAccelerator(key, requirePrimary, onlyOne);
  if (!found) return TRaised(true);
  // The item's command, OnSelect and the tracking's handlers may free the bar.
  const TLifeWatch life = LifeWatch();
  if (found->Item()->Enabled()) {
    taken = true;
    // A split button's key is its button's, as Enter on it is; its arrow opens the list.
    const bool opens = found->Item()->HasStyle(isSubmenu) && !found->Item()->HasStyle(isSplitButton);
    if (onlyOne && !opens) {
      if (found->Item()->Click().Gone() && life.Ended()) return TRaised(false);
    } else if (onlyOne || menuBar_) {
      // Shared by several items (menu bars only): the arrow keys and the accelerator again choose between them.
      if (view_->SetSelected(found).Gone()) return TRaised(false);
      if (view_->EnterToolbarLoop(false, onlyOne, true).Gone()) return TRaised(false);
    }
    if (life.Ended()) return TRaised(false);
  }
  view_->SetAccelsVisibility(false);
  return TRaised(true);
}

void TBarCustomToolbar::WMSysCommand(TMessage& message) {
  if (!menuBar_ || !Enabled() || !Showing() || (message.WParam & 0xFFF0) != SC_KEYMENU || GetCapture()) return;
  wchar_t key = static_cast<wchar_t>(LOWORD(message.LParam));
  if (key == L' ') return;
  if (key != 0 && !SingleByteMenuChar(key, key)) return;
  if (KeyboardOpen(key, false)) {
    message.Result = 1;
  } else if (key != L'-') {
    // "-" is the document window's menu, left to the system.
    MessageBeep(0);
    message.Result = 1;
  }
}

void TBarCustomToolbar::WMSetCursor(TMessage& message) {
  if (LOWORD(message.LParam) == HTCLIENT && !IsDesigning()) {
    POINT cursor{};
    GetCursorPos(&cursor);
    const POINT client = ScreenToClient(cursor);
    // OnSelect may free the bar: the cursor is then left to the window under it.
    if (SelectUnder(client).Gone()) return;
    if (TBarItemViewer* selected = view_->Selected()) {
      const RECT& bounds = selected->BoundsRect();
      if (HCURSOR shape = selected->GetCursor(client.x - bounds.left, client.y - bounds.top)) {
        ::SetCursor(shape);
        message.Result = 1;
        return;
      }
    }
  }
  TBarCustomDockableWindow::Dispatch(message);
}

void TBarCustomToolbar::CMHintShow(TMessage& message) {
  auto* info = reinterpret_cast<THintInfo*>(message.LParam);
  TBarItemViewer* viewer = view_->ViewerFromPoint(info->CursorPos);
  if (!viewer || IsRectEmpty(&viewer->BoundsRect())) {
    message.Result = 1;
    return;
  }
  info->CursorRect = viewer->BoundsRect();
  info->HintStr = viewer->Item()->GetHintText();
  message.Result = 0;
}

void TBarCustomToolbar::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_SETCURSOR:
      WMSetCursor(message);
      return;
    case WM_NCMOUSEMOVE:
      SetHint(String());
      if (ClearMouseSelection().Gone()) return;
      break;
    case WM_SYSCOMMAND:
      WMSysCommand(message);
      return;
    case WM_MOUSELEAVE:
      if (!inMouseTracking_ && ClearMouseSelection().Gone()) return;
      break;
    case CM_MOUSELEAVE:
      if (ClearMouseSelection().Gone()) return;
      break;
    case CM_DIALOGKEY:
      if (message.WParam == VK_MENU && menuBar_) view_->SetAccelsVisibility(true);
      break;
    case CM_DIALOGCHAR:
      if (!menuBar_ && Enabled() && Showing() && message.WParam != 0 &&
          KeyboardOpen(static_cast<wchar_t>(message.WParam), true)) {
        message.Result = 1;
        return;
      }
      break;
    case CM_COLORCHANGED:
      if (view_) view_->SetBackgroundColor(Color());
      break;
    case CM_FONTCHANGED:
      TBarCustomDockableWindow::Dispatch(message);
      // The message's last act.
      if (!systemFont_) (void)Arrange();
      return;
    case CM_SHOWHINTCHANGED:
      TBarCustomDockableWindow::Dispatch(message);
      if (ShowHint())
        view_->IncludeState(vsShowHints);
      else
        view_->ExcludeState(vsShowHints);
      return;
    case CM_WININICHANGE:
      TBarCustomDockableWindow::Dispatch(message);
      if (message.WParam == kNonClientMetricsChanged) {
        ReloadBarMenuFont();
        // The message's last act.
        (void)Arrange();
      }
      return;
    case CM_CONTROLLISTCHANGE:
      TBarCustomDockableWindow::Dispatch(message);
      if (message.LParam == 0) RemoveControlItems(reinterpret_cast<TControl*>(message.WParam));
      return;
    case CM_CONTROLCHANGE:
      TBarCustomDockableWindow::Dispatch(message);
      if (message.LParam != 0 && !IsLoading() && !ComponentState().Contains(TComponentStateItem::csReading))
        AddControlItem(reinterpret_cast<TControl*>(message.WParam));
      return;
    case CM_HINTSHOW:
      CMHintShow(message);
      return;
    default:
      break;
  }
  TBarCustomDockableWindow::Dispatch(message);
}

}  // namespace toolbars

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

void TBarCustomToolbar::SelectUnder(POINT clientPoint) {
  const POINT screen = ClientToScreen(clientPoint);
  view_->UpdateSelection(&screen, true);
}

void TBarCustomToolbar::ClearMouseSelection() {
  if (HandleAllocated() && GetCapture() == WindowHandle()) return;
  view_->UpdateSelection(nullptr, false);
}

bool TBarCustomToolbar::ChildControlAt(POINT point, TControl*& found) const {
  if (TBarCustomDockableWindow::ChildControlAt(point, found)) return true;
  // A press on an item is the item's, not the start of a drag of the bar.
  const POINT screen = ClientToScreen(point);
  view_->UpdateSelection(&screen, true);
  TBarItemViewer* selected = view_->Selected();
  return selected && view_->ViewerFromPoint(point) == selected && !selected->Item()->HasStyle(isClicksTransparent);
}

void TBarCustomToolbar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  // OnMouseDown may free the bar or take it to another parent.
  const TLifeWatch life = LifeWatch();
  TWinControl* parent = Parent();
  TBarCustomDockableWindow::MouseDown(button, shift, x, y);
  if (life.Ended() || IsDesigning() || button != TMouseButton::mbLeft || Parent() != parent) return;
  SelectUnder(POINT{x, y});
  TBarItemViewer* selected = view_->Selected();
  if (!selected || selected->Item()->HasStyle(isClicksTransparent)) return;
  inMouseTracking_ = true;
  try {
    view_->EnterToolbarLoop(true, false, false);
  } catch (...) {
    inMouseTracking_ = false;
    throw;
  }
  inMouseTracking_ = false;
}

void TBarCustomToolbar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  // OnMouseUp may free the bar or take it to another parent.
  const TLifeWatch life = LifeWatch();
  TWinControl* parent = Parent();
  TBarCustomDockableWindow::MouseUp(button, shift, x, y);
  if (life.Ended() || IsDesigning() || button != TMouseButton::mbRight || Parent() != parent) return;
  SelectUnder(POINT{x, y});
  TBarItemViewer* selected = view_->Selected();
  if (!selected) return;
  TBarCustomItem* item = selected->Item();
  if (!item->Draggable() || item->DragLink() == 0) return;
  ContextMenuState.Item = item;
  ContextMenuState.Link = item->DragLink();
  ContextMenuState.Active = true;
  DragSource = 0;
  view_->CloseChildPopups();
  if (ContextMenuState.Menu) ContextMenuState.Menu->Popup(ClientToScreen(POINT{x, y}));
  Invalidate();
}

void TBarCustomToolbar::MouseMove(TShiftState shift, int x, int y) {
  if (!IsDesigning()) {
    SelectUnder(POINT{x, y});
    if (TBarItemViewer* selected = view_->Selected()) {
      TBarCustomItem* item = selected->Item();
      SetHint(item->EffectiveOptions().Contains(TBarItemOption::tboLongHintInMenuOnly) ? String() : item->Hint());
      const RECT& bounds = selected->BoundsRect();
      selected->MouseMove(x - bounds.left, y - bounds.top);
    } else {
      SetHint(String());
    }
    if (HandleAllocated()) CallTrackMouseEvent(WindowHandle(), TME_LEAVE);
  }
  TBarCustomDockableWindow::MouseMove(shift, x, y);
}

void TBarCustomToolbar::DoContextPopup(POINT mousePos, bool& handled) {
  ClearMouseSelection();
  TBarCustomDockableWindow::DoContextPopup(mousePos, handled);
}

bool TBarCustomToolbar::KeyboardOpen(wchar_t key, bool requirePrimary) {
  view_->SetAccelsVisibility(true);
  if (key == 0) {
    TBarItemViewer* first = view_->FirstSelectable();
    if (!first) return false;
    view_->SetSelected(first);
    view_->EnterToolbarLoop(false, false, true);
    return true;
  }
  bool onlyOne = false;
  TBarItemViewer* found = view_->FindAccelerator(key, requirePrimary, onlyOne);
  bool handled = false;
  if (found && found->Item()->Enabled()) {
    handled = true;
    // A split button's key is its button's, as Enter on it is; its arrow opens the list.
    const bool opens = found->Item()->HasStyle(isSubmenu) && !found->Item()->HasStyle(isSplitButton);
    if (onlyOne && !opens) {
      found->Item()->Click();
    } else if (onlyOne) {
      view_->SetSelected(found);
      view_->EnterToolbarLoop(false, true, true);
    } else if (menuBar_) {
      // Shared by several items: the arrow keys and the accelerator again choose between them.
      view_->SetSelected(found);
      view_->EnterToolbarLoop(false, false, true);
    }
  }
  if (found) view_->SetAccelsVisibility(false);
  return handled;
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
    SelectUnder(client);
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
      ClearMouseSelection();
      break;
    case WM_SYSCOMMAND:
      WMSysCommand(message);
      return;
    case WM_MOUSELEAVE:
      if (!inMouseTracking_) ClearMouseSelection();
      break;
    case CM_MOUSELEAVE:
      ClearMouseSelection();
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
      if (!systemFont_) Arrange();
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
        Arrange();
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

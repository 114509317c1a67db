#include "toolbars/edit/edit_item_viewer.h"

#include <algorithm>
#include <cwchar>

#include "toolbars/common/bar_common.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/popups/done_action.h"
#include "toolbars/popups/item_drag.h"
#include "toolbars/popups/popup_window_base.h"
#include "toolbars/views/view.h"
#include "toolbars/views/viewer_canvas.h"

namespace toolbars {

namespace {

// The gap between a menu edit item's label and its box, and the room around the label.
constexpr int kCaptionGap = 10;
constexpr int kCaptionPadding = 6;

int MenuFontTextWidth(const String& text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, BarMenuFont()->Handle());
  const int width = GetTextWidth(dc, text, true);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return width;
}

// Presses, releases and double clicks of any button, in the client area or the frame; the wheel is no button.
bool IsMouseButtonMessage(UINT msg) {
  if (msg >= WM_LBUTTONDOWN && msg <= WM_XBUTTONDBLCLK) return msg != WM_MOUSEWHEEL;
  return msg >= WM_NCLBUTTONDOWN && msg <= WM_NCXBUTTONDBLCLK;
}

bool IsMouseMessage(UINT msg) {
  return (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) || (msg >= WM_NCMOUSEMOVE && msg <= WM_NCXBUTTONDBLCLK);
}

}  // namespace

TBarEditItemViewer::~TBarEditItemViewer() = default;

String TBarEditItemViewer::CaptionText() const { return EditItem()->EditCaption(); }

bool TBarEditItemViewer::CaptionShown() const { return !IsToolbarStyle() && TBarItemViewer::CaptionShown(); }

TRaised TBarEditItemViewer::CalcSize(TCanvas* canvas, int& width, int& height) {
  HDC dc = FontDC(canvas);
  width = EditItem()->EditWidth();
  const String& caption = EditItem()->EditCaption();
  if (!IsToolbarStyle() && !caption.empty()) width += GetTextWidth(dc, caption, true) + kCaptionGap;
  const int h = GetTextHeight(dc);
  height = IsToolbarStyle() ? h + 7 : std::max(h + 7, h + DivRoundUp(h, 4));
  return TRaised(true);
}

RECT TBarEditItemViewer::GetEditControlRect() const {
  RECT rect = BoundsRect();
  const String& caption = EditItem()->EditCaption();
  if (!View()->IsToolbar() && !caption.empty()) rect.left += MenuFontTextWidth(caption) + kCaptionGap;
  return rect;
}

HCURSOR TBarEditItemViewer::GetCursor(int x, int y) const {
  if (!Item()->Enabled()) return nullptr;
  RECT box = GetEditControlRect();
  OffsetRect(&box, -BoundsRect().left, -BoundsRect().top);
  InflateRect(&box, -2, -2);
  return PtInRect(&box, POINT{x, y}) ? LoadCursorW(nullptr, IDC_IBEAM) : nullptr;
}

TRaised TBarEditItemViewer::KeyDown(WORD& key, TShiftState shift, TBarTrackingState& state) {
  if (key != VK_RETURN) return TBarItemViewer::KeyDown(key, shift, state);
  key = 0;
  return BeginEdit(state);
}

TRaised TBarEditItemViewer::MouseDown(TShiftState shift, int x, int y, TBarTrackingState& state) {
  if (IsPtInButtonPart(x, y)) return BeginEdit(state);
  return TBarItemViewer::MouseDown(shift, x, y, state);
}

TRaised TBarEditItemViewer::MouseUp(int x, int y, TBarTrackingState& state) {
  if (IsPtInButtonPart(x, y)) return BeginEdit(state);
  return TBarItemViewer::MouseUp(x, y, state);
}

TRaised TBarEditItemViewer::Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                                  bool useDisabledShadow) {
  (void)isPushed;
  HDC dc = FontDC(canvas);
  const bool enabled = Item()->Enabled();
  RECT box = clientAreaRect;
  const String& caption = EditItem()->EditCaption();
  if (!IsToolbarStyle() && !caption.empty()) {
    RECT area = clientAreaRect;
    area.right = area.left + GetTextWidth(dc, caption, true) + kCaptionPadding;
    if (isSelected) FillRect(dc, &area, GetSysColorBrush(COLOR_HIGHLIGHT));
    RECT text = area;
    text.left += kCaptionPadding / 2;
    DrawItemCaption(canvas, text, caption, DT_SINGLELINE | DT_VCENTER | GetDrawTextFlags(),
                    !enabled && useDisabledShadow);
    box.left = area.right + kCaptionGap - kCaptionPadding;
  }
  if (isSelected && enabled) DrawEdge(dc, &box, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  FrameRect(dc, &box, GetSysColorBrush(enabled ? COLOR_BTNFACE : COLOR_WINDOW));
  InflateRect(&box, -1, -1);
  FillRect(dc, &box, GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
  InflateRect(&box, -1, -1);
  const String& text = EditItem()->Text();
  if (text.empty()) return TRaised(true);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  return TRaised(true);
}

std::unique_ptr<TEdit> TBarEditItemViewer::NewEditControl() const { return std::make_unique<TEdit>(nullptr); }

TRaised TBarEditItemViewer::BeginEdit(TBarTrackingState& state) {
  if (!Item()->Enabled()) {
    if (state.RootView == View() && IsToolbarStyle()) state.Done = true;
    return TRaised(true);
  }
  View()->CloseChildPopups();
  bool closeMenu = false;
  if (EditLoop(CaptureWnd, closeMenu).Gone()) {
    // The menu that held the viewer is gone or going: the tracking ends.
    state.Done = true;
    return TRaised(false);
  }
  if (!closeMenu) return TRaised(true);
  state.Done = true;
  if (!(endState_ & esAcceptedMoveOn)) return TRaised(true);
  const TLifeWatch life = LifeWatch();
  if (View()->GivePriority(this).Gone()) return TRaised(false);
  return TRaised(!life.Ended());
}

TRaised TBarEditItemViewer::EditLoop(HWND captureWnd, bool& closeMenu) {
  closeMenu = false;
  RECT rect = GetEditControlRect();
  if (IsRectEmpty(&rect) || !View()->Window()) return TRaised(true);
  HWND active = GetActiveWindow();
  HWND focus = GetFocus();
  InflateRect(&rect, -3, -3);

  editControl_ = NewEditControl();
  TEdit* edit = editControl_.get();
  wchar_t name[128];
  swprintf(name, 128, L"%ls_edit_control_%p", ClassName().c_str(), static_cast<void*>(edit));
  edit->SetName(name);
  // The viewer's own edit, not yet shown, has no handlers of an application's: nothing it raises frees it.
  (void)edit->SetVisible(false);
  edit->SetBorderStyle(TBorderStyle::bsNone);
  edit->SetFont(BarMenuFont());
  (void)edit->SetText(EditItem()->Text());
  edit->SetMaxLength(EditItem()->MaxLength());
  (void)edit->SetBoundsRect(rect);
  editDefaultProc_ = edit->WindowProc();
  edit->SetWindowProc(TWndMethod(this, &TBarEditItemViewer::EditWndProc));
  (void)edit->SetParentWindow(View()->Window()->Handle());
  HWND editWnd = edit->Handle();
  const TEditCharCase charCase = EditItem()->CharCase();
  if (charCase != TEditCharCase::ecNormal) {
    const LONG_PTR style = GetWindowLongPtrW(editWnd, GWL_STYLE);
    SetWindowLongPtrW(editWnd, GWL_STYLE,
                      style | (charCase == TEditCharCase::ecUpperCase ? ES_UPPERCASE : ES_LOWERCASE));
  }
  edit->SelectAll();
  // Whatever frees the viewer leaves the focus, the capture and the active caption as they were before.
  const TLifeWatch life = LifeWatch();
  const auto restoreWindows = [&] {
    if (GetActiveWindow()) {
      if (focus && IsWindow(focus)) ::SetFocus(focus);
      if (!GetCapture() && captureWnd && IsWindow(captureWnd)) SetCapture(captureWnd);
    }
    if (active && IsWindow(active)) SendMessageW(active, WM_NCACTIVATE, active == GetActiveWindow(), 0);
  };
  if (EditItem()->DoBeginEdit(this).Gone() || life.Ended()) {
    active = nullptr;
    restoreWindows();
    return TRaised(false);
  }
  if (AnswerFor(life, edit->SetVisible(true)).Gone()) {
    active = nullptr;
    restoreWindows();
    return TRaised(false);
  }
  ::SetFocus(editWnd);
  // The menu's window keeps its active caption while the edit control has the focus.
  if (active && GetActiveWindow() != active)
    SendMessageW(active, WM_NCACTIVATE, 1, 0);
  else
    active = nullptr;

  endState_ = esEditing;
  if (RunMessageLoop(captureWnd).Gone()) {
    restoreWindows();
    return TRaised(false);
  }

  editControl_.reset();
  HWND viewWnd = View()->Window()->Handle();
  UpdateWindow(viewWnd);
  restoreWindows();
  if (ObjectAs<TBarPopupWindowBase>(View()->Window()))
    SetWindowPos(viewWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (endState_ & esCloseMenu) {
    closeMenu = true;
    return TRaised(true);
  }
  if (captureWnd && GetCapture() == captureWnd && (endState_ & esAcceptedMoveOn)) {
    const bool backwards = GetKeyState(VK_SHIFT) < 0;
    if (TBarItemViewer* next = View()->NextSelectable(this, !backwards)) {
      // Selecting the next entry raises OnSelect, which may free this viewer.
      if (View()->SetSelected(next).Gone() || life.Ended()) return TRaised(false);
    }
  }
  return TRaised(true);
}

TRaised TBarEditItemViewer::RunMessageLoop(HWND captureWnd) {
  // Every message may run a handler that frees the viewer, and the edit control with it.
  const TLifeWatch life = LifeWatch();
  auto editing = [&] {
    return !life.Ended() && endState_ == esEditing && editControl_ && GetFocus() == editControl_->Handle() &&
           Item()->Enabled();
  };
  bool stop = false;
  for (bool first = true; !stop && editing(); first = false) {
    if (!first) WaitMessage();
    MSG msg;
    while (!stop && editing() && PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      HWND editWnd = editControl_->Handle();
      // A quit request and a click elsewhere end editing and stay queued for the menu.
      if (msg.message == WM_QUIT || (IsMouseButtonMessage(msg.message) && msg.hwnd != editWnd)) {
        stop = true;
        break;
      }
      if ((msg.message == WM_SYSKEYUP && msg.wParam == VK_MENU) ||
          (msg.message == WM_SYSKEYDOWN && msg.wParam != VK_MENU && msg.wParam != VK_KANJI)) {
        PeekMessageW(&msg, nullptr, msg.message, msg.message, PM_REMOVE);
        endState_ = esCloseMenu;
        break;
      }
      if (msg.message == WM_MOUSEMOVE && captureWnd) {
        POINT point;
        GetCursorPos(&point);
        HWND under = WindowFromPoint(point);
        const bool overEdit = under == editWnd || IsChild(editWnd, under);
        if (GetCapture() == captureWnd && overEdit)
          ReleaseCapture();
        else if (!GetCapture() && !overEdit)
          SetCapture(captureWnd);
        if (GetCapture() == captureWnd) ::SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      }
      if (!PeekMessageW(&msg, nullptr, msg.message, msg.message, PM_REMOVE)) continue;
      if (captureWnd && msg.hwnd == captureWnd && IsMouseMessage(msg.message)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  RemoveMessages(WM_CHAR, WM_DEADCHAR);
  RemoveMessages(WM_SYSCHAR, WM_SYSDEADCHAR);
  return TRaised(!life.Ended());
}

void TBarEditItemViewer::EditWndProc(TMessage& message) {
  if (message.Msg == WM_CHAR) {
    switch (message.WParam) {
      case VK_TAB:
        endState_ = esAcceptedMoveOn;
        if (AcceptText().Gone()) return;
        return;
      case VK_RETURN:
        endState_ = esAcceptedMoveOn | esCloseMenu;
        if (AcceptText().Gone()) return;
        return;
      case VK_ESCAPE:
        endState_ = 0;
        return;
      default:
        break;
    }
  }
  editDefaultProc_(message);
}

TRaised TBarEditItemViewer::AcceptText() {
  String newText = editControl_->Text();
  bool accept = true;
  if (RaiseEvent(EditItem()->OnAcceptText, EditItem(), newText, accept).Gone()) return TRaised(false);
  if (accept) EditItem()->SetText(newText);
  return TRaised(true);
}

}  // namespace toolbars

#include "framework/win_control.h"

#include <algorithm>
#include <unordered_map>
#include <utility>
#include <vector>

#include "framework/application.h"
#include "framework/control_canvas.h"
#include "framework/exception_hook.h"
#include "framework/form.h"
#include "framework/menus.h"
#include "framework/screen.h"

namespace {

// The control of each framework window of the process. Looking a window up here costs a small part of what a
// window property or the window's extra bytes cost, each a locked or server-side read of the window.
class TWindowControls {
 public:
  TWinControl* Find(HWND wnd) {
    AcquireSRWLockShared(&lock_);
    auto found = controls_.find(wnd);
    TWinControl* control = found == controls_.end() ? nullptr : found->second;
    ReleaseSRWLockShared(&lock_);
    return control;
  }

  void Attach(HWND wnd, TWinControl* control) {
    AcquireSRWLockExclusive(&lock_);
    controls_[wnd] = control;
    ReleaseSRWLockExclusive(&lock_);
  }

  void Detach(HWND wnd) {
    AcquireSRWLockExclusive(&lock_);
    controls_.erase(wnd);
    ReleaseSRWLockExclusive(&lock_);
  }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
  std::unordered_map<HWND, TWinControl*> controls_;
};

TWindowControls& WindowControls() {
  static TWindowControls controls;
  return controls;
}

// The control whose window CreateWnd is making; the window's first message attaches it.
thread_local TWinControl* creationControl = nullptr;

// The windows whose platform procedure (an edit's, a button's) runs on this thread, with how deep, and those among
// them whose control went meanwhile: the procedure still works on what it keeps for the window (a command of the
// edit's own context menu changed the text, and the OnChange that raised freed the edit), so such a window goes
// only once the procedure has returned.
struct TPlatformCalls {
  std::vector<HWND> Running;  // once per call, the innermost last
  std::vector<HWND> Left;

  bool Runs(HWND wnd) const { return std::find(Running.begin(), Running.end(), wnd) != Running.end(); }
};
thread_local TPlatformCalls platformCalls;

HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }

// Identifiers of child windows, unique among the windows of the process while it has fewer than 60000.
WORD NextChildId() {
  static WORD next = 0x1000;
  next = next >= 0xFF00 ? WORD{0x1000} : static_cast<WORD>(next + 1);
  return next;
}

bool IsRoutedMouseMessage(UINT msg) {
  return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL && msg != WM_MOUSEHWHEEL;
}

// A left press on the window's frame, or the move or size command such a press gives (the keyboard's have no hit
// code in the low bits).
bool IsPressOnTheFrame(const TMessage& message) {
  if (message.Msg == WM_NCLBUTTONDOWN) return true;
  const WPARAM command = message.WParam & 0xFFF0;
  return message.Msg == WM_SYSCOMMAND && (command == SC_MOVE || command == SC_SIZE) && (message.WParam & 0x000F) != 0;
}

// The window whose notification a parent message carries, for reflection back to that child; null when the
// message is not about a child window.
HWND NotifyingChild(const TMessage& message, HWND parent) {
  switch (message.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
      return reinterpret_cast<HWND>(message.LParam);
    case WM_NOTIFY:
      return message.LParam ? reinterpret_cast<const NMHDR*>(message.LParam)->hwndFrom : nullptr;
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
      return item && item->CtlType != ODT_MENU ? item->hwndItem : nullptr;
    }
    case WM_DELETEITEM:
      return message.LParam ? reinterpret_cast<const DELETEITEMSTRUCT*>(message.LParam)->hwndItem : nullptr;
    case WM_COMPAREITEM:
      return message.LParam ? reinterpret_cast<const COMPAREITEMSTRUCT*>(message.LParam)->hwndItem : nullptr;
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(message.LParam);
      if (!item || item->CtlType == ODT_MENU) return nullptr;
      return GetDlgItem(parent, static_cast<int>(item->CtlID));
    }
    default:
      return nullptr;
  }
}

bool IsReflectedColorMessage(UINT msg) {
  return msg == CN_CTLCOLOREDIT || msg == CN_CTLCOLORLISTBOX || msg == CN_CTLCOLORBTN || msg == CN_CTLCOLORSTATIC ||
         msg == CN_CTLCOLORSCROLLBAR;
}

void MoveWindowOrg(HDC dc, int dx, int dy) {
  POINT origin;
  GetWindowOrgEx(dc, &origin);
  SetWindowOrgEx(dc, origin.x - dx, origin.y - dy, nullptr);
}

// A raised button face in the window's frame with a glyph drawn in lines, not from the symbol font the platform
// would use (it is not everywhere).
enum class TFrameGlyph { fgClose, fgMaximize, fgRestore, fgMinimize, fgUp, fgDown, fgLeft, fgRight };

void PaintFrameButton(HDC dc, RECT button, TFrameGlyph glyph, bool enabled = true) {
  FillRect(dc, &button, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &button, EDGE_RAISED, BF_RECT | BF_ADJUST);
  const int size = std::max(3, static_cast<int>(std::min(button.right - button.left, button.bottom - button.top)) / 2);
  const int cx = (button.left + button.right) / 2;
  const int cy = (button.top + button.bottom) / 2;
  const int half = size / 2;
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  HBRUSH brush = CreateSolidBrush(GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  switch (glyph) {
    case TFrameGlyph::fgClose:
      for (int d = 0; d < 2; ++d) {
        MoveToEx(dc, cx - half + d, cy - half, nullptr);
        LineTo(dc, cx + half + d + 1, cy + half + 1);
        MoveToEx(dc, cx + half - 1 + d, cy - half, nullptr);
        LineTo(dc, cx - half - 2 + d, cy + half + 1);
      }
      break;
    case TFrameGlyph::fgMaximize:
    case TFrameGlyph::fgRestore: {
      const int inset = glyph == TFrameGlyph::fgRestore ? 2 : 0;
      SelectObject(dc, GetStockObject(NULL_BRUSH));
      Rectangle(dc, cx - half, cy - half + inset, cx + half + 1 - inset, cy + half + 1);
      MoveToEx(dc, cx - half, cy - half + inset + 1, nullptr);
      LineTo(dc, cx + half + 1 - inset, cy - half + inset + 1);
      break;
    }
    case TFrameGlyph::fgMinimize:
      Rectangle(dc, cx - half, cy + half - 1, cx + half, cy + half + 1);
      break;
    default: {
      const int h = std::max(2, half);
      POINT points[3];
      if (glyph == TFrameGlyph::fgUp || glyph == TFrameGlyph::fgDown) {
        const int dir = glyph == TFrameGlyph::fgUp ? -1 : 1;
        points[0] = {cx - h, cy - dir * h / 2};
        points[1] = {cx + h, cy - dir * h / 2};
        points[2] = {cx, cy + dir * (h / 2 + 1)};
      } else {
        const int dir = glyph == TFrameGlyph::fgLeft ? -1 : 1;
        points[0] = {cx - dir * h / 2, cy - h};
        points[1] = {cx - dir * h / 2, cy + h};
        points[2] = {cx + dir * (h / 2 + 1), cy};
      }
      Polygon(dc, points, 3);
      break;
    }
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

// The close, maximise and minimise buttons at the right end of a caption, as the platform places them; a box the
// window lacks shows disabled while its partner is there.
void PaintCaptionButtons(HDC dc, const RECT& caption, LONG_PTR style, bool tool) {
  const int width = GetSystemMetrics(tool ? SM_CXSMSIZE : SM_CXSIZE) - 2;
  const int height = caption.bottom - caption.top - 4;
  RECT button{caption.right - 2 - width, caption.top + 2, caption.right - 2, caption.top + 2 + height};
  PaintFrameButton(dc, button, TFrameGlyph::fgClose);
  if (tool || !(style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX))) return;
  OffsetRect(&button, -width - 2, 0);
  PaintFrameButton(dc, button, style & WS_MAXIMIZE ? TFrameGlyph::fgRestore : TFrameGlyph::fgMaximize,
                   (style & WS_MAXIMIZEBOX) != 0);
  OffsetRect(&button, -width, 0);
  PaintFrameButton(dc, button, TFrameGlyph::fgMinimize, (style & WS_MINIMIZEBOX) != 0);
}

// The platform's scroll bars of the window's frame: arrows at the ends, the thumb where the platform has it.
void PaintScrollBars(HWND wnd, HDC dc) {
  RECT window;
  GetWindowRect(wnd, &window);
  for (LONG object : {OBJID_VSCROLL, OBJID_HSCROLL}) {
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    if (!GetScrollBarInfo(wnd, object, &info) || (info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)))
      continue;
    RECT bar = info.rcScrollBar;
    OffsetRect(&bar, -window.left, -window.top);
    if (IsRectEmpty(&bar)) continue;
    const bool vertical = object == OBJID_VSCROLL;
    const bool enabled = !(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);
    HBRUSH trackBrush = CreateSolidBrush(GetSysColor(COLOR_SCROLLBAR));
    FillRect(dc, &bar, trackBrush);
    DeleteObject(trackBrush);
    // Arrow buttons as long as the bar is thick, the thumb from the scroll range (the platform's own thumb figures
    // are not filled in everywhere).
    const int thickness = vertical ? bar.right - bar.left : bar.bottom - bar.top;
    const int length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
    const int button = std::min(thickness, length / 2);
    RECT first = bar;
    RECT last = bar;
    if (vertical) {
      first.bottom = first.top + button;
      last.top = last.bottom - button;
    } else {
      first.right = first.left + button;
      last.left = last.right - button;
    }
    PaintFrameButton(dc, first, vertical ? TFrameGlyph::fgUp : TFrameGlyph::fgLeft, enabled);
    PaintFrameButton(dc, last, vertical ? TFrameGlyph::fgDown : TFrameGlyph::fgRight, enabled);
    SCROLLINFO scroll{};
    scroll.cbSize = sizeof scroll;
    scroll.fMask = SIF_ALL;
    const int track = length - 2 * button;
    if (!enabled || track <= 8 || !GetScrollInfo(wnd, vertical ? SB_VERT : SB_HORZ, &scroll)) continue;
    const int64_t range = static_cast<int64_t>(scroll.nMax) - scroll.nMin + 1;
    const auto page = static_cast<int64_t>(scroll.nPage);
    if (range <= 0 || page >= range) continue;
    const int thumbLength = std::clamp(static_cast<int>(track * page / range), 8, track);
    const int64_t travel = range - std::max<int64_t>(page, 1);
    const int64_t position = std::clamp<int64_t>(static_cast<int64_t>(scroll.nPos) - scroll.nMin, 0, travel);
    const int offset = button + static_cast<int>((track - thumbLength) * position / std::max<int64_t>(travel, 1));
    RECT thumb = bar;
    if (vertical) {
      thumb.top = bar.top + offset;
      thumb.bottom = thumb.top + thumbLength;
    } else {
      thumb.left = bar.left + offset;
      thumb.right = thumb.left + thumbLength;
    }
    FillRect(dc, &thumb, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT);
  }
}

// Prints each visible child window of parent (whose client area is at the DC's origin) at its place, the bottom of
// the z-order first so that windows on top come out on top.
void PrintChildWindows(HWND parent, HDC dc) {
  HWND top = GetWindow(parent, GW_CHILD);
  for (HWND child = top ? GetWindow(top, GW_HWNDLAST) : nullptr; child; child = GetWindow(child, GW_HWNDPREV)) {
    if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    const int saved = SaveDC(dc);
    MoveWindowOrg(dc, rect.left, rect.top);
    IntersectClipRect(dc, 0, 0, rect.right - rect.left, rect.bottom - rect.top);
    SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc),
                 PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
    RestoreDC(dc, saved);
  }
}

}  // namespace

LRESULT CALLBACK FrameworkWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* control = WindowControls().Find(wnd);
  if (!control) return DefWindowProcW(wnd, msg, wParam, lParam);
  TMessage message{msg, wParam, lParam, 0};
  control->MainWndProc(message);
  return message.Result;
}

LRESULT CALLBACK InitialWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* control = creationControl;
  if (!control) return DefWindowProcW(wnd, msg, wParam, lParam);
  creationControl = nullptr;
  control->AttachWindow(wnd);
  return FrameworkWindowProc(wnd, msg, wParam, lParam);
}

TWinControl* FindControl(HWND wnd) { return wnd ? WindowControls().Find(wnd) : nullptr; }

TWinControl* FindFrameworkWindow(POINT screenPoint) {
  for (HWND wnd = WindowFromPoint(screenPoint); wnd; wnd = GetParent(wnd))
    if (TWinControl* control = FindControl(wnd)) return control;
  return nullptr;
}

TControl* FindDragTarget(POINT screenPoint, bool allowDisabled) {
  TWinControl* window = FindFrameworkWindow(screenPoint);
  if (!window) return nullptr;
  TControl* control = window->ControlAtPos(window->ScreenToClient(screenPoint), allowDisabled);
  return control ? control : window;
}

TControl* FindMouseTarget(TControl* control, POINT point) {
  const RECT client = control->ClientRect();
  if (!PtInRect(&client, point)) return FindDragTarget(control->ClientToScreen(point), true);
  auto* window = ObjectAs<TWinControl>(control);
  TControl* child = window ? window->ControlAtPos(point, true) : nullptr;
  return child ? child : control;
}

// ---- TWinControl: construction and the window ----

TWinControl::TWinControl(TComponent* owner) : TControl(owner), brush_(std::make_unique<TBrush>()) {
  brush_->SetColor(Color());
}

TWinControl::~TWinControl() {
  Destroying();
  childrenGone_ = true;
  for (TControl* client : dockClients_) client->hostDockSite_ = nullptr;
  dockClients_.clear();
  SetDockSite(false);
  if (handle_) (void)DestroyHandle();
  DestroyControls();
  // Leave the parent while still a windowed control, so that it forgets this one in its tab order and focus. The
  // parent aligns the rest of its children, whose handlers may raise: nothing may leave a destructor.
  ReportFailures([this] { return SetParent(nullptr); });
}

void TWinControl::BeforeDestruction() {
  Destroying();
  childrenGone_ = true;
  DestroyControls();
  TControl::BeforeDestruction();
}

void TWinControl::DestroyControls() {
  // Each child goes while it still has this parent, and leaves the list as it goes.
  while (!controls_.empty()) delete controls_.back();
}

HWND TWinControl::Handle() {
  if (!handle_) {
    // Making the window raises handlers (a control filling itself in), which may free the control: there is no
    // window then.
    const TLifeWatch life = LifeWatch();
    if (Parent()) Parent()->HandleNeeded();
    if (life.Ended() || CreateHandle().Gone()) return nullptr;
  }
  return handle_;
}

TRaised TWinControl::CreateHandle() {
  if (handle_) return TRaised(true);
  if (CreateWnd().Gone()) return TRaised(false);
  if (Parent()) {
    // Keep the window's place among its siblings the one the child list gives.
    HWND after = HWND_TOP;
    auto& list = Parent()->controls_;
    auto it = std::find(list.begin(), list.end(), this);
    while (it != list.end() && ++it != list.end()) {
      auto* sibling = ObjectAs<TWinControl>(*it);
      if (sibling && sibling->handle_) {
        after = GetWindow(sibling->handle_, GW_HWNDPREV);
        if (!after) after = HWND_TOP;
        break;
      }
    }
    SetWindowPos(handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  for (TControl* child : controls_) child->UpdateAnchorRules();
  return Realign();
}

void TWinControl::CreateParams(TCreateParams& params) {
  params = TCreateParams();
  params.Caption = TControl::GetText();
  params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (UseRightToLeftReading()) params.ExStyle |= WS_EX_RTLREADING;
  if (UseRightToLeftScrollBar()) params.ExStyle |= WS_EX_LEFTSCROLLBAR;
  if (UseRightToLeftAlignment()) params.ExStyle |= WS_EX_RIGHT;
  if (ControlStyle().Contains(TControlStyleItem::csAcceptsControls)) {
    params.Style |= WS_CLIPCHILDREN;
    params.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (!Enabled()) params.Style |= WS_DISABLED;
  if (tabStop_) params.Style |= WS_TABSTOP;
  params.X = Left();
  params.Y = Top();
  params.Width = Width();
  params.Height = Height();
  params.WndParent = Parent() ? Parent()->Handle() : parentWindow_;
  params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  params.WindowClass.lpfnWndProc = DefWindowProcW;
  params.WindowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  params.WindowClass.hInstance = ModuleInstance();
  params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& params, const wchar_t* controlClassName) {
  if (!controlClassName) return;
  HINSTANCE instance = params.WindowClass.hInstance;
  if (!GetClassInfoW(ModuleInstance(), controlClassName, &params.WindowClass))
    GetClassInfoW(nullptr, controlClassName, &params.WindowClass);
  params.WindowClass.hInstance = instance;
  params.WindowClass.style &= ~(CS_OWNDC | CS_CLASSDC | CS_PARENTDC | CS_GLOBALCLASS);
}

TRaised TWinControl::CreateWnd() {
  // The parent's window comes first (a handler moved the control, while it showed, onto a parent without one):
  // making it raises the parent's handlers, which may free this control.
  if (TWinControl* parent = Parent(); parent && !parent->handle_) {
    const TLifeWatch life = LifeWatch();
    parent->HandleNeeded();
    if (life.Ended()) return TRaised(false);
  }
  TCreateParams params;
  CreateParams(params);
  if (!params.WndParent && (params.Style & WS_CHILD))
    throw EInvalidOperation(Format(L"Control '%s' has no parent window", {Name()}));
  defWndProc_ = params.WindowClass.lpfnWndProc;
  WNDCLASSW registered{};
  bool isRegistered = GetClassInfoW(params.WindowClass.hInstance, params.WinClassName.c_str(), &registered) != 0;
  if (!isRegistered || registered.lpfnWndProc != InitialWindowProc) {
    if (isRegistered) UnregisterClassW(params.WinClassName.c_str(), params.WindowClass.hInstance);
    WNDCLASSW wc = params.WindowClass;
    wc.lpfnWndProc = InitialWindowProc;
    wc.lpszClassName = params.WinClassName.c_str();
    if (!RegisterClassW(&wc)) RaiseLastOSError();
  }
  const unsigned destroyed = windowsDestroyed_;
  creationControl = this;
  bool lives = false;
  try {
    lives = CreateWindowHandle(params).Alive();
  } catch (...) {
    creationControl = nullptr;
    throw;
  }
  creationControl = nullptr;
  if (!lives) return TRaised(false);
  if (!handle_) {
    if (windowsDestroyed_ == destroyed) RaiseLastOSError();
    // A handler raised while the window was made (its OnResize) moved the control, or its parent, and the window
    // went with the move: no failure. Moved elsewhere, the control gets a window where it shows next; moved away
    // and back (the parent window is the same), it is being shown here still and gets its window now; what a
    // derived class does with a new window it does once, as this returns.
    if ((Parent() ? Parent()->handle_ : parentWindow_) != params.WndParent) return TRaised(true);
    return TWinControl::CreateWnd();
  }
  UpdateBounds();
  Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 1);
  return AdjustSize();
}

TRaised TWinControl::CreateWindowHandle(const TCreateParams& params) {
  // A child window has an identifier from the start, so that notifications naming it by identifier (measure
  // item during its creation) find it.
  HMENU id = (params.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(NextChildId())) : nullptr;
  const TLifeWatch life = LifeWatch();
  HWND wnd = CreateWindowExW(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style,
                             params.X, params.Y, params.Width, params.Height, params.WndParent, id,
                             params.WindowClass.hInstance, params.Param);
  if (life.Ended()) return TRaised(false);
  if (wnd && !handle_) AttachWindow(wnd);
  return TRaised(true);
}

void TWinControl::AttachWindow(HWND wnd) {
  handle_ = wnd;
  WindowControls().Attach(wnd, this);
  SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameworkWindowProc));
}

TRaised TWinControl::DestroyWnd() {
  // The text lives in the window while there is one; keep it for the next window.
  String text = TControl::GetText();
  FreeDeviceContexts();
  const TLifeSince life(LifeWatch());
  DestroyWindowHandle();
  if (life.Ended()) return TRaised(false);
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  return TRaised(true);
}

void TWinControl::DestroyWindowHandle() {
  HWND wnd = handle_;
  ++windowsDestroyed_;
  if (platformCalls.Runs(wnd)) {
    // The window's platform procedure is still running: the window gets that procedure back (which frees what it
    // keeps when the window goes), leaves its parent, which may go now, and goes once the procedure returns.
    SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defWndProc_));
    WindowControls().Detach(wnd);
    handle_ = nullptr;
    showing_ = false;
    ShowWindow(wnd, SW_HIDE);
    ::SetParent(wnd, HWND_MESSAGE);
    platformCalls.Left.push_back(wnd);
    return;
  }
  SetControlState(ControlState() + TControlStateItem::csDestroyingHandle);
  // The focus leaving the window raises handlers (Screen's change of the active control), which may free this
  // control; its window went with it then.
  const TLifeSince life(LifeWatch());
  DestroyWindow(wnd);
  if (life.Ended()) return;
  SetControlState(ControlState() - TControlStateItem::csDestroyingHandle);
  if (handle_ == wnd) {
    WindowControls().Detach(wnd);
    handle_ = nullptr;
  }
  showing_ = false;
}

TRaised TWinControl::DestroyHandle() {
  if (!handle_) return TRaised(true);
  // Each window that goes may move the focus, whose handlers may free this control or any child.
  const TLifeSince life(LifeWatch());
  std::vector<std::pair<TWinControl*, TLifeSince>> children;
  for (TWinControl* child : tabList_) children.emplace_back(child, TLifeSince(child->LifeWatch()));
  for (const auto& [child, childLife] : children) {
    // A child's answer is its own: the walk goes on while this control lives.
    if (!childLife.Ended()) (void)child->DestroyHandle();
    if (life.Ended()) return TRaised(false);
  }
  return DestroyWnd();
}

void TWinControl::SetWindowHandle(HWND value) {
  handle_ = value;
  if (value) WindowControls().Attach(value, this);
}

void TWinControl::RecreateWnd() {
  if (handle_) Perform(CM_RECREATEWND);
}

void TWinControl::CMRecreateWnd(TMessage& message) {
  (void)message;
  bool wasFocused = Focused();
  if (DestroyHandle().Gone() || UpdateControlState().Gone()) return;
  if (wasFocused && handle_) ::SetFocus(handle_);
}

TRaised TWinControl::SetParentWindow(HWND value) {
  if (parentWindow_ == value) return TRaised(true);
  if (Parent()) {
    parentWindow_ = value;
    return TRaised(true);
  }
  if (handle_ && parentWindow_ && value) {
    ::SetParent(handle_, value);
  } else if (handle_) {
    if (DestroyHandle().Gone()) return TRaised(false);
  }
  parentWindow_ = value;
  return UpdateControlState();
}

void TWinControl::MainWndProc(TMessage& message) {
  // A handler may free the control before it raises: the report names no sender then.
  const TLifeWatch life = LifeWatch();
  try {
    if (const TWndMethod& proc = WindowProc())
      proc(message);
    else
      WndProc(message);
  } catch (...) {
    if (Application) Application->HandleException(life.Ended() ? nullptr : this);
  }
  FreeDeviceContexts();
}

void TWinControl::UpdateBounds() {
  RECT rect;
  if (IsIconic(handle_)) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(handle_, &placement);
    rect = placement.rcNormalPosition;
  } else {
    GetWindowRect(handle_, &rect);
    if (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD) {
      if (HWND parent = GetParent(handle_)) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    }
  }
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  if (rect.left == Left() && rect.top == Top() && width == Width() && height == Height()) return;
  StoreBounds(rect.left, rect.top, width, height);
  UpdateAnchorRules();
}

TRaised TWinControl::SetBounds(int left, int top, int width, int height) {
  bool resize = true;
  if (const TRaised raised = CanResize(width, height, resize); raised.Gone() || !resize) return raised;
  ConstrainSize(width, height);
  if (left == Left() && top == Top() && width == Width() && height == Height()) return TRaised(true);
  if (handle_ && !IsIconic(handle_)) {
    // The window's new size raises OnResize and aligns the children, whose handlers may free this control.
    const TLifeWatch life = LifeWatch();
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (life.Ended()) return TRaised(false);
  } else {
    StoreBounds(left, top, width, height);
    if (handle_) SetPlacementBounds();
  }
  UpdateAnchorRules();
  return RequestAlign();
}

void TWinControl::SetPlacementBounds() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(handle_, &placement);
  placement.rcNormalPosition = BoundsRect();
  SetWindowPlacement(handle_, &placement);
}

void TWinControl::SetZOrder(bool topMost) {
  TControl::SetZOrder(topMost);
  if (handle_) {
    SetWindowPos(handle_, topMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

RECT TWinControl::ClientRect() const {
  if (pendingClientSize_.cx >= 0) return RECT{0, 0, pendingClientSize_.cx, pendingClientSize_.cy};
  RECT rect{0, 0, Width(), Height()};
  if (handle_) GetClientRect(handle_, &rect);
  return rect;
}

TRaised TWinControl::SetClientSize(int width, int height) {
  if (IsLoading()) {
    pendingClientSize_ = SIZE{width, height};
    return TRaised(true);
  }
  if (!handle_ && (Parent() || parentWindow_ || Is<TCustomForm>()) && !Handle()) return TRaised(false);
  return TControl::SetClientSize(width, height);
}

POINT TWinControl::ClientOrigin() const {
  if (handle_) {
    POINT origin{0, 0};
    ::ClientToScreen(handle_, &origin);
    return origin;
  }
  if (Parent()) return TControl::ClientOrigin();
  // A top-level window's client area lies where its frame puts it: the window is made to know.
  POINT origin{0, 0};
  ::ClientToScreen(const_cast<TWinControl*>(this)->Handle(), &origin);
  return origin;
}

TRaised TWinControl::SetParent(TWinControl* value) {
  if (Parent() != value && !value && !parentWindow_ && handle_) {
    if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, true);
    // The focus leaving the window may raise handlers that free this control.
    if (DestroyHandle().Gone()) return TRaised(false);
  }
  return TControl::SetParent(value);
}

// ---- showing ----

TRaised TWinControl::UpdateShowing(bool parentShows) {
  // Nothing shows while a form is being read; Loaded shows what should.
  if (Reading()) return TRaised(true);
  bool show = parentShows && Visible();
  // Making and showing windows raises handlers (a control filling itself in, a form's OnShow or OnHide), which may
  // free this control or any child: those freed are passed over, and a freed control ends the work.
  const TLifeWatch life = LifeWatch();
  auto children = [this] {
    std::vector<std::pair<TWinControl*, TLifeWatch>> list;
    for (TWinControl* child : tabList_) list.emplace_back(child, child->LifeWatch());
    return list;
  };
  if (show) {
    if (!handle_ && CreateHandle().Gone()) return TRaised(false);
    // The children first, so that the window appears whole.
    for (const auto& [child, childLife] : children()) {
      // Handlers took this window away (moved this control onto a hidden parent, or one that cannot have a
      // window): where it went decides what shows, and the rest of the children wait for it.
      if (!handle_) return TRaised(true);
      const TRaised shown = childLife.Ended() ? TRaised(true) : child->UpdateShowing(true);
      if (AnswerFor(life, shown).Gone()) return TRaised(false);
    }
  }
  if (handle_ && showing_ != show) {
    showing_ = show;
    try {
      Perform(CM_SHOWINGCHANGED);
    } catch (...) {
      showing_ = !show;
      throw;
    }
    if (life.Ended()) return TRaised(false);
  }
  // A hidden window hides its children with it: they stop showing too.
  if (!show)
    for (const auto& [child, childLife] : children()) {
      const TRaised hidden = childLife.Ended() || !child->showing_ ? TRaised(true) : child->UpdateShowing(false);
      if (AnswerFor(life, hidden).Gone()) return TRaised(false);
    }
  return TRaised(true);
}

TRaised TWinControl::UpdateControlState() {
  TWinControl* top = this;
  while (top->Parent()) {
    top = top->Parent();
    if (!top->Showing()) return TRaised(true);
  }
  if (!top->Is<TCustomForm>() && !top->parentWindow_) return TRaised(true);
  return UpdateShowing();
}

void TWinControl::CMShowingChanged(TMessage& message) {
  (void)message;
  UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(handle_, nullptr, 0, 0, 0, 0, flags | (showing_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::CMVisibleChanged(TMessage& message) {
  if (!Visible() && Parent()) {
    if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, false);
  }
  // Showing or hiding a form raises its events, which may free it.
  if (UpdateControlState().Gone()) return;
  TControl::Dispatch(message);
}

// ---- children ----

TRaised TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  if (auto* win = ObjectAs<TWinControl>(control)) tabList_.push_back(win);
  control->SetParentValue(this);
  // Taking the parent's font and colour, showing the window and the alignment raise handlers, which may free the
  // control or this one (which frees the control with it), or move the control to another parent and then free
  // this one: the joining ends there, answering whether the control lives.
  const TLifeWatch life = control->LifeWatch();
  const TLifeWatch parentLife = LifeWatch();
  const auto joined = [&] { return !life.Ended() && !parentLife.Ended() && control->Parent() == this; };
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 1);
  if (!joined()) return TRaised(!life.Ended());
  if (!control->IsLoading()) {
    for (UINT notice :
         {CM_PARENTCOLORCHANGED, CM_PARENTFONTCHANGED, CM_PARENTSHOWHINTCHANGED, CM_PARENTBIDIMODECHANGED}) {
      control->Perform(notice);
      if (!joined()) return TRaised(!life.Ended());
    }
    if (auto* win = ObjectAs<TWinControl>(control)) {
      win->Perform(CM_PARENTCTL3DCHANGED);
      if (!joined() || win->UpdateControlState().Gone() || !joined()) return TRaised(!life.Ended());
    } else if (handle_) {
      control->Invalidate();
    }
    if (AlignControl(control).Gone() || !joined()) return TRaised(!life.Ended());
  }
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), 1);
  return TRaised(!life.Ended());
}

TRaised TWinControl::RemoveControl(TControl* control) {
  const TLifeWatch life = control->LifeWatch();
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), 0);
  if (auto* win = ObjectAs<TWinControl>(control)) {
    if (TCustomForm* form = GetParentForm(win)) form->DefocusControl(win, true);
    // The focus leaving the window raises handlers, which may free the control (which then leaves this one on its
    // own way out) or this one, or move the control to another parent, which took it from this one on the way.
    const TLifeSince parentLife(LifeWatch());
    const TLifeSince controlLife(control->LifeWatch());
    const bool controlLives = win->DestroyHandle().Alive();
    if (parentLife.Ended() || !controlLives) return TRaised(false);
    if (control->Parent() != this) return TRaised(true);
    // As a focused child's window goes, the platform gives the focus to the control's own window for a moment,
    // and the form records it again.
    if (TCustomForm* form = GetParentForm(win)) form->DefocusControl(win, true);
    tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), win), tabList_.end());
  } else if (handle_) {
    control->InvalidateControl(control->Visible(), false);
  }
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  control->SetParentValue(nullptr);
  // The rest of the children are aligned again, whose handlers may free the control that left.
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 0);
  return IsDestroying() ? TRaised(!life.Ended()) : AnswerFor(life, Realign());
}

bool TWinControl::ContainsControl(const TControl* control) const {
  while (control && control != this) control = control->Parent();
  return control == this;
}

TControl* TWinControl::ControlAtPos(POINT point, bool allowDisabled, bool allowWinControls) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* control = *it;
    if (!allowWinControls && control->Is<TWinControl>()) continue;
    if (!control->Visible() || (!allowDisabled && !control->Enabled())) continue;
    RECT bounds = control->BoundsRect();
    if (PtInRect(&bounds, point)) return control;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& message) { SendToChildren(message, false); }

void TWinControl::SendToChildren(TMessage& message, bool usableOnly) {
  std::vector<TControl*> children = controls_;
  for (TControl* child : children) {
    if (std::find(controls_.begin(), controls_.end(), child) == controls_.end()) continue;
    if (usableOnly && (!child->Visible() || !child->Enabled())) continue;
    if (const TWndMethod& proc = child->WindowProc())
      proc(message);
    else
      child->WndProc(message);
    if (message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT msg) {
  TMessage message{msg, 0, 0, 0};
  std::vector<TControl*> children = controls_;
  for (TControl* child : children) child->Perform(message.Msg, message.WParam, message.LParam);
}

// ---- focus and tab order ----

void TWinControl::SetTabStop(bool value) {
  if (tabStop_ == value) return;
  tabStop_ = value;
  if (handle_) {
    LONG_PTR style = GetWindowLongPtrW(handle_, GWL_STYLE);
    SetWindowLongPtrW(handle_, GWL_STYLE, value ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  }
  Perform(CM_TABSTOPCHANGED);
}

int TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  auto& list = Parent()->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int value) {
  if (IsLoading()) {
    pendingTabOrder_ = value;
    return;
  }
  UpdateTabOrder(value);
}

void TWinControl::UpdateTabOrder(int value) {
  int current = TabOrder();
  if (current < 0) return;
  auto& list = Parent()->tabList_;
  int count = static_cast<int>(list.size());
  value = std::clamp(value, 0, count - 1);
  if (value == current) return;
  list.erase(list.begin() + current);
  list.insert(list.begin() + value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* child : tabList_) {
    list.push_back(child);
    child->GetTabOrderList(list);
  }
}

bool TWinControl::CanFocus() const {
  const TWinControl* control = this;
  while (control) {
    if (!control->Visible() || !control->Enabled()) return false;
    if (control->Is<TCustomForm>() || control->parentWindow_) return true;
    control = control->Parent();
  }
  return false;
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

TRaised TWinControl::ShowControl(TControl* control) {
  (void)control;
  if (!Parent()) return TRaised(true);
  // A parent that brings a page to the front raises the page control's handlers, which may free this control.
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, Parent()->ShowControl(this));
}

TRaised TWinControl::SetFocus() {
  // A control on a page that is not shown can take the focus once its page comes to the front.
  if (!CanFocus() && Parent() && Parent()->ShowControl(this).Gone()) return TRaised(false);
  if (TCustomForm* form = GetParentForm(this)) {
    // The focus moves raise OnExit and OnEnter, and the form's activation, which may free this control.
    const TLifeWatch life = LifeWatch();
    return AnswerFor(life, form->FocusControl(this));
  }
  if (!parentWindow_) throw EInvalidOperation(Format(L"Control '%s' has no parent window", {Name()}));
  const TLifeWatch life = LifeWatch();
  ::SetFocus(Handle());
  return TRaised(!life.Ended());
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int count = static_cast<int>(list.size());
  auto found = std::find(list.begin(), list.end(), current);
  int start = found != list.end() ? static_cast<int>(found - list.begin()) : (goForward ? count - 1 : 0);
  int i = start;
  do {
    i = goForward ? (i + 1) % count : (i + count - 1) % count;
    TWinControl* candidate = list[i];
    if (candidate->CanFocus() && (!checkTabStop || candidate->TabStop()) &&
        (!checkParent || candidate->Parent() == this))
      return candidate;
  } while (i != start);
  return nullptr;
}

TRaised TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
  TWinControl* next = FindNextControl(current, goForward, checkTabStop, !checkTabStop);
  if (!next) return TRaised(true);
  // The focus moves raise handlers, which may free this control.
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, next->SetFocus());
}

TRaised TWinControl::SelectFirst() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return TRaised(true);
  TWinControl* control = FindNextControl(nullptr, true, true, false);
  if (!control) control = FindNextControl(nullptr, true, false, false);
  if (!control) return TRaised(true);
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, form->SetActiveControl(control));
}

void TWinControl::CMDrag(TMessage& message) {
  if (static_cast<TDragMessage>(message.WParam) == TDragMessage::dmFindTarget) {
    auto* rec = reinterpret_cast<TDragRec*>(message.LParam);
    TControl* control = ControlAtPos(ScreenToClient(rec->Pos), false);
    message.Result = reinterpret_cast<LRESULT>(control ? control : this);
    return;
  }
  TControl::CMDrag(message);
}

TRaised TWinControl::DoEnter() { return RaiseEvent(OnEnter, this); }

TRaised TWinControl::DoExit() { return RaiseEvent(OnExit, this); }

// ---- painting ----

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, !ControlStyle().Contains(TControlStyleItem::csOpaque));
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::PaintTo(HDC dc, int x, int y) {
  int saved = SaveDC(dc);
  MoveWindowOrg(dc, x, y);
  IntersectClipRect(dc, 0, 0, Width(), Height());
  SendMessageW(Handle(), WM_PRINT, reinterpret_cast<WPARAM>(dc),
               PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
  RestoreDC(dc, saved);
}

TRaised TWinControl::PaintNonClientTo(HDC dc) {
  // The frame is drawn here rather than asked of the platform, which does not print non-client areas everywhere.
  HWND wnd = handle_;
  LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
  LONG_PTR exStyle = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
  RECT rect{0, 0, Width(), Height()};
  if ((style & WS_CAPTION) == WS_CAPTION) {
    FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT | BF_ADJUST);
    if (style & WS_THICKFRAME) InflateRect(&rect, -GetSystemMetrics(SM_CXFRAME) + 2, -GetSystemMetrics(SM_CYFRAME) + 2);
    bool tool = (exStyle & WS_EX_TOOLWINDOW) != 0;
    RECT caption = rect;
    caption.bottom = caption.top + GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION) - 1;
    DrawCaption(wnd, dc, &caption, DC_ACTIVE | DC_TEXT | DC_GRADIENT | (tool ? DC_SMALLCAP : DC_ICON));
    if (style & WS_SYSMENU) PaintCaptionButtons(dc, caption, style, tool);
  } else if (exStyle & WS_EX_CLIENTEDGE) {
    DrawEdge(dc, &rect, EDGE_SUNKEN, BF_RECT);
  } else if (style & WS_BORDER) {
    DrawEdge(dc, &rect, BDR_OUTER, BF_RECT | BF_MONO);
  }
  if (style & (WS_VSCROLL | WS_HSCROLL)) PaintScrollBars(wnd, dc);
  if (bevelKind_ != TBevelKind::bkNone || borderWidth_ > 0) PaintBorder(dc);
  return TRaised(true);
}

TRaised TWinControl::PaintWindow(HDC dc) {
  TMessage message{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
  const TLifeWatch life = LifeWatch();
  DefaultHandler(message);
  return TRaised(!life.Ended());
}

void TWinControl::PaintHandler(TMessage& message) {
  auto dc = reinterpret_cast<HDC>(message.WParam);
  PAINTSTRUCT ps{};
  if (!dc) dc = BeginPaint(handle_, &ps);
  // A painter that raises still ends the paint: the DC is put back as it came and given back, not left behind
  // with its objects at every paint.
  struct TPaintEnd {
    HWND window;
    const PAINTSTRUCT* begun;
    ~TPaintEnd() {
      if (begun) EndPaint(window, begun);
    }
  } paintEnd{handle_, message.WParam ? nullptr : &ps};
  int saved = SaveDC(dc);
  int clip = SIMPLEREGION;
  for (TControl* child : controls_) {
    if (child->Is<TWinControl>() || !child->Visible() || !child->ControlStyle().Contains(TControlStyleItem::csOpaque))
      continue;
    clip = ExcludeClipRect(dc, child->Left(), child->Top(), child->Left() + child->Width(),
                           child->Top() + child->Height());
    if (clip == NULLREGION) break;
  }
  // Painting raises handlers, and one may free this control.
  bool lives = true;
  try {
    if (clip != NULLREGION) lives = PaintWindow(dc).Alive();
  } catch (...) {
    RestoreDC(dc, saved);
    throw;
  }
  RestoreDC(dc, saved);
  if (lives) PaintControls(dc, nullptr);
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
  auto it = controls_.begin();
  if (first) {
    it = std::find(controls_.begin(), controls_.end(), first);
    if (it == controls_.end()) it = controls_.begin();
  }
  // A child's painting may free this control or any child; each is asked for only while both are alive.
  const TLifeWatch life = LifeWatch();
  std::vector<std::pair<TControl*, TLifeWatch>> list;
  for (; it != controls_.end(); ++it)
    if (!(*it)->Is<TWinControl>()) list.emplace_back(*it, (*it)->LifeWatch());
  for (const auto& [child, childLife] : list) {
    if (life.Ended()) return;
    if (childLife.Ended() || !child->Visible()) continue;
    RECT bounds = child->BoundsRect();
    if (!RectVisible(dc, &bounds)) continue;
    int saved = SaveDC(dc);
    MoveWindowOrg(dc, child->Left(), child->Top());
    IntersectClipRect(dc, 0, 0, child->Width(), child->Height());
    child->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc));
    RestoreDC(dc, saved);
  }
}

void TWinControl::WMPaint(TMessage& message) {
  if (!ControlState().Contains(TControlStateItem::csCustomPaint) &&
      std::none_of(controls_.begin(), controls_.end(), [](const TControl* c) { return !c->Is<TWinControl>(); }))
    DefaultHandler(message);
  else
    PaintHandler(message);
}

void TWinControl::WMPrintClient(TMessage& message) {
  // Windows of system controls print themselves; ours paint as for WM_PAINT into the given DC.
  if (defWndProc_ != DefWindowProcW || !(message.LParam & PRF_CLIENT)) {
    DefaultHandler(message);
    return;
  }
  TMessage paint{WM_PAINT, message.WParam, 0, 0};
  WMPaint(paint);
}

void TWinControl::WMEraseBkgnd(TMessage& message) {
  RECT client = ClientRect();
  FillRect(reinterpret_cast<HDC>(message.WParam), &client, brush_->Handle());
  message.Result = 1;
}

void TWinControl::FrameChanged() {
  if (handle_)
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

void TWinControl::SetBorderWidth(int value) {
  if (borderWidth_ == value) return;
  borderWidth_ = value;
  FrameChanged();
}

void TWinControl::SetBevelEdges(TBevelEdges value) {
  if (bevelEdges_ == value) return;
  bevelEdges_ = value;
  FrameChanged();
}

void TWinControl::SetBevelInner(TBevelCut value) {
  if (bevelInner_ == value) return;
  bevelInner_ = value;
  FrameChanged();
}

void TWinControl::SetBevelOuter(TBevelCut value) {
  if (bevelOuter_ == value) return;
  bevelOuter_ = value;
  FrameChanged();
}

void TWinControl::SetBevelKind(TBevelKind value) {
  if (bevelKind_ == value) return;
  bevelKind_ = value;
  FrameChanged();
}

void TWinControl::SetBevelWidth(int value) {
  if (bevelWidth_ == value || value < 1) return;
  bevelWidth_ = value;
  FrameChanged();
}

int TWinControl::BevelSize() const {
  if (bevelKind_ == TBevelKind::bkNone) return 0;
  int size = 0;
  if (bevelInner_ != TBevelCut::bvNone) size += bevelWidth_;
  if (bevelOuter_ != TBevelCut::bvNone) size += bevelWidth_;
  return size;
}

void TWinControl::WMNCCalcSize(TMessage& message) {
  DefaultHandler(message);
  if (!message.LParam) return;
  // Both forms of the message start with the rectangle that becomes the client area.
  auto* rect = reinterpret_cast<RECT*>(message.LParam);
  InflateRect(rect, -borderWidth_, -borderWidth_);
  int bevel = BevelSize();
  if (bevelEdges_.Contains(TBevelEdge::beLeft)) rect->left += bevel;
  if (bevelEdges_.Contains(TBevelEdge::beTop)) rect->top += bevel;
  if (bevelEdges_.Contains(TBevelEdge::beRight)) rect->right -= bevel;
  if (bevelEdges_.Contains(TBevelEdge::beBottom)) rect->bottom -= bevel;
}

void TWinControl::WMNCPaint(TMessage& message) {
  // The frame inside the platform's border goes first, so the platform's scroll bars come out on top of it.
  if (bevelKind_ != TBevelKind::bkNone || borderWidth_ > 0) {
    HDC dc = GetWindowDC(handle_);
    PaintBorder(dc);
    ReleaseDC(handle_, dc);
  }
  DefaultHandler(message);
}

void TWinControl::WMPrint(TMessage& message) {
  // The platform's default printing draws no frame and ignores the children, so a window prints itself: the frame
  // through PaintNonClientTo, then the client area where it lies inside the frame, then every visible child window
  // at its place, from the bottom of the z-order up, each printing itself the same way.
  message.Result = 1;
  const auto flags = static_cast<UINT>(message.LParam);
  if ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(handle_)) return;
  auto dc = reinterpret_cast<HDC>(message.WParam);
  const int saved = SaveDC(dc);
  if (flags & PRF_NONCLIENT) {
    const int frameSaved = SaveDC(dc);
    // The frame's own parts (a tree's header) raise handlers, and one may free this control.
    const bool gone = PaintNonClientTo(dc).Gone();
    RestoreDC(dc, frameSaved);
    if (gone) {
      RestoreDC(dc, saved);
      return;
    }
    RECT window;
    GetWindowRect(handle_, &window);
    POINT origin{0, 0};
    ::ClientToScreen(handle_, &origin);
    MoveWindowOrg(dc, origin.x - window.left, origin.y - window.top);
  }
  if (flags & PRF_CLIENT) {
    RECT client;
    GetClientRect(handle_, &client);
    IntersectClipRect(dc, 0, 0, client.right, client.bottom);
    if (flags & PRF_ERASEBKGND) Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc));
    // Printing raises the paint handlers, and one may free this control: its window's children go with it.
    const TLifeWatch life = LifeWatch();
    Perform(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags & ~(PRF_CHILDREN | PRF_OWNED | PRF_NONCLIENT));
    if ((flags & PRF_CHILDREN) && !life.Ended()) PrintChildWindows(handle_, dc);
  }
  RestoreDC(dc, saved);
}

void TWinControl::PaintBorder(HDC dc) {
  static const UINT kInner[] = {0, BDR_SUNKENINNER, BDR_RAISEDINNER, 0};
  static const UINT kOuter[] = {0, BDR_SUNKENOUTER, BDR_RAISEDOUTER, 0};
  static const UINT kKind[] = {0, 0, BF_SOFT, BF_FLAT};
  RECT window;
  GetWindowRect(handle_, &window);
  RECT client;
  GetClientRect(handle_, &client);
  MapWindowPoints(handle_, nullptr, reinterpret_cast<POINT*>(&client), 2);
  OffsetRect(&client, -window.left, -window.top);
  int saved = SaveDC(dc);
  ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  RECT frame = client;
  InflateRect(&frame, borderWidth_, borderWidth_);
  if (bevelKind_ != TBevelKind::bkNone) {
    int bevel = BevelSize();
    LONG_PTR style = GetWindowLongPtrW(handle_, GWL_STYLE);
    if (bevelEdges_.Contains(TBevelEdge::beLeft)) frame.left -= bevel;
    if (bevelEdges_.Contains(TBevelEdge::beTop)) frame.top -= bevel;
    if (bevelEdges_.Contains(TBevelEdge::beRight)) frame.right += bevel;
    if (style & WS_VSCROLL) frame.right += GetSystemMetrics(SM_CXVSCROLL);
    if (bevelEdges_.Contains(TBevelEdge::beBottom)) frame.bottom += bevel;
    if (style & WS_HSCROLL) frame.bottom += GetSystemMetrics(SM_CYHSCROLL);
    RECT edge = frame;
    DrawEdge(dc, &edge, kInner[static_cast<int>(bevelInner_)] | kOuter[static_cast<int>(bevelOuter_)],
             static_cast<UINT>(bevelEdges_.ToBits()) | kKind[static_cast<int>(bevelKind_)] | (Ctl3D() ? 0 : BF_MONO) |
                 BF_ADJUST);
  }
  IntersectClipRect(dc, frame.left, frame.top, frame.right, frame.bottom);
  RECT whole{0, 0, window.right - window.left, window.bottom - window.top};
  FillRect(dc, &whole, brush_->Handle());
  RestoreDC(dc, saved);
}

// ---- messages ----

void TWinControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_SETFOCUS: {
      TCustomForm* form = GetParentForm(this);
      if (form && !form->SetFocusedControl(this)) return;
      break;
    }
    case WM_KILLFOCUS:
      if (ControlState().Contains(TControlStateItem::csFocusing)) return;
      break;
    case WM_NCHITTEST: {
      TControl::WndProc(message);
      if (message.Result == HTTRANSPARENT && ControlAtPos(ScreenToClient(MessagePoint(message.LParam)), false))
        message.Result = HTCLIENT;
      return;
    }
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE: {
      // The control the mouse enters or leaves hears of it, and its handler may free this control.
      const TLifeWatch life = LifeWatch();
      TrackMouse(message);
      if (life.Ended()) return;
      break;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
      if (Dragging()) return;
      break;
    case WM_NCLBUTTONDOWN:
    case WM_SYSCOMMAND:
      // The platform answers a press on the frame (a move, a size, a caption button) with a loop that waits for the
      // release. A modal loop that ran as the press activated the window took it, and that loop would wait for
      // ever: the press goes no further.
      if (IsPressOnTheFrame(message) && Application && Application->ReleaseTakenByModalLoop()) return;
      break;
    case WM_CANCELMODE:
      if (GetCapture() == handle_) {
        if (TControl* capture = GetCaptureControl(); capture && capture->Parent() == this)
          capture->Perform(WM_CANCELMODE);
      }
      break;
    default:
      break;
  }
  if (IsRoutedMouseMessage(message.Msg)) {
    // The child's handler may free this control.
    const TLifeWatch life = LifeWatch();
    if (IsControlMouseMsg(message)) {
      if (message.Result == 0 && !life.Ended() && handle_)
        DefWindowProcW(handle_, message.Msg, message.WParam, message.LParam);
      return;
    }
  }
  TControl::WndProc(message);
}

void TWinControl::TrackMouse(const TMessage& message) {
  if (!Application) return;
  TControl* target = nullptr;
  if (message.Msg == WM_MOUSEMOVE) {
    const POINT point = MessagePoint(message.LParam);
    target = FindMouseTarget(this, point);
    // The platform's notice of the leave is asked for once per entry: asking costs it several round trips.
    const RECT client = ClientRect();
    if (!trackingLeave_ && PtInRect(&client, point)) {
      TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, handle_, 0};
      trackingLeave_ = TrackMouseEvent(&track) != FALSE;
    }
  } else {
    trackingLeave_ = false;
    // The leave is stamped where the platform last knew the pointer, which after a jump out of the program in one
    // move (seen by the display server alone) is still over this window: then the pointer itself says where it is.
    POINT at = MessagePoint(static_cast<LPARAM>(GetMessagePos()));
    POINT pointer{};
    if (WindowFromPoint(at) == handle_ && GetCursorPos(&pointer) && WindowFromPoint(pointer) != handle_) at = pointer;
    target = FindDragTarget(at, true);
  }
  Application->SetMouseControl(target);
}

bool TWinControl::IsControlMouseMsg(TMessage& message) {
  // Who holds the capture is asked only when a windowless child could take the message: asking costs a round trip.
  TControl* control = ControlAtPos(MessagePoint(message.LParam), false);
  TControl* capture = WindowlessCaptureControl();
  if (capture && capture->Parent() != this) capture = nullptr;
  if (!control && !capture) return false;
  if (GetCapture() == handle_) control = capture;
  if (!control) return false;
  POINT point = MessagePoint(message.LParam);
  point.x -= control->Left();
  point.y -= control->Top();
  message.Result = control->Perform(message.Msg, message.WParam, PointToLParam(point));
  return true;
}

void TWinControl::SendReflected(TMessage& message, HWND child) {
  TWinControl* control = FindControl(child);
  if (control && control != this)
    message.Result = control->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
  else
    DefaultHandler(message);
}

void TWinControl::Dispatch(TMessage& message) {
  if (HWND child = NotifyingChild(message, handle_)) {
    SendReflected(message, child);
    return;
  }
  switch (message.Msg) {
    case WM_PAINT:
      WMPaint(message);
      return;
    case WM_PRINTCLIENT:
      WMPrintClient(message);
      return;
    case WM_ERASEBKGND:
      WMEraseBkgnd(message);
      return;
    case WM_NCCALCSIZE:
      WMNCCalcSize(message);
      return;
    case WM_NCPAINT:
      WMNCPaint(message);
      return;
    case WM_PRINT:
      WMPrint(message);
      return;
    case WM_WINDOWPOSCHANGED:
      WMWindowPosChanged(message);
      return;
    case WM_SIZE:
      if (handle_) UpdateBounds();
      DefaultHandler(message);
      if (Realign().Gone()) return;
      if (!IsLoading() && Resize().Gone()) return;
      return;
    case WM_MOVE:
      if (handle_) UpdateBounds();
      DefaultHandler(message);
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      WMKeyDown(message);
      return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      WMKeyUp(message);
      return;
    case WM_SYSCOMMAND:
      WMSysCommand(message);
      return;
    case WM_CHAR:
      WMChar(message);
      return;
    case WM_SETCURSOR:
      WMSetCursor(message);
      return;
    case WM_CONTEXTMENU: {
      if (message.Result != 0) return;
      POINT screen = MessagePoint(message.LParam);
      if (!(screen.x == -1 && screen.y == -1)) {
        if (TControl* control = ControlAtPos(ScreenToClient(screen), false)) {
          // The child's handler may free this control.
          const TLifeWatch life = LifeWatch();
          message.Result = control->Perform(WM_CONTEXTMENU, message.WParam, message.LParam);
          if (message.Result != 0 || life.Ended()) return;
        }
      }
      TControl::Dispatch(message);
      return;
    }
    case WM_SYSCOLORCHANGE:
      NotifyControls(CM_SYSCOLORCHANGE);
      DefaultHandler(message);
      return;
    case WM_WININICHANGE:
      DefaultHandler(message);
      CMWinIniChange(message);
      return;
    case WM_NCDESTROY:
      WMNCDestroy(message);
      return;
    case CN_KEYDOWN:
      CNKeyDown(message);
      return;
    case CN_CHAR:
      CNChar(message);
      return;
    case CN_SYSKEYDOWN:
      CNSysKeyDown(message);
      return;
    case CN_SYSCHAR:
      CNSysChar(message);
      return;
    case CM_DIALOGKEY:
    case CM_FOCUSCHANGED:
      Broadcast(message);
      return;
    case CM_DIALOGCHAR:
      // Access keys belong to what the user sees and can use: a hidden or disabled control, and everything inside
      // it, takes none, so that the key reaches a visible control or else the form's menu bar.
      SendToChildren(message, true);
      return;
    case CM_ENTER:
      if (DoEnter().Gone()) return;
      return;
    case CM_EXIT:
      if (DoExit().Gone()) return;
      return;
    case CM_SHOWINGCHANGED:
      CMShowingChanged(message);
      return;
    case CM_VISIBLECHANGED:
      CMVisibleChanged(message);
      return;
    case CM_COLORCHANGED:
      CMColorChanged(message);
      return;
    case CM_FONTCHANGED:
      CMFontChanged(message);
      return;
    case CM_ENABLEDCHANGED:
      CMEnabledChanged(message);
      return;
    case CM_SHOWHINTCHANGED:
      CMShowHintChanged(message);
      return;
    case CM_BIDIMODECHANGED:
      CMBiDiModeChanged(message);
      return;
    case CM_CTL3DCHANGED:
      CMCtl3DChanged(message);
      return;
    case CM_PARENTCTL3DCHANGED:
      CMParentCtl3DChanged(message);
      return;
    case CM_RECREATEWND:
      CMRecreateWnd(message);
      return;
    case CM_DOCKCLIENT:
      CMDockClient(message);
      return;
    case CM_SYSCOLORCHANGE:
      CMSysColorChange(message);
      return;
    case CM_WININICHANGE:
      CMWinIniChange(message);
      return;
    default:
      TControl::Dispatch(message);
      return;
  }
}

void TWinControl::DefaultHandler(TMessage& message) {
  if (IsReflectedColorMessage(message.Msg)) {
    auto dc = reinterpret_cast<HDC>(message.WParam);
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font()->Color())));
    SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(brush_->Color())));
    message.Result = reinterpret_cast<LRESULT>(brush_->Handle());
    return;
  }
  // Reflected notifications nobody handled, and the framework's own numbers, mean nothing to the window.
  if (message.Msg >= CM_BASE && message.Msg < CM_BASE + 0x1000) return;
  if (!handle_) {
    TControl::DefaultHandler(message);
    return;
  }
  // Through CallWindowProc only where it must translate: it costs as much again as the default procedure itself.
  if (defWndProc_ == DefWindowProcW) {
    message.Result = DefWindowProcW(handle_, message.Msg, message.WParam, message.LParam);
    return;
  }
  // The procedure may raise handlers that free this control: nothing of it is touched after, and its window goes
  // once the procedure has returned (DestroyWindowHandle).
  HWND wnd = handle_;
  platformCalls.Running.push_back(wnd);
  message.Result = CallWindowProcW(defWndProc_, wnd, message.Msg, message.WParam, message.LParam);
  platformCalls.Running.pop_back();
  if (platformCalls.Left.empty() || platformCalls.Runs(wnd)) return;
  if (auto left = std::find(platformCalls.Left.begin(), platformCalls.Left.end(), wnd);
      left != platformCalls.Left.end()) {
    platformCalls.Left.erase(left);
    DestroyWindow(wnd);
  }
}

void TWinControl::WMWindowPosChanged(TMessage& message) {
  if (!ControlState().Contains(TControlStateItem::csDestroyingHandle) && handle_) UpdateBounds();
  DefaultHandler(message);
}

void TWinControl::WMNCDestroy(TMessage& message) {
  DefaultHandler(message);
  if (handle_) {
    WindowControls().Detach(handle_);
    handle_ = nullptr;
  }
  showing_ = false;
  trackingLeave_ = false;
}

void TWinControl::WMSetCursor(TMessage& message) {
  if (reinterpret_cast<HWND>(message.WParam) == handle_ && static_cast<short>(LOWORD(message.LParam)) == HTCLIENT &&
      Screen) {
    TCursor cursor = Screen->Cursor();
    if (cursor == crDefault) {
      POINT point;
      GetCursorPos(&point);
      if (TControl* control = ControlAtPos(ScreenToClient(point), false)) cursor = control->Cursor();
      if (cursor == crDefault) cursor = Cursor();
    }
    if (cursor != crDefault) {
      ::SetCursor(Screen->Cursors(cursor));
      message.Result = 1;
      return;
    }
  }
  DefaultHandler(message);
}

// ---- keys ----

TRaised TWinControl::KeyDown(WORD& key, TShiftState shift) { return RaiseEvent(OnKeyDown, this, key, shift); }

TRaised TWinControl::KeyUp(WORD& key, TShiftState shift) { return RaiseEvent(OnKeyUp, this, key, shift); }

TRaised TWinControl::KeyPress(wchar_t& key) { return RaiseEvent(OnKeyPress, this, key); }

bool TWinControl::DoKeyDown(TMessage& message) {
  // The form's handler and this control's may free this control: the key is spent then.
  const TLifeWatch life = LifeWatch();
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyDown(message)) return true;
  if (life.Ended()) return true;
  if (!ControlStyle().Contains(TControlStyleItem::csNoStdEvents)) {
    WORD key = static_cast<WORD>(message.WParam);
    const TRaised raised = KeyDown(key, KeyDataToShiftState(message.LParam));
    message.WParam = key;
    if (key == 0 || raised.Gone()) return true;
  }
  return false;
}

bool TWinControl::DoKeyUp(TMessage& message) {
  // The form's handler and this control's may free this control: the key is spent then.
  const TLifeWatch life = LifeWatch();
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyUp(message)) return true;
  if (life.Ended()) return true;
  if (!ControlStyle().Contains(TControlStyleItem::csNoStdEvents)) {
    WORD key = static_cast<WORD>(message.WParam);
    const TRaised raised = KeyUp(key, KeyDataToShiftState(message.LParam));
    message.WParam = key;
    if (key == 0 || raised.Gone()) return true;
  }
  return false;
}

bool TWinControl::DoKeyPress(TMessage& message) {
  // The form's handler and this control's may free this control: the key is spent then.
  const TLifeWatch life = LifeWatch();
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyPress(message)) return true;
  if (life.Ended()) return true;
  if (!ControlStyle().Contains(TControlStyleItem::csNoStdEvents)) {
    auto key = static_cast<wchar_t>(message.WParam);
    const TRaised raised = KeyPress(key);
    message.WParam = key;
    if (key == 0 || raised.Gone()) return true;
  }
  return false;
}

void TWinControl::WMKeyDown(TMessage& message) {
  if (!DoKeyDown(message)) DefaultHandler(message);
}

void TWinControl::WMKeyUp(TMessage& message) {
  if (!DoKeyUp(message)) DefaultHandler(message);
}

void TWinControl::WMChar(TMessage& message) {
  if (!DoKeyPress(message)) DefaultHandler(message);
}

void TWinControl::WMSysCommand(TMessage& message) {
  // The platform gives Alt and Alt+letter typed in a child window to that child as the keyboard menu command, and
  // left to it the command looks for a native menu only: the form's menu bars answer it whatever child has the
  // focus. The form offers it to its menu-event controls, which keep it, so it never comes back.
  if ((message.WParam & 0xFFF0) == SC_KEYMENU && !ControlStyle().Contains(TControlStyleItem::csMenuEvents))
    if (TCustomForm* form = GetParentForm(this); form && form != this) {
      message.Result = form->Perform(WM_SYSCOMMAND, message.WParam, message.LParam);
      return;
    }
  DefaultHandler(message);
}

bool TWinControl::IsMenuKey(TMessage& message) {
  for (TControl* control = this; control; control = control->Parent())
    if (control->PopupMenu() && control->PopupMenu()->IsShortCut(message)) return true;
  bool handled = false;
  // A form its handler freed has taken the key.
  if (TCustomForm* form = GetParentForm(this); form && (form->IsShortCut(message, handled).Gone() || handled))
    return true;
  if (Application && Application->Perform(CM_APPKEYDOWN, message.WParam, message.LParam) != 0) return true;
  return false;
}

void TWinControl::CNKeyDown(TMessage& message) {
  message.Result = 1;
  if (IsMenuKey(message)) return;
  LRESULT mask = 0;
  switch (message.WParam) {
    case VK_TAB:
      mask = DLGC_WANTTAB;
      break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      mask = DLGC_WANTARROWS;
      break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL:
      mask = DLGC_WANTALLKEYS;
      break;
    default:
      break;
  }
  if (mask != 0 && Perform(CM_WANTSPECIALKEY, message.WParam, message.LParam) == 0 &&
      (Perform(WM_GETDLGCODE) & mask) == 0) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGKEY, message.WParam, message.LParam) != 0) return;
  }
  message.Result = 0;
}

void TWinControl::CNChar(TMessage& message) {
  message.Result = 1;
  if ((Perform(WM_GETDLGCODE) & DLGC_WANTCHARS) == 0) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGCHAR, message.WParam, message.LParam) != 0) return;
  }
  message.Result = 0;
}

void TWinControl::CNSysKeyDown(TMessage& message) {
  message.Result = 1;
  if (IsMenuKey(message)) return;
  message.Result = 0;
}

void TWinControl::CNSysChar(TMessage& message) {
  message.Result = 1;
  if (message.WParam != VK_SPACE) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGCHAR, message.WParam, message.LParam) != 0) return;
  }
  message.Result = 0;
}

// ---- property notifications ----

void TWinControl::CMColorChanged(TMessage& message) {
  brush_->SetColor(Color());
  NotifyControls(CM_PARENTCOLORCHANGED);
  TControl::Dispatch(message);
}

void TWinControl::CMFontChanged(TMessage& message) {
  if (handle_) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
  NotifyControls(CM_PARENTFONTCHANGED);
  TControl::Dispatch(message);
}

void TWinControl::CMEnabledChanged(TMessage& message) {
  if (!Enabled() && Parent()) {
    if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, false);
  }
  if (handle_) EnableWindow(handle_, Enabled());
  TControl::Dispatch(message);
}

void TWinControl::CMShowHintChanged(TMessage& message) {
  (void)message;
  NotifyControls(CM_PARENTSHOWHINTCHANGED);
}

void TWinControl::CMBiDiModeChanged(TMessage& message) {
  NotifyControls(CM_PARENTBIDIMODECHANGED);
  TControl::Dispatch(message);
}

void TWinControl::SetCtl3D(bool value) {
  if (ctl3D_ == value) return;
  ctl3D_ = value;
  parentCtl3D_ = false;
  Perform(CM_CTL3DCHANGED);
}

void TWinControl::SetParentCtl3D(bool value) {
  if (parentCtl3D_ == value) return;
  parentCtl3D_ = value;
  if (Parent() && !IsLoading()) Perform(CM_PARENTCTL3DCHANGED);
}

void TWinControl::CMCtl3DChanged(TMessage& message) {
  (void)message;
  NotifyControls(CM_PARENTCTL3DCHANGED);
}

void TWinControl::CMParentCtl3DChanged(TMessage& message) {
  (void)message;
  if (!parentCtl3D_ || !Parent()) return;
  SetCtl3D(Parent()->Ctl3D());
  parentCtl3D_ = true;
}

void TWinControl::CMSysColorChange(TMessage& message) {
  (void)message;
  NotifyControls(CM_SYSCOLORCHANGE);
}

void TWinControl::CMWinIniChange(TMessage& message) {
  for (TControl* child : std::vector<TControl*>(controls_))
    child->Perform(CM_WININICHANGE, message.WParam, message.LParam);
}

TRaised TWinControl::Loaded() {
  if (TControl::Loaded().Gone()) return TRaised(false);
  if (pendingTabOrder_ >= 0) {
    UpdateTabOrder(pendingTabOrder_);
    pendingTabOrder_ = -1;
  }
  if (pendingClientSize_.cx >= 0) {
    SIZE size = pendingClientSize_;
    pendingClientSize_ = SIZE{-1, -1};
    if (SetClientSize(size.cx, size.cy).Gone()) return TRaised(false);
  }
  return UpdateControlState();
}

void TWinControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (TControl* control : std::vector<TControl*>(controls_))
    if (control->Owner() == root) proc(control);
}

void TWinControl::SetChildOrder(TComponent* child, int order) {
  auto it = std::find(controls_.begin(), controls_.end(), child);
  if (it == controls_.end()) return;
  TControl* control = *it;
  controls_.erase(it);
  order = std::clamp(order, 0, static_cast<int>(controls_.size()));
  controls_.insert(controls_.begin() + order, control);
}

// ---- TCustomControl ----

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
}

TCustomControl::~TCustomControl() {
  // The window goes first, while the canvas is still there for any last paint message.
  if (WindowHandle()) (void)DestroyHandle();
}

TCanvas* TCustomControl::Canvas() const { return canvas_.get(); }

void TCustomControl::Dispatch(TMessage& message) {
  // Printing paints as painting does, so that a capture of the window shows what Paint draws.
  if (message.Msg == WM_PAINT || message.Msg == WM_PRINTCLIENT) {
    const TLifeWatch life = LifeWatch();
    SetControlState(ControlState() + TControlStateItem::csCustomPaint);
    TWinControl::Dispatch(message);
    if (!life.Ended()) SetControlState(ControlState() - TControlStateItem::csCustomPaint);
    return;
  }
  TWinControl::Dispatch(message);
}

TRaised TCustomControl::PaintWindow(HDC dc) {
  return canvas_->PaintOn(dc, [this] { return Paint(); });
}

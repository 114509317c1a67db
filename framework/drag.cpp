#include "framework/drag.h"

#include <cstdlib>

#include "framework/control.h"
#include "framework/form.h"
#include "framework/screen.h"
#include "framework/win_control.h"
#include "framework/window_alloc.h"

// The one drag that can run at a time: the dragged control, its object, and the hidden window that holds the
// mouse capture while the drag runs.
class TDragMachine {
 public:
  static TDragMachine& Instance() {
    static TDragMachine machine;
    return machine;
  }

  bool Running() const { return control_ != nullptr; }
  TControl* Control() const { return control_; }

  void Init(TControl* control, TDragObject* object, bool ownsObject, bool immediate, int threshold) {
    control_ = control;
    object_ = object;
    ownsObject_ = ownsObject;
    object_->dragTarget_ = nullptr;
    object_->dropped_ = false;
    GetCursorPos(&startPos_);
    object_->dragPos_ = startPos_;
    savedCursor_ = GetCursor();
    threshold_ = threshold;
    active_ = false;
    docking_ = ObjectAs<TDragDockObject>(object) != nullptr;
    dockSite_ = nullptr;
    frameShown_ = false;
    if (docking_) {
      RECT bounds = control->BoundsRect();
      POINT origin = control->Parent() ? control->Parent()->ClientOrigin() : POINT{0, 0};
      OffsetRect(&bounds, origin.x, origin.y);
      if (auto* win = ObjectAs<TWinControl>(control); win && win->HandleAllocated())
        GetWindowRect(win->Handle(), &bounds);
      grabOffset_ = POINT{startPos_.x - bounds.left, startPos_.y - bounds.top};
      dockSize_ = SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top};
    }
    capture_ = AllocateHWnd(TWndMethod(this, &TDragMachine::CaptureProc));
    SetCapture(capture_);
    if (immediate) {
      active_ = true;
      DragTo(startPos_);
    }
  }

  void DragTo(POINT pos) {
    if (!Running()) return;
    if (!active_ && std::abs(pos.x - startPos_.x) < threshold_ && std::abs(pos.y - startPos_.y) < threshold_) return;
    active_ = true;
    if (docking_) {
      DockTo(pos);
      return;
    }
    HWND handle = nullptr;
    TControl* target = FindTarget(pos, handle);
    if (target != object_->dragTarget_) {
      SendDrag(TDragMessage::dmDragLeave);
      if (!Running()) return;
      object_->dragTarget_ = target;
      object_->dragHandle_ = handle;
      object_->dragPos_ = pos;
      SendDrag(TDragMessage::dmDragEnter);
      if (!Running()) return;
    }
    object_->dragPos_ = pos;
    if (object_->dragTarget_) object_->dragTargetPos_ = object_->dragTarget_->ScreenToClient(pos);
    bool accepted = SendDrag(TDragMessage::dmDragMove);
    if (!Running()) return;
    ::SetCursor(object_->GetDragCursor(accepted, pos.x, pos.y));
  }

  void Done(bool drop) {
    if (!Running()) return;
    if (docking_) {
      DockDone(drop);
      return;
    }
    TDragObject* object = object_;
    bool owns = ownsObject_;
    bool wasActive = active_;
    control_ = nullptr;
    HWND capture = capture_;
    capture_ = nullptr;
    if (GetCapture() == capture) ReleaseCapture();
    DeallocateHWnd(capture);
    bool accepted = false;
    POINT targetPos{0, 0};
    if (object->dragTarget_ && wasActive) {
      targetPos = object->dragTarget_->ScreenToClient(object->dragPos_);
      accepted = Send(object, TDragMessage::dmDragLeave) && drop;
      if (accepted) {
        object->dropped_ = true;
        Send(object, TDragMessage::dmDragDrop);
      }
    }
    if (!accepted) targetPos = POINT{0, 0};
    ::SetCursor(savedCursor_);
    if (!silent_) object->Finished(accepted ? object->dragTarget_ : nullptr, targetPos.x, targetPos.y, accepted);
    silent_ = false;
    if (owns) delete object;
    object_ = nullptr;
  }

  void Destroyed(TControl* control) {
    if (!Running()) return;
    if (dockSite_ && IsInside(dockSite_, control)) dockSite_ = nullptr;
    if (object_->dragTarget_ && (object_->dragTarget_ == control || IsInside(object_->dragTarget_, control))) {
      object_->dragTarget_ = nullptr;
      object_->dragHandle_ = nullptr;
    }
    if (control_ == control) {
      silent_ = true;
      Done(false);
    }
  }

  bool KeyMessage(const MSG& msg) {
    if (!Running() || msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) Done(false);
    return true;
  }

 private:
  // A dock drag: the site under the mouse (a registered dock site that takes the control) decides the dock
  // rectangle; elsewhere the rectangle is the control's size where it would float. A frame shows it.
  void DockTo(POINT pos) {
    auto* object = static_cast<TDragDockObject*>(object_);
    TWinControl* site = FindDockSite(control_, pos);
    if (site != dockSite_) {
      if (dockSite_) DockOver(dockSite_, pos, TDragState::dsDragLeave);
      dockSite_ = site;
      if (site) DockOver(site, pos, TDragState::dsDragEnter);
    }
    object->dragPos_ = pos;
    object->dragTarget_ = site;
    dockAccepted_ = site && DockOver(site, pos, TDragState::dsDragMove);
    if (!dockAccepted_)
      object->DockRect = RECT{pos.x - grabOffset_.x, pos.y - grabOffset_.y, pos.x - grabOffset_.x + dockSize_.cx,
                              pos.y - grabOffset_.y + dockSize_.cy};
    ShowFrame(object->DockRect);
  }

  bool DockOver(TWinControl* site, POINT pos, TDragState state) {
    auto* object = static_cast<TDragDockObject*>(object_);
    POINT point = site->ScreenToClient(pos);
    bool accept = true;
    // A site its handler freed takes nothing.
    return site->DockOver(object, point.x, point.y, state, accept).Alive() && accept;
  }

  void ShowFrame(const RECT& rect) {
    HideFrame();
    frame_ = rect;
    DrawFrame();
    frameShown_ = true;
  }

  void HideFrame() {
    if (!frameShown_) return;
    DrawFrame();
    frameShown_ = false;
  }

  // An inverted frame on the screen: drawing it twice takes it away again.
  void DrawFrame() const {
    HDC dc = GetDC(nullptr);
    constexpr int kWidth = 3;
    const RECT& r = frame_;
    PatBlt(dc, r.left, r.top, r.right - r.left, kWidth, DSTINVERT);
    PatBlt(dc, r.left, r.bottom - kWidth, r.right - r.left, kWidth, DSTINVERT);
    PatBlt(dc, r.left, r.top + kWidth, kWidth, r.bottom - r.top - 2 * kWidth, DSTINVERT);
    PatBlt(dc, r.right - kWidth, r.top + kWidth, kWidth, r.bottom - r.top - 2 * kWidth, DSTINVERT);
    ReleaseDC(nullptr, dc);
  }

  void DockDone(bool drop) {
    auto* object = static_cast<TDragDockObject*>(object_);
    TControl* control = control_;
    bool owns = ownsObject_;
    bool wasActive = active_;
    TWinControl* site = dockSite_;
    control_ = nullptr;
    dockSite_ = nullptr;
    HWND capture = capture_;
    capture_ = nullptr;
    if (GetCapture() == capture) ReleaseCapture();
    DeallocateHWnd(capture);
    HideFrame();
    ::SetCursor(savedCursor_);
    bool docked = false;
    if (drop && wasActive) {
      if (site && dockAccepted_) {
        if (site->DockSite() && (!control->HostDockSite() || control->HostDockSite()->DoUnDock(site, control))) {
          docked = site->Perform(CM_DOCKCLIENT, reinterpret_cast<WPARAM>(object), PointToLParam(object->dragPos_)) == 0;
        }
      } else if (!site) {
        docked = control->ManualFloat(object->DockRect);
      }
    }
    if (site && !docked && wasActive) DockOver(site, object->dragPos_, TDragState::dsDragLeave);
    if (!silent_) {
      POINT point = site ? site->ScreenToClient(object->dragPos_) : object->dragPos_;
      object->Finished(docked ? site : nullptr, point.x, point.y, docked);
    }
    silent_ = false;
    if (owns) delete object;
    object_ = nullptr;
  }

  static bool IsInside(const TControl* control, const TControl* container) {
    for (const TControl* c = control; c; c = c->Parent())
      if (c == container) return true;
    return false;
  }

  TControl* FindTarget(POINT pos, HWND& handle) {
    handle = nullptr;
    TWinControl* window = FindFrameworkWindow(pos);
    if (!window) return nullptr;
    handle = window->Handle();
    TDragRec rec{pos, object_, nullptr, false};
    return reinterpret_cast<TControl*>(
        SendMessageW(handle, CM_DRAG, static_cast<WPARAM>(TDragMessage::dmFindTarget), reinterpret_cast<LPARAM>(&rec)));
  }

  bool SendDrag(TDragMessage msg) { return Send(object_, msg); }

  static bool Send(TDragObject* object, TDragMessage msg) {
    if (!object->dragTarget_ || !IsWindow(object->dragHandle_)) return false;
    TDragRec rec{object->dragPos_, object, object->dragTarget_, false};
    return SendMessageW(object->dragHandle_, CM_DRAG, static_cast<WPARAM>(msg), reinterpret_cast<LPARAM>(&rec)) != 0;
  }

  void CaptureProc(TMessage& message) {
    switch (message.Msg) {
      case WM_MOUSEMOVE: {
        POINT pos = MessagePoint(message.LParam);
        ClientToScreen(capture_, &pos);
        DragTo(pos);
        return;
      }
      case WM_LBUTTONUP:
        Done(true);
        return;
      case WM_RBUTTONDOWN:
        Done(false);
        return;
      case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(message.LParam) != capture_) Done(false);
        return;
      default:
        message.Result = DefWindowProcW(capture_, message.Msg, message.WParam, message.LParam);
        return;
    }
  }

  TControl* control_ = nullptr;
  TDragObject* object_ = nullptr;
  bool ownsObject_ = false;
  HWND capture_ = nullptr;
  POINT startPos_{};
  int threshold_ = 0;
  bool active_ = false;
  bool silent_ = false;
  HCURSOR savedCursor_ = nullptr;
  bool docking_ = false;
  TWinControl* dockSite_ = nullptr;
  bool dockAccepted_ = false;
  POINT grabOffset_{};
  SIZE dockSize_{};
  RECT frame_{};
  bool frameShown_ = false;
};

HCURSOR TDragObject::GetDragCursor(bool accepted, int x, int y) {
  (void)x, (void)y;
  return Screen->Cursors(accepted ? crDrag : crNoDrop);
}

HCURSOR TDragControlObject::GetDragCursor(bool accepted, int x, int y) {
  (void)x, (void)y;
  return Screen->Cursors(accepted ? control_->DragCursor() : crNoDrop);
}

void TDragControlObject::Finished(TObject* target, int x, int y, bool accepted) {
  (void)accepted;
  if (control_->DoEndDrag(target, x, y).Gone()) return;
}

void TDragDockObject::Finished(TObject* target, int x, int y, bool accepted) {
  (void)accepted;
  if (Control()->DoEndDock(target, x, y).Gone()) return;
}

TControl* DragControl() { return TDragMachine::Instance().Control(); }

void DragInit(TControl* control, TDragObject* object, bool ownsObject, bool immediate, int threshold) {
  TDragMachine::Instance().Init(control, object, ownsObject, immediate, threshold);
}

void DragDone(bool drop) { TDragMachine::Instance().Done(drop); }

bool DragKeyMessage(const MSG& msg) { return TDragMachine::Instance().KeyMessage(msg); }

void DragControlDestroyed(TControl* control) { TDragMachine::Instance().Destroyed(control); }

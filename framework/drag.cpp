#include "framework/drag.h"

#include <cstdlib>

#include "framework/control.h"
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
  TDragObject* Object() const { return object_; }

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
    return reinterpret_cast<TControl*>(SendMessageW(handle, CM_DRAG, static_cast<WPARAM>(TDragMessage::dmFindTarget),
                                                    reinterpret_cast<LPARAM>(&rec)));
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
  control_->DoEndDrag(target, x, y);
}

TControl* DragControl() { return TDragMachine::Instance().Control(); }

TDragObject* CurrentDragObject() { return TDragMachine::Instance().Object(); }

void DragInit(TControl* control, TDragObject* object, bool ownsObject, bool immediate, int threshold) {
  TDragMachine::Instance().Init(control, object, ownsObject, immediate, threshold);
}

void DragDone(bool drop) { TDragMachine::Instance().Done(drop); }

bool DragKeyMessage(const MSG& msg) { return TDragMachine::Instance().KeyMessage(msg); }

void DragControlDestroyed(TControl* control) { TDragMachine::Instance().Destroyed(control); }

#include "framework/control_canvas.h"

#include <algorithm>
#include <vector>

#include "framework/win_control.h"

namespace {

// Canvases that hold a window DC now.
std::vector<TControlCanvas*>& CanvasesWithDC() {
  static std::vector<TControlCanvas*> list;
  return list;
}

void Forget(TControlCanvas* canvas) {
  auto& list = CanvasesWithDC();
  list.erase(std::remove(list.begin(), list.end(), canvas), list.end());
}

}  // namespace

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* value) {
  if (control_ == value) return;
  FreeHandle();
  control_ = value;
}

void TControlCanvas::CreateHandle() {
  if (!control_) return;
  if (!deviceContext_) {
    if (auto* win = ObjectAs<TWinControl>(control_)) {
      window_ = win->Handle();
      deviceContext_ = GetDC(window_);
    } else {
      TWinControl* parent = control_->Parent();
      if (!parent) throw EInvalidOperation(Format(L"Control '%s' has no parent window", {control_->Name()}));
      window_ = parent->Handle();
      deviceContext_ = GetDC(window_);
      SetViewportOrgEx(deviceContext_, control_->Left(), control_->Top(), nullptr);
      IntersectClipRect(deviceContext_, 0, 0, control_->Width(), control_->Height());
    }
    CanvasesWithDC().push_back(this);
  }
  SetHandle(deviceContext_);
}

void TControlCanvas::FreeHandle() {
  if (!deviceContext_) return;
  if (HandleAllocated()) SetHandle(nullptr);
  ReleaseDC(window_, deviceContext_);
  deviceContext_ = nullptr;
  window_ = nullptr;
  Forget(this);
}

TRaised TControlCanvas::PaintOn(HDC dc, const std::function<TRaised()>& paint) {
  // Painting raises the control's handlers, and one may free the control and its canvas with it.
  const TLifeWatch life = LifeWatch();
  const TLifeWatch answered = control_ ? control_->LifeWatch() : life;
  bool bracketed = false;
  auto letGo = [&] {
    if (life.Ended()) return;
    if (bracketed) AbandonDrawing();
    SetHandle(nullptr);
    Unlock();
  };
  Lock();
  SetHandle(dc);
  try {
    // The paint is one drawing: the canvas's handlers hear of it before and after, never within.
    bracketed = BeginDrawing().Alive();
    if (!bracketed || paint().Gone() || life.Ended()) {
      letGo();
      return TRaised(!answered.Ended());
    }
  } catch (...) {
    letGo();
    throw;
  }
  SetHandle(nullptr);
  Unlock();
  // The paint's last act on the canvas.
  EndDrawing();
  return TRaised(!answered.Ended());
}

void FreeDeviceContexts() {
  std::vector<TControlCanvas*> list = CanvasesWithDC();
  for (TControlCanvas* canvas : list) {
    if (!canvas->TryLock()) continue;
    canvas->FreeHandle();
    canvas->Unlock();
  }
}

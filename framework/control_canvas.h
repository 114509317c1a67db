// A canvas over a control: while the control paints, the paint DC; otherwise a DC of the control's window (of
// the parent's window, clipped and moved, for a windowless control), released again after the message.
#pragma once

#include <functional>

#include "framework/graphics.h"
#include "framework/raise_event.h"

class TControl;

class TControlCanvas : public TCanvas {
  BC_CLASS(TControlCanvas, TCanvas)
  TControlCanvas() = default;
  ~TControlCanvas() override;

  TControl* Control() const { return control_; }
  void SetControl(TControl* value);
  // Lets go of a DC the canvas took from the window.
  void FreeHandle();
  // Runs paint with the canvas locked and drawing on dc, as one drawing (BeginDrawing before, EndDrawing after),
  // and lets go of dc afterwards, also when paint throws. For the canvas a control owns: a paint or a handler of
  // the canvas that frees the control leaves the canvas, gone with it, untouched; the answer is whether the
  // control outlived them.
  [[nodiscard]] TRaised PaintOn(HDC dc, const std::function<TRaised()>& paint);

 protected:
  void CreateHandle() override;

 private:
  TControl* control_ = nullptr;
  HDC deviceContext_ = nullptr;
  HWND window_ = nullptr;
};

// Releases the window DCs of every canvas not in use; the window procedure calls it after each message.
void FreeDeviceContexts();

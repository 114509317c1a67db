// The framework's own drag and drop between controls (not OLE): BeginDrag starts it, the mouse is captured by a
// hidden window, and each control under the mouse hears CM_DRAG (enter, move, leave, drop, find target) with a
// TDragRec; the dragged control hears OnEndDrag when it ends.
#pragma once

#include <windows.h>

#include "framework/object.h"

class TControl;
enum class TAlign;

enum class TDragState { dsDragEnter, dsDragLeave, dsDragMove };
// WParam of CM_DRAG.
enum class TDragMessage { dmDragEnter, dmDragLeave, dmDragMove, dmDragDrop, dmDragCancel, dmFindTarget };

class TDragObject;

// LParam of CM_DRAG: where the mouse is (screen), what is dragged and the control the message is about.
struct TDragRec {
  POINT Pos{};
  TDragObject* Source = nullptr;
  TControl* Target = nullptr;
  bool Docking = false;
};

// What is being dragged. The framework's drag makes a TDragControlObject for the dragged control unless
// OnStartDrag supplies an object of its own.
class TDragObject : public TObject {
  BC_CLASS(TDragObject, TObject)
  TDragObject() = default;

  TControl* DragTarget() const { return dragTarget_; }
  POINT DragPos() const { return dragPos_; }
  // The mouse in the target's client coordinates.
  POINT DragTargetPos() const { return dragTargetPos_; }
  bool Dropped() const { return dropped_; }
  // The cursor while over a target that accepts (or refuses) the drop.
  virtual HCURSOR GetDragCursor(bool accepted, int x, int y);
  // Called once the drag has ended, with the target (or null) and the drop point in its coordinates.
  virtual void Finished(TObject* target, int x, int y, bool accepted) {
    (void)target, (void)x, (void)y, (void)accepted;
  }

 private:
  friend class TDragMachine;
  TControl* dragTarget_ = nullptr;
  HWND dragHandle_ = nullptr;
  POINT dragPos_{};
  POINT dragTargetPos_{};
  bool dropped_ = false;
};

class TDragControlObject : public TDragObject {
  BC_CLASS(TDragControlObject, TDragObject)
  explicit TDragControlObject(TControl* control = nullptr) : control_(control) {}
  TControl* Control() const { return control_; }
  HCURSOR GetDragCursor(bool accepted, int x, int y) override;
  void Finished(TObject* target, int x, int y, bool accepted) override;

 private:
  TControl* control_;
};

// A control being docked: where it goes (screen rectangle) and, for a dock site that places clients beside one
// another, the control it is dropped on and the side.
class TDragDockObject : public TDragControlObject {
  BC_CLASS(TDragDockObject, TDragControlObject)
  explicit TDragDockObject(TControl* control = nullptr) : TDragControlObject(control) {}
  RECT DockRect{};
  TControl* DropOnControl = nullptr;
  TAlign DropAlign{};
  void Finished(TObject* target, int x, int y, bool accepted) override;
};

// The control being dragged now, or null.
TControl* DragControl();
// Starts dragging control with the given object (owned by the drag when made by it, see TControl::BeginDrag).
// Without immediate the drag begins once the mouse moved threshold pixels.
void DragInit(TControl* control, TDragObject* object, bool ownsObject, bool immediate, int threshold);
// Ends the running drag: with drop the target under the mouse gets the drop when it accepts it.
void DragDone(bool drop);
// Keys while a drag runs: Escape cancels it; every key is kept from the controls. Answers whether it took msg.
bool DragKeyMessage(const MSG& msg);
// A control is being destroyed: a drag of it ends silently, and it stops being the drag's target.
void DragControlDestroyed(TControl* control);

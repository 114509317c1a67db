// TControl, the root of everything that sits on a form: position and alignment inside its parent, the shared
// look (font, colour, reading order, cursor, hint), mouse and key events, and the numbered-message pipeline that
// every control answers. TGraphicControl is a control without a window of its own: its parent paints it and
// hands it the mouse.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/actions.h"
#include "framework/alignment.h"
#include "framework/component.h"
#include "framework/delegate.h"
#include "framework/drag.h"
#include "framework/graphics.h"
#include "framework/messages.h"
#include "framework/properties.h"
#include "framework/set.h"
#include "framework/shift_state.h"
#include "framework/window_alloc.h"

class TWinControl;
class TPopupMenu;
class TControlCanvas;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum class TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind, 4>;

// What a class of control is and does; set by constructors.
enum class TControlStyleItem {
  csAcceptsControls,
  csCaptureMouse,
  csClickEvents,
  csSetCaption,
  csOpaque,
  csDoubleClicks,
  csFixedHeight,
  csNoDesignVisible,
  csReplicatable,
  csNoStdEvents,
  csDisplayDragImage,
  csReflector,
  csActionClient,
  csMenuEvents
};
using TControlStyle = TSet<TControlStyleItem, 16>;

// What a control is doing right now.
enum class TControlStateItem {
  csLButtonDown,
  csClicked,
  csAlignmentNeeded,
  csFocusing,
  csCustomPaint,
  csDestroyingHandle
};
using TControlState = TSet<TControlStateItem, 8>;

enum class TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum class TDragMode { dmManual, dmAutomatic };
enum class TDragKind { dkDrag, dkDock };
// A control frame: none, or a single line (edge) as the control's class draws it. Forms add more kinds.
enum class TBorderStyle { bsNone, bsSingle };

// Cursor numbers: 0 is the control's default, negative numbers are the framework's predefined cursors.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

using TMouseEvent = TDelegate<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TDelegate<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent =
    TDelegate<void(TObject* Sender, TShiftState Shift, int WheelDelta, POINT MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = TDelegate<void(TObject* Sender, TShiftState Shift, POINT MousePos, bool& Handled)>;
using TKeyEvent = TDelegate<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = TDelegate<void(TObject* Sender, wchar_t& Key)>;
using TContextPopupEvent = TDelegate<void(TObject* Sender, POINT MousePos, bool& Handled)>;
using TCanResizeEvent = TDelegate<void(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize)>;
// Source is the dragged control for a drag of a control, else the drag object.
using TDragOverEvent = TDelegate<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = TDelegate<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TStartDragEvent = TDelegate<void(TObject* Sender, TDragObject*& DragObject)>;
// Target is null when the drag ended without a drop.
using TEndDragEvent = TDelegate<void(TObject* Sender, TObject* Target, int X, int Y)>;
using TStartDockEvent = TDelegate<void(TObject* Sender, TDragDockObject*& DragObject)>;

// Smallest and largest size of a control; 0 means no limit.
class TSizeConstraints : public TPersistent, protected TEventSource {
  BC_CLASS(TSizeConstraints, TPersistent)
  TSizeConstraints() = default;
  void Assign(const TPersistent* source) override;

  int MinWidth() const { return minWidth_; }
  int MinHeight() const { return minHeight_; }
  int MaxWidth() const { return maxWidth_; }
  int MaxHeight() const { return maxHeight_; }
  // A new minimum above the maximum raises the maximum to it, and the other way round.
  void SetMinWidth(int value);
  void SetMinHeight(int value);
  void SetMaxWidth(int value);
  void SetMaxHeight(int value);

  TNotifyEvent OnChange;

 private:
  void Changed();
  int minWidth_ = 0;
  int minHeight_ = 0;
  int maxWidth_ = 0;
  int maxHeight_ = 0;
};

// Helpers for the parameters of mouse and wheel messages.
inline POINT MessagePoint(LPARAM lParam) {
  return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}
inline LPARAM PointToLParam(POINT point) {
  return MAKELPARAM(static_cast<WORD>(static_cast<short>(point.x)), static_cast<WORD>(static_cast<short>(point.y)));
}

class TControl : public TComponent {
  BC_CLASS(TControl, TComponent)
  explicit TControl(TComponent* owner);
  ~TControl() override;
  // Left, Top, Width, Height, Cursor, Hint and HelpContext; descendants add what they publish (ControlProperty).
  const TPublishedTable& PublishedTable() const override;

  // The windowed control that holds this one. Setting it moves the control (its window is kept where that is
  // possible); nothing raises for a null parent. The parents align their children and the control's window shows
  // or goes, whose handlers may free it: the setters of this part answer whether the control outlived them.
  TWinControl* Parent() const { return parent_; }
  [[nodiscard]] virtual TRaised SetParent(TWinControl* value);

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  [[nodiscard]] TRaised SetLeft(int value) { return SetBounds(value, top_, width_, height_); }
  [[nodiscard]] TRaised SetTop(int value) { return SetBounds(left_, value, width_, height_); }
  [[nodiscard]] TRaised SetWidth(int value) { return SetBounds(left_, top_, value, height_); }
  [[nodiscard]] TRaised SetHeight(int value) { return SetBounds(left_, top_, width_, value); }
  // The one place bounds change: constraints and OnCanResize apply, the window moves, the parent re-aligns.
  [[nodiscard]] virtual TRaised SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
  [[nodiscard]] TRaised SetBoundsRect(const RECT& rect) {
    return SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  }

  // The client area in the control's own coordinates.
  virtual RECT ClientRect() const;
  int ClientWidth() const;
  int ClientHeight() const;
  [[nodiscard]] TRaised SetClientWidth(int value) { return SetClientSize(value, ClientHeight()); }
  [[nodiscard]] TRaised SetClientHeight(int value) { return SetClientSize(ClientWidth(), value); }
  // Sizes the control so that its client area gets this size.
  [[nodiscard]] virtual TRaised SetClientSize(int width, int height);
  // The screen position of the client area's top-left corner.
  virtual POINT ClientOrigin() const;
  POINT ClientToScreen(POINT point) const;
  POINT ScreenToClient(POINT point) const;

  TAlign Align() const { return align_; }
  [[nodiscard]] TRaised SetAlign(TAlign value);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors value);
  TSizeConstraints* Constraints() const { return constraints_.get(); }
  bool AutoSize() const { return autoSize_; }
  [[nodiscard]] virtual TRaised SetAutoSize(bool value);

  bool Visible() const { return visible_; }
  [[nodiscard]] TRaised SetVisible(bool value);
  // Asks the parents to show this control (a page control brings the sheet that holds it to the front), then
  // makes it visible.
  [[nodiscard]] TRaised Show();
  [[nodiscard]] TRaised Hide() { return SetVisible(false); }
  // Visible and on a parent that shows; a windowed control answers whether its window is shown.
  virtual bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool value);

  // Caption and Text are one value, read and written through WM_GETTEXT and WM_SETTEXT. The new text raises the
  // control's handlers (an edit's OnChange), which may free it.
  String Caption() const { return GetText(); }
  [[nodiscard]] TRaised SetCaption(const String& value) { return SetText(value); }
  String Text() const { return GetText(); }
  [[nodiscard]] TRaised SetText(const String& value);

  TFont* Font() const { return font_.get(); }
  void SetFont(const TFont* value) { font_->Assign(value); }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  TBiDiMode BiDiMode() const { return biDiMode_; }
  virtual void SetBiDiMode(TBiDiMode value);
  bool ParentBiDiMode() const { return parentBiDiMode_; }
  void SetParentBiDiMode(bool value);
  bool UseRightToLeftReading() const;
  bool UseRightToLeftAlignment() const;
  bool UseRightToLeftScrollBar() const;
  // DrawText flags for the reading order: DT_RTLREADING (and right alignment unless readingOnly) when right to left.
  UINT DrawTextBiDiModeFlags(UINT flags) const;
  UINT DrawTextBiDiModeFlagsReadingOnly() const;
  // The horizontal alignment of the control's content, for those that mirror it in right-to-left reading.
  virtual TAlignment GetControlsAlignment() const { return TAlignment::taLeftJustify; }

  const String& Hint() const { return hint_; }
  void SetHint(const String& value) { hint_ = value; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);
  // The menu a right click (or the menu key) shows when OnContextPopup leaves it; cleared when the menu goes.
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* value);
  TDragMode DragMode() const { return dragMode_; }
  void SetDragMode(TDragMode value) { dragMode_ = value; }
  TDragKind DragKind() const { return dragKind_; }
  void SetDragKind(TDragKind value) { dragKind_ = value; }
  TCursor DragCursor() const { return dragCursor_; }
  void SetDragCursor(TCursor value) { dragCursor_ = value; }
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int value) { helpContext_ = value; }

  TControlStyle ControlStyle() const { return controlStyle_; }
  void SetControlStyle(TControlStyle value) { controlStyle_ = value; }
  TControlState ControlState() const { return controlState_; }
  void SetControlState(TControlState value) { controlState_ = value; }

  // Sends a numbered message straight to WindowProc and answers its Result.
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  const TWndMethod& WindowProc() const { return windowProc_; }
  void SetWindowProc(TWndMethod value) { windowProc_ = std::move(value); }
  // The default message procedure: mouse bookkeeping, then Dispatch.
  virtual void WndProc(TMessage& message);
  void Dispatch(TMessage& message) override;
  // Text messages of a control without a window; a windowed control passes the rest to its window procedure.
  void DefaultHandler(TMessage& message) override;

  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }
  void BringToFront() { SetZOrder(true); }

  // Whether this control holds the mouse capture; a windowless control holds it through its parent's window.
  bool MouseCapture() const;
  void SetMouseCapture(bool value);

  // Streaming's view: a control is stored under its parent.
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* value) override;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TContextPopupEvent OnContextPopup;
  TNotifyEvent OnResize;
  TCanResizeEvent OnCanResize;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TStartDragEvent OnStartDrag;
  TEndDragEvent OnEndDrag;
  TStartDockEvent OnStartDock;
  TEndDragEvent OnEndDock;

  // The framework's drag of this control: immediate starts at once, otherwise after the mouse moved threshold
  // pixels (the system's drag distance when negative). With DragKind dkDock it is a dock drag: the control is
  // docked into the dock site it is dropped on, or floats. Raises EInvalidOperation "Cannot drag a form" for a
  // form that is not dragged to dock.
  [[nodiscard]] virtual TRaised BeginDrag(bool immediate, int threshold = -1);
  void EndDrag(bool drop);
  bool Dragging() const { return DragControl() == this; }
  // Docking: the dock site that holds this control (null when it is not docked). ManualDock docks it into a
  // site, or floats it in a window of its own when newDockSite is null; false when a site refused.
  TWinControl* HostDockSite() const { return hostDockSite_; }
  bool ManualDock(TWinControl* newDockSite, TControl* dropControl = nullptr, TAlign controlSide = TAlign::alNone);
  // Floats the control in its own window (a form floats by itself) with that screen rectangle.
  bool ManualFloat(const RECT& screenRect);
  // Takes the control into newDockSite at rect (its client coordinates); the site's add-dock-client step
  // makes the site the control's parent.
  // Moves the control onto the site (its handlers may free it: answers whether it outlived them).
  [[nodiscard]] virtual TRaised Dock(TWinControl* newDockSite, const RECT& rect);

  // True while a stored form's values are still being read into the control (before its Loaded).
  bool Reading() const { return IsLoading() && !loadedRun_; }
  // Called when the drag of this control ended; raises OnEndDrag.
  virtual TRaised DoEndDrag(TObject* target, int x, int y);
  // Called when a dock drag of this control ended; raises OnEndDock (target null when nothing took it).
  virtual TRaised DoEndDock(TObject* target, int x, int y);

  // The action the control shows and runs on Click (framework/control_action_link.cpp).
  TBasicAction* Action() const;
  [[nodiscard]] TRaised SetAction(TBasicAction* value);
  TBasicActionLink* ActionLink() const { return actionLink_.get(); }
  // Lets the action update itself through the link; the idle update calls it for the visible controls of
  // showing forms. The action's OnUpdate may free the control: answers whether it outlived it.
  [[nodiscard]] virtual TRaised InitiateAction();

  // Overridable reactions, each raising its event and answering whether the control outlived the handler
  // (RaiseEvent). Click runs OnClick when it differs from the action's OnExecute, else the action, else OnClick.
  virtual TRaised Click();
  virtual TRaised DblClick();

 protected:
  virtual TRaised MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual TRaised MouseMove(TShiftState shift, int x, int y);
  virtual TRaised MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual TRaised DoContextPopup(POINT mousePos, bool& handled);
  // A drag moves over this control (OnDragOver decides; no handler refuses) or is dropped on it (OnDragDrop).
  virtual TRaised DragOver(TObject* source, int x, int y, TDragState state, bool& accept);
  virtual TRaised DragDrop(TObject* source, int x, int y);
  virtual TRaised DoStartDrag(TDragObject*& dragObject);
  virtual TRaised DoStartDock(TDragDockObject*& dragObject);
  // CM_DRAG: enter, move, leave and drop go to the control the message names; find-target answers this control.
  virtual void CMDrag(TMessage& message);
  // handled: a handler took the wheel.
  virtual TRaised DoMouseWheel(TShiftState shift, int wheelDelta, POINT mousePos, bool& handled);
  virtual TRaised DoMouseWheelDown(TShiftState shift, POINT mousePos, bool& handled);
  virtual TRaised DoMouseWheelUp(TShiftState shift, POINT mousePos, bool& handled);
  // A wheel message reaches the focused control of the form first; this decides where it goes.
  virtual void MouseWheelHandler(TMessage& message);
  virtual TRaised Resize();
  // Asked before the size changes; OnCanResize may change the size or refuse it (resize false).
  virtual TRaised CanResize(int& newWidth, int& newHeight, bool& resize);
  // The size AutoSize would give; false when the control has no preferred size.
  virtual bool CanAutoSize(int& newWidth, int& newHeight);
  [[nodiscard]] TRaised AdjustSize();
  void ConstrainSize(int& width, int& height) const;
  virtual void SetZOrder(bool topMost);
  // Tells the parent that this control's alignment needs doing again; the parent aligns its children, whose
  // handlers may free this control: answers whether it outlived them.
  [[nodiscard]] TRaised RequestAlign();
  String GetText() const;
  TRaised Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  // Copies the action's properties; with checkDefaults only into those still at their defaults. A property's change
  // may raise the control's handlers (an edit's OnChange as its text changes), which may free it: answers whether
  // it outlived them.
  [[nodiscard]] virtual TRaised ActionChange(TObject* sender, bool checkDefaults);
  virtual const TClass* GetActionLinkClass() const;
  // The rectangle this control invalidates in its parent (its bounds).
  void InvalidateControl(bool isVisible, bool isOpaque);
  // Stores bounds without telling anybody (the window reported them).
  void StoreBounds(int left, int top, int width, int height);
  void UpdateAnchorRules();
  void SetParentValue(TWinControl* value) { parent_ = value; }
  // Leaves the parent too, whose freeing would otherwise delete the control once more.
  void Abandon() override;

  friend class TWinControl;

 private:
  // Throws EInvalidOperation where value cannot be this control's parent.
  void CheckParent(const TWinControl* value);
  void FontChanged(TObject* sender);
  void ConstraintsChanged(TObject* sender);
  [[nodiscard]] TRaised WMMouseButton(TMessage& message, TMouseButton button, bool down, bool doubleClick);
  void WMMouseMove(TMessage& message);
  void WMContextMenu(TMessage& message);
  void WMMouseWheel(TMessage& message);
  void CMMouseWheel(TMessage& message);
  void CMParentFontChanged(TMessage& message);
  void CMParentColorChanged(TMessage& message);
  void CMParentShowHintChanged(TMessage& message);
  void CMParentBiDiModeChanged(TMessage& message);
  void CMEnabledChanged(TMessage& message);
  void CMVisibleChanged(TMessage& message);

  void DoActionChange(TObject* sender);

  std::unique_ptr<TBasicActionLink> actionLink_;
  TWinControl* parent_ = nullptr;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  TAlign align_ = TAlign::alNone;
  TAnchors anchors_{TAnchorKind::akLeft, TAnchorKind::akTop};
  std::unique_ptr<TSizeConstraints> constraints_;
  bool autoSize_ = false;
  bool visible_ = true;
  bool enabled_ = true;
  String text_;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  TColor color_ = clWindow;
  bool parentColor_ = true;
  TBiDiMode biDiMode_ = TBiDiMode::bdLeftToRight;
  bool parentBiDiMode_ = true;
  String hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  TCursor cursor_ = crDefault;
  TPopupMenu* popupMenu_ = nullptr;
  TDragMode dragMode_ = TDragMode::dmManual;
  TDragKind dragKind_ = TDragKind::dkDrag;
  TCursor dragCursor_ = crDrag;
  int helpContext_ = 0;
  TControlStyle controlStyle_;
  TControlState controlState_;
  TWndMethod windowProc_;
  // Anchor bookkeeping for the parent's alignment: per axis the width (both edges anchored), the near edge (far
  // edge anchored) or the centre (neither) when the rules were taken, and the parent's client size then.
  POINT anchorRules_{};
  POINT originalParentSize_{};
  // Set while the parent's alignment moves the control, so the move does not retake the rules.
  bool anchorMove_ = false;
  TWinControl* hostDockSite_ = nullptr;
  bool loadedRun_ = false;
};

// A control without a window: it paints on its parent's window, through Canvas, in Paint.
class TGraphicControl : public TControl {
  BC_CLASS(TGraphicControl, TControl)
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;

  TCanvas* Canvas() const;
  void Dispatch(TMessage& message) override;

 protected:
  // Paints the control; painting may raise its handlers (its own drawing events, sizes settled as it paints),
  // which may free it: answers whether it outlived them.
  [[nodiscard]] virtual TRaised Paint() { return TRaised(true); }

 private:
  void WMPaint(TMessage& message);
  std::unique_ptr<TControlCanvas> canvas_;
};

// The table entry of a property of TControl or TWinControl that a descendant publishes in its own table, by its
// stored name ("Align", "Color", "OnClick", "TabOrder", ...). Raises EInvalidOperation for an unknown name.
TTableEntry<TPropertyInfo> ControlProperty(const String& name);

// The control that holds the mouse capture, windowless or not; null when the capture is elsewhere.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);
// The windowless control that SetCaptureControl gave the capture to, as recorded (asking the platform nothing):
// null when none holds it.
TControl* WindowlessCaptureControl();

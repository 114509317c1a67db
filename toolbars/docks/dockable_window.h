// TBarCustomDockableWindow, the base of every bar that sits in a dock or floats in a small frame of its own: its
// docking state and placement, its docked frame (border, drag handle, close button), when it shows, its floating
// frame, mouse input on its frame (dragging, re-docking, closing) and re-layout when its size rules change. A
// derived class supplies the content: LayoutForDock and BaseSize.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/form.h"
#include "framework/life_token.h"
#include "toolbars/common/bar_hook.h"
#include "toolbars/docks/dock.h"

namespace toolbars {

class TBarFloatingWindowParent;
class TDockPositionStore;

enum class TBarDockMode { dmCanFloat, dmCannotFloat, dmCannotFloatOrChangeDocks };
enum class TBarDragHandleStyle { dhDouble, dhNone, dhSingle };
enum class TBarFloatingMode { fmOnTopOfParentForm, fmOnTopOfAllForms };
enum class TBarShrinkMode { tbsmNone, tbsmWrap, tbsmChevron };
enum class TBarFloatingWindowOption { fwoDiagonalSizing, fwoClipCursorWhileSizing };
using TBarFloatingWindowOptions = TSet<TBarFloatingWindowOption, 2>;

using TBarCloseQueryEvent = TDelegate<void(TObject* Sender, bool& CanClose)>;
using TBarDockChangingEvent = TDelegate<void(TObject* Sender, bool Floating, TBarDock* DockingTo)>;

// Private hit-test codes of the docked and floating frames.
constexpr LRESULT HT_BAR_HANDLE = 2000;
constexpr LRESULT HT_BAR_CLOSE = 2001;
constexpr LRESULT HT_BAR_CAPTION = 2002;

class TBarCustomDockableWindow : public TCustomControl {
  BC_CLASS(TBarCustomDockableWindow, TCustomControl)
  explicit TBarCustomDockableWindow(TComponent* owner);
  ~TBarCustomDockableWindow() override;

  bool ActivateParent() const { return activateParent_; }
  void SetActivateParent(bool value) { activateParent_ = value; }
  bool AutoResize() const { return autoResize_; }
  TRaised SetAutoResize(bool value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  bool CloseButton() const { return closeButton_; }
  void SetCloseButton(bool value);
  bool CloseButtonWhenDocked() const { return closeButtonWhenDocked_; }
  TRaised SetCloseButtonWhenDocked(bool value);
  TBarDock* CurrentDock() const { return currentDock_; }
  // Null puts the window on its parent form.
  [[nodiscard]] TRaised SetCurrentDock(TBarDock* value);
  TBarDock* DefaultDock() const { return defaultDock_; }
  void SetDefaultDock(TBarDock* value);
  TBarDockPositions DockableTo() const { return dockableTo_; }
  void SetDockableTo(TBarDockPositions value) { dockableTo_ = value; }
  TBarDockMode DockMode() const { return dockMode_; }
  void SetDockMode(TBarDockMode value) { dockMode_ = value; }
  int DockPos() const { return dockPos_; }
  TRaised SetDockPos(int value);
  int DockRow() const { return dockRow_; }
  TRaised SetDockRow(int value);
  TBarDragHandleStyle DragHandleStyle() const { return dragHandleStyle_; }
  TRaised SetDragHandleStyle(TBarDragHandleStyle value);
  TBarFloatingMode FloatingMode() const { return floatingMode_; }
  void SetFloatingMode(TBarFloatingMode value);
  TBarFloatingWindowOptions FloatingWindowOptions() const { return floatingWindowOptions_; }
  void SetFloatingWindowOptions(TBarFloatingWindowOptions value) { floatingWindowOptions_ = value; }
  bool FullSize() const { return fullSize_; }
  TRaised SetFullSize(bool value);
  bool HideWhenInactive() const { return hideWhenInactive_; }
  void SetHideWhenInactive(bool value);
  TBarDock* LastDock() const { return lastDock_; }
  [[nodiscard]] TRaised SetLastDock(TBarDock* value);
  bool Resizable() const { return resizable_; }
  void SetResizable(bool value);
  bool ShowCaption() const { return showCaption_; }
  [[nodiscard]] TRaised SetShowCaption(bool value);
  bool SmoothDrag() const { return smoothDrag_; }
  void SetSmoothDrag(bool value) { smoothDrag_ = value; }
  bool Stretch() const { return stretch_; }
  TRaised SetStretch(bool value);
  bool UseLastDock() const { return useLastDock_; }
  [[nodiscard]] TRaised SetUseLastDock(bool value);

  bool Docked() const { return docked_; }
  bool Floating() const { return floating_; }
  bool Dragging() const { return dragging_; }
  bool InactiveCaption() const { return inactiveCaption_; }
  bool CloseButtonDown() const { return closeButtonDown_; }
  bool CloseButtonHover() const { return closeButtonHover_; }
  int EffectiveDockPos() const { return effectiveDockPos_; }
  int EffectiveDockRow() const { return effectiveDockRow_; }
  POINT FloatingPosition() const { return floatingPosition_; }
  // The floating frame kept for reuse (null until the window first floats).
  TBarFloatingWindowParent* FloatParent() const { return floatParent_.get(); }
  // Further forms whose docks take the window while it is dragged.
  std::vector<TCustomForm*>& DockForms() { return dockForms_; }
  // The form the window belongs to: its parent form, or the owning form while it floats.
  TCustomForm* ToolbarParentForm() const;

  // The palette query: the current dock's palette while docked, none otherwise.
  HPALETTE GetPalette() const;
  int NonClientWidth() const;
  int NonClientHeight() const;
  // The docked frame for a dock's direction (whatever that dock's AllowDrag), and the floating frame.
  void GetDockedNCArea(bool vertical, POINT& topLeft, POINT& bottomRight) const;
  void GetFloatingNCArea(POINT& topLeft, POINT& bottomRight) const;
  // The frame along dock's direction: the current frame on the current dock, the docked frame on another.
  int DockedFrameLength(const TBarDock* dock) const;
  int DragHandleSize() const;

  [[nodiscard]] TRaised FloatOrDock(bool floating);
  [[nodiscard]] TRaised PlaceFloating(POINT point);
  [[nodiscard]] TRaised MoveOnScreen(bool onlyIfFullyOffscreen);
  // Lays the content out for where the window is and takes the size it asks for.
  [[nodiscard]] virtual TRaised Arrange();
  void BeginUpdate() { ++updateLockCount_; }
  [[nodiscard]] TRaised EndUpdate();
  [[nodiscard]] TRaised ChangeSize(int width, int height);
  [[nodiscard]] TRaised Close();
  // Docks a floating window where it was docked last, or on its default dock; the move's handlers may free it.
  [[nodiscard]] TRaised DoubleClick();
  // The dragging loop (x, y in client coordinates) and the sizing loop of a floating frame (side is a sizing
  // hit-test code, HTLEFT to HTBOTTOMRIGHT).
  // The drag loops answer whether the window outlived the handlers they raised.
  [[nodiscard]] TRaised BeginMoving(int x, int y);
  [[nodiscard]] TRaised BeginSizing(int side);
  // Re-evaluates whether the window shows.
  void UpdateVisibility();

  TRaised SetParent(TWinControl* value) override;
  TRaised SetBounds(int left, int top, int width, int height) override;
  void Dispatch(TMessage& message) override;
  bool HasParent() const override;
  TComponent* GetParentComponent() const override;

  // The size rules a dock and the dragging loop ask for.
  virtual void NonClientSize(SIZE& size) const;
  virtual bool ChildControlAt(POINT point, TControl*& found) const;
  // The content's layout raises its measuring handlers: these answer whether the window outlived them.
  virtual TRaised LayoutForDock(bool canMoveControls, TBarDockType previousDockType, SIZE& size, TBarDock* dockingTo,
                                bool floating) = 0;
  virtual void PaintNonClient(bool drawToDC, HDC dc, HRGN clip);
  virtual TRaised BaseSize(SIZE& size) = 0;
  virtual void CloseButtonRect(bool leftRight, RECT& rect) const;
  virtual TRaised GetMinShrinkSize(int& size) {
    (void)size;
    return TRaised(true);
  }
  virtual void MinMaxClientSize(int& minWidth, int& minHeight, int& maxWidth, int& maxHeight) {
    (void)minWidth, (void)minHeight, (void)maxWidth, (void)maxHeight;
  }
  virtual TBarShrinkMode GetShrinkMode() const { return TBarShrinkMode::tbsmNone; }
  virtual void SizeChanging(int newWidth, int newHeight) { (void)newWidth, (void)newHeight; }
  virtual SIZE FloatingBorderSize() const;
  virtual const TClass* GetFloatingWindowParentClass() const;
  // Values of the window's own kept with its saved placement, under its name.
  virtual TRaised ReadPositionData(TDockPositionStore& store) {
    (void)store;
    return TRaised(true);
  }
  virtual void WritePositionData(TDockPositionStore& store) { (void)store; }

  TNotifyEvent OnClose;
  TBarCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnDockChanged;
  TBarDockChangingEvent OnDockChanging;
  TBarDockChangingEvent OnDockChangingHidden;
  TNotifyEvent OnMove;
  TNotifyEvent OnRecreated;
  TNotifyEvent OnRecreating;
  TNotifyEvent OnVisibleChanged;

 protected:
  void CreateParams(TCreateParams& params) override;
  void DefineProperties(TFiler& filer) override;
  TRaised Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  // Raises OnDockChangingHidden: the answer is whether the window outlived it.
  virtual TRaised DockChangingHidden(bool floating, TBarDock* dockingTo);
  virtual bool ChildControlTransparent(TControl* control) const {
    (void)control;
    return false;
  }
  // The length the dock last shrank the window to along its row; 0 while it has its full length.
  int ShrunkSize() const { return shrunkSize_; }
  // Around the sizing loop: started (side is the sizing hit-test code), each new rectangle (which the hook may
  // change), before it is applied, ended.
  [[nodiscard]] virtual TRaised SizingStarted(int side) {
    (void)side;
    return TRaised(true);
  }
  virtual void SizingNewRect(RECT& rect) { (void)rect; }
  virtual TRaised SizingBeforeApply() { return TRaised(true); }
  virtual void SizingEnded() {}

 private:
  friend class TBarDock;
  friend class TBarFloatingWindowParent;
  friend struct TDockableDrag;

  static void HookProc(THookProcKind kind, HWND wnd, WPARAM wParam, LPARAM lParam);
  TCustomForm* ValidToolbarParentForm() const;
  // The part of SetParent while the window is hidden and the docks hold their arrangements back; answers whether
  // the window got its new parent (false when an event freed the dock it was going to).
  bool ChangeParentHidden(TWinControl* oldParent, TWinControl* value, const TLifeWatch& newDockLife);
  [[nodiscard]] TRaised ChangeLastDock(TBarDock* value);
  void UpdateFloatingList();
  // Lets go of the floating form once the window has left it (see the definition for why not at once).
  void ReleaseFloatParent();
  bool UsingDockBackground() const;
  void PaintDockedFrame(HDC dc);
  bool ShouldBeVisible() const;
  bool IsMovable() const;
  void UpdateTopmostFlag();
  void SetFloatingOwner();
  static void PlaceFrameAboveForm(HWND floatWnd, HWND formWnd);
  static void KeepFramesAboveForms(const std::vector<TBarCustomDockableWindow*>& windows);
  void ListAsFloating(bool floating);
  static void WatchMessagesProc(THookProcKind kind, HWND wnd, WPARAM wParam, LPARAM lParam);
  void ApplyInactiveCaption();
  void RedrawFloatingFrame(int what);
  [[nodiscard]] TRaised ApplySizingRect(const RECT& rect);
  void SetDockedCloseButtonDown(bool value);
  void SetDockedCloseButtonHover(bool value);
  void FrameChangedNow();
  void WMNCHitTest(TMessage& message);
  void WMNCCalcSize(TMessage& message);
  void WMNCLButtonDown(TMessage& message);
  void WMSetCursor(TMessage& message);
  void WMContextMenu(TMessage& message);
  void WMEraseBkgnd(TMessage& message);
  void WMMove(TMessage& message);
  void WMNCMouseMove(TMessage& message);
  void WMLButtonDown(TMessage& message);

  bool autoResize_ = true;
  int dockPos_ = -1;
  int dockRow_ = 0;
  int effectiveDockPos_ = -1;
  int effectiveDockRow_ = -1;
  bool docked_ = false;
  TBarDock* currentDock_ = nullptr;
  TBarDock* defaultDock_ = nullptr;
  TBarDock* lastDock_ = nullptr;
  int shrunkSize_ = 0;
  bool floating_ = false;
  bool activateParent_ = true;
  TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
  bool closeButton_ = true;
  bool closeButtonWhenDocked_ = false;
  TBarDockPositions dockableTo_{TBarDockPosition::dpTop, TBarDockPosition::dpBottom, TBarDockPosition::dpLeft,
                                TBarDockPosition::dpRight};
  TBarDockMode dockMode_ = TBarDockMode::dmCanFloat;
  TBarDragHandleStyle dragHandleStyle_ = TBarDragHandleStyle::dhSingle;
  TBarFloatingMode floatingMode_ = TBarFloatingMode::fmOnTopOfParentForm;
  bool fullSize_ = false;
  bool hideWhenInactive_ = true;
  bool resizable_ = true;
  bool showCaption_ = true;
  bool smoothDrag_ = true;
  bool stretch_ = false;
  bool useLastDock_ = true;
  TBarFloatingWindowOptions floatingWindowOptions_{TBarFloatingWindowOption::fwoDiagonalSizing,
                                                   TBarFloatingWindowOption::fwoClipCursorWhileSizing};
  int naturalCrossSize_ = 0;
  bool ownRow_ = false;
  int inArrangement_ = 0;
  int updateLockCount_ = 0;
  int noMoveEvent_ = 0;
  int hiddenWhileChanging_ = 0;
  bool needsRelayout_ = false;
  // The window moved (WM_MOVE), also while its OnMove was held back.
  bool moved_ = false;
  bool inactiveCaption_ = false;
  POINT floatingPosition_{};
  std::vector<TCustomForm*> dockForms_;
  bool savedAtRunTime_ = false;
  bool dragging_ = false;
  bool closeButtonDown_ = false;
  bool closeButtonHover_ = false;
  std::unique_ptr<TBarFloatingWindowParent> floatParent_;
};

}  // namespace toolbars

// TWinControl, a control with a window of its own: the window is made when first needed from CreateParams, every
// message of it passes WindowProc -> WndProc -> Dispatch -> DefaultHandler (the window's previous procedure), and
// it holds, aligns, paints and focuses child controls. TCustomControl adds a canvas and Paint.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/control.h"

class TCustomForm;

enum class TBevelEdge { beLeft, beTop, beRight, beBottom };
using TBevelEdges = TSet<TBevelEdge, 4>;

using TDockDropEvent = TDelegate<void(TObject* Sender, TDragDockObject* Source, int X, int Y)>;
using TUnDockEvent = TDelegate<void(TObject* Sender, TControl* Client, TWinControl* NewTarget, bool& Allow)>;
using TGetSiteInfoEvent =
    TDelegate<void(TObject* Sender, TControl* DockClient, RECT& InfluenceRect, POINT MousePos, bool& CanDock)>;
enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum class TBevelKind { bkNone, bkTile, bkSoft, bkFlat };

// What CreateWnd makes the window from; a class's CreateParams adjusts these.
struct TCreateParams {
  String Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  // The class the window is registered with under WinClassName; lpfnWndProc is the procedure messages end in.
  WNDCLASSW WindowClass{};
  String WinClassName;
};

class TWinControl : public TControl {
  BC_CLASS(TWinControl, TControl)
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  // The child controls go first, then the owned components, while this control is whole.
  void BeforeDestruction() override;

  // The window, made now when there is none. Raises EInvalidOperation "Control '%s' has no parent window" for a
  // child window without a parent.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }
  // A window that is not a framework control but holds this one (a host window of another program part).
  HWND ParentWindow() const { return parentWindow_; }
  [[nodiscard]] TRaised SetParentWindow(HWND value);
  // Destroys the window (children first) and makes it again when the control shows; children come back too.
  void RecreateWnd();

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(index); }
  // True when control is this one or lies inside it at any depth.
  bool ContainsControl(const TControl* control) const;
  // The topmost visible child at a client point; disabled children only when allowDisabled, windowed children
  // only when allowWinControls.
  TControl* ControlAtPos(POINT point, bool allowDisabled, bool allowWinControls = false) const;
  // Sends message to each child in turn until one answers with a non-zero Result.
  void Broadcast(TMessage& message);
  // Sends message to every child, and so the children that hold its value from their parent.
  void NotifyControls(UINT msg);

  bool Showing() const override { return showing_; }
  // A child at any depth must be shown (it is shown or focused): the base passes the request up with itself as
  // the child; a container of pages makes the page that holds control the visible one.
  [[nodiscard]] virtual TRaised ShowControl(TControl* control);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value);
  // The position in the parent's tab order; -1 when the control has no parent.
  int TabOrder() const;
  void SetTabOrder(int value);
  // The windowed children at every depth, in tab order; a container may leave out children it keeps out of reach.
  virtual void GetTabOrderList(std::vector<TWinControl*>& list) const;
  // Visible and enabled, and so are all its parents.
  virtual bool CanFocus() const;
  virtual bool Focused() const;
  // Gives the focus through the parent form, which sends CM_EXIT and CM_ENTER. Raises EInvalidOperation
  // "Cannot focus a disabled or invisible window" when the control cannot take it.
  [[nodiscard]] virtual TRaised SetFocus();
  // The next control in tab order after current (inside this one), or null.
  TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent) const;
  [[nodiscard]] TRaised SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
  [[nodiscard]] TRaised SelectFirst();

  // Alignment of children: suspended between DisableAlign and EnableAlign, done again by Realign.
  void DisableAlign();
  [[nodiscard]] TRaised EnableAlign();
  bool AlignDisabled() const { return alignLevel_ != 0; }
  TRaised Realign() { return AlignControl(nullptr); }

  // A dock site takes controls docked into it (CM_DOCKCLIENT) and lets them go (CM_UNDOCKCLIENT).
  bool DockSite() const { return dockSite_; }
  void SetDockSite(bool value);
  int DockClientCount() const { return static_cast<int>(dockClients_.size()); }
  TControl* DockClients(int index) const { return dockClients_.at(index); }
  // Asks OnUnDock whether client may leave for newTarget, then tells the site (CM_UNDOCKCLIENT).
  bool DoUnDock(TWinControl* newTarget, TControl* client);
  // Whether client may dock here (OnGetSiteInfo); influenceRect starts as the window rectangle.
  [[nodiscard]] TRaised GetSiteInfo(TControl* client, RECT& influenceRect, POINT mousePos, bool& canDock);
  // A dock drag is over the site (client coordinates): the dock rectangle becomes the site's window rectangle,
  // then OnDockOver may change it and refuse.
  virtual TRaised DockOver(TDragDockObject* source, int x, int y, TDragState state, bool& accept);

  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool value);
  bool ParentCtl3D() const { return parentCtl3D_; }
  void SetParentCtl3D(bool value);
  // A frame of this many pixels inside the window edge (and the bevel), painted in Color; children align inside.
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int value);
  TBrush* Brush() const { return brush_.get(); }
  // A bevel drawn in the frame (inside the platform's border and outside BorderWidth) when BevelKind is not
  // bkNone: inner and outer cuts of BevelWidth pixels each, on the edges of BevelEdges.
  TBevelEdges BevelEdges() const { return bevelEdges_; }
  void SetBevelEdges(TBevelEdges value);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut value);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut value);
  TBevelKind BevelKind() const { return bevelKind_; }
  void SetBevelKind(TBevelKind value);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int value);

  RECT ClientRect() const override;
  // Makes the window first when it can have one, so the frame is known.
  TRaised SetClientSize(int width, int height) override;
  POINT ClientOrigin() const override;
  TRaised SetBounds(int left, int top, int width, int height) override;
  TRaised SetParent(TWinControl* value) override;
  void Invalidate() override;
  void Update() override;
  void Repaint() override;

  // Paints this control (frame, background, contents) and its visible windowed children into dc, with the
  // window's top-left corner at (x, y): the window is sent WM_PRINT with the frame, client, background and
  // children flags, so windows that draw parts of their own in the frame print those too.
  void PaintTo(HDC dc, int x, int y);

  void WndProc(TMessage& message) override;
  void Dispatch(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TDockDropEvent OnDockDrop;
  TUnDockEvent OnUnDock;
  TGetSiteInfoEvent OnGetSiteInfo;
  TDelegate<void(TObject* Sender, TDragDockObject* Source, int X, int Y, TDragState State, bool& Accept)> OnDockOver;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;

 protected:
  virtual void CreateParams(TCreateParams& params);
  // Takes the class of a system control (EDIT, BUTTON, ...) so the window is that control, with this class's name.
  void CreateSubClass(TCreateParams& params, const wchar_t* controlClassName);
  // Making the window raises handlers (OnResize as its first size arrives, a control filling itself in), which may
  // free the control: each answers whether it outlived them.
  [[nodiscard]] virtual TRaised CreateWnd();
  [[nodiscard]] virtual TRaised CreateWindowHandle(const TCreateParams& params);
  // The window going raises handlers (the focus leaving it, a control's pending notices), which may free the
  // control: each answers whether it outlived them.
  [[nodiscard]] virtual TRaised DestroyWnd();
  virtual void DestroyWindowHandle();
  [[nodiscard]] virtual TRaised CreateHandle();
  [[nodiscard]] TRaised DestroyHandle();
  // The window without creating one; SetWindowHandle lets a control detach its window from itself while it
  // changes parents and attach it again afterwards, so the window survives.
  HWND WindowHandle() const { return handle_; }
  void SetWindowHandle(HWND value);
  // Reads the window's position into the stored bounds.
  void UpdateBounds();
  void SetZOrder(bool topMost) override;

  // Shows or hides the window to match Visible and the parents: parentShows is false while the parent hides, true
  // while it shows or is about to.
  [[nodiscard]] TRaised UpdateShowing(bool parentShows = true);
  [[nodiscard]] TRaised UpdateControlState();

  // Alignment sets the children's bounds, whose handlers (OnCanResize, OnResize) may free any child or this
  // control: these answer whether this control outlived them.
  [[nodiscard]] virtual TRaised AlignControls(TControl* control, RECT& rect);
  // The part of the client area children align in; the base takes BorderWidth off nothing (the frame is
  // non-client already) and leaves the rectangle.
  virtual void AdjustClientRect(RECT& rect);
  // Draws the frame for WM_PRINT; a window with parts of its own in the frame adds them, whose painting may raise
  // handlers that free the control: the answer tells.
  [[nodiscard]] virtual TRaised PaintNonClientTo(HDC dc);
  [[nodiscard]] TRaised AlignControl(TControl* control);
  // The control's reactions to its new parent, or to leaving it (windows shown or destroyed, alignment), raise
  // handlers: these answer whether the control outlived them.
  [[nodiscard]] virtual TRaised InsertControl(TControl* control);
  [[nodiscard]] virtual TRaised RemoveControl(TControl* control);
  // Frees the child controls, last first.
  void DestroyControls();

  // Painting: WM_PAINT (with or without a DC in WParam) paints the window, then the windowless children.
  [[nodiscard]] virtual TRaised PaintWindow(HDC dc);
  void PaintHandler(TMessage& message);
  void PaintControls(HDC dc, TControl* first);
  // The frame between the platform's border and the client area (bevel and BorderWidth) into a DC of the whole
  // window, in window coordinates; a class that paints its own non-client area calls it for that band.
  void PaintBorder(HDC dc);
  // The width of the bevel on each edge it is drawn on: inner and outer cuts of BevelWidth each.
  int BevelSize() const;

  // Key handling: the parent form sees keys first when it previews them.
  virtual TRaised KeyDown(WORD& key, TShiftState shift);
  virtual TRaised KeyUp(WORD& key, TShiftState shift);
  virtual TRaised KeyPress(wchar_t& key);
  bool DoKeyDown(TMessage& message);
  bool DoKeyUp(TMessage& message);
  bool DoKeyPress(TMessage& message);
  void CMDrag(TMessage& message) override;
  // The add- and remove-dock-client steps of docking: the base makes the site the client's parent, and does
  // nothing when the client leaves.
  // A client joins or leaves the site; the moves raise handlers that may free the site: these answer whether it
  // outlived them.
  [[nodiscard]] virtual TRaised DoAddDockClient(TControl* client, const RECT& rect);
  [[nodiscard]] virtual TRaised DoRemoveDockClient(TControl* client);
  virtual TRaised DoEnter();
  virtual TRaised DoExit();
  // Whether the key is a short-cut of a pop-up menu, of the form, or of the application.
  bool IsMenuKey(TMessage& message);
  // Routes a mouse message of this window to the windowless child under it (or holding the capture).
  bool IsControlMouseMsg(TMessage& message);

  TRaised Loaded() override;
  // Streaming: the children this window stores for root are the controls on it that root owns.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, int order) override;

 private:
  friend class TControl;
  friend LRESULT CALLBACK FrameworkWindowProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK InitialWindowProc(HWND, UINT, WPARAM, LPARAM);

  void MainWndProc(TMessage& message);
  // Broadcast, to every child or only to those visible and enabled.
  void SendToChildren(TMessage& message, bool usableOnly);
  void AttachWindow(HWND wnd);
  void UpdateTabOrder(int value);
  void SendReflected(TMessage& message, HWND child);
  [[nodiscard]] TRaised AlignChildren(TControl* control, RECT& rect);
  void TrackMouse(const TMessage& message);

  void WMPaint(TMessage& message);
  void WMPrintClient(TMessage& message);
  void WMEraseBkgnd(TMessage& message);
  void WMNCCalcSize(TMessage& message);
  void WMNCPaint(TMessage& message);
  void WMPrint(TMessage& message);
  // Sizes an iconic window's restored placement to the stored bounds.
  void SetPlacementBounds();
  void FrameChanged();
  void WMWindowPosChanged(TMessage& message);
  void WMKeyDown(TMessage& message);
  void WMKeyUp(TMessage& message);
  void WMChar(TMessage& message);
  void WMSysCommand(TMessage& message);
  void WMSetCursor(TMessage& message);
  void WMNCDestroy(TMessage& message);
  void CNKeyDown(TMessage& message);
  void CNChar(TMessage& message);
  void CNSysKeyDown(TMessage& message);
  void CNSysChar(TMessage& message);
  void CMShowingChanged(TMessage& message);
  void CMColorChanged(TMessage& message);
  void CMFontChanged(TMessage& message);
  void CMEnabledChanged(TMessage& message);
  void CMVisibleChanged(TMessage& message);
  void CMShowHintChanged(TMessage& message);
  void CMBiDiModeChanged(TMessage& message);
  void CMCtl3DChanged(TMessage& message);
  void CMParentCtl3DChanged(TMessage& message);
  void CMRecreateWnd(TMessage& message);
  void CMDockClient(TMessage& message);
  void CMSysColorChange(TMessage& message);
  void CMWinIniChange(TMessage& message);

  HWND handle_ = nullptr;
  HWND parentWindow_ = nullptr;
  WNDPROC defWndProc_ = nullptr;
  // Counts the windows this control took away itself: a window that went while it was made went by a handler's
  // hand, not by the platform refusing it.
  unsigned windowsDestroyed_ = 0;
  bool showing_ = false;
  // Its deletion has begun and its children went: none may join it any more.
  bool childrenGone_ = false;
  // The platform tells this window of the mouse leaving it (WM_MOUSELEAVE) once it goes.
  bool trackingLeave_ = false;
  bool tabStop_ = false;
  bool ctl3D_ = true;
  bool parentCtl3D_ = true;
  int borderWidth_ = 0;
  TBevelEdges bevelEdges_{TBevelEdge::beLeft, TBevelEdge::beTop, TBevelEdge::beRight, TBevelEdge::beBottom};
  TBevelCut bevelInner_ = TBevelCut::bvRaised;
  TBevelCut bevelOuter_ = TBevelCut::bvLowered;
  TBevelKind bevelKind_ = TBevelKind::bkNone;
  int bevelWidth_ = 1;
  int alignLevel_ = 0;
  bool dockSite_ = false;
  std::vector<TControl*> dockClients_;
  int pendingTabOrder_ = -1;           // a tab order read while loading, applied by Loaded
  SIZE pendingClientSize_{-1, -1};     // a client size read while loading, applied by Loaded
  std::vector<TControl*> controls_;    // every child, in z-order (bottom first)
  std::vector<TWinControl*> tabList_;  // windowed children, in tab order
  std::unique_ptr<TBrush> brush_;
};

// A windowed control that paints itself: Paint draws on Canvas while the window is painted.
class TCustomControl : public TWinControl {
  BC_CLASS(TCustomControl, TWinControl)
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;

  TCanvas* Canvas() const;
  void Dispatch(TMessage& message) override;

 protected:
  // Paints the control; painting may raise its handlers, which may free it: answers whether it outlived them.
  [[nodiscard]] virtual TRaised Paint() { return TRaised(true); }
  TRaised PaintWindow(HDC dc) override;

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

// The showing dock site under a screen point that takes client (OnGetSiteInfo), not client itself nor one inside
// it; null when there is none.
TWinControl* FindDockSite(TControl* client, POINT screenPoint);

// The framework control that owns a window of this process, or null.
TWinControl* FindControl(HWND wnd);
// The framework control whose window lies under a screen point (the nearest framework parent of a foreign child
// window), or null.
TWinControl* FindFrameworkWindow(POINT screenPoint);
// The deepest control at a screen point, windowless children included (disabled ones only when allowDisabled).
TControl* FindDragTarget(POINT screenPoint, bool allowDisabled);
// The deepest control under the point of control's client area that a mouse message of control brought: a point
// inside lies over control or a windowless child of it, since the message came to control's window; only a point
// outside (while the window holds the capture) asks the platform which window lies there.
TControl* FindMouseTarget(TControl* control, POINT point);

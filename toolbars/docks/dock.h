// TBarDock, the bar along one edge of a form or panel that holds dockable windows in rows: it keeps the list of
// windows docked to it, arranges them into rows and positions (pushing, wrapping and shrinking them), sizes
// itself to its rows, draws bound lines and a background, and relays dialog keys and system commands to them.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/set.h"
#include "framework/win_control.h"
#include "toolbars/docks/dock_background.h"

namespace toolbars {

class TBarCustomDockableWindow;

enum class TBarDockPosition { dpTop, dpBottom, dpLeft, dpRight };
using TBarDockPositions = TSet<TBarDockPosition, 4>;
enum class TBarDockBoundLine { blTop, blBottom, blLeft, blRight };
using TBarDockBoundLines = TSet<TBarDockBoundLine, 4>;
enum class TBarDockType { dtNotDocked, dtFloating, dtTopBottom, dtLeftRight };

using TBarInsertRemoveEvent = TDelegate<void(TObject* Sender, bool Inserting, TBarCustomDockableWindow* Bar)>;
using TBarRequestDockEvent = TDelegate<void(TObject* Sender, TBarCustomDockableWindow* Bar, bool& Accept)>;

class TBarDock : public TCustomControl {
  BC_CLASS(TBarDock, TCustomControl)
  explicit TBarDock(TComponent* owner);
  ~TBarDock() override;
  const TPublishedTable& PublishedTable() const override;

  bool AllowDrag() const { return allowDrag_; }
  TRaised SetAllowDrag(bool value);
  TBarBasicBackground* Background() const { return background_; }
  void SetBackground(TBarBasicBackground* value);
  bool BackgroundOnToolbars() const { return backgroundOnToolbars_; }
  void SetBackgroundOnToolbars(bool value);
  TBarDockBoundLines BoundLines() const { return boundLines_; }
  TRaised SetBoundLines(TBarDockBoundLines value);
  // An empty dock keeps one pixel of depth.
  bool FixAlign() const { return fixAlign_; }
  TRaised SetFixAlign(bool value);
  bool LimitToOneRow() const { return limitToOneRow_; }
  TRaised SetLimitToOneRow(bool value);
  TBarDockPosition Position() const { return position_; }
  // Raises EInvalidOperation while the dock holds controls.
  [[nodiscard]] TRaised SetPosition(TBarDockPosition value);
  bool IsVertical() const { return position_ == TBarDockPosition::dpLeft || position_ == TBarDockPosition::dpRight; }

  TBarInsertRemoveEvent OnInsertRemoveBar;
  TBarRequestDockEvent OnRequestDock;

  // The background drawn behind the dock (and its windows); drawRect is already moved so neighbours line up.
  virtual void DrawBackground(HDC dc, const RECT& drawRect);
  virtual bool UsingBackground();
  // Places the windows on the dock; their handlers (OnMove, their resizing) may free it: answers whether it lived.
  [[nodiscard]] virtual TRaised ArrangeToolbars();
  // The palette the background draws with (its answer to the palette query); null when none.
  HPALETTE GetPalette() const;

  void BeginArrange();
  [[nodiscard]] TRaised EndArrange();
  // The arranged rows and positions become the wanted ones.
  void CommitPositions();
  int ToolbarCount() const { return static_cast<int>(dockVisibleList_.size()); }
  TBarCustomDockableWindow* Toolbars(int index) const { return dockVisibleList_.at(index); }
  int GetRowSize(int row, bool& fullSizeRow) const;
  int GetRowCrossSizeExcept(int row, const TBarCustomDockableWindow* window) const;
  int GetHighestRow(bool effective) const;
  int RowAt(int offset) const;
  // What the dock's holder leaves across the dock once the other controls aligned on the same axis have theirs,
  // other docks as deep as they are or as deep as their rows ask (never below 0; unbounded without a holder).
  enum class TOtherDocks { kAsTheyAre, kAsTheirRowsAsk };
  int RoomInHolder(TOtherDocks otherDocks) const;
  // How deep the rows asked the dock to be at the last arrangement (its depth before the first one).
  int RowsDepth() const;
  void InvalidateBackgrounds();

  // The windows docked to this dock (and floating ones that return to it), and what the dragging loop steers.
  [[nodiscard]] TRaised ChangeDockList(bool insert, TBarCustomDockableWindow* window);
  [[nodiscard]] TRaised ToolbarVisibilityChanged(TBarCustomDockableWindow* window, bool forceRemove);
  TBarCustomDockableWindow* MovingWindow() const { return movingWindow_; }
  void SetMovingWindow(TBarCustomDockableWindow* value) { movingWindow_ = value; }
  bool KeepMovingWindowOrder() const { return keepMovingWindowOrder_; }
  void SetKeepMovingWindowOrder(bool value) { keepMovingWindowOrder_ = value; }
  bool MovingWindowOverflowed() const { return movingWindowOverflowed_; }
  void SetMovingWindowOverflowed(bool value) { movingWindowOverflowed_ = value; }
  void SetCommitNewPositions(bool value) { commitNewPositions_ = value; }
  const std::vector<TBarCustomDockableWindow*>& DockList() const { return dockList_; }

  TRaised SetParent(TWinControl* value) override;
  // A dock on its edge is as deep as its rows, but no deeper than its holder leaves it: what does not fit is
  // clipped, and the dock keeps the edge it aligns to.
  TRaised SetBounds(int left, int top, int width, int height) override;
  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  TRaised Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  TRaised AlignControls(TControl* control, RECT& rect) override;
  TRaised Paint() override;

 private:
  // Repaints every window shown on the dock, frame and background, with or without their child windows.
  void RedrawWindowsOnDock(UINT childFlag);
  // After windows moved: the dock and every window on it, with their controls, paint again whole.
  void RedrawAfterArrange();
  // Selects the background's palette into the dock's DC (as a background palette when asked) and realises it;
  // answers how many entries changed, after which the dock and its windows are repainted.
  UINT RealizeBackgroundPalette(bool asBackground);
  static void BackgroundChanged(void* data, TBarBasicBackground* background);
  bool IsVisibleOnDock(const TBarCustomDockableWindow* window) const;
  [[nodiscard]] TRaised ChangeDockSize(int width, int height);
  void PaintBoundLines(HDC dc, bool drawToDC);
  void RelayToFloatingWindows(TMessage& message, bool inherited);
  void WMEraseBkgnd(TMessage& message);
  void WMNCCalcSize(TMessage& message);

  TBarDockPosition position_ = TBarDockPosition::dpTop;
  bool allowDrag_ = true;
  TBarDockBoundLines boundLines_;
  TBarBasicBackground* background_ = nullptr;
  bool backgroundOnToolbars_ = true;
  bool movingWindowOverflowed_ = false;
  bool keepMovingWindowOrder_ = false;
  TBarCustomDockableWindow* movingWindow_ = nullptr;
  bool fixAlign_ = false;
  bool commitNewPositions_ = false;
  bool limitToOneRow_ = false;
  int arrangeLockCount_ = 0;
  bool arrangeNeeded_ = false;
  int boundLineWidth_ = 0;
  int boundLineHeight_ = 0;
  // The depth the rows asked for at the last arrangement; -1 before the first.
  int rowsDepth_ = -1;
  // The room across the dock (as other docks' rows ask) that the last arrangement measured its windows in.
  int arrangedRoom_ = -1;
  std::vector<TBarCustomDockableWindow*> dockList_;
  std::vector<TBarCustomDockableWindow*> dockVisibleList_;
};

TBarDockType DockTypeOf(const TBarDock* dock, bool floating);

// The rectangle a shared background is drawn over so that neighbours continue one picture: its first tile sits at
// the shared origin (offset is where the DC's origin lies from there), and it reaches area's far corner, so the
// whole area is covered.
RECT SharedBackgroundRect(POINT offset, const RECT& area);

}  // namespace toolbars

// TBarView: one visible instance of an item tree in one window (a toolbar row, a menu bar, a pop-up menu, a
// chevron list). It owns one viewer per shown item, listens to the item notifications, lays the viewers out
// (view_layout.cpp), selects them by mouse and keyboard and runs the submenu timers (view_selection.cpp), and
// paints them (view_paint.cpp). The window that shows the view calls its painting and feeds it input.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/component.h"
#include "framework/graphics.h"
#include "framework/shift_state.h"
#include "toolbars/items/item.h"

class TWinControl;

namespace toolbars {

struct TBarTrackingState;

enum class TBarViewOrientation : uint8_t { tbvoHorizontal, tbvoVertical, tbvoFloating };

// View state bits.
using TBarViewState = uint16_t;
constexpr TBarViewState vsModal = 0x0001;            // runs its own tracking loop
constexpr TBarViewState vsMouseInWindow = 0x0002;    // the pointer is inside the view's window
constexpr TBarViewState vsDrawInOrder = 0x0004;      // the next full paint draws in display order
constexpr TBarViewState vsOppositePopup = 0x0008;    // opened on the far side of its parent
constexpr TBarViewState vsModalPopup = 0x0010;       // belongs to a modal Popup call
constexpr TBarViewState vsShowAccels = 0x0020;       // accelerator underlines are shown
constexpr TBarViewState vsKeyMode = 0x0040;          // the selected item's submenu opens by itself
constexpr TBarViewState vsDestroyingChild = 0x0080;  // a child pop-up of this toolbar view is being destroyed
constexpr TBarViewState vsUseHiddenAccels = 0x0100;  // underlines hidden until the keyboard is used
constexpr TBarViewState vsShowHints = 0x0200;

enum class TBarViewTimer : uint8_t { tiOpen, tiClose, tiScrollUp, tiScrollDown };
// The window timer identifier of a view timer.
constexpr UINT_PTR kViewTimerIdBase = 9000;

// The height of the strips of a tall pop-up that hold its scroll arrows.
constexpr int kScrollArrowHeight = 8;

class TBarView;

// What a measuring layout reports beyond its sizes, and the viewer sizes a series of measuring layouts of one view
// shares: the first run measures every viewer, the next ones reuse the sizes.
struct TBarLayoutProbe {
  std::vector<SIZE> Measured;
  // Rows (columns of a vertical bar).
  int Lines = 0;
  // The smallest wrap offset that gives the same rows: everything placed ends before it.
  int TightWrapOffset = 0;
};
using TBarViewClass = TClassRef<TBarView, TComponent*, TBarView*, TBarCustomItem*, TWinControl*, bool, bool, bool>;

class TBarView : public TComponent {
  BC_CLASS(TBarView, TComponent)
  // A derived view that supplies front, back-group or chevron items calls RecreateAllViewers at the end of its
  // own constructor, since the base constructor cannot see them yet.
  TBarView(TComponent* owner, TBarView* parentView, TBarCustomItem* parentItem, TWinControl* window, bool isToolbar,
           bool customizing, bool usePriorityList);
  ~TBarView() override;

  // Viewers.
  int ViewerCount() const { return static_cast<int>(viewers_.size()); }
  TBarItemViewer* Viewers(int index) const { return viewers_[static_cast<size_t>(index)].get(); }
  int IndexOf(const TBarItemViewer* viewer) const;
  // Raises EBarItemError "An item viewer associated the specified item could not be found".
  TBarItemViewer* Find(const TBarCustomItem* item) const;
  // The shown viewer at a client point, by the positions of the last layout; null when none.
  TBarItemViewer* ViewerFromPoint(POINT point) const;
  void RecreateAllViewers();
  // Each shown item updates its action; an OnUpdate may free any item, or the view with its bar: answers whether
  // the view outlived them.
  [[nodiscard]] TRaised InitiateActions();
  int InternalViewersAtFront() const { return internalViewersAtFront_; }
  int InternalViewersAtBack() const { return internalViewersAtBack_; }

  // Relations.
  TBarView* ParentView() const { return parentView_; }
  TBarCustomItem* ParentItem() const { return parentItem_; }
  TBarCustomItem* CurParentItem() const { return curParentItem_; }
  TWinControl* Window() const { return window_; }
  TBarView* GetParentToolbarView();
  bool IsAncestorOf(const TBarView* view) const;
  TBarView* ChevronParentView() const { return chevronParentView_; }
  void SetChevronParentView(TBarView* value);

  // Properties.
  bool IsPopup() const { return isPopup_; }
  bool IsToolbar() const { return isToolbar_; }
  void SetIsToolbar(bool value) {
    isToolbar_ = value;
    isPopup_ = !value;
  }
  bool Customizing() const { return customizing_; }
  bool UsePriorityList() const { return usePriorityList_; }
  TBarViewOrientation Orientation() const { return orientation_; }
  void SetOrientation(TBarViewOrientation value);
  int WrapOffset() const { return wrapOffset_; }
  void SetWrapOffset(int value);
  int ChevronOffset() const { return chevronOffset_; }
  void SetChevronOffset(int value);
  int ChevronSize() const { return chevronSize_; }
  void SetChevronSize(int value);
  int MaxHeight() const { return maxHeight_; }
  void SetMaxHeight(int value);
  const RECT& MonitorRect() const { return monitorRect_; }
  void SetMonitorRect(const RECT& value) { monitorRect_ = value; }
  int ScrollOffset() const { return scrollOffset_; }
  void SetScrollOffset(int value) { scrollOffset_ = value; }
  bool ShowUpArrow() const { return showUpArrow_; }
  bool ShowDownArrow() const { return showDownArrow_; }
  TColor BackgroundColor() const { return backgroundColor_; }
  void SetBackgroundColor(TColor value) { backgroundColor_ = value; }
  SIZE BaseSize() const { return baseSize_; }
  int DisplayFilter() const { return displayFilter_; }
  TBarViewState State() const { return state_; }
  void SetState(TBarViewState value) { state_ = value; }
  void IncludeState(TBarViewState bits) { state_ = static_cast<TBarViewState>(state_ | bits); }
  void ExcludeState(TBarViewState bits) { state_ = static_cast<TBarViewState>(state_ & ~bits); }
  bool HasState(TBarViewState bits) const { return (state_ & bits) != 0; }

  // Layout (view_layout.cpp).
  // A layout measures the viewers, raising their measuring handlers, and may repaint: each of these answers whether
  // the view outlived them. A layout a handler cut short (by deleting items) leaves the positions invalid.
  bool ValidPositions() const { return validPositions_; }
  TRaised ValidatePositions();
  // Lays out unless an update bracket is open or the items are loading; a view on screen lays out when the thread
  // next takes a message (see deferred_layout.h).
  TRaised TryValidatePositions();
  // The deferred layout itself.
  TRaised ValidateDeferredPositions();
  virtual void InvalidatePositions();
  TRaised UpdatePositions(SIZE* size = nullptr);
  void BeginUpdate();
  // Ends the bracket, laying out when it is the last: the answer is whether the view outlived the layout.
  TRaised EndUpdate();
  int UpdateCount() const { return updateCount_; }
  // Without canMoveControls the layout is only measured: viewers, controls and the view keep their state, and the
  // answer says whether a real layout would change anything. A probe receives what it reports and lends its sizes.
  TRaised CalculatePositions(bool canMoveControls, TBarViewOrientation orientation, int wrapOffset, int chevronOffset,
                             int chevronSize, SIZE& baseSize, SIZE& totalSize, TBarLayoutProbe* probe = nullptr,
                             bool* changed = nullptr);
  // The rows (columns of a vertical bar) of the last layout.
  int LineCount() const { return lineCount_; }
  virtual void GetMargins(TBarViewOrientation orientation, RECT& margins);
  // The windows of control items that went off the edge, for the owner to hide.
  void FindControlWindows(std::vector<TWinControl*>& list);

  // Selection, submenus and timers (view_selection.cpp).
  TBarItemViewer* Selected() const { return selected_; }
  // Raises OnSelect of the items left and entered; the answer is whether this view outlived them.
  TRaised SetSelected(TBarItemViewer* viewer);
  bool MouseOverSelected() const { return mouseOverSelected_; }
  bool MouseButtonDown() const { return mouseButtonDown_; }
  void SetMouseButtonDown();
  void CancelMouseButtonDown();
  TRaised UpdateSelection(const POINT* screenPoint, bool allowNewSelection);
  TBarItemViewer* NextSelectable(TBarItemViewer* viewer, bool goForward);
  TBarItemViewer* FirstSelectable();
  TRaised SelectNext(bool goForward);
  TRaised GivePriority(TBarItemViewer* viewer);
  TBarItemViewer* HighestPriorityViewer();
  int PriorityCount() const { return priorityList_ ? static_cast<int>(priorityList_->size()) : 0; }
  TBarItemViewer* PriorityViewer(int index) const { return (*priorityList_)[static_cast<size_t>(index)]; }
  // Opens the selected item's submenu, raising its OnPopup; whether it opened, OpenViewer tells.
  TRaised OpenChildPopup(bool selectFirstItem);
  void CloseChildPopups();
  TRaised OpenOrCloseSelected();
  TBarItemViewer* OpenViewer() const { return openViewer_; }
  TBarView* OpenViewerView() const { return openViewerView_; }
  TBarPopupWindowBase* OpenViewerWindow() const { return openViewerWindow_; }
  // The item's pop-up routine records the window it opened for viewer.
  void SetOpenPopup(TBarItemViewer* viewer, TBarPopupWindowBase* window);
  void StartTimer(TBarViewTimer timer, UINT interval);
  void StopTimer(TBarViewTimer timer);
  void StopAllTimers();
  bool TimerActive(TBarViewTimer timer) const { return (activeTimers_ & (1u << static_cast<unsigned>(timer))) != 0; }
  // The selected viewer when the open timer was started.
  TBarItemViewer* OpenTimerViewer() const { return openTimerViewer_; }
  // A view timer went off (the tracking loop routes its WM_TIMER here).
  TRaised TimerFired(TBarViewTimer timer);
  // Whether a chevron list moves the items that do not fit (used by toolbars). The setter lays out again, which
  // may raise handlers that free the view: it answers whether the view outlived them.
  uint8_t ChevronMoveItems() const { return chevronMoveItems_; }
  [[nodiscard]] TRaised SetChevronMoveItems(uint8_t value);
  void SetAccelsVisibility(bool show);
  // The viewer whose accelerator (or, failing that, first letter) is key, from the selection on; null when none.
  TBarItemViewer* FindAccelerator(wchar_t key, bool onlyPrimary, bool& isOnlyItemWithAccel);
  // Runs the tracking loop on this bar, then carries out what was chosen; the answer is whether the view outlived
  // the handlers on the way.
  TRaised EnterToolbarLoop(bool startedByMouse, bool menuMode, bool selectFirst);
  virtual TRaised KeyDown(WORD& key, TShiftState shift, TBarTrackingState& state);
  // Opens the selected submenu or records the click of the selected item; true ends the tracking.
  // Opens the selected item's submenu, else records its click and ends the tracking (state.Done).
  TRaised ExecuteSelected(TBarTrackingState& state);
  // Scrolls a tall pop-up so that the selected viewer lies between the arrow strips.
  TRaised ScrollSelectedIntoView();

  // Painting (view_paint.cpp).
  void InvalidateViewer(TBarItemViewer* viewer);
  // Painting raises the viewers' paint handlers; each answers whether the view outlived them.
  TRaised DrawSubitems(TCanvas* canvas);
  TRaised DrawItem(TBarItemViewer* viewer, TCanvas* canvas, bool offscreen);
  virtual TFont* GetFont();

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  // The view's content size changed; a pop-up view resizes its window, a toolbar's view its toolbar, whose
  // handlers answer whether the view outlived them.
  virtual TRaised SizeChanged(int width, int height) {
    (void)width;
    (void)height;
    return TRaised(true);
  }
  virtual TRaised DoUpdatePositions(SIZE& size);
  virtual TBarCustomItem* GetChevronItem() const { return nullptr; }
  virtual TBarCustomItem* GetBackGroupItem() const { return nullptr; }
  virtual TBarCustomItem* GetFrontItem() const { return nullptr; }

 private:
  friend class TBarItemViewer;
  struct TLayoutRecord;
  class TLayout;

  void ItemNotification(TBarCustomItem* ancestor, bool relayed, TBarItemChangedAction action, int index,
                        TBarCustomItem* item);
  void LinkNotification(TBarCustomItem* ancestor, bool relayed, TBarItemChangedAction action, int index,
                        TBarCustomItem* item);
  // Follows the parent item's link; the actions of the items shown then update, and an OnUpdate may free the view.
  [[nodiscard]] TRaised UpdateCurParentItem();
  // The part of it that raises nothing; answers whether the item shown changed.
  bool FollowParentItemLink();
  void InvalidateImagesRecursively();
  void AddViewers(TBarCustomItem* item, int& position, bool expandGroups, bool addToPriority);
  bool AcceptsViewerFor(const TBarCustomItem* child) const;
  TBarItemViewer* InsertViewer(TBarCustomItem* item, int position, bool addToPriority);
  void InsertViewersFor(TBarCustomItem* parent, int index, TBarCustomItem* item);
  void DeleteViewersFor(TBarCustomItem* item, int index);
  // Where the viewer of curParentItem_'s child at index goes.
  int OwnChildViewerPosition(int index, const TBarCustomItem* item) const;
  void RecreateViewersFor(TBarCustomItem* item);
  void FreeViewer(size_t index);
  void ClearViewerReferences(TBarItemViewer* viewer);
  bool MayValidatePositions() const;
  TRaised PaintOffscreen();
  void DrawDropMark(TBarItemViewer* viewer, HDC dc, const RECT& rect);
  bool PaintsAsSelected(const TBarItemViewer* viewer) const;
  bool IsInWindow(POINT screenPoint, POINT& clientPoint) const;

  std::vector<std::unique_ptr<TBarItemViewer>> viewers_;
  std::unique_ptr<std::vector<TBarItemViewer*>> priorityList_;
  TBarView* parentView_;
  TBarCustomItem* parentItem_;
  TBarCustomItem* curParentItem_ = nullptr;
  TWinControl* window_;
  TBarView* chevronParentView_ = nullptr;
  TBarItemViewer* selected_ = nullptr;
  TBarItemViewer* openViewer_ = nullptr;
  TBarItemViewer* openTimerViewer_ = nullptr;
  TBarView* openViewerView_ = nullptr;
  TBarPopupWindowBase* openViewerWindow_ = nullptr;
  bool isPopup_;
  bool isToolbar_;
  bool customizing_;
  bool usePriorityList_;
  bool mouseOverSelected_ = false;
  bool mouseButtonDown_ = false;
  bool validPositions_ = false;
  bool showUpArrow_ = false;
  bool showDownArrow_ = false;
  TBarViewOrientation orientation_ = TBarViewOrientation::tbvoHorizontal;
  TBarViewState state_ = 0;
  uint8_t activeTimers_ = 0;
  uint8_t chevronMoveItems_ = 1;
  TColor backgroundColor_ = clDefault;
  SIZE baseSize_{};
  int wrapOffset_ = 0;
  int chevronOffset_ = 0;
  int chevronSize_ = 0;
  int maxHeight_ = 0;
  int scrollOffset_ = 0;
  int updateCount_ = 0;
  int lineCount_ = 0;
  int internalViewersAtFront_ = 0;
  int internalViewersAtBack_ = 0;
  int displayFilter_ = 0;
  RECT monitorRect_{};
};

// The unit's last cursor position seen by the tracking (X = kNoCursorPos when none).
constexpr LONG kNoCursorPos = static_cast<LONG>(0x80000000);
extern POINT LastCursorPos;

}  // namespace toolbars

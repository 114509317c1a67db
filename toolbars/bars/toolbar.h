// TBarCustomToolbar, the dockable window that shows a tree of items: its view lays the items out in a row (wrapped,
// or cut short by a chevron that lists what does not fit), it opens menus by mouse and keyboard, hosts the
// controls put on it, and, floating, takes the sizes its layout can have. A menu bar is a toolbar that stretches
// over its dock, wraps, and answers the form's Alt keys.
#pragma once

#include <memory>
#include <vector>

#include "framework/form.h"
#include "toolbars/bars/chevron_item.h"
#include "toolbars/docks/dockable_window.h"
#include "toolbars/views/view.h"

class TCustomImageList;

namespace toolbars {

class TBarCustomToolbar;

// The view inside a toolbar: it lays out for the toolbar's place and reports its size to it.
class TBarToolbarView : public TBarView {
  BC_CLASS(TBarToolbarView, TBarView)
  // owner is the toolbar.
  TBarToolbarView(TComponent* owner, TBarView* parentView, TBarCustomItem* parentItem, TWinControl* window,
                  bool isToolbar, bool customizing, bool usePriorityList);

  TBarCustomToolbar* Toolbar() const { return toolbar_; }
  // The toolbar's font, or the menu font while the toolbar uses the system font.
  TFont* GetFont() override;

 protected:
  TRaised SizeChanged(int width, int height) override;
  TRaised DoUpdatePositions(SIZE& size) override;
  TBarCustomItem* GetChevronItem() const override;

 private:
  TBarCustomToolbar* toolbar_;
};

// The classes a toolbar makes its parts from; a themed toolbar passes its own.
struct TBarToolbarClasses {
  TClassRef<TBarCustomItem, TComponent*> RootItem;
  TClassRef<TBarChevronItem, TComponent*> ChevronItem;
  TBarViewClass View;
};

// A candidate client size of a floating toolbar and the wrap width that gives it.
struct TBarFloatingSize {
  SIZE Size{};
  int RightX = 0;
  int Lines = 0;
};

class TBarCustomToolbar : public TBarCustomDockableWindow, public IBarItemContainer {
  BC_CLASS(TBarCustomToolbar, TBarCustomDockableWindow)
  explicit TBarCustomToolbar(TComponent* owner);
  ~TBarCustomToolbar() override;
  void BeforeDestruction() override;
  const TPublishedTable& PublishedTable() const override;

  static TBarToolbarClasses DefaultClasses();

  TBarCustomItem* Items() const { return items_; }
  TBarCustomItem* GetItems() override { return items_; }
  TBarToolbarView* View() const { return view_; }
  TBarChevronItem* ChevronItem() const { return chevronItem_; }

  // Bulk item changes lay out once, at the end. The layout of a bar not on screen resizes it at once, and its
  // OnResize may free the bar: EndUpdate answers whether it outlived that.
  void BeginUpdate();
  [[nodiscard]] TRaised EndUpdate();

  String ChevronHint() const;
  void SetChevronHint(const String& value);
  bool ChevronMoveItems() const { return chevronMoveItems_; }
  // Lays out again: answers whether the bar outlived the handlers of the layout.
  [[nodiscard]] TRaised SetChevronMoveItems(bool value);
  TCustomImageList* Images() const;
  void SetImages(TCustomImageList* value);
  TBarCustomItem* LinkSubitems() const;
  void SetLinkSubitems(TBarCustomItem* value);
  bool MenuBar() const { return menuBar_; }
  TRaised SetMenuBar(bool value);
  TBarItemOptions Options() const;
  void SetOptions(TBarItemOptions value);
  // Kept with the form for the application, which decides whether the bar's short-cuts run.
  bool ProcessShortCuts() const { return processShortCuts_; }
  void SetProcessShortCuts(bool value) { processShortCuts_ = value; }
  TBarShrinkMode ShrinkMode() const { return shrinkMode_; }
  TRaised SetShrinkMode(TBarShrinkMode value);
  bool SystemFont() const { return systemFont_; }
  TRaised SetSystemFont(bool value);
  bool UpdateActions() const { return updateActions_; }
  void SetUpdateActions(bool value) { updateActions_ = value; }
  // The width at which the items wrap while the toolbar floats; 0 does not wrap.
  int FloatingRightX() const { return floatingRightX_; }
  TRaised SetFloatingRightX(int value);

  // The rows (columns of a vertical bar) of the last layout.
  int WrappedLines() const { return wrappedLines_; }
  int LayoutNesting() const { return layoutNesting_; }
  bool InMouseTracking() const { return inMouseTracking_; }
  // The size of the laid-out items, as the view reported it last.
  SIZE LaidOutSize() const { return baseSize_; }

  // Opens the bar from the keyboard: key 0 selects the first item, another key the item with that accelerator
  // (only primary accelerators when requirePrimary). Answers whether the key was taken.
  bool KeyboardOpen(wchar_t key, bool requirePrimary);
  // The same, telling also whether the bar outlived the handlers the opening raised.
  TRaised KeyboardOpen(wchar_t key, bool requirePrimary, bool& taken);
  // The client sizes the toolbar can have floating, widest first; the answer is whether the bar outlived the
  // measuring handlers.
  TRaised GetFloatingSizes(std::vector<TBarFloatingSize>& sizes);

  TShortCutEvent OnShortCut;

  TRaised Arrange() override;
  TRaised LayoutForDock(bool canMoveControls, TBarDockType previousDockType, SIZE& size, TBarDock* dockingTo,
                        bool floating) override;
  TRaised BaseSize(SIZE& size) override;
  bool ChildControlAt(POINT point, TControl*& found) const override;
  TRaised GetMinShrinkSize(int& size) override;
  TBarShrinkMode GetShrinkMode() const override { return shrinkMode_; }
  TRaised ReadPositionData(TDockPositionStore& store) override;
  void WritePositionData(TDockPositionStore& store) override;
  TRaised InitiateAction() override;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, int order) override;
  void GetTabOrderList(std::vector<TWinControl*>& list) const override;
  void Dispatch(TMessage& message) override;

 protected:
  TBarCustomToolbar(TComponent* owner, const TBarToolbarClasses& classes);
  TRaised Loaded() override;
  TRaised Paint() override;
  TRaised MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  TRaised MouseMove(TShiftState shift, int x, int y) override;
  TRaised MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  TRaised DoContextPopup(POINT mousePos, bool& handled) override;
  TRaised SizingStarted(int side) override;
  void SizingNewRect(RECT& rect) override;
  TRaised SizingBeforeApply() override;
  void SizingEnded() override;

 private:
  friend class TBarToolbarView;
  // The view and the items go before the rest of the toolbar, the view first.
  void DestroyViewAndItems();
  // A floating resize in progress.
  struct TResizeState {
    int Side = 0;
    std::vector<TBarFloatingSize> Sizes;  // window sizes, largest first along the sizing direction
    RECT StartRect{};
    RECT LastRect{};  // the rectangle of the last step
    int ClientOffset = 0;
    bool Changed = false;
    bool Shrinking = false;
    int SnapDistance = 0;
    int Current = 0;  // the length now
    int RightX = 0;   // the wrap width of the size chosen last
    bool Horizontal() const { return Side == HTLEFT || Side == HTRIGHT; }
    int Length(SIZE size) const { return Horizontal() ? size.cx : size.cy; }
  };

  // Orientation, chevron limit and wrap width of the view for where the toolbar is.
  void UpdateViewLimits();
  // The chevron limit and wrap width the toolbar has on dock (floating when floating is set).
  void LimitsFor(TBarDock* dock, bool floating, int& chevronOffset, int& wrapOffset) const;
  // The view's wrap width for a floating client width (0: no wrapping).
  int FloatingWrapOffset(int rightX) const;
  // A full-size bar is at least as long as its wrap width.
  void RaiseToWrapWidth(SIZE& size, TBarViewOrientation orientation, int wrapOffset) const;
  // Both raise the items' OnSelect: the answer is whether the bar outlived them.
  TRaised ClearMouseSelection();
  TRaised SelectUnder(POINT clientPoint);
  void AddControlItem(TControl* control);
  void RemoveControlItems(TControl* control);
  void WMSysCommand(TMessage& message);
  void WMSetCursor(TMessage& message);
  void CMHintShow(TMessage& message);

  SIZE baseSize_{};
  TBarChevronItem* chevronItem_ = nullptr;
  bool chevronMoveItems_ = true;
  int layoutNesting_ = 0;
  int floatingRightX_ = 0;
  bool inMouseTracking_ = false;
  TBarCustomItem* items_ = nullptr;
  int wrappedLines_ = 0;
  bool menuBar_ = false;
  bool processShortCuts_ = false;
  TBarShrinkMode shrinkMode_ = TBarShrinkMode::tbsmChevron;
  std::unique_ptr<TResizeState> resizeState_;
  bool systemFont_ = true;
  bool updateActions_ = true;
  TBarToolbarView* view_ = nullptr;
  // Layouts asked for by the toolbar itself, which takes the size afterwards.
  int sizingLayouts_ = 0;
};

}  // namespace toolbars

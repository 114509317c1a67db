// The row of column buttons above a tree. It lives in the tree's non-client area: the tree reserves its height,
// paints it there and hands it every message first. The header owns the columns, reacts to clicks, border
// resizing, column dragging and hot tracking, and raises the tree's header events.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/graphics.h"
#include "framework/image_list.h"
#include "framework/messages.h"
#include "framework/set.h"
#include "tree/tree_columns.h"

class TPopupMenu;

namespace tree {

class TTreeDragImage;

enum class TTreeHeaderOption {
  hoAutoResize,
  hoColumnResize,
  hoDblClickResize,
  hoDrag,
  hoHotTrack,
  hoOwnerDraw,
  hoRestrictDrag,
  hoShowHint,
  hoShowImages,
  hoShowSortGlyphs,
  hoVisible
};
using TTreeHeaderOptions = TSet<TTreeHeaderOption, 16>;
enum class TTreeHeaderStyle { hsThickButtons, hsFlatButtons, hsPlates, hsXPStyle };
enum class THeaderState { hsDragging = 1, hsDragPending = 2, hsTracking = 4, hsTrackPending = 5 };
using THeaderStates = TSet<THeaderState, 8>;

constexpr int DefaultHeaderHeight = 17;
constexpr UINT HeaderTimerInterval = 50;

class TTreeHeader : public TPersistent {
  BC_CLASS(TTreeHeader, TPersistent)
  explicit TTreeHeader(TBaseTree* owner = nullptr);
  ~TTreeHeader() override;
  TTreeHeader(const TTreeHeader&) = delete;
  TTreeHeader& operator=(const TTreeHeader&) = delete;

  TColumnIndex AutoSizeIndex() const { return autoSizeIndex_; }
  void SetAutoSizeIndex(TColumnIndex value);
  TColor Background() const { return background_; }
  void SetBackground(TColor value);
  TTreeColumns* Columns() const { return columns_.get(); }
  void SetColumns(const TTreeColumns* value) { columns_->Assign(value); }
  TFont* Font() const { return font_.get(); }
  void SetFont(const TFont* value);
  int Height() const { return height_; }
  void SetHeight(int value);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* value);
  TColumnIndex MainColumn() const;
  // Answers whether the tree outlived the handlers the change raises.
  TRaised SetMainColumn(TColumnIndex value);
  TTreeHeaderOptions Options() const { return options_; }
  // Answers whether the tree outlived OnColumnResize of the column sized to fit.
  TRaised SetOptions(TTreeHeaderOptions value);
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* value) { popupMenu_ = value; }
  TColumnIndex SortColumn() const { return sortColumn_; }
  TRaised SetSortColumn(TColumnIndex value);
  TSortDirection SortDirection() const { return sortDirection_; }
  TRaised SetSortDirection(TSortDirection value);
  TTreeHeaderStyle Style() const { return style_; }
  void SetStyle(TTreeHeaderStyle value);
  THeaderStates States() const { return states_; }
  TTreeDragImage* DragImage() const { return dragImage_.get(); }

  void Assign(const TPersistent* source) override;
  // Redraws a column's part of the header (null: the whole header), with expandToRight up to its right edge.
  void Invalidate(const TTreeColumn* column, bool expandToRight = false);
  void RecalculateHeader();
  // The header rectangle in window coordinates: the band of Height just above the client area.
  RECT HeaderRect() const;
  // P in tree client coordinates.
  bool InHeader(POINT p) const;
  // A resizable column's right border lies under P (tree coordinates, header height added); sets TrackIndex.
  bool DetermineSplitterIndex(POINT p);
  TRaised AutoFitColumns();
  TRaised RestoreColumns();
  // The tree hands every message here first; true when the header handled it.
  bool HandleMessage(TMessage& message);
  static TShiftState GetShiftState();
  bool UseColumns() const { return columns_->Count() > 0; }
  TBaseTree* Tree() const { return owner_; }
  TPersistent* GetOwner() const override;
  const TPublishedTable& PublishedTable() const override;

 private:
  friend class TTreeColumns;
  void FontChanged(TObject* sender);
  void ImageListChanged(TObject* sender);
  void StartHeaderTimer();
  void StopHeaderTimer();
  // Screen point of a message as header coordinates (tree client X, Y from the header's top).
  POINT ToHeader(POINT client) const;
  bool HandleButtonUp(TMessage& message, bool nonClient, POINT client);
  bool HandleMouseMove(TMessage& message);
  TRaised PrepareColumnDrag(POINT client);
  void DragTo(POINT screen);
  void EndColumnDrag();
  void HeaderTimerTick();
  bool HandleSetCursor(TMessage& message);
  TRaised ApplyAutoSort();

  TBaseTree* owner_;
  std::unique_ptr<TTreeColumns> columns_;
  int height_ = DefaultHeaderHeight;
  std::unique_ptr<TFont> font_;
  TTreeHeaderOptions options_{TTreeHeaderOption::hoColumnResize, TTreeHeaderOption::hoDrag};
  THeaderStates states_;
  int leftTrackPos_ = 0;
  TTreeHeaderStyle style_ = TTreeHeaderStyle::hsThickButtons;
  TColor background_ = clBtnFace;
  TColumnIndex autoSizeIndex_ = NoColumn;
  TPopupMenu* popupMenu_ = nullptr;
  TColumnIndex mainColumn_ = NoColumn;
  TCustomImageList* images_ = nullptr;
  std::unique_ptr<TChangeLink> imageChangeLink_;
  TColumnIndex sortColumn_ = NoColumn;
  TSortDirection sortDirection_ = TSortDirection::sdAscending;
  POINT trackStart_{};
  POINT dragStart_{};
  std::unique_ptr<TTreeDragImage> dragImage_;
};

}  // namespace tree

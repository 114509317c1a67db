// The columns of a tree's header: each column a collection item with caption, width limits, alignment and glyph
// layout; the collection keeps display positions apart from creation indexes, lays the columns out, answers hit
// tests, sizes the auto-size column and paints the header's buttons.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/alignment.h"
#include "framework/bitmap.h"
#include "framework/collection.h"
#include "framework/control.h"
#include "framework/set.h"
#include "framework/visual_styles.h"
#include "tree/tree_events.h"

namespace tree {

class TBaseTree;
class TTreeHeader;
class TTreeColumns;

enum class TTreeHeaderColumnLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum class TTreeColumnOption {
  coAllowClick,
  coDraggable,
  coEnabled,
  coParentBidiMode,
  coParentColor,
  coResizable,
  coShowDropMark,
  coVisible
};
using TTreeColumnOptions = TSet<TTreeColumnOption, 8>;
constexpr unsigned long long DefaultColumnOptionBits = 0xFF;
enum class TTreeColumnStyle { vsText, vsOwnerDraw };

constexpr int DefaultColumnWidth = 50;
constexpr int DefaultColumnMinWidth = 10;
constexpr int DefaultColumnMaxWidth = 10000;
constexpr int DefaultColumnMargin = 4;
constexpr int DefaultColumnSpacing = 4;

class TTreeColumn : public TCollectionItem {
  BC_CLASS(TTreeColumn, TCollectionItem)
  explicit TTreeColumn(TCollection* collection = nullptr);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TBiDiMode BiDiMode() const { return biDiMode_; }
  void SetBiDiMode(TBiDiMode value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  const String& Hint() const { return hint_; }
  void SetHint(const String& value) { hint_ = value; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  TTreeHeaderColumnLayout Layout() const { return layout_; }
  void SetLayout(TTreeHeaderColumnLayout value);
  int Margin() const { return margin_; }
  void SetMargin(int value);
  int MaxWidth() const { return maxWidth_; }
  TRaised SetMaxWidth(int value);
  int MinWidth() const { return minWidth_; }
  TRaised SetMinWidth(int value);
  TTreeColumnOptions Options() const { return options_; }
  void SetOptions(TTreeColumnOptions value);
  int Position() const { return position_; }
  // Clamped to the valid positions; the columns between the old and the new position shift by one.
  void SetPosition(int value);
  int Spacing() const { return spacing_; }
  void SetSpacing(int value);
  TTreeColumnStyle Style() const { return style_; }
  void SetStyle(TTreeColumnStyle value);
  int Tag() const { return tag_; }
  void SetTag(int value) { tag_ = value; }
  const String& Text() const { return text_; }
  void SetText(const String& value);
  int Width() const { return width_; }
  // The width setters answer whether the tree outlived OnColumnResize.
  TRaised SetWidth(int value);
  int LastWidth() const { return lastWidth_; }
  // The left edge within the header, without scrolling.
  int Left() const { return left_; }

  String DisplayName() const override;
  // The left edge with the tree's horizontal scroll offset applied.
  int GetLeft() const;
  void GetAbsoluteBounds(int& left, int& right) const;
  // The header rectangle (window coordinates) narrowed to this column.
  RECT GetRect() const;
  TRaised RestoreLastWidth();
  // Assign's part that raises OnColumnResize.
  TRaised AssignWidths(const TTreeColumn& other);
  bool UseRightToLeftReading() const { return biDiMode_ != TBiDiMode::bdLeftToRight; }
  void ParentBiDiModeChanged();
  void ParentColorChanged();
  void Assign(const TPersistent* source) override;
  TTreeColumns* Owner() const;
  TBaseTree* Tree() const;

  // The caption and glyph places inside client for this column (see the header's painting).
  void ComputeHeaderLayout(HDC dc, const RECT& client, bool useSortGlyph, bool useHeaderGlyph, POINT& sortGlyphPos,
                           POINT& headerGlyphPos, RECT& textBounds) const;

  const TPublishedTable& PublishedTable() const override;
  void DefineProperties(TFiler& filer) override;

 private:
  friend class TTreeColumns;
  bool ParentBidiStored() const { return !options_.Contains(TTreeColumnOption::coParentBidiMode); }
  bool ParentColorStored() const { return !options_.Contains(TTreeColumnOption::coParentColor); }

  TAlignment alignment_ = TAlignment::taLeftJustify;
  TBiDiMode biDiMode_ = TBiDiMode::bdLeftToRight;
  TColor color_ = clWindow;
  String hint_;
  int imageIndex_ = -1;
  TTreeHeaderColumnLayout layout_ = TTreeHeaderColumnLayout::blGlyphLeft;
  int margin_ = DefaultColumnMargin;
  int maxWidth_ = DefaultColumnMaxWidth;
  int minWidth_ = DefaultColumnMinWidth;
  TTreeColumnOptions options_ = TTreeColumnOptions::FromBits(DefaultColumnOptionBits);
  int position_ = 0;
  int spacing_ = DefaultColumnSpacing;
  TTreeColumnStyle style_ = TTreeColumnStyle::vsText;
  int tag_ = 0;
  String text_;
  int width_ = DefaultColumnWidth;
  int left_ = 0;
  int lastWidth_ = DefaultColumnWidth;
};

class TTreeColumns : public TCollection {
  BC_CLASS(TTreeColumns, TCollection)
  explicit TTreeColumns(TTreeHeader* header = nullptr);
  ~TTreeColumns() override;

  TTreeColumn* Items(int index) const { return static_cast<TTreeColumn*>(TCollection::Items(index)); }
  TTreeColumn* Add() { return static_cast<TTreeColumn*>(TCollection::Add()); }
  TTreeHeader* Header() const { return header_; }
  TBaseTree* Tree() const;

  void Assign(const TPersistent* source) override;
  // The column under P (tree coordinates, header height added to Y); InvalidColumn outside every column.
  TColumnIndex ColumnFromPosition(POINT p, bool relative = true) const;
  TColumnIndex GetColumnAndBounds(POINT p, int& left, int& right, bool relative = true) const;
  // NoColumn stands for the whole client width.
  void GetColumnBounds(TColumnIndex column, int& left, int& right) const;
  TColumnIndex GetFirstVisibleColumn() const;
  TColumnIndex GetLastVisibleColumn() const;
  TColumnIndex GetNextColumn(TColumnIndex column) const;
  TColumnIndex GetPreviousColumn(TColumnIndex column) const;
  TColumnIndex GetNextVisibleColumn(TColumnIndex column) const;
  TColumnIndex GetPreviousVisibleColumn(TColumnIndex column) const;
  std::vector<TTreeColumn*> GetVisibleColumns() const;
  bool IsValidColumn(TColumnIndex column) const { return column >= 0 && column < Count(); }
  int TotalWidth() const;
  // The column index shown at a display position.
  TColumnIndex PositionToIndex(int position) const { return positionToIndex_.at(position); }
  // Counts the columns added, removed and moved: code that goes through the columns while it raises handlers,
  // which may change them, stops when the count moved.
  std::uint64_t LayoutChanges() const { return layoutChanges_; }

  bool AdjustHoverColumn(POINT p);
  TColumnIndex AdjustDownColumn(POINT p);
  TRaised HandleClick(POINT p, TMouseButton button, bool force);
  TRaised AnimatedResize(TColumnIndex column, int newWidth);
  // Paints the header's part r (header coordinates) into dc, the columns shifted by hOffset.
  TRaised PaintHeader(HDC dc, const RECT& r, int hOffset);
  // Paints r of dc as the header's part right of the last column; after PaintHeader, which opens its theme.
  void PaintEmptyHeader(HDC dc, const RECT& r);
  // Lets go of the paint bitmap and of the theme data opened for the tree's window, when the window goes.
  void ReleaseCachedResources();
  void DrawButtonText(HDC dc, const String& caption, const RECT& bounds, bool enabled, bool hot, UINT drawFormat);
  TRaised AdjustAutoSize(TColumnIndex column, bool force = false);

  TColumnIndex HoverIndex() const { return hoverIndex_; }
  TColumnIndex DownIndex() const { return downIndex_; }
  TColumnIndex TrackIndex() const { return trackIndex_; }
  TColumnIndex ClickIndex() const { return clickIndex_; }
  // A press in the tree's client area remembers its column here, so that the release can report a column click.
  void SetClickIndex(TColumnIndex value) { clickIndex_ = value; }
  TColumnIndex DragIndex() const { return dragIndex_; }
  TColumnIndex DropTarget() const { return dropTarget_; }
  bool DropBefore() const { return dropBefore_; }

 protected:
  void Update(TCollectionItem* item) override;
  void Notify(TCollectionItem* item, TCollectionNotification action) override;

 private:
  // Gives the auto-size column the room the other visible columns leave; answers the column whose width changed
  // (InvalidColumn when none), whose OnColumnResize is the caller's to raise.
  TColumnIndex FitAutoSizeColumn(TColumnIndex column, bool force);

  std::uint64_t layoutChanges_ = 0;
  friend class TTreeColumn;
  friend class TTreeHeader;

  void AdjustPositions(bool force = false);
  void FixPositions();
  void MoveToPosition(TTreeColumn* column, int position);
  // Repaints a column's part of the header (invalid indexes are ignored).
  void InvalidateColumn(TColumnIndex column);
  void DrawXPButton(HDC dc, const RECT& r, bool drawSplitter, bool hot, bool pressed);
  TRaised PaintColumn(HDC dc, TTreeColumn& column, const RECT& button, UINT rightBorderFlag);

  TTreeHeader* header_;
  TBitmap headerBitmap_;
  std::unique_ptr<TThemeData> headerTheme_;
  TColumnIndex hoverIndex_ = NoColumn;
  TColumnIndex downIndex_ = NoColumn;
  TColumnIndex trackIndex_ = NoColumn;
  TColumnIndex clickIndex_ = NoColumn;
  std::vector<TColumnIndex> positionToIndex_;
  TColumnIndex dragIndex_ = NoColumn;
  TColumnIndex dropTarget_ = NoColumn;
  bool dropBefore_ = false;
};

}  // namespace tree

#include "tree/tree_columns.h"

#include <vssym32.h>

#include <algorithm>
#include <cstdio>

#include "framework/form_reader.h"
#include "framework/form_writer.h"
#include "framework/properties.h"
#include "tree/base_tree.h"
#include "tree/tree_drawing.h"
#include "tree/tree_header.h"

namespace tree {

namespace {

using O = TTreeColumnOption;
using HO = TTreeHeaderOption;

// Sort glyphs and drop marks are drawn in a square of this size.
constexpr int GlyphSize = 16;

// DrawEdge edges and flags of a header button, by style: normal, pressed, raised.
struct TButtonEdge {
  UINT Edge;
  UINT Flags;
};
struct TStyleEdges {
  TButtonEdge Normal, Pressed, Raised;
};
constexpr TStyleEdges StyleEdges[] = {
    {{EDGE_RAISED, 0x380B}, {EDGE_RAISED, 0x780F}, {0, 0}},                             // hsThickButtons
    {{BDR_RAISEDINNER, 0x280B}, {BDR_SUNKENOUTER, 0x280F}, {0, 0}},                     // hsFlatButtons
    {{BDR_RAISEDINNER, 0x380F}, {BDR_SUNKENOUTER, 0x280F}, {BDR_RAISEDINNER, 0x280B}},  // hsPlates
    {{BDR_RAISEDINNER, 0x380F}, {BDR_SUNKENOUTER, 0x280F}, {BDR_RAISEDINNER, 0x280B}},  // hsXPStyle
};

// The flat look's colours, 0x00BBGGRR.
constexpr COLORREF XPFillPressed = 0xD8DFDE;
constexpr COLORREF XPFillHot = 0xF3F8FA;
constexpr COLORREF XPFillNormal = 0xDBEAEB;
constexpr COLORREF XPSplitter = 0xB2C5C7;
constexpr COLORREF XPPressedOutline = 0x97A5A5;
constexpr COLORREF XPPressedInner1 = 0xB8C2C1;
constexpr COLORREF XPPressedInner2 = 0xC9D1D0;
constexpr COLORREF XPBottomLine = 0xB8C7CB;
constexpr COLORREF XPHotLine = 0x31B2F8;

// One step darker: the rounded thirds of 32 and 35 off red, and off green and blue.
COLORREF Darker(COLORREF color) {
  auto less = [](int value, int by) { return std::max(0, value - by); };
  return RGB(less(GetRValue(color), 11), less(GetGValue(color), 12), less(GetBValue(color), 12));
}

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF color) {
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void Fill(HDC dc, const RECT& r, COLORREF color) {
  SetBkColor(dc, color);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

// A solid triangle in the glyph square at (x, y): pointing up, down, left or right.
enum class TArrow { Up, Down, Left, Right };
void DrawArrow(HDC dc, int x, int y, TArrow arrow, COLORREF color) {
  POINT p[3];
  int c = GlyphSize / 2;
  switch (arrow) {
    case TArrow::Up:
      p[0] = {x + c - 4, y + c + 2}, p[1] = {x + c + 4, y + c + 2}, p[2] = {x + c, y + c - 2};
      break;
    case TArrow::Down:
      p[0] = {x + c - 4, y + c - 2}, p[1] = {x + c + 4, y + c - 2}, p[2] = {x + c, y + c + 2};
      break;
    case TArrow::Left:
      p[0] = {x + c + 2, y + c - 4}, p[1] = {x + c + 2, y + c + 4}, p[2] = {x + c - 2, y + c};
      break;
    case TArrow::Right:
      p[0] = {x + c - 2, y + c - 4}, p[1] = {x + c - 2, y + c + 4}, p[2] = {x + c + 2, y + c};
      break;
  }
  HBRUSH brush = CreateSolidBrush(color);
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
  Polygon(dc, p, 3);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

bool HasWideCharacter(const String& text) {
  return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c > 255; });
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// TTreeColumn

TTreeColumn::TTreeColumn(TCollection* collection) : TCollectionItem(collection) {
  if (auto* columns = Owner()) {
    position_ = columns->Count() - 1;
    if (TBaseTree* tree = columns->Tree()) {
      biDiMode_ = tree->BiDiMode();
      color_ = tree->Color();
    }
    // The collection laid the columns out before this part of the item existed.
    columns->AdjustPositions();
  }
}

TTreeColumns* TTreeColumn::Owner() const { return static_cast<TTreeColumns*>(Collection()); }

TBaseTree* TTreeColumn::Tree() const { return Owner() ? Owner()->Tree() : nullptr; }

namespace {

bool TreeQuiet(const TBaseTree* tree) { return !tree || tree->IsLoading(); }

void RepaintTree(TBaseTree* tree) {
  if (tree && !tree->IsLoading() && tree->HandleAllocated()) tree->Invalidate();
}

}  // namespace

void TTreeColumn::SetAlignment(TAlignment value) {
  if (alignment_ == value) return;
  alignment_ = value;
  Changed(false);
  RepaintTree(Tree());
}

void TTreeColumn::SetBiDiMode(TBiDiMode value) {
  if (biDiMode_ == value) return;
  biDiMode_ = value;
  options_ -= O::coParentBidiMode;
  Changed(false);
  RepaintTree(Tree());
}

void TTreeColumn::SetColor(TColor value) {
  if (color_ == value) return;
  color_ = value;
  options_ -= O::coParentColor;
  Changed(false);
  RepaintTree(Tree());
}

void TTreeColumn::SetImageIndex(int value) {
  if (imageIndex_ == value) return;
  imageIndex_ = value;
  Changed(false);
}

void TTreeColumn::SetLayout(TTreeHeaderColumnLayout value) {
  if (layout_ == value) return;
  layout_ = value;
  Changed(false);
}

void TTreeColumn::SetSpacing(int value) {
  if (spacing_ == value) return;
  spacing_ = value;
  Changed(false);
}

void TTreeColumn::SetStyle(TTreeColumnStyle value) {
  if (style_ == value) return;
  style_ = value;
  Changed(false);
}

void TTreeColumn::SetMargin(int value) {
  if (value < 0) value = DefaultColumnMargin;
  if (margin_ == value) return;
  margin_ = value;
  Changed(false);
}

TRaised TTreeColumn::SetMaxWidth(int value) {
  value = std::clamp(value, minWidth_, DefaultColumnMaxWidth);
  if (maxWidth_ == value) return TRaised(true);
  maxWidth_ = value;
  return SetWidth(width_);
}

TRaised TTreeColumn::SetMinWidth(int value) {
  value = std::clamp(value, 0, maxWidth_);
  if (minWidth_ == value) return TRaised(true);
  minWidth_ = value;
  return SetWidth(width_);
}

void TTreeColumn::SetOptions(TTreeColumnOptions value) {
  if (options_ == value) return;
  TTreeColumnOptions toBeSet = value - options_;
  bool visibleChanged = options_.Contains(O::coVisible) != value.Contains(O::coVisible);
  options_ = value;
  if (TBaseTree* tree = Tree()) {
    if (toBeSet.Contains(O::coParentBidiMode)) biDiMode_ = tree->BiDiMode();
    if (toBeSet.Contains(O::coParentColor)) color_ = tree->Color();
  }
  Changed(false);
  TBaseTree* tree = Tree();
  if ((visibleChanged || toBeSet.Contains(O::coParentColor)) && !TreeQuiet(tree) && Owner()->UpdateCount() == 0) {
    RepaintTree(tree);
    if (visibleChanged && tree->HandleAllocated()) tree->UpdateScrollBars(true);
  }
}

void TTreeColumn::SetPosition(int value) {
  TTreeColumns* columns = Owner();
  if (!columns) return;
  // A position outside the array would index past it: the nearest valid one is meant.
  value = std::clamp(value, 0, columns->Count() - 1);
  if (position_ == value) return;
  columns->MoveToPosition(this, value);
  TBaseTree* tree = Tree();
  if (TreeQuiet(tree) || columns->UpdateCount() > 0) return;
  // OnEditCancelled may free the tree, or add or remove columns (this one among them): the repaint is theirs then.
  const TLifeWatch treeLife = tree->LifeWatch();
  const std::uint64_t changes = columns->LayoutChanges();
  tree->CancelEditNode();
  if (treeLife.Ended() || columns->LayoutChanges() != changes) return;
  columns->header_->Invalidate(this);
  RepaintTree(tree);
  if (tree->HandleAllocated()) tree->UpdateScrollBars(true);
}

void TTreeColumn::SetText(const String& value) {
  if (text_ == value) return;
  text_ = value;
  Changed(false);
}

TRaised TTreeColumn::SetWidth(int value) {
  value = std::clamp(value, minWidth_, maxWidth_);
  if (width_ == value) return TRaised(true);
  lastWidth_ = width_;
  TTreeColumns* columns = Owner();
  TTreeHeader* header = columns ? columns->header_ : nullptr;
  bool autoResize = header && header->Options().Contains(HO::hoAutoResize);
  bool isAutoSizeColumn = false;
  if (autoResize) {
    TColumnIndex candidate =
        columns->IsValidColumn(header->AutoSizeIndex()) ? header->AutoSizeIndex() : columns->Count() - 1;
    isAutoSizeColumn = candidate == Index();
  }
  if (!isAutoSizeColumn) {
    width_ = value;
    if (columns) columns->AdjustPositions();
  }
  TBaseTree* tree = Tree();
  if (!columns || TreeQuiet(tree) || columns->UpdateCount() > 0) return TRaised(true);
  // OnColumnResize may add or remove columns, this one among them, or free the tree.
  const std::uint64_t changes = columns->LayoutChanges();
  if (autoResize && columns->AdjustAutoSize(Index()).Gone()) return TRaised(false);
  if (columns->LayoutChanges() != changes) return TRaised(true);
  return tree->DoColumnResize(Index());
}

String TTreeColumn::DisplayName() const {
  if (!HasWideCharacter(text_)) return text_;
  wchar_t buffer[32];
  std::swprintf(buffer, 32, L"Column %d", Index());
  return buffer;
}

int TTreeColumn::GetLeft() const {
  TBaseTree* tree = Tree();
  return left_ + (tree ? tree->OffsetX() : 0);
}

void TTreeColumn::GetAbsoluteBounds(int& left, int& right) const {
  left = left_;
  right = left_ + width_;
}

RECT TTreeColumn::GetRect() const {
  TTreeColumns* columns = Owner();
  RECT r = columns && columns->header_ ? columns->header_->HeaderRect() : RECT{};
  r.left = left_;
  r.right = left_ + width_;
  return r;
}

TRaised TTreeColumn::RestoreLastWidth() {
  if (!Owner()) return TRaised(true);
  return Owner()->AnimatedResize(Index(), lastWidth_);
}

void TTreeColumn::ParentBiDiModeChanged() {
  TBaseTree* tree = Tree();
  if (!tree || !options_.Contains(O::coParentBidiMode) || tree->BiDiMode() == biDiMode_) return;
  biDiMode_ = tree->BiDiMode();
  Changed(false);
}

void TTreeColumn::ParentColorChanged() {
  TBaseTree* tree = Tree();
  if (!tree || !options_.Contains(O::coParentColor) || tree->Color() == color_) return;
  color_ = tree->Color();
  Changed(false);
}

void TTreeColumn::Assign(const TPersistent* source) {
  const auto* other = ObjectAs<const TTreeColumn>(source);
  if (!other) {
    TCollectionItem::Assign(source);
    return;
  }
  SetBiDiMode(other->biDiMode_);
  SetImageIndex(other->imageIndex_);
  SetLayout(other->layout_);
  SetMargin(other->margin_);
  SetPosition(other->position_);
  SetSpacing(other->spacing_);
  SetStyle(other->style_);
  SetText(other->text_);
  SetHint(other->hint_);
  SetOptions(other->options_);
  SetAlignment(other->alignment_);
  SetColor(other->color_);
  // The copy's last act: the widths raise OnColumnResize, which may free the tree and this column with it.
  if (AssignWidths(*other).Alive()) Changed(false);
}

TRaised TTreeColumn::AssignWidths(const TTreeColumn& other) {
  if (SetMaxWidth(other.maxWidth_).Gone() || SetMinWidth(other.minWidth_).Gone()) return TRaised(false);
  return SetWidth(other.width_);
}

void TTreeColumn::DefineProperties(TFiler& filer) {
  TCollectionItem::DefineProperties(filer);
  filer.DefineProperty(
      L"WideText", [this](TReader& reader) { text_ = reader.ReadString(); },
      [this](TWriter& writer) { writer.WriteString(text_); }, !text_.empty());
  filer.DefineProperty(
      L"WideHint", [this](TReader& reader) { hint_ = reader.ReadString(); },
      [this](TWriter& writer) { writer.WriteString(hint_); }, !hint_.empty());
}

const TPublishedTable& TTreeColumn::PublishedTable() const {
  using P = TPublished<TTreeColumn>;
  using C = TTreeColumn;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Enumeration(L"Alignment", &C::Alignment, &C::SetAlignment,
                         {L"taLeftJustify", L"taRightJustify", L"taCenter"})
              .Default(TAlignment::taLeftJustify),
          P::Enumeration(L"BiDiMode", &C::BiDiMode, &C::SetBiDiMode,
                         {L"bdLeftToRight", L"bdRightToLeft", L"bdRightToLeftNoAlign", L"bdRightToLeftReadingOnly"})
              .Stored(&C::ParentBidiStored),
          P::Color(L"Color", &C::Color, &C::SetColor).Stored(&C::ParentColorStored),
          P::Integer(L"ImageIndex", &C::ImageIndex, &C::SetImageIndex).Default(-1),
          P::Enumeration(L"Layout", &C::Layout, &C::SetLayout,
                         {L"blGlyphLeft", L"blGlyphRight", L"blGlyphTop", L"blGlyphBottom"})
              .Default(TTreeHeaderColumnLayout::blGlyphLeft),
          P::Integer(L"Margin", &C::Margin, &C::SetMargin).Default(DefaultColumnMargin),
          P::Integer(L"MaxWidth", &C::MaxWidth, &C::SetMaxWidth).Default(DefaultColumnMaxWidth),
          P::Integer(L"MinWidth", &C::MinWidth, &C::SetMinWidth).Default(DefaultColumnMinWidth),
          P::Set(L"Options", &C::Options, &C::SetOptions,
                 {L"coAllowClick", L"coDraggable", L"coEnabled", L"coParentBidiMode", L"coParentColor", L"coResizable",
                  L"coShowDropMark", L"coVisible"})
              .Default(TTreeColumnOptions::FromBits(DefaultColumnOptionBits)),
          P::Integer(L"Position", &C::Position, &C::SetPosition),
          P::Integer(L"Spacing", &C::Spacing, &C::SetSpacing).Default(DefaultColumnSpacing),
          P::Enumeration(L"Style", &C::Style, &C::SetStyle, {L"vsText", L"vsOwnerDraw"})
              .Default(TTreeColumnStyle::vsText),
          P::Integer(L"Tag", &C::Tag, &C::SetTag).Default(0),
          P::Integer(L"Width", &C::Width, &C::SetWidth).Default(DefaultColumnWidth),
      });
  return table;
}

void TTreeColumn::ComputeHeaderLayout(HDC dc, const RECT& client, bool useSortGlyph, bool useHeaderGlyph,
                                      POINT& sortGlyphPos, POINT& headerGlyphPos, RECT& textBounds) const {
  bool hasCaption = !text_.empty();
  if (!hasCaption && !useSortGlyph && !useHeaderGlyph) return;
  TTreeHeader* header = Owner()->header_;
  bool rightToLeft = UseRightToLeftReading();
  TAlignment alignment = alignment_;
  if (rightToLeft && alignment != TAlignment::taCenter)
    alignment = alignment == TAlignment::taLeftJustify ? TAlignment::taRightJustify : TAlignment::taLeftJustify;

  int w = client.right - client.left, h = client.bottom - client.top;
  SIZE glyph{};
  if (useHeaderGlyph && header->Images()) glyph = SIZE{header->Images()->Width(), header->Images()->Height()};
  SIZE sort = useSortGlyph ? SIZE{GlyphSize, GlyphSize} : SIZE{};
  SIZE text{};
  if (hasCaption) {
    GetTextExtentPoint32W(dc, text_.c_str(), static_cast<int>(text_.size()), &text);
    text.cx += 2;
  }
  int gap = hasCaption ? spacing_ : 0;
  sortGlyphPos = POINT{0, (h - sort.cy) / 2};
  headerGlyphPos = POINT{};
  textBounds = RECT{};
  int textX = 0, textY = (h - text.cy) / 2;
  bool verticalLayout = useHeaderGlyph && (layout_ == TTreeHeaderColumnLayout::blGlyphTop ||
                                           layout_ == TTreeHeaderColumnLayout::blGlyphBottom);

  if (!hasCaption && !useHeaderGlyph) {
    sortGlyphPos.x = (w - sort.cx) / 2;
  } else {
    // Vertical places.
    headerGlyphPos.y = (h - glyph.cy) / 2;
    if (verticalLayout) {
      int free = h - glyph.cy - text.cy;
      int first = (free - gap) / 2;
      if (layout_ == TTreeHeaderColumnLayout::blGlyphTop) {
        headerGlyphPos.y = first;
        textY = first + glyph.cy + gap;
      } else {
        textY = first;
        headerGlyphPos.y = first + text.cy + gap;
      }
    }
    bool glyphLeft = useHeaderGlyph && layout_ == TTreeHeaderColumnLayout::blGlyphLeft;
    bool glyphRight = useHeaderGlyph && layout_ == TTreeHeaderColumnLayout::blGlyphRight;
    int glyphAdvance = useHeaderGlyph ? glyph.cx + spacing_ : 0;
    // Left to right from x, as for left alignment; answers the right end.
    auto placeFrom = [&](int x) {
      if (glyphLeft) headerGlyphPos.x = x, x += glyphAdvance;
      textX = x;
      x += text.cx + gap;
      if (glyphRight) headerGlyphPos.x = x, x += glyphAdvance;
      return x;
    };
    switch (alignment) {
      case TAlignment::taLeftJustify: {
        int x = margin_;
        if (useSortGlyph && rightToLeft) sortGlyphPos.x = x, x += sort.cx + spacing_;
        int right;
        if (verticalLayout) {
          textX = x;
          headerGlyphPos.x = std::max<LONG>(x, (w - glyph.cx) / 2);
          right = std::max(x + text.cx + gap, headerGlyphPos.x + glyph.cx + spacing_);
        } else {
          right = placeFrom(x);
        }
        if (useSortGlyph && !rightToLeft) sortGlyphPos.x = right;
        break;
      }
      case TAlignment::taCenter: {
        int left, right;
        if (verticalLayout) {
          textX = (w - text.cx) / 2;
          headerGlyphPos.x = (w - glyph.cx) / 2;
          if (useSortGlyph) textX -= sort.cx / 2;
          left = std::min<LONG>(textX, headerGlyphPos.x);
          right = std::max(textX + text.cx, headerGlyphPos.x + glyph.cx);
        } else {
          left = (w - (useHeaderGlyph ? glyph.cx : 0) - gap - text.cx) / 2;
          right = placeFrom(left) - gap;
        }
        if (useSortGlyph) sortGlyphPos.x = rightToLeft ? left - spacing_ - sort.cx : right + spacing_;
        break;
      }
      case TAlignment::taRightJustify: {
        int x = w - margin_;
        if (useSortGlyph && !rightToLeft) sortGlyphPos.x = x - sort.cx, x = sortGlyphPos.x - spacing_;
        int left;
        if (verticalLayout) {
          textX = x - text.cx;
          headerGlyphPos.x = std::min((w - glyph.cx) / 2, x - spacing_ - glyph.cx);
          left = std::min<LONG>(textX, headerGlyphPos.x);
        } else {
          if (glyphRight) headerGlyphPos.x = x - glyph.cx, x -= glyphAdvance;
          textX = x - text.cx;
          x -= text.cx + gap;
          if (glyphLeft) headerGlyphPos.x = x - glyph.cx, x -= glyph.cx;
          left = x;
        }
        if (useSortGlyph && rightToLeft) sortGlyphPos.x = left - sort.cx;
        break;
      }
    }
  }

  // Keep everything inside the margins; the text gives way first.
  int maxX = w - margin_, minX = margin_;
  if (useSortGlyph) {
    if (!rightToLeft) {
      sortGlyphPos.x = std::max<LONG>(std::min<LONG>(sortGlyphPos.x, maxX - sort.cx), minX);
      maxX = sortGlyphPos.x - spacing_;
    } else {
      sortGlyphPos.x = std::max<LONG>(sortGlyphPos.x, minX);
      minX = sortGlyphPos.x + sort.cx + spacing_;
    }
  }
  if (useHeaderGlyph) {
    headerGlyphPos.x = std::min(headerGlyphPos.x, maxX - glyph.cx);
    if (layout_ == TTreeHeaderColumnLayout::blGlyphRight) maxX = headerGlyphPos.x - spacing_;
    headerGlyphPos.x = std::max<LONG>(headerGlyphPos.x, minX);
    if (layout_ == TTreeHeaderColumnLayout::blGlyphLeft) minX = headerGlyphPos.x + glyph.cx + spacing_;
  }
  if (hasCaption) {
    textBounds = RECT{std::max<LONG>(textX, minX), textY, std::min<LONG>(textX + text.cx, maxX), textY + text.cy};
    OffsetRect(&textBounds, client.left, client.top);
  }
  sortGlyphPos.x += client.left, sortGlyphPos.y += client.top;
  headerGlyphPos.x += client.left, headerGlyphPos.y += client.top;
}

// ---------------------------------------------------------------------------------------------------------------
// TTreeColumns

TTreeColumns::TTreeColumns(TTreeHeader* header)
    : TCollection(header && header->Tree() ? header->Tree()->GetColumnClass() : TTreeColumn::StaticClass(), header),
      header_(header) {
  headerBitmap_.SetPixelFormat(TPixelFormat::pf32bit);
}

TTreeColumns::~TTreeColumns() {
  // Items ask their collection for the tree while they go; they must find the collection still whole.
  Clear();
}

TBaseTree* TTreeColumns::Tree() const { return header_ ? header_->Tree() : nullptr; }

void TTreeColumns::Assign(const TPersistent* source) {
  TCollection::Assign(source);
  if (const auto* other = ObjectAs<const TTreeColumns>(source)) {
    if (other != this && other->positionToIndex_.size() == positionToIndex_.size()) {
      positionToIndex_ = other->positionToIndex_;
      AdjustPositions(true);
    }
  }
}

void TTreeColumns::Notify(TCollectionItem* item, TCollectionNotification action) {
  ++layoutChanges_;
  if (action == TCollectionNotification::cnAdded) {
    positionToIndex_.push_back(Count() - 1);
    return;
  }
  // A deleted item is extracted as it goes: that notification follows.
  if (action == TCollectionNotification::cnDeleting) return;
  // The removed index leaves the array; the indexes above it close the gap.
  TColumnIndex removed = item->Index();
  positionToIndex_.erase(std::remove(positionToIndex_.begin(), positionToIndex_.end(), removed),
                         positionToIndex_.end());
  for (TColumnIndex& index : positionToIndex_)
    if (index > removed) --index;
  for (TColumnIndex* index : {&hoverIndex_, &downIndex_, &trackIndex_, &clickIndex_, &dragIndex_, &dropTarget_})
    *index = NoColumn;
  // The tree's focused and edited columns follow their columns; a removed one is none any more (a handler may
  // remove columns while the tree works with them).
  if (TBaseTree* tree = Tree()) {
    for (TColumnIndex* index : {&tree->focusedColumn_, &tree->editColumn_}) {
      if (*index == removed)
        *index = NoColumn;
      else if (*index > removed)
        --*index;
    }
  }
}

void TTreeColumns::FixPositions() {
  // Collection moves (SetIndex) reorder items behind the array's back: keep it a permutation of the indexes.
  std::vector<bool> seen(Count(), false);
  std::vector<TColumnIndex> fixed;
  for (TColumnIndex index : positionToIndex_)
    if (IsValidColumn(index) && !seen[index]) seen[index] = true, fixed.push_back(index);
  for (int index = 0; index < Count(); ++index)
    if (!seen[index]) fixed.push_back(index);
  positionToIndex_ = std::move(fixed);
}

void TTreeColumns::AdjustPositions(bool force) {
  if (UpdateCount() > 0 && !force) return;
  int left = 0;
  for (int position = 0; position < static_cast<int>(positionToIndex_.size()); ++position) {
    TTreeColumn* column = Items(positionToIndex_[position]);
    column->position_ = position;
    column->left_ = left;
    if (column->options_.Contains(O::coVisible)) left += column->width_;
  }
}

void TTreeColumns::MoveToPosition(TTreeColumn* column, int position) {
  auto current = std::find(positionToIndex_.begin(), positionToIndex_.end(), column->Index());
  if (current == positionToIndex_.end()) return;
  positionToIndex_.erase(current);
  positionToIndex_.insert(positionToIndex_.begin() + position, column->Index());
  column->position_ = position;
  ++layoutChanges_;
  AdjustPositions(true);
}

void TTreeColumns::Update(TCollectionItem* item) {
  FixPositions();
  AdjustPositions(true);
  if (!header_) return;
  if (Count() > 0 && header_->mainColumn_ == NoColumn) header_->mainColumn_ = 0;
  TBaseTree* tree = Tree();
  if (!tree || tree->IsLoading() || tree->ComponentState().Contains(TComponentStateItem::csDestroying) ||
      header_->States().Contains(THeaderState::hsDragging))
    return;
  // The collection's notices answer nothing, so the auto-size column's OnColumnResize comes from the tree's window,
  // where a handler that frees the tree ends only that message.
  if (header_->Options().Contains(HO::hoAutoResize)) {
    const TColumnIndex resized = FitAutoSizeColumn(InvalidColumn, false);
    if (resized != InvalidColumn && tree->HandleAllocated()) tree->ColumnResizeLater(resized);
  }
  if (item) {
    header_->Invalidate(static_cast<TTreeColumn*>(item));
  } else if (tree->HandleAllocated()) {
    tree->UpdateScrollBars(true);
    header_->Invalidate(nullptr);
    tree->Invalidate();
  }
}

void TTreeColumns::InvalidateColumn(TColumnIndex column) {
  if (header_ && IsValidColumn(column)) header_->Invalidate(Items(column));
}

TColumnIndex TTreeColumns::GetColumnAndBounds(POINT p, int& left, int& right, bool relative) const {
  TBaseTree* tree = Tree();
  if (p.x < 0 || p.y < 0 || (tree && p.y > tree->Height())) return InvalidColumn;
  right = relative && tree ? tree->OffsetX() : 0;
  for (TColumnIndex index : positionToIndex_) {
    TTreeColumn* column = Items(index);
    if (!column->options_.Contains(O::coVisible)) continue;
    left = right;
    right += column->width_;
    if (p.x < right) return index;
  }
  return InvalidColumn;
}

TColumnIndex TTreeColumns::ColumnFromPosition(POINT p, bool relative) const {
  int left = 0, right = 0;
  return GetColumnAndBounds(p, left, right, relative);
}

void TTreeColumns::GetColumnBounds(TColumnIndex column, int& left, int& right) const {
  if (column == NoColumn || !IsValidColumn(column)) {
    TBaseTree* tree = Tree();
    left = 0;
    right = tree ? tree->ClientWidth() : 0;
    return;
  }
  Items(column)->GetAbsoluteBounds(left, right);
}

TColumnIndex TTreeColumns::GetFirstVisibleColumn() const {
  for (TColumnIndex index : positionToIndex_)
    if (Items(index)->options_.Contains(O::coVisible)) return index;
  return InvalidColumn;
}

TColumnIndex TTreeColumns::GetLastVisibleColumn() const {
  for (auto it = positionToIndex_.rbegin(); it != positionToIndex_.rend(); ++it)
    if (Items(*it)->options_.Contains(O::coVisible)) return *it;
  return InvalidColumn;
}

TColumnIndex TTreeColumns::GetNextColumn(TColumnIndex column) const {
  if (!IsValidColumn(column)) return InvalidColumn;
  int position = Items(column)->position_ + 1;
  return position < Count() ? positionToIndex_[position] : InvalidColumn;
}

TColumnIndex TTreeColumns::GetPreviousColumn(TColumnIndex column) const {
  if (!IsValidColumn(column)) return InvalidColumn;
  int position = Items(column)->position_ - 1;
  return position >= 0 ? positionToIndex_[position] : InvalidColumn;
}

TColumnIndex TTreeColumns::GetNextVisibleColumn(TColumnIndex column) const {
  for (column = GetNextColumn(column); column != InvalidColumn; column = GetNextColumn(column))
    if (Items(column)->options_.Contains(O::coVisible)) return column;
  return InvalidColumn;
}

TColumnIndex TTreeColumns::GetPreviousVisibleColumn(TColumnIndex column) const {
  for (column = GetPreviousColumn(column); column != InvalidColumn; column = GetPreviousColumn(column))
    if (Items(column)->options_.Contains(O::coVisible)) return column;
  return InvalidColumn;
}

std::vector<TTreeColumn*> TTreeColumns::GetVisibleColumns() const {
  std::vector<TTreeColumn*> result;
  for (TColumnIndex index : positionToIndex_)
    if (Items(index)->options_.Contains(O::coVisible)) result.push_back(Items(index));
  return result;
}

int TTreeColumns::TotalWidth() const {
  TColumnIndex last = GetLastVisibleColumn();
  return last == InvalidColumn ? 0 : Items(last)->left_ + Items(last)->width_;
}

TRaised TTreeColumns::AdjustAutoSize(TColumnIndex column, bool force) {
  const TColumnIndex resized = FitAutoSizeColumn(column, force);
  TBaseTree* tree = Tree();
  return resized != InvalidColumn && tree ? tree->DoColumnResize(resized) : TRaised(true);
}

TColumnIndex TTreeColumns::FitAutoSizeColumn(TColumnIndex column, bool force) {
  if (Count() == 0 || !header_) return InvalidColumn;
  TColumnIndex candidate = IsValidColumn(header_->AutoSizeIndex()) ? header_->AutoSizeIndex() : Count() - 1;
  if (IsValidColumn(column) && Items(column)->position_ >= Items(candidate)->position_) {
    candidate = GetNextVisibleColumn(column);
    if (candidate == InvalidColumn) return InvalidColumn;
  }
  TBaseTree* tree = Tree();
  int width = tree ? (tree->HandleAllocated() ? tree->ClientWidth() : tree->Width()) : 0;
  for (TTreeColumn* other : GetVisibleColumns())
    if (other->Index() != candidate) width -= other->width_;
  TTreeColumn* target = Items(candidate);
  width = std::clamp(width, target->minWidth_, target->maxWidth_);
  if (!force && width == target->width_) return InvalidColumn;
  target->lastWidth_ = target->width_;
  target->width_ = width;
  AdjustPositions(true);
  return candidate;
}

bool TTreeColumns::AdjustHoverColumn(POINT p) {
  TColumnIndex column = ColumnFromPosition(p);
  if (column == hoverIndex_) return false;
  TColumnIndex old = hoverIndex_;
  hoverIndex_ = column;
  InvalidateColumn(old);
  InvalidateColumn(column);
  return true;
}

TColumnIndex TTreeColumns::AdjustDownColumn(POINT p) {
  TColumnIndex column = ColumnFromPosition(p);
  if (column != downIndex_ && IsValidColumn(column) && Items(column)->options_.Contains(O::coAllowClick) &&
      Items(column)->options_.Contains(O::coEnabled)) {
    TColumnIndex old = downIndex_;
    downIndex_ = column;
    InvalidateColumn(old);
    InvalidateColumn(column);
  }
  return column;
}

TRaised TTreeColumns::HandleClick(POINT p, TMouseButton button, bool force) {
  TColumnIndex column = ColumnFromPosition(p);
  if (IsValidColumn(column) && Items(column)->options_.Contains(O::coAllowClick) && (column == downIndex_ || force)) {
    clickIndex_ = column;
    if (TBaseTree* tree = Tree()) {
      // OnHeaderClick may free the tree, and these columns with it.
      if (tree->DoHeaderClick(header_, column, button, TTreeHeader::GetShiftState(), p.x, p.y).Gone())
        return TRaised(false);
    }
    InvalidateColumn(column);
  } else {
    clickIndex_ = NoColumn;
  }
  return TRaised(true);
}

TRaised TTreeColumns::AnimatedResize(TColumnIndex column, int newWidth) {
  if (!IsValidColumn(column)) return TRaised(true);
  TBaseTree* tree = Tree();
  TTreeColumn* target = Items(column);
  int delta = (newWidth - target->width_) / 32;
  if (tree && tree->HandleAllocated() && delta != 0 && header_->Options().Contains(HO::hoVisible)) {
    HWND window = tree->Handle();
    HDC dc = GetWindowDC(window);
    RECT header = header_->HeaderRect();
    int edge = header.left + target->GetLeft() + target->width_;
    RECT windowRect{};
    GetWindowRect(window, &windowRect);
    RECT headerStrip{edge, header.top, header.right, header.bottom};
    RECT clientStrip{edge, header.bottom, header.right, header.bottom + tree->ClientHeight()};
    if (delta > 0) {
      RECT gap{edge, headerStrip.top, edge + delta, clientStrip.bottom};
      HBRUSH brush = CreateSolidBrush(ColorToRGB(tree->Color()));
      FillRect(dc, &gap, brush);
      DeleteObject(brush);
    } else {
      headerStrip.left += delta;
      clientStrip.left += delta;
    }
    for (int step = 0; step < 32; ++step) {
      ScrollDC(dc, delta, 0, &headerStrip, &headerStrip, nullptr, nullptr);
      ScrollDC(dc, delta, 0, &clientStrip, &clientStrip, nullptr, nullptr);
      headerStrip.left += delta;
      clientStrip.left += delta;
      Sleep(1);
    }
    ReleaseDC(window, dc);
  }
  return target->SetWidth(newWidth);
}

void TTreeColumns::DrawButtonText(HDC dc, const String& caption, const RECT& bounds, bool enabled, bool hot,
                                  UINT drawFormat) {
  String text = caption;
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  int width = bounds.right - bounds.left;
  if (extent.cx > width) text = ShortenWideText(dc, text, width, (drawFormat & DT_RTLREADING) != 0);
  SetBkMode(dc, TRANSPARENT);
  RECT r = bounds;
  if (enabled) {
    SetTextColor(dc, hot ? GetSysColor(COLOR_BTNSHADOW) : ColorToRGB(header_->Font()->Color()));
    DrawWideText(dc, text.c_str(), static_cast<int>(text.size()), r, drawFormat, false);
    return;
  }
  OffsetRect(&r, 1, 1);
  SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  DrawWideText(dc, text.c_str(), static_cast<int>(text.size()), r, drawFormat, false);
  r = bounds;
  SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
  DrawWideText(dc, text.c_str(), static_cast<int>(text.size()), r, drawFormat, false);
}

void TTreeColumns::DrawXPButton(HDC dc, const RECT& r, bool drawSplitter, bool hot, bool pressed) {
  Fill(dc, r, pressed ? XPFillPressed : hot ? XPFillHot : XPFillNormal);
  if (drawSplitter && !hot && !pressed) {
    Line(dc, r.right - 2, r.top + 3, r.right - 2, r.bottom - 5, XPSplitter);
    Line(dc, r.right - 1, r.top + 3, r.right - 1, r.bottom - 5, RGB(255, 255, 255));
  }
  if (pressed) {
    Line(dc, r.left, r.top, r.left, r.bottom - 1, XPPressedOutline);
    Line(dc, r.left, r.bottom - 1, r.right - 1, r.bottom - 1, XPPressedOutline);
    Line(dc, r.right - 1, r.bottom - 1, r.right - 1, r.top - 1, XPPressedOutline);
    Line(dc, r.left + 1, r.top, r.left + 1, r.bottom - 1, XPPressedInner1);
    Line(dc, r.left + 1, r.top, r.right - 1, r.top, XPPressedInner1);
    Line(dc, r.left + 2, r.top + 1, r.left + 2, r.bottom - 1, XPPressedInner2);
    Line(dc, r.left + 2, r.top + 1, r.right - 1, r.top + 1, XPPressedInner2);
  } else if (hot) {
    RECT underline{r.left, r.bottom - 3, r.right, r.bottom};
    Fill(dc, underline, XPHotLine);
  } else {
    Line(dc, r.left, r.bottom - 3, r.right, r.bottom - 3, Darker(XPFillNormal));
    Line(dc, r.left, r.bottom - 2, r.right, r.bottom - 2, Darker(Darker(XPFillNormal)));
    Line(dc, r.left, r.bottom - 1, r.right, r.bottom - 1, XPBottomLine);
  }
}

TRaised TTreeColumns::PaintColumn(HDC dc, TTreeColumn& column, const RECT& button, UINT rightBorderFlag) {
  TBaseTree* tree = Tree();
  TTreeHeaderOptions options = header_->Options();
  TColumnIndex index = column.Index();
  bool enabled = column.options_.Contains(O::coEnabled) && (!tree || tree->Enabled());
  bool hover = index == hoverIndex_ && options.Contains(HO::hoHotTrack) && column.options_.Contains(O::coEnabled);
  bool pressed = index == downIndex_;
  TTreeDropMarkMode dropMark = TTreeDropMarkMode::dmmNone;
  if (column.options_.Contains(O::coShowDropMark) && index == dropTarget_ && index != dragIndex_)
    dropMark = dropBefore_ ? TTreeDropMarkMode::dmmLeft : TTreeDropMarkMode::dmmRight;
  bool headerGlyph = options.Contains(HO::hoShowImages) && header_->Images() && column.imageIndex_ > -1;
  bool sortGlyph = index == header_->SortColumn() && options.Contains(HO::hoShowSortGlyphs);

  if (column.style_ == TTreeColumnStyle::vsOwnerDraw && options.Contains(HO::hoOwnerDraw) && tree &&
      tree->OnHeaderDraw && !tree->IsDesigning()) {
    return tree->DoHeaderDraw(header_, headerBitmap_.Canvas(), &column, button, hover, pressed, dropMark);
  }
  int style = static_cast<int>(header_->Style());
  bool themed = headerTheme_ && headerTheme_->IsOpen();
  if (themed) {
    int part = rightBorderFlag ? HP_HEADERITEM : HP_HEADERITEMLEFT;
    int state = pressed ? HIS_PRESSED : hover ? HIS_HOT : HIS_NORMAL;
    themed = headerTheme_->DrawBackground(dc, part, state, button);
  }
  if (!themed) {
    RECT r = button;
    if (header_->Style() == TTreeHeaderStyle::hsXPStyle) {
      DrawXPButton(dc, r, true, hover, pressed);
    } else {
      Fill(dc, r, ColorToRGB(header_->Background()));
      TButtonEdge edge = pressed ? StyleEdges[style].Pressed : StyleEdges[style].Normal;
      if (!pressed && header_->Style() == TTreeHeaderStyle::hsPlates && hover &&
          column.options_.Contains(O::coAllowClick) && enabled)
        edge = StyleEdges[style].Raised;
      DrawEdge(dc, &r, edge.Edge, edge.Flags | rightBorderFlag);
    }
  }

  int saved = SaveDC(dc);
  IntersectClipRect(dc, button.left, button.top, button.right, button.bottom);
  RECT content{button.left + 2, button.top + 2, button.right - 2, button.bottom - 2};
  if (pressed) OffsetRect(&content, 1, 1);
  POINT sortPos{}, glyphPos{};
  RECT textBounds{};
  column.ComputeHeaderLayout(dc, content, sortGlyph, headerGlyph, sortPos, glyphPos, textBounds);
  if (headerGlyph &&
      !(sortGlyph && !column.UseRightToLeftReading() && glyphPos.x + header_->Images()->Width() > sortPos.x))
    header_->Images()->Draw(headerBitmap_.Canvas(), glyphPos.x, glyphPos.y, column.imageIndex_, enabled);
  if (!column.text_.empty()) {
    UINT format = DT_LEFT | DT_SINGLELINE | DT_NOCLIP;
    if (column.UseRightToLeftReading()) format |= DT_RTLREADING;
    DrawButtonText(dc, column.text_, textBounds, enabled, hover && !themed, format);
  }
  COLORREF glyphColor = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_BTNSHADOW);
  if (sortGlyph)
    DrawArrow(dc, sortPos.x, sortPos.y,
              header_->SortDirection() == TSortDirection::sdAscending ? TArrow::Up : TArrow::Down, glyphColor);
  int markY = button.top + (button.bottom - button.top - GlyphSize) / 2;
  if (dropMark == TTreeDropMarkMode::dmmLeft) DrawArrow(dc, button.left, markY, TArrow::Right, glyphColor);
  if (dropMark == TTreeDropMarkMode::dmmRight) DrawArrow(dc, button.right - GlyphSize, markY, TArrow::Left, glyphColor);
  RestoreDC(dc, saved);
  return TRaised(true);
}

void TTreeColumns::ReleaseCachedResources() {
  headerTheme_.reset();
  headerBitmap_.SetSize(0, 0);
}

TRaised TTreeColumns::PaintHeader(HDC dc, const RECT& r, int hOffset) {
  if (!header_) return TRaised(true);
  TBaseTree* tree = Tree();
  int height = header_->Height();
  int width = std::max<int>(r.right, header_->HeaderRect().right - header_->HeaderRect().left);
  if (headerBitmap_.Width() < width || headerBitmap_.Height() != height) headerBitmap_.SetSize(width, height);
  bool useThemes = tree && tree->HasState(TTreeState::stUseThemes) && tree->HandleAllocated();
  if (useThemes && !headerTheme_) headerTheme_ = std::make_unique<TThemeData>(tree->Handle(), L"HEADER");
  if (!useThemes) headerTheme_.reset();

  TCanvas* canvas = headerBitmap_.Canvas();
  canvas->SetFont(header_->Font());
  HDC bitmapDC = canvas->Handle();
  SelectObject(bitmapDC, header_->Font()->Handle());

  TColumnIndex last = GetLastVisibleColumn();
  bool bevel = tree && tree->BevelKind() != TBevelKind::bkNone;
  int x = r.left + hOffset;
  for (TTreeColumn* column : GetVisibleColumns()) {
    if (x >= r.right) break;
    RECT button{x, 0, x + column->width_, height};
    x = button.right;
    if (button.right <= r.left) continue;
    UINT rightBorder = BF_RIGHT;
    if (column->Index() == last && header_->Style() != TTreeHeaderStyle::hsThickButtons &&
        header_->Options().Contains(HO::hoAutoResize) && bevel)
      rightBorder = 0;
    // An owner-drawn column's handler may free the tree, these columns with it, or add, remove or move columns:
    // the header is painted again then.
    const std::uint64_t changesBefore = layoutChanges_;
    if (PaintColumn(bitmapDC, *column, button, rightBorder).Gone()) return TRaised(false);
    if (layoutChanges_ != changesBefore) {
      header_->Invalidate(nullptr);
      return TRaised(true);
    }
  }
  RECT rest{std::max<int>(x, r.left), 0, r.right, height};
  if (rest.left < rest.right) PaintEmptyHeader(bitmapDC, rest);
  BitBlt(dc, r.left, r.top, r.right - r.left, std::min<int>(height, r.bottom - r.top), bitmapDC, r.left, 0, SRCCOPY);
  return TRaised(true);
}

void TTreeColumns::PaintEmptyHeader(HDC dc, const RECT& r) {
  if (!header_) return;
  if (headerTheme_ && headerTheme_->IsOpen() && headerTheme_->DrawBackground(dc, HP_HEADERITEMRIGHT, HIS_NORMAL, r))
    return;
  if (header_->Style() == TTreeHeaderStyle::hsXPStyle)
    DrawXPButton(dc, r, false, false, false);
  else
    Fill(dc, r, ColorToRGB(header_->Background()));
}

}  // namespace tree

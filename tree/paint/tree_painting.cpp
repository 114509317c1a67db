// The paint pipeline of TBaseTree: every visible row is painted into one reusable row bitmap (erase, cells with
// grid lines, selection, tree lines, buttons, check, state and normal images, content) and copied with one blit.
#include <vsstyle.h>

#include <algorithm>
#include <cmath>

#include "framework/bitmap.h"
#include "framework/image_list.h"
#include "framework/visual_styles.h"
#include "tree/base_tree.h"
#include "tree/paint/paint_resources.h"
#include "tree/tree_colors.h"
#include "tree/tree_columns.h"
#include "tree/tree_drawing.h"
#include "tree/tree_header.h"
#include "tree/tree_unit.h"

namespace tree {

namespace {

using PO = TTreePaintOption;
using PF = TTreePaintFlag;
using LT = TTreeLineType;

// Node state bit 10: every child of the node is hidden.
constexpr std::uint16_t AllChildrenHidden = 1u << 10;
constexpr int CheckImageSize = 16;

COLORREF RGBOf(TColor color) { return static_cast<COLORREF>(ColorToRGB(color)); }

void FillSolid(HDC dc, const RECT& r, COLORREF color) {
  SetDCBrushColor(dc, color);
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void RoundedRectangle(HDC dc, const RECT& r, COLORREF fill, COLORREF border, int radius) {
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
  SetDCBrushColor(dc, fill);
  SetDCPenColor(dc, border);
  RoundRect(dc, r.left, r.top, r.right, r.bottom, radius, radius);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
}

// Clips the row DC to one cell for as long as it lives, a cell whose handler raises too: the clip would otherwise
// stay saved in the row DC, and every later row be painted through it.
class TCellClip {
 public:
  TCellClip(HDC dc, const RECT* cell) : dc_(cell ? dc : nullptr) {
    if (!dc_) return;
    SaveDC(dc_);
    IntersectClipRect(dc_, cell->left, cell->top, cell->right, cell->bottom);
  }
  ~TCellClip() {
    if (dc_) RestoreDC(dc_, -1);
  }
  TCellClip(const TCellClip&) = delete;
  TCellClip& operator=(const TCellClip&) = delete;

 private:
  HDC dc_;
};

// The image's left edge; the image and a gap of 2 pixels leave the content rectangle on the reading side.
int TakeImageSpace(RECT& content, int width, bool rightToLeft) {
  if (rightToLeft) {
    content.right -= width + 2;
    return content.right + 2;
  }
  int x = content.left;
  content.left += width + 2;
  return x;
}

// The dotted and solid patterns of the line brush, as eight rows of 16 bits.
const WORD DottedRows[8] = {0x0055, 0x00AA, 0x0055, 0x00AA, 0x0055, 0x00AA, 0x0055, 0x00AA};
const WORD SolidRows[8] = {};

// The check image table by check state (six rows) and by disabled, disabled hot, enabled, enabled hot.
constexpr int CheckBoxImages[6][4] = {{12, 12, 9, 10},  {12, 12, 11, 11}, {16, 16, 13, 14},
                                      {16, 16, 15, 15}, {20, 20, 17, 18}, {20, 20, 19, 19}};
constexpr int RadioImages[6][4] = {{4, 4, 1, 2}, {4, 4, 3, 3},     {8, 8, 5, 6},
                                   {8, 8, 7, 7}, {20, 20, 17, 18}, {20, 20, 19, 19}};
constexpr int ButtonImages[6][4] = {{24, 24, 21, 22}, {24, 24, 23, 23}, {24, 24, 21, 22},
                                    {24, 24, 23, 23}, {20, 20, 17, 18}, {20, 20, 19, 19}};

}  // namespace

TRaised TBaseTree::PaintResources(TPaintResources*& resources) {
  const bool fresh = !paint_;
  if (fresh) paint_ = std::make_unique<TPaintResources>();
  bool themesDue = HandleAllocated() && paint_->ThemeWindow() != Handle();
  if (themesDue) {
    bool open = paint_->OpenThemes(Handle(), options_->PaintOptions().Contains(PO::toThemeAware));
    if (open)
      DoStateChange({TTreeState::stUseThemes});
    else
      DoStateChange({}, {TTreeState::stUseThemes});
  }
  resources = paint_.get();
  if (!fresh && !themesDue) return TRaised(true);
  PrepareButtons();
  if (!fresh && paint_->LineBrush()) return TRaised(true);
  // The resources go with a tree that OnGetLineStyle frees.
  return PrepareLineBrush();
}

void TBaseTree::PrepareButtons() {
  if (!paint_) return;
  TPaintResources& res = *paint_;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP buttons[2] = {CreateCompatibleBitmap(screen, ButtonSize, ButtonSize),
                        CreateCompatibleBitmap(screen, ButtonSize, ButtonSize)};
  ReleaseDC(nullptr, screen);
  COLORREF lineColor = RGBOf(colors_->TreeLineColor());
  COLORREF fontColor = RGBOf(Font()->Color());
  const RECT whole{0, 0, ButtonSize, ButtonSize};
  for (int i = 0; i < 2; ++i) {
    bool plus = i == 0;
    HGDIOBJ old = SelectObject(dc, buttons[i]);
    FillSolid(dc, whole, ButtonTransparentColor);
    if (buttonStyle_ == TButtonStyle::bsTriangle) {
      POINT minusShape[3] = {{0, 2}, {8, 2}, {4, 6}};
      POINT plusShape[3] = {{2, 0}, {6, 4}, {2, 8}};
      HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
      HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
      Polygon(dc, plus ? plusShape : minusShape, 3);
      SelectObject(dc, oldPen);
      SelectObject(dc, oldBrush);
    } else if (buttonFillMode_ == TButtonFillMode::fmShaded) {
      auto shaded = static_cast<HBITMAP>(LoadImageW(
          GetModuleHandleW(nullptr), plus ? L"TREE_XPBUTTONPLUS" : L"TREE_XPBUTTONMINUS", IMAGE_BITMAP, 0, 0, 0));
      if (shaded) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ oldSource = SelectObject(source, shaded);
        BitBlt(dc, 0, 0, ButtonSize, ButtonSize, source, 0, 0, SRCCOPY);
        SelectObject(source, oldSource);
        DeleteDC(source);
        DeleteObject(shaded);
      }
    } else {
      if (buttonFillMode_ == TButtonFillMode::fmTreeColor)
        FillSolid(dc, whole, RGBOf(Color()));
      else if (buttonFillMode_ == TButtonFillMode::fmWindowColor)
        FillSolid(dc, whole, GetSysColor(COLOR_WINDOW));
      SetDCBrushColor(dc, lineColor);
      FrameRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
      constexpr int mid = ButtonSize / 2;
      FillSolid(dc, RECT{2, mid, ButtonSize - 2, mid + 1}, fontColor);
      if (plus) FillSolid(dc, RECT{mid, 2, mid + 1, ButtonSize - 2}, fontColor);
    }
    if (res.ThemesOpen()) {
      FillSolid(dc, whole, ButtonTransparentColor);
      res.TreeTheme()->DrawBackground(dc, TVP_GLYPH, plus ? GLPS_CLOSED : GLPS_OPENED, whole);
    }
    SelectObject(dc, old);
  }
  DeleteDC(dc);
  res.SetButtons(buttons[0], buttons[1]);
}

TRaised TBaseTree::PrepareLineBrush() {
  if (!paint_) return TRaised(true);
  const void* bits = lineStyle_ == TLineStyle::lsSolid ? SolidRows : DottedRows;
  if (lineStyle_ == TLineStyle::lsCustomStyle && DoGetLineStyle(bits).Gone()) return TRaised(false);
  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, bits);
  paint_->SetLineBrush(CreatePatternBrush(pattern));
  DeleteObject(pattern);
  return TRaised(true);
}

int TBaseTree::GetCheckImage(PTreeNode node) const {
  if (!node || node->CheckType == TCheckType::ctNone) return -1;
  bool enabled = !node->Has(nsDisabled) && Enabled();
  int column = (enabled ? 2 : 0) + (node == hotNode_ ? 1 : 0);
  auto state = static_cast<int>(node->CheckState);
  if (state > 5) return -1;
  switch (node->CheckType) {
    case TCheckType::ctRadioButton:
      return RadioImages[state][column];
    case TCheckType::ctButton:
      return ButtonImages[state][column];
    default:
      return CheckBoxImages[state][column];
  }
}

int TBaseTree::VerticalAlignment(PTreeNode node) const {
  int height = node->NodeHeight;
  int align = node->Align;
  switch (nodeAlignment_) {
    case TNodeAlignment::naFromBottom:
      return height - align;
    case TNodeAlignment::naFromTop:
      return align;
    default:
      break;
  }
  TCustomImageList* list = images_ ? images_ : stateImages_;
  if (list) return MulDiv(height - list->Height(), align, 100) + list->Height() / 2;
  if (options_->PaintOptions().Contains(PO::toShowButtons))
    return MulDiv(height - ButtonSize, align, 100) + ButtonSize / 2;
  return MulDiv(height, align, 100);
}

// One entry per indentation level of the node (plus one with toShowRoot), outermost first.
void TBaseTree::DetermineLineImage(PTreeNode node) {
  bool showRoot = options_->PaintOptions().Contains(PO::toShowRoot);
  std::size_t count = GetNodeLevel(node) + (showRoot ? 1 : 0);
  lineImage_.assign(count, LT::ltNone);
  if (count == 0) return;
  std::size_t index = count - 1;
  // Each look at a sibling initializes it, and a handler may free nodes meanwhile: the image is left unfinished
  // then, for the painting to notice.
  const std::uint64_t freedBefore = freedNodes_;
  if (node->Parent == root_) {
    bool first = GetPreviousVisibleSibling(node) == nullptr;
    if (freedNodes_ != freedBefore) return;
    bool last = GetNextVisibleSibling(node) == nullptr;
    lineImage_[index] = first ? (last ? LT::ltRight : LT::ltBottomRight) : (last ? LT::ltTopRight : LT::ltTopDownRight);
  } else {
    lineImage_[index] = GetNextVisibleSibling(node) ? LT::ltTopDownRight : LT::ltTopRight;
  }
  if (freedNodes_ != freedBefore) return;
  for (PTreeNode ancestor = node->Parent; ancestor != root_ && index > 0;) {
    lineImage_[--index] = GetNextVisibleSibling(ancestor) ? LT::ltTopDown : LT::ltNone;
    if (freedNodes_ != freedBefore) return;
    ancestor = ancestor->Parent;
  }
}

TRaised TBaseTree::Paint() {
  TCanvas* canvas = Canvas();
  RECT clip = canvas->ClipRect();
  // The clip's rows may lie further down a tall tree than a rectangle reaches.
  RECT window{clip.left - offsetX_, 0, clip.right - offsetX_, clip.bottom - clip.top};
  return PaintTreeArea(canvas, window, clip.top - offsetY_, POINT{clip.left, clip.top}, WindowPaintFlags);
}

TRaised TBaseTree::PaintTree(TCanvas* target, RECT window, POINT targetPoint, TTreePaintFlags options) {
  return PaintTreeArea(target, RECT{window.left, 0, window.right, window.bottom - window.top}, window.top, targetPoint,
                       options);
}

TRaised TBaseTree::PaintTreeArea(TCanvas* target, RECT window, TTreePosition windowTop, POINT targetPoint,
                                 TTreePaintFlags options) {
  if (window.right <= window.left || window.bottom <= window.top) return TRaised(true);
  const TLifeWatch life = LifeWatch();
  DoStateChange({TTreeState::stPainting});
  // A handler may raise anywhere in the paint; the paint ends all the same, or the tree would never animate a
  // toggle again. One may free the tree: nothing of it is touched then.
  struct TPaintingEnd {
    const TLifeWatch& life;
    TTreeStates& states;
    ~TPaintingEnd() {
      if (!life.Ended()) states -= TTreeState::stPainting;
    }
  } paintingEnd{life, states_};
  if (DoBeforePaint(target).Gone()) return TRaised(false);
  TPaintResources* resources = nullptr;
  if (PaintResources(resources).Gone()) return TRaised(false);
  TPaintResources& res = *resources;
  HDC targetDC = target->Handle();
  const TTreePaintOptions paintOptions = options_->PaintOptions();
  const bool fullRowSelect = options_->SelectionOptions().Contains(TTreeSelectionOption::toFullRowSelect);
  TTreeColumns* columns = header_->Columns();
  const bool columnsInUse = columns->Count() > 0;
  const TColumnIndex mainColumn = header_->MainColumn();
  const bool backgroundInUse = paintOptions.Contains(PO::toShowBackground) && background_->Graphic() &&
                               background_->Graphic()->Is<TBitmap>() && !background_->Graphic()->Empty() &&
                               options.Contains(PF::tpBackground);
  const bool checksShown =
      options_->MiscOptions().Contains(TTreeMiscOption::toCheckSupport) &&
      (checkImageKind_ == TCheckImageKind::ckCustom ? customCheckImages_ != nullptr
                                                    : tree::CheckImages(checkImageKind_) != nullptr);
  const bool rubberBand = states_.Contains(TTreeState::stDrawSelecting) && !IsRectEmpty(&selectionRect_);
  if (!Focused() && paintOptions.Contains(PO::toHideSelection)) options -= PF::tpSelection;
  if (paintOptions.Contains(PO::toHideFocusRect)) options -= PF::tpFocusRect;
  const int width = window.right - window.left;

  TCanvas rowCanvas;
  rowCanvas.SetHandle(res.RowDC());
  rowCanvas.Font()->Assign(Font());
  TNodePaintInfo info;
  info.Canvas = &rowCanvas;
  RedirectFontChangeEvent(&rowCanvas);
  // The tree keeps the row canvas font's own change event while it watches it: it is handed back however the
  // paint ends, before the canvas goes.
  struct TFontWatchEnd {
    const TLifeWatch& life;
    TBaseTree& tree;
    TCanvas& canvas;
    ~TFontWatchEnd() {
      if (!life.Ended()) tree.RestoreFontChangeEvent(&canvas);
    }
  } fontWatchEnd{life, *this, rowCanvas};

  TTreePosition nodeTop = 0;
  PTreeNode node = GetNodeAtPosition(windowTop, nodeTop);
  // The first row begins above the window by less than its height.
  int rowY = targetPoint.y - static_cast<int>(windowTop - nodeTop);
  const int targetBottom = targetPoint.y + (window.bottom - window.top);
  // Any handler raised on the way (a node's initialization, the row's texts, images and custom drawing) may free
  // nodes, or add, remove or move columns: the walk has lost its footing then, the row's painting ends at once, and
  // the rows are painted again from the changed tree by the next paint.
  const std::uint64_t freedBefore = freedNodes_, columnChangesBefore = columns->LayoutChanges();
  auto walkLost = [&] {
    if (life.Ended()) return true;
    if (freedNodes_ == freedBefore && columns->LayoutChanges() == columnChangesBefore) return false;
    if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
    return true;
  };
  if (node) DetermineLineImage(node);
  if (walkLost()) node = nullptr;
  std::vector<TTreeLineType> bandImage;
  while (node && rowY < targetBottom) {
    if (!node->Has(nsInitialized)) InitNode(node);
    if (walkLost()) break;
    bool paintRow = true;
    if (options.Contains(PF::tpSelectedOnly)) {
      paintRow = false;
      for (PTreeNode p = node; p != root_ && !paintRow; p = p->Parent) paintRow = p->Has(nsSelected);
    }
    const int height = node->NodeHeight;
    if (paintRow && height > 0) {
      HDC dc = res.SizeRow(width, height);
      SetWindowOrgEx(dc, window.left, 0, nullptr);
      const int rowParity = static_cast<int>(nodeTop & 1);
      SetBrushOrgEx(dc, window.left & 1, rowParity, nullptr);
      const int indentSize = static_cast<int>(lineImage_.size());
      const int vAlign = VerticalAlignment(node);
      const int buttonX =
          indentSize * indent_ + static_cast<int>(std::nearbyint((indent_ - ButtonSize) / 2.0 + 0.5)) - indent_;
      const int buttonY = vAlign - ButtonSize / 2;
      const RECT itemRect{window.left, 0, window.right, height};
      info.Node = node;
      bool customDrawn = false;
      if (DoBeforeItemPaint(&rowCanvas, node, itemRect, customDrawn).Tree().Gone()) return TRaised(false);
      if (!customDrawn && !walkLost()) {
        info.PaintOptions = options;
        if (EraseItem(info, itemRect, backgroundInUse, static_cast<int>(nodeTop + offsetY_)).TreeGone())
          return TRaised(false);
        TColumnIndex column = columnsInUse ? columns->GetFirstVisibleColumn() : NoColumn;
        while (!(columnsInUse && column < 0) && !walkLost()) {
          TTreeColumn* item = columnsInUse ? columns->Items(column) : nullptr;
          int left = 0, right = std::max<int>(window.right, ClientWidth());
          if (item) item->GetAbsoluteBounds(left, right);
          if (left >= window.right) break;
          const bool isMain = !columnsInUse || column == mainColumn;
          TColumnIndex nextColumn = columnsInUse ? columns->GetNextVisibleColumn(column) : InvalidColumn;
          if (item && (!item->Options().Contains(TTreeColumnOption::coVisible) ||
                       (options.Contains(PF::tpMainColumnOnly) && !isMain))) {
            column = nextColumn;
            continue;
          }
          info.Column = column;
          cellFontChanged_ = false;
          info.Position = item ? item->Position() : 0;
          info.BidiMode = item ? item->BiDiMode() : BiDiMode();
          const bool rtl = info.BidiMode != TBiDiMode::bdLeftToRight;
          info.Alignment = item ? item->Alignment() : alignment_;
          if (rtl) info.Alignment = MirroredAlignment(info.Alignment);
          const bool editedCell = IsEditing() && node == focusedNode_ && (column == focusedColumn_ || !columnsInUse);
          info.PaintOptions = options;
          if (editedCell) info.PaintOptions -= PF::tpSelection;
          if (!columnsInUse || (fullRowSelect && node->Has(nsSelected)) ||
              (item && item->Options().Contains(TTreeColumnOption::coParentColor)))
            info.PaintOptions -= PF::tpColumnColor;
          info.CellRect = RECT{left, 0, right, height};
          info.BrushOrigin = POINT{window.left & 1, rowParity};
          AdjustPaintCellRect(info, nextColumn);
          if (info.CellRect.right <= window.left) {
            if (!columnsInUse) break;
            column = nextColumn;
            continue;
          }
          if (GetNodeWidth(node, column, info.NodeWidth).TreeGone()) return TRaised(false);
          if (walkLost()) break;
          info.ContentRect = info.CellRect;
          (rtl ? info.ContentRect.right : info.ContentRect.left) += rtl ? -margin_ : margin_;
          for (TImageInfo& image : info.ImageInfo) image = TImageInfo{};
          auto place = [&](TImageInfo& image, int imageWidth, int imageHeight) {
            image.XPos = TakeImageSpace(info.ContentRect, imageWidth, rtl);
            image.YPos = info.ContentRect.top + vAlign - imageHeight / 2;
          };
          if (isMain && checksShown) {
            info.ImageInfo[iiCheck].Index = GetCheckImage(node);
            if (info.ImageInfo[iiCheck].Index > -1) {
              int size = checkImageKind_ == TCheckImageKind::ckCustom ? customCheckImages_->Width() : CheckImageSize;
              place(info.ImageInfo[iiCheck], size, size);
            }
          }
          if (stateImages_) {
            TImageInfo& image = info.ImageInfo[iiState];
            if (DoGetImageIndex(node, TTreeImageKind::ikState, column, image.Ghosted, image.Index).TreeGone())
              return TRaised(false);
            if (walkLost() || !stateImages_) break;
            if (image.Index > -1) place(image, stateImages_->Width(), stateImages_->Height());
          }
          if (images_) {
            TImageInfo& image = info.ImageInfo[iiNormal];
            TTreeImageKind kind = node->Has(nsSelected) ? TTreeImageKind::ikSelected : TTreeImageKind::ikNormal;
            if (DoGetImageIndex(node, kind, column, image.Ghosted, image.Index).TreeGone()) return TRaised(false);
            if (walkLost() || !images_) break;
            if (image.Index > -1) place(image, images_->Width(), images_->Height());
          }
          if (isMain) {
            int shift = (rtl ? -1 : 1) * indentSize * indent_;
            OffsetRect(&info.ContentRect, shift, 0);
            info.ContentRect.left = std::max(info.ContentRect.left, info.CellRect.left);
            info.ContentRect.right = std::min(info.ContentRect.right, info.CellRect.right);
            for (TImageInfo& image : info.ImageInfo) image.XPos += shift;
          }
          const TCellClip cellClip(dc, columnsInUse ? &info.CellRect : nullptr);
          if (options.Contains(PF::tpGridLines)) {
            SetTextColor(dc, RGBOf(colors_->GridLineColor()));
            SetBkColor(dc, RGBOf(Color()));
            if (paintOptions.Contains(PO::toShowHorzGridLines)) {
              RECT line{info.CellRect.left, height - 1, info.CellRect.right, height};
              if (isMain && lineMode_ == TLineMode::lmBands) {
                if (rtl)
                  line.right -= indentSize * indent_;
                else
                  line.left += indentSize * indent_;
              }
              FillRect(dc, &line, res.LineBrush());
              --info.CellRect.bottom;
              --info.ContentRect.bottom;
            }
            if (columnsInUse && paintOptions.Contains(PO::toShowVertGridLines) &&
                !(header_->Options().Contains(TTreeHeaderOption::hoAutoResize) &&
                  column == columns->GetLastVisibleColumn()) &&
                (!rtl || !ColumnIsEmpty(node, column))) {
              RECT line{info.CellRect.right - 1, 0, info.CellRect.right, info.CellRect.bottom};
              FillRect(dc, &line, res.LineBrush());
              --info.CellRect.right;
              --info.ContentRect.right;
            }
          }
          // The grid line of a right-to-left cell asked for the column's text.
          if (walkLost()) break;
          if (PaintCellSelection(dc, info).TreeGone()) return TRaised(false);
          if (walkLost()) break;
          if (isMain) {
            if (lineMode_ == TLineMode::lmBands && options.Contains(PF::tpGridLines)) {
              bandImage.assign(lineImage_.size(), LT::ltNone);
              for (int level = indentSize - 1; level >= 0; --level) {
                LT type = lineImage_[level];
                if (Expanded(node)) {
                  bandImage[level] = LT::ltLeft;
                } else if (type == LT::ltBottomRight || type == LT::ltTopDownRight || type == LT::ltRight ||
                           type == LT::ltTopRight) {
                  bandImage[level] = LT::ltLeftBottom;
                } else if (type == LT::ltNone || type == LT::ltTopDown) {
                  LT inner = level + 1 < indentSize ? lineImage_[level + 1] : LT::ltNone;
                  LT innerBand = level + 1 < indentSize ? bandImage[level + 1] : LT::ltNone;
                  bandImage[level] = inner != LT::ltNone && inner != LT::ltTopRight ? LT::ltLeft : innerBand;
                }
              }
              PaintTreeLines(dc, info, vAlign, bandImage, colors_->GridLineColor(), height - 1);
            } else if (paintOptions.Contains(PO::toShowTreeLines)) {
              PaintTreeLines(dc, info, vAlign, lineImage_, colors_->TreeLineColor(), height);
            }
            if (paintOptions.Contains(PO::toShowButtons) && node->Has(nsHasChildren) &&
                !(options_->AutoOptions().Contains(TTreeAutoOption::toAutoHideButtons) &&
                  node->Has(AllChildrenHidden))) {
              int x = rtl ? info.CellRect.right - buttonX - ButtonSize : info.CellRect.left + buttonX;
              res.DrawButton(dc, node->Has(nsExpanded), x, info.CellRect.top + buttonY);
            }
            if (info.ImageInfo[iiCheck].Index > -1) PaintCheckImage(dc, info.ImageInfo[iiCheck]);
          }
          if (info.ImageInfo[iiState].Index > -1 && PaintImage(info, iiState, false).TreeGone()) return TRaised(false);
          if (walkLost()) break;
          if (info.ImageInfo[iiNormal].Index > -1 && PaintImage(info, iiNormal, true).TreeGone()) return TRaised(false);
          if (walkLost()) break;
          if (!editedCell && PaintNode(info).TreeGone()) return TRaised(false);
          if (walkLost()) break;
          if (DoAfterCellPaint(&rowCanvas, node, column, info.CellRect).TreeGone()) return TRaised(false);
          if (walkLost()) break;
          if (!columnsInUse || nextColumn == InvalidColumn) break;
          column = nextColumn;
        }
        if (!walkLost() && DoAfterItemPaint(&rowCanvas, node, itemRect).TreeGone()) return TRaised(false);
        if (!walkLost() && node == dropTargetNode_ && paintOptions.Contains(PO::toShowDropmark) &&
            options.Contains(PF::tpDropMark)) {
          // The mark spans the whole row as GetDisplayRect has it (what a repaint of the row covers), whatever part
          // of it this paint covers: a part painted alone (under a drag image, say) shows the same pixels as the
          // row painted whole.
          const RECT row{0, 0, std::max<int>(ClientWidth(), columnsInUse ? columns->TotalWidth() : 0), height};
          DoPaintDropMark(&rowCanvas, node, row);
        }
      }
      if (life.Ended()) return TRaised(false);
      if (rubberBand) {
        // The band is kept in the 32-bit tree coordinates of the mouse.
        RECT band = selectionRect_;
        OffsetRect(&band, 0, -static_cast<int>(nodeTop));
        PaintSelectionRectangle(dc, band);
      }
      BitBlt(targetDC, targetPoint.x, rowY, width, height, dc, window.left, 0, SRCCOPY);
    }
    rowY += height;
    nodeTop += height;
    if (walkLost()) break;
    PTreeNode next = GetNextVisible(node);
    if (!next || walkLost()) break;
    // The line image follows the walk: one level more for a child, one less for every level left.
    if (next->Parent == node) {
      if (!lineImage_.empty()) lineImage_.back() = GetNextVisibleSibling(node) ? LT::ltTopDown : LT::ltNone;
      lineImage_.push_back(LT::ltNone);
    } else {
      for (PTreeNode p = node; p->Parent != next->Parent && p->Parent != root_; p = p->Parent) lineImage_.pop_back();
    }
    if (!lineImage_.empty()) lineImage_.back() = GetNextVisibleSibling(next) ? LT::ltTopDownRight : LT::ltTopRight;
    if (walkLost()) break;
    node = next;
  }
  if (rowY < targetBottom) {
    // Below the last row: only a tree that ends inside its window shows it, so it lies where a rectangle reaches.
    const int restTop = static_cast<int>(windowTop + (rowY - targetPoint.y));
    RECT rest{window.left, restTop, window.right, restTop + (targetBottom - rowY)};
    if (PaintRest(target, rest, POINT{targetPoint.x, rowY}, rest.top, backgroundInUse, rubberBand).Gone())
      return TRaised(false);
  }
  return DoAfterPaint(target);
}

TNodeRaised TBaseTree::EraseItem(TNodePaintInfo& info, const RECT& r, bool backgroundInUse, int clientTop) {
  HDC dc = info.Canvas->Handle();
  TColor color = Color();
  TItemEraseAction action = TItemEraseAction::ieDefault;
  const std::uint64_t freedBefore = freedNodes_;
  // A handler that freed nodes ends the row's painting.
  if (const TNodeRaised raised = DoBeforeItemErase(info.Canvas, info.Node, r, color, action);
      raised.TreeGone() || freedNodes_ != freedBefore)
    return raised;
  if (action == TItemEraseAction::ieColor) {
    FillSolid(dc, r, RGBOf(color));
  } else if (backgroundInUse) {
    TileBackground(dc, r, POINT{r.left + offsetX_, clientTop});
  } else if (options_->SelectionOptions().Contains(TTreeSelectionOption::toFullRowSelect) &&
             info.Node->Has(nsSelected)) {
    FillSolid(dc, r, RGBOf(Color()));
    RECT selection = r;
    if (options_->PaintOptions().Contains(PO::toShowHorzGridLines)) --selection.bottom;
    bool focused = Focused() || options_->PaintOptions().Contains(PO::toPopupMode);
    RoundedRectangle(dc, selection,
                     RGBOf(focused ? colors_->FocusedSelectionColor() : colors_->UnfocusedSelectionColor()),
                     RGBOf(focused ? colors_->FocusedSelectionBorderColor() : colors_->UnfocusedSelectionBorderColor()),
                     selectionCurveRadius_);
  } else {
    FillSolid(dc, r, RGBOf(Color()));
  }
  return DoAfterItemErase(info.Canvas, info.Node, r);
}

TNodeRaised TBaseTree::PaintCellSelection(HDC dc, TNodePaintInfo& info) {
  TTreeColumns* columns = header_->Columns();
  const bool columnsInUse = columns->Count() > 0;
  if (info.PaintOptions.Contains(PF::tpColumnColor))
    FillSolid(dc, info.CellRect, RGBOf(columns->Items(info.Column)->Color()));
  const std::uint64_t freedBefore = freedNodes_;
  // A handler that freed nodes ends the row's painting.
  if (const TNodeRaised raised = DoBeforeCellPaint(info.Canvas, info.Node, info.Column, info.CellRect);
      raised.TreeGone() || freedNodes_ != freedBefore)
    return raised;
  const TTreeSelectionOptions selection = options_->SelectionOptions();
  const bool fullRow = selection.Contains(TTreeSelectionOption::toFullRowSelect);
  const bool gridExtensions = options_->MiscOptions().Contains(TTreeMiscOption::toGridExtensions);
  TColumnIndex focusColumn = focusedColumn_ == NoColumn ? header_->MainColumn() : focusedColumn_;
  const bool focusedColumn = !columnsInUse || info.Column == focusColumn;
  if (!fullRow && !focusedColumn) return TNodeRaised(true, true);
  RECT inner = info.ContentRect;
  if (!gridExtensions) {
    switch (info.Alignment) {
      case TAlignment::taLeftJustify:
        inner.right = std::min<int>(inner.right, inner.left + info.NodeWidth);
        break;
      case TAlignment::taRightJustify:
        inner.left = std::max<int>(inner.left, inner.right - info.NodeWidth);
        break;
      default:
        if (info.NodeWidth < inner.right - inner.left) {
          inner.left += (inner.right - inner.left - info.NodeWidth) / 2;
          inner.right = inner.left + info.NodeWidth;
        }
    }
  }
  const bool focusedLook = Focused() || options_->PaintOptions().Contains(PO::toPopupMode);
  if (info.PaintOptions.Contains(PF::tpSelection)) {
    const bool selected = info.Node->Has(nsSelected);
    bool draw = true;
    COLORREF fill = 0, border = 0;
    if (info.Node == dropTargetNode_ && (lastDropMode_ == TDropMode::dpOnNode || selected)) {
      fill = RGBOf(colors_->DropTargetColor());
      border = RGBOf(colors_->DropTargetBorderColor());
    } else if (selected) {
      fill = RGBOf(focusedLook ? colors_->FocusedSelectionColor() : colors_->UnfocusedSelectionColor());
      border = RGBOf(focusedLook ? colors_->FocusedSelectionBorderColor() : colors_->UnfocusedSelectionBorderColor());
    } else {
      draw = false;
    }
    RECT r = gridExtensions || fullRow ? info.CellRect : inner;
    if (draw && !IsRectEmpty(&r)) RoundedRectangle(dc, r, fill, border, selectionCurveRadius_);
  }
  if (info.PaintOptions.Contains(PF::tpFocusRect) && focusedColumn && info.Node == focusedNode_ && focusedLook) {
    COLORREF oldText = SetTextColor(dc, RGB(255, 255, 255));
    COLORREF oldBack = SetBkColor(dc, RGB(0, 0, 0));
    RECT r = gridExtensions ? info.CellRect : inner;
    if (!IsRectEmpty(&r)) ::DrawFocusRect(dc, &r);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
  }
  return TNodeRaised(true, true);
}

void TBaseTree::PaintTreeLines(HDC dc, const TNodePaintInfo& info, int vAlign, const std::vector<TTreeLineType>& image,
                               TColor color, int bottom) {
  HBRUSH brush = paint_->LineBrush();
  // The pattern's 0 bits take the text colour, its 1 bits the background colour.
  SetTextColor(dc, RGBOf(color));
  SetBkColor(dc, RGBOf(Color()));
  const bool rtl = info.BidiMode != TBiDiMode::bdLeftToRight;
  const int half = indent_ / 2;
  auto fill = [&](int left, int top, int right, int lower) {
    RECT r{left, top, right, lower};
    if (r.right > r.left && r.bottom > r.top) FillRect(dc, &r, brush);
  };
  for (std::size_t level = 0; level < image.size(); ++level) {
    int x = rtl ? info.CellRect.right - static_cast<int>(level + 1) * indent_
                : info.CellRect.left + static_cast<int>(level) * indent_;
    int middle = x + (rtl ? indent_ - 1 - half : half);
    // The horizontal stroke runs from the vertical line towards the text.
    int hLeft = rtl ? x : middle, hRight = rtl ? middle + 1 : x + indent_;
    int outer = rtl ? x + indent_ - 1 : x;
    switch (image[level]) {
      case LT::ltBottomRight:
        fill(middle, vAlign, middle + 1, bottom);
        fill(hLeft, vAlign, hRight, vAlign + 1);
        break;
      case LT::ltTopDown:
        fill(middle, 0, middle + 1, bottom);
        break;
      case LT::ltTopDownRight:
        fill(middle, 0, middle + 1, bottom);
        fill(hLeft, vAlign, hRight, vAlign + 1);
        break;
      case LT::ltRight:
        fill(hLeft, vAlign, hRight, vAlign + 1);
        break;
      case LT::ltTopRight:
        fill(middle, 0, middle + 1, vAlign);
        fill(hLeft, vAlign, hRight, vAlign + 1);
        break;
      case LT::ltLeft:
        fill(outer, 0, outer + 1, bottom);
        break;
      case LT::ltLeftBottom:
        fill(outer, 0, outer + 1, bottom);
        fill(x, bottom - 1, x + indent_, bottom);
        break;
      case LT::ltNone:
        break;
    }
  }
}

void TBaseTree::PaintCheckImage(HDC dc, const TImageInfo& image) {
  const int index = image.Index;
  if (paint_->ThemesOpen() && checkImageKind_ != TCheckImageKind::ckCustom) {
    RECT r{image.XPos, image.YPos, image.XPos + CheckImageSize, image.YPos + CheckImageSize};
    if (index < 9) {
      paint_->DrawButtonPart(dc, BP_RADIOBUTTON, index, r);
    } else if (index < 21) {
      paint_->DrawButtonPart(dc, BP_CHECKBOX, index - 8, r);
    } else {
      paint_->DrawButtonPart(dc, BP_PUSHBUTTON, index - 20, r);
      DrawGlyph(UtilityImages(), uiPushButtonFrame, dc, image.XPos - 1, image.YPos);
    }
    return;
  }
  HIMAGELIST list =
      checkImageKind_ == TCheckImageKind::ckCustom ? customCheckImages_->Handle() : tree::CheckImages(checkImageKind_);
  DrawGlyph(list, index, dc, image.XPos, image.YPos);
}

TNodeRaised TBaseTree::PaintImage(TNodePaintInfo& info, TImageInfoIndex which, bool withOverlay) {
  const TImageInfo& image = info.ImageInfo[which];
  bool enabled = Enabled() && !info.Node->Has(nsDisabled);
  HDC dc = info.Canvas->Handle();
  COLORREF oldText = GetTextColor(dc);
  (which == iiNormal ? images_ : stateImages_)->Draw(info.Canvas, image.XPos, image.YPos, image.Index, enabled);
  if (withOverlay) {
    bool ghosted = false;
    int overlay = -1;
    const TNodeRaised raised = DoGetImageIndex(info.Node, TTreeImageKind::ikOverlay, info.Column, ghosted, overlay);
    if (raised.NodeGone()) return raised;
    // The handler may have taken the list from the tree.
    TCustomImageList* list = which == iiNormal ? images_ : stateImages_;
    if (list && overlay > -1) list->Draw(info.Canvas, image.XPos, image.YPos, overlay, enabled);
  }
  SetTextColor(dc, oldText);
  return TNodeRaised(true, true);
}

void TBaseTree::DoPaintDropMark(TCanvas* canvas, PTreeNode node, const RECT& r) {
  (void)node;
  HDC dc = canvas->Handle();
  if (lastDropMode_ != TDropMode::dpAbove && lastDropMode_ != TDropMode::dpBelow) return;
  const int l = r.left, t = r.top, right = r.right, b = r.bottom;
  POINT above[6] = {{l + 2, t}, {right - 2, t}, {right - 2, t + 6}, {right - 6, t + 2}, {l + 6, t + 2}, {l + 2, t + 6}};
  POINT below[6] = {{l + 2, b - 1},     {right - 2, b - 1}, {right - 2, b - 8},
                    {right - 7, b - 3}, {l + 7, b - 3},     {l + 2, b - 8}};
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  SetDCBrushColor(dc, RGBOf(colors_->DropMarkColor()));
  Polygon(dc, lastDropMode_ == TDropMode::dpAbove ? above : below, 6);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
}

void TBaseTree::PaintSelectionRectangle(HDC dc, const RECT& r) {
  bool blended = (drawSelectionMode_ == TDrawSelectionMode::smBlendedRectangle || paint_->ThemesOpen()) && HasMMX;
  if (!blended) {
    COLORREF oldText = SetTextColor(dc, RGB(255, 255, 255));
    COLORREF oldBack = SetBkColor(dc, RGB(0, 0, 0));
    ::DrawFocusRect(dc, &r);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
    return;
  }
  HDC source = CreateCompatibleDC(dc);
  HBITMAP pixel = CreateCompatibleBitmap(dc, 1, 1);
  HGDIOBJ old = SelectObject(source, pixel);
  SetPixel(source, 0, 0, RGBOf(colors_->SelectionRectangleBlendColor()));
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 64, 0};
  AlphaBlend(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, 1, 1, blend);
  SelectObject(source, old);
  DeleteObject(pixel);
  DeleteDC(source);
  SetDCBrushColor(dc, RGBOf(colors_->SelectionRectangleBorderColor()));
  FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void TBaseTree::TileBackground(HDC dc, const RECT& r, POINT origin) {
  TBitmap* picture = background_->Bitmap();
  const int pictureWidth = picture->Width(), pictureHeight = picture->Height();
  HDC source = picture->Canvas()->Handle();
  auto wrap = [](int value, int size) { return ((value % size) + size) % size; };
  int sourceY = wrap(origin.y + backgroundOffsetY_, pictureHeight);
  for (int y = r.top; y < r.bottom;) {
    int h = std::min<int>(pictureHeight - sourceY, r.bottom - y);
    int sourceX = wrap(origin.x + backgroundOffsetX_, pictureWidth);
    for (int x = r.left; x < r.right;) {
      int w = std::min<int>(pictureWidth - sourceX, r.right - x);
      BitBlt(dc, x, y, w, h, source, sourceX, sourceY, SRCCOPY);
      x += w;
      sourceX = 0;
    }
    y += h;
    sourceY = 0;
  }
}

TRaised TBaseTree::PaintRest(TCanvas* target, const RECT& window, POINT targetPoint, int restTop, bool backgroundInUse,
                             bool rubberBand) {
  const int width = window.right - window.left, height = window.bottom - window.top;
  HDC dc = paint_->SizeRow(width, height);
  SetWindowOrgEx(dc, window.left, restTop, nullptr);
  TCanvas canvas;
  canvas.SetHandle(dc);
  bool handled = false;
  if (DoPaintBackground(&canvas, window, handled).Gone()) return TRaised(false);
  if (!handled) {
    TTreeColumns* columns = header_->Columns();
    if (backgroundInUse) {
      TileBackground(dc, window, POINT{window.left + offsetX_, static_cast<int>(restTop + offsetY_)});
    } else if (columns->Count() > 0) {
      int right = window.left;
      for (TTreeColumn* column : columns->GetVisibleColumns()) {
        int left = 0;
        column->GetAbsoluteBounds(left, right);
        if (right <= window.left) continue;
        TColor color = column->Options().Contains(TTreeColumnOption::coParentColor) ? Color() : column->Color();
        FillSolid(dc, RECT{std::max<int>(left, window.left), window.top, right, window.bottom}, RGBOf(color));
      }
      if (right < window.right)
        FillSolid(dc, RECT{std::max<int>(right, window.left), window.top, window.right, window.bottom}, RGBOf(Color()));
    } else {
      FillSolid(dc, window, RGBOf(Color()));
    }
  }
  if (rubberBand) PaintSelectionRectangle(dc, selectionRect_);
  canvas.SetHandle(nullptr);
  BitBlt(target->Handle(), targetPoint.x, targetPoint.y, width, height, dc, window.left, restTop, SRCCOPY);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  return TRaised(true);
}

void TBaseTree::AdjustPaintCellRect(TNodePaintInfo& paintInfo, TColumnIndex& nextNonEmpty) {
  (void)paintInfo, (void)nextNonEmpty;
}

bool TBaseTree::ColumnIsEmpty(PTreeNode node, TColumnIndex column) {
  (void)node, (void)column;
  return false;
}

TNodeRaised TBaseTree::PaintNode(TNodePaintInfo& paintInfo) { return DoPaintNode(paintInfo); }

}  // namespace tree

// What the painting of one cell knows: the record the tree fills afresh for every cell and hands to its virtual
// painting slots, the pass flags, and the drawing modes of lines, buttons and the rubber band.
#pragma once

#include <windows.h>

#include "framework/alignment.h"
#include "framework/control.h"
#include "framework/set.h"
#include "tree/tree_events.h"

class TCanvas;

namespace tree {

enum class TTreePaintFlag {
  tpBackground,
  tpColumnColor,
  tpFocusRect,
  tpSelection,
  tpDropMark,
  tpGridLines,
  tpMainColumnOnly,
  tpSelectedOnly
};
using TTreePaintFlags = TSet<TTreePaintFlag, 8>;
// What the window paint passes: everything but the two restricting flags.
inline const TTreePaintFlags WindowPaintFlags{TTreePaintFlag::tpBackground, TTreePaintFlag::tpColumnColor,
                                              TTreePaintFlag::tpFocusRect,  TTreePaintFlag::tpSelection,
                                              TTreePaintFlag::tpDropMark,   TTreePaintFlag::tpGridLines};

// One entry per indentation level of a row.
enum class TTreeLineType : unsigned char {
  ltNone,
  ltBottomRight,
  ltTopDown,
  ltTopDownRight,
  ltRight,
  ltTopRight,
  ltLeft,
  ltLeftBottom
};

enum class TButtonStyle { bsRectangle, bsTriangle };
enum class TButtonFillMode { fmTreeColor, fmWindowColor, fmShaded, fmTransparent };
enum class TLineStyle { lsCustomStyle, lsDotted, lsSolid };
enum class TLineMode { lmNormal, lmBands };
enum class TDrawSelectionMode { smDottedRectangle, smBlendedRectangle };

enum TImageInfoIndex { iiNormal, iiState, iiCheck };

struct TImageInfo {
  int Index = -1;
  int XPos = 0;
  int YPos = 0;
  bool Ghosted = false;
};

struct TNodePaintInfo {
  TCanvas* Canvas = nullptr;
  TTreePaintFlags PaintOptions;
  PTreeNode Node = nullptr;
  TColumnIndex Column = NoColumn;
  int Position = 0;
  RECT CellRect{};
  RECT ContentRect{};
  int NodeWidth = 0;
  TAlignment Alignment = TAlignment::taLeftJustify;
  TBiDiMode BidiMode = TBiDiMode::bdLeftToRight;
  POINT BrushOrigin{};
  TImageInfo ImageInfo[3];
};

}  // namespace tree

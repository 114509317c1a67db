// The translucent picture of dragged nodes or columns under the mouse. The shell's drag-image service shows it
// when it exists and a data object is given; otherwise the image draws itself on the screen: it keeps the screen
// behind it, blends the picture over a copy of that and moves with the mouse, restoring what it covered.
#pragma once

#include <objidl.h>
#include <windows.h>

#include "framework/bitmap.h"
#include "framework/set.h"

namespace tree {

class TBaseTree;

enum class TTreeDragMoveRestriction { MoveFree, MoveHorizontalOnly, MoveVerticalOnly };

enum class TDragImageState { disHidden, disInDrag, disPrepared, disSystemSupport };
using TDragImageStates = TSet<TDragImageState, 8>;

class TTreeDragImage : public TObject {
  BC_CLASS(TTreeDragImage, TObject)
  explicit TTreeDragImage(TBaseTree* owner = nullptr);
  ~TTreeDragImage() override;
  TTreeDragImage(const TTreeDragImage&) = delete;
  TTreeDragImage& operator=(const TTreeDragImage&) = delete;

  // picture is copied; imagePosition is its screen place, hotSpot the mouse position in screen coordinates.
  void PrepareDrag(TBitmap& picture, POINT imagePosition, POINT hotSpot, IDataObject* dataObject);
  void ShowDragImage();
  void HideDragImage();
  void EndDrag();
  // Moves the image to follow P (screen); true when it moved.
  bool DragTo(POINT p, bool forceRepaint);
  bool WillMove(POINT p) const;
  RECT GetDragImageRect() const;
  // The tree repainted r (its client coordinates) under the image: take that part into the saved background.
  void RecaptureBackground(TBaseTree* tree, const RECT& r, HRGN visibleRegion, bool captureNCArea,
                           bool reshowDragImage);

  bool Visible() const;
  TDragImageStates States() const { return states_; }
  POINT ImagePosition() const { return imagePosition_; }
  POINT LastPosition() const { return lastPosition_; }
  BYTE Transparency() const { return transparency_; }
  void SetTransparency(BYTE value) { transparency_ = value; }
  signed char PreBlendBias() const { return preBlendBias_; }
  void SetPreBlendBias(signed char value) { preBlendBias_ = value; }
  signed char PostBlendBias() const { return postBlendBias_; }
  void SetPostBlendBias(signed char value) { postBlendBias_ = value; }
  bool Fade() const { return fade_; }
  void SetFade(bool value) { fade_ = value; }
  TTreeDragMoveRestriction MoveRestriction() const { return moveRestriction_; }
  void SetMoveRestriction(TTreeDragMoveRestriction value) { moveRestriction_ = value; }
  TColor ColorKey() const { return colorKey_; }
  void SetColorKey(TColor value) { colorKey_ = value; }
  // The picture with its alpha channel, and the background kept and the blended result; for inspection.
  TBitmap& DragImageBitmap() { return dragImage_; }
  TBitmap& BackImageBitmap() { return backImage_; }
  TBitmap& AlphaImageBitmap() { return alphaImage_; }

 private:
  void MakeAlphaChannel();
  // Blends the picture over the saved background and puts the result on dc.
  void InternalShowDragImage(HDC dc);
  void Restore(HDC dc, const RECT& screenRect);
  void Capture(HDC dc, const RECT& screenRect);

  TBaseTree* owner_;
  TBitmap backImage_;
  TBitmap alphaImage_;
  TBitmap dragImage_;
  POINT imagePosition_{};
  POINT lastPosition_{};
  BYTE transparency_ = 128;
  signed char preBlendBias_ = 0;
  signed char postBlendBias_ = 0;
  bool fade_ = false;
  TTreeDragMoveRestriction moveRestriction_ = TTreeDragMoveRestriction::MoveFree;
  TColor colorKey_ = clNone;
  TDragImageStates states_;
  // The screen the image was drawn over since the drag began; the windows there paint it anew when the drag ends.
  RECT swept_{};
};

}  // namespace tree

// TSplitter: a thin bar aligned beside another control that the user drags to size that control. The control it
// sizes is the one just beside it on the side it is aligned to; the size follows the mouse while the bar is dragged.
#pragma once

#include "framework/control.h"

// NewSize is the size the neighbour is about to get; Accept false keeps the old one.
using TSplitterCanResizeEvent = TDelegate<void(TObject* Sender, int& NewSize, bool& Accept)>;

class TSplitter : public TGraphicControl {
  BC_CLASS(TSplitter, TGraphicControl)
  explicit TSplitter(TComponent* owner);
  const TPublishedTable& PublishedTable() const override;

  // The neighbour is never sized below this (at least 1); with AutoSnap a smaller size collapses it to 0.
  int MinSize() const { return minSize_; }
  void SetMinSize(int value);
  bool AutoSnap() const { return autoSnap_; }
  void SetAutoSnap(bool value) { autoSnap_ = value; }
  // Draws the bar with a raised edge.
  bool Beveled() const { return beveled_; }
  void SetBeveled(bool value);

  // The control this splitter sizes: the first visible, enabled control of the parent that covers the point
  // just beside the splitter on its aligned side; null when there is none or the splitter is not aligned.
  TControl* FindControl() const;
  // Left or right aligned: the splitter moves horizontally.
  bool Horizontal() const { return Align() == TAlign::alLeft || Align() == TAlign::alRight; }
  // The neighbour's width for a horizontal splitter, else its height.
  int SizeOf(const TControl* control) const { return Horizontal() ? control->Width() : control->Height(); }

  TRaised SetBounds(int left, int top, int width, int height) override;

  // Hides the control-level event of the same name: a splitter asks about one size, its neighbour's.
  TSplitterCanResizeEvent OnCanResize;
  // Raised when a drag of the splitter ended.
  TNotifyEvent OnMoved;

 protected:
  TRaised Paint() override;
  TRaised MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  TRaised MouseMove(TShiftState shift, int x, int y) override;
  TRaised MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  // Asks OnCanResize, then keeps the size at MinSize or above (0 with AutoSnap); accept false refuses the size.
  virtual TRaised DoCanResize(int& newSize, bool& accept);
  // Ends a drag: the neighbour keeps its last size and OnMoved is raised. Nothing happens when no drag runs, nor
  // after the neighbour went, which ended the drag.
  TRaised StopSizing();
  bool Sizing() const { return sizing_; }
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // The largest size the neighbour can take: the parent's extent less the other controls aligned on that axis.
  int MaxSizeOf(const TControl* control) const;
  [[nodiscard]] TRaised SizeControl(int newSize);

  int minSize_ = 30;
  bool autoSnap_ = true;
  bool beveled_ = false;
  bool sizing_ = false;
  // The drag's state: the neighbour, the press point in the parent's coordinates, the sizes at the press.
  TControl* control_ = nullptr;
  POINT downPos_{};
  int oldSize_ = 0;
  int maxSize_ = 0;
  int newSize_ = 0;
};

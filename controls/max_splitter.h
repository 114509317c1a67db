// TMaxSplitter: a splitter with a button across its middle. A click on the button collapses the neighbouring
// control (the one the splitter sizes) or brings it back to the size it had, which the splitter keeps in the
// stored form (RestorePos) while the neighbour is collapsed. The bar can still be dragged unless AllowDrag is off.
#pragma once

#include "framework/splitter.h"
#include "framework/startup.h"

namespace controls {

enum class TSplitterButtonWidthType { btwPixels, btwPercentage };

class TMaxSplitter : public TSplitter {
  BC_CLASS(TMaxSplitter, TSplitter)
  explicit TMaxSplitter(TComponent* owner);
  const TPublishedTable& PublishedTable() const override;
  void DefineProperties(TFiler& filer) override;

  bool ShowButton() const { return showButton_; }
  void SetShowButton(bool value);
  TSplitterButtonWidthType ButtonWidthType() const { return buttonWidthType_; }
  void SetButtonWidthType(TSplitterButtonWidthType value);
  // Pixels, or percent (0 .. 100) of the splitter's length with btwPercentage; 0 hides the button.
  int ButtonWidth() const { return buttonWidth_; }
  void SetButtonWidth(int value);
  // True: the neighbour is collapsed to MinSize by the button. Setting it raises OnMaximize, also when
  // unchanged or when it restores; without a neighbour it changes nothing (except while the form loads).
  bool Maximized() const { return maximized_; }
  // Moving the neighbour raises the drag's events and OnMaximize, OnMinimize or OnRestore, which may free the
  // splitter: the setters answer whether it outlived them.
  [[nodiscard]] TRaised SetMaximized(bool value);
  // True: the splitter is pushed to the far side.
  bool Minimized() const { return minimized_; }
  [[nodiscard]] TRaised SetMinimized(bool value);
  // The neighbour's size to restore; -1 until known.
  int RestorePos() const { return restorePos_; }
  void SetRestorePos(int value) { restorePos_ = value; }
  TColor ButtonColor() const { return buttonColor_; }
  void SetButtonColor(TColor value) { SetButtonValue(buttonColor_, value); }
  TColor ButtonHighlightColor() const { return buttonHighlightColor_; }
  void SetButtonHighlightColor(TColor value) { SetButtonValue(buttonHighlightColor_, value); }
  TColor ArrowColor() const { return arrowColor_; }
  void SetArrowColor(TColor value) { SetButtonValue(arrowColor_, value); }
  TColor TextureColor1() const { return textureColor1_; }
  void SetTextureColor1(TColor value) { SetButtonValue(textureColor1_, value); }
  TColor TextureColor2() const { return textureColor2_; }
  void SetTextureColor2(TColor value) { SetButtonValue(textureColor2_, value); }
  // Derives ButtonHighlightColor from the caption and face colours of the system at every paint.
  bool AutoHighlightColor() const { return autoHighlightColor_; }
  void SetAutoHighlightColor(bool value);
  bool AllowDrag() const { return allowDrag_; }
  void SetAllowDrag(bool value);
  TCursor ButtonCursor() const { return buttonCursor_; }
  void SetButtonCursor(TCursor value) { buttonCursor_ = value; }
  String Version() const { return L"TMaxSplitter v2.03"; }
  void SetVersion(const String&) {}

  // The button's rectangle in client coordinates; empty without a button.
  RECT ButtonRect() const;
  bool Highlighted() const { return highlighted_; }

  TRaised SetBounds(int left, int top, int width, int height) override;
  void Dispatch(TMessage& message) override;

  TNotifyEvent OnMaximize;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;
  // Kept for forms that assign it; the splitter never raises it.
  TNotifyEvent OnClose;

 protected:
  TRaised Loaded() override;
  TRaised Paint() override;
  TRaised DoCanResize(int& newSize, bool& accept) override;
  virtual void PaintButton(bool highlight);
  // Draws the arrow of the given odd-made size into rect, Offset pixels from its start along the splitter (from
  // its end when negative); answers the arrow's base.
  virtual int DrawArrow(TCanvas* canvas, const RECT& rect, TColor color, int size, int offset);
  // Whether a client point lies on the button along the splitter; sets the cursor to match.
  virtual bool ButtonHitTest(int x, int y);
  virtual TRaised DoMaximize();
  virtual TRaised DoMinimize();
  virtual TRaised DoRestore();
  virtual TRaised DoClose();
  // Sizes the neighbour as a left-button drag of the splitter would, so that the splitter's limits and events apply.
  [[nodiscard]] virtual TRaised UpdateControlSize(int newSize);

 private:
  void SetButtonValue(TColor& field, TColor value);
  void HighlightAt(POINT client);
  void WMLButtonDown(TMessage& message);
  void WMLButtonUp(TMessage& message);
  // The neighbour's size when there is one, else -1.
  int NeighbourSize() const;
  // The point along the drag axis: x for a left or right splitter, y otherwise.
  int AlongDragAxis(POINT point) const { return Horizontal() ? point.x : point.y; }

  bool showButton_ = true;
  TSplitterButtonWidthType buttonWidthType_ = TSplitterButtonWidthType::btwPixels;
  int buttonWidth_ = 100;
  bool maximized_ = false;
  bool minimized_ = false;
  int restorePos_ = -1;
  TColor buttonColor_ = clBtnFace;
  TColor buttonHighlightColor_;
  TColor arrowColor_ = clNavy;
  TColor textureColor1_ = clWhite;
  TColor textureColor2_ = clNavy;
  bool autoHighlightColor_ = false;
  bool allowDrag_ = true;
  TCursor buttonCursor_ = crDefault;
  bool highlighted_ = false;
  bool buttonDown_ = false;
  POINT downPos_{};  // screen coordinates of the press on the button
};

// The highlight colour AutoHighlightColor gives: 180/255 of the way from the active caption to the button face.
TColor AutoButtonHighlightColor();

// Registers TMaxSplitter for stored forms.
const TUnit& MaxSplitterUnit();

}  // namespace controls

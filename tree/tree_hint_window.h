// The window in which trees show hints (a help text per node and column) and tooltips (the whole caption of a node
// whose text is cut off). It paints into an off-screen buffer, fades or slides in on its own timer, and throws a
// soft shadow where blending is available.
#pragma once

#include <windows.h>

#include "framework/alignment.h"
#include "framework/bitmap.h"
#include "framework/hint_window.h"
#include "tree/tree_events.h"

namespace tree {

class TBaseTree;

// What the tree hands the application's hint machinery as the hint's data.
struct TTreeHintData {
  TBaseTree* Tree = nullptr;
  // The tree's life: a hint outlives a tree freed meanwhile, or by a handler the hint raises.
  TLifeWatch TreeLife;
  PTreeNode Node = nullptr;
  TColumnIndex Column = NoColumn;
  // The rectangle a tree that draws its hints itself wants.
  RECT HintRect{};
  // Shown as is when not empty; otherwise the tree is asked.
  String DefaultHint;
  String HintText;
  TBiDiMode BidiMode = TBiDiMode::bdLeftToRight;
  TAlignment Alignment = TAlignment::taLeftJustify;
};

// Set when a hint window is destroyed, cleared when one is made: a running animation stops at its next step.
extern bool HintWindowDestroyed;

// Timer of the fade and slide animation, on the hint window itself.
constexpr UINT_PTR HintAnimationTimer = 1;
constexpr UINT HintAnimationInterval = USER_TIMER_MINIMUM;

class TTreeHintWindow : public THintWindow {
  BC_CLASS(TTreeHintWindow, THintWindow)
  explicit TTreeHintWindow(TComponent* owner);
  ~TTreeHintWindow() override;

  // data is a TTreeHintData; an empty rectangle means no hint.
  RECT CalcHintRect(int maxWidth, const String& hint, void* data) override;
  TRaised ActivateHint(RECT rect, const String& hint) override;
  // Queued messages end a visible hint as usual, except moves over a non-client area such as a scroll bar.
  bool IsHintMsg(const MSG& msg) override;
  void Dispatch(TMessage& message) override;

  const TTreeHintData& HintData() const { return hintData_; }
  // The tree the hint is about, while it lives.
  TBaseTree* LiveTree() const { return hintData_.TreeLife.Ended() ? nullptr : hintData_.Tree; }
  int TextHeight() const { return textHeight_; }
  // The animation in progress (hatNone when there is none) and its step.
  THintAnimationType Animation() const { return animation_; }
  int AnimationStep() const { return step_; }
  // The shadow's width: 5 pixels where blending is available, else none.
  static int ShadowSize();

 protected:
  void CreateParams(TCreateParams& params) override;
  TRaised Paint() override;

 private:
  // Draws the hint into the draw buffer; the tree's drawing handlers may free the hint: the answer tells.
  TRaised DrawHint();
  // Puts animation step step of the drawn hint on dc.
  void InternalPaint(HDC dc, int step);
  void DrawShadow(HDC dc, int width, int height);
  void AnimationTick();

  TTreeHintData hintData_;
  TBitmap background_;
  TBitmap drawBuffer_;
  TBitmap target_;
  int textHeight_ = 0;
  THintAnimationType animation_ = THintAnimationType::hatNone;
  int step_ = 0;
  int steps_ = 0;
  int stepSize_ = 1;
};

}  // namespace tree

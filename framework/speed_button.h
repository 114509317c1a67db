// TSpeedButton: a windowless push button with a glyph and a caption. With a GroupIndex it stays down when
// clicked and releases the other buttons of its group on the same parent; AllowAllUp lets the last one come up.
#pragma once

#include <memory>

#include "framework/bitmap.h"
#include "framework/control.h"

enum class TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

// Broadcast to the parent's controls when a grouped button goes down; LParam is that button.
constexpr UINT CM_BUTTONPRESSED = CM_BASE + 10;

class TSpeedButton : public TGraphicControl {
  BC_CLASS(TSpeedButton, TGraphicControl)
  explicit TSpeedButton(TComponent* owner);
  ~TSpeedButton() override;

  bool Down() const { return down_; }
  // Without a GroupIndex a button cannot stay down; a down button comes up only when AllowAllUp.
  void SetDown(bool value);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int value);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool value);
  // Up to four images side by side, for the up, disabled, down and exclusive states.
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(const TBitmap* value);
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int value);
  // A transparent button leaves its background to the parent and draws only its edges, glyph and caption.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  TButtonState State() const { return state_; }

  void Dispatch(TMessage& message) override;
  const TPublishedTable& PublishedTable() const override;

 protected:
  TRaised Paint() override;
  TRaised MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  TRaised MouseMove(TShiftState shift, int x, int y) override;
  TRaised MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void SetState(TButtonState value) { state_ = value; }
  // Stores Down without the group rules.
  void StoreDown(bool value) { down_ = value; }
  // A disabled button is painted disabled and stops tracking the mouse; an enabled one leaves that state.
  void SettleState();
  // The glyph image for a state, in a new bitmap that is drawn transparently; null without a glyph.
  std::unique_ptr<TBitmap> GlyphImage(TButtonState state) const;

 private:
  void UpdateExclusive();
  void CMButtonPressed(TMessage& message);
  void CMEnabledChanged(TMessage& message);
  void GlyphChanged(TObject* sender);

  std::unique_ptr<TBitmap> glyph_;
  TButtonState state_ = TButtonState::bsUp;
  bool down_ = false;
  // The left button went down on the button and is still held.
  bool dragging_ = false;
  int groupIndex_ = 0;
  bool allowAllUp_ = false;
  int numGlyphs_ = 1;
  bool transparent_ = false;
};

// TXP_Button: a push button painted from the XP-look skin, stretched to its size, with an optional picture
// above or left of its caption. It is the dialog's default while it has the focus, or, with Default, while the
// focus is on a control that is not such a button; Enter clicks it then, and Escape clicks a Cancel button.
#pragma once

#include <memory>

#include "controls/xp_control.h"
#include "framework/form.h"
#include "framework/picture.h"

namespace controls {

enum class TPicPos { pLeft, pTop };

// The states a button is drawn in, numbered as the skin's frames.
enum class TXPButtonState { Normal = 1, Pressed = 2, Disabled = 3, Hot = 4, Focused = 5 };

class TXP_Button : public TXP_Control {
  BC_CLASS(TXP_Button, TXP_Control)
  explicit TXP_Button(TComponent* owner);
  ~TXP_Button() override;
  const TPublishedTable& PublishedTable() const override;

  bool Active() const { return active_; }
  bool Default() const { return default_; }
  // Every XP button of the form works out again whether it is the default.
  void SetDefault(bool value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  TPicture* Picture() const { return picture_.get(); }
  // Takes a copy of value.
  void SetPicture(const TPicture* value);
  bool PicTrans() const { return picTrans_; }
  void SetPicTrans(bool value);
  TColor PicTransColor() const { return picTransColor_; }
  void SetPicTransColor(TColor value);
  TPicPos PicPos() const { return picPos_; }
  void SetPicPos(TPicPos value);
  int PicOffSet() const { return picOffSet_; }
  void SetPicOffSet(int value);
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }

  // Sets the parent form's ModalResult to the button's (also 0), then raises OnClick.
  TRaised Click() override;
  void Dispatch(TMessage& message) override;

 protected:
  TRaised Paint() override;
  TRaised AcceleratorPressed() override { return Click(); }

 private:
  // Asks for a state (Normal, Pressed or Hot) and paints at once.
  void DrawState(TXPButtonState requested);
  void PaintPicture(TCanvas* canvas, int x, int y);
  template <class T>
  void SetAndRepaint(T& field, T value);
  void WMLButtonDown(TMessage& message);
  void WMLButtonUp(TMessage& message);
  void CMDialogKey(TMessage& message);
  void CMFocusChanged(TMessage& message);

  bool active_ = false;
  bool default_ = false;
  bool cancel_ = false;
  std::unique_ptr<TPicture> picture_;
  bool picTrans_ = false;
  TColor picTransColor_ = clWhite;
  TPicPos picPos_ = TPicPos::pTop;
  int picOffSet_ = 2;
  TModalResult modalResult_ = mrNone;
  TXPButtonState requestedState_ = TXPButtonState::Normal;
};

}  // namespace controls

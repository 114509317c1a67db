// TCustomEdit: the system's single-line edit control. With Ctl3D it has the sunken client edge, without it a
// one-pixel border; either way only while BorderStyle is bsSingle. TEdit publishes it.
#pragma once

#include "framework/win_control.h"

class TCustomEdit : public TWinControl {
  BC_CLASS(TCustomEdit, TWinControl)
  explicit TCustomEdit(TComponent* owner);

  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  // 0: no limit.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int value);
  void SelectAll();
  // The control's own flag: set by typing, cleared when the text is set.
  bool Modified() const;
  void SetModified(bool value);

  void Dispatch(TMessage& message) override;

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  TRaised CreateWnd() override;
  // Raised for every change of the text, typed or set.
  virtual TRaised Change();

 private:
  void CNCommand(TMessage& message);
  void CNCtlColor(TMessage& message);

  TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
  bool readOnly_ = false;
  int maxLength_ = 0;
};

class TEdit : public TCustomEdit {
  BC_CLASS(TEdit, TCustomEdit)
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
  const TPublishedTable& PublishedTable() const override;
};

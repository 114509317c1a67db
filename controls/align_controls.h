// TAlignEdit and TAlignComboBox: an edit box and a combo box that publish Align and paint themselves flat, the
// combo box with a narrow drop button of its own and, in an empty search box, the logo.
#pragma once

#include "framework/combo_box.h"
#include "framework/edit.h"

namespace controls {

class TAlignEdit : public TEdit {
  BC_CLASS(TAlignEdit, TEdit)
  explicit TAlignEdit(TComponent* owner);

  bool MouseIn() const { return mouseIn_; }
  void Dispatch(TMessage& message) override;
  const TPublishedTable& PublishedTable() const override;

 protected:
  TRaised Change() override;

 private:
  // Draws the flat frames over what the window shows in dc (a window DC or a DC being printed into).
  void PaintFlat(HDC dc);
  void PaintFlatOnWindow();

  bool mouseIn_ = false;
};

class TCustomAlignComboBox : public TCustomComboBox {
  BC_CLASS(TCustomAlignComboBox, TCustomComboBox)
  explicit TCustomAlignComboBox(TComponent* owner);

  bool MouseIn() const { return mouseIn_; }
  // Paint LogoBitmap into the box while it is empty and unfocused.
  bool ShowLogo() const { return showLogo_; }
  void SetShowLogo(bool value) { showLogo_ = value; }

  void Dispatch(TMessage& message) override;

 private:
  void PaintFlat(HDC dc);
  void PaintFlatOnWindow();
  void PaintDropButton(TCanvas* canvas, RECT r, TColor frameColor);

  bool mouseIn_ = false;
  bool showLogo_ = false;
};

class TAlignComboBox : public TCustomAlignComboBox {
  BC_CLASS(TAlignComboBox, TCustomAlignComboBox)
  using TCustomAlignComboBox::TCustomAlignComboBox;
  const TPublishedTable& PublishedTable() const override;
};

}  // namespace controls

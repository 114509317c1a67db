// The viewer of an edit item: it paints the box with the item's text and, when the user starts editing, puts a
// real edit control over the box and runs a small modal loop until the text is accepted, discarded or left.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/edit.h"
#include "toolbars/edit/edit_item.h"
#include "toolbars/views/item_viewer.h"

namespace toolbars {

// EndState bits.
constexpr uint8_t esEditing = 0x01;
constexpr uint8_t esAcceptedMoveOn = 0x02;
constexpr uint8_t esCloseMenu = 0x04;

class TBarEditItemViewer : public TBarItemViewer {
  BC_CLASS(TBarEditItemViewer, TBarItemViewer)
  using TBarItemViewer::TBarItemViewer;
  ~TBarEditItemViewer() override;

  // The control while the user edits, else null.
  TEdit* EditControl() const { return editControl_.get(); }
  uint8_t EndState() const { return endState_; }

  TRaised CalcSize(TCanvas* canvas, int& width, int& height) override;
  String CaptionText() const override;
  HCURSOR GetCursor(int x, int y) const override;
  TRaised KeyDown(WORD& key, TShiftState shift, TBarTrackingState& state) override;
  TRaised MouseDown(TShiftState shift, int x, int y, TBarTrackingState& state) override;
  TRaised MouseUp(int x, int y, TBarTrackingState& state) override;
  TRaised Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                bool useDisabledShadow) override;
  bool UsesSameWidth() const override { return false; }
  bool CaptionShown() const override;

  // The control made for editing.
  virtual std::unique_ptr<TEdit> NewEditControl() const;
  // Where the edit control goes, in the view window's coordinates.
  virtual RECT GetEditControlRect() const;

 protected:
  TBarEditItem* EditItem() const { return static_cast<TBarEditItem*>(Item()); }
  // Starts editing from a key or a click inside the tracking loop. OnBeginEdit, OnAcceptText and whatever runs
  // while the user types may free the viewer: the answer is whether it outlived the editing.
  TRaised BeginEdit(TBarTrackingState& state);
  // Runs the edit loop; closeMenu tells whether the menu is to close.
  TRaised EditLoop(HWND captureWnd, bool& closeMenu);
  // The edit control's messages pass here first; the three keys that end editing stop here.
  virtual void EditWndProc(TMessage& message);

 private:
  TRaised AcceptText();
  TRaised RunMessageLoop(HWND captureWnd);

  std::unique_ptr<TEdit> editControl_;
  TWndMethod editDefaultProc_;
  uint8_t endState_ = 0;
};

}  // namespace toolbars

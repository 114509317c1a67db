// TIcon: an icon handle as a picture a canvas can draw.
#pragma once

#include <windows.h>

#include "framework/bitmap.h"

class TIcon : public TGraphic {
  BC_CLASS(TIcon, TGraphic)
  TIcon() = default;
  ~TIcon() override;
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;

  // Takes a copy of another icon's image; null clears this one.
  void Assign(const TPersistent* source) override;

  bool Empty() const override { return handle_ == nullptr; }
  // The size of the icon's image; 0 while empty.
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  // An icon's size is that of its image: raises EInvalidGraphicOperation "Cannot change the size of an icon".
  void SetWidth(int value) override;
  void SetHeight(int value) override;

  HICON Handle() const { return handle_; }
  // Adopts the icon (freed with this object or by the next SetHandle); null clears.
  void SetHandle(HICON value);
  // Hands the icon to the caller, who frees it; this object is empty afterwards.
  HICON ReleaseHandle();

 protected:
  void Draw(TCanvas* canvas, const RECT& rect) override;

 private:
  HICON handle_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

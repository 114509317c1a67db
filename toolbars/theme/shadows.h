// Drop shadows of pop-ups: a shadow is up to six rectangular top-level pieces, each a layered window whose
// per-pixel alpha fades from the pop-up's edge outwards and rounds off at its ends. Without layered windows or
// in low colour the pieces are solid strips of half the thickness.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/bitmap.h"
#include "framework/win_control.h"

namespace toolbars {

// Edge bits of a piece: which of its ends fade as a corner.
constexpr uint8_t seLeadingCorner = 1;
constexpr uint8_t seTrailingCorner = 2;

enum class TShadowStyle : uint8_t { ssSolid, ssLayered, ssAlphaBlended };

// One piece of a shadow. The window lets the mouse through and is never activated.
class TShadow : public TCustomControl {
  BC_CLASS(TShadow, TCustomControl)
  TShadow(const RECT& bounds, uint8_t edges, bool loColor, uint8_t opacity);

  uint8_t Opacity() const { return opacity_; }
  uint8_t Edges() const { return edges_; }
  TShadowStyle Style() const { return style_; }
  // Windows made from now on keep what lies under them (CS_SAVEBITS).
  bool SaveBits() const { return saveBits_; }
  void SetSaveBits(bool value) { saveBits_ = value; }

  // The piece's per-pixel alpha: a 32-bit black bitmap of the piece's size.
  std::unique_ptr<TBitmap> RenderBuffer();
  // Gives a layered piece its content; the other styles paint when erased.
  void Update();
  void Dispatch(TMessage& message) override;

 protected:
  // Writes the alpha of the straight part and the corners into the buffer's rect.
  virtual void FillBuffer(TBitmap* buffer, const RECT& rect) = 0;
  // Runs along the piece: the piece's thickness, and each end's corner length.
  void CornerLengths(int length, int thickness, int& leading, int& trailing) const;
  void CreateParams(TCreateParams& params) override;

 private:
  void EraseBackground(TMessage& message);

  uint8_t opacity_;
  uint8_t edges_;
  TShadowStyle style_;
  bool saveBits_ = false;
};

// A piece under a window: its thickness is its height.
class THorzShadow : public TShadow {
  BC_CLASS(THorzShadow, TShadow)
  using TShadow::TShadow;

 protected:
  void FillBuffer(TBitmap* buffer, const RECT& rect) override;
};

// A piece right of a window: its thickness is its width.
class TVertShadow : public TShadow {
  BC_CLASS(TVertShadow, TShadow)
  using TShadow::TShadow;

 protected:
  void FillBuffer(TBitmap* buffer, const RECT& rect) override;
};

// The pieces of one pop-up's shadow. With both rectangles given (the pop-up and the item that opened it) the
// shadow goes round the pair and leaves the joint alone.
class TShadows : public TObject {
  BC_CLASS(TShadows, TObject)
  TShadows(const RECT& parentRect, const RECT& windowRect, int size, uint8_t opacity, bool loColor);

  int Count() const { return static_cast<int>(pieces_.size()); }
  TShadow* Pieces(int index) const { return pieces_[static_cast<size_t>(index)].get(); }
  bool SaveBits() const { return saveBits_; }
  void SetSaveBits(bool value);
  // Shows every piece right behind insertAfter, without activating it.
  void Show(HWND insertAfter);

 private:
  template <class Piece>
  void Add(LONG left, LONG top, LONG right, LONG bottom, uint8_t edges, bool loColor, uint8_t opacity);

  std::vector<std::unique_ptr<TShadow>> pieces_;
  bool saveBits_ = false;
};

}  // namespace toolbars

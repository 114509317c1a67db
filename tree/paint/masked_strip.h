// Glyphs kept ready to be painted with two blits, each as a draw onto black and a draw onto white showed it: the
// pixels the two draws leave unlike are those the glyph leaves as they were. For a glyph whose draw covers each pixel
// wholly or not at all (a transparent image list's, a theme's check box), the blits paint what the draw does, at a
// fraction of what the draw costs here.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tree {

class TMaskedStrip {
 public:
  // Room for slots glyphs of size x size pixels.
  TMaskedStrip(int size, int slots);
  ~TMaskedStrip();
  TMaskedStrip(const TMaskedStrip&) = delete;
  TMaskedStrip& operator=(const TMaskedStrip&) = delete;

  int Size() const { return size_; }
  int Slots() const { return slots_; }
  // Keeps in slot the glyph that draw(dc, x, y) paints with its top left corner at (x, y). False, with the slot
  // holding nothing, when the draw covered a pixel only partly or there is no such slot.
  template <class Draw>
  bool Fill(int slot, Draw&& draw) {
    if (!Clear(slot)) return false;
    draw(dc_, slot * size_, 0);
    draw(dc_, slot * size_, size_);
    return Keep(slot);
  }
  // Paints the glyph kept in slot with its top left corner at (x, y) of dc.
  void Draw(int slot, HDC dc, int x, int y) const;

 private:
  // Black above and white below in the slot's place; false when there is no such slot.
  bool Clear(int slot);
  // Makes the slot's lower half the glyph's mask; false when a pixel was covered only partly.
  bool Keep(int slot);

  int size_;
  int slots_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  std::uint32_t* bits_ = nullptr;
};

}  // namespace tree

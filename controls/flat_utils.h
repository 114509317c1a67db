// Drawing helpers of the flat-look panel, gauge and progress bar: the two-colour frame, the parent's image under
// a transparent control, and the border colour derived from the parent's colour.
#pragma once

#include "framework/control.h"

namespace controls {

// The two-colour frame of the platform's three-dimensional frame, Width rings deep: top and left in topColor,
// bottom and right in bottomColor. rect ends as the area inside the frame.
void Frame3D(TCanvas* canvas, RECT& rect, TColor topColor, TColor bottomColor, int width);

// Paints the control's parent (background and contents) into canvas as it shows under the control.
void DrawParentImage(TControl* control, TCanvas* canvas);
// True while some control draws its parent's image: a parent painted for that must not make its children paint
// again, or a transparent child would repaint for ever.
bool DrawingParentImage();

// A shade of the parent's colour: its lightness raised by 10, then lowered (darken) or raised by percent; percent
// 0 answers baseColor.
TColor CalcAdvancedColor(TColor parentColor, TColor baseColor, int percent, bool darken);

// Stores value in field when it differs; answers whether it did, so a setter knows to repaint.
template <class T>
bool StoreChanged(T& field, T value) {
  if (field == value) return false;
  field = value;
  return true;
}

}  // namespace controls

#include "controls/flat_utils.h"

#include <algorithm>

#include "controls/hsl_utils.h"
#include "framework/win_control.h"

namespace controls {

void Frame3D(TCanvas* canvas, RECT& rect, TColor topColor, TColor bottomColor, int width) {
  canvas->Pen()->SetWidth(1);
  --rect.right;
  --rect.bottom;
  for (int i = 0; i < width; ++i) {
    canvas->Pen()->SetColor(topColor);
    canvas->Polyline({{rect.left, rect.bottom}, {rect.left, rect.top}, {rect.right, rect.top}});
    canvas->Pen()->SetColor(bottomColor);
    canvas->Polyline({{rect.right, rect.top}, {rect.right, rect.bottom}, {rect.left - 1, rect.bottom}});
    InflateRect(&rect, -1, -1);
  }
  ++rect.right;
  ++rect.bottom;
}

namespace {

thread_local int parentImageDepth = 0;

}  // namespace

bool DrawingParentImage() { return parentImageDepth > 0; }

void DrawParentImage(TControl* control, TCanvas* canvas) {
  TWinControl* parent = control->Parent();
  if (!parent || !parent->HandleAllocated()) return;
  struct TDepth {
    TDepth() { ++parentImageDepth; }
    ~TDepth() { --parentImageDepth; }
  } depth;
  HDC dc = canvas->Handle();
  const int saved = SaveDC(dc);
  POINT origin;
  GetViewportOrgEx(dc, &origin);
  SetViewportOrgEx(dc, origin.x - control->Left(), origin.y - control->Top(), nullptr);
  IntersectClipRect(dc, 0, 0, parent->ClientWidth(), parent->ClientHeight());
  parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  RestoreDC(dc, saved);
  // The parent may have left other objects in the DC; the canvas selects its own again on its next call.
  canvas->Refresh();
}

TColor CalcAdvancedColor(TColor parentColor, TColor baseColor, int percent, bool darken) {
  if (percent == 0) return baseColor;
  int h = 0;
  int s = 0;
  int l = 0;
  RGBtoHSLRange(ColorToRGB(parentColor), h, s, l);
  l += 10;
  l = darken ? std::max(l - percent, 0) : std::min(l + percent, 100);
  return HSLRangeToRGB(h, s, l);
}

}  // namespace controls

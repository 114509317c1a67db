// The tree's frame: the header band above the client area, the client edge (in the tree-view look while visual
// styles are in use), the bevel and the border band. WM_NCPAINT paints it after the platform has drawn its own
// part (border and scroll bars); WM_PRINT through the framework's frame painter.
#include <vsstyle.h>

#include "framework/visual_styles.h"
#include "framework/window_dc.h"
#include "tree/base_tree.h"
#include "tree/paint/paint_resources.h"
#include "tree/tree_header.h"

namespace tree {

namespace {

// A window DC from the cache, clipped to children and siblings, that validates what it paints; the second form
// paints only the update region the message brings.
constexpr DWORD FullFrameFlags = DCX_WINDOW | DCX_CACHE | DCX_CLIPCHILDREN | DCX_CLIPSIBLINGS | DCX_VALIDATE;
constexpr DWORD RegionFrameFlags = FullFrameFlags | DCX_INTERSECTRGN;
// WM_NCPAINT's wParam when the whole frame is to be painted.
constexpr WPARAM WholeFrame = 1;

constexpr int ClientEdgeWidth = 2;
constexpr int ThickFrameWidth = 3;

// DrawEdge flags by TBevelCut for the inner and outer cut, and by TBevelKind.
constexpr UINT InnerCuts[] = {0, BDR_SUNKENINNER, BDR_RAISEDINNER, 0};
constexpr UINT OuterCuts[] = {0, BDR_SUNKENOUTER, BDR_RAISEDOUTER, 0};
constexpr UINT KindFlags[] = {0, 0, BF_SOFT, BF_FLAT};

}  // namespace

TRaised TBaseTree::PaintTreeFrame(HDC dc) {
  if (header_->Options().Contains(TTreeHeaderOption::hoVisible)) {
    const RECT header = header_->HeaderRect();
    if (header_->Columns()->PaintHeader(dc, header, offsetX_).Gone()) return TRaised(false);
    // The header spans the client's width; its band goes on over the vertical scroll bar, to the frame.
    UpdateHeaderRect();
    const RECT corners[] = {{headerRect_.left, header.top, header.left, header.bottom},
                            {header.right, header.top, headerRect_.right, header.bottom}};
    for (const RECT& corner : corners)
      if (corner.left < corner.right) header_->Columns()->PaintEmptyHeader(dc, corner);
  }
  RECT window{};
  GetWindowRect(Handle(), &window);
  RECT r{0, 0, window.right - window.left, window.bottom - window.top};
  const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
  const LONG_PTR exStyle = GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
  if (exStyle & WS_EX_CLIENTEDGE) {
    // A window made anew opens its themes at its first paint, which may come after the first frame.
    // Made anew, they ask OnGetLineStyle, which may free the tree.
    TPaintResources* resources = nullptr;
    if (PaintResources(resources).Gone()) return TRaised(false);
    const TThemeData* theme = resources->TreeTheme();
    if (states_.Contains(TTreeState::stUseThemes) && theme) {
      int saved = SaveDC(dc);
      ExcludeClipRect(dc, r.left + ClientEdgeWidth, r.top + ClientEdgeWidth, r.right - ClientEdgeWidth,
                      r.bottom - ClientEdgeWidth);
      theme->DrawBackground(dc, TVP_TREEITEM, TREIS_NORMAL, r);
      RestoreDC(dc, saved);
    }
    InflateRect(&r, -ClientEdgeWidth, -ClientEdgeWidth);
  } else if (style & WS_THICKFRAME) {
    InflateRect(&r, -ThickFrameWidth, -ThickFrameWidth);
  } else if (style & WS_BORDER) {
    InflateRect(&r, -1, -1);
  }
  if (BevelKind() == TBevelKind::bkNone && BorderWidth() == 0) return TRaised(true);

  // The band between the platform's border and what lies inside the border width: the drawn bevel lines, the
  // rest of the bevel's width and the border width, filled with the control's colour.
  RECT band = r;
  if (BevelKind() != TBevelKind::bkNone)
    DrawEdge(dc, &band, InnerCuts[static_cast<int>(BevelInner())] | OuterCuts[static_cast<int>(BevelOuter())],
             static_cast<UINT>(BevelEdges().ToBits()) | KindFlags[static_cast<int>(BevelKind())] |
                 (Ctl3D() ? 0 : BF_MONO) | BF_ADJUST);
  RECT inside = r;
  const int bevel = BevelSize();
  const TBevelEdges edges = BevelEdges();
  if (edges.Contains(TBevelEdge::beLeft)) inside.left += bevel;
  if (edges.Contains(TBevelEdge::beTop)) inside.top += bevel;
  if (edges.Contains(TBevelEdge::beRight)) inside.right -= bevel;
  if (edges.Contains(TBevelEdge::beBottom)) inside.bottom -= bevel;
  InflateRect(&inside, -BorderWidth(), -BorderWidth());
  int saved = SaveDC(dc);
  ExcludeClipRect(dc, inside.left, inside.top, inside.right, inside.bottom);
  FillRect(dc, &band, Brush()->Handle());
  RestoreDC(dc, saved);
  return TRaised(true);
}

void TBaseTree::WMNCPaint(TMessage& message) {
  DefaultHandler(message);
  message.Result = 0;
  if (!HandleAllocated()) return;
  // The platform deletes its update region itself, so the DC clips to a copy of it.
  HRGN region = nullptr;
  if (message.WParam != WholeFrame) {
    region = CreateRectRgn(0, 0, 0, 0);
    if (CombineRgn(region, reinterpret_cast<HRGN>(message.WParam), nullptr, RGN_COPY) == ERROR) {
      DeleteObject(region);
      region = nullptr;
    }
  }
  // A header handler that raises still gives the DC, and the region it holds, back.
  const TWindowDC dc(Handle(), GetDCEx(Handle(), region, region ? RegionFrameFlags : FullFrameFlags));
  if (!dc.Handle()) {
    if (region) DeleteObject(region);
    return;
  }
  // The header's handlers may free the tree, which the window procedure watches; the DC goes back all the same.
  (void)PaintTreeFrame(dc.Handle());
}

TRaised TBaseTree::PaintNonClientTo(HDC dc) {
  if (inherited::PaintNonClientTo(dc).Gone()) return TRaised(false);
  return PaintTreeFrame(dc);
}

}  // namespace tree

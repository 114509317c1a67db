// Painting a view: every viewer in its rectangle, the selected one last (on top of its neighbours), an
// invalidated one off screen so that it does not flicker, and the drop marks of item drag and drop.
#include <array>

#include "framework/win_control.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/items/item_kinds.h"
#include "toolbars/popups/item_drag.h"
#include "toolbars/popups/tracking.h"
#include "toolbars/views/item_viewer.h"
#include "toolbars/views/view.h"

namespace toolbars {

namespace {

// The size of the triangles at the ends of a drop mark.
constexpr int kDropMarkTriangle = 3;

// Moves the DC's origin to a viewer's corner and clips to it, and puts both back when it goes.
class TViewerOrigin {
 public:
  TViewerOrigin(HDC dc, const RECT& bounds) : dc_(dc), clip_(CreateRectRgn(0, 0, 0, 0)) {
    hadClip_ = GetClipRgn(dc, clip_) == 1;
    IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
    OffsetViewportOrgEx(dc, bounds.left, bounds.top, &origin_);
  }
  ~TViewerOrigin() {
    SetViewportOrgEx(dc_, origin_.x, origin_.y, nullptr);
    SelectClipRgn(dc_, hadClip_ ? clip_ : nullptr);
    DeleteObject(clip_);
  }
  TViewerOrigin(const TViewerOrigin&) = delete;
  TViewerOrigin& operator=(const TViewerOrigin&) = delete;

 private:
  HDC dc_;
  HRGN clip_;
  bool hadClip_ = false;
  POINT origin_{};
};

}  // namespace

bool TBarView::PaintsAsSelected(const TBarItemViewer* viewer) const {
  const TBarCustomItem* item = viewer->Item();
  // While the owner's menu for an entry is up, that entry stays highlighted wherever the pointer goes.
  if (ContextMenuState.Active && ContextMenuState.Link != 0 && item->DragLink() == ContextMenuState.Link) return true;
  if (DragSource == 0) return viewer == selected_;
  // During a drag the dragged entry stays highlighted, and so does an open submenu the pointer passes through.
  return item->DragLink() == DragSource || (viewer == selected_ && item->Count() > 0);
}

void TBarView::InvalidateViewer(TBarItemViewer* viewer) {
  if (!validPositions_ || !window_ || !window_->HandleAllocated() || !viewer || !viewer->Show() ||
      IsRectEmpty(&viewer->BoundsRect()) || ObjectAs<TBarControlItem>(viewer->Item()))
    return;
  viewer->flags_ = static_cast<uint8_t>(viewer->flags_ | vfInvalidated);
  InvalidateRect(window_->Handle(), &viewer->BoundsRect(), FALSE);
}

void TBarView::DrawSubitems(TCanvas* canvas) {
  // One font for the whole paint; the viewers change only its colour and, for a moment, its style.
  canvas->SetFont(GetFont());
  const bool inOrder = HasState(vsDrawInOrder);
  for (auto& viewer : viewers_)
    if (inOrder || viewer.get() != selected_) DrawItem(viewer.get(), canvas, false);
  if (!inOrder && selected_) DrawItem(selected_, canvas, false);
  ExcludeState(vsDrawInOrder);
}

TFont* TBarView::GetFont() { return BarMenuFont(); }

void TBarView::DrawItem(TBarItemViewer* viewer, TCanvas* canvas, bool offscreen) {
  ValidatePositions();
  if (viewer->flags_ & vfInvalidated) {
    offscreen = true;
    viewer->flags_ = static_cast<uint8_t>(viewer->flags_ & ~vfInvalidated);
  }
  const RECT bounds = viewer->BoundsRect();
  if (!viewer->Show() || IsRectEmpty(&bounds) || ObjectAs<TBarControlItem>(viewer->Item())) return;
  const bool isSelected = PaintsAsSelected(viewer);
  const bool isPushed = isSelected && (viewer == openViewer_ || (mouseOverSelected_ && mouseButtonDown_));
  const bool toolbarStyle = viewer->IsToolbarStyle();
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  const RECT local{0, 0, width, height};

  TColor background = window_ ? window_->Color() : clBtnFace;
  if (backgroundColor_ != clDefault) background = backgroundColor_;
  const bool useDisabledShadow =
      !viewer->Item()->Enabled() && (toolbarStyle || (!isSelected && ColorToRGB(background) == ColorToRGB(clBtnFace)));
  auto paint = [&](TCanvas* target) {
    target->Font()->SetColor(isSelected && !toolbarStyle ? clHighlightText : (toolbarStyle ? clBtnText : clMenuText));
    viewer->Paint(target, local, isSelected, isPushed, useDisabledShadow);
    DrawDropMark(viewer, target->Handle(), local);
  };

  HDC dc = canvas->Handle();
  if (!offscreen) {
    TViewerOrigin origin(dc, bounds);
    paint(canvas);
    return;
  }
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  // The window's background at the viewer's place, so patterns and gradients line up with the rest.
  SetViewportOrgEx(memory, -bounds.left, -bounds.top, nullptr);
  SetBrushOrgEx(memory, -bounds.left, -bounds.top, nullptr);
  if (window_) window_->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
  SetViewportOrgEx(memory, 0, 0, nullptr);
  {
    TCanvas memoryCanvas;
    memoryCanvas.SetHandle(memory);
    memoryCanvas.SetFont(canvas->Font());
    paint(&memoryCanvas);
    memoryCanvas.SetHandle(nullptr);
  }
  BitBlt(dc, bounds.left, bounds.top, width, height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

void TBarView::DrawDropMark(TBarItemViewer* viewer, HDC dc, const RECT& rect) {
  const int mark = viewer->DropMark();
  if (mark == 0) return;
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
  HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_BTNTEXT));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  const int t = kDropMarkTriangle;
  if (!viewer->IsToolbarStyle()) {
    const int y = mark > 0 ? rect.top : rect.bottom - 1;
    MoveToEx(dc, rect.left, y, nullptr);
    LineTo(dc, rect.right, y);
    const std::array<POINT, 3> left = {{{rect.left, y - t}, {rect.left + t, y}, {rect.left, y + t}}};
    const std::array<POINT, 3> right = {{{rect.right - 1, y - t}, {rect.right - 1 - t, y}, {rect.right - 1, y + t}}};
    Polygon(dc, left.data(), 3);
    Polygon(dc, right.data(), 3);
  } else {
    const int x = mark > 0 ? rect.left : rect.right - 1;
    MoveToEx(dc, x, rect.top, nullptr);
    LineTo(dc, x, rect.bottom);
    const std::array<POINT, 3> top = {{{x - t, rect.top}, {x, rect.top + t}, {x + t, rect.top}}};
    const std::array<POINT, 3> bottom = {
        {{x - t, rect.bottom - 1}, {x, rect.bottom - 1 - t}, {x + t, rect.bottom - 1}}};
    Polygon(dc, top.data(), 3);
    Polygon(dc, bottom.data(), 3);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

void TBarView::PaintOffscreen() {
  if (!window_ || !window_->HandleAllocated()) return;
  HWND handle = window_->Handle();
  RECT client;
  GetClientRect(handle, &client);
  if (!IsWindowVisible(handle) || client.right < 1 || client.bottom < 1) return;
  HDC windowDC = GetDC(handle);
  HDC memory = CreateCompatibleDC(windowDC);
  HBITMAP bitmap = CreateCompatibleBitmap(windowDC, client.right, client.bottom);
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  window_->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
  window_->Perform(WM_PAINT, reinterpret_cast<WPARAM>(memory), 0);
  BitBlt(windowDC, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(handle, windowDC);
  ValidateRect(handle, nullptr);
}

}  // namespace toolbars

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

TRaised TBarView::DrawSubitems(TCanvas* canvas) {
  // One font for the whole paint; the viewers change only its colour and, for a moment, its style.
  canvas->SetFont(GetFont());
  const bool inOrder = HasState(vsDrawInOrder);
  // A paint handler may delete items (their viewers leave the list) or free the view: the walk is by index.
  const TLifeWatch life = LifeWatch();
  for (size_t i = 0; i < viewers_.size(); ++i) {
    TBarItemViewer* viewer = viewers_[i].get();
    if (!inOrder && viewer == selected_) continue;
    if (DrawItem(viewer, canvas, false).Gone()) return TRaised(false);
  }
  if (!inOrder && selected_ && DrawItem(selected_, canvas, false).Gone()) return TRaised(false);
  ExcludeState(vsDrawInOrder);
  return TRaised(!life.Ended());
}

TFont* TBarView::GetFont() { return BarMenuFont(); }

TRaised TBarView::DrawItem(TBarItemViewer* viewer, TCanvas* canvas, bool offscreen) {
  const TLifeWatch life = LifeWatch();
  const TLifeWatch viewerLife = viewer->LifeWatch();
  if (ValidatePositions().Gone()) return TRaised(false);
  if (viewerLife.Ended()) return TRaised(true);
  if (viewer->flags_ & vfInvalidated) {
    offscreen = true;
    viewer->flags_ = static_cast<uint8_t>(viewer->flags_ & ~vfInvalidated);
  }
  const RECT bounds = viewer->BoundsRect();
  if (!viewer->Show() || IsRectEmpty(&bounds) || ObjectAs<TBarControlItem>(viewer->Item())) return TRaised(true);
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
  // The viewer's paint handlers may free it, or the whole view: the drop mark goes on a viewer that lives, and
  // the answer, the viewer's, is turned into the view's by the callers.
  auto paint = [&](TCanvas* target) {
    target->Font()->SetColor(isSelected && !toolbarStyle ? clHighlightText : (toolbarStyle ? clBtnText : clMenuText));
    const TRaised painted = viewer->Paint(target, local, isSelected, isPushed, useDisabledShadow);
    if (painted.Alive()) DrawDropMark(viewer, target->Handle(), local);
    return painted;
  };

  HDC dc = canvas->Handle();
  if (!offscreen) {
    TViewerOrigin origin(dc, bounds);
    return AnswerFor(life, paint(canvas));
  }
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  // The window's background at the viewer's place, so patterns and gradients line up with the rest.
  SetViewportOrgEx(memory, -bounds.left, -bounds.top, nullptr);
  SetBrushOrgEx(memory, -bounds.left, -bounds.top, nullptr);
  if (window_) window_->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
  SetViewportOrgEx(memory, 0, 0, nullptr);
  TRaised painted(true);
  {
    TCanvas memoryCanvas;
    memoryCanvas.SetHandle(memory);
    memoryCanvas.SetFont(canvas->Font());
    painted = AnswerFor(life, paint(&memoryCanvas));
    memoryCanvas.SetHandle(nullptr);
  }
  // The window's DC outlives a view freed meanwhile; only the copy is left out then.
  if (painted.Alive()) BitBlt(dc, bounds.left, bounds.top, width, height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return painted;
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

TRaised TBarView::PaintOffscreen() {
  if (!window_ || !window_->HandleAllocated()) return TRaised(true);
  HWND handle = window_->Handle();
  RECT client;
  GetClientRect(handle, &client);
  if (!IsWindowVisible(handle) || client.right < 1 || client.bottom < 1) return TRaised(true);
  HDC windowDC = GetDC(handle);
  HDC memory = CreateCompatibleDC(windowDC);
  HBITMAP bitmap = CreateCompatibleBitmap(windowDC, client.right, client.bottom);
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  // The paint raises the viewers' paint handlers, which may free the view with its window; what was taken here
  // goes back through the handles alone.
  const TLifeWatch life = LifeWatch();
  window_->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
  if (!life.Ended()) window_->Perform(WM_PAINT, reinterpret_cast<WPARAM>(memory), 0);
  if (!life.Ended()) BitBlt(windowDC, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(handle, windowDC);
  if (life.Ended()) return TRaised(false);
  ValidateRect(handle, nullptr);
  return TRaised(true);
}

}  // namespace toolbars

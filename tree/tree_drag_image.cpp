#include "tree/tree_drag_image.h"

#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "framework/graphics.h"
#include "tree/base_tree.h"
#include "tree/screen_source.h"
#include "tree/tree_drawing.h"
#include "tree/tree_unit.h"

namespace tree {

namespace {

RECT Offset(const RECT& r, int dx, int dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

}  // namespace

TTreeDragImage::TTreeDragImage(TBaseTree* owner) : owner_(owner) {}

TTreeDragImage::~TTreeDragImage() { EndDrag(); }

bool TTreeDragImage::Visible() const {
  return states_.Contains(TDragImageState::disInDrag) && states_.Contains(TDragImageState::disPrepared) &&
         !states_.Contains(TDragImageState::disHidden) && !states_.Contains(TDragImageState::disSystemSupport);
}

void TTreeDragImage::PrepareDrag(TBitmap& picture, POINT imagePosition, POINT hotSpot, IDataObject* dataObject) {
  int width = picture.Width(), height = picture.Height();
  states_ -= TDragImageState::disSystemSupport;
  if (dataObject) {
    Microsoft::WRL::ComPtr<IDragSourceHelper> helper;
    if (SUCCEEDED(CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&helper)))) {
      TBitmap copy;
      copy.Assign(&picture);
      SHDRAGIMAGE image{};
      image.sizeDragImage = SIZE{width, height};
      image.ptOffset = POINT{width / 2, height / 2};
      image.hbmpDragImage = copy.ReleaseHandle();
      image.crColorKey = colorKey_ == clNone ? CLR_NONE : ColorToRGB(colorKey_);
      // The service owns the bitmap only when it accepted it.
      if (SUCCEEDED(helper->InitializeFromBitmap(&image, dataObject)))
        states_ += TDragImageState::disSystemSupport;
      else
        DeleteObject(image.hbmpDragImage);
    }
  }
  if (!HasMMX || states_.Contains(TDragImageState::disSystemSupport)) return;

  lastPosition_ = hotSpot;
  Make32BitBitmap(backImage_, width, height);
  Make32BitBitmap(alphaImage_, width, height);
  Make32BitBitmap(dragImage_, width, height);
  HDC pictureDC = picture.Canvas()->Handle();
  HDC dragDC = dragImage_.Canvas()->Handle();
  if (preBlendBias_ == 0) {
    BitBlt(dragDC, 0, 0, width, height, pictureDC, 0, 0, SRCCOPY);
  } else {
    TBitmap source;
    Make32BitBitmap(source, width, height);
    BitBlt(source.Canvas()->Handle(), 0, 0, width, height, pictureDC, 0, 0, SRCCOPY);
    BlendBitmapRect(source.Canvas()->Handle(), dragDC, RECT{0, 0, width, height}, POINT{0, 0},
                    TBlendMode::blendConstant, 255, preBlendBias_);
  }
  MakeAlphaChannel();
  imagePosition_ = imagePosition;
  states_ += TDragImageStates{TDragImageState::disHidden, TDragImageState::disInDrag, TDragImageState::disPrepared};
}

void TTreeDragImage::MakeAlphaChannel() {
  int width = dragImage_.Width(), height = dragImage_.Height();
  double largest = std::max(width, height);
  COLORREF key = colorKey_ == clNone ? CLR_NONE : ColorToRGB(colorKey_);
  for (int y = 0; y < height; ++y) {
    auto* pixel = static_cast<std::uint8_t*>(dragImage_.ScanLine(y));
    for (int x = 0; x < width; ++x, pixel += 4) {
      COLORREF color = RGB(pixel[2], pixel[1], pixel[0]);
      if (key != CLR_NONE && color == key) {
        pixel[3] = 0;
        continue;
      }
      double dx = (x - width / 2) / largest, dy = (y - height / 2) / largest;
      pixel[3] = static_cast<std::uint8_t>(std::lround(255 * std::exp(-8 * std::sqrt(dx * dx + dy * dy))));
    }
  }
}

void TTreeDragImage::Restore(HDC dc, const RECT& screenRect) {
  BitBlt(dc, screenRect.left, screenRect.top, screenRect.right - screenRect.left, screenRect.bottom - screenRect.top,
         backImage_.Canvas()->Handle(), screenRect.left - imagePosition_.x, screenRect.top - imagePosition_.y, SRCCOPY);
}

void TTreeDragImage::Capture(HDC dc, const RECT& screenRect) {
  BitBlt(backImage_.Canvas()->Handle(), screenRect.left - imagePosition_.x, screenRect.top - imagePosition_.y,
         screenRect.right - screenRect.left, screenRect.bottom - screenRect.top, dc, screenRect.left, screenRect.top,
         SRCCOPY);
}

void TTreeDragImage::InternalShowDragImage(HDC dc) {
  int width = dragImage_.Width(), height = dragImage_.Height();
  HDC alphaDC = alphaImage_.Canvas()->Handle();
  BitBlt(alphaDC, 0, 0, width, height, backImage_.Canvas()->Handle(), 0, 0, SRCCOPY);
  TBlendMode mode = fade_ || colorKey_ != clNone ? TBlendMode::blendMaster : TBlendMode::blendConstant;
  BlendBitmapRect(dragImage_.Canvas()->Handle(), alphaDC, RECT{0, 0, width, height}, POINT{0, 0}, mode, transparency_,
                  postBlendBias_);
  BitBlt(dc, imagePosition_.x, imagePosition_.y, width, height, alphaDC, 0, 0, SRCCOPY);
  const RECT shown{imagePosition_.x, imagePosition_.y, imagePosition_.x + width, imagePosition_.y + height};
  UnionRect(&swept_, &swept_, &shown);
}

void TTreeDragImage::ShowDragImage() {
  if (!states_.Contains(TDragImageState::disPrepared) || !states_.Contains(TDragImageState::disHidden) ||
      states_.Contains(TDragImageState::disSystemSupport))
    return;
  states_ -= TDragImageState::disHidden;
  GdiFlush();
  TScreenDC screen;
  BitBlt(backImage_.Canvas()->Handle(), 0, 0, backImage_.Width(), backImage_.Height(), screen.Get(), imagePosition_.x,
         imagePosition_.y, SRCCOPY);
  InternalShowDragImage(screen.Get());
}

void TTreeDragImage::HideDragImage() {
  if (!Visible()) return;
  RECT shown = GetDragImageRect();
  states_ += TDragImageState::disHidden;
  TScreenDC screen;
  Restore(screen.Get(), shown);
}

void TTreeDragImage::EndDrag() {
  HideDragImage();
  // What the image put back is what the screen held when it was taken, which need not be what the windows show
  // now: a window that paints into a buffer of its own, or later than the image read the screen, leaves marks it
  // has long erased under a restored band. The windows the image passed over paint themselves once more.
  if (!IsRectEmpty(&swept_)) RedrawWindow(nullptr, &swept_, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  swept_ = RECT{};
  states_ -= TDragImageStates{TDragImageState::disInDrag, TDragImageState::disPrepared};
  backImage_.SetSize(0, 0);
  alphaImage_.SetSize(0, 0);
  dragImage_.SetSize(0, 0);
}

RECT TTreeDragImage::GetDragImageRect() const {
  if (!Visible()) return RECT{};
  return RECT{imagePosition_.x, imagePosition_.y, imagePosition_.x + dragImage_.Width(),
              imagePosition_.y + dragImage_.Height()};
}

bool TTreeDragImage::WillMove(POINT p) const {
  if (!Visible()) return false;
  int dx = moveRestriction_ == TTreeDragMoveRestriction::MoveVerticalOnly ? 0 : lastPosition_.x - p.x;
  int dy = moveRestriction_ == TTreeDragMoveRestriction::MoveHorizontalOnly ? 0 : lastPosition_.y - p.y;
  return dx != 0 || dy != 0;
}

bool TTreeDragImage::DragTo(POINT p, bool forceRepaint) {
  int dx = moveRestriction_ == TTreeDragMoveRestriction::MoveVerticalOnly ? 0 : lastPosition_.x - p.x;
  int dy = moveRestriction_ == TTreeDragMoveRestriction::MoveHorizontalOnly ? 0 : lastPosition_.y - p.y;
  if (dx == 0 && dy == 0 && !forceRepaint) return false;
  if (Visible()) {
    TScreenDC screen;
    HDC dc = screen.Get();
    int width = dragImage_.Width(), height = dragImage_.Height();
    RECT old = GetDragImageRect();
    if (std::abs(dx) >= width || std::abs(dy) >= height || forceRepaint) {
      Restore(dc, old);
      if (forceRepaint && owner_ && owner_->HandleAllocated()) UpdateWindow(owner_->Handle());
      imagePosition_.x -= dx;
      imagePosition_.y -= dy;
      Capture(dc, GetDragImageRect());
    } else {
      // The bands of the old area the new one leaves, and of the new area the old one did not cover.
      RECT moved = Offset(old, -dx, -dy);
      if (dx > 0) Restore(dc, RECT{old.right - dx, old.top, old.right, old.bottom});
      if (dx < 0) Restore(dc, RECT{old.left, old.top, old.left - dx, old.bottom});
      if (dy > 0) Restore(dc, RECT{old.left, old.bottom - dy, old.right, old.bottom});
      if (dy < 0) Restore(dc, RECT{old.left, old.top, old.right, old.top - dy});
      ScrollDC(backImage_.Canvas()->Handle(), dx, dy, nullptr, nullptr, nullptr, nullptr);
      imagePosition_.x -= dx;
      imagePosition_.y -= dy;
      if (dx > 0) Capture(dc, RECT{moved.left, moved.top, moved.left + dx, moved.bottom});
      if (dx < 0) Capture(dc, RECT{moved.right + dx, moved.top, moved.right, moved.bottom});
      if (dy > 0) Capture(dc, RECT{moved.left, moved.top, moved.right, moved.top + dy});
      if (dy < 0) Capture(dc, RECT{moved.left, moved.bottom + dy, moved.right, moved.bottom});
    }
    InternalShowDragImage(dc);
  }
  lastPosition_ = p;
  return true;
}

void TTreeDragImage::RecaptureBackground(TBaseTree* tree, const RECT& r, HRGN visibleRegion, bool captureNCArea,
                                         bool reshowDragImage) {
  if (!Visible() || !tree || !tree->HandleAllocated()) return;
  HWND window = tree->Handle();
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  RECT image = GetDragImageRect(), dirty = Offset(r, origin.x, origin.y), part{};
  if (!IntersectRect(&part, &image, &dirty)) return;
  HDC backDC = backImage_.Canvas()->Handle();
  int saved = SaveDC(backDC);
  IntersectClipRect(backDC, part.left - imagePosition_.x, part.top - imagePosition_.y, part.right - imagePosition_.x,
                    part.bottom - imagePosition_.y);
  if (captureNCArea) {
    RECT windowRect{};
    GetWindowRect(window, &windowRect);
    SetWindowOrgEx(backDC, imagePosition_.x - windowRect.left, imagePosition_.y - windowRect.top, nullptr);
    SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(backDC), PRF_NONCLIENT);
  }
  // The tree paints in client coordinates; its scroll offsets are its own business.
  SetWindowOrgEx(backDC, imagePosition_.x - origin.x, imagePosition_.y - origin.y, nullptr);
  if (visibleRegion) {
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(clip, visibleRegion, nullptr, RGN_COPY);
    OffsetRgn(clip, origin.x - imagePosition_.x, origin.y - imagePosition_.y);
    ExtSelectClipRgn(backDC, clip, RGN_AND);
    DeleteObject(clip);
  }
  // Printing a client area paints it without its background: that comes first, then the tree's painting.
  SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(backDC), 0);
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(backDC), PRF_CLIENT);
  RestoreDC(backDC, saved);
  if (reshowDragImage) {
    GdiFlush();
    TScreenDC screen;
    InternalShowDragImage(screen.Get());
  }
}

}  // namespace tree

#include "framework/icon.h"

#include "framework/exceptions.h"

TIcon::~TIcon() {
  if (handle_) DestroyIcon(handle_);
}

void TIcon::Assign(const TPersistent* source) {
  if (!source) return SetHandle(nullptr);
  const TIcon* icon = ObjectAs<const TIcon>(source);
  if (!icon) return TGraphic::Assign(source);
  if (icon == this) return;
  SetHandle(icon->handle_ ? CopyIcon(icon->handle_) : nullptr);
}

void TIcon::SetWidth(int value) {
  if (value != width_) throw EInvalidGraphicOperation(L"Cannot change the size of an icon");
}

void TIcon::SetHeight(int value) {
  if (value != height_) throw EInvalidGraphicOperation(L"Cannot change the size of an icon");
}

void TIcon::SetHandle(HICON value) {
  if (value == handle_) return;
  if (handle_) DestroyIcon(handle_);
  handle_ = value;
  width_ = height_ = 0;
  ICONINFO info{};
  if (value && GetIconInfo(value, &info)) {
    BITMAP image{};
    // A monochrome icon keeps its image below its mask in one bitmap of twice the height.
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof image, &image)) {
      width_ = image.bmWidth;
      height_ = image.bmHeight;
    } else if (info.hbmMask && GetObjectW(info.hbmMask, sizeof image, &image)) {
      width_ = image.bmWidth;
      height_ = image.bmHeight / 2;
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
  }
  Changed();
}

HICON TIcon::ReleaseHandle() {
  HICON handle = handle_;
  handle_ = nullptr;
  width_ = height_ = 0;
  return handle;
}

void TIcon::Draw(TCanvas* canvas, const RECT& rect) {
  DrawIconEx(canvas->Handle(), rect.left, rect.top, handle_, rect.right - rect.left, rect.bottom - rect.top, 0, nullptr,
             DI_NORMAL);
}

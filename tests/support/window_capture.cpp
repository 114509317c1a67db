#include "support/window_capture.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <utility>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

DWORD ToDibPixel(COLORREF color) { return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color); }
COLORREF FromDibPixel(DWORD pixel) { return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF); }

SIZE SizeOf(const RECT& rect) { return {rect.right - rect.left, rect.bottom - rect.top}; }

}  // namespace

TWindowCapture::TWindowCapture(int width, int height) : width_(std::max(width, 1)), height_(std::max(height, 1)) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;  // negative: rows run top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<DWORD*>(bits);
  dc_ = CreateCompatibleDC(nullptr);
  previousBitmap_ = SelectObject(dc_, bitmap_);
  Fill(kUnpainted);
}

TWindowCapture::TWindowCapture(TWindowCapture&& other) noexcept { *this = std::move(other); }

TWindowCapture& TWindowCapture::operator=(TWindowCapture&& other) noexcept {
  if (this != &other) {
    Release();
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    dc_ = std::exchange(other.dc_, nullptr);
    bitmap_ = std::exchange(other.bitmap_, nullptr);
    previousBitmap_ = std::exchange(other.previousBitmap_, nullptr);
    bits_ = std::exchange(other.bits_, nullptr);
  }
  return *this;
}

TWindowCapture::~TWindowCapture() { Release(); }

void TWindowCapture::Release() {
  if (dc_) {
    SelectObject(dc_, previousBitmap_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  bits_ = nullptr;
}

TWindowCapture TWindowCapture::Printed(HWND wnd, const RECT& rect, UINT message, UINT flags) {
  SIZE size = SizeOf(rect);
  TWindowCapture capture(size.cx, size.cy);
  SendMessageW(wnd, message, reinterpret_cast<WPARAM>(capture.dc_), flags);
  GdiFlush();
  return capture;
}

TWindowCapture TWindowCapture::OfWindow(HWND wnd, UINT flags) {
  RECT rect;
  GetWindowRect(wnd, &rect);
  return Printed(wnd, rect, WM_PRINT, flags);
}

TWindowCapture TWindowCapture::AsShown(HWND wnd) {
  RECT rect;
  GetWindowRect(wnd, &rect);
  const SIZE size = SizeOf(rect);
  TWindowCapture capture(size.cx, size.cy);
  HDC dc = GetWindowDC(wnd);
  BitBlt(capture.dc_, 0, 0, size.cx, size.cy, dc, 0, 0, SRCCOPY);
  ReleaseDC(wnd, dc);
  GdiFlush();
  return capture;
}

TWindowCapture TWindowCapture::OfClient(HWND wnd, UINT flags) {
  RECT rect;
  GetClientRect(wnd, &rect);
  return Printed(wnd, rect, WM_PRINTCLIENT, flags);
}

COLORREF TWindowCapture::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  GdiFlush();
  return FromDibPixel(bits_[y * width_ + x] & 0x00FFFFFF);
}

void TWindowCapture::SetPixel(int x, int y, COLORREF color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  GdiFlush();
  bits_[y * width_ + x] = ToDibPixel(color);
}

void TWindowCapture::Fill(COLORREF color) {
  GdiFlush();
  std::fill(bits_, bits_ + width_ * height_, ToDibPixel(color));
}

int TWindowCapture::CountPixels(COLORREF color, const RECT* rect) const {
  RECT whole = {0, 0, width_, height_};
  RECT area;
  if (!IntersectRect(&area, rect ? rect : &whole, &whole)) return 0;
  GdiFlush();
  const DWORD wanted = ToDibPixel(color);
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if ((bits_[y * width_ + x] & 0x00FFFFFF) == wanted) ++count;
  return count;
}

int TWindowCapture::CountDifferentPixels(const TWindowCapture& other, const RECT* rect) const {
  RECT whole = {0, 0, std::min(width_, other.width_), std::min(height_, other.height_)};
  RECT area;
  if (!IntersectRect(&area, rect ? rect : &whole, &whole)) return 0;
  GdiFlush();
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (((bits_[y * width_ + x] ^ other.bits_[y * other.width_ + x]) & 0x00FFFFFF) != 0) ++count;
  return count;
}

RECT TWindowCapture::BoundsOf(COLORREF color) const {
  GdiFlush();
  const DWORD wanted = ToDibPixel(color);
  RECT bounds = {width_, height_, 0, 0};
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      if ((bits_[y * width_ + x] & 0x00FFFFFF) == wanted) {
        bounds.left = std::min<LONG>(bounds.left, x);
        bounds.top = std::min<LONG>(bounds.top, y);
        bounds.right = std::max<LONG>(bounds.right, x + 1);
        bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
      }
  if (IsRectEmpty(&bounds)) SetRectEmpty(&bounds);
  return bounds;
}

bool TWindowCapture::SaveToPng(const std::wstring& fileName) const {
  GdiFlush();
  // Painting leaves the alpha byte undefined; the file is written opaque.
  std::vector<DWORD> opaque(bits_, bits_ + width_ * height_);
  for (DWORD& pixel : opaque) pixel |= 0xFF000000;

  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
  const UINT stride = static_cast<UINT>(width_) * 4;
  return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) &&
         SUCCEEDED(factory->CreateStream(&stream)) &&
         SUCCEEDED(stream->InitializeFromFilename(fileName.c_str(), GENERIC_WRITE)) &&
         SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
         SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
         SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
         SUCCEEDED(frame->SetSize(static_cast<UINT>(width_), static_cast<UINT>(height_))) &&
         SUCCEEDED(frame->SetPixelFormat(&format)) && format == GUID_WICPixelFormat32bppBGRA &&
         SUCCEEDED(frame->WritePixels(static_cast<UINT>(height_), stride, stride * static_cast<UINT>(height_),
                                      reinterpret_cast<BYTE*>(opaque.data()))) &&
         SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

namespace {

// The folder BC_TEST_CAPTURE_DIR names, ending in a separator; empty when it is not set.
std::wstring ViewingFolder() {
  wchar_t folder[MAX_PATH];
  DWORD length = GetEnvironmentVariableW(L"BC_TEST_CAPTURE_DIR", folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::wstring path(folder, length);
  if (path.back() != L'\\' && path.back() != L'/') path += L'\\';
  return path;
}

}  // namespace

bool CapturesAreKeptForViewing() { return !ViewingFolder().empty(); }

void KeepCaptureForViewing(const TWindowCapture& capture, const std::wstring& name) {
  const std::wstring folder = ViewingFolder();
  if (!folder.empty()) capture.SaveToPng(folder + name + L".png");
}

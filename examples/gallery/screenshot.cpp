#include "screenshot.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

// A 32-bit top-down DIB selected into a memory DC for as long as the object lives.
class TDibCanvas {
 public:
  TDibCanvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    if (!dc_ || !bitmap_) RaiseLastOSError();
    previous_ = SelectObject(dc_, bitmap_);
  }
  TDibCanvas(const TDibCanvas&) = delete;
  TDibCanvas& operator=(const TDibCanvas&) = delete;
  ~TDibCanvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC DC() const { return dc_; }
  BYTE* Bits() const { return bits_; }
  UINT Stride() const { return static_cast<UINT>(width_) * 4; }
  UINT Size() const { return Stride() * static_cast<UINT>(height_); }

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  BYTE* bits_ = nullptr;
};

struct TOwnedPrint {
  HWND Owner;
  HDC DC;
  RECT OwnerRect;
};

// Prints a visible window the form owns (a floating bar) where it lies over the form.
BOOL CALLBACK PrintOwnedWindow(HWND wnd, LPARAM param) {
  auto* print = reinterpret_cast<TOwnedPrint*>(param);
  if (GetWindow(wnd, GW_OWNER) != print->Owner || !IsWindowVisible(wnd)) return TRUE;
  RECT rect;
  GetWindowRect(wnd, &rect);
  const int saved = SaveDC(print->DC);
  SetWindowOrgEx(print->DC, print->OwnerRect.left - rect.left, print->OwnerRect.top - rect.top, nullptr);
  IntersectClipRect(print->DC, 0, 0, rect.right - rect.left, rect.bottom - rect.top);
  SendMessageW(wnd, WM_PRINT, reinterpret_cast<WPARAM>(print->DC),
               PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
  RestoreDC(print->DC, saved);
  return TRUE;
}

}  // namespace

TScreenshot CaptureScreenshot(TWinControl* control) {
  RECT window;
  GetWindowRect(control->Handle(), &window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  TDibCanvas canvas(width, height);
  control->PaintTo(canvas.DC(), 0, 0);
  TOwnedPrint owned{control->Handle(), canvas.DC(), window};
  EnumWindows(&PrintOwnedWindow, reinterpret_cast<LPARAM>(&owned));
  GdiFlush();
  TScreenshot picture{width, height, std::vector<BYTE>(canvas.Bits(), canvas.Bits() + canvas.Size())};
  // GDI leaves the alpha byte at 0; the picture is opaque.
  for (size_t i = 3; i < picture.Pixels.size(); i += 4) picture.Pixels[i] = 0xFF;
  return picture;
}

void SavePng(const TScreenshot& picture, const String& fileName) {
  const auto stride = static_cast<UINT>(picture.Width) * 4;
  ComPtr<IWICImagingFactory> factory;
  OleCheck(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)));
  ComPtr<IWICStream> stream;
  OleCheck(factory->CreateStream(&stream));
  OleCheck(stream->InitializeFromFilename(fileName.c_str(), GENERIC_WRITE));
  ComPtr<IWICBitmapEncoder> encoder;
  OleCheck(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder));
  OleCheck(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache));
  ComPtr<IWICBitmapFrameEncode> frame;
  OleCheck(encoder->CreateNewFrame(&frame, nullptr));
  OleCheck(frame->Initialize(nullptr));
  OleCheck(frame->SetSize(static_cast<UINT>(picture.Width), static_cast<UINT>(picture.Height)));
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
  OleCheck(frame->SetPixelFormat(&format));
  OleCheck(frame->WritePixels(static_cast<UINT>(picture.Height), stride, static_cast<UINT>(picture.Pixels.size()),
                              const_cast<BYTE*>(picture.Pixels.data())));
  OleCheck(frame->Commit());
  OleCheck(encoder->Commit());
}

void SaveScreenshot(TWinControl* control, const String& fileName) { SavePng(CaptureScreenshot(control), fileName); }

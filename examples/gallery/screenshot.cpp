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

}  // namespace

void SaveScreenshot(TWinControl* control, const String& fileName) {
  RECT window;
  GetWindowRect(control->Handle(), &window);
  int width = window.right - window.left;
  int height = window.bottom - window.top;
  TDibCanvas canvas(width, height);
  control->PaintTo(canvas.DC(), 0, 0);
  GdiFlush();
  // GDI leaves the alpha byte at 0; the picture is opaque.
  for (UINT i = 3; i < canvas.Size(); i += 4) canvas.Bits()[i] = 0xFF;

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
  OleCheck(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)));
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
  OleCheck(frame->SetPixelFormat(&format));
  OleCheck(frame->WritePixels(static_cast<UINT>(height), canvas.Stride(), canvas.Size(), canvas.Bits()));
  OleCheck(frame->Commit());
  OleCheck(encoder->Commit());
}

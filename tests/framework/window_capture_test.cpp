#include "support/window_capture.h"

#include <gtest/gtest.h>
#include <wincodec.h>
#include <wrl/client.h>

#include "support/test_window.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr COLORREF kKnownRed = RGB(200, 10, 20);
constexpr COLORREF kKnownBlue = RGB(5, 30, 210);

// Paints a known picture: a red block and one blue pixel on whatever the background is.
void PaintKnownPixels(HDC dc) {
  HBRUSH red = CreateSolidBrush(kKnownRed);
  RECT block = {10, 20, 40, 30};
  FillRect(dc, &block, red);
  DeleteObject(red);
  SetPixel(dc, 0, 0, kKnownBlue);
}

std::optional<LRESULT> PaintOnPrintClient(HWND wnd, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_PRINTCLIENT) {
    PaintKnownPixels(reinterpret_cast<HDC>(wParam));
    return 0;
  }
  if (msg == WM_PAINT) {
    PAINTSTRUCT paint;
    PaintKnownPixels(BeginPaint(wnd, &paint));
    EndPaint(wnd, &paint);
    return 0;
  }
  return std::nullopt;
}

COLORREF DecodedPixel(const std::wstring& fileName, UINT x, UINT y) {
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) ||
      FAILED(factory->CreateDecoderFromFilename(fileName.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                &decoder)) ||
      FAILED(decoder->GetFrame(0, &frame)) || FAILED(factory->CreateFormatConverter(&converter)) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                   WICBitmapPaletteTypeCustom)))
    return CLR_INVALID;
  WICRect one = {static_cast<INT>(x), static_cast<INT>(y), 1, 1};
  BYTE bgra[4] = {};
  if (FAILED(converter->CopyPixels(&one, 4, 4, bgra))) return CLR_INVALID;
  return RGB(bgra[2], bgra[1], bgra[0]);
}

}  // namespace

TEST(WindowCapture, ClientPaintingIsReadBackPixelForPixel) {
  TTestWindow window({50, 50, 150, 110}, &PaintOnPrintClient);
  TWindowCapture capture = TWindowCapture::OfClient(window.Handle(), PRF_CLIENT);

  ASSERT_EQ(100, capture.Width());
  ASSERT_EQ(60, capture.Height());
  EXPECT_EQ(kKnownBlue, capture.Pixel(0, 0));
  EXPECT_EQ(kKnownRed, capture.Pixel(10, 20));
  EXPECT_EQ(kKnownRed, capture.Pixel(39, 29));
  EXPECT_EQ(TWindowCapture::kUnpainted, capture.Pixel(40, 29));
  EXPECT_EQ(TWindowCapture::kUnpainted, capture.Pixel(39, 30));
  EXPECT_EQ(300, capture.CountPixels(kKnownRed));
  RECT lowerHalf = {0, 25, 100, 60};
  EXPECT_EQ(150, capture.CountPixels(kKnownRed, &lowerHalf));
  RECT bounds = capture.BoundsOf(kKnownRed);
  RECT block = {10, 20, 40, 30};
  EXPECT_TRUE(EqualRect(&block, &bounds));
  bounds = capture.BoundsOf(RGB(1, 2, 3));
  EXPECT_TRUE(IsRectEmpty(&bounds));
  EXPECT_EQ(CLR_INVALID, capture.Pixel(100, 0));
}

TEST(WindowCapture, WholeWindowPrintErasesTheBackgroundFirst) {
  TTestWindow window({50, 50, 150, 110}, &PaintOnPrintClient);
  TWindowCapture capture = TWindowCapture::OfWindow(window.Handle());
  KeepCaptureForViewing(capture, L"WindowCapture_WholeWindow");

  EXPECT_EQ(kKnownRed, capture.Pixel(15, 25));
  // The class brush is the window colour: the erase step reached every pixel the picture left alone.
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), capture.Pixel(90, 50));
  EXPECT_EQ(0, capture.CountPixels(TWindowCapture::kUnpainted));
}

TEST(WindowCapture, SavedPngHoldsTheSamePixels) {
  TWindowCapture capture(20, 10);
  capture.Fill(kKnownBlue);
  capture.SetPixel(19, 9, kKnownRed);
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  std::wstring fileName = std::wstring(folder) + L"bc_capture_test.png";

  ASSERT_TRUE(capture.SaveToPng(fileName));
  EXPECT_EQ(kKnownBlue, DecodedPixel(fileName, 0, 0));
  EXPECT_EQ(kKnownRed, DecodedPixel(fileName, 19, 9));
  DeleteFileW(fileName.c_str());
  EXPECT_FALSE(capture.SaveToPng(L"Q:\\no such folder\\x.png"));
}

#include "framework/bitmap.h"

#include <gtest/gtest.h>

#include <cstring>

#include "framework/streams.h"
#include "support/window_capture.h"

namespace {

// A scan-line pixel of a 24 or 32-bit bitmap as a colour value.
TColor ScanPixel(TBitmap& bitmap, int x, int y) {
  const BYTE* row = static_cast<const BYTE*>(bitmap.ScanLine(y));
  int bytes = bitmap.PixelFormat() == TPixelFormat::pf24bit ? 3 : 4;
  const BYTE* p = row + x * bytes;
  return RGB(p[2], p[1], p[0]);
}

TEST(BitmapFormats, ScanLinesPerPixelFormat) {
  TBitmap bitmap;
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.Handle(), nullptr);
  bitmap.SetPixelFormat(TPixelFormat::pf24bit);
  bitmap.SetSize(5, 3);
  EXPECT_EQ(bitmap.BytesPerScanLine(), 16);
  // A new bitmap is white.
  EXPECT_EQ(ScanPixel(bitmap, 4, 2), clWhite);
  bitmap.Canvas()->SetPixels(1, 0, clRed);
  EXPECT_EQ(ScanPixel(bitmap, 1, 0), clRed) << "row 0 is the top row";
  static_cast<BYTE*>(bitmap.ScanLine(2))[0] = 0xFF;  // blue byte of (0, 2)
  static_cast<BYTE*>(bitmap.ScanLine(2))[1] = 0;
  static_cast<BYTE*>(bitmap.ScanLine(2))[2] = 0;
  EXPECT_EQ(bitmap.Canvas()->Pixels(0, 2), clBlue);

  bitmap.SetPixelFormat(TPixelFormat::pf32bit);
  EXPECT_EQ(bitmap.BytesPerScanLine(), 20);
  EXPECT_EQ(ScanPixel(bitmap, 1, 0), clRed) << "converting keeps the picture";
  EXPECT_EQ(ScanPixel(bitmap, 0, 2), clBlue);

  bitmap.SetPixelFormat(TPixelFormat::pf1bit);
  EXPECT_TRUE(bitmap.Monochrome());
  EXPECT_EQ(bitmap.BytesPerScanLine(), 4);
  const BYTE* top = static_cast<const BYTE*>(bitmap.ScanLine(0));
  EXPECT_EQ(top[0] & 0xF8, 0xB8) << "white stays white (1), red turns black (0)";

  EXPECT_THROW(bitmap.ScanLine(3), EInvalidGraphicOperation);
  EXPECT_THROW(bitmap.ScanLine(-1), EInvalidGraphicOperation);
}

TEST(BitmapFormats, ResizeKeepsTheSharedPart) {
  TBitmap bitmap;
  bitmap.SetSize(4, 4);
  bitmap.Canvas()->Brush()->SetColor(clGreen);
  bitmap.Canvas()->FillRect({0, 0, 4, 4});
  bitmap.SetSize(6, 2);
  EXPECT_EQ(bitmap.Width(), 6);
  EXPECT_EQ(bitmap.Height(), 2);
  EXPECT_EQ(bitmap.Canvas()->Pixels(3, 1), clGreen);
  EXPECT_EQ(bitmap.Canvas()->Pixels(5, 1), clWhite);
  bitmap.SetWidth(0);
  EXPECT_TRUE(bitmap.Empty());
}

TEST(BitmapHandles, HandOutAdoptRelease) {
  TBitmap bitmap;
  bitmap.SetSize(3, 3);
  bitmap.Canvas()->SetPixels(0, 0, clRed);
  HBITMAP handle = bitmap.Handle();
  // The canvas let go of it, so another DC may select it.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, handle);
  EXPECT_NE(old, nullptr);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  // Drawing again after that works on the same pixels.
  EXPECT_EQ(bitmap.Canvas()->Pixels(0, 0), clRed);

  HBITMAP released = bitmap.ReleaseHandle();
  EXPECT_EQ(released, handle);
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_NE(GetObjectType(released), 0u);

  TBitmap adopter;
  adopter.SetHandle(released);
  EXPECT_EQ(adopter.Width(), 3);
  EXPECT_EQ(adopter.PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(adopter.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(GetObjectType(released), 0u) << "an adopted bitmap is copied and freed";

  TBitmap copy;
  copy.Assign(&adopter);
  EXPECT_EQ(copy.Canvas()->Pixels(0, 0), clRed);
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.Empty());
}

TEST(BitmapTransparency, DrawLeavesTheTransparentColourOut) {
  TBitmap bitmap;
  bitmap.SetSize(4, 4);
  bitmap.Canvas()->Brush()->SetColor(clFuchsia);
  bitmap.Canvas()->FillRect({0, 0, 4, 4});
  bitmap.Canvas()->SetPixels(1, 1, clBlue);
  EXPECT_EQ(bitmap.TransparentMode(), TTransparentMode::tmAuto);
  EXPECT_EQ(bitmap.TransparentColor(), clFuchsia) << "the bottom-left pixel";

  TWindowCapture capture(10, 5);
  capture.Fill(RGB(0, 255, 0));
  TCanvas canvas;
  canvas.SetHandle(capture.DC());
  canvas.Draw(0, 0, &bitmap);
  EXPECT_EQ(capture.Pixel(0, 0), RGB(255, 0, 255));
  bitmap.SetTransparent(true);
  canvas.Draw(5, 0, &bitmap);
  EXPECT_EQ(capture.Pixel(5, 0), RGB(0, 255, 0));
  EXPECT_EQ(capture.Pixel(6, 1), RGB(0, 0, 255));

  bitmap.SetTransparentColor(clBlue);
  EXPECT_EQ(bitmap.TransparentMode(), TTransparentMode::tmFixed);
  capture.Fill(RGB(0, 255, 0));
  canvas.StretchDraw({0, 0, 8, 4}, &bitmap);
  EXPECT_EQ(capture.Pixel(2, 1), RGB(0, 255, 0)) << "stretched blue left out";
  EXPECT_EQ(capture.Pixel(3, 1), RGB(0, 255, 0));
  EXPECT_EQ(capture.Pixel(2, 2), RGB(255, 0, 255));
  EXPECT_EQ(capture.Pixel(7, 3), RGB(255, 0, 255));
  bitmap.SetTransparentColor(clDefault);
  EXPECT_EQ(bitmap.TransparentMode(), TTransparentMode::tmAuto);
}

TEST(BitmapTransparency, MaskIsWhereTheColourIs) {
  TBitmap bitmap;
  bitmap.SetSize(3, 2);
  bitmap.Canvas()->SetPixels(1, 0, clRed);
  HBITMAP mask = bitmap.MaskHandle();  // transparent colour: the white bottom-left pixel
  ASSERT_NE(mask, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, mask);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 0, 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_EQ(bitmap.MaskHandle(), mask) << "kept while the colour stays";

  bitmap.Mask(clRed);
  EXPECT_TRUE(bitmap.Monochrome());
  EXPECT_EQ(bitmap.Canvas()->Pixels(1, 0), clWhite);
  EXPECT_EQ(bitmap.Canvas()->Pixels(0, 0), clBlack);
  EXPECT_EQ(bitmap.Canvas()->Pixels(2, 1), clBlack);
}

TEST(BitmapStreams, SaveAndLoadRoundTrip) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(TPixelFormat::pf24bit);
  bitmap.SetSize(3, 2);
  bitmap.Canvas()->SetPixels(0, 0, clRed);
  bitmap.Canvas()->SetPixels(2, 1, clBlue);
  TMemoryStream stream;
  bitmap.SaveToStream(stream);
  const BYTE* bytes = static_cast<const BYTE*>(stream.Memory());
  ASSERT_EQ(stream.Size(), 14 + 40 + 2 * 12);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  // The first stored row is the bottom one: its last pixel is blue (bytes blue, green, red).
  EXPECT_EQ(bytes[54 + 6], 0xFF);
  EXPECT_EQ(bytes[54 + 8], 0x00);

  stream.SetPosition(0);
  TBitmap loaded;
  loaded.LoadFromStream(stream);
  EXPECT_EQ(loaded.Width(), 3);
  EXPECT_EQ(loaded.PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(loaded.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(loaded.Canvas()->Pixels(2, 1), clBlue);
  EXPECT_EQ(stream.Position(), stream.Size());

  TBitmap mono;
  mono.SetPixelFormat(TPixelFormat::pf1bit);
  mono.SetSize(9, 2);
  TMemoryStream monoStream;
  mono.SaveToStream(monoStream);
  EXPECT_EQ(monoStream.Size(), 14 + 40 + 8 + 2 * 4);
  monoStream.SetPosition(0);
  loaded.LoadFromStream(monoStream);
  EXPECT_EQ(loaded.PixelFormat(), TPixelFormat::pf1bit);
  EXPECT_EQ(loaded.Width(), 9);
}

TEST(BitmapStreams, DamagedFilesAreRefused) {
  TBitmap bitmap;
  bitmap.SetSize(4, 4);
  TMemoryStream good;
  bitmap.SaveToStream(good);
  std::vector<BYTE> bytes(static_cast<const BYTE*>(good.Memory()),
                          static_cast<const BYTE*>(good.Memory()) + good.Size());

  auto load = [](std::vector<BYTE> data) {
    TMemoryStream stream;
    stream.WriteBuffer(data.data(), static_cast<int32_t>(data.size()));
    stream.SetPosition(0);
    TBitmap target;
    target.LoadFromStream(stream);
  };
  std::vector<BYTE> wrongMagic = bytes;
  wrongMagic[0] = 'X';
  EXPECT_THROW(load(wrongMagic), EInvalidGraphic);
  std::vector<BYTE> truncated(bytes.begin(), bytes.end() - 10);
  EXPECT_THROW(load(truncated), EInvalidGraphic);
  std::vector<BYTE> tooTall = bytes;
  tooTall[14 + 8] = 100;  // biHeight: more rows than the file holds; the file size still matches
  EXPECT_THROW(load(tooTall), EInvalidGraphic);
  std::vector<BYTE> hugeOffset = bytes;
  hugeOffset[10] = 0xFF;
  hugeOffset[11] = 0xFF;
  EXPECT_THROW(load(hugeOffset), EInvalidGraphic);

  TMemoryStream empty;
  bitmap.LoadFromStream(empty);
  EXPECT_TRUE(bitmap.Empty());
}

TEST(BitmapResources, LoadByNameAndNumber) {
  HINSTANCE module = GetModuleHandleW(nullptr);
  TBitmap bars;
  bars.LoadFromResourceName(module, L"COLOURBARS");
  EXPECT_EQ(bars.Width(), 4);
  EXPECT_EQ(bars.Height(), 2);
  EXPECT_EQ(bars.PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(bars.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(bars.Canvas()->Pixels(1, 0), clLime);
  EXPECT_EQ(bars.Canvas()->Pixels(2, 0), clBlue);
  EXPECT_EQ(bars.Canvas()->Pixels(3, 1), clGray);
  EXPECT_EQ(bars.TransparentColor(), clFuchsia);

  TBitmap arrow;
  arrow.LoadFromResourceID(module, 101);
  EXPECT_TRUE(arrow.Monochrome());
  EXPECT_EQ(arrow.Canvas()->Pixels(0, 0), clMaroon) << "bit 0 takes the stored first colour";
  EXPECT_EQ(arrow.Canvas()->Pixels(3, 0), clWhite);
  EXPECT_EQ(static_cast<const BYTE*>(arrow.ScanLine(2))[0], 0x7E);

  try {
    arrow.LoadFromResourceName(module, L"NOSUCHPICTURE");
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), L"Resource NOSUCHPICTURE not found");
  }
  EXPECT_THROW(arrow.LoadFromResourceID(module, 9999), EResNotFound);
  EXPECT_TRUE(arrow.Monochrome()) << "a failed load leaves the picture alone";
}

TEST(PatternBitmaps, CheckeredAndShared) {
  TBitmap* pattern = AllocPatternBitmap(clWhite, clBlack);
  EXPECT_EQ(pattern, AllocPatternBitmap(clWhite, clBlack));
  EXPECT_NE(pattern, AllocPatternBitmap(clBlack, clWhite));
  EXPECT_EQ(pattern->Width(), 8);
  EXPECT_EQ(pattern->Canvas()->Pixels(0, 0), clWhite);
  EXPECT_EQ(pattern->Canvas()->Pixels(1, 0), clBlack);
  EXPECT_EQ(pattern->Canvas()->Pixels(1, 1), clWhite);

  // As a brush: the checker repeats over the filled area.
  TWindowCapture capture(16, 16);
  TCanvas canvas;
  canvas.SetHandle(capture.DC());
  canvas.Brush()->SetBitmap(AllocPatternBitmap(clRed, clBlue));
  canvas.FillRect({0, 0, 16, 16});
  EXPECT_EQ(capture.CountPixels(RGB(255, 0, 0)), 128);
  EXPECT_EQ(capture.CountPixels(RGB(0, 0, 255)), 128);
  EXPECT_NE(capture.Pixel(10, 10), capture.Pixel(11, 10));
}

TEST(PatternBitmaps, OneBitPatternTakesTextAndBrushColours) {
  TBitmap pattern;
  pattern.SetPixelFormat(TPixelFormat::pf1bit);
  pattern.SetSize(8, 8);
  for (int y = 0; y < 8; ++y) static_cast<BYTE*>(pattern.ScanLine(y))[0] = 0xF0;  // left half 1, right half 0
  TWindowCapture capture(8, 8);
  TCanvas canvas;
  canvas.SetHandle(capture.DC());
  canvas.Font()->SetColor(clRed);
  canvas.Brush()->SetColor(clBlue);
  canvas.Brush()->SetBitmap(&pattern);
  canvas.FillRect({0, 0, 8, 8});
  EXPECT_EQ(capture.Pixel(1, 1), RGB(0, 0, 255)) << "1 bits take the brush colour";
  EXPECT_EQ(capture.Pixel(6, 1), RGB(255, 0, 0)) << "0 bits take the text (font) colour";
}

}  // namespace

#include "framework/bitmap.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/dib_format.h"
#include "framework/exceptions.h"
#include "framework/startup.h"
#include "framework/streams.h"

namespace {

int BitsPerPixel(TPixelFormat format) {
  switch (format) {
    case TPixelFormat::pf1bit:
      return 1;
    case TPixelFormat::pf24bit:
      return 24;
    case TPixelFormat::pfDevice:
    case TPixelFormat::pf32bit:
      return 32;
  }
  return 32;
}

int StrideOf(int width, int bitsPerPixel) { return ((width * bitsPerPixel + 31) / 32) * 4; }

// New pixels start white, as a fresh sheet would. The fourth byte of a 32-bit pixel stays 0: GDI compares whole
// pixels when it looks for a colour (transparency, masks), so an opaque-alpha white would not count as white.
void FillWhite(void* bits, int width, int height, TPixelFormat format) {
  size_t bytes = static_cast<size_t>(StrideOf(width, BitsPerPixel(format))) * height;
  if (BitsPerPixel(format) == 32)
    std::fill_n(static_cast<DWORD*>(bits), bytes / 4, 0x00FFFFFFu);
  else
    std::memset(bits, 0xFF, bytes);
}

const RGBQUAD kBlackAndWhite[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};

// The header of a bottom-up, uncompressed DIB, with room for the two colours of a 1-bit one.
struct TDIBInfo {
  BITMAPINFOHEADER Header;
  RGBQUAD Colors[2];
};

TDIBInfo DIBInfo(int width, int height, TPixelFormat format) {
  TDIBInfo info{};
  info.Header.biSize = sizeof(BITMAPINFOHEADER);
  info.Header.biWidth = width;
  info.Header.biHeight = height;
  info.Header.biPlanes = 1;
  info.Header.biBitCount = static_cast<WORD>(BitsPerPixel(format));
  info.Header.biCompression = BI_RGB;
  return info;
}

// A scratch memory DC with one bitmap selected, put back and freed at the end of the scope.
class TScratchDC {
 public:
  explicit TScratchDC(HBITMAP bitmap) : dc_(CreateCompatibleDC(nullptr)), old_(SelectObject(dc_, bitmap)) {}
  ~TScratchDC() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  TScratchDC(const TScratchDC&) = delete;
  TScratchDC& operator=(const TScratchDC&) = delete;
  HDC Handle() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

struct TPatternEntry {
  TColor Back;
  TColor Fore;
  std::unique_ptr<TBitmap> Bitmap;
};

std::vector<TPatternEntry>& PatternBitmaps() {
  static std::vector<TPatternEntry> patterns;
  return patterns;
}

void FreePatternBitmaps() { PatternBitmaps().clear(); }

const TUnit& PatternBitmapUnit() {
  static const TUnit unit{L"PatternBitmaps", nullptr, &FreePatternBitmaps, {}};
  return unit;
}

}  // namespace

// The canvas of a bitmap: a memory DC with the bitmap selected, made when drawing starts and let go of whenever
// the bitmap's handle is handed out or replaced.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }

  void FreeContext() {
    if (!dc_) return;
    SetHandle(nullptr);
    if (oldBitmap_) SelectObject(dc_, oldBitmap_);
    DeleteDC(dc_);
    dc_ = nullptr;
    oldBitmap_ = nullptr;
  }

 protected:
  void CreateHandle() override {
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_) return;
    if (bitmap_->handle_) oldBitmap_ = SelectObject(dc_, bitmap_->handle_);
    SetHandle(dc_);
  }

 private:
  TBitmap* bitmap_;
  HDC dc_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
};

// TGraphic

void TGraphic::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Changed();
}

void TGraphic::Changed() {
  modified_ = true;
  // The last act of every caller: each is done with the graphic.
  if (RaiseEvent(OnChange, this).Gone()) return;
}

// TBitmap

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  canvas_.reset();
  FreeMask();
  if (handle_) DeleteObject(handle_);
}

void TBitmap::FreeContext() {
  if (canvas_) canvas_->FreeContext();
}

void TBitmap::FreeMask() {
  if (mask_) DeleteObject(mask_);
  mask_ = nullptr;
  maskColor_ = clNone;
}

void TBitmap::Allocate(int width, int height, TPixelFormat format, const RGBQUAD* monoColors, bool keepPicture) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  FreeContext();
  FreeMask();
  HBITMAP created = nullptr;
  void* bits = nullptr;
  if (width > 0 && height > 0) {
    TDIBInfo info = DIBInfo(width, height, format);
    if (format == TPixelFormat::pf1bit) {
      const RGBQUAD* colors = monoColors ? monoColors : kBlackAndWhite;
      info.Colors[0] = colors[0];
      info.Colors[1] = colors[1];
      info.Header.biClrUsed = 2;
    }
    created = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!created) throw EOutOfResources(L"Out of system resources");
    FillWhite(bits, width, height, format);
    if (keepPicture && handle_) {
      TScratchDC target(created);
      TScratchDC source(handle_);
      BitBlt(target.Handle(), 0, 0, std::min(width, width_), std::min(height, height_), source.Handle(), 0, 0, SRCCOPY);
    }
  }
  if (handle_) DeleteObject(handle_);
  handle_ = created;
  bits_ = bits;
  width_ = created ? width : 0;
  height_ = created ? height : 0;
  pixelFormat_ = format;
}

void TBitmap::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  Allocate(width, height, pixelFormat_, nullptr, true);
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  if (value == pixelFormat_) return;
  Allocate(width_, height_, value, nullptr, true);
  Changed();
}

int TBitmap::BytesPerScanLine() const { return StrideOf(width_, BitsPerPixel(pixelFormat_)); }

void* TBitmap::ScanLine(int row) {
  if (row < 0 || row >= height_ || !bits_) throw EInvalidGraphicOperation(L"Scan line index out of range");
  GdiFlush();
  return static_cast<BYTE*>(bits_) + static_cast<size_t>(height_ - 1 - row) * BytesPerScanLine();
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) {
    canvas_ = std::make_unique<TBitmapCanvas>(this);
    canvas_->OnChange = [this](TObject*) { Changed(); };
  }
  return canvas_.get();
}

HBITMAP TBitmap::Handle() {
  FreeContext();
  return handle_;
}

void TBitmap::SetHandle(HBITMAP value) {
  if (value == handle_) return;
  BITMAP info{};
  if (!value || !GetObjectW(value, sizeof info, &info)) {
    Allocate(0, 0, pixelFormat_, nullptr, false);
  } else {
    TPixelFormat format = info.bmBitsPixel == 1    ? TPixelFormat::pf1bit
                          : info.bmBitsPixel == 24 ? TPixelFormat::pf24bit
                                                   : TPixelFormat::pf32bit;
    Allocate(info.bmWidth, std::abs(info.bmHeight), format, nullptr, false);
    TScratchDC target(handle_);
    TScratchDC source(value);
    BitBlt(target.Handle(), 0, 0, width_, height_, source.Handle(), 0, 0, SRCCOPY);
  }
  if (value) DeleteObject(value);
  Changed();
}

HBITMAP TBitmap::ReleaseHandle() {
  FreeContext();
  FreeMask();
  HBITMAP handle = handle_;
  handle_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
  return handle;
}

void TBitmap::Assign(const TPersistent* source) {
  if (!source) {
    Allocate(0, 0, pixelFormat_, nullptr, false);
    Changed();
    return;
  }
  const TBitmap* bitmap = ObjectAs<const TBitmap>(source);
  if (!bitmap) return TGraphic::Assign(source);
  if (bitmap == this) return;
  TBitmap* other = const_cast<TBitmap*>(bitmap);
  RGBQUAD colors[2] = {kBlackAndWhite[0], kBlackAndWhite[1]};
  if (other->handle_ && other->pixelFormat_ == TPixelFormat::pf1bit) {
    TScratchDC dc(other->Handle());
    GetDIBColorTable(dc.Handle(), 0, 2, colors);
  }
  Allocate(other->width_, other->height_, other->pixelFormat_, colors, false);
  if (handle_) {
    TScratchDC target(handle_);
    TScratchDC from(other->Handle());
    BitBlt(target.Handle(), 0, 0, width_, height_, from.Handle(), 0, 0, SRCCOPY);
  }
  transparentColor_ = other->transparentColor_;
  transparentMode_ = other->transparentMode_;
  TGraphic::SetTransparent(other->Transparent());
  Changed();
}

TColor TBitmap::TransparentColor() {
  if (transparentMode_ == TTransparentMode::tmFixed) return transparentColor_;
  if (Empty()) return clDefault;
  return Canvas()->Pixels(0, height_ - 1) & 0xFFFFFF;
}

void TBitmap::SetTransparentColor(TColor value) {
  TTransparentMode mode = value == clDefault ? TTransparentMode::tmAuto : TTransparentMode::tmFixed;
  if (value == transparentColor_ && mode == transparentMode_) return;
  transparentColor_ = value;
  transparentMode_ = mode;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  if (value == transparentMode_) return;
  if (value == TTransparentMode::tmFixed && transparentColor_ == clDefault) transparentColor_ = TransparentColor();
  transparentMode_ = value;
  Changed();
}

HBITMAP TBitmap::MaskHandle() {
  TColor color = TransparentColor();
  if (!mask_ || maskColor_ != color) {
    FreeMask();
    mask_ = CreateMask(color);
    maskColor_ = color;
  }
  return mask_;
}

void TBitmap::Mask(TColor transparentColor) {
  if (Empty()) return;
  SetHandle(CreateMask(transparentColor));
}

HBITMAP TBitmap::CreateMask(TColor transparentColor) {
  if (Empty()) return nullptr;
  HBITMAP mask = CreateBitmap(width_, height_, 1, 1, nullptr);
  TScratchDC target(mask);
  TScratchDC source(Handle());
  // Copying colour to one bit turns pixels of the source's background colour white and the rest black.
  SetBkColor(source.Handle(), static_cast<COLORREF>(ColorToRGB(transparentColor)));
  BitBlt(target.Handle(), 0, 0, width_, height_, source.Handle(), 0, 0, SRCCOPY);
  return mask;
}

void TBitmap::Draw(TCanvas* canvas, const RECT& rect) {
  HDC target = canvas->Handle();
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  HDC source = Canvas()->Handle();
  int oldMode = SetStretchBltMode(target, COLORONCOLOR);
  if (Transparent()) {
    TransparentBlt(target, rect.left, rect.top, width, height, source, 0, 0, width_, height_,
                   static_cast<UINT>(ColorToRGB(TransparentColor())));
  } else {
    StretchBlt(target, rect.left, rect.top, width, height, source, 0, 0, width_, height_, canvas->CopyMode());
  }
  SetStretchBltMode(target, oldMode);
}

void TBitmap::Changed() {
  FreeMask();
  TGraphic::Changed();
}

void TBitmap::LoadFromDIB(const BYTE* dib, size_t size, size_t bitsOffset) {
  if (!IsValidDIB(dib, size, bitsOffset)) throw EInvalidGraphic(L"Bitmap image is not valid");
  const auto* info = reinterpret_cast<const BITMAPINFO*>(dib);
  const BITMAPINFOHEADER& header = info->bmiHeader;
  TPixelFormat format = header.biBitCount == 1    ? TPixelFormat::pf1bit
                        : header.biBitCount == 32 ? TPixelFormat::pf32bit
                                                  : TPixelFormat::pf24bit;
  // A one-bit image may declare a single colour; the other keeps its usual one.
  RGBQUAD colors[2] = {kBlackAndWhite[0], kBlackAndWhite[1]};
  if (header.biBitCount == 1) std::memcpy(colors, dib + header.biSize, DIBColorTableBytes(header));
  Allocate(header.biWidth, std::abs(header.biHeight), format, colors, false);
  HDC screen = GetDC(nullptr);
  int rows = SetDIBits(screen, handle_, 0, static_cast<UINT>(height_), dib + bitsOffset, info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows == 0) {
    Allocate(0, 0, format, nullptr, false);
    throw EInvalidGraphic(L"Bitmap image is not valid");
  }
  Changed();
}

void TBitmap::LoadFromResource(HINSTANCE instance, const wchar_t* name, const String& shownName) {
  HRSRC resource = FindResourceW(instance, name, MAKEINTRESOURCEW(2));
  if (!resource) throw EResNotFound(Format(L"Resource %s not found", {shownName}));
  const auto* dib = static_cast<const BYTE*>(LockResource(LoadResource(instance, resource)));
  size_t size = SizeofResource(instance, resource);
  if (!dib || size < sizeof(BITMAPINFOHEADER)) throw EInvalidGraphic(L"Bitmap image is not valid");
  BITMAPINFOHEADER header;
  std::memcpy(&header, dib, sizeof header);
  const uint64_t bitsOffset = uint64_t{header.biSize} + DIBColorTableBytes(header);
  if (bitsOffset > size) throw EInvalidGraphic(L"Bitmap image is not valid");
  LoadFromDIB(dib, size, static_cast<size_t>(bitsOffset));
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const String& name) {
  LoadFromResource(instance, name.c_str(), name);
}

void TBitmap::LoadFromResourceID(HINSTANCE instance, int id) {
  LoadFromResource(instance, MAKEINTRESOURCEW(id), std::to_wstring(id));
}

void TBitmap::LoadFromStream(TStream& stream) {
  BITMAPFILEHEADER file{};
  int32_t got = stream.Read(&file, sizeof file);
  if (got == 0) {
    Allocate(0, 0, pixelFormat_, nullptr, false);
    Changed();
    return;
  }
  int64_t remaining = stream.Size() - stream.Position();
  if (got != static_cast<int32_t>(sizeof file) || file.bfType != 0x4D42 || file.bfSize < sizeof file ||
      file.bfSize - sizeof file > static_cast<uint64_t>(remaining) || file.bfOffBits < sizeof file)
    throw EInvalidGraphic(L"Bitmap image is not valid");
  // The header's sizes were checked against what the stream holds: the buffer is no larger than the data.
  std::vector<BYTE> dib(file.bfSize - sizeof file);
  stream.ReadBuffer(dib.data(), static_cast<int32_t>(dib.size()));
  LoadFromDIB(dib.data(), dib.size(), file.bfOffBits - sizeof file);
}

void TBitmap::SaveToStream(TStream& stream) {
  if (Empty()) return;
  TDIBInfo info = DIBInfo(width_, height_, pixelFormat_);
  DWORD infoSize = sizeof(BITMAPINFOHEADER);
  if (pixelFormat_ == TPixelFormat::pf1bit) {
    TScratchDC dc(Handle());
    GetDIBColorTable(dc.Handle(), 0, 2, info.Colors);
    info.Header.biClrUsed = 2;
    infoSize += sizeof info.Colors;
  }
  DWORD pixelBytes = static_cast<DWORD>(BytesPerScanLine()) * height_;
  info.Header.biSizeImage = pixelBytes;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + infoSize;
  file.bfSize = file.bfOffBits + pixelBytes;
  stream.WriteBuffer(&file, sizeof file);
  stream.WriteBuffer(&info, static_cast<int32_t>(infoSize));
  GdiFlush();
  // The DIB is bottom-up in memory, as the file wants its rows.
  stream.WriteBuffer(bits_, static_cast<int32_t>(pixelBytes));
}

TBitmap* AllocPatternBitmap(TColor backColor, TColor foreColor) {
  InitializeUnit(PatternBitmapUnit());
  for (const TPatternEntry& entry : PatternBitmaps())
    if (entry.Back == backColor && entry.Fore == foreColor) return entry.Bitmap.get();
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(TPixelFormat::pf32bit);
  bitmap->SetSize(8, 8);
  DWORD back = static_cast<DWORD>(ColorToRGB(backColor));
  DWORD fore = static_cast<DWORD>(ColorToRGB(foreColor));
  for (int y = 0; y < 8; ++y) {
    auto* row = static_cast<DWORD*>(bitmap->ScanLine(y));
    // Scan lines hold blue, green, red: the reverse of a colour value's bytes.
    for (int x = 0; x < 8; ++x) {
      DWORD color = (x + y) % 2 == 0 ? back : fore;
      row[x] = ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
    }
  }
  TBitmap* result = bitmap.get();
  PatternBitmaps().push_back({backColor, foreColor, std::move(bitmap)});
  return result;
}

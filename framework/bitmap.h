// TGraphic, the base of every picture a canvas can draw, and TBitmap, a device-independent bitmap of 1, 24 or
// 32 bits per pixel with a canvas of its own.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/graphics.h"

class TStream;

class TGraphic : public TPersistent, protected TEventSource {
  BC_CLASS(TGraphic, TPersistent)
  TGraphic() = default;
  TGraphic(const TGraphic&) = delete;
  TGraphic& operator=(const TGraphic&) = delete;

  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int value) = 0;
  virtual void SetHeight(int value) = 0;
  // Whether Draw leaves the transparent parts of the picture out.
  bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool value);
  bool Modified() const { return modified_; }
  void SetModified(bool value) { modified_ = value; }

  TNotifyEvent OnChange;

 protected:
  friend class TCanvas;
  // Paints the picture into rect of canvas, stretched to fit.
  virtual void Draw(TCanvas* canvas, const RECT& rect) = 0;
  // Marks the picture modified and raises OnChange.
  virtual void Changed();

 private:
  bool transparent_ = false;
  bool modified_ = false;
};

enum class TPixelFormat { pfDevice, pf1bit, pf24bit, pf32bit };
// Auto takes the colour of the bottom-left pixel as transparent; Fixed takes TransparentColor as set.
enum class TTransparentMode { tmAuto, tmFixed };

class TBitmapCanvas;

class TBitmap : public TGraphic {
  BC_CLASS(TBitmap, TGraphic)
  TBitmap();
  ~TBitmap() override;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  // Copies a bitmap's pixels, size, format and transparency; null empties this one.
  void Assign(const TPersistent* source) override;

  bool Empty() const override { return width_ == 0 || height_ == 0; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  // Resizing keeps the pixels of the part both sizes share.
  void SetWidth(int value) override { SetSize(value, height_); }
  void SetHeight(int value) override { SetSize(width_, value); }
  void SetSize(int width, int height);
  // The device format is 32 bits per pixel here; converting keeps the picture as well as the new depth allows
  // (to one bit: white pixels stay white, all others become black).
  TPixelFormat PixelFormat() const { return pixelFormat_; }
  void SetPixelFormat(TPixelFormat value);
  bool Monochrome() const { return pixelFormat_ == TPixelFormat::pf1bit; }
  // Bytes from one row to the next.
  int BytesPerScanLine() const;
  // The pixels of row y (0 = top), to read and write directly; GDI drawing is flushed first.
  void* ScanLine(int row);

  // The formats here are true colour, and a one-bit bitmap keeps a colour table rather than a palette: there is
  // never a palette to realise.
  HPALETTE Palette() const { return nullptr; }

  TCanvas* Canvas();
  // The bitmap itself, still owned by this object; its canvas lets go of it first, so it may be selected into
  // another DC. Null while the bitmap is empty.
  HBITMAP Handle();
  // Adopts a bitmap (of any kind): it is copied into a DIB of the nearest pixel format and then freed.
  void SetHandle(HBITMAP value);
  // Hands the bitmap to the caller, who frees it; this object is empty afterwards.
  HBITMAP ReleaseHandle();
  bool HandleAllocated() const { return handle_ != nullptr; }

  TColor TransparentColor();
  // clDefault returns to the automatic colour; any other value fixes it.
  void SetTransparentColor(TColor value);
  TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode value);
  // A one-bit mask, white where the picture has the transparent colour; owned by this object.
  HBITMAP MaskHandle();
  // Replaces the picture with its one-bit mask for that colour: white where the picture had it, black elsewhere.
  void Mask(TColor transparentColor);

  // Loads a bitmap resource (RT_BITMAP); raises EResNotFound when the module has none of that name.
  void LoadFromResourceName(HINSTANCE instance, const String& name);
  void LoadFromResourceID(HINSTANCE instance, int id);
  // A ".bmp" file image: file header, info header, colour table, pixels. Raises EInvalidGraphic for anything
  // else, truncated files included. An empty bitmap writes nothing, and nothing left to read loads as empty.
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream);

 protected:
  void Draw(TCanvas* canvas, const RECT& rect) override;
  void Changed() override;

 private:
  friend class TBitmapCanvas;
  // Replaces the pixels with a new DIB; with keepPicture the old picture is copied into it.
  void Allocate(int width, int height, TPixelFormat format, const RGBQUAD* monoColors, bool keepPicture);
  void FreeContext();
  void FreeMask();
  HBITMAP CreateMask(TColor transparentColor);
  // Replaces the pixels with a packed DIB of size bytes (info header, colour table, bits at bitsOffset).
  void LoadFromDIB(const BYTE* dib, size_t size, size_t bitsOffset);
  void LoadFromResource(HINSTANCE instance, const wchar_t* name, const String& shownName);

  int width_ = 0;
  int height_ = 0;
  TPixelFormat pixelFormat_ = TPixelFormat::pfDevice;
  HBITMAP handle_ = nullptr;
  void* bits_ = nullptr;
  HBITMAP mask_ = nullptr;
  TColor maskColor_ = clNone;
  TColor transparentColor_ = clDefault;
  TTransparentMode transparentMode_ = TTransparentMode::tmAuto;
  std::unique_ptr<TBitmapCanvas> canvas_;
};

// A shared 8 x 8 bitmap whose pixels alternate between the two colours, for checkered pattern brushes. Owned
// by the graphics unit and kept until shut-down; one per colour pair.
TBitmap* AllocPatternBitmap(TColor backColor, TColor foreColor);

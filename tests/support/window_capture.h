// What a window paints, read back as pixels: the window paints itself through WM_PRINT or WM_PRINTCLIENT into a
// 32-bit top-down DIB, which is the reliable way to read pixels under Wine (nothing is read from the screen).
#pragma once

#include <windows.h>

#include <string>

// Colours read and compared here are COLORREF values (0x00BBGGRR, what RGB(), GetSysColor and ColorToRGB give).
class TWindowCapture {
 public:
  // Pixels nobody painted keep this colour, so a test can tell "painted" from "left alone".
  static constexpr COLORREF kUnpainted = RGB(0x12, 0x34, 0x56);

  // A blank capture of the given size, every pixel kUnpainted; paint into DC() yourself.
  TWindowCapture(int width, int height);
  TWindowCapture(const TWindowCapture&) = delete;
  TWindowCapture& operator=(const TWindowCapture&) = delete;
  TWindowCapture(TWindowCapture&& other) noexcept;
  TWindowCapture& operator=(TWindowCapture&& other) noexcept;
  ~TWindowCapture();

  // The whole window, frame included (WM_PRINT with the given PRF_ flags).
  static TWindowCapture OfWindow(HWND wnd, UINT flags = PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
  // The client area (WM_PRINTCLIENT with the given PRF_ flags).
  static TWindowCapture OfClient(HWND wnd, UINT flags = PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
  // The whole window as it shows now, read from its window DC without asking it to paint: for tests of what a
  // window failed to paint again, compared with what it prints.
  static TWindowCapture AsShown(HWND wnd);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // A memory DC with the capture's bitmap selected.
  HDC DC() const { return dc_; }

  COLORREF Pixel(int x, int y) const;
  void SetPixel(int x, int y, COLORREF color);
  void Fill(COLORREF color);
  // Pixels of that colour inside the rectangle (the whole capture when rect is null).
  int CountPixels(COLORREF color, const RECT* rect = nullptr) const;
  // Pixels inside the rectangle (the whole capture when rect is null) that differ from other's at the same place.
  int CountDifferentPixels(const TWindowCapture& other, const RECT* rect = nullptr) const;
  // The smallest rectangle holding every pixel of that colour; empty when there is none.
  RECT BoundsOf(COLORREF color) const;

  // Writes the capture as a PNG through the imaging component; raises nothing, answers success.
  bool SaveToPng(const std::wstring& fileName) const;

 private:
  // A capture of the rectangle's size, painted by the window in answer to message.
  static TWindowCapture Printed(HWND wnd, const RECT& rect, UINT message, UINT flags);
  void Release();

  int width_ = 0;
  int height_ = 0;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previousBitmap_ = nullptr;
  DWORD* bits_ = nullptr;  // 0x00RRGGBB per pixel, rows top-down
};

// Saves a capture for a person to look at: into the folder named by BC_TEST_CAPTURE_DIR (a path as the program
// sees it, Z:\tmp\shots under Wine for /tmp/shots), when that is set, as <name>.png. Does nothing otherwise, so
// tests may call it freely.
void KeepCaptureForViewing(const TWindowCapture& capture, const std::wstring& name);
// Whether KeepCaptureForViewing keeps anything: a picture made only for a person to look at is made only then.
bool CapturesAreKeptForViewing();

// The visual-styles library, bound once per process at run time and shared by everything that paints themed
// parts. A missing library or entry means "visual styles off", never a failure; a process-wide switch makes every
// user paint classic.
#pragma once

#include <windows.h>
// The library's declarations need the platform's types first.
#include <uxtheme.h>

#include "framework/object.h"

// The entries of the library this framework and its component sets call; each is null when the library lacks it.
struct TVisualStylesApi {
  decltype(&::OpenThemeData) OpenThemeData = nullptr;
  decltype(&::CloseThemeData) CloseThemeData = nullptr;
  decltype(&::DrawThemeBackground) DrawThemeBackground = nullptr;
  decltype(&::DrawThemeEdge) DrawThemeEdge = nullptr;
  decltype(&::DrawThemeText) DrawThemeText = nullptr;
  decltype(&::DrawThemeParentBackground) DrawThemeParentBackground = nullptr;
  decltype(&::GetThemeBackgroundContentRect) GetThemeBackgroundContentRect = nullptr;
  decltype(&::GetThemeBackgroundRegion) GetThemeBackgroundRegion = nullptr;
  decltype(&::GetThemePartSize) GetThemePartSize = nullptr;
  decltype(&::GetThemeColor) GetThemeColor = nullptr;
  decltype(&::GetThemeMargins) GetThemeMargins = nullptr;
  decltype(&::IsThemeActive) IsThemeActive = nullptr;
  decltype(&::IsAppThemed) IsAppThemed = nullptr;
};

// One hold on the process-wide binding: the first hold loads the library, the last one frees it, and the entries
// stay valid for as long as any hold exists. Holds may be taken and dropped from any thread.
class TVisualStylesBinding {
 public:
  TVisualStylesBinding();
  ~TVisualStylesBinding();
  TVisualStylesBinding(const TVisualStylesBinding&) = delete;
  TVisualStylesBinding& operator=(const TVisualStylesBinding&) = delete;

  bool Loaded() const;
  const TVisualStylesApi& Api() const;
};

// Visual styles are in use: classic painting is not forced, the library is loaded, the application is themed and
// a style is active.
bool VisualStylesInUse();
// The process-wide classic switch: while it is on, styles report off everywhere and no theme data opens.
bool ClassicPainting();
void SetClassicPainting(bool value);

// Seam: loads the library for the first hold; the default calls LoadLibraryW on the system's library. A test
// installs a loader that answers null (the library is absent) or another module (its entries are absent).
using TVisualStylesLoader = HMODULE (*)();
TVisualStylesLoader SetVisualStylesLoader(TVisualStylesLoader loader);

// The theme data of one part class for one window: opened when styles are in use, closed on destruction. The
// owner calls Reopen from its WM_THEMECHANGED handling; forcing classic painting turns open data off at once. Every
// drawing call answers false when the data is not open or the call failed, so the caller paints classic instead.
class TThemeData {
 public:
  TThemeData(HWND window, const wchar_t* classList);
  ~TThemeData();
  TThemeData(const TThemeData&) = delete;
  TThemeData& operator=(const TThemeData&) = delete;

  // Null while the data is not open or classic painting is forced.
  HTHEME Handle() const;
  bool IsOpen() const { return Handle() != nullptr; }
  // Closes the data and opens it again when styles are (still) in use; answers IsOpen.
  bool Reopen();
  void Close();

  bool DrawBackground(HDC dc, int part, int state, const RECT& rect, const RECT* clip = nullptr) const;
  bool DrawEdge(HDC dc, int part, int state, const RECT& rect, UINT edge, UINT flags, RECT* content = nullptr) const;
  bool DrawText(HDC dc, int part, int state, const String& text, DWORD flags, const RECT& rect) const;
  bool BackgroundContentRect(HDC dc, int part, int state, const RECT& bounds, RECT& content) const;
  // The caller owns the region it receives.
  bool BackgroundRegion(HDC dc, int part, int state, const RECT& rect, HRGN& region) const;
  bool PartSize(HDC dc, int part, int state, THEMESIZE kind, SIZE& size) const;
  bool Color(int part, int state, int property, COLORREF& color) const;
  bool Margins(HDC dc, int part, int state, int property, MARGINS& margins) const;

 private:
  TVisualStylesBinding binding_;
  HWND window_;
  String classList_;
  HTHEME theme_ = nullptr;
};

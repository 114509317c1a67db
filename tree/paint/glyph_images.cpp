#include "tree/paint/glyph_images.h"

#include <windows.h>

#include <array>
#include <cstdint>

#include "tree/tree_unit.h"

namespace tree {

namespace {

struct TGlyphStrip {
  const wchar_t* resource;
  bool mapColors;
};
// In the order of TCheckImageKind, then the utility glyphs.
constexpr std::array<TGlyphStrip, 7> kStrips{{{L"TREE_CHECK_LIGHT", true},
                                              {L"TREE_CHECK_DARK", true},
                                              {L"TREE_TICK_LIGHT", true},
                                              {L"TREE_TICK_DARK", true},
                                              {L"TREE_FLAT", true},
                                              {L"TREE_XP", false},
                                              {L"TREE_UTILITIES", true}}};
constexpr std::size_t kUtilityStrip = 6;

std::array<HIMAGELIST, kStrips.size()> lists{};

// A list's glyphs kept ready for two blits, as the list's transparent draw combines them: every image on black in
// the upper half of a 32-bit bitmap, its mask below it (white where the row shows through, black where the glyph
// covers it). The list's own draw of one glyph took here several times what all the rest of a row with a check box
// took to paint.
struct TBlitStrip {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  int size = 0;
  int count = 0;
};
std::array<TBlitStrip, kStrips.size()> blitStrips{};

void FreeBlitStrip(TBlitStrip& strip) {
  if (strip.dc) {
    SelectObject(strip.dc, strip.old);
    DeleteObject(strip.bitmap);
    DeleteDC(strip.dc);
  }
  strip = TBlitStrip{};
}

void MakeBlitStrip(TBlitStrip& strip, HIMAGELIST list, int size) {
  FreeBlitStrip(strip);
  const int count = ImageList_GetImageCount(list);
  if (count <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, size * count, -2 * size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) {
    DeleteDC(dc);
    return;
  }
  strip = TBlitStrip{dc, bitmap, SelectObject(dc, bitmap), size, count};
  // Each glyph drawn on black above and on white below: a pixel that differs is one the glyph leaves transparent.
  // The section starts black.
  const RECT lower{0, size, size * count, 2 * size};
  FillRect(dc, &lower, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  for (int i = 0; i < count; ++i) {
    ImageList_Draw(list, i, dc, i * size, 0, ILD_TRANSPARENT);
    ImageList_Draw(list, i, dc, i * size, size, ILD_TRANSPARENT);
  }
  GdiFlush();
  auto* pixels = static_cast<std::uint32_t*>(bits);
  const std::size_t half = static_cast<std::size_t>(size) * size * count;
  for (std::size_t p = 0; p < half; ++p) pixels[half + p] = pixels[p] == pixels[half + p] ? 0 : 0xFFFFFF;
}

// The strip with white, silver, grey and black replaced by the window, face, shadow and text colours.
HBITMAP LoadStrip(const TGlyphStrip& strip) {
  HINSTANCE module = GetModuleHandleW(nullptr);
  if (!strip.mapColors)
    return static_cast<HBITMAP>(LoadImageW(module, strip.resource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!FindResourceW(module, strip.resource, RT_BITMAP)) return nullptr;
  COLORMAP map[] = {{RGB(255, 255, 255), GetSysColor(COLOR_WINDOW)},
                    {RGB(192, 192, 192), GetSysColor(COLOR_BTNFACE)},
                    {RGB(128, 128, 128), GetSysColor(COLOR_BTNSHADOW)},
                    {RGB(0, 0, 0), GetSysColor(COLOR_BTNTEXT)}};
  // The resource id may be a name: the platform looks it up as FindResource does.
  return CreateMappedBitmap(module, reinterpret_cast<INT_PTR>(strip.resource), 0, map,
                            static_cast<int>(std::size(map)));
}

void FillList(std::size_t index) {
  HIMAGELIST& list = lists[index];
  const TGlyphStrip& strip = kStrips[index];
  HBITMAP bitmap = LoadStrip(strip);
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info) || info.bmHeight <= 0) {
    if (bitmap) DeleteObject(bitmap);
    return;
  }
  int size = info.bmHeight;
  if (list) ImageList_Destroy(list);
  // The glyphs carry no alpha: a 24-bit list draws several times faster than a 32-bit one here.
  list = ImageList_Create(size, size, ILC_MASK | ILC_COLOR24, info.bmWidth / size, 4);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  COLORREF mask = GetPixel(dc, 0, 0);
  SelectObject(dc, old);
  DeleteDC(dc);
  ImageList_AddMasked(list, bitmap, mask);
  DeleteObject(bitmap);
  MakeBlitStrip(blitStrips[index], list, size);
}

}  // namespace

HIMAGELIST LightCheckImages() { return lists[static_cast<std::size_t>(TCheckImageKind::ckLightCheck)]; }
HIMAGELIST DarkCheckImages() { return lists[static_cast<std::size_t>(TCheckImageKind::ckDarkCheck)]; }
HIMAGELIST LightTickImages() { return lists[static_cast<std::size_t>(TCheckImageKind::ckLightTick)]; }
HIMAGELIST DarkTickImages() { return lists[static_cast<std::size_t>(TCheckImageKind::ckDarkTick)]; }
HIMAGELIST FlatImages() { return lists[static_cast<std::size_t>(TCheckImageKind::ckFlat)]; }
HIMAGELIST XPImages() { return lists[static_cast<std::size_t>(TCheckImageKind::ckXP)]; }
HIMAGELIST UtilityImages() { return lists[kUtilityStrip]; }

HIMAGELIST CheckImages(TCheckImageKind kind) {
  switch (kind) {
    case TCheckImageKind::ckLightCheck:
      return LightCheckImages();
    case TCheckImageKind::ckDarkCheck:
      return DarkCheckImages();
    case TCheckImageKind::ckLightTick:
      return LightTickImages();
    case TCheckImageKind::ckDarkTick:
      return DarkTickImages();
    case TCheckImageKind::ckFlat:
      return FlatImages();
    case TCheckImageKind::ckXP:
      return XPImages();
    default:
      return nullptr;
  }
}

void DrawGlyph(HIMAGELIST list, int index, HDC dc, int x, int y) {
  for (std::size_t i = 0; i < lists.size(); ++i) {
    if (!list || lists[i] != list || !blitStrips[i].dc) continue;
    const TBlitStrip& strip = blitStrips[i];
    if (index < 0 || index >= strip.count) return;
    BitBlt(dc, x, y, strip.size, strip.size, strip.dc, index * strip.size, strip.size, SRCAND);
    BitBlt(dc, x, y, strip.size, strip.size, strip.dc, index * strip.size, 0, SRCPAINT);
    return;
  }
  ImageList_Draw(list, index, dc, x, y, ILD_TRANSPARENT);
}

void LoadGlyphImages() {
  EnterCriticalSection(&ImageLoadLock());
  for (std::size_t i = 0; i < kStrips.size(); ++i) FillList(i);
  LeaveCriticalSection(&ImageLoadLock());
}

void FreeGlyphImages() {
  for (HIMAGELIST& list : lists) {
    if (list) ImageList_Destroy(list);
    list = nullptr;
  }
  for (TBlitStrip& strip : blitStrips) FreeBlitStrip(strip);
}

}  // namespace tree

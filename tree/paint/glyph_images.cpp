#include "tree/paint/glyph_images.h"

#include <windows.h>

#include <array>
#include <memory>

#include "tree/paint/masked_strip.h"
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

// Each list's glyphs kept ready for two blits: the list's own transparent draw of one glyph took here several times
// what all the rest of a row with a check box took to paint. None for a list a glyph of which the strip cannot keep.
std::array<std::unique_ptr<TMaskedStrip>, kStrips.size()> strips{};

void KeepGlyphs(std::size_t index, int size) {
  HIMAGELIST list = lists[index];
  const int count = ImageList_GetImageCount(list);
  auto strip = std::make_unique<TMaskedStrip>(size, count);
  for (int i = 0; i < count; ++i) {
    if (!strip->Fill(i, [&](HDC dc, int x, int y) { ImageList_Draw(list, i, dc, x, y, ILD_TRANSPARENT); })) {
      strip.reset();
      break;
    }
  }
  strips[index] = std::move(strip);
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
  KeepGlyphs(index, size);
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
  for (std::size_t i = 0; list && i < lists.size(); ++i) {
    if (lists[i] != list || !strips[i]) continue;
    strips[i]->Draw(index, dc, x, y);
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
  for (auto& strip : strips) strip.reset();
}

}  // namespace tree

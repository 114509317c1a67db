#include "tree/paint/glyph_images.h"

#include <windows.h>

#include <array>

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

void FillList(HIMAGELIST& list, const TGlyphStrip& strip) {
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

void LoadGlyphImages() {
  EnterCriticalSection(&ImageLoadLock());
  for (std::size_t i = 0; i < kStrips.size(); ++i) FillList(lists[i], kStrips[i]);
  LeaveCriticalSection(&ImageLoadLock());
}

void FreeGlyphImages() {
  for (HIMAGELIST& list : lists) {
    if (list) ImageList_Destroy(list);
    list = nullptr;
  }
}

}  // namespace tree

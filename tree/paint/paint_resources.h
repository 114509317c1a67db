// The GDI objects a tree paints with, owned by the tree for its whole life: the row bitmap every row is painted
// into (kept while the row height and window width stay), the two expand button bitmaps, the line brush, and the
// theme data of the tree-view and button classes.
#pragma once

#include <windows.h>
// clang-format off
#include <uxtheme.h>
// clang-format on

#include <array>
#include <cstdint>
#include <memory>

#include "tree/paint/masked_strip.h"

class TThemeData;

namespace tree {

class TPaintResources {
 public:
  TPaintResources();
  ~TPaintResources();
  TPaintResources(const TPaintResources&) = delete;
  TPaintResources& operator=(const TPaintResources&) = delete;

  // A 32-bit top-down row of the given size selected into RowDC; made anew only when the size changed.
  HDC SizeRow(int width, int height);
  HDC RowDC() const { return rowDC_; }

  // Takes ownership of the bitmaps and the brush; earlier ones are deleted.
  void SetButtons(HBITMAP plus, HBITMAP minus);
  void SetLineBrush(HBRUSH brush);
  HBITMAP Plus() const { return plus_; }
  HBITMAP Minus() const { return minus_; }
  HBRUSH LineBrush() const { return lineBrush_; }
  // Copies a button bitmap to dc, magenta left transparent.
  void DrawButton(HDC dc, bool expanded, int x, int y) const;

  // Opens both theme classes for the window when want is set and styles are in use; answers whether they are open.
  bool OpenThemes(HWND window, bool want);
  void CloseThemes();
  const TThemeData* TreeTheme() const { return treeTheme_.get(); }
  const TThemeData* ButtonTheme() const { return buttonTheme_.get(); }
  // Paints a part of the button theme at r as the theme does. A part of the check box size that covers each pixel
  // wholly or not at all is kept after its first draw and painted with two blits (the theme's own draw of a check
  // box took over a hundred microseconds here, many times the rest of its row); any other the theme draws each time.
  void DrawButtonPart(HDC dc, int part, int state, const RECT& r);
  bool ThemesOpen() const;
  // The window the themes were last opened (or tried) for.
  HWND ThemeWindow() const { return themeWindow_; }

 private:
  HDC rowDC_ = nullptr;
  HBITMAP rowBitmap_ = nullptr;
  HGDIOBJ rowOldBitmap_ = nullptr;
  int rowWidth_ = -1;
  int rowHeight_ = -1;
  HDC buttonDC_ = nullptr;
  HBITMAP plus_ = nullptr;
  HBITMAP minus_ = nullptr;
  HBRUSH lineBrush_ = nullptr;
  HWND themeWindow_ = nullptr;
  std::unique_ptr<TThemeData> treeTheme_;
  std::unique_ptr<TThemeData> buttonTheme_;
  // The button parts kept so far, drawn by keptPartsTheme_; the slot of each part and state (kept parts fill the
  // slots in the order they are first drawn), or one of the marks below.
  static constexpr int kKeptPartSize = 16;
  static constexpr int kKeptParts = 24;
  static constexpr int kPartStates = 32;
  static constexpr std::int8_t kNotDrawnYet = -1;
  static constexpr std::int8_t kDrawnByTheme = -2;
  std::unique_ptr<TMaskedStrip> keptParts_;
  HTHEME keptPartsTheme_ = nullptr;
  int nextPartSlot_ = 0;
  std::array<std::int8_t, 4 * kPartStates> partSlots_;
  void ForgetKeptParts();
};

// Button bitmaps are this size.
constexpr int ButtonSize = 9;
constexpr COLORREF ButtonTransparentColor = RGB(255, 0, 255);

}  // namespace tree

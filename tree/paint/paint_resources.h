// The GDI objects a tree paints with, owned by the tree for its whole life: the row bitmap every row is painted
// into (kept while the row height and window width stay), the two expand button bitmaps, the line brush, and the
// theme data of the tree-view and button classes.
#pragma once

#include <windows.h>

#include <memory>

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
};

// Button bitmaps are this size.
constexpr int ButtonSize = 9;
constexpr COLORREF ButtonTransparentColor = RGB(255, 0, 255);

}  // namespace tree

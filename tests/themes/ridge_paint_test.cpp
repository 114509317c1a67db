// The Ridge theme: bands from white to a darkened face with a step at the middle on bars, captions, hot buttons
// and the image band of pop-ups; buttons that follow their toolbar's direction; dotted grips.
#include "theme_fixture.h"
#include "themes/glass_gradients.h"
#include "themes/styled_ridge_theme.h"
#include "themes/theme_drawing.h"
#include "toolbars/theme/color_utils.h"

using namespace toolbars;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

constexpr COLORREF Grey(int level) { return RGB(level, level, level); }

// 48/255 of the shadow over the face: the dark end of every band.
constexpr COLORREF kBandDark = Grey(180);

class RidgeTest : public ThemeTest {
 protected:
  themes::TStyledRidgeTheme* Ridge() { return Theme<themes::TStyledRidgeTheme>(L"Ridge"); }
};

}  // namespace

TEST_F(RidgeTest, ColoursAndMetrics) {
  themes::TStyledRidgeTheme* theme = Ridge();
  EXPECT_EQ(Rgb(themes::RidgeColors().BandDark), kBandDark);
  EXPECT_EQ(Rgb(themes::RidgeColors().Edge), Rgb(BlendColorsNearest(clBtnShadow, kBandDark, 64)));
  const struct {
    int ViewType;
    COLORREF Color;
  } views[] = {{vtMenuBar, kFace},     {vtToolbar, kWhite}, {vtPopupMenu, kWindow},
               {vtListPopup, kWindow}, {vtDock, kWindow},   {0, kFace}};
  for (const auto& view : views) EXPECT_EQ(Rgb(theme->ViewBackColor(view.ViewType)), view.Color) << view.ViewType;
  // A pushed toolbar item shows its text in the highlight colour.
  TStyledItemPaintInfo pushed = Item(vtToolbar, ioToolbarStyle);
  pushed.Pushed = true;
  EXPECT_EQ(Rgb(theme->ItemTextColor(pushed)), kSelection);
  EXPECT_EQ(theme->ToolbarItems()[themes::tsDisabled].Frame, clNone);
  EXPECT_EQ(theme->PopupItems()[themes::psHot].Frame, theme->ToolbarItems()[themes::tsHot].Frame);
  EXPECT_EQ(theme->IntegerMetric(35), 3);
  EXPECT_EQ(theme->IntegerMetric(50), -1);
  EXPECT_TRUE(theme->BooleanMetric(3));
  EXPECT_FALSE(theme->BooleanMetric(1));
  EXPECT_FALSE(theme->BooleanMetric(5));
}

TEST_F(RidgeTest, BarsAreBandsWithAStepAtTheMiddle) {
  themes::TStyledRidgeTheme* theme = Ridge();
  // 21 rows: white down to 188 just before the middle, a step to 147 (half-way from the overshoot 115), back to
  // the dark end at the bottom.
  const struct {
    const char* Name;
    int ViewType;
    RECT View;
    bool Across;
    std::vector<std::pair<POINT, COLORREF>> Pixels;
  } views[] = {
      {"wide toolbar",
       vtToolbar,
       {0, 0, 100, 21},
       false,
       {{{50, 0}, kWhite}, {{50, 9}, Grey(188)}, {{50, 10}, Grey(147)}, {{50, 15}, Grey(163)}, {{50, 20}, kBandDark}}},
      {"tall toolbar",
       vtToolbar,
       {0, 0, 21, 100},
       true,
       {{{0, 50}, kWhite}, {{10, 50}, Grey(147)}, {{20, 50}, kBandDark}}},
      {"menu bar", vtMenuBar, {0, 0, 100, 21}, false, {{{50, 0}, kWhite}, {{50, 20}, kBandDark}}},
      {"opaque tool window", vtToolWindow | vtOpaque, {0, 0, 100, 21}, false, {{{50, 20}, kBandDark}}},
      {"opaque toolbar", vtToolbar | vtOpaque, {0, 0, 100, 21}, false, {{{0, 10}, RGB(255, 0, 0)}}},
      // Pop-ups and lists: their colour, with the image band 24 pixels wide at the left.
      {"pop-up",
       vtPopupMenu,
       {0, 0, 100, 21},
       false,
       {{{0, 10}, kWhite}, {{11, 10}, Grey(146)}, {{23, 10}, kBandDark}, {{24, 10}, RGB(255, 0, 0)}}},
      {"list", vtListPopup, {0, 0, 100, 21}, false, {{{23, 10}, kBandDark}, {{24, 10}, RGB(255, 0, 0)}}},
      {"chevron pop-up", vtChevronPopup, {0, 0, 100, 21}, false, {{{0, 10}, RGB(255, 0, 0)}}},
      {"tool-box pop-up", vtToolBoxPopup, {0, 0, 100, 21}, false, {{{0, 10}, RGB(255, 0, 0)}}},
  };
  for (const auto& view : views) {
    SCOPED_TRACE(view.Name);
    TThemeSurface surface(100, 100);
    theme->PaintViewBackground(surface.Canvas(), {}, view.View, view.View, clRed, false, view.ViewType);
    for (const auto& [at, color] : view.Pixels) EXPECT_EQ(surface.Pixel(at.x, at.y), color) << at.x << "," << at.y;
    EXPECT_EQ(themes::RidgeBandsRunAcross(), view.Across);
  }
  // The image band belongs to the pop-up's left edge: repainting a piece of it keeps it in place.
  const struct {
    RECT Clip;
    POINT At;
    COLORREF Color;
  } pieces[] = {{{10, 0, 100, 21}, {23, 10}, kBandDark},
                {{10, 0, 100, 21}, {9, 10}, kPaper},
                {{30, 0, 100, 21}, {30, 10}, RGB(255, 0, 0)}};
  for (const auto& piece : pieces) {
    TThemeSurface surface(100, 21);
    theme->PaintViewBackground(surface.Canvas(), {}, {0, 0, 100, 21}, piece.Clip, clRed, false, vtPopupMenu);
    EXPECT_EQ(surface.Pixel(piece.At.x, piece.At.y), piece.Color) << piece.At.x;
  }
}

TEST_F(RidgeTest, BandsStayInsideBlackAndWhite) {
  // From white to a dark grey the overshoot would lie below black: it stays black, so the middle row is darker
  // than the far end rather than wrapping round to a light grey.
  TThemeSurface surface(4, 9);
  themes::GlassBand(surface.Canvas(), {0, 0, 4, 9}, static_cast<TColor>(Grey(32)), clWhite, true);
  EXPECT_EQ(surface.Pixel(1, 0), kWhite);
  EXPECT_EQ(surface.Pixel(1, 4), Grey(16));
  EXPECT_EQ(surface.Pixel(1, 8), Grey(32));
}

TEST_F(RidgeTest, ButtonsFollowTheirToolbarsDirection) {
  themes::TStyledRidgeTheme* theme = Ridge();
  const COLORREF hotFrame = Rgb(theme->ToolbarItems()[themes::tsHot].Frame);
  for (bool tall : {false, true}) {
    SCOPED_TRACE(tall ? "after a tall toolbar" : "after a wide toolbar");
    TThemeSurface background(100, 100);
    const RECT bar = tall ? RECT{0, 0, 24, 100} : RECT{0, 0, 100, 24};
    theme->PaintViewBackground(background.Canvas(), {}, bar, bar, clNone, false, vtToolbar);
    TThemeSurface surface(40, 20);
    theme->PaintButtonFace(surface.Canvas(), {0, 0, 20, 20}, Item(vtToolbar, ioToolbarStyle, hkHot));
    EXPECT_EQ(surface.Pixel(0, 0), hotFrame);
    // Inside the frame: white where the band starts, at the top or at the left.
    EXPECT_EQ(surface.Pixel(tall ? 1 : 10, tall ? 10 : 1), kWhite);
    EXPECT_EQ(surface.Pixel(1, 1) == surface.Pixel(tall ? 1 : 18, tall ? 18 : 1), true);
    EXPECT_NE(surface.Pixel(1, 1), surface.Pixel(tall ? 18 : 1, tall ? 1 : 18));

    // A split button: next to a tall toolbar the main part's band runs 12 pixels on under the arrow part, and the
    // hot arrow part is only a line at its left edge.
    TStyledItemPaintInfo main = Item(vtToolbar, ioToolbarStyle | ioDropDownCombo, hkHot);
    main.ButtonPart = cpMainOfCombo;
    TThemeSurface split(40, 20);
    theme->PaintButtonFace(split.Canvas(), {0, 0, 20, 20}, main);
    EXPECT_EQ(split.Pixel(25, 10) != kPaper, tall);
    TStyledItemPaintInfo arrow = main;
    arrow.ButtonPart = cpComboArrow;
    TThemeSurface arrowPart(40, 20);
    theme->PaintButtonFace(arrowPart.Canvas(), {20, 0, 32, 20}, arrow);
    EXPECT_EQ(arrowPart.Pixel(20, 10) == hotFrame, tall);
    EXPECT_EQ(arrowPart.Pixel(23, 4) == kPaper, tall);
  }
  {
    // Pushed: the band turned over, dark at the top; checked: one pixel in.
    TStyledItemPaintInfo pushed = Item(vtToolbar, ioToolbarStyle, hkHot);
    pushed.Pushed = true;
    TThemeSurface background(100, 24);
    theme->PaintViewBackground(background.Canvas(), {}, {0, 0, 100, 24}, {0, 0, 100, 24}, clNone, false, vtToolbar);
    TThemeSurface surface(20, 20);
    theme->PaintButtonFace(surface.Canvas(), {0, 0, 20, 20}, pushed);
    EXPECT_EQ(surface.Pixel(10, 1), kBandDark);
    EXPECT_EQ(surface.Pixel(10, 9), kWhite);
    TStyledItemPaintInfo checked = Item(vtToolbar, ioToolbarStyle);
    checked.Checked = true;
    TThemeSurface box(20, 20);
    theme->PaintButtonFace(box.Canvas(), {0, 0, 20, 20}, checked);
    EXPECT_EQ(box.Pixel(0, 0), kPaper);
    EXPECT_EQ(box.Pixel(5, 1), kSelection);
    EXPECT_EQ(box.Pixel(5, 2), kWhite);
  }
}

TEST_F(RidgeTest, PopupItemsSeparatorsAndEdits) {
  themes::TStyledRidgeTheme* theme = Ridge();
  const auto& bar = theme->ToolbarItems();
  {
    // No image column of their own: the pop-up's background carries it. A hot item is a band in its frame.
    TStyledItemPaintInfo info = Item(vtPopupMenu);
    info.ImageColumnWidth = 20;
    TThemeSurface quiet(100, 20);
    theme->PaintMenuItem(quiet.Canvas(), {0, 0, 100, 20}, info);
    EXPECT_EQ(quiet.Capture().CountPixels(kPaper), 100 * 20);
    info.HoverKind = hkHot;
    TThemeSurface hot(100, 20);
    theme->PaintMenuItem(hot.Canvas(), {0, 0, 100, 20}, info);
    EXPECT_EQ(hot.Pixel(0, 10), kPaper);
    EXPECT_EQ(hot.Pixel(1, 10), Rgb(bar[themes::tsHot].Frame));
    EXPECT_EQ(hot.Pixel(50, 0), Rgb(bar[themes::tsHot].Frame));
    EXPECT_GT(GetRValue(hot.Pixel(50, 1)), GetRValue(hot.Pixel(50, 8)));
  }
  {
    // A checked item's box: framed when not hot, only a line down its right edge when hot; a band inside.
    TStyledItemPaintInfo info = Item(vtPopupMenu);
    info.Checked = true;
    info.ImageColumnWidth = 20;
    TThemeSurface quiet(100, 20);
    theme->PaintMenuItem(quiet.Canvas(), {0, 0, 100, 20}, info);
    EXPECT_EQ(quiet.Pixel(10, 1), Rgb(bar[themes::tsChecked].Frame));
    EXPECT_EQ(quiet.Pixel(19, 10), Rgb(bar[themes::tsChecked].Frame));
    EXPECT_EQ(quiet.Pixel(10, 2), kWhite);
    info.HoverKind = hkHot;
    TThemeSurface hot(100, 20);
    theme->PaintMenuItem(hot.Canvas(), {0, 0, 100, 20}, info);
    EXPECT_EQ(hot.Pixel(19, 10), Rgb(bar[themes::tsCheckedHot].Frame));
    EXPECT_NE(hot.Pixel(10, 1), Rgb(bar[themes::tsCheckedHot].Frame));
  }
  for (bool enabled : {true, false}) {
    SCOPED_TRACE(enabled);
    TStyledItemPaintInfo info = Item(vtToolbar);
    info.Enabled = enabled;
    // Vertical separators are drawn whether or not they are enabled.
    TThemeSurface vertical(20, 30);
    theme->PaintSeparator(vertical.Canvas(), {0, 0, 10, 30}, info, false, false);
    EXPECT_EQ(vertical.Pixel(5, 10), kWhite);
    EXPECT_EQ(vertical.Pixel(4, 10), kBandDark);
    TThemeSurface horizontal(60, 20);
    theme->PaintSeparator(horizontal.Canvas(), {0, 10, 60, 20}, info, true, false);
    EXPECT_EQ(horizontal.Pixel(10, 15), kWhite);
    EXPECT_EQ(horizontal.Pixel(10, 14), kBandDark);
    TStyledItemPaintInfo popup = Item(vtPopupMenu);
    popup.Enabled = enabled;
    popup.ImageColumnWidth = 20;
    TThemeSurface line(100, 20);
    theme->PaintSeparator(line.Canvas(), {0, 10, 100, 20}, popup, true, false);
    EXPECT_EQ(line.Pixel(29, 15), Rgb(theme->Colors().ImageColumnSeparator));
    EXPECT_EQ(line.Pixel(28, 15), kPaper);
    EXPECT_EQ(line.Pixel(97, 15), Rgb(theme->Colors().ImageColumnSeparator));
    EXPECT_EQ(line.Pixel(98, 15), kPaper);
  }
  {
    // An edit in a pop-up without an item frame is framed in the face colour; in a toolbar in the window colour.
    const struct {
      int ViewType;
      COLORREF Frame;
    } edits[] = {{vtPopupMenu, kFace}, {vtToolbar, kWindow}};
    for (const auto& edit : edits) {
      TStyledEditFrameInfo info{};
      TStyledItemPaintInfo item = Item(edit.ViewType);
      TThemeSurface surface(60, 20);
      theme->PaintEditFrame(surface.Canvas(), {0, 0, 60, 20}, item, info);
      EXPECT_EQ(surface.Pixel(10, 1), edit.Frame) << edit.ViewType;
      EXPECT_EQ(surface.Pixel(10, 10), kWindow);
      EXPECT_EQ(surface.Pixel(10, 0), kPaper);
    }
  }
  {
    // A spin button with its upper half pushed: that half a band turned over, framed in the pushed frame colour.
    TStyledItemPaintInfo item = Item(vtToolbar);
    TStyledEditButtonInfo button{ebSpin, ebsPushed};
    TThemeSurface surface(40, 24);
    theme->PaintEditButton(surface.Canvas(), {20, 2, 33, 22}, item, button);
    EXPECT_EQ(surface.Pixel(26, 1), Rgb(bar[themes::tsPushed].Frame));
    // From the pushed fill at its top towards white.
    EXPECT_GT(GetRValue(surface.Pixel(26, 2)), GetRValue(Rgb(bar[themes::tsPushed].Fill)));
    EXPECT_GT(GetRValue(surface.Pixel(26, 4)), GetRValue(surface.Pixel(26, 2)));
    // The lower half is quiet: framed in the window colour.
    EXPECT_EQ(surface.Pixel(22, 21), kWindow);
    EXPECT_EQ(surface.Pixel(22, 16), kPaper);
    EXPECT_FALSE(item.Pushed);
  }
}

TEST_F(RidgeTest, ToolbarFramesGripsCaptionsAndStatusBars) {
  themes::TStyledRidgeTheme* theme = Ridge();
  const COLORREF edge = Rgb(themes::RidgeColors().Edge);
  {
    TStyledToolbarPaintInfo toolbar{};
    toolbar.ViewType = vtToolbar;
    toolbar.AllowDrag = true;
    toolbar.DragHandleStyle = dhSingle;
    TThemeSurface surface(80, 26);
    theme->PaintToolbarFrame(surface.Canvas(), {0, 0, 80, 26}, toolbar);
    EXPECT_EQ(surface.Pixel(40, 0), kWhite);
    EXPECT_EQ(surface.Pixel(40, 25), edge);
    EXPECT_EQ(surface.Pixel(79, 25), kBandDark);
    EXPECT_EQ(surface.Pixel(0, 0), kFace);
    EXPECT_EQ(surface.Pixel(78, 0), kFace);
    // The last column a band from the face down to the edge colour.
    EXPECT_EQ(surface.Pixel(79, 0), kFace);
    EXPECT_LT(GetRValue(surface.Pixel(79, 20)), GetRValue(kFace));
    // The first grip dot one pixel into the handle, four down: its top-left pixel darker than the face.
    const COLORREF dot = surface.Pixel(2 + 1, 2 + 4);
    EXPECT_LT(GetRValue(dot), GetRValue(kFace));
    EXPECT_EQ(surface.Pixel(2 + 1, 2 + 8), dot);
    // A wide frame lower down a canvas is still a band from its top.
    TThemeSurface lower(80, 130);
    theme->PaintToolbarFrame(lower.Canvas(), {0, 100, 80, 126}, toolbar);
    EXPECT_EQ(lower.Pixel(40, 100), kWhite);
    EXPECT_EQ(lower.Pixel(40, 125), edge);
    EXPECT_GT(GetRValue(surface.Pixel(2 + 3, 2 + 6)), GetRValue(kFace));
  }
  {
    TStyledToolbarPaintInfo toolbar{};
    toolbar.ViewType = vtToolbar;
    TThemeSurface surface(26, 80);
    theme->PaintToolbarFrame(surface.Canvas(), {0, 0, 26, 80}, toolbar);
    EXPECT_EQ(surface.Pixel(0, 40), kWhite);
    EXPECT_EQ(surface.Pixel(25, 40), edge);
    EXPECT_EQ(surface.Pixel(0, 0), kBandDark);
    EXPECT_EQ(surface.Pixel(0, 78), kBandDark);
  }
  {
    const int z = GetSystemMetrics(SM_CYSMCAPTION);
    TStyledDockedCaptionInfo caption{};
    caption.ViewType = vtToolWindow;
    caption.HorizontalCaption = true;
    caption.BorderSize = {2, 2};
    caption.ShowCaption = true;
    caption.CloseButtonState = cbsShown | cbsHot;
    caption.Caption = L"Panel";
    TThemeSurface surface(120, 60);
    surface.Canvas()->Brush()->SetColor(clRed);
    theme->PaintDockedCaption(surface.Canvas(), {0, 0, 120, 60}, caption);
    EXPECT_EQ(surface.Pixel(10, 2), kWhite);
    EXPECT_EQ(surface.Pixel(10, 2 + z - 2), kBandDark);
    // No line closes the band.
    EXPECT_EQ(surface.Pixel(10, 2 + z - 1), kPaper);
    EXPECT_EQ(surface.Pixel(118 - (z - 1), 2 + z / 2), Rgb(theme->ToolbarItems()[themes::tsHot].Frame));
  }
  {
    // A floating toolbar's caption text is dark on its band.
    TStyledWindowPaintInfo window{};
    window.ViewType = vtToolbar | vtFloating;
    window.ClientWidth = 100;
    window.ClientHeight = 40;
    window.ShowCaption = true;
    window.FloatingBorderSize = {3, 3};
    window.RedrawPart = rpBorder | rpCaption;
    window.Caption = L"Tools";
    window.Active = true;
    TThemeSurface surface(106, 46);
    theme->PaintFloatingFrame(surface.Canvas(), {0, 0, 106, 46}, window);
    const RECT caption{3, 3, 103, 3 + GetSystemMetrics(SM_CYSMCAPTION) - 1};
    EXPECT_GT(surface.Capture().CountPixels(kText, &caption), 0);
  }
  {
    TThemeSurface surface(40, 20);
    theme->PaintStatusBarPart(surface.Canvas(), {0, 0, 40, 20}, spBackground);
    const struct { int Row, Weight; } shades[] = {{0, 200}, {1, 128}, {4, 12}, {17, 8}, {19, 24}};
    for (const auto& shade : shades)
      EXPECT_EQ(surface.Pixel(20, shade.Row), Rgb(BlendColorsNearest(clBtnShadow, clBtnFace, shade.Weight)))
          << shade.Row;
    EXPECT_EQ(surface.Pixel(20, 10), kFace);
  }
}

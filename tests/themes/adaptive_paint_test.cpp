// What the Adaptive theme paints differently from the pastel look: gradients that follow the visual style,
// two-tone separators, rounded toolbar outlines and dotted grips.
#include "theme_fixture.h"
#include "themes/styled_adaptive_theme.h"

using namespace toolbars;

namespace {

// Without visual styles: the dark end is 10 % shadow over face, the light end white.
constexpr COLORREF kGreyDark = RGB(190, 190, 190);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class AdaptiveTest : public ThemeTest {
 protected:
  themes::TStyledAdaptiveTheme* Adaptive() { return Theme<themes::TStyledAdaptiveTheme>(L"Adaptive"); }
};

int Brightness(COLORREF color) { return GetRValue(color) + GetGValue(color) + GetBValue(color); }

}  // namespace

TEST_F(AdaptiveTest, ToolbarGradientRunsAcrossTheLongerSide) {
  themes::TStyledAdaptiveTheme* theme = Adaptive();
  EXPECT_EQ(Rgb(themes::AdaptiveColors().GradDark), kGreyDark);
  const struct {
    const char* Name;
    RECT View;
    RECT Clip;
    POINT Light, NextToDark;
    COLORREF NextToDarkColor;
  } views[] = {
      {"wide", {0, 0, 100, 20}, {0, 0, 100, 20}, {5, 0}, {5, 19}, RGB(193, 193, 193)},
      {"tall", {0, 0, 20, 100}, {0, 0, 20, 100}, {0, 5}, {19, 5}, RGB(193, 193, 193)},
  };
  for (const auto& view : views) {
    SCOPED_TRACE(view.Name);
    TThemeSurface surface(100, 100);
    theme->PaintViewBackground(surface.Canvas(), {}, view.View, view.Clip, clRed, false, vtToolbar);
    EXPECT_EQ(surface.Pixel(view.Light.x, view.Light.y), kWhite);
    EXPECT_EQ(surface.Pixel(view.NextToDark.x, view.NextToDark.y), view.NextToDarkColor);
  }
  // Views outside the toolbar family are filled plainly; an empty clip paints nothing.
  TThemeSurface surface(20, 20);
  theme->PaintViewBackground(surface.Canvas(), {}, {0, 0, 20, 20}, {0, 0, 20, 20}, clRed, false, vtPopupMenu);
  EXPECT_EQ(surface.Pixel(10, 10), RGB(255, 0, 0));
  TThemeSurface empty(20, 20);
  theme->PaintViewBackground(empty.Canvas(), {}, {0, 0, 20, 20}, {30, 30, 40, 40}, clRed, false, vtToolbar);
  EXPECT_EQ(empty.Capture().CountPixels(kPaper), 400);
}

TEST_F(AdaptiveTest, VisualStylesTurnTheGreysIntoHighlightTints) {
  themes::TStyledAdaptiveTheme* theme = Adaptive();
  TThemeSurface grey(40, 20);
  theme->PaintViewBackground(grey.Canvas(), {}, {0, 0, 40, 20}, {0, 0, 40, 20}, clNone, false, vtToolbar);
  EXPECT_EQ(grey.Pixel(5, 0), kWhite);
  Environment.SetVisualStyles(true);
  if (!UseThemes) GTEST_SKIP() << "no visual style on this machine";
  TThemeSurface tinted(40, 20);
  theme->PaintViewBackground(tinted.Canvas(), {}, {0, 0, 40, 20}, {0, 0, 40, 20}, clNone, false, vtToolbar);
  // 8/256 highlight over white.
  EXPECT_EQ(tinted.Pixel(5, 0), RGB(246, 246, 251));
  EXPECT_EQ(Rgb(theme->ViewBackColor(vtMenuBar)), Rgb(themes::AdaptiveColors().EdgeLight));
  Environment.SetVisualStyles(false);
  EXPECT_EQ(Rgb(theme->ToolbarColor()), kWhite);
}

TEST_F(AdaptiveTest, SeparatorsAreTwoToneAlsoWhenDisabled) {
  themes::TStyledAdaptiveTheme* theme = Adaptive();
  for (bool enabled : {true, false}) {
    SCOPED_TRACE(enabled);
    TStyledItemPaintInfo info = Item(vtToolbar);
    info.Enabled = enabled;
    TThemeSurface horizontal(60, 20);
    theme->PaintSeparator(horizontal.Canvas(), {0, 10, 60, 20}, info, true, false);
    EXPECT_EQ(horizontal.Pixel(4, 15), kWhite);
    EXPECT_EQ(horizontal.Pixel(3, 15), kPaper);
    EXPECT_EQ(horizontal.Pixel(3, 14), kGreyDark);
    TThemeSurface vertical(20, 30);
    theme->PaintSeparator(vertical.Canvas(), {0, 0, 10, 30}, info, false, false);
    EXPECT_EQ(vertical.Pixel(5, 10), kWhite);
    EXPECT_EQ(vertical.Pixel(4, 10), kGreyDark);
  }
}

TEST_F(AdaptiveTest, FacesCheckedBoxesAndImageColumnsAreShaded) {
  themes::TStyledAdaptiveTheme* theme = Adaptive();
  const COLORREF checked = Rgb(theme->ToolbarItems()[themes::tsChecked].Fill);
  {
    TStyledItemPaintInfo info = Item(vtToolbar, ioToolbarStyle);
    info.Checked = true;
    TThemeSurface surface(20, 22);
    theme->PaintButtonFace(surface.Canvas(), {0, 0, 20, 22}, info);
    EXPECT_EQ(surface.Pixel(0, 0), kSelection);
    EXPECT_EQ(surface.Pixel(5, 20), checked);
    EXPECT_EQ(surface.Pixel(5, 1), kWhite);
  }
  {
    // A face one pixel high inside its frame is the dark end, without a division by zero.
    TStyledItemPaintInfo info = Item(vtToolbar, ioToolbarStyle);
    info.Checked = true;
    TThemeSurface surface(20, 3);
    theme->PaintButtonFace(surface.Canvas(), {0, 0, 20, 3}, info);
    EXPECT_EQ(surface.Pixel(5, 1), checked);
  }
  {
    TStyledItemPaintInfo info = Item(vtPopupMenu);
    info.ImageColumnWidth = 20;
    TThemeSurface surface(100, 20);
    theme->PaintMenuItem(surface.Canvas(), {0, 0, 100, 20}, info);
    EXPECT_EQ(surface.Pixel(0, 10), kWhite);
    EXPECT_EQ(surface.Pixel(21, 10), kGreyDark);
  }
}

TEST_F(AdaptiveTest, ToolbarOutlineGripAndSizeGrip) {
  themes::TStyledAdaptiveTheme* theme = Adaptive();
  TStyledToolbarPaintInfo toolbar{};
  toolbar.ViewType = vtToolbar;
  toolbar.AllowDrag = true;
  toolbar.DragHandleStyle = dhSingle;
  TThemeSurface surface(80, 26);
  theme->PaintToolbarFrame(surface.Canvas(), {0, 0, 80, 26}, toolbar);
  const COLORREF edgeDark = Rgb(themes::AdaptiveColors().EdgeDark);
  EXPECT_EQ(surface.Pixel(40, 25), edgeDark);
  EXPECT_EQ(surface.Pixel(79, 10), edgeDark);
  EXPECT_EQ(surface.Pixel(40, 0), kFace);
  // The first grip dot at (handle left + 1, handle top + 4): its top-left pixel the darkest.
  const COLORREF dot = surface.Pixel(2 + 1, 2 + 4);
  EXPECT_LT(Brightness(dot), Brightness(surface.Pixel(2 + 1, 2 + 3)));
  EXPECT_EQ(surface.Pixel(2 + 1 + 2, 2 + 4 + 2), surface.Pixel(2 + 1 + 2, 2 + 8 + 2));

  TThemeSurface grip(20, 20);
  theme->PaintStatusBarPart(grip.Canvas(), {0, 0, 20, 20}, spSizeGrip);
  for (const POINT anchor : {POINT{8, 16}, POINT{12, 16}, POINT{16, 16}, POINT{12, 12}, POINT{16, 12}, POINT{16, 8}})
    EXPECT_LT(Brightness(grip.Pixel(anchor.x, anchor.y)), Brightness(kFace)) << anchor.x << "," << anchor.y;
  EXPECT_EQ(grip.Pixel(8, 8), kPaper);
}

// The Gloss theme's colours, tables and metrics under pinned system colours; its highlight family following a new
// system highlight colour; and its one gradient strip, which grows to the largest size asked for and no further.
#include <string>

#include "theme_fixture.h"
#include "themes/styled_gloss_theme.h"
#include "toolbars/theme/color_utils.h"

using namespace toolbars;
using themes::TColorKind;

namespace {

// 40 % of the pinned highlight over the window, and 80 % of that over white.
constexpr COLORREF kBase = RGB(153, 153, 217);
constexpr COLORREF kBaseLight = RGB(173, 173, 225);
constexpr COLORREF kToolbar = RGB(244, 244, 244);

// A colour as the theme's contrast step leaves it against base.
COLORREF Contrasted(COLORREF color, COLORREF base, int distance) {
  TColor result = static_cast<TColor>(color);
  EnsureContrast(result, static_cast<TColor>(base), distance);
  return Rgb(result);
}

class GlossTest : public ThemeTest {
 protected:
  themes::TStyledGlossTheme* Gloss() { return Theme<themes::TStyledGlossTheme>(L"Gloss"); }
};

}  // namespace

TEST_F(GlossTest, RegisteredWithItsGlyphsAndGradientStrip) {
  EXPECT_EQ(themes::GlossStockGlyphs().Glyphs(), nullptr);
  EXPECT_EQ(themes::GlossStockGlyphs().Scratch(), nullptr);
  themes::TStyledGlossTheme* theme = Gloss();
  EXPECT_EQ(theme->ClassType(), themes::TStyledGlossTheme::StaticClass());
  EXPECT_EQ(theme->Name(), L"Gloss");
  ASSERT_NE(themes::GlossStockGlyphs().Glyphs(), nullptr);
  ASSERT_NE(themes::GlossStockGlyphs().Scratch(), nullptr);
  EXPECT_EQ(themes::GlossStockGlyphs().Scratch()->PixelFormat(), TPixelFormat::pf24bit);
}

TEST_F(GlossTest, ViewColoursFieldsAndTables) {
  themes::TStyledGlossTheme* theme = Gloss();
  EXPECT_EQ(Rgb(themes::GlossBaseColor), kBase);
  EXPECT_EQ(Rgb(themes::GlossGradientColor), kBaseLight);
  const struct {
    int ViewType;
    COLORREF Color;
  } views[] = {{vtToolbar, kToolbar},
               {vtMenuBar, kToolbar},
               {vtToolWindow, kToolbar},
               {vtPopupMenu, kWindow},
               {vtListPopup, kWindow},
               {vtDock, RGB(255, 255, 255)},
               {0, kFace}};
  for (const auto& view : views) EXPECT_EQ(Rgb(theme->ViewBackColor(view.ViewType)), view.Color) << view.ViewType;

  const themes::TGlossColors& c = theme->Colors();
  EXPECT_EQ(Rgb(c.ToolbarEdgeColor), RGB(160, 160, 160));
  EXPECT_EQ(Rgb(c.EditFrameColor), RGB(205, 205, 205));
  EXPECT_EQ(Rgb(c.PopupFrameColor), RGB(192, 192, 192));
  EXPECT_EQ(Rgb(c.MenuSplitColor), RGB(0, 0, 0));
  EXPECT_EQ(Rgb(c.StatusDotColor), RGB(0, 0, 0));
  EXPECT_EQ(Rgb(c.FloatFrameColors[0][0]), RGB(153, 153, 153));
  EXPECT_EQ(Rgb(c.FloatFrameColors[0][1]), RGB(153, 153, 153));
  EXPECT_EQ(Rgb(c.FloatFrameColors[1][0]), RGB(153, 153, 153));
  EXPECT_EQ(Rgb(c.FloatFrameColors[1][1]), RGB(128, 128, 128));

  const auto& bar = theme->ToolbarItems();
  const auto& popup = theme->PopupItems();
  const struct {
    const char* Name;
    const themes::TItemColors& Row;
    COLORREF Fill, Text, Frame;  // kPaper: clNone
  } rows[] = {
      {"toolbar normal", bar[themes::tsNormal], kPaper, Contrasted(kText, kToolbar, 180), kPaper},
      {"toolbar disabled", bar[themes::tsDisabled], RGB(255, 255, 255), Contrasted(RGB(166, 166, 166), kToolbar, 80),
       RGB(224, 224, 224)},
      {"toolbar checked", bar[themes::tsChecked], Contrasted(RGB(192, 192, 192), kToolbar, 5),
       Contrasted(kText, kToolbar, 180), RGB(224, 224, 224)},
      {"toolbar pushed", bar[themes::tsPushed], kBaseLight, RGB(0, 0, 0), kBase},
      {"toolbar hot", bar[themes::tsHot], Contrasted(kBaseLight, kToolbar, 50), RGB(0, 0, 0),
       Contrasted(kBaseLight, kToolbar, 100)},
      {"toolbar disabled and hot", bar[themes::tsDisabledHot], Contrasted(kBaseLight, kToolbar, 50), RGB(116, 116, 116),
       kPaper},
      {"toolbar checked and hot", bar[themes::tsCheckedHot], Contrasted(RGB(230, 230, 246), kToolbar, 30),
       RGB(255, 255, 255), Contrasted(RGB(230, 230, 246), Contrasted(RGB(230, 230, 246), kToolbar, 30), 100)},
      {"toolbar submenu open", bar[themes::tsSubmenuOpen], kBaseLight, RGB(255, 255, 255), kBase},
      {"pop-up normal", popup[themes::psNormal], kPaper, Contrasted(RGB(0, 0, 0), kWindow, 180), kPaper},
      {"pop-up disabled", popup[themes::psDisabled], kPaper, Contrasted(RGB(166, 166, 166), kWindow, 80), kPaper},
      {"pop-up hot", popup[themes::psHot], kBase, RGB(255, 255, 255), Contrasted(kBaseLight, kToolbar, 100)},
      {"pop-up disabled and hot", popup[themes::psDisabledHot], RGB(255, 255, 255), RGB(192, 192, 192), kPaper},
  };
  const auto shown = [](TColor color) { return color == clNone ? kPaper : Rgb(color); };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(shown(row.Row.Fill), row.Fill);
    EXPECT_EQ(shown(row.Row.Text), row.Text);
    EXPECT_EQ(shown(row.Row.Frame), row.Frame);
  }

  // No fill of its own: the view's colour.
  EXPECT_EQ(theme->ItemBackColor(Item(vtPopupMenu)), c.PopupColor);
  EXPECT_EQ(theme->ItemBackColor(Item(vtToolbar)), c.ToolbarColor);
  EXPECT_EQ(theme->ItemBackColor(Item(vtMenuBar)), c.MenuBarColor);
  EXPECT_EQ(Rgb(theme->ItemBackColor(Item(vtPopupMenu, 0, hkHot))), kBase);
  EXPECT_EQ(theme->ItemTextColor(Item(vtToolbar)), bar[themes::tsNormal].Text);
}

TEST_F(GlossTest, MetricsMarginsAndBorders) {
  themes::TStyledGlossTheme* theme = Gloss();
  const struct {
    int Index, Value;
  } metrics[] = {{10, 12}, {20, 8}, {33, 8}, {21, 3}, {30, 3}, {34, 3}, {35, 3},  {31, 1}, {60, 1},  {32, 0}, {64, 0},
                 {36, 2},  {37, 2}, {61, 2}, {62, 2}, {40, 6}, {50, 5}, {65, 14}, {0, -1}, {99, -1}, {-1, -1}};
  for (const auto& metric : metrics) EXPECT_EQ(theme->IntegerMetric(metric.Index), metric.Value) << metric.Index;
  for (int index = -1; index < 70; ++index) EXPECT_EQ(theme->BooleanMetric(index), index == 3) << index;

  const struct {
    int Id;
    TStyledMargins Margins;
  } margins[] = {
      {miToolbarButton, {2, 2, 2, 2}}, {miStatusBarPanel, {3, 1, 3, 1}}, {2, {0, 0, 0, 0}}, {9, {0, 0, 0, 0}}};
  for (const auto& margin : margins) {
    TStyledMargins got{-1, -1, -1, -1};
    theme->MarginsById(margin.Id, got);
    EXPECT_EQ(got.LeftWidth, margin.Margins.LeftWidth) << margin.Id;
    EXPECT_EQ(got.RightWidth, margin.Margins.RightWidth) << margin.Id;
    EXPECT_EQ(got.TopHeight, margin.Margins.TopHeight) << margin.Id;
    EXPECT_EQ(got.BottomHeight, margin.Margins.BottomHeight) << margin.Id;
  }
  const struct {
    int ViewType;
    POINT Size;
  } borders[] = {
      {vtPopupMenu, {2, 2}},
      {vtChevronPopup, {2, 2}},
      {vtToolbar, {2, 2}},
      {vtDock, {2, 2}},
      {vtToolbar | vtFloating | vtResizable, {GetSystemMetrics(SM_CXFRAME) - 1, GetSystemMetrics(SM_CYFRAME) - 1}},
      {vtDock | vtFloating, {GetSystemMetrics(SM_CXDLGFRAME) - 1, GetSystemMetrics(SM_CYDLGFRAME) - 1}},
      {0, {0, 0}}};
  for (const auto& border : borders) {
    POINT size{-5, -5};
    theme->ViewBorderSize(border.ViewType, size);
    EXPECT_EQ(size.x, border.Size.x) << std::hex << border.ViewType;
    EXPECT_EQ(size.y, border.Size.y) << std::hex << border.ViewType;
  }
  TStyledMargins view{-1, -1, -1, -1};
  theme->ViewMargins(vtToolbar | vtFloating, view);
  EXPECT_EQ(view.LeftWidth + view.TopHeight + view.RightWidth + view.BottomHeight, 0);
  EXPECT_EQ(theme->PopupShadowKind(), 3);
}

TEST_F(GlossTest, OnlyTheRebuildCodeSetsUpTheColoursAgain) {
  themes::TStyledGlossTheme* theme = Gloss();
  const TColor before = theme->ToolbarItems()[themes::tsNormal].Text;
  // The caption colour changes without a broadcast; the theme reads it when told to rebuild.
  const TColor savedCaption = CaptionTextColor;
  CaptionTextColor = static_cast<TColor>(RGB(0, 120, 0));
  for (WPARAM code : {tcBeforeChange, tcAfterChange, tcAppActivated}) {
    TMessage message{CM_STYLEDSYSCOMMAND, code, 0, 0};
    theme->Dispatch(message);
    EXPECT_EQ(theme->ToolbarItems()[themes::tsNormal].Text, before) << code;
  }
  TMessage rebuild{CM_STYLEDSYSCOMMAND, tcRebuildColors, 0, 0};
  theme->Dispatch(rebuild);
  EXPECT_EQ(Rgb(theme->ToolbarItems()[themes::tsNormal].Text), Contrasted(RGB(0, 120, 0), kToolbar, 180));
  CaptionTextColor = savedCaption;
  theme->Dispatch(rebuild);
  EXPECT_EQ(theme->ToolbarItems()[themes::tsNormal].Text, before);
}

TEST_F(GlossTest, TheHighlightFamilyFollowsANewSystemHighlight) {
  themes::TStyledGlossTheme* theme = Gloss();
  const COLORREF redBase = RGB(233, 153, 153);  // 40 % of the new highlight over the window
  Environment.SetSysColor(COLOR_HIGHLIGHT, RGB(200, 0, 0));
  Refresh();
  EXPECT_EQ(Rgb(themes::GlossBaseColor), redBase);
  EXPECT_EQ(Rgb(themes::GlossGradientColor), RGB(237, 173, 173));
  EXPECT_EQ(Rgb(theme->ToolbarItems()[themes::tsPushed].Frame), redBase);
  EXPECT_EQ(Rgb(theme->ToolbarItems()[themes::tsPushed].Fill), RGB(237, 173, 173));
  EXPECT_EQ(Rgb(theme->PopupItems()[themes::psHot].Fill), redBase);
  EXPECT_EQ(Rgb(theme->ItemBackColor(Item(vtPopupMenu, 0, hkHot))), redBase);
  // A hot menu item is striped in the new base colour.
  TThemeSurface surface(40, 12);
  theme->PaintMenuItemHighlight(surface.Canvas(), {0, 0, 40, 12}, Item(vtPopupMenu, 0, hkHot));
  EXPECT_EQ(surface.Pixel(20, 2), redBase);
  Environment.SetSysColor(COLOR_HIGHLIGHT, kSelection);
  Refresh();
  EXPECT_EQ(Rgb(themes::GlossBaseColor), kBase);
  EXPECT_EQ(Rgb(theme->PopupItems()[themes::psHot].Fill), kBase);
}

TEST_F(GlossTest, OneGradientStripGrowsToTheLargestSizeAskedFor) {
  themes::TStyledGlossTheme* theme = Gloss();
  TBitmap* strip = themes::GlossStockGlyphs().Scratch();
  ASSERT_NE(strip, nullptr);
  TStyledItemPaintInfo pushed = Item(vtToolbar, ioToolbarStyle);
  pushed.Pushed = true;
  TThemeSurface surface(400, 120);
  // A 40-pixel face fills 38 rows inside its frame: 37 steps in the strip.
  theme->PaintButtonFace(surface.Canvas(), {0, 0, 24, 40}, pushed);
  EXPECT_EQ(strip->Height(), 37);
  const HBITMAP handle = strip->Handle();
  const DWORD objects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  // A toolbar of smaller items: no new bitmap, the strip stays as it is.
  for (int i = 0; i < 50; ++i)
    theme->PaintButtonFace(surface.Canvas(), {i * 7, 50, i * 7 + 7, 50 + 10 + i % 20}, pushed);
  EXPECT_EQ(strip->Height(), 37);
  EXPECT_EQ(strip->Width(), 1);
  EXPECT_EQ(strip->Handle(), handle);
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), objects);
  // A horizontal caption gradient turns it, keeping the longest run; a taller face deepens it; neither shrinks it.
  TStyledDockedCaptionInfo caption{};
  caption.BorderSize = {2, 2};
  caption.ShowCaption = true;
  caption.Caption = L"Side";
  surface.Canvas()->Brush()->SetColor(clBtnFace);
  theme->PaintDockedCaption(surface.Canvas(), {0, 0, 60, 100}, caption);
  EXPECT_EQ(strip->Width(), 37);
  EXPECT_EQ(strip->Height(), 1);
  theme->PaintButtonFace(surface.Canvas(), {0, 0, 24, 100}, pushed);
  EXPECT_EQ(strip->Height(), 97);
  EXPECT_EQ(strip->Width(), 1);
  theme->PaintButtonFace(surface.Canvas(), {0, 0, 24, 20}, pushed);
  EXPECT_EQ(strip->Height(), 97);
  // A run longer than any screen is sampled into a strip of bounded length.
  theme->PaintButtonFace(surface.Canvas(), {0, 0, 24, 1 << 24}, pushed);
  EXPECT_EQ(strip->Height(), 4096);
}

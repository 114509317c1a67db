// The Emboss theme: its colours and metrics over the default theme's, striped backgrounds, cut-corner dithered
// faces, etched separators, and the embossed frames.
#include "theme_fixture.h"
#include "themes/styled_emboss_theme.h"

using namespace toolbars;

namespace {

constexpr COLORREF kDock = RGB(240, 240, 240);          // a quarter face over the window
constexpr COLORREF kItemFrame = RGB(117, 117, 117);     // shadow 210/256 over face
constexpr COLORREF kStripeDark = RGB(192, 192, 192);    // face 8 darker
constexpr COLORREF kStripeLight = RGB(208, 208, 208);   // face 8 lighter
constexpr COLORREF kHotFrame = RGB(124, 124, 124);      // shadow 192/256 over face

class EmbossTest : public ThemeTest {
 protected:
  themes::TStyledEmbossTheme* Emboss() { return Theme<themes::TStyledEmbossTheme>(L"Emboss"); }
};

}  // namespace

TEST_F(EmbossTest, RegisteredOverTheDefaultThemeWithItsGlyphs) {
  EXPECT_EQ(themes::EmbossStockGlyphs().Glyphs(), nullptr);
  themes::TStyledEmbossTheme* theme = Emboss();
  EXPECT_TRUE(theme->InheritsFrom(TStyledDefaultTheme::StaticClass()));
  EXPECT_EQ(themes::EmbossStockGlyphs().InstanceCount(), 1);
  EXPECT_EQ(Rgb(theme->DockColor()), kDock);
  EXPECT_EQ(Rgb(theme->FrameColor()), kItemFrame);
  EXPECT_EQ(theme->FaceColor(), clBtnFace);
}

TEST_F(EmbossTest, ColoursMetricsAndBorders) {
  themes::TStyledEmbossTheme* theme = Emboss();
  const struct {
    int ViewType;
    COLORREF Color;
  } views[] = {{vtToolbar, kFace}, {vtMenuBar, kFace}, {vtPopupMenu, kWindow}, {vtListPopup, kWindow}, {vtDock, kDock},
               {0, kFace}};
  for (const auto& view : views) EXPECT_EQ(Rgb(theme->ViewBackColor(view.ViewType)), view.Color) << view.ViewType;

  const struct {
    const char* Name;
    int ViewType, Options;
    bool Enabled;
    uint8_t Hover;
    COLORREF Text;
  } texts[] = {
      {"disabled pop-up item, keyboard", vtPopupMenu, 0, false, hkKeyboardHot, kShadow},
      {"disabled toolbar item", vtToolbar, ioToolbarStyle, false, hkKeyboardHot, kItemFrame},
      {"toolbar item", vtToolbar, ioToolbarStyle, true, hkHot, kText},
      {"hot menu-bar item", vtMenuBar, ioToolbarStyle, true, hkHot, kSelectionText},
      {"menu bar of an inactive application", vtMenuBar, ioToolbarStyle, true, hkNone, kGray},
      {"menu bar of the active application", vtMenuBar, ioToolbarStyle | ioAppActive, true, hkNone, kMenuText},
      {"pop-up item", vtPopupMenu, 0, true, hkNone, kMenuText},
  };
  for (const auto& text : texts) {
    TStyledItemPaintInfo info = Item(text.ViewType, text.Options, text.Hover);
    info.Enabled = text.Enabled;
    EXPECT_EQ(Rgb(theme->ItemTextColor(info)), text.Text) << text.Name;
  }

  const struct {
    int ViewType;
    POINT Size;
  } borders[] = {{vtToolbar | vtFloating | vtResizable, {GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME)}},
                 {vtToolWindow | vtFloating, {GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME)}},
                 {vtToolbar, {2, 2}}, {vtListPopup, {2, 2}}, {vtPopupMenu, {3, 3}}, {0, {0, 0}}};
  for (const auto& border : borders) {
    POINT size{};
    theme->ViewBorderSize(border.ViewType, size);
    EXPECT_EQ(size.x, border.Size.x) << border.ViewType;
    EXPECT_EQ(size.y, border.Size.y) << border.ViewType;
  }
  const struct {
    int Index, Value;
  } metrics[] = {{10, 12}, {30, 2}, {37, 2}, {61, 2}, {62, 2}, {36, 1}, {60, 1}, {65, 14}, {20, 8}, {31, 0}, {40, 6}};
  for (const auto& metric : metrics) EXPECT_EQ(theme->IntegerMetric(metric.Index), metric.Value) << metric.Index;
  EXPECT_TRUE(theme->BooleanMetric(3));
  EXPECT_FALSE(theme->BooleanMetric(4));
  EXPECT_FALSE(theme->BooleanMetric(6));
  EXPECT_EQ(theme->PopupShadowKind(), 3);
}

TEST_F(EmbossTest, StripesKeepTheirPhaseAcrossClipPieces) {
  themes::TStyledEmbossTheme* theme = Emboss();
  TThemeSurface surface(30, 30);
  const RECT view{0, 0, 30, 30};
  theme->PaintViewBackground(surface.Canvas(), {}, view, {0, 0, 30, 10}, clBtnFace, false, vtToolbar);
  theme->PaintViewBackground(surface.Canvas(), {}, view, {0, 10, 30, 30}, clBtnFace, false, vtToolbar);
  for (int y = 0; y < 30; ++y) {
    const COLORREF expected = y % 3 == 0 ? kStripeDark : y % 3 == 1 ? kStripeLight : kFace;
    EXPECT_EQ(surface.Pixel(5, y), expected) << y;
  }
  // Low colour: a plain fill.
  const bool saved = LowColor;
  LowColor = true;
  TThemeSurface plain(10, 10);
  theme->PaintViewBackground(plain.Canvas(), {}, {0, 0, 10, 10}, {0, 0, 10, 10}, clBtnFace, false, vtToolbar);
  LowColor = saved;
  EXPECT_EQ(plain.Capture().CountPixels(kFace), 100);
}

TEST_F(EmbossTest, FacesWithCutCorners) {
  themes::TStyledEmbossTheme* theme = Emboss();
  const struct {
    const char* Name;
    int ViewType;
    bool Pushed, Checked;
    uint8_t Hover;
    COLORREF Frame;
    COLORREF Inside;  // kPaper for a dither, checked separately
  } faces[] = {
      {"normal", vtToolbar, false, false, hkNone, kPaper, kPaper},
      {"hot", vtToolbar, false, false, hkHot, kHotFrame, kPaper},
      {"pushed", vtToolbar, true, false, hkHot, kShadow, kPaper},
      {"hot in a menu bar", vtMenuBar, false, false, hkHot, kSelection, kSelection},
  };
  for (const auto& face : faces) {
    SCOPED_TRACE(face.Name);
    TStyledItemPaintInfo info = Item(face.ViewType, ioToolbarStyle, face.Hover);
    info.Pushed = face.Pushed;
    info.Checked = face.Checked;
    TThemeSurface surface(24, 22);
    theme->PaintButtonFace(surface.Canvas(), {0, 0, 24, 22}, info);
    EXPECT_EQ(surface.Pixel(2, 0), face.Frame);
    if (face.Inside != kPaper) {
      EXPECT_EQ(surface.Pixel(0, 0), face.Inside);
    } else {
      // Two-pixel corner cuts.
      EXPECT_EQ(surface.Pixel(0, 0), kPaper);
      if (face.Frame != kPaper) {
        EXPECT_NE(surface.Pixel(5, 5), kPaper);
      }
    }
  }
}

TEST_F(EmbossTest, EtchedSeparatorsAndPopupFrames) {
  themes::TStyledEmbossTheme* theme = Emboss();
  for (bool enabled : {true, false}) {
    SCOPED_TRACE(enabled);
    TStyledItemPaintInfo info = Item(vtToolbar);
    info.Enabled = enabled;
    TThemeSurface surface(60, 60);
    theme->PaintSeparator(surface.Canvas(), {0, 20, 60, 30}, info, true, false);
    EXPECT_EQ(surface.Pixel(4, 25), kLight);
    EXPECT_EQ(surface.Pixel(3, 24), kShadow);
    theme->PaintSeparator(surface.Canvas(), {20, 30, 30, 60}, info, false, false);
    EXPECT_EQ(surface.Pixel(25, 40), enabled ? kLight : kPaper);
  }
  TThemeSurface popup(40, 40);
  TStyledPopupPaintInfo info{};
  info.ViewType = vtPopupMenu;
  theme->PaintPopupFrame(popup.Canvas(), {0, 0, 40, 40}, info);
  EXPECT_EQ(popup.Pixel(0, 10), RGB(49, 49, 49));
  EXPECT_EQ(popup.Pixel(10, 10), FlatMenus ? Rgb(MenuBackColor) : kDock);
}

TEST_F(EmbossTest, ControlsStatusBarAndToolbarEdges) {
  themes::TStyledEmbossTheme* theme = Emboss();
  {
    TThemeSurface surface(15, 15);
    theme->PaintStandardControl(surface.Canvas(), {0, 0, 15, 15}, scRadioButton, scsChecked | scsDisabled);
    EXPECT_EQ(surface.Pixel(7, 7), kFace);
    TThemeSurface box(15, 15);
    theme->PaintStandardControl(box.Canvas(), {0, 0, 15, 15}, scCheckBox, scsMixed);
    EXPECT_EQ(box.Pixel(7, 7), kShadow);
  }
  {
    TThemeSurface surface(40, 20);
    theme->PaintStatusBarPart(surface.Canvas(), {0, 0, 40, 20}, spBackground);
    EXPECT_EQ(surface.Pixel(10, 0), RGB(121, 121, 121));
    EXPECT_EQ(surface.Pixel(10, 10), kFace);
  }
  {
    TStyledToolbarPaintInfo toolbar{};
    toolbar.ViewType = vtToolbar;
    toolbar.BorderStyle = 1;
    TThemeSurface surface(40, 20);
    theme->PaintToolbarFrame(surface.Canvas(), {0, 0, 40, 20}, toolbar);
    EXPECT_EQ(surface.Pixel(0, 0), kLight);
    EXPECT_EQ(surface.Pixel(39, 19), kShadow);
  }
}

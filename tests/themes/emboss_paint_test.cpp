// The Emboss and Relief themes over the default theme: their shared colours, metrics, cut-corner dithered faces,
// captions and controls; Emboss's striped backgrounds and etched separators; Relief's bumps.
#include "theme_fixture.h"
#include "themes/styled_emboss_theme.h"
#include "themes/styled_relief_theme.h"

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
  themes::TStyledReliefTheme* Relief() { return Theme<themes::TStyledReliefTheme>(L"Relief"); }
  std::vector<themes::TStyledClassicLook*> Both() { return {Emboss(), Relief()}; }
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
 for (themes::TStyledClassicLook* theme : Both()) {
  SCOPED_TRACE(std::wstring(theme->Name()));
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
  // Nothing outside the clip, however far the view reaches.
  TThemeSurface clipped(30, 30);
  theme->PaintViewBackground(clipped.Canvas(), {}, {0, 0, 30, 1000000}, {0, 4, 30, 11}, clBtnFace, false, vtToolbar);
  for (int y = 0; y < 30; ++y) {
    const COLORREF stripe = y % 3 == 0 ? kStripeDark : y % 3 == 1 ? kStripeLight : kFace;
    EXPECT_EQ(clipped.Pixel(5, y), y < 4 || y >= 11 ? kPaper : stripe) << y;
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
 for (themes::TStyledClassicLook* theme : Both()) {
  SCOPED_TRACE(std::wstring(theme->Name()));
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
 for (themes::TStyledClassicLook* theme : Both()) {
  SCOPED_TRACE(std::wstring(theme->Name()));
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
    EXPECT_EQ(surface.Pixel(10, 0), theme == Emboss() ? RGB(121, 121, 121) : kShadow);
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
}

TEST_F(EmbossTest, PressedCaptionsSitOnePixelFurther) {
  for (themes::TStyledClassicLook* theme : Both()) {
    SCOPED_TRACE(std::wstring(theme->Name()));
    RECT bounds[2];
    for (int pushed = 0; pushed < 2; ++pushed) {
      TStyledItemPaintInfo info = Item(vtToolbar, ioToolbarStyle);
      info.Pushed = pushed == 1;
      TThemeSurface surface(40, 20);
      theme->PaintItemCaption(surface.Canvas(), {5, 2, 35, 18}, info, L"IH", DT_SINGLELINE | DT_CENTER | DT_VCENTER,
                              false);
      bounds[pushed] = surface.Capture().BoundsOf(Rgb(CaptionTextColor));
      ASSERT_FALSE(IsRectEmpty(&bounds[pushed]));
    }
    EXPECT_EQ(bounds[1].left - bounds[0].left, 1);
    EXPECT_EQ(bounds[1].top - bounds[0].top, 1);
  }
}

TEST_F(EmbossTest, ReliefBumpsInGripsAndCaptionBars) {
  themes::TStyledReliefTheme* theme = Relief();
  ASSERT_NE(themes::ReliefStockGlyphs().Scratch(), nullptr);
  {
    TThemeSurface surface(20, 20);
    theme->FillRelief(surface.Canvas(), {0, 0, 20, 20}, clBtnFace, 1);
    EXPECT_EQ(surface.Pixel(0, 0), kFace);
    EXPECT_LT(surface.Capture().CountPixels(kFace), 20 * 20 - 30);
  }
  const int z = GetSystemMetrics(SM_CYSMCAPTION);
  const struct {
    const char* Name;
    int Width;
    const wchar_t* Caption;
    bool Active;
    bool Relief;
  } captions[] = {{"long, active", 200, L"Tools", true, true},
                  {"inactive", 200, L"Tools", false, false},
                  {"too short for the text", 40, L"A long caption", true, false},
                  {"no text", 80, L"", true, true}};
  for (const auto& caption : captions) {
    SCOPED_TRACE(caption.Name);
    TStyledWindowPaintInfo window{};
    window.ViewType = vtToolbar | vtFloating;
    window.ClientWidth = caption.Width;
    window.ClientHeight = 30;
    window.ShowCaption = true;
    window.FloatingBorderSize = {3, 3};
    window.RedrawPart = rpCaption;
    window.Caption = caption.Caption;
    window.Active = caption.Active;
    TThemeSurface surface(caption.Width + 6, 36);
    theme->PaintFloatingFrame(surface.Canvas(), {0, 0, caption.Width + 6, 36}, window);
    // Bumps are the pixels of the strip in neither the face nor the text colour.
    const RECT strip{3, 3, 3 + caption.Width, 3 + z - 2};
    const int bumps = (strip.right - strip.left) * (strip.bottom - strip.top) -
                      surface.Capture().CountPixels(kFace, &strip) - surface.Capture().CountPixels(kText, &strip);
    EXPECT_EQ(bumps > 0, caption.Relief) << bumps;
  }
  TThemeSurface separator(40, 20);
  theme->PaintSeparator(separator.Canvas(), {0, 10, 40, 20}, Item(vtToolbar), true, false);
  EXPECT_EQ(separator.Pixel(1, 15), kItemFrame);
  EXPECT_EQ(separator.Pixel(0, 15), kPaper);
  EXPECT_EQ(separator.Pixel(5, 14), kPaper);
}

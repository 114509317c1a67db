// The machinery every theme of the set shares: registration by name, the stock glyphs' lifetime, the item state
// rules, the colour queries and the answer to the theme manager's broadcast.
#include <string>

#include "theme_fixture.h"
#include "themes/styled_adaptive_theme.h"
#include "themes/styled_crystal_theme.h"
#include "themes/styled_pastel_theme.h"
#include "themes/styled_ridge_theme.h"
#include "toolbars/items/bar_image_list.h"

using namespace toolbars;
using themes::TColorKind;

namespace {

struct TThemeName {
  const wchar_t* Name;
  const TClass* Class;
  themes::TStockGlyphs& (*Glyphs)();
  // Where the themes' metrics differ.
  int Metric35, Metric50;
  bool Boolean1;
  // The pop-up colour is a blend of the button face.
  bool PopupFollowsFace;
};

const TThemeName kThemes[] = {
    {L"Pastel", themes::TStyledPastelTheme::StaticClass(), &themes::PastelStockGlyphs, 3, -1, true, true},
    {L"Adaptive", themes::TStyledAdaptiveTheme::StaticClass(), &themes::AdaptiveStockGlyphs, 3, -1, true, true},
    {L"Crystal", themes::TStyledCrystalTheme::StaticClass(), &themes::CrystalStockGlyphs, 7, 5, false, false},
    {L"Ridge", themes::TStyledRidgeTheme::StaticClass(), &themes::RidgeStockGlyphs, 3, -1, false, false},
};

}  // namespace

TEST_F(ThemeTest, EachThemeIsRegisteredUnderItsNameAndMadeByIt) {
  for (const TThemeName& entry : kThemes) {
    SCOPED_TRACE(std::wstring(entry.Name));
    ASSERT_TRUE(IsThemeRegistered(entry.Name));
    TStyledTheme* theme = Theme<TStyledTheme>(entry.Name);
    ASSERT_NE(theme, nullptr);
    EXPECT_EQ(theme->ClassType(), entry.Class);
    EXPECT_EQ(theme->Name(), entry.Name);
    // Acquiring the name again, in any case, gives the one instance.
    TStyledTheme* again = AcquireTheme(String(entry.Name).append(L""));
    EXPECT_EQ(again, theme);
    ReleaseTheme(again);
    try {
      RegisterTheme(entry.Name, TStyledThemeClass::Of<themes::TStyledPastelTheme>());
      ADD_FAILURE() << "a second registration was accepted";
    } catch (const EStyledThemeError& error) {
      EXPECT_EQ(error.Message(), L"Theme " + std::wstring(entry.Name) + L" is already registered");
    }
  }
}

TEST_F(ThemeTest, StockGlyphsLiveFromTheFirstInstanceToTheLast) {
  for (const TThemeName& entry : kThemes) {
    SCOPED_TRACE(std::wstring(entry.Name));
    themes::TStockGlyphs& glyphs = entry.Glyphs();
    EXPECT_EQ(glyphs.Glyphs(), nullptr);
    for (int round = 0; round < 2; ++round) {
      TStyledTheme* theme = AcquireTheme(entry.Name);
      EXPECT_EQ(glyphs.InstanceCount(), 1);
      ASSERT_NE(glyphs.Glyphs(), nullptr);
      EXPECT_EQ(glyphs.Glyphs()->Count(), 4);
      EXPECT_EQ(glyphs.Glyphs()->Width(), 16);
      ReleaseTheme(theme);
      EXPECT_EQ(glyphs.InstanceCount(), 0);
      EXPECT_EQ(glyphs.Glyphs(), nullptr);
    }
  }
  // Two live themes of two units each own their unit's list.
  Theme(L"Pastel");
  Theme(L"Adaptive");
  EXPECT_NE(themes::PastelStockGlyphs().Glyphs(), nullptr);
  EXPECT_NE(themes::AdaptiveStockGlyphs().Glyphs(), nullptr);
  EXPECT_NE(themes::PastelStockGlyphs().Glyphs(), themes::AdaptiveStockGlyphs().Glyphs());
}

TEST(ThemeItemStates, TablesFollowTheStateRulesInOrder) {
  struct {
    bool Enabled, Pushed, Checked, SubmenuParent;
    uint8_t Hover;
    int Toolbar, Popup;
  } cases[] = {
      {true, false, false, false, hkNone, themes::tsNormal, themes::psNormal},
      {false, false, false, false, hkNone, themes::tsDisabled, themes::psDisabled},
      {false, false, false, false, hkHot, themes::tsDisabled, themes::psDisabled},
      {false, true, true, true, hkKeyboardHot, themes::tsDisabledHot, themes::psDisabledHot},
      {true, false, true, false, hkNone, themes::tsChecked, themes::psNormal},
      {true, false, true, false, hkHot, themes::tsCheckedHot, themes::psHot},
      {true, true, true, false, hkNone, themes::tsPushed, themes::psNormal},
      {true, true, false, true, hkNone, themes::tsSubmenuOpen, themes::psNormal},
      {true, false, true, true, hkHot, themes::tsSubmenuOpen, themes::psHot},
      {true, false, false, false, hkKeyboardHot, themes::tsHot, themes::psHot},
  };
  for (const auto& c : cases) {
    TStyledItemPaintInfo info{};
    info.Enabled = c.Enabled;
    info.Pushed = c.Pushed;
    info.Checked = c.Checked;
    info.IsSubmenuParent = c.SubmenuParent;
    info.HoverKind = c.Hover;
    SCOPED_TRACE(testing::Message() << "expected toolbar state " << c.Toolbar);
    EXPECT_EQ(themes::ToolbarItemState(info), c.Toolbar);
    EXPECT_EQ(themes::PopupItemState(info), c.Popup);
  }
}

TEST_F(ThemeTest, ColourQueriesPickTheTableAndNeverAnswerNoFill) {
  for (const TThemeName& entry : kThemes) {
    SCOPED_TRACE(std::wstring(entry.Name));
    themes::TStyledTableTheme* theme = Theme(entry.Name);
    const auto& bar = theme->ToolbarItems();
    const auto& popup = theme->PopupItems();
    // A plain pop-up menu item reads the pop-up table; a toolbar-style one the toolbar table.
    EXPECT_EQ(theme->ItemTextColor(Item(vtPopupMenu)), popup[themes::psNormal].Text);
    EXPECT_EQ(theme->ItemTextColor(Item(vtPopupMenu, ioToolbarStyle)), bar[themes::tsNormal].Text);
    EXPECT_EQ(theme->ItemBackColor(Item(vtPopupMenu, 0, hkHot)), popup[themes::psHot].Fill);
    EXPECT_EQ(popup[themes::psHot].Fill, bar[themes::tsHot].Fill);
    // No fill of its own: the view's colour.
    EXPECT_EQ(theme->ItemBackColor(Item(vtPopupMenu)), theme->ViewBackColor(vtPopupMenu));
    EXPECT_EQ(theme->ItemBackColor(Item(vtToolbar)), theme->ViewBackColor(vtToolbar));
    EXPECT_EQ(theme->ItemImageBackColor(Item(vtDock)), theme->ViewBackColor(vtDock));
    // Opaque toolbars fill and frame what the table leaves empty.
    EXPECT_EQ(theme->ItemColor(Item(vtToolbar | vtOpaque), TColorKind::ckFill), theme->ToolbarColor());
    EXPECT_EQ(theme->ItemColor(Item(vtToolbar | vtOpaque), TColorKind::ckFrame), clBtnShadow);
    EXPECT_EQ(theme->ItemColor(Item(vtToolbar | vtOpaque), TColorKind::ckText), bar[themes::tsNormal].Text);
    TStyledItemPaintInfo checked = Item(vtToolbar | vtOpaque);
    checked.Checked = true;
    EXPECT_EQ(theme->ImageAreaColor(checked, TColorKind::ckFrame), clWindowFrame);
    EXPECT_EQ(theme->ImageAreaColor(Item(vtToolbar | vtOpaque), TColorKind::ckFrame), clBtnShadow);
    EXPECT_EQ(theme->ItemColor(Item(vtToolbar), TColorKind::ckFrame), clNone);
  }
}

TEST_F(ThemeTest, SharedShapesAndMetrics) {
  TBarCustomImageList own;
  TImageList plain;
  for (const TThemeName& entry : kThemes) {
    SCOPED_TRACE(std::wstring(entry.Name));
    themes::TStyledTableTheme* theme = Theme(entry.Name);
    TStyledItemPaintInfo hot = Item(vtToolbar, ioToolbarStyle, hkHot);
    EXPECT_EQ(theme->ItemImageOffset(nullptr, hot, &plain).x, -1);
    EXPECT_EQ(theme->ItemImageOffset(nullptr, hot, &own).x, 0);
    hot.Pushed = true;
    EXPECT_EQ(theme->ItemImageOffset(nullptr, hot, &plain).y, 0);
    hot.IsSubmenuParent = true;
    EXPECT_EQ(theme->ItemImageOffset(nullptr, hot, &plain).y, -1);
    EXPECT_EQ(theme->PopupShadowKind(), 3);

    TStyledMargins margins{};
    theme->MarginsById(miToolbarButton, margins);
    EXPECT_EQ(margins.LeftWidth + margins.TopHeight + margins.RightWidth + margins.BottomHeight, 8);
    theme->MarginsById(miStatusBarPanel, margins);
    EXPECT_EQ(margins.TopHeight, 3);
    EXPECT_EQ(margins.LeftWidth, 1);
    theme->MarginsById(7, margins);
    EXPECT_EQ(margins.BottomHeight, 0);

    const struct {
      int ViewType;
      POINT Size;
    } borders[] = {{vtPopupMenu, {1, 2}},
                   {vtListPopup, {2, 2}},
                   {vtToolbar, {2, 2}},
                   {vtDock, {2, 2}},
                   {vtToolbar | vtFloating | vtResizable,
                    {GetSystemMetrics(SM_CXFRAME) - 1, GetSystemMetrics(SM_CYFRAME) - 1}},
                   {vtToolWindow | vtFloating, {GetSystemMetrics(SM_CXDLGFRAME) - 1, GetSystemMetrics(SM_CYDLGFRAME) - 1}},
                   {0, {0, 0}}};
    for (const auto& border : borders) {
      POINT size{-5, -5};
      theme->ViewBorderSize(border.ViewType, size);
      EXPECT_EQ(size.x, border.Size.x) << std::hex << border.ViewType;
      EXPECT_EQ(size.y, border.Size.y) << std::hex << border.ViewType;
    }
    const struct {
      int Index, Value;
    } metrics[] = {{10, 12}, {20, 8}, {33, 8}, {21, 3}, {35, entry.Metric35}, {31, 1},  {60, 1}, {32, 0},
                   {64, 0},  {36, 2}, {62, 2}, {40, 6}, {50, entry.Metric50}, {65, 14}, {99, -1}};
    for (const auto& metric : metrics) EXPECT_EQ(theme->IntegerMetric(metric.Index), metric.Value) << metric.Index;
    EXPECT_EQ(theme->BooleanMetric(1), entry.Boolean1);
    EXPECT_TRUE(theme->BooleanMetric(3));
    EXPECT_FALSE(theme->BooleanMetric(5));
    EXPECT_FALSE(theme->BooleanMetric(6));
  }
}

TEST_F(ThemeTest, OnlyTheRebuildCodeSetsUpTheColoursAgain) {
  for (const TThemeName& entry : kThemes) {
    SCOPED_TRACE(std::wstring(entry.Name));
    themes::TStyledTableTheme* theme = Theme(entry.Name);
    const TColor before = theme->ViewBackColor(vtPopupMenu);
    // The shared low-colour flag changes without a broadcast; the theme reads it when told to rebuild.
    const bool saved = LowColor;
    LowColor = true;
    for (WPARAM code : {tcBeforeChange, tcAfterChange, tcAppActivated}) {
      TMessage message{CM_STYLEDSYSCOMMAND, code, 0, 0};
      theme->Dispatch(message);
      EXPECT_EQ(theme->ViewBackColor(vtPopupMenu), before) << code;
    }
    TMessage rebuild{CM_STYLEDSYSCOMMAND, tcRebuildColors, 0, 0};
    theme->Dispatch(rebuild);
    const bool pastel = entry.Class == themes::TStyledPastelTheme::StaticClass();
    // Only Pastel has colours of its own for a low colour depth.
    EXPECT_EQ(theme->ViewBackColor(vtPopupMenu) != before, pastel);
    LowColor = saved;
    theme->Dispatch(rebuild);
    EXPECT_EQ(theme->ViewBackColor(vtPopupMenu), before);
  }
}

TEST_F(ThemeTest, NewSystemColoursReachEveryLiveTheme) {
  for (const TThemeName& entry : kThemes) {
    SCOPED_TRACE(std::wstring(entry.Name));
    themes::TStyledTableTheme* theme = Theme(entry.Name);
    const TColor before = theme->ViewBackColor(vtPopupMenu);
    const TColor checkedBefore = theme->ToolbarItems()[themes::tsChecked].Fill;
    Environment.SetSysColor(COLOR_BTNFACE, RGB(120, 160, 200));
    Refresh();
    // 14.3 % of the new face over the window.
    if (entry.PopupFollowsFace) {
      EXPECT_EQ(Rgb(theme->ViewBackColor(vtPopupMenu)), RGB(236, 241, 247));
    }
    EXPECT_NE(theme->ToolbarItems()[themes::tsChecked].Fill, checkedBefore);
    Environment.SetSysColor(COLOR_BTNFACE, kFace);
    Refresh();
    EXPECT_EQ(theme->ViewBackColor(vtPopupMenu), before);
    EXPECT_EQ(theme->ToolbarItems()[themes::tsChecked].Fill, checkedBefore);
  }
}

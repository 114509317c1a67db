#include <vssym32.h>

#include "default_theme_fixture.h"
#include "toolbars/theme/color_utils.h"

using namespace toolbars;

TEST_F(DefaultThemeTest, ItemColoursFollowHoverStateViewAndMenuStyle) {
  struct TCase {
    const char* Name;
    bool FlatMenus;
    TStyledItemPaintInfo Info;
    TColor Back, Text, ImageBack;
  };
  auto hot = [](TStyledItemPaintInfo info, uint8_t kind = hkHot) {
    info.HoverKind = kind;
    return info;
  };
  auto disabled = [](TStyledItemPaintInfo info) {
    info.Enabled = false;
    return info;
  };
  const TCase cases[] = {
      {"hot pop-up item", false, hot(Item(vtPopupMenu)), clHighlight, clHighlightText, clMenu},
      {"plain pop-up item", false, Item(vtPopupMenu), clMenu, clMenuText, clMenu},
      {"hot toolbar-style item in a pop-up", false, hot(Item(vtPopupMenu, ioToolbarStyle)), clMenu, clBtnText, clMenu},
      {"disabled pop-up item hot by keyboard", false, hot(disabled(Item(vtPopupMenu)), hkKeyboardHot), clHighlight,
       clGrayText, clMenu},
      {"disabled toolbar item", false, disabled(Item(vtToolbar, ioToolbarStyle)), clBtnFace, clGrayText, clBtnFace},
      {"toolbar item", false, Item(vtToolbar, ioToolbarStyle), clBtnFace, clBtnText, clBtnFace},
      {"menu bar of an inactive application", false, Item(vtMenuBar, ioToolbarStyle), clBtnFace, clGrayText, clBtnFace},
      {"menu bar of an active application", false, Item(vtMenuBar, ioToolbarStyle | ioAppActive), clBtnFace, clBtnText,
       clBtnFace},
      {"hot flat menu bar item", true, hot(Item(vtMenuBar, ioToolbarStyle | ioAppActive)), clBtnFace, clHighlightText,
       clHighlight},
      {"flat menu bar item", true, Item(vtMenuBar, ioToolbarStyle | ioAppActive), clBtnFace, clMenuText, clBtnFace},
      {"hot flat pop-up item", true, hot(Item(vtPopupMenu)), clHighlight, clHighlightText, clBtnFace},
      {"chevron pop-up item with flat menus", true, Item(vtChevronPopup), clMenu, clMenuText, clBtnFace},
      {"list pop-up item", false, Item(vtListPopup), clWindow, clMenuText, clWindow},
  };
  for (const TCase& c : cases) {
    UseClassic(c.FlatMenus);
    EXPECT_EQ(Theme()->ItemBackColor(c.Info), c.Back) << c.Name;
    EXPECT_EQ(Theme()->ItemTextColor(c.Info), c.Text) << c.Name;
    EXPECT_EQ(Theme()->ItemImageBackColor(c.Info), c.ImageBack) << c.Name;
  }
}

TEST_F(DefaultThemeTest, ViewColoursBordersAndMargins) {
  struct TCase {
    int ViewType;
    TColor Back;
    POINT Border;
    TStyledMargins Margins;
  };
  const POINT dialogFrame{GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME)};
  const POINT sizingFrame{GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME)};
  const TStyledMargins none{};
  const TCase cases[] = {
      {vtToolbar, clBtnFace, {2, 2}, none},
      {vtMenuBar | vtOpaque, clBtnFace, {2, 2}, none},
      {vtToolbar | vtFloating, clBtnFace, dialogFrame, {4, 4, 2, 1}},
      {vtToolWindow | vtFloating | vtResizable, clBtnFace, sizingFrame, {4, 4, 2, 1}},
      {vtPopupMenu, clMenu, {3, 3}, none},
      {vtChevronPopup, clMenu, {3, 3}, none},
      {vtListPopup, clWindow, {1, 1}, none},
      {vtToolBoxPopup, clBtnFace, {3, 3}, none},
      {vtDock, BlendColorsNearest(clBtnFace, clWindow, 64), {2, 2}, none},
      {0, clBtnFace, {0, 0}, none},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(Theme()->ViewBackColor(c.ViewType), c.Back) << std::hex << c.ViewType;
    POINT border{-1, -1};
    Theme()->ViewBorderSize(c.ViewType, border);
    EXPECT_EQ(border.x, c.Border.x) << std::hex << c.ViewType;
    EXPECT_EQ(border.y, c.Border.y) << std::hex << c.ViewType;
    TStyledMargins margins{9, 9, 9, 9};
    Theme()->ViewMargins(c.ViewType, margins);
    EXPECT_EQ(margins.LeftWidth, c.Margins.LeftWidth) << std::hex << c.ViewType;
    EXPECT_EQ(margins.RightWidth, c.Margins.RightWidth) << std::hex << c.ViewType;
    EXPECT_EQ(margins.TopHeight, c.Margins.TopHeight) << std::hex << c.ViewType;
    EXPECT_EQ(margins.BottomHeight, c.Margins.BottomHeight) << std::hex << c.ViewType;
  }
  EXPECT_EQ(ColorToRGB(Theme()->ViewBackColor(vtDock)), static_cast<TColor>(RGB(239, 239, 239)));
  EXPECT_EQ(Theme()->PopupShadowKind(), 1);
}

TEST_F(DefaultThemeTest, MetricsMarginsAndImageOffsetsWithoutVisualStyles) {
  const struct {
    int Index, Value;
  } integers[] = {{10, 11}, {20, 8}, {21, 3},  {30, 2}, {31, 0}, {32, 1}, {33, 2}, {34, 3},  {35, -1}, {36, 2},
                  {37, 4},  {40, 6}, {50, -1}, {60, 2}, {61, 2}, {62, 1}, {64, 4}, {65, 13}, {63, -1}, {0, -1}};
  for (const auto& c : integers) EXPECT_EQ(Theme()->IntegerMetric(c.Index), c.Value) << c.Index;
  const struct {
    int Index;
    bool Value;
  } booleans[] = {{1, false}, {2, false}, {3, true}, {4, false}, {5, false}, {6, false}, {7, false}};
  for (const auto& c : booleans) EXPECT_EQ(Theme()->BooleanMetric(c.Index), c.Value) << c.Index;

  const struct {
    int Id;
    TStyledMargins Margins;
  } margins[] = {{1, {2, 2, 2, 2}}, {3, {1, 3, 1, 1}}, {2, {0, 0, 0, 0}}, {4, {0, 0, 0, 0}}};
  for (const auto& c : margins) {
    TStyledMargins got{7, 7, 7, 7};
    Theme()->MarginsById(c.Id, got);
    EXPECT_EQ(got.LeftWidth, c.Margins.LeftWidth) << c.Id;
    EXPECT_EQ(got.RightWidth, c.Margins.RightWidth) << c.Id;
    EXPECT_EQ(got.TopHeight, c.Margins.TopHeight) << c.Id;
    EXPECT_EQ(got.BottomHeight, c.Margins.BottomHeight) << c.Id;
  }

  TStyledItemPaintInfo info = Item(vtToolbar);
  EXPECT_EQ(Theme()->ItemImageOffset(nullptr, info, nullptr).x, 0);
  info.Pushed = true;
  EXPECT_EQ(Theme()->ItemImageOffset(nullptr, info, nullptr).y, 1);
  info.Pushed = false;
  info.Checked = true;
  EXPECT_EQ(Theme()->ItemImageOffset(nullptr, info, nullptr).x, 1);
}

TEST_F(DefaultThemeTest, VisualStylesChangeTheDropDownWidthAndDockBackgroundAnswer) {
  if (!UseStyles()) GTEST_SKIP() << "the test machine paints without visual styles";
  EXPECT_TRUE(Theme()->BooleanMetric(5));
  TThemeData toolbar(ThemeManager()->WindowHandle(), L"TOOLBAR");
  SIZE size{};
  const int expected = toolbar.PartSize(nullptr, TP_SPLITBUTTONDROPDOWN, TS_NORMAL, TS_TRUE, size) ? size.cx + 2 : 11;
  EXPECT_EQ(Theme()->IntegerMetric(10), expected);
  // The face colour is the style's toolbar fill, whatever the system's button face.
  EXPECT_EQ(Theme()->FaceColor(), ToolbarFillColor);
}

TEST_F(DefaultThemeTest, FaceColourFollowsTheManagersRebuild) {
  EXPECT_EQ(Theme()->FaceColor(), clBtnFace);
  ToolbarFillColor = 0x123456;
  TMessage other{CM_STYLEDSYSCOMMAND, tcAfterChange, 0, 0};
  Theme()->Dispatch(other);
  EXPECT_EQ(Theme()->FaceColor(), clBtnFace);
  TMessage rebuild{CM_STYLEDSYSCOMMAND, tcRebuildColors, 0, 0};
  Theme()->Dispatch(rebuild);
  EXPECT_EQ(Theme()->FaceColor(), 0x123456);
  // The theme is one of the manager's subscribers: a system change reaches it.
  SendMessageW(ThemeManager()->WindowHandle(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(Theme()->FaceColor(), clBtnFace);
}

#include "toolbars/theme/default_theme.h"

#include <vssym32.h>

#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/default_theme_drawing.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/theme_manager.h"

namespace toolbars {

using namespace default_theme;

namespace {

// The split-button drop-down width without visual styles.
constexpr int kComboArrowWidth = 11;

}  // namespace

TStyledDefaultTheme::TStyledDefaultTheme(const String& name) : TStyledTheme(name) {
  AddThemeNotification(this);
  TStyledDefaultTheme::SetupColorCache();
}

TStyledDefaultTheme::~TStyledDefaultTheme() { RemoveThemeNotification(this); }

void TStyledDefaultTheme::AfterConstruction() {
  // Now a derived theme's own colour set-up runs too.
  SetupColorCache();
}

void TStyledDefaultTheme::SetupColorCache() { faceColor_ = ToolbarFillColor; }

void TStyledDefaultTheme::Dispatch(TMessage& message) {
  if (message.Msg == CM_STYLEDSYSCOMMAND) {
    if (message.WParam == tcRebuildColors) SetupColorCache();
    return;
  }
  TStyledTheme::Dispatch(message);
}

POINT TStyledDefaultTheme::ItemImageOffset(TCanvas* canvas, const TStyledItemPaintInfo& itemInfo,
                                           TCustomImageList* imageList) {
  (void)canvas;
  (void)imageList;
  return itemInfo.Pushed || itemInfo.Checked ? POINT{1, 1} : POINT{0, 0};
}

TColor TStyledDefaultTheme::ItemBackColor(const TStyledItemPaintInfo& itemInfo) {
  if (!UseThemes && itemInfo.HoverKind != hkNone && IsViewType(itemInfo.ViewType, vtPopupMenu) &&
      !IsToolbarStyle(itemInfo))
    return clHighlight;
  return ViewBackColor(itemInfo.ViewType);
}

TColor TStyledDefaultTheme::ItemTextColor(const TStyledItemPaintInfo& itemInfo) {
  const bool menuBar = IsMenuBar(itemInfo.ViewType);
  const bool inactiveMenuBar = menuBar && !(itemInfo.ItemOptions & ioAppActive);
  if (!itemInfo.Enabled) return clGrayText;
  if (!IsToolbarStyle(itemInfo) || (menuBar && FlatMenus)) {
    if (itemInfo.HoverKind != hkNone) return clHighlightText;
    return inactiveMenuBar ? clGrayText : MenuTextColor;
  }
  return inactiveMenuBar ? clGrayText : clBtnText;
}

TColor TStyledDefaultTheme::ItemImageBackColor(const TStyledItemPaintInfo& itemInfo) {
  const bool hot = itemInfo.HoverKind != hkNone;
  if (FlatMenus) {
    if (hot && IsMenuBar(itemInfo.ViewType)) return clHighlight;
    if (IsViewType(itemInfo.ViewType, vtChevronPopup) ||
        (hot && IsViewType(itemInfo.ViewType, vtPopupMenu) && !IsToolbarStyle(itemInfo)))
      return faceColor_;
  }
  return ViewBackColor(itemInfo.ViewType);
}

void TStyledDefaultTheme::MarginsById(int marginId, TStyledMargins& margins) {
  margins = {};
  if (marginId == miToolbarButton) {
    margins = {2, 2, 2, 2};
    MARGINS styled{};
    if (const TThemeData* toolbar = Styled(TThemeStyle::tsToolbar);
        toolbar && toolbar->Margins(nullptr, TP_BUTTON, TS_HOT, TMT_CAPTIONMARGINS, styled))
      margins = {styled.cxLeftWidth, styled.cxRightWidth, styled.cyTopHeight, styled.cyBottomHeight};
  } else if (marginId == miStatusBarPanel) {
    margins = {1, 3, 1, 1};
    constexpr RECT kBounds{0, 0, 100, 100};
    RECT content{};
    if (const TThemeData* status = Styled(TThemeStyle::tsStatus);
        status && status->BackgroundContentRect(nullptr, SP_PANE, 0, kBounds, content))
      margins = {content.left - kBounds.left, kBounds.right - content.right, content.top - kBounds.top,
                 kBounds.bottom - content.bottom};
  }
}

int TStyledDefaultTheme::PopupShadowKind() { return 1; }

void TStyledDefaultTheme::ViewBorderSize(int viewType, POINT& size) {
  if (IsViewType(viewType, vtToolbarFamily) || IsViewType(viewType, vtDock)) {
    if (viewType & vtFloating) {
      const bool resizable = (viewType & vtResizable) != 0;
      size = POINT{GetSystemMetrics(resizable ? SM_CXFRAME : SM_CXDLGFRAME),
                   GetSystemMetrics(resizable ? SM_CYFRAME : SM_CYDLGFRAME)};
    } else {
      size = POINT{2, 2};
    }
  } else if (IsViewType(viewType, vtPopupFamily)) {
    size = IsViewType(viewType, vtListPopup) ? POINT{1, 1} : POINT{3, 3};
  } else {
    size = POINT{0, 0};
  }
}

TColor TStyledDefaultTheme::ViewBackColor(int viewType) {
  if (IsViewType(viewType, vtToolbarFamily)) return faceColor_;
  if (IsViewType(viewType, vtPopupMenu) || IsViewType(viewType, vtChevronPopup)) return MenuBackColor;
  if (IsViewType(viewType, vtListPopup)) return clWindow;
  if (IsViewType(viewType, vtDock)) return BlendColorsNearest(faceColor_, clWindow, 64);
  return faceColor_;
}

void TStyledDefaultTheme::ViewMargins(int viewType, TStyledMargins& margins) {
  margins = {};
  if (IsViewType(viewType, vtToolbarFamily | vtFloating)) margins = {4, 4, 2, 1};
}

int TStyledDefaultTheme::IntegerMetric(int index) {
  switch (index) {
    case 10: {
      SIZE size{};
      if (const TThemeData* toolbar = Styled(TThemeStyle::tsToolbar);
          toolbar && toolbar->PartSize(nullptr, TP_SPLITBUTTONDROPDOWN, TS_NORMAL, TS_TRUE, size))
        return size.cx + 2;
      return kComboArrowWidth;
    }
    case 20:
      return 8;
    case 21:
    case 34:
      return 3;
    case 30:
    case 33:
    case 36:
    case 60:
    case 61:
      return 2;
    case 31:
      return 0;
    case 32:
    case 62:
      return 1;
    case 37:
    case 64:
      return 4;
    case 40:
      return 6;
    case 65:
      return 13;
    default:
      return -1;
  }
}

bool TStyledDefaultTheme::BooleanMetric(int index) {
  switch (index) {
    case 3:
      return true;
    case 5:
      return UseThemes;
    default:
      return false;
  }
}

}  // namespace toolbars

// Every registered theme made current through the switcher while a form shows docked, floating and menu-bar
// toolbars, an open pop-up and chevron pop-up, a tool window and docks: each window repaints through the theme
// now current, the open pop-ups take its sizes, and everybody hears the switch.
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/form.h"
#include "support/modal_input.h"
#include "theme_fixture.h"
#include "toolbars/docks/floating_window_parent.h"
#include "toolbars/styled/current_theme.h"
#include "toolbars/styled/styled_bar_frame.h"
#include "toolbars/styled/styled_dock.h"
#include "toolbars/styled/styled_item.h"
#include "toolbars/styled/styled_nexus.h"
#include "toolbars/styled/styled_popup_window.h"
#include "toolbars/styled/styled_switcher.h"
#include "toolbars/styled/styled_tool_window.h"
#include "toolbars/styled/styled_toolbar.h"
#include "toolbars/styled/view_queries.h"
#include "toolbars/theme/draw_utils.h"

using namespace toolbars;

namespace {

// Pixels of capture that differ from reference inside the rectangle and outside the hole.
int Differences(const TWindowCapture& capture, const TWindowCapture& reference, const RECT& area, const RECT& hole) {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) {
      const POINT p{x, y};
      if (!PtInRect(&hole, p) && capture.Pixel(x, y) != reference.Pixel(x, y)) ++count;
    }
  return count;
}

RECT WindowArea(HWND wnd) {
  RECT r{};
  GetWindowRect(wnd, &r);
  OffsetRect(&r, -r.left, -r.top);
  return r;
}

// The client rectangle in the window's own coordinates.
RECT ClientInWindow(HWND wnd) {
  RECT window{};
  GetWindowRect(wnd, &window);
  RECT client{};
  GetClientRect(wnd, &client);
  MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  OffsetRect(&client, -window.left, -window.top);
  return client;
}

class ThemedWindowsSwitch : public ThemeTest {
 protected:
  void SetUp() override {
    ThemeTest::SetUp();
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(TFormBorderStyle::bsNone);
    EXPECT_TRUE(form_->SetBounds(20, 20, 640, 420).Alive());
    form_->SetColor(static_cast<TColor>(RGB(90, 140, 190)));
    top_ = AddDock(TBarDockPosition::dpTop);
    left_ = AddDock(TBarDockPosition::dpLeft);
    AddDock(TBarDockPosition::dpBottom);
    AddDock(TBarDockPosition::dpRight);

    menuBar_ = AddToolbar(top_, 0, 3);
    EXPECT_TRUE(menuBar_->SetMenuBar(true).Alive());
    docked_ = AddToolbar(top_, 1, 2);
    floating_ = AddToolbar(top_, 2, 2);
    EXPECT_TRUE(floating_->SetCaption(L"Floating").Alive());
    tool_ = new TStyledToolWindow(form_.get());
    tool_->SetHideWhenInactive(false);
    EXPECT_TRUE(tool_->SetClientAreaSize(90, 120).Alive());
    EXPECT_TRUE(tool_->SetCurrentDock(left_).Alive());
    EXPECT_TRUE(form_->Show().Alive());
    EXPECT_TRUE(floating_->PlaceFloating(POINT{300, 250}).Alive());
    EXPECT_TRUE(floating_->FloatOrDock(true).Alive());

    submenu_ = new TStyledSubmenuItem(form_.get());
    for (const wchar_t* caption : {L"&New", L"&Open", L"&Close"}) AddItem(submenu_, caption);
    popup_ = std::make_unique<TStyledPopupWindow>(nullptr, menuBar_->View(), submenu_, false);
    ShowPopup(popup_.get(), POINT{60, 80});
    chevron_ = std::make_unique<TStyledChevronPopupWindow>(nullptr, docked_->View(), docked_->Items(), false);
    ShowPopup(chevron_.get(), POINT{260, 80});
    ProcessPendingMessages();
  }
  void TearDown() override {
    chevron_.reset();
    popup_.reset();
    form_.reset();
    SetCurrentTheme(L"Default");
    ProcessPendingMessages();
    ThemeTest::TearDown();
  }

  TStyledDock* AddDock(TBarDockPosition position) {
    auto* dock = new TStyledDock(form_.get());
    EXPECT_TRUE(dock->SetPosition(position).Alive());
    EXPECT_TRUE(dock->SetParent(form_.get()).Alive());
    return dock;
  }
  void AddItem(TBarCustomItem* parent, const wchar_t* caption) {
    auto* item = new TStyledItem(form_.get());
    item->SetCaption(caption);
    parent->Add(item);
  }
  TStyledToolbar* AddToolbar(TBarDock* dock, int row, int items) {
    auto* bar = new TStyledToolbar(form_.get());
    bar->SetHideWhenInactive(false);
    EXPECT_TRUE(bar->SetDockRow(row).Alive());
    for (int i = 0; i < items; ++i) AddItem(bar->Items(), L"Item");
    EXPECT_TRUE(bar->SetCurrentDock(dock).Alive());
    return bar;
  }
  static void ShowPopup(TStyledPopupWindow* popup, POINT at) {
    EXPECT_TRUE(popup->View()->UpdatePositions().Alive());
    EXPECT_TRUE(popup->SetBounds(at.x, at.y, popup->Width(), popup->Height()).Alive());
    EXPECT_TRUE(popup->SetVisible(true).Alive());
  }

  // The frame ring of a docked bar against the theme's own docked-frame painter.
  int DockedFrameDifferences(TStyledTheme* theme, TBarCustomDockableWindow* bar, int viewType, TColor effective,
                             TCloseButtonStates states) {
    HWND wnd = bar->Handle();
    const RECT area = WindowArea(wnd);
    TThemeSurface reference(area.right, area.bottom);
    TStyledToolbarPaintInfo info{};
    FillToolbarPaintInfo(*bar, viewType, states, info);
    theme->ViewBorderSize(viewType, info.BorderSize);
    const TColor background = theme->BooleanMetric(6) ? effective : GetEffectiveColor(bar->Parent());
    FillRectEx(reference.Canvas(), area, background);
    reference.Canvas()->Brush()->SetColor(background);
    theme->PaintToolbarFrame(reference.Canvas(), area, info);
    return Differences(TWindowCapture::OfWindow(wnd), reference.Capture(), area, ClientInWindow(wnd));
  }
  // One client pixel of a bar against the theme's view background, lined up with its dock.
  std::pair<COLORREF, COLORREF> ClientBackground(TStyledTheme* theme, TBarCustomDockableWindow* bar, int viewType,
                                                 TColor effective, POINT at) {
    HWND wnd = bar->Handle();
    RECT client{};
    GetClientRect(wnd, &client);
    RECT viewRect = bar->CurrentDock()->ClientRect();
    MapWindowPoints(bar->CurrentDock()->Handle(), wnd, reinterpret_cast<POINT*>(&viewRect), 2);
    TThemeSurface reference(client.right, client.bottom);
    theme->PaintViewBackground(reference.Canvas(), viewRect, client, client, effective, false, viewType);
    return {TWindowCapture::OfClient(wnd).Pixel(at.x, at.y), reference.Pixel(at.x, at.y)};
  }
  int PopupFrameDifferences(TStyledTheme* theme, TStyledPopupWindow* popup) {
    HWND wnd = popup->Handle();
    const RECT area = WindowArea(wnd);
    TThemeSurface reference(area.right, area.bottom);
    TStyledPopupPaintInfo info{};
    info.WindowHandle = wnd;
    info.ViewType = popup->ViewType();
    theme->ViewBorderSize(info.ViewType, info.BorderSize);
    theme->PaintPopupFrame(reference.Canvas(), area, info);
    return Differences(TWindowCapture::OfWindow(wnd), reference.Capture(), area, ClientInWindow(wnd));
  }
  int FloatingFrameDifferences(TStyledTheme* theme) {
    TBarFloatingWindowParent* frame = floating_->FloatParent();
    HWND wnd = frame->Handle();
    const RECT area = WindowArea(wnd);
    TThemeSurface reference(area.right, area.bottom);
    const String caption = frame->Caption();
    TStyledWindowPaintInfo info{};
    info.ParentHandle = wnd;
    info.WindowHandle = floating_->Handle();
    info.ViewType = floating_->ViewType();
    info.ClientWidth = frame->ClientWidth();
    info.ClientHeight = frame->ClientHeight();
    info.ShowCaption = true;
    const SIZE border = floating_->FloatingBorderSize();
    info.FloatingBorderSize = POINT{border.cx, border.cy};
    info.CloseButtonState = cbsShown;
    info.RedrawPart = rpBorder | rpCaption | rpCloseButton;
    info.Caption = caption.c_str();
    info.Active = !floating_->InactiveCaption();
    reference.Canvas()->Brush()->SetColor(floating_->EffectiveColor());
    theme->PaintFloatingFrame(reference.Canvas(), area, info);
    return Differences(TWindowCapture::OfWindow(wnd), reference.Capture(), area, ClientInWindow(wnd));
  }
  std::pair<COLORREF, COLORREF> DockBackground(TStyledTheme* theme, TStyledDock* dock, POINT at) {
    HWND wnd = dock->Handle();
    RECT client{};
    GetClientRect(wnd, &client);
    TThemeSurface reference(client.right, client.bottom);
    if (dock->UsingBackground()) {
      POINT own{}, parent{};
      ClientToScreen(wnd, &own);
      ClientToScreen(form_->Handle(), &parent);
      theme->PaintDockBackground(reference.Canvas(), client,
                                 SharedBackgroundRect(POINT{own.x - parent.x, own.y - parent.y}, client), dpTop);
    } else {
      FillRectEx(reference.Canvas(), client, dock->EffectiveColor());
    }
    return {TWindowCapture::OfClient(wnd).Pixel(at.x, at.y), reference.Pixel(at.x, at.y)};
  }

  std::unique_ptr<TForm> form_;
  TStyledDock* top_ = nullptr;
  TStyledDock* left_ = nullptr;
  TStyledToolbar* menuBar_ = nullptr;
  TStyledToolbar* docked_ = nullptr;
  TStyledToolbar* floating_ = nullptr;
  TStyledToolWindow* tool_ = nullptr;
  TStyledSubmenuItem* submenu_ = nullptr;
  std::unique_ptr<TStyledPopupWindow> popup_;
  std::unique_ptr<TStyledChevronPopupWindow> chevron_;
};

}  // namespace

TEST_F(ThemedWindowsSwitch, EveryWindowRepaintsThroughEachRegisteredTheme) {
  ASSERT_TRUE(floating_->Floating());
  ASSERT_TRUE(docked_->Docked());
  TStyledSwitcher switcher(nullptr);
  int changes = 0;
  switcher.OnThemeChange = TNotifyEvent([&](TObject*) { ++changes; });
  std::set<COLORREF> menuBarColours;
  for (const TThemeRegistryEntry& entry : ThemeRegistry()) {
    const std::string name(entry.Name.begin(), entry.Name.end());
    changes = 0;
    switcher.SetTheme(entry.Name);
    ASSERT_EQ(GetCurrentTheme(), entry.Name);
    EXPECT_EQ(changes, 3) << name;
    ProcessPendingMessages();
    TStyledTheme* theme = CurrentTheme();

    EXPECT_EQ(DockedFrameDifferences(theme, docked_, docked_->ViewType(), docked_->EffectiveColor(),
                                     TCloseButtonStates::csPushedOrHot),
              0)
        << name << ": docked toolbar";
    EXPECT_EQ(DockedFrameDifferences(theme, menuBar_, menuBar_->ViewType(), menuBar_->EffectiveColor(),
                                     TCloseButtonStates::csPushedOrHot),
              0)
        << name << ": menu bar";
    EXPECT_EQ(DockedFrameDifferences(theme, tool_, tool_->ViewType(), tool_->EffectiveColor(),
                                     TCloseButtonStates::csIndependent),
              0)
        << name << ": tool window";
    const POINT menuBarEnd{menuBar_->ClientWidth() - 3, menuBar_->ClientHeight() / 2};
    const auto menuBarBackground =
        ClientBackground(theme, menuBar_, menuBar_->ViewType(), menuBar_->EffectiveColor(), menuBarEnd);
    EXPECT_EQ(menuBarBackground.first, menuBarBackground.second) << name << ": menu bar background";
    const auto toolBackground = ClientBackground(theme, tool_, tool_->ViewType(), tool_->EffectiveColor(),
                                                 POINT{tool_->ClientWidth() / 2, tool_->ClientHeight() / 2});
    EXPECT_EQ(toolBackground.first, toolBackground.second) << name << ": tool window background";
    const auto dockBackground = DockBackground(theme, top_, POINT{top_->ClientWidth() - 3, top_->ClientHeight() - 3});
    EXPECT_EQ(dockBackground.first, dockBackground.second) << name << ": dock";
    EXPECT_EQ(PopupFrameDifferences(theme, popup_.get()), 0) << name << ": pop-up";
    EXPECT_EQ(PopupFrameDifferences(theme, chevron_.get()), 0) << name << ": chevron pop-up";
    // The pop-ups left open measure as the same pop-ups opened under this theme.
    TStyledPopupWindow fresh(nullptr, menuBar_->View(), submenu_, false);
    EXPECT_TRUE(fresh.View()->UpdatePositions().Alive());
    EXPECT_EQ(popup_->Width(), fresh.Width()) << name << ": pop-up";
    EXPECT_EQ(popup_->Height(), fresh.Height()) << name << ": pop-up";
    TStyledChevronPopupWindow freshChevron(nullptr, docked_->View(), docked_->Items(), false);
    EXPECT_TRUE(freshChevron.View()->UpdatePositions().Alive());
    EXPECT_EQ(chevron_->Width(), freshChevron.Width()) << name << ": chevron pop-up";
    EXPECT_EQ(chevron_->Height(), freshChevron.Height()) << name << ": chevron pop-up";
    EXPECT_EQ(FloatingFrameDifferences(theme), 0) << name << ": floating frame";
    menuBarColours.insert(TWindowCapture::OfClient(menuBar_->Handle()).Pixel(menuBarEnd.x, menuBarEnd.y));
  }
  // The windows really changed: the themes do not all share one menu-bar colour.
  EXPECT_GE(menuBarColours.size(), 3u);
}

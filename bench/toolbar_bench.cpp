// Times the toolbar framework's item tree and views. Targets: laying out and painting a pop-up view of 500
// items at most twice the platform drawing the same 500 captions with DrawText into one bitmap; adding items to
// one item and clearing them linear (ten times the items at most eleven times the time); switching the current
// theme while 20 toolbars of 50 items are open at most three times repainting the same toolbars once (a switch
// makes the new theme, drops the old one, tells every subscriber and repaints every toolbar through the new theme);
// switching the current theme through the theme nexus while a form shows 20 themed toolbars of 50 items on two
// themed docks and one themed pop-up is open at most three times repainting the same windows once;
// appending items one by one to a pop-up on screen, inside an update bracket and without one, linear (ten times
// the items at most twelve times the time, the slower of the two ways counting); the floating sizes of a bar with a
// 3,000-pixel edit and 40 buttons at most forty times one layout of it. The program exits with 1 when a target is
// missed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "bench/offscreen.h"
#include "framework/form.h"
#include "framework/startup.h"
#include "framework/win_control.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/items/item_kinds.h"
#include "toolbars/popups/popup_window.h"
#include "toolbars/styled/styled_dock.h"
#include "toolbars/styled/styled_edit_item.h"
#include "toolbars/styled/styled_item.h"
#include "toolbars/styled/styled_nexus.h"
#include "toolbars/styled/styled_popup_window.h"
#include "toolbars/styled/styled_toolbar.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/default_theme.h"
#include "toolbars/theme/theme_manager.h"
#include "toolbars/theme/theme_registry.h"
#include "toolbars/views/item_viewer.h"
#include "toolbars/views/view.h"

using namespace toolbars;

namespace {

constexpr int kRuns = 15;
constexpr int kPopupItems = 500;
constexpr int kSwitchRounds = 10;
constexpr int kToolbars = 20;
constexpr int kItemsPerToolbar = 50;
constexpr int kToolbarWidth = 900;

// Writes over more memory than any cache holds, so that the next run starts cold whatever its size: a run that
// fits in the cache would otherwise find the memory of the run before still there, and one that does not would
// not, which is the machine's doing and not the algorithm's.
void EvictCaches() {
  static std::vector<char> sweep(64 << 20);
  for (size_t i = 0; i < sweep.size(); i += 64) sweep[i] = static_cast<char>(sweep[i] + 1);
}

TBenchTargets targets;

String Caption(int i) { return L"&Favourite page number " + std::to_wstring(i) + L" of the list"; }

double PopupLayoutAndPaint() {
  TComponent owner(nullptr);
  auto* root = new TBarRootItem(&owner);
  for (int i = 0; i < kPopupItems; ++i) {
    auto* item = new TBarCustomItem(&owner);
    item->SetCaption(Caption(i));
    root->Add(item);
  }
  auto* view = new TBarView(&owner, nullptr, root, nullptr, false, false, false);
  SIZE size{};
  MustLive(view->UpdatePositions(&size));
  TOffscreen target(size.cx, size.cy);
  TCanvas canvas;
  canvas.SetHandle(target.DC());
  const double seconds = BestTime(kRuns, [&] {
    view->InvalidatePositions();
    MustLive(view->UpdatePositions());
    MustLive(view->DrawSubitems(&canvas));
  });
  canvas.SetHandle(nullptr);
  return seconds;
}

double PlatformDrawText() {
  HFONT font = BarMenuFont()->Handle();
  TOffscreen target(400, kPopupItems * 20);
  std::vector<String> captions;
  for (int i = 0; i < kPopupItems; ++i) captions.push_back(Caption(i));
  return BestTime(kRuns, [&] {
    HGDIOBJ old = SelectObject(target.DC(), font);
    SetBkMode(target.DC(), TRANSPARENT);
    for (int i = 0; i < kPopupItems; ++i) {
      RECT row{0, i * 20, 400, i * 20 + 20};
      DrawTextW(target.DC(), captions[static_cast<size_t>(i)].c_str(), -1, &row, DT_SINGLELINE | DT_VCENTER);
    }
    SelectObject(target.DC(), old);
  });
}

double AddAndClear(int count) {
  TBarRootItem root(nullptr);
  return BestOf(kRuns, [&] {
    EvictCaches();
    return TimeOf([&] {
      for (int i = 0; i < count; ++i) root.Add(new TBarCustomItem(nullptr));
      root.Clear();
    });
  });
}

// A second theme to switch to: the default look on a tinted face.
class TTintedTheme : public TStyledDefaultTheme {
  BC_CLASS(TTintedTheme, TStyledDefaultTheme)
  using TStyledDefaultTheme::TStyledDefaultTheme;
  void SetupColorCache() override { SetFaceColor(BlendColors(ToolbarFillColor, clHighlight, 200)); }
};

TStyledTheme* currentTheme = nullptr;

// A top-level toolbar window whose view paints every item through the current theme.
class TThemedBar : public TCustomControl {
  BC_CLASS(TThemedBar, TCustomControl)
  TThemedBar(TComponent* owner, int index) : TCustomControl(owner) {
    MustLive(SetBounds(10 + index * 3, 10 + index * 3, kToolbarWidth, 140));
    root_ = new TBarRootItem(this);
    for (int i = 0; i < kItemsPerToolbar; ++i) {
      auto* item = new TBarCustomItem(this);
      item->SetCaption(L"Item " + std::to_wstring(i));
      item->SetChecked(i % 7 == 0);
      root_->Add(item);
    }
    view_ = new TBarView(this, nullptr, root_, this, true, false, true);
    view_->SetWrapOffset(kToolbarWidth);
    HandleNeeded();
    view_->InvalidatePositions();
    MustLive(view_->ValidatePositions());
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    AddThemeNotification(this);
  }
  ~TThemedBar() override { RemoveThemeNotification(this); }

  void Repaint() {
    InvalidateRect(Handle(), nullptr, TRUE);
    UpdateWindow(Handle());
  }
  int PaintCount() const { return paints_; }

  void Dispatch(TMessage& message) override {
    if (message.Msg != CM_STYLEDSYSCOMMAND) {
      TCustomControl::Dispatch(message);
      return;
    }
    if (message.WParam == tcBeforeChange) view_->BeginUpdate();
    if (message.WParam == tcAfterChange) {
      MustLive(view_->EndUpdate());
      Repaint();
    }
  }

 protected:
  void CreateParams(TCreateParams& params) override {
    TCustomControl::CreateParams(params);
    params.Style = (params.Style & ~WS_CHILD) | WS_POPUP;
    params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
  }
  TRaised Paint() override {
    ++paints_;
    TCanvas* canvas = Canvas();
    const RECT client = ClientRect();
    currentTheme->PaintViewBackground(canvas, client, client, client, currentTheme->ViewBackColor(vtToolbar), false,
                                      vtToolbar);
    canvas->SetFont(view_->GetFont());
    for (int i = 0; i < view_->ViewerCount(); ++i) {
      TBarItemViewer* viewer = view_->Viewers(i);
      if (!viewer->Show()) continue;
      TStyledItemPaintInfo info{};
      info.ViewType = vtToolbar;
      info.ItemOptions = ioToolbarStyle | ioAppActive;
      info.Enabled = viewer->Item()->Enabled();
      info.Checked = viewer->Item()->Checked();
      currentTheme->PaintButtonFace(canvas, viewer->BoundsRect(), info);
      currentTheme->PaintItemCaption(canvas, viewer->BoundsRect(), info, viewer->Item()->Caption(),
                                     DT_SINGLELINE | DT_CENTER | DT_VCENTER, false);
    }
    return TRaised(true);
  }

 private:
  TBarRootItem* root_ = nullptr;
  TBarView* view_ = nullptr;
  int paints_ = 0;
};

void RegisterTinted() {
  if (!IsThemeRegistered(L"Tinted")) RegisterTheme(L"Tinted", TStyledThemeClass::Of<TTintedTheme>());
}

// What the process-wide switch does: the named theme becomes current and every themed window hears of it.
void SwitchTheme(const String& name) {
  TStyledTheme* previous = currentTheme;
  currentTheme = AcquireTheme(name);
  ReleaseTheme(previous);
  for (WPARAM code : {tcBeforeChange, tcRebuildColors, tcAfterChange})
    ThemeManager()->Broadcast(CM_STYLEDSYSCOMMAND, code, 0);
}

// Every toolbar repainted once, and a switch back and forth between two themes, each kSwitchRounds times.
void ThemeSwitchAgainstRepaint() {
  RegisterTinted();
  currentTheme = AcquireTheme(L"Default");
  std::vector<std::unique_ptr<TThemedBar>> bars;
  for (int i = 0; i < kToolbars; ++i) bars.push_back(std::make_unique<TThemedBar>(nullptr, i));
  for (auto& bar : bars) bar->Repaint();

  const double repaint = BestTime(kRuns, [&] {
    for (int round = 0; round < kSwitchRounds; ++round)
      for (auto& bar : bars) bar->Repaint();
  });
  const int paintsBefore = bars.front()->PaintCount();
  const double switching = BestTime(kRuns, [&] {
    for (int round = 0; round < kSwitchRounds; ++round) SwitchTheme(round % 2 == 0 ? L"Tinted" : L"Default");
  });
  const bool everyBarOnce = bars.front()->PaintCount() - paintsBefore == kRuns * kSwitchRounds;
  bars.clear();
  ReleaseTheme(currentTheme);

  std::printf("repaint of %d toolbars of %d items: %.2f ms\n", kToolbars, kItemsPerToolbar,
              repaint * 1000 / kSwitchRounds);
  std::printf("theme switch with the same toolbars open: %.2f ms\n", switching * 1000 / kSwitchRounds);
  if (!everyBarOnce) targets.Failed("a theme switch did not repaint every toolbar exactly once");
  targets.AtMost("theme_switch_vs_repaint", switching / repaint, 3.0);
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// The framework's own themed windows: a form with two themed docks holding 20 themed toolbars of 50 items and an
// open themed pop-up. A switch through the nexus (new theme, old one freed, every window told, frames measured
// again, layouts and repaints) against repainting the same windows once, each kSwitchRounds times.
void NexusSwitchAgainstRepaint() {
  RegisterTinted();
  SetCurrentTheme(L"Default");
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  MustLive(form.SetBounds(0, 0, 1000, 760));
  TStyledDock* docks[2]{};
  for (int i = 0; i < 2; ++i) {
    docks[i] = new TStyledDock(&form);
    MustLive(docks[i]->SetPosition(i == 0 ? TBarDockPosition::dpTop : TBarDockPosition::dpBottom));
    MustLive(docks[i]->SetParent(&form));
  }
  for (int i = 0; i < kToolbars; ++i) {
    auto* bar = new TStyledToolbar(&form);
    bar->SetHideWhenInactive(false);
    bar->BeginUpdate();
    for (int k = 0; k < kItemsPerToolbar; ++k) {
      auto* item = new TStyledItem(&form);
      item->SetCaption(L"Item " + std::to_wstring(k));
      bar->Items()->Add(item);
    }
    MustLive(bar->EndUpdate());
    MustLive(bar->SetDockRow(i / 2));
    MustLive(bar->SetCurrentDock(docks[i % 2]));
  }
  auto* submenu = new TStyledSubmenuItem(&form);
  for (int k = 0; k < 20; ++k) {
    auto* item = new TStyledItem(&form);
    item->SetCaption(Caption(k));
    submenu->Add(item);
  }
  MustLive(form.Show());
  TStyledPopupWindow popup(nullptr, nullptr, submenu, false);
  MustLive(popup.View()->UpdatePositions());
  MustLive(popup.SetBounds(300, 200, popup.Width(), popup.Height()));
  MustLive(popup.SetVisible(true));
  PumpMessages();

  const UINT everything = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW;
  const double repaint = BestTime(kRuns, [&] {
    for (int round = 0; round < kSwitchRounds; ++round) {
      RedrawWindow(form.Handle(), nullptr, nullptr, everything);
      RedrawWindow(popup.Handle(), nullptr, nullptr, everything);
    }
  });
  const double switching = BestTime(kRuns, [&] {
    for (int round = 0; round < kSwitchRounds; ++round) {
      SetCurrentTheme(round % 2 == 0 ? L"Tinted" : L"Default");
      PumpMessages();
    }
  });
  SetCurrentTheme(L"Default");
  std::printf("repaint of a form with %d themed toolbars of %d items, 2 docks and a pop-up: %.2f ms\n", kToolbars,
              kItemsPerToolbar, repaint * 1000 / kSwitchRounds);
  std::printf("theme switch through the nexus with the same windows: %.2f ms\n", switching * 1000 / kSwitchRounds);
  targets.AtMost("theme-switch-themed-windows", switching / repaint, 3.0);
}

// Appends count items one by one to a pop-up on screen (inside one update bracket of its item, or each on its own)
// until the pop-up has laid them out and painted; the best of several runs, each with a fresh pop-up.
double AppendToOpenPopup(int count, bool bracket) {
  const RECT work = GetRectOfMonitorContainingPoint(POINT{0, 0}, true);
  return BestOf(kRuns, [&] {
    TComponent owner(nullptr);
    auto* root = new TBarRootItem(&owner);
    std::vector<TBarCustomItem*> items;
    for (int i = 0; i < count; ++i) {
      items.push_back(new TBarCustomItem(&owner));
      items.back()->SetCaption(Caption(i));
    }
    auto* window = new TBarPopupWindow(&owner, nullptr, root, false);
    window->View()->SetMaxHeight(work.bottom - work.top);
    MustLive(window->SetBounds(work.left, work.top, 200, 100));
    MustLive(window->SetVisible(true));
    PumpMessages();
    return TimeOf([&] {
      if (bracket) root->NotifyBeginUpdate();
      for (TBarCustomItem* item : items) root->Add(item);
      if (bracket) root->NotifyEndUpdate();
      MustLive(window->View()->ValidatePositions());
      PumpMessages();
    });
  });
}

// A floating bar with a very wide edit and 40 buttons: every size it can take when resized, against one layout.
void FloatingSizesAgainstOneLayout() {
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  MustLive(form.SetBounds(0, 0, 800, 600));
  auto* bar = new TStyledToolbar(&form);
  bar->SetHideWhenInactive(false);
  bar->BeginUpdate();
  auto* edit = new TStyledEditItem(&form);
  edit->SetCaption(L"Address");
  edit->SetEditWidth(3000);
  bar->Items()->Add(edit);
  for (int k = 0; k < 40; ++k) {
    auto* item = new TStyledItem(&form);
    item->SetCaption(L"Button " + std::to_wstring(k));
    bar->Items()->Add(item);
  }
  MustLive(bar->EndUpdate());
  MustLive(bar->SetParent(&form));
  MustLive(form.Show());
  PumpMessages();
  TBarView* view = bar->View();
  const double layout = BestTime(kRuns, [&] {
    SIZE base{};
    SIZE size{};
    MustLive(view->CalculatePositions(false, TBarViewOrientation::tbvoFloating, 0, 0, 0, base, size));
  });
  std::vector<TBarFloatingSize> sizes;
  const double search = BestTime(kRuns, [&] { MustLive(bar->GetFloatingSizes(sizes)); });
  std::printf("one layout of a bar with a 3,000-pixel edit and 40 buttons: %.3f ms\n", layout * 1000);
  std::printf("its %zu floating sizes: %.3f ms\n", sizes.size(), search * 1000);
  targets.AtMost("floating-sizes-wide-bar-vs-one-layout", search / layout, 40.0);
}

}  // namespace

int main() {
  InitializeUnit(FrameworkUnit());
  InitializeUnit(ToolbarsUnit());

  const double popup = PopupLayoutAndPaint();
  const double platform = PlatformDrawText();
  std::printf("pop-up of %d items laid out and painted: %.2f ms\n", kPopupItems, popup * 1000);
  std::printf("DrawText of the same %d captions into one bitmap: %.2f ms\n", kPopupItems, platform * 1000);

  const double small = AddAndClear(5000);
  const double large = AddAndClear(50000);
  std::printf("adding and clearing 5,000 items: %.2f ms\n", small * 1000);
  std::printf("adding and clearing 50,000 items: %.2f ms\n", large * 1000);

  targets.AtMost("popup_layout_and_paint_vs_drawtext", popup / platform, 2.0);
  targets.AtMost("add_and_clear_50000_vs_5000", large / small, 11.0);
  ThemeSwitchAgainstRepaint();
  NexusSwitchAgainstRepaint();

  double slowest = 0;
  for (bool bracket : {true, false}) {
    const double few = AppendToOpenPopup(400, bracket);
    const double many = AppendToOpenPopup(4000, bracket);
    std::printf("appending 400 / 4,000 items to an open pop-up %s: %.2f / %.2f ms\n",
                bracket ? "in one update bracket" : "one by one", few * 1000, many * 1000);
    slowest = std::max(slowest, many / few);
  }
  targets.AtMost("open-popup-append-4000-vs-400", slowest, 12.0);
  FloatingSizesAgainstOneLayout();
  FinalizeUnits();
  return targets.ExitCode();
}

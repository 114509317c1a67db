// A shown form with themed docks on its four edges and themed bars to put on them, and a registered theme of
// signal colours whose instances are counted, so a test can switch themes and tell which one painted.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/form.h"
#include "support/modal_input.h"
#include "support/test_environment.h"
#include "toolbars/styled/styled_dock.h"
#include "toolbars/styled/styled_item.h"
#include "toolbars/styled/styled_nexus.h"
#include "toolbars/styled/styled_tool_window.h"
#include "toolbars/styled/styled_toolbar.h"
#include "toolbars/theme/default_theme.h"
#include "toolbars/theme/theme_registry.h"

// The default theme in colours nobody else paints: views, frames and docks are told apart by their pixels.
class TSignalTheme : public toolbars::TStyledDefaultTheme {
  BC_CLASS(TSignalTheme, toolbars::TStyledDefaultTheme)
  explicit TSignalTheme(const String& name) : TStyledDefaultTheme(name) { ++Made(); }

  static constexpr COLORREF kView = RGB(20, 180, 60);
  static constexpr COLORREF kFrame = RGB(200, 30, 160);
  static constexpr COLORREF kDock = RGB(240, 200, 10);
  static constexpr const wchar_t* kName = L"Signal";

  static int& Made() {
    static int made = 0;
    return made;
  }
  // Registered once for the whole program; the registry never forgets a name.
  static void Register() {
    if (!toolbars::IsThemeRegistered(kName))
      toolbars::RegisterTheme(kName, toolbars::TStyledThemeClass::Of<TSignalTheme>());
  }

  TColor ViewBackColor(int viewType) override {
    (void)viewType;
    return static_cast<TColor>(kView);
  }
  bool BooleanMetric(int index) override { return index == 5 || TStyledDefaultTheme::BooleanMetric(index); }
  void PaintDockBackground(TCanvas* canvas, const RECT&, const RECT& paintRect, int) override {
    canvas->Brush()->SetColor(static_cast<TColor>(kDock));
    canvas->FillRect(paintRect);
  }
  void PaintToolbarFrame(TCanvas* canvas, const RECT& rect, const toolbars::TStyledToolbarPaintInfo&) override {
    FrameIn(canvas, rect);
  }
  void PaintPopupFrame(TCanvas* canvas, const RECT& rect, const toolbars::TStyledPopupPaintInfo&) override {
    FrameIn(canvas, rect);
  }
  void PaintFloatingFrame(TCanvas* canvas, const RECT& rect, const toolbars::TStyledWindowPaintInfo&) override {
    FrameIn(canvas, rect);
  }

 private:
  static void FrameIn(TCanvas* canvas, const RECT& rect) {
    canvas->Brush()->SetColor(static_cast<TColor>(kFrame));
    canvas->FrameRect(rect);
  }
};

// Records every nexus notification it receives.
class TNexusListener : public TObject {
 public:
  TNexusListener() { toolbars::AddStyledSysNotification(this); }
  ~TNexusListener() override { toolbars::RemoveStyledSysNotification(this); }
  struct TNote {
    WPARAM Code;
    LPARAM LParam;
    bool operator==(const TNote&) const = default;
  };
  std::vector<TNote> Notes;
  void Dispatch(TMessage& message) override {
    if (message.Msg == toolbars::CM_STYLEDNEXUSNOTIFY) Notes.push_back(TNote{message.WParam, message.LParam});
    TObject::Dispatch(message);
  }
};

class StyledWindowsTest : public TEnvironmentTest {
 protected:
  void SetUp() override {
    TSignalTheme::Register();
    toolbars::SetCurrentTheme(L"Default");
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(TFormBorderStyle::bsNone);
    EXPECT_TRUE(form_->SetBounds(40, 40, 600, 400).Alive());
    form_->SetColor(clWindow);
    static constexpr toolbars::TBarDockPosition positions[] = {
        toolbars::TBarDockPosition::dpTop, toolbars::TBarDockPosition::dpBottom, toolbars::TBarDockPosition::dpLeft,
        toolbars::TBarDockPosition::dpRight};
    for (int i = 0; i < 4; ++i) {
      docks_[i] = new toolbars::TStyledDock(form_.get());
      EXPECT_TRUE(docks_[i]->SetPosition(positions[i]).Alive());
      EXPECT_TRUE(docks_[i]->SetParent(form_.get()).Alive());
    }
    EXPECT_TRUE(form_->Show().Alive());
    ProcessPendingMessages();
  }
  void TearDown() override {
    form_.reset();
    toolbars::SetCurrentTheme(L"Default");
    ProcessPendingMessages();
  }

  toolbars::TStyledToolbar* AddToolbar(toolbars::TBarDock* dock, int items = 3) {
    auto* bar = new toolbars::TStyledToolbar(form_.get());
    bar->SetHideWhenInactive(false);
    for (int i = 0; i < items; ++i) {
      auto* item = new toolbars::TStyledItem(form_.get());
      item->SetCaption(L"Item");
      bar->Items()->Add(item);
    }
    if (dock)
      EXPECT_TRUE(bar->SetCurrentDock(dock).Alive());
    else
      EXPECT_TRUE(bar->SetParent(form_.get()).Alive());
    return bar;
  }
  toolbars::TStyledToolWindow* AddToolWindow(toolbars::TBarDock* dock) {
    auto* window = new toolbars::TStyledToolWindow(form_.get());
    window->SetHideWhenInactive(false);
    EXPECT_TRUE(window->SetClientAreaSize(80, 60).Alive());
    EXPECT_TRUE(window->SetCurrentDock(dock).Alive());
    return window;
  }
  template <class T>
  void Float(T* window, POINT at) {
    EXPECT_TRUE(window->PlaceFloating(at).Alive());
    EXPECT_TRUE(window->FloatOrDock(true).Alive());
    ProcessPendingMessages();
  }

  TForm* Form() const { return form_.get(); }
  toolbars::TStyledDock* Top() const { return docks_[0]; }
  toolbars::TStyledDock* Left() const { return docks_[2]; }

 private:
  std::unique_ptr<TForm> form_;
  toolbars::TStyledDock* docks_[4]{};
};

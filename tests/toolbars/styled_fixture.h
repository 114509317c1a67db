// Themed items in a bar window of their own, painted by a recording theme that is the current theme while a test
// runs; the theme also keeps the last paint record of each painter, so a test can read the state it was given.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "bar_host.h"
#include "paint_surface.h"
#include "recording_theme.h"
#include "support/test_environment.h"
#include "support/test_window.h"
#include "toolbars/items/item_kinds.h"
#include "toolbars/styled/current_theme.h"
#include "toolbars/styled/styled_item.h"
#include "toolbars/views/item_viewer.h"

class TInfoRecordingTheme : public TRecordingTheme {
  BC_CLASS(TInfoRecordingTheme, TRecordingTheme)
  using TRecordingTheme::TRecordingTheme;

  std::map<std::string, toolbars::TStyledItemPaintInfo> Last;
  std::map<std::string, RECT> LastRect;

  void PaintButtonFace(TCanvas* c, const RECT& r, const toolbars::TStyledItemPaintInfo& info) override {
    Keep("PaintButtonFace", r, info);
    TRecordingTheme::PaintButtonFace(c, r, info);
  }
  void PaintMenuItem(TCanvas* c, const RECT& r, const toolbars::TStyledItemPaintInfo& info) override {
    Keep("PaintMenuItem", r, info);
    TRecordingTheme::PaintMenuItem(c, r, info);
  }
  void PaintItemImage(TCanvas* c, const RECT& r, const toolbars::TStyledItemPaintInfo& info, TCustomImageList* l,
                      int index) override {
    Keep("PaintItemImage", r, info);
    TRecordingTheme::PaintItemImage(c, r, info, l, index);
  }
  void PaintItemCaption(TCanvas* c, const RECT& r, const toolbars::TStyledItemPaintInfo& info, const String& caption,
                        UINT format, bool rotated) override {
    Keep("PaintItemCaption", r, info);
    LastFormat = format;
    LastFont.Assign(c->Font());
    TRecordingTheme::PaintItemCaption(c, r, info, caption, format, rotated);
  }
  void PaintSeparator(TCanvas* c, const RECT& r, const toolbars::TStyledItemPaintInfo& info, bool horizontal,
                      bool lineOnly) override {
    Keep("PaintSeparator", r, info);
    LastHorizontal = horizontal;
    LastLineOnly = lineOnly;
    TRecordingTheme::PaintSeparator(c, r, info, horizontal, lineOnly);
  }
  void PaintEditFrame(TCanvas* c, const RECT& r, toolbars::TStyledItemPaintInfo& info,
                      const toolbars::TStyledEditFrameInfo& edit) override {
    Keep("PaintEditFrame", r, info);
    TRecordingTheme::PaintEditFrame(c, r, info, edit);
  }

  UINT LastFormat = 0;
  TFont LastFont;
  bool LastHorizontal = false;
  bool LastLineOnly = false;

 private:
  void Keep(const std::string& name, const RECT& r, const toolbars::TStyledItemPaintInfo& info) {
    Last[name] = info;
    LastRect[name] = r;
  }
};

class StyledItemsTest : public TEnvironmentTest {
 protected:
  void SetUp() override {
    TRecordingTheme::Reset();
    // The default theme's sizes, so measurements read like the real ones.
    TRecordingTheme::IntegerAnswers() = {{10, 11}, {20, 8}, {21, 3}, {30, 2}, {31, 0}, {32, 1},
                                         {33, 2},  {34, 3}, {60, 2}, {61, 2}, {62, 1}, {64, 4}};
    toolbars::SetCurrentThemeInstance(&theme_);
    frame_ = std::make_unique<TTestWindow>(RECT{100, 100, 600, 400});
    root_ = new toolbars::TBarRootItem(&owner_);
  }
  void TearDown() override { toolbars::SetCurrentThemeInstance(nullptr); }

  template <class T = toolbars::TStyledItem>
  T* Add(const wchar_t* caption, toolbars::TBarCustomItem* parent = nullptr) {
    auto* item = new T(&owner_);
    item->SetCaption(caption);
    (parent ? parent : root_)->Add(item);
    return item;
  }
  bar_host::TBarHostWindow* Bar(bool isToolbar, RECT bounds = {0, 0, 500, 300}) {
    bar_ = new bar_host::TBarHostWindow(&owner_, frame_->Handle(), bounds, root_, isToolbar);
    return bar_;
  }
  toolbars::TBarItemViewer* ViewerOf(toolbars::TBarCustomItem* item) { return bar_->View()->Find(item); }
  // Puts the pointer at a screen point; a view reads the pointer from the last message, so one is taken from the
  // queue there.
  void PointerAt(POINT screenPoint) {
    SetCursorPos(screenPoint.x, screenPoint.y);
    PostMessageW(bar_->Handle(), WM_NULL, 0, 0);
    MSG msg;
    PeekMessageW(&msg, bar_->Handle(), WM_NULL, WM_NULL, PM_REMOVE);
  }
  SIZE SizeOf(toolbars::TBarCustomItem* item) {
    const RECT r = ViewerOf(item)->BoundsRect();
    return SIZE{r.right - r.left, r.bottom - r.top};
  }
  // Measures the item's viewer directly, as the layout does.
  SIZE Measure(toolbars::TBarCustomItem* item) {
    TPaintSurface surface(10, 10);
    surface.Canvas()->SetFont(bar_->View()->GetFont());
    int w = 0;
    int h = 0;
    EXPECT_TRUE(ViewerOf(item)->CalcSize(surface.Canvas(), w, h).Alive());
    return SIZE{w, h};
  }
  // Paints the whole bar into a bitmap, with the theme's log cleared first.
  TWindowCapture Paint() {
    TRecordingTheme::Log().clear();
    theme_.Last.clear();
    return TWindowCapture::OfClient(bar_->Handle());
  }
  bool Logged(const std::string& entry) const {
    for (const auto& line : TRecordingTheme::Log())
      if (line == "Rec: " + entry) return true;
    return false;
  }
  int CountLogged(const std::string& prefix) const {
    int count = 0;
    for (const auto& line : TRecordingTheme::Log())
      if (line.rfind("Rec: " + prefix, 0) == 0) ++count;
    return count;
  }

  TInfoRecordingTheme theme_{L"Rec"};
  TComponent owner_{nullptr};
  std::unique_ptr<TTestWindow> frame_;
  toolbars::TBarRootItem* root_ = nullptr;
  bar_host::TBarHostWindow* bar_ = nullptr;
};

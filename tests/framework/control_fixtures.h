// Small controls for the framework's control tests: each paints itself in its Color and records the messages and
// events the tests ask about.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/application.h"
#include "framework/form.h"
#include "framework/graphics.h"
#include "framework/screen.h"
#include "framework/win_control.h"

// A windowed control that fills its client area with Color and keeps the numbers of the messages it received.
class TTestPanel : public TCustomControl {
  BC_CLASS(TTestPanel, TCustomControl)
  explicit TTestPanel(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(ControlStyle() + TControlStyleItem::csAcceptsControls);
    SetParentColor(false);
  }

  std::vector<UINT> Received;
  // Message numbers the panel records; all others pass unrecorded.
  std::vector<UINT> Watched;
  // Answered for WM_GETDLGCODE, so a test can make the panel want arrows or tabs.
  LRESULT DialogCode = 0;

  void Dispatch(TMessage& message) override {
    for (UINT watched : Watched)
      if (watched == message.Msg) Received.push_back(message.Msg);
    if (message.Msg == WM_GETDLGCODE) {
      message.Result = DialogCode;
      return;
    }
    TCustomControl::Dispatch(message);
  }

 protected:
  TRaised Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
    return TRaised(true);
  }
};

// A windowless control that fills its bounds with Color and records its mouse events.
class TTestGraphic : public TGraphicControl {
  BC_CLASS(TTestGraphic, TGraphicControl)
  explicit TTestGraphic(TComponent* owner) : TGraphicControl(owner) { SetParentColor(false); }

  struct TMouseRecord {
    UINT Msg;
    TMouseButton Button;
    TShiftState Shift;
    int X, Y;
  };
  std::vector<TMouseRecord> Mouse;
  std::vector<UINT> Notices;
  int Clicks = 0;
  int DoubleClicks = 0;

  TRaised Click() override {
    ++Clicks;
    return TGraphicControl::Click();
  }
  TRaised DblClick() override {
    ++DoubleClicks;
    return TGraphicControl::DblClick();
  }
  void Dispatch(TMessage& message) override {
    if (message.Msg == CM_MOUSEENTER || message.Msg == CM_MOUSELEAVE) Notices.push_back(message.Msg);
    TGraphicControl::Dispatch(message);
  }

 protected:
  TRaised MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
    Mouse.push_back({WM_LBUTTONDOWN, button, shift, x, y});
    return TRaised(true);
  }
  TRaised MouseUp(TMouseButton button, TShiftState shift, int x, int y) override {
    Mouse.push_back({WM_LBUTTONUP, button, shift, x, y});
    return TRaised(true);
  }
  TRaised MouseMove(TShiftState shift, int x, int y) override {
    Mouse.push_back({WM_MOUSEMOVE, TMouseButton::mbLeft, shift, x, y});
    return TRaised(true);
  }
  TRaised Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
    return TRaised(true);
  }
};

// A form built in code for one test, freed with the test.
class ControlTest : public testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(TFormBorderStyle::bsNone);
    EXPECT_TRUE(form_->SetBounds(50, 50, 400, 300).Alive());
  }
  void TearDown() override {
    form_.reset();
    ProcessQueued();
  }
  TForm* Form() const { return form_.get(); }

  template <class T>
  T* Make(TWinControl* parent, RECT bounds) {
    auto* control = new T(form_.get());
    EXPECT_TRUE(control->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top).Alive());
    EXPECT_TRUE(control->SetParent(parent).Alive());
    return control;
  }
  static void ProcessQueued() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

 private:
  std::unique_ptr<TForm> form_;
};

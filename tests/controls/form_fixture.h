// A shown form built in code for one test of the window controls, freed with the test.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "framework/form.h"
#include "support/modal_input.h"

class FormTest : public testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(TFormBorderStyle::bsNone);
    EXPECT_TRUE(form_->SetBounds(40, 40, 640, 300).Alive());
    form_->SetColor(clBtnFace);
    EXPECT_TRUE(form_->Show().Alive());
    // The tests give mouse input as messages: the real pointer stays off the form, wherever the test before left it.
    SetCursorPos(0, 0);
  }
  void TearDown() override {
    form_.reset();
    // Tests that use the real mouse leave the pointer where the next test's controls may be.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    ProcessQueued();
  }
  TForm* Form() const { return form_.get(); }

  template <class T>
  T* Make(RECT bounds) {
    auto* control = new T(form_.get());
    EXPECT_TRUE(
        control->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top).Alive());
    EXPECT_TRUE(control->SetParent(form_.get()).Alive());
    return control;
  }
  static void ProcessQueued() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  // Sends a mouse message to the form as if at a client point of it.
  void MouseAt(UINT msg, int x, int y, WPARAM keys = 0) { SendMouseMessage(form_->Handle(), msg, keys, MAKELPARAM(x, y)); }

 private:
  std::unique_ptr<TForm> form_;
};

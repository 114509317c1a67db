#include "framework/edit.h"

#include <gtest/gtest.h>

#include "form_fixture.h"
#include "support/window_capture.h"

using Edit = FormTest;

TEST_F(Edit, Ctl3DChoosesTheSunkenEdgeOrTheThinBorder) {
  auto* edit = Make<TEdit>({10, 10, 130, 31});
  edit->SetCtl3D(true);
  HWND wnd = edit->Handle();
  EXPECT_TRUE(GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_FALSE(GetWindowLongW(wnd, GWL_STYLE) & WS_BORDER);
  EXPECT_TRUE(edit->SetText(L"kept").Alive());
  edit->SetCtl3D(false);
  wnd = edit->Handle();
  EXPECT_FALSE(GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(edit->Text(), L"kept");
  // The system edit takes the border bit over and draws the line itself.
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  EXPECT_NE(TWindowCapture::OfWindow(wnd).Pixel(0, 10), window);
  edit->SetBorderStyle(TBorderStyle::bsNone);
  EXPECT_EQ(TWindowCapture::OfWindow(edit->Handle()).Pixel(0, 10), window);
}

TEST_F(Edit, ChangesAreReported) {
  auto* edit = Make<TEdit>({10, 10, 130, 31});
  int changes = 0;
  edit->OnChange = [&changes](TObject*) { ++changes; };
  SendMessageW(edit->Handle(), WM_CHAR, L'a', 1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(edit->Text(), L"a");
  edit->SetMaxLength(2);
  SendMessageW(edit->Handle(), WM_CHAR, L'b', 1);
  SendMessageW(edit->Handle(), WM_CHAR, L'c', 1);
  EXPECT_EQ(edit->Text(), L"ab");
  edit->SetReadOnly(true);
  EXPECT_TRUE(GetWindowLongW(edit->Handle(), GWL_STYLE) & ES_READONLY);
}

#include "framework/image.h"

#include <gtest/gtest.h>

#include "form_fixture.h"
#include "support/window_capture.h"

using Image = FormTest;

TEST_F(Image, PictureAtTheCornerOrCentredAndTransparent) {
  auto* image = Make<TImage>({10, 10, 50, 50});
  TBitmap* bitmap = image->Picture()->Bitmap();
  bitmap->SetSize(10, 10);
  bitmap->Canvas()->Brush()->SetColor(clRed);
  bitmap->Canvas()->FillRect(RECT{0, 0, 10, 10});
  bitmap->Canvas()->Brush()->SetColor(clLime);
  bitmap->Canvas()->FillRect(RECT{0, 8, 2, 10});
  TWindowCapture corner = TWindowCapture::OfWindow(Form()->Handle());
  EXPECT_EQ(corner.Pixel(15, 15), RGB(255, 0, 0));
  EXPECT_EQ(corner.Pixel(10, 19), RGB(0, 255, 0));
  EXPECT_EQ(corner.Pixel(30, 30), GetSysColor(COLOR_BTNFACE));

  image->SetCenter(true);
  image->SetTransparent(true);
  TWindowCapture centred = TWindowCapture::OfWindow(Form()->Handle());
  EXPECT_EQ(centred.Pixel(15, 15), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(centred.Pixel(10 + 15 + 5, 10 + 15 + 3), RGB(255, 0, 0));
  EXPECT_EQ(centred.Pixel(10 + 15, 10 + 15 + 9), GetSysColor(COLOR_BTNFACE)) << "the transparent colour is left out";
}

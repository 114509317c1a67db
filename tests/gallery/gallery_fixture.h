// One gallery main form for a whole test program (building it reads the sample feed and lays out 100,000 tree
// rows), shown on screen, with the theme and page put back after each case.
#pragma once

#include <gtest/gtest.h>

#include "gallery_form.h"

class GalleryTest : public testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void TearDown() override;

  static TGalleryForm* Form() { return form_; }
  // Dispatches what is waiting, so that the form has painted and laid itself out.
  static void Settle();

 private:
  static TGalleryForm* form_;
};

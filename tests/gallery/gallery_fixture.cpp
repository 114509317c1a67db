#include "gallery_fixture.h"

#include "framework/application.h"

TGalleryForm* GalleryTest::form_ = nullptr;

void GalleryTest::SetUpTestSuite() {
  form_ = new TGalleryForm(Application);
  form_->Show();
  Settle();
}

void GalleryTest::TearDownTestSuite() {
  delete form_;
  form_ = nullptr;
}

void GalleryTest::TearDown() {
  form_->ShowPage(0);
  form_->SelectTheme(L"Default");
  Settle();
}

void GalleryTest::Settle() { Application->ProcessMessages(); }

#include "gallery_fixture.h"

#include <memory>

#include "framework/application.h"
#include "support/message_pump.h"
#include "support/modal_input.h"
#include "toolbars/bars/toolbar.h"
#include "toolbars/items/item.h"
#include "toolbars/views/item_viewer.h"
#include "toolbars/views/view.h"

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

namespace {

// What the look inside the menu's loop found; shared with the looks still posted when the wait ends.
struct TMenuLook {
  TGalleryForm* Form;
  String Opened;
  bool Waiting = true;
  int Looks = 0;
};

// Once a menu of the menu bar is open, notes it and closes it; until then looks again, while the wait lasts.
void LookForOpenMenu(const std::shared_ptr<TMenuLook>& look) {
  if (!look->Waiting) return;
  toolbars::TBarView* bar = look->Form->MenuBar()->View();
  if (bar->OpenViewer() && bar->OpenViewerView()) {
    look->Opened = bar->OpenViewer()->Item()->Caption();
    SendKeyPress(VK_ESCAPE);
    SendKeyPress(VK_ESCAPE);
    return;
  }
  if (++look->Looks < 400) PostInputFromLoop([look] { LookForOpenMenu(look); }, 10);
}

}  // namespace

String GalleryTest::MenuOpenedByAltKey(WORD key) {
  SetForegroundWindow(form_->Handle());
  Settle();
  auto look = std::make_shared<TMenuLook>();
  look->Form = form_;
  PostInputFromLoop([look] { LookForOpenMenu(look); }, 10);
  SendKeyPress(key, false, false, true);
  // The menu's loop runs inside this wait; a key that opens nothing ends the wait by time, not the program.
  PumpUntil([&] { return !look->Opened.empty() && !form_->MenuBar()->View()->OpenViewerView(); }, 4000);
  look->Waiting = false;
  return look->Opened;
}

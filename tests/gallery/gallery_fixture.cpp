#include "gallery_fixture.h"

#include <wrl/client.h>

#include <functional>
#include <memory>

#include "framework/application.h"
#include "framework/streams.h"
#include "support/modal_input.h"
#include "toolbars/bars/toolbar.h"
#include "toolbars/items/item.h"
#include "toolbars/views/item_viewer.h"
#include "toolbars/views/view.h"
#include "tree/string_tree.h"
#include "tree/tree_drag_manager.h"
#include "tree_page.h"

TGalleryForm* GalleryTest::form_ = nullptr;
std::string GalleryTest::startTreeRows_;

void GalleryTest::BuildForm() {
  form_ = new TGalleryForm(Application);
  form_->Show();
  Settle();
}

std::string GalleryTest::TreeRows() {
  TMemoryStream stream;
  form_->TreePage()->LargeTree()->SaveToStream(stream);
  form_->TreePage()->SmallTree()->SaveToStream(stream);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

void GalleryTest::SetUpTestSuite() {
  BuildForm();
  startTreeRows_ = TreeRows();
}

void GalleryTest::TearDownTestSuite() {
  delete form_;
  form_ = nullptr;
}

void GalleryTest::TearDown() {
  // Rows moved, copied or renamed are more than a case can put back by itself.
  if (TreeRows() != startTreeRows_) {
    delete form_;
    BuildForm();
    return;
  }
  form_->ShowPage(0);
  form_->SelectTheme(L"Default");
  Settle();
}

void GalleryTest::Settle() { Application->ProcessMessages(); }

namespace {

// What the look inside a modal loop saw; shared with the looks still posted when the wait ends.
struct TLoopLook {
  std::function<bool()> Seen;
  bool Found = false;
  bool Waiting = true;
  int Looks = 0;
};

// Once the look sees what it waits for, it ends the loop by Escape; until then it looks again, while the wait lasts.
void LookInLoop(const std::shared_ptr<TLoopLook>& look) {
  if (!look->Waiting) return;
  if (look->Seen()) {
    look->Found = true;
    SendKeyPress(VK_ESCAPE);
    SendKeyPress(VK_ESCAPE);
    return;
  }
  if (++look->Looks < 400) PostInputFromLoop([look] { LookInLoop(look); }, 10);
}

}  // namespace

bool GalleryTest::SeenInLoop(const std::function<void()>& input, const std::function<bool()>& seen,
                             const std::function<bool()>& ended) {
  SetForegroundWindow(form_->Handle());
  Settle();
  auto look = std::make_shared<TLoopLook>();
  look->Seen = seen;
  PostInputFromLoop([look] { LookInLoop(look); }, 10);
  input();
  // The loop runs inside this wait; input that starts none ends the wait by time, not the program. The
  // application's own loop serves the wait, since only it turns keys into short-cuts; a timer wakes it.
  const UINT_PTR wake = SetTimer(nullptr, 0, 50, nullptr);
  const ULONGLONG deadline = GetTickCount64() + 4000;
  while (!(look->Found && ended()) && GetTickCount64() < deadline) Application->HandleMessage();
  KillTimer(nullptr, wake);
  look->Waiting = false;
  return look->Found;
}

String GalleryTest::MenuOpenedByAltKey(WORD key) {
  return MenuOpenedBy(form_->MenuBar(), [key] { SendKeyPress(key, false, false, true); });
}

String GalleryTest::MenuOpenedBy(toolbars::TBarCustomToolbar* bar, const std::function<void()>& input) {
  toolbars::TBarView* view = bar->View();
  String opened;
  SeenInLoop(
      input,
      [&] {
        if (!view->OpenViewer() || !view->OpenViewerView()) return false;
        opened = view->OpenViewer()->Item()->Caption();
        return true;
      },
      [view] { return !view->OpenViewerView(); });
  return opened;
}

void DropSelection(tree::TStringTree* from, tree::TStringTree* into, tree::PTreeNode onto, bool shift) {
  Microsoft::WRL::ComPtr<IDataObject> data;
  *data.ReleaseAndGetAddressOf() = from->GetDragManager()->GetDataObject();
  Microsoft::WRL::ComPtr<IDropTarget> target;
  ASSERT_EQ(into->GetDragManager()->QueryInterface(IID_PPV_ARGS(&target)), S_OK);
  POINT at{20, into->ClientHeight() - 4};
  if (onto) {
    into->ScrollIntoView(onto, false);
    const RECT row = into->GetDisplayRect(onto, 0, false);
    at = POINT{row.left + 10, (row.top + row.bottom) / 2};
  }
  ClientToScreen(into->Handle(), &at);
  const DWORD keys = MK_LBUTTON | (shift ? MK_SHIFT : 0);
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  ASSERT_EQ(target->DragEnter(data.Get(), keys, POINTL{at.x, at.y}, &effect), S_OK);
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  ASSERT_EQ(target->DragOver(keys, POINTL{at.x, at.y}, &effect), S_OK);
  ASSERT_EQ(effect, static_cast<DWORD>(shift ? DROPEFFECT_MOVE : DROPEFFECT_COPY));
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  ASSERT_EQ(target->Drop(data.Get(), keys, POINTL{at.x, at.y}, &effect), S_OK);
}

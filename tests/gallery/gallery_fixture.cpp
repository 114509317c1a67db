#include "gallery_fixture.h"

#include <wrl/client.h>

#include <cmath>
#include <functional>
#include <memory>

#include "framework/application.h"
#include "framework/streams.h"
#include "support/message_pump.h"
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
  EXPECT_TRUE(form_->Show().Alive());
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

// The menus open below the bar, counted from the bar's own.
int OpenMenus(toolbars::TBarView* bar) {
  int open = 0;
  for (toolbars::TBarView* view = bar; view && view->OpenViewer() && view->OpenViewerView();
       view = view->OpenViewerView())
    ++open;
  return open;
}

struct TMenuKeys {
  toolbars::TBarView* Bar = nullptr;
  std::vector<WORD> Keys;
  size_t Given = 0;
  int Looks = 0;
  int GivenAt = 0;  // the look that gave the last key so far
  bool Escaped = false;
  bool Done = false;
};

// Looks (10 ms apart) for a menu to open, and after the last key for the menus to close.
constexpr int kMenuKeyLooks = 400;
constexpr int kMenuCloseLooks = 100;

// Each key goes once the menu it chooses in is open. A menu loop still running well after the last key, or long
// after the start, is ended by Escape, one menu at a time, so that the wait always ends.
void GiveMenuKey(const std::shared_ptr<TMenuKeys>& keys) {
  if (keys->Done) return;
  ++keys->Looks;
  const int open = OpenMenus(keys->Bar);
  const bool allGiven = keys->Given == keys->Keys.size();
  const bool overdue = allGiven ? keys->Looks - keys->GivenAt > kMenuCloseLooks : keys->Looks > kMenuKeyLooks;
  if (!allGiven && open == static_cast<int>(keys->Given) + 1) {
    SendKeyPress(keys->Keys[keys->Given++]);
    keys->GivenAt = keys->Looks;
  } else if (!keys->Bar->HasState(toolbars::vsModal) && (allGiven || overdue)) {
    return;
  } else if (keys->Bar->HasState(toolbars::vsModal) && overdue) {
    keys->Escaped = true;
    keys->GivenAt = keys->Looks;
    SendKeyPress(VK_ESCAPE);
  }
  PostInputFromLoop([keys] { GiveMenuKey(keys); }, 10);
}

}  // namespace

bool GalleryTest::SeenInLoop(const std::function<void()>& input, const std::function<bool()>& seen,
                             const std::function<bool()>& ended, bool formToFront) {
  if (formToFront) SetForegroundWindow(form_->Handle());
  Settle();
  auto look = std::make_shared<TLoopLook>();
  look->Seen = seen;
  PostInputFromLoop([look] { LookInLoop(look); }, 10);
  input();
  // The loop runs inside this wait; input that starts none ends the wait by time, not the program.
  ServeUntil([&] { return look->Found && ended(); }, 4000);
  look->Waiting = false;
  return look->Found;
}

bool GalleryTest::ServeUntil(const std::function<bool()>& done, DWORD milliseconds) {
  // A timer wakes the loop's wait for messages, so that the time is looked at.
  const UINT_PTR wake = SetTimer(nullptr, 0, 50, nullptr);
  const ULONGLONG deadline = GetTickCount64() + milliseconds;
  while (!done() && GetTickCount64() < deadline) EXPECT_TRUE(Application->HandleMessage().Alive());
  KillTimer(nullptr, wake);
  return done();
}

String GalleryTest::MenuOpenedByAltKey(WORD key, bool formToFront) {
  return MenuOpenedBy(
      form_->MenuBar(), [key] { SendKeyPress(key, false, false, true); }, formToFront);
}

bool GalleryTest::DragWithMouse(POINT from, POINT to, const std::function<bool()>& dropped) {
  POINT savedCursor{};
  GetCursorPos(&savedCursor);
  SetCursorPos(from.x, from.y);
  SendMouse(MOUSEEVENTF_MOVE);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  const bool inTime = RunModalWithInput(
      [&] {
        for (int i = 1; i <= 8; ++i) {
          const POINT at{from.x + (to.x - from.x) * i / 8, from.y + (to.y - from.y) * i / 8};
          PostInputFromLoop([at] { SetCursorPos(at.x, at.y), SendMouse(MOUSEEVENTF_MOVE); }, static_cast<UINT>(60 * i));
        }
        PostInputFromLoop([] { SendMouse(MOUSEEVENTF_LEFTUP); }, 60 * 10);
      },
      [&] { PumpUntil([&] { return dropped() && GetKeyState(VK_LBUTTON) >= 0; }, 4000); }, 8000);
  SetCursorPos(savedCursor.x, savedCursor.y);
  return inTime;
}

bool GalleryTest::ChooseFromMenu(WORD menuKey, std::vector<WORD> itemKeys) {
  SetForegroundWindow(form_->Handle());
  Settle();
  auto keys = std::make_shared<TMenuKeys>();
  keys->Bar = form_->MenuBar()->View();
  keys->Keys = std::move(itemKeys);
  PostInputFromLoop([keys] { GiveMenuKey(keys); }, 10);
  SendKeyPress(menuKey, false, false, true);
  const bool ended =
      PumpUntil([&] { return keys->Given == keys->Keys.size() && !keys->Bar->HasState(toolbars::vsModal); });
  // A look still posted ends itself.
  keys->Done = true;
  // The menu posts the chosen item's click for after its loop.
  Settle();
  return ended && !keys->Escaped;
}

String GalleryTest::MenuOpenedBy(toolbars::TBarCustomToolbar* bar, const std::function<void()>& input,
                                 bool formToFront) {
  toolbars::TBarView* view = bar->View();
  String opened;
  SeenInLoop(
      input,
      [&] {
        if (!view->OpenViewer() || !view->OpenViewerView()) return false;
        opened = view->OpenViewer()->Item()->Caption();
        return true;
      },
      [view] { return !view->OpenViewerView(); }, formToFront);
  return opened;
}

void DropSelection(tree::TStringTree* from, tree::TStringTree* into, tree::PTreeNode onto, bool shift) {
  POINT at{20, into->ClientHeight() - 4};
  if (onto) {
    into->ScrollIntoView(onto, false);
    const RECT row = into->GetDisplayRect(onto, 0, false);
    at = POINT{row.left + 10, (row.top + row.bottom) / 2};
  }
  ClientToScreen(into->Handle(), &at);
  POINT savedCursor{};
  GetCursorPos(&savedCursor);
  CatchUpWithTheDisplay(at);
  auto holdShift = [](bool down) {
    INPUT key{};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = VK_SHIFT;
    key.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &key, sizeof key);
    EXPECT_TRUE(PumpUntil([down] { return (GetKeyState(VK_SHIFT) < 0) == down; }));
  };
  // A person's drag starts at a row it focuses; a focused row left out of the selection would join the drag.
  EXPECT_FALSE(from->SetFocusedNode(from->GetFirstSelected()).TreeGone());
  if (shift) holdShift(true);
  // The source's own drag, through the system's drag loop: with no button down it drops at once where the mouse
  // rests, and the keys held choose the effect.
  EXPECT_TRUE(from->BeginDrag(true).Alive());
  if (shift) holdShift(false);
  SetCursorPos(savedCursor.x, savedCursor.y);
}

tree::PTreeNode FindRow(tree::TStringTree* tree, const String& name) {
  for (tree::PTreeNode node = tree->GetFirst(); node; node = tree->GetNext(node))
    if (tree->Text(node, 0) == name) return node;
  return nullptr;
}

POINT RowPoint(tree::TStringTree* tree, tree::PTreeNode node) {
  const RECT row = tree->GetDisplayRect(node, 0, true);
  POINT at{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
  ClientToScreen(tree->Handle(), &at);
  return at;
}

double Contrast(COLORREF a, COLORREF b) {
  auto luminance = [](COLORREF c) {
    auto channel = [](int v) {
      const double s = v / 255.0;
      return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(GetRValue(c)) + 0.7152 * channel(GetGValue(c)) + 0.0722 * channel(GetBValue(c));
  };
  const double la = luminance(a) + 0.05;
  const double lb = luminance(b) + 0.05;
  return la > lb ? la / lb : lb / la;
}

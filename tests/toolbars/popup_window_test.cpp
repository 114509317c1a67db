#include "toolbars/popups/popup_window.h"

#include <gtest/gtest.h>

#include "framework/application.h"
#include "support/window_capture.h"
#include "toolbars/popups/popup_menu.h"
#include "toolbars/views/item_viewer.h"
#include "tracked_menu.h"

using namespace toolbars;
using bar_host::TFixedItem;
using tracked_menu::kEntrySize;
using tracked_menu::kFrame;
using tracked_menu::MovePointer;
using tracked_menu::TrackedRoot;
using tracked_menu::WhenInLoop;

namespace {

constexpr COLORREF kMenu = RGB(230, 230, 230);
constexpr COLORREF kFace = RGB(200, 200, 200);
constexpr COLORREF kShadow = RGB(100, 100, 100);
constexpr COLORREF kDarkShadow = RGB(40, 40, 40);
constexpr COLORREF kLight = RGB(250, 250, 250);
constexpr COLORREF kHighlight = RGB(255, 255, 255);
constexpr COLORREF kMenuText = RGB(0, 0, 128);

class PopupWindows : public tracked_menu::TrackedMenu {
 protected:
  void SetUp() override {
    TrackedMenu::SetUp();
    Environment.SetSysColor(COLOR_MENU, kMenu);
    Environment.SetSysColor(COLOR_BTNFACE, kFace);
    Environment.SetSysColor(COLOR_BTNSHADOW, kShadow);
    Environment.SetSysColor(COLOR_3DDKSHADOW, kDarkShadow);
    Environment.SetSysColor(COLOR_3DLIGHT, kLight);
    Environment.SetSysColor(COLOR_BTNHIGHLIGHT, kHighlight);
    Environment.SetSysColor(COLOR_MENUTEXT, kMenuText);
  }
  // A pop-up of the root's entries, opened as an item opens its pop-up, at the menu origin.
  std::unique_ptr<TBarPopupWindowBase> Open() {
    return std::unique_ptr<TBarPopupWindowBase>(
        root_->CreatePopup(nullptr, nullptr, false, false, false, MenuOrigin(), TBarPopupAlignment::tbpaLeft));
  }
};

// A pop-up window that counts the notice it sends itself once it is on screen, as a window with shadows uses it.
class TNoticingPopupWindow : public TBarPopupWindow {
  BC_CLASS(TNoticingPopupWindow, TBarPopupWindow)
  using TBarPopupWindow::TBarPopupWindow;
  void Dispatch(TMessage& message) override {
    if (message.Msg == CM_POPUPSHOWN && message.WParam == kPopupShownCode) {
      ++Notices;
      VisibleAtNotice = IsWindowVisible(Handle());
    }
    TBarPopupWindow::Dispatch(message);
  }
  static inline int Notices = 0;
  static inline bool VisibleAtNotice = false;
};

}  // namespace

TEST_F(PopupWindows, APopupTellsItselfWhenItIsOnScreen) {
  AddEntry(root_, L"Entry");
  const TBarPopupWindowClass previous = SetDefaultPopupWindowClass(TBarPopupWindowClass::Of<TNoticingPopupWindow>());
  TNoticingPopupWindow::Notices = 0;
  auto window = Open();
  SetDefaultPopupWindowClass(previous);
  EXPECT_EQ(TNoticingPopupWindow::Notices, 1);
  EXPECT_TRUE(TNoticingPopupWindow::VisibleAtNotice);
  EXPECT_TRUE(window->SetVisible(false).Alive());
  EXPECT_FALSE(IsWindowVisible(window->Handle()));
  EXPECT_EQ(TNoticingPopupWindow::Notices, 1) << "only showing sends it";
}

TEST_F(PopupWindows, APopupIsAnInactiveTopmostWindowThatTheFrameworkAloneCloses) {
  for (int i = 0; i < 3; ++i) AddEntry(root_, L"Entry");
  SetForegroundWindow(frame_->Handle());
  SetActiveWindow(frame_->Handle());
  auto window = Open();
  HWND wnd = window->Handle();
  EXPECT_TRUE(ObjectAs<TBarPopupWindow>(window.get()));
  EXPECT_TRUE(IsWindowVisible(wnd));
  EXPECT_EQ(GetActiveWindow(), frame_->Handle()) << "showing takes no activation";
  EXPECT_EQ(GetWindowLongW(wnd, GWL_STYLE) & (WS_POPUP | WS_CHILD), static_cast<LONG>(WS_POPUP));
  EXPECT_EQ(GetWindowLongW(wnd, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
            static_cast<LONG>(WS_EX_TOPMOST | WS_EX_TOOLWINDOW));
  EXPECT_TRUE(GetClassLongW(wnd, GCL_STYLE) & CS_SAVEBITS);
  SendMessageW(wnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(wnd) && IsWindowVisible(wnd)) << "WM_CLOSE leaves it open";
  RECT bounds{};
  GetWindowRect(wnd, &bounds);
  EXPECT_EQ(bounds.left, MenuOrigin().x);
  EXPECT_EQ(bounds.right - bounds.left, kEntrySize.cx + 2 * kFrame);
  EXPECT_EQ(bounds.bottom - bounds.top, 3 * kEntrySize.cy + 2 * kFrame);
  // A new entry grows the window (once the thread takes its next message); its top-left corner stays.
  AddEntry(root_, L"Entry");
  MSG msg;
  auto height = [&] {
    GetWindowRect(wnd, &bounds);
    return bounds.bottom - bounds.top;
  };
  while (height() != 4 * kEntrySize.cy + 2 * kFrame && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    DispatchMessageW(&msg);
  EXPECT_EQ(height(), 4 * kEntrySize.cy + 2 * kFrame);
  EXPECT_EQ(bounds.top, MenuOrigin().y);
}

TEST_F(PopupWindows, TheFrameIsFlatOrRaisedAsTheSystemDrawsMenus) {
  AddEntry(root_, L"Entry");
  struct TCase {
    bool Flat;
    int Inset;  // from the top-left corner along the diagonal
    COLORREF Expected;
  };
  const TCase cases[] = {
      {true, 0, kShadow}, {true, 1, kMenu},       {true, 2, kMenu},
      {false, 0, kLight}, {false, 1, kHighlight}, {false, 2, kFace},
  };
  for (const TCase& c : cases) {
    Environment.SetFlatMenus(c.Flat);
    auto window = Open();
    TWindowCapture capture = TWindowCapture::OfWindow(window->Handle());
    KeepCaptureForViewing(capture, c.Flat ? L"popup_flat_frame" : L"popup_raised_frame");
    EXPECT_EQ(capture.Pixel(c.Inset, c.Inset), c.Expected) << "flat " << c.Flat << " inset " << c.Inset;
    const int right = capture.Width() - 1 - c.Inset;
    const int bottom = capture.Height() - 1 - c.Inset;
    if (c.Flat) {
      EXPECT_EQ(capture.Pixel(right, bottom), c.Expected);
    }
    if (!c.Flat && c.Inset == 0) {
      EXPECT_EQ(capture.Pixel(right, bottom), kDarkShadow);
    }
  }
}

TEST_F(PopupWindows, ASubmenuTakesItsParentsFontAndAcceleratorState) {
  TFixedItem* sub = AddEntry(root_, L"&Sub", isSubmenu);
  AddEntry(sub, L"&Inner");
  auto window = Open();
  TBarView* view = window->View();
  EXPECT_EQ(window->Font()->Handle() != nullptr, true);
  window->Font()->SetSize(window->Font()->Size() + 3);
  view->IncludeState(vsUseHiddenAccels | vsShowAccels);
  EXPECT_TRUE(view->SetSelected(view->Find(sub)).Alive());
  ASSERT_TRUE(view->OpenChildPopup(false).Alive());
  ASSERT_NE(view->OpenViewer(), nullptr);
  TBarView* child = view->OpenViewerView();
  EXPECT_EQ(child->Window()->Font()->Size(), window->Font()->Size());
  EXPECT_EQ(child->GetFont(), child->Window()->Font());
  EXPECT_TRUE(child->HasState(vsUseHiddenAccels));
  EXPECT_TRUE(child->HasState(vsShowAccels));
}

TEST_F(PopupWindows, APopupPaintsItsEntriesOnTheMenuColour) {
  constexpr COLORREF kSelection = RGB(0, 0, 160);
  Environment.SetSysColor(COLOR_HIGHLIGHT, kSelection);
  Environment.SetFlatMenus(false);
  for (const wchar_t* caption : {L"&Open\tCtrl+O", L"&Save", L"-", L"&Recent", L"E&xit"}) {
    TBarCustomItem* item = caption == std::wstring(L"-") ? new TBarSeparatorItem(&owner_) : new TBarCustomItem(&owner_);
    item->SetCaption(caption);
    root_->Add(item);
  }
  root_->ItemAt(1)->SetChecked(true);
  auto* recentEntry = new TBarCustomItem(&owner_);
  recentEntry->SetCaption(L"page.html");
  root_->ItemAt(3)->Add(recentEntry);
  auto window = Open();
  EXPECT_TRUE(window->View()->SetSelected(window->View()->Find(root_->ItemAt(0))).Alive());
  TWindowCapture capture = TWindowCapture::OfClient(window->Handle());
  KeepCaptureForViewing(capture, L"popup_menu");
  const RECT selected = window->View()->Find(root_->ItemAt(0))->BoundsRect();
  const RECT other = window->View()->Find(root_->ItemAt(4))->BoundsRect();
  EXPECT_GT(capture.CountPixels(kSelection, &selected), 0) << "the selected row is highlighted";
  EXPECT_EQ(capture.CountPixels(kSelection, &other), 0);
  EXPECT_GT(capture.CountPixels(kMenuText, &other), 0) << "captions in the menu text colour";
  EXPECT_EQ(capture.CountPixels(TWindowCapture::kUnpainted), 0) << "the background is the menu colour";
  EXPECT_GT(capture.CountPixels(kMenu), 0);
}

TEST_F(PopupWindows, TheHintIsTheSelectedEntrys) {
  TFixedItem* first = AddEntry(root_, L"First");
  first->SetHint(L"Short|Long text");
  AddEntry(root_, L"Second");
  auto window = Open();
  THintInfo info;
  info.HintStr = L"stale";
  window->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, L"") << "nothing selected, no hint";
  EXPECT_TRUE(window->View()->SetSelected(window->View()->Find(first)).Alive());
  window->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, L"Short");
  const RECT expected = window->View()->Find(first)->BoundsRect();
  EXPECT_TRUE(EqualRect(&info.CursorRect, &expected));
}

TEST_F(PopupWindows, ATallPopupScrollsWhileThePointerRestsOnAnArrow) {
  // Far more than three columns hold: the pop-up scrolls. The entries show no text, so that the menu-text
  // colour is the arrows' alone.
  for (int i = 0; i < 200; ++i) AddEntry(root_, L"");
  int topArrowBefore = -1;
  int bottomArrowBefore = -1;
  int topArrowAfter = -1;
  int bottomArrowAfter = -1;
  std::vector<int> offsets;
  auto countArrow = [](HWND wnd, bool top) {
    TWindowCapture capture = TWindowCapture::OfClient(wnd);
    KeepCaptureForViewing(capture, L"popup_tall");
    const RECT strip =
        top ? RECT{0, 0, capture.Width(), 8} : RECT{0, capture.Height() - 8, capture.Width(), capture.Height()};
    return capture.CountPixels(kMenuText, &strip);
  };
  RunPopup([&] {
    WhenInLoop([] { return TrackedRoot() != nullptr; },
               [&] {
                 TBarView* view = TrackedRoot();
                 HWND wnd = view->Window()->Handle();
                 topArrowBefore = countArrow(wnd, true);
                 bottomArrowBefore = countArrow(wnd, false);
                 EXPECT_FALSE(view->ShowUpArrow());
                 EXPECT_TRUE(view->ShowDownArrow());
                 RECT client{};
                 GetClientRect(wnd, &client);
                 POINT bottom{client.right / 2, client.bottom - 3};
                 ClientToScreen(wnd, &bottom);
                 MovePointer(bottom);
                 WhenInLoop(
                     [&offsets] {
                       TBarView* tracked = TrackedRoot();
                       if (offsets.empty() || offsets.back() != tracked->ScrollOffset())
                         offsets.push_back(tracked->ScrollOffset());
                       // The timer stops when it next fires and finds nothing more to scroll.
                       return !tracked->ShowDownArrow() && !tracked->TimerActive(TBarViewTimer::tiScrollDown);
                     },
                     [&, wnd] {
                       topArrowAfter = countArrow(wnd, true);
                       bottomArrowAfter = countArrow(wnd, false);
                       PostKeyPress(frame_->Handle(), VK_ESCAPE);
                     });
               });
  });
  EXPECT_EQ(topArrowBefore, 0);
  EXPECT_GT(bottomArrowBefore, 0);
  EXPECT_GT(topArrowAfter, 0);
  EXPECT_EQ(bottomArrowAfter, 0);
  ASSERT_GE(offsets.size(), 3u);
  for (size_t i = 1; i < offsets.size(); ++i) EXPECT_GT(offsets[i], offsets[i - 1]);
  EXPECT_TRUE(clicked_.empty());
}

TEST_F(PopupWindows, ScrollStepsBringWholeEntriesBetweenTheArrows) {
  for (int i = 0; i < 200; ++i) AddEntry(root_, L"Entry");
  auto window = Open();
  TBarView* view = window->View();
  const int height = window->ClientHeight();
  EXPECT_TRUE(ScrollViewByStep(view, true).Alive());
  // The first entry that reached into the bottom strip now ends at its edge.
  bool endsAtTheStrip = false;
  for (int i = 0; i < view->ViewerCount(); ++i)
    if (view->Viewers(i)->Show() && view->Viewers(i)->BoundsRect().bottom == height - 8) endsAtTheStrip = true;
  EXPECT_TRUE(endsAtTheStrip);
  EXPECT_TRUE(view->ShowUpArrow());
  const int scrolled = view->ScrollOffset();
  EXPECT_GT(scrolled, 0);
  EXPECT_TRUE(ScrollViewByStep(view, false).Alive());
  EXPECT_LT(view->ScrollOffset(), scrolled);
  for (int i = 0; i < view->ViewerCount(); ++i) {
    const RECT& bounds = view->Viewers(i)->BoundsRect();
    if (!view->Viewers(i)->Show()) continue;
    EXPECT_GE(bounds.top, view->ShowUpArrow() ? 8 : 0);
    EXPECT_LE(bounds.bottom, height - (view->ShowDownArrow() ? 8 : 0));
  }
  // The arrow zones answer only where an arrow shows.
  EXPECT_EQ(PointInScrollArrowZone(view, POINT{5, 3}, true), view->ShowUpArrow());
  EXPECT_TRUE(PointInScrollArrowZone(view, POINT{5, height - 3}, false));
  EXPECT_FALSE(PointInScrollArrowZone(view, POINT{5, height / 2}, false));
  EXPECT_FALSE(PointInScrollArrowZone(view, POINT{-5, height - 3}, false));
}

namespace {

class PopupMenuComponent : public tracked_menu::TrackedMenu {};

}  // namespace

TEST_F(PopupMenuComponent, PopupShowsTheItemsAndTracksThem) {
  struct TCase {
    intptr_t Tag;
    bool Captured;
  };
  for (const TCase c : {TCase{0, true}, TCase{kNoCaptureTag, false}}) {
    TBarPopupMenu menu(&owner_);
    menu.SetTag(c.Tag);
    menu.SetTrackButton(TTrackButton::tbLeftButton);
    auto* entry = new TFixedItem(&owner_, kEntrySize);
    entry->SetCaption(L"&Go");
    int clicks = 0;
    entry->OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
    menu.Items()->Add(entry);
    EXPECT_EQ(entry->GetParentComponent(), &menu) << "stored items name the menu as their parent";
    std::vector<TObject*> senders;
    menu.OnPopup = TNotifyEvent([&](TObject* sender) { senders.push_back(sender); });
    HWND captureInLoop = nullptr;
    HWND popupInLoop = nullptr;
    const POINT at = MenuOrigin();
    RunModalWithInput(
        [&] {
          WhenInLoop([] { return TrackedRoot() != nullptr; },
                     [&] {
                       captureInLoop = GetCapture();
                       popupInLoop = TrackedRoot()->Window()->Handle();
                       PostMessageW(frame_->Handle(), WM_CHAR, L'g', 1);
                     });
        },
        [&] { EXPECT_TRUE(menu.Popup(at.x, at.y).Alive()); });
    ProcessPendingMessages();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(menu.PopupPoint().x, at.x);
    EXPECT_EQ(menu.Items()->Tag(), c.Tag);
    ASSERT_EQ(senders.size(), 1u);
    EXPECT_EQ(senders[0], &menu);
    EXPECT_EQ(captureInLoop == popupInLoop, c.Captured) << "tag " << c.Tag;
    if (!c.Captured) {
      EXPECT_EQ(captureInLoop, nullptr);
    }
    EXPECT_EQ(GetCapture(), nullptr) << "released afterwards";
  }
}

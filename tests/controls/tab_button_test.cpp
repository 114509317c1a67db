#include "controls/tab_button.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form_fixture.h"
#include "framework/application.h"
#include "framework/hint_window.h"
#include "support/host_files.h"
#include "support/message_pump.h"
#include "support/modal_input.h"
#include "support/window_capture.h"

using namespace controls;

namespace {

std::vector<int>* downCalls = nullptr;

void WINAPI RecordTabDown(int tabIndex) {
  if (downCalls) downCalls->push_back(tabIndex);
}

struct TTabEvents {
  int Clicks = 0;
  int MiddleClicks = 0;
  int RightClicks = 0;
  void Click(TObject*) { ++Clicks; }
  void MiddleClick(TObject*) { ++MiddleClicks; }
  void RightClick(TObject*) { ++RightClicks; }
};

// Tabs on a shown form, with the activation callback recorded.
class TabButton : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    downCalls = &calls_;
    TabButtonDownProc = &RecordTabDown;
  }
  void TearDown() override {
    TabButtonDownProc = nullptr;
    downCalls = nullptr;
    FormTest::TearDown();
  }
  TTabButton* MakeTab(RECT bounds, int tabIndex) {
    auto* tab = Make<TTabButton>(bounds);
    tab->SetTabIndex(tabIndex);
    tab->SetGroupIndex(1);
    EXPECT_TRUE(tab->SetCaption(L"about:blank").Alive());
    tab->OnClick = TNotifyEvent(&events_, &TTabEvents::Click);
    tab->OnMiddleClick = TNotifyEvent(&events_, &TTabEvents::MiddleClick);
    tab->OnRightClick = TNotifyEvent(&events_, &TTabEvents::RightClick);
    return tab;
  }
  TWindowCapture Capture() { return TWindowCapture::OfWindow(Form()->Handle()); }

  std::vector<int> calls_;
  TTabEvents events_;
};

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kEdge = RGB(0x6A, 0x6A, 0x6A);

}  // namespace

TEST_F(TabButton, FrameIsRaisedUpAndSunkenDown) {
  TTabButton* tab = MakeTab({20, 20, 140, 42}, 0);
  TWindowCapture up = Capture();
  KeepCaptureForViewing(up, L"tab_up");
  EXPECT_EQ(up.Pixel(20, 41), kWhite);  // left edge, from the bottom
  EXPECT_EQ(up.Pixel(20, 20), kWhite);
  EXPECT_EQ(up.Pixel(138, 20), kWhite);  // top edge
  EXPECT_EQ(up.Pixel(139, 20), kEdge);   // right edge
  EXPECT_EQ(up.Pixel(139, 41), kEdge);
  EXPECT_EQ(up.Pixel(80, 41), kEdge);  // bottom edge
  EXPECT_EQ(up.Pixel(21, 21), GetSysColor(COLOR_BTNFACE)) << "no background is filled";

  tab->SetDown(true);
  TWindowCapture down = Capture();
  KeepCaptureForViewing(down, L"tab_down");
  EXPECT_EQ(down.Pixel(20, 41), kEdge);
  EXPECT_EQ(down.Pixel(80, 20), kEdge);
  EXPECT_EQ(down.Pixel(139, 30), kWhite);
  EXPECT_EQ(down.Pixel(80, 41), kWhite);
  EXPECT_TRUE(tab->Font()->Style().Contains(TFontStyle::fsBold));
}

TEST_F(TabButton, DisabledTabIsPaintedUpAndPlainEvenWhenDown) {
  TTabButton* tab = MakeTab({20, 20, 140, 42}, 0);
  tab->SetDown(true);
  tab->SetEnabled(false);
  TWindowCapture capture = Capture();
  EXPECT_EQ(tab->State(), TButtonState::bsDisabled);
  EXPECT_TRUE(tab->Down());
  EXPECT_FALSE(tab->Font()->Style().Contains(TFontStyle::fsBold));
  EXPECT_EQ(capture.Pixel(20, 20), kWhite);
  EXPECT_EQ(capture.Pixel(139, 30), kEdge);

  tab->SetEnabled(true);
  Capture();
  EXPECT_EQ(tab->State(), TButtonState::bsExclusive);
  EXPECT_TRUE(tab->Font()->Style().Contains(TFontStyle::fsBold));
}

TEST_F(TabButton, SettingDownReportsEveryActivation) {
  TTabButton* first = MakeTab({20, 20, 140, 42}, 3);
  TTabButton* second = MakeTab({140, 20, 260, 42}, 4);
  first->SetDown(true);
  first->SetDown(true);
  second->SetDown(true);
  EXPECT_EQ(calls_, (std::vector<int>{3, 3, 4}));
  EXPECT_TRUE(first->Down()) << "the tab leaves releasing the others to the callback";
  second->SetDown(false);
  EXPECT_FALSE(second->Down());
  EXPECT_EQ(second->State(), TButtonState::bsUp);
  EXPECT_EQ(calls_.size(), 3u);
}

TEST_F(TabButton, ClicksReachTheWindowlessTabUnderTheMouse) {
  TTabButton* first = MakeTab({20, 20, 140, 42}, 0);
  TTabButton* second = MakeTab({140, 20, 260, 42}, 1);
  MouseAt(WM_LBUTTONDOWN, 150, 30, MK_LBUTTON);
  EXPECT_EQ(second->State(), TButtonState::bsDown);
  MouseAt(WM_LBUTTONUP, 150, 30);
  EXPECT_EQ(events_.Clicks, 1);
  EXPECT_TRUE(second->Down()) << "a grouped tab stays down";
  EXPECT_FALSE(first->Down());

  MouseAt(WM_MBUTTONDOWN, 30, 30, MK_MBUTTON);
  MouseAt(WM_MBUTTONUP, 30, 30);
  EXPECT_EQ(events_.MiddleClicks, 1);
  MouseAt(WM_RBUTTONDOWN, 30, 30, MK_RBUTTON);
  MouseAt(WM_RBUTTONUP, 30, 30);
  EXPECT_EQ(events_.RightClicks, 1);
  EXPECT_EQ(events_.Clicks, 1) << "other buttons do not click";
}

// The form takes double clicks, so the second press of a quick pair comes as a double click: it is a press like
// any, or a person closing tabs by quick middle clicks closes every second one. Tabs close in their own handler
// here, as an application closes them, each revealing the next one under the pointer.
TEST_F(TabButton, QuickClicksAllCount) {
  struct TCase {
    const char* Name;
    UINT Press, DoublePress, Release;
    DWORD PressFlag, ReleaseFlag;
    TNotifyEvent TTabButton::*Event;
  };
  const TCase cases[] = {
      {"middle", WM_MBUTTONDOWN, WM_MBUTTONDBLCLK, WM_MBUTTONUP, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP,
       &TTabButton::OnMiddleClick},
      {"right", WM_RBUTTONDOWN, WM_RBUTTONDBLCLK, WM_RBUTTONUP, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP,
       &TTabButton::OnRightClick},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    int closed = 0;
    std::vector<TTabButton*> tabs;
    auto makeTabs = [&](int count) {
      for (int i = 0; i < count; ++i) {
        TTabButton* tab = MakeTab({20, 20, 140, 42}, i);
        tab->*c.Event = [&closed, &tabs, tab](TObject*) {
          ++closed;
          std::erase(tabs, tab);
          delete tab;
        };
        tabs.push_back(tab);
      }
    };
    // As messages: a press and a double press, each with its release.
    makeTabs(2);
    MouseAt(c.Press, 30, 30);
    MouseAt(c.Release, 30, 30);
    MouseAt(c.DoublePress, 30, 30);
    MouseAt(c.Release, 30, 30);
    EXPECT_EQ(closed, 2);
    // As a person gives them: ten quick clicks on one spot close ten tabs.
    closed = 0;
    makeTabs(10);
    BringToTheFront(Form()->Handle());
    const POINT spot = Form()->ClientToScreen(POINT{30, 30});
    for (int i = 1; i <= 10; ++i) {
      SendMouseClick(spot, c.PressFlag, c.ReleaseFlag);
      ASSERT_TRUE(PumpUntil([&] { return closed >= i; })) << i;
    }
    EXPECT_EQ(closed, 10);
    EXPECT_TRUE(tabs.empty());
    SetCursorPos(0, 0);
  }
}

namespace {

// Presses and releases a button count times at a screen point through the system's input queue, each event a
// millisecond after the one before by the events' own clock: a quick series however busy the machine is.
void SendQuickClicks(POINT at, DWORD press, DWORD release, int count) {
  SetCursorPos(at.x, at.y);
  std::vector<INPUT> inputs(static_cast<size_t>(2 * count));
  const DWORD start = GetTickCount();
  for (size_t i = 0; i < inputs.size(); ++i) {
    inputs[i].type = INPUT_MOUSE;
    inputs[i].mi.dwFlags = i % 2 ? release : press;
    inputs[i].mi.time = start + static_cast<DWORD>(i);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

// The form takes double clicks: a real double click on a tab raises its OnDblClick once, while its second press
// still clicks as the first did; a triple click's third press is a single one again. Quick middle and right pairs
// raise no double click, and each of their clicks counts.
TEST_F(TabButton, ARealDoubleClickRaisesOnDblClickOnce) {
  TTabButton* tab = MakeTab({20, 20, 140, 42}, 0);
  std::string heard;
  tab->OnClick = [&heard](TObject*) { heard += "click "; };
  tab->OnDblClick = [&heard](TObject*) { heard += "double "; };
  tab->OnMiddleClick = [&heard](TObject*) { heard += "middle "; };
  tab->OnRightClick = [&heard](TObject*) { heard += "right "; };
  BringToTheFront(Form()->Handle());
  const POINT spot = Form()->ClientToScreen(POINT{30, 30});
  const struct {
    DWORD Press, Release;
    int Key, Count;
    const char* Heard;
  } cases[] = {
      {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, VK_LBUTTON, 2, "click double click "},
      {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, VK_LBUTTON, 3, "click double click click "},
      {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP, VK_MBUTTON, 2, "middle middle "},
      {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, VK_RBUTTON, 2, "right right "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Heard);
    heard.clear();
    SendQuickClicks(spot, c.Press, c.Release, c.Count);
    // Every press, the quick ones too, ends in a click of its own: the series is over when the last one is heard.
    const std::string last = std::string(c.Heard).substr(0, std::string(c.Heard).find(' ') + 1);
    EXPECT_TRUE(PumpUntil([&] {
      size_t clicks = 0;
      for (size_t at = heard.find(last); at != std::string::npos; at = heard.find(last, at + 1)) ++clicks;
      return clicks == static_cast<size_t>(c.Count) && !(GetAsyncKeyState(c.Key) & 0x8000);
    }));
    EXPECT_EQ(heard, c.Heard);
  }
  SetCursorPos(0, 0);
}

TEST_F(TabButton, ReleaseOutsideOrAfterLeavingRaisesNothing) {
  TTabButton* tab = MakeTab({20, 20, 140, 42}, 0);
  // A release reported to the tab at a point outside it.
  tab->Perform(WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(10, 10));
  tab->Perform(WM_MBUTTONUP, 0, MAKELPARAM(200, 10));
  tab->Perform(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
  tab->Perform(WM_RBUTTONUP, 0, MAKELPARAM(10, 30));
  EXPECT_EQ(events_.MiddleClicks, 0);
  EXPECT_EQ(events_.RightClicks, 0);

  // Leaving between press and release cancels the click.
  tab->Perform(CM_MOUSEENTER);
  EXPECT_TRUE(tab->Hot());
  tab->Perform(WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(10, 10));
  tab->Perform(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
  tab->Perform(CM_MOUSELEAVE);
  EXPECT_FALSE(tab->Hot());
  tab->Perform(WM_MBUTTONUP, 0, MAKELPARAM(10, 10));
  tab->Perform(WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
  EXPECT_EQ(events_.MiddleClicks, 0);
  EXPECT_EQ(events_.RightClicks, 0);

  tab->Perform(WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(10, 10));
  tab->Perform(WM_MBUTTONUP, 0, MAKELPARAM(10, 10));
  tab->Perform(WM_MBUTTONUP, 0, MAKELPARAM(10, 10));
  EXPECT_EQ(events_.MiddleClicks, 1) << "one press, one click";
}

TEST_F(TabButton, HotCaptionTurnsBlueUnderTheMouse) {
  TTabButton* tab = MakeTab({20, 20, 220, 42}, 0);
  EXPECT_TRUE(tab->SetCaption(L"MMMMMMMM").Alive());
  tab->SetHotCaption(true);
  const RECT text{24, 21, 219, 41};
  EXPECT_EQ(Capture().CountPixels(RGB(0, 0, 255), &text), 0);
  tab->Perform(CM_MOUSEENTER);
  TWindowCapture hot = Capture();
  KeepCaptureForViewing(hot, L"tab_hot");
  EXPECT_GT(hot.CountPixels(RGB(0, 0, 255), &text), 20);
  tab->SetHotCaption(false);
  tab->Invalidate();
  EXPECT_EQ(Capture().CountPixels(RGB(0, 0, 255), &text), 0);
}

namespace {

// A parent that notes the part of itself it is asked to erase.
class TErasingPanel : public TCustomControl {
  BC_CLASS(TErasingPanel, TCustomControl)
  explicit TErasingPanel(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(ControlStyle() + TControlStyleItem::csAcceptsControls);
  }
  std::vector<RECT> Erased;
  void Dispatch(TMessage& message) override {
    if (message.Msg == WM_ERASEBKGND) {
      RECT clip{};
      GetClipBox(reinterpret_cast<HDC>(message.WParam), &clip);
      Erased.push_back(clip);
    }
    TCustomControl::Dispatch(message);
  }
};

}  // namespace

TEST_F(TabButton, RedrawTabErasesOnlyTheIconArea) {
  auto* panel = Make<TErasingPanel>({0, 0, 400, 100});
  auto* tab = new TTabButton(Form());
  EXPECT_TRUE(tab->SetBounds(30, 10, 120, 22).Alive());
  EXPECT_TRUE(tab->SetParent(panel).Alive());
  panel->HandleNeeded();
  UpdateWindow(panel->Handle());
  panel->Erased.clear();
  tab->RedrawTab();
  ASSERT_EQ(panel->Erased.size(), 1u);
  const RECT& clip = panel->Erased[0];
  EXPECT_EQ(clip.left, 31);
  EXPECT_EQ(clip.top, 11);
  EXPECT_EQ(clip.right, 52);
  EXPECT_EQ(clip.bottom, 30);
}

TEST_F(TabButton, PageIconReplacesTheGlyph) {
  TTabButton* tab = MakeTab({20, 20, 140, 42}, 0);
  TBitmap glyph;
  glyph.SetSize(16, 16);
  glyph.Canvas()->Brush()->SetColor(clLime);
  glyph.Canvas()->FillRect(RECT{0, 0, 16, 16});
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(RECT{0, 15, 1, 16});  // the transparent colour, taken from the bottom-left pixel
  tab->SetGlyph(&glyph);
  TWindowCapture withGlyph = Capture();
  EXPECT_EQ(withGlyph.Pixel(20 + 4 + 8, 20 + 3 + 8), RGB(0, 255, 0));

  // Said to have a page icon that is still empty: neither the icon nor the glyph.
  tab->SetHasPageIcon(true);
  tab->Invalidate();
  EXPECT_EQ(Capture().Pixel(20 + 4 + 8, 20 + 3 + 8), GetSysColor(COLOR_BTNFACE));
  // Out of page-icon mode the glyph stays whatever the page icon.
  tab->SetGlyphKind(0);
  tab->Invalidate();
  EXPECT_EQ(Capture().Pixel(20 + 4 + 8, 20 + 3 + 8), RGB(0, 255, 0));
  tab->SetGlyphKind(PageIconGlyphKind);

  std::vector<BYTE> andMask(32, 0);
  std::vector<BYTE> xorMask(16 * 16 * 4, 0);
  for (size_t i = 0; i < xorMask.size(); i += 4) xorMask[i] = 0xFF;  // blue, as BGRA
  HICON icon = CreateIcon(GetModuleHandleW(nullptr), 16, 16, 1, 32, andMask.data(), xorMask.data());
  tab->PageIcon()->SetHandle(icon);
  tab->SetHasPageIcon(true);
  tab->RedrawTab();
  TWindowCapture withIcon = Capture();
  KeepCaptureForViewing(withIcon, L"tab_icon");
  EXPECT_EQ(withIcon.Pixel(20 + 5 + 8, 20 + 4 + 8), RGB(0, 0, 255));
}

namespace {

HWND leftWindow = nullptr;
POINT leftAt{};

// Notes each window told that the pointer has left it, and where the message says the pointer was.
LRESULT CALLBACK NoteMouseLeave(int code, WPARAM wParam, LPARAM lParam) {
  const MSG* msg = reinterpret_cast<const MSG*>(lParam);
  if (code >= 0 && wParam == PM_REMOVE && msg->message == WM_MOUSELEAVE) {
    leftWindow = msg->hwnd;
    leftAt = msg->pt;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

// The pointer that jumps in one move from a tab to a point outside the program (or just beside the tab) leaves its
// window, which is told so; the platform stamps that leave with the place it last knew the pointer at, which after
// such a jump (made by the display server alone) is still the tab. The tab's caption is no longer hot either way.
TEST_F(TabButton, HotCaptionClearsWhenThePointerJumpsOutOfTheProgram) {
  auto* bar = Make<TErasingPanel>({10, 10, 300, 60});
  TTabButton* tab = MakeTab({10, 10, 210, 32}, 0);
  EXPECT_TRUE(tab->SetParent(bar).Alive());
  tab->SetHotCaption(true);
  BringToTheFront(Form()->Handle());
  HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, &NoteMouseLeave, nullptr, GetCurrentThreadId());
  const POINT onTab = Form()->ClientToScreen(POINT{100, 30});
  const POINT outside{GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2};
  ASSERT_EQ(WindowFromPoint(outside), GetDesktopWindow());
  for (const POINT to : {Form()->ClientToScreen(POINT{400, 100}), outside}) {
    for (const bool byTheDisplayServer : {false, true}) {
      SCOPED_TRACE(testing::Message() << (to.x == outside.x ? "out of the program" : "beside the tab")
                                      << (byTheDisplayServer ? ", moved by the display server" : ""));
      CatchUpWithTheDisplay(onTab);
      ASSERT_TRUE(PumpUntil([&] { return tab->Hot(); }));
      leftWindow = nullptr;
      if (byTheDisplayServer) {
        // The display server alone moves the pointer, as a person's mouse does: the platform learns of it only
        // by asking where the pointer is, and stamps the leave it then posts with the place it knew before.
        ASSERT_TRUE(StartOnHost("xdotool mousemove " + std::to_string(to.x) + " " + std::to_string(to.y)));
      } else {
        INPUT move{};
        move.type = INPUT_MOUSE;
        move.mi.dx = MulDiv(to.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        move.mi.dy = MulDiv(to.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &move, sizeof(INPUT));
      }
      ASSERT_TRUE(PumpUntil([&] { return leftWindow == bar->Handle(); }));
      if (byTheDisplayServer && to.x == outside.x) {
        EXPECT_EQ(leftAt.x, onTab.x);
        EXPECT_EQ(leftAt.y, onTab.y);
      }
      EXPECT_FALSE(tab->Hot());
    }
  }
  UnhookWindowsHookEx(hook);
}

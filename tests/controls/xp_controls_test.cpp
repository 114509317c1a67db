#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/flat_panel.h"
#include "controls/xp_button.h"
#include "controls/xp_check_box.h"
#include "controls/xp_radio_box.h"
#include "form_fixture.h"
#include "framework/accelerators.h"
#include "framework/application.h"
#include "framework/edit.h"
#include "framework/screen.h"
#include "support/modal_input.h"
#include "support/test_environment.h"
#include "support/window_capture.h"

using namespace controls;

namespace {

const COLORREF kFace = RGB(0xD4, 0xD0, 0xC8);
const COLORREF kGrayText = RGB(0x80, 0x80, 0x80);

class XPControls : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    Environment.SetVisualStyles(false);
    Environment.SetSysColor(COLOR_BTNFACE, kFace);
  }
  static TWindowCapture Capture(TWinControl* control) { return TWindowCapture::OfWindow(control->Handle()); }

  // The frame of the button skin the button shows: probes left of any caption, where the stretched skin keeps
  // the frame's own pixels (columns 0 .. 8 unscaled, the middle row stretched down to the last 10 rows).
  static int ButtonFrame(TXP_Button* button) {
    TWindowCapture shot = Capture(button);
    TBitmap* strip = XPSkin(TXPSkin::Button);
    const int middleRow = button->Height() / 2;
    for (int frame = 1; frame <= 5; ++frame) {
      const int x0 = XPSkinFrame(TXPSkin::Button, frame).left;
      bool same = true;
      for (const POINT probe : {POINT{1, 10}, POINT{3, 10}, POINT{3, 3}, POINT{1, 2}}) {
        const int y = probe.y == 10 ? middleRow : probe.y;
        same = same && shot.Pixel(probe.x, y) == static_cast<COLORREF>(strip->Canvas()->Pixels(x0 + probe.x, probe.y));
      }
      if (same) return frame;
    }
    return 0;
  }
  // The frame of a box skin drawn at the left, vertically centred.
  static int BoxFrame(TXP_CheckControl* box, TXPSkin skin) {
    TWindowCapture shot = Capture(box);
    TBitmap* strip = XPSkin(skin);
    const int top = (box->Height() - kXPBoxFrame) / 2;
    for (int frame = 1; frame <= 6; ++frame) {
      const RECT source = XPSkinFrame(skin, frame);
      bool same = true;
      for (int y = 0; y < kXPBoxFrame && same; ++y)
        for (int x = 0; x < kXPBoxFrame && same; ++x)
          same = shot.Pixel(x, top + y) == static_cast<COLORREF>(strip->Canvas()->Pixels(source.left + x, y));
      if (same) return frame;
    }
    return 0;
  }
  void MouseOn(TWinControl* control, UINT msg, int x, int y, WPARAM keys = 0) {
    SendMessageW(control->Handle(), msg, keys, MAKELPARAM(x, y));
  }
  // Moves the mouse onto the form away from every control, which the control under it before sees as leaving.
  void MouseAway() { MouseAt(WM_MOUSEMOVE, 630, 290); }
  static void Keys(HWND wnd, std::initializer_list<WORD> keys) {
    for (WORD key : keys) PostKeyPress(wnd, key);
    Application->ProcessMessages();
  }

  TTestEnvironment Environment;
};

struct TClicks {
  std::vector<std::wstring> Log;
  void Click(TObject* sender) { Log.push_back(static_cast<TControl*>(sender)->Caption()); }
};

}  // namespace

TEST_F(XPControls, ButtonDrawStatesByMouse) {
  auto* button = Make<TXP_Button>({20, 20, 95, 44});
  EXPECT_TRUE(button->SetCaption(L"Search").Alive());
  TClicks clicks;
  button->OnClick = TNotifyEvent(&clicks, &TClicks::Click);
  struct TStep {
    const char* What;
    std::function<void()> Do;
    int Frame;
    size_t Clicks;
  } steps[] = {
      {"at rest", [] {}, 1, 0},
      {"mouse enters", [&] { MouseOn(button, WM_MOUSEMOVE, 10, 10); }, 4, 0},
      {"pressed, takes the focus", [&] { MouseOn(button, WM_LBUTTONDOWN, 10, 10, MK_LBUTTON); }, 2, 0},
      {"released inside: clicked, focused", [&] { MouseOn(button, WM_LBUTTONUP, 10, 10); }, 5, 1},
      {"mouse leaves", [&] { MouseAway(); }, 5, 1},
      {"mouse enters again: hot beats focused", [&] { MouseOn(button, WM_MOUSEMOVE, 11, 10); }, 4, 1},
      {"pressed on the bottom-right edge", [&] { MouseOn(button, WM_LBUTTONDOWN, 75, 24, MK_LBUTTON); }, 2, 1},
      {"released outside: no click", [&] { MouseOn(button, WM_LBUTTONUP, 120, 10); }, 2, 1},
      {"mouse leaves", [&] { MouseAway(); }, 5, 1},
      {"disabled", [&] { button->SetEnabled(false); }, 3, 1},
      {"enabled again", [&] { button->SetEnabled(true); }, 1, 1},
  };
  for (const TStep& step : steps) {
    step.Do();
    EXPECT_EQ(ButtonFrame(button), step.Frame) << step.What;
    EXPECT_EQ(clicks.Log.size(), step.Clicks) << step.What;
  }
}

TEST_F(XPControls, ButtonClicksByKeyboardAcceleratorAndDialogKeys) {
  auto* edit = Make<TEdit>({20, 60, 120, 80});
  auto* ok = Make<TXP_Button>({20, 20, 95, 44});
  EXPECT_TRUE(ok->SetCaption(L"&Go").Alive());
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* cancel = Make<TXP_Button>({100, 20, 175, 44});
  EXPECT_TRUE(cancel->SetCaption(L"Cancel").Alive());
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  auto* other = Make<TXP_Button>({180, 20, 255, 44});
  EXPECT_TRUE(other->SetCaption(L"Other").Alive());
  auto* box = Make<TXP_CheckBox>({20, 90, 120, 107});
  TClicks clicks;
  for (TXP_Button* b : {ok, cancel, other}) b->OnClick = TNotifyEvent(&clicks, &TClicks::Click);

  struct TStep {
    const char* What;
    std::function<void()> Do;
    std::vector<std::wstring> Clicked;
    TModalResult Result;
  } steps[] = {
      {"Enter in an edit clicks the default button",
       [&] {
         EXPECT_TRUE(edit->SetFocus().Alive());
         Keys(edit->Handle(), {VK_RETURN});
       },
       {L"&Go"},
       mrOk},
      {"Escape clicks the cancel button", [&] { Keys(edit->Handle(), {VK_ESCAPE}); }, {L"Cancel"}, mrCancel},
      {"Enter on another XP button clicks that one",
       [&] {
         EXPECT_TRUE(other->SetFocus().Alive());
         Keys(other->Handle(), {VK_RETURN});
       },
       {L"Other"},
       mrNone},
      {"Space clicks the focused button", [&] { Keys(other->Handle(), {VK_SPACE}); }, {L"Other"}, mrNone},
      {"the accelerator focuses and clicks",
       [&] {
         EXPECT_TRUE(box->SetFocus().Alive());
         PostMessageW(box->Handle(), WM_CHAR, 'g', 1);
         Application->ProcessMessages();
       },
       {L"&Go"},
       mrOk},
      {"Alt and the accelerator from an edit",
       [&] {
         EXPECT_TRUE(edit->SetFocus().Alive());
         PostMessageW(edit->Handle(), WM_SYSCHAR, 'G', 0x20000000);
         Application->ProcessMessages();
       },
       {L"&Go"},
       mrOk},
  };
  for (const TStep& step : steps) {
    clicks.Log.clear();
    Form()->SetModalResult(99);
    step.Do();
    EXPECT_EQ(clicks.Log, step.Clicked) << step.What;
    EXPECT_EQ(Form()->ModalResult(), step.Result) << step.What << ": set even when it is 0";
  }
  EXPECT_TRUE(ok->Focused()) << "the accelerator moved the focus";
  EXPECT_TRUE(ok->Active());
  EXPECT_TRUE(edit->SetFocus().Alive());
  EXPECT_FALSE(other->Active());
  EXPECT_TRUE(ok->Active()) << "the default is active while an edit has the focus";
  ok->SetDefault(false);
  EXPECT_FALSE(ok->Active());
}

TEST_F(XPControls, DisabledButtonIsGrayWithAPictureSilhouette) {
  auto* button = Make<TXP_Button>({20, 20, 120, 60});
  EXPECT_TRUE(button->SetCaption(L"Find").Alive());
  TBitmap picture;
  picture.SetSize(12, 10);
  picture.Canvas()->Brush()->SetColor(clWhite);
  picture.Canvas()->FillRect(RECT{0, 0, 12, 10});
  picture.Canvas()->Brush()->SetColor(clRed);
  picture.Canvas()->FillRect(RECT{2, 2, 10, 8});
  TPicture holder;
  holder.SetGraphic(&picture);
  button->SetPicture(&holder);
  button->SetPicTrans(true);
  button->SetPicOffSet(2);

  const SIZE text = [&] {
    TBitmap measure;
    measure.SetSize(1, 1);
    measure.Canvas()->SetFont(button->Font());
    return measure.Canvas()->TextExtent(L"Find");
  }();
  struct TCase {
    TPicPos Pos;
    POINT Picture;  // the picture's top-left corner
  } cases[] = {
      {TPicPos::pTop, {(100 - 12) / 2, (40 - text.cy - 10 - 2) / 2}},
      {TPicPos::pLeft, {(100 - 12 - text.cx - 2) / 2, (40 - 10) / 2}},
  };
  for (const TCase& c : cases) {
    button->SetPicPos(c.Pos);
    TWindowCapture shot = Capture(button);
    const RECT red = shot.BoundsOf(RGB(255, 0, 0));
    EXPECT_EQ(red.left, c.Picture.x + 2);
    EXPECT_EQ(red.top, c.Picture.y + 2);
    EXPECT_EQ(shot.CountPixels(RGB(255, 255, 255), &red), 0) << "white is the transparent colour";
  }
  button->SetEnabled(false);
  TWindowCapture disabled = Capture(button);
  KeepCaptureForViewing(disabled, L"xp_button_disabled");
  EXPECT_EQ(ButtonFrame(button), 3);
  EXPECT_EQ(disabled.CountPixels(RGB(255, 0, 0)), 0);
  const RECT silhouette{cases[1].Picture.x + 2, cases[1].Picture.y + 2, cases[1].Picture.x + 10,
                        cases[1].Picture.y + 8};
  EXPECT_EQ(disabled.CountPixels(kFace, &silhouette), 8 * 6);
  EXPECT_GT(disabled.CountPixels(kGrayText), 0);
}

TEST_F(XPControls, CheckBoxFramesAndClicks) {
  auto* box = Make<TXP_CheckBox>({20, 20, 141, 37});
  EXPECT_TRUE(box->SetCaption(L"Title").Alive());
  TClicks clicks;
  box->OnClick = TNotifyEvent(&clicks, &TClicks::Click);
  struct TStep {
    const char* What;
    std::function<void()> Do;
    int Frame;
    bool Checked;
    size_t Clicks;
  } steps[] = {
      {"at rest", [] {}, 1, false, 0},
      {"checked from code: no click", [&] { box->SetChecked(true); }, 2, true, 0},
      {"hot and checked", [&] { MouseOn(box, WM_MOUSEMOVE, 5, 5); }, 6, true, 0},
      {"pressed: toggled at once", [&] { MouseOn(box, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON); }, 5, false, 0},
      {"released outside: still one click", [&] { MouseOn(box, WM_LBUTTONUP, 300, 5); }, 5, false, 1},
      {"mouse leaves", [&] { MouseAway(); }, 1, false, 1},
      {"Space", [&] { Keys(box->Handle(), {VK_SPACE}); }, 2, true, 2},
      {"Enter", [&] { Keys(box->Handle(), {VK_RETURN}); }, 1, false, 3},
      {"disabled", [&] { box->SetEnabled(false); }, 3, false, 3},
      {"disabled and checked", [&] { box->SetChecked(true); }, 4, true, 3},
  };
  for (const TStep& step : steps) {
    step.Do();
    EXPECT_EQ(BoxFrame(box, TXPSkin::CheckBox), step.Frame) << step.What;
    EXPECT_EQ(box->Checked(), step.Checked) << step.What;
    EXPECT_EQ(clicks.Log.size(), step.Clicks) << step.What;
  }
  EXPECT_GT(Capture(box).CountPixels(kGrayText), 0) << "disabled caption";
}

TEST_F(XPControls, CheckBoxAcceleratorUnderlineAndFocusRectangle) {
  auto* plain = Make<TXP_CheckBox>({20, 20, 141, 37});
  EXPECT_TRUE(plain->SetCaption(L"Title").Alive());
  auto* marked = Make<TXP_CheckBox>({20, 50, 141, 67});
  EXPECT_TRUE(marked->SetCaption(L"&Title").Alive());
  TClicks clicks;
  marked->OnClick = TNotifyEvent(&clicks, &TClicks::Click);

  // The same text, but the first letter underlined.
  TWindowCapture a = Capture(plain);
  TWindowCapture b = Capture(marked);
  RECT differ{};
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) {
        RECT pixel{x, y, x + 1, y + 1};
        UnionRect(&differ, &differ, &pixel);
      }
  TBitmap measure;
  measure.SetSize(1, 1);
  measure.Canvas()->SetFont(marked->Font());
  const SIZE letter = measure.Canvas()->TextExtent(L"T");
  const SIZE text = measure.Canvas()->TextExtent(L"Title");
  EXPECT_EQ(differ.bottom - differ.top, 1) << "one underline row";
  EXPECT_GE(differ.left, 17);
  EXPECT_LE(differ.right, 17 + letter.cx + 1);

  EXPECT_TRUE(plain->SetFocus().Alive());
  PostMessageW(plain->Handle(), WM_CHAR, 't', 1);
  Application->ProcessMessages();
  EXPECT_TRUE(marked->Checked());
  EXPECT_TRUE(marked->Focused());
  EXPECT_EQ(clicks.Log.size(), 1u);

  // The focus rectangle fits the caption measured without its '&'.
  TWindowCapture focused = Capture(marked);
  KeepCaptureForViewing(focused, L"xp_check_focused");
  RECT ring{};
  const TWindowCapture& before = b;
  for (int y = 0; y < focused.Height(); ++y)
    for (int x = 0; x < focused.Width(); ++x)
      if (focused.Pixel(x, y) != before.Pixel(x, y) && x >= 14) {
        RECT pixel{x, y, x + 1, y + 1};
        UnionRect(&ring, &ring, &pixel);
      }
  const int top = (17 - text.cy) / 2 - 1;
  EXPECT_EQ(ring.left, 16);
  EXPECT_EQ(ring.top, top);
  EXPECT_EQ(ring.right, 16 + text.cx + 1);
  EXPECT_EQ(ring.bottom, top + text.cy + 1);
}

TEST_F(XPControls, RadioGroupsAreKeptWithinOneParent) {
  auto* panel = Make<TFlatPanel>({300, 10, 500, 120});
  auto make = [&](TWinControl* parent, int top, int group, const wchar_t* caption) {
    auto* radio = new TXP_RadioBox(Form());
    EXPECT_TRUE(radio->SetBounds(10, top, 120, 17).Alive());
    EXPECT_TRUE(radio->SetParent(parent).Alive());
    radio->SetGroupIndex(group);
    EXPECT_TRUE(radio->SetCaption(caption).Alive());
    return radio;
  };
  TXP_RadioBox* a = make(Form(), 10, 0, L"a");
  TXP_RadioBox* b = make(Form(), 30, 0, L"b");
  TXP_RadioBox* c = make(Form(), 50, 0, L"c");
  TXP_RadioBox* other = make(Form(), 70, 1, L"other group");
  TXP_RadioBox* inside = make(panel, 10, 0, L"other parent");
  TClicks clicks;
  for (TXP_RadioBox* r : {a, b, c, other, inside}) r->OnClick = TNotifyEvent(&clicks, &TClicks::Click);
  auto state = [&] {
    std::wstring s;
    for (TXP_RadioBox* r : {a, b, c, other, inside}) s += r->Checked() ? L'x' : L'.';
    return s;
  };
  struct TStep {
    const char* What;
    std::function<void()> Do;
    const wchar_t* State;
  } steps[] = {
      {"check a", [&] { a->SetChecked(true); }, L"x...."},
      {"the other group and parent are apart",
       [&] {
         other->SetChecked(true);
         inside->SetChecked(true);
       },
       L"x..xx"},
      {"check b by mouse",
       [&] {
         MouseOn(b, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
         MouseOn(b, WM_LBUTTONUP, 5, 5);
       },
       L".x.xx"},
      {"Space on c", [&] { Keys(c->Handle(), {VK_SPACE}); }, L"..xxx"},
      {"unchecking checks no other", [&] { c->SetChecked(false); }, L"...xx"},
  };
  for (const TStep& step : steps) {
    step.Do();
    EXPECT_EQ(state(), step.State) << step.What;
  }
  EXPECT_EQ(clicks.Log, (std::vector<std::wstring>{L"b", L"c"})) << "only the mouse and the key click";
  EXPECT_EQ(BoxFrame(c, TXPSkin::RadioBox), 1);
  EXPECT_EQ(BoxFrame(other, TXPSkin::RadioBox), 2);
  EXPECT_TRUE(StripAccelChars(L"&Save && exit") == L"Save & exit");
}

TEST(XPUnit, HandCursorIsScreenCursor246) {
  ASSERT_NE(Screen->Cursors(crXPHand), nullptr);
  EXPECT_NE(Screen->Cursors(crXPHand), Screen->Cursors(crArrow));
  EXPECT_EQ(crXPHand, 246);
}

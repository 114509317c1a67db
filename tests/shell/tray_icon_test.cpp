#include "shell/system/tray_icon.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/exception_hook.h"
#include "framework/exceptions.h"
#include "framework/form.h"
#include "framework/image_list.h"
#include "framework/menus.h"
#include "shell/system/sys_version.h"
#include "support/hostile_input.h"

using namespace shell;

namespace {

struct TShellCall {
  DWORD Message;
  NOTIFYICONDATAW Data;
};

std::vector<TShellCall> shellCalls;

BOOL WINAPI RecordShellCall(DWORD message, NOTIFYICONDATAW* data) {
  shellCalls.push_back({message, *data});
  return TRUE;
}

// A menu that records where it would pop up instead of running a modal menu loop.
class TRecordingMenu : public TPopupMenu {
 public:
  using TPopupMenu::TPopupMenu;
  TRaised Popup(int x, int y) override {
    Popups.push_back({x, y});
    return TRaised(true);
  }
  std::vector<POINT> Popups;
};

// A tray icon whose shell calls are recorded, with every event written into one log.
class TrayIcon : public testing::Test {
 protected:
  void SetUp() override {
    shellCalls.clear();
    previous_ = SetShellNotifyIconFunction(&RecordShellCall);
    icon = std::make_unique<TSysTrayIcon>();
    icon->SetName(L"Tray");
    menu = std::make_unique<TRecordingMenu>();
    icon->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState, int, int) { Log(L"down" + Button(b)); };
    icon->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int, int) { Log(L"up" + Button(b)); };
    icon->OnMouseMove = [this](TObject*, TShiftState, int, int) { Log(L"move"); };
    icon->OnClick = [this](TObject*) { Log(L"click"); };
    icon->OnDblClick = [this](TObject*) { Log(L"dblclick"); };
    icon->OnPopupMenu = [this](TObject*) { Log(L"popup"); };
    icon->OnShow = [this](TObject*) { Log(L"show"); };
    icon->OnHide = [this](TObject*) { Log(L"hide"); };
    icon->OnBalloonShow = [this](TObject*) { Log(L"balloonshow"); };
    icon->OnBalloonTimeout = [this](TObject*) { Log(L"balloontimeout"); };
    icon->OnBalloonClick = [this](TObject*) { Log(L"balloonclick"); };
  }
  void TearDown() override {
    icon.reset();
    SetShellNotifyIconFunction(previous_);
  }
  static String Button(TMouseButton button) {
    return button == TMouseButton::mbLeft ? L"L" : button == TMouseButton::mbRight ? L"R" : L"M";
  }
  void Log(const String& text) { log += (log.empty() ? L"" : L" ") + text; }
  String Callbacks(std::initializer_list<LPARAM> notifications) {
    log.clear();
    for (LPARAM n : notifications) SendMessageW(icon->Handle(), WM_SYSTRAYICON, 0, n);
    return log;
  }

  std::unique_ptr<TSysTrayIcon> icon;
  std::unique_ptr<TRecordingMenu> menu;
  String log;

 private:
  TShellNotifyIconFunction previous_ = nullptr;
};

TEST_F(TrayIcon, CallbackMessagesBecomeEvents) {
  icon->SetPopupMenu(menu.get());
  const struct {
    bool PopupByLeft;
    std::initializer_list<LPARAM> Notifications;
    const wchar_t* Expected;
  } cases[] = {
      {false, {WM_LBUTTONDOWN, WM_LBUTTONUP}, L"downL upL click"},
      {false, {WM_LBUTTONUP}, L"upL"},
      {true, {WM_LBUTTONUP}, L"upL popup"},
      {false, {WM_RBUTTONDOWN, WM_RBUTTONUP}, L"downR upR popup"},
      {false, {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MOUSEMOVE}, L"downM upM move"},
      {false, {WM_RBUTTONDBLCLK, NIN_BALLOONHIDE}, L""},
      {false, {NIN_BALLOONSHOW, NIN_BALLOONTIMEOUT, NIN_BALLOONUSERCLICK}, L"balloonshow balloontimeout balloonclick"},
  };
  for (const auto& test : cases) {
    icon->SetPopupByLeft(test.PopupByLeft);
    EXPECT_EQ(Callbacks(test.Notifications), test.Expected);
  }
  EXPECT_EQ(menu->Popups.size(), 2u);
  EXPECT_EQ(menu->PopupComponent(), icon.get());
  icon->SetEnabled(false);
  EXPECT_EQ(Callbacks({WM_LBUTTONDOWN, WM_LBUTTONUP, NIN_BALLOONSHOW}), L"");
}

TEST_F(TrayIcon, DoubleClickRunsTheMenusDefaultItem) {
  auto* plain = new TMenuItem(menu.get());
  auto* preferred = new TMenuItem(menu.get());
  menu->Items()->Add(plain);
  menu->Items()->Add(preferred);
  preferred->SetDefault(true);
  preferred->OnClick = [this](TObject*) { Log(L"item"); };
  icon->SetPopupMenu(menu.get());
  EXPECT_EQ(Callbacks({WM_LBUTTONDBLCLK}), L"item dblclick");
  icon->SetPopupByLeft(true);
  EXPECT_EQ(Callbacks({WM_LBUTTONDBLCLK}), L"dblclick");
  menu.reset();
  EXPECT_EQ(icon->PopupMenu(), nullptr);
}

TEST_F(TrayIcon, ShellRecords) {
  ASSERT_TRUE(sys::IsWin2000orHigher);
  icon->SetHint(String(200, L'h'));
  EXPECT_TRUE(icon->SetIconID(7).Alive());
  EXPECT_TRUE(icon->SetVisible(true).Alive());
  ASSERT_FALSE(shellCalls.empty());
  TShellCall added = shellCalls.back();
  EXPECT_EQ(added.Message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(added.Data.cbSize, sizeof(NOTIFYICONDATAW));
  EXPECT_EQ(added.Data.uID, 7u);
  EXPECT_EQ(added.Data.hWnd, icon->Handle());
  EXPECT_EQ(added.Data.uCallbackMessage, WM_SYSTRAYICON);
  EXPECT_EQ(added.Data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_TIP | NIF_ICON));
  EXPECT_EQ(std::wstring(added.Data.szTip).size(), 127u);

  shellCalls.clear();
  icon->SetShowHint(false);
  EXPECT_TRUE(icon->SetIconID(8).Alive());
  ASSERT_EQ(shellCalls.size(), 3u);
  EXPECT_EQ(shellCalls[0].Message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(shellCalls[0].Data.szTip[0], L'\0');
  EXPECT_EQ(shellCalls[1].Message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(shellCalls[1].Data.uID, 7u);
  EXPECT_EQ(shellCalls[2].Message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(shellCalls[2].Data.uID, 8u);

  shellCalls.clear();
  log.clear();
  SendMessageW(icon->Handle(), WM_TASKBARCREATED, 0, 0);
  EXPECT_EQ(log, L"hide show");
  ASSERT_EQ(shellCalls.size(), 2u);
  EXPECT_EQ(shellCalls[1].Message, static_cast<DWORD>(NIM_ADD));

  icon->SetInfoText(String(300, L'i'));
  icon->SetInfoTitle(L"Title");
  icon->SetInfoType(TSysTrayIconInfoType::tiiWarning);
  icon->SetInfoTimeout(3000);
  icon->ShowBalloon();
  const TShellCall balloon = shellCalls.back();
  EXPECT_EQ(balloon.Message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(balloon.Data.uFlags, static_cast<UINT>(NIF_INFO));
  EXPECT_EQ(balloon.Data.dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
  EXPECT_EQ(balloon.Data.uTimeout, 3000u);
  EXPECT_EQ(std::wstring(balloon.Data.szInfo).size(), 255u);
  EXPECT_EQ(std::wstring(balloon.Data.szInfoTitle), L"Title");

  shellCalls.clear();
  icon.reset();
  ASSERT_EQ(shellCalls.size(), 1u);
  EXPECT_EQ(shellCalls[0].Message, static_cast<DWORD>(NIM_DELETE));
}

// A text cut at its field's limit keeps whole characters: an emoji that would straddle the limit goes whole.
TEST_F(TrayIcon, TextsAreCutBeforeASurrogatePair) {
  const String emoji = L"\U0001F600";
  const struct {
    const char* Name;
    size_t Limit;
    std::function<void(TSysTrayIcon&, const String&)> Set;
    std::function<String(const NOTIFYICONDATAW&)> Sent;
  } cases[] = {
      {"tip", 127, [](TSysTrayIcon& i, const String& t) { i.SetHint(t); },
       [](const NOTIFYICONDATAW& d) { return String(d.szTip); }},
      {"balloon text", 255, [](TSysTrayIcon& i, const String& t) { i.SetInfoText(t); },
       [](const NOTIFYICONDATAW& d) { return String(d.szInfo); }},
      {"balloon title", 63, [](TSysTrayIcon& i, const String& t) { i.SetInfoTitle(t); },
       [](const NOTIFYICONDATAW& d) { return String(d.szInfoTitle); }},
  };
  EXPECT_TRUE(icon->SetVisible(true).Alive());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    for (size_t before : {c.Limit - 1, c.Limit - 2}) {
      const String text = String(before, L'a') + emoji + L"tail";
      c.Set(*icon, text);
      icon->ShowBalloon();
      const String sent = c.Sent(shellCalls.back().Data);
      EXPECT_EQ(sent, text.substr(0, before == c.Limit - 1 ? before : c.Limit));
    }
  }
}

void AddIcons(TImageList& images, int count) {
  images.SetWidth(16);
  images.SetHeight(16);
  for (int i = 0; i < count; ++i) {
    TIcon source;
    source.SetHandle(LoadIconW(nullptr, IDI_APPLICATION));
    images.AddIcon(&source);
    source.ReleaseHandle();
  }
}

TEST_F(TrayIcon, CyclesThroughItsImageList) {
  TImageList images(nullptr);
  AddIcons(images, 3);
  int cycles = 0;
  icon->OnCycleIcons = [&cycles](TObject*) { ++cycles; };
  icon->SetImageList(&images);
  icon->SetImageIndex(1);
  EXPECT_FALSE(icon->Icon()->Empty());
  const int expected[] = {2, 0, 1, 2, 0};
  for (int index : expected) {
    SendMessageW(icon->Handle(), WM_TIMER, 1, 0);
    EXPECT_EQ(icon->ImageIndex(), index);
  }
  EXPECT_EQ(cycles, 5);
  icon->SetImageList(nullptr);
}

TEST_F(TrayIcon, ANegativeImageIndexDoesNotCycle) {
  TImageList images(nullptr);
  AddIcons(images, 3);
  int cycles = 0;
  icon->OnCycleIcons = [&cycles](TObject*) { ++cycles; };
  icon->SetImageList(&images);
  for (int index : {-1, INT_MIN}) {
    icon->SetImageIndex(index);
    for (int tick = 0; tick < 3; ++tick) SendMessageW(icon->Handle(), WM_TIMER, 1, 0);
    EXPECT_EQ(icon->ImageIndex(), index);
  }
  EXPECT_EQ(cycles, 6);
  icon->SetImageList(nullptr);
}

TEST_F(TrayIcon, MinimisingTheApplicationHidesItIntoTheTray) {
  int minimized = 0;
  icon->OnMinimize = [&minimized](TObject*) { ++minimized; };
  SendMessageW(Application->Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
  EXPECT_EQ(minimized, 0);
  icon->SetMinimizeToTray(true);
  ShowWindow(Application->Handle(), SW_SHOWNOACTIVATE);
  SendMessageW(Application->Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
  EXPECT_EQ(minimized, 1);
  EXPECT_TRUE(icon->Visible());
  EXPECT_FALSE(IsWindowVisible(Application->Handle()));
  // Taking the icon away brings the program back.
  EXPECT_TRUE(icon->SetVisible(false).Alive());
  EXPECT_TRUE(IsWindowVisible(Application->Handle()));
  ShowWindow(Application->Handle(), SW_HIDE);
}

TEST_F(TrayIcon, HidingShowsTheHiddenOwner) {
  TForm form(nullptr);
  auto* owned = new TSysTrayIcon(&form);
  EXPECT_TRUE(owned->SetVisible(true).Alive());
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(owned->SetVisible(false).Alive());
  EXPECT_TRUE(form.Visible());
}

// The icon is made under the allocation guard, so that any touch of it after a handler freed it faults.
TEST(TrayIconFreeing, AHandlerMayFreeItsOwnIcon) {
  using TArm = std::function<void(TSysTrayIcon&, TMenuItem & defaultItem, const TNotifyEvent& freeIcon)>;
  auto onMouse = [](const TNotifyEvent& freeIcon) {
    return [freeIcon](TObject* sender, TMouseButton, TShiftState, int, int) { freeIcon(sender); };
  };
  const struct {
    const char* Name;
    TArm Arm;
    std::vector<LPARAM> Callbacks;  // sent to the icon's window
    UINT Message;                   // then sent to the icon's window, or the application's when minimising
  } cases[] = {
      {"click",
       [](TSysTrayIcon& i, TMenuItem&, const TNotifyEvent& f) { i.OnClick = f; },
       {WM_LBUTTONDOWN, WM_LBUTTONUP},
       0},
      {"left press",
       [&](TSysTrayIcon& i, TMenuItem&, const TNotifyEvent& f) { i.OnMouseDown = onMouse(f); },
       {WM_LBUTTONDOWN},
       0},
      {"right release",
       [&](TSysTrayIcon& i, TMenuItem&, const TNotifyEvent& f) { i.OnMouseUp = onMouse(f); },
       {WM_RBUTTONDOWN, WM_RBUTTONUP},
       0},
      {"menu by the left button",
       [](TSysTrayIcon& i, TMenuItem&, const TNotifyEvent& f) {
         i.SetPopupByLeft(true);
         i.OnPopupMenu = f;
       },
       {WM_LBUTTONDOWN, WM_LBUTTONUP},
       0},
      {"default menu item",
       [](TSysTrayIcon&, TMenuItem& item, const TNotifyEvent& f) { item.OnClick = f; },
       {WM_LBUTTONDBLCLK},
       0},
      {"hidden for a new taskbar",
       [](TSysTrayIcon& i, TMenuItem&, const TNotifyEvent& f) {
         EXPECT_TRUE(i.SetVisible(true).Alive());
         i.OnHide = f;
       },
       {},
       WM_TASKBARCREATED},
      {"shown for a new taskbar",
       [](TSysTrayIcon& i, TMenuItem&, const TNotifyEvent& f) {
         EXPECT_TRUE(i.SetVisible(true).Alive());
         i.OnShow = f;
       },
       {},
       WM_TASKBARCREATED},
      {"minimised",
       [](TSysTrayIcon& i, TMenuItem&, const TNotifyEvent& f) {
         i.SetMinimizeToTray(true);
         i.OnMinimize = f;
       },
       {},
       WM_SIZE},
  };
  const TShellNotifyIconFunction previous = SetShellNotifyIconFunction(&RecordShellCall);
  TRecordingMenu menu(nullptr);
  auto* item = new TMenuItem(&menu);
  menu.Items()->Add(item);
  item->SetDefault(true);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TGuardedAllocations guard;
    auto icon = std::make_unique<TSysTrayIcon>();
    icon->SetPopupMenu(&menu);
    c.Arm(*icon, *item, [&icon](TObject*) { icon.reset(); });
    const HWND window = icon->Handle();
    for (LPARAM notification : c.Callbacks) SendMessageW(window, WM_SYSTRAYICON, 0, notification);
    if (c.Message == WM_SIZE)
      SendMessageW(Application->Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
    else if (c.Message != 0)
      SendMessageW(window, c.Message, 0, 0);
    EXPECT_EQ(icon, nullptr);
    item->OnClick = nullptr;
  }
  ShowWindow(Application->Handle(), SW_HIDE);
  SetShellNotifyIconFunction(previous);
}

// A timer tick whose handler frees the icon and then raises: the exception is reported without the freed icon as
// sender.
TEST(TrayIconFreeing, ACycleHandlerThatFreesTheIconAndRaises) {
  std::vector<TObject*> senders;
  const TExceptionHandler previous = SetApplicationExceptionHandler([&senders](TObject* sender) { senders.push_back(sender); });
  {
    TGuardedAllocations guard;
    auto icon = std::make_unique<TSysTrayIcon>();
    icon->OnCycleIcons = [&icon](TObject*) {
      icon.reset();
      throw Exception(L"raised after freeing");
    };
    SendMessageW(icon->Handle(), WM_TIMER, 1, 0);
    EXPECT_EQ(icon, nullptr);
  }
  SetApplicationExceptionHandler(previous);
  EXPECT_EQ(senders, std::vector<TObject*>{nullptr});
}

}  // namespace

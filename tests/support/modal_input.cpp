#include "support/modal_input.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <utility>
#include <vector>

#include "support/message_pump.h"

namespace {

constexpr DWORD kCancelInterval = 250;
constexpr int kCancelRounds = 20;

struct TWatchdog {
  DWORD uiThread = 0;
  DWORD maxMilliseconds = 0;
  HANDLE finished = nullptr;
  std::atomic<bool> timedOut{false};
};

void CancelThreadLoop(DWORD thread, int round) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (GetGUIThreadInfo(thread, &info)) {
    for (HWND wnd : {info.hwndCapture, info.hwndMenuOwner, info.hwndActive}) {
      if (!wnd) continue;
      PostMessageW(wnd, WM_CANCELMODE, 0, 0);
      PostMessageW(wnd, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
      PostMessageW(wnd, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    }
    if (info.hwndFocus) PostMessageW(info.hwndFocus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  }
  // Loops that ignore the polite requests still end on WM_QUIT, which they must pass on.
  if (round >= 2) PostThreadMessageW(thread, WM_QUIT, 0, 0);
}

DWORD WINAPI WatchdogMain(void* parameter) {
  auto* watchdog = static_cast<TWatchdog*>(parameter);
  if (WaitForSingleObject(watchdog->finished, watchdog->maxMilliseconds) == WAIT_OBJECT_0) return 0;
  watchdog->timedOut = true;
  for (int round = 0; round < kCancelRounds; ++round) {
    CancelThreadLoop(watchdog->uiThread, round);
    if (WaitForSingleObject(watchdog->finished, kCancelInterval) == WAIT_OBJECT_0) return 0;
  }
  std::fprintf(stderr, "A modal loop could not be ended; the test program stops.\n");
  std::fflush(stderr);
  std::fflush(stdout);
  // Not ExitProcess: the stuck thread may hold the locks that an orderly exit needs.
  TerminateProcess(GetCurrentProcess(), 3);
  return 0;
}

std::map<UINT_PTR, std::function<void()>>& PendingInputs() {
  static std::map<UINT_PTR, std::function<void()>> inputs;
  return inputs;
}

void CALLBACK RunPendingInput(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto& inputs = PendingInputs();
  auto found = inputs.find(id);
  if (found == inputs.end()) return;
  std::function<void()> input = std::move(found->second);
  inputs.erase(found);
  input();
}

INPUT KeyInput(WORD virtualKey, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

}  // namespace

bool RunModalWithInput(const std::function<void()>& postInput, const std::function<void()>& runModal,
                       DWORD maxMilliseconds) {
  TWatchdog watchdog;
  watchdog.uiThread = GetCurrentThreadId();
  watchdog.maxMilliseconds = maxMilliseconds;
  watchdog.finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, &WatchdogMain, &watchdog, 0, nullptr);
  auto stopWatchdog = [&] {
    SetEvent(watchdog.finished);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(watchdog.finished);
  };
  try {
    if (postInput) postInput();
    runModal();
  } catch (...) {
    stopWatchdog();
    throw;
  }
  stopWatchdog();
  if (!watchdog.timedOut) return true;
  // What the watchdog posted must not end the next loop the test runs.
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  ProcessPendingMessages();
  ADD_FAILURE() << "the modal loop did not end within " << maxMilliseconds << " ms and was cancelled";
  return false;
}

void PostInputFromLoop(std::function<void()> input, UINT delayMilliseconds) {
  UINT_PTR id = SetTimer(nullptr, 0, delayMilliseconds, &RunPendingInput);
  PendingInputs()[id] = std::move(input);
}

void InstallPendingInputDrop() {
  class TPendingInputDrop : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override {
      for (const auto& [id, input] : PendingInputs()) KillTimer(nullptr, id);
      PendingInputs().clear();
    }
  };
  testing::UnitTest::GetInstance()->listeners().Append(new TPendingInputDrop);
}

void PostKeyPress(HWND wnd, WORD virtualKey) {
  LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
  PostMessageW(wnd, WM_KEYDOWN, virtualKey, scan | 1);
  PostMessageW(wnd, WM_KEYUP, virtualKey, scan | 1 | 0xC0000000);
}

void SendKeyPress(WORD virtualKey, bool shift, bool control, bool alt) {
  std::vector<INPUT> inputs;
  std::vector<WORD> modifiers;
  if (shift) modifiers.push_back(VK_SHIFT);
  if (control) modifiers.push_back(VK_CONTROL);
  if (alt) modifiers.push_back(VK_MENU);
  for (WORD modifier : modifiers) inputs.push_back(KeyInput(modifier, false));
  inputs.push_back(KeyInput(virtualKey, false));
  inputs.push_back(KeyInput(virtualKey, true));
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) inputs.push_back(KeyInput(*it, true));
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void TypeAndSettle(WORD virtualKey, bool shift, bool control, bool alt) {
  SendKeyPress(virtualKey, shift, control, alt);
  ProcessPendingMessages();
  EXPECT_TRUE(PumpUntil([virtualKey] {
    for (int key : {static_cast<int>(virtualKey), VK_SHIFT, VK_CONTROL, VK_MENU})
      if (GetAsyncKeyState(key) & 0x8000) return false;
    return true;
  }));
  ProcessPendingMessages();
}

void SendMouse(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof(INPUT));
}

void SendMouseClick(POINT screenPoint, bool rightButton) {
  SendMouseClick(screenPoint, rightButton ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN,
                 rightButton ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
}

void SendMouseClick(POINT screenPoint, DWORD pressFlag, DWORD releaseFlag) {
  SetCursorPos(screenPoint.x, screenPoint.y);
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = pressFlag;
  inputs[1].mi.dwFlags = releaseFlag;
  SendInput(2, inputs, sizeof(INPUT));
}

namespace {

// Where the display server last put the pointer, as its own events told the platform: input the platform made
// itself (SetCursorPos, SendInput) is marked injected or never passes the low-level hook.
POINT lastDisplayPointer{-1, -1};

LRESULT CALLBACK RecordDisplayPointer(int code, WPARAM wParam, LPARAM lParam) {
  const auto* mouse = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
  if (code == HC_ACTION && wParam == WM_MOUSEMOVE && !(mouse->flags & LLMHF_INJECTED)) lastDisplayPointer = mouse->pt;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void CatchUpWithTheDisplay(POINT pointer) {
  // The platform moves its pointer and tells the window at once, before the display server has even seen the
  // move: only a move the server reports is a sign. The server reports the pointer's moves in the order it made
  // them, after every focus change made before, each followed by its word on the keys it holds, and they are read
  // together: the report of this move means those were read too. A pointer already there would make no move, so it
  // steps off first.
  HHOOK hook = SetWindowsHookExW(WH_MOUSE_LL, &RecordDisplayPointer, GetModuleHandleW(nullptr), 0);
  lastDisplayPointer = POINT{-1, -1};
  SetCursorPos(pointer.x - 1, pointer.y);
  SetCursorPos(pointer.x, pointer.y);
  const bool arrived =
      PumpUntil([pointer] { return lastDisplayPointer.x == pointer.x && lastDisplayPointer.y == pointer.y; });
  UnhookWindowsHookEx(hook);
  EXPECT_TRUE(arrived) << "the display server never reported the pointer at (" << pointer.x << ", " << pointer.y
                       << ")";
  ProcessPendingMessages();
}

void BringToTheFront(HWND window) {
  if (GetForegroundWindow() != window) SetForegroundWindow(window);
  const bool inFront = PumpUntil([window] { return GetForegroundWindow() == window && GetActiveWindow() == window; });
  EXPECT_TRUE(inFront) << "the window never became the active one";
  RECT frame{};
  GetWindowRect(window, &frame);
  CatchUpWithTheDisplay(POINT{frame.right - 1, frame.bottom - 1});
}

void ClickAndSettle(POINT screenPoint, bool rightButton) {
  SendMouseClick(screenPoint, rightButton);
  ProcessPendingMessages();
  EXPECT_TRUE(PumpUntil([] {
    return !(GetAsyncKeyState(VK_LBUTTON) & 0x8000) && !(GetAsyncKeyState(VK_RBUTTON) & 0x8000) &&
           GetCapture() == nullptr;
  }));
  ProcessPendingMessages();
}

void SendMouseDragThrough(POINT from, const std::vector<POINT>& path,
                          const std::function<void(size_t move)>& afterMove) {
  auto moveTo = [](POINT point) {
    SetCursorPos(point.x, point.y);
    SendMouse(MOUSEEVENTF_MOVE);
    ProcessPendingMessages();
  };
  moveTo(from);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  ProcessPendingMessages();
  size_t move = 0;
  for (POINT point : path) {
    moveTo(point);
    if (afterMove) afterMove(move);
    ++move;
  }
  SendMouse(MOUSEEVENTF_LEFTUP);
  ProcessPendingMessages();
}

LRESULT SendMouseMessage(HWND wnd, UINT msg, WPARAM keys, LPARAM position) {
  BYTE state[256];
  GetKeyboardState(state);
  const std::pair<WPARAM, int> buttons[] = {{MK_LBUTTON, VK_LBUTTON}, {MK_RBUTTON, VK_RBUTTON}, {MK_MBUTTON, VK_MBUTTON}};
  for (const auto& [flag, key] : buttons)
    state[key] = static_cast<BYTE>((keys & flag) ? state[key] | 0x80 : state[key] & ~0x80);
  SetKeyboardState(state);
  return SendMessageW(wnd, msg, keys, position);
}

void ProcessPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Not ours to swallow: whoever posted it runs a loop that must see it.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

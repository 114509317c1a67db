#include <deque>
#include <functional>

#include "dock_fixture.h"

namespace {

INPUT MouseInput(DWORD flags, POINT point = {}) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  if (flags & MOUSEEVENTF_ABSOLUTE) {
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    input.mi.dx = MulDiv(point.x, 65536, width) + 1;
    input.mi.dy = MulDiv(point.y, 65536, height) + 1;
  }
  return input;
}

INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

// The steps still to take: one per timer tick, so each comes after the loop handled the one before (input
// queued ahead of a window that moves under the cursor does not reliably arrive here).
std::deque<std::function<void()>> pendingSteps;

void CALLBACK TakeNextStep(HWND, UINT, UINT_PTR timer, DWORD) {
  if (pendingSteps.empty()) {
    KillTimer(nullptr, timer);
    return;
  }
  std::function<void()> step = std::move(pendingSteps.front());
  pendingSteps.pop_front();
  step();
}

void Send(INPUT input) {
  pendingSteps.push_back([input]() mutable { SendInput(1, &input, sizeof(INPUT)); });
}

}  // namespace

void SendMouseDrag(POINT from, std::initializer_list<POINT> path, bool escapeFirst, bool holdControl,
                   const std::function<void()>& beforeRelease) {
  SetCursorPos(from.x, from.y);
  ProcessPendingMessages();
  pendingSteps.clear();
  if (holdControl) Send(KeyInput(VK_CONTROL, false));
  Send(MouseInput(MOUSEEVENTF_LEFTDOWN));
  for (POINT point : path) Send(MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, point));
  if (beforeRelease) pendingSteps.push_back(beforeRelease);
  if (escapeFirst) {
    Send(KeyInput(VK_ESCAPE, false));
    Send(KeyInput(VK_ESCAPE, true));
  }
  Send(MouseInput(MOUSEEVENTF_LEFTUP));
  if (holdControl) Send(KeyInput(VK_CONTROL, true));
  SetTimer(nullptr, 0, 15, &TakeNextStep);
  for (int round = 0; round < 2000 && (!pendingSteps.empty() || GetCapture()); ++round) {
    ProcessPendingMessages();
    Sleep(5);
  }
  ProcessPendingMessages();
}

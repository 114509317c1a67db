#include <deque>

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

// The steps still to send: one per timer tick, so each is sent after the loop handled the one before (input
// queued ahead of a window that moves under the cursor does not reliably arrive here).
std::deque<INPUT> pendingInput;

void CALLBACK SendNextInput(HWND, UINT, UINT_PTR timer, DWORD) {
  if (pendingInput.empty()) {
    KillTimer(nullptr, timer);
    return;
  }
  INPUT input = pendingInput.front();
  pendingInput.pop_front();
  SendInput(1, &input, sizeof(INPUT));
}

}  // namespace

void SendMouseDrag(POINT from, std::initializer_list<POINT> path, bool escapeFirst, bool holdControl) {
  SetCursorPos(from.x, from.y);
  ProcessPendingMessages();
  pendingInput.clear();
  if (holdControl) pendingInput.push_back(KeyInput(VK_CONTROL, false));
  pendingInput.push_back(MouseInput(MOUSEEVENTF_LEFTDOWN));
  for (POINT point : path) pendingInput.push_back(MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, point));
  if (escapeFirst) {
    pendingInput.push_back(KeyInput(VK_ESCAPE, false));
    pendingInput.push_back(KeyInput(VK_ESCAPE, true));
  }
  pendingInput.push_back(MouseInput(MOUSEEVENTF_LEFTUP));
  if (holdControl) pendingInput.push_back(KeyInput(VK_CONTROL, true));
  SetTimer(nullptr, 0, 15, &SendNextInput);
  for (int round = 0; round < 2000 && (!pendingInput.empty() || GetCapture()); ++round) {
    ProcessPendingMessages();
    Sleep(5);
  }
  ProcessPendingMessages();
}

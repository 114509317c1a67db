#include "support/message_pump.h"

#include "framework/thread.h"

#include <algorithm>

namespace {

enum class TDispatched { Nothing, Message, Quit };

TDispatched DispatchOneMessage() {
  MSG message;
  if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return TDispatched::Nothing;
  if (message.message == WM_QUIT) {
    PostQuitMessage(static_cast<int>(message.wParam));
    return TDispatched::Quit;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
  return TDispatched::Message;
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  for (;;) {
    if (done()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return false;
    switch (DispatchOneMessage()) {
      case TDispatched::Message:
        continue;
      case TDispatched::Quit:
        return done();
      case TDispatched::Nothing:
        break;
    }
    if (CheckSynchronize()) continue;
    const DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(end - now, 10));
    MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
  }
}

void PumpFor(DWORD milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

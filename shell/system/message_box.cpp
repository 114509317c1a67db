#include "shell/system/message_box.h"

#include <atomic>

namespace shell {

namespace {

int WINAPI PlatformMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags) {
  return MessageBoxW(owner, text, caption, flags);
}

// Workers show boxes too.
std::atomic<TSysMessageBoxFunction> messageBox{&PlatformMessageBox};

}  // namespace

TSysMessageBoxFunction SetSysMessageBoxFunction(TSysMessageBoxFunction function) {
  return messageBox.exchange(function ? function : &PlatformMessageBox);
}

int SysMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags) {
  return messageBox.load()(owner, text, caption, flags);
}

}  // namespace shell

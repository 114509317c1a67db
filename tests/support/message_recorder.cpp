#include "support/message_recorder.h"

#include <algorithm>
#include <cstdio>

#include "support/message_names.h"

namespace {

const wchar_t kRecorderProperty[] = L"BcTestMessageRecorder";
// One thread hook at a time: the hook procedures have no other way to find their recorder.
TMessageRecorder* hookedRecorder = nullptr;

std::string DescribeRecorded(const TRecordedMessage& message) {
  char text[160];
  std::snprintf(text, sizeof text, "0x%llX %s wParam=0x%llX lParam=0x%llX",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(message.Wnd)),
                MessageName(message.Msg).c_str(), static_cast<unsigned long long>(message.WParam),
                static_cast<unsigned long long>(message.LParam));
  return text;
}

testing::AssertionResult Mismatch(const std::string& what, std::initializer_list<TExpectedMessage> expected,
                                  const std::string& recorded) {
  std::string text = what + "\nexpected:\n";
  for (const TExpectedMessage& entry : expected) text += "  " + entry.Describe() + "\n";
  text += "recorded:\n" + recorded;
  return testing::AssertionFailure() << text;
}

}  // namespace

bool TExpectedMessage::Fits(const TRecordedMessage& message) const {
  return msg_ == message.Msg && (!wParam_ || *wParam_ == message.WParam) && (!lParam_ || *lParam_ == message.LParam) &&
         (!wnd_ || wnd_ == message.Wnd);
}

std::string TExpectedMessage::Describe() const {
  std::string text = MessageName(msg_);
  char part[64];
  if (wParam_) {
    std::snprintf(part, sizeof part, " wParam=0x%llX", static_cast<unsigned long long>(*wParam_));
    text += part;
  }
  if (lParam_) {
    std::snprintf(part, sizeof part, " lParam=0x%llX", static_cast<unsigned long long>(*lParam_));
    text += part;
  }
  if (wnd_) {
    std::snprintf(part, sizeof part, " on 0x%llX", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(wnd_)));
    text += part;
  }
  if (optional_) text += " (optional)";
  return text;
}

TMessageRecorder::TMessageRecorder() = default;

TMessageRecorder::~TMessageRecorder() {
  Unhook();
  while (!subclasses_.empty()) Detach(subclasses_.back().Wnd);
}

void TMessageRecorder::Attach(HWND wnd) {
  if (GetPropW(wnd, kRecorderProperty)) return;
  SetPropW(wnd, kRecorderProperty, this);
  auto previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TMessageRecorder::SubclassProc)));
  subclasses_.push_back({wnd, previous});
}

void TMessageRecorder::Detach(HWND wnd) {
  auto found = std::find_if(subclasses_.begin(), subclasses_.end(), [wnd](const TSubclass& s) { return s.Wnd == wnd; });
  if (found == subclasses_.end()) return;
  if (IsWindow(wnd)) {
    SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(found->Previous));
    RemovePropW(wnd, kRecorderProperty);
  }
  subclasses_.erase(found);
}

LRESULT CALLBACK TMessageRecorder::SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* recorder = static_cast<TMessageRecorder*>(GetPropW(wnd, kRecorderProperty));
  auto found = std::find_if(recorder->subclasses_.begin(), recorder->subclasses_.end(),
                            [wnd](const TSubclass& s) { return s.Wnd == wnd; });
  WNDPROC previous = found->Previous;
  recorder->Record(wnd, msg, wParam, lParam);
  // The window dies after this message: give it back its own procedure so nothing reaches a stale record.
  if (msg == WM_NCDESTROY) recorder->Detach(wnd);
  return CallWindowProcW(previous, wnd, msg, wParam, lParam);
}

void TMessageRecorder::HookThread(std::function<bool(HWND)> filter) {
  if (hookedRecorder) Unhook();
  hookFilter_ = std::move(filter);
  hookedRecorder = this;
  callHook_ = SetWindowsHookExW(WH_CALLWNDPROC, &TMessageRecorder::CallWndProcHook, nullptr, GetCurrentThreadId());
  getHook_ = SetWindowsHookExW(WH_GETMESSAGE, &TMessageRecorder::GetMessageHook, nullptr, GetCurrentThreadId());
}

void TMessageRecorder::Unhook() {
  if (hookedRecorder != this) return;
  if (callHook_) UnhookWindowsHookEx(callHook_);
  if (getHook_) UnhookWindowsHookEx(getHook_);
  callHook_ = getHook_ = nullptr;
  hookedRecorder = nullptr;
}

LRESULT CALLBACK TMessageRecorder::CallWndProcHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && hookedRecorder) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    hookedRecorder->RecordFromHook(sent->hwnd, sent->message, sent->wParam, sent->lParam);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK TMessageRecorder::GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  // A peek that leaves the message in the queue would record it twice.
  if (code == HC_ACTION && wParam == PM_REMOVE && hookedRecorder) {
    const auto* taken = reinterpret_cast<const MSG*>(lParam);
    hookedRecorder->RecordFromHook(taken->hwnd, taken->message, taken->wParam, taken->lParam);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void TMessageRecorder::RecordFromHook(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!hookFilter_ || hookFilter_(wnd)) Record(wnd, msg, wParam, lParam);
}

void TMessageRecorder::Ignore(std::initializer_list<UINT> messages) {
  ignored_.insert(messages.begin(), messages.end());
}

void TMessageRecorder::Record(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (enabled_ && !ignored_.count(msg)) messages_.push_back({wnd, msg, wParam, lParam});
}

std::vector<TRecordedMessage> TMessageRecorder::Of(UINT msg) const {
  std::vector<TRecordedMessage> found;
  std::copy_if(messages_.begin(), messages_.end(), std::back_inserter(found),
               [msg](const TRecordedMessage& m) { return m.Msg == msg; });
  return found;
}

int TMessageRecorder::Count(UINT msg) const {
  return static_cast<int>(
      std::count_if(messages_.begin(), messages_.end(), [msg](const TRecordedMessage& m) { return m.Msg == msg; }));
}

std::string TMessageRecorder::Describe() const {
  std::string text;
  for (const TRecordedMessage& message : messages_) text += "  " + DescribeRecorded(message) + "\n";
  return text;
}

testing::AssertionResult TMessageRecorder::Matches(std::initializer_list<TExpectedMessage> expected) const {
  auto entry = expected.begin();
  size_t index = 0;
  while (index < messages_.size()) {
    const TRecordedMessage& actual = messages_[index];
    if (entry != expected.end() && entry->Fits(actual)) {
      ++entry;
      ++index;
    } else if (entry != expected.end() && entry->IsOptional()) {
      ++entry;
    } else {
      std::string where = "recorded message " + std::to_string(index) + " (" + DescribeRecorded(actual) + ") ";
      where += entry == expected.end() ? "comes after the expected sequence ended"
                                       : "where " + entry->Describe() + " was expected";
      return Mismatch(where, expected, Describe());
    }
  }
  for (; entry != expected.end(); ++entry)
    if (!entry->IsOptional()) return Mismatch("missing " + entry->Describe() + " at the end", expected, Describe());
  return testing::AssertionSuccess();
}

testing::AssertionResult TMessageRecorder::ContainsInOrder(std::initializer_list<TExpectedMessage> expected) const {
  size_t index = 0;
  for (const TExpectedMessage& entry : expected) {
    size_t found = index;
    while (found < messages_.size() && !entry.Fits(messages_[found])) ++found;
    if (found < messages_.size()) {
      index = found + 1;
    } else if (!entry.IsOptional()) {
      return Mismatch("missing " + entry.Describe() + " after recorded message " + std::to_string(index), expected,
                      Describe());
    }
  }
  return testing::AssertionSuccess();
}

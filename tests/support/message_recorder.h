// Records the messages that windows receive, for message-sequence checks: subclass chosen windows, or hook every
// window of the thread (which also sees WM_NCCREATE/WM_CREATE of windows made later), then compare the record
// against an expected sequence whose entries may be optional and may pin WParam, LParam or the window.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct TRecordedMessage {
  HWND Wnd = nullptr;
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
};

// One entry of an expected sequence: a plain message number, or Expect(msg) narrowed with WParam, LParam, On and
// Optional, e.g. {WM_SETFOCUS, Expect(WM_KEYDOWN).WParam(VK_RETURN), Expect(WM_NCPAINT).Optional()}.
class TExpectedMessage {
 public:
  TExpectedMessage(UINT msg) : msg_(msg) {}

  TExpectedMessage& WParam(WPARAM value) {
    wParam_ = value;
    return *this;
  }
  TExpectedMessage& LParam(LPARAM value) {
    lParam_ = value;
    return *this;
  }
  // Only a message to this window fits.
  TExpectedMessage& On(HWND wnd) {
    wnd_ = wnd;
    return *this;
  }
  // The entry may be missing from the record.
  TExpectedMessage& Optional() {
    optional_ = true;
    return *this;
  }

  bool IsOptional() const { return optional_; }
  bool Fits(const TRecordedMessage& message) const;
  std::string Describe() const;

 private:
  UINT msg_;
  std::optional<WPARAM> wParam_;
  std::optional<LPARAM> lParam_;
  HWND wnd_ = nullptr;
  bool optional_ = false;
};

inline TExpectedMessage Expect(UINT msg) { return TExpectedMessage(msg); }

class TMessageRecorder {
 public:
  TMessageRecorder();
  TMessageRecorder(const TMessageRecorder&) = delete;
  TMessageRecorder& operator=(const TMessageRecorder&) = delete;
  // Undoes every subclassing and hook.
  ~TMessageRecorder();

  // Subclasses the window: each message is recorded before the window's own procedure sees it.
  void Attach(HWND wnd);
  void Detach(HWND wnd);
  // Records every message sent to or retrieved for a window of this thread while the hook is on; the filter,
  // when given, chooses the windows. Posted messages are recorded when they are taken from the queue.
  void HookThread(std::function<bool(HWND)> filter = {});
  void Unhook();

  // Messages never recorded (noise such as WM_GETICON or WM_NCHITTEST).
  void Ignore(std::initializer_list<UINT> messages);
  // Stops and resumes recording without detaching.
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  void Record(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void Clear() { messages_.clear(); }

  const std::vector<TRecordedMessage>& Messages() const { return messages_; }
  std::vector<TRecordedMessage> Of(UINT msg) const;
  int Count(UINT msg) const;

  // The whole record, in order, must match the expected entries (optional entries may be absent).
  testing::AssertionResult Matches(std::initializer_list<TExpectedMessage> expected) const;
  // The expected entries must appear in this order; other recorded messages between them are ignored.
  testing::AssertionResult ContainsInOrder(std::initializer_list<TExpectedMessage> expected) const;
  // The record as one message per line: "0x0001A2 WM_SIZE wParam=0 lParam=0x00C80064".
  std::string Describe() const;

 private:
  struct TSubclass {
    HWND Wnd;
    WNDPROC Previous;
  };
  static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK CallWndProcHook(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam);
  void RecordFromHook(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

  std::vector<TRecordedMessage> messages_;
  std::vector<TSubclass> subclasses_;
  std::set<UINT> ignored_;
  std::function<bool(HWND)> hookFilter_;
  HHOOK callHook_ = nullptr;
  HHOOK getHook_ = nullptr;
  bool enabled_ = true;
};

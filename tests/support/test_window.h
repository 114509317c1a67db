// A plain top-level window for tests, whose messages go to a callable: the target for recorders, captures and
// input, and a parent for controls under test.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

class TTestWindow {
 public:
  // Answers a value for the messages it handles, nothing for those DefWindowProc should handle.
  using THandler = std::function<std::optional<LRESULT>(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)>;

  // A visible pop-up window with the given screen rectangle (no frame, so the client area is the window).
  explicit TTestWindow(RECT bounds = {100, 100, 300, 250}, THandler handler = {}, DWORD style = WS_POPUP | WS_VISIBLE,
                       DWORD exStyle = 0);
  TTestWindow(const TTestWindow&) = delete;
  TTestWindow& operator=(const TTestWindow&) = delete;
  ~TTestWindow();

  HWND Handle() const { return wnd_; }
  void SetHandler(THandler handler) { handler_ = std::move(handler); }

 private:
  static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

  HWND wnd_ = nullptr;
  THandler handler_;
};

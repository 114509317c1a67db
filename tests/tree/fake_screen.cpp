#include "fake_screen.h"

#include <cstdlib>

#include "tree/screen_source.h"

namespace tree_test {

namespace {

constexpr int ScreenWidth = 640;
constexpr int ScreenHeight = 480;
HDC fakeScreenDC = nullptr;

HDC AcquireFake() { return fakeScreenDC; }
void ReleaseFake(HDC) {}

}  // namespace

TFakeScreen::TFakeScreen() : capture_(ScreenWidth, ScreenHeight) {
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x) capture_.SetPixel(x, y, Original(x, y));
  fakeScreenDC = capture_.DC();
  tree::SetScreenSource(&AcquireFake, &ReleaseFake);
}

TFakeScreen::~TFakeScreen() {
  tree::SetScreenSource(nullptr, nullptr);
  fakeScreenDC = nullptr;
}

COLORREF TFakeScreen::Original(int x, int y) { return RGB(x % 256, (x / 256) * 60 + 30, y % 200); }

int TFakeScreen::ChangedPixels(const RECT& r) const {
  int changed = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) changed += capture_.Pixel(x, y) != Original(x, y);
  return changed;
}

COLORREF Blend(COLORREF background, COLORREF foreground, int alpha) {
  auto channel = [&](int b, int f) { return b + (((f - b) * alpha) >> 8); };
  return RGB(channel(GetRValue(background), GetRValue(foreground)),
             channel(GetGValue(background), GetGValue(foreground)),
             channel(GetBValue(background), GetBValue(foreground)));
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

}  // namespace tree_test

#include "tree/screen_source.h"

namespace tree {

namespace {

HDC AcquireScreen() { return GetDC(nullptr); }
void ReleaseScreen(HDC dc) { ReleaseDC(nullptr, dc); }

TScreenSource screenSource = &AcquireScreen;
TScreenRelease screenRelease = &ReleaseScreen;

}  // namespace

void SetScreenSource(TScreenSource acquire, TScreenRelease release) {
  screenSource = acquire ? acquire : &AcquireScreen;
  screenRelease = release ? release : &ReleaseScreen;
}

TScreenDC::TScreenDC() : dc_(screenSource()) {}

TScreenDC::~TScreenDC() { screenRelease(dc_); }

}  // namespace tree

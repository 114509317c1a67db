#include "controls/xp_unit.h"

#include <array>
#include <memory>

#include "controls/xp_button.h"
#include "controls/xp_check_box.h"
#include "controls/xp_radio_box.h"
#include "framework/screen.h"

namespace controls {

namespace {

constexpr std::array<const wchar_t*, 3> kSkinNames{L"XPBUTTON", L"XPCHECKBOX", L"XPRADIOBOX"};

std::array<std::unique_ptr<TBitmap>, 3>& Skins() {
  static std::array<std::unique_ptr<TBitmap>, 3> skins;
  return skins;
}

std::array<const TClass*, 3> XPClasses() {
  return {TXP_Button::StaticClass(), TXP_CheckBox::StaticClass(), TXP_RadioBox::StaticClass()};
}

void InitializeXP() {
  const auto cursor =
      static_cast<HCURSOR>(LoadImageW(GetModuleHandleW(nullptr), L"XPHANDCUR", IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
  if (cursor && Screen) Screen->SetCursors(crXPHand, cursor);
  for (const TClass* c : XPClasses()) RegisterPersistentClass(c);
}

void FinalizeXP() {
  for (const TClass* c : XPClasses()) UnregisterPersistentClass(c);
  for (auto& skin : Skins()) skin.reset();
}

// Copies the source strip's part along one axis: what lies before the middle line to the start, what lies after
// it to the end, and the middle line stretched over the gap between.
void StretchAxis(HDC dest, int destLength, int destAcross, HDC source, int sourceX, int sourceY, int sourceLength,
                 bool horizontal) {
  const int middle = sourceLength / 2;
  const int after = sourceLength - middle - 1;
  auto blit = [&](int destStart, int destExtent, int sourceStart, int sourceExtent) {
    if (destExtent <= 0 || sourceExtent <= 0) return;
    if (horizontal)
      StretchBlt(dest, destStart, 0, destExtent, destAcross, source, sourceX + sourceStart, sourceY, sourceExtent,
                 destAcross, SRCCOPY);
    else
      StretchBlt(dest, 0, destStart, destAcross, destExtent, source, sourceX, sourceY + sourceStart, destAcross,
                 sourceExtent, SRCCOPY);
  };
  blit(middle, destLength - middle - after, middle, 1);
  blit(0, middle, 0, middle);
  blit(destLength - after, after, middle + 1, after);
}

}  // namespace

TBitmap* XPSkin(TXPSkin skin) {
  auto& held = Skins()[static_cast<size_t>(skin)];
  if (!held) {
    held = std::make_unique<TBitmap>();
    held->LoadFromResourceName(GetModuleHandleW(nullptr), kSkinNames[static_cast<size_t>(skin)]);
  }
  return held.get();
}

RECT XPSkinFrame(TXPSkin skin, int frame) {
  const SIZE size = skin == TXPSkin::Button ? kXPButtonFrame : SIZE{kXPBoxFrame, kXPBoxFrame};
  return RECT{size.cx * (frame - 1), 0, size.cx * frame, size.cy};
}

void DrawStretchedButtonFrame(TCanvas* canvas, const RECT& dest, int frame) {
  const int width = dest.right - dest.left;
  const int height = dest.bottom - dest.top;
  if (width <= 0 || height <= 0) return;
  TBitmap* strip = XPSkin(TXPSkin::Button);
  const RECT source = XPSkinFrame(TXPSkin::Button, frame);
  // First across: the frame's height at the target width; then down: the target height.
  TBitmap wide;
  wide.SetSize(width, kXPButtonFrame.cy);
  StretchAxis(wide.Canvas()->Handle(), width, kXPButtonFrame.cy, strip->Canvas()->Handle(), source.left, 0,
              kXPButtonFrame.cx, true);
  TBitmap whole;
  whole.SetSize(width, height);
  StretchAxis(whole.Canvas()->Handle(), height, width, wide.Canvas()->Handle(), 0, 0, kXPButtonFrame.cy, false);
  canvas->Draw(dest.left, dest.top, &whole);
}

const TUnit& XPUnit() {
  static const TUnit unit{L"XP_Unit", &InitializeXP, &FinalizeXP, {&ControlsUnit()}};
  return unit;
}

}  // namespace controls

// The component set's further colour names, which stored forms and colour editors accept beside the framework's
// own while the set is started.
#pragma once

#include <span>

#include "framework/graphics.h"

namespace shell {

constexpr TColor clBrown = 0x00003090;
constexpr TColor clOliveGreen = 0x00003030;
constexpr TColor clDarkGreen = 0x00003000;
constexpr TColor clDarkTeal = 0x00603000;
constexpr TColor clIndigo = 0x00903030;
constexpr TColor clNight = 0x00303030;
constexpr TColor clOrange = 0x000068FF;
constexpr TColor clBlueGray = 0x00906060;
constexpr TColor clLightOrange = 0x000098FF;
constexpr TColor clSeaGreen = 0x00609830;
constexpr TColor clLightBlue = 0x00FF6830;
constexpr TColor clMetal = 0x00909090;
constexpr TColor clGold = 0x0000C8FF;
constexpr TColor clPlum = 0x00603090;
constexpr TColor clRose = 0x00D098FF;
constexpr TColor clTan = 0x00A0C8FF;
constexpr TColor clLightYellow = 0x0090FFFF;
constexpr TColor clLightGreen = 0x00D0FFD0;
constexpr TColor clLightTurquoise = 0x00FFFFC0;
constexpr TColor clPaleBlue = 0x00FFC890;
constexpr TColor clLavender = 0x00FF98C0;

std::span<const TColorName> ExtendedColorNames();

}  // namespace shell

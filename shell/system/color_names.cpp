#include "shell/system/color_names.h"

namespace shell {

std::span<const TColorName> ExtendedColorNames() {
  static const TColorName names[] = {
      {clBrown, L"clBrown"},
      {clOliveGreen, L"clOliveGreen"},
      {clDarkGreen, L"clDarkGreen"},
      {clDarkTeal, L"clDarkTeal"},
      {clIndigo, L"clIndigo"},
      {clNight, L"clNight"},
      {clOrange, L"clOrange"},
      {clBlueGray, L"clBlueGray"},
      {clLightOrange, L"clLightOrange"},
      {clSeaGreen, L"clSeaGreen"},
      {clLightBlue, L"clLightBlue"},
      {clMetal, L"clMetal"},
      {clGold, L"clGold"},
      {clPlum, L"clPlum"},
      {clRose, L"clRose"},
      {clTan, L"clTan"},
      {clLightYellow, L"clLightYellow"},
      {clLightGreen, L"clLightGreen"},
      {clLightTurquoise, L"clLightTurquoise"},
      {clPaleBlue, L"clPaleBlue"},
      {clLavender, L"clLavender"},
  };
  return names;
}

}  // namespace shell

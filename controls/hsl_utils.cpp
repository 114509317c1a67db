#include "controls/hsl_utils.h"

#include <algorithm>
#include <cmath>

namespace controls {

namespace {

// Rounds to the nearest integer, a tie going to the even one.
int RoundEven(double value) { return static_cast<int>(std::nearbyint(value)); }

int ToChannel(double value) { return std::clamp(RoundEven(value * 255), 0, 255); }

double HueToValue(double m1, double m2, double h) {
  if (h < 0) h += 1;
  if (h > 1) h -= 1;
  if (6 * h < 1) return m1 + (m2 - m1) * h * 6;
  if (2 * h < 1) return m2;
  if (3 * h < 2) return m1 + (m2 - m1) * (2.0 / 3 - h) * 6;
  return m1;
}

}  // namespace

TColor HSLtoRGB(double H, double S, double L) {
  if (S == 0) {
    const int grey = ToChannel(L);
    return static_cast<TColor>(RGB(grey, grey, grey));
  }
  const double m2 = L <= 0.5 ? L * (1 + S) : L + S - L * S;
  const double m1 = 2 * L - m2;
  return static_cast<TColor>(RGB(ToChannel(HueToValue(m1, m2, H + 1.0 / 3)), ToChannel(HueToValue(m1, m2, H)),
                                 ToChannel(HueToValue(m1, m2, H - 1.0 / 3))));
}

TColor HSLRangeToRGB(int H, int S, int L) {
  return HSLtoRGB(static_cast<double>(H) / (HSLRange - 1), static_cast<double>(S) / HSLRange,
                  static_cast<double>(L) / HSLRange);
}

void RGBtoHSL(TColor color, double& H, double& S, double& L) {
  const auto rgb = static_cast<COLORREF>(ColorToRGB(color));
  const double r = GetRValue(rgb) / 255.0;
  const double g = GetGValue(rgb) / 255.0;
  const double b = GetBValue(rgb) / 255.0;
  const double high = std::max({r, g, b});
  const double low = std::min({r, g, b});
  L = (high + low) / 2;
  if (high == low) {
    H = 0;
    S = 0;
    return;
  }
  const double d = high - low;
  S = L < 0.5 ? d / (high + low) : d / (2 - high - low);
  if (r == high)
    H = (g - b) / d;
  else if (g == high)
    H = 2 + (b - r) / d;
  else
    H = 4 + (r - g) / d;
  H /= 6;
  if (H < 0) H += 1;
}

void RGBtoHSLRange(TColor color, int& H, int& S, int& L) {
  double h = 0;
  double s = 0;
  double l = 0;
  RGBtoHSL(color, h, s, l);
  H = RoundEven(h * (HSLRange - 1));
  S = RoundEven(s * HSLRange);
  L = RoundEven(l * HSLRange);
}

}  // namespace controls

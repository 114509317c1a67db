#include "toolbars/theme/color_utils.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "toolbars/theme/stock_objects.h"

namespace toolbars {

namespace {

constexpr std::uint32_t kOuterBytesMask = 0x00FF00FF;
constexpr std::uint32_t kMiddleByteMask = 0x0000FF00;

// The eye's weight of red, green and blue, so that a channel spans 0..195, 0..390 and 0..65.
constexpr std::array<double, 3> kWeights{0.764706, 1.52941, 0.254902};
constexpr std::array<double, 3> kWeightedMax{195.0, 390.0, 65.0};
// The brightness under which a base asks for more distance, and the length of the weighted white.
constexpr double kDarkBase = 220.0;
constexpr double kWeightedWhite = 442.0;

using TVector = std::array<double, 3>;

std::uint32_t Rgb(TColor color) { return static_cast<std::uint32_t>(ColorToRGB(color)) & 0xFFFFFF; }

int Channel(std::uint32_t rgb, int index) { return static_cast<int>((rgb >> (8 * index)) & 0xFF); }

TColor FromChannels(int red, int green, int blue) { return static_cast<TColor>(red | (green << 8) | (blue << 16)); }

TVector Weighted(std::uint32_t rgb) {
  return {Channel(rgb, 0) * kWeights[0], Channel(rgb, 1) * kWeights[1], Channel(rgb, 2) * kWeights[2]};
}

double Dot(const TVector& a, const TVector& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double Length(const TVector& a) { return std::sqrt(Dot(a, a)); }
double Distance(const TVector& a, const TVector& b) { return Length(TVector{a[0] - b[0], a[1] - b[1], a[2] - b[2]}); }

TVector Inverted(const TVector& a) { return {kWeightedMax[0] - a[0], kWeightedMax[1] - a[1], kWeightedMax[2] - a[2]}; }

}  // namespace

std::uint32_t BlendBytes(std::uint32_t a, std::uint32_t b, std::uint32_t weight) {
  // The two outer bytes blend together: neither product reaches the other's byte.
  const std::uint32_t outer =
      (((a & kOuterBytesMask) * weight + (b & kOuterBytesMask) * (255 - weight)) >> 8) & kOuterBytesMask;
  const std::uint32_t middle =
      (((a & kMiddleByteMask) * weight + (b & kMiddleByteMask) * (255 - weight)) >> 8) & kMiddleByteMask;
  return outer | middle;
}

TColor BlendColors(TColor c1, TColor c2, int weight) {
  const std::uint32_t w = static_cast<std::uint32_t>(std::clamp(weight, 0, 255));
  return static_cast<TColor>(BlendBytes(Rgb(c1), Rgb(c2), w));
}

TColor BlendColorsNearest(TColor c1, TColor c2, int weight) {
  const COLORREF nearest = GetNearestColor(StockNearestColorDC(), static_cast<COLORREF>(BlendColors(c1, c2, weight)));
  return nearest == CLR_INVALID ? BlendColors(c1, c2, weight) : static_cast<TColor>(nearest);
}

TColor ShiftColorBrightness(TColor color, int amount) {
  const std::uint32_t rgb = Rgb(color);
  const auto shift = [&](int index) { return std::clamp(Channel(rgb, index) + amount, 0, 255); };
  return FromChannels(shift(0), shift(1), shift(2));
}

int ColorLuminance(TColor color) {
  const std::uint32_t rgb = Rgb(color);
  return (77 * Channel(rgb, 0) + 151 * Channel(rgb, 1) + 28 * Channel(rgb, 2)) >> 8;
}

TColor MixColorsPercent(TColor c1, TColor c2, int weight) {
  const int scale = weight < 100 ? 100 : 1000;
  const int rounding = scale / 2;
  const std::uint32_t a = Rgb(c1);
  const std::uint32_t b = Rgb(c2);
  const auto mix = [&](int index) {
    return ((Channel(a, index) * weight + Channel(b, index) * (scale - weight) + rounding) / scale) & 0xFF;
  };
  return FromChannels(mix(0), mix(1), mix(2));
}

void EnsureContrast(TColor& color, TColor base, int minDistance) {
  const std::uint32_t colorRgb = Rgb(color);
  color = static_cast<TColor>(colorRgb);
  TVector c = Weighted(colorRgb);
  TVector b = Weighted(Rgb(base));
  const double baseBrightness = Length(b);
  double required = minDistance;
  if (baseBrightness < kDarkBase) required *= 2.0 - baseBrightness / kDarkBase;
  if (Distance(c, b) > required) return;

  // Shortening c darkens it; in the inverted space the same move lightens it.
  const bool inverted =
      Length(c) <= baseBrightness ? baseBrightness < required : kWeightedWhite - required > baseBrightness;
  if (inverted) {
    c = Inverted(c);
    b = Inverted(b);
  }
  const double length = std::max(Length(c), 0.01);
  const double along = Dot(c, b) / length;
  const TVector foot{c[0] * along / length, c[1] * along / length, c[2] * along / length};
  const double offLine = Dot(TVector{foot[0] - b[0], foot[1] - b[1], foot[2] - b[2]},
                             TVector{foot[0] - b[0], foot[1] - b[1], foot[2] - b[2]});
  const double newLength = along - std::sqrt(std::max(required * required - offLine, 0.0));
  TVector moved{c[0] * newLength / length, c[1] * newLength / length, c[2] * newLength / length};
  if (inverted) moved = Inverted(moved);

  std::array<int, 3> channels{};
  for (size_t i = 0; i < 3; ++i) {
    const double weighted = std::clamp(moved[i], 0.0, kWeightedMax[i]);
    channels[i] = std::clamp(static_cast<int>(weighted / kWeights[i] + 0.5), 0, 255);
  }
  color = FromChannels(channels[0], channels[1], channels[2]);
}

TColor Contrasted(TColor color, TColor base, int minDistance) {
  EnsureContrast(color, base, minDistance);
  return color;
}

}  // namespace toolbars

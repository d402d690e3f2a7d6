#include "ui/form_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kestro {
namespace {

constexpr float kFallbackDpi = 96.0f;

float UsableDpi(float dpi) { return std::isfinite(dpi) && dpi > 0 ? dpi : kFallbackDpi; }

float ToTwips(int pixels, float dpi) { return static_cast<float>(pixels) * kTwipsPerInch / UsableDpi(dpi); }

int ToPixels(float twips, float dpi) {
  const float pixels = std::round(twips * UsableDpi(dpi) / kTwipsPerInch);
  if (!(pixels > 0)) return 0;  // negative, zero or not a number
  // Checked in float: the largest int is not a float, the next power of two is.
  if (pixels >= static_cast<float>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  return static_cast<int>(pixels);
}

}  // namespace

TwipsSize PixelsToTwips(PixelSize pixels, ScreenDpi dpi) {
  return {ToTwips(pixels.width, dpi.x), ToTwips(pixels.height, dpi.y)};
}

PixelSize TwipsToPixels(TwipsSize twips, ScreenDpi dpi) {
  return {ToPixels(twips.width, dpi.x), ToPixels(twips.height, dpi.y)};
}

PixelPoint TwipsToPixels(TwipsPoint twips, ScreenDpi dpi) {
  return {ToPixels(twips.x, dpi.x), ToPixels(twips.y, dpi.y)};
}

TwipsSize Text1SizeForOuterSize(TwipsSize outer) {
  return {std::max(0.0f, outer.width - kText1OuterMargin.width),
          std::max(0.0f, outer.height - kText1OuterMargin.height)};
}

}  // namespace kestro

#include <gtest/gtest.h>

#include "ui/win32/kestro_ui.h"

namespace kestro {
namespace {

TEST(FormLayout, TwipsToPixelsAtCommonResolutions) {
  const struct {
    float dpi;
    int clientWidth, clientHeight, text1Left;
  } cases[] = {
      {96.0f, 455, 359, 8},    // 15 twips to a pixel
      {120.0f, 569, 449, 10},  // 6825 * 120 / 1440 = 568.75
      {144.0f, 683, 539, 12},  // 682.5 rounds away from zero
      {192.0f, 910, 718, 16},
  };
  for (const auto& [dpi, clientWidth, clientHeight, text1Left] : cases) {
    const FormLayout layout{dpi, dpi};
    EXPECT_EQ(layout.ToPixelsX(FormLayout::kClientWidth), clientWidth) << dpi;
    EXPECT_EQ(layout.ToPixelsY(FormLayout::kClientHeight), clientHeight) << dpi;
    EXPECT_EQ(layout.ToPixelsX(FormLayout::kText1Left), text1Left) << dpi;
    EXPECT_FLOAT_EQ(layout.ToTwipsX(clientWidth), static_cast<float>(clientWidth) * 1440.0f / dpi);
  }
}

TEST(FormLayout, Text1KeepsItsMarginsAndNeverGoesNegative) {
  EXPECT_FLOAT_EQ(FormLayout::Text1Width(7065.0f), 6765.0f);
  EXPECT_FLOAT_EQ(FormLayout::Text1Height(6000.0f), 5200.0f);
  EXPECT_FLOAT_EQ(FormLayout::Text1Width(300.0f), 0.0f);
  EXPECT_FLOAT_EQ(FormLayout::Text1Height(800.0f), 0.0f);
  EXPECT_FLOAT_EQ(FormLayout::Text1Width(120.0f), 0.0f);  // minimised: 0, not negative
  EXPECT_FLOAT_EQ(FormLayout::Text1Height(420.0f), 0.0f);
  EXPECT_FLOAT_EQ(FormLayout::Text1Width(-15.0f), 0.0f);
}

}  // namespace
}  // namespace kestro

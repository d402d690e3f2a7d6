#include "ui/form_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kestro {
namespace {

TEST(FormGeometry, DesignedLayoutInPixelsAtCommonDpi) {
  struct Case {
    float dpi;
    PixelSize clientArea;
    PixelPoint text1Position;
    PixelSize text1Size;
  };
  // 15 twips a pixel at 96 dpi, 12 at 120, 10 at 144; 6825 / 12 = 568.75 rounds up.
  const Case cases[] = {
      {96, {455, 359}, {8, 8}, {441, 345}},
      {120, {569, 449}, {10, 10}, {551, 431}},
      {144, {683, 539}, {12, 12}, {662, 518}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    const ScreenDpi dpi{c.dpi, c.dpi};
    EXPECT_EQ(TwipsToPixels(kInitialClientArea, dpi), c.clientArea);
    EXPECT_EQ(TwipsToPixels(kText1Position, dpi), c.text1Position);
    EXPECT_EQ(TwipsToPixels(kInitialText1Size, dpi), c.text1Size);
  }
}

TEST(FormGeometry, AcrossAndDownUseTheirOwnDpi) {
  EXPECT_EQ(TwipsToPixels(TwipsSize{1440, 1440}, ScreenDpi{96, 120}), (PixelSize{96, 120}));
  const TwipsSize twips = PixelsToTwips({96, 120}, ScreenDpi{96, 120});
  EXPECT_FLOAT_EQ(twips.width, 1440);
  EXPECT_FLOAT_EQ(twips.height, 1440);
}

TEST(FormGeometry, ScreenWithoutUsableDpiCountsAs96) {
  for (const float dpi :
       {0.0f, -96.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
    SCOPED_TRACE(dpi);
    EXPECT_EQ(TwipsToPixels(kInitialClientArea, ScreenDpi{dpi, dpi}), (PixelSize{455, 359}));
    EXPECT_FLOAT_EQ(PixelsToTwips({2, 2}, ScreenDpi{dpi, dpi}).width, 30);
  }
}

TEST(FormGeometry, PixelsAreNeverNegativeNorOverflow) {
  EXPECT_EQ(TwipsToPixels(TwipsSize{-15, -1e30f}, ScreenDpi{}), (PixelSize{0, 0}));
  EXPECT_EQ(TwipsToPixels(TwipsSize{std::numeric_limits<float>::quiet_NaN(), 7}, ScreenDpi{}), (PixelSize{0, 0}));
  EXPECT_EQ(TwipsToPixels(TwipsSize{1e30f, std::numeric_limits<float>::infinity()}, ScreenDpi{}),
            (PixelSize{std::numeric_limits<int>::max(), std::numeric_limits<int>::max()}));
}

TEST(FormGeometry, Text1FollowsTheOuterSize) {
  struct Case {
    TwipsSize outer;
    TwipsSize text1;
  };
  const Case cases[] = {
      {{7065, 5715}, {6765, 4915}},  // a 471 x 381 pixel window at 96 dpi
      {{300, 800}, {0, 0}},          // exactly the margins
      {{301, 801}, {1, 1}},
      {{299, 5000}, {0, 4200}},  // too narrow: width only
      {{5000, 15}, {4700, 0}},   // too low: height only
      {{0, 0}, {0, 0}},          // minimised to nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.outer.width << " x " << c.outer.height);
    const TwipsSize text1 = Text1SizeForOuterSize(c.outer);
    EXPECT_FLOAT_EQ(text1.width, c.text1.width);
    EXPECT_FLOAT_EQ(text1.height, c.text1.height);
  }
}

TEST(FormGeometry, Text1InPixelsForWindowsSeenAt96Dpi) {
  // 300 twips are 20 pixels; 800 are 53 1/3, so the box is 53 pixels lower
  // than the window once the window is 54 pixels high.
  struct Case {
    PixelSize outer;
    PixelSize text1;
  };
  const Case cases[] = {
      {{457, 384}, {437, 331}}, {{1024, 768}, {1004, 715}}, {{21, 54}, {1, 1}}, {{20, 53}, {0, 0}}, {{1, 1}, {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.outer.width << " x " << c.outer.height);
    const ScreenDpi dpi{96, 96};
    EXPECT_EQ(TwipsToPixels(Text1SizeForOuterSize(PixelsToTwips(c.outer, dpi)), dpi), c.text1);
  }
}

}  // namespace
}  // namespace kestro

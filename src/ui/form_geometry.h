#pragma once

// The viewer form's layout, kept in twips (1/1440 inch) as single-precision
// numbers the way the form was designed, and turned into whole pixels by the
// screen's dots per inch only where a window toolkit needs them.
namespace kestro {

inline constexpr float kTwipsPerInch = 1440.0f;

struct TwipsSize {
  float width = 0;
  float height = 0;
};

struct TwipsPoint {
  float x = 0;
  float y = 0;
};

struct PixelSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

struct PixelPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// Pixels per inch across and down, as the screen reports them for the
// coordinates windows are placed in.
struct ScreenDpi {
  float x = 96;
  float y = 96;
};

// KestroUI as designed: its client area when it opens, and Text1's place and
// first size within that client area.
inline constexpr TwipsSize kInitialClientArea{6825, 5385};
inline constexpr TwipsPoint kText1Position{120, 120};
inline constexpr TwipsSize kInitialText1Size{6615, 5175};

// How much narrower and lower than the window's outer size Text1 is kept.
inline constexpr TwipsSize kText1OuterMargin{300, 800};

// `pixels` in twips at `dpi`. A screen that reports no usable dots per inch
// counts as 96.
TwipsSize PixelsToTwips(PixelSize pixels, ScreenDpi dpi);

// `twips` in whole pixels at `dpi`, rounded to the nearest; never negative.
PixelSize TwipsToPixels(TwipsSize twips, ScreenDpi dpi);
PixelPoint TwipsToPixels(TwipsPoint twips, ScreenDpi dpi);

// Form_Resize's rule: Text1 is the window's outer size (frame and title bar
// included) less kText1OuterMargin. A window too small for that leaves Text1
// at zero rather than at a size no text box can take.
TwipsSize Text1SizeForOuterSize(TwipsSize outer);

}  // namespace kestro

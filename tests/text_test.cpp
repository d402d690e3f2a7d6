#include "core/text.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "core/windows1252.h"

namespace kestro {
namespace {

TEST(Text, FindsFromPositionOneAndZeroWhenAbsent) {
  EXPECT_EQ(FindExact(u"abcabc", u"c"), 3u);
  EXPECT_EQ(FindExact(u"abc", u"C"), 0u);
  EXPECT_EQ(FindIgnoringCase(u"abcABC", u"Cab"), 3u);
  EXPECT_EQ(FindIgnoringCase(u"x/pNp", u"/PNP"), 2u);
  EXPECT_EQ(FindIgnoringCase(u"\u00C9", u"\u00E9"), 0u);  // only A-Z fold
  EXPECT_EQ(FindIgnoringCase(u"", u"/PNP"), 0u);
}

TEST(Text, MidTakesWhatThereIs) {
  EXPECT_EQ(Mid(u"abcdef", 2, 3), u"bcd");
  EXPECT_EQ(Mid(u"abcdef", 5, 6), u"ef");
  EXPECT_EQ(Mid(u"abcdef", 7, 1), u"");
  EXPECT_EQ(Mid(u"abcdef", 6, 0), u"");
}

TEST(Text, Utf8RoundTripsEvenInvalidBytes) {
  const std::string bytes = "caf\xC3\xA9 \xF0\x9F\x98\x80 \xFF\xC3 ok\xE2\x82";
  const std::u16string text = FromUtf8(bytes);
  EXPECT_EQ(text.substr(0, 4), u"caf\u00E9");
  EXPECT_EQ(text.substr(5, 2), u"\U0001F600");
  EXPECT_EQ(text[8], u'\xDCFF');
  EXPECT_EQ(ToUtf8(text), bytes);
  EXPECT_EQ(ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
}

TEST(Text, DecimalText) {
  EXPECT_EQ(DecimalText(0), u"0");
  EXPECT_EQ(DecimalText(1000000), u"1000000");
}

TEST(Windows1252, DecodesAsWindowsDoes) {
  EXPECT_EQ(Windows1252ToChar(0x41), u'A');
  EXPECT_EQ(Windows1252ToChar(0x80), u'\u20AC');
  EXPECT_EQ(Windows1252ToChar(0x9F), u'\u0178');
  EXPECT_EQ(Windows1252ToChar(0xE9), u'\u00E9');
  for (int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
    EXPECT_EQ(Windows1252ToChar(static_cast<std::uint8_t>(undefined)), undefined);
  }
}

TEST(Windows1252, EveryByteRoundTrips) {
  std::u16string all;
  std::string bytes;
  for (int b = 0; b < 256; ++b) {
    all += Windows1252ToChar(static_cast<std::uint8_t>(b));
    bytes += static_cast<char>(b);
  }
  EXPECT_EQ(ToWindows1252(all), bytes);
}

TEST(Windows1252, WhatItCannotHoldBecomesAQuestionMark) {
  EXPECT_EQ(ToWindows1252(u"\u0080\u0100\u2126\u4E2D"), "????");
  EXPECT_EQ(ToWindows1252(u"a\U0001F600b"), "a?b");   // a pair is one character
  EXPECT_EQ(ToWindows1252(u"a\xDC00\xD800"), "a??");  // lone halves
  EXPECT_EQ(ToWindows1252(u"\u20AC\u2122"), "\x80\x99");
}

TEST(Errors, NumbersPrintAsPeopleLookThemUp) {
  EXPECT_EQ(FormatErrorNumber(94), "94");
  EXPECT_EQ(FormatErrorNumber(-2147217394), "0x8004100E (-2147217394)");
  EXPECT_EQ(FormatErrorNumber(2147749902), "0x8004100E (2147749902)");
  EXPECT_EQ(FormatErrorNumber(-1), "0xFFFFFFFF (-1)");
  EXPECT_EQ(FormatFailure("kestro", RuntimeError(ErrorCode::InvalidUseOfNull, "Invalid use of Null")),
            "kestro: run-time error 94: Invalid use of Null");
}

}  // namespace
}  // namespace kestro

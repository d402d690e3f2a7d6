#include "platform/ansi_code_page.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/windows1252.h"

// The real ANSI code page against the Windows-1252 table that stands for it
// on other platforms. The test session runs with Windows-1252 as the ANSI
// code page (an English locale), so the two must agree character for
// character; that is also what makes reports byte-identical across builds.
namespace kestro {
namespace {

using namespace std::string_literals;

class AnsiCodePage : public testing::Test {
 protected:
  void SetUp() override {
    if (::GetACP() != 1252) GTEST_SKIP() << "the ANSI code page here is " << ::GetACP() << ", not 1252";
  }
};

TEST_F(AnsiCodePage, EveryByteDecodesAsTheWindows1252Table) {
  for (unsigned code = 0; code < 256; ++code) {
    const auto byte = static_cast<std::uint8_t>(code);
    EXPECT_EQ(static_cast<unsigned>(AnsiCodeToChar(byte)), static_cast<unsigned>(Windows1252ToChar(byte)))
        << "byte " << code;
  }
}

TEST_F(AnsiCodePage, EveryCharacterEncodesAsTheWindows1252Table) {
  std::u16string all;  // every UTF-16 code unit outside the surrogates, after one another
  for (unsigned c = 1; c < 0x10000; ++c) {
    if (c < 0xD800 || c > 0xDFFF) all += static_cast<char16_t>(c);
  }
  const std::string real = ToAnsiBytes(all);
  const std::string table = ToWindows1252(all);
  ASSERT_EQ(real.size(), table.size());
  for (std::size_t i = 0; i < real.size(); ++i) {
    ASSERT_EQ(real[i], table[i]) << "character U+" << std::hex << static_cast<unsigned>(all[i]);
  }
}

TEST_F(AnsiCodePage, NoBestFitLookAlikes) {
  const struct {
    std::u16string text;
    std::string bytes;
  } cases[] = {
      {u"\u0101", "?"},  // a with macron: best fit would give "a"
      {u"\u221E", "?"},  // infinity: best fit would give "8"
      {u"\uFF31", "?"},  // fullwidth Q: best fit would give "Q"
      {u"\u03A9 \u20AC\u00E9", "? \x80\xE9"},
      {u"ZQ \u2122", "ZQ \x99"},
  };
  for (const auto& [text, bytes] : cases) EXPECT_EQ(ToAnsiBytes(text), bytes);
}

TEST_F(AnsiCodePage, SurrogatePairsAndLoneSurrogates) {
  // Whatever Windows makes of them, the report file must read the same on
  // every platform.
  for (const std::u16string& text : {u"\U0001F600"s, u"a\xD800z"s, u"\xDC00"s, u"\xD83D\xD83D"s}) {
    EXPECT_EQ(ToAnsiBytes(text), ToWindows1252(text)) << text.size();
  }
}

TEST_F(AnsiCodePage, LineEndsNulAndEmptyTextPassUnchanged) {
  EXPECT_EQ(ToAnsiBytes(u"[Versions]\r\nVersion=1.05\r\n"), "[Versions]\r\nVersion=1.05\r\n");
  EXPECT_EQ(ToAnsiBytes(u"a\0b"s), "a\0b"s);
  EXPECT_EQ(ToAnsiBytes(u""), "");
}

}  // namespace
}  // namespace kestro

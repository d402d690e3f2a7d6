#include "core/error.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

namespace kestro {
namespace {

using namespace std::literals;

TEST(OneLine, EscapesWhatWouldBreakOrCutTheLine) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {R"(C:\Users\a b\Kestro.ini ~/x "q")", R"(C:\Users\a b\Kestro.ini ~/x "q")"},  // backslashes stay
      {"a\nb\rc\td", R"(a\nb\rc\td)"},
      {"a\0b"sv, R"(a\x00b)"},
      {"\x01\x1B\x1F\x7F", R"(\x01\x1B\x1F\x7F)"},
      {"\xC2\x80\xC2\x85\xC2\x9F", R"(\u0080\u0085\u009F)"},  // C1 controls
      {"\xC2\xA0\xC3\xA9\xE2\x82\xAC", "\xC2\xA0\xC3\xA9\xE2\x82\xAC"},
      {"\xF0\x9F\x98\x80\xF0\x90\x82\x80", "\xF0\x9F\x98\x80\xF0\x90\x82\x80"},  // beyond U+FFFF
      {"\xFF\x80x\xFE", R"(\xFF\x80x\xFE)"},                                     // stray bytes
      {"\xE2\x82z\xC0\xAF\xED\xA0\x80", R"(\xE2\x82z\xC0\xAF\xED\xA0\x80)"},     // cut, overlong, surrogate
  };
  for (const auto& [text, line] : cases) EXPECT_EQ(OneLine(text), line);
  EXPECT_EQ(FormatFailure("kestro", RuntimeError(2, "cannot create a\nb\0c"s)),
            R"(kestro: run-time error 2: cannot create a\nb\x00c)");
}

}  // namespace
}  // namespace kestro

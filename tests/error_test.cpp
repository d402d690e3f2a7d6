#include "core/error.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace kestro {
namespace {

using namespace std::literals;

struct EscapeCase {
  const char* name;
  std::string_view text;
  std::string_view line;
};

class OneLineEscapes : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(OneLineEscapes, WhatWouldBreakOrCutTheLine) { EXPECT_EQ(OneLine(GetParam().text), GetParam().line); }

INSTANTIATE_TEST_SUITE_P(
    Cases, OneLineEscapes,
    ::testing::Values(EscapeCase{"PlainTextAndBackslashes", R"(C:\Users\a b\Kestro.ini ~/x "q")",
                                 R"(C:\Users\a b\Kestro.ini ~/x "q")"},
                      EscapeCase{"LineBreaksAndTab", "a\nb\rc\td", R"(a\nb\rc\td)"},
                      EscapeCase{"EmbeddedNul", "a\0b"sv, R"(a\x00b)"},
                      EscapeCase{"OtherC0AndDel", "\x01\x1B\x1F\x7F", R"(\x01\x1B\x1F\x7F)"},
                      EscapeCase{"C1Controls", "\xC2\x80\xC2\x85\xC2\x9F", R"(\u0080\u0085\u009F)"},
                      EscapeCase{"CharactersPastC1", "\xC2\xA0\xC3\xA9\xE2\x82\xAC", "\xC2\xA0\xC3\xA9\xE2\x82\xAC"},
                      EscapeCase{"BeyondFFFF", "\xF0\x9F\x98\x80\xF0\x90\x82\x80", "\xF0\x9F\x98\x80\xF0\x90\x82\x80"},
                      EscapeCase{"StrayBytes", "\xFF\x80x\xFE", R"(\xFF\x80x\xFE)"},
                      EscapeCase{"CutSequence", "\xE2\x82z", R"(\xE2\x82z)"},
                      EscapeCase{"OverlongAndSurrogate", "\xC0\xAF\xED\xA0\x80", R"(\xC0\xAF\xED\xA0\x80)"}),
    [](const ::testing::TestParamInfo<EscapeCase>& param) { return param.param.name; });

TEST(OneLine, HoldsForTheWholeFailureLine) {
  EXPECT_EQ(FormatFailure("kestro", RuntimeError(2, "cannot create a\nb\0c"s)),
            R"(kestro: run-time error 2: cannot create a\nb\x00c)");
}

}  // namespace
}  // namespace kestro

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Wide text as the report counts it: UTF-16 code units, positions from 1.
namespace kestro {

// UTF-8 to UTF-16. Bytes that are not valid UTF-8 become the lone surrogates
// U+DC80..U+DCFF, one per byte, so that a path taken from the command line
// turns back into exactly the bytes it came from (`ToUtf8`).
std::u16string FromUtf8(std::string_view utf8);

// UTF-16 to UTF-8; the lone surrogates U+DC80..U+DCFF become the bytes that
// `FromUtf8` took them from, any other lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// Appends the code point `cp` (not a surrogate) to `out` as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

constexpr char16_t AsciiLower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// `text` with A-Z as a-z; names that match ignoring case (WMI's namespace,
// class and property names) compare equal in this form.
std::u16string AsciiLowerCase(std::u16string_view text);

// `a` and `b` are equal when A-Z and a-z count as the same letters.
bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b);

// Position (from 1) of the first occurrence of `what` in `text`, 0 when there
// is none. `FindExact` compares code unit for code unit; `FindIgnoringCase`
// treats the letters A-Z and a-z as equal to their other case.
std::size_t FindExact(std::u16string_view text, std::u16string_view what);
std::size_t FindIgnoringCase(std::u16string_view text, std::u16string_view what);

// `count` characters of `text` from position `start` (from 1): what there is
// when the text ends sooner, empty when `start` lies beyond its end.
std::u16string_view Mid(std::u16string_view text, std::size_t start, std::size_t count);

// Decimal text of `value`, no sign, no padding.
std::u16string DecimalText(std::size_t value);

}  // namespace kestro

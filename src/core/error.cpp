#include "core/error.h"

#include <cstdio>

#include "core/text.h"

namespace kestro {

RuntimeError::RuntimeError(std::int64_t number, const std::string& text)
    : std::runtime_error(text), number_(number), text_(text) {}

RuntimeError::RuntimeError(ErrorCode code, const std::string& text)
    : RuntimeError(static_cast<std::int64_t>(code), text) {}

std::string FormatErrorNumber(std::int64_t number) {
  const bool failureHresult = (number >= INT32_MIN && number < 0) || (number >= 0x80000000LL && number <= 0xFFFFFFFFLL);
  if (!failureHresult) return std::to_string(number);
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(static_cast<std::uint32_t>(number)));
  return std::string(hex) + " (" + std::to_string(number) + ")";
}

namespace {

void AppendHexEscape(std::u16string& out, std::u16string_view prefix, unsigned value) {
  constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  out += prefix;
  out += kDigits[(value >> 4) & 0xF];
  out += kDigits[value & 0xF];
}

}  // namespace

std::string OneLine(std::string_view text) {
  // FromUtf8 keeps each byte that is not valid UTF-8 as a lone surrogate
  // U+DC80..U+DCFF, which tells those bytes apart from the characters.
  const std::u16string units = FromUtf8(text);
  std::u16string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size()) {  // beyond U+FFFF; its second half is no kept byte
      out += c;
      out += units[++i];
    } else if (c == u'\n') {
      out += u"\\n";
    } else if (c == u'\r') {
      out += u"\\r";
    } else if (c == u'\t') {
      out += u"\\t";
    } else if (c < 0x20 || c == 0x7F) {
      AppendHexEscape(out, u"\\x", c);
    } else if (c >= 0x80 && c <= 0x9F) {
      AppendHexEscape(out, u"\\u00", c);
    } else if (c >= 0xDC80 && c <= 0xDCFF) {
      AppendHexEscape(out, u"\\x", c - 0xDC00);
    } else {
      out += c;
    }
  }
  return ToUtf8(out);
}

std::string FormatFailure(const std::string& program, const RuntimeError& error) {
  return OneLine(program + ": run-time error " + FormatErrorNumber(error.number()) + ": " + error.text());
}

}  // namespace kestro

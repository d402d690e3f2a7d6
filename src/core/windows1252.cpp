#include "core/windows1252.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kestro {
namespace {

// Bytes 80..9F, the only ones whose character is not the byte's own value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

constexpr char kReplacement = '?';

char EncodeOne(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
  }
  return kReplacement;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

char16_t Windows1252ToChar(std::uint8_t code) {
  if (code >= 0x80 && code <= 0x9F) return kHighControls[code - 0x80];
  return code;
}

std::string ToWindows1252(std::u16string_view text) {
  std::string out;
  out.resize(text.size());
  std::size_t n = 0;
  std::size_t i = 0;
  // Reports are ASCII for the most part: blocks of it are copied in a loop
  // the compiler can vectorise, and only a block holding anything else is
  // taken character by character. Worth its length: with the plain loop,
  // kestro /PNP /Type1 on a usual machine runs a quarter more instructions
  // and a replay of 100,000 devices a sixth more (BENCHMARKS.md).
  constexpr std::size_t kBlock = 16;
  while (i < text.size()) {
    if (i + kBlock <= text.size()) {
      // Narrowed into a local block first: stores into the string's own
      // bytes might alias the text, and the compiler would not vectorise.
      char narrowed[kBlock];
      char16_t seen = 0;
      for (std::size_t k = 0; k < kBlock; ++k) {
        seen |= text[i + k];
        narrowed[k] = static_cast<char>(text[i + k]);
      }
      if (seen < 0x80) {
        std::memcpy(out.data() + n, narrowed, kBlock);
        i += kBlock;
        n += kBlock;
        continue;
      }
    }
    const std::size_t blockEnd = std::min(i + kBlock, text.size());
    while (i < blockEnd) {
      const char16_t c = text[i++];
      if (IsHighSurrogate(c) && i < text.size() && IsLowSurrogate(text[i])) ++i;
      out[n++] = EncodeOne(c);
    }
  }
  out.resize(n);
  return out;
}

}  // namespace kestro

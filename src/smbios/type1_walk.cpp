#include "smbios/type1_walk.h"

#include <array>
#include <cstdint>
#include <string_view>


namespace kestro {
namespace {

constexpr std::int64_t kType0ZeroTokens = 4;  // three string terminators and the closing zero

// One character per token from index `first` to `last` (from 1), by token
// index: a run may hold the two tokens a jump took.
std::u16string StringRun(std::span<const std::uint16_t> tokens, std::int64_t first, std::int64_t last,
                         const CodePage& codePage) {
  std::u16string run;
  for (std::int64_t index = first; index <= last; ++index) {
    const std::uint16_t value = tokens[static_cast<std::size_t>(index - 1)];
    run += value == RawSmbiosText::kNotAByte ? u'\uFFFD' : codePage.toChar(static_cast<std::uint8_t>(value));
  }
  return run;
}

}  // namespace

Type1Strings WalkType1Strings(const RawSmbiosText& raw, const CodePage& codePage) {
  const std::span<const std::uint16_t> tokens = raw.TakenTokens();
  const auto count = static_cast<std::int64_t>(tokens.size());
  const auto value = [&](std::int64_t index) -> std::int64_t { return tokens[static_cast<std::size_t>(index - 1)]; };
  Type1Strings entries;
  if (count < 2) return entries;

  std::int64_t currentType = value(1);
  std::int64_t formattedAreaEnd = value(2);
  std::int64_t zeroCount = 0;
  // Only a jump sets the string start; a table that starts with its type 1
  // structure has its strings read from behind that structure's formatted area.
  std::int64_t stringStart = formattedAreaEnd + 1;

  for (std::int64_t index = 2; index <= count; ++index) {
    if (currentType != 0 && currentType != 1) break;  // nothing can come of it any more
    if (index <= formattedAreaEnd || value(index) != 0) continue;
    ++zeroCount;
    if (currentType == 0 && zeroCount == kType0ZeroTokens) {
      // This zero closes the type 0 structure; the next two tokens are the type
      // and the length of the one behind it, and are not looked at as zeros.
      if (index + 2 > count) break;
      currentType = value(index + 1);
      formattedAreaEnd = (index + 1) + value(index + 2) - 1;
      zeroCount = 0;
      stringStart = formattedAreaEnd + 1;
      index += 2;
      continue;
    }
    if (currentType == 1 && zeroCount >= 1 && zeroCount <= static_cast<std::int64_t>(kMaxType1Entries)) {
      entries.push_back(StringRun(tokens, stringStart, index - 1, codePage));
      stringStart = index + 1;
      if (entries.size() == kMaxType1Entries) break;
    }
  }
  return entries;
}

}  // namespace kestro

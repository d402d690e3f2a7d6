#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {

// The SMBIOS structure table in the textual form the capture and the walk
// share: one token per table byte, in table order, each the byte's decimal
// value, separated by single spaces. The tokens are held as their values;
// `ToText` gives the text itself.
//
// A token is "taken" only when a space follows it, so the last value of the
// text never is: the readers never look at the table's final byte.
class RawSmbiosText {
 public:
  // Value of a token whose text is not a decimal byte value as the capture
  // writes it ("007", "x", ""); only a text that did not come from a table has
  // such tokens. It is no zero token and no structure type of interest.
  static constexpr std::uint16_t kNotAByte = 256;

  RawSmbiosText() = default;
  static RawSmbiosText FromTable(std::span<const std::uint8_t> table);
  // Reads any text: tokens are what stands between single spaces.
  static RawSmbiosText FromText(std::u16string_view text);

  // Values of the taken tokens: index 0 holds token 1.
  std::span<const std::uint16_t> TakenTokens() const;
  std::size_t TokenCount() const { return values_.size(); }
  std::u16string ToText() const;

 private:
  std::vector<std::uint16_t> values_;
};

// What the capture keeps for the rest of the run.
struct SmbiosCapture {
  RawSmbiosText rawSmbiosText;
  // Element j: bits 8j to 8j + 7 of the BIOS Characteristics field, the table
  // byte at offset 0Ah + j (token 11 + j); 0 where that token is not taken.
  std::array<std::uint8_t, 8> biosCharBytes{};
  // The low and high 32 bits of the field as uppercase hex, most significant
  // byte first; fewer than 8 digits when the table is short.
  std::u16string biosCharLowHex;
  std::u16string biosCharHighHex;
};

// Takes the BIOS Characteristics bytes out of `raw`. A taken token 11..18 that
// is not a byte value is a run-time error.
SmbiosCapture CaptureBiosCharacteristics(RawSmbiosText raw);

}  // namespace kestro

#include "smbios/raw_smbios.h"

#include "core/error.h"
#include "core/text.h"

namespace kestro {
namespace {

constexpr std::size_t kFirstBiosCharToken = 11;  // table offset 0Ah, counted from 1
constexpr std::size_t kBiosCharBytes = 8;

// The value of token text `token` when the capture could have written it: "0"
// to "255" without leading zeros.
std::uint16_t TokenValue(std::u16string_view token) {
  if (token.empty() || token.size() > 3 || (token.size() > 1 && token[0] == u'0')) {
    return RawSmbiosText::kNotAByte;
  }
  unsigned value = 0;
  for (char16_t c : token) {
    if (c < u'0' || c > u'9') return RawSmbiosText::kNotAByte;
    value = value * 10 + (c - u'0');
  }
  return value <= 255 ? static_cast<std::uint16_t>(value) : RawSmbiosText::kNotAByte;
}

void PrependHex(std::u16string& text, std::uint8_t value) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  text.insert(text.begin(), {kDigits[value >> 4], kDigits[value & 0x0F]});
}

}  // namespace

RawSmbiosText RawSmbiosText::FromTable(std::span<const std::uint8_t> table) {
  RawSmbiosText raw;
  raw.values_.assign(table.begin(), table.end());
  return raw;
}

RawSmbiosText RawSmbiosText::FromText(std::u16string_view text) {
  RawSmbiosText raw;
  if (text.empty()) return raw;
  std::size_t start = 0;
  while (true) {
    const std::size_t space = text.find(u' ', start);
    const std::size_t end = space == std::u16string_view::npos ? text.size() : space;
    raw.values_.push_back(TokenValue(text.substr(start, end - start)));
    if (space == std::u16string_view::npos) break;
    start = space + 1;
  }
  return raw;
}

std::span<const std::uint16_t> RawSmbiosText::TakenTokens() const {
  if (values_.empty()) return {};
  return std::span<const std::uint16_t>(values_).first(values_.size() - 1);
}

std::u16string RawSmbiosText::ToText() const {
  std::u16string text;
  text.reserve(values_.size() * 4);
  for (std::size_t i = 0; i < values_.size(); ++i) {
    if (i > 0) text += u' ';
    if (values_[i] == kNotAByte) {
      text += u'?';
    } else {
      text += DecimalText(values_[i]);
    }
  }
  return text;
}

SmbiosCapture CaptureBiosCharacteristics(RawSmbiosText raw) {
  SmbiosCapture capture;
  const std::span<const std::uint16_t> taken = raw.TakenTokens();
  for (std::size_t j = 0; j < kBiosCharBytes; ++j) {
    const std::size_t index = kFirstBiosCharToken - 1 + j;
    if (index >= taken.size()) break;
    if (taken[index] == RawSmbiosText::kNotAByte) {
      throw RuntimeError(ErrorCode::TypeMismatch,
                         "Type mismatch: SMBIOS token " + std::to_string(index + 1) + " is not a byte value");
    }
    const auto value = static_cast<std::uint8_t>(taken[index]);
    capture.biosCharBytes[j] = value;
    PrependHex(j < 4 ? capture.biosCharLowHex : capture.biosCharHighHex, value);
  }
  capture.rawSmbiosText = std::move(raw);
  return capture;
}

}  // namespace kestro

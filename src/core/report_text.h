#pragma once

#include <string>
#include <string_view>

namespace kestro {

// The report document: INI-style lines, each ending in CR LF, built up in
// order and never rewritten. Keys and fixed texts go in as they are; values
// go in with each CR, LF and NUL as a space, so that no value (a firmware
// string, a device path) can end a line early, forge a section or cut the
// file short for a reader that stops at NUL.
class ReportText {
 public:
  // Replaces the whole document with the one line `firstLine`.
  void Start(std::u16string_view firstLine);

  // Appends a line that is fixed text: a section header, "WWAN=1".
  void AppendLine(std::u16string_view line);

  // Appends `key` (which carries its "=") followed by `value`.
  void AppendValue(std::u16string_view key, std::u16string_view value);

  const std::u16string& Text() const { return text_; }
  // The finished document, handed over without a copy.
  std::u16string TakeText() && { return std::move(text_); }

 private:
  std::u16string text_;
};

inline constexpr std::u16string_view kLineEnd = u"\r\n";

}  // namespace kestro

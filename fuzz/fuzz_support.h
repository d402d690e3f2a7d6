#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/text.h"

// A property that must hold; a fuzz finding when it does not.
#define KESTRO_FUZZ_CHECK(condition)                                                      \
  do {                                                                                    \
    if (!(condition)) {                                                                   \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                       \
    }                                                                                     \
  } while (0)

namespace kestro::fuzz {

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

// Every line ends in CR LF and is a section header or holds a key and "=";
// no value holds a lone CR or LF.
inline bool IsWellFormedReportPart(std::u16string_view report) {
  std::size_t start = 0;
  while (start < report.size()) {
    const std::size_t end = report.find(u"\r\n", start);
    if (end == std::u16string_view::npos) return false;
    const std::u16string_view line = report.substr(start, end - start);
    if (line.find(u'\r') != std::u16string_view::npos || line.find(u'\n') != std::u16string_view::npos) return false;
    const bool section = line.size() >= 2 && line.front() == u'[' && line.back() == u']';
    const std::size_t equals = line.find(u'=');
    if (!section && (equals == std::u16string_view::npos || equals == 0)) return false;
    start = end + 2;
  }
  return true;
}

}  // namespace kestro::fuzz

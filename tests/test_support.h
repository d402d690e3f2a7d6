#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "core/text.h"
#include "wmi/snapshot_source.h"

namespace kestro::testing {

// Bytes from a text of decimal values separated by spaces, as the worked
// examples write tables.
inline std::vector<std::uint8_t> BytesOf(const std::string& decimals) {
  std::vector<std::uint8_t> bytes;
  std::istringstream in(decimals);
  int value;
  while (in >> value) bytes.push_back(static_cast<std::uint8_t>(value));
  return bytes;
}

inline SnapshotSource SourceOf(const std::string& json) { return SnapshotSource::Parse(json, "test.json"); }

// Wide text to UTF-8, for readable assertion messages.
inline std::string Narrow(std::u16string_view text) { return ToUtf8(text); }

// The directory of the project's test fixtures.
inline std::string FixturePath(const std::string& relative) { return std::string(KESTRO_FIXTURES) + "/" + relative; }

// The shared test data beside the project, or "" when it is not there.
inline std::string SharedTestData(const std::string& relative) {
  return std::string(KESTRO_SHARED_TESTDATA) + "/" + relative;
}

}  // namespace kestro::testing

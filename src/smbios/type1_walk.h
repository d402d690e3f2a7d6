#pragma once

#include <string>
#include <vector>

#include "core/code_page.h"
#include "smbios/raw_smbios.h"

namespace kestro {

// Entry k is the k-th string of the System Information (type 1) structure's
// string-set, as the walk finds it; at most six entries, always 1..n.
using Type1Strings = std::vector<std::u16string>;
inline constexpr std::size_t kMaxType1Entries = 6;

// Finds the type 1 strings by walking the table token by token, not by the
// full SMBIOS rules. The walk assumes the table starts with BIOS Information
// (type 0) structures, each with exactly three strings, and that the type 1
// structure follows them; it counts zero tokens behind each formatted area
// and jumps at a type 0 structure's fourth one. The strings are taken by their
// order in the string-set; the string-number fields are never read. A table
// that breaks the assumptions gives wrong or missing entries, never an error.
// Each byte becomes the character it stands for in `codePage`.
Type1Strings WalkType1Strings(const RawSmbiosText& raw, const CodePage& codePage);

}  // namespace kestro

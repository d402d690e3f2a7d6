#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/code_page.h"

// The system's ANSI code page: the one place where the report's characters
// meet bytes. Each platform defines these (Windows: the real ANSI code page;
// on Linux Windows-1252 stands for it).
namespace kestro {

// The character whose code in the ANSI code page is `code`.
char16_t AnsiCodeToChar(std::uint8_t code);

// `text` in the ANSI code page; a character the code page cannot hold becomes
// its replacement character "?", never a look-alike.
std::string ToAnsiBytes(std::u16string_view text);

inline CodePage AnsiCodePage() { return {AnsiCodeToChar, ToAnsiBytes}; }

}  // namespace kestro

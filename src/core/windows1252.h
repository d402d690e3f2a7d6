#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/code_page.h"

// Windows-1252 as Windows converts it: it stands for the ANSI code page where
// the platform has none.
namespace kestro {

// The character of byte `code`. The five bytes the code page leaves undefined
// (81, 8D, 8F, 90, 9D) become U+0081, U+008D, U+008F, U+0090, U+009D, as
// Windows decodes them.
char16_t Windows1252ToChar(std::uint8_t code);

// `text` as Windows-1252 bytes. A character the code page cannot hold becomes
// "?"; a surrogate pair is one character and so one "?".
std::string ToWindows1252(std::u16string_view text);

inline constexpr CodePage kWindows1252{Windows1252ToChar, ToWindows1252};

}  // namespace kestro

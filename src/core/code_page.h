#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestro {

// A single-byte code page, where the report meets bytes: the character each
// byte stands for, and text as bytes, in which a character the page cannot
// hold becomes its replacement character "?", never a look-alike. The
// system's ANSI code page is one (platform/ansi_code_page.h); it is handed to
// what needs it, so that the core calls nothing of the platform.
struct CodePage {
  char16_t (*toChar)(std::uint8_t code);
  std::string (*toBytes)(std::u16string_view text);
};

}  // namespace kestro

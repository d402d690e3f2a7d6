#include "platform/ansi_code_page.h"

#include "core/windows1252.h"

// There is no ANSI code page here: Windows-1252, the one Windows uses for the
// languages of Western Europe and the Americas, stands for it.
namespace kestro {

char16_t AnsiCodeToChar(std::uint8_t code) { return Windows1252ToChar(code); }

std::string ToAnsiBytes(std::u16string_view text) { return ToWindows1252(text); }

}  // namespace kestro

#pragma once

#include <string>
#include <string_view>

// The report's text is char16_t, the Windows API's is wchar_t; on Windows
// both are UTF-16 code units, so the copies below change the type only.
namespace kestro {

std::wstring ToWide(std::u16string_view text);
std::u16string FromWide(std::wstring_view text);

}  // namespace kestro

#include "platform/ansi_code_page.h"

#include <windows.h>

#include <array>
#include <climits>

#include "base/win/system_error.h"
#include "base/win/wide_text.h"
#include "core/error.h"

// The system's real ANSI code page (CP_ACP), as Windows converts it.
namespace kestro {
namespace {

constexpr char16_t kUnmappable = u'\uFFFD';

// The character of each single byte. A byte that is no character on its own
// (a lead byte of a double-byte code page) becomes U+FFFD.
std::array<char16_t, 256> SingleByteCharacters() {
  std::array<char16_t, 256> table{};
  for (unsigned code = 0; code < table.size(); ++code) {
    const char byte = static_cast<char>(code);
    wchar_t wide[2] = {};
    const int count = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &byte, 1, wide, 2);
    table[code] = count == 1 ? static_cast<char16_t>(wide[0]) : kUnmappable;
  }
  return table;
}

int CheckedLength(std::size_t length) {
  if (length > static_cast<std::size_t>(INT_MAX)) {
    throw RuntimeError(ErrorCode::Overflow, "Overflow: the report is too long for the ANSI code page conversion");
  }
  return static_cast<int>(length);
}

// Appends `wide` in the ANSI code page to `bytes`. `usedDefault`, when given,
// tells whether a character had to be replaced.
void AppendConverted(std::wstring_view wide, DWORD flags, std::string& bytes, BOOL* usedDefault = nullptr) {
  if (wide.empty()) return;
  const int wideLength = CheckedLength(wide.size());
  const int size = ::WideCharToMultiByte(CP_ACP, flags, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (size <= 0) ThrowLastError("cannot convert the report to the ANSI code page");
  const std::size_t start = bytes.size();
  bytes.resize(start + static_cast<std::size_t>(size));
  if (::WideCharToMultiByte(CP_ACP, flags, wide.data(), wideLength, bytes.data() + start, size, nullptr, usedDefault) !=
      size) {
    ThrowLastError("cannot convert the report to the ANSI code page");
  }
}

// The code page's replacement character ("?" in the Windows-125x pages).
std::string DefaultCharacter() {
  CPINFO info{};
  if (!::GetCPInfo(CP_ACP, &info)) return "?";
  const char* bytes = reinterpret_cast<const char*>(info.DefaultChar);
  return std::string(bytes, info.DefaultChar[1] != 0 ? 2 : 1);
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

char16_t AnsiCodeToChar(std::uint8_t code) {
  static const std::array<char16_t, 256> table = SingleByteCharacters();
  return table[code];
}

std::string ToAnsiBytes(std::u16string_view text) {
  const std::wstring wide = ToWide(text);
  std::string bytes;
  // UTF-8 as the ANSI code page holds every character and takes no flags.
  if (::GetACP() == CP_UTF8) {
    AppendConverted(wide, 0, bytes);
    return bytes;
  }
  // A look-alike ("a" for "ā") would change what the report says; the code
  // page's replacement character shows that something was lost. A character
  // outside the Basic Multilingual Plane is two UTF-16 code units, which
  // Windows replaces one by one; it is one character, so it gets one
  // replacement.
  const std::wstring_view all = wide;
  std::size_t start = 0;
  for (std::size_t i = 0; i + 1 < all.size(); ++i) {
    if (!IsHighSurrogate(all[i]) || !IsLowSurrogate(all[i + 1])) continue;
    AppendConverted(all.substr(start, i - start), WC_NO_BEST_FIT_CHARS, bytes);
    std::string pair;
    BOOL replaced = FALSE;
    AppendConverted(all.substr(i, 2), WC_NO_BEST_FIT_CHARS, pair, &replaced);
    bytes += replaced ? DefaultCharacter() : pair;
    start = ++i + 1;
  }
  AppendConverted(all.substr(start), WC_NO_BEST_FIT_CHARS, bytes);
  return bytes;
}

}  // namespace kestro

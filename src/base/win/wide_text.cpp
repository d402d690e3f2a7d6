#include "base/win/wide_text.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t is a UTF-16 code unit on Windows");

namespace kestro {

std::wstring ToWide(std::u16string_view text) {
  std::wstring wide(text.size(), L'\0');
  for (std::size_t i = 0; i < text.size(); ++i) wide[i] = static_cast<wchar_t>(text[i]);
  return wide;
}

std::u16string FromWide(std::wstring_view text) {
  std::u16string narrow(text.size(), u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) narrow[i] = static_cast<char16_t>(text[i]);
  return narrow;
}

}  // namespace kestro

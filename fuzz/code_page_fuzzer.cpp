// Code-page conversion both ways, and UTF-8 in and out.
#include "core/windows1252.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestro;
  // Bytes to characters and back are the same bytes.
  std::u16string decoded;
  for (std::size_t i = 0; i < size; ++i) decoded += Windows1252ToChar(data[i]);
  KESTRO_FUZZ_CHECK(ToWindows1252(decoded) == fuzz::AsText(data, size));

  // Any UTF-16 text: one byte per character at most, "?" for what does not fit.
  std::u16string wide(size / 2, u'\0');
  for (std::size_t i = 0; i < wide.size(); ++i) wide[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  const std::string narrow = ToWindows1252(wide);
  KESTRO_FUZZ_CHECK(narrow.size() <= wide.size());

  // UTF-8, valid or not, survives the trip through UTF-16.
  KESTRO_FUZZ_CHECK(ToUtf8(FromUtf8(fuzz::AsText(data, size))) == fuzz::AsText(data, size));
  return 0;
}

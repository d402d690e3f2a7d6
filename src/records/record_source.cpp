#include "records/record_source.h"

#include <algorithm>

#include "core/error.h"
#include "core/text.h"

namespace kestro {

std::optional<std::u16string> QueriedClass(std::u16string_view wql) {
  std::vector<std::u16string_view> words;
  std::size_t start = 0;
  while (start < wql.size()) {
    const std::size_t end = std::min(wql.find(u' ', start), wql.size());
    if (end > start) words.push_back(wql.substr(start, end - start));
    start = end + 1;
  }
  if (words.size() != 4 || !EqualIgnoringCase(words[0], u"select") || words[1] != u"*" ||
      !EqualIgnoringCase(words[2], u"from")) {
    return std::nullopt;
  }
  return std::u16string(words[3]);
}

std::u16string RequireText(PropertyValue value, std::u16string_view className, std::u16string_view property) {
  if (auto* text = std::get_if<std::u16string>(&value)) return std::move(*text);
  const std::string what = ToUtf8(className) + "." + ToUtf8(property);
  if (std::holds_alternative<std::monostate>(value)) {
    throw RuntimeError(ErrorCode::InvalidUseOfNull, "Invalid use of Null: " + what + " is null");
  }
  throw RuntimeError(ErrorCode::TypeMismatch, "Type mismatch: " + what + " is a byte array, not a text");
}

void ThrowPropertyMissing(std::string_view record, std::u16string_view property) {
  throw RuntimeError(ErrorCode::PropertyMissing, "Object doesn't support this property or method: " +
                                                     std::string(record) + " has no property " + ToUtf8(property));
}

}  // namespace kestro

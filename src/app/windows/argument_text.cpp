#include "app/windows/argument_text.h"

namespace kestro {
namespace {

constexpr bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

FirstWord SplitFirstWord(std::u16string_view text) {
  FirstWord split;
  bool quoted = false;
  std::size_t i = 0;
  for (; i < text.size() && (quoted || !IsBlank(text[i])); ++i) {
    if (text[i] == u'"') {
      quoted = !quoted;
    } else {
      split.word += text[i];
    }
  }
  while (i < text.size() && IsBlank(text[i])) ++i;
  split.rest = text.substr(i);
  return split;
}

std::vector<std::u16string> SplitWords(std::u16string_view text) {
  std::vector<std::u16string> words;
  while (!text.empty()) {
    FirstWord split = SplitFirstWord(text);
    words.push_back(std::move(split.word));
    text = split.rest;
  }
  return words;
}

}  // namespace kestro

#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestro {

// The first word of `text` and what follows it. The word is taken as the C
// runtime takes a program's name from its command line: it ends at the first
// space or tab outside quotation marks, and each quotation mark opens or
// closes a quoted stretch without being part of the word. The rest starts
// behind the spaces and tabs that follow the word and is kept as it is.
struct FirstWord {
  std::u16string word;
  std::u16string_view rest;
};
FirstWord SplitFirstWord(std::u16string_view text);

// The words of `text`, each taken as SplitFirstWord takes the first.
std::vector<std::u16string> SplitWords(std::u16string_view text);

// The argument text of the process command line `commandLine`: everything
// after the program's own name, as one text.
inline std::u16string_view ArgumentTextOf(std::u16string_view commandLine) { return SplitFirstWord(commandLine).rest; }

}  // namespace kestro

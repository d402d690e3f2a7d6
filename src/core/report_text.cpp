#include "core/report_text.h"

namespace kestro {

void ReportText::Start(std::u16string_view firstLine) {
  text_.clear();
  AppendLine(firstLine);
}

void ReportText::AppendLine(std::u16string_view line) {
  text_ += line;
  text_ += kLineEnd;
}

void ReportText::AppendValue(std::u16string_view key, std::u16string_view value) {
  text_ += key;
  const std::size_t valueStart = text_.size();
  text_ += value;
  for (std::size_t i = valueStart; i < text_.size(); ++i) {
    char16_t& c = text_[i];
    if (c == u'\r' || c == u'\n' || c == u'\0') c = u' ';
  }
  text_ += kLineEnd;
}

}  // namespace kestro

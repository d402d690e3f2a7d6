#include "core/report_text.h"

namespace kestro {
namespace {

constexpr std::size_t kUsualReportUnits = 8192;

}  // namespace

void ReportText::Start(std::u16string_view firstLine) {
  text_.clear();
  // Room for a whole report of a machine with a few dozen devices, so that
  // the document is not moved again and again while it grows.
  text_.reserve(kUsualReportUnits);
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
    // One comparison for nearly every unit: all three lie at or below CR.
    if (c <= u'\r' && (c == u'\r' || c == u'\n' || c == u'\0')) c = u' ';
  }
  text_ += kLineEnd;
}

}  // namespace kestro

// The identity lines cut out of any model text.
#include "fuzz_support.h"
#include "profile/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestro;
  const std::u16string model = FromUtf8(fuzz::AsText(data, size));
  ReportText report;
  AppendModelTextLines(model, report);
  const std::u16string& text = report.Text();
  KESTRO_FUZZ_CHECK(fuzz::IsWellFormedReportPart(text));
  KESTRO_FUZZ_CHECK(text.rfind(u"BrandName=", 0) == 0);
  std::size_t lines = 0;
  for (std::size_t at = text.find(u"\r\n"); at != std::u16string::npos; at = text.find(u"\r\n", at + 2)) ++lines;
  KESTRO_FUZZ_CHECK(lines == 3 || lines == 4);
  KESTRO_FUZZ_CHECK(text.size() <= 80 + 6 + 5 + 6 + 3);
  return 0;
}

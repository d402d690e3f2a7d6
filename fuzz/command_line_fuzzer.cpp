// Switches and the "/File:" path from any argument list (NUL-separated) and
// from the same bytes as one command-line text.
#include <vector>

#include "core/command_line.h"
#include "fuzz_support.h"

namespace {

void CheckPath(const kestro::CommandLine& line) {
  using namespace kestro;
  const auto [path, namedBy, format] = SettleOutputPath(line);
  KESTRO_FUZZ_CHECK(format == line.format);
  if (FindIgnoringCase(line.argumentText, u"/File:") == 0) {
    const std::u16string_view defaultPath = format == ReportFormat::Json ? kDefaultJsonOutputPath : kDefaultOutputPath;
    KESTRO_FUZZ_CHECK(path == defaultPath && namedBy == NamedBy::DefaultName);
  } else {
    KESTRO_FUZZ_CHECK(namedBy == NamedBy::FileSwitch);
    KESTRO_FUZZ_CHECK(line.argumentText.find(u"/" + path) != std::u16string::npos || path.empty() ||
                      line.argumentText.find(path) != std::u16string::npos);
    if (line.argumentEnds.empty()) KESTRO_FUZZ_CHECK(path.find(u' ') == std::u16string::npos);
  }
  const Switches switches = ReadSwitches(line.argumentText);
  KESTRO_FUZZ_CHECK(switches.pnp == (FindIgnoringCase(line.argumentText, u"/pnp") != 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestro;
  const std::string_view bytes = fuzz::AsText(data, size);
  std::vector<std::u16string> arguments;
  std::size_t start = 0;
  while (start <= bytes.size()) {
    const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
    arguments.push_back(FromUtf8(bytes.substr(start, end - start)));
    start = end + 1;
  }
  CheckPath(CommandLine::FromArguments(arguments));
  CheckPath(CommandLine::FromArgumentText(FromUtf8(bytes)));
  return 0;
}

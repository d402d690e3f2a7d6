#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_writing.h"

namespace kestro {

// What the report file holds: the INI text, or the same report as a JSON
// document (core/report_json.h).
enum class ReportFormat { Ini, Json };

// "--json": the report as JSON. It is no switch of the switch scan: it is
// taken out of the arguments before the scan, as a whole argument (or, in one
// command-line text, a whole word between spaces), so that paths and
// switches are found as they are without it.
inline constexpr std::u16string_view kJsonArgument = u"--json";

// The argument text: everything on the command line after the program's own
// name (and without "--json"), as one text. Where the platform hands the
// arguments over one by one, they are joined with single spaces and
// `argumentEnds` remembers where each ends (one past its last character), so
// that a "/File:" path may hold a space that stood inside one argument.
struct CommandLine {
  std::u16string argumentText;
  std::vector<std::size_t> argumentEnds;
  ReportFormat format = ReportFormat::Ini;

  static CommandLine FromArguments(std::span<const std::u16string> arguments);
  static CommandLine FromArgumentText(std::u16string argumentText);
};

// The switches, each found anywhere in the argument text, letter case ignored,
// also inside a longer word or a path.
struct Switches {
  bool pnp = false;
  bool type1 = false;
  bool showDialog = false;
};

Switches ReadSwitches(std::u16string_view argumentText);

// Where the report goes, who named it, and in which form.
struct OutputTarget {
  std::u16string path;
  NamedBy namedBy;
  ReportFormat format = ReportFormat::Ini;
};

// The report file path: what follows the first "/File:" up to the first space
// after it (or, with `argumentEnds`, up to the end of its argument), named by
// the user; an empty path stays empty. Without "/File:", "Kestro.ini" (with
// "--json", "Kestro.json") under the default name.
OutputTarget SettleOutputPath(const CommandLine& commandLine);

inline constexpr std::u16string_view kDefaultOutputPath = u"Kestro.ini";
inline constexpr std::u16string_view kDefaultJsonOutputPath = u"Kestro.json";

}  // namespace kestro

#include "core/command_line.h"

#include <algorithm>

#include "core/text.h"

namespace kestro {
namespace {

constexpr std::u16string_view kFileSwitch = u"/File:";

bool Occurs(std::u16string_view text, std::u16string_view what) {
  return FindIgnoringCase(text, what) != 0;
}

}  // namespace

CommandLine CommandLine::FromArguments(std::span<const std::u16string> arguments) {
  CommandLine line;
  for (const std::u16string& argument : arguments) {
    if (argument == kJsonArgument) {
      line.format = ReportFormat::Json;
      continue;
    }
    if (!line.argumentEnds.empty()) line.argumentText += u' ';
    line.argumentText += argument;
    line.argumentEnds.push_back(line.argumentText.size());
  }
  return line;
}

// Each word "--json" goes with the space behind it (or, at the end, the one
// before it), so that the words around it keep one space between them.
CommandLine CommandLine::FromArgumentText(std::u16string argumentText) {
  CommandLine line{std::move(argumentText), {}};
  std::u16string& text = line.argumentText;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find(u' ', start);
    if (end == std::u16string::npos) end = text.size();
    if (std::u16string_view(text).substr(start, end - start) != kJsonArgument) {
      start = end + 1;
      continue;
    }
    line.format = ReportFormat::Json;
    const bool last = end == text.size();
    const std::size_t from = last && start > 0 ? start - 1 : start;
    text.erase(from, (last ? end : end + 1) - from);
    start = from;
  }
  return line;
}

Switches ReadSwitches(std::u16string_view argumentText) {
  Switches switches;
  switches.pnp = Occurs(argumentText, u"/PNP");
  switches.type1 = Occurs(argumentText, u"/Type1");
  switches.showDialog = Occurs(argumentText, u"/SHOWDIALOG");
  // "/DRIVER" is accepted and changes nothing.
  return switches;
}

OutputTarget SettleOutputPath(const CommandLine& commandLine) {
  const std::u16string_view text = commandLine.argumentText;
  const std::size_t p = FindIgnoringCase(text, kFileSwitch);  // from 1
  const ReportFormat format = commandLine.format;
  if (p == 0) {
    const std::u16string_view name = format == ReportFormat::Json ? kDefaultJsonOutputPath : kDefaultOutputPath;
    return {std::u16string(name), NamedBy::DefaultName, format};
  }
  const std::size_t pathStart = p - 1 + kFileSwitch.size();  // from 0
  std::size_t pathEnd;                                        // from 0, one past the path
  if (commandLine.argumentEnds.empty()) {
    pathEnd = text.find(u' ', p);  // the search starts at position p + 1
    if (pathEnd == std::u16string_view::npos) pathEnd = text.size();
  } else {
    // "/File:" holds no space, so it lies within one argument: the first whose
    // end is behind it.
    pathEnd = *std::lower_bound(commandLine.argumentEnds.begin(), commandLine.argumentEnds.end(),
                                pathStart);
  }
  return {std::u16string(text.substr(pathStart, pathEnd - pathStart)), NamedBy::FileSwitch, format};
}

}  // namespace kestro

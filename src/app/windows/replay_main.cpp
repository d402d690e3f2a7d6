// kestro-replay.exe: runs Kestro with the records of a JSON snapshot instead
// of the machine's WMI; everything else is as Kestro.exe does it. A console
// program, so that failures go to standard error.
//
// Command line: kestro-replay.exe SNAPSHOT.json [switches]. The snapshot path
// is the first word after the program's name that is not "--json", taken as
// the program's name is (quote it when it holds spaces); everything else is
// the argument text, read exactly as Kestro.exe reads its own: the "/File:"
// path ends at the first space.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

#include "app/program.h"
#include "app/usage.h"
#include "app/windows/argument_text.h"
#include "base/win/wide_text.h"
#include "core/text.h"
#include "platform/snapshot_file.h"

int wmain() {
  const std::u16string commandLine = kestro::FromWide(::GetCommandLineW());
  const std::u16string_view argumentText = kestro::ArgumentTextOf(commandLine);

  const kestro::Program program("kestro-replay");
  const std::string usage = kestro::ReplayUsage(kestro::kWindowsPrograms);
  if (auto status = program.AnswerInformationalArgument(kestro::SplitWords(argumentText), usage)) return *status;

  // The snapshot is the first word that is not "--json". A "--json" before it
  // goes with one space only: the blanks that stood behind that one come first.
  kestro::CommandLine arguments = kestro::CommandLine::FromArgumentText(std::u16string(argumentText));
  std::u16string_view text = arguments.argumentText;
  text.remove_prefix(std::min(text.find_first_not_of(u" \t"), text.size()));
  const kestro::FirstWord snapshot = kestro::SplitFirstWord(text);
  if (snapshot.word.empty()) {
    return program.ReportUsageError(kestro::NoSnapshotText(kestro::kWindowsPrograms));
  }
  arguments.argumentText = std::u16string(snapshot.rest);
  const std::string snapshotPath = kestro::ToUtf8(snapshot.word);
  return program.Run(arguments, [&snapshotPath] {
    return std::make_unique<kestro::SnapshotSource>(kestro::LoadSnapshot(snapshotPath));
  });
}

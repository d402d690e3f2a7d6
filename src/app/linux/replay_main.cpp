// kestro-replay: runs Kestro with the records of a JSON snapshot instead of
// the machine's; everything else is as kestro does it.
#include <algorithm>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/usage.h"
#include "core/text.h"
#include "platform/snapshot_file.h"

int main(int argc, char** argv) {
  std::vector<std::u16string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(kestro::FromUtf8(argv[i]));

  const kestro::Program program("kestro-replay");
  const std::string usage = kestro::ReplayUsage(kestro::kLinuxPrograms);
  if (auto status = program.AnswerInformationalArgument(arguments, usage)) return *status;
  // The snapshot is the first argument that is not "--json".
  const auto snapshot = std::find_if(arguments.begin(), arguments.end(),
                                     [](const std::u16string& argument) { return argument != kestro::kJsonArgument; });
  if (snapshot == arguments.end()) return program.ReportUsageError(kestro::NoSnapshotText(kestro::kLinuxPrograms));

  const std::string snapshotPath = argv[1 + (snapshot - arguments.begin())];
  arguments.erase(snapshot);
  return program.Run(kestro::CommandLine::FromArguments(arguments), [&snapshotPath] {
    return std::make_unique<kestro::SnapshotSource>(kestro::LoadSnapshot(snapshotPath));
  });
}

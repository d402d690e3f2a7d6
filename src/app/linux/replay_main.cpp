// kestro-replay: runs Kestro with the records of a JSON snapshot instead of
// the machine's; everything else is as kestro does it.
#include <string>
#include <vector>

#include "app/program.h"
#include "app/usage.h"
#include "core/text.h"
#include "platform/snapshot_file.h"

int main(int argc, char** argv) {
  std::vector<std::u16string> arguments;
  for (int i = 2; i < argc; ++i) arguments.push_back(kestro::FromUtf8(argv[i]));

  const kestro::Program program("kestro-replay");
  const std::string usage = kestro::ReplayUsage(kestro::kLinuxPrograms);
  std::vector<std::u16string> all(arguments);
  if (argc >= 2) all.insert(all.begin(), kestro::FromUtf8(argv[1]));
  if (auto status = program.AnswerInformationalArgument(all, usage)) return *status;
  if (argc < 2) return program.ReportUsageError(kestro::NoSnapshotText(kestro::kLinuxPrograms));

  const std::string snapshotPath = argv[1];
  return program.Run(kestro::CommandLine::FromArguments(arguments), [&snapshotPath] {
    return std::make_unique<kestro::SnapshotSource>(kestro::LoadSnapshot(snapshotPath));
  });
}

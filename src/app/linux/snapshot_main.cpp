// kestro-snapshot: records what kestro reads on this machine as a snapshot,
// so that kestro-replay can run Kestro on it anywhere. A query that fails is
// kept as its error, a property a record lacks is left out with a warning;
// either way replaying fails as kestro would here.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/usage.h"
#include "core/error.h"
#include "core/text.h"
#include "platform/console.h"
#include "platform/report_file.h"
#include "records/sysfs/sysfs_source.h"
#include "records/snapshot_writer.h"

namespace {

constexpr const char* kProgram = "kestro-snapshot";

// Straight into standard output, as the shell set it up; a failed write
// (a full disk behind ">") fails the run.
void WriteToStandardOutput(const std::string& json) {
  errno = 0;
  const bool written = std::fwrite(json.data(), 1, json.size(), stdout) == json.size();
  if (std::fflush(stdout) != 0 || !written) {
    const int error = errno != 0 ? errno : EIO;
    throw kestro::RuntimeError(error,
                               std::string("cannot write the snapshot to standard output: ") + std::strerror(error));
  }
}

// A snapshot holds the SMBIOS table only root may read, and serial numbers:
// the file is its owner's alone.
void Record(const std::vector<std::u16string>& outputs) {
  kestro::SysfsSource source("/sys", kestro::LocalHostName());
  const kestro::RecordedSnapshot snapshot = kestro::RecordSnapshot(source);
  for (const std::string& leftOut : snapshot.leftOut) {
    kestro::ShowFailure(kestro::OneLine(std::string(kProgram) + ": " + leftOut));
  }
  if (outputs.empty()) return WriteToStandardOutput(snapshot.json);
  kestro::ReplaceFileContents(outputs.front(), snapshot.json, kestro::NamedBy::RecorderArgument,
                              kestro::FileAccess::OwnerOnly);
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that went away fails the write (EPIPE), which is reported.
  std::signal(SIGPIPE, SIG_IGN);
  std::vector<std::u16string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(kestro::FromUtf8(argv[i]));

  const kestro::Program program(kProgram);
  if (auto status = program.AnswerInformationalArgument(arguments, kestro::SnapshotUsage(kestro::kLinuxPrograms))) {
    return *status;
  }
  if (arguments.size() > 1) return program.ReportUsageError(kestro::TooManyOutputsText(kestro::kLinuxPrograms));
  try {
    Record(arguments);
    return 0;
  } catch (const kestro::RuntimeError& error) {
    kestro::ShowFailure(kestro::FormatFailure(kProgram, error));
    return 1;
  } catch (const std::bad_alloc&) {
    kestro::ShowFailure(std::string(kProgram) + ": run-time error 7: Out of memory");
    return 1;
  }
}

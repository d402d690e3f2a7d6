// kestro-snapshot: records what kestro reads on this machine as a snapshot,
// so that kestro-replay can run Kestro on it anywhere. A query that fails is
// kept as its error, a property a record lacks is left out with a warning;
// either way replaying fails as kestro would here.
#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/usage.h"
#include "core/text.h"
#include "records/sysfs/sysfs_source.h"

int main(int argc, char** argv) {
  // A reader that went away fails the write (EPIPE), which is reported.
  std::signal(SIGPIPE, SIG_IGN);
  std::vector<std::u16string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(kestro::FromUtf8(argv[i]));

  return kestro::Program("kestro-snapshot").Record(arguments, kestro::kLinuxPrograms, [] {
    return std::make_unique<kestro::SysfsSource>("/sys", kestro::LocalHostName());
  });
}

// kestro: profiles the machine it runs on.
#include <string>
#include <vector>

#include "app/program.h"
#include "app/usage.h"
#include "core/text.h"
#include "records/sysfs/sysfs_source.h"

int main(int argc, char** argv) {
  std::vector<std::u16string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(kestro::FromUtf8(argv[i]));

  const kestro::Program program("kestro");
  if (auto status = program.AnswerInformationalArgument(arguments, kestro::KestroUsage(kestro::kLinuxPrograms))) {
    return *status;
  }
  return program.Run(kestro::CommandLine::FromArguments(arguments),
                     [] { return std::make_unique<kestro::SysfsSource>("/sys", kestro::LocalHostName()); });
}

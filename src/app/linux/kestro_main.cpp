// kestro: profiles the machine it runs on.
#include <string>
#include <vector>

#include "app/program.h"
#include "app/usage.h"
#include "core/text.h"
#include "wmi/linux/sysfs_source.h"

int main(int argc, char** argv) {
  std::vector<std::u16string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(kestro::FromUtf8(argv[i]));

  const kestro::Program program("kestro");
  const std::string usage =
      "Usage: kestro [switches]\n"
      "Writes this machine's hardware and firmware identity to Kestro.ini.\n" +
      std::string(kestro::kSwitchHelp);
  if (auto status = program.AnswerInformationalArgument(arguments, usage)) return *status;
  return program.Run(kestro::CommandLine::FromArguments(arguments),
                     [] { return std::make_unique<kestro::SysfsSource>("/sys", kestro::LocalHostName()); });
}

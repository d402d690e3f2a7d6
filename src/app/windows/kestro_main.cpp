// Kestro.exe: profiles the Windows PC it runs on through WMI. A GUI-subsystem
// program: it opens no console, shows a failure in a message box, and with
// /SHOWDIALOG lives on in its window until the user closes it.
#include <windows.h>

#include <memory>

#include "app/program.h"
#include "app/windows/argument_text.h"
#include "base/win/wide_text.h"
#include "records/wmi/wmi_source.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The argument text is the process's command line without the program's
  // own name, searched as one text: the switches anywhere in it, the
  // "/File:" path up to the first space behind it.
  const std::u16string commandLine = kestro::FromWide(::GetCommandLineW());
  const kestro::CommandLine arguments =
      kestro::CommandLine::FromArgumentText(std::u16string(kestro::ArgumentTextOf(commandLine)));

  const kestro::Program program("Kestro");
  return program.Run(arguments, [] { return std::make_unique<kestro::WmiSource>(); });
}

// kestro-wmi-snapshot.exe: captures what Kestro reads from this PC's WMI as a
// record snapshot, so that kestro-replay (on any platform) can run Kestro on
// it. Each of Kestro's four queries is run as Kestro.exe runs it; a query
// that fails is kept as its error, a property that a record lacks is left
// out (as reading it would fail).
//
// Command line: kestro-wmi-snapshot.exe [OUTPUT.json]; without OUTPUT the
// snapshot goes to standard output. The words are split as the C runtime
// splits a program's name off its command line, so a quoted path may hold
// spaces.
#include <windows.h>

#include <memory>
#include <string>

#include "app/program.h"
#include "app/usage.h"
#include "app/windows/argument_text.h"
#include "base/win/wide_text.h"
#include "records/wmi/wmi_source.h"

int wmain() {
  const std::u16string commandLine = kestro::FromWide(::GetCommandLineW());
  return kestro::Program("kestro-wmi-snapshot")
      .Record(kestro::SplitWords(kestro::ArgumentTextOf(commandLine)), kestro::kWindowsPrograms,
              [] { return std::make_unique<kestro::WmiSource>(); });
}

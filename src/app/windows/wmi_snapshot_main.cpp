// kestro-wmi-snapshot.exe: captures what Kestro reads from this PC's WMI as a
// record snapshot, so that kestro-replay (on any platform) can run Kestro on
// it. Each of Kestro's four queries is run as Kestro.exe runs it; a query
// that fails is kept as its error, a property that a record lacks is left
// out (as reading it would fail).
//
// Command line: kestro-wmi-snapshot.exe [OUTPUT.json]; without OUTPUT the
// snapshot goes to standard output. Exit status 0, or 1 when it could not be
// written.
#include <windows.h>

#include <string>

#include "app/windows/argument_text.h"
#include "base/win/wide_text.h"
#include "core/error.h"
#include "core/text.h"
#include "platform/console.h"
#include "platform/report_file.h"
#include "records/snapshot_writer.h"
#include "records/wmi/wmi_source.h"

int wmain() {
  const std::u16string commandLine = kestro::FromWide(::GetCommandLineW());
  const kestro::FirstWord output = kestro::SplitFirstWord(kestro::ArgumentTextOf(commandLine));
  try {
    kestro::WmiSource source;
    const kestro::RecordedSnapshot snapshot = kestro::RecordSnapshot(source);
    // Left out: replaying reads it and fails, as Kestro.exe does here.
    for (const std::string& line : snapshot.leftOut)
      kestro::ShowFailure(kestro::OneLine("kestro-wmi-snapshot: " + line));
    if (output.word.empty()) {
      kestro::PrintInformation(snapshot.json);
    } else {
      kestro::ReplaceFileContents(output.word, snapshot.json, kestro::NamedBy::RecorderArgument,
                                  kestro::FileAccess::OwnerOnly);
    }
    return 0;
  } catch (const kestro::RuntimeError& error) {
    kestro::ShowFailure(kestro::FormatFailure("kestro-wmi-snapshot", error));
    return 1;
  }
}

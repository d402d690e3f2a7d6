// The snapshot reader from any JSON-ish input, and the whole report from any
// snapshot it accepts.
#include "core/windows1252.h"
#include "run/run.h"
#include "core/error.h"
#include "fuzz_support.h"
#include "records/snapshot_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestro;
  try {
    SnapshotSource source = SnapshotSource::Parse(fuzz::AsText(data, size), "fuzz.json");
    Switches switches;
    switches.pnp = switches.type1 = true;
    const std::u16string report = BuildReport(switches, source, kWindows1252);
    KESTRO_FUZZ_CHECK(report.rfind(u"[BIOS Strings]\r\n", 0) == 0);
    KESTRO_FUZZ_CHECK(fuzz::IsWellFormedReportPart(report));
    KESTRO_FUZZ_CHECK(report.find(u'\0') == std::u16string::npos);
  } catch (const RuntimeError& error) {
    KESTRO_FUZZ_CHECK(!error.text().empty());
  }
  return 0;
}

// Inner pieces of a run, from real sizes to far beyond them, to see that each
// grows linearly with its input.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "core/report_text.h"
#include "core/windows1252.h"
#include "profile/profile.h"
#include "run/run.h"
#include "smbios/raw_smbios.h"
#include "smbios/type1_walk.h"
#include "records/snapshot_source.h"

namespace kestro {
namespace {

// A type 0 structure with three strings, again and again: the walk jumps from
// one to the next and never reaches a type 1 structure, so it reads the whole
// table (its worst case).
std::vector<std::uint8_t> Type0Table(std::size_t bytes) {
  const std::vector<std::uint8_t> type0 = {0,  18, 0, 0, 1, 2,  0, 240, 3,  7, 128, 152, 139,
                                           63, 1,  0, 0, 0, 65, 0, 86,  49, 0, 68,  0,   0};
  std::vector<std::uint8_t> table;
  while (table.size() < bytes) table.insert(table.end(), type0.begin(), type0.end());
  table.resize(bytes);
  return table;
}

double PeakResidentMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_CaptureAndWalk(benchmark::State& state) {
  const auto table = Type0Table(static_cast<std::size_t>(state.range(0)));
  const std::size_t textBytes = RawSmbiosText::FromTable(table).ToText().size();
  for (auto _ : state) {
    const SmbiosCapture capture = CaptureBiosCharacteristics(RawSmbiosText::FromTable(table));
    benchmark::DoNotOptimize(WalkType1Strings(capture.rawSmbiosText, kWindows1252));
  }
  // Throughput in characters of the table's decimal text, the form the walk
  // is defined on (about 3.5 characters per table byte).
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * textBytes));
  state.counters["peak_rss_MiB"] = PeakResidentMiB();
}
BENCHMARK(BM_CaptureAndWalk)->RangeMultiplier(4)->Range(1 << 10, 1 << 20)->Unit(benchmark::kMicrosecond);

void BM_WalkFromText(benchmark::State& state) {
  const std::u16string text = RawSmbiosText::FromTable(Type0Table(static_cast<std::size_t>(state.range(0)))).ToText();
  for (auto _ : state) benchmark::DoNotOptimize(WalkType1Strings(RawSmbiosText::FromText(text), kWindows1252));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_WalkFromText)->RangeMultiplier(4)->Range(1 << 10, 1 << 20)->Unit(benchmark::kMicrosecond);

// A snapshot of `count` devices, each a realistic object path; one of every
// 50 is a camera.
SnapshotSource DeviceSnapshot(std::size_t count) {
  std::string json = R"({"root\\CIMV2": {"Win32_SystemDevices": [)";
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) json += ',';
    json += R"({"PartComponent": "\\\\DESKTOP-K3STR0\\root\\cimv2:Win32_PnPEntity.DeviceID=\"USB\\\\VID_)";
    json += i % 50 == 0 ? "05CA&PID_1810" : "046D&PID_C24E&MI_01";
    json += R"(\\\\6&32C8ADE7&0&)" + std::to_string(i) + R"(\""})";
  }
  json += "]}}";
  return SnapshotSource::Parse(json, "bench.json");
}

void BM_DevicePresence(benchmark::State& state) {
  SnapshotSource source = DeviceSnapshot(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    ReportText report;
    AppendDevicePresenceLines(source, report);
    benchmark::DoNotOptimize(report.Text().data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["peak_rss_MiB"] = PeakResidentMiB();
}
BENCHMARK(BM_DevicePresence)->RangeMultiplier(10)->Range(100, 1000000)->Unit(benchmark::kMillisecond);

void BM_PnpListing(benchmark::State& state) {
  SnapshotSource source = DeviceSnapshot(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    ReportText report;
    ListPnpDevices(source, report);
    benchmark::DoNotOptimize(ToWindows1252(report.Text()).size());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["peak_rss_MiB"] = PeakResidentMiB();
}
BENCHMARK(BM_PnpListing)->RangeMultiplier(10)->Range(100, 1000000)->Unit(benchmark::kMillisecond);

void BM_SnapshotRead(benchmark::State& state) {
  std::string json = R"({"root\\CIMV2": {"Win32_SystemDevices": [)";
  for (std::int64_t i = 0; i < state.range(0); ++i) {
    json +=
        std::string(i > 0 ? "," : "") +
        R"({"PartComponent": "\\\\PC\\root\\cimv2:Win32_PnPEntity.DeviceID=\"PCI\\\\VEN_8086&DEV_A2AF\\\\3&11583659&0&A0\""})";
  }
  json += "]}}";
  for (auto _ : state) benchmark::DoNotOptimize(SnapshotSource::Parse(json, "bench.json"));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * json.size()));
}
BENCHMARK(BM_SnapshotRead)->RangeMultiplier(10)->Range(100, 1000000)->Unit(benchmark::kMillisecond);

void BM_ModelTextLines(benchmark::State& state) {
  std::u16string model(static_cast<std::size_t>(state.range(0)), u'x');
  model += u"ZQ Corvanta ab1234 (XY123AB#Q7R)";
  for (auto _ : state) {
    ReportText report;
    AppendModelTextLines(model, report);
    benchmark::DoNotOptimize(report.Text().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * model.size() * sizeof(char16_t)));
}
BENCHMARK(BM_ModelTextLines)->RangeMultiplier(10)->Range(10, 1000000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestro

BENCHMARK_MAIN();

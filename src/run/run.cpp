#include "run/run.h"

#include "core/report_text.h"
#include "profile/profile.h"
#include "smbios/raw_smbios.h"
#include "smbios/type1_walk.h"

namespace kestro {
namespace {

void AppendVersions(const VersionTexts& versions, ReportText& report) {
  report.AppendLine(u"[Versions]");
  report.AppendValue(u"Version=", versions.programVersion);
  report.AppendValue(u"ReleaseDate=", versions.releaseDate);
  report.AppendValue(u"SpecVersion=", versions.specVersion);
  report.AppendValue(u"SpecReleaseDate=", versions.specReleaseDate);
}

}  // namespace

std::u16string BuildReport(const Switches& switches, RecordSource& source, const CodePage& ansiCodePage) {
  const VersionTexts versions;
  const SmbiosCapture capture = CollectRawSmbios(source);
  // The walk only reads the table, so one walk serves "ProdNum=" and "[SMBIOSType1]".
  const Type1Strings type1 = WalkType1Strings(capture.rawSmbiosText, ansiCodePage);
  ReportText report;
  CollectBiosStrings(source, capture, type1, report);
  AppendVersions(versions, report);
  if (switches.pnp) ListPnpDevices(source, report);
  if (switches.type1) ListSmbiosType1(type1, report);
  return std::move(report).TakeText();
}

int RunKestro(const CommandLine& commandLine, RecordSource& source, ReportOutput& output,
              const CodePage& ansiCodePage) {
  const Switches switches = ReadSwitches(commandLine.argumentText);
  const std::u16string reportText = BuildReport(switches, source, ansiCodePage);
  // Settled only after all collecting is done.
  const OutputTarget outputPath = SettleOutputPath(commandLine);
  if (switches.showDialog) return output.ShowReportWindow(reportText);
  output.WriteReportFile(outputPath, reportText);
  return 0;
}

}  // namespace kestro

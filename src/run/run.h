#pragma once

#include <string>
#include <string_view>

#include "core/code_page.h"
#include "core/command_line.h"
#include "records/record_source.h"

namespace kestro {

// Where the finished report goes: the platform layer's file writer and viewer.
class ReportOutput {
 public:
  virtual ~ReportOutput() = default;
  // Writes `reportText` to `target` in the ANSI code page, followed by one
  // more CR LF; replaces the file as a whole or leaves it as it was.
  virtual void WriteReportFile(const OutputTarget& target, std::u16string_view reportText) = 0;
  // Shows `reportText` in the viewer window until it is closed; the
  // process's exit status then.
  virtual int ShowReportWindow(std::u16string_view reportText) = 0;
};

// The four version texts the "[Versions]" section carries.
struct VersionTexts {
  std::u16string_view programVersion = u"1.05";
  std::u16string_view releaseDate = u"2006/10/31";
  std::u16string_view specVersion = u"1.05";
  std::u16string_view specReleaseDate = u"2006/10/31";
};

// Builds the whole report from `source`: "[BIOS Strings]", "[Versions]", then
// "[PNP]" and "[SMBIOSType1]" when `switches` ask for them. The SMBIOS
// strings' bytes are characters of `ansiCodePage`.
std::u16string BuildReport(const Switches& switches, RecordSource& source, const CodePage& ansiCodePage);

// The whole run: reads the switches, builds the report, settles the output
// path and hands the report to `output`. Any failure throws RuntimeError
// before anything is written. 0 once the file is written, or the window's
// status once it is closed.
int RunKestro(const CommandLine& commandLine, RecordSource& source, ReportOutput& output,
              const CodePage& ansiCodePage);

}  // namespace kestro

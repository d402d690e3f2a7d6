#include "app/program.h"

#include <exception>
#include <new>

#include "core/error.h"
#include "core/report_json.h"
#include "core/report_text.h"
#include "platform/ansi_code_page.h"
#include "platform/console.h"
#include "platform/report_file.h"
#include "platform/report_viewer.h"
#include "records/snapshot_writer.h"
#include "run/run.h"

namespace kestro {
namespace {

// The file's bytes: the INI text in the ANSI code page, its last line empty;
// or the JSON document in UTF-8.
std::string FileBytes(ReportFormat format, std::u16string_view reportText) {
  if (format == ReportFormat::Json) return ReportAsJson(reportText, KESTRO_VERSION_TEXT);
  std::string bytes = ToAnsiBytes(reportText);
  bytes += ToAnsiBytes(kLineEnd);
  return bytes;
}

class PlatformOutput : public ReportOutput {
 public:
  explicit PlatformOutput(const std::string& programName) : programName_(programName) {}

  void WriteReportFile(const OutputTarget& target, std::u16string_view reportText) override {
    ReplaceFileContents(target.path, FileBytes(target.format, reportText), target.namedBy);
  }

  int ShowReportWindow(std::u16string_view reportText) override { return ShowReport(reportText, programName_); }

 private:
  const std::string& programName_;
};

}  // namespace

std::optional<int> Program::AnswerInformationalArgument(std::span<const std::u16string> arguments,
                                                        std::string_view usage) const {
  for (const std::u16string& argument : arguments) {
    if (argument == u"--help" || argument == u"-h") {
      PrintInformation(std::string(usage));
      return 0;
    }
    if (argument == u"--version") {
      PrintInformation("Kestro " KESTRO_VERSION_TEXT "\n");
      return 0;
    }
  }
  return std::nullopt;
}

int Program::Run(const CommandLine& commandLine, const SourceFactory& makeSource) const {
  return ReportingFailures([&] {
    const std::unique_ptr<RecordSource> source = makeSource();
    PlatformOutput output(name_);
    return RunKestro(commandLine, *source, output, AnsiCodePage());
  });
}

int Program::Record(std::span<const std::u16string> arguments, const ProgramNames& names,
                    const SourceFactory& makeSource) const {
  if (auto status = AnswerInformationalArgument(arguments, SnapshotUsage(names))) return *status;
  if (arguments.size() > 1) return ReportUsageError(TooManyOutputsText(names));
  return ReportingFailures([&] {
    const std::unique_ptr<RecordSource> source = makeSource();
    const RecordedSnapshot snapshot = RecordSnapshot(*source);
    // What was left out makes the replay fail where reading it failed here.
    for (const std::string& leftOut : snapshot.leftOut) ShowFailure(OneLine(name_ + ": " + leftOut));
    if (arguments.empty()) {
      WriteSnapshotToStandardOutput(snapshot.json);
    } else {
      // The snapshot holds the SMBIOS table only root may read, and serial
      // numbers: the file is its owner's alone.
      ReplaceFileContents(arguments.front(), snapshot.json, NamedBy::RecorderArgument, FileAccess::OwnerOnly);
    }
    return 0;
  });
}

int Program::ReportingFailures(const std::function<int()>& work) const {
  try {
    return work();
  } catch (const RuntimeError& error) {
    ShowFailure(FormatFailure(name_, error));
    return 1;
  } catch (const std::bad_alloc&) {
    ShowFailure(name_ + ": run-time error 7: Out of memory");
    return 1;
  } catch (const std::exception& error) {
    ShowFailure(OneLine(name_ + ": run-time error: " + error.what()));
    return 1;
  }
}

int Program::ReportUsageError(const std::string& text) const {
  ShowFailure(FormatFailure(name_, RuntimeError(ErrorCode::BadArguments, text)));
  return 2;
}

}  // namespace kestro
